// Calendar changes against a small calendar service of the test's own on
// a private session bus: a source registry with a calendar, a task list and
// an address book, a calendar factory, and a view per opened calendar.
#include "DBusObjectManager.h"
#include "FakeCalendarService.h"
#include "LinuxCalendar.h"
#include "PrivateBus.h"
#include "TestSupport.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QObject>
#include <gtest/gtest.h>
#include <memory>

using namespace zelk;
using namespace zelk::test;

namespace {

struct Change {
    int kind;
    bool operator==(const Change&) const = default;
};

class LinuxCalendarTest : public zelk::test::PrivateBusServiceTest {
protected:
    LinuxCalendarTest() : PrivateBusServiceTest("fake-calendar-service") {}

    void TearDown() override
    {
        calendar.reset();
        if (bus)
            service.stop(*bus);
        PrivateBusServiceTest::TearDown();
    }

    void startService() { ASSERT_TRUE(service.start(*bus)); }

    ObserverHandle observe()
    {
        return calendar->observe([this](int kind, const QString& sender) {
            changes << Change{kind};
            senders << sender;
        });
    }

    // What came once `count` changes did and every signal sent so far was delivered.
    QList<Change> waitFor(qsizetype count)
    {
        zelk::test::waitUntil([&] { return changes.size() >= count; });
        EXPECT_TRUE(zelk::test::settleSystemBus(bus->baseService(), "/", "org.freedesktop.DBus.Peer", "Ping", {}, 1));
        return std::exchange(changes, {});
    }

    FakeCalendarService service;
    std::unique_ptr<LinuxCalendar> calendar = std::make_unique<LinuxCalendar>();
    QList<Change> changes;
    QStringList senders;
};

TEST_F(LinuxCalendarTest, ChangesOfCalendarsTasksAndEventsComeAsTheirKinds)
{
    startService();
    const ObserverHandle handle = observe();
    // Both calendars are watched; the address book is not a calendar.
    ASSERT_TRUE(zelk::test::waitUntil([&] { return service.calendars["work"]->view.started && service.calendars["todo"]->view.started; }));
    EXPECT_EQ(service.factory.opened, QStringList({"calendar work", "tasks todo"}));
    EXPECT_EQ(service.calendars["work"]->view.fields, QStringList{"UID"}) << "the view sends whole objects";
    // What the views listed at their start is no change.
    EXPECT_TRUE(waitFor(0).isEmpty());

    service.calendars["work"]->view.send("ObjectsModified", {QStringList{"BEGIN:VEVENT\nUID:existing\nEND:VEVENT"}});
    EXPECT_EQ(waitFor(1), QList<Change>{{2}});
    service.calendars["todo"]->view.send("ObjectsAdded", {QStringList{"BEGIN:VTODO\nUID:new\nEND:VTODO"}});
    EXPECT_EQ(waitFor(1), QList<Change>{{1}});
    service.calendars["work"]->view.send("ObjectsRemoved", {QStringList{"existing"}});
    EXPECT_EQ(waitFor(1), QList<Change>{{2}});

    // A new calendar: a change of the calendars, and its events are watched.
    service.addSource(*bus, "/Source_4", "home", "Calendar");
    EXPECT_EQ(waitFor(1), QList<Change>{{0}});
    ASSERT_TRUE(zelk::test::waitUntil([&] { return service.calendars["home"]->view.started; }));
    service.calendars["home"]->view.send("ObjectsAdded", {QStringList{"BEGIN:VEVENT\nUID:party\nEND:VEVENT"}});
    EXPECT_EQ(waitFor(1), QList<Change>{{2}});
    service.removeSource(*bus, "/Source_4");
    EXPECT_EQ(waitFor(1), QList<Change>{{0}});
    EXPECT_TRUE(zelk::test::waitUntil([&] { return service.calendars["home"]->view.disposed; })) << "the gone calendar's view was kept";
    EXPECT_FALSE(service.calendars["work"]->view.disposed);
    // The service does not say which program made a change.
    for (const QString& sender : std::as_const(senders))
        EXPECT_TRUE(sender.isEmpty());
}

TEST_F(LinuxCalendarTest, WithoutTheServiceCalendarLaunchersStayIdleAndTheLogSaysWhyOnce)
{
    zelk::test::LogCapture log;
    // Each observer asks again; the log says it once.
    const ObserverHandle first = observe();
    const ObserverHandle second = observe();
    int lines = 0;
    for (const QString& line : log.lines())
        lines += line.contains("calendar launchers stay idle");
    EXPECT_EQ(lines, 1) << log.lines().join("\n").toStdString();
    EXPECT_TRUE(log.contains("no calendar service (Evolution Data Server) on the session bus"));
    EXPECT_TRUE(changes.isEmpty());
}

} // namespace

