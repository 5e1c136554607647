#pragma once
// A focused window of the benchmark's own on a test X server, for the
// measures that time or read back what a real client receives. Closed with
// its connection.
#include <QString>

#include <X11/Xlib.h>

namespace zelk::bench {

class XReceiver {
public:
    explicit XReceiver(const QString& display)
    {
        m_display = XOpenDisplay(display.toLocal8Bit().constData());
        if (!m_display)
            return;
        const int screen = DefaultScreen(m_display);
        m_window = XCreateSimpleWindow(m_display, RootWindow(m_display, screen), 0, 0, 200, 200, 0,
                                       BlackPixel(m_display, screen), WhitePixel(m_display, screen));
        XSelectInput(m_display, m_window, KeyPressMask | StructureNotifyMask);
        XMapRaised(m_display, m_window);
        // Focus needs a viewable window: wait for the map.
        XEvent event;
        do {
            XNextEvent(m_display, &event);
        } while (event.type != MapNotify);
        XSetInputFocus(m_display, m_window, RevertToParent, CurrentTime);
        XSync(m_display, False);
    }
    ~XReceiver()
    {
        if (m_display)
            XCloseDisplay(m_display);
    }
    XReceiver(const XReceiver&) = delete;
    XReceiver& operator=(const XReceiver&) = delete;

    bool isOpen() const { return m_display != nullptr; }

protected:
    Display* m_display = nullptr;
    Window m_window = 0;
};

} // namespace zelk::bench
