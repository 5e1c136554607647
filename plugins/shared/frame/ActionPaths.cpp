#include "ActionPaths.h"

#include <QFile>
#include <QStandardPaths>
#include <QTextStream>

namespace zelk {

namespace {

// The Name of a desktop entry's main group; empty when it has none.
QString desktopEntryName(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QTextStream in(&file);
    bool inMainGroup = false;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inMainGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inMainGroup || !line.startsWith(QLatin1String("Name")))
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0 && line.left(eq).trimmed() == QLatin1String("Name"))
            return line.mid(eq + 1).trimmed();
    }
    return {};
}

} // namespace

QString displayNameAtPath(const QString& path)
{
    if (path.isEmpty())
        return {};
    if (path.endsWith(QLatin1String(".desktop"))) {
        const QString name = desktopEntryName(path);
        if (!name.isEmpty())
            return name;
    }
    const QFileInfo info(path);
    const QString name = info.fileName();
    return name.isEmpty() ? path : name;
}

QString withoutAppExtension(const QString& name)
{
    for (const QLatin1String ext : {QLatin1String(".desktop"), QLatin1String(".app")})
        if (name.endsWith(ext))
            return name.left(name.size() - ext.size());
    return name;
}

QString applicationNameOfPath(const QString& path)
{
    return withoutAppExtension(QFileInfo(path).fileName());
}

QString fullPathForApplication(const QString& name)
{
    if (name.isEmpty() || name.contains(QLatin1Char('/')))
        return {};
    return QStandardPaths::locate(QStandardPaths::ApplicationsLocation, name + QLatin1String(".desktop"));
}

bool fileExistsAtPath(const QString& path)
{
    return !path.isEmpty() && QFileInfo::exists(path);
}

} // namespace zelk
