// The typing action type, editing side: models, defaults, names, drops,
// validity, the speed that is never below 1, and the four views with undo.
#include "KeyboardShortcut/CalendarFormat.h"
#include "KeyboardShortcut/KeyboardShortcut.h"
#include "FormatText.h"
#include "PaneTestSupport.h"
#include "VirtualPlatform.h"

#include <QMimeData>
#include <QPushButton>
#include <QUndoStack>
#include <QUrl>
#include <gtest/gtest.h>

using namespace zelk;
using namespace zelk::editor;
using namespace zelk::test;

namespace {

// Types a value into a spin box and ends the editing, as the user does.
void enter(QSpinBox* field, int value)
{
    field->setValue(value);
    emit field->editingFinished();
}

class KeyboardShortcutEditorTest : public PaneTypeTest<KeyboardShortcut, KeyboardShortcutClass, KeyTypesUtility> {
protected:
    KeyboardShortcutEditorTest() : PaneTypeTest("KeyboardShortcut", "My action") {}

    QString file(const QString& relative, const QByteArray& contents = "text")
    {
        return writeFile(home->path() + "/" + relative, contents);
    }

};

TEST_F(KeyboardShortcutEditorTest, DescribesItsModels)
{
    EXPECT_EQ(cls->familyID(), 1011);
    EXPECT_EQ(cls->modelsID(), (QList<int>{1, 2, 3, 4}));
    const int categories[] = {0, 1, 2, 3, 4, 0};
    for (int m = 0; m <= 5; ++m)
        EXPECT_EQ(cls->categoryOfAction(m), categories[m]) << "model " << m;
    EXPECT_EQ(cls->nameOfImageForModelID(3), "keyboard.tiff");
    EXPECT_EQ(cls->imageForModelID(1, 16).size(), QSize(16, 16));
    EXPECT_EQ(cls->titleOfModelID(4), "Type Clipboard Text");
    EXPECT_EQ(cls->pasteboardTypes(), (QStringList{"text/plain", "text/uri-list"}));
}

TEST_F(KeyboardShortcutEditorTest, DefaultParametersOfEveryModel)
{
    const QString notes = file("notes.txt");
    const QVariantMap expected[] = {
        {},
        params({{"Action", 1}, {"Text", "hello"}, {"CharSecond", 50}}),
        // The date model takes the default format whatever text it is offered.
        params({{"Action", 2}, {"Text", defaultCalendarFormat()}, {"CharSecond", 50}}),
        params({{"Action", 3}, {"Path", notes}, {"FSRef", scope.utility.FSRefForPath(notes)}, {"CharSecond", 50}}),
        params({{"Action", 4}, {"CharSecond", 50}}),
        {},
    };
    for (int m = 0; m <= 5; ++m)
        EXPECT_EQ(cls->dataForAction(m, "hello", notes), expected[m]) << "model " << m;
    EXPECT_EQ(cls->dataForAction(3, "", ""), params({{"Action", 3}, {"Path", ""}, {"FSRef", QByteArray()}, {"CharSecond", 50}}));
    const QVariantMap record = cls->newDataForAction(1);
    EXPECT_EQ(record.value("actionclass").toString(), "KeyboardShortcut");
    EXPECT_EQ(record.value("actiondata").toMap(), params({{"Action", 1}, {"Text", ""}, {"CharSecond", 50}}));
}

TEST_F(KeyboardShortcutEditorTest, SuggestedNames)
{
    const struct {
        int model;
        const char* text;
        const char* file;
        const char* expected;
    } cases[] = {
        {1, "123456789", "", "Type “123456789”"},          // fewer than 10: the whole text
        {1, "1234567890", "", "Type “1234567890...”"},     // exactly 10: dots all the same
        {1, "Dear\r\nSir, hello", "", "Type “Dear  Sir,...”"},
        {1, "", "", "Type “”"},
        {2, "ignored", "", "Type Date and Time"},
        {3, "", "/docs/letter.draft.txt", "Type File “letter.draft”"},
        {3, "", "", "Type File “”"},
        {4, "", "", "Type Clipboard"},
        {0, "x", "", ""},
        {5, "x", "", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(cls->nameForAction(c.model, c.text, c.file), c.expected) << c.model << " " << c.text;
    // Characters, not UTF-16 units, are counted.
    EXPECT_EQ(KeyboardShortcutClass::excerptOfText("😀😀😀😀😀😀😀😀😀😀x"), "😀😀😀😀😀😀😀😀😀😀...");
}

TEST_F(KeyboardShortcutEditorTest, NewActionNameFollowsSettingAndOptionKey)
{
    for (const bool setting : {true, false}) {
        for (const bool option : {false, true}) {
            QVEAction::setSuggestNameNew(setting);
            std::unique_ptr<OptionKeyDown> held = option ? std::make_unique<OptionKeyDown>() : nullptr;
            const QString name = cls->newDataForAction(4).value("actionname").toString();
            EXPECT_EQ(name == "Type Clipboard", setting != option) << setting << option << name.toStdString();
        }
    }
}

TEST_F(KeyboardShortcutEditorTest, DropsOfTextAndTextFiles)
{
    const QString a = file("a.txt", "alpha"), b = file("b.txt", "beta"), c = file("sub/c.txt", "gamma");
    const QString image = file("picture.png");

    QMimeData text;
    text.setText("pasted");
    EXPECT_EQ(cls->modelsIDForPasteboard(&text), QList<int>{1});
    QMimeData texts;
    texts.setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(b), QUrl::fromLocalFile(c)});
    texts.setText(a);  // file managers put the names as text too
    EXPECT_EQ(cls->modelsIDForPasteboard(&texts), (QList<int>{1, 3}));
    QMimeData mixed;
    mixed.setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(image)});
    EXPECT_TRUE(cls->modelsIDForPasteboard(&mixed).isEmpty());
    QMimeData noNames;
    noNames.setData("text/uri-list", QByteArray());
    EXPECT_EQ(cls->modelsIDForPasteboard(&noNames), QList<int>{1});
    QMimeData nothing;
    nothing.setData("application/octet-stream", "x");
    EXPECT_TRUE(cls->modelsIDForPasteboard(&nothing).isEmpty());
    EXPECT_TRUE(cls->newDatasWithPasteboard(&nothing, 1).isEmpty());

    QVEAction::setSuggestNameNew(true);
    QVariantList records = cls->newDatasWithPasteboard(&texts, 3);
    ASSERT_EQ(records.size(), 3);
    const QStringList names{"Type File “a”", "Type File “b”", "Type File “c”"};
    const QStringList paths{a, b, c};
    for (int i = 0; i < 3; ++i) {
        const QVariantMap record = records[i].toMap();
        EXPECT_EQ(record.value("actiondata").toMap(), cls->dataForAction(3, "", paths[i]));
        EXPECT_EQ(record.value("actionname").toString(), names[i]);
    }
    records = cls->newDatasWithPasteboard(&texts, 1);
    ASSERT_EQ(records.size(), 3);
    EXPECT_EQ(records[1].toMap().value("actiondata").toMap().value("Text").toString(), "beta");
    EXPECT_EQ(records[1].toMap().value("actionname").toString(), "Type “beta”");

    QVEAction::setSuggestNameNew(false);
    records = cls->newDatasWithPasteboard(&text, 1);
    ASSERT_EQ(records.size(), 1);
    EXPECT_EQ(records[0].toMap().value("actiondata").toMap(), cls->dataForAction(1, "pasted", ""));
    EXPECT_NE(records[0].toMap().value("actionname").toString(), "Type “pasted”");
}

