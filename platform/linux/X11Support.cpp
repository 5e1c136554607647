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

} // namespace zelk::x11
