// The engine's palettes: panels laid out at their stored corner, shown and
// hidden with activation and launchers, collapsing and fading while the
// pointer is away, and their buttons.
#include "MenuPaletteTestSupport.h"
#include "QVPalettePanel.h"
#include "ScreenGeometry.h"

using namespace menutest;
using engine::QVPaletteButton;
using engine::QVPalettePanel;
using zelk::test::waitUntil;

namespace {

QVariantList items(int count)
{
    QVariantList list;
    for (int i = 0; i < count; ++i)
        list << paletteItem(2, 1 + i % 3);
    return list;
}

QList<QVPaletteButton*> buttonsOf(const QVPalettePanel* panel)
{
    return panel->findChildren<QVPaletteButton*>(Qt::FindDirectChildrenOnly);
}

} // namespace

TEST_F(MenuPaletteTest, PanelSitsAtItsStoredCornerWithItsGrid)
{
    const QSizeF screen = zelk::mainScreenSize();
    ASSERT_GT(screen.width(), 200);
    struct Case {
        int origin;
        QPoint topLeft;
    };
    // Image-only buttons of 30: cells of 32 x 32.
    const Case cases[] = {
        {0, {10, 20}},
        {1, {int(screen.width()) - 10, 20}},
        {2, {int(screen.width()) - 10, int(screen.height()) - 20}},
        {3, {10, int(screen.height()) - 20}},
    };
    loadObjects();
    for (const Case& c : cases) {
        loadPalettes({paletteRecord(1, "Grid", items(7), {.origin = c.origin, .location = "{10, 20}", .perRow = 3})});
        const auto grid = palette(1);
        ASSERT_TRUE(grid && grid->panel());
        EXPECT_EQ(grid->panel()->geometry(), QRect(c.topLeft, QSize(96, 96))) << "origin " << c.origin;
        EXPECT_TRUE(grid->isVisible()) << "shown when active";
        const auto buttons = buttonsOf(grid->panel());
        ASSERT_EQ(buttons.size(), 7);
        EXPECT_EQ(buttons[6]->geometry(), QRect(0, 64, 32, 32)) << "the last row holds one button at the left";
        EXPECT_EQ(grid->paletteHeight(), 96);
    }
}

TEST_F(MenuPaletteTest, PanelSizeAroundThePerRowCount)
{
    struct Case {
        int count;
        int perRow;
        QSize size;
    };
    const Case cases[] = {
        {2, 5, {64, 32}}, {3, 3, {96, 32}}, {4, 3, {96, 64}},
        // A stored 0 per row is one per row (it divided by zero).
        {3, 0, {32, 96}}, {3, -1, {32, 96}},
        // Without buttons the panel keeps a point each way.
        {0, 3, {1, 1}},
    };
    loadObjects();
    for (const Case& c : cases) {
        loadPalettes({paletteRecord(1, "Rows", items(c.count), {.perRow = c.perRow})});
        ASSERT_TRUE(palette(1) && palette(1)->panel());
        EXPECT_EQ(palette(1)->panel()->size(), c.size) << c.count << " items, " << c.perRow << " per row";
    }
}

TEST_F(MenuPaletteTest, ButtonsShowTheirTitlesAndImagesByType)
{
    loadObjects();
    loadPalettes({paletteRecord(1, "Titles", {paletteItem(2, 1), paletteItem(1, 10)}, {.perRow = 2, .type = 0}),
                  paletteRecord(2, "Images", {paletteItem(2, 1)}, {.type = 1}),
                  paletteRecord(3, "Both", {paletteItem(2, 1)}, {.type = 5})});
    const auto titles = buttonsOf(palette(1)->panel());
    ASSERT_EQ(titles.size(), 2);
    EXPECT_EQ(titles[0]->text(), "Alpha");
    EXPECT_EQ(titles[1]->text(), "Run Alpha");
    EXPECT_TRUE(titles[0]->image().isNull());
    const auto images = buttonsOf(palette(2)->panel());
    ASSERT_EQ(images.size(), 1);
    EXPECT_TRUE(images[0]->text().isEmpty());
    EXPECT_EQ(images[0]->accessibleName(), "Alpha");
    EXPECT_EQ(images[0]->size(), QSize(32, 32));
    const auto both = buttonsOf(palette(3)->panel());
    ASSERT_EQ(both.size(), 1);
    EXPECT_EQ(both[0]->text(), "Alpha");
    EXPECT_GT(both[0]->height(), 32) << "the title goes below the image";
}

