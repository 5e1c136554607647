// Calendar changes against a small calendar service of the test's own on
// a private session bus: a source registry with a calendar, a task list and
// an address book, a calendar factory, and a view per opened calendar.
#include "DBusObjectManager.h"
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

namespace {

const QString kSourcesName = "org.gnome.evolution.dataserver.Sources5";
const QString kCalendarName = "org.gnome.evolution.dataserver.Calendar8";
const QString kManagerPath = "/org/gnome/evolution/dataserver/SourceManager";
const QString kFactoryPath = "/org/gnome/evolution/dataserver/CalendarFactory";
const QString kView = "org.gnome.evolution.dataserver.CalendarView";

QVariantMap source(const QString& uid, const QString& section)
{
    return {{"UID", uid}, {"Data", "[Data Source]\nDisplayName=" + uid + "\n\n[" + section + "]\nBackendName=local\n"}};
}

class FakeSourceManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.DBus.ObjectManager")
public:
    DBusManagedObjects sources;
public slots:
    zelk::DBusManagedObjects GetManagedObjects() { return sources; }
};

// One view: lists what its calendar holds when started, then says it is complete.
class FakeView : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.gnome.evolution.dataserver.CalendarView")
public:
    FakeView(QDBusConnection bus, QString path) : m_bus(std::move(bus)), m_path(std::move(path)) {}
    void send(const QString& name, const QVariantList& arguments)
    {
        QDBusMessage signal = QDBusMessage::createSignal(m_path, kView, name);
        signal.setArguments(arguments);
        m_bus.send(signal);
    }
    bool started = false;
public slots:
    void Start()
    {
        started = true;
        send("ObjectsAdded", {QStringList{"BEGIN:VEVENT\nUID:existing\nEND:VEVENT"}});
        send("Complete", {QString(), QString()});
    }
    void Dispose() {}

private:
    QDBusConnection m_bus;
    QString m_path;
};

class FakeCalendar : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.gnome.evolution.dataserver.Calendar")
public:
    FakeCalendar(QDBusConnection bus, QString viewPath) : view(bus, viewPath), m_viewPath(std::move(viewPath)) {}
    FakeView view;
public slots:
    QStringList Open() { return {}; }
    QDBusObjectPath GetView(const QString&) { return QDBusObjectPath(m_viewPath); }

private:
    QString m_viewPath;
};

class FakeFactory : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.gnome.evolution.dataserver.CalendarFactory")
public:
    QStringList opened;
public slots:
    QString OpenCalendar(const QString& uid, QString& busName) { return open("calendar " + uid, busName, uid); }
    QString OpenTaskList(const QString& uid, QString& busName) { return open("tasks " + uid, busName, uid); }

