#pragma once
// The shortcuts manager: adds, deletes, copies, pastes, duplicates,
// exports, runs and opens shortcuts, each change one undo step of its own
// stack and an update notice. The objects live in the shared ObjectStore.
#include "ManagerSupport.h"
#include "QVEMainObjectsManager.h"
#include "QVShortcut.h"

#include <QUndoStack>

class QMimeData;

namespace editor {

class QVEShortcutsManager : public QVEMainObjectsManager {
public:
    static QVEShortcutsManager& sharedManager();

    void setShortcuts(const QVariantList& records);
    QVariantList shortcutsDictArray() const;   // the saved list
    QList<QVShortcut*> allShortcutsArray() const;
    QList<QVShortcut*> shortcutsWithContextID(quint32 contextID) const;
    void addShortcutObject(const QVariantMap& record);
    // False (logged) for an index outside 0...count or an empty record.
    bool insertShortcutObject(const QVariantMap& record, int atIndex);

    void newShortcut();
    void newShortcutWithActions(const QVariantList& actions);
    void newShortcutWithActions(const QVariantList& actions, const QVariantList& contexts);
    void newShortcutWithContexts(const QVariantList& contexts);
    void newShortcutWithLaunchers(const QVariantList& launchers);
    QList<quint32> addShortcuts(const QVariantList& records, bool withNewID, bool isUndo);
    QList<quint32> delShortcutsID(const QList<quint32>& ids, bool withMessage, bool auxObjects, bool isUndo);

    void exportShortcutsID(const QList<quint32>& ids);
    QVariantMap exportDataForShortcutsID(const QList<quint32>& ids) const;
    void copyShortcutsID(const QList<quint32>& ids);
    void pastePasteboard(const QMimeData* pasteboard);
    void pasteActionsWithPasteboard(const QMimeData* pasteboard);
    void duplicateShortcutsID(const QList<quint32>& ids);
    void runShortcutsID(const QList<quint32>& ids);
    void editObjectsID(const QList<quint32>& ids) override;
    void newMenuWithShortcutsID(const QList<quint32>& ids, const std::optional<QVariantList>& contexts);
    void newPaletteWithShortcutsID(const QList<quint32>& ids, const std::optional<QVariantList>& contexts);

    QVShortcut* objectWithID(quint32 id) const override;
    void updateShortcuts();
    QUndoStack* undoManager() { return &m_undoManager; }

private:
    QVEShortcutsManager() = default;
    void addNew(const QVariantMap& record);

    QUndoStack m_undoManager;
};

} // namespace editor
