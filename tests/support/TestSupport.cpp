#include "TestSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QThread>

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

QString sourceDir() { return qEnvironmentVariable("ZELK_SOURCE_DIR"); }
QString appContents() { return qEnvironmentVariable("ZELK_APP_DIR"); }

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

} // namespace zelk::test
