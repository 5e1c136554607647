#pragma once
// What both halves of the engine-command action type share. Models: 1 open
// the editor, 3 quit the engine, 4 show the report, 5 stop every running
// shortcut, 6 and 7 run the most recent and the second most recent item
// again, 8 test what the editor is editing. Model 2 is no command: it is
// never offered, an action holding it is not valid and does nothing.
// QuovShortcut, the name older records use, is the same type.
#include "PluginImages.h"

#include <QImage>
#include <QString>

namespace zelk {

namespace ZelkShortcutModels {
inline constexpr int OpenEditor = 1;
inline constexpr int NoCommand = 2;
inline constexpr int Quit = 3;
inline constexpr int ShowReport = 4;
inline constexpr int StopShortcuts = 5;
inline constexpr int RunLast1 = 6;
inline constexpr int RunLast2 = 7;
inline constexpr int TestEdited = 8;
inline bool isModel(int model) { return model >= OpenEditor && model <= TestEdited; }
} // namespace ZelkShortcutModels

template <class Side>
class ZelkShortcutCommon : public Side::Base {
public:
    using Base = typename Side::Base;

    static QString nameOfImageForModelID(int model)
    {
        return ZelkShortcutModels::isModel(model) && model != ZelkShortcutModels::NoCommand ? QStringLiteral("Zelk.png")
                                                                                              : QString();
    }
    static QImage zelkIcon(int size) { return sizedImage(iconSlot().template get<Base>(Side::bundle()), size); }

    QImage imageValueWithSize(int size) const override
    {
        return nameOfImageForModelID(this->CUTAction).isEmpty() ? QImage() : zelkIcon(size);
    }

private:
    static KeptImage& iconSlot()
    {
        static KeptImage slot(QStringLiteral("Zelk.png"));
        return slot;
    }
};

} // namespace zelk
