#include "CalendarFormat.h"

#include "Platform.h"

#include <QTimeZone>

namespace zelk {

namespace {

QString padded(int value, int width)
{
    return QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0'));
}

QString utcOffset(const QDateTime& date)
{
    const int seconds = date.offsetFromUtc();
    const int minutes = (seconds < 0 ? -seconds : seconds) / 60;
    return (seconds < 0 ? QStringLiteral("-") : QStringLiteral("+")) + padded(minutes / 60, 2) + padded(minutes % 60, 2);
}

} // namespace

QString formatCalendarDate(const QString& format, const QDateTime& date, const QLocale& locale)
{
    const QDate day = date.date();
    const QTime time = date.time();
    QString out;
    out.reserve(format.size() * 2);
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c != QLatin1Char('%') || i + 1 == format.size()) {
            out += c;
            continue;
        }
        const QChar escape = format.at(++i);
        switch (escape.unicode()) {
        case '%': out += QLatin1Char('%'); break;
        case 'Y': out += QString::number(day.year()); break;
        case 'y': out += padded(day.year() % 100, 2); break;
        case 'm': out += padded(day.month(), 2); break;
        case 'B': out += locale.monthName(day.month(), QLocale::LongFormat); break;
        case 'b': out += locale.monthName(day.month(), QLocale::ShortFormat); break;
        case 'd': out += padded(day.day(), 2); break;
        case 'e': out += QString::number(day.day()); break;
        case 'A': out += locale.dayName(day.dayOfWeek(), QLocale::LongFormat); break;
        case 'a': out += locale.dayName(day.dayOfWeek(), QLocale::ShortFormat); break;
        case 'w': out += QString::number(day.dayOfWeek() % 7); break;
        case 'j': out += padded(day.dayOfYear(), 3); break;
        case 'H': out += padded(time.hour(), 2); break;
        case 'I': out += padded(time.hour() % 12 == 0 ? 12 : time.hour() % 12, 2); break;
        case 'p': out += time.hour() < 12 ? locale.amText() : locale.pmText(); break;
        case 'M': out += padded(time.minute(), 2); break;
        case 'S': out += padded(time.second(), 2); break;
        case 'F': out += padded(time.msec(), 3); break;
        case 'Z': out += date.timeZone().displayName(date, QTimeZone::LongName, locale); break;
        case 'z': out += utcOffset(date); break;
        case 'x': out += locale.toString(day, QLocale::ShortFormat); break;
        case 'X': out += locale.toString(time, QLocale::ShortFormat); break;
        case 'c': out += locale.toString(date, QLocale::ShortFormat); break;
        default:
            out += c;
            out += escape;
            break;
        }
    }
    return out;
}

QString defaultCalendarFormat()
{
    // A formatter with no style has no locale pattern to offer: a plain,
    // sortable date and time that every keyboard can type.
    return QStringLiteral("%Y-%m-%d %H:%M:%S");
}

QString stringForDateFormat(const QString& format)
{
    return formatCalendarDate(format, Platform::instance().clock().now(), QLocale::system());
}

} // namespace zelk
