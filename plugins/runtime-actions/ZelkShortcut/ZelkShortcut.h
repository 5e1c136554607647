#pragma once
// The engine-command action type, running side (ZelkShortcutCommon.h), and
// QuovShortcut, its name in older records. The commands go to the engine's
// application object through QVActionHostApplication from the run thread;
// every command answers success. Running one of the two most recent items
// again is never recorded as the most recent item itself.
#include "ActionRunner.h"
#include "ZelkShortcut/ZelkShortcutCommon.h"

namespace zelk::engine {

class ZelkShortcut : public ZelkShortcutCommon<Side> {
    ZELK_ACTION_CLASS(ZelkShortcut, QVAction)
public:
    static int categoryOfAction(int model) { return ZelkShortcutModels::isModel(model) ? 1 : 0; }
    QString runActionFromObject(const std::shared_ptr<QVActionController>& controller) override;
    bool addToRecent() const override;

    // The editor application inside the engine's bundle.
    static QString editorPath();
    static QString zelkEditorFromObject(QVActionController& fromObject);
    static QString quitZelkFromObject(QVActionController& fromObject);
    static QString showReportFromObject(QVActionController& fromObject);
    static QString stopShortcutsFromObject(QVActionController& fromObject);
    static QString runLastCutAction1FromObject(QVActionController& fromObject);
    static QString runLastCutAction2FromObject(QVActionController& fromObject);
    static QString testEditedObjectFromObject(QVActionController& fromObject);
};

class QuovShortcut : public ZelkShortcut {
    ZELK_ACTION_CLASS(QuovShortcut, ZelkShortcut)
};

} // namespace zelk::engine
