#pragma once
// How the kernel's input capabilities become HID elements: the usage page
// and usage of each event code, the element type, the top-level collection
// it belongs to, and its cookie.
//
// Cookies (the one place they are defined): an input element's cookie is
//     event type * 0x1000 + event code
// (keys and buttons type 1, relative axes and wheels type 2, absolute axes
// type 3), so the same button of the same model always has the same cookie
// and a stored launcher keeps working after a replug or a reboot. The
// top-level collections take the cookies 1 to 5 by kind (below); event
// cookies are never below 0x1000.
#include "InputDevices.h"

#include <QList>
#include <QVariantMap>
#include <optional>

namespace zelk {

struct HIDUsageMapping {
    qint64 usagePage = 0;
    qint64 usage = 0;
    quint64 elementType = 0; // 1 misc, 2 button, 3 axis
    int collection = 0;      // HIDCollectionKind
    qint32 min = 0, max = 1;
    bool relative = false;
};

// The top-level collections, in the order a device lists them.
enum HIDCollectionKind { HIDKeyboardCollection = 1, HIDMouseCollection, HIDJoystickCollection, HIDConsumerCollection, HIDVendorCollection };

constexpr quint32 hidCookieForEvent(quint16 type, quint16 code)
{
    return quint32(type) * 0x1000u + code;
}

// Keys the HID tables give no usage keep their event code on this
// vendor-defined page, as buttons (logical range 0 to 1).
constexpr qint64 kHIDPageUnnamedKeys = 0xFF01;

// The mapping of one capability; none for codes the layer does not offer
// (synchronisation, miscellaneous, unknown relative axes).
std::optional<HIDUsageMapping> hidMappingForCapability(const InputCapability& capability);

// The device's properties in the form the layer reads ("Transport",
// "VendorID", ..., "PrimaryUsagePage", "PrimaryUsage", and "Elements": one
// collection per kind present, each with its "Elements").
QVariantMap hidDeviceProperties(const InputDeviceInfo& info);

// The keyboard usage of an event key code, 0 for none (and back).
qint64 hidKeyboardUsageForKey(quint16 code);

} // namespace zelk
