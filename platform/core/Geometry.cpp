#include "Geometry.h"

#include <QLocale>
#include <QRegularExpression>

namespace zelk {
namespace {

QString number(qreal v)
{
    if (v == 0)
        return QStringLiteral("0"); // also for -0
    // 'g' would write 1000000 as 1e+06; only extreme values need exponents.
    const qreal a = qAbs(v);
    const char format = a >= 1e-6 && a < 1e16 ? 'f' : 'g';
    return QString::number(v, format, QLocale::FloatingPointShortest);
}

// A number as C's strtod takes it, spaces allowed around every token.
const QString Num = QStringLiteral(R"(\s*([-+]?(?:\d+\.?\d*|\.\d+)(?:[eE][-+]?\d+)?)\s*)");

bool toNumbers(const QRegularExpression& re, const QString& s, qreal* out, int n)
{
    const auto m = re.match(s);
    if (!m.hasMatch())
        return false;
    for (int i = 0; i < n; ++i) {
        bool ok = false;
        out[i] = m.captured(i + 1).toDouble(&ok);
        if (!ok)
            return false;
    }
    return true;
}

const QRegularExpression& pairPattern()
{
    static const QRegularExpression re(QStringLiteral(R"(^\s*\{%1,%1\}\s*$)").arg(Num));
    return re;
}

const QRegularExpression& rectPattern()
{
    static const QRegularExpression re(QStringLiteral(R"(^\s*\{\s*\{%1,%1\}\s*,\s*\{%1,%1\}\s*\}\s*$)").arg(Num));
    return re;
}

} // namespace

QString stringFromPoint(const QPointF& p)
{
    return QStringLiteral("{%1, %2}").arg(number(p.x()), number(p.y()));
}

QString stringFromSize(const QSizeF& s)
{
    return QStringLiteral("{%1, %2}").arg(number(s.width()), number(s.height()));
}

QString stringFromRect(const QRectF& r)
{
    return QStringLiteral("{%1, %2}").arg(stringFromPoint(r.topLeft()), stringFromSize(r.size()));
}

QPointF pointFromString(const QString& s, bool* ok)
{
    qreal v[2];
    const bool good = toNumbers(pairPattern(), s, v, 2);
    if (ok)
        *ok = good;
    return good ? QPointF(v[0], v[1]) : QPointF();
}

QSizeF sizeFromString(const QString& s, bool* ok)
{
    qreal v[2];
    const bool good = toNumbers(pairPattern(), s, v, 2);
    if (ok)
        *ok = good;
    return good ? QSizeF(v[0], v[1]) : QSizeF(0, 0);
}

QRectF rectFromString(const QString& s, bool* ok)
{
    qreal v[4];
    const bool good = toNumbers(rectPattern(), s, v, 4);
    if (ok)
        *ok = good;
    return good ? QRectF(v[0], v[1], v[2], v[3]) : QRectF(0, 0, 0, 0);
}

QPointF pointOnScreenForPointOnScreen(const QPointF& point, int origin, const QSizeF& mainScreen)
{
    const qreal x = origin == 1 || origin == 2 ? mainScreen.width() - point.x() : point.x();
    const qreal y = origin == 2 || origin == 3 ? mainScreen.height() - point.y() : point.y();
    return {x, y};
}

} // namespace zelk
