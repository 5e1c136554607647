#include "LinuxPower.h"

#include "Log.h"
#include "ObserverList.h"
#include "X11Support.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QPointer>
#include <QFile>
#include <QProcess>
#include <QTimer>
#include <atomic>

#include <mutex>

namespace zelk {

namespace {

const QString kService = QStringLiteral("org.freedesktop.login1");
const QString kPath = QStringLiteral("/org/freedesktop/login1");
const QString kInterface = QStringLiteral("org.freedesktop.login1.Manager");

// One WillSleep or WillPowerOff: the replies the observers owe.
struct Round {
    std::mutex mutex;
    int owed = 0;
    bool sealed = false; // every observer has been called
    bool over = false;
    std::function<void()> finish; // lets the inhibitor go, on the main thread

    void expect()
    {
        std::lock_guard lock(mutex);
        ++owed;
    }
    void answer()
    {
        std::unique_lock lock(mutex);
        --owed;
        endIfDone(lock);
    }
    void seal()
    {
        std::unique_lock lock(mutex);
        sealed = true;
        endIfDone(lock);
    }
    void end()
    {
        std::unique_lock lock(mutex);
        if (over)
            return;
        over = true;
        lock.unlock();
        finish();
    }

private:
    void endIfDone(std::unique_lock<std::mutex>& lock)
    {
        if (!sealed || owed > 0 || over)
            return;
        over = true;
        lock.unlock();
        finish();
    }
};

} // namespace

// Receives logind's signals on the main thread.
class PowerListener : public QObject {
    Q_OBJECT
public:
    std::function<void(bool)> onSleep, onShutdown;

public slots:
    void prepareForSleep(bool start) { onSleep(start); }
    void prepareForShutdown(bool start) { onShutdown(start); }
};

struct LinuxPower::Private {
    std::unique_ptr<PowerListener> listener;
    ObserverList<Event, std::shared_ptr<Round>> observers{[this] { observersChanged(); }};

    // Main thread:
    bool subscribed = false;
    bool loggedNoBus = false;
    bool inhibiting = false; // a request is out or the descriptor is held
    QDBusUnixFileDescriptor inhibitor;
    quint64 round = 0;

