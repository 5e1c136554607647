// The editor's USB manager: the usable devices, and the capture of one
// button or wheel event for the launcher editor's window.
#include "QVUSBManager.h"

#include "HIDElementMap.h"
#include "TestSupport.h"
#include "VirtualPlatform.h"

#include <QApplication>
#include <QWidget>
#include <gtest/gtest.h>

using namespace zelk;
using editor::QVUSBManager;

namespace {

using V = VirtualInputDevices;

// A window that takes USB input, as the launcher editor does.
class CaptureWindow : public QWidget, public editor::QVUSBEventReceiver {
public:
    void HIDEvent(int value, const recElement& element, const recDevice& device) override
    {
        events << QString("%1 %2:%3 %4 kind %5")
                      .arg(device.product)
                      .arg(element.usagePage)
                      .arg(element.usage)
                      .arg(value)
                      .arg(editor::kindOfElement(&element, &device));
    }
    QStringList events;
};

class EditorUSBTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        retired().push_back(Platform::install(std::make_unique<VirtualPlatform>()));
        devices = &VirtualPlatform::current()->virtualInputDevices();
    }
    void TearDown() override { HIDDisposeDeviceList(); }
    static std::vector<std::unique_ptr<Platform>>& retired()
    {
        static std::vector<std::unique_ptr<Platform>> platforms;
        return platforms;
    }
    // Shows the window and waits until it is the active one.
    static void activate(QWidget& window)
    {
        window.show();
        window.activateWindow();
        ASSERT_TRUE(test::waitUntil([&] { return QApplication::activeWindow() == &window; }));
    }
    VirtualInputDevices* devices = nullptr;
    QVUSBManager manager;
};

const QVariantMap kMouse{{"vendorID", 0x46d}, {"productID", 0xc077}};

} // namespace

TEST_F(EditorUSBTest, OnlyDevicesWithButtonsOrWheelsAreOffered)
{
    devices->plug(V::usbDevice("mouse", 0x46d, 0xc077, "USB Optical Mouse", {V::ButtonLeft, V::ButtonRight, V::ButtonMiddle}, true));
    devices->plug(V::usbDevice("keys", 0x413c, 0x2107, "USB Keyboard", {V::KeyLeftCtrl, V::KeyA}));
    devices->plug(V::usbDevice("xkeys", 0x05F3, 0x0405, "Button Panel", {}));
    const QVariantList offered = manager.devicesArray();
    ASSERT_EQ(offered.size(), 2);
    EXPECT_EQ(offered[0].toMap(), QVariantMap({{"vendorID", 0x46d},
                                               {"productID", 0xc077},
                                               {"productname", "USB Optical Mouse"},
                                               {"buttoncount", 3},
                                               {"wheelcount", 1}}));
    EXPECT_EQ(offered[1].toMap().value("productname"), "Button Panel") << "every product of that vendor";

    // Built once per run: a device plugged later is not offered.
    devices->plug(V::usbDevice("pad", 0x54c, 0x268, "Game Pad", {0x130}));
    ASSERT_TRUE(test::waitUntil([] { return HIDDeviceCount() == 4; }));
    EXPECT_EQ(manager.devicesArray().size(), 2);
}

TEST_F(EditorUSBTest, TheFirstButtonOrTurnedWheelOfABatchIsHandedOver)
{
    devices->plug(V::usbDevice("mouse", 0x46d, 0xc077, "USB Optical Mouse", {V::ButtonLeft, V::ButtonRight}, true));
    manager.devicesArray();
    CaptureWindow window;
    activate(window);
    manager.startWaitEventOfDevice(kMouse);

    // A wheel report of 0 is passed over for the button after it; the second
    // button of the batch is dropped; a release is handed over like a press.
    devices->report("mouse", {{InputDeviceService::RelativeEvent, V::WheelCode, 0, 0},
                              {InputDeviceService::KeyEvent, V::ButtonRight, 1, 0},
                              {InputDeviceService::KeyEvent, V::ButtonLeft, 1, 0}});
    devices->releaseButton("mouse", V::ButtonRight);
    devices->turnWheel("mouse", -1);
    ASSERT_TRUE(test::waitUntil([&] { return window.events.size() == 3; }));
    EXPECT_EQ(window.events, QStringList({"USB Optical Mouse 9:2 1 kind 0", "USB Optical Mouse 9:2 0 kind 0",
                                          "USB Optical Mouse 1:56 -1 kind 1"}));

    manager.stopWaitEventOfDevice(kMouse);
    EXPECT_EQ(devices->readerCount("mouse"), 0);
    devices->pressButton("mouse", V::ButtonLeft);
    QCoreApplication::processEvents();
    EXPECT_EQ(window.events.size(), 3);
}

