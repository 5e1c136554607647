#pragma once
// Points on the screen and in the front application's windows, as the mouse
// type (and every type that stores points in a window) converts them.
//
// The window-point rule: a window's rectangle is its frame in global
// coordinates, x = y = -1 with no size when it cannot be read; with no
// width both conversions answer (-1, -1). A window point counts inwards
// from the window's corner origin (0 top-left, 1 top-right, 2
// bottom-right, 3 bottom-left).
#include "DesktopServices.h"

#include <QPointF>
#include <QRectF>

namespace zelk::WindowPoints {

// The front application's main or focused window; 0 when it has none.
WindowService::WindowId mainWindowOfFrontApp();
WindowService::WindowId focusedWindowOfFrontApp();
QRectF rectOfWindow(WindowService::WindowId window);

QPointF pointOnScreenForPoint(const QPointF& point, const QRectF& window, int origin);
QPointF pointOnWindow(const QRectF& window, const QPointF& pointOnScreen, int origin);

// The pointer's place in global coordinates; (0, 0) without a desktop.
QPointF mousePoint();
// The ScreenOrigin rule on the main screen (its own inverse).
QPointF pointOnScreenForPointOnScreen(const QPointF& point, int origin);

} // namespace zelk::WindowPoints
