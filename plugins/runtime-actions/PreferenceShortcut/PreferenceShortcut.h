#pragma once
// The settings-panel action type, running side (PreferenceShortcutCommon.h),
// on the platform's settings panels. The panels menu is sorted by name
// ignoring case; its items carry their panel's path. A panel or the
// settings application that can't be opened is reported.
#include "ActionRunner.h"
#include "PreferenceShortcut/PreferenceShortcutCommon.h"

class QAction;
class QMenu;

namespace zelk::engine {

class PreferenceShortcut : public PreferenceShortcutCommon<Side, true> {
    ZELK_ACTION_CLASS(PreferenceShortcut, QVAction)
public:
    bool initWithDictionaryInLauncher(const QVariantMap& record) override;
    QString runActionFromObject(const std::shared_ptr<QVActionController>& controller) override;
    // Model 2 standing as an item of the engine's menus: the item gets the
    // panels menu as its submenu, once.
    bool validateMenuItem(QAction* item);

    static QString openPrefPanel(const QString& fileName, QVActionController* fromObject);
    static QString displayPreferenceMenuFromObject(QVActionController& fromObject);
    static QString openPrefApplicationFromObject(QVActionController& fromObject);
    // A new menu of the installed panels (main thread).
    static QMenu* preferencesMenu();
    static void openPrefFromMenu(QAction* item);

private:
    bool CUTItemInMenu = false;
};

} // namespace zelk::engine
