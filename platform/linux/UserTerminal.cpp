#include "UserTerminal.h"

#include "DesktopEntries.h"
#include "Log.h"

#include <QFileInfo>
#include <QStandardPaths>

namespace zelk {

namespace {

// What comes before the command to run. "-e" is what the alternative's
// programs must take; these few terminals want something else.
QStringList execArgumentsFor(const QString& program)
{
    const QString name = QFileInfo(program).fileName();
    if (name == "gnome-terminal" || name == "kgx" || name == "ptyxis")
        return {"--"};
    if (name == "xfce4-terminal" || name == "mate-terminal" || name == "terminator")
        return {"-x"};
    if (name == "kitty" || name == "foot" || name == "footclient")
        return {};
    if (name == "wezterm")
        return {"start", "--"};
    return {"-e"};
}

} // namespace

QString UserTerminal::find(DesktopEntries& entries)
{
    const QString alternative = QStandardPaths::findExecutable("x-terminal-emulator");
    if (!alternative.isEmpty())
        return alternative;
    const QString named = qEnvironmentVariable("TERMINAL").trimmed();
    if (!named.isEmpty()) {
        const QString program = QFileInfo(named).isAbsolute() ? named : QStandardPaths::findExecutable(named);
        if (!program.isEmpty() && QFileInfo(program).isExecutable())
            return program;
        zlog("UserTerminal", "find") << "TERMINAL names no program:" << named;
    }
    if (const std::optional<DesktopEntry> entry = entries.firstInCategory("TerminalEmulator"))
        return entry->path;
    return {};
}

QStringList UserTerminal::commandLine(const QString& terminal, const QStringList& command)
{
    if (terminal.isEmpty() || command.isEmpty())
        return {};
    if (!terminal.endsWith(".desktop"))
        return QStringList{terminal} + execArgumentsFor(terminal) + command;
    const std::optional<DesktopEntry> entry = DesktopEntries::read(terminal);
    if (!entry)
        return {};
    const QStringList start = DesktopEntries::commandLines(*entry, {}).value(0);
    if (start.isEmpty())
        return {};
    const QStringList exec = entry->terminalArgExec.isEmpty() ? execArgumentsFor(start.first())
                                                              : entry->terminalArgExec.split(' ', Qt::SkipEmptyParts);
    return start + exec + command;
}

} // namespace zelk
