#include "HIDUtilities.h"

#include "Bundle.h"
#include "HIDElementMap.h"
#include "Platform.h"
#include "PropertyList.h"

#include <QDebug>
#include <QHash>
#include <algorithm>
#include <cstdio>
#include <cstring>

namespace zelk {

namespace {

struct HIDState {
    std::vector<HIDDeviceRef> devices; // list order; the records' next links follow it
    uint32_t matchPage = 0, matchUsage = 0;
    ObserverHandle arrivals;           // arrivals and removals, for the life of the process
    recDevice* reading = nullptr;      // the device whose elements are being read
    bool addedCollection = false;
    int64_t nesting = 0;
    QHash<QString, QVariant> tables;   // name tables loaded so far
    std::function<void(recDevice*, bool)> listObserver;
};

HIDState& state()
{
    static HIDState s;
    return s;
}

void relink()
{
    auto& list = state().devices;
    for (size_t i = 0; i < list.size(); ++i)
        list[i]->next = i + 1 < list.size() ? list[i + 1].get() : nullptr;
}

// Copies text into a 256-byte field; a text that does not fit is not copied.
bool copyText(char* out, const QString& text, const char* failure = nullptr)
{
    const QByteArray bytes = text.toUtf8();
    if (bytes.size() >= kHIDTextSize) {
        if (failure)
            HIDLogError(failure);
        return false;
    }
    std::memcpy(out, bytes.constData(), size_t(bytes.size()));
    out[bytes.size()] = '\0';
    return true;
}

bool typeIsInput(uint64_t type)
{
    return type >= kIOHIDElementTypeInput_Misc && type <= kIOHIDElementTypeInput_ScanCodes;
}

recElement* stepNext(const recElement* e)
{
    if (e->firstChild) {
        if (e->type == kIOHIDElementTypeCollection)
            return e->firstChild;
        HIDLogError("Malformed element list: found child of element.");
        return nullptr;
    }
    if (e->nextSibling)
        return e->nextSibling;
    if (e->type == kIOHIDElementTypeCollection)
        HIDLogError("Malformed device: found collection at end of element chain.");
    // End of a level: climb to the parent and go on with the parent's next
    // sibling, level after level, so elements after the first top-level
    // collection are visited too.
    const recElement* left = e;
    for (;;) {
        const recElement* a = left->previous;
        while (a && a->nextSibling == left) {
            left = a;
            a = left->previous;
        }
        if (!a)
            return nullptr;
        if (a->nextSibling)
            return a->nextSibling;
        left = a;
    }
}

void fillDevice(recDevice* device, const QVariantMap& properties)
{
    auto number = [&properties](const char* key, int64_t* out, const char* failure) {
        if (!properties.contains(key))
            return;
        bool ok = false;
        const qint64 v = properties.value(key).toLongLong(&ok);
        if (ok)
            *out = v;
        else
            HIDLogError(failure);
    };
    copyText(device->transport, properties.value("Transport").toString(), "CFStringGetCString error retrieving pDevice->transport.");
    number("VendorID", &device->vendorID, "CFNumberGetValue error retrieving pDevice->vendorID.");
    number("ProductID", &device->productID, "CFNumberGetValue error retrieving pDevice->productID.");
    number("VersionNumber", &device->version, "CFNumberGetValue error retrieving pDevice->version.");
    copyText(device->manufacturer, properties.value("Manufacturer").toString(), "CFStringGetCString error retrieving pDevice->manufacturer.");
    copyText(device->product, properties.value("Product").toString(), "CFStringGetCString error retrieving pDevice->product.");
    copyText(device->serial, properties.value("SerialNumber").toString(), "CFStringGetCString error retrieving pDevice->serial.");
    number("LocationID", &device->locID, "CFNumberGetValue error retrieving pDevice->locID.");
    if (properties.contains("PrimaryUsagePage") && properties.contains("PrimaryUsage")) {
        number("PrimaryUsagePage", &device->usagePage, "CFNumberGetValue error retrieving pDevice->usagePage.");
        number("PrimaryUsage", &device->usage, "CFNumberGetValue error retrieving pDevice->usage.");
    } else {
        for (const QVariant& entry : properties.value("Elements").toList())
            hid_TakeDeviceUsage(entry, device);
    }
    auto& s = state();
    recDevice* const outer = s.reading;
    s.reading = device;
    recElement* current = nullptr;
    hid_GetCollectionElements(properties, &current);
    s.reading = outer;
}

bool matches(const QVariantMap& properties)
{
    const auto& s = state();
    if (s.matchPage == 0)
        return true;
    if (properties.value("PrimaryUsagePage").toLongLong() != s.matchPage)
        return false;
    return s.matchUsage == 0 || properties.value("PrimaryUsage").toLongLong() == s.matchUsage;
}

recDevice* deviceWithInterfaceId(const QString& id)
{
    for (const auto& device : state().devices)
        if (device->interface && device->interface->id == id)
            return device.get();
    return nullptr;
}

// Reports of a queued device: every event of a queued element joins the
// queue; then the handler runs once for the report.
void queueReport(const std::weak_ptr<recDevice>& weak, const QList<InputEvent>& report)
{
    const HIDDeviceRef device = weak.lock(); // kept alive through the handler
    if (!device || !device->queue || !device->interface)
        return;
    HIDQueue* queue = device->queue.get();
    bool added = false;
    for (const InputEvent& event : report) {
        // The kernel's auto-repeat: launchers repeat on their own.
        if (event.type == InputDeviceService::KeyEvent && event.value == 2)
            continue;
        const uint32_t cookie = hidCookieForEvent(event.type, event.code);
        auto& values = device->interface->lastValues;
        const auto it = std::find_if(values.begin(), values.end(), [cookie](const auto& v) { return v.first == cookie; });
        if (it != values.end())
            it->second = event.value;
        else
            values.emplace_back(cookie, event.value);
        if (!queue->started || !queue->cookies.count(cookie))
            continue;
        if (queue->events.size() >= size_t(kHIDQueueDepth)) {
            HIDLogError("hid queue full: event dropped.");
            continue;
        }
        const recElement* element = hid_ElementWithCookie(device.get(), cookie);
        queue->events.push_back({element ? element->type : 0, cookie, event.value, event.timeUs});
        added = true;
    }
    if (added && device->queueSource && device->queueSource->handler) {
        const HIDQueueHandler handler = device->queueSource->handler; // the handler may replace itself
        handler(device.get(), kIOReturnSuccess, device.get(), queue);
    }
}

} // namespace

// --- logging

void HIDLogErrorCode(const char* text, long code)
{
    qWarning().noquote() << QString::asprintf("%s #%ld (0x%lx)", text, code, static_cast<unsigned long>(code) & 0xFFFFFFFFul);
}

void HIDLogError(const char* text)
{
    qWarning().noquote() << QString::asprintf("%s", text);
}

// --- device list

bool HIDBuildDeviceList(uint32_t usagePage, uint32_t usage)
{
    HIDDisposeDeviceList();
    auto& s = state();
    s.matchPage = usagePage;
    s.matchUsage = usagePage ? usage : 0;
    InputDeviceService& service = Platform::instance().inputDevices();
    // One registration per process: a rebuild replaces it.
    s.arrivals = service.observeDevices([](const InputDeviceInfo& info, bool added) {
        if (added) {
            hid_AddDevices({info});
        } else if (recDevice* device = deviceWithInterfaceId(info.id)) {
            hid_DeviceRemoved(device, info.id, kIOMessageServiceIsTerminated);
        }
    });
    hid_AddDevices(service.devices());
    return true;
}

recDevice* HIDDisposeDeviceList()
{
    while (!state().devices.empty())
        hid_DisposeDevice(state().devices.front().get());
    return nullptr;
}

bool HIDDeviceListExists()
{
    return !state().devices.empty();
}

uint32_t HIDDeviceCount()
{
    return uint32_t(state().devices.size());
}

bool HIDDeviceInList(const recDevice* device)
{
    if (!device)
        return false;
    const auto& list = state().devices;
    return std::any_of(list.cbegin(), list.cend(), [device](const HIDDeviceRef& d) { return d.get() == device; });
}

recDevice* HIDFirstDevice()
{
    const auto& list = state().devices;
    return list.empty() ? nullptr : list.front().get();
}

recDevice* HIDNextDevice(const recDevice* device)
{
    return device ? device->next : nullptr;
}

HIDDeviceRef HIDRetainDevice(const recDevice* device)
{
    for (const auto& d : state().devices)
        if (d.get() == device)
            return d;
    return nullptr;
}

void HIDSetDeviceListObserver(std::function<void(recDevice*, bool)> observer)
{
    state().listObserver = std::move(observer);
}

void hid_AddDevices(const QList<InputDeviceInfo>& arrived)
{
    for (const InputDeviceInfo& info : arrived) {
        if (deviceWithInterfaceId(info.id))
            continue; // already listed (an arrival during the first scan)
        const QVariantMap properties = hidDeviceProperties(info);
        if (!matches(properties))
            continue;
        auto device = std::make_shared<recDevice>();
        const IOReturn result = HIDCreateOpenDeviceInterface(info, device.get());
        if (result != kIOReturnSuccess)
            HIDLogErrorCode("HIDCreateOpenDeviceInterface failed.", result);
        fillDevice(device.get(), properties);
        state().devices.push_back(device);
        relink();
        device->notification = true;
        if (state().listObserver)
            state().listObserver(device.get(), true);
    }
}

HIDDeviceRef hid_MakeDevice(const QVariantMap& properties)
{
    auto device = std::make_shared<recDevice>();
    fillDevice(device.get(), properties);
    return device;
}

IOReturn HIDCreateOpenDeviceInterface(const InputDeviceInfo& service, recDevice* device)
{
    if (!device)
        return kIOReturnBadArgument;
    if (device->interface)
        return kIOReturnSuccess;
    if (!service.readable) {
        // Listed all the same; its events cannot be read (permissions).
        HIDLogErrorCode("Failed to open pDevice->interface via open.", kIOReturnError);
        return kIOReturnError;
    }
    device->interface = std::make_unique<HIDInterface>();
    device->interface->id = service.id;
    return kIOReturnSuccess;
}

IOReturn HIDCloseReleaseInterface(recDevice* device)
{
    if (!HIDDeviceInList(device) || !device->interface)
        return kIOReturnSuccess;
    device->interface.reset();
    return kIOReturnSuccess;
}

recDevice* hid_DisposeDevice(recDevice* device)
{
    const HIDDeviceRef keep = HIDRetainDevice(device);
    if (!keep)
        return nullptr;
    HIDRemoveDeviceFromQueue(device);
    // The element tree goes with the record, when its last holder lets go.
    const IOReturn result = HIDCloseReleaseInterface(device);
    if (result != kIOReturnSuccess)
        qWarning().noquote() << QString::asprintf("hid_DisposeDevice: HIDCloseReleaseInterface error: 0x%8.8X.", unsigned(result));
    device->notification = false;
    auto& list = state().devices;
    list.erase(std::find(list.begin(), list.end(), keep));
    recDevice* const following = device->next;
    device->next = nullptr;
    relink();
    if (state().listObserver)
        state().listObserver(device, false);
    return following;
}

void hid_DeviceRemoved(recDevice* device, const QString& service, uint32_t message)
{
    if (message != kIOMessageServiceIsTerminated || !HIDDeviceInList(device))
        return;
    std::printf("Device 0x%08x \"%s\"removed.\n", unsigned(qHash(service)), device->product);
    std::fflush(stdout);
    hid_DisposeDevice(device);
}

// --- elements

void hid_GetCollectionElements(const QVariantMap& properties, recElement** current)
{
    if (!properties.contains("Elements")) {
        HIDLogError("hid_GetCollectionElements: CFDictionaryGetValue error when creating CFTypeRef for kIOHIDElementKey.");
        return;
    }
    const QVariant elements = properties.value("Elements");
    if (elements.typeId() != QMetaType::QVariantList)
        return;
    for (const QVariant& entry : elements.toList())
        hid_AddElement(entry, current);
}

void hid_TakeDeviceUsage(const QVariant& elementDict, recDevice* device)
{
    if (!device || elementDict.typeId() != QMetaType::QVariantMap)
        return;
    const QVariantMap entry = elementDict.toMap();
    device->usagePage = entry.value("UsagePage").toLongLong();
    device->usage = entry.value("Usage").toLongLong();
}

void hid_AddElement(const QVariant& elementDict, recElement** current)
{
    auto& s = state();
    recDevice* device = s.reading;
    if (!device || !current || elementDict.typeId() != QMetaType::QVariantMap)
        return;
    const QVariantMap entry = elementDict.toMap();
    const int64_t type = entry.value("Type").toLongLong();
    const int64_t page = entry.value("UsagePage").toLongLong();
    const int64_t usage = entry.value("Usage").toLongLong();
    if (type == 0) {
        HIDLogError("CFNumberGetValue error when getting value for refElementType.");
        return;
    }
    const bool collection = uint64_t(type) == kIOHIDElementTypeCollection;
    if (!collection && (page == 0 || usage == 0))
        return;

    if (page == 9) {
        ++device->buttons;
    } else if (page == 1 && usage >= 0x30 && usage <= 0x39) {
        switch (usage) {
        case 0x36: ++device->sliders; break;
        case 0x37: ++device->dials; break;
        case 0x38: ++device->wheels; break;
        case 0x39: ++device->hats; break;
        default: ++device->axis; break;
        }
    }

    auto owned = std::make_unique<recElement>();
    recElement* element = owned.get();
    element->type = uint64_t(type);
    element->usagePage = page;
    element->usage = usage;
    element->cookie = uint32_t(entry.value("ElementCookie").toLongLong());
    element->min = entry.value("Min").toLongLong();
    element->max = entry.value("Max").toLongLong();
    element->scaledMin = entry.value("ScaledMin").toLongLong();
    element->scaledMax = entry.value("ScaledMax").toLongLong();
    element->size = entry.value("Size").toLongLong();
    element->unit = entry.value("Unit").toLongLong();
    element->unitExponent = entry.value("UnitExponent").toLongLong();
    element->relative = entry.value("IsRelative").toBool();
    element->wrapping = entry.value("IsWrapping").toBool();
    element->nonLinear = entry.value("IsNonLinear").toBool();
    element->preferredState = entry.value("HasPreferredState").toBool();
    element->nullState = entry.value("HasNullState").toBool();
    element->observedMin = element->max;
    element->observedMax = element->min;
    element->targetMin = 0;
    element->targetMax = 255;
    copyText(element->name, entry.value("Name").toString(), "CFStringGetCString error retrieving pElement->name.");
    if (!element->name[0])
        HIDDeviceUsageName(device->vendorID, device->productID, page, usage, element->name);

    ++device->totalElements;
    if (typeIsInput(element->type))
        ++device->inputs;
    else if (element->type == kIOHIDElementTypeOutput)
        ++device->outputs;
    else if (element->type == kIOHIDElementTypeFeature)
        ++device->features;
    else if (collection)
        ++device->collections;
    else
        HIDLogErrorCode("Unknown element type : ", long(type));

    if (!*current) {
        device->firstElement = element;
    } else if (s.addedCollection) {
        recElement* parent = *current;
        while (parent->firstChild)
            parent = parent->firstChild;
        parent->firstChild = element;
        element->previous = parent;
        element->depth = parent->depth + 1;
    } else {
        recElement* last = *current;
        while (last->nextSibling)
            last = last->nextSibling;
        last->nextSibling = element;
        element->previous = last;
        element->depth = last->depth;
    }
    *current = element;
    device->elementStore.push_back(std::move(owned));

    if (collection) {
        s.addedCollection = true;
        ++s.nesting;
        recElement* slot = element;
        hid_GetCollectionElements(entry, &slot);
        --s.nesting;
    }
    s.addedCollection = false;
}

bool HIDTypeInMask(uint64_t type, uint32_t mask)
{
    return (HIDMaskForType(type) & mask) != 0 && HIDMaskForType(type) != kHIDElementTypeAll;
}

uint32_t HIDMaskForType(uint64_t type)
{
    if (typeIsInput(type))
        return kHIDElementTypeInput;
    switch (type) {
    case kIOHIDElementTypeOutput: return kHIDElementTypeOutput;
    case kIOHIDElementTypeFeature: return kHIDElementTypeFeature;
    case kIOHIDElementTypeCollection: return kHIDElementTypeCollection;
    default: return kHIDElementTypeAll;
    }
}

recElement* HIDFirstElement(const recDevice* device, uint32_t mask)
{
    if (!HIDDeviceInList(device) || !device->firstElement)
        return nullptr;
    if (HIDTypeInMask(device->firstElement->type, mask))
        return device->firstElement;
    return HIDNextElement(device->firstElement, mask);
}

recElement* HIDNextElement(const recElement* element, uint32_t mask)
{
    const recElement* current = element;
    while (current) {
        recElement* next = stepNext(current);
        if (!next || HIDTypeInMask(next->type, mask))
            return next;
        current = next;
    }
    return nullptr;
}

recElement* HIDPreviousElement(const recElement* element, uint32_t mask)
{
    const recElement* current = element;
    while (current && current->previous) {
        current = current->previous;
        if (HIDTypeInMask(current->type, mask))
            return const_cast<recElement*>(current);
    }
    return nullptr;
}

uint32_t HIDElementCount(const recDevice* device, uint32_t mask)
{
    if (!HIDDeviceInList(device))
        return 0;
    int64_t count = 0;
    if (mask & kHIDElementTypeInput)
        count += device->inputs;
    if (mask & kHIDElementTypeOutput)
        count += device->outputs;
    if (mask & kHIDElementTypeFeature)
        count += device->features;
    if (mask & kHIDElementTypeCollection)
        count += device->collections;
    return uint32_t(count);
}

bool HIDElementInDevice(const recDevice* device, const recElement* element)
{
    if (!element)
        return false;
    for (recElement* e = HIDFirstElement(device, kHIDElementTypeAll); e; e = HIDNextElement(e, kHIDElementTypeAll))
        if (e == element)
            return true;
    return false;
}

recElement* hid_ElementWithCookie(const recDevice* device, uint32_t cookie)
{
    for (recElement* e = HIDFirstElement(device, kHIDElementTypeAll); e; e = HIDNextElement(e, kHIDElementTypeAll))
        if (e->cookie == cookie)
            return e;
    return nullptr;
}

void hid_FreeElements(recDevice* device)
{
    if (!device)
        return;
    device->firstElement = nullptr;
    device->elementStore.clear();
}

void HIDPrintElement(const recElement* element)
{
    if (!element)
        return;
    std::printf("\n");
    if (state().nesting != element->depth)
        std::printf("%ld", long(state().nesting));
    for (int64_t i = 0; i < element->depth; ++i)
        std::printf("  | ");
    std::printf("-HIDPrintElement = {t: 0x%lX, u:%ld:%ld, c: %ld, name: \"%s\", d: %ld}.", static_cast<unsigned long>(element->type),
                long(element->usagePage), long(element->usage), long(element->cookie), element->name, long(element->depth));
    std::fflush(stdout);
}

// --- names

void HIDTypeName(uint64_t type, char* out)
{
    const char* name = "Unknown Type";
    switch (type) {
    case kIOHIDElementTypeInput_Misc: name = "Miscellaneous Input"; break;
    case kIOHIDElementTypeInput_Button: name = "Button Input"; break;
    case kIOHIDElementTypeInput_Axis: name = "Axis Input"; break;
    case kIOHIDElementTypeInput_ScanCodes: name = "Scan Code Input"; break;
    case kIOHIDElementTypeOutput: name = "Output"; break;
    case kIOHIDElementTypeFeature: name = "Feature"; break;
    case kIOHIDElementTypeCollection: name = "Collection"; break;
    default: break;
    }
    std::snprintf(out, kHIDTextSize, "%s", name);
}

std::optional<QVariant> hid_LoadNameTable(const QString& tableName)
{
    const QString path = Bundle::main().pathForResource(tableName, "plist");
    if (path.isEmpty())
        return std::nullopt;
    QString error;
    auto table = plist::readFile(path, &error);
    if (!table) {
        qWarning().noquote() << "hid_LoadNameTable:" << tableName << error;
        return std::nullopt;
    }
    return table;
}

namespace {

// A name table, loaded on first use and kept; tried again while missing.
QVariantMap nameTable(const QString& name)
{
    auto& tables = state().tables;
    if (!tables.contains(name)) {
        if (auto loaded = hid_LoadNameTable(name))
            tables.insert(name, *loaded);
        else
            return {};
    }
    const QVariant table = tables.value(name);
    return table.typeId() == QMetaType::QVariantMap ? table.toMap() : QVariantMap();
}

QString hex4(int64_t v)
{
    return QString::asprintf("0x%4.4lX", long(v));
}

const char* genericDesktopName(int64_t usage)
{
    switch (usage) {
    case 0x01: return "Pointer";
    case 0x02: return "Mouse";
    case 0x04: return "Joystick";
    case 0x05: return "GamePad";
    case 0x06: return "Keyboard";
    case 0x07: return "Keypad";
    case 0x08: return "Multi-Axis Controller";
    case 0x30: return "X-Axis";
    case 0x31: return "Y-Axis";
    case 0x32: return "Z-Axis";
    case 0x33: return "X-Rotation";
    case 0x34: return "Y-Rotation";
    case 0x35: return "Z-Rotation";
    case 0x36: return "Slider";
    case 0x37: return "Dial";
    case 0x38: return "Wheel";
    case 0x39: return "Hatswitch";
    case 0x3A: return "Counted Buffer";
    case 0x3B: return "Byte Count";
    case 0x3C: return "Motion Wakeup";
    case 0x3D: return "Start";
    case 0x3E: return "Select";
    case 0x40: return "X-Velocity";
    case 0x41: return "Y-Velocity";
    case 0x42: return "Z-Velocity";
    case 0x43: return "X-Rotation Velocity";
    case 0x44: return "Y-Rotation Velocity";
    case 0x45: return "Z-Rotation Velocity";
    case 0x46: return "Vno";
    case 0x80: return "System Control";
    case 0x81: return "System Power Down";
    case 0x82: return "System Sleep";
    case 0x83: return "System Wake Up";
    case 0x84: return "System Context Menu";
    case 0x85: return "System Main Menu";
    case 0x86: return "System App Menu";
    case 0x87: return "System Menu Help";
    case 0x88: return "System Menu Exit";
    case 0x89: return "System Menu";
    case 0x8A: return "System Menu Right";
    case 0x8B: return "System Menu Left";
    case 0x8C: return "System Menu Up";
    case 0x8D: return "System Menu Down";
    case 0x90: return "DPad Up";
    case 0x91: return "DPad Down";
    case 0x92: return "DPad Right";
    case 0x93: return "DPad Left";
    default: return nullptr;
    }
}

const char* ledName(int64_t usage)
{
    switch (usage) {
    case 0x48: return "Red LED";
    case 0x49: return "Green LED";
    case 0x4A: return "Amber LED";
    case 0x4B: return "Generic LED";
    case 0x4C: return "System Suspend LED";
    case 0x4D: return "External Power LED";
    default: return nullptr;
    }
}

// The usage names of the physical-interface, power-device and battery pages,
// as the usage tables of those device classes give them (sorted by usage).
struct UsageNameEntry {
    int64_t usage;
    const char* name;
};

constexpr UsageNameEntry kPidNames[] = {
    {0x01, "Physical Interface Device"}, {0x20, "Normal"}, {0x21, "Set Effect Report"},
    {0x22, "Effect Block Index"}, {0x23, "Parameter Block Offset"}, {0x24, "ROM Flag"},
    {0x25, "Effect Type"}, {0x26, "ET Constant Force"}, {0x27, "ET Ramp"}, {0x28, "ET Custom Force Data"},
    {0x30, "ET Square"}, {0x31, "ET Sine"}, {0x32, "ET Triangle"}, {0x33, "ET Sawtooth Up"},
    {0x34, "ET Sawtooth Down"}, {0x40, "ET Spring"}, {0x41, "ET Damper"}, {0x42, "ET Inertia"},
    {0x43, "ET Friction"}, {0x50, "Duration"}, {0x51, "Sample Period"}, {0x52, "Gain"},
    {0x53, "Trigger Button"}, {0x54, "Trigger Repeat Interval"}, {0x55, "Axes Enable"},
    {0x56, "Direction Enable"}, {0x57, "Direction"}, {0x58, "Type Specific Block Offset"},
    {0x59, "Block Type"}, {0x5A, "Set Envelope Report"}, {0x5B, "Attack Level"}, {0x5C, "Attack Time"},
    {0x5D, "Fade Level"}, {0x5E, "Fade Time"}, {0x5F, "Set Condition Report"}, {0x60, "CP Offset"},
    {0x61, "Positive Coefficient"}, {0x62, "Negative Coefficient"}, {0x63, "Positive Saturation"},
    {0x64, "Negative Saturation"}, {0x65, "Dead Band"}, {0x66, "Download Force Sample"},
    {0x67, "Isoch Custom Force Enable"}, {0x68, "Custom Force Data Report"}, {0x69, "Custom Force Data"},
    {0x6A, "Custom Force Vendor Defined Data"}, {0x6B, "Set Custom Force Report"},
    {0x6C, "Custom Force Data Offset"}, {0x6D, "Sample Count"}, {0x6E, "Set Periodic Report"},
    {0x6F, "Offset"}, {0x70, "Magnitude"}, {0x71, "Phase"}, {0x72, "Period"},
    {0x73, "Set Constant Force Report"}, {0x74, "Set Ramp Force Report"}, {0x75, "Ramp Start"},
    {0x76, "Ramp End"}, {0x77, "Effect Operation Report"}, {0x78, "Effect Operation"},
    {0x79, "Op Effect Start"}, {0x7A, "Op Effect Start Solo"}, {0x7B, "Op Effect Stop"},
    {0x7C, "Loop Count"}, {0x7D, "Device Gain Report"}, {0x7E, "Device Gain"}, {0x7F, "PID Pool Report"},
    {0x80, "RAM Pool Size"}, {0x81, "ROM Pool Size"}, {0x82, "ROM Effect Block Count"},
    {0x83, "Simultaneous Effects Max"}, {0x84, "Pool Alignment"}, {0x85, "PID Pool Move Report"},
    {0x86, "Move Source"}, {0x87, "Move Destination"}, {0x88, "Move Length"},
    {0x89, "PID Block Load Report"}, {0x8B, "Block Load Status"}, {0x8C, "Block Load Success"},
    {0x8D, "Block Load Full"}, {0x8E, "Block Load Error"}, {0x8F, "Block Handle"},
    {0x90, "PID Block Free Report"}, {0x91, "Type Specific Block Handle"}, {0x92, "PID State Report"},
    {0x94, "Effect Playing"}, {0x95, "PID Device Control Report"}, {0x96, "PID Device Control"},
    {0x97, "DC Enable Actuators"}, {0x98, "DC Disable Actuators"}, {0x99, "DC Stop All Effects"},
    {0x9A, "DC Device Reset"}, {0x9B, "DC Device Pause"}, {0x9C, "DC Device Continue"},
    {0x9F, "Device Paused"}, {0xA0, "Actuators Enabled"}, {0xA4, "Safety Switch"},
    {0xA5, "Actuator Override Switch"}, {0xA6, "Actuator Power"}, {0xA7, "Start Delay"},
    {0xA8, "Parameter Block Size"}, {0xA9, "Device Managed Pool"}, {0xAA, "Shared Parameter Blocks"},
    {0xAB, "Create New Effect Report"}, {0xAC, "RAM Pool Available"},
};

constexpr UsageNameEntry kPowerNames[] = {
    {0x01, "iName"}, {0x02, "PresentStatus"}, {0x03, "ChangedStatus"}, {0x04, "UPS"}, {0x05, "PowerSupply"},
    {0x10, "BatterySystem"}, {0x11, "BatterySystemID"}, {0x12, "Battery"}, {0x13, "BatteryID"},
    {0x14, "Charger"}, {0x15, "ChargerID"}, {0x16, "PowerConverter"}, {0x17, "PowerConverterID"},
    {0x18, "OutletSystem"}, {0x19, "OutletSystemID"}, {0x1A, "Input"}, {0x1B, "InputID"}, {0x1C, "Output"},
    {0x1D, "OutputID"}, {0x1E, "Flow"}, {0x1F, "FlowID"}, {0x20, "Outlet"}, {0x21, "OutletID"},
    {0x22, "Gang"}, {0x23, "GangID"}, {0x24, "PowerSummary"}, {0x25, "PowerSummaryID"}, {0x30, "Voltage"},
    {0x31, "Current"}, {0x32, "Frequency"}, {0x33, "ApparentPower"}, {0x34, "ActivePower"},
    {0x35, "PercentLoad"}, {0x36, "Temperature"}, {0x37, "Humidity"}, {0x38, "BadCount"},
    {0x40, "ConfigVoltage"}, {0x41, "ConfigCurrent"}, {0x42, "ConfigFrequency"},
    {0x43, "ConfigApparentPower"}, {0x44, "ConfigActivePower"}, {0x45, "ConfigPercentLoad"},
    {0x46, "ConfigTemperature"}, {0x47, "ConfigHumidity"}, {0x50, "SwitchOnControl"},
    {0x51, "SwitchOffControl"}, {0x52, "ToggleControl"}, {0x53, "LowVoltageTransfer"},
    {0x54, "HighVoltageTransfer"}, {0x55, "DelayBeforeReboot"}, {0x56, "DelayBeforeStartup"},
    {0x57, "DelayBeforeShutdown"}, {0x58, "Test"}, {0x59, "ModuleReset"}, {0x5A, "AudibleAlarmControl"},
    {0x60, "Present"}, {0x61, "Good"}, {0x62, "InternalFailure"}, {0x63, "VoltageOutOfRange"},
    {0x64, "FrequencyOutOfRange"}, {0x65, "Overload"}, {0x66, "OverCharged"}, {0x67, "OverTemperature"},
    {0x68, "ShutdownRequested"}, {0x69, "ShutdownImminent"}, {0x6B, "SwitchOn/Off"}, {0x6C, "Switchable"},
    {0x6D, "Used"}, {0x6E, "Boost"}, {0x6F, "Buck"}, {0x70, "Initialized"}, {0x71, "Tested"},
    {0x72, "AwaitingPower"}, {0x73, "CommunicationLost"}, {0xFD, "iManufacturer"}, {0xFE, "iProduct"},
    {0xFF, "iSerialNumber"},
};

constexpr UsageNameEntry kBatteryNames[] = {
    {0x01, "SMBBatteryMode"}, {0x02, "SMBBatteryStatus"}, {0x03, "SMBAlarmWarning"},
    {0x04, "SMBChargerMode"}, {0x05, "SMBChargerStatus"}, {0x06, "SMBChargerSpecInfo"},
    {0x07, "SMBSelectorState"}, {0x08, "SMBSelectorPresets"}, {0x09, "SMBSelectorInfo"},
    {0x10, "OptionalMfgFunction1"}, {0x11, "OptionalMfgFunction2"}, {0x12, "OptionalMfgFunction3"},
    {0x13, "OptionalMfgFunction4"}, {0x14, "OptionalMfgFunction5"}, {0x15, "ConnectionToSMBus"},
    {0x16, "OutputConnection"}, {0x17, "ChargerConnection"}, {0x18, "BatteryInsertion"}, {0x19, "Usenext"},
    {0x1A, "OKToUse"}, {0x1B, "BatterySupported"}, {0x1C, "SelectorRevision"}, {0x1D, "ChargingIndicator"},
    {0x28, "ManufacturerAccess"}, {0x29, "RemainingCapacityLimit"}, {0x2A, "RemainingTimeLimit"},
    {0x2B, "AtRate"}, {0x2C, "CapacityMode"}, {0x2D, "BroadcastToCharger"}, {0x2E, "PrimaryBattery"},
    {0x2F, "ChargeController"}, {0x40, "TerminateCharge"}, {0x41, "TerminateDischarge"},
    {0x42, "BelowRemainingCapacityLimit"}, {0x43, "RemainingTimeLimitExpired"}, {0x44, "Charging"},
    {0x45, "Discharging"}, {0x46, "FullyCharged"}, {0x47, "FullyDischarged"}, {0x48, "ConditioningFlag"},
    {0x49, "AtRateOK"}, {0x4A, "SMBErrorCode"}, {0x4B, "NeedReplacement"}, {0x60, "AtRateTimeToFull"},
    {0x61, "AtRateTimeToEmpty"}, {0x62, "AverageCurrent"}, {0x63, "Maxerror"},
    {0x64, "RelativeStateOfCharge"}, {0x65, "AbsoluteStateOfCharge"}, {0x66, "RemainingCapacity"},
    {0x67, "FullChargeCapacity"}, {0x68, "RunTimeToEmpty"}, {0x69, "AverageTimeToEmpty"},
    {0x6A, "AverageTimeToFull"}, {0x6B, "CycleCount"}, {0x80, "BattPackModelLevel"},
    {0x81, "InternalChargeController"}, {0x82, "PrimaryBatterySupport"}, {0x83, "DesignCapacity"},
    {0x84, "SpecificationInfo"}, {0x85, "ManufacturerDate"}, {0x86, "SerialNumber"},
    {0x87, "iManufacturerName"}, {0x88, "iDevicename"}, {0x89, "iDeviceChemistry"},
    {0x8A, "ManufacturerData"}, {0x8B, "Rechargable"}, {0x8C, "WarningCapacityLimit"},
    {0x8D, "CapacityGranularity1"}, {0x8E, "CapacityGranularity2"}, {0x8F, "iOEMInformation"},
    {0xC0, "InhibitCharge"}, {0xC1, "EnablePolling"}, {0xC2, "ResetToZero"}, {0xD0, "ACPresent"},
    {0xD1, "BatteryPresent"}, {0xD2, "PowerFail"}, {0xD3, "AlarmInhibited"}, {0xD4, "ThermistorUnderRange"},
    {0xD5, "ThermistorHot"}, {0xD6, "ThermistorCold"}, {0xD7, "ThermistorOverRange"},
    {0xD8, "VoltageOutOfRange"}, {0xD9, "CurrentOutOfRange"}, {0xDA, "CurrentNotRegulated"},
    {0xDB, "VoltageNotRegulated"}, {0xDC, "MasterMode"}, {0xF0, "ChargerSelectorSupport"},
    {0xF1, "ChargerSpec"}, {0xF2, "Level2"}, {0xF3, "Level3"},
};

template <std::size_t N>
const char* usageNameIn(const UsageNameEntry (&names)[N], int64_t usage)
{
    const auto it = std::lower_bound(std::begin(names), std::end(names), usage,
                                     [](const UsageNameEntry& entry, int64_t wanted) { return entry.usage < wanted; });
    return it != std::end(names) && it->usage == usage ? it->name : nullptr;
}

constexpr bool sortedByUsage(const UsageNameEntry* first, const UsageNameEntry* last)
{
    return std::is_sorted(first, last, [](const UsageNameEntry& a, const UsageNameEntry& b) { return a.usage < b.usage; });
}
static_assert(sortedByUsage(std::begin(kPidNames), std::end(kPidNames)));
static_assert(sortedByUsage(std::begin(kPowerNames), std::end(kPowerNames)));
static_assert(sortedByUsage(std::begin(kBatteryNames), std::end(kBatteryNames)));

const char* pidName(int64_t usage) { return usageNameIn(kPidNames, usage); }
const char* powerName(int64_t usage) { return usageNameIn(kPowerNames, usage); }
const char* batteryName(int64_t usage) { return usageNameIn(kBatteryNames, usage); }

QString builtInUsageName(int64_t page, int64_t usage)
{
    auto named = [usage](const char* name, const char* fallback) {
        return name ? QString::fromLatin1(name) : QString::asprintf(fallback, long(usage));
    };
    switch (page) {
    case 0x00: return QString::asprintf("Undefined Page, Usage 0x%lx", long(usage));
    case 0x01: return named(genericDesktopName(usage), "Generic Desktop Usage 0x%lx");
    case 0x02: return QString::asprintf("Simulation Usage 0x%lx", long(usage));
    case 0x03: return QString::asprintf("VR Usage 0x%lx", long(usage));
    case 0x04: return QString::asprintf("Sport Usage 0x%lx", long(usage));
    case 0x05: return QString::asprintf("Game Usage 0x%lx", long(usage));
    case 0x07: return QString::asprintf("Keyboard Usage 0x%lx", long(usage));
    case 0x08: return named(ledName(usage), "LED Usage 0x%lx");
    case 0x09: return QString::asprintf("Button #%ld", long(usage));
    case 0x0A: return QString::asprintf("Ordinal Instance %lx", long(usage));
    case 0x0B: return QString::asprintf("Telephony Usage 0x%lx", long(usage));
    case 0x0C: return QString::asprintf("Consumer Usage 0x%lx", long(usage));
    case 0x0D: return QString::asprintf("Digitizer Usage 0x%lx", long(usage));
    case 0x0F: return named(pidName(usage), "PID Usage 0x%lx");
    case 0x10: return QString::asprintf("Unicode Usage 0x%lx", long(usage));
    case 0x14: return QString::asprintf("Alphanumeric Display Usage 0x%lx", long(usage));
    case 0x84: return named(powerName(usage), "Power Device Usage 0x%lx");
    case 0x85: return named(batteryName(usage), "Battery System Usage 0x%lx");
    case 0x8C: return QString::asprintf("Bar Code Scanner Usage 0x%lx", long(usage));
    case 0x8D: return QString::asprintf("Scale Usage 0x%lx", long(usage));
    case 0x90: return QString::asprintf("Camera Control Usage 0x%lx", long(usage));
    case 0x91: return QString::asprintf("Arcade Usage 0x%lx", long(usage));
    default: break;
    }
    if (page > 0xFF00)
        return QString::asprintf("Vendor Defined Usage 0x%lx", long(usage));
    return QString::asprintf("Page: 0x%lx, Usage: 0x%lx", long(page), long(usage));
}

// Vendor and product entries of a known-device table, or empty maps.
std::pair<QVariantMap, QVariantMap> knownDevice(const QString& table, int64_t vendorID, int64_t productID)
{
    const QVariantMap vendor = nameTable(table).value(QString::number(vendorID)).toMap();
    return {vendor, vendor.value(QString::number(productID)).toMap()};
}

} // namespace

void HIDUsageName(int64_t usagePage, int64_t usage, char* out)
{
    const QVariantMap page = nameTable("HID_usage_strings").value(hex4(usagePage)).toMap();
    if (page.contains(hex4(usage))) {
        if (copyText(out, page.value("Name").toString() + ' ' + page.value(hex4(usage)).toString()))
            return;
    }
    copyText(out, builtInUsageName(usagePage, usage));
}

bool HIDCookieName(int64_t vendorID, int64_t productID, uint32_t cookie, char* out)
{
    const auto [vendor, product] = knownDevice("HID_cookie_strings", vendorID, productID);
    if (!vendor.isEmpty() && !product.isEmpty()) {
        const QString element = product.value(QString::number(cookie)).toString();
        const QString name = element.isEmpty()
                                 ? QString("%1 %2 #%3").arg(vendor.value("Name").toString(), product.value("Name").toString()).arg(cookie)
                                 : QString("%1 %2 %3").arg(vendor.value("Name").toString(), product.value("Name").toString(), element);
        if (copyText(out, name))
            return true;
    }
    static const char* const funPad[] = {"Button 1", "Button 2", "Button 3", "Button 4", "L1 Trigger", "R1 Trigger",
                                         "L2 Trigger", "R2 Trigger", "Right Stick X-Axis", "Right Stick Y-Axis",
                                         "Left Stick X-Axis", "Left Stick Y-Axis", "Hat Switch"};
    static const char* const iShock[] = {"D-Pad Up", "D-Pad Down", "D-Pad Left", "D-Pad Right", "Up Button", "Right Button",
                                         "Down Button", "Left Button", "C Button", "B Button [Select]", "A Button [Start]",
                                         "F Button", "R1 Trigger", "R2 Trigger", "L1 Trigger", "L2 Trigger",
                                         "Left Stick Button", "Right Stick Button", "D Button", "E Button",
                                         "Left Stick X-Axis", "Left Stick Y-Axis", "Right Stick X-Axis", "Right Stick Y-Axis"};
    if (vendorID == 1635) {
        if (productID == 38916) {
            if (cookie >= 3 && cookie <= 15)
                copyText(out, funPad[cookie - 3]);
            else
                copyText(out, QString::asprintf("#{V:Macsense, P:FunPad F-107, C:%ld}#", long(cookie)));
            return true;
        }
        copyText(out, QString::asprintf("#{V:Macsense, P:%ld, C:%ld}#", long(productID), long(cookie)));
        return false;
    }
    if (vendorID == 8738) {
        if (productID == 16400) {
            if (cookie >= 3 && cookie <= 26)
                copyText(out, iShock[cookie - 3]);
            else
                copyText(out, QString::asprintf("#{V:Macally, P:iShock, C:%ld}#", long(cookie)));
            return true;
        }
        copyText(out, QString::asprintf("#{V:Macally, P:%ld, C:%ld}#", long(productID), long(cookie)));
        return false;
    }
    copyText(out, QString::asprintf("#{V:%ld, P:%ld, C:%ld}#", long(vendorID), long(productID), long(cookie)));
    return false;
}

bool HIDDeviceUsageName(int64_t vendorID, int64_t productID, int64_t usagePage, int64_t usage, char* out)
{
    const auto [vendor, product] = knownDevice("HID_device_usage_strings", vendorID, productID);
    if (!vendor.isEmpty() && !product.isEmpty()) {
        const QString vendorName = vendor.contains("Name") ? vendor.value("Name").toString() : QString::asprintf("v: %ld", long(vendorID));
        const QString key = QString::asprintf("%ld:%ld", long(usagePage), long(usage));
        const QString element = product.value(key).toString();
        const QString name = element.isEmpty() ? QString("%1 %2 #%3").arg(vendorName, product.value("Name").toString(), key)
                                               : QString("%1 %2 %3").arg(vendorName, product.value("Name").toString(), element);
        if (copyText(out, name))
            return true;
    }
    copyText(out, QString::asprintf("#{V:%ld, P:%ld, U:%ld:%ld}#", long(vendorID), long(productID), long(usagePage), long(usage)));
    return true;
}

// --- values

int64_t HIDCalibratedValue(int64_t value, recElement* element)
{
    if (!element)
        return 0;
    if (element->observedMin == element->observedMax)
        return value;
    const float range = float(element->max - element->min);
    const float observed = float(element->observedMax - element->observedMin);
    return int64_t(float(element->min) + float(value - element->observedMin) * range / observed);
}

int64_t HIDScaledValue(int64_t value, const recElement* element)
{
    if (!element || element->min == element->max)
        return value;
    const float target = float(element->targetMax - element->targetMin);
    return int64_t(float(element->targetMin) + float(value - element->min) * target / float(element->max - element->min));
}

int64_t HIDReadElementValue(const recDevice* device, recElement* element)
{
    if (!HIDElementInDevice(device, element) || !device->interface)
        return 0;
    int64_t value = 0;
    // The event interface has no query of a feature's value: the last one
    // seen stands for it, as for inputs.
    if (typeIsInput(element->type) || element->type == kIOHIDElementTypeFeature) {
        for (const auto& [cookie, v] : device->interface->lastValues)
            if (cookie == element->cookie)
                value = v;
    }
    if (element->min < 0 && value > element->max)
        value = value + element->min - element->max - 1;
    element->observedMin = std::min(element->observedMin, value);
    element->observedMax = std::max(element->observedMax, value);
    return value;
}

IOReturn HIDWriteElementValue(const recDevice* device, const recElement* element, const HIDQueueEvent&)
{
    if (!HIDElementInDevice(device, element) || !device->interface)
        return kIOReturnError;
    // The event interface takes no element values from programs.
    return kIOReturnUnsupported;
}

// --- best matches

namespace {

int deviceScore(const recDevice* device, const recDevice* search)
{
    int score = 1;
    if (search->vendorID && search->vendorID == device->vendorID) {
        score = 11;
        if (search->productID && search->productID == device->productID)
            score = 19;
    }
    if (search->usagePage && search->usage && search->usagePage == device->usagePage && search->usage == device->usage)
        score += 9;
    if (search->locID && search->locID == device->locID)
        score += 5;
    return score;
}

} // namespace

bool HIDBestDevice(const recDevice* search, recDevice** deviceOut)
{
    if (!search || !deviceOut || state().devices.empty())
        return false;
    int best = -1;
    for (const auto& device : state().devices) {
        const int score = deviceScore(device.get(), search);
        if (score > best) {
            best = score;
            *deviceOut = device.get();
        }
    }
    return true;
}

bool HIDBestDeviceAndElement(const recDevice* searchDevice, const recElement* searchElement, recDevice** deviceOut,
                             recElement** elementOut)
{
    if (!searchDevice || !searchElement || !deviceOut || !elementOut)
        return false;
    const uint32_t mask = HIDMaskForType(searchElement->type);
    int best = 0;
    for (const auto& device : state().devices) {
        const int base = deviceScore(device.get(), searchDevice);
        for (recElement* e = HIDFirstElement(device.get(), mask); e; e = HIDNextElement(e, mask)) {
            int score = 0;
            if (searchElement->usagePage && searchElement->usage && searchElement->usagePage == e->usagePage
                && searchElement->usage == e->usage)
                score = base + (searchElement->cookie && searchElement->cookie == e->cookie ? 9 : 5);
            if (score > best) {
                best = score;
                *deviceOut = device.get();
                *elementOut = e;
            }
        }
    }
    return best > 0;
}

bool HIDBestSubElement(const recElement* start, const recElement* search, recElement** elementOut)
{
    if (!start || !search || !elementOut || !start->firstChild)
        return false;
    const uint32_t mask = HIDMaskForType(search->type);
    int best = 0;
    recElement* e = start->firstChild;
    if (!HIDTypeInMask(e->type, mask))
        e = HIDNextElement(e, mask);
    for (; e; e = HIDNextElement(e, mask)) {
        int score = 0;
        if (search->usagePage && search->usage && search->usagePage == e->usagePage && search->usage == e->usage)
            score = search->cookie && search->cookie == e->cookie ? 9 : 4;
        if (score > best) {
            best = score;
            *elementOut = e;
        }
    }
    return best > 0;
}

// --- queues

IOReturn hid_MakeQueue(recDevice* device)
{
    if (!HIDDeviceInList(device) || !device->interface || device->queue)
        return kIOReturnError;
    auto queue = std::make_unique<HIDQueue>();
    const std::weak_ptr<recDevice> weak = HIDRetainDevice(device);
    queue->reading = Platform::instance().inputDevices().readEvents(
        device->interface->id, [weak](const QList<InputEvent>& report) { queueReport(weak, report); });
    if (!queue->reading)
        return kIOReturnError;
    device->queue = std::move(queue);
    return kIOReturnSuccess;
}

IOReturn hid_DropQueue(recDevice* device)
{
    if (!HIDDeviceInList(device) || !device->queue)
        return kIOReturnError;
    device->queue.reset(); // stops reading the device
    return kIOReturnSuccess;
}

IOReturn HIDAddDeviceToQueue(recDevice* device)
{
    if (!HIDDeviceInList(device) || !device->interface || device->queue)
        return kIOReturnError;
    if (const IOReturn result = hid_MakeQueue(device); result != kIOReturnSuccess)
        return result;
    device->queue->started = false;
    for (recElement* e = HIDFirstElement(device, kHIDQueuedElements); e; e = HIDNextElement(e, kHIDQueuedElements))
        device->queue->cookies.insert(e->cookie);
    device->queue->started = true;
    return kIOReturnSuccess;
}

IOReturn HIDAddElementToQueue(recDevice* device, const recElement* element)
{
    if (!HIDElementInDevice(device, element))
        return kIOReturnBadArgument;
    if (!device->interface || device->queue)
        return kIOReturnError;
    if (const IOReturn result = hid_MakeQueue(device); result != kIOReturnSuccess)
        return result;
    device->queue->started = false;
    device->queue->cookies.insert(element->cookie);
    device->queue->started = true;
    return kIOReturnSuccess;
}

IOReturn HIDRemoveElementFromQueue(recDevice* device, const recElement* element)
{
    if (!HIDElementInDevice(device, element) || !device->interface || !device->queue)
        return kIOReturnError;
    device->queue->started = false;
    device->queue->cookies.erase(element->cookie);
    for (recElement* e = HIDFirstElement(device, kHIDElementTypeIO); e; e = HIDNextElement(e, kHIDElementTypeIO)) {
        if (device->queue->cookies.count(e->cookie)) {
            device->queue->started = true;
            return kIOReturnSuccess;
        }
    }
    return hid_DropQueue(device);
}

IOReturn HIDRemoveDeviceFromQueue(recDevice* device)
{
    if (!HIDDeviceInList(device))
        return kIOReturnBadArgument;
    if (device->interface && device->queue) {
        device->queue->started = false;
        for (recElement* e = HIDFirstElement(device, kHIDElementTypeIO); e; e = HIDNextElement(e, kHIDElementTypeIO))
            device->queue->cookies.erase(e->cookie);
    }
    const IOReturn result = hid_DropQueue(device);
    if (result != kIOReturnSuccess || !device->queueSource)
        return result;
    device->queueSource.reset();
    return kIOReturnSuccess;
}

IOReturn HIDRemoveAllDevicesFromQueues()
{
    IOReturn result = kIOReturnBadArgument;
    // A copy: removing may not change the list, but a handler might.
    const auto devices = state().devices;
    for (const auto& device : devices)
        result = HIDRemoveDeviceFromQueue(device.get());
    return result;
}

IOReturn HIDSetQueueHandler(recDevice* device, HIDQueueHandler handler)
{
    if (!HIDDeviceInList(device) || !device->queue)
        return kIOReturnError;
    if (!device->queueSource)
        device->queueSource = std::make_unique<HIDQueueSource>();
    device->queueSource->handler = std::move(handler);
    return kIOReturnSuccess;
}

bool HIDNextQueuedEvent(recDevice* device, HIDQueueEvent* event)
{
    if (!HIDDeviceInList(device) || !device->queue || device->queue->events.empty())
        return false;
    if (event)
        *event = device->queue->events.front();
    device->queue->events.pop_front();
    return true;
}

} // namespace zelk