TEST_F(MenuPaletteTest, MissingAndInactiveItemsAreLeftOut)
{
    loadObjects();
    LogCapture log;
    loadPalettes({paletteRecord(1, "Some", {paletteItem(2, 1), paletteItem(2, 77), paletteItem(1, 88),
                                             paletteItem(1, 10, false), paletteItem(9, 1), paletteItem(1, 11)})});
    ASSERT_TRUE(palette(1)->panel());
    EXPECT_EQ(buttonsOf(palette(1)->panel()).size(), 2);
    EXPECT_TRUE(log.contains("QVPalette initWithDictionaryInLauncher: 'Some' no action 77"));
    EXPECT_TRUE(log.contains("'Some' no shortcut 88"));
}

TEST_F(MenuPaletteTest, ButtonsRunTheirObjectsAndFollowTheShortcutsActivation)
{
    loadObjects();
    loadPalettes({paletteRecord(1, "Run", {paletteItem(2, 3), paletteItem(1, 11)}, {.perRow = 2})});
    const auto buttons = buttonsOf(palette(1)->panel());
    ASSERT_EQ(buttons.size(), 2);
    EXPECT_TRUE(buttons[0]->isEnabled());
    EXPECT_TRUE(buttons[1]->isEnabled()) << "the shortcut is active";
    buttons[0]->click();
    EXPECT_TRUE(waitFor("end Gamma#1"));
    buttons[1]->click();
    EXPECT_TRUE(waitFor("end Beta#1"));

    shortcut(11)->setObjectActivated(false);
    EXPECT_TRUE(waitUntil([&] { return !buttons[1]->isEnabled(); })) << "an inactive shortcut's button is off";
    EXPECT_TRUE(buttons[0]->isEnabled()) << "action buttons stay on";
    shortcut(11)->setObjectActivated(true);
}

TEST_F(MenuPaletteTest, ActivationShowsAndHidesAndTheLauncherToggles)
{
    loadObjects();
    engine::QVPalettesManager::sharedManager().setPalettes(
        {paletteRecord(1, "Shown", items(2)), paletteRecord(2, "Toggled", items(2), {.showActive = false})});
    const auto shown = palette(1);
    const auto toggled = palette(2);
    toggled->runObject();
    EXPECT_FALSE(toggled->isVisible()) << "an inactive palette ignores its launcher";
    switchUniversal();
    EXPECT_TRUE(shown->isVisible());
    EXPECT_FALSE(toggled->isVisible());
    toggled->runObject();
    EXPECT_TRUE(toggled->isVisible());
    toggled->runObject();
    EXPECT_FALSE(toggled->isVisible());
    toggled->runObject();

    engine::QVContextsManager::sharedManager().universalContext()->setContextActivated(false);
    EXPECT_FALSE(shown->isVisible());
    EXPECT_FALSE(toggled->isVisible()) << "deactivation hides a panel shown by its launcher";
    engine::QVContextsManager::sharedManager().universalContext()->setContextActivated(true);
}

TEST_F(MenuPaletteTest, AReloadHidesTheOldPanels)
{
    loadObjects();
    loadPalettes({paletteRecord(1, "Old", items(2))});
    QPointer<QVPalettePanel> old = palette(1)->panel();
    ASSERT_TRUE(old && old->isVisible());
    engine::QVPalettesManager::sharedManager().setPalettes({paletteRecord(1, "New", items(2), {.showActive = false})});
    EXPECT_TRUE(!old || !old->isVisible());
    // Deleted later, by the event loop the engine runs in.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(old.isNull()) << "the old panel is deleted";
}

