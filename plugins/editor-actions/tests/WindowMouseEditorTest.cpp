// The window and mouse action types, editing side: models, defaults and
// names, the views' edits with undo, validity without readable windows,
// recording a position (taken when Ctrl is held, given up with Escape, the
// edit's end or the time-out, never blocking), and the movements list:
// add, delete, the one correct move, drops, the clipboard, corners.
#include "MouseShortcut/MouseShortcut.h"
#include "PaneTestSupport.h"
#include "VirtualPlatform.h"
#include "WindowShortcut/WindowShortcut.h"

#include <QCheckBox>
#include <QMimeData>
#include <QUndoStack>
#include <gtest/gtest.h>

using namespace zelk;
using namespace zelk::editor;
using namespace zelk::test;

namespace {

constexpr uint16_t kCtrl = 55;
constexpr uint16_t kEscape = 53;

VirtualPlatform& desktop()
{
    VirtualPlatform* platform = VirtualPlatform::current();
    EXPECT_NE(platform, nullptr);
    return *platform;
}

// Lets go of every key the user holds at the end of a test.
struct UserKeys {
    ~UserKeys()
    {
        for (uint16_t key : held)
            desktop().userReleasesKey(key);
    }
    void press(uint16_t key)
    {
        held << key;
        desktop().userPressesKey(key);
    }
    QList<uint16_t> held;
};

void setText(QLineEdit* field, const QString& text)
{
    field->setText(text);
    emit field->editingFinished();
}

// --- Window actions -----------------------------------------------------------------------------------------

class WindowShortcutEditorTest : public PaneTypeTest<WindowShortcut, WindowShortcutClass> {
protected:
    WindowShortcutEditorTest() : PaneTypeTest("WindowShortcut", "My window") {}
    void SetUp() override
    {
        PaneTypeTest::SetUp();
        desktop().virtualWorkspace().setWindowsReadable(true);
    }
    void TearDown() override { desktop().virtualWorkspace().setWindowsReadable(true); }
};

TEST_F(WindowShortcutEditorTest, ModelsCategoriesDefaultsAndNames)
{
    EXPECT_EQ(cls->familyID(), 1014);
    EXPECT_EQ(cls->modelsID(), (QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 23, 11, 12, 24, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22}));
    const int categories[] = {1, 1, 1, 1, 1, 1, 1, 1, 2, 2, 3, 3, 3, 4, 4, 5, 5, 5, 5, 5, 5, 5, 5, 2, 3};
    for (int m = 0; m < 25; ++m)
        EXPECT_EQ(cls->categoryOfAction(m), categories[m]) << m;
    EXPECT_EQ(cls->categoryOfAction(25), 0);
    EXPECT_EQ(cls->categoryOfAction(-1), 0);

    EXPECT_EQ(cls->newDataForAction(8).value("actiondata").toMap(),
              (QVariantMap{{"Action", 8}, {"XValue", 0}, {"YValue", 0}, {"Origin", 0}}));
    EXPECT_EQ(cls->newDataForAction(13).value("actiondata").toMap(), (QVariantMap{{"Action", 13}}));
    EXPECT_EQ(cls->newDataForAction(15).value("actiondata").toMap(), (QVariantMap{{"Action", 15}, {"Unit", 0}, {"Count", 1}}));
    EXPECT_TRUE(cls->dataForAction(25).isEmpty());

    EXPECT_EQ(cls->nameForAction(8, 10, 20), "Move Window to 10, 20");
    EXPECT_EQ(cls->nameForAction(12, 50, 75), "Resize Window to 50% × 75%");
    EXPECT_EQ(cls->nameForAction(16, 1, 3), "Scroll Up 3 Pages");
    EXPECT_EQ(cls->nameForAction(13, 4, 5), "Next Window");
    EXPECT_EQ(cls->nameForAction(-1, 0, 0), "");

    EXPECT_EQ(make(cls->dataForAction(8))->imageValueWithSize(32).size(), QSize(32, 32));
    // A model of no category: no view, no image, valid, written back as it was.
    const QVariantMap odd{{"Action", 25}, {"XValue", 3}};
    auto action = make(odd);
    auto editor = open(action);
    EXPECT_EQ(editor->control<QWidget>("CUTActionButton"), nullptr);
    EXPECT_TRUE(action->imageValueWithSize(32).isNull());
    EXPECT_TRUE(action->isValid());
    EXPECT_TRUE(action->willValidateEditing());
    EXPECT_EQ(action->dataValue(), odd);
}