    void observersChanged();
    void update();
    void inhibit();
    void release(quint64 ofRound);
    void tell(Event event);
};

LinuxPower::LinuxPower() : d(std::make_unique<Private>())
{
    d->listener = std::make_unique<PowerListener>();
    d->listener->onSleep = [p = d.get()](bool start) {
        if (start) {
            p->tell(Event::WillSleep);
        } else {
            p->tell(Event::DidWake);
            p->inhibit();
        }
    };
    d->listener->onShutdown = [p = d.get()](bool start) {
        if (start)
            p->tell(Event::WillPowerOff);
        else
            p->inhibit(); // the power-off was called off
    };
    if (QCoreApplication* app = QCoreApplication::instance())
        d->listener->moveToThread(app->thread());
}

LinuxPower::~LinuxPower()
{
    if (d->subscribed) {
        QDBusConnection bus = QDBusConnection::systemBus();
        bus.disconnect(kService, kPath, kInterface, "PrepareForSleep", d->listener.get(), SLOT(prepareForSleep(bool)));
        bus.disconnect(kService, kPath, kInterface, "PrepareForShutdown", d->listener.get(),
                       SLOT(prepareForShutdown(bool)));
    }
    d->listener.reset();
}

ObserverHandle LinuxPower::observe(std::function<void(Event, std::function<void()>)> observer)
{
    if (!observer)
        return {};
    ObserverHandle handle = d->observers.add([observer = std::move(observer)](Event event, std::shared_ptr<Round> round) {
        if (event == Event::DidWake) {
            observer(event, [] {});
            return;
        }
        round->expect();
        auto answered = std::make_shared<std::atomic<bool>>(false);
        observer(event, [round, answered] {
            if (!answered->exchange(true))
                round->answer();
        });
    });
    // Listening from now on, not from the next turn of the event loop.
    QMetaObject::invokeMethod(d->listener.get(), [p = d.get()] { p->update(); }, Qt::AutoConnection);
    return handle;
}

void LinuxPower::Private::observersChanged()
{
    QMetaObject::invokeMethod(listener.get(), [this] { update(); }, Qt::QueuedConnection);
}

void LinuxPower::Private::update()
{
    const bool wanted = observers.any();
    QDBusConnection bus = QDBusConnection::systemBus();
    if (wanted && !subscribed) {
        if (!bus.isConnected()) {
            if (!loggedNoBus)
                zlog("LinuxPower", "observe") << "no system bus; sleep and power-off are not seen:"
                                              << bus.lastError().message();
            loggedNoBus = true;
            return;
        }
        subscribed = bus.connect(kService, kPath, kInterface, "PrepareForSleep", listener.get(), SLOT(prepareForSleep(bool)))
            && bus.connect(kService, kPath, kInterface, "PrepareForShutdown", listener.get(), SLOT(prepareForShutdown(bool)));
        if (!subscribed) {
            zlog("LinuxPower", "observe") << "cannot listen to logind:" << bus.lastError().message();
            return;
        }
        inhibit();
    } else if (!wanted && subscribed) {
        bus.disconnect(kService, kPath, kInterface, "PrepareForSleep", listener.get(), SLOT(prepareForSleep(bool)));
        bus.disconnect(kService, kPath, kInterface, "PrepareForShutdown", listener.get(), SLOT(prepareForShutdown(bool)));
        subscribed = false;
        release(round);
    }
}

void LinuxPower::Private::inhibit()
{
    if (inhibiting || !observers.any())
        return;
    inhibiting = true;
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, "Inhibit");
    call << QStringLiteral("sleep:shutdown") << QStringLiteral("Zelk")
         << QStringLiteral("Running sleep and shut-down shortcuts") << QStringLiteral("delay");
    auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::systemBus().asyncCall(call), listener.get());
    const quint64 asked = round;
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, listener.get(), [this, asked](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *w;
        if (reply.isError()) {
            zlog("LinuxPower", "observe") << "logind refused a delay inhibitor:" << reply.error().message();
            inhibiting = false;
            return;
        }
        // Let go at once when nobody observes any more, or a sleep began meanwhile
        // (that one cannot be delayed any more).
        if (!observers.any() || asked != round) {
            inhibiting = false;
            return;
        }
        inhibitor = reply.value();
    });
}

void LinuxPower::Private::release(quint64 ofRound)
{
    if (ofRound != round)
        return; // a late answer of an earlier sleep
    inhibitor = QDBusUnixFileDescriptor();
    inhibiting = false;
}

void LinuxPower::Private::tell(Event event)
{
    auto r = std::make_shared<Round>();
    if (event != Event::DidWake) {
        const quint64 current = ++round;
        QPointer<PowerListener> guard(listener.get());
        r->finish = [this, guard, current] {
            QMetaObject::invokeMethod(guard.data(), [this, current] { release(current); }, Qt::QueuedConnection);
        };
        QTimer::singleShot(kReplyBoundMilliseconds, listener.get(), [r] { r->end(); });
    } else {
        r->finish = [] {};
    }
    observers.notify(event, r);
    r->seal();
}

namespace {

const QString kScreenSaver = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kScreenSaverPath = QStringLiteral("/org/freedesktop/ScreenSaver");

bool callAnswered(QDBusConnection bus, const QDBusMessage& call, const char* method, QDBusMessage* answer = nullptr)
{
    if (!bus.isConnected()) {
        zlog("LinuxPower", method) << "no bus:" << bus.lastError().message();
        return false;
    }
    const QDBusMessage reply = bus.call(call, QDBus::Block, 25000);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        zlog("LinuxPower", method) << call.service() << call.member() << reply.errorName() << reply.errorMessage();
        return false;
    }
    if (answer)
        *answer = reply;
    return true;
}

bool hasService(QDBusConnection bus, const QString& name)
{
    if (!bus.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                       "org.freedesktop.DBus", "NameHasOwner");
    call << name;
    const QDBusMessage reply = bus.call(call);
    return reply.type() == QDBusMessage::ReplyMessage && reply.arguments().value(0).toBool();
}

