// USB launchers in the engine on the virtual desktop's input devices: data
// files on disk, devices plugged, pressed, turned, unplugged, and the
// shortcuts that run (a test action type that logs its runs).
#include "DataFileRecords.h"
#include "EngineAppTestSupport.h"
#include "ProbeAction.h"

#include "ClassRegistry.h"
#include "HIDElementMap.h"
#include "QVShortcut.h"
#include "QVShortcutsManager.h"
#include "QVUSBManager.h"
#include "QVUSBMissingPanel.h"
#include "UserDefaults.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

using namespace engine;
using namespace engine::test;
namespace records = zelk::test::records;
using V = zelk::VirtualInputDevices;

namespace {

constexpr qint64 kPedalVendor = 0x0b33, kPedalProduct = 0x0030; // an ordinary three-pedal device
constexpr quint16 kLeftPedal = V::Button0, kRightPedal = V::Button0 + 2;
constexpr qint64 kShift = 0x20000;

zelk::InputDeviceInfo pedals()
{
    return V::usbDevice("pedals", kPedalVendor, kPedalProduct, "Foot Pedal", {kLeftPedal, V::Button0 + 1, kRightPedal}, true);
}

zelk::InputDeviceInfo keyboard()
{
    return V::usbDevice("keyboard", 0x413c, 0x2107, "USB Keyboard", {V::KeyLeftCtrl, V::KeyA, V::KeyLeftShift});
}

QVariantMap usbLauncher(qint64 id, quint16 code, int usbType, const QVariantMap& settings, qint64 modifiers = 0,
                        qint64 vendor = kPedalVendor, const QString& name = "Foot Pedal", qint64 product = kPedalProduct)
{
    const quint16 eventType = usbType == 1 ? zelk::InputDeviceService::RelativeEvent : zelk::InputDeviceService::KeyEvent;
    return {{"launcherID", id},
            {"launchertype", 5},
            {"launcherparams", QVariantMap{{"launcherusbvendorid", vendor},
                                           {"launcherusbproductid", product},
                                           {"launcherusbcookie", qint64(zelk::hidCookieForEvent(eventType, code))},
                                           {"launcherusbmodifiers", modifiers},
                                           {"launcherusbtype", usbType},
                                           {"launcherusbproductname", name},
                                           {"launcherusbparamsdict", settings}}},
            {"launchereditorrect", "{{0, 0}, {0, 0}}"}};
}

class USBEngineTest : public EngineAppTest {
protected:
    void SetUp() override
    {
        EngineAppTest::SetUp();
        zelk::ClassRegistry::shared().registerClass(&RunProbe::classObject());
        probeRuns().clear();
        onboard();
    }
    void TearDown() override
    {
        for (const auto& cut : QVShortcutsManager::sharedManager().shortcutsArray())
            EXPECT_TRUE(waitUntil([&] { return !cut->isRunning(); }, 10000)) << "a run did not end";
        EngineAppTest::TearDown();
    }
    // One shortcut per launcher, each running a probe named after it.
    void writeData(const QList<QPair<QString, QVariantMap>>& launchers)
    {
        QVariantList actions, launcherRecords, shortcuts;
        qint64 id = 1;
        for (const auto& [name, launcher] : launchers) {
            actions << records::action(id, name, "RunProbe", {});
            launcherRecords << launcher;
            shortcuts << records::shortcut(id, name, {id}, {launcher.value("launcherID").toLongLong()}, {1});
            ++id;
        }
        records::DataFiles files;
        files.actions = actions;
        files.contexts = {records::context(1, "everywhere", 0)};
        files.launchers = launcherRecords;
        files.shortcuts = shortcuts;
        ASSERT_TRUE(files.write(dataFolder()));
    }
    V& devices() { return desktop->virtualInputDevices(); }
    bool ranTimes(const QString& name, int times) { return waitUntil([&] { return probeRuns().count(name) >= times; }); }
    // Lets every delivery queued so far happen, then the shortcuts end.
    void settle()
    {
        QCoreApplication::processEvents();
        for (const auto& cut : QVShortcutsManager::sharedManager().shortcutsArray())
            ASSERT_TRUE(waitUntil([&] { return !cut->isRunning(); }));
    }
};

} // namespace

