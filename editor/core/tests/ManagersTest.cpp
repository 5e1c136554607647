// The object managers, the model registry and the exchange-file import, on
// the virtual desktop with a temporary HOME.
#include "EditorTestSupport.h"
#include "MainObjectsListModel.h"
#include "ManagerSupport.h"
#include "NotificationCenter.h"
#include "PropertyList.h"
#include "QVEActionClass.h"
#include "QVEActionsManager.h"
#include "QVEContextsManager.h"
#include "QVEImporter.h"
#include "QVELaunchersManager.h"
#include "QVEMenusManager.h"
#include "QVEModelsManager.h"
#include "QVEPalettesManager.h"
#include "QVEPboardManager.h"
#include "QVEShortcutsManager.h"
#include "ClassRegistry.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QTableWidget>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>

namespace editor::test {
namespace {

struct Posted {
    QString name;
    QVariantMap userInfo;
};

class ManagersTest : public EditorTest {
protected:
    ManagersTest()
    {
        for (QUndoStack* stack : stacks())
            stack->clear();
        m_observer = zelk::NotificationCenter::defaultCenter().addObserver(
            {}, nullptr, [this](const zelk::Notification& n) {
                if (n.name.startsWith(QLatin1String("Update")) || n.name.startsWith(QLatin1String("Substitute")))
                    posted.push_back({n.name, n.userInfo});
            });
    }
    ~ManagersTest() override
    {
        for (QUndoStack* stack : stacks())
            stack->clear();
    }
    static QList<QUndoStack*> stacks()
    {
        return {QVEShortcutsManager::sharedManager().undoManager(), QVEMenusManager::sharedManager().undoManager(),
                QVEPalettesManager::sharedManager().undoManager(), QVELaunchersManager::sharedManager().undoManager(),
                QVEContextsManager::sharedManager().undoManager(), QVEActionsManager::sharedManager().undoManager()};
    }
    StoreSnapshot snapshot() const { return StoreSnapshot::take(*store); }
    QStringList postedNames() const
    {
        QStringList names;
        for (const Posted& p : posted)
            names << p.name;
        return names;
    }
    static QVariantMap payload(int action, const QList<quint32>& ids)
    {
        return {{"updateaction", action}, {"updateparameter", numberList(ids)}};
    }

