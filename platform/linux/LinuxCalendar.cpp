#include "LinuxCalendar.h"

#include "DBusObjectManager.h"

#include "Log.h"
#include "ObserverList.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusReply>
#include <QHash>
#include <QObject>
#include <QRegularExpression>

namespace zelk {

namespace {

const QString kPrefix = QStringLiteral("org.gnome.evolution.dataserver.");
const QString kSourceManagerPath = QStringLiteral("/org/gnome/evolution/dataserver/SourceManager");
const QString kObjectManager = QStringLiteral("org.freedesktop.DBus.ObjectManager");
const QString kSource = QStringLiteral("org.gnome.evolution.dataserver.Source");
const QString kFactoryPath = QStringLiteral("/org/gnome/evolution/dataserver/CalendarFactory");
const QString kFactory = QStringLiteral("org.gnome.evolution.dataserver.CalendarFactory");
const QString kCalendar = QStringLiteral("org.gnome.evolution.dataserver.Calendar");
const QString kView = QStringLiteral("org.gnome.evolution.dataserver.CalendarView");

constexpr int kCalendarsChanged = 0, kTasksChanged = 1, kEventsChanged = 2;

// The newest version of a versioned service name ("Sources5", "Calendar8")
// among those the bus has or can start; empty when none.
QString newestService(const QStringList& names, const QString& stem)
{
    static const QRegularExpression digits(QStringLiteral("^\\d+$"));
    QString best;
    int bestVersion = -1;
    for (const QString& name : names) {
        if (!name.startsWith(kPrefix + stem))
            continue;
        const QString version = name.mid(kPrefix.size() + stem.size());
        if (!digits.match(version).hasMatch())
            continue;
        if (version.toInt() > bestVersion) {
            bestVersion = version.toInt();
            best = name;
        }
    }
    return best;
}

// The kind of changes a source's objects make: tasks, events, or none (not a calendar).
int kindOfSource(const QVariantMap& properties)
{
    const QString data = properties.value(QStringLiteral("Data")).toString();
    if (data.contains(QLatin1String("[Task List]")))
        return kTasksChanged;
    if (data.contains(QLatin1String("[Calendar]")))
        return kEventsChanged;
    return -1;
}

} // namespace

// Receives the service's signals on the main thread.
class CalendarListener : public QObject {
    Q_OBJECT
public:
    std::function<void(const QDBusMessage&)> onSources, onView;

public slots:
    void sourcesSignal(const QDBusMessage& message) { onSources(message); }
    void viewSignal(const QDBusMessage& message) { onView(message); }
};

struct LinuxCalendar::Private {
    std::unique_ptr<CalendarListener> listener = std::make_unique<CalendarListener>();
    ObserverList<int, const QString&> observers{[this] { observersChanged(); }};

    // Main thread:
    struct View {
        QString service;
        int kind = kEventsChanged;
        bool complete = false; // the start-up listing is over
    };
    bool subscribed = false, loggedAbsent = false;
    QString sourcesService, calendarService;
    QHash<QString, QString> openedSources; // source UID -> its view's path
    QHash<QString, QString> sourceUIDs;    // source object -> its UID
    QHash<QString, View> views;             // by view path

