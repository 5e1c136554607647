// The built engine on a real X server and a real session bus, driven the
// way a user drives it: its data files written as the editor writes them,
// keys pressed with xdotool, the typed text read back by an X client of the
// test's own, windows brought to the front, the editor's reload command
// posted on the bus.
//
// xdotool presses its keys through XTest, the same way the engine types.
// A key xdotool still holds is therefore not one a physical keyboard holds:
// when the engine starts typing it lets go of such modifiers and, seeing no
// physical keyboard hold them, does not press them back. So with the hot
// key still held, what is checked is the typed text alone (nothing of the
// hot key's modifiers mixed into it), not the modifiers' state afterwards.
#include "Desktop.h"

#include "DataFileRecords.h"
#include "TestSupport.h"

#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <iostream>

#include <X11/keysym.h>

using namespace zelk::e2e;
using namespace zelk::test::records;

namespace {

// Stored key codes (the physical keys of a US keyboard).
constexpr quint32 KeyT = 17, KeyY = 16, KeyK = 40, KeyJ = 38, KeyR = 15, KeyX = 7, KeyF = 3;
constexpr quint32 CtrlAlt = Command | Option; // stored command is Ctrl, option Alt

// Letters with and without shift, punctuation, digits, and a character the
// US layout lacks (typed through a key lent to it).
const QString kText = QStringLiteral("Hello, World 42 é!");

class EngineOnTheDesktopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        desktop = std::make_unique<Desktop>();
        if (!desktop->whyNot().isEmpty())
            GTEST_SKIP() << desktop->whyNot().toStdString();
    }

    void TearDown() override
    {
        if (HasFailure() && desktop && desktop->engine())
            std::cerr << "--- engine log\n" << desktop->engineLog().toStdString() << "---\n";
        client.reset();
        desktop.reset();
    }

    // One shortcut typing the text on the universal context, on the launcher.
    static DataFiles typingOn(const QVariantMap& launcher, const QString& text = kText)
    {
        DataFiles files;
        files.actions = {typeTextAction(0, text)};
        files.contexts = {context(0, "Everywhere", 0)};
        files.launchers = {launcher};
        files.shortcuts = {shortcut(0, "Type", {0}, {launcher.value("launcherID").toLongLong()}, {0})};
        return files;
    }

    // The engine on the data, and a client of ours in front.
    void start(const DataFiles& files)
    {
        ASSERT_TRUE(desktop->writeData(files));
        QString why;
        ASSERT_TRUE(desktop->startEngine(&why)) << why.toStdString();
        client = desktop->startClient("ZelkTarget");
        ASSERT_NE(client->window(), 0u) << "the test's X client has no window";
        ASSERT_TRUE(desktop->focus(*client));
    }

    std::unique_ptr<Desktop> desktop;
    std::unique_ptr<KeyClient> client;
};

TEST_F(EngineOnTheDesktopTest, HotKeyTypesTheTextAfterTheUserLetGo)
{
    ASSERT_NO_FATAL_FAILURE(start(typingOn(keyLauncher(0, CtrlAlt | KeyT))));
    ASSERT_TRUE(desktop->xdotool({"key", "ctrl+alt+t"}));
    EXPECT_TRUE(client->waitForText(kText)) << "typed: " << client->text().toStdString();
    EXPECT_FALSE(client->typedWithModifiers()) << "the hot key's modifiers were mixed into the text";
}

TEST_F(EngineOnTheDesktopTest, HotKeyRunsACommandAPauseAndAScriptInTurn)
{
    const QString commandOut = desktop->home() + "/command out";
    const QString scriptOut = desktop->home() + "/script out";
    DataFiles files;
    files.actions = {
        action(0, "command", "CommandShortcut",
               {{"Action", 1}, {"Source", "printf '%s|%s' \"it's\" \"$((2+3))\" > \"" + commandOut + "\""}, {"InTerminal", false}}),
        action(1, "pause", "PauseShortcut", {{"Action", 1}, {"Seconds", 0.2}}),
        // Runs only once the command's file is there: the steps go in order.
        action(2, "script", "AppleScriptShortcut",
               {{"Action", 1}, {"Source", ""},
                {"CompiledScript", QByteArray("#!/bin/sh\ncat \"" + commandOut.toUtf8() + "\" > \"" + scriptOut.toUtf8() + "\"\n")}}),
    };
    files.contexts = {context(0, "Everywhere", 0)};
    files.launchers = {keyLauncher(0, CtrlAlt | KeyR)};
    files.shortcuts = {shortcut(0, "Run", {0, 1, 2}, {0}, {0})};
    ASSERT_NO_FATAL_FAILURE(start(files));
    ASSERT_TRUE(desktop->xdotool({"key", "ctrl+alt+r"}));
    const auto contents = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    };
    EXPECT_TRUE(zelk::test::waitUntil([&] { return contents(scriptOut) == "it's|5"; }, 10000))
        << "command: " << contents(commandOut).toStdString() << " script: " << contents(scriptOut).toStdString();
}

