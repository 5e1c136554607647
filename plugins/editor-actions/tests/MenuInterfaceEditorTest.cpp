// The menu and interface action types, editing side, on the virtual
// desktop's accessibility tree: legacy records, names, the path's editing,
// a menu choice recorded from the tree's notifications and every way the
// recording ends; the interface type's records of controls, its recording
// ticks and its list (the one correct move, copies, deletes, paste).
#include "Geometry.h"
#include "InterfaceShortcut/InterfaceShortcut.h"
#include "MenuShortcut/MenuShortcut.h"
#include "PaneTestSupport.h"
#include "VirtualPlatform.h"

#include <QGuiApplication>
#include <QIcon>
#include <QMimeData>
#include <QPixmap>
#include <QUndoStack>
#include <gtest/gtest.h>

using namespace zelk;
using namespace zelk::editor;
using namespace zelk::test;
using Id = VirtualAccessibility::Id;

namespace {

// A fresh virtual desktop per test, with one application in front.
struct DesktopScope {
    DesktopScope()
    {
        auto fresh = std::make_unique<VirtualPlatform>();
        desktop = fresh.get();
        previous = Platform::install(std::move(fresh));
        pid = desktop->virtualWorkspace().userLaunches(QStringLiteral("writer.desktop"));
        desktop->virtualWorkspace().userActivates(pid);
        app = ax().addApplication(pid);
    }
    ~DesktopScope() { Platform::install(std::move(previous)); }
    VirtualAccessibility& ax() { return desktop->virtualAccessibility(); }

    std::unique_ptr<Platform> previous;
    VirtualPlatform* desktop = nullptr;
    qint64 pid = 0;
    Id app = 0;
};

QVariantMap lvl(const QString& name, int index, int selection) { return MenuShortcutModels::level(name, index, selection); }

class MenuShortcutEditorTest : public PaneTypeTest<MenuShortcut, MenuShortcutClass> {
protected:
    MenuShortcutEditorTest() : PaneTypeTest("MenuShortcut", "My menu") {}

    // File > [New, Open Recent > [a], Export > [PDF, PNG], Save]
    void buildMenus()
    {
        VirtualAccessibility& ax = d.ax();
        bar = ax.add(d.app, AXRole::MenuBar);
        ax.setMenuBar(d.pid, bar);
        file = ax.add(bar, AXRole::MenuBarItem, "File");
        fileMenu = ax.add(file, AXRole::Menu);
        ax.add(fileMenu, AXRole::MenuItem, "New");
        recent = ax.add(fileMenu, AXRole::MenuItem, "Open Recent");
        recentMenu = ax.add(recent, AXRole::Menu);
        ax.add(recentMenu, AXRole::MenuItem, "a");
        exportItem = ax.add(fileMenu, AXRole::MenuItem, "Export");
        exportMenu = ax.add(exportItem, AXRole::Menu);
        pdf = ax.add(exportMenu, AXRole::MenuItem, "PDF");
        ax.add(exportMenu, AXRole::MenuItem, "PNG");
        ax.add(fileMenu, AXRole::MenuItem, "Save");
    }
    std::shared_ptr<MenuShortcut> pathAction(const QVariantList& items)
    {
        return make({{"Action", 3}, {"Items", items}, {"OnlyDisplayMenu", false}});
    }