    std::vector<Posted> posted;

private:
    zelk::ObserverHandle m_observer;
};

// --- Undo of cascades ----------------------------------------------------------------------

TEST_F(ManagersTest, ShortcutAddUndoRedoKeepsIDsAndNamesTheStep)
{
    QVEShortcutsManager& manager = QVEShortcutsManager::sharedManager();
    QVariantMap record = QVShortcut::newData();
    record.insert("cutname", "Mail");
    const StoreSnapshot before = snapshot();
    const QList<quint32> ids = manager.addShortcuts({record}, false, false);
    ASSERT_EQ(ids.size(), 1);
    EXPECT_TRUE(manager.objectWithID(ids.first())->isNew());
    EXPECT_EQ(manager.undoManager()->undoText(), locFormat("AnnulerAjouterRaccourci", {"Mail"}));
    const StoreSnapshot after = snapshot();

    manager.undoManager()->undo();
    EXPECT_EQ(snapshot(), before);
    manager.undoManager()->redo();
    EXPECT_EQ(snapshot(), after);
    EXPECT_NE(manager.objectWithID(ids.first()), nullptr);

    // Two records: the count names the step.
    manager.addShortcuts({QVShortcut::newData(), QVShortcut::newData()}, false, false);
    EXPECT_EQ(manager.undoManager()->undoText(), locFormat("AnnulerAjouterRaccourcis", {qulonglong(2)}));
}

TEST_F(ManagersTest, ShortcutDeleteWithAuxObjectsIsUndoneWhole)
{
    addAction(1, "Type");
    addAction(2, "Shared");
    QVLauncher* launcher = addKeyLauncher(0x100000 | 3);
    const quint32 launcherID = launcher->IDValue();
    QVShortcut* doomed = addShortcut({1, 2}, {launcherID});
    QVShortcut* keeper = addShortcut({2});
    const quint32 doomedID = doomed->IDValue();
    const StoreSnapshot before = snapshot();

    QVEShortcutsManager& manager = QVEShortcutsManager::sharedManager();
    EXPECT_EQ(manager.delShortcutsID({doomedID}, false, true, false), QList<quint32>{doomedID});
    // The unshared action and the launcher went with it; the shared one stays.
    EXPECT_EQ(store->actionWithID(1), nullptr);
    EXPECT_NE(store->actionWithID(2), nullptr);
    EXPECT_EQ(store->launcherWithID(launcherID), nullptr);
    const StoreSnapshot after = snapshot();

    manager.undoManager()->undo();
    EXPECT_EQ(snapshot(), before);
    ASSERT_NE(store->actionWithID(1), nullptr);
    // Links are back: the restored action is used, so it refuses a quiet delete.
    EXPECT_TRUE(store->actionWithID(1)->isUsed());
    EXPECT_TRUE(keeper->contextsDictArray() == contextRefs({0}));

    manager.undoManager()->redo();
    EXPECT_EQ(snapshot(), after);
}

TEST_F(ManagersTest, LauncherDeleteUndoGivesTheReferencesBack)
{
    addAction(1);
    QVLauncher* launcher = addKeyLauncher(0x100000 | 5);
    const quint32 id = launcher->IDValue();
    QVShortcut* shortcut = addShortcut({1}, {id});
    QVMenu* menu = addMenu({menuItem(2, 1)});
    menu->setLaunchersDictArray(launcherRefs({id}));
    const StoreSnapshot before = snapshot();

    answerAlerts({1}); // used: the user confirms
    QVELaunchersManager& manager = QVELaunchersManager::sharedManager();
    ASSERT_EQ(manager.delLaunchersID({id, 999}, true, false), QList<quint32>{id});
    EXPECT_TRUE(shortcut->launchersDictArray().isEmpty());
    EXPECT_TRUE(menu->launchersDictArray().isEmpty());
    EXPECT_EQ(manager.undoManager()->undoText(), locFormat("AnnulerSupprimerLanceurs", {qulonglong(1)}));
    // The substitute notice, the delete with the IDs as passed, the three lists.
    ASSERT_GE(posted.size(), 5u);
    EXPECT_EQ(posted[0].name, "SubstituteLauncherNotification");
    EXPECT_EQ(posted[0].userInfo, (QVariantMap{{"what", qint64(id)}}));
    EXPECT_EQ(posted[1].name, "UpdateLaunchersNotification");
    EXPECT_EQ(posted[1].userInfo, payload(1, {id, 999}));
    EXPECT_EQ(QStringList(postedNames().mid(2, 3)),
              (QStringList{"UpdateShortcutsNotification", "UpdateMenusNotification", "UpdatePalettesNotification"}));

    manager.undoManager()->undo();
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(shortcut->launchersDictArray(), launcherRefs({id}));
    EXPECT_EQ(store->launcherWithID(id)->linkedObjects().size(), 2);
    manager.undoManager()->redo();
    EXPECT_TRUE(shortcut->launchersDictArray().isEmpty());
    EXPECT_EQ(store->launcherWithID(id), nullptr);
}

TEST_F(ManagersTest, ContextDeleteAndItsUndo)
{
    QVContext* context = addAppContext("/usr/share/applications/mail.desktop");
    const quint32 id = context->IDValue();
    QVShortcut* shortcut = addShortcut({}, {}, {0, id});
    const StoreSnapshot before = snapshot();
    QVEContextsManager& manager = QVEContextsManager::sharedManager();

    // The universal context refuses; a used one asks, and No keeps it.
    answerAlerts({0, 0});
    EXPECT_TRUE(manager.delContextsID({0, id}, false).isEmpty());
    EXPECT_EQ(manager.undoManager()->count(), 0);
    EXPECT_TRUE(posted.empty());

    const QString name = context->nameValue();
    answerAlerts({1});
    ASSERT_EQ(manager.delContextsID({id}, false), QList<quint32>{id});
    EXPECT_EQ(shortcut->contextsDictArray(), contextRefs({0}));
    EXPECT_EQ(manager.undoManager()->undoText(), locFormat("AnnulerSupprimerContexte", {name}));
    manager.undoManager()->undo();
    EXPECT_EQ(snapshot(), before);
    manager.undoManager()->redo();
    EXPECT_EQ(store->contextWithID(id), nullptr);
}

TEST_F(ManagersTest, ActionDeleteRefusedOrDoneAndTheNoticesInOrder)
{
    addAction(1);
    addAction(2);
    addAction(3);
    addShortcut({1});
    QVEActionsManager& manager = QVEActionsManager::sharedManager();

    EXPECT_TRUE(manager.delActionsID({1}, false, false).isEmpty());
    EXPECT_TRUE(posted.empty());
    EXPECT_EQ(manager.undoManager()->count(), 0);

    EXPECT_EQ(manager.delActionsID({2, 3}, false, false), (QList<quint32>{2, 3}));
    EXPECT_EQ(postedNames(), (QStringList{"SubstituteActionNotification", "SubstituteActionNotification",
                                          "UpdateActionsNotification", "UpdateShortcutsNotification",
                                          "UpdateMenusNotification", "UpdatePalettesNotification"}));
    EXPECT_EQ(posted[0].userInfo.value("what").toLongLong(), 2);
    EXPECT_EQ(posted[1].userInfo.value("what").toLongLong(), 3);
    EXPECT_EQ(posted[2].userInfo, payload(1, {2, 3}));
    EXPECT_EQ(manager.undoManager()->undoText(), locFormat("AnnulerSupprimerActions", {qulonglong(2)}));
}

TEST_F(ManagersTest, UndoOfAConfirmedDeleteOfAUsedActionRelinksItsUsers)
{
    addAction(1);
    addAction(2);
    QVShortcut* shortcut = addShortcut({1, 2});
    QVMenu* menu = addMenu({menuItem(2, 1)});
    const StoreSnapshot before = snapshot();
    answerAlerts({1});
    QVEActionsManager& manager = QVEActionsManager::sharedManager();
    ASSERT_EQ(manager.delActionsID({1}, true, false), QList<quint32>{1});
    EXPECT_EQ(shortcut->actionsDictArray().size(), 1);
    EXPECT_TRUE(menu->itemsDictArray().isEmpty());
    manager.undoManager()->undo();
    EXPECT_EQ(snapshot(), before);
    ASSERT_NE(store->actionWithID(1), nullptr);
    EXPECT_EQ(store->actionWithID(1)->linkedObjects().size(), 2);
    manager.undoManager()->redo();
    EXPECT_EQ(store->actionWithID(1), nullptr);
    EXPECT_EQ(shortcut->actionsDictArray().size(), 1);
}

// --- Substitution ----------------------------------------------------------------------------

TEST_F(ManagersTest, LauncherSubstitutionMovesActiveAndInactiveReferences)
{
    QVLauncher* old = addKeyLauncher(0x100000 | 6);
    QVLauncher* with = addKeyLauncher(0x100000 | 7);
    QVShortcut* active = addShortcut({}, {old->IDValue()});
    QVShortcut* inactive = addShortcut({});
    QVariantList refs = launcherRefs({old->IDValue()});
    QVariantMap off = refs.first().toMap();
    off.insert("cutlauncheractive", false);
    inactive->setLaunchersDictArray({off});
    const quint32 oldID = old->IDValue();
    const quint32 newID = with->IDValue();

    QVELaunchersManager::sharedManager().substituteLauncher(old, with, true);
    EXPECT_EQ(active->launchersDictArray(), launcherRefs({newID}));
    QVariantMap offNew = off;
    offNew.insert("cutlauncherID", qint64(newID));
    EXPECT_EQ(inactive->launchersDictArray(), QVariantList{offNew});
    EXPECT_EQ(store->launcherWithID(oldID), nullptr);
    EXPECT_EQ(store->launcherWithID(newID)->linkedObjects().size(), 2);
    ASSERT_FALSE(posted.empty());
    EXPECT_EQ(posted[0].userInfo, (QVariantMap{{"what", qint64(oldID)}, {"with", qint64(newID)}}));

    // One step takes the substitution and the delete back together.
    QVELaunchersManager::sharedManager().undoManager()->undo();
    EXPECT_EQ(inactive->launchersDictArray(), QVariantList{off});
    EXPECT_EQ(active->launchersDictArray(), launcherRefs({oldID}));
}

TEST_F(ManagersTest, ContextSubstitutionKeepsEachReferencesActiveFlag)
{
    QVContext* old = addAppContext("/a.desktop");
    QVContext* with = addAppContext("/b.desktop");
    QVShortcut* shortcut = addShortcut({}, {}, {});
    QVariantMap off{{"cutcontextID", qint64(old->IDValue())}, {"cutcontextactive", false}};
    shortcut->setContextsDictArray({off});
    QVEContextsManager::sharedManager().substituteContext(old, with, false);
    off.insert("cutcontextID", qint64(with->IDValue()));
    EXPECT_EQ(shortcut->contextsDictArray(), QVariantList{off});
    EXPECT_NE(store->contextWithID(old->IDValue()), nullptr);
}

// --- Pasteboard --------------------------------------------------------------------------------

TEST_F(ManagersTest, CopyActionsThenPasteIntoShortcutsAndMenusThroughTheClipboard)
{
    addAction(4, "Mail");
    QVEActionsManager::sharedManager().copyActionsID({4});
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->hasFormat("application/x-zelk-QVActionPboardType"));
    const auto payloadRoot = zelk::plist::read(data->data("application/x-zelk-QVActionPboardType"));
    ASSERT_TRUE(payloadRoot);
    EXPECT_EQ(payloadRoot->toMap().keys(), QStringList{"QVActionDicts"});

