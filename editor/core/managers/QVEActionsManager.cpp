#include "QVEActionsManager.h"

#include "ClassRegistry.h"
#include "Log.h"
#include "ModelSupport.h"
#include "QVEAction.h"
#include "QVEActionClass.h"
#include "QVEMainModel.h"
#include "QVEMenusManager.h"
#include "QVEPalettesManager.h"
#include "QVEModelsManager.h"
#include "QVEPboardManager.h"
#include "QVEShortcutsManager.h"

namespace editor {

static const StepTexts kTexts{"AnnulerAjouterAction", "AnnulerAjouterActions", "AnnulerSupprimerAction",
                              "AnnulerSupprimerActions", "actionname"};

QVEActionsManager& QVEActionsManager::sharedManager()
{
    static QVEActionsManager manager;
    return manager;
}

void QVEActionsManager::setActions(const QVariantList& records)
{
    for (const QVariant& record : records)
        addActionObject(record.toMap());
}

QVariantList QVEActionsManager::actionsDictArray() const
{
    ObjectStore* store = managedStore("QVEActionsManager", "actionsDictArray");
    return store ? store->actionsDictArray() : QVariantList{};
}

QList<zelk::QVEAction*> QVEActionsManager::allActionsArray() const
{
    ObjectStore* store = managedStore("QVEActionsManager", "allActionsArray");
    return store ? store->allActions() : QList<zelk::QVEAction*>{};
}

QList<zelk::QVEAction*> QVEActionsManager::actionsOfClass(const QString& className, int withModelID) const
{
    QList<zelk::QVEAction*> found;
    for (zelk::QVEAction* action : allActionsArray()) {
        if (action->actionClass().className() == className && action->modelID() == withModelID)
            found.append(action);
    }
    return found;
}

QList<zelk::QVEAction*> QVEActionsManager::actionsNotValid() const
{
    QList<zelk::QVEAction*> found;
    for (zelk::QVEAction* action : allActionsArray()) {
        if (!action->isValid())
            found.append(action);
    }
    return found;
}

QList<zelk::QVEAction*> QVEActionsManager::unusedActions() const
{
    QList<zelk::QVEAction*> found;
    for (zelk::QVEAction* action : allActionsArray()) {
        if (!action->isUsed())
            found.append(action);
    }
    return found;
}

QMenu* QVEActionsManager::actionsMenuForTarget(const std::function<void(const QVariantMap& model)>& target)
{
    if (!m_menuModels)
        m_menuModels = QVEModelsManager::sharedManager().allModelsArray();
    return buildModelsMenu(*m_menuModels, target);
}

void QVEActionsManager::addActionsPboardTypes(const QStringList& types)
{
    for (const QString& type : types) {
        if (!m_pboardTypes.contains(type))
            m_pboardTypes.append(type);
    }
}

void QVEActionsManager::addActionObject(const QVariantMap& record) { insertActionObject(record, -1); }

void QVEActionsManager::insertActionObject(const QVariantMap& record, int atIndex)
{
    if (ObjectStore* store = managedStore("QVEActionsManager", "insertActionObject"))
        store->insertRecord(ObjectsFile::Actions, record, atIndex);
}

void QVEActionsManager::newActionsWithPasteboard(const QMimeData* pasteboard)
{
    const std::optional<QVariantMap> model = QVEPboardManager::sharedManager().modelForPasteboard(pasteboard, nullptr);
    if (!model)
        return;
    newActionsForClass(model->value(QStringLiteral("modelclass")).toString(),
                       intValue(model->value(QStringLiteral("modelID"))), pasteboard);
}

bool QVEActionsManager::newActionsForClass(const QString& className, int forAction, const QMimeData* pasteboard)
{
    const auto* cls = zelk::ClassRegistry::shared().lookup<zelk::QVEActionClass>(className);
    if (!cls) {
        zelk::zlog("QVEActionsManager", "newActionsForClass") << "no action class" << className;
        return false;
    }
    const QVariantList records = cls->newDatasWithPasteboard(pasteboard, forAction);
    // Nothing to add: no step, no notice.
    if (records.isEmpty())
        return false;
    addActions(records, false, false);
    return true;
}

QList<quint32> QVEActionsManager::addActionsWithModels(const QVariantList& models, bool isUndo)
{
    QVariantList records;
    for (const QVariant& value : models) {
        const QVariantMap model = value.toMap();
        const QString className = model.value(QStringLiteral("modelclass")).toString();
        const auto* cls = zelk::ClassRegistry::shared().lookup<zelk::QVEActionClass>(className);
        if (!cls) {
            zelk::zlog("QVEActionsManager", "addActionsWithModels") << "no action class" << className;
            continue;
        }
        records.append(cls->newDataForAction(intValue(model.value(QStringLiteral("modelID")))));
    }
    if (records.isEmpty())
        return {};
    return addActions(records, false, isUndo);
}

QVariantList QVEActionsManager::newActionsWithModels(const QVariantList& models)
{
    QVariantList records;
    for (const QVariant& model : models) {
        for (const quint32 id : addActionsWithModels({model}, true)) {
            if (zelk::QVEAction* action = actionWithID(id))
                records.append(action->dictValue());
        }
    }
    return records;
}

QList<quint32> QVEActionsManager::addActions(const QVariantList& records, bool withNewID, bool isUndo)
{
    ObjectStore* store = managedStore("QVEActionsManager", "addActions");
    if (!store)
        return {};
    return addRecordsAsStep(*store, &m_undoManager, ObjectsFile::Actions, records, withNewID, isUndo, kTexts,
                            &zelk::QVEAction::nextActionID, [this](const QList<quint32>& ids) { editActionsID(ids); });
}

QList<quint32> QVEActionsManager::delActionsID(const QList<quint32>& ids, bool withMessage, bool isUndo)
{
    ObjectStore* store = managedStore("QVEActionsManager", "delActionsID");
    if (!store)
        return {};
    return deleteAsStep(*store, &m_undoManager, ObjectsFile::Actions, ids, isUndo, kTexts,
                        [&] { store->delActionsID(ids, withMessage, isUndo); });
}

void QVEActionsManager::exportActionsID(const QList<quint32>& ids)
{
    zelk::QVEAction* first = ids.isEmpty() ? nullptr : actionWithID(ids.first());
    exportExchangeFile(QStringLiteral("ExporterAction"), first ? first->nameValue() : QString(),
                       {{QStringLiteral("exportedactions"), exportDataForActionsID(ids)}},
                       QStringLiteral("ActionPasExporte"));
}

QVariantList QVEActionsManager::exportDataForActionsID(const QList<quint32>& ids) const
{
    ObjectStore* store = managedStore("QVEActionsManager", "exportDataForActionsID");
    return store ? recordsOf(*store, ObjectsFile::Actions, ids) : QVariantList{};
}

void QVEActionsManager::copyActionsID(const QList<quint32>& ids)
{
    writeRecordsToPasteboard(QStringLiteral("QVActionPboardType"), exportDataForActionsID(ids));
}

void QVEActionsManager::pasteModelsWithPasteboard(const QMimeData* pasteboard)
{
    if (const std::optional<QVariantList> models = recordsFromPasteboard(pasteboard, QStringLiteral("QVModelPboardType")))
        addActionsWithModels(*models, false);
}

QVariantMap QVEActionsManager::duplicateRecord(zelk::QVEAction* action) const
{
    QVariantMap record = action->dictValue();
    record.insert(QStringLiteral("actionname"), action->nameValue());
    return namedCopies({record}, QStringLiteral("actionname")).first().toMap();
}

void QVEActionsManager::duplicateActionsID(const QList<quint32>& ids)
{
    QVariantList copies;
    for (const quint32 id : ids) {
        if (zelk::QVEAction* action = actionWithID(id))
            copies.append(duplicateRecord(action));
    }
    if (copies.isEmpty())
        return;
    if (!addActions(copies, true, false).isEmpty())
        renameTopStep(&m_undoManager, locFormat(QStringLiteral("AnnulerDupliquerActions"), {qulonglong(copies.size())}));
}

zelk::QVEAction* QVEActionsManager::duplicateActionID(quint32 id)
{
    zelk::QVEAction* action = actionWithID(id);
    if (!action)
        return nullptr;
    const QList<quint32> added = addActions({duplicateRecord(action)}, true, true);
    return added.isEmpty() ? nullptr : actionWithID(added.first());
}

void QVEActionsManager::runActionsID(const QList<quint32>& ids)
{
    for (const quint32 id : ids) {
        if (zelk::QVEAction* action = actionWithID(id))
            action->test();
    }
}

void QVEActionsManager::editActionsID(const QList<quint32>& ids)
{
    for (const quint32 id : ids) {
        zelk::QVEAction* action = actionWithID(id);
        if (!action || action->edit())
            continue;
        if (auto editor = m_editorMaker ? m_editorMaker() : nullptr)
            action->editInEditor(std::move(editor));
        else
            zelk::zlog("QVEActionsManager", "editActionsID") << "no editor window for action" << id;
    }
}

void QVEActionsManager::newShortcutWithActionsID(const QList<quint32>& ids)
{
    QVEShortcutsManager::sharedManager().newShortcutWithActions(exportDataForActionsID(ids));
}

void QVEActionsManager::newMenuWithActionsID(const QList<quint32>& ids)
{
    QVEMenusManager::sharedManager().newMenuWithActions(exportDataForActionsID(ids));
}

void QVEActionsManager::newPaletteWithActionsID(const QList<quint32>& ids)
{
    QVEPalettesManager::sharedManager().newPaletteWithActions(exportDataForActionsID(ids));
}

zelk::QVEAction* QVEActionsManager::actionWithID(quint32 id) const
{
    ObjectStore* store = ObjectStore::sharedStore();
    return store ? store->actionWithID(id) : nullptr;
}

zelk::QVEAction* QVEActionsManager::actionOfClass(const QString& className, const QVariantMap& params) const
{
    for (zelk::QVEAction* action : allActionsArray()) {
        if (action->isEqualActionOfClass(className, params))
            return action;
    }
    return nullptr;
}

void QVEActionsManager::substituteAction(zelk::QVEAction* old, zelk::QVEAction* with, bool deleteOld)
{
    ObjectStore* store = managedStore("QVEActionsManager", "substituteAction");
    if (!store || !old || !with || old == with)
        return;
    const quint32 oldID = old->IDValue();
    const quint32 newID = with->IDValue();
    const QVariantMap oldRecord = old->dictValue();
    const QVariantMap newRecord = with->dictValue();
    const QString oldName = old->nameValue();
    UndoStep step(*store);
    const QList<zelk::QVEMainObject*> users = old->linkedObjects();
    QList<QVEMainModel*> done;
    for (zelk::QVEMainObject* object : users) {
        auto* user = dynamic_cast<QVEMainModel*>(object);
        if (user && !done.contains(user)) {
            done.append(user);
            user->replaceActionDict(oldRecord, newRecord);
        }
    }
    postSubstitute(ObjectsFile::Actions, oldID, newID);
    QString name;
    if (deleteOld && !delActionsID({oldID}, false, true).isEmpty())
        name = locFormat(QStringLiteral("AnnulerSupprimerAction"), {oldName});
    step.push(&m_undoManager, name);
}

void QVEActionsManager::updateActionsWithDictionary(const QVariantMap& payload)
{
    postUpdateWithDictionary(ObjectsFile::Actions, payload);
}

void QVEActionsManager::updateActions() { postUpdate(ObjectsFile::Actions, kQVUpdateRefreshAction); }
void QVEActionsManager::reloadActions() { postUpdate(ObjectsFile::Actions, kQVUpdateReloadAction); }

bool compareActionsByName(const zelk::QVEAction* a, const zelk::QVEAction* b)
{
    return a->nameValue().compare(b->nameValue(), Qt::CaseInsensitive) < 0;
}

} // namespace editor
