#pragma once
// The script action type, running side (AppleScriptShortcutCommon.h,
// ScriptText.h). A script runs as a child process on the action's own
// thread and ends when the shortcut is stopped; the engine's main thread
// never waits for it. Model 2's file is read at construction and again
// before a run whenever it changed since; a changed file that is no script
// leaves the script read before in place.
//
// Errors: "ScriptNonValide" (path) for a file that never gave a script,
// "ScriptNonCompile" for a script kept uncompiled or that is not text,
// "ScriptNonExecute" (reason) when its interpreter can't start, and
// "ErreurApplescriptNumero" (exit code, its last line of complaint) for a
// script that ends with an exit code other than 0. A stopped script
// answers success.
#include "ActionRunner.h"
#include "AppleScriptShortcut/AppleScriptShortcutCommon.h"

#include <QDateTime>

namespace zelk::engine {

class AppleScriptShortcut : public AppleScriptShortcutCommon<Side> {
    ZELK_ACTION_CLASS(AppleScriptShortcut, QVAction)
public:
    bool initWithDictionaryInLauncher(const QVariantMap& record) override;
    QString runActionFromObject(const std::shared_ptr<QVActionController>& controller) override;

    // Model 2: reads the file again when it changed since the last reading.
    void loadScript();
    // The script to run now (model 2: as last read).
    QByteArray loadedScript() const;
    // Runs a script until it ends or the controller says stop.
    static QString runScript(const QByteArray& script, QVActionController& fromObject);

private:
    mutable std::mutex m_scriptMutex;
    QDateTime m_loadDate; // of the file last read; invalid before
};

} // namespace zelk::engine