    QVEShortcutsManager& shortcuts = QVEShortcutsManager::sharedManager();
    shortcuts.pastePasteboard(generalPasteboard());
    const QList<QVShortcut*> all = shortcuts.allShortcutsArray();
    ASSERT_EQ(all.size(), 1);
    EXPECT_EQ(all.first()->actionsDictArray().size(), 1);
    EXPECT_EQ(shortcuts.undoManager()->undoText(), locFormat("AnnulerCollerAction", {"Mail"}));
    EXPECT_TRUE(store->actionWithID(4)->isUsed());

    // A pasted menu's items are linked at once: its shortcut is now used.
    shortcuts.copyShortcutsID({all.first()->IDValue()});
    QVEMenusManager::sharedManager().pastePasteboard(generalPasteboard());
    ASSERT_EQ(QVEMenusManager::sharedManager().allMenusArray().size(), 1);
    EXPECT_TRUE(all.first()->isUsed());
    EXPECT_TRUE(shortcuts.delShortcutsID({all.first()->IDValue()}, false, false, false).isEmpty());
    // Undo of the paste unlinks again.
    QVEMenusManager::sharedManager().undoManager()->undo();
    EXPECT_TRUE(QVEMenusManager::sharedManager().allMenusArray().isEmpty());
    EXPECT_FALSE(all.first()->isUsed());
}

TEST_F(ManagersTest, ShortcutsIgnoreAPasteboardOfShortcutsAndDamagedPayloads)
{
    QVEShortcutsManager& manager = QVEShortcutsManager::sharedManager();
    auto* shortcutsOnly = mimeDataWithRecords("QVShortcutPboardType", {QVShortcut::newData()});
    manager.pastePasteboard(shortcutsOnly);
    delete shortcutsOnly;
    QMimeData damaged;
    damaged.setData(mimeTypeForPboardType("QVActionPboardType"), "not a plist");
    manager.pastePasteboard(&damaged);
    EXPECT_TRUE(manager.allShortcutsArray().isEmpty());
    EXPECT_EQ(manager.undoManager()->count(), 0);
}

// --- Duplicate -------------------------------------------------------------------------------------

TEST_F(ManagersTest, DuplicateShortcutNamesTheCopyAndCopiesActionsWhenAsked)
{
    addAction(1, "Type");
    QVShortcut* source = addShortcut({1});
    QVShortcut::setCopyActions(true);
    QVEShortcutsManager& manager = QVEShortcutsManager::sharedManager();
    manager.duplicateShortcutsID({source->IDValue()});
    manager.duplicateShortcutsID({source->IDValue()});
    QVShortcut::setCopyActions(false);
    const QList<QVShortcut*> all = manager.allShortcutsArray();
    ASSERT_EQ(all.size(), 3);
    EXPECT_EQ(all[1]->nameValue(), source->nameValue() + " " + loc("Copie"));
    EXPECT_TRUE(all[1]->isNew());
    EXPECT_EQ(manager.undoManager()->undoText(), locFormat("AnnulerDupliquerRaccourcis", {qulonglong(1)}));
    const quint32 a1 = uintValue(all[1]->actionsDictArray().first().toMap().value("cutactionID"));
    const quint32 a2 = uintValue(all[2]->actionsDictArray().first().toMap().value("cutactionID"));
    EXPECT_NE(a1, 1u);
    EXPECT_NE(a2, 1u);
    EXPECT_NE(a1, a2);
    // Undo takes the copy and its copied action away together.
    manager.undoManager()->undo();
    EXPECT_EQ(store->actionWithID(a2), nullptr);
    EXPECT_EQ(manager.allShortcutsArray().size(), 2);
}

// --- Models and the pasteboard chooser ---------------------------------------------------------------

class TwoModels : public zelk::QVEActionClass {
public:
    QString className() const override { return QStringLiteral("TestTwoModels"); }
    QString superclassName() const override { return QStringLiteral("QVEAction"); }
    int familyID() const override { return 1004; }
    QList<int> modelsID() const override { return {1, 2, 3}; }
    QString titleOfModelID(int model) const override { return QStringList{"", "Zeta", "Alpha", "Mid"}.value(model); }
    QString descriptionOfModelID(int model) const override { return QStringLiteral("about %1").arg(model); }
    QList<int> modelsIDForPasteboard(const QMimeData* data) const override
    {
        return data && data->hasText() ? QList<int>{2, 5} : QList<int>{};
    }
    QVariantList newDatasWithPasteboard(const QMimeData*, int) const override { return answer; }
    QVariantList answer;
};

TEST_F(ManagersTest, ModelsRegistryMenuAndChooser)
{
    TwoModels cls;
    zelk::ClassRegistry::shared().registerClass(&cls);
    QVEModelsManager& models = QVEModelsManager::sharedManager();
    models.clear();
    models.addClass(cls);
    ASSERT_EQ(models.allModelsArray().size(), 3);
    EXPECT_EQ(models.modelsWithFamilyIDArray(1004).size(), 3);
    EXPECT_TRUE(models.modelsWithFamilyIDArray(1005).isEmpty());
    std::unique_ptr<QMenu> menu(models.modelsMenuForTarget({}));
    ASSERT_EQ(menu->actions().size(), 1);
    QStringList titles;
    for (QAction* item : menu->actions().first()->menu()->actions())
        titles << item->text();
    EXPECT_EQ(titles, (QStringList{"Alpha", "Mid", "Zeta"}));
    // The families are titled with texts, not with their keys.
    EXPECT_FALSE(menu->actions().first()->text().isEmpty());
    EXPECT_FALSE(menu->actions().first()->text().startsWith("FamilyName"));
    for (int family = 1000; family <= 1019; ++family)
        EXPECT_NE(loc(QStringLiteral("FamilyName%1").arg(family)), QStringLiteral("FamilyName%1").arg(family));

    QVEPboardManager& chooser = QVEPboardManager::sharedManager();
    QMimeData nothing;
    EXPECT_FALSE(chooser.modelForPasteboard(&nothing, nullptr));
    QMimeData text;
    text.setText("hello");
    // Cancel: nothing chosen. Double-click on the second row: that model.
    QTimer::singleShot(0, [&] { chooser.abortPanel(); });
    EXPECT_FALSE(chooser.modelForPasteboard(&text, nullptr));
    QTimer::singleShot(0, [&] {
        EXPECT_EQ(chooser.modelsTable()->rowCount(), 2);
        chooser.modelsTable()->setCurrentCell(1, 1);
        EXPECT_EQ(chooser.infoField()->text(), "about 5");
        emit chooser.modelsTable()->cellDoubleClicked(1, 1);
    });
    const auto chosen = chooser.modelForPasteboard(&text, nullptr);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->value("modelID").toInt(), 5);
    EXPECT_EQ(chosen->value("modelclass").toString(), "TestTwoModels");

