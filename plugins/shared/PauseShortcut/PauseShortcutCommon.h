#pragma once
// What both halves of the pause action type share: the models and their
// categories, the keys of ActionParameters, the reading of a record and the
// class image.
//
// Models: 1 wait Seconds; 2-8 wait for an application (Application: the
// name parameters store for it, ActionPaths.h): 2 it runs, 3 any launches,
// 4 it has quit, 5 the front one has quit, 6 it is in front, 7 the front
// one has left the front, 8 it runs and then is in front; 9-14 wait for the
// front application's focused window: 9 there is one, 10-13 its title
// equals, contains, starts or ends with Title (IgnoreCase), 14 its title
// changes. InvertCondition (9-13) waits while the condition holds instead.
#include "PluginImages.h"

#include <QImage>
#include <QString>
#include <QVariantMap>

namespace zelk {

namespace PauseShortcutKeys {
inline const QString Action = QStringLiteral("Action");
inline const QString Seconds = QStringLiteral("Seconds");
inline const QString Application = QStringLiteral("Application");
inline const QString Title = QStringLiteral("Title");
inline const QString IgnoreCase = QStringLiteral("IgnoreCase");
inline const QString InvertCondition = QStringLiteral("InvertCondition");
} // namespace PauseShortcutKeys

namespace PauseShortcutModels {
inline constexpr int Delay = 1;
inline constexpr int AppLaunched = 2;
inline constexpr int AnyAppLaunched = 3;
inline constexpr int AppQuit = 4;
inline constexpr int FrontAppQuit = 5;
inline constexpr int AppFront = 6;
inline constexpr int FrontAppNotFront = 7;
inline constexpr int AppBack = 8;
inline constexpr int HasWindow = 9;
inline constexpr int TitleEquals = 10;
inline constexpr int TitleContains = 11;
inline constexpr int TitleStarts = 12;
inline constexpr int TitleEnds = 13;
inline constexpr int WindowChange = 14;

inline constexpr int DelayCategory = 1;
inline constexpr int AppCategory = 2;
inline constexpr int WindowCategory = 3;

inline int categoryOfAction(int model)
{
    if (model == Delay)
        return DelayCategory;
    if (model >= AppLaunched && model <= AppBack)
        return AppCategory;
    if (model >= HasWindow && model <= WindowChange)
        return WindowCategory;
    return 0;
}
// Models whose application pop-up names an application.
inline bool modelNamesApplication(int model)
{
    return model == AppLaunched || model == AppQuit || model == AppFront || model == AppBack;
}
// Models that compare the title.
inline bool modelComparesTitle(int model) { return model >= TitleEquals && model <= TitleEnds; }
} // namespace PauseShortcutModels

template <class Side>
class PauseShortcutCommon : public Side::Base {
public:
    using Base = typename Side::Base;

    static int categoryOfAction(int model) { return PauseShortcutModels::categoryOfAction(model); }
    static QString nameOfImageForModelID(int /*model*/) { return QStringLiteral("pause.tiff"); }
    static QImage pauseIcon(int size) { return sizedImage(iconSlot().template get<Base>(Side::bundle()), size); }

    QImage imageValueWithSize(int size) const override
    {
        return categoryOfAction(this->CUTAction) ? pauseIcon(size) : QImage();
    }

protected:
    void readParameters(const QVariantMap& data)
    {
        namespace K = PauseShortcutKeys;
        namespace M = PauseShortcutModels;
        CUTSeconds = 0;
        switch (categoryOfAction(this->CUTAction)) {
        case M::DelayCategory:
            CUTSeconds = data.value(K::Seconds).toFloat();
            break;
        case M::AppCategory:
            CUTApplication = data.value(K::Application).toString();
            break;
        case M::WindowCategory:
            CUTInvertCondition = data.value(K::InvertCondition).toBool();
            // "has a window" compares no title.
            if (this->CUTAction != M::HasWindow) {
                CUTTitle = data.value(K::Title).toString();
                CUTIgnoreCase = data.value(K::IgnoreCase).toBool();
            }
            break;
        default:
            break;
        }
    }

    float CUTSeconds = 0;
    QString CUTApplication;
    QString CUTTitle;
    bool CUTIgnoreCase = false;
    bool CUTInvertCondition = false;

private:
    static KeptImage& iconSlot()
    {
        static KeptImage slot(QStringLiteral("pause.tiff"));
        return slot;
    }
};

} // namespace zelk