private:
    QString open(const QString& what, QString& busName, const QString& uid)
    {
        opened << what;
        busName = kCalendarName;
        return "/org/gnome/evolution/dataserver/Subprocess/1/" + uid;
    }
};

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
        if (bus) {
            for (const QString& path : registered)
                bus->unregisterObject(path);
            bus->unregisterService(kSourcesName);
            bus->unregisterService(kCalendarName);
        }
        PrivateBusServiceTest::TearDown();
    }

    void addCalendar(const QString& uid)
    {
        const QString path = "/org/gnome/evolution/dataserver/Subprocess/1/" + uid;
        calendars[uid] = std::make_unique<FakeCalendar>(*bus, path + "/View/1");
        registerObject(path, calendars[uid].get());
        registerObject(path + "/View/1", &calendars[uid]->view);
    }

    void registerObject(const QString& path, QObject* object)
    {
        ASSERT_TRUE(bus->registerObject(path, object, QDBusConnection::ExportAllSlots));
        registered << path;
    }

    void startService()
    {
        qDBusRegisterMetaType<DBusInterfaces>();
        qDBusRegisterMetaType<DBusManagedObjects>();
        manager.sources = {
            {QDBusObjectPath(kManagerPath + "/Source_1"), {{"org.gnome.evolution.dataserver.Source", source("work", "Calendar")}}},
            {QDBusObjectPath(kManagerPath + "/Source_2"), {{"org.gnome.evolution.dataserver.Source", source("todo", "Task List")}}},
            {QDBusObjectPath(kManagerPath + "/Source_3"), {{"org.gnome.evolution.dataserver.Source", source("people", "Address Book")}}},
        };
        addCalendar("work");
        addCalendar("todo");
        addCalendar("home");
        registerObject(kManagerPath, &manager);
        registerObject(kFactoryPath, &factory);
        ASSERT_TRUE(bus->registerService(kSourcesName));
        ASSERT_TRUE(bus->registerService(kCalendarName));
    }

    ObserverHandle observe()
    {
        return calendar->observe([this](int kind, const QString& sender) {
            changes << Change{kind};
            senders << sender;
        });
    }

    void sendFromManager(const QString& name, const QVariantList& arguments)
    {
        QDBusMessage signal = QDBusMessage::createSignal(kManagerPath, "org.freedesktop.DBus.ObjectManager", name);
        signal.setArguments(arguments);
        ASSERT_TRUE(bus->send(signal));
    }

    // What came once `count` changes did and every signal sent so far was delivered.
    QList<Change> waitFor(qsizetype count)
    {
        zelk::test::waitUntil([&] { return changes.size() >= count; });
        EXPECT_TRUE(zelk::test::settleSystemBus(bus->baseService(), "/", "org.freedesktop.DBus.Peer", "Ping", {}, 1));
        return std::exchange(changes, {});
    }

    FakeSourceManager manager;
    FakeFactory factory;
    std::map<QString, std::unique_ptr<FakeCalendar>> calendars;
    QStringList registered;
    std::unique_ptr<LinuxCalendar> calendar = std::make_unique<LinuxCalendar>();
    QList<Change> changes;
    QStringList senders;
};

TEST_F(LinuxCalendarTest, ChangesOfCalendarsTasksAndEventsComeAsTheirKinds)
{
    startService();
    const ObserverHandle handle = observe();
    // Both calendars are watched; the address book is not a calendar.
    ASSERT_TRUE(zelk::test::waitUntil([&] { return calendars["work"]->view.started && calendars["todo"]->view.started; }));
    EXPECT_EQ(factory.opened, QStringList({"calendar work", "tasks todo"}));
    // What the views listed at their start is no change.
    EXPECT_TRUE(waitFor(0).isEmpty());

    calendars["work"]->view.send("ObjectsModified", {QStringList{"BEGIN:VEVENT\nUID:existing\nEND:VEVENT"}});
    EXPECT_EQ(waitFor(1), QList<Change>{{2}});
    calendars["todo"]->view.send("ObjectsAdded", {QStringList{"BEGIN:VTODO\nUID:new\nEND:VTODO"}});
    EXPECT_EQ(waitFor(1), QList<Change>{{1}});
    calendars["work"]->view.send("ObjectsRemoved", {QStringList{"existing"}});
    EXPECT_EQ(waitFor(1), QList<Change>{{2}});

    // A new calendar: a change of the calendars, and its events are watched.
    sendFromManager("InterfacesAdded", {QVariant::fromValue(QDBusObjectPath(kManagerPath + "/Source_4")),
                                        QVariant::fromValue(DBusInterfaces{{"org.gnome.evolution.dataserver.Source",
                                                                            source("home", "Calendar")}})});
    EXPECT_EQ(waitFor(1), QList<Change>{{0}});
    ASSERT_TRUE(zelk::test::waitUntil([&] { return calendars["home"]->view.started; }));
    calendars["home"]->view.send("ObjectsAdded", {QStringList{"BEGIN:VEVENT\nUID:party\nEND:VEVENT"}});
    EXPECT_EQ(waitFor(1), QList<Change>{{2}});
    sendFromManager("InterfacesRemoved", {QVariant::fromValue(QDBusObjectPath(kManagerPath + "/Source_4")),
                                          QStringList{"org.gnome.evolution.dataserver.Source"}});
    EXPECT_EQ(waitFor(1), QList<Change>{{0}});
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

#include "LinuxCalendarTest.moc"