    // A class answering no records adds nothing: no step, no notice.
    posted.clear();
    EXPECT_FALSE(QVEActionsManager::sharedManager().newActionsForClass("TestTwoModels", 5, &text));
    EXPECT_TRUE(posted.empty());
    EXPECT_EQ(QVEActionsManager::sharedManager().undoManager()->count(), 0);
    models.clear();
    zelk::ClassRegistry::shared().unregisterClass("TestTwoModels");
}

// --- Main lists -----------------------------------------------------------------------------------------

TEST_F(ManagersTest, MainListFollowsNoticesDragsRecordsAndImportsDroppedFiles)
{
    MainObjectsListModel list(ObjectsFile::Menus, {"name", "contexts", "links"});
    EXPECT_EQ(list.rowCount(), 0);
    QVEMenusManager::sharedManager().newMenu();
    ASSERT_EQ(list.rowCount(), 1);
    EXPECT_EQ(list.data(list.index(0, 0)).toString(), QVEMenusManager::sharedManager().allMenusArray().first()->nameValue());
    EXPECT_TRUE(list.data(list.index(0, 1)).toString().startsWith(' '));

    std::unique_ptr<QMimeData> dragged(list.mimeData({list.index(0, 0), list.index(0, 2)}));
    const auto records = recordsFromPasteboard(dragged.get(), "QVMenuPboardType");
    ASSERT_TRUE(records);
    EXPECT_EQ(records->size(), 1);

    QMimeData wrongExtension;
    wrongExtension.setUrls({QUrl::fromLocalFile("/tmp/menus.ZLEX")});
    EXPECT_FALSE(list.canDropMimeData(&wrongExtension, Qt::CopyAction, -1, -1, {}));
    QMimeData file;
    file.setUrls({QUrl::fromLocalFile(fixture("exchange/menus.zlex"))});
    ASSERT_TRUE(list.canDropMimeData(&file, Qt::CopyAction, -1, -1, {}));
    EXPECT_TRUE(list.dropMimeData(&file, Qt::CopyAction, -1, -1, {}));
    EXPECT_EQ(list.rowCount(), 3);
}

