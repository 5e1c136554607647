// Date launchers: the next date, the timer, missed dates and LaunchersDate.plist.
#include "EngineObjectsTestSupport.h"

#include "PropertyList.h"

#include <QDir>
#include <QRegularExpression>
#include <ctime>

using namespace enginetest;
using engine::QVLauncher;

namespace {

const QDateTime WednesdayAfternoon(QDate(2026, 1, 7), QTime(15, 0));

struct NextDateCase {
    const char* name;
    QVariantMap params;
    QDateTime from;
    QDateTime expected; // invalid: no date
};

void PrintTo(const NextDateCase& c, std::ostream* os) { *os << c.name; }

class NextDateTest : public ::testing::TestWithParam<NextDateCase> {};

TEST_P(NextDateTest, NextDateForDict)
{
    const NextDateCase& c = GetParam();
    EXPECT_EQ(QVLauncher::nextDateForDict(c.params, c.from), c.expected);
}

QDateTime at(int month, int day, int hour, int minute = 0, int second = 0)
{
    return QDateTime(QDate(2026, month, day), QTime(hour, minute, second));
}

INSTANTIATE_TEST_SUITE_P(
    Dates, NextDateTest,
    ::testing::Values(
        NextDateCase{"EveryDayLaterToday", dateParams(0, "16:30:00"), WednesdayAfternoon, at(1, 7, 16, 30)},
        NextDateCase{"EveryDayThisVerySecondStaysToday", dateParams(0, "15:00:00"), WednesdayAfternoon, at(1, 7, 15)},
        NextDateCase{"EveryDayPastIsTomorrow", dateParams(0, "14:59:59"), WednesdayAfternoon, at(1, 8, 14, 59, 59)},
        NextDateCase{"HoursAndMinutesOnly", dateParams(0, "9:05"), WednesdayAfternoon, at(1, 8, 9, 5)},
        NextDateCase{"SundayFromAWednesday", dateParams(1, "12:00:00", {0}), WednesdayAfternoon, at(1, 11, 12)},
        NextDateCase{"ThisWednesdayLater", dateParams(1, "18:00:00", {3}), WednesdayAfternoon, at(1, 7, 18)},
        NextDateCase{"NextWednesdayWhenPast", dateParams(1, "08:00:00", {3}), WednesdayAfternoon, at(1, 14, 8)},
        NextDateCase{"FirstListedWeekDay", dateParams(1, "08:00:00", {5, 1}), WednesdayAfternoon, at(1, 9, 8)},
        NextDateCase{"DaysOfTheMonth", dateParams(2, "12:00:00", {1, 15}), WednesdayAfternoon, at(1, 15, 12)},
        NextDateCase{"The31stSkipsShortMonths", dateParams(2, "12:00:00", {31}), at(2, 1, 0), at(3, 31, 12)},
        NextDateCase{"NoWeekDays", dateParams(1, "12:00:00", {}), WednesdayAfternoon, QDateTime()},
        NextDateCase{"NoMonthDays", dateParams(2, "12:00:00", {}), WednesdayAfternoon, QDateTime()},
        NextDateCase{"WeekDaysOutOfRange", dateParams(1, "12:00:00", {7, -1, 12}), WednesdayAfternoon, QDateTime()},
        NextDateCase{"MonthDaysOutOfRange", dateParams(2, "12:00:00", {0, 32, 400}), WednesdayAfternoon, QDateTime()},
        NextDateCase{"OutOfRangeDaysAreLeftOut", dateParams(1, "12:00:00", {9, 5}), WednesdayAfternoon, at(1, 9, 12)},
        NextDateCase{"UnknownDateTypeIsEveryDay", dateParams(5, "12:00:00", {2}), WednesdayAfternoon, at(1, 8, 12)},
        NextDateCase{"NoTimeOfDay", dateParams(0, "noon"), WednesdayAfternoon, QDateTime()},
        NextDateCase{"TimeOutOfRange", dateParams(0, "25:00:00"), WednesdayAfternoon, QDateTime()}),
    [](const auto& info) { return std::string(info.param.name); });

// The next date in other time zones and across daylight-saving changes:
// the launcher's time is the wall-clock time where the user is, whatever
// zone the instant it starts from is given in.
struct ZoneCase {
    const char* name;
    const char* tz;
    QDateTime fromUtc;
    QVariantMap params;
    QDate date;  // expected, in local time
    QTime time;
};

void PrintTo(const ZoneCase& c, std::ostream* os) { *os << c.name; }

class NextDateInZoneTest : public ::testing::TestWithParam<ZoneCase> {
protected:
    void SetUp() override
    {
        m_had = qEnvironmentVariableIsSet("TZ");
        m_saved = qgetenv("TZ");
        qputenv("TZ", GetParam().tz);
        tzset();
    }
    void TearDown() override
    {
        if (m_had)
            qputenv("TZ", m_saved);
        else
            qunsetenv("TZ");
        tzset();
    }

private:
    bool m_had = false;
    QByteArray m_saved;
};

TEST_P(NextDateInZoneTest, NextDateIsTheLocalWallClockTime)
{
    const ZoneCase& c = GetParam();
    ASSERT_EQ(c.fromUtc.timeSpec(), Qt::UTC);
    for (const QDateTime& from : {c.fromUtc, c.fromUtc.toLocalTime()}) {
        const QDateTime next = QVLauncher::nextDateForDict(c.params, from);
        ASSERT_TRUE(next.isValid()) << "from " << from.toString(Qt::ISODate).toStdString();
        EXPECT_GT(next, from);
        const QString format = "yyyy-MM-dd HH:mm:ss";
        EXPECT_EQ(next.toLocalTime().toString(format), QDateTime(c.date, c.time).toString(format))
            << "from " << from.toString(Qt::ISODate).toStdString();
    }
}

QDateTime utc(int year, int month, int day, int hour, int minute = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute), Qt::UTC);
}

