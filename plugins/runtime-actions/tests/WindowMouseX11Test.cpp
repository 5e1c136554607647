// The window and mouse types on a real X server under a window manager
// (openbox): a window of the test's own is moved and resized by the window
// actions, and a mouse action's click reaches it at the point converted
// from its frame's corner.
#include "MouseShortcut/MouseShortcut.h"
#include "Platform.h"
#include "RunnerTestSupport.h"
#include "TestSupport.h"
#include "WindowShortcut/WindowShortcut.h"
#include "X11Support.h"
#include "X11TestSupport.h"

#include <QProcess>
#include <gtest/gtest.h>
#include <unistd.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

using namespace zelk;
using namespace zelk::engine;
using namespace zelk::test;

namespace {

class WindowMouseX11Test : public XServerTest {
protected:
    void SetUp() override
    {
        XServerTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        x = XOpenDisplay(xDisplay.toLocal8Bit().constData());
        ASSERT_NE(x, nullptr);
        QString whyNot;
        wm = startOpenbox(x, &whyNot);
        if (!wm && whyNot == "openbox is not installed")
            ZELK_SKIP_UNLESS_CI(whyNot.toStdString());
        ASSERT_TRUE(wm) << whyNot.toStdString();
        openWindow();
        ASSERT_TRUE(loadActionRunners());
        previous = Platform::install(makeLinuxPlatform());
        installed = true;
        ASSERT_TRUE(Platform::instance().workspace().activate(::getpid()));
        ASSERT_TRUE(waitUntil([&] { return windows().focusedWindow() == window; }))
            << "the test window never came to the front";
    }

    void TearDown() override
    {
        // Back to the backend before (none: made again on next use), so no X
        // connection of ours outlives the test server.
        if (installed)
            Platform::install(std::move(previous));
        if (wm) {
            wm->terminate();
            wm->waitForFinished(3000);
        }
        if (x)
            XCloseDisplay(x);
    }

    WindowService& windows() { return Platform::instance().windows(); }

    // A named window of this process, managed and decorated by openbox.
    void openWindow() { window = newWindow(); }
    unsigned long newWindow()
    {
        const int screen = DefaultScreen(x);
        const Window window = XCreateSimpleWindow(x, RootWindow(x, screen), 50, 60, 300, 200, 0, BlackPixel(x, screen),
                                     WhitePixel(x, screen));
        XClassHint hint{const_cast<char*>("zelktest"), const_cast<char*>("ZelkTest")};
        XSetClassHint(x, window, &hint);
        XStoreName(x, window, "Zelk test window");
        const long pid = ::getpid();
        XChangeProperty(x, window, XInternAtom(x, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&pid), 1);
        XSelectInput(x, window, ButtonPressMask | StructureNotifyMask);
        XMapWindow(x, window);
        XSync(x, False);
        const Atom extents = XInternAtom(x, "_NET_FRAME_EXTENTS", False);
        EXPECT_TRUE(waitUntil([&] { return x11::listProperty(x, window, extents, XA_CARDINAL).size() == 4; }))
            << "openbox never framed the window";
        return window;
    }

    QMargins extents()
    {
        const QList<unsigned long> e = x11::listProperty(x, window, XInternAtom(x, "_NET_FRAME_EXTENTS", False), XA_CARDINAL);
        return e.size() == 4 ? QMargins(int(e[0]), int(e[2]), int(e[1]), int(e[3])) : QMargins();
    }
    // The frame the user sees: the client window and its decorations.
    QRect frameNow() { return frameOf(window); }
    QRect frameOf(unsigned long w)
    {
        XWindowAttributes a;
        XGetWindowAttributes(x, w, &a);
        int rx = 0, ry = 0;
        Window child = 0;
        XTranslateCoordinates(x, w, DefaultRootWindow(x), 0, 0, &rx, &ry, &child);
        const QList<unsigned long> e = x11::listProperty(x, w, XInternAtom(x, "_NET_FRAME_EXTENTS", False), XA_CARDINAL);
        const QMargins m = e.size() == 4 ? QMargins(int(e[0]), int(e[2]), int(e[1]), int(e[3])) : QMargins();
        return QRect(rx, ry, a.width, a.height).marginsAdded(m);
    }

    QString run(const QString& className, const QVariantMap& data)
    {
        return runAction(actionWithParameters(className, "x11", 9, data), std::make_shared<TestController>());
    }

