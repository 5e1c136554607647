// The clipboard action type, editing side: models, defaults and names,
// drops, the options with undo, and the rules list: add, delete, the one
// correct move, drops, the clipboard of rules, validation and cancel.
#include "ClipboardShortcut/ClipboardShortcut.h"
#include "PaneTestSupport.h"

#include <QMimeData>
#include <QUndoStack>
#include <QUrl>
#include <gtest/gtest.h>

using namespace zelk;
using namespace zelk::editor;
using namespace zelk::test;

namespace {

QVariantMap rule(const QString& search, const QString& replace = {}, bool caseSensitive = true)
{
    return {{"Search", search}, {"Replace", replace}, {"Case", caseSensitive}};
}

QStringList searches(const QVariantList& rules)
{
    QStringList list;
    for (const QVariant& r : rules)
        list.append(r.toMap().value("Search").toString());
    return list;
}

class ClipboardShortcutEditorTest : public PaneTypeTest<ClipboardShortcut, ClipboardShortcutClass, KeyTypesUtility> {
protected:
    ClipboardShortcutEditorTest() : PaneTypeTest("ClipboardShortcut", "My clip") {}

    std::shared_ptr<ClipboardShortcut> rulesAction(const QStringList& names)
    {
        QVariantList rules;
        for (const QString& n : names)
            rules.append(rule(n));
        return make({{"Action", 9}, {"Rules", rules}});
    }
    static RulesTableView* table(const FakeEditor& editor) { return editor.control<RulesTableView>("CUTRulesTable"); }
    static QList<int> selection(const FakeEditor& editor) { return table(editor)->selectedRows(); }
};

TEST_F(ClipboardShortcutEditorTest, ModelsDefaultsAndNames)
{
    EXPECT_EQ(cls->familyID(), 1007);
    EXPECT_EQ(cls->modelsID(), (QList<int>{1, 2, 3, 4, 5, 11, 12, 6, 7, 8, 9, 10}));
    const int categories[] = {0, 1, 2, 3, 3, 3, 4, 4, 4, 5, 6, 3, 3, 0};
    for (int m = 0; m <= 13; ++m)
        EXPECT_EQ(cls->categoryOfAction(m), categories[m]) << m;

    const QVariantMap record = cls->newDataForAction(1);
    EXPECT_EQ(record.value("actiondata").toMap(), (QVariantMap{{"Action", 1}, {"Text", ""}, {"Add", false}, {"Paste", true}}));
    EXPECT_EQ(cls->dataForAction(9, "x", true, true), (QVariantMap{{"Action", 9}, {"Rules", QVariantList()}}));
    EXPECT_EQ(cls->dataForAction(5, {}, true, false), (QVariantMap{{"Action", 5}, {"Add", false}}));
    EXPECT_FALSE(cls->dataForAction(2, "ignored", false, true).value("Text").toString().isEmpty());

    const struct {
        int model;
        QString text;
        bool add, paste;
        QString name;
    } names[] = {
        {1, "", false, true, "Copy and Paste \"\""},
        {1, "Dear\nSir, hello", true, false, "Add \"Dear Sir, ...\""},
        {2, "", true, true, "Add and Paste the Date"},
        {3, "", true, false, "Copy and Add"},
        {5, "", true, false, "Paste"},
        {8, "", false, false, "Capitalize"},
        {13, "", false, false, ""},
    };
    for (const auto& n : names)
        EXPECT_EQ(cls->nameForAction(n.model, n.text, n.add, n.paste), n.name) << n.model;

    auto action = make({{"Action", 6}});
    EXPECT_TRUE(action->isValid());
    EXPECT_EQ(action->imageValueWithSize(32).size(), QSize(32, 32));
}

TEST_F(ClipboardShortcutEditorTest, DropsOfTextAndTextFiles)
{
    const QString dir = home->path();
    const QString a = writeFile(dir + "/a.txt", "alpha");
    const QString image = writeFile(dir + "/b.png", "png");
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(a)});
    EXPECT_EQ(cls->modelsIDForPasteboard(&files), QList<int>{1});
    const QVariantList records = cls->newDatasWithPasteboard(&files, 1);
    ASSERT_EQ(records.size(), 1);
    EXPECT_EQ(records[0].toMap().value("actiondata").toMap().value("Text"), "alpha");
    QMimeData mixed;
    mixed.setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(image)});
    EXPECT_TRUE(cls->modelsIDForPasteboard(&mixed).isEmpty());
    QMimeData text;
    text.setText("hi");
    EXPECT_EQ(cls->modelsIDForPasteboard(&text), QList<int>{1});
}

