#include "PaneTestSupport.h"

#include <sys/stat.h>

namespace zelk::test {

quint64 FakeUtility::inodeOf(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return 0;
    return st.st_ino;
}

QString writeDesktopEntry(const QString& folder, const QString& fileName, const QString& name)
{
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath(fileName);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {};
    file.write(QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\nName[de]=Anders\nExec=true\n")
                   .arg(name)
                   .toUtf8());
    return path;
}

QString writeFile(const QString& path, const QByteArray& contents)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {};
    file.write(contents);
    return path;
}

void choose(QComboBox* popUp, int index)
{
    popUp->setCurrentIndex(index);
    emit popUp->activated(index);
}

qint64 nextActionID()
{
    static qint64 lastID = 5000;
    return ++lastID;
}

QString actionPanesPath()
{
    // The build's bundle when the environment does not name one.
    const QString contents = appContents().isEmpty() ? QStringLiteral(ZELK_TEST_APP_DIR) : appContents();
    return contents + QStringLiteral("/MacOS/Zelk Editor.app/Contents/PlugIns/ActionPanes.so");
}

} // namespace zelk::test
