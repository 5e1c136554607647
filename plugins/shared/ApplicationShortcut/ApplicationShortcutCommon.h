#pragma once
// What both halves of the application action type share: the models and
// their categories, the keys of ActionParameters, the reading of a record,
// the two class images, the image of an action and bestPath(). Built into
// both plug-ins; Side is the plug-in's side (zelk::editor::Side or
// zelk::engine::Side): its frame class and its bundle.
//
// Models: 1 launch, 2 running menu, 3 recent menu, 4 next, 5 previous,
// 6 activate named, 7-9 show front/others/all, 10 show named, 11-12 hide
// front/others, 13 hide named, 14-16 quit front/others/named, 17-19
// relaunch front/others/named, 20 remember front, 21 activate remembered,
// 22 activate previous front. Categories: 1 launch, 2 running menu, 3 recent
// menu, 4 switch (4-6, 20-22), 5 show/hide (7-13), 6 quit/relaunch (14-19).
#include "ActionPaths.h"
#include "PluginImages.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QVariantMap>
#include <mutex>

namespace zelk {

namespace ApplicationShortcutKeys {
inline const QString Action = QStringLiteral("Action");
inline const QString AppPath = QStringLiteral("AppPath");
inline const QString AppFSRef = QStringLiteral("AppFSRef");
inline const QString HideOthers = QStringLiteral("HideOthers");
inline const QString Order = QStringLiteral("Order");
inline const QString AppName = QStringLiteral("AppName");
inline const QString Force = QStringLiteral("Force");
} // namespace ApplicationShortcutKeys

namespace ApplicationShortcutModels {
inline constexpr int First = 1;
inline constexpr int Last = 22;
// The view category of a model; 0 for a number that is not one.
int categoryOfAction(int model);
// The models that name an application: 6, 10, 13, 16, 19.
bool isNamedModel(int model);
// "application.tiff" for models 1 and 3, "process.tiff" for every other number.
QString nameOfImageForModelID(int model);
} // namespace ApplicationShortcutModels

template <class Side>
class ApplicationShortcutCommon : public Side::Base {
public:
    using Base = typename Side::Base;

    static int categoryOfAction(int model) { return ApplicationShortcutModels::categoryOfAction(model); }
    static QString nameOfImageForModelID(int model) { return ApplicationShortcutModels::nameOfImageForModelID(model); }

    // The class images, loaded once from the plug-in and kept; sized copies.
    static QImage appIcon(int size) { return sizedImage(appIconSlot().template get<Base>(Side::bundle()), size); }
    static QImage processIcon(int size) { return sizedImage(processIconSlot().template get<Base>(Side::bundle()), size); }

    // Model 1: the application's own icon when it is found, else the
    // missing-item icon; model 3 the application image; every other model,
    // unknown ones included, the process image.
    QImage imageValueWithSize(int size) const override
    {
        switch (this->CUTAction) {
        case 1:
            return fileIconOrUnknown<Base>(bestPath(), size);
        case 3:
            return appIcon(size);
        default:
            return processIcon(size);
        }
    }

    // The stored path, else where its reference leads now, else the
    // application of the same name found elsewhere (which becomes the
    // stored path), else the stored path. A renewed reference is kept in
    // CUTAppFSRef and in the side's parameters.
    QString bestPath() const
    {
        std::lock_guard lock(m_pathMutex);
        return renewBestPath<Base>(CUTAppPath, CUTAppFSRef, true, [this](const QByteArray& ref) {
            this->storeParameter(ApplicationShortcutKeys::AppFSRef, ref);
        });
    }

protected:
    // The keys of the model's category into the stored values; category 0
    // reads nothing. A missing number reads as 0.
    void readParameters(const QVariantMap& data)
    {
        namespace K = ApplicationShortcutKeys;
        switch (categoryOfAction(this->CUTAction)) {
        case 1:
            CUTAppPath = data.value(K::AppPath).toString();
            CUTAppFSRef = data.value(K::AppFSRef).toByteArray();
            CUTHideOthers = data.value(K::HideOthers).toBool();
            break;
        case 2:
        case 3:
            CUTHideOthers = data.value(K::HideOthers).toBool();
            CUTOrder = data.value(K::Order).toInt();
            break;
        case 4:
            CUTAppName = data.value(K::AppName).toString();
            CUTHideOthers = data.value(K::HideOthers).toBool();
            break;
        case 5:
            CUTAppName = data.value(K::AppName).toString();
            break;
        case 6:
            CUTAppName = data.value(K::AppName).toString();
            CUTForce = data.value(K::Force).toBool();
            break;
        default:
            break;
        }
    }

    // bestPath() renews these from const members and from run threads.
    mutable std::mutex m_pathMutex;
    mutable QString CUTAppPath;
    mutable QByteArray CUTAppFSRef;
    bool CUTHideOthers = false;
    QString CUTAppName;
    bool CUTForce = false;
    int CUTOrder = 0;

private:
    static KeptImage& appIconSlot()
    {
        static KeptImage slot(QStringLiteral("application.tiff"));
        return slot;
    }
    static KeptImage& processIconSlot()
    {
        static KeptImage slot(QStringLiteral("process.tiff"));
        return slot;
    }
};

} // namespace zelk
