// The menu editor opened through its manager and driven by its widgets:
// what OK writes and Cancel leaves, the status-item boxes with undo, the
// item list (separators, submenus, pastes, moves, notices) and the refusal
// of submenus that would close a cycle.
#include "EditorTestSupport.h"
#include "ManagerSupport.h"
#include "MenuPaletteEditors.h"
#include "QVEActionsManager.h"
#include "QVECustomImageView.h"
#include "QVEMenuEditor.h"
#include "QVEMenusManager.h"

#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUndoStack>
#include <gtest/gtest.h>

namespace editor::test {
namespace {

QList<int> itemTypes(const QVariantList& items)
{
    QList<int> types;
    for (const QVariant& item : items)
        types << item.toMap().value("menuitemtype").toInt();
    return types;
}

QList<quint32> itemIDs(const QVariantList& items)
{
    QList<quint32> ids;
    for (const QVariant& item : items)
        ids << itemObjectID(menuItemKeys(), item.toMap());
    return ids;
}

class MenuEditorTest : public EditorTest {
protected:
    MenuEditorTest() { registerMenuPaletteEditors(); }

    QVEMenuEditor* open(QVMenu* menu)
    {
        QVEMenusManager::sharedManager().editObjectsID({menu->IDValue()});
        auto* editor = dynamic_cast<QVEMenuEditor*>(menu->editor());
        EXPECT_NE(editor, nullptr) << "no menu editor opened";
        return editor;
    }
    template <class W>
    static W* control(QVEMenuEditor* editor, const char* name)
    {
        W* widget = editor->window()->findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    // The box as the user clicks it, enabled or not.
    static void click(QVEMenuEditor* editor, const char* name)
    {
        auto* box = control<QCheckBox>(editor, name);
        ASSERT_TRUE(box->isEnabled()) << name << " is disabled";
        box->click();
    }
    struct Boxes {
        bool inBar, image, name, enabled;
        bool operator==(const Boxes&) const = default;
    };
    static Boxes boxes(QVEMenuEditor* editor)
    {
        auto* image = control<QCheckBox>(editor, "MEImageInBarCheck");
        return {control<QCheckBox>(editor, "MEInBarCheck")->isChecked(), image->isChecked(),
                control<QCheckBox>(editor, "MENameInBarCheck")->isChecked(), image->isEnabled()};
    }
    static QMimeData* menusPasteboard(const QVariantList& menus)
    {
        return mimeDataWithRecords("QVMenuPboardType", menus);
    }
};

TEST_F(MenuEditorTest, EditsStayInTheWindowUntilOKWhichWritesThemAll)
{
    addAction(1, "Alpha");
    addAction(2, "Beta");
    QVMenu* menu = addMenu({menuItem(2, 1), menuItem(2, 2)});
    const QVariantMap before = menu->dictValue();
    QVEMenuEditor* editor = open(menu);
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->window()->windowTitle(), locFormat("TitreMenu", {menu->nameValue()}));

    auto* name = control<QLineEdit>(editor, "MENameField");
    name->setText("Tools");
    emit name->editingFinished();
    click(editor, "MEInBarCheck");
    editor->items()->selectRow(0);
    control<QPushButton>(editor, "MERemoveItemsButton")->click();
    control<QPushButton>(editor, "MEAddSeparatorButton")->click();
    QUndoStack* undo = menu->undoManager();
    ASSERT_EQ(undo->count(), 4);
    EXPECT_EQ(undo->text(0), locFormat("AnnulerModifierNomMenu", {"Tools"}));
    EXPECT_EQ(undo->text(1), loc("AnnulerInBar1"));
    EXPECT_EQ(undo->text(2), locFormat("AnnulerSupprimerElements", {1}));
    EXPECT_EQ(editor->window()->windowTitle(), locFormat("TitreMenu", {"Tools"}));
    EXPECT_EQ(menu->dictValue(), before) << "nothing reaches the menu before OK";