TEST_F(USBEngineTest, ButtonsAndWheelsRunTheirShortcuts)
{
    writeData({{"left pedal", usbLauncher(11, kLeftPedal, 0, {})},
               {"on release", usbLauncher(12, kRightPedal, 0, {{"launcherusbbuttonrelease", true}})},
               {"wheel", usbLauncher(13, V::WheelCode, 1, {{"launcherusbwheelincrement", 2}})}});
    devices().plug(pedals());
    launch();
    ASSERT_TRUE(appl->isStarted());
    EXPECT_TRUE(QVUSBManager::sharedManager().QVUMissingDevices().isEmpty());

    devices().pressButton("pedals", kLeftPedal);
    ASSERT_TRUE(ranTimes("left pedal", 1));
    devices().releaseButton("pedals", kLeftPedal);

    // Press and release in one report: the release is not lost, so the
    // run-on-release launcher runs.
    devices().report("pedals", {{zelk::InputDeviceService::KeyEvent, kRightPedal, 1, 0},
                                {zelk::InputDeviceService::KeyEvent, kRightPedal, 0, 0}});
    ASSERT_TRUE(ranTimes("on release", 1));

    devices().turnWheel("pedals", 1);
    settle();
    EXPECT_EQ(probeRuns().count("wheel"), 0) << "half a step";
    devices().turnWheel("pedals", 1);
    ASSERT_TRUE(ranTimes("wheel", 1));
    settle();
    EXPECT_EQ(probeRuns().lines(), QStringList({"left pedal", "on release", "wheel"}));
}

TEST_F(USBEngineTest, ModifiersHeldOnTheUSBKeyboardChooseTheLauncher)
{
    writeData({{"plain", usbLauncher(11, kLeftPedal, 0, {})}, {"with shift", usbLauncher(12, kLeftPedal, 0, {}, kShift)}});
    devices().plug(keyboard());
    devices().plug(pedals());
    launch();

    devices().report("keyboard", {{zelk::InputDeviceService::KeyEvent, V::KeyLeftShift, 1, 0}});
    devices().pressButton("pedals", kLeftPedal);
    ASSERT_TRUE(ranTimes("with shift", 1));
    EXPECT_EQ(appl->modifierState(), quint32(kShift));
    devices().releaseButton("pedals", kLeftPedal);
    settle();

    // Shift let go in the same report as another key: it must not stick.
    devices().report("keyboard", {{zelk::InputDeviceService::KeyEvent, V::KeyA, 1, 0},
                                  {zelk::InputDeviceService::KeyEvent, V::KeyLeftShift, 0, 0},
                                  {zelk::InputDeviceService::KeyEvent, V::KeyLeftCtrl, 1, 0}});
    devices().pressButton("pedals", kLeftPedal);
    settle();
    EXPECT_EQ(appl->modifierState(), 0x40000u) << "control held, shift let go";
    EXPECT_EQ(probeRuns().lines(), QStringList({"with shift"})) << "control and a pedal is neither launcher";
    devices().report("keyboard", {{zelk::InputDeviceService::KeyEvent, V::KeyLeftCtrl, 0, 0}});
    devices().releaseButton("pedals", kLeftPedal);
    devices().pressButton("pedals", kLeftPedal);
    ASSERT_TRUE(ranTimes("plain", 1));
}

TEST_F(USBEngineTest, TheWatchedKeyboardCanTriggerToo)
{
    constexpr qint64 kControl = 0x40000;
    writeData({{"ctrl a", usbLauncher(11, V::KeyA, 0, {}, kControl, 0x413c, "USB Keyboard", 0x2107)},
               {"shift pedal", usbLauncher(12, kLeftPedal, 0, {}, kShift)}});
    devices().plug(keyboard());
    devices().plug(pedals());
    launch();

    devices().report("keyboard", {{zelk::InputDeviceService::KeyEvent, V::KeyLeftCtrl, 1, 0}});
    devices().report("keyboard", {{zelk::InputDeviceService::KeyEvent, V::KeyA, 1, 0}});
    ASSERT_TRUE(ranTimes("ctrl a", 1)) << "one queue for the keyboard's modifiers and its trigger";
    devices().report("keyboard", {{zelk::InputDeviceService::KeyEvent, V::KeyA, 0, 0},
                                  {zelk::InputDeviceService::KeyEvent, V::KeyLeftCtrl, 0, 0}});
    settle();
    EXPECT_EQ(appl->modifierState(), 0u);

    // The keyboard goes and comes back: its modifiers are watched again.
    devices().unplug("keyboard");
    ASSERT_TRUE(waitUntil([] { return !QVUSBManager::sharedManager().deviceWithVendorID(0x413c, 0x2107); }));
    devices().plug(keyboard());
    ASSERT_TRUE(waitUntil([] { return QVUSBManager::sharedManager().deviceWithVendorID(0x413c, 0x2107); }));
    devices().report("keyboard", {{zelk::InputDeviceService::KeyEvent, V::KeyLeftShift, 1, 0}});
    devices().pressButton("pedals", kLeftPedal);
    ASSERT_TRUE(ranTimes("shift pedal", 1));
    devices().report("keyboard", {{zelk::InputDeviceService::KeyEvent, V::KeyLeftShift, 0, 0},
                                  {zelk::InputDeviceService::KeyEvent, V::KeyLeftCtrl, 1, 0}});
    devices().report("keyboard", {{zelk::InputDeviceService::KeyEvent, V::KeyA, 1, 0}});
    ASSERT_TRUE(ranTimes("ctrl a", 2)) << "its trigger too";
}

