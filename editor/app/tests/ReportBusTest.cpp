// The report window fed by the engine's messages over a real session bus
// (a private one): the messages come from another connection, as the
// engine's process sends them.
#include "DBusNotificationCenter.h"
#include "EditorTestSupport.h"
#include "PrivateBus.h"
#include "PropertyList.h"
#include "QVEController.h"
#include "QVEReportWindow.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>

namespace editor::test {
namespace {

// The virtual desktop, with the session bus's notifications in place of its own.
class BusPlatform : public zelk::VirtualPlatform {
public:
    zelk::DistributedNotificationCenter& distributedNotifications() override { return m_bus; }

private:
    zelk::DBusNotificationCenter m_bus;
};

class ReportBusTest : public EditorTest {
protected:
    void SetUp() override
    {
        QString whyNot;
        m_address = zelk::test::privateBus(&whyNot);
        if (m_address.isEmpty())
            ZELK_SKIP_UNLESS_CI("no private session bus: " << whyNot.toStdString());
        ASSERT_TRUE(QDBusConnection::sessionBus().isConnected());
        m_previous = zelk::Platform::install(std::make_unique<BusPlatform>());
        m_engine = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(m_address, "engine"));
        ASSERT_TRUE(m_engine->isConnected());
        ASSERT_TRUE(QDir().mkpath(home->dataHome() + "/Zelk"));
    }
    void TearDown() override
    {
        controller.reset();
        if (m_previous)
            zelk::Platform::install(std::move(m_previous));
        m_engine.reset();
        QDBusConnection::disconnectFromBus("engine");
    }

    // Posts as the engine does: the signal Post(name, userInfo as XML plist).
    void engineSays(const QVariantMap& userInfo)
    {
        QDBusMessage signal = QDBusMessage::createSignal(zelk::DBusNotificationCenter::kPath,
                                                         zelk::DBusNotificationCenter::kInterface,
                                                         zelk::DBusNotificationCenter::kSignal);
        signal.setArguments({QStringLiteral("QVLauncherNotification"), QString::fromUtf8(zelk::plist::writeXml(userInfo))});
        ASSERT_TRUE(m_engine->send(signal));
    }

    std::unique_ptr<QVEController> controller;

private:
    QString m_address;
    std::unique_ptr<zelk::Platform> m_previous;
    std::unique_ptr<QDBusConnection> m_engine;
};

TEST_F(ReportBusTest, ReportMessagesFromTheEngineReachTheWindowInOrder)
{
    controller = std::make_unique<QVEController>();
    ASSERT_TRUE(controller->finishLaunching());
    engineSays({{"action", "report"}, {"report", "12:00 first\n"}});
    engineSays({{"action", "report"}, {"report", "12:01 second\n"}});
    ASSERT_TRUE(zelk::test::waitUntil([&] { return controller->reportWindow()->text().contains("second"); }, 10000))
        << "the engine's messages never arrived: " << controller->reportWindow()->text().toStdString();
    EXPECT_EQ(controller->reportWindow()->text(), "12:00 first\n12:01 second\n");

    // Gone with the controller: a later message reaches nobody.
    controller.reset();
    engineSays({{"action", "report"}, {"report", "late\n"}});
    QCoreApplication::processEvents();
}

} // namespace
} // namespace editor::test
