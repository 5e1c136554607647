#include "ImageAndTextCell.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>

namespace editor {

static QPixmap cellImage(const QModelIndex& index)
{
    const QVariant value = index.data(Qt::DecorationRole);
    if (value.canConvert<QPixmap>())
        return value.value<QPixmap>();
    if (value.canConvert<QImage>())
        return QPixmap::fromImage(value.value<QImage>());
    return {};
}

QRect ImageAndTextCell::textRect(const QRect& cell, const QModelIndex& index)
{
    const QPixmap image = cellImage(index);
    if (image.isNull())
        return cell;
    return cell.adjusted(int(image.deviceIndependentSize().width()) + kImageInset, 0, 0, 0);
}

void ImageAndTextCell::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem text = option;
    initStyleOption(&text, index);
    const QPixmap image = cellImage(index);
    text.features &= ~QStyleOptionViewItem::HasDecoration;
    text.icon = QIcon();
    if (image.isNull()) {
        QStyle* style = option.widget ? option.widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &text, painter, option.widget);
        return;
    }
    QStyle* style = option.widget ? option.widget->style() : QApplication::style();
    // The background and selection span the whole cell, the image its slice.
    QStyleOptionViewItem background = text;
    background.text.clear();
    style->drawControl(QStyle::CE_ItemViewItem, &background, painter, option.widget);
    painter->drawPixmap(QPoint(option.rect.left() + kImageInset, option.rect.top()
                                   + (option.rect.height() - int(image.deviceIndependentSize().height())) / 2),
                        image);
    text.rect = textRect(option.rect, index);
    text.backgroundBrush = Qt::NoBrush;
    text.state &= ~QStyle::State_Selected;
    if (option.state & QStyle::State_Selected)
        text.palette.setColor(QPalette::Text, option.palette.color(QPalette::HighlightedText));
    style->drawControl(QStyle::CE_ItemViewItem, &text, painter, option.widget);
}

QSize ImageAndTextCell::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem text = option;
    initStyleOption(&text, index);
    text.features &= ~QStyleOptionViewItem::HasDecoration;
    text.icon = QIcon();
    QStyle* style = option.widget ? option.widget->style() : QApplication::style();
    QSize size = style->sizeFromContents(QStyle::CT_ItemViewItem, &text, QSize(), option.widget);
    const QPixmap image = cellImage(index);
    size.rwidth() += kImageInset + (image.isNull() ? 0 : int(image.deviceIndependentSize().width()));
    if (!image.isNull())
        size.setHeight(qMax(size.height(), int(image.deviceIndependentSize().height())));
    return size;
}

void ImageAndTextCell::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                            const QModelIndex& index) const
{
    QStyleOptionViewItem text = option;
    text.rect = textRect(option.rect, index);
    QStyledItemDelegate::updateEditorGeometry(editor, text, index);
}

QRect ImageCell::imageRect(const QRect& cell, const QSize& image)
{
    return QRect(cell.topLeft() + QPoint((cell.width() - image.width()) / 2, (cell.height() - image.height()) / 2),
                 image);
}

void ImageCell::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem background = option;
    initStyleOption(&background, index);
    background.features &= ~QStyleOptionViewItem::HasDecoration;
    background.icon = QIcon();
    background.text.clear();
    QStyle* style = option.widget ? option.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &background, painter, option.widget);
    const QPixmap image = cellImage(index);
    if (!image.isNull())
        painter->drawPixmap(imageRect(option.rect, image.deviceIndependentSize().toSize()), image);
}

} // namespace editor
