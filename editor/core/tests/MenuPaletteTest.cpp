// Menus and palettes: records, icons, the pop-up, links of their items,
// deletes with their objects (submenu cycles included) and list columns.
#include "EditorTestSupport.h"

#include <QAction>
#include <QMenu>
#include <memory>

namespace editor::test {
namespace {

using MenuTest = EditorTest;

TEST_F(MenuTest, NewRecordTakesTheClassDefaults)
{
    QVMenu::defaults() = {};
    QVariantMap record = QVMenu::newData();
    for (const char* flag : {"menuinbar", "menuimageinbar", "menunameinbar", "menushowimage", "menushowcombo"})
        EXPECT_FALSE(record.value(flag).toBool()) << flag;
    EXPECT_TRUE(record.value("menuimageistemplate").toBool());
    EXPECT_EQ(record.value("menucontexts").toList(), contextRefs({0}));
    EXPECT_EQ(record.size(), 13);
    QVMenu::defaults().inBar = true;
    QVMenu::defaults().showCombo = true;
    record = QVMenu::newData();
    EXPECT_TRUE(record.value("menuinbar").toBool());
    EXPECT_TRUE(record.value("menushowcombo").toBool());
    QVMenu::defaults() = {};
}

TEST_F(MenuTest, IconRules)
{
    QVariantMap record = QVMenu::newData();
    record.insert("menuimageistemplate", false);
    QVMenu* menu = store->addMenu(record);
    EXPECT_TRUE(menu->imageIsTemplate()) << "the default icon is a template";
    EXPECT_TRUE(menu->dictValue().value("menuimageistemplate").toBool());
    EXPECT_EQ(menu->imageValue().size(), QSize(32, 32));

    QImage small(16, 16, QImage::Format_ARGB32);
    small.fill(Qt::red);
    menu->setImageIsTemplate(false);
    menu->setImageValue(small);
    EXPECT_EQ(QImage::fromData(menu->dictValue().value("menuimage").toByteArray()).size(), QSize(16, 16));
    EXPECT_EQ(menu->imageValue().size(), QSize(32, 32));
    EXPECT_FALSE(menu->imageIsTemplate()) << "setting an image leaves the flag alone";
}

TEST_F(MenuTest, PopUpMenu)
{
    addAction(1, "Say hello");
    QVLauncher* key = addKeyLauncher(0x100000 + 17);
    QVShortcut* keyed = addShortcut({}, {key->IDValue()});
    QVShortcut* unkeyed = addShortcut({});
    keyed->setNameValue("Keyed");
    unkeyed->setNameValue("Unkeyed");
    QVariantMap inactive = menuItem(2, 1);
    inactive.insert("menuitemactive", false);
    QVMenu* menu = addMenu({menuItem(0, 0, ""), menuItem(0, 0, "Tools"), menuItem(1, keyed->IDValue()),
                            menuItem(1, unkeyed->IDValue()), inactive, menuItem(2, 1), menuItem(2, 999)});
    menu->setShowCombo(true);
    std::unique_ptr<QMenu> built(menu->menuValue());
    const QList<QAction*> entries = built->actions();
    ASSERT_EQ(entries.size(), 5) << "inactive items and missing objects add nothing";
    EXPECT_TRUE(entries[0]->isSeparator());
    EXPECT_EQ(entries[1]->text(), "Tools");
    EXPECT_FALSE(entries[1]->isEnabled()) << "a label is shown disabled";
    EXPECT_EQ(entries[2]->text(), "Keyed\tCtrl+t");
    EXPECT_EQ(entries[3]->text(), "Unkeyed") << "no key-combination launcher, no key";
    EXPECT_EQ(entries[4]->text(), "Say hello");
    EXPECT_EQ(store->actionWithID(1)->linkedObjects().count(menu), 2) << "the inactive item is linked too";
}

TEST_F(MenuTest, ItemsOfOneActionLinkTwiceAndLeaveOneByOne)
{
    zelk::QVEAction* action = addAction(3);
    QVMenu* menu = addMenu({menuItem(2, 3), menuItem(0, 0, "x"), menuItem(2, 3)});
    EXPECT_EQ(action->linkedObjects().count(menu), 2);
    menu->removeAuxObjects({action});
    EXPECT_EQ(action->linkedObjects().count(menu), 1);
    EXPECT_EQ(menu->itemsDictArray(), (QVariantList{menuItem(0, 0, "x"), menuItem(2, 3)}));

    QVLauncher* launcher = addKeyLauncher(0x100000 + 5);
    menu->addAuxObjects({launcher, launcher, action});
    EXPECT_EQ(menu->launchersDictArray().size(), 1);
    EXPECT_EQ(menu->itemsDictArray().size(), 3);
}

TEST_F(MenuTest, ASubmenuInUseIsNotDeleted)
{
    QVMenu* sub = addMenu({});
    addMenu({menuItem(3, sub->IDValue())});
    addMenu({menuItem(3, sub->IDValue())});
    EXPECT_FALSE(sub->canDeleteWithMessage(true));
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, "Other menus use it as a submenu 2 time(s).");
}

TEST_F(MenuTest, DeleteWithObjectsKeepsWhatAnotherMenuUses)
{
    QVShortcut* shared = addShortcut({});
    QVShortcut* own = addShortcut({});
    addAction(1);
    QVMenu* doomed = addMenu({menuItem(1, shared->IDValue()), menuItem(1, own->IDValue()), menuItem(2, 1)});
    QVMenu* other = addMenu({menuItem(1, shared->IDValue())});
    const quint32 ownID = own->IDValue();
    store->delMenusID({doomed->IDValue()}, true, true, false);
    EXPECT_EQ(store->count(ObjectsFile::Menus), 1);
    EXPECT_EQ(store->shortcutWithID(ownID), nullptr);
    EXPECT_EQ(store->actionWithID(1), nullptr);
    ASSERT_EQ(store->shortcutWithID(shared->IDValue()), shared);
    EXPECT_EQ(shared->linkedObjects(), QList<zelk::QVEMainObject*>{other});
}

// Menus holding each other in a ring of the given length.
std::vector<QVMenu*> ring(ObjectStore& store, int length, bool withActions)
{
    std::vector<QVMenu*> menus;
    for (int i = 0; i < length; ++i) {
        QVariantMap record = QVMenu::newData();
        record.insert("menuname", QStringLiteral("Ring %1").arg(i));
        menus.push_back(store.addMenu(record));
    }
    for (int i = 0; i < length; ++i) {
        QVariantList items{menuItem(3, menus[(i + 1) % length]->IDValue())};
        if (withActions)
            items << menuItem(2, 100 + i);
        menus[i]->setItemsDictArray(items);
    }
    return menus;
}

TEST_F(MenuTest, SubmenuCyclesEnd)
{
    for (int length : {1, 2, 3}) {
        for (int i = 0; i < length; ++i)
            addAction(100 + i);
        const std::vector<QVMenu*> menus = ring(*store, length, true);
        std::unique_ptr<QMenu> built(menus[0]->menuValue());
        int depth = 0;
        QMenu* m = built.get();
        while (!m->actions().isEmpty() && m->actions().first()->menu()) {
            m = m->actions().first()->menu();
            ASSERT_LE(++depth, length) << "the pop-up goes round the ring of " << length;
        }
        EXPECT_EQ(depth, length) << "each menu once, then the closing entry";
        EXPECT_TRUE(m->actions().isEmpty());
        EXPECT_FALSE(m->isEnabled());

        // The menus manager deletes the first after its question: the
        // cascade goes round the ring once and stops where it began.
        EXPECT_FALSE(menus[0]->canDeleteWithMessage(false)) << "the last menu of the ring holds it";
        menus[0]->willDeleteWithAuxObjects(true);
        EXPECT_EQ(store->count(ObjectsFile::Menus), 1) << length << ": only the first is left to its manager";
        EXPECT_EQ(store->count(ObjectsFile::Actions), 0) << length;
        EXPECT_FALSE(menus[0]->isUsed());
        store->clear();
        resetCounters();
        store->addContext(QVContext::newDataForType(0));
    }
}

TEST_F(MenuTest, DeletingAMenuThatHoldsItselfEnds)
{
    addAction(7);
    QVMenu* self = addMenu({});
    self->setItemsDictArray({menuItem(3, self->IDValue()), menuItem(2, 7)});
    EXPECT_FALSE(self->canDeleteWithMessage(false));
    self->willDeleteWithAuxObjects(true);
    EXPECT_EQ(store->actionWithID(7), nullptr);
    EXPECT_FALSE(self->isUsed());
}

TEST_F(MenuTest, ItemsColumn)
{
    QVMenu* menu = addMenu({});
    EXPECT_EQ(menu->itemsValue(), "None");
    EXPECT_FALSE(menu->itemsImageValue().isNull());
    addAction(2, "Beep");
    menu->setItemsDictArray({menuItem(2, 2)});
    EXPECT_EQ(menu->itemsValue(), "Action “Beep”");
    menu->setItemsDictArray({menuItem(0, 0, "Tools"), menuItem(2, 2)});
    EXPECT_EQ(menu->itemsValue(), " Tools (2 in all)");
    menu->setItemsDictArray({menuItem(2, 404), menuItem(2, 2)});
    EXPECT_EQ(menu->itemsValue(), "(deleted) (2 in all)") << "a gone object still gives the format a name";
    EXPECT_EQ(menu->itemsImageValue().size(), QSize(16, 16));
    EXPECT_EQ(menu->contextsValue(), store->contextWithID(0)->nameValue());
    EXPECT_EQ(menu->launchersValue(), "None");
}

// --- Palettes ---------------------------------------------------------------------------------

using PaletteTest = EditorTest;

TEST_F(PaletteTest, NewRecordAndTheRowWidth)
{
    QVPalette::defaults() = {};
    const QVariantMap record = QVPalette::newData();
    EXPECT_EQ(record.size(), 15);
    EXPECT_FALSE(record.value("paletteshowactive").toBool());
    EXPECT_FALSE(record.value("palettetitleoutside").toBool());
    EXPECT_EQ(record.value("palettelocation").toString(), "{0, 0}");
    for (const char* key : {"palettelocationorigin", "paletteoutsidetransparency", "paletteitemstype",
                            "paletteitemsimagesize", "paletteitemsfontsize"})
        EXPECT_EQ(record.value(key).toInt(), 0) << key;
    EXPECT_EQ(record.value("paletteitemsinwidth").toInt(), 1) << "a row holds at least one button";

    QVariantMap stored = record;
    stored.insert("paletteitemsinwidth", 0);
    stored.remove("palettelocation");
    QVPalette* palette = store->addPalette(stored);
    EXPECT_EQ(palette->itemsInWidth(), 1);
    EXPECT_EQ(palette->dictValue().value("paletteitemsinwidth").toInt(), 1);
    EXPECT_EQ(palette->location(), QPointF(0, 0));
    palette->setItemsInWidth(-3);
    EXPECT_EQ(palette->itemsInWidth(), 1);
    palette->setItemsInWidth(4);
    palette->setLocation(QPointF(12.5, 40));
    palette->setShowActive(true);
    EXPECT_EQ(palette->dictValue().value("paletteitemsinwidth").toInt(), 4);
    EXPECT_EQ(palette->dictValue().value("palettelocation").toString(), "{12.5, 40}");
    EXPECT_EQ(palette->showActiveValue(), "Yes");
}

TEST_F(PaletteTest, ItemsLinkAtOnceAndDeleteTakesOnlyWhatNothingElseUses)
{
    addAction(1);
    addAction(2);
    QVShortcut* own = addShortcut({});
    QVLauncher* launcher = addKeyLauncher(0x100000 + 9);
    QVariantMap inactive = paletteItem(2, 1);
    inactive.insert("paletteitemactive", false);
    QVPalette* palette = addPalette({inactive, paletteItem(2, 1), paletteItem(2, 2), paletteItem(1, own->IDValue())});
    palette->setLaunchersDictArray(launcherRefs({launcher->IDValue()}));
    addShortcut({2});
    EXPECT_EQ(store->actionWithID(1)->linkedObjects().count(palette), 2) << "the inactive item is linked too";
    EXPECT_EQ(palette->itemsValue(), "Action “Action 1” (4 in all)");

    palette->removeAuxObjects({store->actionWithID(1)});
    EXPECT_EQ(palette->itemsDictArray().size(), 3);
    EXPECT_EQ(palette->itemsDictArray().first().toMap().value("paletteitemactive").toBool(), true) << "the first one went";

    const quint32 ownID = own->IDValue();
    store->delPalettesID({palette->IDValue()}, true, false);
    EXPECT_EQ(store->actionWithID(1), nullptr);
    EXPECT_NE(store->actionWithID(2), nullptr) << "another shortcut runs it";
    EXPECT_EQ(store->shortcutWithID(ownID), nullptr);
    ASSERT_NE(store->launcherWithID(launcher->IDValue()), nullptr) << "launchers stay";
    EXPECT_FALSE(launcher->isUsed());
}

TEST_F(PaletteTest, ContextAlreadyReferencedAddsNothing)
{
    QVPalette* palette = addPalette({});
    palette->addAuxObjects({store->contextWithID(0)});
    EXPECT_EQ(palette->contextsDictArray(), contextRefs({0}));
    EXPECT_EQ(store->contextWithID(0)->linkedObjects().count(palette), 1);
}

} // namespace
} // namespace editor::test
