// The palette preview's geometry as a table of cases: the grid around the
// per-row count, the button types' cell sizes, the corner conversion of
// its place, and the preview the editor shows of its working values.
#include "EditorTestSupport.h"
#include "MenuPaletteEditors.h"
#include "PaletteLayout.h"
#include "PalettePreview.h"
#include "QVEPaletteEditor.h"
#include "QVEPalettesManager.h"
#include "QVEActionsManager.h"
#include "ScreenGeometry.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace editor::test {
namespace {

class PalettePreviewTest : public EditorTest {
protected:
    PalettePreviewTest() { registerMenuPaletteEditors(); }

    QList<QVEPalettesManager::PreviewItem> actions(int count)
    {
        QList<QVEPalettesManager::PreviewItem> items;
        for (int k = 1; k <= count; ++k) {
            QVEPalettesManager::PreviewItem item;
            item.action = addAction(quint32(k), QStringLiteral("Action %1").arg(k));
            items << item;
        }
        return items;
    }
    static QList<QAbstractButton*> buttons(const PalettePreview* panel)
    {
        QList<QAbstractButton*> found;
        for (int k = 0;; ++k) {
            auto* button = panel->findChild<QAbstractButton*>(QStringLiteral("PaletteButton%1").arg(k));
            if (!button)
                return found;
            found << button;
        }
    }
};

TEST_F(PalettePreviewTest, TheGridFollowsTheCountPerRowAndTheButtonType)
{
    struct Case {
        int count, perRow, type, imageSize;
        int columns, rows;
    };
    const Case cases[] = {
        {7, 5, 1, 32, 5, 2}, {3, 5, 1, 32, 3, 1}, {5, 5, 1, 32, 5, 1}, {6, 5, 1, 16, 5, 2},
        {4, 0, 1, 32, 1, 4}, // a per-row count of 0 is taken as 1
        {4, 2, 3, 24, 2, 2}, {2, 3, 0, 32, 2, 1},
    };
    const QList<QVEPalettesManager::PreviewItem> all = actions(7);
    for (const Case& c : cases) {
        const PaletteLook look{"P", {100, 50}, 0, c.type, c.perRow, c.imageSize, 12};
        std::unique_ptr<PalettePreview> panel = PalettePreview::paletteForItems(all.mid(0, c.count), look);
        const QList<QAbstractButton*> shown = buttons(panel.get());
        ASSERT_EQ(shown.size(), c.count) << c.count << " items, " << c.perRow << " per row";
        const QSize cell = shown.first()->size();
        if (c.type == 1) {
            EXPECT_EQ(cell, QSize(c.imageSize + 2, c.imageSize + 2)) << "an image-only cell is the image plus 1 around";
        }
        EXPECT_EQ(panel->contentFrame().size(), QSize(c.columns * cell.width(), c.rows * cell.height()))
            << c.count << " items, " << c.perRow << " per row";
        EXPECT_EQ(panel->contentFrame().topLeft(), QPoint(100, 50));
        // Row by row from the top-left.
        const int perRow = std::max(c.perRow, 1);
        for (int k = 0; k < c.count; ++k) {
            EXPECT_EQ(shown.at(k)->pos(), QPoint((k % perRow) * cell.width(), (k / perRow) * cell.height()))
                << "button " << k;
        }
        EXPECT_EQ(panel->windowTitle(), "P");
    }
}

TEST_F(PalettePreviewTest, ThePanelSitsAtItsLocationFromEachCorner)
{
    const QSizeF screen = zelk::mainScreenSize();
    const QList<QVEPalettesManager::PreviewItem> items = actions(2);
    struct Case {
        int origin;
        QPoint expected;
    };
    const Case cases[] = {{0, {40, 30}},
                          {1, {int(screen.width()) - 40, 30}},
                          {2, {int(screen.width()) - 40, int(screen.height()) - 30}},
                          {3, {40, int(screen.height()) - 30}}};
    for (const Case& c : cases) {
        std::unique_ptr<PalettePreview> panel =
            PalettePreview::paletteForItems(items, {"P", {40, 30}, c.origin, 1, 5, 32, 12});
        EXPECT_EQ(panel->contentFrame().topLeft(), c.expected) << "corner " << c.origin;
        panel->show();
        EXPECT_EQ(panel->geometry(), panel->contentFrame()) << "corner " << c.origin;
        // Each corner's conversion is its own inverse.
        EXPECT_EQ(zelk::pointOnScreenForPointOnScreen(QPointF(c.expected), c.origin, screen), QPointF(40, 30));
    }
}

TEST_F(PalettePreviewTest, TheEditorPreviewsItsWorkingValues)
{
    addAction(1, "Alpha");
    addAction(2, "Beta");
    QVPalette* palette = addPalette({});
    QVEPalettesManager::sharedManager().editObjectsID({palette->IDValue()});
    auto* editor = dynamic_cast<QVEPaletteEditor*>(palette->editor());
    ASSERT_TRUE(editor);

    // No items: an alert and no panel.
    editor->showPalette();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, loc("NoPaletteItem"));

    editor->items()->addRealRecordsOfType("QVActionPboardType",
                                          {QVEActionsManager::sharedManager().actionWithID(1)->dictValue(),
                                           QVEActionsManager::sharedManager().actionWithID(2)->dictValue()},
                                          0);
    auto* name = editor->window()->findChild<QLineEdit*>("PENameField");
    name->setText("Unsaved");
    emit name->editingFinished();
    alerts.clear();
    QString title;
    int shown = -1;
    QTimer::singleShot(0, editor, [&] {
        ASSERT_TRUE(editor->preview());
        title = editor->preview()->windowTitle();
        shown = int(buttons(editor->preview()).size());
        editor->preview()->close();
    });
    editor->showPalette();
    EXPECT_EQ(title, "Unsaved");
    EXPECT_EQ(shown, 2);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, loc("ClosePaletteContinue"));
    EXPECT_EQ(editor->preview(), nullptr) << "nothing of the preview is kept";
    EXPECT_TRUE(palette->itemsDictArray().isEmpty());
    editor->abortEditing(nullptr);
}

} // namespace
} // namespace editor::test
