#include "JournalLog.h"

#include <QtEndian>
#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace zelk {

namespace {

struct Target {
    QByteArray identifier;
    QByteArray socketPath;
    QtMessageHandler previous = nullptr;
};

Target& target()
{
    static Target t;
    return t;
}

int priorityOf(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg: return 7;
    case QtInfoMsg: return 6;
    case QtWarningMsg: return 4;
    case QtCriticalMsg: return 3;
    case QtFatalMsg: return 2;
    }
    return 6;
}

void appendField(QByteArray& out, const char* name, const QByteArray& value)
{
    out += name;
    if (!value.contains('\n')) {
        out += '=' + value + '\n';
        return;
    }
    // A value with line breaks goes as its length (64 bits, little endian)
    // and its bytes.
    out += '\n';
    char size[8];
    qToLittleEndian<quint64>(quint64(value.size()), size);
    out.append(size, sizeof size);
    out += value + '\n';
}

void handle(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    const Target& t = target();
    const QString category = context.category ? QString::fromLatin1(context.category) : QString();
    const QByteArray datagram = JournalLog::entry(QString::fromUtf8(t.identifier), type, category, message);
    if (!JournalLog::send(QString::fromUtf8(t.socketPath), datagram) && t.previous)
        t.previous(type, context, message);
}

} // namespace

bool JournalLog::wantsJournal(bool stderrIsTerminal)
{
    return !stderrIsTerminal && !qEnvironmentVariableIntValue("QT_FORCE_STDERR_LOGGING");
}

bool JournalLog::install(const QString& identifier, const QString& socketPath)
{
    if (!wantsJournal(::isatty(STDERR_FILENO)))
        return false;
    Target& t = target();
    t.identifier = identifier.toUtf8();
    t.socketPath = socketPath.toUtf8();
    t.previous = qInstallMessageHandler(&handle);
    return true;
}

QByteArray JournalLog::entry(const QString& identifier, QtMsgType type, const QString& category, const QString& message)
{
    QByteArray out;
    appendField(out, "MESSAGE", message.toUtf8());
    appendField(out, "PRIORITY", QByteArray::number(priorityOf(type)));
    appendField(out, "SYSLOG_IDENTIFIER", identifier.toUtf8());
    if (!category.isEmpty() && category != QLatin1String("default"))
        appendField(out, "QT_CATEGORY", category.toUtf8());
    return out;
}

bool JournalLog::send(const QString& socketPath, const QByteArray& entry)
{
    const QByteArray path = socketPath.toLocal8Bit();
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    if (path.isEmpty() || size_t(path.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    // One socket for the process; sendto on it is safe from any thread.
    static const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    ssize_t sent;
    do {
        sent = ::sendto(fd, entry.constData(), size_t(entry.size()), MSG_NOSIGNAL,
                        reinterpret_cast<const sockaddr*>(&address), socklen_t(sizeof address));
    } while (sent < 0 && errno == EINTR);
    return sent == entry.size();
}

} // namespace zelk
