// Sleep, wake and power-off against a small logind of the test's own on a
// private bus that stands in for the system bus: never the machine's own.
#include "LinuxPower.h"
#include "PrivateBus.h"
#include "TestSupport.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <gtest/gtest.h>
#include <memory>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

using namespace zelk;
using Event = PowerService::Event;

namespace {

// The part of logind the backend uses: Inhibit answers the write end of a
// pipe, so the test sees the inhibitor let go when that end closes.
class FakeLogind : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
public:
    ~FakeLogind() override
    {
        for (int fd : readEnds)
            ::close(fd);
    }

    QList<QStringList> requests;
    QList<int> readEnds;

    // Whether the descriptor of the request is closed everywhere.
    bool released(int request) const
    {
        char c;
        return ::read(readEnds.value(request), &c, 1) == 0;
    }

public slots:
    QDBusUnixFileDescriptor Inhibit(const QString& what, const QString& who, const QString& why, const QString& mode)
    {
        requests << QStringList{what, who, why, mode};
        int fds[2];
        if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0)
            return {};
        readEnds << fds[0];
        QDBusUnixFileDescriptor answer(fds[1]); // a copy
        ::close(fds[1]);
        return answer;
    }
};

class LinuxPowerTest : public zelk::test::PrivateBusServiceTest {
protected:
    LinuxPowerTest() : PrivateBusServiceTest("fake-logind") {}

    void SetUp() override
    {
        PrivateBusServiceTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ASSERT_TRUE(bus->registerService("org.freedesktop.login1"));
        ASSERT_TRUE(bus->registerObject("/org/freedesktop/login1", &logind, QDBusConnection::ExportAllSlots));
    }

    void TearDown() override
    {
        power.reset();
        if (bus) {
            bus->unregisterObject("/org/freedesktop/login1");
            bus->unregisterService("org.freedesktop.login1");
        }
        PrivateBusServiceTest::TearDown();
    }

    void emitSignal(const char* name, bool start)
    {
        QDBusMessage signal = QDBusMessage::createSignal("/org/freedesktop/login1", "org.freedesktop.login1.Manager", name);
        signal << start;
        ASSERT_TRUE(bus->send(signal));
    }

    bool holding(int request) { return logind.requests.size() > request && !logind.released(request); }
    // Everything the backend had queued or sent to logind has been done:
    // a release or an inhibitor that should not come would be here by now.
    void settle()
    {
        ASSERT_TRUE(zelk::test::settleSystemBus("org.freedesktop.login1", "/org/freedesktop/login1",
                                                "org.freedesktop.DBus.Peer", "Ping"));
    }

    FakeLogind logind;
    std::unique_ptr<LinuxPower> power = std::make_unique<LinuxPower>();
};

TEST_F(LinuxPowerTest, DelayInhibitorIsHeldOnlyWhileObserved)
{
    settle();
    EXPECT_TRUE(logind.requests.isEmpty()) << "an inhibitor without observers";
    ObserverHandle h = power->observe([](Event, std::function<void()>) {});
    ASSERT_TRUE(zelk::test::waitUntil([&] { return holding(0); })) << "no inhibitor taken";
    EXPECT_EQ(logind.requests[0],
              QStringList({"sleep:shutdown", "Zelk", "Running sleep and shut-down shortcuts", "delay"}));
    h.reset();
    EXPECT_TRUE(zelk::test::waitUntil([&] { return logind.released(0); })) << "kept after the last observer went";
}

TEST_F(LinuxPowerTest, SleepWaitsForEveryObserverAndWakeTakesANewInhibitor)
{
    QList<Event> first, second;
    std::function<void()> doneFirst, doneSecond;
    ObserverHandle a = power->observe([&](Event e, std::function<void()> done) { first << e; doneFirst = done; });
    ObserverHandle b = power->observe([&](Event e, std::function<void()> done) { second << e; doneSecond = done; });
    ASSERT_TRUE(zelk::test::waitUntil([&] { return holding(0); }));

    emitSignal("PrepareForSleep", true);
    ASSERT_TRUE(zelk::test::waitUntil([&] { return !first.isEmpty() && !second.isEmpty(); }));
    EXPECT_EQ(first, QList<Event>{Event::WillSleep});
    EXPECT_EQ(second, QList<Event>{Event::WillSleep});
    doneFirst();
    doneFirst();  // twice counts once
    settle();
    EXPECT_TRUE(holding(0)) << "let go before every observer answered";
    std::thread([&] { doneSecond(); }).join();  // an answer from an action thread
    EXPECT_TRUE(zelk::test::waitUntil([&] { return logind.released(0); })) << "sleep kept waiting after every answer";

    emitSignal("PrepareForSleep", false);
    ASSERT_TRUE(zelk::test::waitUntil([&] { return first.size() == 2 && second.size() == 2; }));
    EXPECT_EQ(first.last(), Event::DidWake);
    EXPECT_TRUE(zelk::test::waitUntil([&] { return holding(1); })) << "no new inhibitor after waking";
}

TEST_F(LinuxPowerTest, PowerOffWaitsNoLongerThanTheBound)
{
    QList<Event> events;
    ObserverHandle h = power->observe([&](Event e, std::function<void()>) { events << e; });  // never answers
    ASSERT_TRUE(zelk::test::waitUntil([&] { return holding(0); }));
    emitSignal("PrepareForShutdown", true);
    ASSERT_TRUE(zelk::test::waitUntil([&] { return !events.isEmpty(); }));
    EXPECT_EQ(events, QList<Event>{Event::WillPowerOff});
    settle();
    EXPECT_TRUE(holding(0));
    EXPECT_TRUE(zelk::test::waitUntil([&] { return logind.released(0); }, 3 * LinuxPower::kReplyBoundMilliseconds))
        << "power-off waited for ever on an observer that never answered";

    // Called off: the next power-off is delayed again.
    emitSignal("PrepareForShutdown", false);
    EXPECT_TRUE(zelk::test::waitUntil([&] { return holding(1); }));
}

TEST_F(LinuxPowerTest, WithoutLogindNothingArrivesAndNothingBreaks)
{
    bus->unregisterObject("/org/freedesktop/login1");
    bus->unregisterService("org.freedesktop.login1");
    int calls = 0;
    ObserverHandle h = power->observe([&](Event, std::function<void()>) { ++calls; });
    settle();
    EXPECT_TRUE(logind.requests.isEmpty());
    EXPECT_EQ(calls, 0);
}

} // namespace

#include "LinuxPowerTest.moc"
