// A calendar launcher fired by a change in the session's calendar service:
// the engine on the virtual desktop, except for the calendar, which is the
// linux backend's, listening to a fake calendar service on a private bus.
// The launchers manager watches the calendar while a calendar launcher is
// loaded.
#include "DataFileRecords.h"
#include "EngineAppTestSupport.h"

#include "ClassRegistry.h"
#include "FakeCalendarService.h"
#include "LinuxCalendar.h"
#include "PrivateBus.h"
#include "ProbeAction.h"

using namespace engine;
using namespace engine::test;
namespace records = zelk::test::records;

namespace {

class CalendarDesktop : public zelk::VirtualPlatform {
public:
    zelk::CalendarService& calendar() override { return m_calendar; }

private:
    zelk::LinuxCalendar m_calendar;
};

QVariantMap calendarLauncher(qint64 id, int kind)
{
    return {{"launcherID", id}, {"launchertype", 6}, {"launcherparams", QVariantMap{{"launchercalendartype", kind}}},
            {"launchereditorrect", "{{0, 0}, {0, 0}}"}};
}

class CalendarLauncherTest : public EngineAppTest {
protected:
    void SetUp() override
    {
        EngineAppTest::SetUp();
        QString whyNot;
        const QString address = zelk::test::privateBus(&whyNot);
        if (address.isEmpty())
            ZELK_SKIP_UNLESS_CI("no private session bus: " << whyNot.toStdString());
        bus = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address, "fake-calendar-service"));
        ASSERT_TRUE(bus->isConnected());
        ASSERT_TRUE(service.start(*bus));
        installDesktop(std::make_unique<CalendarDesktop>());
        zelk::ClassRegistry::shared().registerClass(&RunProbe::classObject());
        probeRuns().clear();
    }

    void TearDown() override
    {
        EngineAppTest::TearDown();
        if (bus) {
            service.stop(*bus);
            bus.reset();
            QDBusConnection::disconnectFromBus("fake-calendar-service");
        }
    }

    // A shortcut on event changes and one on task changes.
    static records::DataFiles calendarFiles()
    {
        using namespace records;
        DataFiles files;
        files.actions = {action(0, "on events", "RunProbe", {}), action(1, "on tasks", "RunProbe", {})};
        files.contexts = {context(0, "Everywhere", 0)};
        files.launchers = {calendarLauncher(0, 2), calendarLauncher(1, 1)};
        files.shortcuts = {shortcut(0, "Events", {0}, {0}, {0}), shortcut(1, "Tasks", {1}, {1}, {0})};
        return files;
    }

    std::unique_ptr<QDBusConnection> bus;
    zelk::test::FakeCalendarService service;
};

TEST_F(CalendarLauncherTest, AnEventChangedInTheCalendarServiceRunsTheEventsLauncher)
{
    ASSERT_TRUE(calendarFiles().write(dataFolder()));
    onboard();
    launch();
    ASSERT_TRUE(appl->isStarted());
    ASSERT_TRUE(waitUntil([&] { return service.calendars["work"]->view.started && service.calendars["todo"]->view.started; }, 10000));

    service.calendars["work"]->view.send("ObjectsModified", {QStringList{"BEGIN:VEVENT\nUID:existing\nEND:VEVENT"}});
    ASSERT_TRUE(waitUntil([] { return probeRuns().count("on events") == 1; }, 10000)) << probeRuns().lines().join(", ").toStdString();
    service.calendars["todo"]->view.send("ObjectsAdded", {QStringList{"BEGIN:VTODO\nUID:new\nEND:VTODO"}});
    ASSERT_TRUE(waitUntil([] { return probeRuns().count("on tasks") == 1; }, 10000)) << probeRuns().lines().join(", ").toStdString();
    // What the views listed as they started ran nothing.
    EXPECT_EQ(probeRuns().lines(), QStringList({"on events", "on tasks"}));
}

TEST_F(CalendarLauncherTest, CalendarsAreWatchedOnlyWhileACalendarLauncherIsLoaded)
{
    records::DataFiles files = calendarFiles();
    ASSERT_TRUE(files.write(dataFolder()));
    onboard();
    launch();
    ASSERT_TRUE(waitUntil([&] { return service.calendars["work"]->view.started; }, 10000));

    // Reloaded without calendar launchers: the views are given back.
    files.launchers = {records::systemLauncher(0, 2), records::systemLauncher(1, 2)};
    ASSERT_TRUE(files.write(dataFolder()));
    editorCommand("updateobjects");
    EXPECT_TRUE(waitUntil([&] { return service.calendars["work"]->view.disposed && service.calendars["todo"]->view.disposed; }, 10000));
}

} // namespace
