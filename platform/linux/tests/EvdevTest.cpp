// The linux input backend's reading of the kernel's devices: reports cut
// from recorded event streams, and what a device says about itself
// (libevdev devices made in memory, as the kernel would describe them).
#include "LinuxInputDevices.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <libevdev/libevdev.h>

using namespace zelk;

namespace {

InputEvent ev(quint16 type, quint16 code, qint32 value)
{
    return {type, code, value, 0};
}

QStringList reportsOf(const QList<InputEvent>& stream)
{
    EvdevReports reports;
    QStringList out;
    for (const InputEvent& e : stream) {
        for (const auto& report : reports.add(e)) {
            QStringList events;
            for (const InputEvent& r : report)
                events << QString("%1/%2=%3").arg(r.type).arg(r.code).arg(r.value);
            out << events.join(' ');
        }
    }
    return out;
}

} // namespace

TEST(EvdevReportsTest, RecordedStreamsBecomeReports)
{
    struct Case {
        const char* name;
        QList<InputEvent> stream;
        QStringList reports;
    } cases[] = {
        {"a click as a mouse sends it (scan code, button, sync)",
         {ev(EV_MSC, MSC_SCAN, 0x90001), ev(EV_KEY, BTN_LEFT, 1), ev(EV_SYN, SYN_REPORT, 0), ev(EV_MSC, MSC_SCAN, 0x90001),
          ev(EV_KEY, BTN_LEFT, 0), ev(EV_SYN, SYN_REPORT, 0)},
         {"4/4=589825 1/272=1", "4/4=589825 1/272=0"}},
        {"press and release in one report",
         {ev(EV_KEY, BTN_0, 1), ev(EV_KEY, BTN_0, 0), ev(EV_SYN, SYN_REPORT, 0)},
         {"1/256=1 1/256=0"}},
        {"a wheel notch with its high-resolution twin",
         {ev(EV_REL, REL_WHEEL, -1), ev(EV_REL, REL_WHEEL_HI_RES, -120), ev(EV_SYN, SYN_REPORT, 0)},
         {"2/8=-1 2/11=-120"}},
        {"an overflow throws away everything up to the end of the next report",
         {ev(EV_KEY, BTN_0, 1), ev(EV_SYN, SYN_DROPPED, 0), ev(EV_KEY, BTN_0, 0), ev(EV_SYN, SYN_REPORT, 0),
          ev(EV_KEY, BTN_1, 1), ev(EV_SYN, SYN_REPORT, 0)},
         {"1/257=1"}},
        {"empty reports and a stream cut short give nothing",
         {ev(EV_SYN, SYN_REPORT, 0), ev(EV_KEY, KEY_A, 1)},
         {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(reportsOf(c.stream), c.reports) << c.name;
}

TEST(EvdevDeviceTest, WhatADeviceSaysAboutItself)
{
    libevdev* dev = libevdev_new();
    ASSERT_NE(dev, nullptr);
    libevdev_set_name(dev, "Foot Pedal");
    libevdev_set_id_bustype(dev, BUS_USB);
    libevdev_set_id_vendor(dev, 0x05F3);
    libevdev_set_id_product(dev, 0x0306);
    libevdev_set_id_version(dev, 0x0100);
    libevdev_set_uniq(dev, "SN123");
    libevdev_enable_event_code(dev, EV_KEY, BTN_2, nullptr);
    libevdev_enable_event_code(dev, EV_KEY, BTN_0, nullptr);
    libevdev_enable_event_code(dev, EV_REL, REL_WHEEL, nullptr);
    input_absinfo abs{};
    abs.minimum = -32;
    abs.maximum = 31;
    libevdev_enable_event_code(dev, EV_ABS, ABS_X, &abs);

    const InputDeviceInfo info = inputDeviceInfoFromEvdev(dev);
    libevdev_free(dev);
    EXPECT_EQ(info.product, "Foot Pedal");
    EXPECT_EQ(info.transport, "USB");
    EXPECT_EQ(info.vendorID, 0x05F3);
    EXPECT_EQ(info.productID, 0x0306);
    EXPECT_EQ(info.version, 0x0100);
    EXPECT_EQ(info.serial, "SN123");
    EXPECT_TRUE(info.readable);
    const QList<InputCapability> expected{
        {EV_KEY, BTN_0, 0, 1}, {EV_KEY, BTN_2, 0, 1}, {EV_REL, REL_WHEEL, 0, 0}, {EV_ABS, ABS_X, -32, 31}};
    EXPECT_EQ(info.capabilities, expected);

    EXPECT_EQ(transportForBus(BUS_BLUETOOTH), "Bluetooth");
    EXPECT_EQ(transportForBus(BUS_VIRTUAL), "Virtual");
    EXPECT_EQ(transportForBus(0x7777), "Other");
    EXPECT_EQ(inputDeviceInfoFromEvdev(nullptr).readable, false);
}
