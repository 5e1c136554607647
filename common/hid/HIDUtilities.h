#pragma once
// The HID device layer: one process-wide list of the input devices, each
// with the tree of its elements (collections, buttons, axes, wheels), names
// for devices and elements, element values, and an event queue per device
// whose handler runs on the main thread's event loop.
//
// Written in the style of a C library over records: fixed 256-byte texts,
// a linked device list, element trees linked by pointers, functions that
// answer a return code, a truth value or a pointer (nullptr for none), and
// failures written to the log. Not reentrant; main thread only. Texts are
// UTF-8, the system encoding here; a text longer than its field is left out.
//
// Devices come from the platform's input-device service (the kernel's event
// interface on Linux); their elements are built from what each device can
// report (HIDElementMap.h, where cookies are defined).
//
// Ownership: the list shares its records. A device that goes away leaves the
// list, loses its queue and interface, and is freed when the last holder of
// a shared pointer (HIDRetainDevice) lets it go, so a record held elsewhere
// never dangles; every function checks that a device is still in the list.
#include "InputDevices.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <vector>

namespace zelk {

using IOReturn = int32_t;
constexpr IOReturn kIOReturnSuccess = 0;
constexpr IOReturn kIOReturnError = int32_t(0xE00002BC);
constexpr IOReturn kIOReturnBadArgument = int32_t(0xE00002C2);
constexpr IOReturn kIOReturnUnsupported = int32_t(0xE00002C7);
constexpr uint32_t kIOMessageServiceIsTerminated = 0xE0000010;

// Element types.
enum : uint64_t {
    kIOHIDElementTypeInput_Misc = 1,
    kIOHIDElementTypeInput_Button = 2,
    kIOHIDElementTypeInput_Axis = 3,
    kIOHIDElementTypeInput_ScanCodes = 4,
    kIOHIDElementTypeOutput = 129,
    kIOHIDElementTypeFeature = 257,
    kIOHIDElementTypeCollection = 513,
};

// Element type masks.
enum HIDElementTypeMask : uint32_t {
    kHIDElementTypeInput = 0x02,
    kHIDElementTypeOutput = 0x04,
    kHIDElementTypeFeature = 0x08,
    kHIDElementTypeCollection = 0x10,
    kHIDElementTypeIO = 0x0E,
    kHIDElementTypeAll = 0x1E,
};
constexpr uint32_t kHIDQueuedElements = kHIDElementTypeInput | kHIDElementTypeFeature; // 0x0A

constexpr int kHIDTextSize = 256;
constexpr int kHIDQueueDepth = 50;

struct recElement {
    uint64_t type = 0;
    int64_t usagePage = 0;
    int64_t usage = 0;
    uint32_t cookie = 0;
    int64_t min = 0, max = 0;
    int64_t scaledMin = 0, scaledMax = 0;
    int64_t size = 0;
    uint8_t relative = 0, wrapping = 0, nonLinear = 0, preferredState = 0, nullState = 0;
    int64_t unit = 0, unitExponent = 0;
    char name[kHIDTextSize] = {};
    int64_t observedMin = 0, observedMax = 0;
    int64_t targetMin = 0, targetMax = 255;
    recElement* previous = nullptr;
    recElement* firstChild = nullptr;
    recElement* nextSibling = nullptr;
    int64_t depth = 0;
};

// One queued input event.
struct HIDQueueEvent {
    uint64_t type = 0;   // the element's type
    uint32_t cookie = 0;
    int32_t value = 0;
    int64_t timestamp = 0; // microseconds
};

struct recDevice;
struct HIDQueue;
// The queue handler: target and reference are the device, sender its queue.
using HIDQueueHandler = std::function<void(recDevice* target, IOReturn result, recDevice* refcon, HIDQueue* sender)>;

// The opened device: the platform's identity of it.
struct HIDInterface {
    QString id;
    std::vector<std::pair<uint32_t, int32_t>> lastValues; // cookie, value, as events arrived
};

struct HIDQueue {
    std::set<uint32_t> cookies; // elements in the queue
    std::deque<HIDQueueEvent> events;
    bool started = false;
    ObserverHandle reading; // the device's reports while the queue exists
};

// The handler's delivery on the main loop.
struct HIDQueueSource {
    HIDQueueHandler handler;
};

struct recDevice : std::enable_shared_from_this<recDevice> {
    std::unique_ptr<HIDInterface> interface;
    std::unique_ptr<HIDQueue> queue;
    std::unique_ptr<HIDQueueSource> queueSource;
    void* transaction = nullptr; // never filled
    bool notification = false;   // removal reported to hid_DeviceRemoved
    char transport[kHIDTextSize] = {};
    int64_t vendorID = 0;
    int64_t productID = 0;
    int64_t version = 0;
    char manufacturer[kHIDTextSize] = {};
    char product[kHIDTextSize] = {};
    char serial[kHIDTextSize] = {};
    int64_t locID = 0;
    int64_t usage = 0;
    int64_t usagePage = 0;
    int64_t totalElements = 0;
    int64_t features = 0;
    int64_t inputs = 0;
    int64_t outputs = 0;
    int64_t collections = 0;
    int64_t axis = 0;
    int64_t buttons = 0;
    int64_t hats = 0;
    int64_t sliders = 0;
    int64_t dials = 0;
    int64_t wheels = 0;
    recElement* firstElement = nullptr;
    recDevice* next = nullptr;

