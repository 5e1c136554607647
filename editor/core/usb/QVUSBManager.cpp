#include "QVUSBManager.h"

#include <QApplication>
#include <QDebug>
#include <QWidget>

namespace editor {

using namespace zelk;

namespace {

constexpr int64_t kXkeysVendor = 0x05F3;

void debugLog(const QString& text)
{
    if (QVUSBManager::debugUSBEditor())
        qWarning().noquote() << text;
}

void logDevice(const recDevice& device)
{
    qWarning().noquote() << QString::asprintf(
        "X-key Device: '%s' productID %d, usage %d, usagePage %d, totalElements %d, features %d, inputs %d, outputs %d, collections %d",
        device.product, int(device.productID), int(device.usage), int(device.usagePage), int(device.totalElements), int(device.features),
        int(device.inputs), int(device.outputs), int(device.collections));
    qWarning().noquote() << QString::asprintf("\tcount: axis %d, buttons %d, hats %d, sliders %d, dials %d, wheels %d\n", int(device.axis),
                                              int(device.buttons), int(device.hats), int(device.sliders), int(device.dials),
                                              int(device.wheels));
    qWarning().noquote() << "Element:\nType, \tName, \tUsagePage,\tUsage, Cookie, Depth:";
    for (const recElement* e = HIDFirstElement(&device, kHIDElementTypeAll); e; e = HIDNextElement(e, kHIDElementTypeAll)) {
        char type[kHIDTextSize], usage[kHIDTextSize];
        HIDTypeName(e->type, type);
        HIDUsageName(e->usagePage, e->usage, usage);
        if (e->nextSibling)
            qWarning().noquote() << QString::asprintf("T: %s(%d), N:'%s' usage:%s Page %d (x%x) usage %d cookie %d, d: %d [%8p->%8p next:  %8p]",
                                                      type, int(e->type), e->name, usage, int(e->usagePage), unsigned(e->usagePage),
                                                      int(e->usage), int(e->cookie), int(e->depth), static_cast<const void*>(e),
                                                      static_cast<const void*>(e->firstChild), static_cast<const void*>(e->nextSibling));
        else
            qWarning().noquote() << QString::asprintf("T: %s(%d), N:'%s' usage:%s Page %d (x%x) usage %ld  cookie %x, d: %d [%p->%p]\n", type,
                                                      int(e->type), e->name, usage, int(e->usagePage), unsigned(e->usagePage),
                                                      long(e->usage), unsigned(e->cookie), int(e->depth), static_cast<const void*>(e),
                                                      static_cast<const void*>(e->firstChild));
    }
}

} // namespace

QVUSBManager& QVUSBManager::sharedManager()
{
    static QVUSBManager manager;
    return manager;
}

QVUSBManager::~QVUSBManager()
{
    if (HIDDeviceListExists())
        HIDDisposeDeviceList();
}

QVariantList QVUSBManager::devicesArray()
{
    if (!m_inited) {
        rebuildDevicesArray();
        m_inited = true;
    }
    return m_devices;
}

void QVUSBManager::rebuildDevicesArray()
{
    m_devices.clear();
    if (HIDDeviceListExists())
        HIDDisposeDeviceList();
    if (!HIDBuildDeviceList(0, 0))
        qWarning().noquote() << "HIDBuildDeviceList failed";
    for (const recDevice* device = HIDFirstDevice(); device; device = HIDNextDevice(device)) {
        if (device->vendorID == kXkeysVendor)
            logDevice(*device);
        if (device->buttons < 1 && device->wheels < 1 && device->vendorID != kXkeysVendor)
            continue;
        m_devices.append(QVariantMap{
            {"vendorID", int(device->vendorID)},
            {"productID", int(device->productID)},
            {"productname", QString::fromUtf8(device->product)},
            {"buttoncount", int(device->buttons)},
            {"wheelcount", int(device->wheels)},
        });
    }
}

recDevice* QVUSBManager::deviceWithVendorID(qint64 vendorID, qint64 productID) const
{
    if (!HIDDeviceListExists())
        return nullptr;
    for (recDevice* device = HIDFirstDevice(); device; device = HIDNextDevice(device))
        if (int(device->vendorID) == int(vendorID) && int(device->productID) == int(productID))
            return device;
    return nullptr;
}

void QVUSBManager::startWaitEventOfDevice(const QVariantMap& device)
{
    recDevice* target = deviceWithVendorID(device.value("vendorID").toLongLong(), device.value("productID").toLongLong());
    if (!target) {
        debugLog("USB startWaitEventOfDevice targetDevice =nil");
        return;
    }
    // A device queued already keeps its first queue.
    HIDAddDeviceToQueue(target);
    HIDSetQueueHandler(target, &usbQueueCallback);
    debugLog(QString("USB startWaitEventOfDevice %1").arg(QVariant(device).toString()));
}

void QVUSBManager::stopWaitEventOfDevice(const QVariantMap& device)
{
    recDevice* target = deviceWithVendorID(device.value("vendorID").toLongLong(), device.value("productID").toLongLong());
    if (!target) {
        debugLog("USB stopWaitEventOfDevice targetDevice =nil");
        return;
    }
    HIDRemoveDeviceFromQueue(target);
}

QVUSBEventReceiver* keyWindowReceiver()
{
    return dynamic_cast<QVUSBEventReceiver*>(QApplication::activeWindow());
}

void usbQueueCallback(recDevice* target, IOReturn result, recDevice*, HIDQueue*)
{
    QVUSBEventReceiver* receiver = keyWindowReceiver();
    if (result != kIOReturnSuccess || !target)
        return;
    // The receiver may stop the capture (and drop the queue): hold the device.
    const HIDDeviceRef device = HIDRetainDevice(target);
    if (!device)
        return;
    bool handedOver = false;
    HIDQueueEvent event;
    while (HIDNextQueuedEvent(device.get(), &event)) {
        if (handedOver)
            continue;
        const recElement* element = elementWithCookie(device.get(), event.cookie);
        if (!element)
            continue;
        const HIDElementKind kind = kindOfElement(element, device.get());
        if (kind == HIDElementButton || (kind == HIDElementWheel && event.value != 0)) {
            handedOver = true;
            if (receiver) {
                debugLog(QString::asprintf("HIDEvent USB elementType %d sent to Delegate", int(kind)));
                receiver->HIDEvent(event.value, *element, *device);
            }
        } else {
            debugLog(QString::asprintf("USB vendor %ld - PID %d elementType %d event.value %d not supported.", long(device->vendorID),
                                       int(device->productID), int(kind), int(event.value)));
        }
    }
}

recElement* elementWithCookie(const recDevice* device, uint32_t cookie)
{
    return hid_ElementWithCookie(device, cookie);
}

HIDElementKind kindOfElement(const recElement* element, const recDevice* device)
{
    if (!element || !device)
        return HIDElementNotSupported;
    const int64_t page = element->usagePage;
    if (page == 1) {
        if (element->usage == 0x38)
            return HIDElementWheel;
        qWarning().noquote() << QString::asprintf(
            "kHIDPage_GenericDesktop unknown usageValue %d (%x) for Vendor (%d), PID (%d), please report to support.", int(element->usage),
            unsigned(element->usage), int(device->vendorID), int(device->productID));
        return HIDElementNotSupported;
    }
    if (page == 7 || page == 9)
        return HIDElementButton;
    if (page < 0xFF00) {
        qWarning().noquote() << QString::asprintf("unknown usagePageValue %d for Vendor (%d), PID (%d), please report to support.",
                                                  int(page), int(device->vendorID), int(device->productID));
        return HIDElementNotSupported;
    }
    if (device->vendorID == kXkeysVendor && device->productID == 0x241) {
        qWarning().noquote() << QString::asprintf("cookie %d (%x)", int(element->cookie), unsigned(element->cookie));
        const bool wheel = element->cookie == 157 || element->cookie == 158;
        if (wheel || element->cookie == 88) {
            qWarning().noquote() << QString::asprintf("xkey editor: usagePageValue %d, name '%s', type %d, max %d, min %d, please report to support.",
                                                      int(page), element->name, int(element->type), int(element->max), int(element->min));
            return wheel ? HIDElementWheel : HIDElementButton;
        }
    }
    if (device->vendorID == kXkeysVendor && (device->productID == 0x306 || device->productID == 0x309) && element->max > 0
        && element->min == 0)
        return HIDElementButton;
    if (element->max == 1 && element->min == 0)
        return HIDElementButton;
    return HIDElementNotSupported;
}

} // namespace editor
