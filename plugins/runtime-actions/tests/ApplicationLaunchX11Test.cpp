// The launch model on the real desktop: a desktop entry found by its name
// in the XDG data folders starts its program.
#include "ApplicationShortcut/OSProcess.h"
#include "Platform.h"
#include "RunnerTestSupport.h"
#include "TestSupport.h"
#include "XvfbServer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zelk;
using namespace zelk::engine;
using namespace zelk::test;

namespace {

// Sets an environment variable for the scope's life.
class EnvScope {
public:
    EnvScope(const char* name, const QByteArray& value) : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_saved(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~EnvScope()
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

TEST(ApplicationLaunchX11Test, DesktopEntryFoundByNameReallyStarts)
{
    XvfbServer xvfb;
    if (!xvfb.isRunning())
        ZELK_SKIP_UNLESS_CI("no X server: " << xvfb.error().toStdString());
    TempHome home;
    QTemporaryDir dataDir;
    ASSERT_TRUE(dataDir.isValid());
    const QString marker = home.path() + "/started";
    const QString script = dataDir.filePath("probe.sh");
    {
        QFile file(script);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("#!/bin/sh\necho started > '%1'\n").arg(marker).toUtf8());
    }
    QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QDir().mkpath(dataDir.filePath("applications"));
    {
        QFile entry(dataDir.filePath("applications/org.zelktest.Probe.desktop"));
        ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
        entry.write(QStringLiteral("[Desktop Entry]\nType=Application\nName=Probe\nExec=%1\n").arg(script).toUtf8());
    }
    EnvScope dirs("XDG_DATA_DIRS", QFile::encodeName(dataDir.path()));
    EnvScope display("DISPLAY", xvfb.display().toLocal8Bit());

    ASSERT_TRUE(ClassRegistry::shared().loadPlugin(actionRunnersPath()));
    std::unique_ptr<Platform> previous = Platform::install(makeLinuxPlatform());
    OSProcess::setWaitLimits({1, 1, 1, 1});
    // Stored at a place it is no longer: found again by its name.
    const auto action = QVAction::actionWithRecord(
        {{"actionname", "probe"}, {"actionclass", "ApplicationShortcut"}, {"actionID", qint64(1)},
         {"actiondata", QVariantMap{{"Action", 1}, {"AppPath", "/nowhere/org.zelktest.Probe.desktop"}}}});
    ASSERT_TRUE(action);
    const QString error = action->runActionFromObject(std::make_shared<TestController>());
    OSProcess::setWaitLimits({});
    Platform::install(std::move(previous));
    ASSERT_TRUE(error.isEmpty()) << "the entry did not launch: " << error.toStdString();
    EXPECT_TRUE(waitUntil([&] { return QFile::exists(marker); }, 15000)) << "the program of the entry did not start";
}

} // namespace
