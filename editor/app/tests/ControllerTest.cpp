// The editor's application object on the offscreen platform: start-up with
// and without a data folder, saving (and a save that fails), the engine's
// messages, the report, opened files and the menu bar's gate.
#include "EditorCommand.h"
#include "EditorTestSupport.h"
#include "MainWindowLink.h"
#include "QVELibrary.h"
#include "NotificationCenter.h"
#include "PropertyList.h"
#include "QVEActionsManager.h"
#include "QVEController.h"
#include "QVELaunchersManager.h"
#include "QVEMenuBar.h"
#include "QVEMenusManager.h"
#include "QVEModelsManager.h"
#include "QVEPboardManager.h"
#include "QVEReportWindow.h"
#include "QVEShortcutsManager.h"
#include "StripedTableView.h"
#include "UserDefaults.h"

#include <QAction>
#include <QApplication>
#include <QCryptographicHash>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableWidget>
#include <QTimer>
#include <QUndoGroup>
#include <QVBoxLayout>

namespace editor::test {
namespace {

// The main window as the controller drives it, recording what it was asked.
class FakeMainWindow : public QVEMainWindowLink {
public:
    void display() override { calls << "display"; }
    void setWindowPref(const QVariantMap& pref) override
    {
        calls << "setWindowPref";
        handed = pref;
    }
    QVariantMap windowPref() override { return {{"mainobject", 2}}; }
    QWidget* window() override { return &widget; }
    QVContext* selectedContext() override { return context; }

    QStringList calls;
    QVariantMap handed;
    QWidget widget;
    QVContext* context = nullptr;
};

class ControllerTest : public EditorTest {
protected:
    ControllerTest()
    {
        folder = home->dataHome() + "/Zelk";
        controller = std::make_unique<QVEController>();
        controller->setMainWindowMaker([this] { return &window; });
    }
    ~ControllerTest() override { controller.reset(); }

    void copySample()
    {
        ASSERT_TRUE(QDir().mkpath(folder));
        const QDir from(fixture("sample"));
        for (const QString& name : from.entryList(QDir::Files))
            ASSERT_TRUE(QFile::copy(from.filePath(name), folder + "/" + name)) << name.toStdString();
    }
    QByteArray bytes(const QString& name) const
    {
        QFile f(folder + "/" + name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    QMap<QString, QByteArray> allBytes() const
    {
        QMap<QString, QByteArray> files;
        for (const ObjectsFile::Kind kind : ObjectsFile::order())
            files.insert(ObjectsFile::fileName(kind), bytes(ObjectsFile::fileName(kind)));
        return files;
    }
    int postedCommands(const QString& verb) const
    {
        int n = 0;
        for (const auto& posted : const_cast<ControllerTest*>(this)->desktop().postedNotifications())
            n += posted.name == EditorCommand::Name && posted.userInfo.value("action") == verb;
        return n;
    }
    QStringList launches() const
    {
        QStringList found;
        for (const QString& r : const_cast<ControllerTest*>(this)->desktop().virtualWorkspace().requests())
            if (r.startsWith("launch "))
                found << r;
        return found;
    }

    QString folder;
    FakeMainWindow window;
    std::unique_ptr<QVEController> controller;
};

TEST_F(ControllerTest, WithoutADataFolderItAlertsAndQuitsWithoutShowingAnything)
{
    int quits = 0;
    QObject::connect(controller.get(), &QVEController::quitRequested, [&] { ++quits; });
    EXPECT_FALSE(controller->finishLaunching());
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].title, loc("FirstRun"));
    EXPECT_EQ(alerts[0].button1, loc("Close"));
    EXPECT_EQ(quits, 1);
    EXPECT_TRUE(window.calls.isEmpty()) << window.calls.join(",").toStdString();
    EXPECT_FALSE(QDir(folder).exists()) << "only the engine makes the data folder";
    EXPECT_EQ(launches().size(), 1) << "the engine, which makes the folder, was not started";
    EXPECT_EQ(controller->prefsPathForDataType(3), QString());
}

TEST_F(ControllerTest, StartUpReadsTheFilesHandsTheLayoutOverAndPostsTheListNotices)
{
    copySample();
    zelk::UserDefaults::standard().setValue("WindowPref", QVariantMap{{"mainobject", 3}});
    QStringList notices;
    zelk::ObserverHandle observer = zelk::NotificationCenter::defaultCenter().addObserver(
        {}, nullptr, [&](const zelk::Notification& n) {
            if (n.name.startsWith("Update"))
                notices << n.name;
        });

    ASSERT_TRUE(controller->finishLaunching());
    EXPECT_TRUE(alerts.empty()) << alerts[0].title.toStdString();
    EXPECT_EQ(store->count(ObjectsFile::Actions), 2);
    EXPECT_EQ(store->count(ObjectsFile::Menus), 2);
    EXPECT_EQ(QVShortcut::currentShortcutID(), 40u);
    EXPECT_EQ(window.calls, (QStringList{"setWindowPref", "display"})) << "the layout is handed over before the window shows";
    EXPECT_EQ(window.handed.value("mainobject").toInt(), 3);
    EXPECT_EQ(notices, (QStringList{"UpdateShortcutsNotification", "UpdateMenusNotification", "UpdatePalettesNotification"}));
    // The plug-in's classes are offered; the framework's base is not.
    QStringList registered;
    for (const auto* cls : QVEModelsManager::sharedManager().registeredClasses())
        registered << cls->className();
    EXPECT_TRUE(registered.contains("KeyboardShortcut")) << registered.join(",").toStdString();
    EXPECT_FALSE(registered.contains("QVEAction"));
    EXPECT_FALSE(QVEActionsManager::sharedManager().actionsPboardTypes().isEmpty());
    // The menu bar went onto the main window with Command + Delete on clear.
    ASSERT_NE(controller->menuBar(), nullptr);
    EXPECT_TRUE(controller->menuBar()->clearItem()->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Backspace)));
    ASSERT_NE(controller->menuBar()->modelsMenu(), nullptr);
    EXPECT_FALSE(controller->menuBar()->modelsMenu()->actions().isEmpty());
}

