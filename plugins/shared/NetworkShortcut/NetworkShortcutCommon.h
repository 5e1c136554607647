#pragma once
// What both halves of the network action type share. Model 1 switches to a
// network location (a connection profile) by name, 2 pops up a menu of the
// locations, 3 mounts a server volume; 4, known to the runner only,
// unmounts the volume at `Server`. The password of a server lives in the
// user's secret store: the record keeps only its reference
// ("PasswordRef"). Older records carry the password itself as UTF-16 data
// ("Password"); it is still read.
#include "PluginImages.h"
#include "Platform.h"

#include <QByteArray>
#include <QCollator>
#include <QImage>
#include <QString>
#include <QStringConverter>
#include <QStringList>
#include <QVariantMap>

namespace zelk {

namespace NetworkShortcutKeys {
inline const QString Action = QStringLiteral("Action");
inline const QString Config = QStringLiteral("Config");
inline const QString Server = QStringLiteral("Server");
inline const QString Directory = QStringLiteral("Directory");
inline const QString User = QStringLiteral("User");
inline const QString Password = QStringLiteral("Password");
inline const QString PasswordRef = QStringLiteral("PasswordRef");
} // namespace NetworkShortcutKeys

namespace NetworkShortcutModels {
inline constexpr int SwitchLocation = 1, LocationsMenu = 2, Mount = 3, Unmount = 4;
inline QString nameOfImageForModelID(int model)
{
    if (model == SwitchLocation || model == LocationsMenu)
        return QStringLiteral("Config.tiff");
    if (model == Mount)
        return QStringLiteral("Mount.tiff");
    return {};
}
// The password as older records store it: UTF-16 with a byte-order mark.
inline QByteArray encodedPassword(const QString& text)
{
    QStringEncoder encoder(QStringConverter::Utf16, QStringConverter::Flag::WriteBom);
    return encoder(text);
}
inline QString decodedPassword(const QByteArray& data)
{
    QStringDecoder decoder(QStringConverter::Utf16);
    return decoder(data);
}
} // namespace NetworkShortcutModels

// runsUnmount: the side knows model 4 (the runner's).
template <class Side, bool runsUnmount>
class NetworkShortcutCommon : public Side::Base {
public:
    using Base = typename Side::Base;

    static QImage configIcon(int size) { return sizedImage(configSlot().template get<Base>(Side::bundle()), size); }
    static QImage mountIcon(int size) { return sizedImage(mountSlot().template get<Base>(Side::bundle()), size); }

    // The names of every location, sorted ignoring case.
    static QStringList configNames()
    {
        QStringList names;
        for (const NetworkLocation& location : Platform::instance().network().locations())
            names << location.name;
        QCollator collator;
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        std::stable_sort(names.begin(), names.end(), [&collator](const QString& a, const QString& b) {
            return collator.compare(a, b) < 0;
        });
        return names;
    }

    QImage imageValueWithSize(int size) const override
    {
        switch (this->CUTAction) {
        case NetworkShortcutModels::SwitchLocation:
        case NetworkShortcutModels::LocationsMenu:
            return configIcon(size);
        case NetworkShortcutModels::Mount:
            return mountIcon(size);
        case NetworkShortcutModels::Unmount:
            return runsUnmount ? mountIcon(size) : QImage();
        default:
            return {};
        }
    }

protected:
    // category: 1 the location, 3 the server's keys.
    void readParameters(const QVariantMap& data, int category)
    {
        namespace K = NetworkShortcutKeys;
        if (category == 1) {
            CUTConfig = data.value(K::Config).toString();
        } else if (category == 3) {
            CUTServer = data.value(K::Server).toString();
            CUTDirectory = data.value(K::Directory).toString();
            CUTUser = data.value(K::User).toString();
            CUTPasswordRef = data.value(K::PasswordRef).toString();
            CUTPassword = NetworkShortcutModels::decodedPassword(data.value(K::Password).toByteArray());
        }
    }

    QString CUTConfig;
    QString CUTServer, CUTDirectory, CUTUser;
    QString CUTPasswordRef;
    QString CUTPassword; // an older record's own password

private:
    static KeptImage& configSlot()
    {
        static KeptImage slot(QStringLiteral("Config.tiff"));
        return slot;
    }
    static KeptImage& mountSlot()
    {
        static KeptImage slot(QStringLiteral("Mount.tiff"));
        return slot;
    }
};

} // namespace zelk
