// The pause, message and engine-command action types, editing side: the
// control states of the pause views, the message's refusal of an empty
// first button, and the engine commands with their legacy class name.
#include "MessageShortcut/MessageShortcut.h"
#include "PaneTestSupport.h"
#include "PauseShortcut/PauseShortcut.h"
#include "ZelkShortcut/ZelkShortcut.h"

#include <QUndoStack>
#include <gtest/gtest.h>

using namespace zelk;
using namespace zelk::editor;
using namespace zelk::test;

namespace {

class PauseEditorTest : public PaneTypeTest<PauseShortcut, PauseShortcutClass> {
protected:
    PauseEditorTest() : PaneTypeTest("PauseShortcut", "My pause") {}
};

class MessageEditorTest : public PaneTypeTest<MessageShortcut, MessageShortcutClass> {
protected:
    MessageEditorTest() : PaneTypeTest("MessageShortcut", "My message") {}
};

class ZelkEditorTest : public PaneTypeTest<ZelkShortcut, ZelkShortcutClass> {
protected:
    ZelkEditorTest() : PaneTypeTest("ZelkShortcut", "My command") {}
};

TEST_F(PauseEditorTest, ModelsAndDefaults)
{
    EXPECT_EQ(cls->modelsID(), (QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 14, 10, 11, 12, 13}));
    EXPECT_EQ(cls->newDataForAction(1).value("actiondata").toMap(), (QVariantMap{{"Action", 1}, {"Seconds", 0.0}}));
    EXPECT_EQ(cls->dataForAction(3, 0).value("Application"), "");
    EXPECT_EQ(cls->dataForAction(12, 0),
              (QVariantMap{{"Action", 12}, {"Title", ""}, {"IgnoreCase", false}, {"InvertCondition", false}}));
    EXPECT_TRUE(cls->dataForAction(15, 0).isEmpty());
    EXPECT_EQ(cls->nameForAction(2, 0, "gedit", {}), "Wait for gedit");
    EXPECT_EQ(cls->nameForAction(1, 2.5F, {}, {}), "Pause 2.5 s");
}

TEST_F(PauseEditorTest, HasWindowShowsNoTitleWhateverTheRecordHolds)
{
    auto action = make({{"Action", 9}, {"Title", "kept?"}, {"IgnoreCase", true}, {"InvertCondition", true}});
    auto editor = open(action);
    auto* title = editor->control<QLineEdit>("CUTTitleField");
    auto* ignore = editor->control<QCheckBox>("CUTIgnoreCaseCheck");
    ASSERT_TRUE(title && ignore);
    EXPECT_TRUE(title->text().isEmpty());
    EXPECT_FALSE(title->isEnabled());
    EXPECT_FALSE(ignore->isChecked() || ignore->isEnabled());
    ASSERT_TRUE(action->willValidateEditing());
    EXPECT_EQ(action->dataValue().value("Title"), "");
    EXPECT_EQ(action->dataValue().value("IgnoreCase"), false);
    EXPECT_EQ(action->dataValue().value("InvertCondition"), true);
}

TEST_F(PauseEditorTest, SwitchingModelsWithUndo)
{
    auto action = make({{"Action", 10}, {"Title", "Report"}, {"IgnoreCase", true}, {"InvertCondition", false}});
    auto editor = open(action);
    auto* popUp = editor->control<QComboBox>("CUTActionButton");
    auto* invert = editor->control<QCheckBox>("CUTInvertConditionCheck");
    choose(popUp, indexOfTag(popUp, 14));
    EXPECT_TRUE(editor->control<QLineEdit>("CUTTitleField")->text().isEmpty());
    EXPECT_FALSE(invert->isEnabled() || invert->isChecked());
    action->undoManager()->undo();
    EXPECT_EQ(editor->control<QLineEdit>("CUTTitleField")->text(), "Report");
    EXPECT_TRUE(editor->control<QCheckBox>("CUTIgnoreCaseCheck")->isChecked());

    editor->control<QLineEdit>("CUTTitleField")->setText("Draft");
    action->modifyTitle();
    EXPECT_EQ(action->undoManager()->undoText(), "Title “Draft”");
    action->undoManager()->undo();
    EXPECT_EQ(editor->control<QLineEdit>("CUTTitleField")->text(), "Report");

    // An application model without a name keeps the stored name.
    auto waitApp = make({{"Action", 2}, {"Application", "gedit"}});
    auto appEditor = open(waitApp);
    auto* appPopUp = appEditor->control<QComboBox>("CUTActionButton");
    choose(appPopUp, indexOfTag(appPopUp, 3));
    EXPECT_FALSE(appEditor->control<QComboBox>("CUTApplicationButton")->isEnabled());
    ASSERT_TRUE(waitApp->willValidateEditing());
    EXPECT_EQ(waitApp->dataValue(), (QVariantMap{{"Action", 3}, {"Application", "gedit"}}));
}

