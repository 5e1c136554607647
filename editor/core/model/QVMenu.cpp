#include "QVMenu.h"

#include "FormatText.h"
#include "Geometry.h"
#include "Log.h"
#include "QVContext.h"
#include "QVEAction.h"
#include "QVLauncher.h"
#include "QVShortcut.h"
#include "QVUtility.h"

#include <QIcon>
#include <QMenu>
#include <QPixmap>
#include <QSet>
#include <mutex>

namespace editor {

namespace {

struct ClassState {
    IDCounter counter;
    QVMenu::Defaults defaults;
    QImage defaultIcon;
};

ClassState& state()
{
    static ClassState s;
    return s;
}

// The menus whose delete with objects is running: a submenu cycle leads
// back to one of them, which is then left to the running delete.
QSet<quint32>& menusBeingDeleted()
{
    static QSet<quint32> ids;
    return ids;
}

const QString kType = QStringLiteral("menuitemtype");
const QString kActive = QStringLiteral("menuitemactive");
const QString kParams = QStringLiteral("menuitemparams");

const char* idKeyOfType(int type)
{
    switch (type) {
    case QVMenu::ShortcutItem:
        return "menuitemshortcutID";
    case QVMenu::ActionItem:
        return "menuitemactionID";
    case QVMenu::SubmenuItem:
        return "menuitemmenuID";
    default:
        return nullptr;
    }
}

QVariantMap item(int type, const char* key, const QVariant& value)
{
    return {{kType, type}, {kActive, true}, {kParams, QVariantMap{{QLatin1String(key), value}}}};
}

int typeOf(const QVariantMap& item) { return intValue(item.value(kType)); }

quint32 objectIDOf(const QVariantMap& item)
{
    const char* key = idKeyOfType(typeOf(item));
    return key ? uintValue(item.value(kParams).toMap().value(QLatin1String(key))) : 0;
}

QString labelOf(const QVariantMap& item)
{
    return item.value(kParams).toMap().value("menuitemseparatorlabel").toString();
}

QIcon iconOf(const QImage& image)
{
    return image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image));
}

// Builds the entries of the items into menu; path holds the menus being
// built above, so that a submenu cycle ends at its first repeat.
void fillMenu(QMenu* menu, const QVariantList& items, bool showImage, bool showCombo, QSet<quint32>& path)
{
    ObjectDirectory* directory = ObjectDirectory::shared();
    QVUtility& utility = QVUtility::sharedUtility();
    for (const QVariant& value : items) {
        const QVariantMap entry = value.toMap();
        if (!entry.value(kActive).toBool())
            continue;
        const quint32 id = objectIDOf(entry);
        switch (typeOf(entry)) {
        case QVMenu::Separator: {
            const QString label = labelOf(entry);
            if (label.isEmpty()) {
                menu->addSeparator();
                break;
            }
            QAction* action = menu->addAction(label);
            action->setEnabled(false); // nothing answers it
            if (showImage)
                action->setIcon(iconOf(utility.imageWithName(QStringLiteral("empty"))));
            break;
        }
        case QVMenu::ShortcutItem: {
            QVShortcut* shortcut = directory ? directory->shortcutWithID(id) : nullptr;
            if (!shortcut)
                break;
            QString title = shortcut->nameValue();
            if (showCombo) {
                const std::optional<quint32> code = shortcut->keycodeNumOfLauncher();
                if (code && *code != 0)
                    title += u'\t' + utility.keystrokeStringWithKeycode(*code);
            }
            QAction* action = menu->addAction(title);
            if (showImage)
                action->setIcon(iconOf(shortcut->imageValueWithSize(16)));
            break;
        }
        case QVMenu::ActionItem: {
            zelk::QVEAction* runs = directory ? directory->actionWithID(id) : nullptr;
            if (!runs)
                break;
            QAction* action = menu->addAction(runs->nameValue());
            if (showImage)
                action->setIcon(iconOf(runs->imageValueWithSize(16)));
            break;
        }
        case QVMenu::SubmenuItem: {
            QVMenu* submenu = directory ? directory->menuWithID(id) : nullptr;
            if (!submenu)
                break;
            QMenu* child = menu->addMenu(submenu->nameValue());
            if (showImage)
                child->setIcon(iconOf(submenu->imageValueWithSize(16)));
            if (path.contains(id)) {
                // The cycle closes here: the entry stays, empty.
                child->setEnabled(false);
                break;
            }
            path.insert(id);
            fillMenu(child, submenu->itemsDictArray(), submenu->showImage(), submenu->showCombo(), path);
            path.remove(id);
            break;
        }
        default:
            break;
        }
    }
}

} // namespace

