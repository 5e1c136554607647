#pragma once
// What both halves of the system action type share. Models: 1 restart,
// 2 shut down, 3 sleep (with an optional wake time), 4 log out, 5 start the
// screen saver, 6 switch the dock's automatic hiding, 7 and 8 start and stop
// the Classic environment (never offered; older records still load), 9
// eject. The keys, the categories, the model images and the reading of a
// record.
#include "PluginImages.h"

#include <QImage>
#include <QString>
#include <QVariantMap>

namespace zelk {

namespace SystemShortcutKeys {
inline const QString Action = QStringLiteral("Action");
inline const QString SleepType = QStringLiteral("SleepType");
inline const QString WakeSeconds = QStringLiteral("WakeSeconds");
inline const QString Module = QStringLiteral("Module");
} // namespace SystemShortcutKeys

namespace SystemShortcutModels {
inline constexpr int Restart = 1, ShutDown = 2, Sleep = 3, LogOut = 4, ScreenSaver = 5, Dock = 6, StartClassic = 7,
                     StopClassic = 8, Eject = 9;
// Sleep types: no wake time, wake after a delay, wake at a time of day.
inline constexpr int NoWake = 0, WakeAfterDelay = 1, WakeAtTime = 2;

inline int categoryOfAction(int model)
{
    static const int categories[] = {0, 1, 1, 6, 1, 2, 3, 4, 4, 5};
    return model >= 1 && model <= 9 ? categories[model] : 0;
}
inline QString nameOfImageForModelID(int model)
{
    static const char* const names[] = {"",           "restart.png",     "shutdown.png", "sleep.png",
                                        "logout.png", "screensaver.tiff", "dock.tiff",   "classic.png",
                                        "classicoff.png", "eject.png"};
    return model >= 1 && model <= 9 ? QString::fromLatin1(names[model]) : QString();
}
} // namespace SystemShortcutModels

template <class Side>
class SystemShortcutCommon : public Side::Base {
public:
    using Base = typename Side::Base;

    static int categoryOfAction(int model) { return SystemShortcutModels::categoryOfAction(model); }
    static QImage imageForModel(int model, int size)
    {
        return sizedImage(images().template get<Base>(Side::bundle(), SystemShortcutModels::nameOfImageForModelID(model)),
                          size);
    }
    QImage imageValueWithSize(int size) const override { return imageForModel(this->CUTAction, size); }

protected:
    // Category 6 reads the sleep keys (0 and 0 without SleepType), 2 the
    // reserved Module. Answers whether the sleep keys were missing.
    bool readParameters(const QVariantMap& data)
    {
        namespace K = SystemShortcutKeys;
        const int category = categoryOfAction(this->CUTAction);
        CUTSleepType = 0;
        CUTWakeSeconds = 0;
        if (category == 6) {
            if (!data.contains(K::SleepType))
                return true;
            CUTSleepType = data.value(K::SleepType).toInt();
            CUTWakeSeconds = data.value(K::WakeSeconds).toLongLong();
        } else if (category == 2) {
            CUTModule = data.value(K::Module).toString();
        }
        return false;
    }

    QString CUTModule;
    int CUTSleepType = 0;
    qint64 CUTWakeSeconds = 0;

private:
    static KeptImageSet& images()
    {
        static KeptImageSet set;
        return set;
    }
};

} // namespace zelk
