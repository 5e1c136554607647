// The main lists and the contexts pane: search and sort, the command gate,
// drags and drops between lists, and the contexts pane's commands.
#include "ListsTestSupport.h"

#include <QAbstractItemModelTester>
#include <QAbstractButton>
#include <QHeaderView>
#include <QUrl>

using namespace editor;
using namespace editor::test;

namespace {

class MainListsTest : public ListsTest {};

TEST_F(MainListsTest, ANewListShowsEverythingAscendingByTheFirstColumn)
{
    shortcut("b");
    shortcut("A");
    shortcut("c");
    showWindow();
    const QVariantMap defaults{{"selectiontype", 0}, {"selectionparam1", ""}, {"selectionparam2", ""},
                               {"selectionstring", ""}, {"sortidentifier", ""}, {"sortorder", -1}};
    EXPECT_EQ(QVEObjectsViewer::defaultSelectionDict(), defaults);
    // A list not shown yet keeps its defaults; the shown one follows the
    // pane, where the universal context is selected at first start.
    EXPECT_EQ(viewer(2)->selectionDict(), defaults);
    QVEObjectsViewer* list = viewer(1);
    EXPECT_EQ(window->selectedContext(), store->contextWithID(0));
    EXPECT_EQ(shownNames(list), QStringList({"A", "b", "c"}));
    EXPECT_EQ(window->topInfoText(), locFormat("NombreElements", {qulonglong(3)}));
}

TEST_F(MainListsTest, ARestoredSelectionKeepsOnlyItsSort)
{
    shortcut("Alpha");
    shortcut("Beta");
    struct Case {
        QString sortIdentifier;
        qint64 order;
        int column;
        QStringList shown;
    };
    const Case cases[] = {
        {"launchers", 1, 2, {"Beta", "Alpha"}}, // equal values: by name, descending
        {"nosuchcolumn", -1, 0, {"Alpha", "Beta"}},
        {"name", 0, 0, {"Beta", "Alpha"}},
        {"name", 5, 0, {"Beta", "Alpha"}},
    };
    showWindow();
    QVEObjectsViewer* list = viewer(1);
    for (const Case& c : cases) {
        list->setSelectionDict({{"selectiontype", 3}, {"selectionparam1", 12}, {"selectionstring", "zz"},
                                {"sortidentifier", c.sortIdentifier}, {"sortorder", c.order}});
        list->reloadObjects();
        EXPECT_EQ(list->selectionDict().value("selectionparam1").toInt(), 12) << c.sortIdentifier.toStdString();
        EXPECT_EQ(list->selectionDict().value("selectiontype").toInt(), 0);
        EXPECT_EQ(list->searchString(), QString());
        EXPECT_EQ(list->sortColumnIndex(), c.column) << c.sortIdentifier.toStdString();
        EXPECT_EQ(shownNames(list), c.shown) << c.sortIdentifier.toStdString() << " " << c.order;
    }
}

TEST_F(MainListsTest, TheSearchFieldFiltersByNameAndTheMatchesStaySorted)
{
    shortcut("Mail");
    shortcut("gmail check");
    shortcut("Notes");
    showWindow();
    QVEObjectsViewer* list = viewer(1);
    window->searchField()->setText("MAIL");
    EXPECT_EQ(shownNames(list), QStringList({"gmail check", "Mail"}));
    EXPECT_EQ(window->topInfoText(), locFormat("NombreElements", {qulonglong(2)}));
    list->tableViewShouldSelectTableColumn(0); // same column: descending
    EXPECT_EQ(shownNames(list), QStringList({"Mail", "gmail check"}));
    window->searchField()->clear();
    EXPECT_EQ(shownNames(list), QStringList({"Notes", "Mail", "gmail check"}));
}

TEST_F(MainListsTest, HeaderClicksFlipSortOrKeepTheSortWhereNothingSorts)
{
    QVShortcut* two = shortcut("Two", {0}, {});
    shortcut("One");
    addAction(7, "Typed text");
    two->setActionsDictArray(steps({7}));
    showWindow();
    QVEObjectsViewer* list = viewer(1);
    QHeaderView* header = table(1)->horizontalHeader();
    const QStringList ascending{"One", "Two"};
    ASSERT_EQ(shownNames(list), ascending);
    list->tableViewShouldSelectTableColumn(0);
    EXPECT_EQ(shownNames(list), QStringList({"Two", "One"}));
    list->tableViewShouldSelectTableColumn(0);
    EXPECT_EQ(shownNames(list), ascending);
    // "links" has no value: the sort stays on "name", ascending, indicator too.
    list->tableViewShouldSelectTableColumn(3);
    EXPECT_EQ(list->sortColumnIndex(), 0);
    EXPECT_EQ(list->selectionDict().value("sortidentifier").toString(), QString());
    EXPECT_EQ(shownNames(list), ascending);
    EXPECT_EQ(header->sortIndicatorSection(), 0);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
    // Another column with values sorts by it, ascending.
    list->tableViewShouldSelectTableColumn(1);
    EXPECT_EQ(list->selectionDict().value("sortidentifier").toString(), "commands");
    EXPECT_EQ(list->sortOrder(), -1);
}

TEST_F(MainListsTest, TheMenusInBarAndLinksHeadersKeepThePreviousSort)
{
    menu("b", true);
    menu("a");
    showWindow({{"rect2", "{{10, 10}, {700, 400}}"}, {"mainobject", 2}});
    QVEObjectsViewer* list = viewer(2);
    ASSERT_TRUE(list->isConnected());
    list->tableViewShouldSelectTableColumn(0);
    ASSERT_EQ(shownNames(list), QStringList({"b", "a"}));
    for (int column : {3, 4}) {
        list->tableViewShouldSelectTableColumn(column);
        EXPECT_EQ(list->sortColumnIndex(), 0) << column;
        EXPECT_EQ(list->sortOrder(), 1) << column;
        EXPECT_EQ(shownNames(list), QStringList({"b", "a"})) << column;
    }
}

TEST_F(MainListsTest, AnUpdateNoticeRebuildsAndKeepsTheSelectedObject)
{
    shortcut("m");
    QVShortcut* keep = shortcut("n");
    showWindow();
    QVEObjectsViewer* list = viewer(1);
    selectRows(table(1), {1});
    ASSERT_EQ(list->selectedObjectsIDArray(), QList<quint32>({keep->IDValue()}));
    shortcut("a");
    QVEShortcutsManager::sharedManager().updateShortcuts();
    EXPECT_EQ(shownNames(list), QStringList({"a", "m", "n"}));
    EXPECT_EQ(list->selectedObjectsIDArray(), QList<quint32>({keep->IDValue()}));
    QVEShortcutsManager::sharedManager().delShortcutsID({keep->IDValue()}, false, false, false);
    EXPECT_EQ(list->selectedObjectsIDArray(), QList<quint32>());
}

// --- The command gate -------------------------------------------------------------------------------

TEST_F(MainListsTest, CommandsAreEnabledOnlyWhileTheFocusedListAnswersThem)
{
    shortcut("s");
    showWindow();
    TableCommandGate& gate = TableCommandGate::sharedGate();
    table(1)->setFocus();
    ASSERT_TRUE(table(1)->hasFocus());
    const QStringList selectionVerbs{"copy", "clear", "clearStructure", "export", "edit", "duplicate", "run"};
    gate.refresh();
    for (const QString& verb : selectionVerbs)
        EXPECT_FALSE(gate.action(verb)->isEnabled()) << "no selection: " << verb.toStdString();
    EXPECT_FALSE(gate.action("paste")->isEnabled());
    selectRows(table(1), {0});
    for (const QString& verb : selectionVerbs)
        EXPECT_TRUE(gate.action(verb)->isEnabled()) << "selected: " << verb.toStdString();
    for (const char* verb : {"cut", "activate", "editTarget", "setImageToObject"})
        EXPECT_FALSE(gate.action(verb)->isEnabled()) << "not answered: " << verb;
    EXPECT_EQ(gate.action("run")->text(), loc("Tester"));
    // Actions on the clipboard: the shortcuts list can paste them.
    addAction(3);
    QVEActionsManager::sharedManager().copyActionsID({3});
    QApplication::processEvents();
    EXPECT_TRUE(gate.action("paste")->isEnabled());
    // The focus elsewhere in the window: nothing reaches the table.
    window->searchField()->setFocus();
    ASSERT_TRUE(window->searchField()->hasFocus());
    for (const QString& verb : TableCommandGate::verbs())
        EXPECT_FALSE(gate.action(verb)->isEnabled()) << "search field focused: " << verb.toStdString();
}

TEST_F(MainListsTest, ThePalettesListNeverCopiesAndPreviews)
{
    store->addPalette(QVPalette::newData());
    showWindow({{"rect2", "{{10, 10}, {700, 400}}"}, {"mainobject", 3}});
    TableCommandGate& gate = TableCommandGate::sharedGate();
    table(3)->setFocus();
    selectRows(table(3), {0});
    EXPECT_FALSE(gate.action("copy")->isEnabled());
    EXPECT_TRUE(gate.action("clear")->isEnabled());
    EXPECT_EQ(gate.action("run")->text(), loc("Previsualiser"));
}

TEST_F(MainListsTest, ATriggeredCommandGoesToTheFocusedListsManager)
{
    shortcut("first");
    shortcut("second");
    showWindow();
    table(1)->setFocus();
    selectRows(table(1), {0});
    TableCommandGate::sharedGate().action("duplicate")->trigger();
    EXPECT_EQ(viewer(1)->shownCount(), 3);
    // Undo follows the focused list: the shortcuts manager's stack.
    ASSERT_EQ(window->undoGroup()->activeStack(), QVEShortcutsManager::sharedManager().undoManager());
    window->undoGroup()->undo();
    EXPECT_EQ(viewer(1)->shownCount(), 2);
}

// --- Drags and drops --------------------------------------------------------------------------------

TEST_F(MainListsTest, ShortcutsDraggedOntoAContextMoveThereAsOneUndoableStep)
{
    QVContext* a = addAppContext("/a.desktop");
    QVContext* b = addAppContext("/b.desktop");
    QVShortcut* moved = shortcut("moved", {a->IDValue()});
    QVEContextsManager::sharedManager().reloadContexts();
    showWindow();
    QVEContextsViewer* pane = window->contextsViewer();
    pane->showItem(a);
    ASSERT_EQ(shownNames(viewer(1)), QStringList({"moved"}));
    selectRows(table(1), {0});
    const std::unique_ptr<QMimeData> data = dragOf(table(1));
    ASSERT_TRUE(pasteboardHasType(data.get(), "QVShortcutPboardType"));
    QVEOutlineView* outline = pane->objectsTable();
    int notices = 0;
    const zelk::ObserverHandle observer = zelk::NotificationCenter::defaultCenter().addObserver(
        "UpdateShortcutsNotification", nullptr, [&](const zelk::Notification&) { ++notices; });
    const DropResult result = drop(outline, pointOf(outline, pane->model()->indexOfContext(b)), data.get());
    EXPECT_TRUE(result.dropAccepted);
    // Performed, and reported so to the source.
    EXPECT_EQ(result.action, Qt::MoveAction);
    EXPECT_GE(notices, 1);
    EXPECT_EQ(moved->contextsDictArray(), contextRefs({b->IDValue()}));
    EXPECT_EQ(pane->selectedObject(), b);
    EXPECT_EQ(shownNames(viewer(1)), QStringList({"moved"}));
    QUndoStack* undo = QVEShortcutsManager::sharedManager().undoManager();
    ASSERT_EQ(undo->count(), 1);
    EXPECT_EQ(undo->undoText(), locFormat("AnnulerDeplacerVersContexte", {"moved"}));
    undo->undo();
    EXPECT_EQ(store->shortcutWithID(moved->IDValue())->contextsDictArray(), contextRefs({a->IDValue()}));
}

TEST_F(MainListsTest, AltDraggedShortcutsAreLinkedAndTheSelectionStays)
{
    QVContext* a = addAppContext("/a.desktop");
    QVContext* b = addAppContext("/b.desktop");
    QVShortcut* linked = shortcut("linked", {a->IDValue()});
    QVEContextsManager::sharedManager().reloadContexts();
    showWindow();
    QVEContextsViewer* pane = window->contextsViewer();
    pane->showItem(a);
    selectRows(table(1), {0});
    const std::unique_ptr<QMimeData> data = dragOf(table(1));
    QVEOutlineView* outline = pane->objectsTable();
    const DropResult result
        = drop(outline, pointOf(outline, pane->model()->indexOfContext(b)), data.get(), Qt::AltModifier);
    EXPECT_TRUE(result.dropAccepted);
    EXPECT_EQ(result.action, Qt::CopyAction);
    EXPECT_EQ(linked->contextsDictArray(), contextRefs({a->IDValue(), b->IDValue()}));
    EXPECT_EQ(pane->selectedObject(), a);
    EXPECT_EQ(QVEShortcutsManager::sharedManager().undoManager()->undoText(),
              locFormat("AnnulerLierContexte", {"linked"}));
}

TEST_F(MainListsTest, ADropOntoTheSelectedContextOrAnObjectBeingEditedIsRefused)
{
    QVContext* a = addAppContext("/a.desktop");
    QVContext* b = addAppContext("/b.desktop");
    QVShortcut* edited = shortcut("edited", {a->IDValue()});
    QVEContextsManager::sharedManager().reloadContexts();
    showWindow();
    QVEContextsViewer* pane = window->contextsViewer();
    pane->showItem(a);
    selectRows(table(1), {0});
    const std::unique_ptr<QMimeData> data = dragOf(table(1));
    QVEOutlineView* outline = pane->objectsTable();
    EXPECT_FALSE(drop(outline, pointOf(outline, pane->model()->indexOfContext(a)), data.get()).moveAccepted);

    QVEShortcutsManager::sharedManager().editObjectsID({edited->IDValue()});
    ASSERT_TRUE(edited->hasEditor());
    const DropResult result = drop(outline, pointOf(outline, pane->model()->indexOfContext(b)), data.get());
    EXPECT_FALSE(result.dropAccepted);
    EXPECT_EQ(edited->contextsDictArray(), contextRefs({a->IDValue()}));
    EXPECT_EQ(pane->selectedObject(), a);
    EXPECT_EQ(QVEShortcutsManager::sharedManager().undoManager()->count(), 0);
}

TEST_F(MainListsTest, RecordsDroppedBetweenRowsMakeANewObjectActionsFirst)
{
    menu("existing");
    shortcut("s");
    addAction(5, "Act");
    showWindow({{"rect2", "{{10, 10}, {700, 400}}"}, {"mainobject", 2}});
    QVEShortcutsManager& shortcuts = QVEShortcutsManager::sharedManager();
    std::unique_ptr<QMimeData> both(mimeDataWithRecords("QVShortcutPboardType", {shortcuts.allShortcutsArray().first()->dictValue()}));
    const std::unique_ptr<QMimeData> actions(mimeDataWithRecords("QVActionPboardType", {store->actionWithID(5)->dictValue()}));
    both->setData(mimeTypeForPboardType("QVActionPboardType"), actions->data(mimeTypeForPboardType("QVActionPboardType")));
    StripedTableView* menus = table(2);
    const QPoint between = pointOf(menus, menus->model()->index(0, 0), true);
    const DropResult result = drop(menus, between, both.get());
    EXPECT_TRUE(result.dropAccepted);
    const QList<QVMenu*> all = QVEMenusManager::sharedManager().allMenusArray();
    ASSERT_EQ(all.size(), 2);
    const QVariantList items = all.last()->itemsDictArray();
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(uintValue(items.first().toMap().value("menuitemparams").toMap().value("menuitemactionID")), 5u);

    // The same shortcuts on a row only hold it for the spring-loaded open.
    std::unique_ptr<QMimeData> onlyShortcuts(mimeDataWithRecords("QVShortcutPboardType", {shortcuts.allShortcutsArray().first()->dictValue()}));
    EXPECT_FALSE(drop(menus, pointOf(menus, menus->model()->index(0, 0)), onlyShortcuts.get()).dropAccepted);
}

TEST_F(MainListsTest, LaunchersHeldOverARowOpenItsEditorUnlessTheDragMovedOn)
{
    QVEObjectsViewer::setSpringLoadedDelay(20);
    QVShortcut* first = shortcut("first");
    QVShortcut* second = shortcut("second");
    QVLauncher* launcher = addKeyLauncher(0x100000 | 12);
    showWindow();
    StripedTableView* list = table(1);
    const std::unique_ptr<QMimeData> data(mimeDataWithRecords("QVLauncherPboardType", {launcher->dictValue()}));
    const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction;
    // Over the first row, then out of the table: the pending open is cancelled.
    QDragEnterEvent enter(pointOf(list, list->model()->index(0, 0)), offered, data.get(), Qt::LeftButton, {});
    QApplication::sendEvent(list->viewport(), &enter);
    QDragMoveEvent overFirst(pointOf(list, list->model()->index(0, 0)), offered, data.get(), Qt::LeftButton, {});
    QApplication::sendEvent(list->viewport(), &overFirst);
    EXPECT_TRUE(overFirst.isAccepted());
    QDragLeaveEvent leave;
    QApplication::sendEvent(list->viewport(), &leave);
    // Over the second row until it opens; the first one's timer fired before.
    QDragEnterEvent enterAgain(pointOf(list, list->model()->index(1, 0)), offered, data.get(), Qt::LeftButton, {});
    QApplication::sendEvent(list->viewport(), &enterAgain);
    QDragMoveEvent overSecond(pointOf(list, list->model()->index(1, 0)), offered, data.get(), Qt::LeftButton, {});
    QApplication::sendEvent(list->viewport(), &overSecond);
    ASSERT_TRUE(zelk::test::waitUntil([&] { return second->hasEditor(); }));
    EXPECT_FALSE(first->hasEditor());
    // Released on the row: nothing changes.
    QDropEvent released(QPointF(pointOf(list, list->model()->index(1, 0))), offered, data.get(), Qt::LeftButton, {});
    QApplication::sendEvent(list->viewport(), &released);
    EXPECT_FALSE(released.isAccepted());
    EXPECT_TRUE(second->launchersDictArray().isEmpty());
    QVEObjectsViewer::setSpringLoadedDelay(1000);
}

TEST_F(MainListsTest, OnlyExchangeFilesFirstInTheDragAreImported)
{
    showWindow();
    StripedTableView* list = table(1);
    QMimeData other;
    other.setUrls({QUrl::fromLocalFile("/tmp/notes.txt"), QUrl::fromLocalFile(fixture("exchange/menus.zlex"))});
    EXPECT_FALSE(drop(list, list->viewport()->rect().center(), &other).moveAccepted);
    EXPECT_TRUE(QVEMenusManager::sharedManager().allMenusArray().isEmpty());
    QMimeData exchange;
    exchange.setUrls({QUrl::fromLocalFile(fixture("exchange/menus.zlex")), QUrl::fromLocalFile("/tmp/notes.txt")});
    EXPECT_TRUE(drop(list, list->viewport()->rect().center(), &exchange).dropAccepted);
    EXPECT_FALSE(QVEMenusManager::sharedManager().allMenusArray().isEmpty());
}

// --- The contexts pane ------------------------------------------------------------------------------

TEST_F(MainListsTest, CutPutsTheContextsOnTheClipboardThenDeletesThem)
{
    QVContext* gone = addAppContext("/gone.desktop", 3);
    const QVariantMap record = gone->dictValue();
    const quint32 id = gone->IDValue();
    QVEContextsManager::sharedManager().reloadContexts();
    showWindow();
    QVEContextsViewer* pane = window->contextsViewer();
    pane->objectsTable()->setFocus();
    TableCommandGate& gate = TableCommandGate::sharedGate();
    EXPECT_FALSE(gate.action("cut")->isEnabled());
    // A reload gives the focused outline a fresh model; the gate follows
    // its selection all the same.
    QVEContextsManager::sharedManager().reloadContexts();
    pane->showItem(gone);
    ASSERT_TRUE(gate.action("cut")->isEnabled());
    gate.action("cut")->trigger();
    EXPECT_EQ(QVEContextsManager::sharedManager().contextWithID(id), nullptr);
    const std::optional<QVariantList> onClipboard = recordsFromPasteboard(generalPasteboard(), "QVContextPboardType");
    ASSERT_TRUE(onClipboard);
    EXPECT_EQ(*onClipboard, QVariantList({record}));
    // Undoable through the contexts manager.
    QVEContextsManager::sharedManager().undoManager()->undo();
    EXPECT_NE(QVEContextsManager::sharedManager().contextWithID(id), nullptr);
}

TEST_F(MainListsTest, TheUniversalRowCopiesButNeverCuts)
{
    showWindow();
    QVEContextsViewer* pane = window->contextsViewer();
    pane->objectsTable()->setFocus();
    pane->showItem(store->contextWithID(0));
    ASSERT_EQ(pane->selectedObject(), store->contextWithID(0));
    TableCommandGate& gate = TableCommandGate::sharedGate();
    gate.refresh();
    EXPECT_FALSE(gate.action("cut")->isEnabled());
    EXPECT_FALSE(gate.action("clear")->isEnabled());
    EXPECT_TRUE(gate.action("copy")->isEnabled());
    EXPECT_TRUE(gate.action("export")->isEnabled());
    EXPECT_TRUE(gate.action("edit")->isEnabled());
}

TEST_F(MainListsTest, OnlyContextRowsAndTheUniversalRowAreDragged)
{
    QVContext* mail = addAppContext("/mail.desktop", 1);
    showWindow();
    ContextsOutlineModel* model = window->contextsViewer()->model();
    const QModelIndex universal = model->indexOfGroup(0);
    const QModelIndex context = model->indexOfContext(mail);
    const std::unique_ptr<QMimeData> two(model->mimeData({context, universal}));
    ASSERT_TRUE(two);
    const std::optional<QVariantList> records = recordsFromPasteboard(two.get(), "QVContextPboardType");
    ASSERT_TRUE(records);
    EXPECT_EQ(*records, QVariantList({store->contextWithID(0)->dictValue(), mail->dictValue()}));
    EXPECT_EQ(std::unique_ptr<QMimeData>(model->mimeData({model->index(0, 0)})), nullptr);
    EXPECT_EQ(std::unique_ptr<QMimeData>(model->mimeData({context, model->indexOfGroup(1)})), nullptr);
}

TEST_F(MainListsTest, TheGroupsFollowAddedContextsAndTheRowsFilterTheList)
{
    QVContext* mail = addAppContext("/mail.desktop", 1);
    shortcut("everywhere", {0});
    shortcut("in mail", {mail->IDValue()});
    showWindow();
    QVEContextsViewer* pane = window->contextsViewer();
    ContextsOutlineModel* model = pane->model();
    // All objects, universal, type 1; no group of type 2 yet.
    EXPECT_EQ(model->rowCount(), 3);
    EXPECT_FALSE(model->indexOfGroup(2).isValid());
    QVEContextsManager::sharedManager().newContextForType(2);
    ASSERT_TRUE(model->indexOfGroup(2).isValid());
    EXPECT_EQ(model->rowCount(model->indexOfGroup(2)), 1);
    pane->objectsTable()->selectionModel()->setCurrentIndex(model->index(0, 0), QItemSelectionModel::ClearAndSelect);
    EXPECT_EQ(shownNames(viewer(1)), QStringList({"everywhere", "in mail"}));
    auto* deleteButton = window->window()->findChild<QAbstractButton*>("CVDeleteButton");
    ASSERT_NE(deleteButton, nullptr);
    EXPECT_FALSE(deleteButton->isEnabled());
    pane->showItem(mail);
    EXPECT_EQ(shownNames(viewer(1)), QStringList({"in mail"}));
    EXPECT_TRUE(deleteButton->isEnabled());
    pane->showItem(store->contextWithID(0));
    EXPECT_EQ(shownNames(viewer(1)), QStringList({"everywhere"}));
    EXPECT_FALSE(deleteButton->isEnabled());
}

TEST_F(MainListsTest, TheModelsHoldTogetherThroughNoticesAndFilters)
{
    QVContext* mail = addAppContext("/mail.desktop", 1);
    shortcut("one", {mail->IDValue()});
    shortcut("two");
    showWindow();
    QAbstractItemModelTester contexts(window->contextsViewer()->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    QAbstractItemModelTester shortcuts(table(1)->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    QVEContextsManager::sharedManager().newContextForType(3);
    answerAlerts({1}); // the context is used: delete all the same
    QVEContextsManager::sharedManager().delContextsID({mail->IDValue()}, false);
    QVEContextsManager::sharedManager().reloadContexts();
    window->searchField()->setText("o");
    QVEShortcutsManager::sharedManager().newShortcut();
    viewer(1)->tableViewShouldSelectTableColumn(2);
    EXPECT_EQ(window->contextsViewer()->model()->rowCount(), 3);
}

TEST_F(MainListsTest, AnApplicationDroppedOnATypeGroupBecomesAContext)
{
    addAppContext("/other.desktop", 1);
    showWindow();
    QVEContextsViewer* pane = window->contextsViewer();
    QVEOutlineView* outline = pane->objectsTable();
    struct Case {
        QString file;
        QString name;
    };
    for (const Case& c : {Case{"/usr/share/applications/Mail.app", "Mail"},
                          Case{"/usr/share/applications/gedit.desktop", "gedit"},
                          Case{"/opt/tool.sh", "tool.sh"}}) {
        QMimeData file;
        file.setUrls({QUrl::fromLocalFile(c.file)});
        const DropResult result = drop(outline, pointOf(outline, pane->model()->indexOfGroup(1)), &file);
        EXPECT_TRUE(result.dropAccepted) << c.file.toStdString();
        QVContext* made = QVEContextsManager::sharedManager().contextWithID(QVContext::currentContextID() - 1);
        ASSERT_NE(made, nullptr);
        EXPECT_EQ(made->nameValue(), c.name);
        EXPECT_EQ(made->contextType(), 1);
        EXPECT_EQ(made->paramsDict().value("contextactivatedapplication").toString(), c.name);
    }
    // Each made context is an undo step of the contexts manager.
    const quint32 last = QVContext::currentContextID() - 1;
    QUndoStack* undo = QVEContextsManager::sharedManager().undoManager();
    EXPECT_EQ(undo->count(), 3);
    undo->undo();
    EXPECT_EQ(QVEContextsManager::sharedManager().contextWithID(last), nullptr);
    // Files elsewhere than on a type group are refused.
    QMimeData file;
    file.setUrls({QUrl::fromLocalFile("/opt/x.app")});
    EXPECT_FALSE(drop(outline, pointOf(outline, pane->model()->index(0, 0)), &file).moveAccepted);
}

} // namespace
