#include "LinuxServices.h"

#include "AtomicFile.h"
#include "ChildProcesses.h"
#include "Bundle.h"
#include "DesktopEntries.h"
#include "Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

namespace zelk {

ProcessResult LinuxProcesses::run(const QString& program, const QStringList& arguments,
                                  const std::function<bool()>& keepRunning)
{
    return runChildProcess(program, arguments, keepRunning);
}

QStringList LinuxProcesses::terminalCommand(const QString& commandLine)
{
    // TERMINAL may carry options of its own ("kitty --single-instance").
    QStringList command = QProcess::splitCommand(QProcessEnvironment::systemEnvironment().value(QStringLiteral("TERMINAL")));
    if (command.isEmpty())
        command = {QStringLiteral("x-terminal-emulator")};
    return command + QStringList{QStringLiteral("-e"), QStringLiteral("/bin/sh"), QStringLiteral("-c"), commandLine};
}

bool LinuxProcesses::runInTerminal(const QString& commandLine, QString* error)
{
    QStringList command = terminalCommand(commandLine);
    const QString program = command.takeFirst();
    if (QProcess::startDetached(program, command))
        return true;
    if (error)
        *error = QStringLiteral("cannot start the terminal %1").arg(program);
    zlog("LinuxProcesses", "runInTerminal") << "cannot start the terminal" << program;
    return false;
}

QString LinuxLoginItems::entryPath(const QString& identifier)
{
    return QStandardPaths::writableLocation(QStandardPaths::ConfigLocation) + "/autostart/" + identifier + ".desktop";
}

bool LinuxLoginItems::setEnabled(const QString& identifier, const QString& path, bool enabled)
{
    const QString file = entryPath(identifier);
    if (!enabled) {
        if (QFile::exists(file) && !QFile::remove(file)) {
            zlog("LinuxLoginItems", "setEnabled") << "could not remove" << file;
            return false;
        }
        return true;
    }
    QDir().mkpath(QFileInfo(file).absolutePath());
    // An application bundle starts through its executable.
    QString exec = path.endsWith(QLatin1String(".app")) ? Bundle::atPath(path).executablePath() : path;
    if (exec.isEmpty()) {
        zlog("LinuxLoginItems", "setEnabled") << "no program in" << path;
        return false;
    }
    const QString entry = QString("[Desktop Entry]\nType=Application\nName=%1\nExec=%2\nX-GNOME-Autostart-enabled=true\nNoDisplay=true\n")
                              .arg(identifier, DesktopEntries::quoteExecArgument(exec));
    QString error;
    if (!writeFileAtomically(file, entry.toUtf8(), &error)) {
        zlog("LinuxLoginItems", "setEnabled") << error;
        return false;
    }
    return true;
}

bool LinuxLoginItems::isEnabled(const QString& identifier) { return QFile::exists(entryPath(identifier)); }

} // namespace zelk