TEST_F(ManagersTest, MainObjectsDroppedOnAContextMoveUnlessCopied)
{
    QVContext* mail = addAppContext("/mail.desktop");
    QVShortcut* shortcut = addShortcut({}, {}, {0});
    QVMenu* menu = addMenu({}, {0});
    std::unique_ptr<QMimeData> shortcuts(mimeDataWithRecords("QVShortcutPboardType", {shortcut->dictValue()}));
    EXPECT_EQ(dropMainObjectsOnContext(shortcuts.get(), mail, store->contextWithID(0), false), 1);
    EXPECT_EQ(shortcut->contextsDictArray(), contextRefs({mail->IDValue()}));
    std::unique_ptr<QMimeData> menus(mimeDataWithRecords("QVMenuPboardType", {menu->dictValue()}));
    EXPECT_EQ(dropMainObjectsOnContext(menus.get(), mail, store->contextWithID(0), true), 1);
    EXPECT_EQ(menu->contextsDictArray(), contextRefs({0, mail->IDValue()}));
    EXPECT_TRUE(mail->isLinkedToObject(menu));
}

// --- Palette preview ------------------------------------------------------------------------------------

TEST_F(ManagersTest, PreviewTopLeftIsTheConvertedPointForEachOrigin)
{
    const QSizeF screen(1000, 800);
    const struct {
        int origin;
        QPoint expected;
    } cases[] = {{0, {30, 40}}, {1, {970, 40}}, {2, {970, 760}}, {3, {30, 760}}};
    for (const auto& c : cases)
        EXPECT_EQ(QVEPalettesManager::previewTopLeft({30, 40}, c.origin, screen), c.expected) << c.origin;
}

