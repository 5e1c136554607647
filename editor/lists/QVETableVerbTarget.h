#pragma once
// The delegate convention of StripedTableView and QVEOutlineView: each edit
// command that reaches the view ("cut", "copy", ...) is handed to the
// delegate, and is enabled only while the view has the keyboard focus of
// the active window and the delegate's enabler says yes. Every operation is
// optional: a delegate that does not answer a verb leaves it disabled.
#include <QMimeData>
#include <QModelIndex>
#include <QPoint>
#include <QString>
#include <Qt>

class QAbstractItemView;
class QContextMenuEvent;
class QMenu;
class QObject;
class QUndoStack;

namespace editor {

// Where a drop lands: on the index's row, or between rows above it (no
// index: below the last row), as the view proposes it.
enum class DropPosition { On, Above };

class QVETableVerbTarget {
public:
    virtual ~QVETableVerbTarget() = default;

    // Whether the delegate has an enabler for the verb (its name without
    // the colon: "cut", "clearStructure", ...).
    virtual bool answersVerb(const QString& verb) const = 0;
    // The verb's enabler ("cutEnabledInTableView").
    virtual bool verbEnabledInTableView(const QString& verb, QAbstractItemView* view) = 0;
    // Performs the verb on the view's selection ("cut:inTableView:").
    virtual void verbInTableView(const QString& verb, QObject* sender, QAbstractItemView* view) = 0;

    // The view's context menu; nullptr for none.
    virtual QMenu* tableContextMenuForEvent(QContextMenuEvent*, QAbstractItemView*) { return nullptr; }
    // A click happened (column -1 beside every column, row -1 under every row).
    virtual void tableViewClickInTableColumn(QAbstractItemView*, int /*column*/, int /*row*/, const QPoint&) {}
    // A drag left the view.
    virtual void dragExit(QAbstractItemView*) {}
    // The undo stack of what the view shows; nullptr for none.
    virtual QUndoStack* undoManager() { return nullptr; }

    // The operations a drag out of this delegate's view offers.
    virtual Qt::DropActions draggingSourceOperationMask(Qt::KeyboardModifiers) const { return Qt::MoveAction; }
    // Drops onto the view: the operation to propose (Qt::IgnoreAction to
    // refuse); the delegate may retarget the position. sourceMask is what
    // the drag's source offers.
    virtual Qt::DropAction validateDrop(QAbstractItemView*, const QMimeData*, QModelIndex& /*index*/,
                                        DropPosition& /*position*/, Qt::DropActions /*sourceMask*/)
    {
        return Qt::IgnoreAction;
    }
    // True when the drop was taken: the source is told it was performed.
    virtual bool acceptDrop(QAbstractItemView*, const QMimeData*, const QModelIndex& /*index*/, DropPosition,
                            Qt::DropAction)
    {
        return false;
    }
};

} // namespace editor