TEST_F(KeyboardShortcutEditorTest, SpeedIsNeverBelowOne)
{
    for (const qint64 stored : {qint64(0), qint64(-3)}) {
        auto action = make(params({{"Action", 1}, {"Text", "x"}, {"CharSecond", stored}}));
        ASSERT_TRUE(action);
        EXPECT_EQ(action->dataValue().value("CharSecond").toInt(), 1) << stored;
        auto editor = open(action);
        auto* speed = editor->control<QSpinBox>("CUTCharSecondField");
        ASSERT_TRUE(speed);
        EXPECT_EQ(speed->value(), 1);
        EXPECT_EQ(speed->minimum(), 1);
        enter(speed, 0);  // the field refuses it
        ASSERT_TRUE(action->willValidateEditing());
        EXPECT_EQ(action->dataValue().value("CharSecond").toInt(), 1);
    }
}

// A record written by hand may lack the speed, or hold something that is
// no number: it types at the default speed, not at the slowest.
TEST_F(KeyboardShortcutEditorTest, SpeedMissingOrNotANumberIsTheDefault)
{
    const QVariant notANumber[] = {QVariant(), QVariant("fast"), QVariant(QVariantList{5}), QVariant(QByteArray("7"))};
    for (int model = 1; model <= 4; ++model) {
        for (const QVariant& stored : notANumber) {
            QVariantMap data = params({{"Action", model}, {"Text", "x"}});
            if (stored.isValid())
                data.insert("CharSecond", stored);
            auto action = make(data);
            ASSERT_TRUE(action) << model;
            const std::string what = std::to_string(model) + " " + qPrintable(stored.toString());
            // A missing key stays missing until the user validates.
            if (stored.isValid()) {
                EXPECT_EQ(action->dataValue().value("CharSecond"), QVariant(qint64(50))) << what;
            }
            auto editor = open(action);
            auto* speed = editor->control<QSpinBox>("CUTCharSecondField");
            ASSERT_TRUE(speed) << what;
            EXPECT_EQ(speed->value(), 50) << what;
        }
    }
}