TEST_F(ClipboardShortcutEditorTest, SwitchingToPasteTurnsAddOffAndUndoBringsItBack)
{
    auto action = make({{"Action", 3}, {"Add", true}});
    auto editor = open(action);
    auto* popUp = editor->control<QComboBox>("CUTActionButton");
    auto* add = editor->control<QCheckBox>("CUTAddCheck");
    ASSERT_TRUE(popUp && add);
    EXPECT_TRUE(add->isChecked() && add->isEnabled());
    choose(popUp, indexOfTag(popUp, 5));
    EXPECT_FALSE(add->isChecked());
    EXPECT_FALSE(add->isEnabled());
    EXPECT_EQ(action->editedDataValue(), (QVariantMap{{"Action", 5}, {"Add", false}}));
    action->undoManager()->undo();
    EXPECT_TRUE(add->isChecked() && add->isEnabled());
    EXPECT_EQ(tagOfItem(popUp, popUp->currentIndex()), 3);

    // The date format in the field stays when a box changes.
    auto date = make({{"Action", 2}, {"Text", "%Y"}, {"Add", false}, {"Paste", true}});
    auto dateEditor = open(date);
    dateEditor->control<QLineEdit>("CUTDateField")->setText("%d/%m");
    dateEditor->control<QCheckBox>("CUTAddCheck")->click();
    EXPECT_EQ(date->editedDataValue().value("Text"), "%d/%m");
    EXPECT_EQ(date->editedDataValue().value("Add"), true);
    ASSERT_TRUE(date->willValidateEditing());
    EXPECT_EQ(date->dataValue(), (QVariantMap{{"Action", 2}, {"Text", "%d/%m"}, {"Add", true}, {"Paste", true}}));
}

TEST_F(ClipboardShortcutEditorTest, AddingAndDeletingRules)
{
    auto action = rulesAction({"a", "b", "c"});
    auto editor = open(action);
    EXPECT_EQ(selection(*editor), QList<int>{0});
    table(*editor)->clearSelection();
    action->addRule(); // nothing selected: at the top
    EXPECT_EQ(searches(action->rules()), (QStringList{"", "a", "b", "c"}));
    table(*editor)->selectRow(2);
    action->addRule(); // after the selected row
    EXPECT_EQ(searches(action->rules()), (QStringList{"", "a", "b", "", "c"}));
    EXPECT_EQ(selection(*editor), QList<int>{3});

    table(*editor)->selectRow(4);
    action->delSelectedRules(); // the last row: the new last row is selected
    EXPECT_EQ(searches(action->rules()), (QStringList{"", "a", "b", ""}));
    EXPECT_EQ(selection(*editor), QList<int>{3});
    table(*editor)->selectAll();
    action->delSelectedRules();
    EXPECT_TRUE(action->rules().isEmpty());
    EXPECT_TRUE(selection(*editor).isEmpty());
    EXPECT_EQ(action->undoManager()->undoText(), "Delete 4 Rule(s)");
    action->undoManager()->undo();
    EXPECT_EQ(searches(action->rules()), (QStringList{"", "a", "b", ""}));
}

