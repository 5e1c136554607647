#pragma once
// What both halves of the key action type share: the models, the keys of
// ActionParameters, the class image and the image of an action. Built into
// both plug-ins; Side is the plug-in's side.
//
// Models (one category, 1): 1 type the key (press, then release), 2 press
// it and hold it down, 3 release it. "Keycode" is a HotKeyCode word
// (ModifierFlags.h), "AsciiCode" the character the key gave on the layout
// in use when it was recorded (0 for none), "String" the key as shown.
#include "PluginImages.h"

#include <QImage>
#include <QString>

namespace zelk {

namespace KeyShortcutKeys {
inline const QString Action = QStringLiteral("Action");
inline const QString Keycode = QStringLiteral("Keycode");
inline const QString AsciiCode = QStringLiteral("AsciiCode");
inline const QString String = QStringLiteral("String");
} // namespace KeyShortcutKeys

namespace KeyShortcutModels {
inline constexpr int TypeKey = 1;
inline constexpr int PressKey = 2;
inline constexpr int ReleaseKey = 3;
inline int categoryOfAction(int model) { return model >= TypeKey && model <= ReleaseKey ? 1 : 0; }
} // namespace KeyShortcutModels

template <class Side>
class KeyShortcutCommon : public Side::Base {
public:
    using Base = typename Side::Base;

    static int categoryOfAction(int model) { return KeyShortcutModels::categoryOfAction(model); }
    static QString nameOfImageForModelID(int /*model*/) { return QStringLiteral("key.tiff"); }
    // The class image, loaded once from the plug-in and kept; a sized copy.
    static QImage keyIcon(int size) { return sizedImage(keyIconSlot().template get<Base>(Side::bundle()), size); }

    QImage imageValueWithSize(int size) const override
    {
        return categoryOfAction(this->CUTAction) == 1 ? keyIcon(size) : QImage();
    }

private:
    static KeptImage& keyIconSlot()
    {
        static KeptImage slot(QStringLiteral("key.tiff"));
        return slot;
    }
};

} // namespace zelk