TEST_F(EngineOnTheDesktopTest, TextPutOnTheClipboardIsThereForTheNextStep)
{
    DataFiles files;
    files.actions = {action(0, "put", "ClipboardShortcut", {{"Action", 1}, {"Text", "Zelk clip"}, {"Add", false}, {"Paste", false}}),
                     action(1, "type clipboard", "KeyboardShortcut", {{"Action", 4}, {"CharSecond", 200}})};
    files.contexts = {context(0, "Everywhere", 0)};
    files.launchers = {keyLauncher(0, CtrlAlt | KeyK)};
    files.shortcuts = {shortcut(0, "Clip", {0, 1}, {0}, {0})};
    ASSERT_NO_FATAL_FAILURE(start(files));
    ASSERT_TRUE(desktop->xdotool({"key", "ctrl+alt+k"}));
    EXPECT_TRUE(client->waitForText("Zelk clip")) << "typed: " << client->text().toStdString();
}

TEST_F(EngineOnTheDesktopTest, HotKeyTypesTheTextWhileTheUserStillHoldsIt)
{
    ASSERT_NO_FATAL_FAILURE(start(typingOn(keyLauncher(0, CtrlAlt | KeyT))));
    ASSERT_TRUE(desktop->xdotool({"keydown", "ctrl+alt+t"}));
    EXPECT_TRUE(client->waitForText(kText)) << "typed: " << client->text().toStdString();
    ASSERT_TRUE(desktop->xdotool({"keyup", "ctrl+alt+t"}));
    EXPECT_FALSE(client->typedWithModifiers()) << "the held hot key's modifiers were mixed into the text";
    EXPECT_EQ(client->text(), kText);
}

TEST_F(EngineOnTheDesktopTest, CapsLockLeavesTheTypedTextAsItIs)
{
    ASSERT_NO_FATAL_FAILURE(start(typingOn(keyLauncher(0, CtrlAlt | KeyT))));
    ASSERT_TRUE(desktop->xdotool({"key", "Caps_Lock"}));
    ASSERT_TRUE(desktop->xdotool({"key", "ctrl+alt+t"}));
    EXPECT_TRUE(client->waitForText(kText)) << "typed with Caps Lock on: " << client->text().toStdString();
}

TEST_F(EngineOnTheDesktopTest, TwoKeyLauncherRunsOnItsSecondKey)
{
    ASSERT_NO_FATAL_FAILURE(start(typingOn(keyLauncher(0, CtrlAlt | KeyK, {.secondKey = KeyJ}), "two keys")));
    ASSERT_TRUE(desktop->xdotool({"key", "ctrl+alt+k", "ctrl+alt+j"}));
    EXPECT_TRUE(client->waitForText("two keys")) << "typed: " << client->text().toStdString();
    EXPECT_FALSE(client->typedWithModifiers());
}

TEST_F(EngineOnTheDesktopTest, ReleaseLauncherRunsWhenTheKeysGoUp)
{
    ASSERT_NO_FATAL_FAILURE(start(typingOn(keyLauncher(0, CtrlAlt | KeyR, {.release = true, .secondKey = {}}), "released")));
    ASSERT_TRUE(desktop->xdotool({"keydown", "ctrl+alt+r"}));
    // The engine has the press (its trace says so), and runs nothing on it.
    const QString pressed = QString("simpleKeyLaunchersWithKeycode: %1").arg(CtrlAlt | KeyR);
    ASSERT_TRUE(desktop->engine()->waitForOutput(pressed, 15000)) << "the engine never saw the press";
    EXPECT_FALSE(pollUntil([&] { return !client->text().isEmpty(); }, 300)) << "ran on the press";
    ASSERT_TRUE(desktop->xdotool({"keyup", "ctrl+alt+r"}));
    EXPECT_TRUE(client->waitForText("released")) << "typed: " << client->text().toStdString();
}