TEST_F(KeyboardShortcutEditorTest, FileModelIsValidWhileTheFileIsFound)
{
    const QString notes = file("notes.txt");
    auto action = make(cls->dataForAction(3, "", notes));
    EXPECT_TRUE(action->isValid());
    EXPECT_EQ(action->notValidString(), QString());
    EXPECT_EQ(action->imageValueWithSize(32), scope.utility.iconImageForPath(notes, 32));

    const QString renamed = home->path() + "/renamed.txt";
    ASSERT_TRUE(QFile::rename(notes, renamed));
    EXPECT_EQ(action->bestPath(), renamed);
    EXPECT_TRUE(action->isValid());

    QFile::remove(renamed);
    EXPECT_FALSE(action->isValid());
    EXPECT_EQ(action->notValidString(), QString("The file “%1” can’t be found.").arg(notes));
    EXPECT_EQ(action->imageValueWithSize(32), QVEAction::unknownIconWithSize(32));

    EXPECT_TRUE(make(cls->dataForAction(1, "x", ""))->isValid());
    EXPECT_EQ(make(cls->dataForAction(2, "", ""))->imageValueWithSize(16), KeyboardShortcut::keyboardIcon(16));
    EXPECT_TRUE(make(params({{"Action", 9}}))->imageValueWithSize(16).isNull());
}

TEST_F(KeyboardShortcutEditorTest, TextViewEditsAndCancels)
{
    const QVariantMap stored = cls->dataForAction(1, "stored text", "");
    auto action = make(stored);
    auto editor = open(action);
    auto* textView = editor->control<QPlainTextEdit>("CUTTextTextView");
    ASSERT_TRUE(textView);
    EXPECT_EQ(textView->toPlainText(), "stored text");

    textView->setPlainText("new text");
    EXPECT_EQ(action->editedDataValue().value("Text").toString(), "new text");
    EXPECT_EQ(action->dataValue(), stored);
    action->abortEditing();
    EXPECT_EQ(action->dataValue(), stored);

    // The kept view shows the stored text again, not the cancelled one.
    editor = open(action);
    EXPECT_EQ(textView->toPlainText(), "stored text");

    // Leaving the text proposes its name when the rule says so.
    QVEAction::setSuggestNameModified(true);
    textView->setPlainText("Hello there, world");
    action->textShouldEndEditing();
    EXPECT_EQ(editor->name, "Type “Hello ther...”");
    ASSERT_TRUE(action->willValidateEditing());
    EXPECT_EQ(action->dataValue(), cls->dataForAction(1, "Hello there, world", ""));
}