TEST_F(WindowShortcutEditorTest, SwitchingTheModelResetsTheValuesAndUndoBringsThemBack)
{
    auto action = make({{"Action", 8}, {"XValue", 120}, {"YValue", 80}, {"Origin", 2}});
    auto editor = open(action);
    auto* popUp = editor->control<QComboBox>("CUTActionButton");
    ASSERT_NE(popUp, nullptr);
    EXPECT_EQ(editor->control<QLineEdit>("CUTMoveAbsXValueField")->text(), "120");
    choose(popUp, indexOfTag(popUp, 9));
    EXPECT_EQ(action->editedDataValue(), (QVariantMap{{"Action", 9}, {"XValue", 0}, {"YValue", 0}, {"Origin", 2}}));
    EXPECT_EQ(editor->control<QLineEdit>("CUTMoveRelXValueField")->text(), "0");
    action->undoManager()->undo();
    EXPECT_EQ(action->editedDataValue(), (QVariantMap{{"Action", 8}, {"XValue", 120}, {"YValue", 80}, {"Origin", 2}}));
    EXPECT_EQ(tagOfItem(popUp, popUp->currentIndex()), 8);

    // A field changed back to its value makes no undo step.
    const int steps = action->undoManager()->count();
    setText(editor->control<QLineEdit>("CUTMoveAbsYValueField"), "80");
    EXPECT_EQ(action->undoManager()->count(), steps);
    setText(editor->control<QLineEdit>("CUTMoveAbsYValueField"), "81");
    EXPECT_EQ(action->undoManager()->undoText(), "Position 120, 81");
    EXPECT_TRUE(action->willValidateEditing());
    EXPECT_EQ(action->dataValue().value("YValue").toInt(), 81);
}

TEST_F(WindowShortcutEditorTest, CentringBoxesGoThroughTheSetter)
{
    auto action = make(cls->dataForAction(23));
    auto editor = open(action);
    auto* h = editor->control<QCheckBox>("CUTMoveCenterHCheck");
    ASSERT_NE(h, nullptr);
    EXPECT_FALSE(editor->control<QComboBox>("CUTOriginButton")->isEnabled());
    h->click();
    EXPECT_TRUE(h->isChecked());
    EXPECT_EQ(action->editedDataValue().value("XValue").toInt(), 1);
    EXPECT_EQ(action->undoManager()->undoText(), "Centre Horizontally");
    action->undoManager()->undo();
    EXPECT_FALSE(h->isChecked());
    action->undoManager()->redo();
    EXPECT_TRUE(h->isChecked());
}

TEST_F(WindowShortcutEditorTest, OnlySwitchingWindowsStaysValidWithoutReadableWindows)
{
    desktop().virtualWorkspace().setWindowsReadable(false);
    for (int model : cls->modelsID()) {
        auto action = make(cls->dataForAction(model));
        const bool switching = model == 13 || model == 14;
        EXPECT_EQ(action->isValid(), switching) << model;
        EXPECT_EQ(action->notValidString().isEmpty(), switching) << model;
    }
}

TEST_F(WindowShortcutEditorTest, RecordingTakesThePointerWhenCtrlIsHeld)
{
    UserKeys keys;
    desktop().userMovesPointer({1000.7, 700.2});
    auto action = make(cls->dataForAction(8));
    auto editor = open(action);
    auto* record = editor->control<QPushButton>("CUTPositionButton");
    ASSERT_NE(record, nullptr);
    record->click();
    ASSERT_TRUE(action->isRecording()) << "it waits, and the main loop goes on";
    record->click();
    EXPECT_EQ(scope.utility.alerts.size(), 1) << "one wait at a time";
    keys.press(kCtrl);
    ASSERT_TRUE(waitUntil([&] { return !action->isRecording(); }));
    EXPECT_EQ(action->editedDataValue().value("XValue").toInt(), 1000);
    EXPECT_EQ(action->editedDataValue().value("YValue").toInt(), 700);
    EXPECT_EQ(action->undoManager()->undoText(), "Position 1000, 700");

    // Ctrl held before the alert is answered: taken at once.
    desktop().userMovesPointer({5, 6});
    record->click();
    EXPECT_FALSE(action->isRecording());
    EXPECT_EQ(action->editedDataValue().value("XValue").toInt(), 5);
}

