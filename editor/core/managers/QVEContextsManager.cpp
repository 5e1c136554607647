#include "QVEContextsManager.h"

#include "ModelSupport.h"
#include "QVContext.h"
#include "QVEMenusManager.h"
#include "QVEPalettesManager.h"
#include "QVEShortcutsManager.h"

namespace editor {

static const StepTexts kTexts{"AnnulerAjouterContexte", "AnnulerAjouterContextes", "AnnulerSupprimerContexte",
                              "AnnulerSupprimerContextes", "contextname"};

QVEContextsManager& QVEContextsManager::sharedManager()
{
    static QVEContextsManager manager;
    return manager;
}

void QVEContextsManager::setContexts(const QVariantList& records)
{
    for (const QVariant& record : records)
        addContextObject(record.toMap());
}

QVariantList QVEContextsManager::contextsDictArray() const
{
    ObjectStore* store = managedStore("QVEContextsManager", "contextsDictArray");
    return store ? store->contextsDictArray() : QVariantList{};
}

QList<QVContext*> QVEContextsManager::allContextsArray() const
{
    ObjectStore* store = managedStore("QVEContextsManager", "allContextsArray");
    return store ? store->allContexts() : QList<QVContext*>{};
}

QList<QVContext*> QVEContextsManager::contextsOfType(int type) const
{
    QList<QVContext*> found;
    for (QVContext* context : allContextsArray()) {
        if (context->contextType() == type)
            found.append(context);
    }
    return found;
}

QList<QVContext*> QVEContextsManager::contextsWithRuleType(int ruleType) const
{
    QList<QVContext*> found;
    for (QVContext* context : allContextsArray()) {
        for (const QVariant& rule : context->rulesDictArray()) {
            if (intValue(rule.toMap().value(QStringLiteral("ruletype"))) == ruleType) {
                found.append(context);
                break;
            }
        }
    }
    return found;
}

void QVEContextsManager::addContextObject(const QVariantMap& record) { insertContextObject(record, -1); }

void QVEContextsManager::insertContextObject(const QVariantMap& record, int atIndex)
{
    if (ObjectStore* store = managedStore("QVEContextsManager", "insertContextObject"))
        store->insertRecord(ObjectsFile::Contexts, record, atIndex);
}

void QVEContextsManager::newContextForType(int type)
{
    if (type == 0 && !contextsOfType(0).isEmpty()) {
        alert(loc(QStringLiteral("PasAjouterContexte")), loc(QStringLiteral("DejaContexteUniversel")), QStringLiteral("OK"));
        return;
    }
    addContexts({QVContext::newDataForType(type)}, false);
}

QList<quint32> QVEContextsManager::addContexts(const QVariantList& records, bool isUndo)
{
    ObjectStore* store = managedStore("QVEContextsManager", "addContexts");
    if (!store)
        return {};
    return addRecordsAsStep(*store, &m_undoManager, ObjectsFile::Contexts, records, false, isUndo, kTexts, {},
                            [this](const QList<quint32>& ids) { editContextsID(ids); });
}

QList<quint32> QVEContextsManager::delContextsID(const QList<quint32>& ids, bool isUndo)
{
    ObjectStore* store = managedStore("QVEContextsManager", "delContextsID");
    if (!store)
        return {};
    return deleteAsStep(*store, &m_undoManager, ObjectsFile::Contexts, ids, isUndo, kTexts, [&] {
        for (const quint32 id : ids) {
            QVContext* context = store->contextWithID(id);
            if (context && context->canDelete())
                store->removeObject(ObjectsFile::Contexts, id);
        }
    });
}

void QVEContextsManager::exportContextsID(const QList<quint32>& ids)
{
    exportExchangeFile(QStringLiteral("ExporterContextes"), loc(QStringLiteral("ContextesExportes")),
                       {{QStringLiteral("exportedcontexts"), exportDataForContextsID(ids)}},
                       QStringLiteral("ContextesPasExportes"));
}

QVariantList QVEContextsManager::exportDataForContextsID(const QList<quint32>& ids) const
{
    ObjectStore* store = managedStore("QVEContextsManager", "exportDataForContextsID");
    return store ? recordsOf(*store, ObjectsFile::Contexts, ids) : QVariantList{};
}

void QVEContextsManager::copyContextsID(const QList<quint32>& ids)
{
    writeRecordsToPasteboard(QStringLiteral("QVContextPboardType"), exportDataForContextsID(ids));
}

void QVEContextsManager::editContextsID(const QList<quint32>& ids)
{
    if (ObjectStore* store = managedStore("QVEContextsManager", "editContextsID"))
        editObjects(*store, ObjectsFile::Contexts, ids);
}

void QVEContextsManager::newShortcutWithContextsID(const QList<quint32>& ids)
{
    QVEShortcutsManager::sharedManager().newShortcutWithContexts(exportDataForContextsID(ids));
}

void QVEContextsManager::newMenuWithContextsID(const QList<quint32>& ids)
{
    QVEMenusManager::sharedManager().newMenuWithContexts(exportDataForContextsID(ids));
}

void QVEContextsManager::newPaletteWithContextsID(const QList<quint32>& ids)
{
    QVEPalettesManager::sharedManager().newPaletteWithContexts(exportDataForContextsID(ids));
}

QVContext* QVEContextsManager::contextWithID(quint32 id) const
{
    ObjectStore* store = ObjectStore::sharedStore();
    return store ? store->contextWithID(id) : nullptr;
}

QVContext* QVEContextsManager::contextWithType(int type, const QVariantMap& params) const
{
    for (QVContext* context : allContextsArray()) {
        if (context->isEqualContextType(type, params))
            return context;
    }
    return nullptr;
}

void QVEContextsManager::substituteContext(QVContext* old, QVContext* with, bool deleteOld)
{
    ObjectStore* store = managedStore("QVEContextsManager", "substituteContext");
    if (!store || !old || !with || old == with)
        return;
    const quint32 oldID = old->IDValue();
    const quint32 newID = with->IDValue();
    const QString oldName = old->nameValue();
    UndoStep step(*store);
    substituteReferences(old->linkedObjects(), ObjectsFile::Contexts, oldID, newID);
    postSubstitute(ObjectsFile::Contexts, oldID, newID);
    QString name;
    if (deleteOld && !delContextsID({oldID}, true).isEmpty())
        name = locFormat(QStringLiteral("AnnulerSupprimerContexte"), {oldName});
    step.push(&m_undoManager, name);
}

void QVEContextsManager::updateContextsWithDictionary(const QVariantMap& payload)
{
    postUpdateWithDictionary(ObjectsFile::Contexts, payload);
}

void QVEContextsManager::updateContexts() { postUpdate(ObjectsFile::Contexts, kQVUpdateRefreshAction); }
void QVEContextsManager::reloadContexts() { postUpdate(ObjectsFile::Contexts, kQVUpdateReloadAction); }

} // namespace editor
