#pragma once
// The text forms of points, sizes and rectangles stored in records:
// "{x, y}", "{w, h}" and "{{x, y}, {w, h}}". Numbers are written in their
// shortest form (10, 10.5, -3). Parsing is lenient about spaces; text that
// does not parse gives the zero value (and false from the *ok variants).
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

namespace zelk {

QString stringFromPoint(const QPointF& p);
QString stringFromSize(const QSizeF& s);
QString stringFromRect(const QRectF& r);
QPointF pointFromString(const QString& s, bool* ok = nullptr);
QSizeF sizeFromString(const QString& s, bool* ok = nullptr);
QRectF rectFromString(const QString& s, bool* ok = nullptr);

// Stored screen points count from a corner of the main screen (0 top-left,
// 1 top-right, 2 bottom-right, 3 bottom-left; any other value counts as 0).
// The conversion to global coordinates (top-left origin, y down) is its own
// inverse, so it also turns a global point into a stored one.
QPointF pointOnScreenForPointOnScreen(const QPointF& point, int origin, const QSizeF& mainScreen);

} // namespace zelk
