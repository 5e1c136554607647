#pragma once
// The editor's menu bar and the gate of its edit commands.
//
// Application and window commands go straight to the controller. The edit
// commands are the table-command gate's (TableCommandGate): each is enabled
// only while the focused table or outline's delegate answers it, asked
// again when the focus, the selection or the clipboard changes and when a
// menu opens. Undo and Redo act on the main window's undo group, whose
// active stack follows the focused list.
#include <QHash>
#include <QKeySequence>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <functional>
#include <QString>

class QAction;
class QMenuBar;
class QUndoGroup;
class QWidget;

namespace editor {

class QVEController;

class QVEMenuBar : public QObject {
    Q_OBJECT
public:
    // The undo group whose active stack Undo and Redo act on (none: they
    // stay disabled).
    explicit QVEMenuBar(QVEController& controller, QUndoGroup* undoGroup = nullptr);
    ~QVEMenuBar() override;

    // A menu bar filled with the editor's menus, for a window to show.
    // The actions are shared by every bar made; the window owns the bar.
    QMenuBar* makeMenuBar(QWidget* window);
    // An application command ("MIUpdateNow:") or an edit verb of the gate ("copy").
    QAction* action(const QString& command) const;
    // The clear item (the gate's "clear").
    QAction* clearItem() const;
    QAction* undoAction() const { return m_undo; }
    QAction* redoAction() const { return m_redo; }
    QMenu* modelsMenu() const { return m_modelsMenu; }
    void setModelsMenu(QMenu* menu);
    QUndoGroup* undoGroup() const { return m_undoGroup; }

private:
    QAction* addAppAction(const QString& name, const QString& titleKey, const std::function<void()>& fn,
                          const QKeySequence& key = {});

    QVEController& m_controller;
    QHash<QString, QAction*> m_actions;
    QList<QAction*> m_appActions;
    QAction* m_undo = nullptr;
    QAction* m_redo = nullptr;
    QUndoGroup* m_undoGroup = nullptr;
    QPointer<QMenu> m_modelsMenu;
    QAction* m_newShortcutItem = nullptr;
    QList<QPointer<QMenuBar>> m_bars;
};

} // namespace editor