    void observersChanged() { QMetaObject::invokeMethod(listener.get(), [this] { update(); }, Qt::QueuedConnection); }
    void update();
    void subscribe();
    void unsubscribe();
    bool hookSources(bool on);
    void openSource(const QString& uid, int kind);
    void dropView(const QString& path);
    void watchView(const QString& service, const QString& path, int kind);
    void sourcesChanged(const QDBusMessage& message);
    void viewChanged(const QDBusMessage& message);
    void absent(const QString& why)
    {
        if (!loggedAbsent)
            zlog("LinuxCalendar", "observe") << why + QStringLiteral(": calendar launchers stay idle");
        loggedAbsent = true;
    }
};

LinuxCalendar::LinuxCalendar() : d(std::make_unique<Private>())
{
    qDBusRegisterMetaType<DBusInterfaces>();
    qDBusRegisterMetaType<DBusManagedObjects>();
    if (QCoreApplication* app = QCoreApplication::instance())
        d->listener->moveToThread(app->thread());
    d->listener->onSources = [p = d.get()](const QDBusMessage& message) { p->sourcesChanged(message); };
    d->listener->onView = [p = d.get()](const QDBusMessage& message) { p->viewChanged(message); };
}

LinuxCalendar::~LinuxCalendar()
{
    if (d->subscribed && QCoreApplication::instance())
        d->unsubscribe();
}

ObserverHandle LinuxCalendar::observe(std::function<void(int, const QString&)> observer)
{
    ObserverHandle handle = d->observers.add(std::move(observer));
    QMetaObject::invokeMethod(d->listener.get(), [p = d.get()] { p->update(); }, Qt::AutoConnection);
    return handle;
}

void LinuxCalendar::Private::update()
{
    const bool wanted = observers.any();
    if (wanted && !subscribed)
        subscribe();
    else if (!wanted && subscribed)
        unsubscribe();
}

bool LinuxCalendar::Private::hookSources(bool on)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    bool all = true;
    for (const char* name : {"InterfacesAdded", "InterfacesRemoved"}) {
        all = (on ? bus.connect(sourcesService, kSourceManagerPath, kObjectManager, QLatin1String(name), listener.get(),
                                SLOT(sourcesSignal(QDBusMessage)))
                  : bus.disconnect(sourcesService, kSourceManagerPath, kObjectManager, QLatin1String(name), listener.get(),
                                   SLOT(sourcesSignal(QDBusMessage)))) && all;
    }
    return all;
}

void LinuxCalendar::Private::subscribe()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return absent(QStringLiteral("no session bus"));
    QStringList names = bus.interface()->registeredServiceNames().value();
    names += QDBusReply<QStringList>(bus.interface()->call(QStringLiteral("ListActivatableNames"))).value();
    sourcesService = newestService(names, QStringLiteral("Sources"));
    calendarService = newestService(names, QStringLiteral("Calendar"));
    if (sourcesService.isEmpty() || calendarService.isEmpty())
        return absent(QStringLiteral("no calendar service (Evolution Data Server) on the session bus"));
    if (!hookSources(true))
        return absent(QStringLiteral("cannot listen to the calendar service: ") + bus.lastError().message());
    subscribed = true;
    // The sources there now are no change; their objects are watched from now on.
    const QDBusMessage call = QDBusMessage::createMethodCall(sourcesService, kSourceManagerPath, kObjectManager,
                                                             QStringLiteral("GetManagedObjects"));
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), listener.get());
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, listener.get(), [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusPendingReply<DBusManagedObjects> reply = *w;
        if (!subscribed)
            return;
        if (reply.isError()) {
            absent(QStringLiteral("the calendar service lists no sources: ") + reply.error().message());
            return;
        }
        const DBusManagedObjects objects = reply.value();
        for (auto it = objects.cbegin(); it != objects.cend(); ++it) {
            const QVariantMap source = it.value().value(kSource);
            const int kind = kindOfSource(source);
            if (kind < 0)
                continue;
            sourceUIDs.insert(it.key().path(), source.value(QStringLiteral("UID")).toString());
            openSource(source.value(QStringLiteral("UID")).toString(), kind);
        }
    });
}

void LinuxCalendar::Private::unsubscribe()
{
    hookSources(false);
    for (const QString& path : views.keys())
        dropView(path);
    openedSources.clear();
    sourceUIDs.clear();
    subscribed = false;
}

void LinuxCalendar::Private::dropView(const QString& path)
{
    const auto it = views.constFind(path);
    if (it == views.cend())
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    for (const char* name : {"ObjectsAdded", "ObjectsModified", "ObjectsRemoved", "Complete"})
        bus.disconnect(it->service, path, kView, QLatin1String(name), listener.get(), SLOT(viewSignal(QDBusMessage)));
    bus.asyncCall(QDBusMessage::createMethodCall(it->service, path, kView, QStringLiteral("Dispose")));
    views.erase(it);
}