    control<QPushButton>(editor, "MEOKButton")->click();
    EXPECT_FALSE(menu->hasEditor());
    EXPECT_EQ(menu->nameValue(), "Tools");
    EXPECT_TRUE(menu->inBar());
    EXPECT_TRUE(menu->imageInBar()) << "turning the status item on shows the image";
    EXPECT_FALSE(menu->nameInBar());
    EXPECT_EQ(itemTypes(menu->itemsDictArray()), (QList<int>{2, 0}));
    EXPECT_EQ(itemIDs(menu->itemsDictArray()), (QList<quint32>{2, 0}));
    EXPECT_EQ(undo->count(), 0) << "the window's steps end with it";
}

TEST_F(MenuEditorTest, StatusItemBoxesFollowTheRuleThroughUndoAndRedo)
{
    QVMenu* menu = addMenu({});
    QVEMenuEditor* editor = open(menu);
    ASSERT_TRUE(editor);
    QUndoStack* undo = menu->undoManager();
    EXPECT_EQ(boxes(editor), (Boxes{false, false, false, false}));

    click(editor, "MEInBarCheck");
    EXPECT_EQ(boxes(editor), (Boxes{true, true, false, true}));
    click(editor, "MENameInBarCheck");
    EXPECT_EQ(boxes(editor), (Boxes{true, true, true, true}));
    click(editor, "MEImageInBarCheck");
    EXPECT_EQ(boxes(editor), (Boxes{true, false, true, true}));
    // The last of image and name off turns the status item off.
    click(editor, "MENameInBarCheck");
    EXPECT_EQ(boxes(editor), (Boxes{false, false, false, false}));
    EXPECT_EQ(undo->text(undo->count() - 1), loc("AnnulerNameInBar0"));

    undo->undo();
    EXPECT_EQ(boxes(editor), (Boxes{true, false, true, true}));
    undo->undo();
    undo->undo();
    undo->undo();
    EXPECT_EQ(boxes(editor), (Boxes{false, false, false, false}));
    undo->redo();
    EXPECT_EQ(boxes(editor), (Boxes{true, true, false, true}));
    // Off and on again: the image on, the name off.
    click(editor, "MEInBarCheck");
    click(editor, "MEInBarCheck");
    EXPECT_EQ(boxes(editor), (Boxes{true, true, false, true}));
    editor->abortEditing(nullptr);
}

TEST_F(MenuEditorTest, AStoredStatusItemWithNothingShownOpensAndSavesAsStored)
{
    QVariantMap record = QVMenu::newData();
    record.insert("menuinbar", true);
    record.insert("menuimageinbar", false);
    record.insert("menunameinbar", false);
    record.insert("menucontexts", contextRefs({0}));
    QVMenu* menu = store->addMenu(record);
    QVEMenuEditor* editor = open(menu);
    ASSERT_TRUE(editor);
    EXPECT_EQ(boxes(editor), (Boxes{true, false, false, true}));
    // The template box is no undo step and survives the status item going.
    auto* templ = control<QCheckBox>(editor, "MEImageIsTemplate");
    const bool wasTemplate = templ->isChecked();
    templ->click();
    EXPECT_EQ(menu->undoManager()->count(), 0);
    control<QPushButton>(editor, "MEOKButton")->click();
    EXPECT_TRUE(menu->inBar());
    EXPECT_FALSE(menu->imageInBar());
    EXPECT_FALSE(menu->nameInBar());
    EXPECT_EQ(menu->imageIsTemplate(), !wasTemplate);
}

TEST_F(MenuEditorTest, AnEmptiedImageWellKeepsTheMenusImage)
{
    QVMenu* menu = addMenu({});
    const QImage image = menu->imageValue();
    ASSERT_FALSE(image.isNull());
    QVEMenuEditor* editor = open(menu);
    ASSERT_TRUE(editor);
    QTest::keyClick(control<QVECustomImageView>(editor, "MEMenuImage"), Qt::Key_Delete);
    ASSERT_TRUE(editor->wellImage().isNull());
    control<QPushButton>(editor, "MEOKButton")->click();
    EXPECT_FALSE(menu->hasEditor());
    EXPECT_FALSE(menu->imageValue().isNull());
    EXPECT_EQ(menu->imageValue(), image);
    EXPECT_FALSE(menu->dictValue().value("menuimage").toByteArray().isEmpty()) << "the record always holds an image";
}

TEST_F(MenuEditorTest, OKWithAnEmptyNameStaysOpenAndCancelDeletesOnlyANewMenu)
{
    addAction(1, "Alpha");
    QVMenu* menu = addMenu({menuItem(2, 1)});
    const QVariantMap before = menu->dictValue();
    QVEMenuEditor* editor = open(menu);
    ASSERT_TRUE(editor);
    auto* name = control<QLineEdit>(editor, "MENameField");
    name->setText("");
    control<QPushButton>(editor, "MEOKButton")->click();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, loc("NomMenuVide"));
    EXPECT_TRUE(menu->hasEditor());
    control<QPushButton>(editor, "MECancelButton")->click();
    QVariantMap after = menu->dictValue();
    after.remove("menueditorrect");
    QVariantMap expected = before;
    expected.remove("menueditorrect");
    EXPECT_EQ(after, expected);

