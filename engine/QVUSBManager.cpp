#include "QVUSBManager.h"

#include "Log.h"
#include "Platform.h"
#include "QVAppl.h"

#include <QCoreApplication>

namespace engine {

using namespace zelk;

namespace {

constexpr qint64 kPedalVendor = 1523;
qint64 s_lastPedalCookie = 0; // the last decoded cookie of the multi-pedal device

bool isPedalDevice(qint64 vendor, qint64 product)
{
    return vendor == kPedalVendor && (product == 774 || product == 777);
}

qint64 number(const QVariantMap& dict, const char* key)
{
    return dict.value(QLatin1String(key)).toLongLong();
}

// Keyboard types of the vendor 1452 products.
int keyboardType(qint64 product)
{
    static const QHash<qint64, int> types = {{513, 198}, {514, 199}, {515, 200}, {516, 204}, {517, 205}, {518, 206},
                                             {520, 31},  {521, 32},  {522, 33},  {523, 34},  {524, 35},  {525, 36},
                                             {526, 37},  {527, 38},  {528, 39},  {529, 37},  {530, 38},  {531, 39}};
    return types.value(product, 198);
}

void logKeyboard(const recDevice& keyboard)
{
    static bool logged = false;
    if (logged)
        return;
    logged = true;
    const qint64 vendor = keyboard.vendorID, product = keyboard.productID;
    if (vendor == 1452) {
        if (product < 513 || product > 531 || product == 519)
            zlog("QVUSBManager", "initDevices") << "defaulting to Apple Keyboard USB Cosmo ANSI";
        const int type = product >= 513 && product <= 531 && product != 519 ? keyboardType(product) : 198;
        zlog("QVUSBManager", "initDevices")
            << QString::asprintf("Apple Keyboard   productID %llx - vendorID %llx : using keyboard %d", product, vendor, type);
        return;
    }
    if (vendor == 1118)
        return;
    static const QHash<qint64, const char*> makers = {
        {1008, "Hewlett-Packard device"}, {1072, "Sun Microsystems, Inc. device"}, {1133, "Logitech Inc. device"}, {1203, "IBM Corp. device"}};
    if (makers.contains(vendor))
        zlog("QVUSBManager", "initDevices") << makers.value(vendor);
    zlog("QVUSBManager", "initDevices")
        << QString::asprintf("Non-Apple Keyboard using keyboard  productID %llx - vendorID %llx", product, vendor);
}

} // namespace

QVUSBManager& QVUSBManager::sharedManager()
{
    static QVUSBManager manager;
    return manager;
}

void QVUSBManager::attach()
{
    if (m_platform != &Platform::instance())
        initDevices();
    QVUSBWatch::install(this);
}

static bool shiftHeld()
{
    // Stored key codes 56 and 60: the two shift keys.
    const EventPoster::KeyMap held = Platform::instance().events().heldKeys();
    auto down = [&held](int k) { return (held[size_t(k / 8)] >> (k % 8)) & 1; };
    return down(56) || down(60);
}

QVUSBManager::QVUSBManager()
{
    initDevices();
    HIDSetDeviceListObserver([this](recDevice* device, bool added) { deviceListChanged(device, added); });
}

QVUSBManager::~QVUSBManager()
{
    HIDSetDeviceListObserver(nullptr);
    if (&QVUSBWatch::current() == this)
        QVUSBWatch::install(nullptr);
    HIDDisposeDeviceList();
}

void QVUSBManager::initDevices()
{
    m_missing.clear();
    m_keyboard.reset();
    m_platform = &Platform::instance();
    if (HIDDeviceListExists())
        HIDDisposeDeviceList();
    HIDBuildDeviceList(0, 0);
    recDevice* keyboard = HIDFirstDevice();
    while (keyboard && !(keyboard->usagePage == 1 && keyboard->usage == 6))
        keyboard = HIDNextDevice(keyboard);
    if (!keyboard)
        return;
    logKeyboard(*keyboard);
    watchKeyboard(keyboard);
}

void QVUSBManager::watchKeyboard(recDevice* keyboard)
{
    if (HIDAddDeviceToQueue(keyboard) == kIOReturnSuccess) {
        HIDSetQueueHandler(keyboard, &QVUSBManager::modifierCallback);
        m_keyboard = HIDRetainDevice(keyboard);
    }
}

recDevice* QVUSBManager::deviceWithVendorID(qint64 vendorID, qint64 productID) const
{
    for (recDevice* device = HIDFirstDevice(); device; device = HIDNextDevice(device))
        if (device->vendorID == vendorID && device->productID == productID)
            return device;
    return nullptr;
}

void QVUSBManager::startWaitEventOfDevice(const QVariantMap& elementDict, const QString& withName)
{
    const qint64 vendor = number(elementDict, "usbelementvendorid");
    const qint64 product = number(elementDict, "usbelementproductid");
    if (!m_watched.contains(qMakePair(vendor, product)))
        m_watched.append(qMakePair(vendor, product));
    recDevice* device = deviceWithVendorID(vendor, product);
    if (!device) {
        const QVariantMap missing{{"usbelementvendorid", vendor},
                                  {"usbelementproductid", product},
                                  {"usbelementcookie", number(elementDict, "usbelementcookie")},
                                  {"deviceName", withName}};
        if (!m_missing.contains(missing)) {
            m_missing.append(missing);
            if (shiftHeld())
                zlog("QVUSBManager", "startWaitEventOfDevice") << "missing USB device" << withName << "dict:" << missing;
        }
        return;
    }
    watchDevice(device);
}

bool QVUSBManager::isModifierKeyboard(const recDevice* device) const
{
    const HIDDeviceRef keyboard = m_keyboard.lock();
    return keyboard && keyboard.get() == device;
}

void QVUSBManager::watchDevice(recDevice* device)
{
    // The keyboard's queue serves its modifiers and its triggers alike.
    if (isModifierKeyboard(device) && device->queue) {
        HIDSetQueueHandler(device, &QVUSBManager::keyboardTriggerCallback);
        return;
    }
    // A queued device is left as it is: several triggers share one queue.
    if (device->queue)
        return;
    if (HIDAddDeviceToQueue(device) == kIOReturnSuccess)
        HIDSetQueueHandler(device, &QVUSBManager::triggerCallback);
    else
        zlog("QVUSBManager", "startWaitEventOfDevice") << "cannot read the events of" << device->product;
}

void QVUSBManager::stopWaitEventOfDevice(const QVariantMap& elementDict)
{
    const auto key = qMakePair(number(elementDict, "usbelementvendorid"), number(elementDict, "usbelementproductid"));
    m_watched.removeAll(key);
    recDevice* device = deviceWithVendorID(key.first, key.second);
    if (device && isModifierKeyboard(device) && device->queue) {
        // Its modifiers are still watched.
        HIDSetQueueHandler(device, &QVUSBManager::modifierCallback);
        return;
    }
    if (device && device->queue)
        HIDRemoveDeviceFromQueue(device);
}

void QVUSBManager::deviceListChanged(recDevice* device, bool added)
{
    if (!added) {
        zlog("QVUSBManager", "deviceListChanged") << "USB device removed:" << device->product;
        return;
    }
    // A keyboard back (or a first one): its modifiers are watched again.
    if (m_keyboard.expired() && device->usagePage == 1 && device->usage == 6)
        watchKeyboard(device);
    if (m_watched.contains(qMakePair(qint64(device->vendorID), qint64(device->productID)))) {
        zlog("QVUSBManager", "deviceListChanged") << "USB device back:" << device->product;
        watchDevice(device);
    }
}

void QVUSBManager::readBatch(recDevice* target, IOReturn result, Watch watch)
{
    if (result != kIOReturnSuccess || !target)
        return;
    // The handlers may drop the device (a trigger's shortcut reloading the
    // launchers): hold it for the whole batch.
    const HIDDeviceRef device = HIDRetainDevice(target);
    if (!device)
        return;
    QVAppl* app = QVAppl::shared();
    HIDQueueEvent event;
    // Every event of the batch, in order: a modifier let go in the same
    // report as another key must not stay held, and a press and its release
    // in one batch must both reach the launchers, or a repeat never stops.
    while (HIDNextQueuedEvent(device.get(), &event)) {
        const recElement* element = hid_ElementWithCookie(device.get(), event.cookie);
        if (!element || !app)
            continue;
        const bool modifier = element->usagePage == 7 && element->usage >= 0xE0 && element->usage <= 0xE7;
        if (modifier && (int(watch) & int(Watch::Modifiers)))
            app->modifierEventUsage(int(element->usage), event.value);
        if ((int(watch) & int(Watch::Triggers)) && acceptsEvent(*device, *element, event.value))
            app->HIDEvent(event.value, element->cookie, device->vendorID, device->productID);
    }
}

void QVUSBManager::modifierCallback(recDevice* target, IOReturn result, recDevice*, HIDQueue*)
{
    readBatch(target, result, Watch::Modifiers);
}

void QVUSBManager::triggerCallback(recDevice* target, IOReturn result, recDevice*, HIDQueue*)
{
    readBatch(target, result, Watch::Triggers);
}

void QVUSBManager::keyboardTriggerCallback(recDevice* target, IOReturn result, recDevice*, HIDQueue*)
{
    readBatch(target, result, Watch::Both);
}

bool QVUSBManager::acceptsEvent(const recDevice& device, const recElement& element, int value)
{
    const qint64 page = element.usagePage;
    if (page == 9 || page == 7)
        return true;
    if (page == 1 && element.usage == 0x38)
        return value != 0;
    if (page >= 0xFF00) {
        if (element.max == 1 && element.min == 0)
            return true;
        if (element.max > 0 && element.min == 0 && isPedalDevice(device.vendorID, device.productID))
            return true;
        zlog("QVUSBManager", "triggerCallback")
            << QString::asprintf("typeOfElementFor USB Device vendorID: %08llx productID: %08llx - max %lld - min %lld",
                                 (long long)device.vendorID, (long long)device.productID, (long long)element.max, (long long)element.min);
        return false;
    }
    zlog("QVUSBManager", "triggerCallback")
        << QString::asprintf("unsupported USB Device usagePageValue type: %lld vendorID: %08llx productID: %lld", (long long)page,
                             (long long)device.vendorID, (long long)device.productID);
    return false;
}

qint64 QVUSBManager::decodeCookie(qint64 cookie, int value, qint64 vendor, qint64 product)
{
    if (!isPedalDevice(vendor, product))
        return cookie;
    if (value > 0) {
        int bit = 31;
        while (bit > 0 && !(quint32(value) & (1u << bit)))
            --bit;
        s_lastPedalCookie = cookie * 8 + bit;
        return s_lastPedalCookie;
    }
    if (value == 0) {
        const qint64 pressed = s_lastPedalCookie;
        s_lastPedalCookie = 0;
        return pressed;
    }
    // Negative values: the pedals' elements have the minimum 0, so none is
    // expected; the cookie stays as reported.
    return cookie;
}

} // namespace engine
