#include "X11Support.h"

#include <QHash>
#include <mutex>
#include <utility>

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

} // namespace

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

} // namespace zelk::x11
