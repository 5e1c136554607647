#pragma once
// The grid of a palette's buttons, shared by the engine's panel and the
// editor's preview: how many columns and rows, the size of one button,
// where the panel's content goes on the screen, and where each button and
// the parts of a button (image, title) sit. Pure geometry: the titles'
// size is measured once by the caller (largestTitleSize).
//
// Button types (paletteitemstype): 0 title only, 1 image only, 2 image
// right of the title, 3 image below it, 4 image left of it, 5 image above
// it, 6 image and title overlapping; any other value shows nothing.
//
// A per-row count below 1 is taken as 1: the rows are the items divided
// by it.
#include <QFont>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QStringList>

namespace zelk {

struct PaletteLayout {
    int columns = 0;
    int rows = 0;
    QSizeF cellSize;       // one button: its content plus 1 on each side
    QRectF contentFrame;   // the panel's content, global, top-left origin
    QList<QRectF> buttons; // inside the content, row by row from the top

    static PaletteLayout layout(int count, int itemsInWidth, int type, const QSizeF& titleSize, int imageSize,
                                const QPointF& location, int origin, const QSizeF& mainScreen);

    // The content of one button (without its margin) for a type.
    static QSizeF cellContentSize(int type, const QSizeF& titleSize, int imageSize);
    static bool showsTitle(int type) { return type != 1 && type >= 0 && type <= 6; }
    static bool showsImage(int type) { return type >= 1 && type <= 6; }

    // The system font at that size (a size below 1 keeps the system's).
    static QFont titleFont(int fontSize);
    // The widest and the tallest of the titles drawn in that font, each line
    // centred; 0 x 0 without titles.
    static QSizeF largestTitleSize(const QStringList& titles, int fontSize);

    // Where a button of that type draws its image and its title, centred
    // in the button's rectangle; a part the type does not show is empty.
    struct Parts {
        QRectF image;
        QRectF title;
    };
    static Parts partsInButton(int type, const QRectF& button, const QSizeF& titleSize, int imageSize);
};

} // namespace zelk
