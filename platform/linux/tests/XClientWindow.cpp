#include "XClientWindow.h"

#include "TestSupport.h"
#include "X11Support.h"
#include "XvfbServer.h"

#include <QStandardPaths>
#include <sys/prctl.h>

#include <gtest/gtest.h>
#include <memory>

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace zelk::test {

namespace {

// Started at the first test that asks, stopped after the last one (while
// the application still runs).
class XServerEnvironment : public ::testing::Environment {
public:
    void TearDown() override { server.reset(); }
    std::unique_ptr<XvfbServer> server;
    bool started = false;
};

XServerEnvironment* const environment =
    static_cast<XServerEnvironment*>(::testing::AddGlobalTestEnvironment(new XServerEnvironment));

} // namespace

QString sharedXDisplay(QString* whyNot)
{
    if (!environment->started) {
        environment->started = true;
        environment->server = std::make_unique<XvfbServer>();
        if (environment->server->isRunning())
            qputenv("DISPLAY", environment->server->display().toLocal8Bit());
    }
    if (!environment->server) {
        *whyNot = "the X server is already stopped";
        return {};
    }
    *whyNot = environment->server->error();
    return environment->server->display();
}

std::unique_ptr<QProcess> startOpenbox(Display* x, QString* whyNot)
{
    const QString openbox = QStandardPaths::findExecutable("openbox");
    if (openbox.isEmpty()) {
        *whyNot = "openbox is not installed";
        return nullptr;
    }
    auto wm = std::make_unique<QProcess>();
    wm->setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
    wm->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    wm->start(openbox, {"--sm-disable"});
    const auto rootWindows = [x](const char* name) {
        return x11::listProperty(x, DefaultRootWindow(x), XInternAtom(x, name, False), XA_WINDOW);
    };
    if (!waitUntil([&] { return !rootWindows("_NET_SUPPORTING_WM_CHECK").isEmpty(); })) {
        *whyNot = "openbox did not start";
        return nullptr;
    }
    const Window probe = XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, 10, 10, 0, 0, 0);
    const bool manages = waitUntil([&] {
        XMapWindow(x, probe);
        XSync(x, False);
        return waitUntil([&] { return rootWindows("_NET_CLIENT_LIST").contains(probe); }, 200);
    });
    XDestroyWindow(x, probe);
    XSync(x, False);
    if (!manages) {
        *whyNot = "openbox manages no window";
        return nullptr;
    }
    return wm;
}

XClientWindow::XClientWindow(const QString& display)
{
    m_display = XOpenDisplay(display.toLocal8Bit().constData());
    if (!m_display)
        return;
    const int screen = DefaultScreen(m_display);
    const Window window = XCreateSimpleWindow(m_display, RootWindow(m_display, screen), 0, 0, 400, 400, 0,
                                              BlackPixel(m_display, screen), WhitePixel(m_display, screen));
    XSelectInput(m_display, window,
                 KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask | StructureNotifyMask);
    XMapRaised(m_display, window);
    // Focus needs a viewable window: wait for the map.
    XEvent event;
    do {
        XNextEvent(m_display, &event);
    } while (event.type != MapNotify);
    XSetInputFocus(m_display, window, RevertToParent, CurrentTime);
    XSync(m_display, False);
    m_window = window;
}

XClientWindow::~XClientWindow()
{
    if (m_display)
        XCloseDisplay(m_display);
}

QList<XClientWindow::Event> XClientWindow::takeEvents()
{
    QList<Event> events;
    // The backend syncs every post, so a round trip here has every event
    // it caused in our queue.
    XSync(m_display, False);
    while (XPending(m_display) > 0) {
        XEvent e;
        XNextEvent(m_display, &e);
        switch (e.type) {
        case KeyPress:
        case KeyRelease:
            events.append({e.type == KeyPress ? Event::KeyDown : Event::KeyUp, e.xkey.keycode, e.xkey.state,
                           e.xkey.x_root, e.xkey.y_root, XLookupKeysym(&e.xkey, 0)});
            break;
        case MappingNotify:
            // As applications do: the next keys are read with the new keymap.
            XRefreshKeyboardMapping(&e.xmapping);
            break;
        case ButtonPress:
        case ButtonRelease:
            events.append({e.type == ButtonPress ? Event::ButtonDown : Event::ButtonUp, e.xbutton.button,
                           e.xbutton.state, e.xbutton.x_root, e.xbutton.y_root});
            break;
        default:
            break;
        }
    }
    return events;
}

unsigned int XClientWindow::keycodeOf(unsigned long keysym) const
{
    return XKeysymToKeycode(m_display, keysym);
}

unsigned int XClientWindow::lockedModifiers() const
{
    XkbStateRec state;
    XkbGetState(m_display, XkbUseCoreKbd, &state);
    return state.locked_mods;
}

unsigned int XClientWindow::modifierState() const
{
    XkbStateRec state;
    XkbGetState(m_display, XkbUseCoreKbd, &state);
    return state.mods;
}

void XClientWindow::pointer(int* x, int* y) const
{
    Window root, child;
    int wx, wy;
    unsigned int mask;
    XQueryPointer(m_display, DefaultRootWindow(m_display), &root, &child, x, y, &wx, &wy, &mask);
}

void XClientWindow::releaseEverything()
{
    char keys[32];
    XQueryKeymap(m_display, keys);
    for (unsigned kc = 8; kc < 256; ++kc) {
        if ((keys[kc / 8] >> (kc % 8)) & 1)
            XTestFakeKeyEvent(m_display, kc, False, CurrentTime);
    }
    for (unsigned button = 1; button <= 3; ++button)
        XTestFakeButtonEvent(m_display, button, False, CurrentTime);
    setCapsLock(false);
    takeEvents();
}

void XClientWindow::setCapsLock(bool on)
{
    XkbLockModifiers(m_display, XkbUseCoreKbd, LockMask, on ? LockMask : 0);
    XSync(m_display, False);
}

} // namespace zelk::test
