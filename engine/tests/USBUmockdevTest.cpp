// The engine's USB launchers on a real device path: the virtual desktop
// with the linux input backend, run under umockdev-run with the foot pedal
// fixture (platform/linux/tests/fixtures/pedal.*), so the pedal is found by
// libudev and read by libevdev. The fixture presses and lets go the left
// pedal, then turns the wheel one notch down.
#include "DataFileRecords.h"
#include "EngineAppTestSupport.h"
#include "ProbeAction.h"

#include "ClassRegistry.h"
#include "HIDElementMap.h"
#include "LinuxInputDevices.h"
#include "QVShortcut.h"
#include "QVShortcutsManager.h"
#include "QVUSBManager.h"

using namespace engine;
using namespace engine::test;
namespace records = zelk::test::records;

namespace {

// The virtual desktop, with the kernel's input devices.
class PedalDesktop : public zelk::VirtualPlatform {
public:
    zelk::InputDeviceService& inputDevices() override { return m_input; }

private:
    zelk::LinuxInputDevices m_input;
};

QVariantMap pedalLauncher(qint64 id, quint16 type, quint16 code, int usbType, const QVariantMap& settings)
{
    return {{"launcherID", id},
            {"launchertype", 5},
            {"launcherparams", QVariantMap{{"launcherusbvendorid", 0x0B33},
                                           {"launcherusbproductid", 0x0030},
                                           {"launcherusbcookie", qint64(zelk::hidCookieForEvent(type, code))},
                                           {"launcherusbmodifiers", 0},
                                           {"launcherusbtype", usbType},
                                           {"launcherusbproductname", "Foot Pedal"},
                                           {"launcherusbparamsdict", settings}}}};
}

class USBUmockdevTest : public EngineAppTest {
protected:
    void SetUp() override
    {
        EngineAppTest::SetUp();
        installDesktop(std::make_unique<PedalDesktop>());
        zelk::ClassRegistry::shared().registerClass(&RunProbe::classObject());
        onboard();
    }
    void TearDown() override
    {
        for (const auto& cut : QVShortcutsManager::sharedManager().shortcutsArray())
            EXPECT_TRUE(waitUntil([&] { return !cut->isRunning(); }, 10000)) << "a run did not end";
        EngineAppTest::TearDown();
    }
};

} // namespace

TEST_F(USBUmockdevTest, ThePedalAndItsWheelRunTheirShortcuts)
{
    records::DataFiles files;
    files.actions = {records::action(1, "left pedal", "RunProbe", {}), records::action(2, "wheel down", "RunProbe", {}),
                     records::action(3, "middle pedal", "RunProbe", {})};
    files.contexts = {records::context(1, "everywhere", 0)};
    files.launchers = {pedalLauncher(11, 1, 0x100, 0, {}), pedalLauncher(12, 2, 8, 1, {{"launcherusbwheelincrement", -1}}),
                       pedalLauncher(13, 1, 0x101, 0, {})};
    files.shortcuts = {records::shortcut(1, "left pedal", {1}, {11}, {1}), records::shortcut(2, "wheel down", {2}, {12}, {1}),
                       records::shortcut(3, "middle pedal", {3}, {13}, {1})};
    ASSERT_TRUE(files.write(dataFolder()));
    launch();
    ASSERT_TRUE(appl->isStarted());

    zelk::recDevice* pedal = QVUSBManager::sharedManager().deviceWithVendorID(0x0B33, 0x0030);
    ASSERT_NE(pedal, nullptr) << "found through libudev";
    EXPECT_STREQ(pedal->product, "Foot Pedal");
    EXPECT_EQ(pedal->buttons, 3);
    EXPECT_EQ(pedal->wheels, 1);
    EXPECT_TRUE(QVUSBManager::sharedManager().QVUMissingDevices().isEmpty());

    ASSERT_TRUE(waitUntil([] { return probeRuns().count("left pedal") == 1 && probeRuns().count("wheel down") == 1; }));
    for (const auto& cut : QVShortcutsManager::sharedManager().shortcutsArray())
        ASSERT_TRUE(waitUntil([&] { return !cut->isRunning(); }));
    // Each shortcut runs on a thread of its own: the order of the two runs is theirs.
    EXPECT_EQ(probeRuns().lines().size(), 2);
    EXPECT_EQ(probeRuns().count("middle pedal"), 0);
}
