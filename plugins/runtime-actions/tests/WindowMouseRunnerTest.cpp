// The window and mouse action types, running side, on the virtual desktop:
// which window moved or changed where, for each origin; which mouse events
// were posted, and where, for each area.
#include "MouseShortcut/MouseShortcut.h"
#include "RunnerTestSupport.h"
#include "TestSupport.h"
#include "VirtualPlatform.h"
#include "WindowShortcut/WindowShortcut.h"

#include <gtest/gtest.h>

using namespace zelk;
using namespace zelk::engine;
using namespace zelk::test;

namespace {

using WindowId = WindowService::WindowId;
using Orientation = WindowService::Orientation;

// A text of the type's strings table.
template <class Type>
QString classObjectText(const char* key)
{
    return Type::classObject().localizedStr(QString::fromLatin1(key));
}

// Keeps every error the replay reports, and says whether to go on.
class ErrorController : public TestController {
public:
    bool canGoRunningAfterError(const QString& error) override
    {
        std::lock_guard lock(mutex);
        errors << error;
        return goOnAfterError;
    }
    QStringList errors;
    bool goOnAfterError = false;
};

class WindowMouseRunnerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(loadActionRunners());
        desktop = VirtualPlatform::current();
        ASSERT_NE(desktop, nullptr);
        windows().setMainScreenFrame({0, 0, 1440, 900});
        windows().clearRequests();
        desktop->virtualWorkspace().setWindowsReadable(true);
        pid = desktop->virtualWorkspace().userLaunches(QStringLiteral("editor%1.desktop").arg(++launches));
        desktop->userMovesPointer({0, 0});
        desktop->clearEventLog();
        MouseShortcut::setSavedLocation({0, 0});
    }

    VirtualWindows& windows() { return desktop->virtualWindows(); }
    WindowId open(const QString& title, const QRect& frame, WindowId owner = 0)
    {
        return windows().userOpensWindow(pid, title, frame, owner);
    }
    QString runWindow(const QVariantMap& data)
    {
        return runAction(actionWithParameters("WindowShortcut", "window", 5, data), controller);
    }
    static QVariantMap moveResize(int model, int x, int y, int origin)
    {
        return {{"Action", model}, {"XValue", x}, {"YValue", y}, {"Origin", origin}};
    }
    static QVariantMap scrolling(int model, int unit, int count) { return {{"Action", model}, {"Unit", unit}, {"Count", count}}; }
    QString runMouse(int area, const QVariantList& movements)
    {
        return runAction(actionWithParameters("MouseShortcut", "mouse", 6, {{"Action", area}, {"Movements", movements}}),
                         controller);
    }
    static QVariantMap movement(int type, QVariantMap values = {})
    {
        values.insert("Type", type);
        values.insert("Pause", 0.0);
        return values;
    }
    QStringList log() const { return desktop->eventLogStrings(); }

    static inline int launches = 0;
    VirtualPlatform* desktop = nullptr;
    qint64 pid = 0;
    std::shared_ptr<ErrorController> controller = std::make_shared<ErrorController>();
};

// --- Window moves and resizes

TEST_F(WindowMouseRunnerTest, MoveToPointPlacesTheOriginCornerOnThePoint)
{
    const struct {
        int origin;
        QPoint topLeft;
    } cases[] = {{0, {800, 600}}, {1, {400, 600}}, {2, {400, 300}}, {3, {800, 300}}};
    for (const auto& c : cases) {
        const WindowId w = open("doc", {100, 100, 400, 300});
        EXPECT_EQ(runWindow(moveResize(8, 800, 600, c.origin)), QString()) << c.origin;
        EXPECT_EQ(windows().frame(w), QRect(c.topLeft, QSize(400, 300))) << "origin " << c.origin;
        windows().userClosesWindow(w);
    }
}

TEST_F(WindowMouseRunnerTest, ResizeKeepsTheOriginCornerInPlace)
{
    // 400 x 300 at (100, 100) to 500 x 350: the kept corner stays put.
    const struct {
        int origin;
        QPoint topLeft;
    } cases[] = {{0, {100, 100}}, {1, {0, 100}}, {2, {0, 50}}, {3, {100, 50}}};
    for (const auto& c : cases) {
        const WindowId w = open("doc", {100, 100, 400, 300});
        EXPECT_EQ(runWindow(moveResize(10, 500, 350, c.origin)), QString());
        EXPECT_EQ(windows().frame(w), QRect(c.topLeft, QSize(500, 350))) << "origin " << c.origin;
        windows().userClosesWindow(w);
    }
}