TEST_F(ManagersTest, PreviewShowsTheFirstPaletteAtItsPlaceAndLetsItGoOnClose)
{
    addAction(1);
    QVShortcut* shortcut = addShortcut({1});
    QVPalette* palette = addPalette({paletteItem(1, shortcut->IDValue()), paletteItem(2, 1), paletteItem(2, 77)});
    QVariantList items = palette->itemsDictArray();
    QVariantMap inactive = items[1].toMap();
    inactive.insert("paletteitemactive", false);
    items[1] = inactive;
    palette->setItemsDictArray(items);
    palette->setLocationOrigin(0);
    palette->setLocation({120, 90});
    QVEPalettesManager& manager = QVEPalettesManager::sharedManager();
    int previewed = 0;
    manager.setPreviewMaker([&](QVPalette* shown, const QList<QVEPalettesManager::PreviewItem>& objects) {
        ++previewed;
        EXPECT_EQ(shown, palette);
        EXPECT_EQ(objects.size(), 2); // the missing action is passed over, the inactive one kept
        auto window = std::make_unique<QDialog>();
        window->resize(200, 100);
        QTimer::singleShot(0, window.get(), [&manager, palette, w = window.get()] {
            EXPECT_EQ(manager.previewedPalette(), palette);
            EXPECT_EQ(w->pos(), QPoint(120, 90));
            w->move(500, 500);
            QEvent activate(QEvent::WindowActivate);
            QCoreApplication::sendEvent(w, &activate);
            EXPECT_EQ(w->pos(), QPoint(120, 90));
            w->reject();
        });
        return window;
    });
    manager.runPalettesID({palette->IDValue(), 999});
    manager.setPreviewMaker({});
    EXPECT_EQ(previewed, 1);
    EXPECT_EQ(manager.previewedPalette(), nullptr);
}

TEST_F(ManagersTest, ADeleteWithAuxObjectsPostsTheNoticesOfWhatWentAlong)
{
    addAction(1);
    QVShortcut* shortcut = addShortcut({1});
    QVEShortcutsManager::sharedManager().delShortcutsID({shortcut->IDValue()}, false, true, false);
    const QStringList names = postedNames();
    ASSERT_TRUE(names.contains("UpdateActionsNotification"));
    EXPECT_TRUE(names.contains("SubstituteActionNotification"));
    EXPECT_EQ(names.last(), "UpdateShortcutsNotification");
}

TEST_F(ManagersTest, NewLauncherMenuHeadingsAndReuseOfAnEqualLauncher)
{
    QVELaunchersManager& manager = QVELaunchersManager::sharedManager();
    QVariantMap chosen;
    std::unique_ptr<QMenu> first(manager.launchersMenuForTarget([&](const QVariantMap& r) { chosen = r; }));
    std::unique_ptr<QMenu> second(manager.launchersMenuForTarget({}));
    ASSERT_EQ(first->actions().size(), second->actions().size());
    int headings = 0;
    for (QAction* item : first->actions())
        headings += item->isEnabled() ? 0 : 1;
    EXPECT_EQ(headings, 4); // types 3, 4, 6 and 7
    // Each kind is titled with a text, not with its key.
    for (QAction* item : first->actions()) {
        if (!item->isEnabled()) {
            EXPECT_FALSE(item->text().isEmpty() || item->text().startsWith("LauncherTypeName")) << item->text().toStdString();
        }
    }
    EXPECT_EQ(first->actions().first()->text(), loc("LauncherTypeName0"));
    EXPECT_NE(loc("LauncherTypeName0"), "LauncherTypeName0");
    first->actions().first()->trigger();
    ASSERT_FALSE(chosen.isEmpty());
    EXPECT_TRUE(second->actions().first()->data().toMap() == chosen);

    QVLauncher* made = manager.newLauncherWithDict(chosen);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(manager.undoManager()->count(), 1);
    posted.clear();
    EXPECT_EQ(manager.newLauncherWithDict(chosen), made);
    EXPECT_EQ(manager.undoManager()->count(), 1);
    EXPECT_TRUE(posted.empty());
}

