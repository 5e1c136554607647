#include "StripedTableView.h"

namespace editor {

Qt::DropActions sourceOperationMask(const QDropEvent* event)
{
    if (auto* table = dynamic_cast<StripedTableView*>(event->source()); table && table->verbDelegate())
        return table->verbDelegate()->draggingSourceOperationMask(event->modifiers());
    if (auto* outline = dynamic_cast<QVEOutlineView*>(event->source()); outline && outline->verbDelegate())
        return outline->verbDelegate()->draggingSourceOperationMask(event->modifiers());
    const Qt::DropActions offered = event->possibleActions();
    if ((event->modifiers() & Qt::AltModifier) && (offered & Qt::CopyAction))
        return Qt::CopyAction;
    return (offered & Qt::MoveAction) ? Qt::DropActions(Qt::MoveAction) : offered;
}

Qt::DropAction proposedOperation(Qt::DropActions mask)
{
    if (mask & Qt::MoveAction)
        return Qt::MoveAction;
    if (mask & Qt::CopyAction)
        return Qt::CopyAction;
    if (mask & Qt::LinkAction)
        return Qt::LinkAction;
    return Qt::IgnoreAction;
}

StripedTableView::StripedTableView(QWidget* parent) : VerbItemView<QTableView>(parent)
{
    setAlternatingRowColors(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setWordWrap(false);
    verticalHeader()->hide();
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    m_focusOnSecondaryClick = true;
}

const QStringList& StripedTableView::commandList() const
{
    static const QStringList commands{"cut", "copy", "paste", "clear", "export", "edit", "duplicate", "run",
                                      "activate", "editTarget", "editRunParameters", "setImageToObject",
                                      "clearStructure"};
    return commands;
}

QVEOutlineView::QVEOutlineView(QWidget* parent) : VerbItemView<QTreeView>(parent)
{
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHeaderHidden(true);
    setAlternatingRowColors(true);
}

const QStringList& QVEOutlineView::commandList() const
{
    static const QStringList commands{"cut", "copy", "paste", "clear", "export", "edit", "duplicate", "run",
                                      "newShortcut", "newMenu", "newPalette"};
    return commands;
}

void QVEPrefTableView::mouseReleaseEvent(QMouseEvent* event)
{
    QTableView::mouseReleaseEvent(event);
    if (m_delegate && event->button() == Qt::LeftButton) {
        const QPoint pos = event->position().toPoint();
        const QModelIndex index = indexAt(pos);
        m_delegate->tableViewClickInTableColumn(this, columnAt(pos.x()), index.isValid() ? index.row() : -1, pos);
    }
}

} // namespace editor