TEST_F(MessageEditorTest, AnEmptyFirstButtonIsRefusedAndFieldsAreReadAsTyped)
{
    const QVariantMap defaults = cls->newDataForAction(1).value("actiondata").toMap();
    EXPECT_EQ(defaults, (QVariantMap{{"Action", 1}, {"Message1", ""}, {"Message2", ""}, {"Button1", "OK"},
                                     {"Button2", ""}, {"ButtonAction1", 0}, {"ButtonAction2", 0}}));
    auto action = make(defaults);
    auto editor = open(action);
    editor->control<QLineEdit>("CUTButton1Field")->clear();
    EXPECT_FALSE(action->willValidateEditing());
    EXPECT_EQ(action->dataValue(), defaults);
    EXPECT_EQ(scope.utility.alerts.last(), "The message can’t be saved / The first button needs a title.");

    editor->control<QLineEdit>("CUTButton1Field")->setText("Go");
    editor->control<QLineEdit>("CUTMessage1Field")->setText("Typed, not left");
    auto* second = editor->control<QComboBox>("CUTButtonAction2Button");
    choose(second, indexOfTag(second, 1));
    EXPECT_EQ(action->undoManager()->undoText(), "Second Button: Stop the shortcut");
    action->undoManager()->undo();
    EXPECT_EQ(tagOfItem(second, second->currentIndex()), 0);
    action->undoManager()->redo();
    ASSERT_TRUE(action->willValidateEditing());
    EXPECT_EQ(action->dataValue().value("Message1"), "Typed, not left");
    EXPECT_EQ(action->dataValue().value("Button1"), "Go");
    EXPECT_EQ(action->dataValue().value("ButtonAction2"), 1);
}

TEST_F(ZelkEditorTest, CommandsAndTheLegacyName)
{
    EXPECT_EQ(cls->familyID(), 1019);
    EXPECT_EQ(cls->modelsID(), (QList<int>{1, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(cls->dataForAction(4), (QVariantMap{{"Action", 4}}));
    EXPECT_TRUE(cls->dataForAction(2).isEmpty());

    auto* legacy = ClassRegistry::shared().lookup<QVEActionClass>("QuovShortcut");
    ASSERT_NE(legacy, nullptr);
    EXPECT_FALSE(legacy->registerActionClass());
    const QVariantMap record{{"actionname", "old"}, {"actionclass", "QuovShortcut"}, {"actionID", nextActionID()},
                             {"actiondata", QVariantMap{{"Action", 4}}}};
    auto old = std::dynamic_pointer_cast<ZelkShortcut>(QVEAction::actionWithRecord(record));
    ASSERT_TRUE(old);
    auto editor = open(old);
    auto* popUp = editor->control<QComboBox>("CUTActionButton");
    EXPECT_EQ(tagOfItem(popUp, popUp->currentIndex()), 4);
    EXPECT_EQ(popUp->currentText(), "Show the Report");
    choose(popUp, indexOfTag(popUp, 5));
    ASSERT_TRUE(old->willValidateEditing());
    EXPECT_EQ(old->dictValue().value("actionclass"), "QuovShortcut");
    EXPECT_EQ(old->dataValue(), (QVariantMap{{"Action", 5}}));

    // Model 2: no view, not valid, saved as it was.
    auto none = make({{"Action", 2}, {"Extra", "x"}});
    EXPECT_FALSE(none->isValid());
    auto noneEditor = open(none);
    EXPECT_EQ(noneEditor->control<QComboBox>("CUTActionButton"), nullptr);
    ASSERT_TRUE(none->willValidateEditing());
    EXPECT_EQ(none->dataValue(), (QVariantMap{{"Action", 2}, {"Extra", "x"}}));
}

} // namespace
