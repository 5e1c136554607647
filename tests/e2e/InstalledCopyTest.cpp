// An installed copy runs from its prefix alone. `cmake --install` into a
// fresh prefix (with a space in it), then: the desktop launcher starts the
// installed engine, every binary's run path stays inside the copy, the
// running engine loads its libraries and plug-ins from the copy, and the
// login item it switches on starts the copy's helper.
#include "Desktop.h"
#include "DesktopEntries.h"
#include "TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <iostream>

using namespace zelk::e2e;

namespace {

QString run(const QString& program, const QStringList& arguments, int* exitCode)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(120000)) {
        *exitCode = -1;
        return process.errorString();
    }
    *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return QString::fromLocal8Bit(process.readAll());
}

// The Exec line of a desktop entry, split into its arguments.
QStringList execOf(const QString& entryPath)
{
    QFile file(entryPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith("Exec="))
            return zelk::DesktopEntries::splitExec(QString::fromUtf8(line.mid(5))).value_or(QStringList());
    }
    return {};
}

bool isElf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(4) == QByteArray("\x7f" "ELF");
}

class InstalledCopyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(parent.isValid());
        prefix = parent.path() + "/My Prefix";
        int status = 0;
        const QString output = run(ZELK_CMAKE_COMMAND, {"--install", ZELK_BINARY_DIR, "--prefix", prefix}, &status);
        ASSERT_EQ(status, 0) << output.toStdString();
        contents = prefix + "/lib/zelk/Zelk.app/Contents";
        ASSERT_TRUE(QFileInfo(contents + "/MacOS/Zelk").isExecutable()) << output.toStdString();
    }

    QTemporaryDir parent;
    QString prefix;
    QString contents;
};

TEST_F(InstalledCopyTest, TheLauncherStartsTheInstalledEngine)
{
    const QStringList exec = execOf(prefix + "/share/applications/org.zelk.Zelk.desktop");
    ASSERT_FALSE(exec.isEmpty()) << "no Exec line in the installed launcher";
    // A URL of the engine's schemes comes as the one argument.
    EXPECT_EQ(exec, QStringList({contents + "/MacOS/Zelk", "%u"}));
    QFile entry(prefix + "/share/applications/org.zelk.Zelk.desktop");
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    EXPECT_TRUE(entry.readAll().contains("\nMimeType=x-scheme-handler/zelk;x-scheme-handler/quov;\n"));
}

TEST_F(InstalledCopyTest, RunPathsStayInsideTheCopy)
{
    int elves = 0;
    for (QDirIterator it(prefix, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
        const QString path = it.next();
        if (!isElf(path))
            continue;
        ++elves;
        int status = 0;
        const QString dynamic = run("readelf", {"-d", path}, &status);
        ASSERT_EQ(status, 0) << dynamic.toStdString();
        for (const QString& line : dynamic.split('\n')) {
            if (!line.contains("(RUNPATH)") && !line.contains("(RPATH)"))
                continue;
            const QString list = line.section('[', 1).section(']', 0, 0);
            for (const QString& entry : list.split(':'))
                EXPECT_TRUE(entry.startsWith("$ORIGIN")) << path.toStdString() << ": run path " << entry.toStdString();
        }
    }
    EXPECT_GE(elves, 7) << "the engine, the helper, the platform library, two frameworks and two plug-ins";
}

TEST_F(InstalledCopyTest, TheInstalledEngineRunsFromTheCopyAndItsLoginItemToo)
{
    // The desktop runs the copy's engine, not the build's.
    const QByteArray builtApp = qgetenv("ZELK_APP_DIR");
    const auto restore = qScopeGuard([&] { qputenv("ZELK_APP_DIR", builtApp); });
    qputenv("ZELK_APP_DIR", contents.toLocal8Bit());
    Desktop desktop;
    ASSERT_TRUE(desktop.whyNot().isEmpty()) << desktop.whyNot().toStdString();
    ASSERT_EQ(Desktop::enginePath(), contents + "/MacOS/Zelk");
    std::unique_ptr<Child> engine = desktop.startAnotherEngine();

    // A first start: the welcome panel. Its login box (after the Start
    // button) switched on, then Start.
    QList<unsigned long> windows;
    ASSERT_TRUE(pollUntil([&] { return !(windows = desktop.windowsOf(engine->pid())).isEmpty() || !engine->isRunning(); }, 30000))
        << engine->output().toStdString();
    ASSERT_FALSE(windows.isEmpty()) << engine->output().toStdString();
    const QString panel = QString::number(windows.first());
    ASSERT_TRUE(desktop.xdotool({"windowfocus", "--sync", panel}));
    const QString autostart = desktop.home() + "/.config/autostart/org.zelk.Zelk.helper.desktop";
    ASSERT_TRUE(desktop.xdotool({"key", "--window", panel, "--clearmodifiers", "Tab", "space"}));
    ASSERT_TRUE(pollUntil([&] { return QFileInfo::exists(autostart); }, 15000)) << engine->output().toStdString();
    EXPECT_EQ(execOf(autostart),
              QStringList{contents + "/MacOS/Zelk Editor.app/Contents/Library/LoginItems/ZelkHelper.app/Contents/MacOS/ZelkHelper"});
    ASSERT_TRUE(desktop.xdotool({"key", "--window", panel, "--clearmodifiers", "shift+Tab", "space"}));
    ASSERT_TRUE(pollUntil([&] { return desktop.callEngine("GetShortCutList").type() == QDBusMessage::ReplyMessage; }, 30000))
        << "the engine did not start from its panel:\n" << engine->output().toStdString();

    // Up, with the copy's own libraries and plug-ins.
    QFile maps(QString("/proc/%1/maps").arg(engine->pid()));
    ASSERT_TRUE(maps.open(QIODevice::ReadOnly));
    QStringList ours;
    for (const QByteArray& line : maps.readAll().split('\n')) {
        const qsizetype slash = line.indexOf('/');
        const QString path = slash < 0 ? QString() : QString::fromLocal8Bit(line.mid(slash));
        if (path.contains("Zelk") || path.contains("QVAction") || path.contains("ActionRunners"))
            ours << path;
    }
    for (const char* library : {"/Libraries/libZelkPlatform.so", "/Frameworks/libQVAction.so", "/PlugIns/ActionRunners.so"})
        EXPECT_TRUE(ours.contains(contents + library)) << library << " not loaded from the copy";
    for (const QString& path : ours)
        EXPECT_TRUE(path.startsWith(prefix + "/")) << "loaded from outside the copy: " << path.toStdString();
}

} // namespace