// --- Export and import -------------------------------------------------------------------------------

TEST_F(ManagersTest, ImporterExtensions)
{
    const struct {
        const char* path;
        bool valid;
    } cases[] = {{"/x/a.zlex", true}, {"/x/a.qvex", true}, {"/x/a.ZLEX", false}, {"/x/a.zlex.txt", false}, {"/x/zlex", false}};
    for (const auto& c : cases)
        EXPECT_EQ(QVEImporter::extensionIsValidForPath(c.path), c.valid) << c.path;
}

TEST_F(ManagersTest, ImportOfAStoredMenuFileRemapsReusesAndKeepsSubmenus)
{
    QVLauncher* local = addKeyLauncher(0x100000 | 17);
    ASSERT_TRUE(QVEImporter::sharedImporter().importFromFile(fixture("exchange/menus.zlex")));
    EXPECT_TRUE(alerts.empty());
    // The equal launcher and the universal context were reused.
    EXPECT_EQ(store->count(ObjectsFile::Launchers), 1);
    EXPECT_EQ(store->count(ObjectsFile::Contexts), 1);
    ASSERT_EQ(store->count(ObjectsFile::Actions), 2);
    const QVariantList actions = store->allRecords(ObjectsFile::Actions);
    EXPECT_EQ(actions[0].toMap().value("actionname"), "Type");
    const quint32 type = uintValue(actions[0].toMap().value("actionID"));
    const quint32 open = uintValue(actions[1].toMap().value("actionID"));

    ASSERT_EQ(store->count(ObjectsFile::Shortcuts), 1);
    const QVariantMap shortcut = store->allRecords(ObjectsFile::Shortcuts).first().toMap();
    EXPECT_EQ(shortcut.value("cutlaunchers").toList(), launcherRefs({local->IDValue()}));
    EXPECT_EQ(shortcut.value("cutcontexts").toList(),
              (QVariantList{QVariantMap{{"cutcontextID", qint64(0)}, {"cutcontextactive", false}}}));
    EXPECT_EQ(uintValue(shortcut.value("cutactions").toList()[1].toMap().value("cutactionID")), open);

    // Last stored, first added: the submenu has the smaller ID.
    const QList<QVMenu*> menus = store->allMenus();
    ASSERT_EQ(menus.size(), 2);
    EXPECT_EQ(menus[0]->nameValue(), "Sub");
    EXPECT_EQ(menus[1]->nameValue(), "Top");
    EXPECT_LT(menus[0]->IDValue(), menus[1]->IDValue());
    const QVariantList items = menus[1]->itemsDictArray();
    ASSERT_EQ(items.size(), 4);
    EXPECT_EQ(items[0].toMap().value("menuitemparams").toMap().value("menuitemseparatorlabel"), "Label");
    EXPECT_EQ(uintValue(items[1].toMap().value("menuitemparams").toMap().value("menuitemshortcutID")),
              uintValue(shortcut.value("cutID")));
    EXPECT_EQ(uintValue(items[2].toMap().value("menuitemparams").toMap().value("menuitemmenuID")), menus[0]->IDValue());
    EXPECT_EQ(uintValue(items[3].toMap().value("menuitemparams").toMap().value("menuitemactionID")), type);
    // Linked: the submenu and the shortcut are used.
    EXPECT_TRUE(menus[0]->isUsed());
    EXPECT_TRUE(store->shortcutWithID(uintValue(shortcut.value("cutID")))->isUsed());
    // No undo step, nothing new.
    for (QUndoStack* stack : stacks())
        EXPECT_EQ(stack->count(), 0);
    EXPECT_FALSE(menus[1]->isNew());
}

