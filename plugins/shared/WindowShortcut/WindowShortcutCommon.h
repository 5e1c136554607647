#pragma once
// What both halves of the window action type share: the models and their
// categories, the keys of ActionParameters, the reading of a record and the
// class image. Built into both plug-ins; Side is the plug-in's side.
//
// Models, by category: 1 window commands on the front window (0 zoom, 2
// minimise, 5 toolbar, 6 close; 1, 3 and 7 the same for all windows of the
// front application, 4 bring back its minimised windows); 2 moves (8 the
// corner Origin to the point XValue, YValue; 9 by XValue, YValue; 23
// centre: XValue 1 horizontally, YValue 1 vertically); 3 resizes with the
// corner Origin fixed (10 to XValue x YValue; 11 by XValue, YValue; 12 to
// whole percentages of the window; 24 of the main screen); 4 the next (13)
// and previous (14) window of the front application; 5 scrolling by Count
// Units (0 lines, 1 pages, 2 percent): 15 down, 16 up, 17 from the top down,
// 18 from the bottom up, 19 right, 20 left, 21 from the left edge right, 22
// from the right edge left. Every value is an integer.
#include "PluginImages.h"

#include <QImage>
#include <QList>
#include <QString>
#include <QVariantMap>

namespace zelk {

namespace WindowShortcutKeys {
inline const QString Action = QStringLiteral("Action");
inline const QString XValue = QStringLiteral("XValue");
inline const QString YValue = QStringLiteral("YValue");
inline const QString Origin = QStringLiteral("Origin");
inline const QString Unit = QStringLiteral("Unit");
inline const QString Count = QStringLiteral("Count");
} // namespace WindowShortcutKeys

namespace WindowShortcutModels {
inline constexpr int Zoom = 0;
inline constexpr int ZoomAll = 1;
inline constexpr int Minimize = 2;
inline constexpr int MinimizeAll = 3;
inline constexpr int ShowMinimized = 4;
inline constexpr int Toolbar = 5;
inline constexpr int Close = 6;
inline constexpr int CloseAll = 7;
inline constexpr int MoveTo = 8;
inline constexpr int MoveBy = 9;
inline constexpr int ResizeTo = 10;
inline constexpr int ResizeBy = 11;
inline constexpr int ResizePercent = 12;
inline constexpr int NextWindow = 13;
inline constexpr int PreviousWindow = 14;
inline constexpr int ScrollDown = 15;
inline constexpr int ScrollUp = 16;
inline constexpr int ScrollDownFromTop = 17;
inline constexpr int ScrollUpFromBottom = 18;
inline constexpr int ScrollRight = 19;
inline constexpr int ScrollLeft = 20;
inline constexpr int ScrollRightFromLeft = 21;
inline constexpr int ScrollLeftFromRight = 22;
inline constexpr int Center = 23;
inline constexpr int ResizeScreenPercent = 24;

inline constexpr int CommandCategory = 1;
inline constexpr int MoveCategory = 2;
inline constexpr int ResizeCategory = 3;
inline constexpr int SwitchCategory = 4;
inline constexpr int ScrollCategory = 5;

inline const QList<int>& offeredModels()
{
    static const QList<int> models{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 23, 11, 12, 24, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22};
    return models;
}

inline int categoryOfAction(int model)
{
    static constexpr int table[25] = {1, 1, 1, 1, 1, 1, 1, 1, 2, 2, 3, 3, 3, 4, 4, 5, 5, 5, 5, 5, 5, 5, 5, 2, 3};
    return model >= 0 && model < 25 ? table[model] : 0;
}

// The default parameters of a model; empty for a model of no category.
inline QVariantMap dataForAction(int model)
{
    namespace K = WindowShortcutKeys;
    switch (categoryOfAction(model)) {
    case CommandCategory:
    case SwitchCategory:
        return {{K::Action, model}};
    case MoveCategory:
    case ResizeCategory:
        return {{K::Action, model}, {K::XValue, 0}, {K::YValue, 0}, {K::Origin, 0}};
    case ScrollCategory:
        return {{K::Action, model}, {K::Unit, 0}, {K::Count, 1}};
    default:
        return {};
    }
}
} // namespace WindowShortcutModels

template <class Side>
class WindowShortcutCommon : public Side::Base {
public:
    using Base = typename Side::Base;

    static int categoryOfAction(int model) { return WindowShortcutModels::categoryOfAction(model); }
    static QString nameOfImageForModelID(int /*model*/) { return QStringLiteral("window.tiff"); }
    static QImage windowIcon(int size) { return sizedImage(iconSlot().template get<Base>(Side::bundle()), size); }

    QImage imageValueWithSize(int size) const override
    {
        return categoryOfAction(this->CUTAction) != 0 ? windowIcon(size) : QImage();
    }

protected:
    // A missing value reads as 0.
    void readParameters(const QVariantMap& data)
    {
        namespace K = WindowShortcutKeys;
        namespace M = WindowShortcutModels;
        switch (categoryOfAction(this->CUTAction)) {
        case M::MoveCategory:
        case M::ResizeCategory:
            CUTXValue = data.value(K::XValue).toInt();
            CUTYValue = data.value(K::YValue).toInt();
            CUTOrigin = data.value(K::Origin).toInt();
            break;
        case M::ScrollCategory:
            CUTUnit = data.value(K::Unit).toInt();
            CUTCount = data.value(K::Count).toInt();
            break;
        default:
            break;
        }
    }

    int CUTXValue = 0;
    int CUTYValue = 0;
    int CUTOrigin = 0;
    int CUTUnit = 0;
    int CUTCount = 0;

private:
    static KeptImage& iconSlot()
    {
        static KeptImage slot(QStringLiteral("window.tiff"));
        return slot;
    }
};

} // namespace zelk
