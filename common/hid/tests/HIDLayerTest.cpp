// The element tree, names and values of the HID device layer, on records
// built from properties as the device list builds them.
#include "HIDTestSupport.h"

#include "HIDElementMap.h"
#include "PropertyList.h"

#include <QStringList>

using namespace zelk;
using namespace hidtest;

namespace {

QStringList walk(const recDevice* device, uint32_t mask)
{
    QStringList seen;
    for (const recElement* e = HIDFirstElement(device, mask); e; e = HIDNextElement(e, mask))
        seen << QString("%1:%2@%3").arg(e->usagePage).arg(e->usage).arg(e->depth);
    return seen;
}

using ElementTreeTest = HIDTest;

} // namespace

TEST_F(ElementTreeTest, TheWalkVisitsEveryTopLevelCollection)
{
    // A keyboard collection, then a mouse collection with a nested pointer
    // collection, then a loose button: everything after the first
    // collection must still be found.
    const QVariantMap properties{
        {"VendorID", 1}, {"ProductID", 2}, {"Product", "Combo"},
        {"Elements", QVariantList{
             collection(1, 6, 1, {element(2, 7, 0xE0, 10), element(2, 7, 0x04, 11)}),
             collection(1, 2, 2, {collection(1, 1, 3, {element(2, 9, 1, 20), element(1, 1, 0x38, 21, {{"Min", -127}, {"Max", 127}})}),
                                  element(2, 9, 2, 22)}),
             element(2, 9, 3, 23),
         }}};
    auto device = hid_MakeDevice(properties);
    ASSERT_FALSE(HIDDeviceInList(device.get()));
    EXPECT_EQ(HIDFirstElement(device.get(), kHIDElementTypeAll), nullptr) << "an unlisted device has no walk";

    EXPECT_EQ(device->totalElements, 9);
    EXPECT_EQ(device->collections, 3);
    EXPECT_EQ(device->inputs, 6);
    EXPECT_EQ(device->buttons, 3);
    EXPECT_EQ(device->wheels, 1);
    EXPECT_EQ(device->usagePage, 9) << "no primary usage in the properties: taken from the entries, the last wins";
    EXPECT_EQ(device->usage, 3);

    // The tree itself, link by link.
    const recElement* keyboard = device->firstElement;
    ASSERT_NE(keyboard, nullptr);
    ASSERT_NE(keyboard->firstChild, nullptr);
    EXPECT_EQ(keyboard->firstChild->usage, 0xE0);
    EXPECT_EQ(keyboard->firstChild->depth, 1);
    EXPECT_EQ(keyboard->firstChild->previous, keyboard);
    const recElement* mouse = keyboard->nextSibling;
    ASSERT_NE(mouse, nullptr);
    EXPECT_EQ(mouse->usage, 2);
    ASSERT_NE(mouse->firstChild, nullptr);
    EXPECT_EQ(mouse->firstChild->firstChild->usage, 1);
    EXPECT_EQ(mouse->firstChild->firstChild->depth, 2);
    EXPECT_EQ(mouse->firstChild->nextSibling->usage, 2);
    EXPECT_EQ(mouse->nextSibling->usage, 3);
}

TEST_F(HIDTest, ListedDevicesWalkTheWholeTreeAndFindEveryCookie)
{
    // A device with keys, mouse buttons and a wheel: three top-level
    // collections (keyboard, mouse, button box).
    devices().plug(VirtualInputDevices::usbDevice("combo", 0x1234, 0x5678, "Combo Pad",
                                                  {VirtualInputDevices::KeyLeftCtrl, VirtualInputDevices::KeyA,
                                                   VirtualInputDevices::ButtonLeft, VirtualInputDevices::Button0},
                                                  true));
    ASSERT_TRUE(HIDBuildDeviceList(0, 0));
    recDevice* device = HIDFirstDevice();
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(walk(device, kHIDElementTypeAll),
              QStringList({"1:6@0", "7:224@1", "7:4@1", "1:2@0", "9:1@1", "1:56@1", "1:4@0", "9:1@1"}));
    EXPECT_EQ(walk(device, kHIDElementTypeCollection), QStringList({"1:6@0", "1:2@0", "1:4@0"}));
    EXPECT_EQ(walk(device, kHIDElementTypeInput).size(), 5);
    EXPECT_EQ(HIDElementCount(device, kHIDElementTypeAll), 8u);

    // The last top-level collection's button is found by its cookie.
    const recElement* button0 = hid_ElementWithCookie(device, hidCookieForEvent(1, VirtualInputDevices::Button0));
    ASSERT_NE(button0, nullptr);
    EXPECT_EQ(button0->usagePage, 9);
    EXPECT_EQ(button0->usage, 1);
    EXPECT_TRUE(HIDElementInDevice(device, button0));

    // Back along the links: the parent, then the collections before it.
    QStringList back;
    for (const recElement* e = HIDPreviousElement(button0, kHIDElementTypeAll); e; e = HIDPreviousElement(e, kHIDElementTypeAll))
        back << QString("%1:%2").arg(e->usagePage).arg(e->usage);
    EXPECT_EQ(back, QStringList({"1:4", "1:2", "1:6"}));
}

