#include "LinuxWindows.h"

#include "LinuxWorkspace.h"
#include "Log.h"
#include "X11Support.h"
#include "XSession.h"

#include <QElapsedTimer>
#include <algorithm>
#include <cstdlib>
#include <thread>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace zelk {

namespace {

enum AtomName {
    NetMoveResizeWindow, NetWmState, NetWmStateMaxVert, NetWmStateMaxHorz, NetFrameExtents, NetCloseWindow,
    NetRestackWindow, WmProtocols, WmDeleteWindow, AtomCount
};

constexpr const char* kAtomNames[AtomCount] = {
    "_NET_MOVERESIZE_WINDOW", "_NET_WM_STATE", "_NET_WM_STATE_MAXIMIZED_VERT", "_NET_WM_STATE_MAXIMIZED_HORZ",
    "_NET_FRAME_EXTENTS", "_NET_CLOSE_WINDOW", "_NET_RESTACK_WINDOW", "WM_PROTOCOLS", "WM_DELETE_WINDOW",
};

// EWMH source indication: a pager or similar tool, acting for the user.
constexpr long kSourcePager = 2;
constexpr int kMaxScrollClicks = 1000;

struct Extents {
    long left = 0, right = 0, top = 0, bottom = 0;
};

} // namespace

struct LinuxWindows::Private {
    std::shared_ptr<XSession> session;
    LinuxWorkspace& workspace;
    Atom atoms[AtomCount] = {};

    Display* prepare(XSession::Lock& lock)
    {
        Display* display = lock.display();
        if (display && !atoms[0])
            XInternAtoms(display, const_cast<char**>(kAtomNames), AtomCount, False, atoms);
        return display;
    }

    Extents extents(Display* display, Window window)
    {
        const QList<unsigned long> e = x11::listProperty(display, window, atoms[NetFrameExtents], XA_CARDINAL);
        if (e.size() < 4)
            return {};
        return {long(e[0]), long(e[1]), long(e[2]), long(e[3])};
    }

    std::optional<QRect> frame(Display* display, Window window)
    {
        XWindowAttributes attributes;
        int x = 0, y = 0;
        Window child = 0;
        if (!XGetWindowAttributes(display, window, &attributes)
            || !XTranslateCoordinates(display, window, session->root(), 0, 0, &x, &y, &child)) {
            x11::takeError(display);
            return std::nullopt;
        }
        const Extents e = extents(display, window);
        return QRect(int(x - e.left), int(y - e.top), int(attributes.width + e.left + e.right),
                     int(attributes.height + e.top + e.bottom));
    }

    std::optional<QRect> frame(Window window)
    {
        XSession::Lock lock(*session);
        Display* display = prepare(lock);
        return display ? frame(display, window) : std::nullopt;
    }

    bool sendToRoot(Display* display, Window window, Atom type, std::initializer_list<long> data)
    {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = type;
        event.xclient.format = 32;
        int i = 0;
        for (long value : data)
            event.xclient.data.l[i++] = value;
        XSendEvent(display, session->root(), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
        return session->sync() == 0;
    }

    // Asks for a new corner or size of the frame, and waits until the
    // window manager has done it: false when the window is gone, the
    // request failed or nothing changed.
    bool changeFrame(Window window, std::optional<QPoint> topLeft, std::optional<QSize> size, const char* method)
    {
        QRect before;
        {
            XSession::Lock lock(*session);
            Display* display = prepare(lock);
            const std::optional<QRect> current = display && window ? frame(display, window) : std::nullopt;
            if (!current) {
                zlog("LinuxWindows", method) << "no window" << window;
                return false;
            }
            before = *current;
            if ((topLeft && before.topLeft() == *topLeft) || (size && before.size() == *size))
                return true;
            // The client window's size: the frame's without the decorations.
            const Extents e = extents(display, window);
            const long width = size ? size->width() - e.left - e.right : 0;
            const long height = size ? size->height() - e.top - e.bottom : 0;
            if (size && (width < 1 || height < 1 || width > 32767 || height > 32767)) {
                zlog("LinuxWindows", method) << "no such size for window" << window << ":" << *size;
                return false;
            }
            session->clearErrors();
            bool sent = false;
            if (workspace.hasWindowManager(lock)) {
                // North-west gravity: x and y place the frame's outer corner,
                // and a new size keeps it where it is (window managers read
                // static gravity each their own way).
                const long flags = topLeft ? (1L << 8) | (1L << 9) : (1L << 10) | (1L << 11);
                sent = sendToRoot(display, window, atoms[NetMoveResizeWindow],
                                  {NorthWestGravity | flags | (kSourcePager << 12), topLeft ? topLeft->x() : 0,
                                   topLeft ? topLeft->y() : 0, width, height});
            } else {
                if (topLeft)
                    XMoveWindow(display, window, topLeft->x(), topLeft->y());
                else
                    XResizeWindow(display, window, unsigned(width), unsigned(height));
                sent = session->sync() == 0;
            }
            if (!sent) {
                zlog("LinuxWindows", method) << "X error for window" << window;
                return false;
            }
        }
        const bool done = settle(window, before, [&](const QRect& r) {
            return topLeft ? r.topLeft() == *topLeft : r.size() == *size;
        });
        if (!done)
            zlog("LinuxWindows", method) << "window" << window << "did not change";
        return done;
    }

    // Waits until the window's frame is the target, the bounded wait runs
    // out (then: did it change at all?) or the window went.
    bool settle(Window window, const QRect& before, const std::function<bool(const QRect&)>& reached)
    {
        QElapsedTimer timer;
        timer.start();
        std::optional<QRect> now = frame(window);
        while (now && !reached(*now) && timer.elapsed() < kSettleMilliseconds) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            now = frame(window);
        }
        return now && (reached(*now) || *now != before);
    }
};

