// The script and command action types, running side: real child processes
// (exit codes, output, stops, quoting), script checks, files read again
// when they change, and the terminal as the virtual desktop records it.
#include "AppleScriptShortcut/ScriptText.h"
#include "LinuxServices.h"
#include "QVUtility.h"
#include "RunnerTestSupport.h"
#include "TestSupport.h"
#include "VirtualPlatform.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <thread>

using namespace zelk;
using namespace zelk::test;

namespace {

void writeFile(const QString& path, const QByteArray& contents, int secondsFromNow = 0)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(contents);
    file.close();
    // File dates decide whether a file is read again: make each write later.
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(secondsFromNow), QFileDevice::FileModificationTime));
}

QString fileText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString("<missing>");
}

class ScriptCommandRunnerTest : public TempHomeTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(loadActionRunners());
        desktop = VirtualPlatform::current();
        ASSERT_NE(desktop, nullptr);
        ClassRegistry::shared().registerClass(&::engine::QVUtility::sharedUtility());
        folder = home->path() + "/files";
        QDir().mkpath(folder);
    }
    void TearDown() override { ClassRegistry::shared().unregisterClass(QStringLiteral("QVUtility")); }

    static std::shared_ptr<QVAction> command(const QVariantMap& data)
    {
        return actionWithParameters("CommandShortcut", "cmd", 31, data);
    }
    static std::shared_ptr<QVAction> script(const QVariantMap& data)
    {
        return actionWithParameters("AppleScriptShortcut", "script", 32, data);
    }
    static QString run(const std::shared_ptr<QVAction>& action)
    {
        return runAction(action, std::make_shared<TestController>());
    }
    // Runs on a thread of its own and asks it to stop once it started.
    static QString runAndStop(const std::shared_ptr<QVAction>& action, const QString& startedFile)
    {
        auto controller = std::make_shared<TestController>();
        QString outcome = "not ended";
        std::thread runner([&] { outcome = runAction(action, controller); });
        EXPECT_TRUE(waitUntil([&] { return QFile::exists(startedFile); }));
        controller->stopped = true;
        runner.join();
        return outcome;
    }

    VirtualPlatform* desktop = nullptr;
    QString folder;
};