TEST_F(WindowShortcutEditorTest, RecordingEndsWithEscapeTheTimeOutOrTheEdit)
{
    auto action = make({{"Action", 8}, {"XValue", 3}, {"YValue", 4}, {"Origin", 0}});
    auto editor = open(action);
    auto* record = editor->control<QPushButton>("CUTPositionButton");
    const auto unchanged = [&] {
        return action->editedDataValue().value("XValue").toInt() == 3 && action->undoManager()->count() == 0;
    };
    {
        UserKeys keys;
        record->click();
        keys.press(kEscape);
        ASSERT_TRUE(waitUntil([&] { return !action->isRecording(); }));
        EXPECT_TRUE(unchanged()) << "Escape gives up";
    }
    action->positionRecorder().setTimeoutMilliseconds(100);
    record->click();
    ASSERT_TRUE(action->isRecording());
    ASSERT_TRUE(waitUntil([&] { return !action->isRecording(); }));
    EXPECT_TRUE(unchanged()) << "the time-out gives up";

    action->positionRecorder().setTimeoutMilliseconds(PositionRecorder::kTimeoutMilliseconds);
    record->click();
    ASSERT_TRUE(action->isRecording());
    action->abortEditing();
    EXPECT_FALSE(action->isRecording()) << "cancelling the edit ends the wait";
    UserKeys keys;
    keys.press(kCtrl);
    QCoreApplication::processEvents();
    EXPECT_TRUE(unchanged());
}

// --- Mouse actions ------------------------------------------------------------------------------------------

QVariantMap wheel(int steps) { return {{"Type", 7}, {"Wheel", steps}, {"Pause", 0.2}}; }

QList<int> wheels(const QVariantList& movements)
{
    QList<int> list;
    for (const QVariant& m : movements)
        list << m.toMap().value("Wheel").toInt();
    return list;
}

class MouseShortcutEditorTest : public PaneTypeTest<MouseShortcut, MouseShortcutClass> {
protected:
    MouseShortcutEditorTest() : PaneTypeTest("MouseShortcut", "My mouse") {}
    void SetUp() override
    {
        PaneTypeTest::SetUp();
        desktop().virtualWorkspace().setWindowsReadable(true);
        desktop().virtualWindows().setMainScreenFrame({0, 0, 1440, 900});
    }
    std::shared_ptr<MouseShortcut> withWheels(const QList<int>& steps, int area = 1)
    {
        QVariantList movements;
        for (int s : steps)
            movements << wheel(s);
        return make({{"Action", area}, {"Movements", movements}});
    }
    static RulesTableView* table(const FakeEditor& editor) { return editor.control<RulesTableView>("CUTMovementsTable"); }
};

TEST_F(MouseShortcutEditorTest, NewActionsAndValidity)
{
    EXPECT_EQ(cls->familyID(), 1012);
    EXPECT_EQ(cls->modelsID(), QList<int>{1});
    EXPECT_EQ(cls->newDataForAction(1).value("actiondata").toMap(), (QVariantMap{{"Action", 1}, {"Movements", QVariantList()}}));
    EXPECT_EQ(cls->categoryOfAction(3), 1);
    EXPECT_EQ(cls->categoryOfAction(4), 0);
    EXPECT_EQ(make({{"Action", 3}})->imageValueWithSize(16).size(), QSize(16, 16));
    EXPECT_TRUE(make({{"Action", 4}})->imageValueWithSize(16).isNull());
    desktop().virtualWorkspace().setWindowsReadable(false);
    EXPECT_TRUE(make({{"Action", 1}})->isValid());
    EXPECT_FALSE(make({{"Action", 2}})->isValid());
    EXPECT_FALSE(make({{"Action", 3}})->notValidString().isEmpty());
    desktop().virtualWorkspace().setWindowsReadable(true);
}

TEST_F(MouseShortcutEditorTest, AddingAMovementInsertsItsDefaultsAfterTheSelection)
{
    auto action = make({{"Action", 1}, {"Movements", QVariantList()}});
    auto editor = open(action);
    EXPECT_FALSE(editor->control<QPushButton>("CUTDeleteButton")->isEnabled());
    action->addMovement(3);
    EXPECT_EQ(action->movements(),
              (QVariantList{QVariantMap{{"Type", 3}, {"XValue", 0}, {"YValue", 0}, {"Origin", 0}, {"Pause", 0.2}}}));
    EXPECT_EQ(editor->control<QStackedWidget>("CUTMovementAccessoryView")->currentWidget()->objectName(), "CUTLocationView");
    action->addMovement(7);
    EXPECT_EQ(action->movements().at(1).toMap().value("Type").toInt(), 7) << "after the selected row";
    EXPECT_EQ(table(*editor)->selectedRows(), QList<int>{1});
    EXPECT_EQ(table(*editor)->item(1, 0)->text(), "Wheel up 0");
    EXPECT_EQ(table(*editor)->item(0, 0)->text(), "Move to 0, 0 from top left");
    action->addMovement(99);
    EXPECT_EQ(action->movements().size(), 2) << "no such movement";
}