TEST_F(ControllerTest, TheEngineIsStartedThroughTheHelperOnlyWhenNeeded)
{
    copySample();
    struct Case {
        const char* name;
        bool disabled;
        bool engineRuns;
        int launches;
    };
    for (const Case& c : {Case{"engine not running", false, false, 1}, Case{"launch disabled", true, false, 0},
                          Case{"engine running", false, true, 0}}) {
        SCOPED_TRACE(c.name);
        desktop().virtualWorkspace().clearRequests();
        zelk::UserDefaults::standard().setValue("QVEDisableEngineLaunch", c.disabled);
        qint64 engine = 0;
        if (c.engineRuns)
            engine = desktop().virtualWorkspace().userLaunches("Zelk", "/opt/Zelk.app/Contents/MacOS/Zelk", true);
        QVEController again;
        ASSERT_TRUE(again.finishLaunching());
        const QStringList found = launches();
        ASSERT_EQ(found.size(), c.launches) << found.join(",").toStdString();
        if (c.launches) {
            EXPECT_TRUE(found[0].endsWith("Zelk Editor.app/Contents/Library/LoginItems/ZelkHelper.app")) << found[0].toStdString();
        }
        if (engine)
            desktop().virtualWorkspace().userQuits(engine);
    }
}

TEST_F(ControllerTest, EditedObjectsAreSavedExactlyAndTheEngineIsToldOnce)
{
    copySample();
    ASSERT_TRUE(controller->finishLaunching());
    QVEShortcutsManager::sharedManager().newShortcut();
    const quint32 added = QVShortcut::currentShortcutID() - 1;
    ASSERT_NE(store->shortcutWithID(added), nullptr);
    store->shortcutWithID(added)->setNameValue("Type my address");
    QVEMenusManager::sharedManager().delMenusID({store->allMenus().first()->IDValue()}, false, false, false);
    desktop().clearPostedNotifications();

    ASSERT_TRUE(controller->MIUpdateNow());
    EXPECT_FALSE(controller->lastSaveFailed());
    EXPECT_TRUE(alerts.empty());
    for (const ObjectsFile::Kind kind : ObjectsFile::order()) {
        SCOPED_TRACE(ObjectsFile::fileName(kind));
        ObjectsFile::Contents contents;
        ASSERT_EQ(ObjectsFile::read(folder + "/" + ObjectsFile::fileName(kind), kind, &contents), ObjectsFile::Status::Read);
        EXPECT_EQ(contents.records, store->savedList(kind));
    }
    ObjectsFile::Contents shortcuts;
    ObjectsFile::read(folder + "/Shortcuts.plist", ObjectsFile::Shortcuts, &shortcuts);
    EXPECT_EQ(shortcuts.nextID, QVShortcut::currentShortcutID());
    EXPECT_TRUE(std::any_of(shortcuts.records.cbegin(), shortcuts.records.cend(), [](const QVariant& r) {
        return r.toMap().value("cutname") == "Type my address";
    }));
    EXPECT_EQ(postedCommands(EditorCommand::UpdateObjects), 1);
    EXPECT_EQ(zelk::UserDefaults::standard().dictionaryForKey("WindowPref").value("mainobject").toInt(), 2);

    // Reading them again (revert) gives the same objects, once each, and
    // every list is told to reload.
    const QVariantList saved = store->savedList(ObjectsFile::Shortcuts);
    QStringList notices;
    zelk::ObserverHandle observer = zelk::NotificationCenter::defaultCenter().addObserver(
        {}, nullptr, [&](const zelk::Notification& n) {
            if (n.name.startsWith("Update"))
                notices << n.name;
        });
    ASSERT_TRUE(controller->readPrefs());
    EXPECT_EQ(store->savedList(ObjectsFile::Shortcuts), saved);
    for (const ObjectsFile::Kind kind : ObjectsFile::order())
        EXPECT_TRUE(notices.contains(updateNotificationName(kind))) << updateNotificationName(kind).toStdString();
}

