// The engine's palettes and menus on a real X server: a hot key pressed
// with xdotool shows a palette at its stored corner or pops a menu up at
// the pointer; screenshots of both are kept for people to look at.
#include "DesktopTest.h"

#include <QRect>

using namespace zelk::e2e;
using namespace zelk::test::records;

namespace {

constexpr quint32 KeyP = 35, KeyM = 46;
constexpr quint32 CtrlAlt = Command | Option;

// With a window manager (openbox) and without one.
class MenusPalettesOnTheDesktopTest : public DesktopTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        DesktopTest::SetUp();
        if (IsSkipped() || HasFatalFailure() || !GetParam())
            return;
        QString whyNot;
        if (!desktop->startWindowManager(&whyNot))
            ZELK_SKIP_UNLESS_CI(whyNot.toStdString());
    }

    // A shortcut typing "from shortcut" and an action typing "from action",
    // on the universal context; the launchers ctrl+alt+p and ctrl+alt+m.
    static DataFiles objects()
    {
        DataFiles files;
        files.actions = {typeTextAction(0, "from shortcut"), typeTextAction(1, "from action")};
        files.contexts = {context(0, "Everywhere", 0)};
        files.launchers = {keyLauncher(0, CtrlAlt | KeyP), keyLauncher(1, CtrlAlt | KeyM)};
        files.shortcuts = {shortcut(0, "Type it", {0}, {}, {0})};
        return files;
    }

    QList<unsigned long> engineWindows() { return desktop->windowsOf(desktop->engine()->pid()); }
    // The screen, kept for people to look at.
    void keepScreenshot(const char* what)
    {
        EXPECT_TRUE(Desktop::saveArtefact(desktop->screenshot(), QString("%1-%2.png").arg(what, GetParam() ? "wm" : "bare")));
    }
};

TEST_P(MenusPalettesOnTheDesktopTest, HotKeyShowsThePaletteAtItsStoredCornerAndHidesIt)
{
    DataFiles files = objects();
    // Titles only, two a row, 320 in from the right and 160 up from the bottom.
    files.palettes = {paletteRecord(7, "Tools", {paletteItem(1, 0), paletteItem(2, 1), paletteItem(2, 1)},
                                    {.origin = 2, .location = "{320, 160}", .perRow = 2, .type = 0, .showActive = false},
                                    {0}, {0})};
    ASSERT_NO_FATAL_FAILURE(start(files));
    ASSERT_TRUE(engineWindows().isEmpty()) << "the palette shows only on its hot key";

    ASSERT_TRUE(desktop->xdotool({"key", "ctrl+alt+p"}));
    QList<unsigned long> windows;
    ASSERT_TRUE(pollUntil([&] { return !(windows = engineWindows()).isEmpty(); }, 15000)) << "no palette came up";
    const QSize screen = desktop->screenSize();
    QRect palette;
    ASSERT_TRUE(pollUntil([&] { return (palette = desktop->windowGeometry(windows.first())).isValid(); }, 5000));
    EXPECT_EQ(desktop->windowName(windows.first()), "Tools");
    EXPECT_EQ(palette.topLeft(), QPoint(screen.width() - 320, screen.height() - 160))
        << "at " << palette.x() << "," << palette.y();
    EXPECT_GT(palette.height(), 2 * 10) << "two rows of titles";
    keepScreenshot("palette");

    // A click on the shortcut's button (the first, top-left) runs it in the
    // window in front: the palette never takes the focus.
    const QPoint first = palette.topLeft() + QPoint(5, 5);
    ASSERT_TRUE(desktop->xdotool({"mousemove", QString::number(first.x()), QString::number(first.y()), "click", "1"}));
    EXPECT_TRUE(client->waitForText("from shortcut")) << "typed: " << client->text().toStdString();

    ASSERT_TRUE(desktop->focus(*client));
    ASSERT_TRUE(desktop->xdotool({"key", "ctrl+alt+p"}));
    EXPECT_TRUE(pollUntil([&] { return engineWindows().isEmpty(); }, 15000)) << "the hot key did not hide the palette";
}

