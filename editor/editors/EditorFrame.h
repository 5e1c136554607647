#pragma once
// The parts of an object editor's window that every editor with record
// tables shares: its tables, the window's edit commands, the tables'
// context menu, the add menus' caption and Library entry, and the watch
// on the window (closing by the frame is Cancel; becoming key routes Undo).
#include <QObject>
#include <QList>
#include <QString>
#include <QVariantList>
#include <QVariantMap>
#include <functional>

class QMenu;
class QPoint;
class QTableView;
class QUndoStack;
class QWidget;

namespace editor {

class RecordListModel;

// A table of records: rows selected whole, dragged and dropped, never
// edited in place, with a context menu asked for by customContextMenuRequested.
QTableView* makeEditorTable(const QString& objectName, const QString& accessibleName);

// The window's Undo and Redo (on the stack the window edits on) and Cut,
// Copy, Paste and Delete (on the focused table, when there is one).
struct EditCommands {
    std::function<QUndoStack*()> undoStack;
    std::function<RecordListModel*()> focusedList;
    std::function<void()> paste; // the editor's paste: the pasteboard's type decides the table
};
void addEditCommands(QWidget* window, QObject* context, const EditCommands& commands);

// The context menu of a table: cut, copy, paste, delete, edit, activate,
// then the entries `more` adds; run at the point (viewport coordinates).
struct TableCommands {
    std::function<void()> paste;
    std::function<void()> edit;
    std::function<void()> activate;
    std::function<void(QMenu* menu, bool selected)> more;
};
void execTableMenu(QTableView* table, RecordListModel* list, const QPoint& at, QObject* context,
                   const TableCommands& commands);
// One entry of such a menu, titled by a localisation key.
void addMenuCommand(QMenu* menu, const QString& key, bool enabled, QObject* context, const std::function<void()>& run);

// The list of the focused table among the pairs; nullptr when none has
// the focus.
RecordListModel* focusedListOf(const QList<std::pair<QTableView*, RecordListModel*>>& tables);
// The editor's paste: the first list that takes what the general
// pasteboard holds, in the order given, pastes it.
void pasteIntoFirstTaker(const QList<RecordListModel*>& lists);
// The records whose object still exists: an undo in the window can bring
// back a row whose object was deleted meanwhile, and OK writes none such.
QVariantList knownRecordsOf(const RecordListModel* list, const char* cls);
// Takes out, as one step, the rows whose object is gone (among those
// `concerned` picks, all when unset), then shows the rows anew.
void removeMissingRows(RecordListModel* list, const std::function<bool(const QVariantMap&)>& concerned = {});

// A substitute notice {what, with} of a kind on a list: every row that
// `names` says names `what` becomes a reference to `with` (made by
// `referenceFor` from its record), in place, each as a removal and an add;
// without `with`, or with `with` gone, the rows leave as one step. A
// `with` equal to `what` changes nothing.
void substituteRows(RecordListModel* list, const QVariantMap& payload, int kind,
                    const std::function<bool(const QVariantMap& record, quint32 id)>& names,
                    const std::function<QVariantMap(const QVariantMap& real)>& referenceFor);

// An add menu opens on a disabled "Nouveau..." caption and ends with the
// Library on a list (0 launchers, 1 actions, 2 contexts); -1: no Library.
void frameAddMenu(QMenu* menu, QObject* context, int libraryList);
void addNewCaption(QMenu* menu);

// Watches an editor's window: a close by the frame while editing runs
// `cancel` instead; becoming active runs `activated`.
class EditorWindowWatcher : public QObject {
public:
    EditorWindowWatcher(std::function<bool()> isEdited, std::function<void()> cancel, std::function<void()> activated,
                        QObject* parent);
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<bool()> m_isEdited;
    std::function<void()> m_cancel;
    std::function<void()> m_activated;
};

} // namespace editor
