// The key action type, editing side: models, defaults, names, the display
// strings of keys, and recording keys and modifiers in the view with undo.
#include "KeyShortcut/KeyShortcut.h"
#include "PaneTestSupport.h"
#include "VirtualPlatform.h"

#include <QKeyEvent>
#include <QUndoStack>
#include <gtest/gtest.h>

using namespace zelk;
using namespace zelk::editor;
using namespace zelk::test;

namespace {

QVariantMap params(int model, qint64 keycode, qint64 ascii, const QString& string)
{
    return {{"Action", model}, {"Keycode", keycode}, {"AsciiCode", ascii}, {"String", string}};
}

// A key press as the window system reports it (scan code 0: the offscreen
// platform names keys by their Qt key only).
void press(KeyShortcut& action, int key, Qt::KeyboardModifiers modifiers, const QString& text = {},
           quint32 scanCode = 0)
{
    QKeyEvent event(QEvent::KeyPress, key, modifiers, scanCode, 0, 0, text);
    action.keyEvent(&event);
}

class KeyShortcutEditorTest : public PaneTypeTest<KeyShortcut, KeyShortcutClass, KeyTypesUtility> {
protected:
    KeyShortcutEditorTest() : PaneTypeTest("KeyShortcut", "My key") {}

    // The five boxes as a word.
    static quint32 boxes(const FakeEditor& editor)
    {
        quint32 word = 0;
        const std::pair<const char*, quint32> names[] = {{"CUTCommandCheck", 0x100000}, {"CUTOptionCheck", 0x80000},
                                                         {"CUTControlCheck", 0x40000}, {"CUTShiftCheck", 0x20000},
                                                         {"CUTCapsLockCheck", 0x10000}};
        for (const auto& [name, flag] : names)
            if (editor.control<QCheckBox>(name)->isChecked())
                word |= flag;
        return word;
    }

};

TEST_F(KeyShortcutEditorTest, DescribesItsModelsAndDefaults)
{
    EXPECT_EQ(cls->familyID(), 1011);
    EXPECT_EQ(cls->modelsID(), (QList<int>{1, 2, 3}));
    for (int m = 0; m <= 4; ++m)
        EXPECT_EQ(cls->categoryOfAction(m), m >= 1 && m <= 3 ? 1 : 0) << m;
    EXPECT_EQ(cls->nameOfImageForModelID(2), "key.tiff");
    EXPECT_EQ(cls->imageForModelID(2, 16).size(), QSize(16, 16));

    EXPECT_EQ(cls->dataForAction(2, 0x120000, 0x161, "A"), params(2, 0x120000, 0x61, "A"));  // 8 bits kept
    EXPECT_TRUE(cls->dataForAction(0, 1, 2, "x").isEmpty());
    EXPECT_TRUE(cls->dataForAction(4, 1, 2, "x").isEmpty());
    EXPECT_EQ(cls->nameForAction(1, 0x120000, "A"), "Type Ctrl+Shift+A");
    EXPECT_EQ(cls->nameForAction(3, 0, "Return"), "Release Return");
    EXPECT_EQ(cls->nameForAction(4, 0, "A"), QString());

    QVEAction::setSuggestNameNew(true);
    const QVariantMap record = cls->newDataForAction(2);
    EXPECT_EQ(record.value("actiondata").toMap(), params(2, 0, 0, ""));
    EXPECT_EQ(record.value("actionname").toString(), "Press ");

    auto action = make(params(1, 0x120000, 65, "A"));
    EXPECT_TRUE(action->isValid());
    EXPECT_TRUE(action->canTest());
    EXPECT_EQ(action->imageValueWithSize(32), KeyShortcut::keyIcon(32));
    EXPECT_TRUE(make({{"Action", 0}})->imageValueWithSize(32).isNull());
}

TEST_F(KeyShortcutEditorTest, DisplayStringsOfKeys)
{
    const struct {
        char32_t character;
        const char* expected;
    } cases[] = {
        {'a', "a"},     {'~', "~"},       {U'é', "é"},          {0xFF, "ÿ"},          {33, "!"},
        {13, "Return"}, {32, "Space"},    {127, "Backspace"},   {3, "Enter"},         {9, "Tab"},
        {0xF700, "Up Arrow"},             {0xF704, "F1"},       {0x263A, "Key9786"},  {0, "Key0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(cls->stringWithUnicode(c.character), QString::fromUtf8(c.expected)) << quint32(c.character);
}

TEST_F(KeyShortcutEditorTest, RecordsAKeyWithItsModifiers)
{
    auto action = make(params(1, 0, 0, ""));
    auto editor = open(action);
    auto* field = editor->control<QLineEdit>("CUTKeyField");
    ASSERT_TRUE(field);

    // Ctrl+Shift+A: command and shift on key 0; the layout's shifted
    // character; the character the key shows ignoring all but Shift.
    press(*action, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier, "\x01");
    EXPECT_EQ(action->lastKeycode(), 0x120000u);
    EXPECT_EQ(action->lastAsciiCode(), 'A');
    EXPECT_EQ(action->lastString(), "A");
    EXPECT_EQ(field->text(), "A");
    EXPECT_EQ(field->selectedText(), "A");
    EXPECT_EQ(boxes(*editor), 0x120000u);
    QUndoStack* undo = action->undoManager();
    ASSERT_EQ(undo->count(), 1);
    EXPECT_EQ(undo->undoText(), "Key A");
    EXPECT_EQ(editor->name, "My key");

    // The same combination again is no step.
    press(*action, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier, "\x01");
    EXPECT_EQ(undo->count(), 1);
    // A modifier alone is no key.
    press(*action, Qt::Key_Control, Qt::ControlModifier);
    EXPECT_EQ(undo->count(), 1);

    EXPECT_EQ(action->editedDataValue(), params(1, 0x120000, 65, "A"));
    EXPECT_EQ(action->dataValue(), params(1, 0, 0, ""));
    undo->undo();
    EXPECT_EQ(action->editedDataValue(), params(1, 0, 0, ""));
    EXPECT_EQ(boxes(*editor), 0u);
    undo->redo();
    ASSERT_TRUE(action->willValidateEditing());
    EXPECT_EQ(action->dataValue(), params(1, 0x120000, 65, "A"));
}

TEST_F(KeyShortcutEditorTest, KeysThatTypeNoTextAndKeypadKeys)
{
    auto action = make(params(1, 0, 0, ""));
    auto editor = open(action);
    const struct {
        int key;
        Qt::KeyboardModifiers modifiers;
        const char* text;
        quint32 word;
        int ascii;
        const char* string;
    } cases[] = {
        {Qt::Key_Return, Qt::NoModifier, "\r", 36, 13, "Return"},
        {Qt::Key_Space, Qt::AltModifier, " ", 49 | 0x80000, 32, "Space"},
        {Qt::Key_Backspace, Qt::NoModifier, "\b", 51, 0, "Backspace"},
        {Qt::Key_Left, Qt::MetaModifier, "", 123 | 0x40000 | 0x800000, 0, "Left Arrow"},
        {Qt::Key_F5, Qt::NoModifier, "", 96 | 0x800000, 0, "F5"},
        {Qt::Key_Delete, Qt::NoModifier, "", 117 | 0x800000, 0, "Delete"},
        {Qt::Key_5, Qt::KeypadModifier, "5", 87 | 0x200000, 0, "5"},
        {Qt::Key_Exclam, Qt::ShiftModifier, "!", 18 | 0x20000, '!', "!"},
    };
    for (const auto& c : cases) {
        press(*action, c.key, c.modifiers, QString::fromLatin1(c.text));
        EXPECT_EQ(action->lastKeycode(), c.word) << c.string;
        EXPECT_EQ(action->lastAsciiCode(), c.ascii) << c.string;
        EXPECT_EQ(action->lastString(), c.string);
    }

    // Toggling Shift on the keypad key's word keeps the five boxes and the
    // key code only: the keypad flag goes.
    press(*action, Qt::Key_5, Qt::KeypadModifier, "5");
    auto* shift = editor->control<QCheckBox>("CUTShiftCheck");
    shift->click();
    EXPECT_EQ(action->lastKeycode(), 87u | 0x20000u);
    EXPECT_TRUE(shift->isChecked());
    EXPECT_EQ(action->undoManager()->undoText(), "Type Shift");
    shift->click();
    EXPECT_EQ(action->lastKeycode(), 87u);
    EXPECT_EQ(action->undoManager()->undoText(), "Don’t Type Shift");
    action->undoManager()->undo();
    EXPECT_TRUE(shift->isChecked());
}

// Qt's key events say nothing of Caps Lock nor of function keys: the word
// takes both from the keyboard layout, as the desktop has them.
TEST_F(KeyShortcutEditorTest, CapsLockAndFunctionKeysComeFromTheLayout)
{
    auto& layout = VirtualPlatform::current()->virtualKeyboardLayout();
    struct Restore {
        VirtualKeyboardLayout& layout;
        ~Restore()
        {
            layout.setCapsLock(false);
            layout.setFunctionKeys(VirtualKeyboardLayout::usFunctionKeys());
        }
    } restore{layout};

    auto action = make(params(1, 0, 0, ""));
    auto editor = open(action);
    const struct {
        bool capsLock;
        QSet<quint16> functionKeys;
        int key;
        Qt::KeyboardModifiers modifiers;
        const char* text;
        quint32 word;
        int ascii;
        const char* string;
    } cases[] = {
        {true, VirtualKeyboardLayout::usFunctionKeys(), Qt::Key_A, Qt::NoModifier, "A", 0x10000, 'A', "A"},
        {true, VirtualKeyboardLayout::usFunctionKeys(), Qt::Key_A, Qt::ControlModifier, "\x01", 0x110000, 'A', "A"},
        {true, VirtualKeyboardLayout::usFunctionKeys(), Qt::Key_F5, Qt::NoModifier, "", 0x810000 | 96, 0, "F5"},
        {false, VirtualKeyboardLayout::usFunctionKeys(), Qt::Key_Up, Qt::ShiftModifier, "", 0x820000 | 126, 0, "Up Arrow"},
        {false, VirtualKeyboardLayout::usFunctionKeys(), Qt::Key_Home, Qt::NoModifier, "", 0x800000 | 115, 0, "Home"},
        {false, VirtualKeyboardLayout::usFunctionKeys(), Qt::Key_Return, Qt::NoModifier, "\r", 36, 13, "Return"},
        // A layout whose key in F5's place is no function key.
        {false, {}, Qt::Key_F5, Qt::NoModifier, "", 96, 0, "F5"},
    };
    for (const auto& c : cases) {
        layout.setCapsLock(c.capsLock);
        layout.setFunctionKeys(c.functionKeys);
        press(*action, Qt::Key_Z, Qt::NoModifier, "z");  // a different key first: no step skipped
        press(*action, c.key, c.modifiers, QString::fromLatin1(c.text));
        EXPECT_EQ(action->lastKeycode(), c.word) << c.string;
        EXPECT_EQ(action->lastAsciiCode(), c.ascii) << c.string;
        EXPECT_EQ(action->lastString(), c.string);
        EXPECT_EQ(boxes(*editor), c.word & 0x1F0000) << c.string;
    }
    ASSERT_TRUE(action->willValidateEditing());
    EXPECT_EQ(action->dataValue(), params(1, 96, 0, "F5"));
}

TEST_F(KeyShortcutEditorTest, PhysicalKeyWinsOverTheLayoutsKey)
{
    // A new action: word 0, which plain A also is; A is recorded all the same.
    auto action = make(cls->newDataForAction(1).value("actiondata").toMap());
    auto editor = open(action);
    press(*action, Qt::Key_A, Qt::NoModifier, "a");
    EXPECT_EQ(action->lastString(), "a");
    EXPECT_EQ(action->lastAsciiCode(), 'a');
    EXPECT_EQ(action->undoManager()->count(), 1);
    // On a French layout the key where US keyboards have A types "q":
    // the scan code (the kernel's KEY_A + 8) names the place, key code 0.
    press(*action, Qt::Key_Q, Qt::NoModifier, "q", 30 + 8);
    EXPECT_EQ(action->lastKeycode(), 0u);
    EXPECT_EQ(action->lastString(), "q");
    EXPECT_EQ(action->undoManager()->count(), 2);
    press(*action, Qt::Key_Q, Qt::NoModifier, "q");
    EXPECT_EQ(action->lastKeycode(), 12u);
}

TEST_F(KeyShortcutEditorTest, ModelChangeSuggestsNamesAndUndoes)
{
    auto action = make(params(1, 0x100000 | 8, 'c', "c"));
    auto editor = open(action);
    auto* models = editor->control<QComboBox>("CUTActionButton");
    ASSERT_TRUE(models);
    EXPECT_EQ(tagOfItem(models, models->currentIndex()), 1);
    EXPECT_EQ(boxes(*editor), 0x100000u);
    EXPECT_EQ(editor->control<QLineEdit>("CUTKeyField")->text(), "c");

    editor->name = "typed";
    QVEAction::setSuggestNameModified(true);
    choose(models, indexOfTag(models, 2));
    EXPECT_EQ(editor->name, "Press Ctrl+c");
    EXPECT_EQ(editor->description, cls->descriptionOfModelID(2));
    EXPECT_EQ(action->undoManager()->undoText(), "Action “Press Key”");
    choose(models, indexOfTag(models, 2));
    EXPECT_EQ(action->undoManager()->count(), 1);

    // Option held flips the rule: the typed name stays.
    {
        OptionKeyDown option;
        press(*action, Qt::Key_V, Qt::ControlModifier, "\x16");
        EXPECT_EQ(editor->name, "Press Ctrl+c");
    }
    press(*action, Qt::Key_X, Qt::ControlModifier, "\x18");
    EXPECT_EQ(editor->name, "Press Ctrl+x");

    action->undoManager()->undo();
    action->undoManager()->undo();
    action->undoManager()->undo();
    EXPECT_EQ(tagOfItem(models, models->currentIndex()), 1);
    EXPECT_EQ(editor->name, "typed");
    EXPECT_EQ(action->editedDataValue(), params(1, 0x100000 | 8, 'c', "c"));
    action->undoManager()->redo();
    EXPECT_EQ(tagOfItem(models, models->currentIndex()), 2);
    EXPECT_EQ(editor->name, "Press Ctrl+c");

    action->abortEditing();
    EXPECT_EQ(action->dataValue(), params(1, 0x100000 | 8, 'c', "c"));
    EXPECT_EQ(action->editedDataValue(), params(1, 0x100000 | 8, 'c', "c"));
}

TEST_F(KeyShortcutEditorTest, KeyFieldTakesEveryKeyWhileFocused)
{
    auto action = make(params(1, 0, 0, ""));
    auto editor = open(action);
    auto* field = editor->control<QLineEdit>("CUTKeyField");
    ASSERT_TRUE(field);
    EXPECT_FALSE(action->wantKeyEvent());

    editor->accessory->show();
    editor->accessory->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(editor->accessory.get()));
    field->setFocus();
    ASSERT_TRUE(action->wantKeyEvent());

    // Tab would move the focus on; here it is the recorded key.
    QTest::keyClick(field, Qt::Key_Tab);
    EXPECT_EQ(action->lastKeycode(), 48u);
    EXPECT_EQ(action->lastString(), "Tab");
    EXPECT_TRUE(field->hasFocus());
    QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(action->lastKeycode(), 6u | 0x100000u);
    EXPECT_EQ(action->lastString(), "z");
    editor->accessory->hide();
}

} // namespace