    // A new menu made from an action: Cancel takes the menu, not the action.
    QVEMenusManager::sharedManager().newMenuWithActions({QVEActionsManager::sharedManager().actionWithID(1)->dictValue()});
    QVMenu* fresh = QVEMenusManager::sharedManager().objectWithID(QVMenu::currentMenuID() - 1);
    ASSERT_TRUE(fresh);
    ASSERT_TRUE(fresh->isNew());
    const quint32 id = fresh->IDValue();
    auto* freshEditor = dynamic_cast<QVEMenuEditor*>(fresh->editor());
    ASSERT_TRUE(freshEditor) << "a new menu opens in its editor";
    freshEditor->abortEditing(nullptr);
    EXPECT_EQ(QVEMenusManager::sharedManager().objectWithID(id), nullptr);
    EXPECT_NE(QVEActionsManager::sharedManager().actionWithID(1), nullptr);
}

TEST_F(MenuEditorTest, SubmenusThatLeadBackToTheEditedMenuAreRefused)
{
    QVMenu* edited = addMenu({});
    QVMenu* c = addMenu({menuItem(3, edited->IDValue())});
    QVMenu* b = addMenu({menuItem(3, c->IDValue())});
    QVMenu* other = addMenu({});
    QVMenu* loop = addMenu({});
    loop->setItemsDictArray({menuItem(3, loop->IDValue())}); // a stored cycle that does not touch ours
    QVEMenuEditor* editor = open(edited);
    ASSERT_TRUE(editor);
    RecordListModel* items = editor->items();

    struct Case {
        const char* what;
        QVariantList menus;
        bool refused;
    };
    const Case cases[] = {
        {"the edited menu itself", {edited->dictValue()}, true},
        {"a menu whose submenu holds the edited menu", {c->dictValue()}, true},
        {"two levels down", {b->dictValue()}, true},
        {"one good and one bad", {other->dictValue(), b->dictValue()}, true},
        {"a menu in a cycle of its own", {loop->dictValue()}, false},
        {"an unrelated menu", {other->dictValue()}, false},
    };
    for (const Case& c : cases) {
        alerts.clear();
        const int count = items->count();
        std::unique_ptr<QMimeData> data(menusPasteboard(c.menus));
        items->paste(data.get());
        EXPECT_EQ(items->count(), c.refused ? count : count + int(c.menus.size())) << c.what;
        EXPECT_EQ(alerts.size(), c.refused ? 1u : 0u) << c.what;
        if (c.refused && !alerts.empty()) {
            EXPECT_EQ(alerts[0].message, loc("MenuMenuEdite")) << c.what;
        }
    }
    // A drop is refused the same way, and still taken.
    alerts.clear();
    std::unique_ptr<QMimeData> drop(menusPasteboard({b->dictValue()}));
    const int count = items->count();
    EXPECT_TRUE(items->dropMimeData(drop.get(), Qt::CopyAction, 0, 0, {}));
    EXPECT_EQ(items->count(), count);
    EXPECT_EQ(alerts.size(), 1u);
    QUndoStack* undo = edited->undoManager();
    EXPECT_EQ(undo->text(undo->count() - 1), locFormat("AnnulerCollerMenu", {other->nameValue()}));
    editor->abortEditing(nullptr);
}

TEST_F(MenuEditorTest, OKRefusesASubmenuThatAnotherEditorTurnedIntoACycle)
{
    QVMenu* a = addMenu({});
    QVMenu* b = addMenu({});
    QVEMenuEditor* editor = open(a);
    ASSERT_TRUE(editor);
    std::unique_ptr<QMimeData> data(menusPasteboard({b->dictValue()}));
    editor->items()->paste(data.get());
    ASSERT_EQ(editor->items()->count(), 1);
    // Meanwhile B's own editor stores A as B's submenu.
    b->setItemsDictArray({menuItem(3, a->IDValue())});
    control<QPushButton>(editor, "MEOKButton")->click();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, loc("MenuMenuEdite"));
    EXPECT_TRUE(a->hasEditor()) << "the window stays open";
    EXPECT_TRUE(a->itemsDictArray().isEmpty());
    editor->items()->selectRow(0);
    editor->items()->removeSelected();
    control<QPushButton>(editor, "MEOKButton")->click();
    EXPECT_FALSE(a->hasEditor());
}

