// The main window: its layout saved and restored, the tabs, the buttons,
// revealing objects, the close question and the editor windows' animation.
#include "ListsTestSupport.h"

#include "QVAnimationWindow.h"

#include <QMenu>
#include <QTabWidget>
#include <QTest>

using namespace editor;
using namespace editor::test;

namespace {

class FakeApplication : public QVEWindowApplication {
public:
    void MIUpdateNow() override { calls << "MIUpdateNow"; }
    bool lastSaveFailed() const override { return saveFails; }
    void readPrefs() override { calls << "readPrefs"; }
    void MILibrary() override { calls << "MILibrary"; }
    void showHelpWithSubject(const QString& subject) override { calls << "help " + subject; }
    bool dontAnimateEditingWindow() const override { return dontAnimate; }
    void terminate() override { calls << "terminate"; }
    QMenu* menuForObjects(const QList<zelk::QVEMainObject*>& objects) override
    {
        linkedAsked << objects;
        return &linkedMenu;
    }

    QStringList calls;
    bool saveFails = false;
    QList<QList<zelk::QVEMainObject*>> linkedAsked;
    QMenu linkedMenu;
    bool dontAnimate = true;
};

class WindowTest : public ListsTest {
protected:
    QVEWindow& showWindowWithApplication(const QVariantMap& windowPref = {})
    {
        QVEWindow& shown = showWindow(windowPref);
        shown.setApplication(&application);
        return shown;
    }
    QTabWidget* tabs() const { return window->window()->findChild<QTabWidget*>("QVWMainTabView"); }

    FakeApplication application;
};

TEST_F(WindowTest, TheLayoutIsSavedAndRestored)
{
    QVContext* mail = addAppContext("/mail.desktop", 1);
    showWindowWithApplication();
    window->contextsViewer()->showItem(mail);
    viewer(2)->sortByOrder(1);
    const QVariantMap saved = window->windowPref();
    EXPECT_EQ(saved.value("mainobject").toInt(), 1);
    EXPECT_EQ(saved.value("selectedcontextid").toUInt(), mail->IDValue());
    ASSERT_EQ(saved.value("mainobjectsselection").toList().size(), 3);
    EXPECT_EQ(saved.value("mainobjectsselection").toList()[1].toMap().value("sortorder").toInt(), 1);

    QVariantMap changed = saved;
    changed.insert("mainobject", 3);
    showWindowWithApplication(changed);
    EXPECT_EQ(window->currentIdentifier(), 3);
    EXPECT_EQ(tabs()->currentIndex(), 2);
    EXPECT_TRUE(viewer(3)->isConnected());
    EXPECT_FALSE(viewer(1)->isConnected());
    EXPECT_EQ(viewer(2)->sortOrder(), 1);
    EXPECT_EQ(window->selectedContext(), mail);
    EXPECT_EQ(window->windowPref().value("rect2"), saved.value("rect2"));
}

TEST_F(WindowTest, TheAllObjectsRowSavesNoContextAndAStoredTabAlreadyShownIsConnected)
{
    showWindowWithApplication({{"rect2", "{{20, 30}, {640, 420}}"}, {"mainobject", 1}});
    EXPECT_TRUE(viewer(1)->isConnected());
    EXPECT_EQ(window->currentIdentifier(), 1);
    QVEContextsViewer* pane = window->contextsViewer();
    pane->objectsTable()->selectionModel()->setCurrentIndex(pane->model()->index(0, 0),
                                                            QItemSelectionModel::ClearAndSelect);
    EXPECT_EQ(window->selectedContext(), nullptr);
    EXPECT_EQ(window->windowPref().value("selectedcontextid").toUInt(), 999999u);
}

TEST_F(WindowTest, SwitchingTabsClearsTheSearchAndTheListsNameFilter)
{
    shortcut("Mail");
    shortcut("Notes");
    showWindowWithApplication();
    window->searchField()->setText("mail");
    ASSERT_EQ(viewer(1)->shownCount(), 1);
    tabs()->setCurrentIndex(1);
    EXPECT_EQ(window->currentIdentifier(), 2);
    EXPECT_TRUE(window->searchField()->text().isEmpty());
    EXPECT_EQ(viewer(1)->searchString(), QString());
    tabs()->setCurrentIndex(0);
    EXPECT_EQ(viewer(1)->shownCount(), 2);
}

TEST_F(WindowTest, AddingLinksTheNewObjectToTheSelectedContextOnly)
{
    QVContext* mail = addAppContext("/mail.desktop", 1);
    showWindowWithApplication();
    QVEContextsViewer* pane = window->contextsViewer();
    pane->objectsTable()->selectionModel()->setCurrentIndex(pane->model()->index(0, 0),
                                                            QItemSelectionModel::ClearAndSelect);
    window->addMainObject();
    QList<QVShortcut*> all = QVEShortcutsManager::sharedManager().allShortcutsArray();
    ASSERT_EQ(all.size(), 1);
    // The manager's new shortcut: the universal context only.
    EXPECT_EQ(all.last()->contextsDictArray(), contextRefs({0}));
    pane->showItem(mail);
    window->addMainObject();
    all = QVEShortcutsManager::sharedManager().allShortcutsArray();
    ASSERT_EQ(all.size(), 2);
    EXPECT_EQ(all.last()->contextsDictArray(), contextRefs({mail->IDValue()}));
}

TEST_F(WindowTest, RevealingAnObjectSwitchesTabAndSelectsItsContextAndRow)
{
    QVContext* mail = addAppContext("/mail.desktop", 1);
    QVMenu* loose = menu("loose");
    loose->setContextsDictArray({});
    QVariantMap record = QVMenu::newData();
    record.insert("menuname", "in mail");
    record.insert("menucontexts", contextRefs({mail->IDValue()}));
    QVMenu* inMail = store->addMenu(record);
    showWindowWithApplication();
    window->showMainObject(loose);
    EXPECT_EQ(window->currentIdentifier(), 2);
    EXPECT_TRUE(viewer(2)->selectedObjectsIDArray().isEmpty());
    window->showMainObject(inMail);
    EXPECT_EQ(window->selectedContext(), mail);
    EXPECT_EQ(viewer(2)->selectedObjectsIDArray(), QList<quint32>({inMail->IDValue()}));
}

TEST_F(WindowTest, ClosingAsksAndOnlyTheAnswersThatQuitLetTheWindowGo)
{
    showWindowWithApplication();
    answerAlerts({0});
    EXPECT_FALSE(window->window()->close());
    EXPECT_TRUE(window->window()->isVisible());
    EXPECT_TRUE(application.calls.isEmpty());
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].title, loc("VouloirQuitter"));

    answerAlerts({-1});
    EXPECT_TRUE(window->windowShouldClose());
    ASSERT_TRUE(zelk::test::waitUntil([&] { return application.calls.contains("terminate"); }));
    EXPECT_EQ(application.calls, QStringList({"readPrefs", "terminate"}));

    application.calls.clear();
    answerAlerts({1});
    EXPECT_TRUE(window->window()->close());
    ASSERT_TRUE(zelk::test::waitUntil([&] { return application.calls.contains("terminate"); }));
    EXPECT_EQ(application.calls, QStringList({"MIUpdateNow", "terminate"}));
}

