#pragma once
// The web-address action type, running side (URLShortcutCommon.h): opens an
// address, or composes a mail link, with the default handler of its scheme
// or with a named application, which gets the address itself on its
// command line (its desktop entry's Exec field codes filled), so that the
// address reaches that application and no other. A handler that refuses is
// reported.
#include "ActionRunner.h"
#include "URLShortcut/URLShortcutCommon.h"

namespace zelk::engine {

class URLShortcut : public URLShortcutCommon<Side> {
    ZELK_ACTION_CLASS(URLShortcut, QVAction)
public:
    bool initWithDictionaryInLauncher(const QVariantMap& record) override;
    QString runActionFromObject(const std::shared_ptr<QVActionController>& controller) override;

    static QString openURLAddress(const QString& address, const QString& withApplication, QVActionController& fromObject);
    static QString mailtoRecipient(const QString& recipient, const QString& subject, const QString& message,
                                   const QString& withApplication, QVActionController& fromObject);
    // The mail link: the recipient escaped but for "@" and "," (which
    // separate and make addresses), the subject and the body escaped fully,
    // so that "&", "=", "#" and "?" stay inside their parameter.
    static QString mailtoLink(const QString& recipient, const QString& subject, const QString& message);
    // Every character but the unreserved ones as %XX of its UTF-8 bytes.
    static QString stringForMail(const QString& text, const QByteArray& keep = {});
};

} // namespace zelk::engine