TEST_F(KeyboardShortcutEditorTest, SpeedChangesAreUndoable)
{
    auto action = make(cls->dataForAction(4, "", ""));
    auto editor = open(action);
    auto* speed = editor->control<QSpinBox>("CUTCharSecondField");
    ASSERT_TRUE(speed);
    EXPECT_EQ(speed->value(), 50);
    editor->name = "typed";

    enter(speed, 80);
    QUndoStack* undo = action->undoManager();
    ASSERT_EQ(undo->count(), 1);
    EXPECT_EQ(undo->undoText(), "Speed 80");
    EXPECT_EQ(action->editedDataValue().value("CharSecond").toInt(), 80);
    enter(speed, 80);  // the same value again: no step
    EXPECT_EQ(undo->count(), 1);

    auto* speedText = speed->findChild<QLineEdit*>();
    ASSERT_TRUE(speedText);
    speedText->deselect();
    undo->undo();
    EXPECT_EQ(speed->value(), 50);
    EXPECT_EQ(speedText->selectedText(), "50");  // put back by undo: selected
    EXPECT_EQ(editor->name, "typed");
    undo->redo();
    EXPECT_EQ(speed->value(), 80);
    ASSERT_TRUE(action->willValidateEditing());
    EXPECT_EQ(action->dataValue(), params({{"Action", 4}, {"CharSecond", 80}}));
}

TEST_F(KeyboardShortcutEditorTest, DateViewFormatsElementsAndUndo)
{
    VirtualClock& clock = VirtualPlatform::current()->virtualClock();
    clock.setNow(QDateTime(QDate(2026, 1, 7), QTime(12, 0)));
    auto action = make(params({{"Action", 2}, {"Text", "%Y"}, {"CharSecond", 20}}));
    auto editor = open(action);
    auto* field = editor->control<QLineEdit>("CUTDateField");
    auto* example = editor->control<QLabel>("CUTDateExampleLabel");
    auto* panel = editor->accessory->findChild<QWidget*>("CUTDateHelpPanel");
    ASSERT_TRUE(field && example && panel);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(field->text(), "%Y");
    EXPECT_EQ(example->text(), "2026");

    // Elements: appended while the field is not being typed in.
    panel->findChild<QPushButton*>("DateElement3")->click();  // %m
    EXPECT_EQ(field->text(), "%Y%m");
    EXPECT_EQ(example->text(), "202601");
    EXPECT_EQ(action->undoManager()->count(), 0);
    // ...and in place of the selection while it is.
    field->setFocus();
    field->setSelection(2, 2);
    action->insertDateElement(23);  // %%
    EXPECT_EQ(field->text(), "%Y%%");

    emit field->editingFinished();
    ASSERT_EQ(action->undoManager()->count(), 1);
    EXPECT_EQ(action->undoManager()->undoText(), "Date Format “%Y%%”");
    action->undoManager()->undo();
    EXPECT_EQ(field->text(), "%Y");
    EXPECT_EQ(field->selectedText(), "%Y");
    EXPECT_EQ(example->text(), "2026");
    action->undoManager()->redo();

    ASSERT_TRUE(action->willValidateEditing());
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(action->dataValue(), params({{"Action", 2}, {"Text", "%Y%%"}, {"CharSecond", 20}}));
}