// --- Class operations --------------------------------------------------------------

quint32 QVMenu::nextMenuID() { return state().counter.next(); }
quint32 QVMenu::currentMenuID() { return state().counter.current(); }
void QVMenu::setNextMenuID(quint32 next) { state().counter.setNext(next); }
QVMenu::Defaults& QVMenu::defaults() { return state().defaults; }

QString QVMenu::newNameValue()
{
    return loc("NewMenuName");
}

QVariantMap QVMenu::newData()
{
    const quint32 id = nextMenuID();
    const Defaults& s = defaults();
    return {{"menuname", zelk::fillFormat(newNameValue(), {qint64(id)})},
            {"menuID", qint64(id)},
            {"menuimage", QByteArray()},
            {"menuinbar", s.inBar},
            {"menuimageinbar", s.imageInBar},
            {"menuimageistemplate", true},
            {"menunameinbar", s.nameInBar},
            {"menushowimage", s.showImage},
            {"menushowcombo", s.showCombo},
            {"menuitems", QVariantList{}},
            {"menucontexts", QVariantList{universalContextRef("QVMenu")}},
            {"menulaunchers", QVariantList{}},
            {"menueditorrect", zelk::stringFromRect({})}};
}

QVariantMap QVMenu::newDataWithShortcutsDict(const QVariantList& shortcuts)
{
    QVariantMap record = newData();
    record.insert("menuitems", mappedRecords(shortcuts, newItemDictWithShortcutDict));
    return record;
}

QVariantMap QVMenu::newDataWithShortcutsDict(const QVariantList& shortcuts, const QVariantList& contexts)
{
    QVariantMap record = newDataWithShortcutsDict(shortcuts);
    record.insert("menucontexts", mappedRecords(contexts, QVContext::newContextRefDictWithContextDict));
    return record;
}

QVariantMap QVMenu::newDataWithActionsDict(const QVariantList& actions)
{
    QVariantMap record = newData();
    record.insert("menuitems", mappedRecords(actions, newItemDictWithActionDict));
    return record;
}

QVariantMap QVMenu::newDataWithContextsDict(const QVariantList& contexts)
{
    QVariantMap record = newData();
    record.insert("menucontexts", mappedRecords(contexts, QVContext::newContextRefDictWithContextDict));
    return record;
}

QVariantMap QVMenu::newDataWithLaunchersDict(const QVariantList& launchers)
{
    QVariantMap record = newData();
    record.insert("menulaunchers", mappedRecords(launchers, QVLauncher::newLauncherRefDictWithLauncherDict));
    return record;
}

QVariantMap QVMenu::newItemDictWithShortcutDict(const QVariantMap& record)
{
    return item(ShortcutItem, "menuitemshortcutID", record.value("cutID"));
}

QVariantMap QVMenu::newItemDictWithActionDict(const QVariantMap& record)
{
    return item(ActionItem, "menuitemactionID", record.value("actionID"));
}

QVariantMap QVMenu::newSeparatorItemDict()
{
    return item(Separator, "menuitemseparatorlabel", QString(""));
}

