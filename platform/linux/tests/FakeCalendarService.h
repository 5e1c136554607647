#pragma once
// A small calendar service of the tests' own, played on a connection to a
// private bus: a source registry with a calendar ("work"), a task list
// ("todo") and an address book, a calendar factory, and one view per
// calendar, which lists what its calendar holds when started and then says
// it is complete. A third calendar ("home") is ready for a source added later.
#include "DBusObjectManager.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QObject>
#include <QStringList>
#include <map>
#include <memory>

namespace zelk::test {

inline const QString kSourcesName = "org.gnome.evolution.dataserver.Sources5";
inline const QString kCalendarName = "org.gnome.evolution.dataserver.Calendar8";
inline const QString kManagerPath = "/org/gnome/evolution/dataserver/SourceManager";
inline const QString kFactoryPath = "/org/gnome/evolution/dataserver/CalendarFactory";
inline const QString kSourceInterface = "org.gnome.evolution.dataserver.Source";

inline QVariantMap calendarSource(const QString& uid, const QString& section)
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

class FakeView : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.gnome.evolution.dataserver.CalendarView")
public:
    FakeView(QDBusConnection bus, QString path) : m_bus(std::move(bus)), m_path(std::move(path)) {}
    void send(const QString& name, const QVariantList& arguments)
    {
        QDBusMessage signal = QDBusMessage::createSignal(m_path, "org.gnome.evolution.dataserver.CalendarView", name);
        signal.setArguments(arguments);
        m_bus.send(signal);
    }
    bool started = false, disposed = false;
    QStringList fields; // of interest, as the client asked before Start
public slots:
    void SetFieldsOfInterest(const QStringList& only) { fields = only; }
    void Start()
    {
        started = true;
        send("ObjectsAdded", {QStringList{"BEGIN:VEVENT\nUID:existing\nEND:VEVENT"}});
        send("Complete", {QString(), QString()});
    }
    void Dispose() { disposed = true; }

private:
    QDBusConnection m_bus;
    QString m_path;
};

class FakeCalendar : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.gnome.evolution.dataserver.Calendar")
public:
    FakeCalendar(QDBusConnection bus, QString viewPath) : view(std::move(bus), viewPath), m_viewPath(std::move(viewPath)) {}
    FakeView view;
public slots:
    QStringList Open() { return {}; }
    QDBusObjectPath GetView(const QString&) { return QDBusObjectPath(m_viewPath); }

private:
    QString m_viewPath;
};

class FakeCalendarFactory : public QObject {
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

class FakeCalendarService {
public:
    bool start(QDBusConnection& bus)
    {
        qDBusRegisterMetaType<DBusInterfaces>();
        qDBusRegisterMetaType<DBusManagedObjects>();
        manager.sources = {
            {QDBusObjectPath(kManagerPath + "/Source_1"), {{kSourceInterface, calendarSource("work", "Calendar")}}},
            {QDBusObjectPath(kManagerPath + "/Source_2"), {{kSourceInterface, calendarSource("todo", "Task List")}}},
            {QDBusObjectPath(kManagerPath + "/Source_3"), {{kSourceInterface, calendarSource("people", "Address Book")}}},
        };
        bool ok = true;
        for (const char* uid : {"work", "todo", "home"}) {
            const QString path = QString("/org/gnome/evolution/dataserver/Subprocess/1/") + uid;
            calendars[uid] = std::make_unique<FakeCalendar>(bus, path + "/View/1");
            ok = registerObject(bus, path, calendars[uid].get()) && ok;
            ok = registerObject(bus, path + "/View/1", &calendars[uid]->view) && ok;
        }
        ok = registerObject(bus, kManagerPath, &manager) && ok;
        ok = registerObject(bus, kFactoryPath, &factory) && ok;
        return bus.registerService(kSourcesName) && bus.registerService(kCalendarName) && ok;
    }

    void stop(QDBusConnection& bus)
    {
        for (const QString& path : std::as_const(m_registered))
            bus.unregisterObject(path);
        bus.unregisterService(kSourcesName);
        bus.unregisterService(kCalendarName);
    }

    // A source added to or removed from the registry, as the registry tells it.
    void addSource(QDBusConnection& bus, const QString& name, const QString& uid, const QString& section)
    {
        sendFromManager(bus, "InterfacesAdded", {QVariant::fromValue(QDBusObjectPath(kManagerPath + name)),
                                                 QVariant::fromValue(DBusInterfaces{{kSourceInterface, calendarSource(uid, section)}})});
    }
    void removeSource(QDBusConnection& bus, const QString& name)
    {
        sendFromManager(bus, "InterfacesRemoved", {QVariant::fromValue(QDBusObjectPath(kManagerPath + name)), QStringList{kSourceInterface}});
    }

    FakeSourceManager manager;
    FakeCalendarFactory factory;
    std::map<QString, std::unique_ptr<FakeCalendar>> calendars;

private:
    bool registerObject(QDBusConnection& bus, const QString& path, QObject* object)
    {
        m_registered << path;
        return bus.registerObject(path, object, QDBusConnection::ExportAllSlots);
    }
    void sendFromManager(QDBusConnection& bus, const QString& name, const QVariantList& arguments)
    {
        QDBusMessage signal = QDBusMessage::createSignal(kManagerPath, "org.freedesktop.DBus.ObjectManager", name);
        signal.setArguments(arguments);
        bus.send(signal);
    }
    QStringList m_registered;
};

} // namespace zelk::test
