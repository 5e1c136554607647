// Window and mouse actions run by the built engine from a hot key pressed
// with xdotool, under a window manager (openbox): the front window of an X
// client of the test's own moves where the action says, and the pointer
// goes to the point counted from that window's corner.
#include "Desktop.h"

#include "DataFileRecords.h"
#include "TestSupport.h"
#include "X11Support.h"

#include <QPoint>
#include <QRect>
#include <gtest/gtest.h>
#include <iostream>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

using namespace zelk::e2e;
using namespace zelk::test::records;

namespace {

constexpr quint32 KeyM = 46;
constexpr quint32 CtrlAlt = Command | Option; // stored command is Ctrl, option Alt

// What the X server says of the desktop, on a connection of the test's own.
class Screen {
public:
    explicit Screen(const QString& display) : m_x(XOpenDisplay(display.toLocal8Bit().constData())) {}
    ~Screen()
    {
        if (m_x)
            XCloseDisplay(m_x);
    }
    bool isOpen() const { return m_x != nullptr; }

    // The window's frame: the client window and the decorations around it.
    QRect frame(unsigned long window)
    {
        XWindowAttributes a;
        int x = 0, y = 0;
        Window child = 0;
        if (!XGetWindowAttributes(m_x, window, &a) || !XTranslateCoordinates(m_x, window, DefaultRootWindow(m_x), 0, 0, &x, &y, &child))
            return {};
        const QList<unsigned long> e =
            zelk::x11::listProperty(m_x, window, XInternAtom(m_x, "_NET_FRAME_EXTENTS", False), XA_CARDINAL);
        const QMargins m = e.size() == 4 ? QMargins(int(e[0]), int(e[2]), int(e[1]), int(e[3])) : QMargins();
        return QRect(x, y, a.width, a.height).marginsAdded(m);
    }

    QPoint pointer()
    {
        Window root = 0, child = 0;
        int rx = 0, ry = 0, wx = 0, wy = 0;
        unsigned mask = 0;
        XQueryPointer(m_x, DefaultRootWindow(m_x), &root, &child, &rx, &ry, &wx, &wy, &mask);
        return {rx, ry};
    }

private:
    _XDisplay* m_x;
};

TEST(WindowMouseOnTheDesktopTest, HotKeyMovesTheFrontWindowAndPointsIntoIt)
{
    Desktop desktop;
    if (!desktop.whyNot().isEmpty())
        ZELK_SKIP_UNLESS_CI(desktop.whyNot().toStdString());
    QString whyNot;
    if (!desktop.startWindowManager(&whyNot))
        ZELK_SKIP_UNLESS_CI(whyNot.toStdString());

    DataFiles files;
    files.actions = {
        action(0, "move", "WindowShortcut", {{"Action", 8}, {"XValue", 200}, {"YValue", 150}, {"Origin", 0}}),
        action(1, "point", "MouseShortcut",
               {{"Action", 2},
                {"Movements", QVariantList{QVariantMap{{"Type", 3}, {"XValue", 30}, {"YValue", 40}, {"Origin", 2}, {"Pause", 0.0}}}}}),
    };
    files.contexts = {context(0, "Everywhere", 0)};
    files.launchers = {keyLauncher(0, CtrlAlt | KeyM)};
    files.shortcuts = {shortcut(0, "Move and point", {0, 1}, {0}, {0})};
    ASSERT_TRUE(desktop.writeData(files));
    QString why;
    ASSERT_TRUE(desktop.startEngine(&why)) << why.toStdString();
    auto client = desktop.startClient("ZelkMoved");
    ASSERT_NE(client->window(), 0u) << "the test's X client has no window";
    ASSERT_TRUE(desktop.focus(*client));

    Screen screen(desktop.display());
    ASSERT_TRUE(screen.isOpen());
    ASSERT_NE(screen.frame(client->window()).topLeft(), QPoint(200, 150));
    ASSERT_TRUE(desktop.xdotool({"key", "ctrl+alt+m"}));
    EXPECT_TRUE(pollUntil([&] { return screen.frame(client->window()).topLeft() == QPoint(200, 150); }, 15000))
        << "the window is at " << screen.frame(client->window()).x() << ", " << screen.frame(client->window()).y()
        << "\n--- engine log\n" << desktop.engineLog().toStdString();
    const QRect frame = screen.frame(client->window());
    const QPoint expected(frame.left() + frame.width() - 30, frame.top() + frame.height() - 40);
    EXPECT_TRUE(pollUntil([&] { return screen.pointer() == expected; }, 15000))
        << "the pointer is at " << screen.pointer().x() << ", " << screen.pointer().y() << ", not at " << expected.x()
        << ", " << expected.y();
}

} // namespace
