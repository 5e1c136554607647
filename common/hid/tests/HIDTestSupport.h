#pragma once
// A fresh virtual desktop per test, element dictionaries in the form the
// layer reads, and the device list emptied after each test.
#include "HIDElementMap.h"
#include "HIDUtilities.h"
#include "TestSupport.h"
#include "VirtualPlatform.h"

#include <gtest/gtest.h>

namespace hidtest {

using zelk::test::waitUntil;

inline QVariantMap element(qint64 type, qint64 page, qint64 usage, qint64 cookie, const QVariantMap& more = {})
{
    QVariantMap e{{"Type", type}, {"UsagePage", page}, {"Usage", usage}, {"ElementCookie", cookie}, {"Min", 0}, {"Max", 1}};
    for (auto it = more.cbegin(); it != more.cend(); ++it)
        e.insert(it.key(), it.value());
    return e;
}

inline QVariantMap collection(qint64 page, qint64 usage, qint64 cookie, const QVariantList& children)
{
    return {{"Type", 513}, {"UsagePage", page}, {"Usage", usage}, {"ElementCookie", cookie}, {"Elements", children}};
}

class HIDTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        retired().push_back(zelk::Platform::install(std::make_unique<zelk::VirtualPlatform>()));
        desktop = zelk::VirtualPlatform::current();
    }
    void TearDown() override
    {
        zelk::HIDSetDeviceListObserver(nullptr);
        zelk::HIDDisposeDeviceList();
    }
    zelk::VirtualInputDevices& devices() { return desktop->virtualInputDevices(); }
    // The old desktops stay alive for what still holds their services.
    static std::vector<std::unique_ptr<zelk::Platform>>& retired()
    {
        static std::vector<std::unique_ptr<zelk::Platform>> platforms;
        return platforms;
    }
    zelk::VirtualPlatform* desktop = nullptr;
};

} // namespace hidtest