TEST_F(ControllerTest, AFailedWriteKeepsEveryOldFileTellsTheUserAndNotTheEngine)
{
    copySample();
    ASSERT_TRUE(controller->finishLaunching());
    // Palettes.plist becomes something that cannot be replaced.
    ASSERT_TRUE(QFile::remove(folder + "/Palettes.plist"));
    ASSERT_TRUE(QDir(folder).mkdir("Palettes.plist"));
    const QMap<QString, QByteArray> before = allBytes();
    QVEShortcutsManager::sharedManager().newShortcut();
    desktop().clearPostedNotifications();
    int quits = 0;
    QObject::connect(controller.get(), &QVEController::quitRequested, [&] { ++quits; });

    EXPECT_FALSE(controller->MIUpdateNow());
    EXPECT_TRUE(controller->lastSaveFailed()) << "the main window would quit unsaved";
    controller->saveAndTerminate();
    EXPECT_EQ(allBytes(), before) << "a file was replaced although the save failed";
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 5) << "a temporary file was left";
    ASSERT_EQ(alerts.size(), 2u);
    EXPECT_EQ(alerts[0].title, loc("ImpossibleEnregistrer"));
    EXPECT_TRUE(alerts[0].message.contains("Palettes.plist")) << alerts[0].message.toStdString();
    EXPECT_EQ(postedCommands(EditorCommand::UpdateObjects), 0);
    EXPECT_EQ(quits, 0) << "save and quit quit although nothing was saved";
}

TEST_F(ControllerTest, AnUnreadableContextsFileIsNeverSavedOver)
{
    copySample();
    QFile damaged(folder + "/Contexts.plist");
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
    damaged.write("<?xml version=\"1.0\"?><plist><dict><key>contextsarray</key><array><dict>");
    damaged.close();
    const QMap<QString, QByteArray> before = allBytes();

    ASSERT_TRUE(controller->finishLaunching());
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].title, loc("FichiersEndommages"));
    EXPECT_EQ(store->count(ObjectsFile::Contexts), 0) << "no universal context is made up for a damaged file";
    QVEShortcutsManager::sharedManager().newShortcut();
    desktop().clearPostedNotifications();

    EXPECT_FALSE(controller->MIUpdateNow());
    EXPECT_EQ(allBytes(), before);
    ASSERT_EQ(alerts.size(), 2u);
    EXPECT_EQ(alerts[1].title, loc("ImpossibleEnregistrer"));
    EXPECT_EQ(postedCommands(EditorCommand::UpdateObjects), 0);
}

