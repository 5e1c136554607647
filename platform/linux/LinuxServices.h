#pragma once
// The desktop services of the linux backend, one header each, and the two
// small ones: processes and the login item.
#include "DesktopServices.h"
#include "LinuxCalendar.h"
#include "LinuxHotKeys.h"
#include "LinuxKeyboardLayout.h"
#include "LinuxNetwork.h"
#include "LinuxPower.h"
#include "LinuxWorkspace.h"

namespace zelk {

// Child processes; the terminal is $TERMINAL (a program and its options),
// else Debian's x-terminal-emulator, started as
// "<terminal> -e /bin/sh -c <command line>"
// so the command line reaches the shell as one argument, never spliced.
class LinuxProcesses : public ProcessService {
public:
    ProcessResult run(const QString& program, const QStringList& arguments,
                      const std::function<bool()>& keepRunning) override;
    bool runInTerminal(const QString& commandLine, QString* error) override;
    // The terminal program and its arguments for a command line.
    static QStringList terminalCommand(const QString& commandLine);
};

// XDG autostart: ~/.config/autostart/<identifier>.desktop
class LinuxLoginItems : public LoginItems {
public:
    bool setEnabled(const QString& identifier, const QString& path, bool enabled) override;
    bool isEnabled(const QString& identifier) override;
    static QString entryPath(const QString& identifier);
};

} // namespace zelk
