#pragma once
// What both halves of the message action type share. Model 1 shows an alert:
// Message1 its title, Message2 its text, Button1 (never empty) and Button2
// (empty: no second button) its buttons; ButtonAction1/2 1 stops the
// running shortcut when that button is chosen, anything else lets it go on.
#include "PluginImages.h"

#include <QImage>
#include <QString>
#include <QVariantMap>

namespace zelk {

namespace MessageShortcutKeys {
inline const QString Action = QStringLiteral("Action");
inline const QString Message1 = QStringLiteral("Message1");
inline const QString Message2 = QStringLiteral("Message2");
inline const QString Button1 = QStringLiteral("Button1");
inline const QString Button2 = QStringLiteral("Button2");
inline const QString ButtonAction1 = QStringLiteral("ButtonAction1");
inline const QString ButtonAction2 = QStringLiteral("ButtonAction2");
} // namespace MessageShortcutKeys

namespace MessageShortcutModels {
inline constexpr int Message = 1;
inline constexpr int GoOn = 0;
inline constexpr int Stop = 1;
inline int categoryOfAction(int model) { return model == Message ? 1 : 0; }
} // namespace MessageShortcutModels

template <class Side>
class MessageShortcutCommon : public Side::Base {
public:
    using Base = typename Side::Base;

    static int categoryOfAction(int model) { return MessageShortcutModels::categoryOfAction(model); }
    static QString nameOfImageForModelID(int model)
    {
        return categoryOfAction(model) ? QStringLiteral("message.tiff") : QString();
    }
    static QImage messageIcon(int size) { return sizedImage(iconSlot().template get<Base>(Side::bundle()), size); }

    QImage imageValueWithSize(int size) const override
    {
        return categoryOfAction(this->CUTAction) ? messageIcon(size) : QImage();
    }

protected:
    void readParameters(const QVariantMap& data)
    {
        namespace K = MessageShortcutKeys;
        if (!categoryOfAction(this->CUTAction))
            return;
        CUTMessage1 = data.value(K::Message1).toString();
        CUTMessage2 = data.value(K::Message2).toString();
        CUTButton1 = data.value(K::Button1).toString();
        CUTButton2 = data.value(K::Button2).toString();
        CUTButtonAction1 = data.value(K::ButtonAction1).toInt();
        CUTButtonAction2 = data.value(K::ButtonAction2).toInt();
    }

    QString CUTMessage1, CUTMessage2, CUTButton1, CUTButton2;
    int CUTButtonAction1 = 0;
    int CUTButtonAction2 = 0;

private:
    static KeptImage& iconSlot()
    {
        static KeptImage slot(QStringLiteral("message.tiff"));
        return slot;
    }
};

} // namespace zelk
