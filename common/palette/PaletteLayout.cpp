#include "PaletteLayout.h"

#include "ScreenGeometry.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <algorithm>
#include <cmath>

namespace zelk {

QSizeF PaletteLayout::cellContentSize(int type, const QSizeF& titleSize, int imageSize)
{
    const double w = titleSize.width();
    const double h = titleSize.height();
    const double s = std::max(imageSize, 0);
    switch (type) {
    case 0: return {w, h};
    case 1: return {s, s};
    case 2:
    case 4: return {w + s, std::max(h, s)};
    case 3:
    case 5: return {std::max(w, s), h + s};
    case 6: return {std::max(w, s), std::max(h, s)};
    default: return {0, 0};
    }
}

PaletteLayout PaletteLayout::layout(int count, int itemsInWidth, int type, const QSizeF& titleSize, int imageSize,
                                    const QPointF& location, int origin, const QSizeF& mainScreen)
{
    PaletteLayout result;
    const int n = std::max(count, 0);
    // A stored 0 (or less) would leave the rows undefined.
    const int perRow = std::max(itemsInWidth, 1);
    result.columns = std::min(n, perRow);
    result.rows = n == 0 ? 0 : (n + perRow - 1) / perRow;
    const QSizeF content = cellContentSize(type, showsTitle(type) ? titleSize : QSizeF(), imageSize);
    result.cellSize = QSizeF(content.width() + 2, content.height() + 2);

    const QPointF topLeft = pointOnScreenForPointOnScreen(location, origin, mainScreen);
    result.contentFrame = QRectF(topLeft, QSizeF(result.columns * result.cellSize.width(), result.rows * result.cellSize.height()));

    // Whole-number positions, each from the one before, so buttons never
    // overlap by a fraction and never leave a gap wider than one point.
    double x = 0;
    double y = 0;
    for (int i = 0; i < n; ++i) {
        if (i > 0 && i % perRow == 0) {
            x = 0;
            y = std::floor(y + result.cellSize.height());
        }
        result.buttons.append(QRectF(QPointF(x, y), result.cellSize));
        x = std::floor(x + result.cellSize.width());
    }
    return result;
}

QFont PaletteLayout::titleFont(int fontSize)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    if (fontSize >= 1)
        font.setPointSize(fontSize);
    return font;
}

QSizeF PaletteLayout::largestTitleSize(const QStringList& titles, int fontSize)
{
    const QFontMetricsF metrics(titleFont(fontSize));
    QSizeF largest(0, 0);
    for (const QString& title : titles) {
        const QSizeF size = metrics.boundingRect(QRectF(0, 0, 1e6, 1e6), Qt::AlignHCenter, title).size();
        largest = QSizeF(std::max(largest.width(), std::ceil(size.width())), std::max(largest.height(), std::ceil(size.height())));
    }
    return largest;
}

PaletteLayout::Parts PaletteLayout::partsInButton(int type, const QRectF& button, const QSizeF& titleSize, int imageSize)
{
    Parts parts;
    if (!showsTitle(type) && !showsImage(type))
        return parts;
    const QSizeF content = cellContentSize(type, titleSize, imageSize);
    const QRectF box(button.center() - QPointF(content.width() / 2, content.height() / 2), content);
    const double s = std::max(imageSize, 0);
    const QSizeF image(s, s);
    // A part of the given size, centred across the box on one axis and
    // placed at the given offset on the other.
    auto across = [&](const QSizeF& size, double offsetY) {
        return QRectF(QPointF(box.left() + (box.width() - size.width()) / 2, box.top() + offsetY), size);
    };
    auto along = [&](const QSizeF& size, double offsetX) {
        return QRectF(QPointF(box.left() + offsetX, box.top() + (box.height() - size.height()) / 2), size);
    };
    switch (type) {
    case 0: parts.title = box; break;
    case 1: parts.image = box; break;
    case 2:
        parts.title = along(titleSize, 0);
        parts.image = along(image, titleSize.width());
        break;
    case 3:
        parts.title = across(titleSize, 0);
        parts.image = across(image, titleSize.height());
        break;
    case 4:
        parts.image = along(image, 0);
        parts.title = along(titleSize, s);
        break;
    case 5:
        parts.image = across(image, 0);
        parts.title = across(titleSize, s);
        break;
    case 6:
        parts.image = across(image, (box.height() - s) / 2);
        parts.title = across(titleSize, (box.height() - titleSize.height()) / 2);
        break;
    default: break;
    }
    return parts;
}

} // namespace zelk
