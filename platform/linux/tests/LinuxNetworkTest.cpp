// IPv4 changes against a small NetworkManager of the test's own on a
// private bus that stands in for the system bus.
#include "LinuxNetwork.h"
#include "PrivateBus.h"
#include "TestSupport.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QObject>
#include <gtest/gtest.h>
#include <memory>

using namespace zelk;

namespace {

const QString kRoot = "/org/freedesktop/NetworkManager";
const QString kDevicePath = "/org/freedesktop/NetworkManager/Devices/1";
const QString kKey = "State:/Network/Interface/eth0/IPv4";

class FakeNetworkManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.NetworkManager")
    Q_PROPERTY(QList<QDBusObjectPath> Devices READ devices)
public:
    QList<QDBusObjectPath> devices() const { return {QDBusObjectPath(kDevicePath)}; }
};

class FakeDevice : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.NetworkManager.Device")
    Q_PROPERTY(QString Interface READ interface)
    Q_PROPERTY(QString IpInterface READ interface)
    Q_PROPERTY(QDBusObjectPath Ip4Config READ ip4Config)
public:
    QString interface() const { return "eth0"; }
    QDBusObjectPath ip4Config() const { return config; }
    QDBusObjectPath config{"/"};
};

struct Change {
    QString key;
    bool present;
    bool operator==(const Change&) const = default;
};

void PrintTo(const Change& c, std::ostream* os)
{
    *os << c.key.toStdString() << (c.present ? " present" : " gone");
}

class LinuxNetworkTest : public zelk::test::PrivateBusServiceTest {
protected:
    LinuxNetworkTest() : PrivateBusServiceTest("fake-network-manager") {}

    void TearDown() override
    {
        network.reset();
        if (bus) {
            bus->unregisterObject(kRoot);
            bus->unregisterObject(kDevicePath);
            bus->unregisterService("org.freedesktop.NetworkManager");
        }
        PrivateBusServiceTest::TearDown();
    }

    void startNetworkManager()
    {
        ASSERT_TRUE(bus->registerObject(kRoot, &manager, QDBusConnection::ExportAllProperties));
        ASSERT_TRUE(bus->registerObject(kDevicePath, &device, QDBusConnection::ExportAllProperties));
        ASSERT_TRUE(bus->registerService("org.freedesktop.NetworkManager"));
    }

    void send(const QString& path, const QString& interface, const QString& name, const QList<QVariant>& arguments)
    {
        QDBusMessage signal = QDBusMessage::createSignal(path, interface, name);
        signal.setArguments(arguments);
        ASSERT_TRUE(bus->send(signal));
    }

    // The device's configuration changes and NetworkManager says so.
    void configure(const QString& config)
    {
        device.config = QDBusObjectPath(config);
        send(kDevicePath, "org.freedesktop.DBus.Properties", "PropertiesChanged",
             {QString("org.freedesktop.NetworkManager.Device"),
              QVariantMap{{"Ip4Config", QVariant::fromValue(device.config)}}, QStringList()});
    }

    // The changes told, once `count` came and everything the backend then
    // asked NetworkManager was answered (so that nothing more is on its way).
    QList<Change> waitFor(int count)
    {
        zelk::test::waitUntil([&] { return changes.size() >= count; });
        settle();
        return std::exchange(changes, {});
    }

    void settle()
    {
        // The fake's signals reach the backend before the fake's answer to a ping.
        ASSERT_TRUE(zelk::test::settleSystemBus(bus->baseService(), "/", "org.freedesktop.DBus.Peer", "Ping", {}, 1));
        // What the backend then read is answered before a read of our own.
        if (bus->interface()->isServiceRegistered("org.freedesktop.NetworkManager")) {
            ASSERT_TRUE(zelk::test::settleSystemBus("org.freedesktop.NetworkManager", kDevicePath,
                                                    "org.freedesktop.DBus.Properties", "Get",
                                                    {QString("org.freedesktop.NetworkManager.Device"), QString("Interface")}, 3));
        }
    }

    FakeNetworkManager manager;
    FakeDevice device;
    std::unique_ptr<LinuxNetwork> network = std::make_unique<LinuxNetwork>();
    QList<Change> changes;
    ObserverHandle observe()
    {
        return network->observe([this](const QString& key, bool present) { changes << Change{key, present}; });
    }
};

TEST_F(LinuxNetworkTest, ConfigurationsAppearChangeAndGo)
{
    startNetworkManager();
    ObserverHandle h = observe();

    configure("/org/freedesktop/NetworkManager/IP4Config/1");
    EXPECT_EQ(waitFor(1), QList<Change>({{kKey, true}}));
    configure("/org/freedesktop/NetworkManager/IP4Config/2");
    EXPECT_EQ(waitFor(1), QList<Change>({{kKey, true}})) << "a new configuration is a change";
    configure("/org/freedesktop/NetworkManager/IP4Config/2");
    EXPECT_EQ(waitFor(0), QList<Change>()) << "the same configuration again is none";

    // New addresses inside the configuration.
    send("/org/freedesktop/NetworkManager/IP4Config/2", "org.freedesktop.DBus.Properties", "PropertiesChanged",
         {QString("org.freedesktop.NetworkManager.IP4Config"), QVariantMap{{"Gateway", QString("10.0.0.1")}}, QStringList()});
    EXPECT_EQ(waitFor(1), QList<Change>({{kKey, true}}));

    configure("/");
    EXPECT_EQ(waitFor(1), QList<Change>({{kKey, false}}));

    // Only a state change told: the configuration is read.
    device.config = QDBusObjectPath("/org/freedesktop/NetworkManager/IP4Config/3");
    send(kDevicePath, "org.freedesktop.NetworkManager.Device", "StateChanged", {100u, 70u, 0u});
    EXPECT_EQ(waitFor(1), QList<Change>({{kKey, true}}));

    send(kRoot, "org.freedesktop.NetworkManager", "DeviceRemoved", {QVariant::fromValue(QDBusObjectPath(kDevicePath))});
    EXPECT_EQ(waitFor(1), QList<Change>({{kKey, false}})) << "a device that went took its configuration";

    h.reset();
    configure("/org/freedesktop/NetworkManager/IP4Config/4");
    EXPECT_EQ(waitFor(0), QList<Change>()) << "delivered after the observer went";
}

TEST_F(LinuxNetworkTest, ConfigurationAtStartIsNoChange)
{
    device.config = QDBusObjectPath("/org/freedesktop/NetworkManager/IP4Config/1");
    startNetworkManager();
    ObserverHandle h = observe();
    EXPECT_EQ(waitFor(0), QList<Change>());
    send(kDevicePath, "org.freedesktop.NetworkManager.Device", "StateChanged", {100u, 70u, 0u});
    EXPECT_EQ(waitFor(0), QList<Change>()) << "the configuration it had from the start was told as new";
}

TEST_F(LinuxNetworkTest, WithoutNetworkManagerNothingArrivesAndItIsSaidOnce)
{
    static QStringList logged;
    logged.clear();
    const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& m) {
        if (m.startsWith("LinuxNetwork"))
            logged << m;
    });
    {
        ObserverHandle a = observe(), b = observe();
        configure("/org/freedesktop/NetworkManager/IP4Config/1");  // a stranger's signal, not NetworkManager's
        EXPECT_EQ(waitFor(0), QList<Change>());
    }
    ObserverHandle c = observe();
    settle();
    qInstallMessageHandler(previous);
    EXPECT_EQ(logged.size(), 1) << logged.join('\n').toStdString();
}

} // namespace

#include "LinuxNetworkTest.moc"