TEST_F(EngineOnTheDesktopTest, CombinationSwitchedOffByAContextRuleReachesTheWindow)
{
    DataFiles files;
    files.actions = {typeTextAction(0, "never"), typeTextAction(1, "still works")};
    files.contexts = {context(0, "Everywhere", 0, {}, {excludeRule(CtrlAlt | KeyX)})};
    files.launchers = {keyLauncher(0, CtrlAlt | KeyX), keyLauncher(1, CtrlAlt | KeyT)};
    files.shortcuts = {shortcut(0, "Switched off", {0}, {0}, {0}), shortcut(1, "Types", {1}, {1}, {0})};
    ASSERT_NO_FATAL_FAILURE(start(files));

    ASSERT_TRUE(desktop->xdotool({"key", "ctrl+alt+x"}));
    EXPECT_TRUE(client->waitForControlAlt(XK_x)) << "the switched-off combination did not reach the window";
    // The engine handles keys in order: once the next one's text is in,
    // the switched-off one had its chance.
    ASSERT_TRUE(desktop->xdotool({"key", "ctrl+alt+t"}));
    EXPECT_TRUE(client->waitForText("still works")) << "typed: " << client->text().toStdString();
}

TEST_F(EngineOnTheDesktopTest, ReloadTakesTheNewCombination)
{
    DataFiles files = typingOn(keyLauncher(0, CtrlAlt | KeyT), "one");
    ASSERT_NO_FATAL_FAILURE(start(files));
    ASSERT_TRUE(desktop->xdotool({"key", "ctrl+alt+t"}));
    ASSERT_TRUE(client->waitForText("one")) << "typed: " << client->text().toStdString();

    // The editor saves the files, then tells the engine.
    files.launchers = {keyLauncher(0, CtrlAlt | KeyY)};
    files.actions = {typeTextAction(0, "two")};
    ASSERT_TRUE(files.write(desktop->dataFolder()));
    ASSERT_TRUE(desktop->postEditorCommand({{"action", "updateobjects"}}));
    ASSERT_TRUE(pollUntil([&] {
        const QVariantList list = desktop->shortCutList();
        return list.size() == 1 && list[0].toMap().value("keycode").toLongLong() == (CtrlAlt | KeyY);
    }, 20000, 100)) << "the engine did not reload";

    ASSERT_TRUE(desktop->xdotool({"key", "ctrl+alt+t"}));
    EXPECT_TRUE(client->waitForControlAlt(XK_t)) << "the old combination is still taken";
    ASSERT_TRUE(desktop->xdotool({"key", "ctrl+alt+y"}));
    EXPECT_TRUE(client->waitForText("onetwo")) << "typed: " << client->text().toStdString();
}

// With a window manager and without one (the input focus tells the front).
class FrontApplicationTest : public EngineOnTheDesktopTest, public ::testing::WithParamInterface<bool> {};

TEST_P(FrontApplicationTest, ApplicationInFrontSwitchesItsShortcut)
{
    if (GetParam()) {
        QString whyNot;
        if (!desktop->startWindowManager(&whyNot))
            GTEST_SKIP() << whyNot.toStdString();
    }
    // Alpha has a desktop entry and is named by it; beta has none and is
    // named by its program's file name.
    ASSERT_TRUE(desktop->writeDesktopEntry("zelk-alpha.desktop", "Name=Alpha\nExec=zelk-alpha-not-installed\nStartupWMClass=ZelkAlpha\n"));
    const QString betaName = QFileInfo(Desktop::clientPath()).fileName();
    DataFiles files;
    files.actions = {typeTextAction(0, "alpha"), typeTextAction(1, "beta")};
    files.contexts = {context(0, "Everywhere", 0), context(1, "Alpha in front", 1, "zelk-alpha"),
                      context(2, "Beta in front", 1, betaName)};
    files.launchers = {keyLauncher(0, CtrlAlt | KeyF)};
    files.shortcuts = {shortcut(0, "In alpha", {0}, {0}, {1}), shortcut(1, "In beta", {1}, {0}, {2})};
    ASSERT_TRUE(desktop->writeData(files));
    QString why;
    ASSERT_TRUE(desktop->startEngine(&why)) << why.toStdString();
    EXPECT_TRUE(desktop->waitForListedShortcuts({})) << "a front-application shortcut is on before any application";

    auto alpha = desktop->startClient("ZelkAlpha");
    auto beta = desktop->startClient("ZelkBeta");
    ASSERT_NE(alpha->window(), 0u);
    ASSERT_NE(beta->window(), 0u);

    ASSERT_TRUE(desktop->focus(*alpha));
    ASSERT_TRUE(desktop->waitForListedShortcuts({"In alpha"})) << "alpha in front did not switch its shortcut on";
    ASSERT_TRUE(desktop->xdotool({"key", "ctrl+alt+f"}));
    EXPECT_TRUE(alpha->waitForText("alpha")) << "alpha got: " << alpha->text().toStdString();

    ASSERT_TRUE(desktop->focus(*beta));
    ASSERT_TRUE(desktop->waitForListedShortcuts({"In beta"})) << "beta in front did not switch the shortcuts";
    ASSERT_TRUE(desktop->xdotool({"key", "ctrl+alt+f"}));
    EXPECT_TRUE(beta->waitForText("beta")) << "beta got: " << beta->text().toStdString();

    ASSERT_TRUE(desktop->focus(*alpha));
    ASSERT_TRUE(desktop->waitForListedShortcuts({"In alpha"}));
    ASSERT_TRUE(desktop->xdotool({"key", "ctrl+alt+f"}));
    EXPECT_TRUE(alpha->waitForText("alphaalpha")) << "alpha got: " << alpha->text().toStdString();
    EXPECT_EQ(beta->text(), "beta");
}