TEST_F(USBEngineTest, UnpluggedDevicesAreWatchedAgainWhenTheyReturn)
{
    writeData({{"left pedal", usbLauncher(11, kLeftPedal, 0, {})}});
    devices().plug(pedals());
    launch();
    devices().pressButton("pedals", kLeftPedal);
    devices().releaseButton("pedals", kLeftPedal);
    ASSERT_TRUE(ranTimes("left pedal", 1));

    zelk::test::LogCapture log;
    devices().unplug("pedals");
    ASSERT_TRUE(waitUntil([] { return !QVUSBManager::sharedManager().deviceWithVendorID(kPedalVendor, kPedalProduct); }));
    EXPECT_TRUE(log.contains("USB device removed: Foot Pedal"));
    EXPECT_EQ(devices().readerCount("pedals"), 0);

    devices().plug(pedals());
    ASSERT_TRUE(waitUntil([] { return QVUSBManager::sharedManager().deviceWithVendorID(kPedalVendor, kPedalProduct); }));
    EXPECT_EQ(devices().readerCount("pedals"), 1) << "watched again";
    devices().pressButton("pedals", kLeftPedal);
    ASSERT_TRUE(ranTimes("left pedal", 2));
}

TEST_F(USBEngineTest, MissingDevicesAreShownOnceAtStartUp)
{
    writeData({{"left", usbLauncher(11, kLeftPedal, 0, {}, 0, 0x0777)},
               {"right", usbLauncher(12, kRightPedal, 0, {}, 0, 0x0777)},
               {"again", usbLauncher(13, kRightPedal, 0, {}, kShift, 0x0777)},
               {"there", usbLauncher(14, kLeftPedal, 0, {})}});
    devices().plug(pedals());
    launch();

    const QVariantList missing = QVUSBManager::sharedManager().QVUMissingDevices();
    ASSERT_EQ(missing.size(), 2) << "one description per device element; the same one twice is kept once";
    EXPECT_EQ(missing[0].toMap(), QVariantMap({{"usbelementvendorid", 0x0777},
                                               {"usbelementproductid", kPedalProduct},
                                               {"usbelementcookie", qint64(zelk::hidCookieForEvent(1, kLeftPedal))},
                                               {"deviceName", "Foot Pedal"}}));
    QVUSBMissingPanel* panel = appl->usbMissingPanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->titleField()->text(), "USB device not found: Foot Pedal") << "a name once";
    EXPECT_FALSE(panel->descriptionField()->text().isEmpty());

    panel->dontShowAgainCheck()->setChecked(true);
    panel->button()->click();
    EXPECT_FALSE(panel->isVisible());
    EXPECT_TRUE(zelk::UserDefaults::standard().boolForKey("QVUSBMissingWindow"));
}

TEST_F(USBEngineTest, TheChoiceNotToSeeThePanelHoldsUntilOptionIsHeldAtStart)
{
    writeData({{"left", usbLauncher(11, kLeftPedal, 0, {}, 0, 0x0777)}});
    zelk::UserDefaults::standard().setValue("QVUSBMissingWindow", true);
    {
        zelk::test::LogCapture log;
        launch();
        EXPECT_EQ(appl->usbMissingPanel(), nullptr);
        EXPECT_TRUE(log.contains("ignoring/disabling 1 missing devices (hold option key on startup to see)"));
    }
    appl.reset();
    desktop->userPressesKey(58); // Alt, the stored option key
    launch();
    ASSERT_NE(appl->usbMissingPanel(), nullptr);
    EXPECT_TRUE(appl->usbMissingPanel()->isVisible());
    EXPECT_FALSE(zelk::UserDefaults::standard().contains("QVUSBMissingWindow"));
}

TEST(USBPedalTest, PedalBitsBecomeCookies)
{
    struct Step {
        qint64 cookie;
        int value;
        qint64 reported;
    } steps[] = {
        {2, 4, 18}, // the third pedal: bit 2
        {2, 0, 18}, // its release reports the same
        {2, 0, 0},  // a second release has nothing left
        {2, 1, 16},
        {2, 6, 18}, // two pedals: the highest bit
        {2, 0, 18},
    };
    for (const auto& s : steps)
        EXPECT_EQ(QVUSBManager::decodeCookie(s.cookie, s.value, 1523, 774), s.reported) << s.cookie << " " << s.value;
    EXPECT_EQ(QVUSBManager::decodeCookie(2, 4, 1523, 775), 2) << "other products keep their cookies";
}
