#pragma once
// What both halves of the script action type share: the models, the keys of
// ActionParameters, the reading of a record, the class image, the image of
// an action and bestPath(). Scripts themselves: ScriptText.h.
//
// Models: 1 a script kept in the action (Source, CompiledScript: a script
// that passed its check is kept compiled with Source empty; one the user
// kept although it failed, as Source alone, and it does not run); 2 a
// script file (Path, FSRef).
#include "ActionPaths.h"
#include "PluginImages.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QVariantMap>
#include <mutex>

namespace zelk {

namespace AppleScriptShortcutKeys {
inline const QString Action = QStringLiteral("Action");
inline const QString Source = QStringLiteral("Source");
inline const QString CompiledScript = QStringLiteral("CompiledScript");
inline const QString Path = QStringLiteral("Path");
inline const QString FSRef = QStringLiteral("FSRef");
} // namespace AppleScriptShortcutKeys

namespace AppleScriptShortcutModels {
inline constexpr int ScriptText = 1;
inline constexpr int ScriptFile = 2;
inline int categoryOfAction(int model) { return model == ScriptText || model == ScriptFile ? model : 0; }
} // namespace AppleScriptShortcutModels

template <class Side>
class AppleScriptShortcutCommon : public Side::Base {
public:
    using Base = typename Side::Base;

    static int categoryOfAction(int model) { return AppleScriptShortcutModels::categoryOfAction(model); }
    static QString nameOfImageForModelID(int model)
    {
        return categoryOfAction(model) ? QStringLiteral("script.tiff") : QString();
    }
    static QImage scriptIcon(int size) { return sizedImage(iconSlot().template get<Base>(Side::bundle()), size); }

    QImage imageValueWithSize(int size) const override
    {
        switch (categoryOfAction(this->CUTAction)) {
        case AppleScriptShortcutModels::ScriptFile:
            return fileIconOrUnknown<Base>(bestPath(), size);
        case AppleScriptShortcutModels::ScriptText:
            return scriptIcon(size);
        default:
            return {};
        }
    }

    QString bestPath() const
    {
        std::lock_guard lock(m_pathMutex);
        return renewBestPath<Base>(CUTPath, CUTFSRef, false, [this](const QByteArray& ref) {
            this->storeParameter(AppleScriptShortcutKeys::FSRef, ref);
        });
    }

protected:
    void readParameters(const QVariantMap& data)
    {
        namespace K = AppleScriptShortcutKeys;
        switch (categoryOfAction(this->CUTAction)) {
        case AppleScriptShortcutModels::ScriptText:
            CUTSource = data.value(K::Source).toString();
            CUTCompiledScript = data.value(K::CompiledScript).toByteArray();
            break;
        case AppleScriptShortcutModels::ScriptFile:
            CUTPath = data.value(K::Path).toString();
            CUTFSRef = data.value(K::FSRef).toByteArray();
            break;
        default:
            break;
        }
    }

    mutable std::mutex m_pathMutex;
    mutable QString CUTPath;
    mutable QByteArray CUTFSRef;
    QString CUTSource;
    QByteArray CUTCompiledScript;

private:
    static KeptImage& iconSlot()
    {
        static KeptImage slot(QStringLiteral("script.tiff"));
        return slot;
    }
};

} // namespace zelk
