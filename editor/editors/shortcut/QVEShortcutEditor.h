#pragma once
// QVEShortcutEditor: the editor window of one shortcut. It keeps working
// copies of the shortcut's steps, launcher and context references and run
// parameters; OK writes them into the shortcut in one go, Cancel drops
// them (and deletes a shortcut that is still new). Edits of the three
// lists and of the name are steps on the shortcut's own undo stack; active
// flags and parameters change without undo.
//
// The three tables are RecordListModels. Rows whose launcher, context or
// action no longer exists are left out when the window opens and taken out
// (undoably) on the managers' update notices.
//
// The window's undo steps are dropped when it closes: they act on the
// working copies, which are gone by then.
#include "QVEObjectEditor.h"
#include "RecordListModel.h"

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QUndoStack>
#include <QVariantMap>
#include <memory>
#include <vector>

class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTableView;
class QToolButton;
class QWidget;

namespace zelk {
class ObserverHandle;
}

namespace editor {

class QVShortcut;

class QVEShortcutEditor : public QObject,
                          public QVEObjectEditor,
                          public std::enable_shared_from_this<QVEShortcutEditor> {
    Q_OBJECT
public:
    QVEShortcutEditor();
    ~QVEShortcutEditor() override;

    // --- The editing convention ---------------------------------------------------------
    void displayWithShortcut(QVShortcut* shortcut) override;
    void makeFront() override;
    // OK: false (window open, alert shown) when the edit cannot be kept.
    bool stopEditing(QObject* sender = nullptr);
    void abortEditing(QObject* sender) override;
    QVariantMap editedRunParametersDict() const override { return m_runParameters; }
    QVariantList editedActionsDictArray() const override;
    void showHelp();
    void test();

    QWidget* window() const { return m_window; }
    QVShortcut* editedShortcut() const { return m_shortcut; }
    bool isEdited() const { return m_isEdited; }

    // --- The three tables ------------------------------------------------------------------
    RecordListModel* actions() const { return m_actions; }
    RecordListModel* launchers() const { return m_launchers; }
    RecordListModel* contexts() const { return m_contexts; }

    // Name: the field's action, and the undoable setter.
    void modifyName();
    void setName(const QString& name, bool isUndo, const QString& undoString);
    QString lastName() const { return m_lastName; }

    // Steps.
    void newActionFromMenu(const QVariantMap& model);
    void substituteSelectedActionsWithCopies();
    void editRunResultParametersOfActionAtIndex(int row);
    void giveImageToShortcutFromActionAtIndex(int row);
    void modifyRunParameters();
    QImage image() const { return m_image; }

    // References.
    void newLauncherFromMenu(const QVariantMap& record);
    void newContextFromMenu(int type);
    void invertActiveAtIndex(RecordListModel* list, int row);
    void invertActiveOfSelected(RecordListModel* list);
    void editSelected(RecordListModel* list);
    void runSelectedActions();
    // The type on the general pasteboard decides the table.
    void pastePasteboard();

    // Notices (names as the system spells them).
    void updateLaunchers();
    void updateContexts();
    void updateActions();
    void subsituteLauncherNotification(const QVariantMap& payload);
    void subsituteContextNotification(const QVariantMap& payload);
    void subsituteActionNotification(const QVariantMap& payload);

private:
    void buildWindow();
    QTableView* makeTable(const char* objectName, const QString& accessibleName);
    void observe();
    void stopObserving();
    // The closing both ways share: frame stored, window shrunk and closed.
    void closeWindow();
    void finish(); // leaves the shortcut without this editor
    void setTitle();
    void updateButtons();
    // Removes the rows whose object is gone, as one step.
    void removeUnknownRows(RecordListModel* list);
    void substitute(RecordListModel* list, int kind, const QVariantMap& payload);
    RecordListModel* focusedList() const;
    void applyActiveFlagKey(RecordListModel* list, int row);

    QPointer<QWidget> m_window;
    QLabel* m_imageView = nullptr;
    QLineEdit* m_nameField = nullptr;
    QLabel* m_runParametersField = nullptr;
    QTableView* m_actionsTable = nullptr;
    QTableView* m_launchersTable = nullptr;
    QTableView* m_contextsTable = nullptr;
    QToolButton* m_addActionButton = nullptr;
    QToolButton* m_addLauncherButton = nullptr;
    QToolButton* m_addContextButton = nullptr;
    QPushButton* m_removeActionsButton = nullptr;
    QPushButton* m_removeLaunchersButton = nullptr;
    QPushButton* m_removeContextsButton = nullptr;

    QVShortcut* m_shortcut = nullptr;
    QPointer<QUndoStack> m_undoStack; // the shortcut's; it may go first
    RecordListModel* m_actions = nullptr;
    RecordListModel* m_launchers = nullptr;
    RecordListModel* m_contexts = nullptr;
    QVariantMap m_runParameters;
    QImage m_image;
    QString m_startTitle;
    QString m_lastName;
    bool m_isEdited = false;
    std::vector<zelk::ObserverHandle> m_observers;
};

} // namespace editor
