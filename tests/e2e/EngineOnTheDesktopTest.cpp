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
#include "DesktopTest.h"

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

class EngineOnTheDesktopTest : public DesktopTest {
protected:
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
};

TEST_F(EngineOnTheDesktopTest, HotKeyTypesTheTextAfterTheUserLetGo)
{
    ASSERT_NO_FATAL_FAILURE(start(typingOn(keyLauncher(0, CtrlAlt | KeyT))));
    ASSERT_TRUE(desktop->xdotool({"key", "ctrl+alt+t"}));
    EXPECT_TRUE(client->waitForText(kText)) << "typed: " << client->text().toStdString();
    EXPECT_FALSE(client->typedWithModifiers()) << "the hot key's modifiers were mixed into the text";
}

// How the engine ends, with Qt on the X server (xcb) and without (offscreen:
// then only the engine's own connections see the X server).
class EngineEndTest : public EngineOnTheDesktopTest, public ::testing::WithParamInterface<const char*> {
protected:
    void startOn(const char* qpa)
    {
        ASSERT_TRUE(desktop->writeData(typingOn(keyLauncher(0, CtrlAlt | KeyT))));
        QProcessEnvironment env;
        env.insert("QT_QPA_PLATFORM", qpa);
        QString why;
        ASSERT_TRUE(desktop->startEngine(&why, env)) << why.toStdString();
        ASSERT_FALSE(desktop->shortCutList().isEmpty()) << "the hot key was not registered";
    }
};

// The session's SIGTERM: success, the bus service released in time (the
// platform outlives the application).
TEST_P(EngineEndTest, SigtermEndsTheEngineCleanly)
{
    ASSERT_NO_FATAL_FAILURE(startOn(GetParam()));
    Child* engine = desktop->engine();
    engine->terminate();
    ASSERT_TRUE(engine->waitForExit(30000)) << "the engine hangs on its way out";
    EXPECT_FALSE(engine->crashed()) << desktop->engineLog().toStdString();
    EXPECT_EQ(engine->exitCode(), 0) << desktop->engineLog().toStdString();
}

// The X server going away (a crash, the end of the session) ends the
// engine with a failure, saying why: it neither hangs nor crashes.
TEST_P(EngineEndTest, LosingTheXServerEndsTheEngineSayingWhy)
{
    ASSERT_NO_FATAL_FAILURE(startOn(GetParam()));
    desktop->stopXServer();
    Child* engine = desktop->engine();
    ASSERT_TRUE(engine->waitForExit(30000)) << "the engine still runs without its X server";
    const QString log = desktop->engineLog();
    EXPECT_FALSE(engine->crashed()) << log.toStdString();
    EXPECT_NE(engine->exitCode(), 0) << "an engine that lost its desktop must not report success";
    // Qt's X connection may notice first and say so in its own words.
    EXPECT_TRUE(log.contains("lost the connection to the X display " + desktop->display())
                || (QString(GetParam()) == "xcb" && log.contains("X11 connection broke")))
        << log.toStdString();
    EXPECT_FALSE(log.contains("XIO:")) << "Xlib ended the engine from whichever thread met the loss";
}

INSTANTIATE_TEST_SUITE_P(, EngineEndTest, ::testing::Values("offscreen", "xcb"),
                         [](const auto& info) { return std::string(info.param); });

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
            ZELK_SKIP_UNLESS_CI(whyNot.toStdString());
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

// The application in front before the engine starts: its context holds
// from the start, before the user switches windows at all.
TEST_P(FrontApplicationTest, TheApplicationInFrontAtStartSwitchesItsContextOn)
{
    if (GetParam()) {
        QString whyNot;
        if (!desktop->startWindowManager(&whyNot))
            ZELK_SKIP_UNLESS_CI(whyNot.toStdString());
    }
    ASSERT_TRUE(desktop->writeDesktopEntry("zelk-alpha.desktop", "Name=Alpha\nExec=zelk-alpha-not-installed\nStartupWMClass=ZelkAlpha\n"));
    DataFiles files;
    files.actions = {typeTextAction(0, "alpha")};
    files.contexts = {context(0, "Everywhere", 0), context(1, "Alpha in front", 1, "zelk-alpha")};
    files.launchers = {keyLauncher(0, CtrlAlt | KeyF)};
    files.shortcuts = {shortcut(0, "In alpha", {0}, {0}, {1})};
    ASSERT_TRUE(desktop->writeData(files));
    auto alpha = desktop->startClient("ZelkAlpha");
    ASSERT_NE(alpha->window(), 0u);
    ASSERT_TRUE(desktop->focus(*alpha));

    QString why;
    ASSERT_TRUE(desktop->startEngine(&why)) << why.toStdString();
    ASSERT_TRUE(desktop->waitForListedShortcuts({"In alpha"})) << "the application in front at start left its context off";
    ASSERT_TRUE(desktop->xdotool({"key", "ctrl+alt+f"}));
    EXPECT_TRUE(alpha->waitForText("alpha")) << "alpha got: " << alpha->text().toStdString();
}

