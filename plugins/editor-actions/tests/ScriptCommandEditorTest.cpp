// The script and command action types, editing side: defaults, drops, the
// check on validation (any failure is one, nothing stored empty, no alert
// from editedDataValue), the command file and the terminal box with undo.
#include "AppleScriptShortcut/AppleScriptShortcut.h"
#include "CommandShortcut/CommandShortcut.h"
#include "PaneTestSupport.h"

#include <QMimeData>
#include <QPushButton>
#include <QUndoStack>
#include <QUrl>
#include <gtest/gtest.h>

using namespace zelk;
using namespace zelk::editor;
using namespace zelk::test;

namespace {

// Alerts answer from a queue (1 when empty: the first button).
class AnsweringUtility : public KeyTypesUtility {
public:
    int runAlertPanelWithTitle(const QString& title, const QString& message, const QString& b1, const QString& b2,
                               const QString& b3) override
    {
        KeyTypesUtility::runAlertPanelWithTitle(title, message, b1, b2, b3);
        return answers.isEmpty() ? 1 : answers.takeFirst();
    }
    QList<int> answers;
};

class ScriptEditorTest : public PaneTypeTest<AppleScriptShortcut, AppleScriptShortcutClass, AnsweringUtility> {
protected:
    ScriptEditorTest() : PaneTypeTest("AppleScriptShortcut", "My script") {}
    QPlainTextEdit* textView(const FakeEditor& editor) { return editor.control<QPlainTextEdit>("CUTSourceTextView"); }
};

class CommandEditorTest : public PaneTypeTest<CommandShortcut, CommandShortcutClass, KeyTypesUtility> {
protected:
    CommandEditorTest() : PaneTypeTest("CommandShortcut", "My command") {}
};

TEST_F(ScriptEditorTest, DefaultsAndDrops)
{
    EXPECT_EQ(cls->familyID(), 1015);
    EXPECT_EQ(cls->newDataForAction(1).value("actiondata").toMap(),
              (QVariantMap{{"Action", 1}, {"Source", ""}, {"CompiledScript", QByteArray()}}));
    EXPECT_EQ(cls->newDataForAction(2).value("actiondata").toMap(),
              (QVariantMap{{"Action", 2}, {"Path", ""}, {"FSRef", QByteArray()}}));

    QMimeData good, bad;
    good.setText("echo hi");
    bad.setText("if then");
    EXPECT_EQ(cls->newDatasWithPasteboard(&good, 1)[0].toMap().value("actiondata").toMap(),
              (QVariantMap{{"Action", 1}, {"Source", ""}, {"CompiledScript", QByteArray("echo hi")}}));
    EXPECT_EQ(cls->newDatasWithPasteboard(&bad, 1)[0].toMap().value("actiondata").toMap(),
              (QVariantMap{{"Action", 1}, {"Source", "if then"}, {"CompiledScript", QByteArray()}}));

    const QString dir = home->path();
    const QString a = writeFile(dir + "/a.sh", "echo a\n"), b = writeFile(dir + "/b", "#!/bin/sh\necho b\n");
    const QString text = writeFile(dir + "/notes.txt", "echo notes"), image = writeFile(dir + "/p.png", "png");
    const auto offered = [&](const QStringList& paths) {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& p : paths)
            urls.append(QUrl::fromLocalFile(p));
        data.setUrls(urls);
        return cls->modelsIDForPasteboard(&data);
    };
    EXPECT_EQ(offered({a, b}), (QList<int>{1, 2}));
    EXPECT_EQ(offered({a, text}), QList<int>{1});
    EXPECT_TRUE(offered({a, image}).isEmpty());

    // A dropped script file as model 1 passes the check like a typed one.
    const QString broken = writeFile(dir + "/broken.sh", "if then\n");
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(broken)});
    const QVariantList records = cls->newDatasWithPasteboard(&files, 1);
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[0].toMap().value("actiondata").toMap().value("CompiledScript"), QByteArray("echo a\n"));
    EXPECT_EQ(records[1].toMap().value("actiondata").toMap(),
              (QVariantMap{{"Action", 1}, {"Source", "if then\n"}, {"CompiledScript", QByteArray()}}));
}

TEST_F(ScriptEditorTest, ValidationStoresCheckedScriptsCompiledAndAsksAboutFailures)
{
    auto action = make(cls->newDataForAction(1).value("actiondata").toMap());
    auto editor = open(action);
    textView(*editor)->setPlainText("echo one\nif then");
    const QVariantMap before = action->dataValue();

    // editedDataValue shows no alert and reads a failing script as kept.
    const int alerts = scope.utility.alerts.size();
    EXPECT_EQ(action->editedDataValue().value("Source"), "echo one\nif then");
    EXPECT_EQ(scope.utility.alerts.size(), alerts);

    // "Modifier": the window stays, the line in error selected, nothing stored.
    scope.utility.answers = {1, 1};
    EXPECT_FALSE(action->willValidateEditing());
    EXPECT_EQ(action->dataValue(), before);
    EXPECT_EQ(textView(*editor)->textCursor().selectedText(), "if then");
    EXPECT_EQ(scope.utility.alerts.size(), alerts + 2);

    // "Sauvegarder": kept as Source, not compiled.
    scope.utility.answers = {1, 0};
    ASSERT_TRUE(action->willValidateEditing());
    EXPECT_EQ(action->dataValue(), (QVariantMap{{"Action", 1}, {"Source", "echo one\nif then"}, {"CompiledScript", QByteArray()}}));

    editor = open(action);
    EXPECT_EQ(textView(*editor)->toPlainText(), "echo one\nif then");
    textView(*editor)->setPlainText("echo fixed");
    ASSERT_TRUE(action->willValidateEditing());
    EXPECT_EQ(action->dataValue(), (QVariantMap{{"Action", 1}, {"Source", ""}, {"CompiledScript", QByteArray("echo fixed")}}));
}

