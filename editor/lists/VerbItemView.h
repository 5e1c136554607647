#pragma once
// What StripedTableView and QVEOutlineView share: the verb forwarding and
// its enable gate, the context menu, the click report, and drags and drops
// routed to the delegate (QVETableVerbTarget).
//
// Drags: the view starts its own drag with the delegate's operation mask and
// never removes rows afterwards; a move is the delegate's business (through
// its manager), not the item view's.
#include "QVETableVerbTarget.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QStringList>

namespace editor {

// The drag source's operation mask as a drop target sees it: the delegate
// of the source view when the drag comes from one of ours, else what the
// main lists answer (copy while Alt is held, move otherwise) within what
// the drag offers.
Qt::DropActions sourceOperationMask(const QDropEvent* event);
// The operation to propose for a source mask: move, else copy, else link.
Qt::DropAction proposedOperation(Qt::DropActions mask);

template <class Base>
class VerbItemView : public Base {
public:
    explicit VerbItemView(QWidget* parent = nullptr) : Base(parent)
    {
        this->setDragEnabled(true);
        this->setAcceptDrops(true);
        this->setDropIndicatorShown(true);
        this->setDragDropMode(QAbstractItemView::DragDrop);
    }

    void setVerbDelegate(QVETableVerbTarget* delegate) { m_delegate = delegate; }
    QVETableVerbTarget* verbDelegate() const { return m_delegate; }

    virtual const QStringList& commandList() const = 0;
    bool supportedSelector(const QString& verb) const { return commandList().contains(verb); }

    // The enable gate: the view has the keyboard focus of the active window
    // and the delegate answers the verb with yes.
    bool respondsToVerb(const QString& verb)
    {
        const bool firstResponder = this->hasFocus();
        if (!supportedSelector(verb) || !m_delegate || !m_delegate->answersVerb(verb))
            return false;
        return m_delegate->verbEnabledInTableView(verb, this) && firstResponder;
    }
    // Forwarding; the gate has already let the command through.
    void performVerb(const QString& verb, QObject* sender)
    {
        if (m_delegate && supportedSelector(verb))
            m_delegate->verbInTableView(verb, sender, this);
    }

protected:
    void contextMenuEvent(QContextMenuEvent* event) override
    {
        if (!m_delegate)
            return;
        if (!this->hasFocus() && !m_focusOnSecondaryClick)
            return;
        const QModelIndex index = this->indexAt(event->pos());
        if (index.isValid() && !this->selectionModel()->isRowSelected(index.row(), index.parent())) {
            this->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            this->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
        }
        this->setFocus(Qt::MouseFocusReason);
        if (QMenu* menu = m_delegate->tableContextMenuForEvent(event, this))
            menu->popup(event->globalPos());
    }

    void mousePressEvent(QMouseEvent* event) override
    {
        // The table takes the focus on a secondary click, so that its menu
        // shows even while another view had the focus.
        if (event->button() == Qt::RightButton && m_focusOnSecondaryClick)
            this->setFocus(Qt::MouseFocusReason);
        Base::mousePressEvent(event);
        m_pressPos = event->position().toPoint();
    }

    void mouseReleaseEvent(QMouseEvent* event) override
    {
        Base::mouseReleaseEvent(event);
        if (m_delegate && event->button() == Qt::LeftButton) {
            const QModelIndex index = this->indexAt(m_pressPos);
            const int column = index.isValid() ? index.column() : this->columnAtPoint(m_pressPos);
            m_delegate->tableViewClickInTableColumn(this, column, index.isValid() ? index.row() : -1, m_pressPos);
        }
    }

    void startDrag(Qt::DropActions) override
    {
        QModelIndexList rows;
        for (const QModelIndex& index : this->selectionModel()->selectedIndexes()) {
            if (index.column() == 0)
                rows << index;
        }
        if (rows.isEmpty() || !this->model())
            return;
        QMimeData* data = this->model()->mimeData(rows);
        if (!data)
            return;
        const Qt::DropActions mask = m_delegate ? m_delegate->draggingSourceOperationMask(QApplication::keyboardModifiers())
                                                : Qt::MoveAction;
        auto* drag = new QDrag(this);
        drag->setMimeData(data);
        // Both offered: the target chooses from the delegate's mask at each
        // move, as Alt may be pressed or let go during the drag.
        drag->exec(mask | Qt::CopyAction | Qt::MoveAction, proposedOperation(mask));
    }

    void dragEnterEvent(QDragEnterEvent* event) override
    {
        // Entering is taken; each move decides.
        event->accept();
    }

    void dragMoveEvent(QDragMoveEvent* event) override
    {
        QModelIndex index;
        DropPosition position = DropPosition::On;
        dropTarget(event->position().toPoint(), index, position);
        const Qt::DropAction action
            = m_delegate ? m_delegate->validateDrop(this, event->mimeData(), index, position, sourceOperationMask(event))
                         : Qt::IgnoreAction;
        if (action == Qt::IgnoreAction) {
            event->ignore();
            return;
        }
        event->setDropAction(action);
        event->accept();
    }

    void dragLeaveEvent(QDragLeaveEvent* event) override
    {
        Base::dragLeaveEvent(event);
        if (m_delegate)
            m_delegate->dragExit(this);
    }

    void dropEvent(QDropEvent* event) override
    {
        QModelIndex index;
        DropPosition position = DropPosition::On;
        dropTarget(event->position().toPoint(), index, position);
        const Qt::DropActions mask = sourceOperationMask(event);
        const Qt::DropAction action
            = m_delegate ? m_delegate->validateDrop(this, event->mimeData(), index, position, mask) : Qt::IgnoreAction;
        if (action != Qt::IgnoreAction && m_delegate->acceptDrop(this, event->mimeData(), index, position, action)) {
            // Taken: the source learns that the drop was performed.
            event->setDropAction(action);
            event->accept();
        } else {
            event->ignore();
        }
        this->stopAutoScroll();
        this->setState(QAbstractItemView::NoState);
        this->viewport()->update();
    }

    // The row under the point, and whether the point lies between rows (the
    // quarter of the row's height at its top) or on it. Below every row: no
    // index, between rows.
    virtual void dropTarget(const QPoint& pos, QModelIndex& index, DropPosition& position) const
    {
        index = this->indexAt(pos);
        if (!index.isValid()) {
            position = DropPosition::Above;
            return;
        }
        const QRect rect = this->visualRect(index);
        position = (pos.y() - rect.top() < rect.height() / 4) ? DropPosition::Above : DropPosition::On;
    }

    virtual int columnAtPoint(const QPoint&) const { return -1; }

    bool m_focusOnSecondaryClick = false;

private:
    QVETableVerbTarget* m_delegate = nullptr;
    QPoint m_pressPos;
};

} // namespace editor
