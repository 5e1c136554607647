#include "AtomicFile.h"

#include "Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cerrno>
#include <cstdio>
#include <csignal>
#include <cstring>
#include <limits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zelk {
namespace {

QString errnoText(int err) { return QString::fromLocal8Bit(strerror(err)); }

// The umask without the set-and-restore race of umask(2): Linux reports it
// in /proc/self/status.
mode_t currentUmask()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        while (!status.atEnd()) {
            const QByteArray line = status.readLine();
            if (line.startsWith("Umask:")) {
                bool ok = false;
                const uint v = line.mid(6).trimmed().toUInt(&ok, 8);
                if (ok)
                    return mode_t(v);
            }
        }
    }
    return 022;
}

bool writeAll(int fd, const char* p, size_t n)
{
    while (n > 0) {
        const ssize_t w = ::write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += w;
        n -= size_t(w);
    }
    return true;
}

} // namespace

namespace {

// One file written to its temporary beside it, flushed, not yet in place.
struct Prepared {
    QByteArray temporary;
    QByteArray target;
    QByteArray dir;
};

bool prepare(const QString& path, const QByteArray& data, Prepared* out, QString* error)
{
    auto fail = [&](const QString& why) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, why);
        return false;
    };
    if (path.isEmpty())
        return fail(QStringLiteral("no file name"));

    // Writing through a symbolic link replaces the file it points to, so the
    // link stays.
    QString target = QFileInfo(path).absoluteFilePath();
    if (QFileInfo(target).isSymLink()) {
        const QString resolved = QFileInfo(target).canonicalFilePath();
        if (!resolved.isEmpty())
            target = resolved;
    }
    const QByteArray targetName = QFile::encodeName(target);

    mode_t mode = 0644 & ~currentUmask();
    struct stat st{};
    if (::stat(targetName.constData(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return fail(QStringLiteral("is a folder"));
        mode = st.st_mode & 07777;
    }

    const QFileInfo info(target);
    const QByteArray dir = QFile::encodeName(info.absolutePath());
    QByteArray tmpl = dir + "/." + QFile::encodeName(info.fileName()) + '.' + QByteArray::number(qint64(::getpid())) + ".XXXXXX";
    const int fd = ::mkstemp(tmpl.data());
    if (fd < 0)
        return fail(QStringLiteral("cannot create a temporary file in %1: %2").arg(info.absolutePath(), errnoText(errno)));

    auto abandon = [&](const QString& what, int err) {
        ::close(fd);
        ::unlink(tmpl.constData());
        return fail(QStringLiteral("%1: %2").arg(what, errnoText(err)));
    };
    if (::fchmod(fd, mode) != 0)
        return abandon(QStringLiteral("cannot set permissions"), errno);
    if (!writeAll(fd, data.constData(), size_t(data.size())))
        return abandon(QStringLiteral("cannot write"), errno);
    if (::fsync(fd) != 0)
        return abandon(QStringLiteral("cannot flush"), errno);
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(tmpl.constData());
        return fail(QStringLiteral("cannot close: %1").arg(errnoText(err)));
    }
    *out = {tmpl, targetName, dir};
    return true;
}

bool renameIntoPlace(const QString& path, const Prepared& file, QString* error)
{
    if (::rename(file.temporary.constData(), file.target.constData()) != 0) {
        const int err = errno;
        ::unlink(file.temporary.constData());
        if (error)
            *error = QStringLiteral("%1: cannot replace the file: %2").arg(path, errnoText(err));
        return false;
    }
    return true;
}

// A rename must reach the disk too: its folder is flushed once after all
// the renames into it.
void syncFolder(const QByteArray& dir)
{
    const int dfd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

bool commit(const QString& path, const Prepared& file, QString* error)
{
    if (!renameIntoPlace(path, file, error))
        return false;
    syncFolder(file.dir);
    return true;
}

} // namespace

bool writeFileAtomically(const QString& path, const QByteArray& data, QString* error)
{
    Prepared file;
    return prepare(path, data, &file, error) && commit(path, file, error);
}

bool writeFilesAtomically(const QList<std::pair<QString, QByteArray>>& files, QString* error)
{
    QList<Prepared> prepared;
    QStringList problems;
    for (const auto& [path, data] : files) {
        Prepared file;
        QString why;
        if (prepare(path, data, &file, &why))
            prepared.append(file);
        else
            problems << why;
    }
    if (!problems.isEmpty()) {
        // One file not written: none replaced.
        for (const Prepared& file : std::as_const(prepared))
            ::unlink(file.temporary.constData());
        if (error)
            *error = problems.join(u'\n');
        return false;
    }
    QList<QByteArray> folders;
    for (qsizetype i = 0; i < prepared.size(); ++i) {
        QString why;
        if (!renameIntoPlace(files[i].first, prepared[i], &why))
            problems << why;
        if (!folders.contains(prepared[i].dir))
            folders.append(prepared[i].dir);
    }
    for (const QByteArray& folder : std::as_const(folders))
        syncFolder(folder);
    if (error)
        *error = problems.join(u'\n');
    return problems.isEmpty();
}

int removeStaleTemporaryFiles(const QString& folder)
{
    static const QRegularExpression temporary(QStringLiteral("^\\..+\\.(\\d+)\\.[A-Za-z0-9]{6}$"));
    int removed = 0;
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        const QRegularExpressionMatch match = temporary.match(name);
        if (!match.hasMatch())
            continue;
        bool ok = false;
        const qint64 pid = match.captured(1).toLongLong(&ok);
        // A pid that is alive again may be another program's: kept, to be safe.
        if (!ok || pid <= 0 || pid > std::numeric_limits<pid_t>::max() || ::kill(pid_t(pid), 0) == 0 || errno != ESRCH)
            continue;
        const QString path = folder + u'/' + name;
        if (QFile::remove(path)) {
            zlog("AtomicFile", "removeStaleTemporaryFiles") << "removed" << path << "left by a writer that is gone";
            ++removed;
        } else {
            zlog("AtomicFile", "removeStaleTemporaryFiles") << "cannot remove" << path;
        }
    }
    return removed;
}

} // namespace zelk