TEST_F(ControllerTest, AMissingContextsFileGivesTheUniversalContextAndSavesIt)
{
    copySample();
    ASSERT_TRUE(QFile::remove(folder + "/Contexts.plist"));
    ASSERT_TRUE(controller->finishLaunching());
    ASSERT_EQ(store->count(ObjectsFile::Contexts), 1);
    EXPECT_EQ(store->allContexts().first()->IDValue(), 0u);
    EXPECT_EQ(store->allContexts().first()->nameValue(), loc("NomContexte0"));
    ASSERT_TRUE(controller->MIUpdateNow());
    ObjectsFile::Contents contexts;
    ASSERT_EQ(ObjectsFile::read(folder + "/Contexts.plist", ObjectsFile::Contexts, &contexts), ObjectsFile::Status::Read);
    EXPECT_EQ(contexts.nextID, 1u);
    EXPECT_EQ(contexts.records.size(), 1);
}

TEST_F(ControllerTest, ObjectToEditIsOpenedAndDeletedAndTheClashWarningHonoursItsSetting)
{
    copySample();
    ASSERT_TRUE(zelk::plist::writeFile(folder + "/objecttoedit.plist", QVariantMap{{"actiontoedit", QVariantList{qint64(11), qint64(77)}}}));
    QStringList asked;
    QVEActionsManager::sharedManager().setActionEditorMaker([&]() -> std::shared_ptr<zelk::QVEActionEditorInterface> {
        asked << "editor";
        return nullptr;
    });
    ASSERT_TRUE(controller->finishLaunching());
    QVEActionsManager::sharedManager().setActionEditorMaker(nullptr);
    EXPECT_EQ(asked, QStringList{"editor"}) << "action 11 opens, action 77 does not exist";
    EXPECT_FALSE(QFile::exists(folder + "/objecttoedit.plist"));
    // A stored value, whatever it is, keeps the clash warning away.
    zelk::UserDefaults::shared().setValue("GEHotkeyConflict", true);
    QVEController again;
    alerts.clear();
    ASSERT_TRUE(again.finishLaunching());
    EXPECT_TRUE(alerts.empty());
}

TEST_F(ControllerTest, TheClashWarningShowsAtEveryStartUntilTheUserSaysNoMore)
{
    copySample();
    // A key launcher on a combination another program holds (a code no
    // other test asks about: the answer is kept for the process).
    constexpr quint32 held = 0x140000 + 33;
    desktop().virtualHotKeys().grabElsewhere(held);
    ObjectsFile::Contents launchers;
    ASSERT_EQ(ObjectsFile::read(folder + "/Launchers.plist", ObjectsFile::Launchers, &launchers), ObjectsFile::Status::Read);
    QVariantMap record = QVLauncher::newDataForType(0);
    record.insert("launcherID", qint64(900));
    QVariantMap params = record.value("launcherparams").toMap();
    params.insert("launcherkeycode", qint64(held));
    record.insert("launcherparams", params);
    launchers.records.append(record);
    ASSERT_TRUE(ObjectsFile::write(folder + "/Launchers.plist", ObjectsFile::Launchers, 901, launchers.records));

    // While the engine runs, its own grabs make every key look taken: no
    // check, no warning.
    const qint64 engine = desktop().virtualWorkspace().userLaunches("Zelk", "/opt/Zelk.app/Contents/MacOS/Zelk", true);
    {
        QVEController again;
        ASSERT_TRUE(again.finishLaunching());
    }
    EXPECT_TRUE(alerts.empty()) << "warned while the engine held the keys";
    desktop().virtualWorkspace().userQuits(engine);

    answerAlerts({1, 0}); // "OK" the first time, "NePlusRappeler" the second
    for (int start = 0; start < 3; ++start) {
        QVEController again;
        ASSERT_TRUE(again.finishLaunching());
    }
    ASSERT_EQ(alerts.size(), 2u) << "shown again after NePlusRappeler";
    EXPECT_EQ(alerts[0].title, locFormat("ConflitSystem1", {QVELaunchersManager::sharedManager().labelOfConflictingKeyBasedLaunchers()}));
    EXPECT_EQ(alerts[0].button2, loc("NePlusRappeler"));
    zelk::UserDefaults::shared().reload();
    ASSERT_TRUE(zelk::UserDefaults::shared().contains("GEHotkeyConflict"));
    EXPECT_FALSE(zelk::UserDefaults::shared().boolForKey("GEHotkeyConflict"));
}

