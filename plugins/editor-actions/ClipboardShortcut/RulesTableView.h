#pragma once
// The rules table of the clipboard type: one row per rule, the columns
// "search", "replace" and "case", never edited in place. Its delegate
// (the action being edited) does the work: the edit commands (cut, copy,
// paste, delete by the standard keys) when it says they apply, and drops
// of dragged rows. A drag carries the row numbers as
// application/x-zelk-RuleIndex: a move inside the table, or a copy with
// Alt held. The drop never lets the view remove rows on its own. Other
// types' lists (the mouse type's movements) use it with their own index
// type and columns.
#include <QTableWidget>

namespace zelk::editor {

class RulesTableDelegate {
public:
    virtual ~RulesTableDelegate() = default;
    virtual bool canCut() const = 0;
    virtual bool canCopy() const = 0;
    virtual bool canPaste() const = 0;
    virtual bool canClear() const = 0;
    virtual void cutSelectedRules() = 0;
    virtual void copySelectedRules() = 0;
    virtual void pastePasteboard() = 0;
    virtual void clearSelectedRules() = 0;
    // Rows dropped at an insertion row, moved or copied.
    virtual void dropRules(const QList<int>& rows, int atRow, bool copy) = 0;
};

class RulesTableView : public QTableWidget {
public:
    static constexpr const char* RuleIndexType = "application/x-zelk-RuleIndex";

    // indexType: the type of the dragged row numbers (another list's
    // table takes its own, so rows never drop between lists).
    explicit RulesTableView(QWidget* parent = nullptr, const char* indexType = RuleIndexType, int columns = 3);
    void setRulesDelegate(RulesTableDelegate* delegate) { m_delegate = delegate; }
    RulesTableDelegate* rulesDelegate() const { return m_delegate; }
    // The selected rows, ascending.
    QList<int> selectedRows() const;
    // The row numbers a drag of these rows carries.
    QMimeData* mimeDataForRows(const QList<int>& rows) const;
    // A drop as the user makes it; false when refused.
    bool dropRows(const QMimeData* data, int row, Qt::DropAction action);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    RulesTableDelegate* m_delegate = nullptr;
    const QString m_indexType;
};

} // namespace zelk::editor