TEST_F(MouseShortcutEditorTest, MovesKeepEveryRowOnceAndUndoPutsThemBack)
{
    const struct {
        QList<int> rows;
        int to;
        bool copy;
        QList<int> expected;
        QList<int> selected;
    } cases[] = {
        {{0, 1}, 3, false, {3, 1, 2, 4}, {1, 2}},
        {{2}, 0, false, {3, 1, 2, 4}, {0}},
        {{0, 1}, 3, true, {1, 2, 3, 1, 2, 4}, {3, 4}},
        {{3, 0}, 2, false, {2, 1, 4, 3}, {1, 2}},
        {{1}, 4, false, {1, 3, 4, 2}, {3}},
        {{0, 1, 2, 3}, 2, false, {1, 2, 3, 4}, {}},
    };
    for (const auto& c : cases) {
        auto action = withWheels({1, 2, 3, 4});
        auto editor = open(action);
        std::unique_ptr<QMimeData> drag(table(*editor)->mimeDataForRows(c.rows));
        ASSERT_TRUE(table(*editor)->dropRows(drag.get(), c.to, c.copy ? Qt::CopyAction : Qt::MoveAction));
        EXPECT_EQ(wheels(action->movements()), c.expected) << c.to;
        if (!c.selected.isEmpty()) {
            EXPECT_EQ(table(*editor)->selectedRows(), c.selected) << c.to;
            action->undoManager()->undo();
            EXPECT_EQ(wheels(action->movements()), (QList<int>{1, 2, 3, 4})) << c.to;
        } else {
            EXPECT_EQ(action->undoManager()->count(), 0) << "nothing moved: no step";
        }
    }
}

TEST_F(MouseShortcutEditorTest, DeletingSelectsTheNextRowOrNone)
{
    auto action = withWheels({1, 2, 3});
    auto editor = open(action);
    table(*editor)->selectRow(2);
    action->delSelectedMovements();
    EXPECT_EQ(wheels(action->movements()), (QList<int>{1, 2}));
    EXPECT_EQ(table(*editor)->selectedRows(), QList<int>{1}) << "the new last row";
    table(*editor)->selectAll();
    action->delSelectedMovements();
    EXPECT_TRUE(action->movements().isEmpty());
    EXPECT_TRUE(table(*editor)->selectedRows().isEmpty());
    EXPECT_FALSE(editor->control<QPushButton>("CUTDeleteButton")->isEnabled());
    action->undoManager()->undo();
    EXPECT_EQ(wheels(action->movements()), (QList<int>{1, 2}));
}

TEST_F(MouseShortcutEditorTest, CopiedMovementsArePastedAfterTheSelectionOrAtTheTop)
{
    auto action = withWheels({1, 2, 3});
    auto editor = open(action);
    table(*editor)->selectRow(1);
    ASSERT_TRUE(action->canCopy());
    action->copySelectedRules();
    ASSERT_TRUE(action->canPaste());
    table(*editor)->clearSelection();
    action->pastePasteboard();
    EXPECT_EQ(wheels(action->movements()), (QList<int>{2, 1, 2, 3}));
    EXPECT_EQ(action->undoManager()->undoText(), "Paste 1 Movement(s)");
    table(*editor)->selectRow(3);
    action->cutSelectedRules();
    action->pastePasteboard();
    EXPECT_EQ(wheels(action->movements()), (QList<int>{2, 1, 2, 3}));
}

TEST_F(MouseShortcutEditorTest, ChangingTheCornerKeepsTheScreenPlaceOrTheWindowNumbers)
{
    const QVariantMap point{{"Type", 3}, {"XValue", 100}, {"YValue", 50}, {"Origin", 0}, {"Pause", 0.2}};
    const struct {
        int area;
        int x, y;
    } cases[] = {{1, 1340, 850}, {2, 100, 50}};
    for (const auto& c : cases) {
        auto action = make({{"Action", c.area}, {"Movements", QVariantList{point}}});
        auto editor = open(action);
        auto* origin = editor->control<QComboBox>("CUTOriginButton");
        choose(origin, indexOfTag(origin, 2));
        const QVariantMap moved = action->movements().at(0).toMap();
        EXPECT_EQ(moved.value("XValue").toInt(), c.x) << c.area;
        EXPECT_EQ(moved.value("YValue").toInt(), c.y) << c.area;
        EXPECT_EQ(moved.value("Origin").toInt(), 2);
    }
}

