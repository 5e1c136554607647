#pragma once
// The editor's menu bar and the gate of its edit commands.
//
// Application and window commands go straight to the controller. The edit
// commands ("cut:", "copy:", "paste:", "clear:", "duplicate:", "edit:",
// "export:", "run:") go to the command target that has the keyboard focus
// (QVECommandTarget, found from the focused widget up through its
// parents): each is enabled only while that target answers it, asked again
// whenever the focus moves and whenever a menu opens, and asked once more
// when the command fires from its key. Undo and Redo act on the target's
// undo stack through one QUndoGroup.
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

class QVECommandTarget;
class QVEController;

class QVEMenuBar : public QObject {
    Q_OBJECT
public:
    // A window's undo group (whose active stack it keeps itself), or none:
    // the menu bar's own, its active stack the focused target's.
    explicit QVEMenuBar(QVEController& controller, QUndoGroup* undoGroup = nullptr);
    ~QVEMenuBar() override;

    // The commands, in menu order.
    static QStringList editCommands();

    // A menu bar filled with the editor's menus, for a window to show.
    // The actions are shared by every bar made; the window owns the bar.
    QMenuBar* makeMenuBar(QWidget* window);
    QAction* action(const QString& command) const { return m_actions.value(command); }
    QAction* clearItem() const { return action(QStringLiteral("clear:")); }
    QAction* undoAction() const { return m_undo; }
    QAction* redoAction() const { return m_redo; }
    QMenu* modelsMenu() const { return m_modelsMenu; }
    void setModelsMenu(QMenu* menu);
    QUndoGroup* undoGroup() const { return m_undoGroup; }

    // The target the edit commands go to now; nullptr for none.
    QVECommandTarget* currentTarget() const;
    // Asks the focused target about every edit command again.
    void validateCommands();
    // Performs the edit command on the focused target when it answers it.
    bool perform(const QString& command);

private:
    QAction* addCommand(const QString& command, const QString& titleKey, const QKeySequence& key);
    QAction* addAppAction(const QString& name, const QString& titleKey, const std::function<void()>& fn,
                          const QKeySequence& key = {});

    QVEController& m_controller;
    QHash<QString, QAction*> m_actions;
    QList<QAction*> m_appActions;
    QAction* m_undo = nullptr;
    QAction* m_redo = nullptr;
    QUndoGroup* m_undoGroup = nullptr;
    bool m_ownUndoGroup = true;
    QPointer<QMenu> m_modelsMenu;
    QAction* m_newShortcutItem = nullptr;
    QList<QPointer<QMenuBar>> m_bars;
};

} // namespace editor