TEST_P(MenusPalettesOnTheDesktopTest, HotKeyPopsTheMenuUpAtThePointer)
{
    DataFiles files = objects();
    files.menus = {menuRecord(3, "Main", {menuItem(2, 1), menuItem(0), menuItem(0, 0, "Label"), menuItem(1, 0), menuItem(3, 4)},
                              {}, {0}, {1}),
                   // Stored cycle: the submenu holds the menu again.
                   menuRecord(4, "Sub", {menuItem(1, 0), menuItem(3, 3)})};
    ASSERT_NO_FATAL_FAILURE(start(files));

    ASSERT_TRUE(desktop->xdotool({"mousemove", "400", "300"}));
    ASSERT_TRUE(desktop->xdotool({"key", "ctrl+alt+m"}));
    QList<unsigned long> windows;
    ASSERT_TRUE(pollUntil([&] { return !(windows = engineWindows()).isEmpty(); }, 15000)) << "no menu came up";
    QRect menu;
    ASSERT_TRUE(pollUntil([&] { return (menu = desktop->windowGeometry(windows.first())).isValid(); }, 5000));
    EXPECT_LE((menu.topLeft() - QPoint(400, 300)).manhattanLength(), 6) << "at " << menu.x() << "," << menu.y();
    // Into the submenu, so the screenshot shows it too.
    // Keys go to the menu once it holds the keyboard (the hot key's own grab
    // ends with its release).
    ASSERT_TRUE(pollUntil([&] { return desktop->keyboardGrabbed(); }, 5000)) << "the menu never took the keyboard";
    ASSERT_TRUE(desktop->xdotool({"key", "Up", "Right"}));
    EXPECT_TRUE(pollUntil([&] { return engineWindows().size() == 2; }, 5000)) << "the submenu did not open";
    keepScreenshot("menu");

    // Back, and the shortcut above: it types into the window in front.
    ASSERT_TRUE(desktop->xdotool({"key", "Left"}));
    ASSERT_TRUE(pollUntil([&] { return engineWindows().size() == 1; }, 5000)) << "the submenu stayed";
    ASSERT_TRUE(desktop->xdotool({"key", "Up", "Return"}));
    EXPECT_TRUE(pollUntil([&] { return engineWindows().isEmpty(); }, 15000)) << "the menu stayed";
    EXPECT_TRUE(client->waitForText("from shortcut")) << "typed: " << client->text().toStdString();
}

TEST_P(MenusPalettesOnTheDesktopTest, PaletteCollapsesWhileThePointerIsAwayAndGrowsWhenItComesBack)
{
    DataFiles files = objects();
    // Shown as soon as its context holds, at 100, 100 from the top-left.
    files.palettes = {paletteRecord(8, "Folding", {paletteItem(2, 1), paletteItem(2, 1), paletteItem(2, 1), paletteItem(2, 1)},
                                    {.location = "{100, 100}", .perRow = 2, .type = 0, .titleOutside = true, .transparency = 30})};
    ASSERT_TRUE(desktop->xdotool({"mousemove", "700", "700"}));
    ASSERT_NO_FATAL_FAILURE(start(files));
    QList<unsigned long> windows;
    ASSERT_TRUE(pollUntil([&] { return !(windows = engineWindows()).isEmpty(); }, 15000)) << "the palette did not show";
    const auto shown = [&] { return desktop->windowGeometry(windows.first()); };
    ASSERT_TRUE(pollUntil([&] { return shown().height() == 1; }, 5000)) << "not collapsed: " << shown().height();
    EXPECT_EQ(shown().topLeft(), QPoint(100, 100));

    // Over what is left of it (its title bar, or the line of its content).
    ASSERT_TRUE(desktop->xdotool({"mousemove", "120", GetParam() ? "92" : "100"}));
    ASSERT_TRUE(pollUntil([&] { return shown().height() > 20; }, 5000)) << "did not grow under the pointer";
    EXPECT_EQ(shown().topLeft(), QPoint(100, 100)) << "grew from its top edge";
    keepScreenshot("palette-open");

    ASSERT_TRUE(desktop->xdotool({"mousemove", "700", "700"}));
    EXPECT_TRUE(pollUntil([&] { return shown().height() == 1; }, 10000)) << "did not collapse once the pointer left";
}

INSTANTIATE_TEST_SUITE_P(, MenusPalettesOnTheDesktopTest, ::testing::Values(false, true),
                         [](const auto& info) { return std::string(info.param ? "WithWindowManager" : "Bare"); });

} // namespace
