#include "PrivateBus.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <memory>

#include <csignal>
#include <sys/prctl.h>

namespace zelk::test {

namespace {

class PrivateBusEnvironment : public ::testing::Environment {
public:
    void TearDown() override
    {
        if (daemon) {
            daemon->terminate();
            daemon->waitForFinished(3000);
            daemon.reset();
        }
        over = true;
    }

    void start()
    {
        started = true;
        const QString program = QStandardPaths::findExecutable("dbus-daemon");
        if (program.isEmpty()) {
            error = "dbus-daemon is not installed";
            return;
        }
        daemon = std::make_unique<QProcess>();
        // The bus goes with us even when the test program dies.
        daemon->setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
        daemon->start(program, {"--session", "--print-address=1", "--nofork"});
        if (daemon->waitForStarted(5000) && daemon->waitForReadyRead(5000))
            address = QString::fromLocal8Bit(daemon->readLine()).trimmed();
        if (address.isEmpty()) {
            error = "dbus-daemon reported no address";
            return;
        }
        qputenv("DBUS_SESSION_BUS_ADDRESS", address.toLocal8Bit());
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", address.toLocal8Bit());
    }

    std::unique_ptr<QProcess> daemon;
    QString address, error;
    bool started = false, over = false;
};

PrivateBusEnvironment* const environment =
    static_cast<PrivateBusEnvironment*>(::testing::AddGlobalTestEnvironment(new PrivateBusEnvironment));

} // namespace

QString privateBus(QString* whyNot)
{
    if (environment->over) {
        *whyNot = "the private bus is already stopped";
        return {};
    }
    if (!environment->started)
        environment->start();
    *whyNot = environment->error;
    return environment->address;
}

bool settleSystemBus(const QString& service, const QString& path, const QString& interface, const QString& method,
                     const QVariantList& arguments, int rounds)
{
    for (int i = 0; i < rounds; ++i) {
        // The backend's own queued work first: it may send something.
        QCoreApplication::processEvents();
        QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, method);
        call.setArguments(arguments);
        const QDBusPendingCall pending = QDBusConnection::systemBus().asyncCall(call);
        if (!waitUntil([&] { return pending.isFinished(); }))
            return false;
        // Answers that came before ours are handed out in their order.
        QCoreApplication::processEvents();
    }
    return true;
}

} // namespace zelk::test