TEST_F(ControllerTest, EngineMessagesFillTheReportAfterTheStoredDays)
{
    copySample();
    ASSERT_TRUE(zelk::plist::writeFile(folder + "/Report.plist",
                                       QVariantMap{{"2026-12-09", "day two\n"}, {"2026-12-08", "day one\n"}}));
    ASSERT_TRUE(controller->finishLaunching());
    controller->launcherNotification({{"action", "report"}, {"report", "<b>live</b>\n"}});
    controller->launcherNotification({{"action", "report"}, {"report", qint64(3)}});   // not a text
    controller->launcherNotification({{"action", "report"}, {"report", ""}});
    controller->launcherNotification({{"action", "unknown"}, {"report", "ignored\n"}});
    EXPECT_EQ(controller->reportWindow()->text(), "day one\nday two\n<b>live</b>\n");
    EXPECT_FALSE(controller->reportWindow()->isVisible()) << "a message does not show the window";

    controller->MIShowReport();
    EXPECT_TRUE(controller->reportWindow()->isVisible());
    desktop().clearPostedNotifications();
    controller->reportWindow()->cleanButton()->click();
    EXPECT_EQ(controller->reportWindow()->text(), "");
    EXPECT_EQ(postedCommands(EditorCommand::CleanReport), 1);
}

TEST_F(ControllerTest, OpenedFilesMakeOneBatchImportedWhenItsFirstIsAnExchangeFile)
{
    copySample();
    ASSERT_TRUE(controller->finishLaunching());
    const qsizetype menus = store->count(ObjectsFile::Menus);
    // Opening is never reported as done by the platform's measure.
    EXPECT_FALSE(controller->openFile(fixture("exchange/menus.zlex")));
    EXPECT_FALSE(controller->openFile(home->path() + "/notes.txt"));
    EXPECT_EQ(store->count(ObjectsFile::Menus), menus) << "acted on before the batch closed";
    ASSERT_TRUE(zelk::test::waitUntil([&] { return store->count(ObjectsFile::Menus) > menus; }, 5000))
        << "the batch was never imported";
    EXPECT_TRUE(alerts.empty()) << alerts[0].title.toStdString();
}

TEST_F(ControllerTest, NewObjectsFromTheMenusTakeTheSelectedContext)
{
    copySample();
    ASSERT_TRUE(controller->finishLaunching());
    QVContext* paint = store->contextWithID(1);
    ASSERT_NE(paint, nullptr);
    const auto contextIDs = [](const QVariantList& refs) {
        QList<quint32> ids;
        for (const QVariant& ref : refs)
            ids << uintValue(ref.toMap().value("cutcontextID"));
        return ids;
    };
    const QVariantMap model = QVEModelsManager::sharedManager().allModelsArray().value(0).toMap();
    ASSERT_FALSE(model.isEmpty());

    for (QVContext* selected : {static_cast<QVContext*>(nullptr), paint}) {
        SCOPED_TRACE(selected ? "a context selected" : "no context selected");
        window.context = selected;
        const qsizetype actions = store->count(ObjectsFile::Actions);
        controller->addObject(model);
        ASSERT_EQ(store->count(ObjectsFile::Actions), actions + 1) << "no action made of the model";
        QVShortcut* shortcut = store->allShortcuts().last();
        ASSERT_EQ(shortcut->actionsDictArray().size(), 1);
        EXPECT_EQ(uintValue(shortcut->actionsDictArray().first().toMap().value("cutactionID")), store->allActions().last()->IDValue());
        controller->MINewMenu();
        controller->MINewPalette();
        const QList<quint32> expected = selected ? QList<quint32>{1} : QList<quint32>{0};
        EXPECT_EQ(contextIDs(shortcut->contextsDictArray()), expected);
        EXPECT_EQ(contextIDs(store->allMenus().last()->contextsDictArray()), expected);
        EXPECT_EQ(contextIDs(store->allPalettes().last()->contextsDictArray()), expected);
    }
}