TEST_F(EditorUSBTest, WithoutAReceivingWindowEventsAreConsumed)
{
    devices->plug(V::usbDevice("mouse", 0x46d, 0xc077, "USB Optical Mouse", {V::ButtonLeft}, true));
    manager.devicesArray();
    QWidget plain;
    activate(plain);
    manager.startWaitEventOfDevice(kMouse);
    manager.startWaitEventOfDevice(kMouse); // the first queue stays
    devices->pressButton("mouse", V::ButtonLeft);
    recDevice* device = manager.deviceWithVendorID(0x46d, 0xc077);
    ASSERT_NE(device, nullptr);
    ASSERT_TRUE(test::waitUntil([&] { return HIDReadElementValue(device, hid_ElementWithCookie(device, 0x1110)) == 1; }));
    HIDQueueEvent left;
    EXPECT_FALSE(HIDNextQueuedEvent(device, &left)) << "read and consumed";
    EXPECT_EQ(manager.deviceWithVendorID(1, 2), nullptr);
    manager.startWaitEventOfDevice({{"vendorID", 1}, {"productID", 2}}); // not there: ignored
}

TEST(EditorUSBKindTest, KindsOfElements)
{
    struct Case {
        const char* name;
        int64_t vendor, product, page, usage;
        uint32_t cookie;
        int64_t min, max;
        editor::HIDElementKind kind;
    } cases[] = {
        {"wheel", 1, 1, 1, 0x38, 0, -127, 127, editor::HIDElementWheel},
        {"pointer axis", 1, 1, 1, 0x30, 0, -127, 127, editor::HIDElementNotSupported},
        {"key", 1, 1, 7, 0x04, 0, 0, 1, editor::HIDElementButton},
        {"button", 1, 1, 9, 3, 0, 0, 1, editor::HIDElementButton},
        {"consumer key", 1, 1, 0x0C, 0xE9, 0, 0, 1, editor::HIDElementNotSupported},
        {"vendor on-off", 1, 1, 0xFF01, 240, 0, 0, 1, editor::HIDElementButton},
        {"vendor range", 1, 1, 0xFF00, 3, 0, 0, 7, editor::HIDElementNotSupported},
        {"pedals bit field", 0x05F3, 0x306, 0xFF00, 3, 0, 0, 7, editor::HIDElementButton},
        {"panel wheel cookie", 0x05F3, 0x241, 0xFF00, 3, 157, -5, 5, editor::HIDElementWheel},
        {"panel button cookie", 0x05F3, 0x241, 0xFF00, 3, 88, -5, 5, editor::HIDElementButton},
        {"panel other cookie", 0x05F3, 0x241, 0xFF00, 3, 89, -5, 5, editor::HIDElementNotSupported},
    };
    test::LogCapture log; // the unsupported ones are logged
    for (const auto& c : cases) {
        recDevice device;
        device.vendorID = c.vendor;
        device.productID = c.product;
        recElement element;
        element.usagePage = c.page;
        element.usage = c.usage;
        element.cookie = c.cookie;
        element.min = c.min;
        element.max = c.max;
        EXPECT_EQ(editor::kindOfElement(&element, &device), c.kind) << c.name;
    }
    EXPECT_TRUE(log.contains("please report to support."));
    EXPECT_EQ(editor::kindOfElement(nullptr, nullptr), editor::HIDElementNotSupported);
}
