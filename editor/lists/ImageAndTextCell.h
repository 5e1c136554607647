#pragma once
// The cell kinds of the lists. ImageAndTextCell: the name cell of every
// list, outline and editor table, the row's image (DecorationRole) at the
// left, then the text; editing covers the text only. ImageCell: an image
// alone, centred (the "links", "inBar" and "itemsType" columns).
#include <QStyledItemDelegate>

namespace editor {

class ImageAndTextCell : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    // Space between the cell's edge and the image.
    static constexpr int kImageInset = 3;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;
    // The text's part of the cell: right of the image slice (image width + 3).
    static QRect textRect(const QRect& cell, const QModelIndex& index);
};

class ImageCell : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    // The image's rectangle, centred in the cell.
    static QRect imageRect(const QRect& cell, const QSize& image);
};

} // namespace editor
