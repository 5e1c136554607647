#include "X11Support.h"

#include "Log.h"

#include <QCoreApplication>
#include <QHash>
#include <QMetaObject>
#include <atomic>
#include <mutex>
#include <utility>

#include <unistd.h>

#include <X11/Xlib.h>

namespace zelk::x11 {

namespace {

std::mutex gTrapMutex;
QHash<Display*, int> gTraps;
XErrorHandler gPreviousHandler = nullptr;

int trapError(Display* display, XErrorEvent* event)
{
    {
        std::lock_guard lock(gTrapMutex);
        const auto it = gTraps.find(display);
        if (it != gTraps.end()) {
            if (*it == 0)
                *it = event->error_code;
            return 0;
        }
    }
    return gPreviousHandler ? gPreviousHandler(display, event) : 0;
}

std::atomic<bool> gLost{false};

int connectionLost(Display* display)
{
    if (gLost.exchange(true))
        return 0;
    zlog("XSession", "connectionLost")
        << QString("lost the connection to the X display %1 (the X server went away); quitting").arg(DisplayString(display));
    if (QCoreApplication* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(app, [] { QCoreApplication::exit(1); }, Qt::QueuedConnection);
    else
        ::_exit(1);
    return 0;
}

// Returning leaves the connection dead and the process to its own end.
void keepRunning(Display*, void*) {}

} // namespace

void quitWhenLost(Display* display)
{
    static std::once_flag once;
    std::call_once(once, [] { XSetIOErrorHandler(connectionLost); });
    XSetIOErrorExitHandler(display, keepRunning, nullptr);
}

void initThreads()
{
    static std::once_flag once;
    std::call_once(once, [] { XInitThreads(); });
}

void trapErrors(Display* display)
{
    static std::once_flag once;
    std::call_once(once, [] { gPreviousHandler = XSetErrorHandler(trapError); });
    std::lock_guard lock(gTrapMutex);
    gTraps.insert(display, 0);
}

void stopTrapping(Display* display)
{
    std::lock_guard lock(gTrapMutex);
    gTraps.remove(display);
}

int takeError(Display* display)
{
    std::lock_guard lock(gTrapMutex);
    const auto it = gTraps.find(display);
    return it == gTraps.end() ? 0 : std::exchange(*it, 0);
}

QList<unsigned long> listProperty(Display* display, Window window, Atom property, Atom type)
{
    Atom actual = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    QList<unsigned long> values;
    if (XGetWindowProperty(display, window, property, 0, 65536, False, type, &actual, &format, &count, &after, &data)
            == Success
        && data && format == 32) {
        // Xlib hands 32-bit items as longs.
        const auto* items = reinterpret_cast<const unsigned long*>(data);
        values = QList<unsigned long>(items, items + count);
    }
    if (data)
        XFree(data);
    return values;
}

int screenSaverTimeout()
{
    initThreads();
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return 0;
    int timeout = 0, interval = 0, blanking = 0, exposures = 0;
    XGetScreenSaver(display, &timeout, &interval, &blanking, &exposures);
    XCloseDisplay(display);
    return timeout > 0 ? timeout : 0;
}

} // namespace zelk::x11
