#pragma once
// The menus manager: the shortcuts manager's pattern for menus. Every menu
// it adds is linked to its items' objects at once, so nothing a menu names
// can be deleted from under it.
#include "ManagerSupport.h"
#include "QVEMainObjectsManager.h"
#include "QVMenu.h"

#include <QUndoStack>

class QMimeData;

namespace editor {

class QVEMenusManager : public QVEMainObjectsManager {
public:
    static QVEMenusManager& sharedManager();

    void setMenus(const QVariantList& records);
    QVariantList menusDictArray() const;
    QList<QVMenu*> allMenusArray() const;
    QList<QVMenu*> menusWithContextID(quint32 contextID) const;
    void addMenuObject(const QVariantMap& record);
    void insertMenuObject(const QVariantMap& record, int atIndex);

    void newMenu();
    void newMenuWithShortcuts(const QVariantList& shortcuts);
    void newMenuWithShortcuts(const QVariantList& shortcuts, const QVariantList& contexts);
    void newMenuWithActions(const QVariantList& actions);
    void newMenuWithContexts(const QVariantList& contexts);
    void newMenuWithLaunchers(const QVariantList& launchers);
    QList<quint32> addMenus(const QVariantList& records, bool withNewID, bool isUndo);
    QList<quint32> delMenusID(const QList<quint32>& ids, bool withMessage, bool auxObjects, bool isUndo);

    void exportMenusID(const QList<quint32>& ids);
    QVariantMap exportDataForMenusID(const QList<quint32>& ids) const;
    void copyMenusID(const QList<quint32>& ids);
    void pastePasteboard(const QMimeData* pasteboard);
    void pasteShortcutsWithPasteboard(const QMimeData* pasteboard);
    void pasteActionsWithPasteboard(const QMimeData* pasteboard);
    void duplicateMenusID(const QList<quint32>& ids);
    void runMenusID(const QList<quint32>& ids);
    void editObjectsID(const QList<quint32>& ids) override;

    QVMenu* objectWithID(quint32 id) const override;
    void updateMenus();
    QUndoStack* undoManager() { return &m_undoManager; }

private:
    QVEMenusManager() = default;
    void addNew(const QVariantMap& record);

    QUndoStack m_undoManager;
};

} // namespace editor
