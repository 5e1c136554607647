// What the linux backend asks of the system's services for the system and
// network actions, against fakes of logind, the session manager, the screen
// saver, UDisks2 and NetworkManager on a private bus that stands in for both
// buses: never the machine's own. The backend's calls block, so they run on
// a thread of their own while the fakes answer on the main thread.
#include "LinuxNetwork.h"
#include "LinuxPower.h"
#include "LinuxSystem.h"
#include "PrivateBus.h"
#include "TestSupport.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QFile>
#include <functional>
#include <gtest/gtest.h>
#include <thread>

using namespace zelk;

namespace {

using InterfaceMap = QMap<QString, QVariantMap>;
using ObjectMap = QMap<QDBusObjectPath, InterfaceMap>;

// Answers calls by path, interface and member; records every call as
// "<path> <member> <arguments>". A handler answers the reply's arguments,
// or throws nothing and sets error to refuse.
class FakeServices : public QDBusVirtualObject {
public:
    struct Answer {
        QVariantList arguments;
        QString error; // non-empty: an error reply
    };
    using Handler = std::function<Answer(const QDBusMessage&)>;

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        QStringList args;
        for (const QVariant& a : message.arguments()) {
            if (a.canConvert<QDBusObjectPath>())
                args << a.value<QDBusObjectPath>().path();
            else if (a.canConvert<QDBusArgument>())
                args << "{...}";
            else
                args << a.toString();
        }
        calls << message.path() + " " + message.member() + (args.isEmpty() ? "" : " " + args.join(','));
        const auto it = handlers.constFind(message.path() + " " + message.interface() + "." + message.member());
        if (it == handlers.constEnd()) {
            connection.send(message.createErrorReply("org.freedesktop.DBus.Error.UnknownMethod", "not faked"));
            return true;
        }
        const Answer answer = (*it)(message);
        if (!answer.error.isEmpty())
            connection.send(message.createErrorReply("org.freedesktop.DBus.Error.AccessDenied", answer.error));
        else
            connection.send(message.createReply(answer.arguments));
        return true;
    }

    void on(const QString& path, const QString& interfaceMember, Handler handler)
    {
        handlers.insert(path + " " + interfaceMember, std::move(handler));
    }

    QStringList calls;
    QHash<QString, Handler> handlers;
};

QVariant variant(const QVariant& value)
{
    return QVariant::fromValue(QDBusVariant(value));
}

class LinuxSystemRequestsTest : public zelk::test::PrivateBusServiceTest {
protected:
    LinuxSystemRequestsTest() : PrivateBusServiceTest("fake-system-services") {}

    void SetUp() override
    {
        PrivateBusServiceTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        qDBusRegisterMetaType<InterfaceMap>();
        qDBusRegisterMetaType<ObjectMap>();
        qDBusRegisterMetaType<QByteArrayList>();
        for (const char* name : {"org.freedesktop.login1", "org.gnome.SessionManager", "org.freedesktop.ScreenSaver",
                                 "org.freedesktop.UDisks2", "org.freedesktop.NetworkManager"})
            ASSERT_TRUE(bus->registerService(QString::fromLatin1(name))) << name;
        ASSERT_TRUE(bus->registerVirtualObject("/org", &fake, QDBusConnection::SubPath));
    }

    void TearDown() override
    {
        if (bus) {
            bus->unregisterObject("/org", QDBusConnection::UnregisterTree);
            for (const char* name : {"org.freedesktop.login1", "org.gnome.SessionManager", "org.freedesktop.ScreenSaver",
                                     "org.freedesktop.UDisks2", "org.freedesktop.NetworkManager"})
                bus->unregisterService(QString::fromLatin1(name));
        }
        PrivateBusServiceTest::TearDown();
    }

    // Runs a blocking backend call off the main thread, which serves the fakes meanwhile.
    template <class F>
    auto offMain(F f) -> decltype(f())
    {
        decltype(f()) result{};
        std::atomic<bool> done{false};
        std::thread worker([&] {
            result = f();
            done = true;
        });
        EXPECT_TRUE(zelk::test::waitUntil([&] { return done.load(); }, 30000));
        worker.join();
        return result;
    }

    void acceptRequest(const char* member, bool refuse = false)
    {
        fake.on("/org/freedesktop/login1", QString("org.freedesktop.login1.Manager.") + member,
                [refuse](const QDBusMessage&) { return FakeServices::Answer{{}, refuse ? "refused" : ""}; });
    }

    FakeServices fake;
    zelk::test::TempHome home;
};