void LinuxCalendar::Private::openSource(const QString& uid, int kind)
{
    if (uid.isEmpty() || openedSources.contains(uid))
        return;
    openedSources.insert(uid, QString());
    QDBusConnection bus = QDBusConnection::sessionBus();
    QDBusMessage open = QDBusMessage::createMethodCall(calendarService, kFactoryPath, kFactory,
                                                       kind == kTasksChanged ? QStringLiteral("OpenTaskList")
                                                                             : QStringLiteral("OpenCalendar"));
    open << uid;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(open), listener.get());
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, listener.get(), [this, uid, kind](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusPendingReply<QString, QString> reply = *w;
        if (!subscribed || !openedSources.contains(uid))
            return;
        if (reply.isError()) {
            zlog("LinuxCalendar", "observe") << "cannot open calendar" << uid << ":" << reply.error().message();
            openedSources.remove(uid);
            return;
        }
        const QString path = reply.argumentAt<0>(), service = reply.argumentAt<1>();
        QDBusConnection bus = QDBusConnection::sessionBus();
        // The backend is opened before it is asked for a view (its answer is not needed).
        bus.asyncCall(QDBusMessage::createMethodCall(service, path, kCalendar, QStringLiteral("Open")));
        QDBusMessage getView = QDBusMessage::createMethodCall(service, path, kCalendar, QStringLiteral("GetView"));
        getView << QStringLiteral("#t"); // every object
        auto* viewWatcher = new QDBusPendingCallWatcher(bus.asyncCall(getView), listener.get());
        QObject::connect(viewWatcher, &QDBusPendingCallWatcher::finished, listener.get(),
                         [this, uid, kind, service](QDBusPendingCallWatcher* vw) {
                             vw->deleteLater();
                             const QDBusPendingReply<QDBusObjectPath> viewReply = *vw;
                             if (!subscribed || !openedSources.contains(uid))
                                 return;
                             if (viewReply.isError()) {
                                 zlog("LinuxCalendar", "observe") << "no view of calendar" << uid << ":" << viewReply.error().message();
                                 openedSources.remove(uid);
                                 return;
                             }
                             openedSources.insert(uid, viewReply.value().path());
                             watchView(service, viewReply.value().path(), kind);
                         });
    });
}

void LinuxCalendar::Private::watchView(const QString& service, const QString& path, int kind)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    views.insert(path, View{service, kind, false});
    for (const char* name : {"ObjectsAdded", "ObjectsModified", "ObjectsRemoved", "Complete"})
        bus.connect(service, path, kView, QLatin1String(name), listener.get(), SLOT(viewSignal(QDBusMessage)));
    // Only that something changed matters, not what: the objects' UIDs
    // are all the view needs to send.
    QDBusMessage fields = QDBusMessage::createMethodCall(service, path, kView, QStringLiteral("SetFieldsOfInterest"));
    fields << QStringList{QStringLiteral("UID")};
    bus.asyncCall(fields);
    // Started once listened to, so its completion is not missed.
    bus.asyncCall(QDBusMessage::createMethodCall(service, path, kView, QStringLiteral("Start")));
}

void LinuxCalendar::Private::sourcesChanged(const QDBusMessage& message)
{
    if (!subscribed)
        return;
    if (message.member() == QLatin1String("InterfacesAdded") && message.arguments().size() >= 2) {
        const auto interfaces = qdbus_cast<DBusInterfaces>(message.arguments().at(1));
        const QVariantMap source = interfaces.value(kSource);
        if (const int kind = kindOfSource(source); kind >= 0) {
            const QString path = qdbus_cast<QDBusObjectPath>(message.arguments().at(0)).path();
            sourceUIDs.insert(path, source.value(QStringLiteral("UID")).toString());
            openSource(source.value(QStringLiteral("UID")).toString(), kind);
        }
    } else if (message.member() == QLatin1String("InterfacesRemoved") && !message.arguments().isEmpty()) {
        // A calendar that went: its view goes with it.
        const QString path = qdbus_cast<QDBusObjectPath>(message.arguments().at(0)).path();
        const QString uid = sourceUIDs.take(path);
        if (!uid.isEmpty())
            dropView(openedSources.take(uid));
    }
    observers.notify(kCalendarsChanged, QString());
}

void LinuxCalendar::Private::viewChanged(const QDBusMessage& message)
{
    const auto it = views.find(message.path());
    if (it == views.end())
        return;
    if (message.member() == QLatin1String("Complete")) {
        it->complete = true;
        return;
    }
    if (it->complete)
        observers.notify(it->kind, QString());
}

} // namespace zelk

#include "LinuxCalendar.moc"