TEST_F(WindowMouseRunnerTest, MovesAndResizesByTheirOwnMeasures)
{
    const struct {
        QVariantMap data;
        QRect from, to;
        const char* what;
    } cases[] = {
        {moveResize(9, -20, 30, 2), {100, 100, 400, 300}, {80, 130, 400, 300}, "move by an interval ignores the origin"},
        {moveResize(11, 10, -20, 0), {100, 100, 400, 300}, {100, 100, 410, 280}, "resize by an interval"},
        {moveResize(12, 50, 50, 0), {100, 100, 401, 301}, {100, 100, 201, 151}, "percentages truncate the interval"},
        {moveResize(24, 50, 25, 0), {100, 100, 400, 300}, {100, 100, 720, 225}, "percentages of the 1440 x 900 screen"},
        {moveResize(23, 1, 0, 0), {10, 20, 400, 300}, {520, 20, 400, 300}, "centred horizontally only"},
        {moveResize(23, 1, 1, 3), {10, 20, 400, 300}, {520, 300, 400, 300}, "centred both ways, origin ignored"},
    };
    for (const auto& c : cases) {
        const WindowId w = open("doc", c.from);
        EXPECT_EQ(runWindow(c.data), QString()) << c.what;
        EXPECT_EQ(windows().frame(w), c.to) << c.what;
        windows().userClosesWindow(w);
    }
}

TEST_F(WindowMouseRunnerTest, RefusedMoveOrResizeIsReportedNotPassedForDone)
{
    const WindowId w = open("stuck", {100, 100, 400, 300});
    windows().setRefusesChanges(w, true);
    const QString moveFailed = classObjectText<WindowShortcut>("DeplacementNonValide");
    const QString sizeFailed = classObjectText<WindowShortcut>("TailleNonValide");
    ASSERT_FALSE(moveFailed.isEmpty());
    EXPECT_EQ(runWindow(moveResize(8, 0, 0, 0)), moveFailed);
    EXPECT_EQ(runWindow(moveResize(10, 200, 200, 0)), sizeFailed);
    // The kept corner is moved first: its refusal ends the resize.
    EXPECT_EQ(runWindow(moveResize(11, 50, 50, 2)), moveFailed);
    EXPECT_EQ(windows().frame(w), QRect(100, 100, 400, 300));
    EXPECT_EQ(windows().requests(), QStringList({"move stuck {0, 0}", "resize stuck {200, 200}", "move stuck {50, 50}"}));
}

TEST_F(WindowMouseRunnerTest, NoWindowOrNoDesktopAnswersItsText)
{
    EXPECT_EQ(runWindow(moveResize(8, 0, 0, 0)), WindowShortcut::noWindowString());
    EXPECT_EQ(runWindow({{"Action", 0}}), WindowShortcut::noWindowString());
    open("doc", {0, 0, 100, 100});
    desktop->virtualWorkspace().setWindowsReadable(false);
    EXPECT_EQ(runWindow({{"Action", 6}}), WindowShortcut::noAPIString());
    EXPECT_EQ(runWindow(scrolling(15, 0, 1)), WindowShortcut::noAPIString());
    EXPECT_TRUE(windows().requests().isEmpty());
    // Switching windows needs no reading: it simply finds nothing to switch.
    EXPECT_EQ(runWindow({{"Action", 13}}), QString());
    EXPECT_NE(WindowShortcut::noAPIString(), QString("AssistiveNonValide")) << "the text comes from the table";
}

// --- Window commands and switching

