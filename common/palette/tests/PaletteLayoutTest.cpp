#include "PaletteLayout.h"
#include "ScreenGeometry.h"

#include <gtest/gtest.h>

using zelk::PaletteLayout;

namespace {

const QSizeF kScreen(1280, 800);

struct OriginCase {
    int origin;
    QPointF stored;
    QPointF global;
};

struct GridCase {
    int count;
    int perRow;
    int columns;
    int rows;
};

TEST(PaletteLayout, ColumnsAndRowsAroundThePerRowCount)
{
    const GridCase cases[] = {
        {0, 3, 0, 0}, {1, 3, 1, 1}, {2, 3, 2, 1}, {3, 3, 3, 1}, {4, 3, 3, 2},
        {6, 3, 3, 2}, {7, 3, 3, 3}, {2, 5, 2, 1}, {5, 1, 1, 5},
        // A per-row count below 1 is one per row, never a division by zero.
        {3, 0, 1, 3}, {3, -4, 1, 3}, {0, 0, 0, 0},
    };
    for (const GridCase& c : cases) {
        const PaletteLayout l = PaletteLayout::layout(c.count, c.perRow, 0, {40, 10}, 16, {0, 0}, 0, kScreen);
        EXPECT_EQ(l.columns, c.columns) << c.count << " items, " << c.perRow << " per row";
        EXPECT_EQ(l.rows, c.rows) << c.count << " items, " << c.perRow << " per row";
        ASSERT_EQ(l.buttons.size(), c.count);
        EXPECT_EQ(l.contentFrame.size(), QSizeF(c.columns * 42, c.rows * 12));
        for (const QRectF& button : l.buttons)
            EXPECT_TRUE(QRectF(QPointF(0, 0), l.contentFrame.size()).contains(button))
                << "a button outside the panel: " << c.count << " items, " << c.perRow << " per row";
    }
}

TEST(PaletteLayout, SevenItemsThreeWideLeaveOneButtonAtTheLeftOfTheLastRow)
{
    const PaletteLayout l = PaletteLayout::layout(7, 3, 0, {40, 10}, 0, {0, 0}, 0, kScreen);
    ASSERT_EQ(l.buttons.size(), 7);
    const QList<QPointF> expected = {{0, 0}, {42, 0}, {84, 0}, {0, 12}, {42, 12}, {84, 12}, {0, 24}};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(l.buttons[i].topLeft(), expected[i]) << "button " << i;
}

TEST(PaletteLayout, FractionalCellsLandOnWholePoints)
{
    const PaletteLayout l = PaletteLayout::layout(3, 3, 0, {10.5, 10.25}, 0, {0, 0}, 0, kScreen);
    ASSERT_EQ(l.buttons.size(), 3);
    EXPECT_EQ(l.buttons[1].left(), 12);
    EXPECT_EQ(l.buttons[2].left(), 24);
}

struct CellCase {
    int type;
    QSizeF cell;
};

TEST(PaletteLayout, CellSizeByButtonType)
{
    // Titles 40 x 10, images 16: each cell is its content plus 2 each way.
    const CellCase cases[] = {
        {0, {42, 12}}, {1, {18, 18}}, {2, {58, 18}}, {3, {42, 28}},
        {4, {58, 18}}, {5, {42, 28}}, {6, {42, 18}}, {9, {2, 2}},
    };
    for (const CellCase& c : cases) {
        const PaletteLayout l = PaletteLayout::layout(1, 1, c.type, {40, 10}, 16, {0, 0}, 0, kScreen);
        EXPECT_EQ(l.cellSize, c.cell) << "type " << c.type;
    }
}

TEST(PaletteLayout, ContentTopLeftAtTheStoredCorner)
{
    const OriginCase cases[] = {
        {0, {10, 10}, {10, 10}}, {1, {10, 10}, {1270, 10}}, {2, {10, 10}, {1270, 790}}, {3, {10, 10}, {10, 790}},
    };
    for (const OriginCase& c : cases) {
        const PaletteLayout l = PaletteLayout::layout(2, 2, 1, {}, 30, c.stored, c.origin, kScreen);
        EXPECT_EQ(l.contentFrame.topLeft(), c.global) << "origin " << c.origin;
        EXPECT_EQ(l.contentFrame.size(), QSizeF(64, 32));
    }
}

TEST(PaletteLayout, ImageAndTitleSitWhereTheTypeSays)
{
    const QSizeF title(40, 10);
    const QRectF button(0, 0, 58, 28);
    struct PartsCase {
        int type;
        QRectF image;
        QRectF title;
    };
    const PartsCase cases[] = {
        {0, {}, {9, 9, 40, 10}},
        {1, {21, 6, 16, 16}, {}},
        {2, {41, 6, 16, 16}, {1, 9, 40, 10}},
        {3, {21, 11, 16, 16}, {9, 1, 40, 10}},
        {4, {1, 6, 16, 16}, {17, 9, 40, 10}},
        {5, {21, 1, 16, 16}, {9, 17, 40, 10}},
        {6, {21, 6, 16, 16}, {9, 9, 40, 10}},
        {8, {}, {}},
    };
    for (const PartsCase& c : cases) {
        const PaletteLayout::Parts parts = PaletteLayout::partsInButton(c.type, button, title, 16);
        EXPECT_EQ(parts.image, c.image) << "type " << c.type;
        EXPECT_EQ(parts.title, c.title) << "type " << c.type;
    }
}

TEST(PaletteLayout, TitlesAreMeasuredInTheirFont)
{
    EXPECT_EQ(PaletteLayout::largestTitleSize({}, 12), QSizeF(0, 0));
    const QSizeF small = PaletteLayout::largestTitleSize({"Open", "A much longer title"}, 9);
    const QSizeF large = PaletteLayout::largestTitleSize({"Open", "A much longer title"}, 24);
    EXPECT_GT(small.width(), PaletteLayout::largestTitleSize({"Open"}, 9).width());
    EXPECT_GT(large.width(), small.width());
    EXPECT_GT(large.height(), small.height());
}

} // namespace
