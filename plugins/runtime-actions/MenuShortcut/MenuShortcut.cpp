#include "MenuShortcut.h"

#include "Log.h"

namespace zelk::engine {

namespace K = MenuShortcutKeys;
namespace M = MenuShortcutModels;

namespace {

// Closes what a pass pressed open, innermost first.
void closeMenus(QList<AXElement>& opened)
{
    for (auto it = opened.crbegin(); it != opened.crend(); ++it)
        (*it)->performAction(AXAction::Cancel);
    opened.clear();
}

} // namespace

bool MenuShortcut::initWithDictionaryInLauncher(const QVariantMap& record)
{
    if (!ActionRunner::initWithDictionaryInLauncher(record))
        return false;
    readParameters(parametersOf(record));
    return true;
}

QString MenuShortcut::runActionFromObject(const std::shared_ptr<QVActionController>& controller)
{
    if (CUTAction != M::Path || !controller)
        return {};
    const QString first = selectMenuItems(CUTItems, false, CUTOnlyDisplayMenu, *controller);
    if (first.isEmpty())
        return {};
    if (tracing())
        zlog("MenuShortcut", "runActionFromObject") << "first pass:" << first << "- pressing the menus open";
    return selectMenuItems(CUTItems, true, CUTOnlyDisplayMenu, *controller);
}

QString MenuShortcut::selectMenuItems(const QVariantList& items, bool doClick, bool displayOnlyMenu, QVActionController& /*fromObject*/)
{
    if (!accessibilityEnabled())
        return noAPIString();
    AXElement parent = frontAppMenubar();
    if (!parent)
        return noBarString();
    if (items.isEmpty())
        return noMenuString();
    const bool press = doClick || displayOnlyMenu;
    const int n = int(items.size());
    QList<AXElement> opened;
    AXElement element;
    for (int d = 1; d <= n; ++d) {
        const QVariantMap lvl = items.at(d - 1).toMap();
        const int selection = lvl.value(K::ItemSelection).toInt();
        element = nullptr;
        if (parent) {
            if (selection >= M::Equal && selection <= M::EndsWith)
                element = itemWithName(lvl.value(K::ItemName).toString(), parent, selection);
            else if (selection == M::FromFirst || selection == M::FromLast)
                element = itemWithIndex(lvl.value(K::ItemIndex).toInt(), parent, selection);
        }
        if (!element) {
            closeMenus(opened);
            return noMenuString();
        }
        if (press && d < n && element->performAction(AXAction::Press))
            opened.append(element);
        if (displayOnlyMenu && d == n - 1)
            return {};
        if (d < n)
            parent = roleOf(element) == AXRole::Menu ? element : menuOfItem(element, opened);
    }
    // A disabled item does nothing when picked; saying so beats a silent
    // success.
    const QString title = element->title().value_or(QString());
    if (!element->enabled().value_or(true)) {
        closeMenus(opened);
        return localized(classObject(), QStringLiteral("MenuInactif"), {title});
    }
    if (!element->performAction(AXAction::Pick)) {
        closeMenus(opened);
        return localized(classObject(), QStringLiteral("MenuNonChoisi"), {title});
    }
    return {};
}

AXElement MenuShortcut::itemWithName(const QString& name, const AXElement& parent, int selection)
{
    const auto children = parent->children();
    if (!children)
        return nullptr;
    for (const AXElement& child : *children) {
        const auto title = child->title();
        if (!title)
            continue;
        bool match = false;
        switch (selection) {
        case M::Equal: match = *title == name; break;
        case M::Contains: match = !name.isEmpty() && title->contains(name); break;
        case M::StartsWith: match = !name.isEmpty() && title->startsWith(name); break;
        case M::EndsWith: match = !name.isEmpty() && title->endsWith(name); break;
        default: return nullptr;
        }
        if (match)
            return child;
    }
    return nullptr;
}

AXElement MenuShortcut::itemWithIndex(int index, const AXElement& parent, int selection)
{
    const auto children = parent->children();
    if (!children)
        return nullptr;
    const int count = int(children->size());
    if (index < 1 || index > count)
        return nullptr;
    if (selection == M::FromFirst)
        return children->at(index - 1);
    if (selection == M::FromLast)
        return children->at(count - index);
    return nullptr;
}

AXElement MenuShortcut::menuOfItem(const AXElement& item, QList<AXElement>& opened)
{
    for (const AXElement& child : item->children().value_or(QList<AXElement>()))
        if (roleOf(child) == AXRole::Menu)
            return child;
    // The menu is made only when shown: open the menu that holds the item,
    // then the item's own, and find it beside the item (or to its left).
    const AXElement menu = item->parent();
    const AXElement owner = menu ? menu->parent() : nullptr;
    if (!owner)
        return nullptr;
    if (owner->performAction(AXAction::Press))
        opened.append(owner);
    const auto position = item->position();
    const auto size = item->size();
    if (!position || !size)
        return nullptr;
    if (item->performAction(AXAction::Press))
        opened.append(item);
    const AXElement app = frontProcApp();
    if (!app)
        return nullptr;
    AccessibilityService& ax = Platform::instance().accessibility();
    AXElement probed = ax.elementAtPosition(app, {position->x() + size->width() + 10, position->y() + 10});
    if (roleOf(probed) != AXRole::MenuItem)
        probed = ax.elementAtPosition(app, {position->x() - 10, position->y() + 10});
    return probed ? probed->parent() : nullptr;
}

AXElement MenuShortcut::frontAppMenubar()
{
    const AXElement app = frontProcApp();
    return app ? Platform::instance().accessibility().menuBar(app) : nullptr;
}

QString MenuShortcut::noAPIString() { return localized(classObject(), QStringLiteral("AssistiveNonValide")); }
QString MenuShortcut::noBarString() { return localized(classObject(), QStringLiteral("BarreNonValide")); }
QString MenuShortcut::noMenuString() { return localized(classObject(), QStringLiteral("MenuNonValide")); }

ZELK_REGISTER_ACTION_RUNNER(MenuShortcut)

} // namespace zelk::engine
