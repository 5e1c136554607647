#include "QVEMenusManager.h"

#include "Log.h"
#include "ModelSupport.h"
#include "QVMenu.h"
#include "QVUtility.h"

#include <QMenu>

namespace editor {

static const StepTexts kTexts{"AnnulerAjouterMenu", "AnnulerAjouterMenus", "AnnulerSupprimerMenu",
                              "AnnulerSupprimerMenus", "menuname"};

QVEMenusManager& QVEMenusManager::sharedManager()
{
    static QVEMenusManager manager;
    return manager;
}

void QVEMenusManager::setMenus(const QVariantList& records)
{
    ObjectStore* store = managedStore("QVEMenusManager", "setMenus");
    if (!store)
        return;
    // A submenu may come after its parent: link once all exist.
    QList<quint32> ids;
    for (const QVariant& value : records) {
        const QVariantMap record = value.toMap();
        if (store->insertRecord(ObjectsFile::Menus, record, -1, false))
            ids.append(uintValue(record.value(QStringLiteral("menuID"))));
    }
    for (const quint32 id : ids)
        store->linkMenu(id);
}

QVariantList QVEMenusManager::menusDictArray() const
{
    ObjectStore* store = managedStore("QVEMenusManager", "menusDictArray");
    return store ? store->menusDictArray() : QVariantList{};
}

QList<QVMenu*> QVEMenusManager::allMenusArray() const
{
    ObjectStore* store = managedStore("QVEMenusManager", "allMenusArray");
    return store ? store->allMenus() : QList<QVMenu*>{};
}

QList<QVMenu*> QVEMenusManager::menusWithContextID(quint32 contextID) const
{
    return objectsWithContextID(allMenusArray(), contextID);
}

void QVEMenusManager::addMenuObject(const QVariantMap& record)
{
    insertMenuObject(record, -1);
}

void QVEMenusManager::insertMenuObject(const QVariantMap& record, int atIndex)
{
    if (ObjectStore* store = managedStore("QVEMenusManager", "insertMenuObject"))
        store->insertRecord(ObjectsFile::Menus, record, atIndex);
}

void QVEMenusManager::addNew(const QVariantMap& record) { addMenus({record}, false, false); }
void QVEMenusManager::newMenu() { addNew(QVMenu::newData()); }
void QVEMenusManager::newMenuWithShortcuts(const QVariantList& shortcuts)
{
    addNew(QVMenu::newDataWithShortcutsDict(shortcuts));
}
void QVEMenusManager::newMenuWithShortcuts(const QVariantList& shortcuts, const QVariantList& contexts)
{
    addNew(QVMenu::newDataWithShortcutsDict(shortcuts, contexts));
}
void QVEMenusManager::newMenuWithActions(const QVariantList& actions) { addNew(QVMenu::newDataWithActionsDict(actions)); }
void QVEMenusManager::newMenuWithContexts(const QVariantList& contexts)
{
    addNew(QVMenu::newDataWithContextsDict(contexts));
}
void QVEMenusManager::newMenuWithLaunchers(const QVariantList& launchers)
{
    addNew(QVMenu::newDataWithLaunchersDict(launchers));
}

QList<quint32> QVEMenusManager::addMenus(const QVariantList& records, bool withNewID, bool isUndo)
{
    ObjectStore* store = managedStore("QVEMenusManager", "addMenus");
    if (!store)
        return {};
    return addRecordsAsStep(*store, &m_undoManager, ObjectsFile::Menus, records, withNewID, isUndo, kTexts,
                            &QVMenu::nextMenuID, [this](const QList<quint32>& ids) { editObjectsID(ids); });
}

QList<quint32> QVEMenusManager::delMenusID(const QList<quint32>& ids, bool withMessage, bool auxObjects, bool isUndo)
{
    ObjectStore* store = managedStore("QVEMenusManager", "delMenusID");
    if (!store)
        return {};
    return deleteAsStep(*store, &m_undoManager, ObjectsFile::Menus, ids, isUndo, kTexts,
                        [&] { store->delMenusID(ids, withMessage, auxObjects, isUndo); });
}

void QVEMenusManager::exportMenusID(const QList<quint32>& ids)
{
    if (ids.isEmpty())
        return;
    QVMenu* first = objectWithID(ids.first());
    exportExchangeFile(QStringLiteral("ExporterMenus"), first ? first->nameValue() : QString(),
                       exportDataForMenusID(ids), QStringLiteral("MenusPasExportes"));
}

QVariantMap QVEMenusManager::exportDataForMenusID(const QList<quint32>& ids) const
{
    ObjectStore* store = managedStore("QVEMenusManager", "exportDataForMenusID");
    if (!store)
        return {};
    ExchangeGatherer gatherer(*store);
    for (const quint32 id : ids)
        gatherer.addMenu(id);
    return gatherer.exchangeFile(false);
}

void QVEMenusManager::copyMenusID(const QList<quint32>& ids)
{
    if (ObjectStore* store = managedStore("QVEMenusManager", "copyMenusID"))
        writeRecordsToPasteboard(QStringLiteral("QVMenuPboardType"), recordsOf(*store, ObjectsFile::Menus, ids));
}

void QVEMenusManager::pastePasteboard(const QMimeData* pasteboard)
{
    if (pasteboardHasType(pasteboard, QStringLiteral("QVShortcutPboardType")))
        pasteShortcutsWithPasteboard(pasteboard);
    else if (pasteboardHasType(pasteboard, QStringLiteral("QVActionPboardType")))
        pasteActionsWithPasteboard(pasteboard);
}

void QVEMenusManager::pasteShortcutsWithPasteboard(const QMimeData* pasteboard)
{
    pasteAsNewObject(&m_undoManager, pasteboard, PastedItems::Shortcuts,
                     [this](const QVariantList& records) { newMenuWithShortcuts(records); });
}

void QVEMenusManager::pasteActionsWithPasteboard(const QMimeData* pasteboard)
{
    pasteAsNewObject(&m_undoManager, pasteboard, PastedItems::Actions,
                     [this](const QVariantList& records) { newMenuWithActions(records); });
}

void QVEMenusManager::duplicateMenusID(const QList<quint32>& ids)
{
    const QVariantList records = namedRecordsOf(*this, ids, QStringLiteral("menuname"));
    if (records.isEmpty())
        return;
    const QVariantList copies = namedCopies(records, QStringLiteral("menuname"));
    if (!addMenus(copies, true, false).isEmpty())
        renameTopStep(&m_undoManager, locFormat(QStringLiteral("AnnulerDupliquerMenus"), {qulonglong(copies.size())}));
}

void QVEMenusManager::runMenusID(const QList<quint32>& ids)
{
    if (ids.isEmpty())
        return;
    QVMenu* menu = objectWithID(ids.first());
    if (!menu)
        return;
    QMenu* popUp = QVMenu::menuWithItemsDict(menu->itemsDictArray(), menu->showImage(), menu->showCombo());
    if (!popUp)
        return;
    popUp->setAttribute(Qt::WA_DeleteOnClose);
    QVUtility::sharedUtility().displayFloatingMenu(popUp);
}

void QVEMenusManager::editObjectsID(const QList<quint32>& ids)
{
    if (ObjectStore* store = managedStore("QVEMenusManager", "editObjectsID"))
        editObjects(*store, ObjectsFile::Menus, ids);
}

QVMenu* QVEMenusManager::objectWithID(quint32 id) const
{
    ObjectStore* store = ObjectStore::sharedStore();
    return store ? store->menuWithID(id) : nullptr;
}

void QVEMenusManager::updateMenus() { postUpdate(ObjectsFile::Menus); }

} // namespace editor
