#include "LinuxServices.h"

#include "AtomicFile.h"
#include "Log.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <csignal>
#include <unistd.h>

namespace zelk {

qint64 LinuxWorkspace::ownPid() const { return qint64(::getpid()); }

bool LinuxWorkspace::launchApplication(const QString& path, const QStringList& documents, qint64* pid)
{
    qint64 started = 0;
    bool ok;
    if (path.endsWith(".desktop"))
        ok = QProcess::startDetached("gio", QStringList{"launch", path} + documents, {}, &started);
    else
        ok = QProcess::startDetached(path, documents, {}, &started);
    if (pid)
        *pid = started;
    if (!ok)
        zlog("LinuxWorkspace", "launchApplication") << "could not start" << path;
    return ok;
}

bool LinuxWorkspace::openPath(const QString& pathOrUrl)
{
    const bool ok = QProcess::startDetached("xdg-open", {pathOrUrl});
    if (!ok)
        zlog("LinuxWorkspace", "openPath") << "could not open" << pathOrUrl;
    return ok;
}

bool LinuxWorkspace::terminate(qint64 pid, bool force)
{
    if (pid <= 1 || pid == ownPid())
        return false;
    return ::kill(pid_t(pid), force ? SIGKILL : SIGTERM) == 0;
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
    QString exec = path;
    exec.replace('\\', "\\\\").replace('"', "\\\"").replace('`', "\\`").replace('$', "\\$");
    const QString entry = QString("[Desktop Entry]\nType=Application\nName=%1\nExec=\"%2\"\nX-GNOME-Autostart-enabled=true\nNoDisplay=true\n")
                              .arg(identifier, exec);
    QString error;
    if (!writeFileAtomically(file, entry.toUtf8(), &error)) {
        zlog("LinuxLoginItems", "setEnabled") << error;
        return false;
    }
    return true;
}

bool LinuxLoginItems::isEnabled(const QString& identifier) { return QFile::exists(entryPath(identifier)); }

} // namespace zelk