    std::vector<std::unique_ptr<recElement>> elementStore; // owns the tree
};
using HIDDeviceRef = std::shared_ptr<recDevice>;

// --- device list
bool HIDBuildDeviceList(uint32_t usagePage, uint32_t usage);
recDevice* HIDDisposeDeviceList();
bool HIDDeviceListExists();
uint32_t HIDDeviceCount();
bool HIDDeviceInList(const recDevice* device);
recDevice* HIDFirstDevice();
recDevice* HIDNextDevice(const recDevice* device);
// Shared ownership of a listed device (nullptr when it is not listed).
HIDDeviceRef HIDRetainDevice(const recDevice* device);
// Arrivals: appends the devices that match the list's usage.
void hid_AddDevices(const QList<InputDeviceInfo>& arrived);
IOReturn HIDCreateOpenDeviceInterface(const InputDeviceInfo& service, recDevice* device);
IOReturn HIDCloseReleaseInterface(recDevice* device);
recDevice* hid_DisposeDevice(recDevice* device);
void hid_DeviceRemoved(recDevice* device, const QString& service, uint32_t message);
// Told after a device joined (added) or left the list; one per process.
void HIDSetDeviceListObserver(std::function<void(recDevice* device, bool added)> observer);

// --- elements
void hid_GetCollectionElements(const QVariantMap& properties, recElement** current);
void hid_AddElement(const QVariant& elementDict, recElement** current);
void hid_TakeDeviceUsage(const QVariant& elementDict, recDevice* device);
recElement* HIDFirstElement(const recDevice* device, uint32_t mask);
recElement* HIDNextElement(const recElement* element, uint32_t mask);
recElement* HIDPreviousElement(const recElement* element, uint32_t mask);
uint32_t HIDElementCount(const recDevice* device, uint32_t mask);
bool HIDTypeInMask(uint64_t type, uint32_t mask);
uint32_t HIDMaskForType(uint64_t type);
bool HIDElementInDevice(const recDevice* device, const recElement* element);
void hid_FreeElements(recDevice* device);
void HIDPrintElement(const recElement* element);
// Builds a device record from its properties (no interface, not listed);
// the list is built the same way.
HIDDeviceRef hid_MakeDevice(const QVariantMap& properties);

// --- names, values, search
void HIDTypeName(uint64_t type, char* out);
void HIDUsageName(int64_t usagePage, int64_t usage, char* out);
bool HIDCookieName(int64_t vendorID, int64_t productID, uint32_t cookie, char* out);
bool HIDDeviceUsageName(int64_t vendorID, int64_t productID, int64_t usagePage, int64_t usage, char* out);
std::optional<QVariant> hid_LoadNameTable(const QString& tableName);
int64_t HIDCalibratedValue(int64_t value, recElement* element);
int64_t HIDScaledValue(int64_t value, const recElement* element);
bool HIDBestDevice(const recDevice* search, recDevice** deviceOut);
bool HIDBestDeviceAndElement(const recDevice* searchDevice, const recElement* searchElement, recDevice** deviceOut,
                             recElement** elementOut);
bool HIDBestSubElement(const recElement* start, const recElement* search, recElement** elementOut);
int64_t HIDReadElementValue(const recDevice* device, recElement* element);
IOReturn HIDWriteElementValue(const recDevice* device, const recElement* element, const HIDQueueEvent& event);

// --- queues
IOReturn hid_MakeQueue(recDevice* device);
IOReturn hid_DropQueue(recDevice* device);
IOReturn HIDAddDeviceToQueue(recDevice* device);
IOReturn HIDAddElementToQueue(recDevice* device, const recElement* element);
IOReturn HIDRemoveElementFromQueue(recDevice* device, const recElement* element);
IOReturn HIDRemoveDeviceFromQueue(recDevice* device);
IOReturn HIDRemoveAllDevicesFromQueues();
IOReturn HIDSetQueueHandler(recDevice* device, HIDQueueHandler handler);
bool HIDNextQueuedEvent(recDevice* device, HIDQueueEvent* event);

// --- logging
void HIDLogErrorCode(const char* text, long code);
void HIDLogError(const char* text);

// The element of the device with that cookie (walk order, all types).
recElement* hid_ElementWithCookie(const recDevice* device, uint32_t cookie);

} // namespace zelk