TEST_F(ClipboardShortcutEditorTest, MovesKeepEveryRuleOnce)
{
    const struct {
        QList<int> rows;
        int to;
        QStringList order;
        QList<int> selected;
    } cases[] = {
        {{0}, 3, {"1", "2", "0", "3"}, {2}},
        {{3}, 0, {"3", "0", "1", "2"}, {0}},
        {{0, 2}, 4, {"1", "3", "0", "2"}, {2, 3}},
        {{1, 3}, 0, {"1", "3", "0", "2"}, {0, 1}},
        {{0, 3}, 2, {"1", "0", "3", "2"}, {1, 2}},
        {{1}, 2, {"0", "1", "2", "3"}, {}}, // onto itself: nothing
    };
    for (const auto& c : cases) {
        auto action = rulesAction({"0", "1", "2", "3"});
        auto editor = open(action);
        action->moveRulesFromIndexes(c.rows, c.to);
        EXPECT_EQ(searches(action->rules()), c.order) << c.to;
        if (!c.selected.isEmpty()) {
            EXPECT_EQ(selection(*editor), c.selected);
            action->undoManager()->undo();
            EXPECT_EQ(searches(action->rules()), (QStringList{"0", "1", "2", "3"}));
            action->undoManager()->redo();
            EXPECT_EQ(searches(action->rules()), c.order);
        } else {
            EXPECT_EQ(action->undoManager()->count(), 0);
        }
    }
}

TEST_F(ClipboardShortcutEditorTest, DroppedRowsMoveOrCopy)
{
    auto action = rulesAction({"0", "1", "2", "3"});
    auto editor = open(action);
    std::unique_ptr<QMimeData> drag(table(*editor)->mimeDataForRows({0}));
    ASSERT_TRUE(table(*editor)->dropRows(drag.get(), 3, Qt::MoveAction));
    EXPECT_EQ(searches(action->rules()), (QStringList{"1", "2", "0", "3"}));
    EXPECT_EQ(selection(*editor), QList<int>{2});
    std::unique_ptr<QMimeData> copy(table(*editor)->mimeDataForRows({0, 1}));
    ASSERT_TRUE(table(*editor)->dropRows(copy.get(), 4, Qt::CopyAction));
    EXPECT_EQ(searches(action->rules()), (QStringList{"1", "2", "0", "3", "1", "2"}));
    EXPECT_EQ(action->undoManager()->undoText(), "Copy 2 Rule(s)");
    EXPECT_FALSE(table(*editor)->dropRows(copy.get(), -1, Qt::CopyAction));
    QMimeData other;
    other.setText("0");
    EXPECT_FALSE(table(*editor)->dropRows(&other, 0, Qt::MoveAction));
}

TEST_F(ClipboardShortcutEditorTest, RulesTravelOnTheClipboardWithTheirCase)
{
    auto source = make({{"Action", 9}, {"Rules", QVariantList{rule("a", "1", false), rule("b", "2")}}});
    auto sourceEditor = open(source);
    table(*sourceEditor)->selectAll();
    EXPECT_TRUE(source->canCopy());
    source->copySelectedRules();

    auto target = rulesAction({"x"});
    auto targetEditor = open(target);
    ASSERT_TRUE(target->canPaste());
    target->pastePasteboard();
    EXPECT_EQ(target->rules(), (QVariantList{rule("x"), rule("a", "1", false), rule("b", "2")}));
    EXPECT_EQ(selection(*targetEditor).first(), 1);

    table(*targetEditor)->selectRow(0);
    target->cutSelectedRules();
    EXPECT_EQ(searches(target->rules()), (QStringList{"a", "b"}));
    EXPECT_EQ(target->undoManager()->undoText(), "Cut 1 Rule(s)");
}

TEST_F(ClipboardShortcutEditorTest, RuleFieldsValidationAndCancel)
{
    auto action = rulesAction({"a", "b"});
    const QVariantMap before = action->dataValue();
    auto editor = open(action);
    auto* search = editor->control<QLineEdit>("CUTSearchField");
    table(*editor)->selectRow(1);
    EXPECT_EQ(search->text(), "b");
    search->setText("B!");
    action->modifySearch();
    editor->control<QCheckBox>("CUTCaseCheck")->click();
    EXPECT_EQ(action->rules().at(1), QVariant(rule("B!", "", false)));
    EXPECT_EQ(action->dataValue(), before); // nothing stored before validation

    action->abortEditing();
    EXPECT_EQ(action->dataValue(), before);

    editor = open(action);
    table(*editor)->selectRow(0);
    action->delSelectedRules();
    ASSERT_TRUE(action->willValidateEditing());
    EXPECT_EQ(action->dataValue().value("Rules").toList(), QVariantList{rule("b")});
}

} // namespace
