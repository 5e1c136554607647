// The built engine as a process: without a display it says so in one line;
// on the virtual desktop it starts on the user's data folder and quits
// cleanly, saving its launcher dates, when the session sends SIGTERM.
#include "Bundle.h"
#include "PropertyList.h"
#include "EngineAppTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

QString engineBinary() { return engine::test::appContents() + "/MacOS/Zelk"; }

class EngineProcessTest : public zelk::test::TempHomeTest {};

TEST_F(EngineProcessTest, WithoutADisplayItSaysWhatItNeedsInOneLine)
{
    QProcess engine;
    QProcessEnvironment env;
    env.insert("PATH", qEnvironmentVariable("PATH"));
    env.insert("HOME", home->path());
    env.insert("QT_FORCE_STDERR_LOGGING", "1");
    engine.setProcessEnvironment(env);
    engine.start(engineBinary(), {});
    ASSERT_TRUE(engine.waitForFinished(30000)) << engine.errorString().toStdString();
    EXPECT_EQ(engine.exitStatus(), QProcess::NormalExit);
    EXPECT_NE(engine.exitCode(), 0);
    const QString output = QString::fromLocal8Bit(engine.readAllStandardOutput() + engine.readAllStandardError()).trimmed();
    EXPECT_EQ(output.count('\n'), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("X11 desktop session")) << output.toStdString();
    EXPECT_TRUE(output.contains("DISPLAY")) << output.toStdString();
    EXPECT_FALSE(QFileInfo::exists(home->dataHome() + "/Zelk"));
}

TEST_F(EngineProcessTest, StartsOnTheVirtualDesktopAndQuitsCleanlyOnSigterm)
{
    const QString version = zelk::Bundle::atPath(QFileInfo(engine::test::appContents()).absolutePath()).version();
    ASSERT_TRUE(QDir().mkpath(home->configHome() + "/Zelk"));
    ASSERT_TRUE(zelk::plist::writeFile(home->configHome() + "/Zelk/org.zelk.Zelk.plist",
                                       QVariantMap{{"QVOnboardedVersion", version}, {"QVSuppressIntroPanel", true}}));
    // An existing, empty data folder: the engine runs with no objects, so
    // nothing depends on which action plug-ins this build holds.
    const QString data = home->dataHome() + "/Zelk";
    ASSERT_TRUE(QDir().mkpath(data));
    const QString runtime = home->path() + "/run";
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("ZELK_PLATFORM", "virtual");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_RUNTIME_DIR", runtime);
    env.remove("ZELK_MAIN_BUNDLE");
    QProcess engine;
    engine.setProcessEnvironment(env);
    engine.setProcessChannelMode(QProcess::MergedChannels);
    engine.start(engineBinary(), {});
    ASSERT_TRUE(engine.waitForStarted(10000));
    // Started: it holds the one-engine lock.
    ASSERT_TRUE(zelk::test::waitUntil([&] { return QFileInfo::exists(runtime + "/org.zelk.Zelk.lock"); }, 30000))
        << engine.readAll().toStdString();

    engine.terminate();
    ASSERT_TRUE(engine.waitForFinished(30000));
    const std::string output = engine.readAll().toStdString();
    EXPECT_EQ(engine.exitStatus(), QProcess::NormalExit) << output;
    EXPECT_EQ(engine.exitCode(), 0) << output;
    EXPECT_TRUE(QFileInfo::exists(data + "/LaunchersDate.plist")) << output;
    EXPECT_FALSE(QFileInfo::exists(runtime + "/org.zelk.Zelk.lock")) << output;
}

} // namespace
