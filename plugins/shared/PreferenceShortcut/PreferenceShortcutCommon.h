#pragma once
// What both halves of the settings-panel action type share. Model 1 opens
// one panel of the desktop's settings application, 2 pops up a menu of all
// panels, 3 opens the settings application. A panel is stored by the file
// name of its desktop entry ("Name") and found again in the list of
// installed panels, the first of that file name in search order. The list
// is read once per process; the engine's leaves out the panels that fail
// their hardware test (hardwareTested).
#include "PluginImages.h"
#include "Platform.h"

#include <QFileInfo>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <mutex>

namespace zelk {

namespace PreferenceShortcutKeys {
inline const QString Action = QStringLiteral("Action");
inline const QString Name = QStringLiteral("Name");
} // namespace PreferenceShortcutKeys

namespace PreferenceShortcutModels {
inline constexpr int OpenPane = 1, PanesMenu = 2, OpenSettings = 3;
inline int categoryOfAction(int model) { return model >= 1 && model <= 3 ? model : 0; }
inline QString nameOfImageForModelID(int model)
{
    return categoryOfAction(model) ? QStringLiteral("preference.tiff") : QString();
}
} // namespace PreferenceShortcutModels

// The installed panels, as parallel lists.
struct PreferencePanes {
    QStringList paths;
    QStringList names;
    QStringList icons;
};

template <class Side, bool hardwareTested>
class PreferenceShortcutCommon : public Side::Base {
public:
    using Base = typename Side::Base;

    static int categoryOfAction(int model) { return PreferenceShortcutModels::categoryOfAction(model); }
    static QImage preferenceIcon(int size) { return sizedImage(iconSlot().template get<Base>(Side::bundle()), size); }

    static const PreferencePanes& panes()
    {
        static PreferencePanes list;
        static std::once_flag built;
        std::call_once(built, [] {
            SettingsPanels& service = Platform::instance().settingsPanels();
            for (const SettingsPanel& panel : service.panels()) {
                if (hardwareTested && !service.passesHardwareTest(panel.path))
                    continue;
                list.paths << panel.path;
                list.names << panel.name;
                list.icons << panel.iconPath;
            }
        });
        return list;
    }
    static QStringList prefPathArray() { return panes().paths; }
    static QStringList prefNameArray() { return panes().names; }

    // The first listed panel of that file name; empty for none.
    static QString pathFromEndPath(const QString& fileName)
    {
        if (fileName.isEmpty())
            return {};
        for (const QString& path : panes().paths)
            if (QFileInfo(path).fileName() == fileName)
                return path;
        return {};
    }
    // The file name of the first panel of that display name, when it is
    // still there.
    static QString endPathFromName(const QString& name)
    {
        const qsizetype i = panes().names.indexOf(name);
        if (i < 0 || !QFileInfo::exists(panes().paths.at(i)))
            return {};
        return QFileInfo(panes().paths.at(i)).fileName();
    }
    static QString nameFromEndPath(const QString& fileName)
    {
        const QString path = pathFromEndPath(fileName);
        return path.isEmpty() ? QString() : panes().names.at(panes().paths.indexOf(path));
    }
    // The panel's icon, else the missing-item icon.
    static QImage paneIcon(const QString& path, int size)
    {
        const qsizetype i = panes().paths.indexOf(path);
        const QImage icon = i < 0 || panes().icons.at(i).isEmpty() ? QImage() : QImage(panes().icons.at(i));
        return icon.isNull() ? Base::unknownIconWithSize(size) : sizedImage(icon, size);
    }

    QImage imageValueWithSize(int size) const override
    {
        switch (categoryOfAction(this->CUTAction)) {
        case 1:
            return paneIcon(pathFromEndPath(CUTPrefName), size);
        case 2:
        case 3:
            return preferenceIcon(size);
        default:
            return {};
        }
    }

protected:
    void readParameters(const QVariantMap& data)
    {
        if (categoryOfAction(this->CUTAction) == 1)
            CUTPrefName = data.value(PreferenceShortcutKeys::Name).toString();
    }

    QString CUTPrefName;

private:
    static KeptImage& iconSlot()
    {
        static KeptImage slot(QStringLiteral("preference.tiff"));
        return slot;
    }
};

} // namespace zelk