TEST_F(ScriptCommandRunnerTest, CommandStatusIsTheWaitStatus)
{
    const struct {
        QString source;
        QString outcome;
    } cases[] = {
        {"true", ""},
        {"exit 3", "unix command return error 768."},
        {"exit 1", "unix command return error 256."},
        {"kill -9 $$", "unix command return error 9."},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(run(command({{"Action", 1}, {"Source", c.source}, {"InTerminal", false}})), c.outcome)
            << c.source.toStdString();
}

TEST_F(ScriptCommandRunnerTest, CommandLineReachesTheShellAsWritten)
{
    // Quotes, a dollar sign and several lines, unchanged.
    const QString out = folder + "/out";
    const QString source = "printf '%s|' \"a \\\"b\\\" c\" '$HOME' > '" + out + "'\necho \"$((1+2))\" >> '" + out + "'";
    EXPECT_EQ(run(command({{"Action", 1}, {"Source", source}})), "");
    EXPECT_EQ(fileText(out), "a \"b\" c|$HOME|3\n");
}

TEST_F(ScriptCommandRunnerTest, StoppingTheShortcutEndsARunningCommandOrScript)
{
    const QString started = folder + "/started";
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(runAndStop(command({{"Action", 1}, {"Source", "touch '" + started + "'; sleep 60"}}), started), "");
    QFile::remove(started);
    const QByteArray body = "touch '" + started.toUtf8() + "'\nsleep 60\n";
    EXPECT_EQ(runAndStop(script({{"Action", 1}, {"CompiledScript", body}}), started), "");
    EXPECT_LT(timer.elapsed(), 30000) << "a stop did not end the child";
}

TEST_F(ScriptCommandRunnerTest, InTerminalHandsTheWholeLineToTheTerminal)
{
    const QString line = "echo \"it's $HOME\"\nread x";
    EXPECT_EQ(run(command({{"Action", 1}, {"Source", line}, {"InTerminal", true}})), "");
    EXPECT_EQ(desktop->virtualProcesses().terminalCommands(), QStringList{line});

    desktop->virtualProcesses().setTerminalMissing(true);
    EXPECT_EQ(run(command({{"Action", 1}, {"Source", "true"}, {"InTerminal", true}})),
              "No terminal window could be opened: no terminal emulator");
    desktop->virtualProcesses().setTerminalMissing(false);

    // The real terminal gets the line as one argument of sh -c.
    qputenv("TERMINAL", "my-term --hold");
    EXPECT_EQ(LinuxProcesses::terminalCommand(line), (QStringList{"my-term", "--hold", "-e", "/bin/sh", "-c", line}));
    qunsetenv("TERMINAL");
    EXPECT_EQ(LinuxProcesses::terminalCommand("x").first(), "x-terminal-emulator");
}

TEST_F(ScriptCommandRunnerTest, CommandFileIsReadAgainWhenItChanges)
{
    const QString file = folder + "/cmd.txt";
    const QString out = folder + "/out";
    writeFile(file, "echo first > '" + out.toUtf8() + "'", -10);
    auto action = command({{"Action", 2}, {"Path", file}, {"FSRef", QByteArray()}});
    EXPECT_EQ(run(action), "");
    EXPECT_EQ(fileText(out), "first\n");
    writeFile(file, "echo second > '" + out.toUtf8() + "'", 0);
    EXPECT_EQ(run(action), "");
    EXPECT_EQ(fileText(out), "second\n");

    QFile::remove(file);
    EXPECT_EQ(run(action), "The command file “" + file + "” can’t be found.");

    const QString image = folder + "/picture.png";
    writeFile(image, "\x89PNG");
    EXPECT_EQ(run(command({{"Action", 2}, {"Path", image}})), "The command file “" + image + "” is not a text file.");
}

TEST_F(ScriptCommandRunnerTest, ScriptChecksNameTheLineInError)
{
    const QString bad = "echo one\nif then\necho three";
    const script::CheckResult check = script::checkSource(bad);
    EXPECT_FALSE(check.compiles);
    EXPECT_EQ(bad.mid(check.start, check.length), "if then") << check.message.toStdString();
    EXPECT_FALSE(check.message.isEmpty());
    EXPECT_TRUE(script::checkSource("echo ok").compiles);
    EXPECT_FALSE(script::checkSource("#!/no/such/interpreter\nx").compiles);

    EXPECT_EQ(script::interpreterOf("#!/usr/bin/env python3 -u\nprint()"), (QStringList{"/usr/bin/env", "python3", "-u"}));
    EXPECT_EQ(script::interpreterOf("#! /bin/bash\n"), QStringList{"/bin/bash"});
    EXPECT_EQ(script::interpreterOf("echo"), QStringList{"/bin/sh"});

    EXPECT_EQ(script::compiledScriptWithSource("echo ok"), "echo ok");
    EXPECT_TRUE(script::compiledScriptWithSource(bad).isEmpty());
    EXPECT_EQ(script::sourceWithCompiledScript("caf\xc3\xa9"), QString("café"));
    EXPECT_FALSE(script::sourceWithCompiledScript(QByteArray("Fasd\0UAS\xff", 9)).has_value());
}

TEST_F(ScriptCommandRunnerTest, ScriptOutcomes)
{
    const struct {
        QVariantMap data;
        QString outcome;
    } cases[] = {
        {{{"Action", 1}, {"CompiledScript", QByteArray("exit 0")}}, ""},
        {{{"Action", 1}, {"CompiledScript", QByteArray("echo bad >&2\nexit 4")}}, "The script ended with error 4: bad"},
        // Kept uncompiled, or not text: it can't run, and says so.
        {{{"Action", 1}, {"Source", "if then"}, {"CompiledScript", QByteArray()}},
         "The script was kept without passing its check, or is not text: it can’t run."},
        {{{"Action", 1}, {"CompiledScript", QByteArray("\xff\xfe\0", 3)}},
         "The script was kept without passing its check, or is not text: it can’t run."},
        {{{"Action", 1}, {"Source", ""}, {"CompiledScript", QByteArray()}}, ""},
        {{{"Action", 1}, {"CompiledScript", QByteArray("#!/no/such/shell\n")}}, "The script could not start: "},
        {{{"Action", 7}}, ""},
    };
    for (const auto& c : cases) {
        const QString outcome = run(script(c.data));
        if (c.outcome.isEmpty())
            EXPECT_EQ(outcome, "") << c.data.value("CompiledScript").toByteArray().toStdString();
        else
            EXPECT_TRUE(outcome.startsWith(c.outcome)) << outcome.toStdString() << " / " << c.outcome.toStdString();
    }
    if (!QStandardPaths::findExecutable("python3").isEmpty()) {
        EXPECT_EQ(run(script({{"Action", 1}, {"CompiledScript", QByteArray("#!/usr/bin/env python3\nimport sys\nsys.exit(2 - 2)")}})), "");
    }
}

TEST_F(ScriptCommandRunnerTest, ScriptFileIsReadAgainWhenItChangesAndKeptWhenItGoes)
{
    const QString file = folder + "/job.sh";
    const QString out = folder + "/out";
    writeFile(file, "echo one > '" + out.toUtf8() + "'", -10);
    auto action = script({{"Action", 2}, {"Path", file}, {"FSRef", QByteArray()}});
    writeFile(file, "echo two > '" + out.toUtf8() + "'", 0);
    EXPECT_EQ(run(action), "");
    EXPECT_EQ(fileText(out), "two\n");
    QFile::remove(file);
    EXPECT_EQ(run(action), "");  // the script read before still runs
    EXPECT_EQ(fileText(out), "two\n");

    const QString never = folder + "/never.sh";
    EXPECT_EQ(run(script({{"Action", 2}, {"Path", never}})),
              "The script file “" + never + "” can’t be found or is no script.");
}

} // namespace
