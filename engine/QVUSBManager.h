#pragma once
// The engine's USB manager: watches the USB devices of the USB launchers and
// the modifier keys of the first USB keyboard, and turns their input into
// the local notification "USBEventNotification" through the application
// object (QVAppl::HIDEvent). One per process; made on first use, it becomes
// the USB watch that the launchers call (QVUSBWatch).
//
// A trigger's device that is not plugged in joins the missing list
// (QVUMissingDevices, reported once at start-up). A watched device that is
// unplugged and plugged in again is watched again on its return.
#include "HIDUtilities.h"
#include "QVUSBWatch.h"

#include <QList>
#include <QVariantList>
#include <QVariantMap>

namespace engine {

class QVUSBManager : public QVUSBWatch {
public:
    static QVUSBManager& sharedManager();
    // Becomes the launchers' USB watch; rebuilds the device list when the
    // desktop backend changed since it was built (tests swap backends).
    void attach();

    QVUSBManager();
    ~QVUSBManager() override;

    // Rebuilds the device list and watches the first keyboard's modifiers.
    void initDevices();
    // {"usbelementvendorid", "usbelementproductid", "usbelementcookie", "deviceName"}, once each.
    QVariantList QVUMissingDevices() const { return m_missing; }

    void startWaitEventOfDevice(const QVariantMap& elementDict, const QString& withName) override;
    void stopWaitEventOfDevice(const QVariantMap& elementDict) override;
    // The first listed device with both identifiers; nullptr for none.
    zelk::recDevice* deviceWithVendorID(qint64 vendorID, qint64 productID) const;

    // Queue handlers: every event of a batch is handled, in order.
    static void modifierCallback(zelk::recDevice* target, zelk::IOReturn result, zelk::recDevice* refcon, zelk::HIDQueue* sender);
    static void triggerCallback(zelk::recDevice* target, zelk::IOReturn result, zelk::recDevice* refcon, zelk::HIDQueue* sender);
    // The keyboard whose modifiers are watched, when a trigger listens to it too.
    static void keyboardTriggerCallback(zelk::recDevice* target, zelk::IOReturn result, zelk::recDevice* refcon,
                                        zelk::HIDQueue* sender);
    // Whether a trigger takes an event of the element (logs the ones it drops).
    static bool acceptsEvent(const zelk::recDevice& device, const zelk::recElement& element, int value);

    // The multi-pedal device reports several pedals as bits of one element:
    // its cookie becomes cookie * 8 + the highest bit; a release (0) uses
    // the cookie of the last press. Other devices keep their cookie.
    static qint64 decodeCookie(qint64 cookie, int value, qint64 vendor, qint64 product);

private:
    void watchDevice(zelk::recDevice* device);
    void watchKeyboard(zelk::recDevice* keyboard);
    bool isModifierKeyboard(const zelk::recDevice* device) const;
    enum class Watch { Modifiers = 1, Triggers = 2, Both = 3 };
    // Handles every event of a batch, in order, as the watch says.
    static void readBatch(zelk::recDevice* target, zelk::IOReturn result, Watch watch);
    void deviceListChanged(zelk::recDevice* device, bool added);

    const void* m_platform = nullptr; // the backend the list was built on
    std::weak_ptr<zelk::recDevice> m_keyboard; // the first keyboard, watched for its modifiers
    QVariantList m_missing;
    // Vendor and product of the devices the triggers listen to.
    QList<QPair<qint64, qint64>> m_watched;
};

} // namespace engine