QVariantMap QVMenu::newItemDictWithMenuDict(const QVariantMap& record)
{
    return item(SubmenuItem, "menuitemmenuID", record.value("menuID"));
}

QImage QVMenu::defaultIcon()
{
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    ClassState& s = state();
    if (s.defaultIcon.isNull())
        s.defaultIcon = QVUtility::sharedUtility().imageWithName(QStringLiteral("MenuImage"));
    return s.defaultIcon;
}

QMenu* QVMenu::menuWithItemsDict(const QVariantList& items, bool showImage, bool showCombo)
{
    auto* menu = new QMenu;
    QSet<quint32> path;
    fillMenu(menu, items, showImage, showCombo, path);
    return menu;
}

// --- Instance ------------------------------------------------------------------------

QVMenu::QVMenu() : QVEUsedMainModel({"menuID", "menuname", "menueditorrect", "menuitems", "menulaunchers", "menucontexts"}) {}

QVMenu::~QVMenu() = default;

bool QVMenu::initWithDictionaryInEditor(const QVariantMap& source)
{
    if (source.isEmpty()) {
        zelk::zlog("QVMenu", "initWithDictionaryInEditor") << "empty record";
        return false;
    }
    readRecord(source);
    state().counter.noteExisting(m_id);
    m_inBar = source.value("menuinbar").toBool();
    m_imageInBar = source.value("menuimageinbar").toBool();
    setImageIsTemplate(source.value("menuimageistemplate").toBool());
    m_nameInBar = source.value("menunameinbar").toBool();
    m_showImage = source.value("menushowimage").toBool();
    m_showCombo = source.value("menushowcombo").toBool();
    m_image = imageFromData(source.value("menuimage").toByteArray());
    if (m_image.isNull()) {
        m_image = defaultIcon();
        setImageIsTemplate(true);
    }
    m_image = iconOf32(m_image);
    readLists(false);
    return true;
}

void QVMenu::linkToItemObjects()
{
    linkObjects(itemRefs(m_items), this, true);
}

void QVMenu::setFlag(bool& field, const char* key, bool on)
{
    field = on;
    m_dict.insert(QLatin1String(key), on);
}

QString QVMenu::linkNameValue() const
{
    return locFormat("MenuLinkName", {m_name});
}

void QVMenu::setImageValue(const QImage& image)
{
    m_dict.insert("menuimage", tiffData(image));
    m_image = iconOf32(image);
}

QList<ObjectRef> QVMenu::itemRefs(const QVariantList& items) const
{
    QList<ObjectRef> refs;
    for (const QVariant& value : items) {
        const QVariantMap entry = value.toMap();
        switch (typeOf(entry)) {
        case ShortcutItem:
            refs.append({ObjectRef::Shortcut, objectIDOf(entry)});
            break;
        case ActionItem:
            refs.append({ObjectRef::Action, objectIDOf(entry)});
            break;
        case SubmenuItem:
            refs.append({ObjectRef::Menu, objectIDOf(entry)});
            break;
        default:
            break;
        }
    }
    return refs;
}

QVariantMap QVMenu::newItemForAction(zelk::QVEAction* action) const
{
    return newItemDictWithActionDict({{"actionID", qint64(action->IDValue())}});
}

bool QVMenu::actionIDOfItem(const QVariantMap& entry, quint32* id) const
{
    if (typeOf(entry) != ActionItem)
        return false;
    *id = objectIDOf(entry);
    return true;
}

QVariantMap QVMenu::itemWithActionID(const QVariantMap& entry, const QVariant& id) const
{
    QVariantMap changed = entry;
    QVariantMap params = entry.value(kParams).toMap();
    params.insert("menuitemactionID", id);
    changed.insert(kParams, params);
    return changed;
}

bool QVMenu::canDeleteWithMessage(bool withMessage)
{
    return canDeleteUnlessUsed(withMessage, "PasSupprimerMenu", "MenuUtilise");
}

