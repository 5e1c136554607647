#pragma once
// The edit commands of the editor's menus and their enable gate: one
// QAction per verb of the table convention, enabled only while the focused
// view is a StripedTableView or QVEOutlineView whose delegate answers the
// verb with yes. The gate is asked again whenever the focus, the focused
// view's selection or the clipboard changes; triggering an action forwards
// the verb to the focused view. The application puts the actions into its
// menus; the main window adds them to itself for their key equivalents.
#include <QAbstractItemView>
#include <QHash>
#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QPointer>

class QAction;

namespace editor {

class QVETableVerbTarget;

class TableCommandGate : public QObject {
    Q_OBJECT
public:
    static TableCommandGate& sharedGate();

    // The verbs in menu order: cut, copy, paste, clear, clearStructure,
    // duplicate, edit, export, run, activate, editTarget,
    // editRunParameters, setImageToObject, newShortcut, newMenu, newPalette.
    static const QStringList& verbs();
    QAction* action(const QString& verb) const { return m_actions.value(verb); }
    QList<QAction*> actions() const;

    // The view the commands go to now: the focused table or outline.
    QAbstractItemView* focusedView() const { return m_view; }
    QVETableVerbTarget* focusedDelegate() const;
    // Asks the gate again for every verb.
    void refresh();
    // A view got a new model (a list connected): the gate follows its new
    // selection when it is the focused one.
    void viewModelChanged(QAbstractItemView* view);

signals:
    // The focused table or outline changed (nullptr: none has the focus).
    void focusedViewChanged(QAbstractItemView* view);

private:
    TableCommandGate();
    void focusChanged(QWidget* now);
    void watch(QAbstractItemView* view);
    void trigger(const QString& verb);

    QHash<QString, QAction*> m_actions;
    QPointer<QAbstractItemView> m_view;
    QList<QMetaObject::Connection> m_viewConnections;
};

// The row the view's commands act on first: the current index when it is
// selected, else the first selected one; invalid without selection.
QModelIndex selectedIndex(const QAbstractItemView* view);

// The gate and the forwarding for any of our views (false / nothing for
// another widget).
bool viewRespondsToVerb(QWidget* view, const QString& verb);
void viewPerformVerb(QWidget* view, const QString& verb, QObject* sender);
QVETableVerbTarget* viewVerbDelegate(QWidget* view);

} // namespace editor
