#pragma once
// The user's terminal emulator, and the command lines that run a program in
// it (for desktop entries with Terminal=true).
//
// The terminal is the x-terminal-emulator alternative found in PATH, else
// $TERMINAL, else the first desktop entry in the TerminalEmulator category.
#include <QString>
#include <QStringList>

namespace zelk {

class DesktopEntries;

class UserTerminal {
public:
    // The terminal's program path or desktop entry; empty when there is none.
    static QString find(DesktopEntries& entries);
    // The command line that runs command in the terminal (a program or a
    // desktop entry); empty when the terminal cannot be started.
    static QStringList commandLine(const QString& terminal, const QStringList& command);
};

} // namespace zelk
