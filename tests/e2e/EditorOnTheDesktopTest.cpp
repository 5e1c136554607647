// The editor on a real X server and session bus, as its user meets it: it
// starts the engine through the login helper, opens an exchange file given
// to it, saves when the user presses Ctrl+S in its window, and the engine
// reloads and runs the new shortcut's hot key.
#include "Desktop.h"

#include "DataFileRecords.h"
#include "PropertyList.h"
#include "TestSupport.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <csignal>
#include <iostream>

using namespace zelk::e2e;
using namespace zelk::test::records;

namespace {

constexpr quint32 KeyY = 16;
const QString kText = QStringLiteral("Typed by a shortcut the editor saved");

QString editorPath()
{
    return zelk::test::appContents() + "/MacOS/Zelk Editor.app/Contents/MacOS/Zelk Editor";
}

class EditorOnTheDesktopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        desktop = std::make_unique<Desktop>();
        if (!desktop->whyNot().isEmpty())
            ZELK_SKIP_UNLESS_CI(desktop->whyNot().toStdString());
    }
    void TearDown() override
    {
        if (HasFailure() && editor)
            std::cerr << "--- editor and engine log\n" << editor->output().toStdString() << "---\n";
        // The engine is the helper's child, not ours: it is asked to end
        // by its process ID on the bus.
        if (const qint64 pid = enginePid())
            ::kill(pid_t(pid), SIGTERM);
        client.reset();
        editor.reset();
        desktop.reset();
    }

    qint64 enginePid() const
    {
        if (!desktop)
            return 0;
        QDBusConnection bus = QDBusConnection::connectToBus(desktop->busAddress(), "editor-e2e-look");
        const QDBusReply<uint> pid = bus.interface()->servicePid("org.zelk.Zelk");
        QDBusConnection::disconnectFromBus("editor-e2e-look");
        return pid.isValid() ? qint64(pid.value()) : 0;
    }

    std::unique_ptr<Desktop> desktop;
    std::unique_ptr<Child> editor;
    std::unique_ptr<KeyClient> client;
};

TEST_F(EditorOnTheDesktopTest, SavedShortcutRunsOnItsHotKeyInTheEngineTheEditorStarted)
{
    // The engine's folder as its first run leaves it: the universal context alone.
    DataFiles files;
    files.contexts = {context(0, "Everywhere", 0)};
    ASSERT_TRUE(desktop->writeData(files));
    // What the user opens with the editor: one shortcut, its step, its hot key.
    const QString exchange = desktop->home() + "/typing.zlex";
    ASSERT_TRUE(zelk::plist::writeFile(
        exchange, QVariantMap{{"exportedshortcuts", QVariantList{shortcut(5, "Type greeting", {3}, {4}, {0})}},
                              {"exportedactions", QVariantList{typeTextAction(3, kText)}},
                              {"exportedlaunchers", QVariantList{keyLauncher(4, Command | Option | KeyY)}},
                              {"exportedcontexts", QVariantList{context(0, "Everywhere", 0)}}}));

    QProcessEnvironment env = desktop->environment();
    editor = std::make_unique<Child>(editorPath(), QStringList{exchange}, env, desktop->home() + "/editor.log");
    ASSERT_TRUE(editor->isRunning()) << editor->output().toStdString();
    // Nothing started the engine but the editor, through its helper.
    ASSERT_TRUE(pollUntil([&] { return desktop->callEngine("GetShortCutList").type() == QDBusMessage::ReplyMessage; }, 30000, 100))
        << "the engine never came up";
    ASSERT_TRUE(editor->waitForOutput("imported 1 of 1 opened files", 20000)) << "the exchange file was not imported";
    EXPECT_TRUE(desktop->shortCutList().isEmpty()) << "the engine knew the shortcut before it was saved";

    // Ctrl+S in the editor's main window: Update now.
    QList<unsigned long> windows;
    ASSERT_TRUE(pollUntil([&] { return !(windows = desktop->windowsOf(editor->pid())).isEmpty(); }, 20000))
        << "the editor shows no window";
    ASSERT_TRUE(desktop->xdotool({"windowfocus", "--sync", QString::number(windows.first())}));
    const QImage shot = desktop->screenshot();
    const QString artefacts = qEnvironmentVariable("ZELK_TEST_ARTEFACTS", QDir::tempPath());
    EXPECT_TRUE(shot.save(artefacts + "/editor-main-window.png")) << artefacts.toStdString();
    ASSERT_TRUE(desktop->xdotool({"key", "ctrl+s"}));
    ASSERT_TRUE(desktop->waitForListedShortcuts({"Type greeting"})) << "the engine did not reload the saved shortcut";

    // The saved file holds the shortcut, and its hot key types the text.
    const auto saved = zelk::plist::readFile(desktop->dataFolder() + "/Shortcuts.plist");
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(saved->toMap().value("shortcutsarray").toList().size(), 1);
    client = desktop->startClient("ZelkTarget");
    ASSERT_NE(client->window(), 0u);
    ASSERT_TRUE(desktop->focus(*client));
    ASSERT_TRUE(desktop->xdotool({"key", "ctrl+alt+y"}));
    EXPECT_TRUE(client->waitForText(kText)) << "typed: " << client->text().toStdString();
}

} // namespace
