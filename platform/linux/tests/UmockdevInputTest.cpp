// The linux input backend on a USB foot pedal described to udev and evdev by
// umockdev (fixtures/pedal.*): the program runs under umockdev-run, so the
// real libudev enumeration and libevdev reading run against it.
#include "LinuxInputDevices.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <libevdev/libevdev.h>

using namespace zelk;

namespace {

const QString kPedal = "/dev/input/event7";

QString text(const QList<InputEvent>& report)
{
    QStringList events;
    for (const InputEvent& e : report)
        events << QString("%1/%2=%3").arg(e.type).arg(e.code).arg(e.value);
    return events.join(' ');
}

} // namespace

TEST(UmockdevInputTest, ThePedalIsFoundWithItsIdentity)
{
    LinuxInputDevices service;
    const QList<InputDeviceInfo> found = service.devices();
    ASSERT_EQ(found.size(), 1) << "the sandbox holds one input device";
    const InputDeviceInfo& pedal = found.first();
    EXPECT_EQ(pedal.id, kPedal);
    EXPECT_EQ(pedal.product, "Foot Pedal");
    EXPECT_EQ(pedal.vendorID, 0x0B33);
    EXPECT_EQ(pedal.productID, 0x0030);
    EXPECT_EQ(pedal.transport, "USB");
    EXPECT_EQ(pedal.manufacturer, "Pedal Works");
    EXPECT_EQ(pedal.serial, "PW0001");
    EXPECT_EQ(pedal.locationID, (qint64(1) << 24) | 5);
    EXPECT_TRUE(pedal.readable);
    const QList<InputCapability> expected{
        {EV_KEY, BTN_0, 0, 1}, {EV_KEY, BTN_1, 0, 1}, {EV_KEY, BTN_2, 0, 1}, {EV_REL, REL_WHEEL, 0, 0}};
    EXPECT_EQ(pedal.capabilities, expected);
}

TEST(UmockdevInputTest, PressReleaseAndWheelArriveAsReports)
{
    LinuxInputDevices service;
    QStringList reports;
    ObserverHandle reading = service.readEvents(kPedal, [&reports](const QList<InputEvent>& report) { reports << text(report); });
    ASSERT_TRUE(reading);
    ASSERT_TRUE(test::waitUntil([&] { return reports.size() == 3; }));
    EXPECT_EQ(reports, QStringList({"1/256=1", "1/256=0", "2/8=-1"}));

    // A second reader shares the device; the node closes with the last.
    ObserverHandle second = service.readEvents(kPedal, [](const QList<InputEvent>&) {});
    EXPECT_TRUE(second);
    EXPECT_FALSE(service.readEvents("/dev/input/event99", [](const QList<InputEvent>&) {})) << "no such device";
}
