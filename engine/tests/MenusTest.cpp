// The engine's menus: QMenu trees built from records (submenus, a stored
// cycle, missing objects), activation, the tray items and the pop-up.
#include "MenuPaletteTestSupport.h"

#include <QBuffer>
#include <QCursor>
#include <QSystemTrayIcon>

using namespace menutest;
using engine::QVStatusItem;
using engine::QVStatusItemManager;
using zelk::test::waitUntil;

namespace {

QByteArray pngOfSize(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return data;
}

} // namespace

TEST_F(MenuPaletteTest, MenuOfEveryItemKindBecomesAQMenuTree)
{
    loadObjects();
    loadMenus({
        menuRecord(1, "Main",
                   {menuItem(1, 10), menuItem(0), menuItem(0, 0, "Tools"), menuItem(2, 3), menuItem(3, 2),
                    menuItem(2, 1, {}, false), menuItem(1, 99), menuItem(2, 98), menuItem(3, 97), menuItem(7, 1)}),
        menuRecord(2, "More", {menuItem(2, 2), menuItem(3, 3)}),
        menuRecord(3, "Deeper", {menuItem(1, 11)}),
    });
    const auto main = menu(1);
    ASSERT_TRUE(main && main->menuValue());
    // Inactive items and items whose object is missing are left out.
    EXPECT_EQ(entries(main->menuValue()),
              QStringList({"Run Alpha", "-", "(Tools)", "Gamma", "More >[Beta, Deeper >[Run Beta]]"}));
    EXPECT_EQ(main->menuValue()->title(), "Main");
}

TEST_F(MenuPaletteTest, StoredSubmenuCyclesAreCutWhereAMenuWouldHoldItself)
{
    loadObjects();
    LogCapture log;
    // A -> B -> A, C -> C, and D holding B twice (not a cycle).
    loadMenus({
        menuRecord(1, "A", {menuItem(1, 10), menuItem(3, 2)}),
        menuRecord(2, "B", {menuItem(1, 11), menuItem(3, 1)}),
        menuRecord(3, "C", {menuItem(2, 1), menuItem(3, 3)}),
        menuRecord(4, "D", {menuItem(3, 2), menuItem(3, 2)}),
    });
    ASSERT_TRUE(menu(1) && menu(2) && menu(3) && menu(4));
    EXPECT_EQ(entries(menu(1)->menuValue()), QStringList({"Run Alpha", "B >[Run Beta]"}));
    EXPECT_EQ(entries(menu(2)->menuValue()), QStringList({"Run Beta", "A >[Run Alpha]"}));
    EXPECT_EQ(entries(menu(3)->menuValue()), QStringList({"Alpha"}));
    EXPECT_EQ(entries(menu(4)->menuValue()),
              QStringList({"B >[Run Beta, A >[Run Alpha]]", "B >[Run Beta, A >[Run Alpha]]"}));
    EXPECT_TRUE(log.contains("submenu 'C' holds this menu")) << log.lines().join("\n").toStdString();
}

TEST_F(MenuPaletteTest, ChoosingAnEntryRunsItsShortcutOrAction)
{
    loadObjects();
    loadMenus({menuRecord(1, "Main", {menuItem(1, 10), menuItem(3, 2)}), menuRecord(2, "Sub", {menuItem(2, 3)})});
    QMenu* built = menu(1)->menuValue();
    ASSERT_TRUE(built);
    built->actions().at(0)->trigger();
    EXPECT_TRUE(waitFor("end Alpha#1"));
    built->actions().at(1)->menu()->actions().at(0)->trigger();
    EXPECT_TRUE(waitFor("end Gamma#1"));
}

