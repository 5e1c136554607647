#pragma once
// What both halves of the web-address action type share: model 1 opens an
// address, model 2 composes a mail; the keys, the reading of a record, the
// address test and the class images.
#include "PluginImages.h"

#include <QImage>
#include <QString>
#include <QUrl>
#include <QVariantMap>

namespace zelk {

namespace URLShortcutKeys {
inline const QString Action = QStringLiteral("Action");
inline const QString Address = QStringLiteral("Address");
inline const QString Application = QStringLiteral("Application");
inline const QString Subject = QStringLiteral("Subject");
inline const QString Message = QStringLiteral("Message");
} // namespace URLShortcutKeys

namespace URLShortcutModels {
inline int categoryOfAction(int model) { return model == 1 || model == 2 ? model : 0; }
inline QString nameOfImageForModelID(int model)
{
    return model == 1 ? QStringLiteral("URL.tiff") : model == 2 ? QStringLiteral("mailto.tiff") : QString();
}
// The address a new model-1 action starts with.
inline QString webPrefix() { return QStringLiteral("http://www."); }
// Whether a text parses as a URL: characters a URL may not hold (a space,
// say) fail; a text without a scheme passes as a relative URL; the empty
// text names nothing and fails.
inline bool addressParses(const QString& address)
{
    return !address.isEmpty() && QUrl(address, QUrl::StrictMode).isValid();
}
} // namespace URLShortcutModels

template <class Side>
class URLShortcutCommon : public Side::Base {
public:
    using Base = typename Side::Base;

    static int categoryOfAction(int model) { return URLShortcutModels::categoryOfAction(model); }
    static QImage URLIcon(int size) { return sizedImage(urlSlot().template get<Base>(Side::bundle()), size); }
    static QImage mailtoIcon(int size) { return sizedImage(mailtoSlot().template get<Base>(Side::bundle()), size); }

    QImage imageValueWithSize(int size) const override
    {
        return this->CUTAction == 1 ? URLIcon(size) : this->CUTAction == 2 ? mailtoIcon(size) : QImage();
    }

protected:
    void readParameters(const QVariantMap& data)
    {
        namespace K = URLShortcutKeys;
        const int category = categoryOfAction(this->CUTAction);
        if (category == 0)
            return;
        CUTAddress = data.value(K::Address).toString();
        CUTApplication = data.value(K::Application).toString();
        if (category == 2) {
            CUTSubject = data.value(K::Subject).toString();
            CUTMessage = data.value(K::Message).toString();
        }
    }

    QString CUTAddress;
    QString CUTApplication;
    QString CUTSubject;
    QString CUTMessage;

private:
    static KeptImage& urlSlot()
    {
        static KeptImage slot(QStringLiteral("URL.tiff"));
        return slot;
    }
    static KeptImage& mailtoSlot()
    {
        static KeptImage slot(QStringLiteral("mailto.tiff"));
        return slot;
    }
};

} // namespace zelk
