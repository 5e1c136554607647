#pragma once
// The shell-command action type, running side (CommandShortcutCommon.h).
// The command line goes to /bin/sh -c as one argument, as a child process
// on the action's own thread that ends when the shortcut is stopped; "in
// terminal" opens the desktop's terminal emulator with the same sh -c, the
// command line again one argument (never spliced into another text).
// Model 2's file is read at the first run and again whenever it changed.
//
// Errors: "unix command return error %d." with the wait status of a
// command that ends otherwise than with 0 (exit code 3 gives 768);
// "CommandNonValide" (path) for a missing file; "CommandNonTexte" (path)
// for a file that is no text file; "TerminalNonValide" (reason) when no
// terminal starts. A stopped command answers success.
#include "ActionRunner.h"
#include "CommandShortcut/CommandShortcutCommon.h"

#include <QDateTime>

namespace zelk::engine {

class CommandShortcut : public CommandShortcutCommon<Side> {
    ZELK_ACTION_CLASS(CommandShortcut, QVAction)
public:
    bool initWithDictionaryInLauncher(const QVariantMap& record) override;
    QString runActionFromObject(const std::shared_ptr<QVActionController>& controller) override;

    enum class FileState { Missing, NotText, Loaded };
    // Model 2: reads the command file when it is new or changed.
    FileState loadCommandFile();
    QString loadedCommand() const;
    static QString runCommand(const QString& command, bool inTerminal, QVActionController& fromObject);

private:
    mutable std::mutex m_commandMutex;
    bool m_loaded = false;
    QString m_loadedPath;
    QDateTime m_loadDate;
};

} // namespace zelk::engine