INSTANTIATE_TEST_SUITE_P(, FrontApplicationTest, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "WithWindowManager" : "WithoutWindowManager"; });

// The running engine asks its user what to do (edit, nothing, quit); the
// second start ends at once, successfully, having loaded nothing.
TEST_F(EngineOnTheDesktopTest, StartingTheEngineAgainAsksTheRunningOne)
{
    ASSERT_NO_FATAL_FAILURE(start(typingOn(keyLauncher(0, CtrlAlt | KeyT), "first")));

    std::unique_ptr<Child> second = desktop->startAnotherEngine();
    ASSERT_TRUE(second->waitForExit(30000)) << second->output().toStdString();
    EXPECT_EQ(second->exitCode(), 0) << second->output().toStdString();
    EXPECT_FALSE(second->output().contains("readPrefs")) << second->output().toStdString();
    EXPECT_FALSE(second->output().contains("Zelk is already running")) << "the second engine showed an alert of its own";

    // The question is the first engine's; closing it keeps the engine.
    QList<unsigned long> question;
    ASSERT_TRUE(pollUntil([&] { return !(question = desktop->windowsOf(desktop->engine()->pid())).isEmpty(); }, 15000))
        << "the running engine asked nothing";
    EXPECT_TRUE(desktop->engineLog().contains("Zelk is running")) << desktop->engineLog().toStdString();
    ASSERT_TRUE(desktop->closeWindow(question.first()));
    ASSERT_TRUE(pollUntil([&] { return desktop->windowsOf(desktop->engine()->pid()).isEmpty(); }, 15000));
    EXPECT_TRUE(desktop->engine()->isRunning());
    EXPECT_EQ(desktop->callEngine("OrderedShortcuts").type(), QDBusMessage::ReplyMessage);
    ASSERT_TRUE(desktop->focus(*client));
    ASSERT_TRUE(desktop->xdotool({"key", "ctrl+alt+t"}));
    EXPECT_TRUE(client->waitForText("first")) << "typed: " << client->text().toStdString();
}

TEST_F(EngineOnTheDesktopTest, StartingTheEngineAgainOnAnotherDisplayAsksTheOneOfTheSessionBus)
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
    ASSERT_TRUE(second->waitForExit(30000)) << second->output().toStdString();
    EXPECT_EQ(second->exitCode(), 0) << second->output().toStdString();
    EXPECT_TRUE(second->output().contains("owned by another program")) << second->output().toStdString();
    EXPECT_FALSE(second->output().contains("Zelk is already running")) << "the second engine showed an alert of its own";

    QList<unsigned long> question;
    ASSERT_TRUE(pollUntil([&] { return !(question = desktop->windowsOf(desktop->engine()->pid())).isEmpty(); }, 15000))
        << "the running engine asked nothing";
    ASSERT_TRUE(desktop->closeWindow(question.first()));
    ASSERT_TRUE(pollUntil([&] { return desktop->windowsOf(desktop->engine()->pid()).isEmpty(); }, 15000));
    ASSERT_TRUE(desktop->focus(*client));
    ASSERT_TRUE(desktop->xdotool({"key", "ctrl+alt+t"}));
    EXPECT_TRUE(client->waitForText("first")) << "typed: " << client->text().toStdString();
}