TEST_F(ControllerTest, OpenedFilesThatAreNoExchangeFilesBecomeActionsOfTheChosenModel)
{
    copySample();
    ASSERT_TRUE(controller->finishLaunching());
    QStringList paths;
    for (const char* name : {"first.txt", "second.zlex"}) {
        QFile file(home->path() + "/" + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("text");
        paths << file.fileName();
    }
    const qsizetype actions = store->count(ObjectsFile::Actions);
    const qsizetype menus = store->count(ObjectsFile::Menus);
    QVEPboardManager& chooser = QVEPboardManager::sharedManager();
    int offered = 0;
    // The user picks the document model among those offered for the whole batch.
    QTimer picker;
    QObject::connect(&picker, &QTimer::timeout, [&] {
        if (!chooser.panel()->isVisible())
            return;
        picker.stop();
        offered = chooser.modelsTable()->rowCount();
        chooser.modelsTable()->setCurrentCell(0, 0);
        const QVariantList models = chooser.possibleModels();
        for (qsizetype row = 0; row < models.size(); ++row) {
            if (models[row].toMap().value("modelclass") == "DocumentShortcut")
                chooser.modelsTable()->setCurrentCell(int(row), 0);
        }
        chooser.stopPanel();
    });
    picker.start(10);
    for (const QString& path : paths)
        EXPECT_FALSE(controller->openFile(path));
    ASSERT_TRUE(zelk::test::waitUntil([&] { return store->count(ObjectsFile::Actions) > actions; }, 5000))
        << "no action was made of the opened files";
    EXPECT_GT(offered, 0);
    EXPECT_EQ(store->count(ObjectsFile::Menus), menus) << "an exchange file after the first was imported";
    QString made;
    for (qsizetype i = actions; i < store->count(ObjectsFile::Actions); ++i)
        made += QString::fromUtf8(zelk::plist::writeXml(store->allActions().at(i)->dictValue()));
    EXPECT_TRUE(made.contains("first.txt") && made.contains("second.zlex")) << "not one batch: " << made.toStdString();
}

TEST_F(ControllerTest, TheMissingClassAlertComesOncePerName)
{
    controller->addMissingPlugin("GoneShortcut");
    controller->addMissingPlugin("GoneShortcut");
    controller->addMissingPlugin("OtherShortcut");
    ASSERT_EQ(alerts.size(), 2u);
    EXPECT_EQ(alerts[0].title, locFormat("PluginManquant", {"GoneShortcut"}));
    EXPECT_EQ(alerts[1].title, locFormat("PluginManquant", {"OtherShortcut"}));
}

TEST_F(ControllerTest, TheMenuOfObjectsIsSortedByTitleTheLaterOfEqualTitlesFirst)
{
    QList<zelk::QVEMainObject*> objects;
    for (const char* name : {"beta", "Alpha", "alpha"}) {
        QVShortcut* s = addShortcut({});
        s->setNameValue(name);
        objects << s;
    }
    EXPECT_EQ(controller->menuForObjects({}), nullptr);
    std::unique_ptr<QMenu> menu(controller->menuForObjects(objects));
    ASSERT_NE(menu, nullptr);
    QStringList titles;
    for (QAction* a : menu->actions())
        titles << a->text();
    const auto title = [](const char* n) { return locFormat("ShortcutLinkName", {QString::fromLatin1(n)}); };
    EXPECT_EQ(titles, (QStringList{title("alpha"), title("Alpha"), title("beta")}));
}

TEST_F(ControllerTest, MakingAWindowActiveShowsItWithinItsBound)
{
    QWidget target;
    controller->makeActiveWithWindow(&target, 50);
    // The offscreen platform may never report the editor active: the wait
    // ends at its bound with the window shown all the same.
    EXPECT_TRUE(zelk::test::waitUntil([&] { return target.isVisible(); }, 5000));
}

// A list's delegate that answers some verbs, as the lists' delegates do.
class FakeDelegate : public QVETableVerbTarget {
public:
    bool answersVerb(const QString& verb) const override { return answers.contains(verb); }
    bool verbEnabledInTableView(const QString& verb, QAbstractItemView*) override { return answers.contains(verb); }
    void verbInTableView(const QString& verb, QObject*, QAbstractItemView*) override { performed << verb; }
    QStringList answers;
    QStringList performed;
};

// A list (a table of the lists' kind) with its delegate.
struct FakeList {
    explicit FakeList(QLayout* layout, const QStringList& answers)
    {
        delegate.answers = answers;
        view = new StripedTableView;
        view->setModel(&model);
        view->setVerbDelegate(&delegate);
        layout->addWidget(view);
    }
    QStandardItemModel model{2, 1};
    FakeDelegate delegate;
    StripedTableView* view;
};

TEST_F(ControllerTest, WithTheRealMainWindowEditingAShortcutOrAMenuOpensItsEditorWindow)
{
    copySample();
    controller = std::make_unique<QVEController>();
    installMainWindow(*controller);
    ASSERT_TRUE(controller->finishLaunching());
    ASSERT_FALSE(store->allShortcuts().isEmpty());
    QVShortcut* shortcut = store->allShortcuts().first();
    QVEShortcutsManager::sharedManager().editObjectsID({shortcut->IDValue()});
    const auto editorShown = [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("QVEShortcutEditorWindow") && w->isVisible())
                return true;
        return false;
    };
    EXPECT_TRUE(zelk::test::waitUntil(editorShown)) << "no editor window opened";

    ASSERT_FALSE(store->allMenus().isEmpty());
    const int before = QApplication::topLevelWidgets().size();
    QVEMenusManager::sharedManager().editObjectsID({store->allMenus().first()->IDValue()});
    EXPECT_TRUE(zelk::test::waitUntil([before] { return QApplication::topLevelWidgets().size() > before; }))
        << "no menu editor window opened";
}

