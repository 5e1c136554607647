#include "HIDElementMap.h"

#include <QHash>
#include <array>

namespace zelk {

namespace {

// Kernel event codes used below (linux/input-event-codes.h).
constexpr quint16 kBtnMisc = 0x100, kBtnMouse = 0x110, kBtnJoystick = 0x120, kBtnGamepad = 0x130, kBtnDigi = 0x140;
constexpr quint16 kBtnTriggerHappy = 0x2c0;
constexpr quint16 kRelX = 0x00, kRelY = 0x01, kRelZ = 0x02, kRelHWheel = 0x06, kRelDial = 0x07, kRelWheel = 0x08;
constexpr quint16 kAbsX = 0x00, kAbsRZ = 0x05, kAbsHat0X = 0x10, kAbsHat3Y = 0x17;

// Keyboard usages 0x04 to 0x73 and the key code each one reports.
constexpr std::pair<quint8, quint16> kKeyboard[] = {
    {0x04, 30}, {0x05, 48}, {0x06, 46}, {0x07, 32}, {0x08, 18}, {0x09, 33}, {0x0A, 34}, {0x0B, 35}, {0x0C, 23},
    {0x0D, 36}, {0x0E, 37}, {0x0F, 38}, {0x10, 50}, {0x11, 49}, {0x12, 24}, {0x13, 25}, {0x14, 16}, {0x15, 19},
    {0x16, 31}, {0x17, 20}, {0x18, 22}, {0x19, 47}, {0x1A, 17}, {0x1B, 45}, {0x1C, 21}, {0x1D, 44},
    {0x1E, 2}, {0x1F, 3}, {0x20, 4}, {0x21, 5}, {0x22, 6}, {0x23, 7}, {0x24, 8}, {0x25, 9}, {0x26, 10}, {0x27, 11},
    {0x28, 28}, {0x29, 1}, {0x2A, 14}, {0x2B, 15}, {0x2C, 57}, {0x2D, 12}, {0x2E, 13}, {0x2F, 26}, {0x30, 27},
    {0x31, 43}, {0x33, 39}, {0x34, 40}, {0x35, 41}, {0x36, 51}, {0x37, 52}, {0x38, 53}, {0x39, 58},
    {0x3A, 59}, {0x3B, 60}, {0x3C, 61}, {0x3D, 62}, {0x3E, 63}, {0x3F, 64}, {0x40, 65}, {0x41, 66}, {0x42, 67},
    {0x43, 68}, {0x44, 87}, {0x45, 88}, {0x46, 99}, {0x47, 70}, {0x48, 119}, {0x49, 110}, {0x4A, 102}, {0x4B, 104},
    {0x4C, 111}, {0x4D, 107}, {0x4E, 109}, {0x4F, 106}, {0x50, 105}, {0x51, 108}, {0x52, 103}, {0x53, 69},
    {0x54, 98}, {0x55, 55}, {0x56, 74}, {0x57, 78}, {0x58, 96}, {0x59, 79}, {0x5A, 80}, {0x5B, 81}, {0x5C, 75},
    {0x5D, 76}, {0x5E, 77}, {0x5F, 71}, {0x60, 72}, {0x61, 73}, {0x62, 82}, {0x63, 83}, {0x64, 86}, {0x65, 127},
    {0x68, 183}, {0x69, 184}, {0x6A, 185}, {0x6B, 186}, {0x6C, 187}, {0x6D, 188}, {0x6E, 189}, {0x6F, 190},
    {0x70, 191}, {0x71, 192}, {0x72, 193}, {0x73, 194},
    // Modifiers.
    {0xE0, 29}, {0xE1, 42}, {0xE2, 56}, {0xE3, 125}, {0xE4, 97}, {0xE5, 54}, {0xE6, 100}, {0xE7, 126},
};

// Consumer-page keys (media keys).
constexpr std::pair<quint16, quint16> kConsumer[] = {
    {113, 0xE2}, {114, 0xEA}, {115, 0xE9}, {163, 0xB5}, {164, 0xCD}, {165, 0xB6}, {166, 0xB7},
};

const QHash<quint16, qint64>& keyboardUsages()
{
    static const QHash<quint16, qint64> table = [] {
        QHash<quint16, qint64> t;
        for (const auto& [usage, key] : kKeyboard)
            t.insert(key, usage);
        return t;
    }();
    return table;
}

HIDUsageMapping button(qint64 page, qint64 usage, int collection)
{
    return {page, usage, 2, collection, 0, 1, false};
}

} // namespace

qint64 hidKeyboardUsageForKey(quint16 code)
{
    return keyboardUsages().value(code, 0);
}

std::optional<HIDUsageMapping> hidMappingForCapability(const InputCapability& cap)
{
    switch (cap.type) {
    case InputDeviceService::KeyEvent: {
        const quint16 code = cap.code;
        if (code >= kBtnMouse && code < kBtnJoystick)
            return button(9, code - kBtnMouse + 1, HIDMouseCollection);
        if ((code >= kBtnMisc && code < kBtnMouse) || (code >= kBtnJoystick && code < kBtnDigi))
            return button(9, (code >= kBtnGamepad ? code - kBtnGamepad : code >= kBtnJoystick ? code - kBtnJoystick : code - kBtnMisc) + 1,
                          HIDJoystickCollection);
        if (code >= kBtnTriggerHappy && code < kBtnTriggerHappy + 0x28)
            return button(9, code - kBtnTriggerHappy + 17, HIDJoystickCollection);
        if (const qint64 usage = hidKeyboardUsageForKey(code))
            return button(7, usage, HIDKeyboardCollection);
        for (const auto& [key, usage] : kConsumer)
            if (key == code)
                return button(0x0C, usage, HIDConsumerCollection);
        if (code == 0)
            return std::nullopt;
        return button(kHIDPageUnnamedKeys, code, HIDVendorCollection);
    }
    case InputDeviceService::RelativeEvent:
        switch (cap.code) {
        case kRelX:
        case kRelY:
        case kRelZ:
            return HIDUsageMapping{1, 0x30 + cap.code, 3, HIDMouseCollection, -127, 127, true};
        case kRelWheel:
            return HIDUsageMapping{1, 0x38, 1, HIDMouseCollection, -127, 127, true};
        case kRelHWheel:
            return HIDUsageMapping{0x0C, 0x238, 1, HIDMouseCollection, -127, 127, true}; // AC Pan
        case kRelDial:
            return HIDUsageMapping{1, 0x37, 1, HIDMouseCollection, -127, 127, true};
        default:
            return std::nullopt;
        }
    case InputDeviceService::AbsoluteEvent:
        if (cap.code <= kAbsRZ)
            return HIDUsageMapping{1, 0x30 + (cap.code - kAbsX), 3, HIDJoystickCollection, cap.min, cap.max, false};
        if (cap.code >= kAbsHat0X && cap.code <= kAbsHat3Y)
            return HIDUsageMapping{1, 0x39, 3, HIDJoystickCollection, cap.min, cap.max, false};
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

QVariantMap hidDeviceProperties(const InputDeviceInfo& info)
{
    static constexpr std::array<std::pair<qint64, qint64>, 5> kCollectionUsages = {
        {{1, 6}, {1, 2}, {1, 4}, {0x0C, 1}, {0xFF00, 1}}};
    std::array<QVariantList, 5> children;
    for (const InputCapability& cap : info.capabilities) {
        const auto mapping = hidMappingForCapability(cap);
        if (!mapping)
            continue;
        children[mapping->collection - 1].append(QVariantMap{
            {"Type", qint64(mapping->elementType)},
            {"UsagePage", mapping->usagePage},
            {"Usage", mapping->usage},
            {"ElementCookie", qint64(hidCookieForEvent(cap.type, cap.code))},
            {"Min", mapping->min},
            {"Max", mapping->max},
            {"ScaledMin", mapping->min},
            {"ScaledMax", mapping->max},
            {"Size", mapping->elementType == 2 ? 1 : 8},
            {"IsRelative", mapping->relative},
        });
    }
    QVariantList collections;
    qint64 primaryPage = 0, primaryUsage = 0;
    for (int i = 0; i < 5; ++i) {
        if (children[i].isEmpty())
            continue;
        const auto [page, usage] = kCollectionUsages[i];
        if (collections.isEmpty()) {
            primaryPage = page;
            primaryUsage = usage;
        }
        collections.append(QVariantMap{{"Type", qint64(513)}, {"UsagePage", page}, {"Usage", usage},
                                       {"ElementCookie", qint64(i + 1)}, {"Elements", children[i]}});
    }
    QVariantMap properties{
        {"Transport", info.transport},
        {"VendorID", info.vendorID},
        {"ProductID", info.productID},
        {"VersionNumber", info.version},
        {"Manufacturer", info.manufacturer},
        {"Product", info.product},
        {"SerialNumber", info.serial},
        {"LocationID", info.locationID},
        {"Elements", collections},
    };
    if (!collections.isEmpty()) {
        properties.insert("PrimaryUsagePage", primaryPage);
        properties.insert("PrimaryUsage", primaryUsage);
    }
    return properties;
}

} // namespace zelk
