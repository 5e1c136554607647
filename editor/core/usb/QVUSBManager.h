#pragma once
// The editor's USB manager: the devices a USB launcher can use (those with
// buttons or wheels) and, while the user captures a USB trigger in the
// launcher editor, the first usable event of each batch of the device being
// listened to, handed to the active window when it takes HID events.
#include "HIDUtilities.h"

#include <QVariantList>
#include <QVariantMap>

namespace editor {

// What a window offers to receive captured USB input (the launcher editor).
class QVUSBEventReceiver {
public:
    virtual ~QVUSBEventReceiver() = default;
    virtual void HIDEvent(int value, const zelk::recElement& element, const zelk::recDevice& device) = 0;
};

// HIDElementKind, stored as launcherusbtype.
enum HIDElementKind { HIDElementNotSupported = -1, HIDElementButton = 0, HIDElementWheel = 1 };

class QVUSBManager {
public:
    static QVUSBManager& sharedManager();
    static bool debugUSBEditor() { return false; }

    QVUSBManager() = default;
    ~QVUSBManager();
    QVUSBManager(const QVUSBManager&) = delete;
    QVUSBManager& operator=(const QVUSBManager&) = delete;

    // USBDeviceRecord {"vendorID", "productID", "productname", "buttoncount",
    // "wheelcount"} of each usable device; built on the first call, kept.
    QVariantList devicesArray();
    void rebuildDevicesArray();
    // Listens to / stops listening to the device of a USBDeviceRecord.
    void startWaitEventOfDevice(const QVariantMap& device);
    void stopWaitEventOfDevice(const QVariantMap& device);
    zelk::recDevice* deviceWithVendorID(qint64 vendorID, qint64 productID) const;

private:
    QVariantList m_devices; // UMSupportedDevicesArray
    bool m_inited = false;  // UMInited
};

// The queue handler while listening: hands the first button event, or wheel
// event with a value, of the batch to the receiver; the rest is dropped.
void usbQueueCallback(zelk::recDevice* target, zelk::IOReturn result, zelk::recDevice* refcon, zelk::HIDQueue* sender);
zelk::recElement* elementWithCookie(const zelk::recDevice* device, uint32_t cookie);
HIDElementKind kindOfElement(const zelk::recElement* element, const zelk::recDevice* device);
// The active window when it receives USB input, else nullptr.
QVUSBEventReceiver* keyWindowReceiver();

} // namespace editor
