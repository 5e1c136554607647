#include "AtomicFile.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
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

bool writeFileAtomically(const QString& path, const QByteArray& data, QString* error)
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
    QByteArray tmpl = dir + "/." + QFile::encodeName(info.fileName()) + ".XXXXXX";
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
    if (::rename(tmpl.constData(), targetName.constData()) != 0) {
        const int err = errno;
        ::unlink(tmpl.constData());
        return fail(QStringLiteral("cannot replace the file: %1").arg(errnoText(err)));
    }
    // The rename itself must reach the disk too.
    const int dfd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

} // namespace zelk