void QVMenu::willDeleteWithAuxObjects(bool aux)
{
    ObjectDirectory* directory = ObjectDirectory::shared();
    menusBeingDeleted().insert(m_id);
    for (const ObjectRef& ref : itemRefs(m_items)) {
        linkObjects({ref}, this, false);
        if (!aux || !directory)
            continue;
        switch (ref.kind) {
        case ObjectRef::Menu:
            if (!menusBeingDeleted().contains(ref.id))
                directory->delMenusID({ref.id}, false, true, false);
            break;
        case ObjectRef::Action:
            directory->delActionsID({ref.id}, false, false);
            break;
        case ObjectRef::Shortcut:
            directory->delShortcutsID({ref.id}, false, true, false);
            break;
        default:
            break;
        }
    }
    for (const ObjectRef& ref : launcherRefs(m_launchers)) {
        linkObjects({ref}, this, false);
        if (aux && directory)
            directory->delLaunchersID({ref.id}, false, false);
    }
    linkObjects(contextRefs(m_contexts), this, false);
    menusBeingDeleted().remove(m_id);
    if (const auto editor = m_editor; editor && !m_isNew)
        editor->abortEditing(nullptr);
}

QMenu* QVMenu::menuValue() const
{
    auto* menu = new QMenu;
    QSet<quint32> path{m_id};
    fillMenu(menu, m_items, m_showImage, m_showCombo, path);
    return menu;
}

// The name an item shows in the list: its object's link name, " label" for
// a label, and a stand-in when its object is gone.
QString QVMenu::itemName(const QVariantMap& entry) const
{
    ObjectDirectory* directory = ObjectDirectory::shared();
    const quint32 id = objectIDOf(entry);
    switch (typeOf(entry)) {
    case Separator:
        return QStringLiteral(" %1").arg(labelOf(entry));
    case ShortcutItem:
        if (QVShortcut* shortcut = directory ? directory->shortcutWithID(id) : nullptr)
            return shortcut->linkNameValue();
        break;
    case ActionItem:
        if (zelk::QVEAction* action = directory ? directory->actionWithID(id) : nullptr)
            return action->linkNameValue();
        break;
    case SubmenuItem:
        if (QVMenu* submenu = directory ? directory->menuWithID(id) : nullptr)
            return submenu->linkNameValue();
        break;
    default:
        break;
    }
    return loc("MenuItemSansNom");
}

QString QVMenu::itemsValue() const
{
    const QString first = m_items.isEmpty() ? QString() : itemName(m_items.first().toMap());
    return countedNames(first, m_items.size(), QStringLiteral("Aucun"), QStringLiteral("ActionValue2"));
}

QImage QVMenu::itemsImageValue() const
{
    QVUtility& utility = QVUtility::sharedUtility();
    if (m_items.isEmpty())
        return utility.emptyImage();
    const QVariantMap entry = m_items.first().toMap();
    ObjectDirectory* directory = ObjectDirectory::shared();
    const quint32 id = objectIDOf(entry);
    QImage image;
    switch (typeOf(entry)) {
    case Separator:
        return utility.imageWithName(QStringLiteral("MenuSeparator"));
    case ShortcutItem:
        if (QVShortcut* shortcut = directory ? directory->shortcutWithID(id) : nullptr)
            image = shortcut->imageValueWithSize(16);
        break;
    case ActionItem:
        if (zelk::QVEAction* action = directory ? directory->actionWithID(id) : nullptr)
            image = action->imageValueWithSize(16);
        break;
    case SubmenuItem:
        if (QVMenu* submenu = directory ? directory->menuWithID(id) : nullptr)
            image = submenu->imageValueWithSize(16);
        break;
    default:
        break;
    }
    return image.isNull() ? utility.emptyImageWithSize(16) : image;
}

void QVMenu::displayInEditor(QVEObjectEditor* editor)
{
    editor->displayWithMenu(this);
}

} // namespace editor
