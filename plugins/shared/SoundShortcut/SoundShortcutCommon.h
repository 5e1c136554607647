#pragma once
// What both halves of the sound action type share. Model 1 plays a sound
// file; 14, 10, 11 and 12 set the output volume to full, raise it, lower it
// and switch muting. The keys, categories, model images, the reading of a
// record and bestPath().
#include "ActionPaths.h"
#include "PluginImages.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QVariantMap>
#include <mutex>

namespace zelk {

namespace SoundShortcutKeys {
inline const QString Action = QStringLiteral("Action");
inline const QString Path = QStringLiteral("Path");
inline const QString FSRef = QStringLiteral("FSRef");
} // namespace SoundShortcutKeys

namespace SoundShortcutModels {
inline constexpr int PlayFile = 1, VolumeUp = 10, VolumeDown = 11, Mute = 12, VolumeFull = 14;
inline int categoryOfAction(int model)
{
    if (model == PlayFile)
        return 1;
    return model == VolumeUp || model == VolumeDown || model == Mute || model == VolumeFull ? 2 : 0;
}
inline QString nameOfImageForModelID(int model)
{
    switch (model) {
    case PlayFile:
        return QStringLiteral("sound.tiff");
    case VolumeFull:
    case VolumeUp:
        return QStringLiteral("soundup.png");
    case VolumeDown:
        return QStringLiteral("sounddown.png");
    case Mute:
        return QStringLiteral("soundmute.png");
    default:
        return {};
    }
}
} // namespace SoundShortcutModels

template <class Side>
class SoundShortcutCommon : public Side::Base {
public:
    using Base = typename Side::Base;

    static int categoryOfAction(int model) { return SoundShortcutModels::categoryOfAction(model); }
    static QImage imageForModel(int model, int size)
    {
        return sizedImage(images().template get<Base>(Side::bundle(), SoundShortcutModels::nameOfImageForModelID(model)),
                          size);
    }

    QImage imageValueWithSize(int size) const override
    {
        switch (categoryOfAction(this->CUTAction)) {
        case 1:
            return fileIconOrUnknown<Base>(bestPath(), size);
        case 2:
            return imageForModel(this->CUTAction, size);
        default:
            return {};
        }
    }

    QString bestPath() const
    {
        std::lock_guard lock(m_pathMutex);
        return renewBestPath<Base>(CUTSoundPath, CUTSoundFSRef, false, [this](const QByteArray& ref) {
            this->storeParameter(SoundShortcutKeys::FSRef, ref);
        });
    }

protected:
    void readParameters(const QVariantMap& data)
    {
        if (categoryOfAction(this->CUTAction) != 1)
            return;
        CUTSoundPath = data.value(SoundShortcutKeys::Path).toString();
        CUTSoundFSRef = data.value(SoundShortcutKeys::FSRef).toByteArray();
    }

    mutable std::mutex m_pathMutex;
    mutable QString CUTSoundPath;
    mutable QByteArray CUTSoundFSRef;

private:
    static KeptImageSet& images()
    {
        static KeptImageSet set;
        return set;
    }
};

} // namespace zelk
