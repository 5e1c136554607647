#include "QVEShortcutsManager.h"

#include "Log.h"
#include "ModelSupport.h"
#include "QVEAction.h"
#include "QVEActionsManager.h"
#include "QVEMenusManager.h"
#include "QVEPalettesManager.h"
#include "QVShortcut.h"

namespace editor {

static const StepTexts kTexts{"AnnulerAjouterRaccourci", "AnnulerAjouterRaccourcis", "AnnulerSupprimerRaccourci",
                              "AnnulerSupprimerRaccourcis", "cutname"};

QVEShortcutsManager& QVEShortcutsManager::sharedManager()
{
    static QVEShortcutsManager manager;
    return manager;
}

void QVEShortcutsManager::setShortcuts(const QVariantList& records)
{
    for (const QVariant& record : records)
        addShortcutObject(record.toMap());
}

QVariantList QVEShortcutsManager::shortcutsDictArray() const
{
    ObjectStore* store = managedStore("QVEShortcutsManager", "shortcutsDictArray");
    return store ? store->shortcutsDictArray() : QVariantList{};
}

QList<QVShortcut*> QVEShortcutsManager::allShortcutsArray() const
{
    ObjectStore* store = managedStore("QVEShortcutsManager", "allShortcutsArray");
    return store ? store->allShortcuts() : QList<QVShortcut*>{};
}

QList<QVShortcut*> QVEShortcutsManager::shortcutsWithContextID(quint32 contextID) const
{
    return objectsWithContextID(allShortcutsArray(), contextID);
}

void QVEShortcutsManager::addShortcutObject(const QVariantMap& record)
{
    if (ObjectStore* store = managedStore("QVEShortcutsManager", "addShortcutObject"))
        insertShortcutObject(record, int(store->count(ObjectsFile::Shortcuts)));
}

bool QVEShortcutsManager::insertShortcutObject(const QVariantMap& record, int atIndex)
{
    ObjectStore* store = managedStore("QVEShortcutsManager", "insertShortcutObject");
    if (!store)
        return false;
    const qsizetype count = store->count(ObjectsFile::Shortcuts);
    if (atIndex < 0 || record.isEmpty() || atIndex > count) {
        zelk::zlog("QVEShortcutsManager", "insertShortcutObject")
            << QStringLiteral("error Editor QVShortcutsManager - SMShortcutsArray cnt %1 insertShortcutObject %2 for")
                   .arg(count)
                   .arg(atIndex)
            << record;
        return false;
    }
    return store->insertRecord(ObjectsFile::Shortcuts, record, atIndex);
}

void QVEShortcutsManager::addNew(const QVariantMap& record)
{
    addShortcuts({record}, false, false);
}

void QVEShortcutsManager::newShortcut() { addNew(QVShortcut::newData()); }
void QVEShortcutsManager::newShortcutWithActions(const QVariantList& actions)
{
    addNew(QVShortcut::newDataWithActionsDict(actions));
}

void QVEShortcutsManager::newShortcutWithActions(const QVariantList& actions, const QVariantList& contexts)
{
    addNew(QVShortcut::newDataWithActionsDict(actions, contexts));
    if (!actions.isEmpty())
        QVEActionsManager::sharedManager().editActionsID({uintValue(actions.first().toMap().value(QStringLiteral("actionID")))});
}

void QVEShortcutsManager::newShortcutWithContexts(const QVariantList& contexts)
{
    addNew(QVShortcut::newDataWithContextsDict(contexts));
}

void QVEShortcutsManager::newShortcutWithLaunchers(const QVariantList& launchers)
{
    addNew(QVShortcut::newDataWithLaunchersDict(launchers));
}

QList<quint32> QVEShortcutsManager::addShortcuts(const QVariantList& records, bool withNewID, bool isUndo)
{
    ObjectStore* store = managedStore("QVEShortcutsManager", "addShortcuts");
    if (!store)
        return {};
    return addRecordsAsStep(*store, &m_undoManager, ObjectsFile::Shortcuts, records, withNewID, isUndo, kTexts,
                            &QVShortcut::nextShortcutID, [this](const QList<quint32>& ids) { editObjectsID(ids); });
}

QList<quint32> QVEShortcutsManager::delShortcutsID(const QList<quint32>& ids, bool withMessage, bool auxObjects,
                                                   bool isUndo)
{
    ObjectStore* store = managedStore("QVEShortcutsManager", "delShortcutsID");
    if (!store)
        return {};
    return deleteAsStep(*store, &m_undoManager, ObjectsFile::Shortcuts, ids, isUndo, kTexts,
                        [&] { store->delShortcutsID(ids, withMessage, auxObjects, isUndo); });
}

void QVEShortcutsManager::exportShortcutsID(const QList<quint32>& ids)
{
    if (ids.isEmpty())
        return;
    QVShortcut* first = objectWithID(ids.first());
    exportExchangeFile(QStringLiteral("ExporterRaccourcis"), first ? first->nameValue() : QString(),
                       exportDataForShortcutsID(ids), QStringLiteral("RaccourcisPasExportes"));
}

QVariantMap QVEShortcutsManager::exportDataForShortcutsID(const QList<quint32>& ids) const
{
    ObjectStore* store = managedStore("QVEShortcutsManager", "exportDataForShortcutsID");
    if (!store)
        return {};
    ExchangeGatherer gatherer(*store);
    for (const quint32 id : ids)
        gatherer.addShortcut(id);
    return gatherer.exchangeFile(true);
}

void QVEShortcutsManager::copyShortcutsID(const QList<quint32>& ids)
{
    if (ObjectStore* store = managedStore("QVEShortcutsManager", "copyShortcutsID"))
        writeRecordsToPasteboard(QStringLiteral("QVShortcutPboardType"), recordsOf(*store, ObjectsFile::Shortcuts, ids));
}

void QVEShortcutsManager::pastePasteboard(const QMimeData* pasteboard)
{
    if (pasteboardHasType(pasteboard, QStringLiteral("QVActionPboardType")))
        pasteActionsWithPasteboard(pasteboard);
}

void QVEShortcutsManager::pasteActionsWithPasteboard(const QMimeData* pasteboard)
{
    pasteAsNewObject(&m_undoManager, pasteboard, PastedItems::Actions,
                     [this](const QVariantList& records) { newShortcutWithActions(records); });
}

void QVEShortcutsManager::duplicateShortcutsID(const QList<quint32>& ids)
{
    ObjectStore* store = managedStore("QVEShortcutsManager", "duplicateShortcutsID");
    if (!store)
        return;
    const QVariantList records = namedRecordsOf(*this, ids, QStringLiteral("cutname"));
    if (records.isEmpty())
        return;
    // The copied actions belong to this one step.
    UndoStep step(*store);
    QVariantList copies = namedCopies(records, QStringLiteral("cutname"));
    if (QVShortcut::copyActions()) {
        for (QVariant& value : copies) {
            QVariantMap record = value.toMap();
            QVariantList steps = record.value(QStringLiteral("cutactions")).toList();
            for (QVariant& stepValue : steps) {
                QVariantMap stepRecord = stepValue.toMap();
                const quint32 actionID = uintValue(stepRecord.value(QStringLiteral("cutactionID")));
                if (zelk::QVEAction* copy = QVEActionsManager::sharedManager().duplicateActionID(actionID))
                    stepRecord.insert(QStringLiteral("cutactionID"), qint64(copy->IDValue()));
                stepValue = stepRecord;
            }
            record.insert(QStringLiteral("cutactions"), steps);
            value = record;
        }
    }
    const QList<quint32> added = addShortcuts(copies, true, true);
    for (const quint32 id : added)
        setObjectIsNew(*store, ObjectsFile::Shortcuts, id, true);
    step.push(&m_undoManager, locFormat(QStringLiteral("AnnulerDupliquerRaccourcis"), {qulonglong(copies.size())}));
    editObjectsID(added);
}

void QVEShortcutsManager::runShortcutsID(const QList<quint32>& ids)
{
    for (const quint32 id : ids) {
        if (QVShortcut* shortcut = objectWithID(id))
            shortcut->test();
    }
}

void QVEShortcutsManager::editObjectsID(const QList<quint32>& ids)
{
    if (ObjectStore* store = managedStore("QVEShortcutsManager", "editObjectsID"))
        editObjects(*store, ObjectsFile::Shortcuts, ids);
}

void QVEShortcutsManager::newMenuWithShortcutsID(const QList<quint32>& ids, const std::optional<QVariantList>& contexts)
{
    ObjectStore* store = managedStore("QVEShortcutsManager", "newMenuWithShortcutsID");
    if (!store)
        return;
    const QVariantList records = recordsOf(*store, ObjectsFile::Shortcuts, ids);
    if (contexts)
        QVEMenusManager::sharedManager().newMenuWithShortcuts(records, *contexts);
    else
        QVEMenusManager::sharedManager().newMenuWithShortcuts(records);
}

void QVEShortcutsManager::newPaletteWithShortcutsID(const QList<quint32>& ids, const std::optional<QVariantList>& contexts)
{
    ObjectStore* store = managedStore("QVEShortcutsManager", "newPaletteWithShortcutsID");
    if (!store)
        return;
    const QVariantList records = recordsOf(*store, ObjectsFile::Shortcuts, ids);
    if (contexts)
        QVEPalettesManager::sharedManager().newPaletteWithShortcuts(records, *contexts);
    else
        QVEPalettesManager::sharedManager().newPaletteWithShortcuts(records);
}

QVShortcut* QVEShortcutsManager::objectWithID(quint32 id) const
{
    ObjectStore* store = ObjectStore::sharedStore();
    return store ? store->shortcutWithID(id) : nullptr;
}

void QVEShortcutsManager::updateShortcuts() { postUpdate(ObjectsFile::Shortcuts); }

} // namespace editor