TEST_F(MenuEditorTest, ItemListEditsAreStepsThatUndoExactly)
{
    addAction(1, "A");
    addAction(2, "B");
    addAction(3, "C");
    addAction(4, "D");
    QVMenu* menu = addMenu({menuItem(2, 1), menuItem(2, 2), menuItem(0, 0, "Label"), menuItem(2, 3), menuItem(2, 4)});
    QVEMenuEditor* editor = open(menu);
    ASSERT_TRUE(editor);
    RecordListModel* items = editor->items();
    QUndoStack* undo = menu->undoManager();
    const QVariantList start = items->records();

    // A drag of row 0 to before row 3 within the table moves it.
    std::unique_ptr<QMimeData> drag(items->mimeData({items->index(0, 0)}));
    ASSERT_TRUE(items->dropMimeData(drag.get(), Qt::MoveAction, 3, 0, {}));
    EXPECT_EQ(itemIDs(items->records()), (QList<quint32>{2, 0, 1, 3, 4}));
    EXPECT_EQ(items->selectedRow(), 2);
    EXPECT_EQ(undo->text(undo->count() - 1), locFormat("AnnulerDeplacerElements", {1}));

    // A separator after the selected row, then a pasted action after it.
    control<QPushButton>(editor, "MEAddSeparatorButton")->click();
    EXPECT_EQ(itemTypes(items->records()), (QList<int>{2, 0, 2, 0, 2, 2}));
    EXPECT_EQ(items->selectedRow(), 2) << "the selection stays on its row";
    // An action no stored object uses, pasted twice after the selection.
    addAction(5, "E");
    std::unique_ptr<QMimeData> action(mimeDataWithRecords("QVActionPboardType", {actionRecord(5, "E")}));
    items->paste(action.get());
    EXPECT_EQ(undo->text(undo->count() - 1), locFormat("AnnulerCollerAction", {"E"}));
    items->paste(action.get());
    EXPECT_EQ(itemIDs(items->records()), (QList<quint32>{2, 0, 1, 5, 5, 0, 3, 4}));

    // Deleted elsewhere: every item of the action leaves as one step.
    QVEActionsManager::sharedManager().delActionsID({5}, false, false);
    ASSERT_EQ(QVEActionsManager::sharedManager().actionWithID(5), nullptr);
    EXPECT_EQ(itemIDs(items->records()), (QList<quint32>{2, 0, 1, 0, 3, 4}));
    EXPECT_EQ(undo->text(undo->count() - 1), locFormat("AnnulerSupprimerElements", {2}));

    while (undo->canUndo())
        undo->undo();
    EXPECT_EQ(items->records(), start) << "every step undone gives the list back";

    // The label dialog: OK sets the label, Cancel leaves it.
    QTimer::singleShot(0, editor, [editor] {
        editor->separatorPanel()->findChild<QLineEdit*>("MESeparatorLabelField")->setText("Renamed");
        editor->separatorPanel()->accept();
    });
    editor->editItemAtIndex(2);
    EXPECT_EQ(items->recordAt(2).value("menuitemparams").toMap().value("menuitemseparatorlabel"), "Renamed");
    QTimer::singleShot(0, editor, [editor] {
        editor->separatorPanel()->findChild<QLineEdit*>("MESeparatorLabelField")->setText("Other");
        editor->separatorPanel()->reject();
    });
    editor->editItemAtIndex(2);
    EXPECT_EQ(items->recordAt(2).value("menuitemparams").toMap().value("menuitemseparatorlabel"), "Renamed");
    editor->abortEditing(nullptr);
}

