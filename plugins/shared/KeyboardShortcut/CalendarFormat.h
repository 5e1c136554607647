#pragma once
// Dates in the calendar formats that typing and clipboard actions store:
// percent escapes in the manner of strftime, every other character standing
// for itself. Names of months and days come from the locale.
//
//   %Y year with century    %y year without century (00-99)
//   %m month (01-12)        %B month name     %b abbreviated month name
//   %d day (01-31)          %e day without a leading zero
//   %A weekday name         %a abbreviated weekday name
//   %w weekday (0-6, Sunday 0)                %j day of the year (001-366)
//   %H hour (00-23)         %I hour (01-12)   %p AM/PM
//   %M minute (00-59)       %S second (00-59) %F milliseconds (000-999)
//   %Z time zone name       %z offset from UTC (+HHMM)
//   %x the locale's date    %X the locale's time   %c the locale's date and time
//   %% a percent sign
// An unknown escape, and a "%" that ends the format, stay as written.
#include <QDateTime>
#include <QLocale>
#include <QString>

namespace zelk {

QString formatCalendarDate(const QString& format, const QDateTime& date, const QLocale& locale);

// The format a new date action starts with.
QString defaultCalendarFormat();

// The platform clock's current date and time in the user's locale.
QString stringForDateFormat(const QString& format);

} // namespace zelk
