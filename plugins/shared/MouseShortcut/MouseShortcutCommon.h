#pragma once
// What both halves of the mouse action type share: the areas (models), the
// movements and their categories, the keys of ActionParameters, the reading
// of a record and the class image. Built into both plug-ins; Side is the
// plug-in's side.
//
// Models (one category, 1) name where points count from: 1 the main
// screen, 2 the front application's main window, 3 its focused window.
// Movements is a list of MovementItem {Type, Pause, ...}; by the category
// of Type: 1 nothing more (0 left click, 1 right click, 2 double click, 4
// save the pointer's place, 5 back there, 10-13 left/right button
// down/up); 2 a point XValue, YValue counting inwards from the corner
// Origin (3 move, 6 drag); 3 distances XValue, YValue (8 move, 14 drag);
// 4 Wheel steps (7 of +1, 9 of -1).
#include "PluginImages.h"

#include <QImage>
#include <QList>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

namespace zelk {

namespace MouseShortcutKeys {
inline const QString Action = QStringLiteral("Action");
inline const QString Movements = QStringLiteral("Movements");
inline const QString Type = QStringLiteral("Type");
inline const QString Pause = QStringLiteral("Pause");
inline const QString XValue = QStringLiteral("XValue");
inline const QString YValue = QStringLiteral("YValue");
inline const QString Origin = QStringLiteral("Origin");
inline const QString Wheel = QStringLiteral("Wheel");
} // namespace MouseShortcutKeys

namespace MouseShortcutModels {
inline constexpr int ScreenArea = 1;
inline constexpr int MainWindowArea = 2;
inline constexpr int FocusedWindowArea = 3;

inline constexpr int LeftClick = 0;
inline constexpr int RightClick = 1;
inline constexpr int DoubleClick = 2;
inline constexpr int MoveTo = 3;
inline constexpr int SaveLocation = 4;
inline constexpr int RestoreLocation = 5;
inline constexpr int DragTo = 6;
inline constexpr int WheelUp = 7;
inline constexpr int MoveBy = 8;
inline constexpr int WheelDown = 9;
inline constexpr int PressLeft = 10;
inline constexpr int ReleaseLeft = 11;
inline constexpr int PressRight = 12;
inline constexpr int ReleaseRight = 13;
inline constexpr int DragBy = 14;

inline constexpr int PlainMovement = 1;
inline constexpr int PointMovement = 2;
inline constexpr int IntervalMovement = 3;
inline constexpr int WheelMovement = 4;

inline constexpr double kDefaultPause = 0.2;

inline int categoryOfAction(int model) { return model >= ScreenArea && model <= FocusedWindowArea ? 1 : 0; }

inline int categoryOfMouseMovement(int type)
{
    static constexpr int table[15] = {1, 1, 1, 2, 1, 1, 2, 4, 3, 4, 1, 1, 1, 1, 3};
    return type >= 0 && type < 15 ? table[type] : 0;
}

// A new movement of the type; empty for a type of no category.
inline QVariantMap dataForMovement(int type)
{
    namespace K = MouseShortcutKeys;
    switch (categoryOfMouseMovement(type)) {
    case PlainMovement:
        return {{K::Type, type}, {K::Pause, kDefaultPause}};
    case PointMovement:
        return {{K::Type, type}, {K::XValue, 0}, {K::YValue, 0}, {K::Origin, 0}, {K::Pause, kDefaultPause}};
    case IntervalMovement:
        return {{K::Type, type}, {K::XValue, 0}, {K::YValue, 0}, {K::Pause, kDefaultPause}};
    case WheelMovement:
        return {{K::Type, type}, {K::Wheel, 0}, {K::Pause, kDefaultPause}};
    default:
        return {};
    }
}
} // namespace MouseShortcutModels

template <class Side>
class MouseShortcutCommon : public Side::Base {
public:
    using Base = typename Side::Base;

    static int categoryOfAction(int model) { return MouseShortcutModels::categoryOfAction(model); }
    static QString nameOfImageForModelID(int /*model*/) { return QStringLiteral("mouse.tiff"); }
    static QImage mouseIcon(int size) { return sizedImage(iconSlot().template get<Base>(Side::bundle()), size); }

    QImage imageValueWithSize(int size) const override
    {
        return categoryOfAction(this->CUTAction) != 0 ? mouseIcon(size) : QImage();
    }

protected:
    void readParameters(const QVariantMap& data)
    {
        if (categoryOfAction(this->CUTAction) == 1)
            CUTMovements = data.value(MouseShortcutKeys::Movements).toList();
    }

    QVariantList CUTMovements;

private:
    static KeptImage& iconSlot()
    {
        static KeptImage slot(QStringLiteral("mouse.tiff"));
        return slot;
    }
};

} // namespace zelk
