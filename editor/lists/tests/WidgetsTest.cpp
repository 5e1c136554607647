// The shared widgets: the table's context menu selection, the name cell's
// measure, the image well and the select-all text field.
#include "ListsTestSupport.h"

#include "ImageAndTextCell.h"
#include "QVECustomImageView.h"

#include <QContextMenuEvent>
#include <QStandardItemModel>
#include <QTest>

using namespace editor;
using namespace editor::test;

namespace {

class WidgetsTest : public ListsTest {};

// A delegate that answers copy always and counts what reaches it.
class CountingDelegate : public QVETableVerbTarget {
public:
    bool answersVerb(const QString& verb) const override { return verb == "copy"; }
    bool verbEnabledInTableView(const QString&, QAbstractItemView*) override { return true; }
    void verbInTableView(const QString& verb, QObject*, QAbstractItemView*) override { performed << verb; }
    QMenu* tableContextMenuForEvent(QContextMenuEvent*, QAbstractItemView*) override
    {
        ++menus;
        return nullptr;
    }
    void tableViewClickInTableColumn(QAbstractItemView*, int column, int row, const QPoint&) override
    {
        clicks << QPoint(column, row);
    }
    QStringList performed;
    QList<QPoint> clicks; // (column, row)
    int menus = 0;
};

TEST_F(WidgetsTest, ASecondaryClickSelectsAnUnselectedRowAloneAndKeepsASelectedGroup)
{
    QStandardItemModel model(4, 1);
    StripedTableView table;
    CountingDelegate delegate;
    table.setModel(&model);
    table.setVerbDelegate(&delegate);
    table.resize(200, 200);
    table.show();
    selectRows(&table, {0, 1});
    auto rightClick = [&](int row) {
        const QPoint at = table.visualRect(model.index(row, 0)).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, table.viewport()->mapToGlobal(at));
        QApplication::sendEvent(table.viewport(), &event);
    };
    rightClick(1);
    EXPECT_EQ(table.selectionModel()->selectedRows().size(), 2);
    rightClick(3);
    ASSERT_EQ(table.selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(table.selectionModel()->selectedRows().first().row(), 3);
    EXPECT_EQ(delegate.menus, 2);
    // The gate: the delegate says yes, the table has the focus only now.
    table.clearFocus();
    EXPECT_FALSE(table.respondsToVerb("copy"));
    EXPECT_FALSE(table.respondsToVerb("cut"));
}

TEST_F(WidgetsTest, ClicksAreReportedWithTheirColumnAndRow)
{
    QStandardItemModel model(2, 2);
    StripedTableView table;
    QVEPrefTableView prefs;
    CountingDelegate tableDelegate, prefsDelegate;
    table.setModel(&model);
    prefs.setModel(&model);
    table.setVerbDelegate(&tableDelegate);
    prefs.setVerbDelegate(&prefsDelegate);
    for (QTableView* view : {static_cast<QTableView*>(&table), static_cast<QTableView*>(&prefs)}) {
        view->resize(300, 300);
        view->show();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(model.index(1, 1)).center());
        // Under the last row: no row.
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          QPoint(view->visualRect(model.index(0, 0)).center().x(), view->viewport()->height() - 2));
    }
    const QList<QPoint> expected{{1, 1}, {0, -1}};
    EXPECT_EQ(tableDelegate.clicks, expected);
    EXPECT_EQ(prefsDelegate.clicks, expected);
}

TEST_F(WidgetsTest, TheNameCellMeasuresItsImageAndThreePoints)
{
    QStandardItemModel model(2, 1);
    model.setData(model.index(0, 0), "text");
    model.setData(model.index(1, 0), "text");
    QPixmap image(16, 16);
    image.fill(Qt::red);
    model.setData(model.index(1, 0), image, Qt::DecorationRole);
    ImageAndTextCell cell;
    QStyledItemDelegate plain;
    QStyleOptionViewItem option;
    const int plainWidth = plain.sizeHint(option, model.index(0, 0)).width();
    EXPECT_EQ(cell.sizeHint(option, model.index(0, 0)).width(), plainWidth + 3);
    EXPECT_EQ(cell.sizeHint(option, model.index(1, 0)).width(), plainWidth + 3 + 16);
    EXPECT_EQ(ImageAndTextCell::textRect(QRect(0, 0, 100, 20), model.index(1, 0)).left(), 19);
}

TEST_F(WidgetsTest, DeleteEmptiesTheWellOnce)
{
    QVECustomImageView well;
    QImage picture(40, 40, QImage::Format_ARGB32);
    picture.fill(Qt::red);
    well.setNewImage(picture);
    int changes = 0;
    QObject::connect(&well, &QVECustomImageView::imageChanged, [&] { ++changes; });
    QTest::keyClick(&well, Qt::Key_Delete);
    EXPECT_TRUE(well.image().isNull());
    EXPECT_EQ(changes, 1);
    QTest::keyClick(&well, Qt::Key_Backspace);
    EXPECT_EQ(changes, 1) << "an empty well stays quiet";
}

TEST_F(WidgetsTest, AnImageDroppedOnTheWellIsKeptAt32AndTheDropIsPerformed)
{
    QVECustomImageView well;
    well.resize(60, 60);
    well.show();
    QImage picture(100, 60, QImage::Format_ARGB32);
    picture.fill(Qt::blue);
    QMimeData data;
    data.setImageData(picture);
    int changes = 0;
    QObject::connect(&well, &QVECustomImageView::imageChanged, [&] { ++changes; });
    const QPoint at = well.rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(&well, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(&well, &dropped);
    EXPECT_TRUE(dropped.isAccepted());
    EXPECT_EQ(dropped.dropAction(), Qt::CopyAction);
    EXPECT_EQ(well.image().size(), QSize(32, 32));
    EXPECT_EQ(changes, 1);
    // Data that makes no picture leaves the well as it was, refused.
    QMimeData text;
    text.setText("no picture");
    QDropEvent refused(QPointF(at), Qt::CopyAction, &text, Qt::LeftButton, {});
    QApplication::sendEvent(&well, &refused);
    EXPECT_FALSE(refused.isAccepted());
    EXPECT_EQ(changes, 1);
}

TEST_F(WidgetsTest, TheTextFieldSelectsAllItsTextOnAClick)
{
    ZLTextField field;
    field.resize(120, 24);
    field.show();
    QTest::mouseClick(&field, Qt::LeftButton, {}, QPoint(5, 12));
    EXPECT_FALSE(field.hasSelectedText());
    field.setText("hello world");
    field.deselect();
    QTest::mouseClick(&field, Qt::LeftButton, {}, QPoint(5, 12));
    EXPECT_EQ(field.selectedText(), "hello world");
}

} // namespace