bool logOut()
{
    QDBusConnection session = QDBusConnection::sessionBus();
    if (hasService(session, "org.gnome.SessionManager")) {
        QDBusMessage call = QDBusMessage::createMethodCall("org.gnome.SessionManager", "/org/gnome/SessionManager",
                                                           "org.gnome.SessionManager", "Logout");
        call << uint(1); // no confirmation
        return callAnswered(session, call, "request");
    }
    if (hasService(session, "org.xfce.SessionManager")) {
        QDBusMessage call = QDBusMessage::createMethodCall("org.xfce.SessionManager", "/org/xfce/SessionManager",
                                                           "org.xfce.Session.Manager", "Logout");
        call << false << true; // no dialog, allow saving
        return callAnswered(session, call, "request");
    }
    const QString sessionId = qEnvironmentVariable("XDG_SESSION_ID");
    if (sessionId.isEmpty()) {
        zlog("LinuxPower", "request") << "no session manager and no logind session to end";
        return false;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, "TerminateSession");
    call << sessionId;
    return callAnswered(QDBusConnection::systemBus(), call, "request");
}

} // namespace

bool LinuxPower::request(Request request)
{
    const char* member = nullptr;
    switch (request) {
    case Request::Restart:
        member = "Reboot";
        break;
    case Request::PowerOff:
        member = "PowerOff";
        break;
    case Request::Sleep:
        member = "Suspend";
        break;
    case Request::LogOut:
        return logOut();
    }
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QString::fromLatin1(member));
    call << false; // not interactive: no authentication dialog
    return callAnswered(QDBusConnection::systemBus(), call, "request");
}

QString LinuxPower::wakeAlarmPath()
{
    const QString path = qEnvironmentVariable("ZELK_WAKEALARM_PATH");
    return path.isEmpty() ? QStringLiteral("/sys/class/rtc/rtc0/wakealarm") : path;
}

bool LinuxPower::setWakeTime(const QDateTime& when)
{
    // The clock takes a new alarm only after the old one was cleared.
    for (const QByteArray& value : {QByteArray("0"), QByteArray::number(when.toSecsSinceEpoch())}) {
        QFile alarm(wakeAlarmPath());
        if (!alarm.open(QIODevice::WriteOnly) || alarm.write(value) != value.size() || !alarm.flush()) {
            zlog("LinuxPower", "setWakeTime") << "cannot set the wake alarm:" << alarm.errorString();
            return false;
        }
    }
    return true;
}

bool LinuxPower::startScreenSaver()
{
    QDBusMessage call = QDBusMessage::createMethodCall(kScreenSaver, kScreenSaverPath, kScreenSaver, "SetActive");
    call << true;
    if (callAnswered(QDBusConnection::sessionBus(), call, "startScreenSaver"))
        return true;
    QProcess loginctl;
    loginctl.start("loginctl", {"lock-session"});
    if (!loginctl.waitForFinished(10000) || loginctl.exitStatus() != QProcess::NormalExit || loginctl.exitCode() != 0) {
        zlog("LinuxPower", "startScreenSaver") << "loginctl lock-session failed:" << loginctl.errorString()
                                                << loginctl.readAllStandardError().trimmed();
        loginctl.kill();
        return false;
    }
    return true;
}

std::optional<bool> LinuxPower::screenSaverActive()
{
    QDBusMessage answer;
    if (!callAnswered(QDBusConnection::sessionBus(),
                      QDBusMessage::createMethodCall(kScreenSaver, kScreenSaverPath, kScreenSaver, "GetActive"),
                      "screenSaverActive", &answer))
        return std::nullopt;
    return answer.arguments().value(0).toBool();
}

bool LinuxPower::stopScreenSaver()
{
    QDBusMessage call = QDBusMessage::createMethodCall(kScreenSaver, kScreenSaverPath, kScreenSaver, "SetActive");
    call << false;
    return callAnswered(QDBusConnection::sessionBus(), call, "stopScreenSaver");
}

int LinuxPower::screenSaverIdleSeconds()
{
    return x11::screenSaverTimeout();
}

} // namespace zelk

#include "LinuxPower.moc"
