#include "WindowPoints.h"

#include "Geometry.h"
#include "Platform.h"

namespace zelk::WindowPoints {

namespace {
// Counted from a right or bottom edge.
bool fromRight(int origin) { return origin == 1 || origin == 2; }
bool fromBottom(int origin) { return origin == 2 || origin == 3; }
} // namespace

WindowService::WindowId mainWindowOfFrontApp() { return Platform::instance().windows().mainWindow(); }

WindowService::WindowId focusedWindowOfFrontApp() { return Platform::instance().windows().focusedWindow(); }

QRectF rectOfWindow(WindowService::WindowId window)
{
    const std::optional<QRect> frame = window ? Platform::instance().windows().frame(window) : std::nullopt;
    return frame ? QRectF(*frame) : QRectF(-1, -1, 0, 0);
}

QPointF pointOnScreenForPoint(const QPointF& point, const QRectF& window, int origin)
{
    if (window.width() == 0)
        return {-1, -1};
    const qreal x = fromRight(origin) ? window.left() + window.width() - point.x() : window.left() + point.x();
    const qreal y = fromBottom(origin) ? window.top() + window.height() - point.y() : window.top() + point.y();
    return {x, y};
}

QPointF pointOnWindow(const QRectF& window, const QPointF& pointOnScreen, int origin)
{
    if (window.width() == 0)
        return {-1, -1};
    const qreal x = fromRight(origin) ? window.left() + window.width() - pointOnScreen.x() : pointOnScreen.x() - window.left();
    const qreal y = fromBottom(origin) ? window.top() + window.height() - pointOnScreen.y() : pointOnScreen.y() - window.top();
    return {x, y};
}

QPointF mousePoint() { return Platform::instance().events().pointerLocation().value_or(QPointF()); }

QPointF pointOnScreenForPointOnScreen(const QPointF& point, int origin)
{
    return zelk::pointOnScreenForPointOnScreen(point, origin, Platform::instance().windows().mainScreenFrame().size());
}

} // namespace zelk::WindowPoints