INSTANTIATE_TEST_SUITE_P(
    Zones, NextDateInZoneTest,
    ::testing::Values(
        // 2026-03-08 02:00 EST becomes 03:00 EDT: 08:00 is an hour nearer in UTC.
        ZoneCase{"NewYorkSpringForward", "America/New_York", utc(2026, 3, 7, 20), dateParams(0, "08:00:00"),
                 QDate(2026, 3, 8), QTime(8, 0)},
        // 2026-10-25 03:00 CEST becomes 02:00 CET.
        ZoneCase{"ParisFallBack", "Europe/Paris", utc(2026, 10, 24, 13), dateParams(0, "08:00:00"), QDate(2026, 10, 25),
                 QTime(8, 0)},
        ZoneCase{"ParisFallBackWeekly", "Europe/Paris", utc(2026, 10, 24, 13), dateParams(1, "08:00:00", {0}),
                 QDate(2026, 10, 25), QTime(8, 0)},
        // 2026-03-29 02:30 does not exist in Paris: the launcher still fires that day, once the clocks moved.
        ZoneCase{"ParisSkippedHour", "Europe/Paris", utc(2026, 3, 28, 14), dateParams(0, "02:30:00"), QDate(2026, 3, 29),
                 QTime(3, 30)},
        // Local Tuesday 20:00 is Wednesday in UTC: today's 21:00 is still ahead.
        ZoneCase{"WestOfUtcLaterToday", "Pacific/Pago_Pago", utc(2026, 1, 7, 7), dateParams(0, "21:00:00"),
                 QDate(2026, 1, 6), QTime(21, 0)},
        ZoneCase{"WestOfUtcWeekDay", "Pacific/Pago_Pago", utc(2026, 1, 7, 7), dateParams(1, "21:00:00", {2}),
                 QDate(2026, 1, 6), QTime(21, 0)},
        // Local Thursday 08:00 is Wednesday in UTC: Wednesday's launcher waits a week.
        ZoneCase{"EastOfUtcWeekDay", "Pacific/Kiritimati", utc(2026, 1, 7, 18), dateParams(1, "09:00:00", {3}),
                 QDate(2026, 1, 14), QTime(9, 0)},
        ZoneCase{"EastOfUtcMonthDay", "Pacific/Kiritimati", utc(2026, 1, 7, 18), dateParams(2, "09:00:00", {8}),
                 QDate(2026, 1, 8), QTime(9, 0)}),
    [](const auto& info) { return std::string(info.param.name); });

class LauncherDatesTest : public EngineObjectsTest {
protected:
    QString datesPath() const { return QDir(home->path()).filePath("LaunchersDate.plist"); }
    void writeSavedDates(const QVariantList& ids, const QVariantList& dates)
    {
        ASSERT_TRUE(zelk::plist::writeFile(datesPath(), QVariantMap{{"LauncherID", ids}, {"LauncherDate", dates}}));
    }
    QVariantMap savedDates() const { return zelk::plist::readFile(datesPath()).value_or(QVariant()).toMap(); }
};