TEST_F(KeyboardShortcutEditorTest, FileViewChoosesFilesWithUndo)
{
    const QString first = file("deep/folder/first.txt", "one");
    const QString second = file("second.txt", "two");
    auto action = make(cls->dataForAction(3, "", first));
    auto editor = open(action);
    auto* pathButton = editor->control<QComboBox>("CUTPathButton");
    ASSERT_TRUE(pathButton);

    // The file, then each folder up to the root, then the separator and "Choose…".
    QStringList folders;
    for (QString folder = QFileInfo(first).absolutePath(); folder != "/"; folder = QFileInfo(folder).absolutePath())
        folders << QFileInfo(folder).fileName();
    ASSERT_EQ(pathButton->count(), 1 + folders.size() + 2);
    EXPECT_EQ(pathButton->itemText(0), "first.txt");
    for (int i = 0; i < folders.size(); ++i)
        EXPECT_EQ(pathButton->itemText(1 + i), folders[i]);
    EXPECT_EQ(pathButton->itemText(pathButton->count() - 1), "Choose…");

    // A cancelled panel changes nothing; it starts at the file.
    scope.utility.documentAnswers = {QString()};
    choose(pathButton, pathButton->count() - 1);
    EXPECT_EQ(scope.utility.documentStarts, QStringList{first});
    EXPECT_EQ(scope.utility.documentTypes, (QStringList{"txt", "rtf", "rtfd", "'TEXT'"}));
    EXPECT_EQ(action->undoManager()->count(), 0);
    EXPECT_EQ(pathButton->currentIndex(), 0);

    QVEAction::setSuggestNameModified(true);
    scope.utility.documentAnswers = {second};
    choose(pathButton, pathButton->count() - 1);
    EXPECT_EQ(editor->name, "Type File “second”");
    EXPECT_FALSE(editor->image.isNull());
    EXPECT_EQ(action->undoManager()->undoText(), "File “second.txt”");
    EXPECT_EQ(pathButton->itemText(0), "second.txt");
    EXPECT_EQ(pathButton->count(), 1 + folders.size() - 2 + 2);
    EXPECT_EQ(action->editedDataValue(), cls->dataForAction(3, "", second));

    action->undoManager()->undo();
    EXPECT_EQ(pathButton->itemText(0), "first.txt");
    EXPECT_EQ(editor->name, "My action");
    ASSERT_TRUE(action->willValidateEditing());
    EXPECT_EQ(action->dataValue(), cls->dataForAction(3, "", first));
}

TEST_F(KeyboardShortcutEditorTest, PathPopUpOfFoldersWithOneName)
{
    const QString deep = file("same/same/x.txt");
    auto action = make(cls->dataForAction(3, "", deep));
    auto editor = open(action);
    auto* pathButton = editor->control<QComboBox>("CUTPathButton");
    ASSERT_TRUE(pathButton);
    EXPECT_EQ(pathButton->itemText(1), "same");
    EXPECT_EQ(pathButton->itemText(2), "same ");

    // An item right under the root has no folder to list; a missing file
    // shows alone.
    action->setPathButton("/tmp");
    EXPECT_EQ(pathButton->count(), 3);
    action->setPathButton(home->path() + "/missing.txt");
    EXPECT_EQ(pathButton->count(), 3);
    EXPECT_EQ(pathButton->itemText(0), "missing.txt");
}

TEST_F(KeyboardShortcutEditorTest, UnknownModelOpensWithoutViewAndIsWrittenBackUnchanged)
{
    const QVariantMap stored = params({{"Action", 12}, {"CharSecond", 0}, {"Custom", "kept"}});
    auto action = make(stored);
    auto editor = open(action);
    EXPECT_TRUE(editor->accessory->findChildren<QWidget*>().isEmpty());
    ASSERT_TRUE(action->willValidateEditing());
    EXPECT_EQ(action->dataValue(), stored);
}

} // namespace