TEST_F(MenuPaletteTest, ImagesAndKeyCombinationsWhenTheMenuShowsThem)
{
    const QVariantMap key{{"launcherID", 5}, {"launchername", "Key"}, {"launchertype", 0},
                          {"launcherparams", QVariantMap{{"launcherkeycode", qint64(0x100000 | 17)}}}};
    loadObjects({key});
    QVariantMap shortcut = shortcutRecord(12, "Keyed", {{1}}, 0, 0, {0}, {5});
    engine::QVShortcutsManager::sharedManager().addShortcutObject(shortcut);
    loadMenus({menuRecord(1, "Shown", {menuItem(1, 12), menuItem(0, 0, "Label")}, {.showImage = true, .showCombo = true}),
               menuRecord(2, "Plain", {menuItem(1, 12)})});
    const QList<QAction*> shown = menu(1)->menuValue()->actions();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_TRUE(shown[0]->text().startsWith("Keyed\t")) << shown[0]->text().toStdString();
    EXPECT_TRUE(shown[0]->text().contains("Ctrl")) << shown[0]->text().toStdString();
    EXPECT_TRUE(shown[0]->shortcut().isEmpty()) << "the combination is shown, not bound";
    EXPECT_FALSE(shown[0]->icon().isNull());
    EXPECT_EQ(menu(2)->menuValue()->actions().at(0)->text(), "Keyed");
    EXPECT_TRUE(menu(2)->menuValue()->actions().at(0)->icon().isNull());
}

TEST_F(MenuPaletteTest, ANamelessShortcutGetsAPlaceholderTitle)
{
    load({actionRecord(1, "Alpha")}, {shortcutRecord(10, "", {{1}})});
    LogCapture log;
    loadMenus({menuRecord(1, "Main", {menuItem(1, 10)})});
    EXPECT_EQ(entries(menu(1)->menuValue()), QStringList({"bad shortcut name"}));
    EXPECT_TRUE(log.contains("menuTitleString = nil, kQVMenuItemTypeShortcut"));
}

TEST_F(MenuPaletteTest, StoredImageIsScaledToThirtyTwoWide)
{
    struct Case {
        QSize stored;
        QSize kept;
    };
    const Case cases[] = {{{16, 16}, {32, 32}}, {{32, 20}, {32, 20}}, {{64, 10}, {32, 32}}};
    loadObjects();
    for (const Case& c : cases) {
        QVariantMap record = menuRecord(1, "Image", {});
        record.insert("menuimage", pngOfSize(c.stored.width(), c.stored.height()));
        loadMenus({record});
        EXPECT_EQ(menu(1)->imageValue().size(), c.kept) << c.stored.width() << "x" << c.stored.height();
    }
    loadMenus({menuRecord(1, "Default", {})});
    EXPECT_EQ(menu(1)->imageValue().size(), QSize(32, 32)) << "the default image";
}

TEST_F(MenuPaletteTest, ActivationIsCountedAndTheTrayItemFollowsIt)
{
    loadObjects();
    engine::QVMenusManager::sharedManager().setMenus({menuRecord(1, "Bar", {menuItem(1, 10), menuItem(1, 11)}, {.inBar = true}, {})});
    const auto bar = menu(1);
    QVStatusItemManager& items = QVStatusItemManager::sharedManager();
    bar->setObjectActivated(false);
    EXPECT_FALSE(bar->isActive());
    EXPECT_EQ(bar->activatedCount(), 0) << "a NO at 0 changes nothing";
    bar->setObjectActivated(true);
    bar->setObjectActivated(true);
    bar->setObjectActivated(false);
    EXPECT_TRUE(bar->isActive());
    EXPECT_TRUE(items.isStatusItemForID(1));
    bar->setObjectActivated(false);
    EXPECT_FALSE(bar->isActive());
    EXPECT_FALSE(items.isStatusItemForID(1));
}

TEST_F(MenuPaletteTest, SingleItemInTheBarActsAsAButton)
{
    loadObjects();
    loadMenus({menuRecord(1, "One", {menuItem(1, 10)}, {.inBar = true, .nameInBar = true})});
    QVStatusItem* item = QVStatusItemManager::sharedManager().statusItemForID(1);
    ASSERT_TRUE(item);
    EXPECT_EQ(item->title(), "Run Alpha");
    EXPECT_EQ(item->toolTip(), "Run Alpha") << "the tray shows the title as its tool tip";
    EXPECT_EQ(item->length(), QVStatusItem::VariableLength);
    EXPECT_EQ(item->menu(), nullptr);
    EXPECT_FALSE(item->highlightMode());
    item->click();
    EXPECT_TRUE(waitFor("end Alpha#1")) << "the click runs the shortcut without a menu";
}