TEST_F(ControllerTest, TheLibraryOpensFromItsMenuAndItsLayoutIsSavedWithTheFiles)
{
    copySample();
    ASSERT_TRUE(controller->finishLaunching());
    controller->MILibrary();
    QWidget* library = QVELibrary::sharedLibrary().window();
    ASSERT_NE(library, nullptr);
    EXPECT_TRUE(zelk::test::waitUntil([library] { return library->isVisible(); }));
    ASSERT_TRUE(controller->MIUpdateNow());
    EXPECT_TRUE(zelk::UserDefaults::standard().dictionaryForKey("LibraryPref").value("displayed").toBool());
}

TEST_F(ControllerTest, EditItemsAreEnabledOnlyWhileTheFocusedListAnswersThemAndReturnEdits)
{
    copySample();
    ASSERT_TRUE(controller->finishLaunching());
    QVEMenuBar& bar = *controller->menuBar();
    QWidget top;
    auto* layout = new QVBoxLayout(&top);
    FakeList editing(layout, {"copy", "clear", "edit"});
    FakeList other(layout, {"paste"});
    auto* field = new QLineEdit;
    layout->addWidget(field);
    top.show();
    QApplication::setActiveWindow(&top);
    const auto focus = [](QWidget* w) {
        w->setFocus();
        return zelk::test::waitUntil([w] { return QApplication::focusWidget() == w; });
    };
    const auto enabled = [&bar] {
        QStringList on;
        for (const char* verb : {"cut", "copy", "paste", "clear", "duplicate", "edit", "export", "run"})
            if (bar.action(verb)->isEnabled())
                on << verb;
        return on;
    };

    ASSERT_TRUE(focus(editing.view));
    EXPECT_EQ(enabled(), (QStringList{"copy", "clear", "edit"}));
    EXPECT_TRUE(bar.clearItem()->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Backspace)));
    bar.action("copy")->trigger();
    bar.action("paste")->trigger(); // fired by its key all the same: the gate keeps it out
    // Return edits the selection and goes no further; another key reaches the list.
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, "\r");
        QApplication::sendEvent(editing.view, &press);
    }
    EXPECT_EQ(editing.delegate.performed, (QStringList{"copy", "edit", "edit"}));

    ASSERT_TRUE(focus(other.view));
    EXPECT_EQ(enabled(), QStringList{"paste"});
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
    QApplication::sendEvent(other.view, &press);
    EXPECT_TRUE(other.delegate.performed.isEmpty()) << "Return edited where the list does not edit";

    ASSERT_TRUE(focus(field));
    EXPECT_EQ(enabled(), QStringList{});
}

} // namespace
} // namespace editor::test