LinuxWindows::LinuxWindows(std::shared_ptr<XSession> session, LinuxWorkspace& workspace)
    : d(std::make_unique<Private>(Private{std::move(session), workspace}))
{
}

LinuxWindows::~LinuxWindows() = default;

LinuxWindows::WindowId LinuxWindows::focusedWindow()
{
    XSession::Lock lock(*d->session);
    return d->workspace.frontWindows(lock).focused;
}

LinuxWindows::WindowId LinuxWindows::mainWindow()
{
    XSession::Lock lock(*d->session);
    return d->workspace.frontWindows(lock).main;
}

QList<LinuxWindows::WindowId> LinuxWindows::frontApplicationWindows()
{
    XSession::Lock lock(*d->session);
    QList<WindowId> list;
    for (unsigned long w : d->workspace.frontWindows(lock).all)
        list << w;
    return list;
}

std::optional<QRect> LinuxWindows::frame(WindowId window)
{
    return window ? d->frame(Window(window)) : std::nullopt;
}

std::optional<bool> LinuxWindows::isMinimized(WindowId window)
{
    XSession::Lock lock(*d->session);
    Display* display = d->prepare(lock);
    if (!display || !window || !d->frame(display, Window(window)))
        return std::nullopt;
    return d->workspace.isWindowHidden(lock, window);
}

bool LinuxWindows::moveWindow(WindowId window, const QPoint& frameTopLeft)
{
    return d->changeFrame(Window(window), frameTopLeft, std::nullopt, "moveWindow");
}

bool LinuxWindows::resizeWindow(WindowId window, const QSize& frameSize)
{
    return d->changeFrame(Window(window), std::nullopt, frameSize, "resizeWindow");
}

bool LinuxWindows::zoomWindow(WindowId window)
{
    XSession::Lock lock(*d->session);
    Display* display = d->prepare(lock);
    if (!display || !window || !d->frame(display, Window(window)))
        return false;
    if (!d->workspace.hasWindowManager(lock)) {
        zlog("LinuxWindows", "zoomWindow") << "no window manager to maximise window" << window;
        return false;
    }
    d->session->clearErrors();
    constexpr long toggle = 2;
    return d->sendToRoot(display, Window(window), d->atoms[NetWmState],
                         {toggle, long(d->atoms[NetWmStateMaxVert]), long(d->atoms[NetWmStateMaxHorz]), kSourcePager});
}

bool LinuxWindows::minimizeWindow(WindowId window)
{
    XSession::Lock lock(*d->session);
    Display* display = d->prepare(lock);
    if (!display || !window || !d->frame(display, Window(window)))
        return false;
    d->session->clearErrors();
    // Without a window manager nobody iconifies: the window goes.
    if (d->workspace.hasWindowManager(lock))
        XIconifyWindow(display, Window(window), DefaultScreen(display));
    else
        XUnmapWindow(display, Window(window));
    return d->session->sync() == 0;
}

bool LinuxWindows::unminimizeWindow(WindowId window)
{
    XSession::Lock lock(*d->session);
    Display* display = d->prepare(lock);
    if (!display || !window || !d->frame(display, Window(window)))
        return false;
    // The window manager de-iconifies what it activates; without one a map
    // request brings the window back (ICCCM).
    if (d->workspace.hasWindowManager(lock))
        return d->workspace.activateWindow(lock, window);
    d->session->clearErrors();
    XMapWindow(display, Window(window));
    return d->session->sync() == 0;
}

