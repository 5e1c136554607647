// The application object's USB part: the modifier keys of USB keyboards,
// trigger events turned into "USBEventNotification", and the panel of
// missing devices at start-up.
#include "Bundle.h"
#include "FormatText.h"
#include "Log.h"
#include "NotificationCenter.h"
#include "Platform.h"
#include "QVAppl.h"
#include "QVUSBManager.h"
#include "QVUSBMissingPanel.h"
#include "UserDefaults.h"

#include <QCheckBox>
#include <QLabel>

namespace engine {

namespace {

bool optionHeld()
{
    // Stored key codes 58 and 61: the two option (Alt) keys.
    const zelk::EventPoster::KeyMap held = zelk::Platform::instance().events().heldKeys();
    auto down = [&held](int k) { return (held[size_t(k / 8)] >> (k % 8)) & 1; };
    return down(58) || down(61);
}

} // namespace

void QVAppl::modifierEventUsage(int usage, int value)
{
    if (usage < 0xE0 || usage > 0xE7)
        return;
    const qint32 bit = m_modifierArray[size_t(usage - 0xE0)];
    if (value > 0)
        m_modifierState |= bit;
    else
        m_modifierState &= ~bit;
}

quint32 QVAppl::modifierState() const
{
    const qint32 held = m_modifierState;
    quint32 flags = 0;
    if (held & 12)
        flags |= 0x40000;
    if (held & 3)
        flags |= 0x20000;
    if (held & 48)
        flags |= 0x80000;
    if (held & 192)
        flags |= 0x100000;
    return flags;
}

void QVAppl::HIDEvent(int value, qint64 cookie, qint64 vendor, qint64 product)
{
    const qint64 reported = QVUSBManager::decodeCookie(cookie, value, vendor, product);
    const QVariantMap device{
        {"usbelementvendorid", vendor},
        {"usbelementproductid", product},
        {"usbelementcookie", reported},
        {"usbmodifiers", qint64(modifierState())},
    };
    if (TraceRun())
        zelk::zlog("QVAppl", "HIDEvent") << device << "value" << value;
    zelk::NotificationCenter::defaultCenter().post(QStringLiteral("USBEventNotification"), nullptr,
                                                   {{"DeviceEvent", device}, {"EventValue", value}});
}

void QVAppl::reportMissingUSBDevices()
{
    zelk::UserDefaults& defaults = zelk::UserDefaults::standard();
    if (optionHeld())
        defaults.removeValue(QStringLiteral("QVUSBMissingWindow"));
    const QVariantList missing = QVUSBManager::sharedManager().QVUMissingDevices();
    if (missing.isEmpty())
        return;
    if (!defaults.contains(QStringLiteral("QVUSBMissingWindow")))
        showMissingDevices(missing);
    else
        zelk::zlog("QVAppl", "startEngine")
            << QString("ignoring/disabling %1 missing devices (hold option key on startup to see)").arg(missing.size());
}

void QVAppl::showMissingDevices(const QVariantList& devices)
{
    QStringList names;
    for (const QVariant& entry : devices) {
        const QVariantMap description = entry.toMap();
        const QString name = description.contains("deviceName") ? description.value("deviceName").toString() : QStringLiteral("Unknown");
        if (names.contains(name)) {
            zelk::zlog("QVAppl", "showMissingDevices") << "duplicated" << name;
            continue;
        }
        zelk::zlog("QVAppl", "showMissingDevices") << "misisng:" << name << "-" << description;
        names << name;
    }
    auto* panel = qobject_cast<QVUSBMissingPanel*>(m_usbMissingPanel.data());
    if (!panel) {
        panel = new QVUSBMissingPanel(*this);
        panel->setAttribute(Qt::WA_DeleteOnClose, false);
        m_usbMissingPanel = panel;
    }
    const zelk::Bundle bundle = zelk::Bundle::main();
    panel->titleField()->setText(
        zelk::fillFormat(bundle.localizedString(QStringLiteral("DeviceNotFound"), QString()), {names.join(QStringLiteral(", "))}));
    panel->descriptionField()->setText(bundle.localizedString(QStringLiteral("USBLauncherUnabled"), QString()));
    panel->show();
    panel->raise();
    panel->activateWindow();
}

QVUSBMissingPanel* QVAppl::usbMissingPanel() const
{
    return qobject_cast<QVUSBMissingPanel*>(m_usbMissingPanel.data());
}

void QVAppl::USBMissingPanel(QWidget* sender)
{
    auto* panel = usbMissingPanel();
    if (panel && panel->dontShowAgainCheck()->isChecked())
        zelk::UserDefaults::standard().setValue(QStringLiteral("QVUSBMissingWindow"), true);
    if (sender && sender->window())
        sender->window()->hide();
}

} // namespace engine
