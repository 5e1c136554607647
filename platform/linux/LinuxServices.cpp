#include "LinuxServices.h"

#include "AtomicFile.h"
#include "Bundle.h"
#include "DesktopEntries.h"
#include "Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace zelk {

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