INSTANTIATE_TEST_SUITE_P(, FrontApplicationTest, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "WithWindowManager" : "WithoutWindowManager"; });

TEST_F(EngineOnTheDesktopTest, SecondEngineRefusesToStartAndLeavesTheFirstAlone)
{
    ASSERT_NO_FATAL_FAILURE(start(typingOn(keyLauncher(0, CtrlAlt | KeyT), "first")));

    std::unique_ptr<Child> second = desktop->startAnotherEngine();
    ASSERT_TRUE(second->waitForOutput("Zelk is already running", 30000)) << second->output().toStdString();
    // The user closes its alert; then it quits, having loaded nothing.
    QList<unsigned long> alert;
    ASSERT_TRUE(pollUntil([&] { return !(alert = desktop->windowsOf(second->pid())).isEmpty(); }, 15000)) << "no alert window";
    ASSERT_TRUE(desktop->closeWindow(alert.first()));
    ASSERT_TRUE(second->waitForExit(15000)) << "the second engine still runs after its alert";
    EXPECT_NE(second->exitCode(), 0) << "a refused engine must fail";
    EXPECT_FALSE(second->output().contains("readPrefs")) << second->output().toStdString();

    // The first one still owns its keys and answers.
    EXPECT_EQ(desktop->callEngine("OrderedShortcuts").type(), QDBusMessage::ReplyMessage);
    ASSERT_TRUE(desktop->focus(*client));
    ASSERT_TRUE(desktop->xdotool({"key", "ctrl+alt+t"}));
    EXPECT_TRUE(client->waitForText("first")) << "typed: " << client->text().toStdString();
}

TEST_F(EngineOnTheDesktopTest, SecondEngineOfTheSameSessionBusRefusesEvenOnAnotherDisplay)
{
    ASSERT_NO_FATAL_FAILURE(start(typingOn(keyLauncher(0, CtrlAlt | KeyT), "first")));

    // Another display and another runtime folder: neither the process list
    // nor the lock file sees the first engine; the session bus does.
    zelk::test::XvfbServer other;
    ASSERT_TRUE(other.isRunning()) << other.error().toStdString();
    QProcessEnvironment elsewhere;
    elsewhere.insert("DISPLAY", other.display());
    const QString runtime = desktop->home() + "/run-elsewhere";
    ASSERT_TRUE(QDir().mkpath(runtime));
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    elsewhere.insert("XDG_RUNTIME_DIR", runtime);
    std::unique_ptr<Child> second = desktop->startAnotherEngine(elsewhere);
    ASSERT_TRUE(second->waitForOutput("Zelk is already running", 30000)) << second->output().toStdString();
    EXPECT_TRUE(second->output().contains("owned by another program")) << second->output().toStdString();
    QList<unsigned long> alert;
    ASSERT_TRUE(pollUntil([&] { return !(alert = desktop->windowsOf(second->pid(), other.display())).isEmpty(); }, 15000));
    ASSERT_TRUE(desktop->closeWindow(alert.first(), other.display()));
    ASSERT_TRUE(second->waitForExit(15000));
    EXPECT_NE(second->exitCode(), 0);

    ASSERT_TRUE(desktop->xdotool({"key", "ctrl+alt+t"}));
    EXPECT_TRUE(client->waitForText("first")) << "typed: " << client->text().toStdString();
}

} // namespace