TEST_F(HIDTest, AChildOfAPlainElementEndsTheWalk)
{
    recElement first, stray, child;
    first.type = kIOHIDElementTypeInput_Button;
    first.firstChild = &child;
    child.previous = &first;
    child.type = kIOHIDElementTypeInput_Button;
    first.nextSibling = &stray;
    test::LogCapture log;
    EXPECT_EQ(HIDNextElement(&first, kHIDElementTypeAll), nullptr);
    EXPECT_EQ(log.lines().filter("Malformed element list: found child of element.").size(), 1);
}

TEST_F(ElementTreeTest, EntriesWithoutUsageAddNothingButCollectionsAlwaysCount)
{
    auto device = hid_MakeDevice({{"VendorID", 7}, {"ProductID", 9},
                                  {"Elements", QVariantList{element(2, 0, 1, 1), element(2, 9, 0, 2), collection(0, 0, 3, {}),
                                                            element(2, 9, 4, 4), QVariant("not a dictionary")}}});
    EXPECT_EQ(device->totalElements, 2);
    EXPECT_EQ(device->collections, 1);
    EXPECT_EQ(device->buttons, 1);
    ASSERT_NE(device->firstElement, nullptr);
    EXPECT_EQ(device->firstElement->type, kIOHIDElementTypeCollection);
    ASSERT_NE(device->firstElement->nextSibling, nullptr) << "an empty collection is followed by its sibling";
    EXPECT_EQ(device->firstElement->nextSibling->usage, 4);
    // No name given: the device-usage table's placeholder.
    EXPECT_STREQ(device->firstElement->nextSibling->name, "#{V:7, P:9, U:9:4}#");
}

TEST(HIDNamesTest, UsageNamesFollowTheTables)
{
    struct Case {
        int64_t page, usage;
        const char* name;
    } cases[] = {
        {1, 0x38, "Wheel"},
        {1, 0x99, "Generic Desktop Usage 0x99"},
        {8, 0x4B, "Generic LED"},
        {9, 12, "Button #12"},
        {0x0A, 0x1F, "Ordinal Instance 1f"},
        {0x0F, 0x7FF, "PID Usage 0x7ff"},
        {0x0F, 0xAC, "RAM Pool Available"},
        {0x0F, 0x8A, "PID Usage 0x8a"},
        {0x84, 0x6B, "SwitchOn/Off"},
        {0x84, 0xFF, "iSerialNumber"},
        {0x84, 0x06, "Power Device Usage 0x6"},
        {0x85, 0x01, "SMBBatteryMode"},
        {0x85, 0xF3, "Level3"},
        {0x85, 0x30, "Battery System Usage 0x30"},
        {0xFF00, 1, "Page: 0xff00, Usage: 0x1"},
        {0xFF01, 0x2A, "Vendor Defined Usage 0x2a"},
        {0x66, 3, "Page: 0x66, Usage: 0x3"},
    };
    for (const auto& c : cases) {
        char out[kHIDTextSize];
        HIDUsageName(c.page, c.usage, out);
        EXPECT_STREQ(out, c.name) << "page " << c.page << " usage " << c.usage;
    }
    char type[kHIDTextSize];
    HIDTypeName(513, type);
    EXPECT_STREQ(type, "Collection");
    HIDTypeName(77, type);
    EXPECT_STREQ(type, "Unknown Type");

    char cookie[kHIDTextSize];
    EXPECT_TRUE(HIDCookieName(1635, 38916, 7, cookie));
    EXPECT_STREQ(cookie, "L1 Trigger");
    EXPECT_FALSE(HIDCookieName(1635, 1, 7, cookie));
    EXPECT_STREQ(cookie, "#{V:Macsense, P:1, C:7}#");
    EXPECT_FALSE(HIDCookieName(5, 6, 7, cookie));
    EXPECT_STREQ(cookie, "#{V:5, P:6, C:7}#");
}