    // The button presses our windows received: their root coordinates,
    // and the buttons in the same order.
    QList<QPoint> presses(QList<unsigned>* buttons = nullptr)
    {
        QList<QPoint> list;
        XSync(x, False);
        while (XPending(x) > 0) {
            XEvent e;
            XNextEvent(x, &e);
            if (e.type == ButtonPress) {
                list << QPoint(e.xbutton.x_root, e.xbutton.y_root);
                if (buttons)
                    *buttons << e.xbutton.button;
            }
        }
        return list;
    }

    _XDisplay* x = nullptr;
    std::unique_ptr<QProcess> wm;
    unsigned long window = 0;
    std::unique_ptr<Platform> previous;
    bool installed = false;
};

TEST_F(WindowMouseX11Test, WindowActionsMoveAndResizeARealWindow)
{
    ASSERT_EQ(windows().frame(window), frameNow()) << "the service reads the frame as the server has it";
    const QMargins decorations = extents();
    ASSERT_GT(decorations.top(), 0) << "openbox gives the window a title bar";

    // Its bottom-right corner on (700, 500).
    ASSERT_EQ(run("WindowShortcut", {{"Action", 8}, {"XValue", 700}, {"YValue", 500}, {"Origin", 2}}), QString());
    QRect frame = frameNow();
    EXPECT_EQ(frame.left() + frame.width(), 700);
    EXPECT_EQ(frame.top() + frame.height(), 500);
    EXPECT_EQ(frame.size(), QSize(300, 200) + QSize(decorations.left() + decorations.right(), decorations.top() + decorations.bottom()));

    // 400 x 300 with the bottom-right corner kept.
    ASSERT_EQ(run("WindowShortcut", {{"Action", 10}, {"XValue", 400}, {"YValue", 300}, {"Origin", 2}}), QString());
    frame = frameNow();
    EXPECT_EQ(frame.size(), QSize(400, 300));
    EXPECT_EQ(frame.left() + frame.width(), 700);
    EXPECT_EQ(frame.top() + frame.height(), 500);

    // Top-left corner on (20, 30), then 40 narrower with the top-left kept.
    ASSERT_EQ(run("WindowShortcut", {{"Action", 8}, {"XValue", 20}, {"YValue", 30}, {"Origin", 0}}), QString());
    ASSERT_EQ(run("WindowShortcut", {{"Action", 11}, {"XValue", -40}, {"YValue", 0}, {"Origin", 0}}), QString());
    EXPECT_EQ(frameNow(), QRect(20, 30, 360, 300));
    EXPECT_EQ(windows().frame(window), QRect(20, 30, 360, 300));
}

TEST_F(WindowMouseX11Test, WindowCommandsReachTheWindowManager)
{
    const QRect before = frameNow();
    ASSERT_EQ(run("WindowShortcut", {{"Action", 0}}), QString());
    const QRect screen = windows().mainScreenFrame();
    EXPECT_TRUE(waitUntil([&] { return frameNow().width() > before.width() && frameNow().width() <= screen.width(); }))
        << "zoom maximises the window";
    ASSERT_EQ(run("WindowShortcut", {{"Action", 0}}), QString());
    EXPECT_TRUE(waitUntil([&] { return frameNow() == before; })) << "and zoom again gives it its frame back";

    // A second window keeps the application in front once the first is minimised.
    const unsigned long second = newWindow();
    // The window manager focuses a new window: let it, before the first comes back.
    ASSERT_TRUE(waitUntil([&] { return windows().focusedWindow() == second; }));
    ASSERT_TRUE(windows().activateWindow(window));
    ASSERT_TRUE(waitUntil([&] { return windows().focusedWindow() == window; }));
    ASSERT_EQ(run("WindowShortcut", {{"Action", 2}}), QString());
    EXPECT_TRUE(waitUntil([&] { return windows().isMinimized(window) == std::optional<bool>(true); }));
    ASSERT_TRUE(windows().activateWindow(second));
    ASSERT_TRUE(waitUntil([&] { return windows().focusedWindow() == second; }));
    ASSERT_EQ(run("WindowShortcut", {{"Action", 4}}), QString());
    EXPECT_TRUE(waitUntil([&] { return windows().isMinimized(window) == std::optional<bool>(false); }))
        << "shown again";
}

TEST_F(WindowMouseX11Test, NextAndPreviousWindowAndScrollingLines)
{
    const unsigned long second = newWindow();
    ASSERT_TRUE(waitUntil([&] { return windows().focusedWindow() == second; }));
    ASSERT_EQ(run("WindowShortcut", {{"Action", 13}}), QString());
    EXPECT_TRUE(waitUntil([&] { return windows().focusedWindow() == window; })) << "next: the top one goes back";
    EXPECT_TRUE(waitUntil([&] { return windows().frontApplicationWindows().first() == second; }))
        << "and is at the bottom of the stack";
    ASSERT_EQ(run("WindowShortcut", {{"Action", 14}}), QString());
    EXPECT_TRUE(waitUntil([&] { return windows().focusedWindow() == second; })) << "previous: the bottom one comes forward";

    // Two lines down: wheel clicks over the front window, the pointer put back.
    ASSERT_TRUE(windows().moveWindow(second, {300, 300}));
    ASSERT_EQ(Platform::instance().events().postMouseMove({5, 5}, false), 0);
    presses();
    ASSERT_EQ(run("WindowShortcut", {{"Action", 15}, {"Unit", 0}, {"Count", 2}}), QString());
    const QPoint middle = frameOf(second).center();
    QList<QPoint> at;
    QList<unsigned> buttons;
    EXPECT_TRUE(waitUntil([&] {
        at += presses(&buttons);
        return at.size() >= 2;
    }));
    EXPECT_EQ(at, QList<QPoint>({middle, middle}));
    EXPECT_EQ(buttons, QList<unsigned>({5, 5}));
    EXPECT_EQ(Platform::instance().events().pointerLocation(), QPointF(5, 5));
    // Scroll bars are out of the window manager's reach: said, not passed over.
    EXPECT_EQ(run("WindowShortcut", {{"Action", 15}, {"Unit", 2}, {"Count", 10}}), WindowShortcut::noBarString());
}

TEST_F(WindowMouseX11Test, KeysAreHeardWhateverWindowHasTheFocus)
{
    QList<std::pair<uint16_t, bool>> heard;
    ObserverHandle handle = Platform::instance().events().observeKeys([&](uint16_t key, bool down) { heard.append({key, down}); });
    // The watch starts on the main loop; keys pressed before it are not heard.
    ASSERT_TRUE(waitUntil([&] {
        heard.clear();
        Platform::instance().events().postKey(53, true);
        Platform::instance().events().postKey(53, false);
        return waitUntil([&] { return heard.size() >= 2; }, 200);
    }));
    EXPECT_EQ(heard, (QList<std::pair<uint16_t, bool>>{{53, true}, {53, false}})) << "Escape, down and up";
    heard.clear();
    ASSERT_EQ(Platform::instance().events().postKey(55, true), 0);
    ASSERT_EQ(Platform::instance().events().postKey(55, false), 0);
    EXPECT_TRUE(waitUntil([&] { return heard.size() >= 2; }));
    EXPECT_EQ(heard, (QList<std::pair<uint16_t, bool>>{{55, true}, {55, false}})) << "Ctrl, the stored command";
    handle = {};
    heard.clear();
    Platform::instance().events().postKey(53, true);
    Platform::instance().events().postKey(53, false);
    waitUntil([] { return false; }, 200);
    EXPECT_TRUE(heard.isEmpty()) << "heard after the handle went";
}

TEST_F(WindowMouseX11Test, MouseClickReachesTheWindowAtTheConvertedPoint)
{
    ASSERT_EQ(run("WindowShortcut", {{"Action", 8}, {"XValue", 100}, {"YValue", 120}, {"Origin", 0}}), QString());
    presses();
    const QRect frame = frameNow();
    const QVariantList clickNearBottomRight{
        QVariantMap{{"Type", 3}, {"XValue", 10}, {"YValue", 15}, {"Origin", 2}, {"Pause", 0.0}},
        QVariantMap{{"Type", 0}, {"Pause", 0.0}}};
    ASSERT_EQ(run("MouseShortcut", {{"Action", 2}, {"Movements", clickNearBottomRight}}), QString());
    const QPoint expected(frame.left() + frame.width() - 10, frame.top() + frame.height() - 15);
    EXPECT_TRUE(waitUntil([&] { return presses().contains(expected); }))
        << "no click at " << expected.x() << ", " << expected.y();
    EXPECT_EQ(Platform::instance().events().pointerLocation(), QPointF(expected));

    // A screen point counted from the top-left corner lands as it is.
    const QVariantList clickOnScreen{QVariantMap{{"Type", 3}, {"XValue", frame.left() + 30}, {"YValue", frame.top() + 60}, {"Origin", 0}, {"Pause", 0.0}},
                                     QVariantMap{{"Type", 0}, {"Pause", 0.0}}};
    ASSERT_EQ(run("MouseShortcut", {{"Action", 1}, {"Movements", clickOnScreen}}), QString());
    EXPECT_TRUE(waitUntil([&] { return presses().contains(QPoint(frame.left() + 30, frame.top() + 60)); }));
}

} // namespace