TEST_F(MenuEditorTest, TheTestMenuShowsTheWorkingActiveItems)
{
    addAction(1, "Alpha");
    addAction(2, "Beta");
    QVMenu* menu = addMenu({menuItem(2, 1), menuItem(0, 0, "Section"), menuItem(2, 2)});
    QVEMenuEditor* editor = open(menu);
    ASSERT_TRUE(editor);
    editor->invertActiveOfItemAtIndex(2);
    EXPECT_EQ(menu->undoManager()->count(), 0) << "an active flag is no undo step";
    control<QPushButton>(editor, "METestButton")->click();
    QMenu* shown = editor->testMenu();
    ASSERT_TRUE(shown);
    QStringList texts;
    for (QAction* item : shown->actions())
        texts << item->text();
    EXPECT_TRUE(texts.contains("Alpha"));
    EXPECT_TRUE(texts.contains("Section"));
    EXPECT_FALSE(texts.contains("Beta")) << texts.join(", ").toStdString();
    shown->close();
    editor->abortEditing(nullptr);
    EXPECT_EQ(menu->itemsDictArray().value(2).toMap().value("menuitemactive"), true);
}

} // namespace
} // namespace editor::test

namespace editor::test {
namespace {

class MenuItemsTest : public MenuEditorTest {};

TEST_F(MenuItemsTest, ASubstitutedActionIsReplacedInPlaceAndAGoneOneLeavesAtOnce)
{
    addAction(5, "Five");
    addAction(9, "Nine");
    addAction(1, "One");
    QVMenu* menu = addMenu({menuItem(2, 5), menuItem(2, 1), menuItem(2, 5)});
    QVEMenuEditor* editor = open(menu);
    ASSERT_TRUE(editor);
    RecordListModel* items = editor->items();
    editor->invertActiveOfItemAtIndex(0);
    postSubstitute(ObjectsFile::Actions, 5, 9);
    EXPECT_EQ(itemIDs(items->records()), (QList<quint32>{9, 1, 9}));
    EXPECT_TRUE(items->recordAt(0).value("menuitemactive").toBool()) << "a substitute item is active";
    postSubstitute(ObjectsFile::Actions, 9, 9); // with itself: nothing, and it ends
    EXPECT_EQ(itemIDs(items->records()), (QList<quint32>{9, 1, 9}));
    const int steps = menu->undoManager()->count();
    postSubstitute(ObjectsFile::Actions, 9);
    EXPECT_EQ(itemIDs(items->records()), (QList<quint32>{1}));
    EXPECT_EQ(menu->undoManager()->count(), steps + 1);
    editor->abortEditing(nullptr);
}

TEST_F(MenuItemsTest, DropsCopyBetweenEditorsAndWithAltButMoveWithinOneTable)
{
    addAction(1, "One");
    addAction(2, "Two");
    QVMenu* first = addMenu({menuItem(2, 1), menuItem(2, 2)});
    QVMenu* second = addMenu({});
    QVEMenuEditor* source = open(first);
    QVEMenuEditor* target = open(second);
    ASSERT_TRUE(source && target);
    std::unique_ptr<QMimeData> drag(source->items()->mimeData({source->items()->index(0, 0)}));

    // Into another editor: a copy, the source as it was.
    ASSERT_TRUE(target->items()->dropMimeData(drag.get(), Qt::MoveAction, 0, 0, {}));
    EXPECT_EQ(itemIDs(target->items()->records()), (QList<quint32>{1}));
    EXPECT_EQ(itemIDs(source->items()->records()), (QList<quint32>{1, 2}));
    QUndoStack* undo = second->undoManager();
    EXPECT_EQ(undo->text(undo->count() - 1), locFormat("AnnulerCopierElements", {1}));

    // Within its own table with the copy action: a copy after the last row.
    ASSERT_TRUE(source->items()->dropMimeData(drag.get(), Qt::CopyAction, -1, 0, {}));
    EXPECT_EQ(itemIDs(source->items()->records()), (QList<quint32>{1, 2, 1}));

    // Unknown item kinds stay where they are and are written back.
    QVariantMap odd{{"menuitemtype", 7}, {"menuitemactive", true}, {"menuitemparams", QVariantMap{{"x", 1}}}};
    second->setItemsDictArray({odd});
    target->abortEditing(nullptr);
    target = open(second);
    ASSERT_TRUE(target);
    EXPECT_EQ(target->items()->count(), 1);
    EXPECT_EQ(target->items()->data(target->items()->index(0, 2), Qt::DisplayRole), QVariant());
    control<QPushButton>(target, "MEOKButton")->click();
    EXPECT_EQ(second->itemsDictArray(), QVariantList{odd});
    source->abortEditing(nullptr);
}

} // namespace
} // namespace editor::test
