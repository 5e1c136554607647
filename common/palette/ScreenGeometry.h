#pragma once
// Stored screen points and the pointer, for every class that converts them.
//
// A stored point counts inwards from one corner of the main screen (its
// ScreenOrigin: 0 top-left, 1 top-right, 2 bottom-right, 3 bottom-left).
// Converted points are global, top-left origin, y down. The conversion is
// its own inverse, so the same call turns a global point into a stored one.
#include "Geometry.h"

#include <QPointF>
#include <QSizeF>

namespace zelk {

// Against the main screen of the running application (0 x 0 without one).
QPointF pointOnScreenForPointOnScreen(const QPointF& point, int origin);
QSizeF mainScreenSize();
// The pointer's position now, in the same coordinates.
QPointF mousePoint();

} // namespace zelk