    DesktopScope d;
    Id bar = 0, file = 0, fileMenu = 0, recent = 0, recentMenu = 0, exportItem = 0, exportMenu = 0, pdf = 0;
};

TEST_F(MenuShortcutEditorTest, LegacyRecordsFoldIntoAPath)
{
    auto model1 = make({{"Action", 1}, {"MenuName", "File"}, {"MenuIndex", 3}, {"MenuSelection", 2},
                        {"ItemName", "Save"}, {"ItemIndex", 5}, {"ItemSelection", 2}, {"OnlyDisplayMenu", true}});
    ASSERT_NE(model1, nullptr);
    EXPECT_EQ(model1->dataValue(), (QVariantMap{{"Action", 3},
                                                {"Items", QVariantList{lvl("File", 3, 2), lvl("Save", 5, 2)}},
                                                {"OnlyDisplayMenu", true}}));
    auto model2 = make({{"Action", 2}, {"MenuName", "File"}, {"MenuIndex", 1}, {"MenuSelection", 0},
                        {"SubmenuName", "Export"}, {"SubmenuIndex", 4}, {"SubmenuSelection", 1},
                        {"ItemName", "PDF"}, {"ItemIndex", 2}, {"ItemSelection", 3}});
    EXPECT_EQ(model2->dataValue().value("Items").toList(),
              (QVariantList{lvl("File", 1, 0), lvl("Export", 4, 1), lvl("PDF", 2, 3)}));
    EXPECT_FALSE(model2->dataValue().value("OnlyDisplayMenu").toBool());
    EXPECT_EQ(model2->modelID(), 3);
}

TEST_F(MenuShortcutEditorTest, LabelsAndSuggestedNames)
{
    const struct {
        QString name;
        int index, mode;
        QString label;
    } cases[] = {
        {"x", 4, 0, "4"}, {"x", 2, 1, "-2"}, {"Open", 0, 2, "\"Open\""}, {"Open", 0, 3, "\"...Open...\""},
        {"Open", 0, 4, "\"Open...\""}, {"Open", 0, 5, "\"...Open\""}, {"Open", 0, 6, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MenuShortcutModels::labelForName(c.name, c.index, c.mode), c.label) << c.mode;
    QVEAction::setSuggestNameNew(true);
    EXPECT_EQ(cls->newDataForAction(3).value("actionname").toString(), "Menu 0");
    EXPECT_EQ(cls->newDataForAction(3).value("actiondata").toMap(),
              (QVariantMap{{"Action", 3}, {"Items", QVariantList()}, {"OnlyDisplayMenu", false}}));
    EXPECT_TRUE(cls->newDataForAction(1).value("actiondata").toMap().isEmpty());
}

TEST_F(MenuShortcutEditorTest, AddingAndRemovingLevels)
{
    auto action = pathAction({lvl("A", 1, 2), lvl("B", 1, 2), lvl("C", 1, 2)});
    auto editor = open(action);
    auto* table = editor->control<QTableWidget>("CUTItemsTable");
    ASSERT_NE(table, nullptr);
    table->clearSelection();
    action->addItem();
    EXPECT_EQ(action->editedItems().first(), lvl("", 1, 0)) << "inserted at the top with no row selected";
    EXPECT_EQ(action->editedItems().size(), 4);
    action->undoManager()->undo();
    EXPECT_EQ(action->editedItems().size(), 3);
    table->selectRow(2);
    action->removeItem();
    EXPECT_EQ(action->editedItems().size(), 2);
    EXPECT_EQ(action->selectedItemIndex(), 1) << "removing the last of three shows row 1";
    action->abortEditing();
    EXPECT_EQ(action->dataValue().value("Items").toList().size(), 3) << "cancel keeps the stored path";
}

TEST_F(MenuShortcutEditorTest, RecordingFollowsOpenedAndClosedMenus)
{
    buildMenus();
    auto action = pathAction({lvl("Old", 1, 2)});
    auto editor = open(action);
    ASSERT_TRUE(action->recordMenuOfApplication("writer.desktop"));
    EXPECT_TRUE(action->isWaitingForChoice());
    EXPECT_TRUE(action->isBlinking());
    VirtualAccessibility& ax = d.ax();
    ax.userOpensMenu(fileMenu);
    ax.userOpensMenu(recentMenu);
    ax.userClosesMenu(recentMenu);
    ax.userOpensMenu(exportMenu);
    ax.userChoosesItem(pdf);
    // Found by title, as the level shown when the recording began.
    EXPECT_EQ(action->editedItems(), (QVariantList{lvl("File", 1, 2), lvl("Export", 3, 2), lvl("PDF", 1, 2)}));
    EXPECT_FALSE(action->isWaitingForChoice());
    EXPECT_FALSE(action->isBlinking());
    EXPECT_FALSE(ax.hasMenuObservers()) << "the observer goes with the choice";
    action->undoManager()->undo();
    EXPECT_EQ(action->editedItems(), (QVariantList{lvl("Old", 1, 2)}));
}

TEST_F(MenuShortcutEditorTest, RecordingFromTheEndCountsFromTheLastChild)
{
    buildMenus();
    auto action = pathAction({});
    auto editor = open(action);
    choose(editor->control<QComboBox>("CUTItemSelectionButton"), 1);
    ASSERT_TRUE(action->recordMenuOfApplication("writer.desktop"));
    d.ax().userOpensMenu(fileMenu);
    d.ax().userChoosesItem(exportItem);
    EXPECT_EQ(action->editedItems(), (QVariantList{lvl("File", 1, 1), lvl("Export", 2, 1)}));
}

TEST_F(MenuShortcutEditorTest, EveryEndOfTheEditEndsTheRecording)
{
    buildMenus();
    const std::function<void(MenuShortcut&)> ends[] = {
        [](MenuShortcut& a) { a.abortEditing(); },
        [](MenuShortcut& a) { EXPECT_TRUE(a.willValidateEditing()); },
        [](MenuShortcut&) { /* the window closes: below */ },
    };
    int which = 0;
    for (const auto& end : ends) {
        auto action = pathAction({lvl("Old", 1, 2)});
        auto editor = open(action);
        editor->accessory->show();
        ASSERT_TRUE(action->recordMenuOfApplication("writer.desktop"));
        // Pressing record again replaces the wait: still one blink, one observer.
        ASSERT_TRUE(action->recordMenuOfApplication("writer.desktop"));
        EXPECT_TRUE(action->isBlinking());
        if (which == 2)
            editor->accessory->hide();
        else
            end(*action);
        EXPECT_FALSE(action->isWaitingForChoice()) << which;
        EXPECT_FALSE(action->isBlinking()) << which;
        EXPECT_FALSE(d.ax().hasMenuObservers()) << which;
        d.ax().userOpensMenu(fileMenu);
        d.ax().userChoosesItem(pdf);
        EXPECT_EQ(action->dataValue().value("Items").toList(), (QVariantList{lvl("Old", 1, 2)})) << which;
        ++which;
    }
}

TEST_F(MenuShortcutEditorTest, AnApplicationThatCannotBeObservedIsSaidSo)
{
    buildMenus();
    auto action = pathAction({});
    auto editor = open(action);
    d.ax().setObservable(d.pid, false);
    EXPECT_FALSE(action->recordMenuOfApplication("writer.desktop"));
    d.desktop->virtualWorkspace().userLaunches("xterm");
    EXPECT_FALSE(action->recordMenuOfApplication("xterm")) << "no accessibility at all";
    EXPECT_FALSE(action->isBlinking());
    ASSERT_EQ(scope.utility.alerts.size(), 2);
    EXPECT_TRUE(scope.utility.alerts.last().contains("xterm")) << scope.utility.alerts.last().toStdString();
}

TEST_F(MenuShortcutEditorTest, ValidityFollowsTheAccessibilityService)
{
    auto action = pathAction({});
    EXPECT_TRUE(action->isValid());
    d.ax().setApiEnabled(false);
    EXPECT_FALSE(action->isValid());
    EXPECT_FALSE(action->notValidString().isEmpty());
    auto editor = open(action);
    EXPECT_FALSE(editor->control<QPushButton>("CUTSelectAppButton")->isEnabled());
    EXPECT_EQ(scope.utility.openedPanels, QStringList{"UniversalAccessPref"});
}

// --- Interface ------------------------------------------------------------------------------

class InterfaceShortcutEditorTest : public PaneTypeTest<InterfaceShortcut, InterfaceShortcutClass> {
protected:
    InterfaceShortcutEditorTest() : PaneTypeTest("InterfaceShortcut", "My controls") {}

    void buildWindow()
    {
        VirtualAccessibility& ax = d.ax();
        window = ax.add(d.app, AXRole::Window, "Doc", {100, 50, 400, 300});
        ax.setFocusedWindow(d.pid, window);
        ok = ax.add(window, AXRole::Button, "OK", {120, 60, 80, 20});
        field = ax.add(window, AXRole::TextField, "", {120, 100, 200, 20});
        ax.setValue(field, "hello");
        bold = ax.add(window, AXRole::CheckBox, "Bold", {120, 140, 80, 20});
        ax.setValue(bold, 1.0);
        cancel = ax.add(window, AXRole::Button, "Cancel", {220, 60, 80, 20});
    }
    std::shared_ptr<InterfaceShortcut> listAction(const QStringList& titles)
    {
        QVariantList items;
        for (const QString& t : titles)
            items.append(QVariantMap{{"Type", 0}, {"Point", "{1, 1}"}, {"Origin", 0}, {"Title", t}, {"Value", ""}});
        return make({{"Action", 1}, {"Items", items}});
    }
    static QStringList titles(const QVariantList& items)
    {
        QStringList list;
        for (const QVariant& i : items)
            list.append(i.toMap().value("Title").toString());
        return list;
    }

    DesktopScope d;
    Id window = 0, ok = 0, field = 0, bold = 0, cancel = 0;
};

TEST_F(InterfaceShortcutEditorTest, RecordsOfControls)
{
    buildWindow();
    VirtualAccessibility& ax = d.ax();
    const AXElement w = ax.element(window);
    using namespace InterfaceElements;
    EXPECT_EQ(dataForElement(ax.element(bold), w),
              (QVariantMap{{"Type", 2}, {"Point", "{60, 100}"}, {"Origin", 0}, {"Title", "Bold"}, {"Value", 1}}));
    EXPECT_EQ(dataForElement(ax.element(field), w).value("Value"), "hello");

    const Id radio = ax.add(window, AXRole::RadioButton, "Off", {0, 0, 10, 10});
    ax.setValue(radio, 0.0);
    const Id disabled = ax.add(window, AXRole::Button, "Gone", {0, 0, 10, 10});
    ax.setEnabled(disabled, false);
    const Id row = ax.add(window, AXRole::Row);
    const Id inRow = ax.add(row, AXRole::CheckBox, "Cell", {0, 0, 10, 10});
    ax.setValue(inRow, 0.0);
    for (Id id : {radio, disabled, inRow})
        EXPECT_TRUE(dataForElement(ax.element(id), w).isEmpty()) << id;
    EXPECT_TRUE(dataForElement(ax.element(ok), nullptr).isEmpty()) << "no window";

    const Id slider = ax.add(window, AXRole::Slider, "", {120, 200, 200, 20});
    ax.setValue(slider, 25.0);
    ax.setMaxValue(slider, 50.0);
    ax.add(slider, AXRole::ValueIndicator, "", {215, 200, 10, 20});
    const QVariantMap record = dataForElement(ax.element(slider), w);
    EXPECT_EQ(record.value("Value").toDouble(), 50.0);
    EXPECT_EQ(record.value("Title"), "{120, 160}");
    ax.setMaxValue(slider, 0.0);
    EXPECT_EQ(dataForElement(ax.element(slider), w).value("Value").toDouble(), 0.0);
    ax.setMaxValue(slider, std::nullopt);
    EXPECT_TRUE(dataForElement(ax.element(slider), w).isEmpty()) << "an unreadable maximum";
}

TEST_F(InterfaceShortcutEditorTest, RecordingTicksFrameThenAddOncePerPress)
{
    buildWindow();
    auto action = make({{"Action", 1}, {"Items", QVariantList()}});
    auto editor = open(action);
    action->startRecording();
    EXPECT_TRUE(action->isRecording());
    EXPECT_TRUE(action->isBlinking());
    const QPointF overBold(150, 150);
    const Qt::KeyboardModifiers add = Qt::ControlModifier | Qt::AltModifier;

    action->updateCurrentElement(add, overBold);
    EXPECT_TRUE(action->items().isEmpty()) << "a control is added only once it is framed";
    EXPECT_TRUE(sameElement(action->currentElement(), d.ax().element(bold)));
    action->updateCurrentElement(Qt::NoModifier, overBold);
    action->updateCurrentElement(add, overBold);
    action->updateCurrentElement(add, overBold);
    action->updateCurrentElement(add, overBold);
    EXPECT_EQ(titles(action->items()), QStringList{"Bold"}) << "holding the keys adds once";

    action->updateCurrentElement(Qt::NoModifier, overBold);
    action->updateCurrentElement(add | Qt::ShiftModifier, overBold);
    EXPECT_EQ(action->items().size(), 3) << "the field and the check box, no buttons";
    EXPECT_EQ(action->items().at(1).toMap().value("Type"), 1);
    EXPECT_EQ(action->items().at(2).toMap().value("Title"), "Bold");

    action->updateCurrentElement(Qt::NoModifier, {5, 5});
    EXPECT_EQ(action->currentElement(), nullptr) << "nothing under the pointer: no frame";
    action->startRecording();
    EXPECT_FALSE(action->isRecording());
    EXPECT_FALSE(action->isBlinking());
}

TEST_F(InterfaceShortcutEditorTest, ValidatingOrCancellingStopsTheRecording)
{
    buildWindow();
    for (bool validate : {false, true}) {
        auto action = make({{"Action", 1}, {"Items", QVariantList()}});
        auto editor = open(action);
        action->startRecording();
        action->updateCurrentElement(Qt::NoModifier, {150, 150});
        if (validate)
            EXPECT_TRUE(action->willValidateEditing());
        else
            action->abortEditing();
        EXPECT_FALSE(action->isRecording()) << validate;
        EXPECT_FALSE(action->isBlinking()) << validate;
        EXPECT_EQ(action->currentElement(), nullptr) << validate;
    }
}

TEST_F(InterfaceShortcutEditorTest, TheListMovesCopiesDeletesAndPastes)
{
    auto action = listAction({"A", "B", "C", "D"});
    auto editor = open(action);
    auto* table = editor->control<IItemsTableView>("CUTItemsTable");
    ASSERT_NE(table, nullptr);

    std::unique_ptr<QMimeData> drag(table->mimeDataForRows({0}));
    ASSERT_TRUE(table->dropRows(drag.get(), 3, Qt::MoveAction));
    EXPECT_EQ(titles(action->items()), (QStringList{"B", "C", "A", "D"}));
    EXPECT_EQ(action->selectedRows(), QList<int>{2});
    action->undoManager()->undo();
    EXPECT_EQ(titles(action->items()), (QStringList{"A", "B", "C", "D"}));
    const RulesTableView clipboardTable;
    std::unique_ptr<QMimeData> clipboardRules(clipboardTable.mimeDataForRows({0}));
    EXPECT_FALSE(table->dropRows(clipboardRules.get(), 3, Qt::MoveAction)) << "another list's rows";

    const struct {
        QList<int> rows;
        int to;
        QStringList after;
    } moves[] = {
        {{3}, 0, {"D", "A", "B", "C"}},
        {{0, 2}, 4, {"B", "D", "A", "C"}},
        {{1, 2}, 2, {"A", "B", "C", "D"}}, // onto itself: nothing
        {{0, 3}, 2, {"B", "A", "D", "C"}},
    };
    for (const auto& m : moves) {
        auto fresh = listAction({"A", "B", "C", "D"});
        auto e = open(fresh);
        fresh->moveItemsFromIndexes(m.rows, m.to);
        EXPECT_EQ(titles(fresh->items()), m.after) << m.to;
    }

    auto three = listAction({"A", "B", "C"});
    auto e3 = open(three);
    three->dropRules({0, 1}, 3, true);
    EXPECT_EQ(titles(three->items()), (QStringList{"A", "B", "C", "A", "B"}));

    auto two = listAction({"A", "B"});
    auto e2 = open(two);
    auto* t2 = e2->control<IItemsTableView>("CUTItemsTable");
    t2->clearSelection();
    t2->selectRow(1);
    two->delSelectedItems();
    EXPECT_EQ(two->selectedRows(), QList<int>{0}) << "the new last row";
    two->delSelectedItems();
    EXPECT_TRUE(two->selectedRows().isEmpty());
    EXPECT_TRUE(two->items().isEmpty());

    t2->clearSelection();
    three->copySelectedItems(); // A, B of the copy above stay selected
    two->pastePasteboard();
    EXPECT_FALSE(two->items().isEmpty());
    EXPECT_EQ(two->selectedRows().first(), 0) << "pasted at the top";
}

TEST(RecordingBlinkTest, OneBlinkAtATimeAndTheIconComesBack)
{
    QImage original(16, 16, QImage::Format_ARGB32);
    original.fill(Qt::blue);
    QGuiApplication::setWindowIcon(QIcon(QPixmap::fromImage(original)));
    const qint64 before = QGuiApplication::windowIcon().cacheKey();
    QImage first(16, 16, QImage::Format_ARGB32);
    first.fill(Qt::red);
    QImage second(16, 16, QImage::Format_ARGB32);
    second.fill(Qt::green);
    {
        RecordingBlink blink;
        blink.start(first);
        const qint64 blinking = QGuiApplication::windowIcon().cacheKey();
        EXPECT_NE(blinking, before);
        blink.start(second); // a second recording's blink: none of its own
        EXPECT_EQ(QGuiApplication::windowIcon().cacheKey(), blinking);
        blink.stop();
        EXPECT_EQ(QGuiApplication::windowIcon().cacheKey(), before);
        EXPECT_FALSE(blink.isBlinking());
        blink.start(first);
    } // a blink that goes puts the icon back too
    EXPECT_EQ(QGuiApplication::windowIcon().cacheKey(), before);
}

} // namespace
