// Distributed notifications through a private session bus: posted and
// received in this same process, as two processes of a session would.
#include "DBusNotificationCenter.h"
#include "LinuxPlatform.h"
#include "PrivateBus.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDateTime>
#include <QFileInfo>
#include <QThread>
#include <gtest/gtest.h>
#include <limits>
#include <thread>

using namespace zelk;

namespace {

class DBusNotificationCenterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QString whyNot;
        if (zelk::test::privateBus(&whyNot).isEmpty())
            ZELK_SKIP_UNLESS_CI("no private session bus: " << whyNot.toStdString());
        ASSERT_TRUE(QDBusConnection::sessionBus().isConnected())
            << "the session bus was connected elsewhere before the test set its address";
    }

    // Sends the Post signal as any other program on the bus could.
    static void sendRaw(const QList<QVariant>& arguments)
    {
        QDBusMessage signal = QDBusMessage::createSignal(DBusNotificationCenter::kPath,
                                                         DBusNotificationCenter::kInterface,
                                                         DBusNotificationCenter::kSignal);
        signal.setArguments(arguments);
        ASSERT_TRUE(QDBusConnection::sessionBus().send(signal));
    }

    std::unique_ptr<Platform> platform = makeLinuxPlatform();
    DistributedNotificationCenter& center() { return platform->distributedNotifications(); }
};

TEST_F(DBusNotificationCenterTest, EveryPropertyListTypeArrivesEqual)
{
    const QVariantMap info{
        {"string", "Grüße, <&> \"quoted\""},
        {"int", -42},
        {"uint32max", std::numeric_limits<quint32>::max()},  // not to wrap to -1 on the way
        {"int64", std::numeric_limits<qint64>::min()},
        {"bool", true},
        {"real", 3.25},
        {"date", QDateTime(QDate(2024, 2, 29), QTime(23, 59, 58), Qt::UTC)},
        {"data", QByteArray("\x00\x01\xff", 3)},
        {"array", QVariantList{qint64(1), "two", QVariantList{}}},
        {"dict", QVariantMap{{"inner", QVariantMap{{"deep", false}}}, {"empty", QVariantMap{}}}},
    };
    QList<QVariantMap> got;
    bool onMainThread = false;
    ObserverHandle h = center().addObserver("QVEditorNotification", [&](const QString& name, const QVariantMap& u) {
        EXPECT_EQ(name, "QVEditorNotification");
        onMainThread = QThread::currentThread() == QCoreApplication::instance()->thread();
        got << u;
    });
    ObserverHandle other = center().addObserver("QVLauncherNotification", [&](const QString&, const QVariantMap&) {
        ADD_FAILURE() << "delivered to the observer of another name";
    });

    // Posted from an action thread; observers run on the main thread.
    bool posted = false;
    std::thread([&] { posted = center().post("QVEditorNotification", info); }).join();
    ASSERT_TRUE(posted);
    ASSERT_TRUE(zelk::test::waitUntil([&] { return !got.isEmpty(); })) << "the notification never arrived";
    EXPECT_EQ(got.first(), info);
    EXPECT_EQ(got.first().value("uint32max").toLongLong(), 4294967295LL);
    EXPECT_TRUE(onMainThread);
}

TEST_F(DBusNotificationCenterTest, MalformedPayloadsAreDroppedAndDeliveryGoesOn)
{
    QStringList names;
    ObserverHandle h = center().addObserver("QVEditorNotification", [&](const QString&, const QVariantMap& u) {
        names << u.value("n").toString();
    });
    const QByteArray notDict = "<?xml version=\"1.0\"?><plist version=\"1.0\"><string>x</string></plist>";
    sendRaw({"QVEditorNotification", "not a property list"});
    sendRaw({"QVEditorNotification", QString::fromLatin1(notDict)});
    sendRaw({"QVEditorNotification", "<plist><dict><key>n</key>"});  // cut short
    sendRaw({"QVEditorNotification", ""});
    sendRaw({"QVEditorNotification", 7});  // another signature: not ours
    sendRaw({"", "<plist version=\"1.0\"><dict/></plist>"});
    // Signals from one sender arrive in order: once this one is in, the
    // bad ones before it have been handled.
    ASSERT_TRUE(center().post("QVEditorNotification", {{"n", "good"}}));
    ASSERT_TRUE(zelk::test::waitUntil([&] { return !names.isEmpty(); }));
    EXPECT_EQ(names, QStringList({"good"}));
}

TEST_F(DBusNotificationCenterTest, DroppedHandleStopsDelivery)
{
    int calls = 0, later = 0;
    ObserverHandle h = center().addObserver("QVLauncherNotification", [&](const QString&, const QVariantMap&) {
        ++calls;
    });
    ObserverHandle marker = center().addObserver("marker", [&](const QString&, const QVariantMap&) { ++later; });
    ASSERT_TRUE(center().post("QVLauncherNotification", {}));
    ASSERT_TRUE(zelk::test::waitUntil([&] { return calls == 1; }));
    h.reset();
    ASSERT_TRUE(center().post("QVLauncherNotification", {}));
    ASSERT_TRUE(center().post("marker", {}));
    ASSERT_TRUE(zelk::test::waitUntil([&] { return later == 1; }));
    EXPECT_EQ(calls, 1);
}

// The bus vouches for the sender: its connection's process and the program
// that process runs, whatever the payload says.
TEST_F(DBusNotificationCenterTest, ObserversMayAskWhoSentIt)
{
    QList<NotificationSender> senders;
    int plain = 0;
    ObserverHandle h = center().addObserverWithSender(
        "QVEditorNotification", [&](const QString&, const QVariantMap&, const NotificationSender& sender) { senders << sender; });
    ObserverHandle p = center().addObserver("QVEditorNotification", [&](const QString&, const QVariantMap&) { ++plain; });
    ASSERT_TRUE(center().post("QVEditorNotification", {{"pid", 1}}));
    ASSERT_NO_FATAL_FAILURE(sendRaw({"QVEditorNotification", "<plist version=\"1.0\"><dict/></plist>"}));
    ASSERT_TRUE(zelk::test::waitUntil([&] { return senders.size() == 2 && plain == 2; }));
    for (const NotificationSender& sender : senders) {
        EXPECT_EQ(sender.pid, QCoreApplication::applicationPid());
        EXPECT_EQ(sender.executable, QFileInfo("/proc/self/exe").canonicalFilePath());
    }
}

TEST_F(DBusNotificationCenterTest, UnwritableUserInfoIsRefused)
{
    QVariantMap info{{"pointer", QVariant::fromValue(static_cast<void*>(this))}};
    EXPECT_FALSE(center().post("QVEditorNotification", info));
}

} // namespace
