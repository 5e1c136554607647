#include "MouseShortcut.h"

#include "Log.h"
#include "Platform.h"
#include "MouseShortcut/WindowPoints.h"

#include <chrono>
#include <cmath>
#include <thread>

namespace zelk::engine {

namespace K = MouseShortcutKeys;
namespace M = MouseShortcutModels;
using namespace std::chrono_literals;

namespace {

std::mutex g_savedMutex;
QPointF g_saved;

bool canRead() { return Platform::instance().workspace().canReadWindows(); }

QString failed(int err, const char* text) { return err != 0 ? QString::fromLatin1(text) : QString(); }

void sleepSeconds(double seconds)
{
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

} // namespace

bool MouseShortcut::initWithDictionaryInLauncher(const QVariantMap& record)
{
    if (!ActionRunner::initWithDictionaryInLauncher(record))
        return false;
    readParameters(parametersOf(record));
    return true;
}

QString MouseShortcut::runActionFromObject(const std::shared_ptr<QVActionController>& controller)
{
    if (!controller || categoryOfAction(CUTAction) != 1)
        return {};
    return simulateMouseMovements(CUTMovements, CUTAction, *controller);
}

QString MouseShortcut::simulateMouseMovements(const QVariantList& movements, int onArea, QVActionController& fromObject)
{
    if (onArea != M::ScreenArea && !canRead())
        return localized(classObject(), QStringLiteral("AssistiveNonValide"));
    releaseAllNormalKeys();
    restoreModifierState();
    QString last;
    for (const QVariant& item : movements) {
        if (!fromObject.canGoRunning())
            break;
        const QVariantMap movement = item.toMap();
        const int type = movement.value(K::Type).toInt();
        const QPointF point(movement.value(K::XValue).toInt(), movement.value(K::YValue).toInt());
        const int origin = movement.value(K::Origin).toInt();
        const int wheel = movement.value(K::Wheel).toInt();
        std::optional<QString> result;
        switch (type) {
        case M::LeftClick: result = mouseClick(); break;
        case M::RightClick: result = mouseRightClick(); break;
        case M::DoubleClick: result = mouseDoubleClick(); break;
        case M::MoveTo:
            result = onArea == M::ScreenArea ? mouseMoveToOnScreen(point, origin) : mouseMoveToOnWindow(point, origin, onArea);
            break;
        case M::SaveLocation: result = mouseSaveLocation(); break;
        case M::RestoreLocation: result = mouseRestoreLocation(); break;
        case M::DragTo:
            result = onArea == M::ScreenArea ? mouseDragToOnScreen(point, origin) : mouseDragToOnWindow(point, origin, onArea);
            break;
        case M::WheelUp: result = mouseWheel(wheel); break;
        case M::MoveBy: result = mouseMoveRelative(point); break;
        case M::WheelDown: result = mouseWheel(-wheel); break;
        case M::PressLeft:
            zlog("MouseShortcut", "simulateMouseMovements") << "press mouse down:" << movement;
            result = mousePressLeft();
            break;
        case M::ReleaseLeft: result = mouseReleaseLeft(); break;
        case M::PressRight: result = mousePressRight(); break;
        case M::ReleaseRight: result = mouseReleaseRight(); break;
        case M::DragBy: result = mouseDragRelative(point); break;
        default: break; // posts nothing, leaves the last result
        }
        if (result)
            last = *result;
        if (!last.isEmpty() && result && !fromObject.canGoRunningAfterError(last)) {
            resetModifierState();
            return {};
        }
        const double pause = movement.value(K::Pause).toDouble();
        if (pause > 3600)
            zlog("MouseShortcut", "simulateMouseMovements") << QStringLiteral("pausing for %1 sec").arg(pause);
        // In slices, so that a stop does not wait for the end of a long pause.
        if (!sleepWhileRunning(fromObject, pause > 0 ? pause : 0.05, 0.1))
            break;
    }
    resetModifierState();
    return last;
}

QString MouseShortcut::mouseClick()
{
    const QPointF here = WindowPoints::mousePoint();
    const int down = simulatePrimaryMouseButtonEventAt(here, true);
    const int up = simulatePrimaryMouseButtonEventAt(here, false);
    return failed(down | up, "mouseClick error");
}

QString MouseShortcut::mouseRightClick()
{
    const QPointF here = WindowPoints::mousePoint();
    const int down = simulateSecondaryMouseButtonEventAt(here, true);
    const int up = simulateSecondaryMouseButtonEventAt(here, false);
    return failed(down | up, "mouseRightClick error");
}

QString MouseShortcut::mouseDoubleClick()
{
    const QPointF here = WindowPoints::mousePoint();
    for (int i = 0; i < 2; ++i) {
        simulatePrimaryMouseButtonEventAt(here, true);
        simulatePrimaryMouseButtonEventAt(here, false);
    }
    return {};
}

QString MouseShortcut::mouseMoveToOnScreen(const QPointF& point, int origin)
{
    return failed(simulateMouseMoveEventAt(WindowPoints::pointOnScreenForPointOnScreen(point, origin)),
                  "mouseMoveToOnScreen error");
}

QString MouseShortcut::onWindow(const QPointF& point, int origin, int area, bool drag)
{
    const WindowService::WindowId window =
        area == M::MainWindowArea ? WindowPoints::mainWindowOfFrontApp() : WindowPoints::focusedWindowOfFrontApp();
    if (!window)
        return localized(classObject(), QStringLiteral("FenetreNonValide"));
    const QPointF onScreen = WindowPoints::pointOnScreenForPoint(point, WindowPoints::rectOfWindow(window), origin);
    // Left of the screen, or a window whose frame could not be read.
    if (onScreen.x() < 0) {
        zlog("MouseShortcut", drag ? "mouseDragToOnWindow" : "mouseMoveToOnWindow") << "no point" << point << "in window" << window;
        return {};
    }
    if (drag)
        mouseDragToOnScreen(onScreen, 0);
    else
        mouseMoveToOnScreen(onScreen, 0);
    return {};
}

QString MouseShortcut::mouseMoveToOnWindow(const QPointF& point, int origin, int area)
{
    return onWindow(point, origin, area, false);
}

QString MouseShortcut::mouseDragToOnWindow(const QPointF& point, int origin, int area)
{
    return onWindow(point, origin, area, true);
}

QString MouseShortcut::mouseMoveRelative(const QPointF& interval)
{
    mouseMoveToOnScreen(WindowPoints::mousePoint() + interval, 0);
    return {};
}

QString MouseShortcut::mouseDragRelative(const QPointF& interval)
{
    mouseDragToOnScreen(WindowPoints::mousePoint() + interval, 0);
    return {};
}

QString MouseShortcut::mouseSaveLocation()
{
    setSavedLocation(WindowPoints::mousePoint());
    return {};
}

QString MouseShortcut::mouseRestoreLocation()
{
    mouseMoveToOnScreen(savedLocation(), 0);
    return {};
}

QList<QPointF> MouseShortcut::dragPositions(const QPointF& start, const QPointF& target)
{
    const double dx = target.x() - start.x(), dy = target.y() - start.y();
    const long long longer = std::max(std::llabs((long long)dx), std::llabs((long long)dy));
    const long long n = longer / 32;
    QList<QPointF> positions;
    if (n == 0) // no step to take: the start stands for them all
        return {start};
    const QPointF step(dx / double(n), dy / double(n));
    for (long long i = 0; i <= n; ++i)
        positions << start + double(i) * step;
    return positions;
}

QString MouseShortcut::mouseDragToOnScreen(const QPointF& point, int origin)
{
    const QPointF target = WindowPoints::pointOnScreenForPointOnScreen(point, origin);
    const QPointF start = WindowPoints::mousePoint();
    simulateMouseDragEventAt(start);
    sleepSeconds(0.1);
    for (const QPointF& at : dragPositions(start, target)) {
        const auto noted = std::chrono::steady_clock::now();
        simulateMouseDragEventAt(at);
        while (std::chrono::steady_clock::now() - noted < 30ms)
            std::this_thread::sleep_for(10ms);
    }
    simulateMouseDragEventAt(target);
    simulateMouseEndDragEventAt(target);
    return {};
}

QString MouseShortcut::mouseWheel(int wheel)
{
    const int step = wheel >= 1 ? 1 : -1;
    for (int i = 0; i < std::abs(wheel); ++i)
        simulateNormalScrollWheel(step);
    return {};
}

QString MouseShortcut::mousePressLeft()
{
    return failed(simulatePrimaryMouseButtonEventAt(WindowPoints::mousePoint(), true), "mousePressLeft error");
}

QString MouseShortcut::mouseReleaseLeft()
{
    return failed(simulatePrimaryMouseButtonEventAt(WindowPoints::mousePoint(), false), "mouseReleaseLeft error");
}

QString MouseShortcut::mousePressRight()
{
    return failed(simulateSecondaryMouseButtonEventAt(WindowPoints::mousePoint(), true), "mousePressRight error");
}

QString MouseShortcut::mouseReleaseRight()
{
    return failed(simulateSecondaryMouseButtonEventAt(WindowPoints::mousePoint(), false), "mouseReleaseRight error");
}

QPointF MouseShortcut::savedLocation()
{
    std::lock_guard lock(g_savedMutex);
    return g_saved;
}

void MouseShortcut::setSavedLocation(const QPointF& point)
{
    std::lock_guard lock(g_savedMutex);
    g_saved = point;
}

ZELK_REGISTER_ACTION_RUNNER(MouseShortcut)

} // namespace zelk::engine
