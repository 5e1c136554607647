// The calendar formats of the typing and clipboard types, as a table.
#include "KeyboardShortcut/CalendarFormat.h"
#include "VirtualPlatform.h"

#include <QTimeZone>
#include <gtest/gtest.h>

using namespace zelk;

namespace {

struct Case {
    const char* format;
    const char* expected;
};

// Wednesday 7 January 2026, 09:05:03.042 UTC.
QDateTime morning()
{
    return QDateTime(QDate(2026, 1, 7), QTime(9, 5, 3, 42), QTimeZone::utc());
}

TEST(CalendarFormatTest, EscapesInEnglish)
{
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const Case cases[] = {
        {"%Y-%m-%d %H:%M:%S", "2026-01-07 09:05:03"},
        {"%y|%e|%j|%w|%F", "26|7|007|3|042"},
        {"%A %a %B %b", "Wednesday Wed January Jan"},
        {"%I %p", "09 AM"},
        {"%z", "+0000"},
        {"100%% sure", "100% sure"},
        {"%q and %", "%q and %"},   // unknown escapes and a last "%" stay
        {"no escapes", "no escapes"},
        {"", ""},
        {"%%Y", "%Y"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(formatCalendarDate(c.format, morning(), english), c.expected) << c.format;
}

TEST(CalendarFormatTest, HoursAroundNoonAndMidnight)
{
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const struct {
        int hour;
        const char* expected;
    } cases[] = {{0, "12 AM 00"}, {11, "11 AM 11"}, {12, "12 PM 12"}, {15, "03 PM 15"}, {23, "11 PM 23"}};
    for (const auto& c : cases) {
        const QDateTime date(QDate(2026, 1, 7), QTime(c.hour, 0), QTimeZone::utc());
        EXPECT_EQ(formatCalendarDate("%I %p %H", date, english), c.expected) << c.hour;
    }
}

TEST(CalendarFormatTest, NamesComeFromTheLocale)
{
    const QLocale french(QLocale::French, QLocale::France);
    EXPECT_EQ(formatCalendarDate("%A %e %B %Y", morning(), french), "mercredi 7 janvier 2026");
    const QLocale german(QLocale::German, QLocale::Germany);
    EXPECT_EQ(formatCalendarDate("%A, %d. %B", morning(), german), "Mittwoch, 07. Januar");
    // The locale's own date and time forms.
    EXPECT_EQ(formatCalendarDate("%x", morning(), french), french.toString(morning().date(), QLocale::ShortFormat));
    EXPECT_EQ(formatCalendarDate("%X", morning(), french), french.toString(morning().time(), QLocale::ShortFormat));
    EXPECT_EQ(formatCalendarDate("%c", morning(), french), french.toString(morning(), QLocale::ShortFormat));
}

TEST(CalendarFormatTest, TimeZones)
{
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const struct {
        int offset;
        const char* expected;
    } cases[] = {{0, "+0000"}, {5 * 3600 + 1800, "+0530"}, {-(3 * 3600 + 1800), "-0330"}, {-8 * 3600, "-0800"}};
    for (const auto& c : cases) {
        const QDateTime date(QDate(2026, 1, 7), QTime(9, 0), QTimeZone(c.offset));
        EXPECT_EQ(formatCalendarDate("%z", date, english), c.expected) << c.offset;
        EXPECT_EQ(formatCalendarDate("%Z", date, english),
                  date.timeZone().displayName(date, QTimeZone::LongName, english));
    }
}

TEST(CalendarFormatTest, CurrentDateComesFromThePlatformClock)
{
    ASSERT_NE(VirtualPlatform::current(), nullptr);
    VirtualClock& clock = VirtualPlatform::current()->virtualClock();
    const QDateTime before = clock.now();
    clock.setNow(QDateTime(QDate(2030, 12, 31), QTime(23, 59, 58)));
    EXPECT_EQ(stringForDateFormat("%Y-%m-%d %H:%M:%S"), "2030-12-31 23:59:58");
    EXPECT_EQ(stringForDateFormat(defaultCalendarFormat()), "2030-12-31 23:59:58");
    clock.setNow(before);
}

} // namespace