TEST_F(EngineOnTheDesktopTest, RunningApplicationsMenuStaysUntilAKeyOrAClickClosesIt)
{
    DataFiles files;
    files.actions = {action(0, "Running applications", "ApplicationShortcut", {{"Action", 2}, {"Order", 0}, {"HideOthers", false}}),
                     typeTextAction(1, "after")};
    files.contexts = {context(0, "Everywhere", 0)};
    files.launchers = {keyLauncher(0, CtrlAlt | KeyF), keyLauncher(1, CtrlAlt | KeyT)};
    files.shortcuts = {shortcut(0, "Menu", {0}, {0}, {0}), shortcut(1, "Types", {1}, {1}, {0})};
    ASSERT_NO_FATAL_FAILURE(start(files));
    const qint64 engine = desktop->engine()->pid();

    struct Case {
        const char* what;
        QStringList close; // xdotool's arguments
    };
    const QList<Case> cases = {{"a click on an item", {"mousemove", "330", "310", "click", "1"}},
                               {"a click elsewhere", {"mousemove", "5", "5", "click", "1"}},
                               {"a key", {"key", "Escape"}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(desktop->xdotool({"mousemove", "300", "300"}));
        ASSERT_TRUE(desktop->xdotool({"key", "ctrl+alt+f"}));
        ASSERT_TRUE(pollUntil([&] { return !desktop->windowsOf(engine).isEmpty(); }, 15000)) << "no menu came up";
        // The user looks at the menu for a while: it is still there.
        EXPECT_FALSE(pollUntil([&] { return desktop->windowsOf(engine).isEmpty(); }, 1500)) << "the menu vanished by itself";
        ASSERT_TRUE(desktop->xdotool(c.close));
        EXPECT_TRUE(pollUntil([&] { return desktop->windowsOf(engine).isEmpty(); }, 15000))
            << "the menu stayed: " << desktop->windowsOf(engine).size() << " windows";
    }
    // The engine goes on: the run that showed the menu has ended, hot keys work.
    ASSERT_TRUE(desktop->focus(*client));
    ASSERT_TRUE(desktop->xdotool({"key", "ctrl+alt+t"}));
    EXPECT_TRUE(client->waitForText("after")) << "typed: " << client->text().toStdString();
}

TEST_F(EngineOnTheDesktopTest, EngineEndsOnSigtermEveryTimeAfterAShortSession)
{
    // The keys of a short session: a hot key, a two-key launcher, a key a
    // context rule switches off and a run-on-release launcher. The engine
    // must be gone (its instance lock with it) after each SIGTERM.
    DataFiles files;
    files.actions = {typeTextAction(0, "a"), typeTextAction(1, "b"), typeTextAction(2, "never"), typeTextAction(3, "c")};
    files.contexts = {context(0, "Everywhere", 0, {}, {excludeRule(CtrlAlt | KeyX)})};
    files.launchers = {keyLauncher(0, CtrlAlt | KeyT), keyLauncher(1, CtrlAlt | KeyK, {.secondKey = KeyJ}),
                       keyLauncher(2, CtrlAlt | KeyX), keyLauncher(3, CtrlAlt | KeyR, {.release = true, .secondKey = {}})};
    files.shortcuts = {shortcut(0, "A", {0}, {0}, {0}), shortcut(1, "B", {1}, {1}, {0}), shortcut(2, "X", {2}, {2}, {0}),
                       shortcut(3, "C", {3}, {3}, {0})};
    ASSERT_TRUE(desktop->writeData(files));
    client = desktop->startClient("ZelkTarget");
    ASSERT_NE(client->window(), 0u);
    QString typed;
    for (int round = 1; round <= 4; ++round) {
        SCOPED_TRACE(round);
        QString why;
        ASSERT_TRUE(desktop->startEngine(&why)) << why.toStdString();
        ASSERT_TRUE(desktop->focus(*client));
        const struct {
            QStringList keys;
            QString text;
        } presses[] = {{{"ctrl+alt+t"}, "a"}, {{"ctrl+alt+k", "ctrl+alt+j"}, "b"}, {{"ctrl+alt+x", "ctrl+alt+r"}, "c"}};
        for (const auto& press : presses) {
            ASSERT_TRUE(desktop->xdotool(QStringList{"key"} + press.keys));
            typed += press.text;
            EXPECT_TRUE(client->waitForText(typed)) << "typed: " << client->text().toStdString();
        }
        desktop->engine()->terminate();
        ASSERT_TRUE(desktop->engine()->waitForExit(15000)) << "the engine hangs on its way out";
        EXPECT_EQ(desktop->engine()->exitCode(), 0);
    }
}

} // namespace
