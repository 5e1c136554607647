// The device list and the device queues over the virtual desktop's input
// devices: arrivals, removals, and events reaching a queue's handler.
#include "HIDTestSupport.h"

#include <QStringList>

using namespace zelk;
using namespace hidtest;

namespace {

constexpr quint16 kPedal1 = VirtualInputDevices::Button0, kPedal2 = VirtualInputDevices::Button0 + 1;

InputDeviceInfo pedals()
{
    return VirtualInputDevices::usbDevice("pedals", 1523, 774, "Foot Pedal", {kPedal1, kPedal2});
}

InputDeviceInfo mouse()
{
    return VirtualInputDevices::usbDevice("mouse", 0x46d, 0xc077, "USB Optical Mouse",
                                          {VirtualInputDevices::ButtonLeft, VirtualInputDevices::ButtonRight}, true);
}

// What a queue handler read, batch by batch.
struct QueueReader {
    QStringList batches;
    HIDQueueHandler handler()
    {
        return [this](recDevice* target, IOReturn result, recDevice* refcon, HIDQueue*) {
            EXPECT_EQ(result, kIOReturnSuccess);
            EXPECT_EQ(target, refcon);
            QStringList events;
            HIDQueueEvent event;
            while (HIDNextQueuedEvent(target, &event))
                events << QString("%1=%2").arg(event.cookie, 0, 16).arg(event.value);
            batches << events.join(' ');
        };
    }
};

class DeviceListTest : public HIDTest {
protected:
    void buildWith(const QList<InputDeviceInfo>& plugged)
    {
        for (const auto& info : plugged)
            devices().plug(info);
        ASSERT_TRUE(HIDBuildDeviceList(0, 0));
        ASSERT_EQ(HIDDeviceCount(), uint32_t(plugged.size()));
    }
    recDevice* device(int64_t vendor)
    {
        for (recDevice* d = HIDFirstDevice(); d; d = HIDNextDevice(d))
            if (d->vendorID == vendor)
                return d;
        return nullptr;
    }
};

} // namespace

TEST_F(DeviceListTest, DevicesAreListedWithTheirIdentity)
{
    buildWith({pedals(), mouse()});
    const recDevice* first = HIDFirstDevice();
    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(first->product, "Foot Pedal");
    EXPECT_EQ(first->vendorID, 1523);
    EXPECT_EQ(first->productID, 774);
    EXPECT_STREQ(first->transport, "USB");
    EXPECT_EQ(first->buttons, 2);
    EXPECT_EQ(first->usagePage, 1);
    EXPECT_EQ(first->usage, 4);
    const recDevice* second = HIDNextDevice(first);
    ASSERT_NE(second, nullptr);
    EXPECT_STREQ(second->product, "USB Optical Mouse");
    EXPECT_EQ(second->wheels, 1);
    EXPECT_EQ(second->usage, 2);
    EXPECT_EQ(HIDNextDevice(second), nullptr);
    EXPECT_TRUE(HIDDeviceListExists());

    // Built again for keyboards only: neither device is one.
    ASSERT_TRUE(HIDBuildDeviceList(1, 6));
    EXPECT_EQ(HIDDeviceCount(), 0u);
}

TEST_F(DeviceListTest, AnUnreadableDeviceIsListedWithoutInterface)
{
    InputDeviceInfo locked = mouse();
    locked.readable = false;
    test::LogCapture log;
    buildWith({locked});
    recDevice* d = HIDFirstDevice();
    EXPECT_EQ(d->interface, nullptr);
    EXPECT_TRUE(log.contains("HIDCreateOpenDeviceInterface failed."));
    EXPECT_EQ(HIDAddDeviceToQueue(d), kIOReturnError);
}

TEST_F(DeviceListTest, EveryEventOfAReportReachesTheQueueInOrder)
{
    buildWith({mouse()});
    recDevice* d = HIDFirstDevice();
    QueueReader reader;
    ASSERT_EQ(HIDAddDeviceToQueue(d), kIOReturnSuccess);
    ASSERT_EQ(HIDSetQueueHandler(d, reader.handler()), kIOReturnSuccess);

    // A press and release in one report, a wheel turn, the kernel's key
    // auto-repeat (dropped), and motion the queue does not hold... motion is
    // not an element here at all.
    devices().report("mouse", {{InputDeviceService::KeyEvent, VirtualInputDevices::ButtonLeft, 1, 0},
                               {InputDeviceService::KeyEvent, VirtualInputDevices::ButtonLeft, 0, 0}});
    devices().turnWheel("mouse", -2);
    devices().report("mouse", {{InputDeviceService::KeyEvent, VirtualInputDevices::ButtonRight, 2, 0},
                               {InputDeviceService::RelativeEvent, 0, 5, 0}});
    devices().pressButton("mouse", VirtualInputDevices::ButtonRight);
    ASSERT_TRUE(waitUntil([&] { return reader.batches.size() == 3; }));
    EXPECT_EQ(reader.batches, QStringList({"1110=1 1110=0", "2008=-2", "1111=1"}));
}

