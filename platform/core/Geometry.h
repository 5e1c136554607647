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

} // namespace zelk