TEST_F(WindowMouseRunnerTest, CommandsActOnTheFrontWindowOrEveryWindowOfTheApplication)
{
    const WindowId back = open("back", {0, 0, 100, 100});
    open("front", {10, 10, 100, 100});
    const struct {
        int model;
        QStringList requests;
    } cases[] = {
        {0, {"zoom front"}},
        {1, {"zoom back", "zoom front"}},
        {6, {"close front"}},
    };
    for (const auto& c : cases) {
        windows().clearRequests();
        EXPECT_EQ(runWindow({{"Action", c.model}}), QString()) << c.model;
        EXPECT_EQ(windows().requests(), c.requests) << c.model;
    }
    // Maximised by model 1, then back to its own frame, then maximised again.
    EXPECT_TRUE(windows().isMaximized(back));
    runWindow({{"Action", 0}});
    EXPECT_FALSE(windows().isMaximized(back));
    EXPECT_EQ(windows().frame(back), QRect(0, 0, 100, 100));
    runWindow({{"Action", 0}});
    EXPECT_EQ(windows().frame(back), QRect(0, 0, 1440, 900));
}

TEST_F(WindowMouseRunnerTest, MinimisingSkipsMinimisedWindowsAndShowingBringsThemBack)
{
    const WindowId a = open("a", {0, 0, 100, 100});
    const WindowId b = open("b", {0, 0, 100, 100});
    windows().setMinimized(a, true);
    EXPECT_EQ(runWindow({{"Action", 3}}), QString());
    EXPECT_EQ(windows().requests(), QStringList({"minimize b"})) << "a was minimised already";
    windows().clearRequests();
    EXPECT_EQ(runWindow({{"Action", 4}}), QString());
    EXPECT_EQ(windows().requests(), QStringList({"unminimize a", "unminimize b"}));
    windows().clearRequests();
    EXPECT_EQ(runWindow({{"Action", 4}}), QString());
    EXPECT_TRUE(windows().requests().isEmpty()) << "nothing minimised: nothing done";
    EXPECT_EQ(windows().isMinimized(b), std::optional<bool>(false));
    EXPECT_EQ(runWindow({{"Action", 5}}), QString()) << "no toolbar: nothing to press";
}

TEST_F(WindowMouseRunnerTest, NextSendsTheTopWindowBackAndPreviousBringsTheBottomOneForward)
{
    const WindowId a = open("a", {0, 0, 100, 100});
    const WindowId b = open("b", {0, 0, 100, 100});
    const WindowId c = open("c", {0, 0, 100, 100});
    const auto order = [&] { return windows().frontApplicationWindows(); };
    EXPECT_EQ(runWindow({{"Action", 13}}), QString());
    EXPECT_EQ(order(), QList<WindowId>({c, a, b}));
    EXPECT_EQ(windows().focusedWindow(), b);
    runWindow({{"Action", 13}});
    EXPECT_EQ(windows().focusedWindow(), a);
    runWindow({{"Action", 14}});
    EXPECT_EQ(windows().focusedWindow(), b) << "previous undoes next";
    EXPECT_EQ(order(), QList<WindowId>({c, a, b}));
}

TEST_F(WindowMouseRunnerTest, WindowKeySpecHoldsItsModifiersAroundTheKey)
{
    ASSERT_TRUE(WindowShortcut::emulateSwitchWindowShortcut("NYNNN1003"));
    EXPECT_EQ(log(), QStringList({"exclusive-begin", "down 56", "down 99", "up 99", "up 56", "exclusive-end"}));
    desktop->clearEventLog();
    ASSERT_TRUE(WindowShortcut::emulateSwitchWindowShortcut("YNNYN1015"));
    EXPECT_EQ(log(), QStringList({"exclusive-begin", "down 55", "down 58", "down 113", "up 113", "up 58", "up 55",
                                  "exclusive-end"}));
    desktop->clearEventLog();
    EXPECT_FALSE(WindowShortcut::emulateSwitchWindowShortcut("NNNNN1016"));
    EXPECT_FALSE(WindowShortcut::emulateSwitchWindowShortcut("NNNN"));
    EXPECT_TRUE(log().isEmpty());
}

// --- Scrolling

