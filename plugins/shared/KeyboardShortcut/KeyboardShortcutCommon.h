#pragma once
// What both halves of the typing action type share: the models and their
// categories, the keys of ActionParameters, the reading of a record, the
// class image, the image of an action and bestPath(). Built into both
// plug-ins; Side is the plug-in's side (zelk::editor::Side or
// zelk::engine::Side).
//
// Models (each its own category): 1 type a text, 2 type the current date in
// a calendar format (CalendarFormat.h), 3 type a text file's contents, 4
// type the text on the clipboard. CharSecond, the speed in characters per
// second, is read and kept between 1 and MaxCharSecond: a stored 0 would
// have the runner wait without end; none at all is DefaultCharSecond.
#include "ActionPaths.h"
#include "PluginImages.h"
#include "PropertyList.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QVariantMap>
#include <algorithm>
#include <mutex>

namespace zelk {

namespace KeyboardShortcutKeys {
inline const QString Action = QStringLiteral("Action");
inline const QString Text = QStringLiteral("Text");
inline const QString Path = QStringLiteral("Path");
inline const QString FSRef = QStringLiteral("FSRef");
inline const QString CharSecond = QStringLiteral("CharSecond");
} // namespace KeyboardShortcutKeys

namespace KeyboardShortcutModels {
inline constexpr int TypeText = 1;
inline constexpr int TypeDate = 2;
inline constexpr int TypeFile = 3;
inline constexpr int TypeClipboard = 4;
inline constexpr int DefaultCharSecond = 50;
inline constexpr int MaxCharSecond = 1000;
// The model itself for 1 to 4, else 0.
inline int categoryOfAction(int model) { return model >= TypeText && model <= TypeClipboard ? model : 0; }
// A speed as used and stored: 1 to MaxCharSecond.
inline int validCharSecond(qint64 value) { return int(std::clamp<qint64>(value, 1, MaxCharSecond)); }
} // namespace KeyboardShortcutModels

template <class Side>
class KeyboardShortcutCommon : public Side::Base {
public:
    using Base = typename Side::Base;

    static int categoryOfAction(int model) { return KeyboardShortcutModels::categoryOfAction(model); }
    static QString nameOfImageForModelID(int /*model*/) { return QStringLiteral("keyboard.tiff"); }
    // The class image, loaded once from the plug-in and kept; a sized copy.
    static QImage keyboardIcon(int size) { return sizedImage(keyboardIconSlot().template get<Base>(Side::bundle()), size); }

    // Models 1, 2 and 4: the keyboard image. Model 3: the file's icon when
    // the file is there, else the missing-item icon. Other models: none.
    QImage imageValueWithSize(int size) const override
    {
        switch (categoryOfAction(this->CUTAction)) {
        case KeyboardShortcutModels::TypeFile:
            return fileIconOrUnknown<Base>(bestPath(), size);
        case 0:
            return {};
        default:
            return keyboardIcon(size);
        }
    }

    // Model 3's file: the stored path, else where its reference leads now,
    // else the stored path. A renewed reference is kept in CUTFSRef and in
    // the side's parameters.
    QString bestPath() const
    {
        std::lock_guard lock(m_pathMutex);
        return renewBestPath<Base>(CUTPath, CUTFSRef, false, [this](const QByteArray& ref) {
            this->storeParameter(KeyboardShortcutKeys::FSRef, ref);
        });
    }

protected:
    // The keys of the model's category into the stored values.
    void readParameters(const QVariantMap& data)
    {
        namespace K = KeyboardShortcutKeys;
        const int category = categoryOfAction(this->CUTAction);
        if (category == 0)
            return;
        if (category == KeyboardShortcutModels::TypeText || category == KeyboardShortcutModels::TypeDate)
            CUTText = data.value(K::Text).toString();
        if (category == KeyboardShortcutModels::TypeFile) {
            CUTPath = data.value(K::Path).toString();
            CUTFSRef = data.value(K::FSRef).toByteArray();
        }
        // A record without a speed (or with no number for it) types at the default.
        CUTCharSecond = KeyboardShortcutModels::validCharSecond(
            plist::integerValue(data.value(K::CharSecond)).value_or(KeyboardShortcutModels::DefaultCharSecond));
    }

    mutable std::mutex m_pathMutex;
    mutable QString CUTPath;
    mutable QByteArray CUTFSRef;
    QString CUTText;
    int CUTCharSecond = KeyboardShortcutModels::DefaultCharSecond;

private:
    static KeptImage& keyboardIconSlot()
    {
        static KeptImage slot(QStringLiteral("keyboard.tiff"));
        return slot;
    }
};

} // namespace zelk