TEST_F(DeviceListTest, QueueingTwiceFailsAndKeepsTheFirstQueue)
{
    buildWith({mouse()});
    recDevice* d = HIDFirstDevice();
    QueueReader reader;
    ASSERT_EQ(HIDAddDeviceToQueue(d), kIOReturnSuccess);
    ASSERT_EQ(HIDSetQueueHandler(d, reader.handler()), kIOReturnSuccess);
    EXPECT_EQ(HIDAddDeviceToQueue(d), kIOReturnError);
    const recElement* left = hid_ElementWithCookie(d, hidCookieForEvent(1, VirtualInputDevices::ButtonLeft));
    EXPECT_EQ(HIDAddElementToQueue(d, left), kIOReturnError);
    devices().pressButton("mouse", VirtualInputDevices::ButtonLeft);
    ASSERT_TRUE(waitUntil([&] { return reader.batches.size() == 1; }));
    EXPECT_EQ(devices().readerCount("mouse"), 1);
}

TEST_F(DeviceListTest, RemovingTheLastQueuedElementDropsTheQueue)
{
    buildWith({mouse()});
    recDevice* d = HIDFirstDevice();
    const recElement* left = hid_ElementWithCookie(d, hidCookieForEvent(1, VirtualInputDevices::ButtonLeft));
    const recElement* right = hid_ElementWithCookie(d, hidCookieForEvent(1, VirtualInputDevices::ButtonRight));
    ASSERT_EQ(HIDAddElementToQueue(d, left), kIOReturnSuccess);
    QueueReader reader;
    ASSERT_EQ(HIDSetQueueHandler(d, reader.handler()), kIOReturnSuccess);
    EXPECT_EQ(devices().readerCount("mouse"), 1);
    EXPECT_EQ(HIDRemoveElementFromQueue(d, right), kIOReturnSuccess) << "absent: nothing removed";
    EXPECT_EQ(HIDRemoveElementFromQueue(d, left), kIOReturnSuccess);
    EXPECT_EQ(d->queue, nullptr);
    EXPECT_EQ(devices().readerCount("mouse"), 0) << "the device is no longer read";
    EXPECT_EQ(HIDRemoveElementFromQueue(d, left), kIOReturnError);

    // A whole-device queue loses one element and keeps running.
    ASSERT_EQ(HIDAddDeviceToQueue(d), kIOReturnSuccess);
    ASSERT_EQ(HIDSetQueueHandler(d, reader.handler()), kIOReturnSuccess);
    EXPECT_EQ(HIDRemoveElementFromQueue(d, left), kIOReturnSuccess);
    ASSERT_NE(d->queue, nullptr);
    devices().pressButton("mouse", VirtualInputDevices::ButtonLeft);
    devices().pressButton("mouse", VirtualInputDevices::ButtonRight);
    ASSERT_TRUE(waitUntil([&] { return !reader.batches.isEmpty(); }));
    EXPECT_EQ(reader.batches, QStringList({"1111=1"}));

    EXPECT_EQ(HIDRemoveDeviceFromQueue(d), kIOReturnSuccess);
    EXPECT_EQ(d->queue, nullptr);
    EXPECT_EQ(d->queueSource, nullptr);
}