TEST_F(MenuPaletteTest, SeveralItemsInTheBarOpenTheMenu)
{
    struct Case {
        bool imageInBar;
        bool nameInBar;
        bool image;
        QString title;
        double length;
    };
    const Case cases[] = {
        {false, false, false, "", QVStatusItem::SquareLength},
        {true, false, true, "", QVStatusItem::SquareLength},
        {true, true, true, "Two", QVStatusItem::VariableLength},
    };
    loadObjects();
    for (const Case& c : cases) {
        loadMenus({menuRecord(1, "Two", {menuItem(1, 10), menuItem(2, 1)},
                              {.inBar = true, .imageInBar = c.imageInBar, .nameInBar = c.nameInBar})});
        QVStatusItemManager::sharedManager().verifyItems();
        QVStatusItem* item = QVStatusItemManager::sharedManager().statusItemForID(1);
        ASSERT_TRUE(item);
        EXPECT_EQ(!item->image().isNull(), c.image) << c.imageInBar << c.nameInBar;
        EXPECT_EQ(item->title(), c.title);
        EXPECT_EQ(item->toolTip(), "Two") << "the name is the tool tip when not shown";
        EXPECT_EQ(item->length(), c.length);
        EXPECT_EQ(item->menu(), menu(1)->menuValue());
        EXPECT_TRUE(item->highlightMode());
        ASSERT_TRUE(item->trayIcon());
        EXPECT_FALSE(item->trayIcon()->icon().isNull()) << "a tray item without an icon is not seen";
        EXPECT_EQ(item->trayIcon()->contextMenu(), menu(1)->menuValue());
    }
}

TEST_F(MenuPaletteTest, TrayItemOutlivesAReloadWhileItsMenuStillWantsIt)
{
    loadObjects();
    QVStatusItemManager& items = QVStatusItemManager::sharedManager();
    loadMenus({menuRecord(1, "Kept", {menuItem(1, 10), menuItem(1, 11)}, {.inBar = true}),
               menuRecord(2, "Dropped", {menuItem(1, 10), menuItem(1, 11)}, {.inBar = true})});
    QVStatusItem* kept = items.statusItemForID(1);
    ASSERT_TRUE(items.isStatusItemForID(2));

    // The reload: menu 1 renamed, menu 2 no longer in the bar.
    engine::QVMenusManager::sharedManager().resetMenus();
    engine::QVMenusManager::sharedManager().setMenus(
        {menuRecord(1, "Renamed", {menuItem(1, 10), menuItem(1, 11)}, {.inBar = true}),
         menuRecord(2, "Dropped", {menuItem(1, 10), menuItem(1, 11)})});
    switchUniversal();
    items.verifyItems();
    EXPECT_EQ(items.statusItemForID(1), kept);
    EXPECT_EQ(kept->toolTip(), "Renamed");
    EXPECT_EQ(kept->menu(), menu(1)->menuValue()) << "the item shows the rebuilt menu";
    EXPECT_FALSE(items.isStatusItemForID(2));
}

TEST_F(MenuPaletteTest, RunPopsTheMenuUpAtThePointerOnlyWhileActive)
{
    loadObjects();
    engine::QVMenusManager::sharedManager().setMenus({menuRecord(1, "Pop", {menuItem(1, 10), menuItem(1, 11)})});
    QMenu* built = menu(1)->menuValue();
    ASSERT_TRUE(built);
    menu(1)->runObject();
    EXPECT_FALSE(waitUntil([&] { return built->isVisible(); }, 300)) << "an inactive menu does not pop up";

    switchUniversal();
    QCursor::setPos(200, 150);
    menu(1)->runObject();
    ASSERT_TRUE(waitUntil([&] { return built->isVisible(); }));
    EXPECT_LE((built->geometry().topLeft() - QPoint(200, 150)).manhattanLength(), 4);
    built->actions().at(1)->trigger();
    built->hide();
    EXPECT_TRUE(waitFor("end Beta#1"));
}

TEST_F(MenuPaletteTest, MenusAreListedInFileOrderAndFoundByID)
{
    loadObjects();
    loadMenus({menuRecord(4, "Four", {}), menuRecord(2, "Two", {})});
    const auto menus = engine::QVMenusManager::sharedManager().menusArray();
    ASSERT_EQ(menus.size(), 2);
    EXPECT_EQ(menus[0]->name(), "Four");
    EXPECT_EQ(menus[1]->menuID(), 2u);
    EXPECT_EQ(menu(3), nullptr);
}