TEST_F(WindowTest, AFailedSaveOnClosingKeepsTheWindowAndTheApplication)
{
    showWindowWithApplication();
    application.saveFails = true;
    answerAlerts({1});
    EXPECT_FALSE(window->window()->close());
    EXPECT_TRUE(window->window()->isVisible());
    EXPECT_EQ(application.calls, QStringList({"MIUpdateNow"}));
}

TEST_F(WindowTest, EditorWindowsGrowOutOfTheirRowOnlyWhenAnimationIsOn)
{
    QVShortcut* listed = shortcut("listed");
    showWindowWithApplication();
    const QRect frame(100, 120, 300, 200);
    QVAnimationWindow editorWindow;
    window->maybeAnimateOpen(&editorWindow, frame, listed);
    EXPECT_EQ(editorWindow.geometry(), frame);
    editorWindow.hide();

    application.dontAnimate = false;
    ASSERT_TRUE(window->locationOfObject(listed).has_value());
    EXPECT_FALSE(window->locationOfObject(store->contextWithID(0)).has_value());
    window->maybeAnimateOpen(&editorWindow, frame, listed);
    EXPECT_TRUE(zelk::test::waitUntil([&] { return editorWindow.geometry() == frame; }));
    window->maybeAnimateClose(&editorWindow, listed);
    EXPECT_EQ(editorWindow.geometry().size(), QSize(1, 1));
}

TEST_F(WindowTest, TheLibraryAndHelpGoToTheApplication)
{
    showWindowWithApplication();
    window->displayLibrary();
    window->showHelp();
    EXPECT_EQ(application.calls, QStringList({"MILibrary", "help Zelk Overview"}));
}

} // namespace

namespace {

TEST_F(WindowTest, AClickOnTheUsedIconListsTheObjectsThatLinkToTheShortcut)
{
    QVShortcut* used = shortcut("used");
    shortcut("alone");
    QVariantMap record = QVMenu::newData();
    record.insert("menuname", "holder");
    record.insert("menuitems", QVariantList{menuItem(1, used->IDValue())});
    QVMenu* holder = store->addMenu(record);
    ASSERT_TRUE(used->isUsed());
    showWindowWithApplication();
    StripedTableView* list = table(1);
    const QRect usedCell = list->visualRect(list->model()->index(1, 3));
    const QRect aloneCell = list->visualRect(list->model()->index(0, 3));
    ASSERT_EQ(viewer(1)->objectAtShownRow(1), used);
    // Beside the icon, and on the icon of a shortcut nothing uses: nothing.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, usedCell.topLeft() + QPoint(1, 1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, aloneCell.center());
    EXPECT_TRUE(application.linkedAsked.isEmpty());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, usedCell.center());
    ASSERT_EQ(application.linkedAsked.size(), 1);
    EXPECT_EQ(application.linkedAsked.first(), QList<zelk::QVEMainObject*>({holder}));
    EXPECT_TRUE(application.linkedMenu.isVisible());
    application.linkedMenu.hide();
}

} // namespace
