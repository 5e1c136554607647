// Launchers fired by application, system, network, calendar and USB events.
#include "EngineObjectsTestSupport.h"

#include "QVUSBWatch.h"

#include <thread>

using namespace enginetest;
using engine::QVLauncher;

namespace {

class LauncherEventsTest : public EngineObjectsTest {
protected:
    EventLog log;
};

QVariantMap appRecord(quint32 id, int kind, const QString& app)
{
    return launcherRecord(id, QVLauncher::Application, {{"launcherapplicationtype", kind}, {"launcherapplicationapp", app}});
}

TEST_F(LauncherEventsTest, ApplicationLaunchQuitAndFrontChanges)
{
    auto loaded = load({appRecord(1, 0, "gedit"), appRecord(2, 1, "gedit"), appRecord(3, 2, "xterm"), appRecord(4, 3, "gedit"),
                        appRecord(5, 0, "xterm.desktop")});
    auto launched = activeObject("gedit launched", {loaded[0]}, &log);
    auto quit = activeObject("gedit quit", {loaded[1]}, &log);
    auto front = activeObject("xterm front", {loaded[2]}, &log);
    auto left = activeObject("gedit left", {loaded[3]}, &log);
    auto xterm = activeObject("xterm launched", {loaded[4]}, &log);
    log.clear();

    post("AfterLaunchAppNotifcation", {{"AppPathName", "gedit.desktop"}});
    post("FrontAppChangedNotification", {{"LastFrontApp", "gedit.desktop"}, {"NewFrontApp", "xterm.desktop"}});
    post("AfterTerminateAppNotifcation", {{"AppPathName", "gedit.desktop"}});
    post("AfterLaunchAppNotifcation", {{"AppPathName", "xterm.desktop"}});
    post("AfterLaunchAppNotifcation", {{"AppPathName", "geditor.desktop"}});
    EXPECT_EQ(log.lines(), QStringList({"gedit launched run", "gedit left run", "xterm front run", "gedit quit run", "xterm launched run"}));
}

TEST_F(LauncherEventsTest, FrontChangesPostedOffTheMainThreadRunOnIt)
{
    auto launcher = load({appRecord(1, 2, "xterm")})[0];
    auto object = activeObject("xterm front", {launcher});
    std::thread([] { post("FrontAppChangedNotification", {{"LastFrontApp", "gedit.desktop"}, {"NewFrontApp", "xterm.desktop"}}); })
        .join();
    EXPECT_TRUE(zelk::test::waitUntil([&] { return object->runs == 1; }));
}

struct SystemCase {
    const char* notification;
    int kind;
    bool waits; // holds the event back until the objects' runs end
};

void PrintTo(const SystemCase& c, std::ostream* os) { *os << c.notification; }

class SystemEventsTest : public LauncherEventsTest, public ::testing::WithParamInterface<SystemCase> {};

TEST_P(SystemEventsTest, EachSystemEventRunsTheFirstLauncherOfItsKind)
{
    QVariantList records;
    for (int kind = 0; kind < 4; ++kind)
        records << launcherRecord(kind + 1, QVLauncher::System, {{"launchersystemtype", kind}});
    records << launcherRecord(9, QVLauncher::System, {{"launchersystemtype", GetParam().kind}});
    auto loaded = load(records);
    QList<std::shared_ptr<FakeObject>> objects;
    for (int i = 0; i < loaded.size(); ++i)
        objects << activeObject(QString("system %1").arg(i), {loaded[i]}, &log);
    log.clear();

    post(GetParam().notification);
    EXPECT_EQ(log.lines(), QStringList{QString("system %1 run").arg(GetParam().kind)});
    // Sleep and shut-down launchers wait for their objects on threads of
    // their own; boot and wake have nothing to hold back.
    if (GetParam().waits)
        EXPECT_TRUE(zelk::test::waitUntil([&] { return objects[GetParam().kind]->polls > 0; })) << "nobody waited for the runs";
    else
        EXPECT_EQ(objects[GetParam().kind]->polls, 0) << "waited for the runs of an event that cannot be held back";
}

INSTANTIATE_TEST_SUITE_P(System, SystemEventsTest,
                         ::testing::Values(SystemCase{"BootNotification", 0, false}, SystemCase{"GoToSleepNotification", 1, true},
                                           SystemCase{"WakeFromSleepNotification", 2, false},
                                           SystemCase{"ShutdownNotification", 3, true}),
                         [](const auto& info) { return std::string(info.param.notification); });

TEST_F(LauncherEventsTest, TheSleepWaitPollsUntilNothingRuns)
{
    auto launcher = load({launcherRecord(1, QVLauncher::System, {{"launchersystemtype", QVLauncher::Sleep}})})[0];
    auto object = activeObject("sleep", {launcher});
    object->running = true;
    post("GoToSleepNotification");
    ASSERT_TRUE(zelk::test::waitUntil([&] { return object->polls >= 2; }));
    object->running = false;
    // Once idle, the waiter ends: the polls stop.
    ASSERT_TRUE(zelk::test::waitUntil([&] {
        const int seen = object->polls;
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        return object->polls == seen;
    }));
}

TEST_F(LauncherEventsTest, TheShutdownWaitGivesUpOnARunThatNeverEnds)
{
    QVLauncher::setRunWaitTimeout(0.3);
    auto launcher = load({launcherRecord(1, QVLauncher::System, {{"launchersystemtype", QVLauncher::Shutdown}})})[0];
    auto object = activeObject("shutdown", {launcher});
    object->running = true;
    post("ShutdownNotification");
    ASSERT_TRUE(zelk::test::waitUntil([&] {
        const int seen = object->polls;
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        return seen > 0 && object->polls == seen;
    })) << "the waiter stops polling at its bound";
    EXPECT_TRUE(object->running);
}

TEST_F(LauncherEventsTest, NetworkStateChanges)
{
    auto loaded = load({launcherRecord(1, QVLauncher::Network, {{"launchernetworktype", 0}}),
                        launcherRecord(2, QVLauncher::Network, {{"launchernetworktype", 1}})});
    activeObject("network up", {loaded[0]}, &log);
    activeObject("network down", {loaded[1]}, &log);
    log.clear();

    vp->virtualNetwork().simulateChange("State:/Network/Interface/eth0/IPv4", false);
    vp->virtualNetwork().simulateChange("State:/Network/Interface/wlan0/IPv4", true);
    vp->virtualNetwork().simulateChange("State:/Network/Global/DNS", true);
    vp->virtualNetwork().simulateChange("State:/Network/Interface/eth0/IPv6", true);
    EXPECT_EQ(log.lines(), QStringList({"network down run", "network up run"}));
}

TEST_F(LauncherEventsTest, NetworkCentreTellsAnObserverOnceAndRefusesANullOne)
{
    engine::IXSCNotificationCenter centre;
    int told = 0;
    int key = 0;
    centre.addObserver(&key, [&](const QString&) { ++told; });
    centre.addObserver(&key, [&](const QString&) { ++told; }, "State:/Network/Interface/eth1/IPv4");
    centre.addObserver(nullptr, [&](const QString&) { ++told; });
    vp->virtualNetwork().simulateChange("State:/Network/Interface/eth1/IPv4", true);
    EXPECT_EQ(told, 1);
    EXPECT_TRUE(centre.valueForKey("State:/Network/Interface/eth1/IPv4"));
    vp->virtualNetwork().simulateChange("State:/Network/Interface/eth1/IPv4", false);
    EXPECT_FALSE(centre.valueForKey("State:/Network/Interface/eth1/IPv4"));
}

TEST_F(LauncherEventsTest, CalendarChangesByKind)
{
    QVariantList records;
    for (int kind = 0; kind < 3; ++kind)
        records << launcherRecord(kind + 1, QVLauncher::Calendar, {{"launchercalendartype", kind}});
    auto loaded = load(records);
    for (int kind = 0; kind < 3; ++kind)
        activeObject(QString("calendar %1").arg(kind), {loaded[kind]}, &log);
    log.clear();

    vp->virtualCalendar().simulateChange(2, "evolution");
    vp->virtualCalendar().simulateChange(0, "");
    vp->virtualCalendar().simulateChange(1, "gnome-calendar");
    EXPECT_EQ(log.lines(), QStringList({"calendar 2 run", "calendar 0 run", "calendar 1 run"}));
}

// --- USB

class RecordingUSBWatch : public engine::QVUSBWatch {
public:
    void startWaitEventOfDevice(const QVariantMap& element, const QString& name) override
    {
        calls << QString("start %1 %2").arg(element.value("usbelementcookie").toInt()).arg(name);
    }
    void stopWaitEventOfDevice(const QVariantMap& element) override
    {
        calls << QString("stop %1").arg(element.value("usbelementcookie").toInt());
    }
    QStringList calls;
};

class USBLaunchersTest : public LauncherEventsTest {
protected:
    void SetUp() override
    {
        LauncherEventsTest::SetUp();
        engine::QVUSBWatch::install(&watch);
    }
    void TearDown() override
    {
        LauncherEventsTest::TearDown();
        engine::QVUSBWatch::install(nullptr);
    }
    static void usbEvent(int cookie, int value)
    {
        post("USBEventNotification", {{"DeviceEvent", usbDeviceEvent(cookie)}, {"EventValue", value}});
    }
    std::shared_ptr<FakeObject> wheel(int step)
    {
        auto launcher = load({launcherRecord(1, QVLauncher::USBDevice, usbParams(1, 7, {{"launcherusbwheelincrement", step}}))})[0];
        m_wheel = launcher;
        return activeObject("wheel", {launcher});
    }
    RecordingUSBWatch watch;
    std::shared_ptr<QVLauncher> m_wheel;
};

struct WheelCase {
    const char* name;
    int step;
    QList<int> values;
    QList<int> runsAfterEach;
    QList<int> keptAfterEach;
};

void PrintTo(const WheelCase& c, std::ostream* os) { *os << c.name; }

class WheelTest : public USBLaunchersTest, public ::testing::WithParamInterface<WheelCase> {};

TEST_P(WheelTest, WheelAmountsAccumulateUntilAStep)
{
    const WheelCase& c = GetParam();
    auto object = wheel(c.step);
    for (qsizetype i = 0; i < c.values.size(); ++i) {
        usbEvent(7, c.values[i]);
        EXPECT_EQ(object->runs, c.runsAfterEach[i]) << "after event " << i;
        EXPECT_EQ(m_wheel->lastUSBIncrement(), c.keptAfterEach[i]) << "after event " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Wheel, WheelTest,
                         ::testing::Values(WheelCase{"StepThree", 3, {2, 2, 2}, {0, 1, 2}, {2, 1, 0}},
                                           WheelCase{"NegativeStep", -2, {-1, -1}, {0, 1}, {-1, 0}},
                                           WheelCase{"OneBigTurnRunsOnce", 2, {7}, {1}, {5}},
                                           WheelCase{"OtherDirectionDoesNotRun", 2, {-3, -3}, {0, 0}, {-3, -6}},
                                           WheelCase{"StepZeroNeverRuns", 0, {1, -1, 5}, {0, 0, 0}, {1, 0, 5}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(USBLaunchersTest, AnUnusedRemainderExpiresTwoSecondsAfterTheLastEvent)
{
    auto object = wheel(3);
    usbEvent(7, 1);
    advance(1.5);
    usbEvent(7, 1); // 2 kept, for two seconds from now
    advance(1.5);
    EXPECT_EQ(m_wheel->lastUSBIncrement(), 2) << "the first event's expiry no longer counts";
    advance(0.6);
    EXPECT_EQ(m_wheel->lastUSBIncrement(), 0);
    usbEvent(7, 2);
    EXPECT_EQ(object->runs, 0);
}

TEST_F(USBLaunchersTest, ButtonsPressReleaseAndRepeat)
{
    auto loaded = load({
        launcherRecord(1, QVLauncher::USBDevice, usbParams(0, 3, {})),
        launcherRecord(2, QVLauncher::USBDevice, usbParams(0, 4, {{"launcherusbbuttonrelease", true}})),
        launcherRecord(3, QVLauncher::USBDevice,
                       usbParams(0, 5, {{"launcherusbbuttonrepeat", true}, {"launcherusbbuttonrepeatdelay", 0.25}})),
        launcherRecord(4, QVLauncher::USBDevice, usbParams(-1, 6, {})),
    });
    auto press = activeObject("press", {loaded[0]});
    auto onRelease = activeObject("release", {loaded[1]});
    auto repeat = activeObject("repeat", {loaded[2]});
    auto nothing = activeObject("nothing captured", {loaded[3]});

    usbEvent(3, 1);
    usbEvent(3, 0);
    EXPECT_EQ(press->runs, 1);

    usbEvent(4, 1);
    EXPECT_EQ(onRelease->runs, 0);
    usbEvent(4, 0);
    EXPECT_EQ(onRelease->runs, 1);

    usbEvent(5, 1);
    advance(0.25);
    advance(0.25);
    EXPECT_EQ(repeat->runs, 3);
    usbEvent(5, 0);
    advance(1.0);
    EXPECT_EQ(repeat->runs, 3);

    usbEvent(6, 1);
    usbEvent(6, 0);
    usbEvent(99, 1);
    EXPECT_EQ(nothing->runs, 0);
}

TEST_F(USBLaunchersTest, TheDeviceMustMatchEveryField)
{
    auto object = wheel(1);
    QVariantMap other = usbDeviceEvent(7);
    other["usbmodifiers"] = 0x20000;
    post("USBEventNotification", {{"DeviceEvent", other}, {"EventValue", 1}});
    EXPECT_EQ(object->runs, 0);
    other["usbmodifiers"] = 0;
    post("USBEventNotification", {{"DeviceEvent", other}, {"EventValue", 1}});
    EXPECT_EQ(object->runs, 1);
}

TEST_F(USBLaunchersTest, TheUSBManagerWatchesTheLaunchersDevices)
{
    QVariantMap noModifiers = usbParams(1, 8, {{"launcherusbwheelincrement", 1}});
    noModifiers.remove("launcherusbmodifiers"); // as the editor's ready-made record
    auto loaded = load({launcherRecord(1, QVLauncher::USBDevice, usbParams(0, 7, {})),
                        launcherRecord(2, QVLauncher::USBDevice, noModifiers), keyRecord(3, CmdA)});
    EXPECT_EQ(watch.calls, QStringList({"start 7 Mouse", "start 8 Mouse"}));
    EXPECT_EQ(loaded[1]->usbElementDict().value("usbmodifiers").toInt(), 0);

    launchers().resetLaunchers();
    EXPECT_EQ(watch.calls, QStringList({"start 7 Mouse", "start 8 Mouse", "stop 7", "stop 8"}));
}

} // namespace
