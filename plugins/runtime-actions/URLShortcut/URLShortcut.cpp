#include "URLShortcut.h"

#include "ActionPaths.h"
#include "Platform.h"

namespace zelk::engine {

bool URLShortcut::initWithDictionaryInLauncher(const QVariantMap& record)
{
    if (!ActionRunner::initWithDictionaryInLauncher(record))
        return false;
    readParameters(parametersOf(record));
    return true;
}

QString URLShortcut::runActionFromObject(const std::shared_ptr<QVActionController>& controller)
{
    switch (CUTAction) {
    case 1:
        return openURLAddress(CUTAddress, CUTApplication, *controller);
    case 2:
        return mailtoRecipient(CUTAddress, CUTSubject, CUTMessage, CUTApplication, *controller);
    default:
        return {};
    }
}

QString URLShortcut::openURLAddress(const QString& address, const QString& withApplication, QVActionController&)
{
    if (!URLShortcutModels::addressParses(address))
        return localized(classObject(), "AdresseNonValide", {address});
    if (withApplication.isEmpty()) {
        if (!Platform::instance().documents().openWithDefault(address))
            return localized(classObject(), "OuvertureImpossible", {address});
        return {};
    }
    const QString entry = fullPathForApplication(withApplication);
    if (entry.isEmpty() || !Platform::instance().workspace().launchApplication(entry, {address}))
        return localized(classObject(), "ApplicationNonValide", {withApplication});
    return {};
}

QString URLShortcut::stringForMail(const QString& text, const QByteArray& keep)
{
    return QString::fromLatin1(text.toUtf8().toPercentEncoding(keep));
}

QString URLShortcut::mailtoLink(const QString& recipient, const QString& subject, const QString& message)
{
    return QStringLiteral("mailto:%1?subject=%2&body=%3")
        .arg(stringForMail(recipient, "@,"), stringForMail(subject), stringForMail(message));
}

QString URLShortcut::mailtoRecipient(const QString& recipient, const QString& subject, const QString& message,
                                     const QString& withApplication, QVActionController& c)
{
    return openURLAddress(mailtoLink(recipient, subject, message), withApplication, c);
}

ZELK_REGISTER_ACTION_RUNNER(URLShortcut)

} // namespace zelk::engine
