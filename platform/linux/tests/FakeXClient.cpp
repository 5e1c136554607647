// A small X application for the workspace tests, run as a process of its
// own: one window with the given WM_CLASS and title that quits when asked
// through WM_DELETE_WINDOW, or no window at all (a background program).
//   zelk_fake_xclient [--class instance,Class] [--title T] [--nameless] [--no-window] [--ignore-delete] [--keys]
// With --keys it tells on stdout, one line each: "window <id>" once mapped,
// and "press <keysym> <state>" for each key pressed in it (hexadecimal; the
// keysym as the keymap of that moment reads the key with the event's state).
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

int main(int argc, char** argv)
{
    std::string instance = "fake", windowClass = "Fake", title = "Fake";
    bool window = true, ignoreDelete = false, named = true, keys = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--class" && i + 1 < argc) {
            const std::string value = argv[++i];
            const size_t comma = value.find(',');
            instance = value.substr(0, comma);
            windowClass = comma == std::string::npos ? value : value.substr(comma + 1);
        } else if (arg == "--title" && i + 1 < argc) {
            title = argv[++i];
        } else if (arg == "--nameless") {
            named = false;
        } else if (arg == "--no-window") {
            window = false;
        } else if (arg == "--ignore-delete") {
            ignoreDelete = true;
        } else if (arg == "--keys") {
            keys = true;
        }
    }
    if (!window) {
        for (;;)
            pause();
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return 2;
    const int screen = DefaultScreen(display);
    const Window w = XCreateSimpleWindow(display, RootWindow(display, screen), 10, 10, 200, 100, 0,
                                         BlackPixel(display, screen), WhitePixel(display, screen));
    if (named) {
        XClassHint hint{instance.data(), windowClass.data()};
        XSetClassHint(display, w, &hint);
        XStoreName(display, w, title.c_str());
    }
    const long pid = getpid();
    XChangeProperty(display, w, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pid), 1);
    Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, w, &deleteWindow, 1);
    if (keys)
        XSelectInput(display, w, KeyPressMask | StructureNotifyMask);
    XMapWindow(display, w);
    XFlush(display);
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == ClientMessage && Atom(event.xclient.data.l[0]) == deleteWindow && !ignoreDelete)
            break;
        if (!keys)
            continue;
        if (event.type == MapNotify) {
            std::printf("window 0x%lx\n", w);
        } else if (event.type == MappingNotify) {
            // Keys lent to characters change the keymap just before they come.
            XRefreshKeyboardMapping(&event.xmapping);
        } else if (event.type == KeyPress) {
            KeySym keysym = NoSymbol;
            char text[16];
            XLookupString(&event.xkey, text, sizeof text, &keysym, nullptr);
            std::printf("press 0x%lx 0x%x\n", keysym, event.xkey.state);
        }
        std::fflush(stdout);
    }
    XCloseDisplay(display);
    return 0;
}
