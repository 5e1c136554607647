// Log lines for the journal: the native entry form read back field by
// field, a logged line reaching a listening socket, and stderr kept when
// nothing listens or a terminal or the user asks for it.
#include "JournalLog.h"
#include "Log.h"
#include "TestSupport.h"

#include <QMap>
#include <QTemporaryDir>
#include <QtEndian>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace zelk;

namespace {

// The fields of one entry, as the journal reads them; empty when malformed.
QMap<QByteArray, QByteArray> parseEntry(const QByteArray& entry)
{
    QMap<QByteArray, QByteArray> fields;
    qsizetype at = 0;
    while (at < entry.size()) {
        const qsizetype lineEnd = entry.indexOf('\n', at);
        if (lineEnd < 0)
            return {};
        const QByteArray line = entry.mid(at, lineEnd - at);
        const qsizetype eq = line.indexOf('=');
        if (eq >= 0) {
            fields.insert(line.left(eq), line.mid(eq + 1));
            at = lineEnd + 1;
            continue;
        }
        if (lineEnd + 1 + 8 > entry.size())
            return {};
        const quint64 size = qFromLittleEndian<quint64>(entry.constData() + lineEnd + 1);
        const qsizetype valueAt = lineEnd + 1 + 8;
        if (valueAt + qsizetype(size) + 1 > entry.size() || entry.at(valueAt + qsizetype(size)) != '\n')
            return {};
        fields.insert(line, entry.mid(valueAt, qsizetype(size)));
        at = valueAt + qsizetype(size) + 1;
    }
    return fields;
}

// A datagram socket where the journal's would be.
class FakeJournal {
public:
    FakeJournal() : m_path(m_dir.path() + "/socket")
    {
        m_fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_un address = {};
        address.sun_family = AF_UNIX;
        const QByteArray path = m_path.toLocal8Bit();
        std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
        m_bound = m_fd >= 0 && ::bind(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    }
    ~FakeJournal()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool isBound() const { return m_bound; }
    QString path() const { return m_path; }
    // The next entry, or empty when none comes within the time-out.
    QByteArray receive(int timeoutMs = 5000)
    {
        pollfd p = {m_fd, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) != 1)
            return {};
        QByteArray buffer(256 * 1024, '\0');
        const ssize_t got = ::recv(m_fd, buffer.data(), size_t(buffer.size()), 0);
        return got > 0 ? buffer.left(got) : QByteArray();
    }

private:
    QTemporaryDir m_dir;
    QString m_path;
    int m_fd = -1;
    bool m_bound = false;
};

// Sets or clears an environment variable for its life.
class EnvironmentScope {
public:
    EnvironmentScope(const char* name, const char* value) : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_saved(qgetenv(name))
    {
        if (value)
            qputenv(name, value);
        else
            qunsetenv(name);
    }
    ~EnvironmentScope()
    {
        if (m_had)
            qputenv(m_name, m_saved);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_had;
    QByteArray m_saved;
};

// Installs the journal handler as a program started from the launcher
// would: stderr no terminal, nothing forcing stderr. The handler it
// replaced is back when it ends.
class JournalHandlerScope {
public:
    explicit JournalHandlerScope(const QString& socketPath)
    {
        m_previous = qInstallMessageHandler(nullptr);
        qInstallMessageHandler(m_previous);
        EnvironmentScope unforced("QT_FORCE_STDERR_LOGGING", nullptr);
        const int savedStderr = ::dup(STDERR_FILENO);
        const int devNull = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        ::dup2(devNull, STDERR_FILENO);
        installed = JournalLog::install("Zelk", socketPath);
        ::dup2(savedStderr, STDERR_FILENO);
        ::close(savedStderr);
        ::close(devNull);
    }
    ~JournalHandlerScope() { qInstallMessageHandler(m_previous); }
    bool installed = false;

private:
    QtMessageHandler m_previous = nullptr;
};

TEST(JournalLog, EntriesReadBackFieldByField)
{
    const struct { QtMsgType type; QString message; QByteArray priority; } cases[] = {
        {QtWarningMsg, "QVAppl main: plain", "4"},
        {QtInfoMsg, "key=value = more", "6"},
        {QtDebugMsg, "first line\nsecond line\n", "7"},
        {QtCriticalMsg, "", "3"},
        {QtFatalMsg, QString::fromUtf8("caf\u00e9 \u2318"), "2"},
    };
    for (const auto& c : cases) {
        const auto fields = parseEntry(JournalLog::entry("Zelk", c.type, "default", c.message));
        const std::string what = c.message.toStdString();
        EXPECT_EQ(fields.value("MESSAGE"), c.message.toUtf8()) << what;
        EXPECT_EQ(fields.value("PRIORITY"), c.priority) << what;
        EXPECT_EQ(fields.value("SYSLOG_IDENTIFIER"), "Zelk") << what;
        EXPECT_FALSE(fields.contains("QT_CATEGORY")) << "the default category goes unnamed";
    }
    const auto traced = parseEntry(JournalLog::entry("Zelk", QtDebugMsg, "zelk.trace", "x"));
    EXPECT_EQ(traced.value("QT_CATEGORY"), "zelk.trace");
}

TEST(JournalLog, ALoggedLineReachesTheJournal)
{
    FakeJournal journal;
    ASSERT_TRUE(journal.isBound());
    JournalHandlerScope handler(journal.path());
    ASSERT_TRUE(handler.installed);
    zlog("JournalLogTest", "run") << "to the journal";
    const auto fields = parseEntry(journal.receive());
    EXPECT_EQ(fields.value("MESSAGE"), "JournalLogTest run: to the journal");
    EXPECT_EQ(fields.value("PRIORITY"), "4");
    EXPECT_EQ(fields.value("SYSLOG_IDENTIFIER"), "Zelk");

    qCDebug(zelkTrace) << "verbose";
    qInfo() << "informative";
    EXPECT_EQ(parseEntry(journal.receive()).value("MESSAGE"), "informative")
        << "verbose tracing stays off until the user switches it on";
}

TEST(JournalLog, NobodyListeningKeepsTheLineOnStderr)
{
    QTemporaryDir dir;
    EXPECT_FALSE(JournalLog::send(dir.path() + "/no-journal", "MESSAGE=x\n"));
    test::LogCapture stderrSide; // stands for the handler the journal's replaces
    {
        JournalHandlerScope handler(dir.path() + "/no-journal");
        ASSERT_TRUE(handler.installed);
        zlog("JournalLogTest", "run") << "still seen";
    }
    EXPECT_TRUE(stderrSide.contains("JournalLogTest run: still seen")) << stderrSide.lines().join('\n').toStdString();
}

TEST(JournalLog, ATerminalOrTheUserKeepsStderr)
{
    const struct { bool terminal; const char* forced; bool journal; } cases[] = {
        {false, nullptr, true},
        {true, nullptr, false},
        {false, "1", false},
        {false, "0", true},
        {true, "1", false},
    };
    for (const auto& c : cases) {
        EnvironmentScope env("QT_FORCE_STDERR_LOGGING", c.forced);
        EXPECT_EQ(JournalLog::wantsJournal(c.terminal), c.journal)
            << "terminal " << c.terminal << ", QT_FORCE_STDERR_LOGGING " << (c.forced ? c.forced : "unset");
    }
}

} // namespace
