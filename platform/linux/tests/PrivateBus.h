#pragma once
// A private D-Bus daemon for the tests, never the machine's own buses. It
// stands in for both the session and the system bus: QtDBus sets up its
// default buses together and keeps them once made, so both addresses are
// put in place before the program's first use of either. Started at the
// first test that asks, stopped after the last.
#include "TestSupport.h"

#include <QDBusConnection>
#include <QString>
#include <gtest/gtest.h>
#include <memory>
#include <utility>

namespace zelk::test {

// The bus address; empty when no bus could start (whyNot says why).
QString privateBus(QString* whyNot);

// Waits until everything this process sent on its system bus before the
// call has reached `service` and been answered, and the answers handed out:
// a call of our own to it (`interface`.`method` on `path`), queued behind
// them on the same connection, comes back after them. Repeated `rounds`
// times for work that goes on in several steps. False when a round never
// came back.
bool settleSystemBus(const QString& service, const QString& path, const QString& interface, const QString& method,
                     const QVariantList& arguments = {}, int rounds = 2);

// A test that plays a system service on the private bus, through a
// connection of its own named `connectionName`; skips without the bus
// (fails in CI).
class PrivateBusServiceTest : public ::testing::Test {
protected:
    explicit PrivateBusServiceTest(QString connectionName) : m_name(std::move(connectionName)) {}

    void SetUp() override
    {
        QString whyNot;
        const QString address = privateBus(&whyNot);
        if (address.isEmpty())
            ZELK_SKIP_UNLESS_CI("no private bus: " << whyNot.toStdString());
        ASSERT_TRUE(QDBusConnection::systemBus().isConnected()) << "the system bus was connected before the test set its address";
        bus = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address, m_name));
        ASSERT_TRUE(bus->isConnected());
    }

    // Derived fixtures unregister their objects and services first.
    void TearDown() override
    {
        if (bus) {
            bus.reset();
            QDBusConnection::disconnectFromBus(m_name);
        }
    }

    std::unique_ptr<QDBusConnection> bus;

private:
    QString m_name;
};

} // namespace zelk::test
