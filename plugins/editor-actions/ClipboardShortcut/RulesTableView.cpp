#include "RulesTableView.h"

#include "ActionPane.h"

#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>

namespace zelk::editor {

RulesTableView::RulesTableView(QWidget* parent, const char* indexType, int columns)
    : QTableWidget(0, columns, parent), m_indexType(QString::fromLatin1(indexType))
{
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setAlternatingRowColors(true);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    horizontalHeader()->setStretchLastSection(true);
    verticalHeader()->hide();
}

QList<int> RulesTableView::selectedRows() const
{
    QList<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

QMimeData* RulesTableView::mimeDataForRows(const QList<int>& rows) const
{
    QStringList numbers;
    for (int row : rows)
        numbers.append(QString::number(row));
    auto* data = new QMimeData;
    data->setData(m_indexType, numbers.join(QLatin1Char(',')).toLatin1());
    return data;
}

bool RulesTableView::dropRows(const QMimeData* data, int row, Qt::DropAction action)
{
    if (!m_delegate || !data || !data->hasFormat(m_indexType) || row < 0)
        return false;
    QList<int> rows;
    for (const QByteArray& number : data->data(m_indexType).split(',')) {
        bool ok = false;
        const int value = number.toInt(&ok);
        if (ok && value >= 0 && value < rowCount() && !rows.contains(value))
            rows.append(value);
    }
    if (rows.isEmpty())
        return false;
    std::sort(rows.begin(), rows.end());
    m_delegate->dropRules(rows, std::min(row, rowCount()), action == Qt::CopyAction);
    return true;
}

void RulesTableView::keyPressEvent(QKeyEvent* event)
{
    if (m_delegate) {
        if (event->matches(QKeySequence::Cut) && m_delegate->canCut()) {
            m_delegate->cutSelectedRules();
            return;
        }
        if (event->matches(QKeySequence::Copy) && m_delegate->canCopy()) {
            m_delegate->copySelectedRules();
            return;
        }
        if (event->matches(QKeySequence::Paste) && m_delegate->canPaste()) {
            m_delegate->pastePasteboard();
            return;
        }
        if ((event->matches(QKeySequence::Delete) || event->key() == Qt::Key_Backspace) && m_delegate->canClear()) {
            m_delegate->clearSelectedRules();
            return;
        }
    }
    QTableWidget::keyPressEvent(event);
}

// Our own drag: QAbstractItemView would remove the source rows after a move
// that the delegate has already made.
void RulesTableView::startDrag(Qt::DropActions /*supportedActions*/)
{
    const QList<int> rows = selectedRows();
    if (rows.isEmpty())
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(mimeDataForRows(rows));
    const bool copy = QApplication::keyboardModifiers().testFlag(Qt::AltModifier);
    drag->exec(copy ? Qt::CopyAction : Qt::MoveAction, copy ? Qt::CopyAction : Qt::MoveAction);
}

void RulesTableView::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasFormat(m_indexType) && event->source() == this)
        event->acceptProposedAction();
    else
        event->ignore();
}

void RulesTableView::dragMoveEvent(QDragMoveEvent* event)
{
    if (event->mimeData()->hasFormat(m_indexType) && event->source() == this)
        event->acceptProposedAction();
    else
        event->ignore();
}

void RulesTableView::dropEvent(QDropEvent* event)
{
    // A drop onto a row is a drop above it; below the last row, at the end.
    const QModelIndex index = indexAt(event->position().toPoint());
    const int row = index.isValid() ? index.row() : rowCount();
    if (event->source() == this && dropRows(event->mimeData(), row, event->dropAction()))
        event->acceptProposedAction();
    else
        event->ignore();
}

} // namespace zelk::editor
