#pragma once
// The table of the lists and editor tables: alternating row colours, the
// delegate's edit commands (13 verbs) behind the enable gate, the context
// menu (a secondary click focuses the table first), click and drag-exit
// reports, and drops routed to the delegate.
#include "VerbItemView.h"

#include <QTableView>
#include <QTreeView>

namespace editor {

class StripedTableView : public VerbItemView<QTableView> {
public:
    explicit StripedTableView(QWidget* parent = nullptr);
    const QStringList& commandList() const override;

protected:
    int columnAtPoint(const QPoint& pos) const override { return columnAt(pos.x()); }
};

// The outline of the contexts pane and the Library (11 verbs); its context
// menu shows only while it already has the focus.
class QVEOutlineView : public VerbItemView<QTreeView> {
public:
    explicit QVEOutlineView(QWidget* parent = nullptr);
    const QStringList& commandList() const override;
};

// A table that only reports clicks to its delegate.
class QVEPrefTableView : public QTableView {
public:
    explicit QVEPrefTableView(QWidget* parent = nullptr) : QTableView(parent) {}
    void setVerbDelegate(QVETableVerbTarget* delegate) { m_delegate = delegate; }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QVETableVerbTarget* m_delegate = nullptr;
};

} // namespace editor