TEST_F(ScriptEditorTest, AScriptThatIsNotTextIsKeptAsItWas)
{
    const QVariantMap stored{{"Action", 1}, {"Source", ""}, {"CompiledScript", QByteArray("Fasd\0UAS\xff", 9)}};
    auto action = make(stored);
    auto editor = open(action);
    EXPECT_EQ(textView(*editor)->toPlainText(), "");
    EXPECT_EQ(action->editedDataValue(), stored);
    ASSERT_TRUE(action->willValidateEditing());
    EXPECT_EQ(action->dataValue(), stored);
}

TEST_F(ScriptEditorTest, ScriptFileValidity)
{
    const QString missing = home->path() + "/gone.sh";
    auto action = make(cls->dataForAction(2, {}, {}, missing));
    EXPECT_FALSE(action->isValid());
    EXPECT_EQ(action->notValidString(), "The script file “" + missing + "” can’t be found.");
    writeFile(missing, "echo");
    EXPECT_TRUE(action->isValid());
}

TEST_F(ScriptEditorTest, TheFilePopUpAsksForAFileOnlyFromChoose)
{
    const QString first = writeFile(home->path() + "/first.sh", "echo 1"), second = writeFile(home->path() + "/b.sh", "echo 2");
    auto action = make(cls->dataForAction(2, {}, {}, first));
    auto editor = open(action);
    auto* pathButton = editor->control<QComboBox>("CUTPathButton");
    ASSERT_TRUE(pathButton);
    ASSERT_TRUE(editor->control<QPushButton>("CUTEditButton"));

    // A folder of the file is no choice: the pop-up goes back to the file.
    choose(pathButton, 1);
    EXPECT_TRUE(scope.utility.documentStarts.isEmpty());
    EXPECT_EQ(pathButton->currentIndex(), 0);

    scope.utility.documentAnswers = {second};
    choose(pathButton, pathButton->count() - 1);
    EXPECT_EQ(scope.utility.documentStarts, QStringList{first});
    EXPECT_EQ(pathButton->itemText(0), "b.sh");
    EXPECT_FALSE(editor->image.isNull());
    ASSERT_TRUE(action->willValidateEditing());
    EXPECT_EQ(action->dataValue().value("Path"), second);
}

TEST_F(CommandEditorTest, DefaultsDropsAndValidity)
{
    EXPECT_EQ(cls->familyID(), 1010);
    EXPECT_EQ(cls->newDataForAction(1).value("actiondata").toMap(),
              (QVariantMap{{"Action", 1}, {"Source", ""}, {"InTerminal", false}}));
    EXPECT_EQ(cls->newDataForAction(2).value("actiondata").toMap(),
              (QVariantMap{{"Action", 2}, {"Path", ""}, {"FSRef", QByteArray()}, {"InTerminal", false}}));
    const QString a = writeFile(home->path() + "/a.txt", "ls"), b = writeFile(home->path() + "/b.txt", "pwd");
    const QString image = writeFile(home->path() + "/c.png", "png");
    QMimeData two, mixed;
    two.setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(b)});
    mixed.setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(image)});
    EXPECT_EQ(cls->modelsIDForPasteboard(&two), (QList<int>{1, 2}));
    EXPECT_TRUE(cls->modelsIDForPasteboard(&mixed).isEmpty());
    EXPECT_EQ(cls->newDatasWithPasteboard(&two, 1)[1].toMap().value("actiondata").toMap().value("Source"), "pwd");

    auto action = make(cls->dataForAction(2, {}, home->path() + "/none.txt"));
    EXPECT_FALSE(action->isValid());
    EXPECT_EQ(action->notValidString(), "The command file “" + home->path() + "/none.txt” can’t be found.");
}

TEST_F(CommandEditorTest, TerminalBoxWithUndoAndTheTextAsTyped)
{
    auto action = make(cls->dataForAction(1, "echo \"$HOME\"", {}));
    auto editor = open(action);
    editor->name = "Typed name";
    auto* box = editor->control<QCheckBox>("CUTInTerminalCheck");
    box->click();
    EXPECT_TRUE(box->isChecked());
    EXPECT_EQ(action->undoManager()->undoText(), "Run in a Terminal");
    editor->name = "Changed";
    action->undoManager()->undo();
    EXPECT_FALSE(box->isChecked());
    EXPECT_EQ(editor->name, "Typed name");
    action->undoManager()->redo();
    editor->control<QPlainTextEdit>("CUTSourceTextView")->setPlainText("printf '%s' \"a\nb\"");
    ASSERT_TRUE(action->willValidateEditing());
    EXPECT_EQ(action->dataValue(), (QVariantMap{{"Action", 1}, {"Source", "printf '%s' \"a\nb\""}, {"InTerminal", true}}));
}

TEST_F(CommandEditorTest, ChoosingTheFile)
{
    const QString file = writeFile(home->path() + "/run.txt", "ls");
    auto action = make(cls->dataForAction(2, {}, {}));
    auto editor = open(action);
    scope.utility.documentAnswers = {file};
    action->modifyPath();
    EXPECT_EQ(scope.utility.documentTypes, (QStringList{"txt", "rtf", "rtfd", "'TEXT'"}));
    EXPECT_EQ(editor->control<QComboBox>("CUTPathButton")->itemText(0), "run.txt");
    ASSERT_TRUE(action->willValidateEditing());
    EXPECT_EQ(action->dataValue().value("Path"), file);
    EXPECT_FALSE(action->dataValue().value("FSRef").toByteArray().isEmpty());
}

} // namespace