TEST_F(LinuxSystemRequestsTest, PowerRequestsGoToLogindWithoutAsking)
{
    LinuxPower power;
    for (const char* member : {"Reboot", "PowerOff", "Suspend"})
        acceptRequest(member);
    EXPECT_TRUE(offMain([&] { return power.request(PowerService::Request::Restart); }));
    EXPECT_TRUE(offMain([&] { return power.request(PowerService::Request::PowerOff); }));
    EXPECT_TRUE(offMain([&] { return power.request(PowerService::Request::Sleep); }));
    EXPECT_EQ(fake.calls, (QStringList{"/org/freedesktop/login1 Reboot false", "/org/freedesktop/login1 PowerOff false",
                                       "/org/freedesktop/login1 Suspend false"}));
    acceptRequest("Suspend", true);
    EXPECT_FALSE(offMain([&] { return power.request(PowerService::Request::Sleep); })) << "a refusal is reported";
}

TEST_F(LinuxSystemRequestsTest, LogOutAsksTheSessionManager)
{
    LinuxPower power;
    fake.on("/org/gnome/SessionManager", "org.gnome.SessionManager.Logout",
            [](const QDBusMessage&) { return FakeServices::Answer{}; });
    EXPECT_TRUE(offMain([&] { return power.request(PowerService::Request::LogOut); }));
    EXPECT_EQ(fake.calls, QStringList{"/org/gnome/SessionManager Logout 1"}) << "1: without asking";

    // Without a session manager, logind ends the session.
    bus->unregisterService("org.gnome.SessionManager");
    fake.calls.clear();
    acceptRequest("TerminateSession");
    zelk::test::ScopedEnv session("XDG_SESSION_ID", "c7");
    EXPECT_TRUE(offMain([&] { return power.request(PowerService::Request::LogOut); }));
    EXPECT_EQ(fake.calls, QStringList{"/org/freedesktop/login1 TerminateSession c7"});
}

TEST_F(LinuxSystemRequestsTest, ScreenSaverIsStartedAskedAndEnded)
{
    LinuxPower power;
    bool active = false;
    fake.on("/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver.SetActive", [&](const QDBusMessage& m) {
        active = m.arguments().value(0).toBool();
        return FakeServices::Answer{{true}, {}};
    });
    fake.on("/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver.GetActive",
            [&](const QDBusMessage&) { return FakeServices::Answer{{active}, {}}; });
    EXPECT_EQ(offMain([&] { return power.screenSaverActive(); }), std::optional<bool>(false));
    EXPECT_TRUE(offMain([&] { return power.startScreenSaver(); }));
    EXPECT_EQ(offMain([&] { return power.screenSaverActive(); }), std::optional<bool>(true));
    EXPECT_TRUE(offMain([&] { return power.stopScreenSaver(); }));
    EXPECT_FALSE(active);

    bus->unregisterService("org.freedesktop.ScreenSaver");
    EXPECT_EQ(offMain([&] { return power.screenSaverActive(); }), std::nullopt) << "can't tell without the service";
}

TEST_F(LinuxSystemRequestsTest, WakeTimeGoesToTheClocksAlarm)
{
    LinuxPower power;
    const QString alarm = home.path() + "/wakealarm";
    zelk::test::ScopedEnv path("ZELK_WAKEALARM_PATH", alarm.toLocal8Bit());
    const QDateTime when = QDateTime::fromSecsSinceEpoch(1900000000);
    ASSERT_TRUE(power.setWakeTime(when));
    QFile file(alarm);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "1900000000");

    zelk::test::ScopedEnv nowhere("ZELK_WAKEALARM_PATH", (home.path() + "/no/such/rtc").toLocal8Bit());
    EXPECT_FALSE(power.setWakeTime(when)) << "an alarm that can't be set is no success";
}