TEST_F(LauncherDatesTest, TheTimerRunsTheLauncherAndSchedulesTheNextDay)
{
    auto launcher = load({launcherRecord(1, QVLauncher::Date, dateParams(0, "15:00:30"))})[0];
    auto object = activeObject("cut", {launcher});
    EXPECT_EQ(launcher->nextDate(), at(1, 7, 15, 0, 30));

    advance(30); // exactly on the second
    EXPECT_EQ(object->runs, 1);
    EXPECT_EQ(launcher->nextDate(), at(1, 8, 15, 0, 30));

    advance(24 * 3600);
    EXPECT_EQ(object->runs, 2);
    EXPECT_EQ(launcher->nextDate(), at(1, 9, 15, 0, 30));
}

TEST_F(LauncherDatesTest, ADateLauncherWithoutDaysNeverFires)
{
    auto launcher = load({launcherRecord(1, QVLauncher::Date, dateParams(1, "15:00:30", {}))})[0];
    auto object = activeObject("cut", {launcher});
    EXPECT_FALSE(launcher->nextDate().isValid());
    advance(8 * 24 * 3600);
    EXPECT_EQ(object->runs, 0);
}

struct MissedCase {
    const char* name;
    int warnover;
    int answer;
    int expectedRuns;
    int expectedAlerts;
};

void PrintTo(const MissedCase& c, std::ostream* os) { *os << c.name; }

class MissedDateTest : public LauncherDatesTest, public ::testing::WithParamInterface<MissedCase> {};

TEST_P(MissedDateTest, AMissedDateIsRunAskedAboutOrSkippedAfterTheLoad)
{
    const MissedCase& c = GetParam();
    utility.answer = c.answer;
    writeSavedDates({5}, {"06/01/2026,09:00:00"});
    auto launcher = load({launcherRecord(5, QVLauncher::Date, dateParams(0, "09:00:00", {}, c.warnover))})[0];
    // As a load goes: the objects link after the launchers, then the load ends.
    auto object = activeObject("cut", {launcher});
    post("EndInitNotification");
    processQueued();

    EXPECT_EQ(object->runs, c.expectedRuns);
    EXPECT_EQ(utility.alerts().size(), c.expectedAlerts);
    EXPECT_EQ(launcher->nextDate(), at(1, 8, 9)) << "the next future date is scheduled either way";

    post("EndInitNotification");
    processQueued();
    EXPECT_EQ(object->runs, c.expectedRuns) << "a missed date is handled once";
    EXPECT_EQ(utility.alerts().size(), c.expectedAlerts);
}

