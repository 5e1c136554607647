#pragma once
// The file-manager window action type, running side
// (FinderWindowShortcutCommon.h): model 1 shows the chosen folder in the
// user's file manager, model 2 one window for each folder the user copied.
// Folders travel as arguments of the file manager's interface, never
// inside a script; a file manager that can't be reached is reported.
#include "ActionRunner.h"
#include "FinderWindowShortcut/FinderWindowShortcutCommon.h"

namespace zelk::engine {

class FinderWindowShortcut : public FinderWindowShortcutCommon<Side> {
    ZELK_ACTION_CLASS(FinderWindowShortcut, QVAction)
public:
    bool initWithDictionaryInLauncher(const QVariantMap& record) override;
    QString runActionFromObject(const std::shared_ptr<QVActionController>& controller) override;

    static QString showFolder(const QString& path, QVActionController& fromObject);
    static QString newWindowsForSelection(QVActionController& fromObject);
};

} // namespace zelk::engine