TEST_F(WindowMouseRunnerTest, ScrollingMovesTheBarByItsUnit)
{
    const struct {
        QVariantMap data;
        double from, to;
        QStringList requests;
        const char* what;
    } cases[] = {
        {scrolling(15, 2, 150), 0.3, 1.0, {"scroll-to doc v 1"}, "percent past the end stops at 1"},
        {scrolling(16, 2, 150), 0.3, 0.0, {"scroll-to doc v 0"}, "percent up past the top stops at 0"},
        {scrolling(17, 0, 3), 0.5, 0.03, {"scroll-to doc v 0", "scroll doc v lines 3"}, "from the top, three lines down"},
        {scrolling(18, 1, 2), 0.5, 0.8, {"scroll-to doc v 1", "scroll doc v pages -2"}, "from the bottom, two pages up"},
        {scrolling(16, 0, 0), 0.5, 0.5, {}, "no lines: nothing"},
        {scrolling(15, 7, 3), 0.5, 0.5, {}, "an unknown unit does nothing"},
    };
    for (const auto& c : cases) {
        const WindowId w = open("doc", {0, 0, 100, 100});
        windows().setScrollBar(w, Orientation::Vertical, c.from);
        windows().clearRequests();
        EXPECT_EQ(runWindow(c.data), QString()) << c.what;
        EXPECT_NEAR(windows().scrollPosition(w, Orientation::Vertical).value_or(-1), c.to, 1e-9) << c.what;
        EXPECT_EQ(windows().requests(), c.requests) << c.what;
        windows().userClosesWindow(w);
    }
}

TEST_F(WindowMouseRunnerTest, ScrollingWithoutABarAnswersItsText)
{
    const WindowId w = open("doc", {0, 0, 100, 100});
    windows().setScrollBar(w, Orientation::Vertical, 0.5);
    for (int model : {19, 20, 21, 22})
        EXPECT_EQ(runWindow(scrolling(model, 0, 1)), WindowShortcut::noBarString()) << model;
    EXPECT_EQ(runWindow(scrolling(20, 2, 10)), WindowShortcut::noBarString());
}

// --- Mouse

TEST_F(WindowMouseRunnerTest, EmptyReplayPostsNothing)
{
    EXPECT_EQ(runMouse(1, {}), QString());
    EXPECT_TRUE(log().isEmpty());
    EXPECT_EQ(runMouse(4, {movement(0)}), QString()) << "not an area: nothing runs";
    EXPECT_TRUE(log().isEmpty());
}

TEST_F(WindowMouseRunnerTest, ScreenPointsCountFromTheirCorner)
{
    const struct {
        int origin;
        const char* expected;
    } cases[] = {{0, "move {10, 20}"}, {1, "move {1430, 20}"}, {2, "move {1430, 880}"}, {3, "move {10, 880}"}};
    for (const auto& c : cases) {
        desktop->clearEventLog();
        EXPECT_EQ(runMouse(1, {movement(3, {{"XValue", 10}, {"YValue", 20}, {"Origin", c.origin}})}), QString());
        EXPECT_EQ(log(), QStringList({c.expected})) << "origin " << c.origin;
    }
}

TEST_F(WindowMouseRunnerTest, WindowPointsCountFromTheMainOrTheFocusedWindow)
{
    const WindowId main = open("main", {100, 100, 400, 300});
    open("dialog", {600, 200, 200, 100}, main);
    const struct {
        int area, origin;
        const char* expected;
    } cases[] = {
        {2, 2, "move {490, 390}"}, {2, 0, "move {110, 110}"}, {2, 1, "move {490, 110}"}, {2, 3, "move {110, 390}"},
        {3, 2, "move {790, 290}"}, {3, 0, "move {610, 210}"},
    };
    for (const auto& c : cases) {
        desktop->clearEventLog();
        EXPECT_EQ(runMouse(c.area, {movement(3, {{"XValue", 10}, {"YValue", 10}, {"Origin", c.origin}})}), QString());
        EXPECT_EQ(log(), QStringList({c.expected})) << "area " << c.area << " origin " << c.origin;
    }
    // Left of the screen: nothing is posted, and that is no error.
    desktop->clearEventLog();
    EXPECT_EQ(runMouse(2, {movement(3, {{"XValue", 200}, {"YValue", 10}, {"Origin", 0}}),
                           movement(3, {{"XValue", 501}, {"YValue", 10}, {"Origin", 1}})}),
              QString());
    EXPECT_EQ(log(), QStringList({"move {300, 110}"}));
}