INSTANTIATE_TEST_SUITE_P(Warnover, MissedDateTest,
                         ::testing::Values(MissedCase{"Skip", 0, 1, 0, 0}, MissedCase{"AskAndRun", 1, 1, 1, 1},
                                           MissedCase{"AskAndIgnore", 1, 0, 0, 1}, MissedCase{"RunWithoutAsking", 2, 1, 1, 0},
                                           MissedCase{"UnknownSkips", 9, 1, 0, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LauncherDatesTest, TheMissedDateQuestionNamesTheLauncherAndTheDate)
{
    writeSavedDates({5}, {"06/01/2026,09:00:00"});
    auto launcher = load({launcherRecord(5, QVLauncher::Date, dateParams(2, "09:00:00", {1, 15}, 1))})[0];
    auto object = activeObject("cut", {launcher});
    post("EndInitNotification");
    processQueued();
    ASSERT_EQ(utility.alerts().size(), 1);
    const QString alert = utility.alerts()[0];
    EXPECT_TRUE(alert.contains(QVLauncher::nameOfDateLauncherWithParams(dateParams(2, "09:00:00", {1, 15})))) << alert.toStdString();
    EXPECT_TRUE(alert.contains(QLocale().toString(QDate(2026, 1, 6), QLocale::ShortFormat))) << alert.toStdString();
}

TEST_F(LauncherDatesTest, NoQuestionForALauncherThatNothingUses)
{
    writeSavedDates({5}, {"06/01/2026,09:00:00"});
    load({launcherRecord(5, QVLauncher::Date, dateParams(0, "09:00:00", {}, 1))});
    post("EndInitNotification");
    processQueued();
    EXPECT_TRUE(utility.alerts().isEmpty());
}

TEST_F(LauncherDatesTest, SavedDatesAreWrittenInLauncherOrderAndReadBackAcrossAReload)
{
    const QVariantMap daily = launcherRecord(7, QVLauncher::Date, dateParams(0, "18:00:00"));
    const QVariantMap weekly = launcherRecord(3, QVLauncher::Date, dateParams(1, "08:30:00", {1}));
    const QVariantMap noDays = launcherRecord(4, QVLauncher::Date, dateParams(2, "08:30:00", {}));
    load({daily, keyRecord(9, CmdA), weekly, noDays});
    launchers().saveDateLaunchersDate();

    const QVariantMap saved = savedDates();
    EXPECT_EQ(saved.value("LauncherID").toList(), QVariantList({7, 3})) << "a launcher without a next date is left out";
    const QStringList texts = saved.value("LauncherDate").toStringList();
    EXPECT_EQ(texts, QStringList({"07/01/2026,18:00:00", "12/01/2026,08:30:00"}));

    // Across a reload, as the editor's update does it.
    launchers().resetLaunchers();
    launchers().setLaunchers({daily, weekly});
    EXPECT_EQ(launchers().nextDateForLauncherIDNum(7), at(1, 7, 18));
    EXPECT_EQ(launchers().nextDateForLauncherIDNum(3), at(1, 12, 8, 30));
    EXPECT_FALSE(launchers().nextDateForLauncherIDNum(4).isValid());
    EXPECT_EQ(launchers().launcherWithID(3)->nextDate(), at(1, 12, 8, 30));

    // A launcher gone from the records is gone from the next save.
    launchers().resetLaunchers();
    launchers().setLaunchers({weekly});
    launchers().terminateApp();
    EXPECT_EQ(savedDates().value("LauncherID").toList(), QVariantList({3}));
}

TEST_F(LauncherDatesTest, AMissingOrDamagedDatesFileGivesNoSavedDates)
{
    const QVariantMap daily = launcherRecord(7, QVLauncher::Date, dateParams(0, "18:00:00"));
    load({daily});
    EXPECT_FALSE(launchers().nextDateForLauncherIDNum(7).isValid());

    QFile file(datesPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a property list");
    file.close();
    load({daily});
    EXPECT_FALSE(launchers().nextDateForLauncherIDNum(7).isValid());
    EXPECT_EQ(launchers().launcherWithID(7)->nextDate(), at(1, 7, 18));
}

TEST(LauncherDateTexts, CalendarFormatDayMonthYearThenTime)
{
    struct Case {
        const char* text;
        QDateTime expected; // invalid: not a date of the format
    };
    const Case cases[] = {
        {"07/01/2026,18:00:00", QDateTime(QDate(2026, 1, 7), QTime(18, 0))},
        {"7/1/2026,9:05:03", QDateTime(QDate(2026, 1, 7), QTime(9, 5, 3))},
        {"1/1/2001,9:05", QDateTime(QDate(2001, 1, 1), QTime(9, 5))},
        {"12/01/2026,08:30:00", QDateTime(QDate(2026, 1, 12), QTime(8, 30))}, // the day comes first
        {"31/02/2026,10:00:00", QDateTime()},
        {"1/1/2001,25:00:00", QDateTime()},
        {"1/1/2001,noon", QDateTime()},
        {"2026-01-07T18:00:00", QDateTime()},
        {"", QDateTime()},
    };
    for (const Case& c : cases) {
        QDate date;
        QTime time;
        const bool read = engine::QVLaunchersManager::dateFromText(c.text, &date, &time);
        EXPECT_EQ(read, c.expected.isValid()) << c.text;
        if (read && c.expected.isValid()) {
            EXPECT_EQ(QDateTime(date, time), c.expected) << c.text;
        }
    }
}

TEST_F(LauncherDatesTest, DateLauncherNames)
{
    if (!zelk::Bundle::main().hasLocalizedString("ChaqueMois"))
        ZELK_SKIP_UNLESS_CI("the engine bundle's texts are not built");
    EXPECT_EQ(QVLauncher::nameOfDateLauncherWithParams(dateParams(2, "12:00:00", {1, 15})), "Every month (1, 15) at 12:00:00");
    EXPECT_EQ(QVLauncher::nameOfDateLauncherWithParams(dateParams(1, "08:00:00", {0, 6})), "Every week (Sunday, Saturday) at 08:00:00");
    EXPECT_EQ(QVLauncher::nameOfDateLauncherWithParams(dateParams(0, "08:00:00")), "Every day at 08:00:00");
}

} // namespace