TEST_F(ManagersTest, ExportThenImportOfEveryKind)
{
    addAction(1, "One");
    addAction(2, "Two");
    QVLauncher* launcher = addKeyLauncher(0x100000 | 9);
    QVContext* context = addAppContext("/mail.desktop");
    QVShortcut* shortcut = addShortcut({1, 1}, {launcher->IDValue()}, {0, context->IDValue()});
    QVMenu* sub = addMenu({menuItem(2, 2)});
    QVMenu* top = addMenu({menuItem(1, shortcut->IDValue()), menuItem(3, sub->IDValue())});
    QVPalette* palette = addPalette({paletteItem(1, shortcut->IDValue()), paletteItem(2, 2)});

    const QVariantMap shortcuts = QVEShortcutsManager::sharedManager().exportDataForShortcutsID({shortcut->IDValue()});
    EXPECT_EQ(shortcuts.value("exportedactions").toList().size(), 1); // the same action once
    const QVariantMap menus = QVEMenusManager::sharedManager().exportDataForMenusID({top->IDValue()});
    EXPECT_EQ(menus.value("exportedmenus").toList().size(), 2);
    EXPECT_EQ(menus.value("exportedactions").toList().size(), 2);

    const QString path = QDir::home().filePath("palettes.zlex");
    QVUtility::sharedUtility().setPanelAnswerer([&](QFileDialog*) { return path; });
    QVEPalettesManager::sharedManager().exportPalettesID({palette->IDValue()});
    const QString menuPath = QDir::home().filePath("menus.qvex");
    QVUtility::sharedUtility().setPanelAnswerer([&](QFileDialog*) { return menuPath; });
    QVEMenusManager::sharedManager().exportMenusID({top->IDValue()});
    ASSERT_TRUE(QFile::exists(path));
    ASSERT_TRUE(QFile::exists(menuPath));

    const qsizetype actionsBefore = store->count(ObjectsFile::Actions);
    QVUtility::sharedUtility().setPanelAnswerer([&](QFileDialog*) { return path + "\n" + menuPath; });
    QVEImporter::sharedImporter().tryImport();
    EXPECT_TRUE(alerts.empty());
    // Actions are never reused; the launcher and context are.
    EXPECT_EQ(store->count(ObjectsFile::Actions), actionsBefore + 2 + 2);
    EXPECT_EQ(store->count(ObjectsFile::Launchers), 1);
    EXPECT_EQ(store->count(ObjectsFile::Contexts), 2);
    EXPECT_EQ(store->count(ObjectsFile::Palettes), 2);
    EXPECT_EQ(store->count(ObjectsFile::Menus), 4);
    const QVariantMap imported = store->allRecords(ObjectsFile::Palettes).last().toMap();
    EXPECT_EQ(imported.value("palettecontexts"), palette->contextsDictArray());
    EXPECT_NE(uintValue(imported.value("paletteID")), palette->IDValue());
    const QList<QVMenu*> all = store->allMenus();
    const QVariantList topItems = all.last()->itemsDictArray();
    ASSERT_EQ(topItems.size(), 2);
    EXPECT_EQ(uintValue(topItems[1].toMap().value("menuitemparams").toMap().value("menuitemmenuID")), all[2]->IDValue());
}

TEST_F(ManagersTest, AFailedOrCancelledExportChangesNothing)
{
    addAction(1);
    QVShortcut* shortcut = addShortcut({1});
    QVUtility::sharedUtility().setPanelAnswerer([](QFileDialog*) { return QString(); });
    QVEShortcutsManager::sharedManager().exportShortcutsID({shortcut->IDValue()});
    EXPECT_TRUE(alerts.empty());
    QVUtility::sharedUtility().setPanelAnswerer([](QFileDialog*) { return QStringLiteral("/nonexistent/folder/x.zlex"); });
    QVEShortcutsManager::sharedManager().exportShortcutsID({shortcut->IDValue()});
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].title, loc("ErreurFichier"));
    EXPECT_EQ(alerts[0].message, loc("RaccourcisPasExportes"));
}

TEST_F(ManagersTest, DamagedExchangeFilesAreRefusedWhole)
{
    const char* files[] = {"damaged-root-array.zlex", "damaged-wrong-type.zlex", "damaged-missing-id.zlex",
                           "damaged-not-plist.zlex", "missing-file.zlex"};
    for (const char* name : files) {
        alerts.clear();
        const StoreSnapshot before = snapshot();
        const QString path = fixture(QStringLiteral("exchange/") + name);
        EXPECT_FALSE(QVEImporter::sharedImporter().importFromFile(path)) << name;
        EXPECT_EQ(snapshot(), before) << name;
        ASSERT_EQ(alerts.size(), 1u) << name;
        EXPECT_EQ(alerts[0].title, loc("ErreurFichier"));
        EXPECT_EQ(alerts[0].message, locFormat("PasImporterFichier", {path}));
    }
}

TEST_F(ManagersTest, AStepWhoseActionIsNotInTheFileIsDropped)
{
    ASSERT_TRUE(QVEImporter::sharedImporter().importFromFile(fixture("exchange/dangling-step.qvex")));
    ASSERT_EQ(store->count(ObjectsFile::Shortcuts), 1);
    const QVariantList steps = store->allShortcuts().first()->actionsDictArray();
    ASSERT_EQ(steps.size(), 1);
    EXPECT_NE(store->actionWithID(uintValue(steps[0].toMap().value("cutactionID"))), nullptr);
}

} // namespace
} // namespace editor::test