TEST_F(LinuxSystemRequestsTest, EjectUnmountsThenEjectsTheDiscDrive)
{
    const QString base = "/org/freedesktop/UDisks2";
    ObjectMap objects;
    objects[QDBusObjectPath(base + "/drives/usb")]["org.freedesktop.UDisks2.Drive"] =
        QVariantMap{{"Ejectable", true}, {"MediaAvailable", true}, {"MediaCompatibility", QStringList{"thumb"}}};
    objects[QDBusObjectPath(base + "/drives/dvd")]["org.freedesktop.UDisks2.Drive"] =
        QVariantMap{{"Ejectable", true}, {"MediaAvailable", true}, {"MediaCompatibility", QStringList{"optical_dvd"}}};
    objects[QDBusObjectPath(base + "/block_devices/sr0")]["org.freedesktop.UDisks2.Block"] =
        QVariantMap{{"Drive", QVariant::fromValue(QDBusObjectPath(base + "/drives/dvd"))}};
    objects[QDBusObjectPath(base + "/block_devices/sr0")]["org.freedesktop.UDisks2.Filesystem"] =
        QVariantMap{{"MountPoints", QVariant::fromValue(QByteArrayList{QByteArray("/media/disc", 12)})}};
    fake.on(base, "org.freedesktop.DBus.ObjectManager.GetManagedObjects",
            [&](const QDBusMessage&) { return FakeServices::Answer{{QVariant::fromValue(objects)}, {}}; });
    fake.on(base + "/block_devices/sr0", "org.freedesktop.UDisks2.Filesystem.Unmount",
            [](const QDBusMessage&) { return FakeServices::Answer{}; });
    bool busy = false;
    fake.on(base + "/drives/dvd", "org.freedesktop.UDisks2.Drive.Eject",
            [&](const QDBusMessage&) { return FakeServices::Answer{{}, busy ? "busy" : ""}; });

    LinuxVolumes volumes;
    QString why;
    EXPECT_TRUE(offMain([&] { return volumes.ejectMedia(&why); })) << why.toStdString();
    EXPECT_EQ(fake.calls, (QStringList{base + " GetManagedObjects", base + "/block_devices/sr0 Unmount {...}",
                                       base + "/drives/dvd Eject {...}"}));
    busy = true;
    EXPECT_FALSE(offMain([&] { return volumes.ejectMedia(&why); }));
    EXPECT_TRUE(why.contains("busy")) << why.toStdString();

    objects.clear();
    EXPECT_FALSE(offMain([&] { return volumes.ejectMedia(&why); }));
    EXPECT_EQ(why, "no removable medium");
}

TEST_F(LinuxSystemRequestsTest, LocationsAreConnectionProfiles)
{
    const QString nm = "/org/freedesktop/NetworkManager";
    const QString settings = nm + "/Settings";
    const QList<std::pair<QString, QString>> profiles = {{"u-1", "Home"}, {"u-2; rm -rf ~", "Office"}};
    fake.on(settings, "org.freedesktop.NetworkManager.Settings.ListConnections", [&](const QDBusMessage&) {
        QList<QDBusObjectPath> paths;
        for (int i = 0; i < profiles.size(); ++i)
            paths << QDBusObjectPath(settings + "/" + QString::number(i + 1));
        return FakeServices::Answer{{QVariant::fromValue(paths)}, {}};
    });
    for (int i = 0; i < profiles.size(); ++i) {
        fake.on(settings + "/" + QString::number(i + 1), "org.freedesktop.NetworkManager.Settings.Connection.GetSettings",
                [profile = profiles[i]](const QDBusMessage&) {
                    InterfaceMap map{{"connection", {{"uuid", profile.first}, {"id", profile.second}}}};
                    return FakeServices::Answer{{QVariant::fromValue(map)}, {}};
                });
    }
    fake.on(nm, "org.freedesktop.DBus.Properties.Get", [&](const QDBusMessage&) {
        return FakeServices::Answer{{variant(QVariant::fromValue(QDBusObjectPath(nm + "/ActiveConnection/4")))}, {}};
    });
    fake.on(nm + "/ActiveConnection/4", "org.freedesktop.DBus.Properties.Get",
            [](const QDBusMessage&) { return FakeServices::Answer{{variant(QString("u-1"))}, {}}; });
    bool refuse = false;
    fake.on(nm, "org.freedesktop.NetworkManager.ActivateConnection", [&](const QDBusMessage&) {
        return FakeServices::Answer{{QVariant::fromValue(QDBusObjectPath(nm + "/ActiveConnection/5"))}, refuse ? "no device" : ""};
    });

    LinuxNetwork network;
    EXPECT_EQ(offMain([&] { return network.locations(); }),
              (QList<NetworkLocation>{{"u-1", "Home"}, {"u-2; rm -rf ~", "Office"}}));
    EXPECT_EQ(offMain([&] { return network.activeLocation(); }), "u-1");
    fake.calls.clear();
    QString why;
    EXPECT_TRUE(offMain([&] { return network.activateLocation("u-2; rm -rf ~", &why); })) << why.toStdString();
    EXPECT_EQ(fake.calls.last(), nm + " ActivateConnection " + settings + "/2,/,/");
    refuse = true;
    EXPECT_FALSE(offMain([&] { return network.activateLocation("u-1", &why); }));
    EXPECT_TRUE(why.contains("no device")) << why.toStdString();
    EXPECT_FALSE(offMain([&] { return network.activateLocation("u-9", &why); }));
}

} // namespace