TEST_F(MouseShortcutEditorTest, FieldsEditTheSelectedMovement)
{
    auto action = make({{"Action", 1}, {"Movements", QVariantList{wheel(2), QVariantMap{{"Type", 8}, {"XValue", 1}, {"YValue", 2}, {"Pause", 0.2}}}}});
    auto editor = open(action);
    setText(editor->control<QLineEdit>("CUTPauseField"), "1.25");
    EXPECT_EQ(action->movements().at(0).toMap().value("Pause").toDouble(), 1.25);
    EXPECT_EQ(table(*editor)->item(0, 1)->text(), QString::asprintf("%0.1f", 1.25));
    setText(editor->control<QLineEdit>("CUTWheelField"), "-4");
    EXPECT_EQ(action->movements().at(0).toMap().value("Wheel").toInt(), -4);
    EXPECT_EQ(action->movements().at(0).toMap().value("Pause").toDouble(), 1.25);
    table(*editor)->selectRow(1);
    setText(editor->control<QLineEdit>("CUTDecalYField"), "-9");
    EXPECT_EQ(action->movements().at(1).toMap().value("YValue").toInt(), -9);
    EXPECT_EQ(action->undoManager()->undoText(), "Distance 1, -9");
    EXPECT_TRUE(action->willValidateEditing());
    EXPECT_EQ(action->dataValue().value("Movements").toList().at(1).toMap().value("YValue").toInt(), -9);
}

TEST_F(MouseShortcutEditorTest, RecordingAScreenPointCountsFromItsCorner)
{
    UserKeys keys;
    desktop().userMovesPointer({1400.5, 880.9});
    auto action = make({{"Action", 1}, {"Movements", QVariantList{QVariantMap{{"Type", 6}, {"XValue", 0}, {"YValue", 0}, {"Origin", 2}, {"Pause", 0.2}}}}});
    auto editor = open(action);
    editor->control<QPushButton>("CUTPositionButton")->click();
    ASSERT_TRUE(action->isRecording());
    keys.press(kCtrl);
    ASSERT_TRUE(waitUntil([&] { return !action->isRecording(); }));
    const QVariantMap point = action->movements().at(0).toMap();
    EXPECT_EQ(point.value("XValue").toInt(), 39);
    EXPECT_EQ(point.value("YValue").toInt(), 19);
}

TEST_F(MouseShortcutEditorTest, RecordingAWindowPointGoesThroughTheChosenApplication)
{
    UserKeys keys;
    const qint64 pid = desktop().virtualWorkspace().userLaunches("recorded.desktop");
    desktop().virtualWindows().userOpensWindow(pid, "doc", {100, 100, 400, 300});
    desktop().virtualWorkspace().userActivates(desktop().virtualWorkspace().userLaunches("other.desktop"));
    desktop().userMovesPointer({450, 380});
    auto action = make({{"Action", 2}, {"Movements", QVariantList{QVariantMap{{"Type", 3}, {"XValue", 0}, {"YValue", 0}, {"Origin", 2}, {"Pause", 0.2}}}}});
    auto editor = open(action);
    editor->control<QPushButton>("CUTPositionButton")->click();
    ASSERT_TRUE(action->appPanel()->isVisible());
    auto* list = action->appPanel()->findChild<QListWidget*>("CUTAppTable");
    const QList<QListWidgetItem*> found = list->findItems("recorded", Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    list->setCurrentItem(found.first());
    action->stopAppPanel();
    EXPECT_FALSE(action->appPanel()->isVisible());
    EXPECT_EQ(desktop().virtualWorkspace().frontApplication()->pid, pid) << "brought to the front";
    ASSERT_TRUE(action->isRecording());
    keys.press(kCtrl);
    ASSERT_TRUE(waitUntil([&] { return !action->isRecording(); }));
    const QVariantMap point = action->movements().at(0).toMap();
    EXPECT_EQ(point.value("XValue").toInt(), 50) << "from the window's bottom-right corner";
    EXPECT_EQ(point.value("YValue").toInt(), 20);
}

} // namespace