TEST(HIDNamesTest, EveryKeyboardUsageAKeyCanReportHasANameInTheTable)
{
    // Keys without a table entry would show as "Keyboard Usage 0x..".
    const auto table = zelk::plist::readFile(QStringLiteral(ZELK_HID_NAME_TABLES "/HID_usage_strings.plist"));
    ASSERT_TRUE(table.has_value());
    const QVariantMap keyboard = table->toMap().value("0x0007").toMap();
    ASSERT_EQ(keyboard.value("Name").toString(), "Keyboard");
    int named = 0;
    for (quint16 code = 0; code < 256; ++code) {
        const qint64 usage = zelk::hidKeyboardUsageForKey(code);
        if (usage == 0)
            continue;
        EXPECT_TRUE(keyboard.contains(QString::asprintf("0x%4.4llX", static_cast<long long>(usage))))
            << "key code " << code << " usage " << usage;
        ++named;
    }
    EXPECT_GT(named, 100);
}

TEST(HIDValuesTest, CalibrationAndScaling)
{
    recElement e;
    e.min = -127;
    e.max = 127;
    e.observedMin = e.max; // crossed: the first reading sets both
    e.observedMax = e.min;
    EXPECT_EQ(HIDCalibratedValue(5, nullptr), 0);
    e.observedMin = e.observedMax = 3;
    EXPECT_EQ(HIDCalibratedValue(9, &e), 9) << "no observed range yet";
    e.observedMin = -50;
    e.observedMax = 50;
    EXPECT_EQ(HIDCalibratedValue(25, &e), 63) << "-127 + 75 * 254 / 100, cut toward zero";
    EXPECT_EQ(HIDScaledValue(0, &e), 127) << "0 + 127 * 255 / 254";
    e.min = e.max = 4;
    EXPECT_EQ(HIDScaledValue(11, &e), 11);
}

TEST(HIDElementMapTest, CookiesAndUsagesOfKernelCodes)
{
    EXPECT_EQ(hidCookieForEvent(1, 0x110), 0x1110u);
    EXPECT_EQ(hidCookieForEvent(2, 8), 0x2008u);
    struct Case {
        quint16 type, code;
        qint64 page, usage;
    } cases[] = {
        {1, 29, 7, 0xE0},     // left control
        {1, 126, 7, 0xE7},    // right super
        {1, 30, 7, 0x04},     // A
        {1, 0x110, 9, 1},     // left mouse button
        {1, 0x112, 9, 3},     // middle
        {1, 0x100, 9, 1},     // first button of a button box
        {1, 0x121, 9, 2},     // second joystick button
        {1, 115, 0x0C, 0xE9}, // volume up
        {1, 0x2c0, 9, 17},    // first extra button
        {1, 240, kHIDPageUnnamedKeys, 240},
        {2, 8, 1, 0x38},      // wheel
        {2, 6, 0x0C, 0x238},  // horizontal wheel
        {3, 1, 1, 0x31},
    };
    for (const auto& c : cases) {
        const auto m = hidMappingForCapability({c.type, c.code, 0, 1});
        ASSERT_TRUE(m) << c.type << "/" << c.code;
        EXPECT_EQ(m->usagePage, c.page) << c.type << "/" << c.code;
        EXPECT_EQ(m->usage, c.usage) << c.type << "/" << c.code;
    }
    EXPECT_FALSE(hidMappingForCapability({0, 0, 0, 0}));
    EXPECT_FALSE(hidMappingForCapability({2, 9, 0, 0})) << "REL_MISC is not offered";
}
