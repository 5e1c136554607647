// The three lists of the Library: what each kind groups by and which of
// its manager's commands it offers.
#include "QVELibraryViewer.h"

#include "ModelSupport.h"
#include "QVContext.h"
#include "QVEActionsManager.h"
#include "QVEContextsManager.h"
#include "QVELaunchersManager.h"
#include "QVEModelsManager.h"
#include "QVEPboardManager.h"
#include "QVLauncher.h"
#include "QVUtility.h"

#include "QVEAction.h"
#include "QVEActionClass.h"

#include <QGuiApplication>

namespace editor {

template <class Object>
static void sortByName(QList<Object*>& objects)
{
    std::stable_sort(objects.begin(), objects.end(), [](const Object* a, const Object* b) {
        return a->nameValue().compare(b->nameValue(), Qt::CaseInsensitive) < 0;
    });
}

static std::unique_ptr<LibraryItem> groupItem(const QString& key, const QString& title, LibraryItem::Font font)
{
    auto group = std::make_unique<LibraryItem>();
    group->key = key;
    group->title = title;
    group->font = font;
    return group;
}

static QString countedTitle(const QString& name, size_t count)
{
    return QStringLiteral("%1 (%2)").arg(name).arg(count);
}

// --- Launchers -------------------------------------------------------------------------------------------

QVELaunchersViewer::QVELaunchersViewer(QVEOutlineView* outline, QObject* parent)
    : QVELibraryViewer(outline, Kind::Launchers, {"name", "used"}, parent)
{
}

LibraryItems QVELaunchersViewer::buildItems() const
{
    LibraryItems groups;
    const QVELaunchersManager& manager = QVELaunchersManager::sharedManager();
    for (int type = 0; type <= 7; ++type) {
        QList<QVLauncher*> launchers = manager.launchersOfType(type);
        if (launchers.isEmpty())
            continue;
        sortByName(launchers);
        auto group = groupItem(QStringLiteral("t%1").arg(type),
                               countedTitle(nameOfGroup(QStringLiteral("LauncherTypeName%1"), type), launchers.size()),
                               LibraryItem::Bold);
        group->image = QVUtility::sharedUtility().imageWithName(QStringLiteral("launcher%1").arg(type));
        for (const QVLauncher* launcher : std::as_const(launchers))
            group->addChild(objectItem(launcher->IDValue()));
        groups.push_back(std::move(group));
    }
    return groups;
}

zelk::QVEAuxObject* QVELaunchersViewer::auxObjectWithID(quint32 id) const
{
    return QVELaunchersManager::sharedManager().launcherWithID(id);
}

QString QVELaunchersViewer::nameOf(quint32 id) const
{
    const QVLauncher* launcher = QVELaunchersManager::sharedManager().launcherWithID(id);
    return launcher ? launcher->nameValue() : QString();
}

QVariantMap QVELaunchersViewer::recordOf(quint32 id) const
{
    const QVLauncher* launcher = QVELaunchersManager::sharedManager().launcherWithID(id);
    return launcher ? launcher->dictValue() : QVariantMap();
}

QUndoStack* QVELaunchersViewer::undoManager()
{
    return QVELaunchersManager::sharedManager().undoManager();
}

void QVELaunchersViewer::performVerb(const QString& verb, const QList<quint32>& ids)
{
    QVELaunchersManager& manager = QVELaunchersManager::sharedManager();
    if (verb == QLatin1String("copy"))
        manager.copyLaunchersID(ids);
    else if (verb == QLatin1String("clear"))
        manager.delLaunchersID(ids, true, false);
    else if (verb == QLatin1String("edit"))
        manager.editLaunchersID(ids);
}

void QVELaunchersViewer::editObjectsID(const QList<quint32>& ids)
{
    QVELaunchersManager::sharedManager().editLaunchersID(ids);
}

// --- Actions ----------------------------------------------------------------------------------------------

QVEActionsViewer::QVEActionsViewer(QVEOutlineView* outline, QObject* parent)
    : QVELibraryViewer(outline, Kind::Actions, {"name", "used", "valid"}, parent)
{
}

LibraryItems QVEActionsViewer::buildItems() const
{
    struct Family {
        QString name;
        std::unique_ptr<LibraryItem> item;
    };
    std::vector<Family> families;
    const QVEActionsManager& actions = QVEActionsManager::sharedManager();
    for (int index = 0; index < 20; ++index) {
        const int familyID = 1000 + index;
        QVariantList models = QVEModelsManager::sharedManager().modelsWithFamilyIDArray(familyID);
        if (models.isEmpty())
            continue;
        std::stable_sort(models.begin(), models.end(), [](const QVariant& a, const QVariant& b) {
            return a.toMap().value(QStringLiteral("modeltitle")).toString().compare(
                       b.toMap().value(QStringLiteral("modeltitle")).toString(), Qt::CaseInsensitive)
                   < 0;
        });
        const QString name = nameOfGroup(QStringLiteral("FamilyName%1"), familyID);
        auto family = groupItem(QStringLiteral("f%1").arg(familyID), QString(), LibraryItem::Bold);
        family->image = zelk::QVEAction::imageForFamilyID(familyID, 16);
        size_t total = 0;
        for (const QVariant& value : std::as_const(models)) {
            const QVariantMap model = value.toMap();
            const QString className = model.value(QStringLiteral("modelclass")).toString();
            const int modelID = intValue(model.value(QStringLiteral("modelID")));
            QList<zelk::QVEAction*> members = actions.actionsOfClass(className, modelID);
            if (members.isEmpty())
                continue;
            sortByName(members);
            auto modelItem = groupItem(QStringLiteral("m%1/%2").arg(className).arg(modelID),
                                       countedTitle(model.value(QStringLiteral("modeltitle")).toString(), members.size()),
                                       LibraryItem::Italic);
            modelItem->kind = LibraryItem::Model;
            for (const zelk::QVEAction* action : std::as_const(members))
                modelItem->addChild(objectItem(action->IDValue()));
            total += members.size();
            family->addChild(std::move(modelItem));
        }
        if (total == 0)
            continue;
        family->title = countedTitle(name, total);
        // Ascending by localised name; an equal name goes before the one
        // already there.
        auto at = std::find_if(families.begin(), families.end(), [&](const Family& other) {
            return other.name.compare(name, Qt::CaseInsensitive) >= 0;
        });
        families.insert(at, Family{name, std::move(family)});
    }
    LibraryItems items;
    for (Family& family : families)
        items.push_back(std::move(family.item));
    return items;
}

zelk::QVEAuxObject* QVEActionsViewer::auxObjectWithID(quint32 id) const
{
    return QVEActionsManager::sharedManager().actionWithID(id);
}

QString QVEActionsViewer::nameOf(quint32 id) const
{
    const zelk::QVEAction* action = QVEActionsManager::sharedManager().actionWithID(id);
    return action ? action->nameValue() : QString();
}

QImage QVEActionsViewer::imageOf(quint32 id) const
{
    const zelk::QVEAction* action = QVEActionsManager::sharedManager().actionWithID(id);
    return action ? action->imageValueWithSize(16) : QImage();
}

QVariantMap QVEActionsViewer::recordOf(quint32 id) const
{
    zelk::QVEAction* action = QVEActionsManager::sharedManager().actionWithID(id);
    return action ? action->dictValue() : QVariantMap();
}

bool QVEActionsViewer::isValidObject(quint32 id) const
{
    const zelk::QVEAction* action = QVEActionsManager::sharedManager().actionWithID(id);
    return action && action->isValid();
}

QUndoStack* QVEActionsViewer::undoManager()
{
    return QVEActionsManager::sharedManager().undoManager();
}

bool QVEActionsViewer::verbEnabled(const QString& verb, const LibraryItem* selected) const
{
    if (verb == QLatin1String("paste"))
        return QVEPboardManager::sharedManager().canAddModelWithPasteboard(generalPasteboard());
    return QVELibraryViewer::verbEnabled(verb, selected);
}

void QVEActionsViewer::performVerb(const QString& verb, const QList<quint32>& ids)
{
    QVEActionsManager& manager = QVEActionsManager::sharedManager();
    if (verb == QLatin1String("copy"))
        manager.copyActionsID(ids);
    else if (verb == QLatin1String("paste"))
        manager.pastePasteboard(generalPasteboard());
    else if (verb == QLatin1String("clear"))
        manager.delActionsID(ids, true, false);
    else if (verb == QLatin1String("export"))
        manager.exportActionsID(ids);
    else if (verb == QLatin1String("edit"))
        manager.editActionsID(ids);
    else if (verb == QLatin1String("duplicate"))
        manager.duplicateActionsID(ids);
    else if (verb == QLatin1String("run"))
        manager.runActionsID(ids);
    else if (verb == QLatin1String("newShortcut"))
        manager.newShortcutWithActionsID(ids);
    else if (verb == QLatin1String("newMenu"))
        manager.newMenuWithActionsID(ids);
    else if (verb == QLatin1String("newPalette"))
        manager.newPaletteWithActionsID(ids);
}

void QVEActionsViewer::editObjectsID(const QList<quint32>& ids)
{
    QVEActionsManager::sharedManager().editActionsID(ids);
}

// --- Contexts ------------------------------------------------------------------------------------------------

QVELContextsViewer::QVELContextsViewer(QVEOutlineView* outline, QObject* parent)
    : QVELibraryViewer(outline, Kind::Contexts, {"name", "used"}, parent)
{
}

LibraryItems QVELContextsViewer::buildItems() const
{
    LibraryItems groups;
    const QVEContextsManager& manager = QVEContextsManager::sharedManager();
    for (int type = 0; type <= 4; ++type) {
        QList<QVContext*> contexts = manager.contextsOfType(type);
        if (contexts.isEmpty())
            continue;
        const QString name = nameOfGroup(QStringLiteral("ContextTypeName%1"), type);
        if (type == 0) {
            // The universal context is its group's row.
            auto universal = groupItem(QStringLiteral("u"), name, LibraryItem::Regular);
            universal->kind = LibraryItem::Universal;
            universal->id = contexts.first()->IDValue();
            universal->image = contexts.first()->imageValueWithSize(16);
            groups.push_back(std::move(universal));
            continue;
        }
        sortByName(contexts);
        auto group = groupItem(QStringLiteral("t%1").arg(type), countedTitle(name, contexts.size()), LibraryItem::Bold);
        for (const QVContext* context : std::as_const(contexts))
            group->addChild(objectItem(context->IDValue()));
        groups.push_back(std::move(group));
    }
    return groups;
}

zelk::QVEAuxObject* QVELContextsViewer::auxObjectWithID(quint32 id) const
{
    return QVEContextsManager::sharedManager().contextWithID(id);
}

QString QVELContextsViewer::nameOf(quint32 id) const
{
    const QVContext* context = QVEContextsManager::sharedManager().contextWithID(id);
    return context ? context->nameValue() : QString();
}

QImage QVELContextsViewer::imageOf(quint32 id) const
{
    const QVContext* context = QVEContextsManager::sharedManager().contextWithID(id);
    return context ? context->imageValueWithSize(16) : QImage();
}

QVariantMap QVELContextsViewer::recordOf(quint32 id) const
{
    const QVContext* context = QVEContextsManager::sharedManager().contextWithID(id);
    return context ? context->dictValue() : QVariantMap();
}

QUndoStack* QVELContextsViewer::undoManager()
{
    return QVEContextsManager::sharedManager().undoManager();
}

bool QVELContextsViewer::verbEnabled(const QString& verb, const LibraryItem* selected) const
{
    // Nothing selected, nothing to act on: the commands stay off rather
    // than copy an empty list over the user's clipboard.
    if (!selected)
        return false;
    if (verb == QLatin1String("clear"))
        return selected->kind == LibraryItem::Object;
    return selected->isObject();
}

void QVELContextsViewer::performVerb(const QString& verb, const QList<quint32>& ids)
{
    if (ids.isEmpty())
        return;
    QVEContextsManager& manager = QVEContextsManager::sharedManager();
    if (verb == QLatin1String("copy"))
        manager.copyContextsID(ids);
    else if (verb == QLatin1String("clear"))
        manager.delContextsID(ids, false);
    else if (verb == QLatin1String("edit"))
        manager.editContextsID(ids);
}

void QVELContextsViewer::editObjectsID(const QList<quint32>& ids)
{
    QVEContextsManager::sharedManager().editContextsID(ids);
}

} // namespace editor