TEST_F(MenuPaletteTest, TitleOutsideCollapsesAndFadesWhileThePointerIsAway)
{
    loadObjects();
    engine::QVPalette::setDeactivateDelay(0);
    loadPalettes({paletteRecord(1, "Fading", items(6), {.location = "{40, 50}", .titleOutside = true, .transparency = 30})});
    const auto fading = palette(1);
    QVPalettePanel* panel = fading->panel();
    ASSERT_TRUE(panel && panel->isVisible());
    EXPECT_TRUE(fading->isCollapsed());
    EXPECT_EQ(panel->geometry(), QRect(40, 50, 96, 1)) << "shrunk to its title, top edge kept";
    EXPECT_NEAR(panel->windowOpacity(), 0.7, 0.01);
    EXPECT_TRUE(panel->isTracking());

    fading->mouseEntered();
    EXPECT_FALSE(fading->isCollapsed());
    EXPECT_EQ(panel->geometry(), QRect(40, 50, 96, 64));
    EXPECT_DOUBLE_EQ(panel->windowOpacity(), 1.0);

    fading->mouseExited();
    ASSERT_TRUE(waitUntil([&] { return fading->isCollapsed(); }));
    EXPECT_EQ(panel->geometry(), QRect(40, 50, 96, 1));
    EXPECT_NEAR(panel->windowOpacity(), 0.7, 0.01);
}

TEST_F(MenuPaletteTest, PointerBackWithinTheDelayLeavesThePanelOpen)
{
    loadObjects();
    engine::QVPalette::setDeactivateDelay(30);
    loadPalettes({paletteRecord(1, "Open", items(6), {.titleOutside = true, .transparency = 30})});
    const auto open = palette(1);
    open->mouseEntered();
    open->mouseExited();
    open->mouseEntered();
    // What the delayed exit does when it comes.
    open->pointerExitPalette();
    EXPECT_FALSE(open->isCollapsed());
    EXPECT_EQ(open->panel()->height(), 64);
    EXPECT_DOUBLE_EQ(open->panel()->windowOpacity(), 1.0);
}

TEST_F(MenuPaletteTest, GrowingNearTheBottomKeepsThePanelOnTheScreen)
{
    loadObjects();
    engine::QVPalette::setDeactivateDelay(0);
    loadPalettes({paletteRecord(1, "Low", items(6), {.origin = 3, .location = "{0, 5}", .titleOutside = true})});
    const auto low = palette(1);
    low->mouseEntered();
    EXPECT_EQ(low->panel()->geometry().bottom() + 1, int(zelk::mainScreenSize().height()));
    EXPECT_EQ(low->panel()->height(), 64);
}

TEST_F(MenuPaletteTest, LowPanelsAndOtherModesAreNotCollapsed)
{
    struct Case {
        const char* name;
        int count;
        bool titleOutside;
    };
    // One row of images of 16 is 18 high; without title-outside nothing collapses.
    const Case cases[] = {{"Low", 1, true}, {"Plain", 6, false}};
    loadObjects();
    engine::QVPalette::setDeactivateDelay(0);
    for (const Case& c : cases) {
        loadPalettes({paletteRecord(1, c.name, items(c.count),
                                    {.imageSize = c.count == 1 ? 16 : 30, .titleOutside = c.titleOutside, .transparency = 50})});
        const auto p = palette(1);
        const int height = p->panel()->height();
        EXPECT_FALSE(p->isCollapsed()) << c.name;
        p->mouseExited();
        EXPECT_TRUE(waitUntil([&] { return p->panel()->windowOpacity() < 0.6; })) << c.name << ": fades all the same";
        EXPECT_EQ(p->panel()->height(), height) << c.name;
    }
}

TEST_F(MenuPaletteTest, ClosingThePanelOnlyHidesIt)
{
    loadObjects();
    loadPalettes({paletteRecord(1, "Close", items(2))});
    const auto p = palette(1);
    p->panel()->close();
    EXPECT_FALSE(p->isVisible());
    EXPECT_FALSE(p->panel()->isTracking());
    p->runObject();
    EXPECT_TRUE(p->isVisible()) << "the launcher shows it again";
}