TEST_F(DeviceListTest, UnpluggedDevicesLeaveTheListAndHeldRecordsStaySafe)
{
    buildWith({pedals(), mouse()});
    QStringList changes;
    HIDSetDeviceListObserver([&changes](recDevice* d, bool added) { changes << QString("%1 %2").arg(added ? "+" : "-", d->product); });
    recDevice* m = device(0x46d);
    ASSERT_EQ(HIDAddDeviceToQueue(m), kIOReturnSuccess);
    const HIDDeviceRef held = HIDRetainDevice(m);
    const recElement* heldElement = hid_ElementWithCookie(m, hidCookieForEvent(1, VirtualInputDevices::ButtonLeft));
    ASSERT_NE(heldElement, nullptr);

    devices().unplug("mouse");
    ASSERT_TRUE(waitUntil([] { return HIDDeviceCount() == 1; }));
    EXPECT_EQ(changes, QStringList({"- USB Optical Mouse"}));
    EXPECT_FALSE(HIDDeviceInList(held.get()));
    EXPECT_EQ(HIDNextDevice(HIDFirstDevice()), nullptr);
    // The holder's record and its elements are still there to read; the
    // layer answers for it as for any device that is not listed.
    EXPECT_STREQ(held->product, "USB Optical Mouse");
    EXPECT_EQ(heldElement->usagePage, 9);
    EXPECT_EQ(held->queue, nullptr);
    EXPECT_EQ(devices().readerCount("mouse"), 0);
    EXPECT_EQ(HIDAddDeviceToQueue(held.get()), kIOReturnError);
    EXPECT_EQ(HIDRemoveDeviceFromQueue(held.get()), kIOReturnBadArgument);
    EXPECT_EQ(HIDFirstElement(held.get(), kHIDElementTypeAll), nullptr);
    EXPECT_EQ(hid_DisposeDevice(held.get()), nullptr);

    devices().plug(mouse());
    ASSERT_TRUE(waitUntil([] { return HIDDeviceCount() == 2; }));
    EXPECT_EQ(changes, QStringList({"- USB Optical Mouse", "+ USB Optical Mouse"}));
    recDevice* back = device(0x46d);
    ASSERT_NE(back, nullptr);
    EXPECT_NE(back, held.get()) << "a new record for the device's return";
    EXPECT_EQ(back->next, nullptr) << "appended at the end";
}

TEST_F(DeviceListTest, ValuesReadAreTheLastSeenAndWidenTheObservedRange)
{
    buildWith({mouse()});
    recDevice* d = HIDFirstDevice();
    QueueReader reader;
    ASSERT_EQ(HIDAddDeviceToQueue(d), kIOReturnSuccess);
    ASSERT_EQ(HIDSetQueueHandler(d, reader.handler()), kIOReturnSuccess);
    recElement* wheel = hid_ElementWithCookie(d, hidCookieForEvent(2, VirtualInputDevices::WheelCode));
    ASSERT_NE(wheel, nullptr);
    EXPECT_EQ(wheel->observedMin, 127);
    EXPECT_EQ(wheel->observedMax, -127);
    devices().turnWheel("mouse", 3);
    ASSERT_TRUE(waitUntil([&] { return reader.batches.size() == 1; }));
    EXPECT_EQ(HIDReadElementValue(d, wheel), 3);
    EXPECT_EQ(wheel->observedMin, 3) << "the first reading sets both ends";
    EXPECT_EQ(wheel->observedMax, 3);
    devices().turnWheel("mouse", -4);
    ASSERT_TRUE(waitUntil([&] { return reader.batches.size() == 2; }));
    EXPECT_EQ(HIDReadElementValue(d, wheel), -4);
    EXPECT_EQ(wheel->observedMin, -4);
    EXPECT_EQ(wheel->observedMax, 3);
    recElement other;
    EXPECT_EQ(HIDReadElementValue(d, &other), 0) << "not an element of the device";
    EXPECT_EQ(HIDWriteElementValue(d, wheel, {}), kIOReturnUnsupported);
}

TEST_F(DeviceListTest, BestMatches)
{
    buildWith({pedals(), mouse()});
    recDevice search;
    search.vendorID = 0x46d;
    search.productID = 0xc077;
    recDevice* found = nullptr;
    ASSERT_TRUE(HIDBestDevice(&search, &found));
    EXPECT_STREQ(found->product, "USB Optical Mouse");

    recElement wanted;
    wanted.type = kIOHIDElementTypeInput_Button;
    wanted.usagePage = 9;
    wanted.usage = 1;
    wanted.cookie = hidCookieForEvent(1, kPedal1);
    recElement* element = nullptr;
    search.vendorID = search.productID = 0;
    ASSERT_TRUE(HIDBestDeviceAndElement(&search, &wanted, &found, &element));
    EXPECT_STREQ(found->product, "Foot Pedal") << "the cookie decides between two first buttons";
    EXPECT_EQ(element->cookie, wanted.cookie);
    wanted.usagePage = 0x66;
    EXPECT_FALSE(HIDBestDeviceAndElement(&search, &wanted, &found, &element));
}