bool LinuxWindows::closeWindow(WindowId window)
{
    XSession::Lock lock(*d->session);
    Display* display = d->prepare(lock);
    if (!display || !window || !d->frame(display, Window(window)))
        return false;
    d->session->clearErrors();
    if (d->workspace.hasWindowManager(lock))
        return d->sendToRoot(display, Window(window), d->atoms[NetCloseWindow], {CurrentTime, kSourcePager});
    // Without a window manager only a window that takes WM_DELETE_WINDOW
    // can be asked; any other would have to be killed.
    Atom* protocols = nullptr;
    int count = 0;
    bool takesDelete = false;
    if (XGetWMProtocols(display, Window(window), &protocols, &count)) {
        takesDelete = std::find(protocols, protocols + count, d->atoms[WmDeleteWindow]) != protocols + count;
        XFree(protocols);
    }
    if (!takesDelete) {
        zlog("LinuxWindows", "closeWindow") << "window" << window << "cannot be asked to close";
        return false;
    }
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = Window(window);
    event.xclient.message_type = d->atoms[WmProtocols];
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(d->atoms[WmDeleteWindow]);
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, Window(window), False, NoEventMask, &event);
    return d->session->sync() == 0;
}

bool LinuxWindows::activateWindow(WindowId window)
{
    XSession::Lock lock(*d->session);
    return window && d->workspace.activateWindow(lock, window);
}

bool LinuxWindows::lowerWindow(WindowId window)
{
    XSession::Lock lock(*d->session);
    Display* display = d->prepare(lock);
    if (!display || !window || !d->frame(display, Window(window)))
        return false;
    d->session->clearErrors();
    if (d->workspace.hasWindowManager(lock))
        return d->sendToRoot(display, Window(window), d->atoms[NetRestackWindow], {kSourcePager, None, Below});
    XLowerWindow(display, Window(window));
    return d->session->sync() == 0;
}

bool LinuxWindows::scrollWindow(WindowId window, Orientation orientation, bool pages, int count)
{
    XSession::Lock lock(*d->session);
    Display* display = d->prepare(lock);
    const std::optional<QRect> frame = display && window ? d->frame(display, Window(window)) : std::nullopt;
    if (!frame)
        return false;
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor)) {
        zlog("LinuxWindows", "scrollWindow") << "the X server has no XTest";
        return false;
    }
    const int clicks = std::min(std::abs(count), kMaxScrollClicks);
    if (pages) {
        // Page keys reach the focused window; there is no horizontal one.
        if (orientation != Orientation::Vertical)
            return false;
        const KeyCode key = XKeysymToKeycode(display, count > 0 ? XK_Next : XK_Prior);
        if (!key)
            return false;
        for (int i = 0; i < clicks; ++i) {
            XTestFakeKeyEvent(display, key, True, CurrentTime);
            XTestFakeKeyEvent(display, key, False, CurrentTime);
        }
        return d->session->sync() == 0;
    }
    // Wheel clicks go to the window under the pointer: take it over the
    // window's middle for them, then back where the user had it.
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, winX = 0, winY = 0;
    unsigned int mask = 0;
    const bool known = XQueryPointer(display, d->session->root(), &root, &child, &rootX, &rootY, &winX, &winY, &mask);
    const QPoint middle = frame->center();
    XTestFakeMotionEvent(display, -1, middle.x(), middle.y(), CurrentTime);
    const unsigned int button = orientation == Orientation::Vertical ? (count > 0 ? 5 : 4) : (count > 0 ? 7 : 6);
    for (int i = 0; i < clicks; ++i) {
        XTestFakeButtonEvent(display, button, True, CurrentTime);
        XTestFakeButtonEvent(display, button, False, CurrentTime);
    }
    if (known)
        XTestFakeMotionEvent(display, -1, rootX, rootY, CurrentTime);
    return d->session->sync() == 0;
}

std::optional<double> LinuxWindows::scrollPosition(WindowId /*window*/, Orientation /*orientation*/)
{
    return std::nullopt;
}

bool LinuxWindows::setScrollPosition(WindowId window, Orientation /*orientation*/, double /*position*/)
{
    zlog("LinuxWindows", "setScrollPosition") << "the scroll bars of window" << window << "cannot be reached";
    return false;
}

QRect LinuxWindows::mainScreenFrame()
{
    XSession::Lock lock(*d->session);
    Display* display = d->prepare(lock);
    if (!display)
        return {};
    const int screen = DefaultScreen(display);
    return {0, 0, DisplayWidth(display, screen), DisplayHeight(display, screen)};
}

} // namespace zelk