TEST_F(WindowMouseRunnerTest, MissingWindowGoesToTheControllerWhichDecides)
{
    const QVariantList movements{movement(3, {{"XValue", 1}, {"YValue", 1}}), movement(0)};
    EXPECT_EQ(runMouse(3, movements), QString()) << "the controller said stop: it dealt with the error";
    EXPECT_EQ(controller->errors, QStringList({classObjectText<MouseShortcut>("FenetreNonValide")}));
    EXPECT_TRUE(log().isEmpty()) << "stopped before the click";

    controller->goOnAfterError = true;
    EXPECT_EQ(runMouse(3, {movements.at(0)}), classObjectText<MouseShortcut>("FenetreNonValide"))
        << "the last movement's error is the result";
    EXPECT_EQ(runMouse(3, movements), QString()) << "a later success clears it";
    EXPECT_EQ(log(), QStringList({"mouse-down primary {0, 0}", "mouse-up primary {0, 0}"}));

    desktop->virtualWorkspace().setWindowsReadable(false);
    desktop->clearEventLog();
    EXPECT_EQ(runMouse(2, movements), classObjectText<MouseShortcut>("AssistiveNonValide"));
    EXPECT_EQ(runMouse(1, {movement(0)}), QString()) << "the screen needs no window";
    EXPECT_EQ(log().size(), 2);
}

TEST_F(WindowMouseRunnerTest, DragsStepAlongTheWayAndShortOnesHaveNoSteps)
{
    EXPECT_EQ(runMouse(1, {movement(6, {{"XValue", 100}, {"YValue", 40}})}), QString());
    EXPECT_EQ(log(), QStringList({"drag {0, 0}", "drag {0, 0}", "drag {33.3333, 13.3333}", "drag {66.6667, 26.6667}",
                                  "drag {100, 40}", "drag {100, 40}", "mouse-up primary {100, 40}"}));
    // Shorter than 32 pixels: no step at all (and no division by none).
    desktop->clearEventLog();
    EXPECT_EQ(runMouse(1, {movement(14, {{"XValue", -20}, {"YValue", 31}})}), QString());
    EXPECT_EQ(log(), QStringList({"drag {100, 40}", "drag {100, 40}", "drag {80, 71}", "mouse-up primary {80, 71}"}));
    EXPECT_EQ(MouseShortcut::dragPositions({5, 5}, {5, 5}), QList<QPointF>({{5, 5}}));
}

TEST_F(WindowMouseRunnerTest, ClicksWheelAndSavedPlaceHappenWhereThePointerIs)
{
    desktop->userMovesPointer({40, 50});
    const QVariantList movements{
        movement(5),                          // back to the place saved before any save: (0, 0)
        movement(8, {{"XValue", 7}, {"YValue", -3}}),
        movement(4),                          // saves (7, -3)
        movement(1), movement(2),
        movement(9, {{"Wheel", 3}}), movement(7, {{"Wheel", -2}}), movement(7, {{"Wheel", 0}}),
        movement(99),                         // no such movement
        movement(12), movement(13),
        movement(3, {{"XValue", 500}, {"YValue", 500}}),
        movement(5),
    };
    EXPECT_EQ(runMouse(1, movements), QString());
    EXPECT_EQ(log(), QStringList({"move {0, 0}", "move {7, -3}", "mouse-down secondary {7, -3}", "mouse-up secondary {7, -3}",
                                  "mouse-down primary {7, -3}", "mouse-up primary {7, -3}", "mouse-down primary {7, -3}",
                                  "mouse-up primary {7, -3}", "scroll 1 -1 0", "scroll 1 -1 0", "scroll 1 -1 0",
                                  "scroll 1 -1 0", "scroll 1 -1 0", "mouse-down secondary {7, -3}",
                                  "mouse-up secondary {7, -3}", "move {500, 500}", "move {7, -3}"}));
}

TEST_F(WindowMouseRunnerTest, StopEndsTheReplayWithinTheLongPause)
{
    controller->stopAfter = 3;
    QVariantMap longPause = movement(0);
    longPause.insert("Pause", 3600.0 * 2);
    EXPECT_EQ(runMouse(1, {longPause, movement(1)}), QString());
    EXPECT_EQ(log(), QStringList({"mouse-down primary {0, 0}", "mouse-up primary {0, 0}"}));
}

} // namespace
