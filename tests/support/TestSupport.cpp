#include "TestSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QThread>
#include <algorithm>

namespace zelk::test {

static const char* const kVars[4] = {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"};

TempHome::TempHome()
{
    const QString base = m_dir.path();
    const QString values[4] = {base, base + "/.config", base + "/.local/share", base + "/.cache"};
    for (int i = 0; i < 4; ++i) {
        m_had[i] = qEnvironmentVariableIsSet(kVars[i]);
        m_saved[i] = qgetenv(kVars[i]);
        QDir().mkpath(values[i]);
        qputenv(kVars[i], values[i].toLocal8Bit());
    }
}

TempHome::~TempHome()
{
    for (int i = 0; i < 4; ++i) {
        if (m_had[i])
            qputenv(kVars[i], m_saved[i]);
        else
            qunsetenv(kVars[i]);
    }
}

ScopedEnv::ScopedEnv(const char* name, const QByteArray& value)
    : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_saved(qgetenv(name))
{
    if (value.isNull())
        qunsetenv(name);
    else
        qputenv(name, value);
}

ScopedEnv::~ScopedEnv()
{
    if (m_had)
        qputenv(m_name, m_saved);
    else
        qunsetenv(m_name);
}

QString sourceDir() { return qEnvironmentVariable("ZELK_SOURCE_DIR"); }
QString appContents() { return qEnvironmentVariable("ZELK_APP_DIR"); }

bool inCI()
{
    const QByteArray ci = qgetenv("CI").trimmed().toLower();
    return !ci.isEmpty() && ci != "false" && ci != "0";
}

bool waitUntil(const std::function<bool()>& pred, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!pred()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

void Lines::add(const QString& line)
{
    std::lock_guard lock(m_mutex);
    m_lines.append(line);
}

QStringList Lines::lines() const
{
    std::lock_guard lock(m_mutex);
    return m_lines;
}

int Lines::count(const QString& line) const { return int(lines().count(line)); }

int Lines::countContaining(const QString& text) const
{
    const QStringList all = lines();
    return int(std::count_if(all.cbegin(), all.cend(), [&text](const QString& line) { return line.contains(text); }));
}

void Lines::clear()
{
    std::lock_guard lock(m_mutex);
    m_lines.clear();
}

namespace {

// The capture that takes the lines; the handler looks it up under the lock,
// so a capture that ends never gets a line from another thread afterwards.
std::mutex g_captureMutex;
LogCapture* g_capture = nullptr;

} // namespace

LogCapture::LogCapture()
{
    {
        std::lock_guard lock(g_captureMutex);
        g_capture = this;
    }
    m_previous = qInstallMessageHandler(&LogCapture::handle);
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(m_previous);
    std::lock_guard lock(g_captureMutex);
    if (g_capture == this)
        g_capture = nullptr;
}

QStringList LogCapture::lines() const { return m_lines.lines(); }

bool LogCapture::contains(const QString& text) const { return m_lines.countContaining(text) > 0; }

void LogCapture::handle(QtMsgType, const QMessageLogContext&, const QString& message)
{
    std::lock_guard lock(g_captureMutex);
    if (g_capture)
        g_capture->m_lines.add(message);
}

} // namespace zelk::test
