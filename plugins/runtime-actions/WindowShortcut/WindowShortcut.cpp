#include "WindowShortcut.h"

#include "Log.h"
#include "Platform.h"

#include <QFileInfo>
#include <algorithm>
#include <chrono>
#include <thread>

namespace zelk::engine {

namespace K = WindowShortcutKeys;
namespace M = WindowShortcutModels;

namespace {

WindowService& windows() { return Platform::instance().windows(); }

bool fromRight(int origin) { return origin == 1 || origin == 2; }
bool fromBottom(int origin) { return origin == 2 || origin == 3; }

// The keys a WindowKeySpec may hold, in its flag order: Command, Shift,
// Caps Lock, Option, Control.
constexpr uint16_t kSpecModifiers[5] = {55, 56, 57, 58, 59};
// F1 to F15.
constexpr uint16_t kFunctionKeys[15] = {122, 120, 99, 118, 96, 97, 98, 100, 101, 109, 103, 111, 105, 107, 113};

// The windows a command acts on: the front one, or all of the front
// application's.
QList<WindowService::WindowId> targets(WindowService::WindowId front, bool allWindows)
{
    if (!allWindows)
        return {front};
    const QList<WindowService::WindowId> all = windows().frontApplicationWindows();
    return all.isEmpty() ? QList<WindowService::WindowId>{front} : all;
}

} // namespace

bool WindowShortcut::initWithDictionaryInLauncher(const QVariantMap& record)
{
    if (!ActionRunner::initWithDictionaryInLauncher(record))
        return false;
    readParameters(parametersOf(record));
    return true;
}

QString WindowShortcut::runActionFromObject(const std::shared_ptr<QVActionController>& controller)
{
    if (!controller)
        return {};
    QVActionController& c = *controller;
    const QPointF point(CUTXValue, CUTYValue);
    const QSizeF size(CUTXValue, CUTYValue);
    switch (CUTAction) {
    case M::Zoom: return zoomFrontWindowFromObject(false, c);
    case M::ZoomAll: return zoomFrontWindowFromObject(true, c);
    case M::Minimize: return minimizeFrontWindowFromObject(false, c);
    case M::MinimizeAll: return minimizeFrontWindowFromObject(true, c);
    case M::ShowMinimized: return showFrontAppAllWindowsFromObject(c);
    case M::Toolbar: return showHideToolbarFrontWindowFromObject(c);
    case M::Close: return closeFrontWindowFromObject(false, c);
    case M::CloseAll: return closeFrontWindowFromObject(true, c);
    case M::MoveTo: return moveFrontWindowToPoint(point, CUTOrigin, c);
    case M::MoveBy: return moveFrontWindowByInterval(point, c);
    case M::Center: return moveFrontWindowToCenter(CUTXValue != 0, CUTYValue != 0, c);
    case M::ResizeTo: return resizeFrontWindowToSize(size, CUTOrigin, c);
    case M::ResizeBy: return resizeFrontWindowByInterval(size, CUTOrigin, c);
    case M::ResizePercent: return resizeFrontWindowToPercents(size, CUTOrigin, c);
    case M::ResizeScreenPercent: return resizeFrontWindowToPercentsOfScreen(size, CUTOrigin, c);
    case M::NextWindow: return activateNextWindowFromObject(c);
    case M::PreviousWindow: return activatePreviousWindowFromObject(c);
    default:
        if (categoryOfAction(CUTAction) == M::ScrollCategory)
            return scroll(CUTAction, CUTCount, CUTUnit, c);
        return {};
    }
}

QString WindowShortcut::noAPIString() { return localized(classObject(), QStringLiteral("AssistiveNonValide")); }
QString WindowShortcut::noWindowString() { return localized(classObject(), QStringLiteral("FenetreNonValide")); }
QString WindowShortcut::noBarString() { return localized(classObject(), QStringLiteral("BarreNonValide")); }

WindowShortcut::WindowId WindowShortcut::frontWindow(QString* error)
{
    if (!Platform::instance().workspace().canReadWindows()) {
        *error = noAPIString();
        return 0;
    }
    const WindowId window = windows().focusedWindow();
    if (!window)
        *error = noWindowString();
    return window;
}

// --- Window commands

QString WindowShortcut::zoomFrontWindowFromObject(bool allWindows, QVActionController& /*fromObject*/)
{
    QString error;
    const WindowId front = frontWindow(&error);
    if (!front)
        return error;
    for (WindowId window : targets(front, allWindows))
        if (!windows().zoomWindow(window))
            zlog("WindowShortcut", "zoomFrontWindowFromObject") << "window" << window << "cannot be zoomed";
    return {};
}

QString WindowShortcut::minimizeFrontWindowFromObject(bool allWindows, QVActionController& /*fromObject*/)
{
    QString error;
    const WindowId front = frontWindow(&error);
    if (!front)
        return error;
    for (WindowId window : targets(front, allWindows)) {
        if (windows().isMinimized(window) == std::optional<bool>(false) && !windows().minimizeWindow(window))
            zlog("WindowShortcut", "minimizeFrontWindowFromObject") << "window" << window << "cannot be minimised";
    }
    return {};
}

QString WindowShortcut::showFrontAppAllWindowsFromObject(QVActionController& /*fromObject*/)
{
    if (!Platform::instance().workspace().canReadWindows())
        return noAPIString();
    if (!Platform::instance().workspace().frontApplication())
        return noWindowString();
    for (WindowId window : windows().frontApplicationWindows()) {
        if (windows().isMinimized(window) == std::optional<bool>(true) && !windows().unminimizeWindow(window))
            zlog("WindowShortcut", "showFrontAppAllWindowsFromObject") << "window" << window << "stays minimised";
    }
    return {};
}

QString WindowShortcut::showHideToolbarFrontWindowFromObject(QVActionController& /*fromObject*/)
{
    QString error;
    if (!frontWindow(&error))
        return error;
    // Window managers offer no toolbar button: like a window without one.
    zlog("WindowShortcut", "showHideToolbarFrontWindowFromObject") << "no toolbar button to press";
    return {};
}

QString WindowShortcut::closeFrontWindowFromObject(bool allWindows, QVActionController& /*fromObject*/)
{
    QString error;
    const WindowId front = frontWindow(&error);
    if (!front)
        return error;
    for (WindowId window : targets(front, allWindows))
        if (!windows().closeWindow(window))
            zlog("WindowShortcut", "closeFrontWindowFromObject") << "window" << window << "cannot be closed";
    return {};
}

// --- Moves and resizes

QString WindowShortcut::moveWindowByInterval(WindowId window, const QPointF& interval)
{
    const std::optional<QRect> frame = windows().frame(window);
    if (!frame)
        return noWindowString();
    const QPoint to = frame->topLeft() + QPoint(int(interval.x()), int(interval.y()));
    if (!windows().moveWindow(window, to)) {
        zlog("WindowShortcut", "moveWindowByInterval") << "window" << window << "not moved to" << to;
        return localized(classObject(), QStringLiteral("DeplacementNonValide"));
    }
    return {};
}

QString WindowShortcut::moveWindow(WindowId window, const QPointF& point, int origin)
{
    const std::optional<QRect> frame = windows().frame(window);
    if (!frame)
        return noWindowString();
    // The corner that goes on the point, in the frame's own measure.
    QPointF corner = frame->topLeft();
    if (fromRight(origin))
        corner.rx() += frame->width();
    if (fromBottom(origin))
        corner.ry() += frame->height();
    return moveWindowByInterval(window, point - corner);
}

QString WindowShortcut::resizeWindowByInterval(WindowId window, const QSizeF& interval, int origin)
{
    const int dx = int(interval.width()), dy = int(interval.height());
    if (origin != 0) {
        const QString moved = moveWindowByInterval(window, QPointF(fromRight(origin) ? -dx : 0, fromBottom(origin) ? -dy : 0));
        if (!moved.isEmpty())
            return moved;
    }
    const std::optional<QRect> frame = windows().frame(window);
    if (!frame)
        return noWindowString();
    const QSize to = frame->size() + QSize(dx, dy);
    if (!windows().resizeWindow(window, to)) {
        zlog("WindowShortcut", "resizeWindowByInterval") << "window" << window << "not resized to" << to;
        return localized(classObject(), QStringLiteral("TailleNonValide"));
    }
    return {};
}

QString WindowShortcut::resizeWindowToSize(WindowId window, const QSizeF& size, int origin)
{
    const std::optional<QRect> frame = windows().frame(window);
    if (!frame)
        return noWindowString();
    return resizeWindowByInterval(
        window, QSizeF(int(size.width() - frame->width()), int(size.height() - frame->height())), origin);
}

QString WindowShortcut::moveFrontWindowToPoint(const QPointF& point, int origin, QVActionController& /*fromObject*/)
{
    QString error;
    const WindowId window = frontWindow(&error);
    return window ? moveWindow(window, point, origin) : error;
}

QString WindowShortcut::moveFrontWindowByInterval(const QPointF& interval, QVActionController& /*fromObject*/)
{
    QString error;
    const WindowId window = frontWindow(&error);
    return window ? moveWindowByInterval(window, interval) : error;
}

QString WindowShortcut::moveFrontWindowToCenter(bool horizontal, bool vertical, QVActionController& /*fromObject*/)
{
    QString error;
    const WindowId window = frontWindow(&error);
    if (!window)
        return error;
    const std::optional<QRect> frame = windows().frame(window);
    if (!frame)
        return noWindowString();
    const QSize screen = windows().mainScreenFrame().size();
    const double x = horizontal ? (screen.width() - frame->width()) * 0.5 : frame->x();
    const double y = vertical ? (screen.height() - frame->height()) * 0.5 : frame->y();
    return moveWindow(window, QPointF(int(x), int(y)), 0);
}

QString WindowShortcut::resizeFrontWindowToSize(const QSizeF& size, int origin, QVActionController& /*fromObject*/)
{
    QString error;
    const WindowId window = frontWindow(&error);
    return window ? resizeWindowToSize(window, size, origin) : error;
}

QString WindowShortcut::resizeFrontWindowByInterval(const QSizeF& interval, int origin, QVActionController& /*fromObject*/)
{
    QString error;
    const WindowId window = frontWindow(&error);
    return window ? resizeWindowByInterval(window, interval, origin) : error;
}

QString WindowShortcut::resizeFrontWindowToPercents(const QSizeF& percents, int origin, QVActionController& /*fromObject*/)
{
    QString error;
    const WindowId window = frontWindow(&error);
    if (!window)
        return error;
    const std::optional<QRect> frame = windows().frame(window);
    if (!frame)
        return noWindowString();
    const double w = frame->width(), h = frame->height();
    return resizeWindowByInterval(
        window, QSizeF(int(percents.width() * w / 100 - w), int(percents.height() * h / 100 - h)), origin);
}

QString WindowShortcut::resizeFrontWindowToPercentsOfScreen(const QSizeF& percents, int origin,
                                                           QVActionController& /*fromObject*/)
{
    QString error;
    const WindowId window = frontWindow(&error);
    if (!window)
        return error;
    const QSize screen = windows().mainScreenFrame().size();
    return resizeWindowToSize(
        window, QSizeF(screen.width() * percents.width() / 100, screen.height() * percents.height() / 100), origin);
}

// --- Next and previous window

QString WindowShortcut::switchWindow(bool next)
{
    const std::optional<RunningApplication> front = Platform::instance().workspace().frontApplication();
    QString name = front ? QFileInfo(front->name).completeBaseName() : QString();
    const QString key = name + (next ? QStringLiteral("Next") : QStringLiteral("Previous"));
    const QString entry = pluginBundle().localizedString(key, key, QStringLiteral("Applications"));
    if (entry != key && entry != QLatin1String("script")) {
        if (!emulateSwitchWindowShortcut(entry))
            zlog("WindowShortcut", "switchWindow") << "no key in" << entry << "for" << key;
        return {};
    }
    if (entry == QLatin1String("script"))
        zlog("WindowShortcut", "switchWindow") << "no window scripts on this desktop: standard switch for" << name;
    // The stack of the front application's windows that can come forward.
    QList<WindowId> stack;
    for (WindowId window : windows().frontApplicationWindows())
        if (windows().isMinimized(window) != std::optional<bool>(true))
            stack << window;
    if (stack.size() < 2)
        return {};
    if (next) {
        // The top one goes to the back, the one below it comes forward.
        windows().lowerWindow(stack.last());
        windows().activateWindow(stack.at(stack.size() - 2));
    } else {
        windows().activateWindow(stack.first());
    }
    return {};
}

QString WindowShortcut::activateNextWindowFromObject(QVActionController& /*fromObject*/) { return switchWindow(true); }

QString WindowShortcut::activatePreviousWindowFromObject(QVActionController& /*fromObject*/) { return switchWindow(false); }

bool WindowShortcut::emulateSwitchWindowShortcut(const QString& spec)
{
    if (spec.size() < 6)
        return false;
    bool ok = false;
    const int number = spec.mid(5).toInt(&ok);
    if (!ok || number < 0 || number > 1015)
        return false;
    const uint16_t key = number < 1001 ? uint16_t(asciiKeycodesForAsciiChar(char(number & 0xFF)) & 0x7F)
                                       : kFunctionKeys[number - 1001];
    QList<uint16_t> modifiers;
    for (int i = 0; i < 5; ++i)
        if (spec.at(i) == QLatin1Char('Y'))
            modifiers << kSpecModifiers[i];
    startBeingExclusiveSourceOfEvents();
    releaseAllNormalKeys();
    for (uint16_t m : modifiers)
        postVirtualKeyEvent(m, true);
    postVirtualKeyEvent(key, true);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    postVirtualKeyEvent(key, false);
    for (auto m = modifiers.crbegin(); m != modifiers.crend(); ++m)
        postVirtualKeyEvent(*m, false);
    stopBeingExclusiveSourceOfEvents();
    return true;
}

// --- Scrolling

QString WindowShortcut::scroll(int model, int count, int unit, QVActionController& /*fromObject*/)
{
    if (unit < 0 || unit > 2)
        return {};
    const bool vertical = model <= M::ScrollUpFromBottom;
    const Orientation orientation = vertical ? Orientation::Vertical : Orientation::Horizontal;
    const bool backwards = model == M::ScrollUp || model == M::ScrollUpFromBottom || model == M::ScrollLeft
                           || model == M::ScrollLeftFromRight;
    const int amount = backwards ? -count : count;
    QString error;
    const WindowId window = frontWindow(&error);
    if (!window)
        return error;
    // The "from" models start at an edge: the top or left one when they go
    // on down or right, the other when they go back.
    const bool fromEdge = model == M::ScrollDownFromTop || model == M::ScrollUpFromBottom
                          || model == M::ScrollRightFromLeft || model == M::ScrollLeftFromRight;
    if (fromEdge && !windows().setScrollPosition(window, orientation, backwards ? 1.0 : 0.0))
        return noBarString();
    if (unit == 2) {
        const std::optional<double> position = windows().scrollPosition(window, orientation);
        if (!position)
            return noBarString();
        const double to = std::clamp(*position + amount / 100.0, 0.0, 1.0);
        return windows().setScrollPosition(window, orientation, to) ? QString() : noBarString();
    }
    if (amount != 0 && !windows().scrollWindow(window, orientation, unit == 1, amount))
        return noBarString();
    return {};
}

ZELK_REGISTER_ACTION_RUNNER(WindowShortcut)

} // namespace zelk::engine
