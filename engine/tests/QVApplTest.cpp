// The engine application: start-up and its gates, the data folder, reloads,
// editor commands, system events, the sleep and shut-down hand-shakes, the
// quit path, the report and the recently run objects.
#include "DataFileRecords.h"
#include "EngineAppTestSupport.h"

#include "ClassRegistry.h"
#include "QVAction.h"
#include "QVActionsManager.h"
#include "QVContext.h"
#include "QVContextsManager.h"
#include "QVLauncher.h"
#include "QVNewUserPanel.h"
#include "QVPalette.h"
#include "QVPalettesManager.h"
#include "QVStatusItemManager.h"
#include "QVReport.h"
#include "QVShortcut.h"
#include "QVShortcutsManager.h"
#include "WorkerPool.h"

#include <QApplication>
#include <QCheckBox>
#include <QLockFile>
#include <QProcess>
#include <QPushButton>
#include <algorithm>
#include <future>
#include <thread>

using namespace engine;
using namespace engine::test;

namespace {

constexpr quint32 kCtrlAltT = 0x100000 | 0x80000 | 17; // stored command = Ctrl, option = Alt
constexpr quint32 kCtrlAltD = 0x100000 | 0x80000 | 2;

// An action type for the runs the engine starts: counts its runs.
class EngineAppProbe : public zelk::QVAction {
    ZELK_ACTION_CLASS(EngineAppProbe, QVAction)
public:
    static std::atomic<int>& runs()
    {
        static std::atomic<int> count{0};
        return count;
    }
    QString runActionFromObject(const std::shared_ptr<zelk::QVActionController>&) override
    {
        ++runs();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return {};
    }
};

QVariantMap probeRecord(quint32 id)
{
    return {{"actionname", "Probe"}, {"actionclass", "EngineAppProbe"}, {"actionID", qint64(id)}, {"actiondata", QVariantMap{{"Action", 1}}},
            {"actioneditorrect", "{{0, 0}, {0, 0}}"}, {"actionnotused", false}};
}

QVariantMap step(quint32 actionID)
{
    return {{"cutactionID", qint64(actionID)}, {"cutactionactive", true},
            {"cutactionrunparams", QVariantMap{{"runrepeatnum", 0}, {"runrepeatpause", 0.0}}},
            {"cutactionresultparams", QVariantMap{{"resultsuccess", 0}, {"resultfailing", 0}, {"resultdelay", 5.0}}}};
}

// Something a launcher, menu or palette runs, and that records itself as
// the most recent run the way shortcuts do.
class RecallProbe : public QVLinkedObject {
public:
    void runObject() override
    {
        ++runs;
        QVAppl::shared()->addLastCutObject(shared_from_this());
    }
    void setObjectActivated(bool) override {}
    std::atomic<int> runs{0};
};

// A desktop whose applications never come to the front when asked.
class StubbornWorkspace : public zelk::Workspace {
public:
    explicit StubbornWorkspace(zelk::VirtualWorkspace& real) : m_real(real) {}
    std::optional<zelk::RunningApplication> frontApplication() override
    {
        ++frontAsked;
        return m_real.frontApplication();
    }
    QStringList recentApplications() override { return m_real.recentApplications(); }
    QList<zelk::RunningApplication> runningApplications() override { return m_real.runningApplications(); }
    qint64 ownPid() const override { return m_real.ownPid(); }
    bool launchApplication(const QString& p, const QStringList& d, qint64* pid) override { return m_real.launchApplication(p, d, pid); }
    bool openPath(const QString& p) override { return m_real.openPath(p); }
    bool activate(qint64 pid) override
    {
        ++activations;
        return m_real.pidOf(nameOf(pid)) != 0;
    }
    bool hide(qint64 pid) override { return m_real.hide(pid); }
    bool unhide(qint64 pid) override { return m_real.unhide(pid); }
    bool quit(qint64 pid) override { return m_real.quit(pid); }
    bool terminate(qint64 pid, bool force) override { return m_real.terminate(pid, force); }
    zelk::ObserverHandle observeApplications(std::function<void(const zelk::RunningApplication&, bool)> o,
                                             Programs programs = Programs::All) override
    {
        return m_real.observeApplications(std::move(o), programs);
    }
    zelk::ObserverHandle observeFrontApplication(std::function<void(const std::optional<zelk::RunningApplication>&)> o) override
    {
        return m_real.observeFrontApplication(std::move(o));
    }
    bool canReadWindows() override { return m_real.canReadWindows(); }
    std::optional<zelk::FocusedWindow> focusedWindow() override { return m_real.focusedWindow(); }

    std::atomic<int> activations{0}, frontAsked{0};

private:
    QString nameOf(qint64 pid)
    {
        for (const auto& app : m_real.runningApplications())
            if (app.pid == pid)
                return app.name;
        return {};
    }
    zelk::VirtualWorkspace& m_real;
};

class StubbornDesktop : public zelk::VirtualPlatform {
public:
    zelk::Workspace& workspace() override { return m_stubborn; }
    StubbornWorkspace& stubborn() { return m_stubborn; }

private:
    StubbornWorkspace m_stubborn{virtualWorkspace()};
};

class QVApplTest : public EngineAppTest {
protected:
    void SetUp() override
    {
        EngineAppTest::SetUp();
        zelk::ClassRegistry::shared().registerClass(&EngineAppProbe::classObject());
        EngineAppProbe::runs() = 0;
    }

    void expectRefused()
    {
        EXPECT_FALSE(appl->isStarted());
        EXPECT_TRUE(appl->hasQuit());
        EXPECT_NE(appl->exitStatus(), 0) << "a refused engine must fail for the scripts that start it";
        EXPECT_EQ(alertsStartingWith("Zelk is already running").size(), 1);
        // Nothing loaded, nothing written: not even the running engine's launcher dates.
        EXPECT_FALSE(QFileInfo::exists(dataFolder()));
        EXPECT_TRUE(registeredKeys().isEmpty());
    }

    QList<quint32> registeredKeys() const { return desktop->virtualHotKeys().registeredCodes(); }
    QString todayKey() const { return desktop->virtualClock().now().toLocalTime().date().toString("yyyyMMdd"); }
};

// --- Start-up and the data folder ------------------------------------------------

TEST_F(QVApplTest, FirstRunSeedsTheSixFilesAndTheSharedDomainThenStarts)
{
    onboard();
    NotificationRecorder seen({"EndInitNotification", "BootNotification"});
    launch();

    ASSERT_TRUE(appl->isStarted());
    for (const char* name : {"Actions.plist", "Contexts.plist", "Launchers.plist", "Shortcuts.plist", "Menus.plist", "Palettes.plist"})
        EXPECT_EQ(readBytes(dataFolder() + "/" + name), readBytes(resource(name))) << name;
    const QVariantMap prefs = readPlist(resource("Preferences.plist"));
    ASSERT_FALSE(prefs.isEmpty());
    EXPECT_EQ(readPlist(zelk::UserDefaults::pathForDomain(zelk::UserDefaults::SharedDomain)), prefs);
    EXPECT_EQ(appl->prefsPathForDataType(1), dataFolder());
    // Loaded, then booted; the starter shortcuts' keys are live.
    EXPECT_EQ(seen.names(), QStringList({"EndInitNotification", "BootNotification"}));
    EXPECT_EQ(registeredKeys(), QList<quint32>({kCtrlAltD, kCtrlAltT}));
    // The settings come from the seeded domain.
    EXPECT_EQ(appl->daysSaveReport(), prefs.value("GEDaysSaveReport").toInt());
    EXPECT_FLOAT_EQ(QVPalette::deactivateDelay(), prefs.value("PAPaletteDeactivatedDelay").toFloat());
}

// The default "Open a terminal" names the Debian alternative; on a machine
// without it the first copy names the user's terminal instead.
TEST_F(QVApplTest, FirstRunPointsTheDefaultTerminalAtTheUsersTerminal)
{
    const QString alternative = "/usr/bin/x-terminal-emulator";
    const struct {
        QString terminal;
        QString expected;
    } cases[] = {
        {"/usr/share/applications/org.example.Term.desktop", "/usr/share/applications/org.example.Term.desktop"},
        {"/opt/bin/myterm", "/opt/bin/myterm"},
        {alternative, alternative},
        {"", alternative},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.terminal.toStdString());
        appl.reset();
        ASSERT_TRUE(QDir(dataFolder()).removeRecursively());
        desktop->virtualWorkspace().setTerminalApplication(c.terminal);
        onboard();
        launch();
        ASSERT_TRUE(appl->isStarted());

        QVariantList expected = readPlist(resource("Actions.plist")).value("actionsarray").toList();
        int terminals = 0;
        for (QVariant& record : expected) {
            QVariantMap action = record.toMap();
            QVariantMap data = action.value("actiondata").toMap();
            if (data.value("AppPath") != alternative)
                continue;
            ++terminals;
            data.insert("AppPath", c.expected);
            action.insert("actiondata", data);
            record = action;
        }
        ASSERT_EQ(terminals, 1);
        const QVariantMap copied = readPlist(dataFolder() + "/Actions.plist");
        EXPECT_EQ(copied.value("actionsarray").toList(), expected);
        EXPECT_EQ(copied.value("nextID"), readPlist(resource("Actions.plist")).value("nextID"));
        if (c.expected == alternative) {
            EXPECT_EQ(readBytes(dataFolder() + "/Actions.plist"), readBytes(resource("Actions.plist")));
        }
    }
}

TEST_F(QVApplTest, FormerVersionFolderReplacesTheResourceCopies)
{
    const QString former = home->configHome() + "/Quov";
    const QVariantMap actions{{"nextID", 8}, {"actionsarray", QVariantList{probeRecord(7)}}};
    const QVariantMap prefs{{"GEDaysSaveReport", 3}, {"GEReportEachItem", true}};
    writePlist(former + "/Actions.plist", actions);
    writePlist(former + "/Preferences.plist", prefs);
    onboard();
    launch();

    EXPECT_EQ(readPlist(dataFolder() + "/Actions.plist"), actions);
    // A file the former version lacks keeps the resource copy.
    EXPECT_EQ(readBytes(dataFolder() + "/Shortcuts.plist"), readBytes(resource("Shortcuts.plist")));
    EXPECT_EQ(zelk::UserDefaults::shared().persistentDomain(), prefs);
    EXPECT_EQ(appl->daysSaveReport(), 3);
    EXPECT_TRUE(appl->reportEachItem());
}

TEST_F(QVApplTest, ExistingFolderIsReadAsItIsWithTheSharedDomainsSettings)
{
    const QVariantMap actions{{"nextID", 8}, {"actionsarray", QVariantList{probeRecord(7)}}};
    writePlist(dataFolder() + "/Actions.plist", actions);
    zelk::UserDefaults::shared().setPersistentDomain({{"GEReportEachItem", true}, {"GEDaysSaveReport", 2}});
    onboard();
    launch();

    EXPECT_EQ(readPlist(dataFolder() + "/Actions.plist"), actions);
    EXPECT_FALSE(QFileInfo::exists(dataFolder() + "/Shortcuts.plist"));
    EXPECT_TRUE(QVActionsManager::sharedManager().actionWithID(7));
    EXPECT_TRUE(appl->reportEachItem());
    EXPECT_EQ(appl->daysSaveReport(), 2);
}

TEST_F(QVApplTest, StartRemovesTheTemporariesOfWritersThatAreGone)
{
    writePlist(dataFolder() + "/Actions.plist", {{"actionsarray", QVariantList{probeRecord(7)}}});
    QProcess gone;
    gone.start("true", {});
    ASSERT_TRUE(gone.waitForStarted());
    const qint64 deadPid = gone.processId();
    ASSERT_TRUE(gone.waitForFinished());
    const QString stale = dataFolder() + QString("/.Report.plist.%1.q1W2e3").arg(deadPid);
    const QString ours = dataFolder() + QString("/.Report.plist.%1.q1W2e3").arg(QCoreApplication::applicationPid());
    for (const QString& path : {stale, ours}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    onboard();
    launch();
    ASSERT_TRUE(appl->isStarted());
    EXPECT_FALSE(QFileInfo::exists(stale)) << "a killed writer's temporary stays for ever";
    EXPECT_TRUE(QFileInfo::exists(ours)) << "a writer that still runs keeps its temporary";
    EXPECT_TRUE(QVActionsManager::sharedManager().actionWithID(7));
}

TEST_F(QVApplTest, PrefsPathForDataTypeSetsTheFolderUpOnFirstUse)
{
    appl = QVAppl::make();
    const struct {
        int type;
        bool folder;
    } cases[] = {{0, false}, {1, true}, {2, true}, {3, false}, {-1, false}};
    for (const auto& c : cases)
        EXPECT_EQ(appl->prefsPathForDataType(c.type), c.folder ? dataFolder() : QString()) << c.type;
    EXPECT_TRUE(QFileInfo::exists(dataFolder() + "/Launchers.plist"));
}

TEST_F(QVApplTest, ReadPrefsEmptiesInReverseLoadsInFileOrderThenPostsEndInit)
{
    onboard();
    launch();
    QStringList calls;
    auto observer = zelk::NotificationCenter::defaultCenter().addObserver("EndInitNotification", nullptr,
                                                                        [&](const zelk::Notification& n) { calls << n.name; });
    QList<QVAppl::ObjectsFile> files;
    for (const QVAppl::ObjectsFile& real : QVAppl::defaultObjectsFiles()) {
        const QString name = real.fileName;
        files.append({name, real.arrayKey, [&calls, name] { calls << "reset " + name; },
                      [&calls, name](const QVariantList& records) { calls << QString("set %1 %2").arg(name).arg(records.size()); },
                      real.idKey});
    }
    appl->setObjectsFiles(files);
    QFile::remove(dataFolder() + "/Menus.plist");
    QFile broken(dataFolder() + "/Palettes.plist");
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
    broken.write("<plist><dict><key>palettesarray");
    broken.close();

    appl->readPrefs();

    EXPECT_EQ(calls, QStringList({"reset Palettes.plist", "reset Menus.plist", "reset Shortcuts.plist", "reset Launchers.plist",
                                  "reset Contexts.plist", "reset Actions.plist", "set Actions.plist 2", "set Contexts.plist 1",
                                  "set Launchers.plist 2", "set Shortcuts.plist 2", "set Menus.plist 0", "EndInitNotification"}))
        << "a missing file holds no objects; a damaged one is not known, and its manager is told nothing";
}

TEST_F(QVApplTest, MissingActionClassesAlertOncePerName)
{
    onboard();
    launch();
    // The starter actions' types live in a plug-in this bundle lacks.
    EXPECT_EQ(alertsStartingWith("The action type “KeyboardShortcut” is missing").size(), 1);
    EXPECT_EQ(alertsStartingWith("The action type “ApplicationShortcut” is missing").size(), 1);

    appl->addMissingPlugin("Nope");
    appl->addMissingPlugin("Nope");
    appl->addMissingPlugin("Other");
    appl->readPrefs(); // the same missing classes again
    EXPECT_EQ(alertsStartingWith("The action type “Nope” is missing").size(), 1);
    EXPECT_EQ(alertsStartingWith("The action type “Other” is missing").size(), 1);
    EXPECT_EQ(alertsStartingWith("The action type “KeyboardShortcut” is missing").size(), 1);
}

// --- One engine per user --------------------------------------------------------------

TEST_F(QVApplTest, SecondEngineByTheLockAlertsAndQuitsBeforeLoadingAnything)
{
    QLockFile other(QVAppl::instanceLockPath());
    ASSERT_TRUE(other.tryLock(0));
    onboard();
    launch();
    expectRefused();
}

TEST_F(QVApplTest, AnEngineStillShowingItsWelcomePanelDoesNotCount)
{
    // Two engine processes listed, neither holding the lock: one is this
    // engine, the other waits behind its welcome panel.
    desktop->virtualWorkspace().userLaunches("Zelk.app", "/opt/zelk/Zelk.app");
    desktop->virtualWorkspace().userLaunches("Zelk.app", "/opt/zelk/Zelk.app");
    onboard();
    launch();
    EXPECT_TRUE(appl->isStarted());
    EXPECT_TRUE(alertsStartingWith("Zelk is already running").isEmpty());
}

TEST_F(QVApplTest, StartingAgainAsksTheRunningEngineToReopenAndQuitsQuietly)
{
    QLockFile other(QVAppl::instanceLockPath());
    ASSERT_TRUE(other.tryLock(0));
    desktop->virtualCommands().setNameTaken(true); // the running engine answers on the bus
    onboard();
    launch();
    EXPECT_EQ(desktop->virtualCommands().reopenRequests(), 1);
    EXPECT_FALSE(appl->isStarted());
    EXPECT_TRUE(appl->hasQuit());
    EXPECT_EQ(appl->exitStatus(), 0);
    EXPECT_TRUE(alerts().isEmpty()) << "the running engine asks, not this one: " << alerts().join("\n").toStdString();
    EXPECT_FALSE(QFileInfo::exists(dataFolder()));
    EXPECT_EQ(desktop->virtualCommands().published(), nullptr);
}

TEST_F(QVApplTest, AReopenRequestAsksTheQuestionAfterAnswering)
{
    onboard();
    launch();
    ASSERT_TRUE(appl->isStarted());
    zelk::EngineCommands* commands = desktop->virtualCommands().published();
    ASSERT_NE(commands, nullptr);
    answerAlertsWith(0);
    commands->reopen();
    EXPECT_TRUE(alertsStartingWith("Zelk is running").isEmpty()) << "asked before the caller had its answer";
    ASSERT_TRUE(waitUntil([&] { return alertsStartingWith("Zelk is running").size() == 1; }));
    EXPECT_FALSE(appl->isTerminating());
}

TEST_F(QVApplTest, RunningEngineHoldsTheLockUntilItGoes)
{
    onboard();
    launch();
    ASSERT_TRUE(appl->isStarted());
    QLockFile second(QVAppl::instanceLockPath());
    EXPECT_FALSE(second.tryLock(0));
    appl.reset();
    EXPECT_TRUE(second.tryLock(0));
}

// --- Onboarding -----------------------------------------------------------------------

TEST_F(QVApplTest, FirstLaunchWaitsForTheStartButton)
{
    launch();
    QVNewUserPanel* panel = appl->newUserPanel();
    ASSERT_TRUE(panel);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_FALSE(appl->isStarted());
    EXPECT_FALSE(QFileInfo::exists(dataFolder()));

    panel->startButton()->click();
    EXPECT_TRUE(appl->isStarted());
    EXPECT_EQ(zelk::UserDefaults::standard().stringForKey("QVOnboardedVersion"), zelk::Bundle::main().version());
    EXPECT_FALSE(panel->isStartupViewVisible());
    // Closing it now leaves the engine running.
    panel->close();
    EXPECT_FALSE(appl->isTerminating());
}

TEST_F(QVApplTest, ClosingThePanelBeforeStartingQuits)
{
    launch();
    ASSERT_TRUE(appl->newUserPanel());
    appl->newUserPanel()->close();
    EXPECT_TRUE(appl->hasQuit());
    EXPECT_EQ(appl->exitStatus(), 0) << "the user's own choice is no failure";
    EXPECT_FALSE(appl->isStarted());
    EXPECT_FALSE(QFileInfo::exists(dataFolder()));
}

TEST_F(QVApplTest, OnboardedEngineStartsAtOnceAndShowsThePanelUnlessSuppressed)
{
    onboard(/*suppressPanel=*/false);
    launch();
    EXPECT_TRUE(appl->isStarted());
    QVNewUserPanel* panel = appl->newUserPanel();
    ASSERT_TRUE(panel);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_FALSE(panel->isStartupViewVisible());

    panel->loginItemCheck()->setChecked(true);
    EXPECT_TRUE(desktop->virtualLoginItems().isEnabled("org.zelk.Zelk.helper"));
    panel->loginItemCheck()->setChecked(false);
    EXPECT_FALSE(desktop->virtualLoginItems().isEnabled("org.zelk.Zelk.helper"));
    panel->suppressCheck()->setChecked(true);
    EXPECT_TRUE(zelk::UserDefaults::standard().boolForKey("QVSuppressIntroPanel"));

    appl.reset();
    launch();
    EXPECT_TRUE(appl->isStarted());
    EXPECT_FALSE(appl->newUserPanel());
}

// --- Editor commands ---------------------------------------------------------------------

TEST_F(QVApplTest, SettingVerbsTakeWellFormedValuesOnly)
{
    onboard();
    launch();
    const struct {
        const char* verb;
        QVariant param;
        float delay;
        bool checkUpdate;
        bool reportEachItem;
    } cases[] = {
        {"palettedelay", 2.5, 2.5f, false, false},
        {"palettedelay", "fast", 2.5f, false, false},
        {"palettedelay", true, 2.5f, false, false},
        {"versioncheck", true, 2.5f, true, false},
        {"versioncheck", "no", 2.5f, true, false},
        {"versioncheck", 0, 2.5f, false, false},
        {"reporteachitem", 1, 2.5f, false, true},
        {"reporteachitem", QVariant(), 2.5f, false, true},
        {"reporteachitem", false, 2.5f, false, false},
        {"formatdisk", true, 2.5f, false, false},
        {"", 1, 2.5f, false, false},
    };
    for (const auto& c : cases) {
        editorCommand(c.verb, c.param);
        SCOPED_TRACE(std::string(c.verb) + " " + c.param.toString().toStdString());
        EXPECT_FLOAT_EQ(QVPalette::deactivateDelay(), c.delay);
        EXPECT_EQ(appl->automaticallyChecksForUpdates(), c.checkUpdate);
        EXPECT_EQ(appl->reportEachItem(), c.reportEachItem);
    }
}

TEST_F(QVApplTest, UnknownVerbDoesNothing)
{
    onboard();
    launch();
    NotificationRecorder seen({"EndInitNotification", "BootNotification"});
    const QStringList alertsBefore = alerts();
    desktop->virtualWorkspace().clearRequests();
    desktop->post("QVEditorNotification", {{"action", "formatdisk"}, {"param0", QVariantMap{{"all", true}}}});
    desktop->post("QVEditorNotification", {{"action", 42}});
    desktop->post("QVEditorNotification", {});
    QCoreApplication::processEvents();
    EXPECT_TRUE(seen.names().isEmpty());
    EXPECT_EQ(alerts(), alertsBefore);
    EXPECT_EQ(registeredKeys(), QList<quint32>({kCtrlAltD, kCtrlAltT}));
    EXPECT_TRUE(desktop->virtualWorkspace().requests().isEmpty());
    EXPECT_FALSE(appl->isTerminating());
}

TEST_F(QVApplTest, UpdateObjectsSavesDatesReloadsAndSwitchesTheUniversalContextOn)
{
    onboard();
    launch();
    QVariantMap actions = readPlist(dataFolder() + "/Actions.plist");
    QVariantList records = actions.value("actionsarray").toList();
    records.append(probeRecord(9));
    actions.insert("actionsarray", records);
    writePlist(dataFolder() + "/Actions.plist", actions);
    NotificationRecorder seen({"EndInitNotification"});

    editorCommand("updateobjects");

    EXPECT_EQ(seen.count("EndInitNotification"), 1);
    EXPECT_TRUE(QVActionsManager::sharedManager().actionWithID(9));
    EXPECT_TRUE(QFileInfo::exists(dataFolder() + "/LaunchersDate.plist"));
    EXPECT_EQ(registeredKeys(), QList<quint32>({kCtrlAltD, kCtrlAltT}));
}

// The tray items follow each reload; panels and tray items go with the engine.
TEST_F(QVApplTest, MenusAndPalettesFollowTheReloadsAndGoWithTheEngine)
{
    using namespace zelk::test::records;
    onboard();
    launch();
    auto writeMenus = [&](bool inBar) {
        writePlist(dataFolder() + "/Menus.plist",
                   {{"nextID", 2}, {"menusarray", QVariantList{menuRecord(1, "Bar", {menuItem(0, 0, "a"), menuItem(0, 0, "b")},
                                                                          {.inBar = inBar})}}});
    };
    auto shownPanel = [] {
        const auto palette = QVPalettesManager::sharedManager().paletteWithID(1);
        return palette && palette->isVisible() ? QPointer<QVPalettePanel>(palette->panel()) : QPointer<QVPalettePanel>();
    };
    writeMenus(true);
    writePlist(dataFolder() + "/Palettes.plist", {{"nextID", 2}, {"palettesarray", QVariantList{paletteRecord(1, "Shown", {})}}});
    editorCommand("updateobjects");
    QVStatusItemManager& items = QVStatusItemManager::sharedManager();
    EXPECT_TRUE(items.isStatusItemForID(1));
    const QPointer<QVPalettePanel> first = shownPanel();
    ASSERT_TRUE(first);

    writeMenus(false);
    editorCommand("updateobjects");
    EXPECT_FALSE(items.isStatusItemForID(1)) << "no longer in the bar";
    EXPECT_TRUE(first.isNull() || !first->isVisible()) << "the panel of before the reload is still up";
    writeMenus(true);
    editorCommand("updateobjects");
    ASSERT_TRUE(items.isStatusItemForID(1));
    const QPointer<QVPalettePanel> last = shownPanel();
    ASSERT_TRUE(last);

    appl.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(items.isStatusItemForID(1));
    EXPECT_TRUE(last.isNull()) << "a panel outlived the engine";
}

TEST_F(QVApplTest, DeactivateKeyComboSwitchesAllHotKeys)
{
    onboard();
    launch();
    editorCommand("deactivatekeycombo", true);
    EXPECT_TRUE(registeredKeys().isEmpty());
    EXPECT_TRUE(appl->isKeyCaptureOn());
    EXPECT_FALSE(appl->deactivateKeyCombo()) << "a key capture is not the setting";
    editorCommand("deactivatekeycombo", false);
    EXPECT_EQ(registeredKeys(), QList<quint32>({kCtrlAltD, kCtrlAltT}));
}

TEST_F(QVApplTest, DeactivateKeyComboIgnoresARepeatAndLeavesTheContextRulesAlone)
{
    // While gedit is in front, its context's rule keeps every hot key off:
    // a key capture in the editor neither overrides that rule nor ends it.
    QVariantMap contexts = readPlist(resource("Contexts.plist"));
    QVariantList list = contexts.value("contextsarray").toList();
    list.append(QVariantMap{{"contextID", 9}, {"contextname", "gedit"}, {"contexttype", 1},
                            {"contextparams", QVariantMap{{"contextactivatedapplication", "gedit"}}},
                            {"contextrules", QVariantList{QVariantMap{{"ruletype", 0}, {"ruleactive", true}, {"ruleparams", QVariantMap()}}}}});
    contexts.insert("contextsarray", list);
    writePlist(dataFolder() + "/Contexts.plist", contexts);
    for (const char* name : {"Actions.plist", "Launchers.plist", "Shortcuts.plist"})
        QFile::copy(resource(name), dataFolder() + "/" + name);
    onboard();
    launch();
    zelk::VirtualWorkspace& workspace = desktop->virtualWorkspace();
    workspace.userLaunches("gedit.desktop");
    ASSERT_TRUE(waitUntil([&] { return registeredKeys().isEmpty(); }));

    editorCommand("deactivatekeycombo", false); // no capture going on: ignored
    EXPECT_TRUE(registeredKeys().isEmpty());
    editorCommand("deactivatekeycombo", true);
    editorCommand("deactivatekeycombo", true);
    EXPECT_TRUE(registeredKeys().isEmpty());
    editorCommand("deactivatekeycombo", false); // the capture ends; the rule still holds
    EXPECT_TRUE(registeredKeys().isEmpty());

    workspace.userLaunches("xterm", "/usr/bin/xterm"); // the rule ends
    EXPECT_TRUE(waitUntil([&] { return registeredKeys() == QList<quint32>({kCtrlAltD, kCtrlAltT}); }));
}

TEST_F(QVApplTest, AKeyCaptureAndTheEditorInFrontAreSeparateReasonsToKeepHotKeysOff)
{
    zelk::UserDefaults::standard().setValue("GEDeactivateKeyCombo", true);
    onboard();
    launch();
    ASSERT_TRUE(appl->deactivateKeyCombo());
    const QList<quint32> allKeys{kCtrlAltD, kCtrlAltT};
    zelk::VirtualWorkspace& workspace = desktop->virtualWorkspace();
    const qint64 gedit = workspace.userLaunches("gedit.desktop");
    const qint64 editor = workspace.userLaunches("Zelk Editor.app", bundlePath + "/Contents/MacOS/Zelk Editor.app");
    EXPECT_TRUE(registeredKeys().isEmpty()) << "the setting keeps them off while the editor is in front";

    // A capture that ends while the editor is in front switches nothing on,
    // and leaves the setting as it was.
    editorCommand("deactivatekeycombo", true);
    editorCommand("deactivatekeycombo", false);
    EXPECT_TRUE(registeredKeys().isEmpty());
    EXPECT_TRUE(appl->deactivateKeyCombo());
    workspace.userActivates(gedit);
    EXPECT_EQ(registeredKeys(), allKeys);

    // The editor leaving the front during a capture switches nothing on either.
    editorCommand("deactivatekeycombo", true);
    workspace.userActivates(editor);
    workspace.userActivates(gedit);
    EXPECT_TRUE(registeredKeys().isEmpty());
    editorCommand("deactivatekeycombo", false);
    EXPECT_EQ(registeredKeys(), allKeys);
}

TEST_F(QVApplTest, RunVerbsRunTheTestOnAThreadOfItsOwn)
{
    onboard();
    launch();
    ASSERT_NO_FATAL_FAILURE(postAsTheEditor());
    editorCommand("runaction", probeRecord(50));
    ASSERT_TRUE(waitUntil([] { return EngineAppProbe::runs() == 1; }));

    const QVariantMap shortcut{{"cutname", "Test"}, {"cutID", 60}, {"cutimage", QByteArray()},
                               {"cutactions", QVariantList{step(51)}}, {"cutlaunchers", QVariantList()},
                               {"cutcontexts", QVariantList()}, {"cutrunparams", QVariantMap{{"runrepeatnum", 0}, {"runrepeatpause", 0.0}}}};
    editorCommand("runshortcut", QVariantMap{{"exportedshortcuts", shortcut}, {"exportedactions", QVariantList{probeRecord(51)}}});
    ASSERT_TRUE(waitUntil([] { return EngineAppProbe::runs() == 2; }));

    // Malformed arguments run nothing: they are turned away where they
    // arrive, and a well-formed run sent after them is the only one to go.
    zelk::test::LogCapture log;
    editorCommand("runaction", "Probe");
    editorCommand("runshortcut", QVariantList{shortcut});
    auto turnedAway = [&](const char* verb) {
        const QStringList lines = log.lines();
        return std::any_of(lines.begin(), lines.end(),
                           [&](const QString& l) { return l.contains(QString("ignored %1 ").arg(verb)); });
    };
    EXPECT_TRUE(waitUntil([&] { return turnedAway("runaction") && turnedAway("runshortcut"); })) << log.lines().join('\n').toStdString();
    editorCommand("runaction", probeRecord(52));
    ASSERT_TRUE(waitUntil([] { return EngineAppProbe::runs() >= 3; }));
    EXPECT_EQ(EngineAppProbe::runs(), 3);
}

TEST_F(QVApplTest, RecordsToRunAreTakenFromTheEditorOnly)
{
    onboard();
    launch();
    const QVariantMap shortcut{{"cutname", "Test"}, {"cutID", 60}, {"cutimage", QByteArray()},
                               {"cutactions", QVariantList{step(51)}}, {"cutlaunchers", QVariantList()},
                               {"cutcontexts", QVariantList()}, {"cutrunparams", QVariantMap{{"runrepeatnum", 0}, {"runrepeatpause", 0.0}}}};
    const QVariantMap payload{{"exportedshortcuts", shortcut}, {"exportedactions", QVariantList{probeRecord(51)}}};

    // Another program of the session, and one the desktop cannot tell.
    for (const zelk::NotificationSender& stranger :
         {zelk::NotificationSender{4343, "/usr/bin/dbus-send"}, zelk::NotificationSender{}}) {
        desktop->setPostSender(stranger);
        zelk::test::LogCapture log;
        editorCommand("runaction", probeRecord(50));
        editorCommand("runshortcut", payload);
        QCoreApplication::processEvents();
        EXPECT_EQ(log.lines().filter("refused").size(), 2) << log.lines().join("\n").toStdString();
    }
    // The same commands from the editor run; other verbs are anyone's.
    ASSERT_NO_FATAL_FAILURE(postAsTheEditor());
    editorCommand("runaction", probeRecord(50));
    editorCommand("runshortcut", payload);
    ASSERT_TRUE(waitUntil([] { return EngineAppProbe::runs() == 2; }));
    EXPECT_EQ(EngineAppProbe::runs(), 2) << "a refused record ran";
}

TEST_F(QVApplTest, StopShortcutsEndsTheRunsGoingOn)
{
    writePlist(dataFolder() + "/Actions.plist", {{"nextID", 53}, {"actionsarray", QVariantList{probeRecord(52)}}});
    for (const char* name : {"Contexts.plist", "Launchers.plist"})
        QFile::copy(resource(name), dataFolder() + "/" + name);
    const QVariantMap shortcut{{"cutname", "Forever"}, {"cutID", 70}, {"cutimage", QByteArray()},
                               {"cutactions", QVariantList{step(52)}},
                               {"cutlaunchers", QVariantList{QVariantMap{{"cutlauncherID", 0}, {"cutlauncheractive", true}}}},
                               {"cutcontexts", QVariantList{QVariantMap{{"cutcontextID", 0}, {"cutcontextactive", true}}}},
                               {"cutrunparams", QVariantMap{{"runrepeatnum", -1}, {"runrepeatpause", 0.02}}}};
    writePlist(dataFolder() + "/Shortcuts.plist", {{"nextID", 71}, {"shortcutsarray", QVariantList{shortcut}}});
    onboard();
    launch();
    auto endless = QVShortcutsManager::sharedManager().shortcutWithID(70);
    ASSERT_TRUE(endless);

    desktop->virtualHotKeys().userPresses(kCtrlAltT);
    desktop->virtualHotKeys().userReleases(kCtrlAltT);
    ASSERT_TRUE(waitUntil([] { return EngineAppProbe::runs() >= 2; }));
    EXPECT_TRUE(endless->isRunning());

    editorCommand("stopshortcuts");
    EXPECT_TRUE(waitUntil([&] { return !endless->isRunning(); }));
}

// --- System events ----------------------------------------------------------------------------

TEST_F(QVApplTest, FrontApplicationChangesArePostedOnTheMainThreadWithoutTheEngine)
{
    onboard();
    launch();
    // Launches are heard while a context needs them.
    QVariantMap contexts = readPlist(dataFolder() + "/Contexts.plist");
    QVariantList records = contexts.value("contextsarray").toList();
    records << zelk::test::records::context(99, "xterm running", 3, "xterm");
    contexts.insert("contextsarray", records);
    writePlist(dataFolder() + "/Contexts.plist", contexts);
    editorCommand("updateobjects");
    NotificationRecorder seen({"FrontAppChangedNotification", "AfterLaunchAppNotifcation"});
    zelk::VirtualWorkspace& workspace = desktop->virtualWorkspace();

    std::thread([&] { workspace.userLaunches("gedit.desktop"); }).join();
    ASSERT_TRUE(waitUntil([&] { return seen.count("FrontAppChangedNotification") == 1; }));

    const qint64 engine = workspace.userLaunches("Zelk.app", "/opt/zelk/Zelk.app");
    workspace.setOwnPid(engine);
    workspace.userActivates(engine);
    const qint64 xterm = workspace.userLaunches("xterm", "/usr/bin/xterm");
    ASSERT_TRUE(waitUntil([&] { return seen.count("FrontAppChangedNotification") == 2; }));

    QStringList changes;
    for (const auto& e : seen.entries()) {
        EXPECT_TRUE(e.onMainThread) << e.name.toStdString();
        if (e.name == "FrontAppChangedNotification")
            changes << e.userInfo.value("LastFrontApp").toString() + " -> " + e.userInfo.value("NewFrontApp").toString();
        else
            changes << "launched " + e.userInfo.value("AppPathName").toString();
    }
    EXPECT_EQ(changes, QStringList({"launched gedit.desktop", " -> gedit.desktop", "launched Zelk.app", "launched xterm",
                                    "gedit.desktop -> xterm"}));

    // Back from the engine to the last application that was not the engine.
    workspace.userActivates(engine);
    appl->activateLastProcess();
    ASSERT_TRUE(workspace.frontApplication());
    EXPECT_EQ(workspace.frontApplication()->pid, xterm);
}

TEST_F(QVApplTest, TheApplicationInFrontAtStartIsAnnouncedOnce)
{
    zelk::VirtualWorkspace& workspace = desktop->virtualWorkspace();
    const qint64 gedit = workspace.userLaunches("gedit.desktop");
    workspace.userLaunches("xterm", "/usr/bin/xterm");
    workspace.userActivates(gedit);
    const QVariantMap allKeysOff{{"ruletype", 0}, {"ruleactive", true}};
    const QVariantMap geditInFront{{"contextID", 1},
                                   {"contextname", "gedit"},
                                   {"contexttype", 1},
                                   {"contextparams", QVariantMap{{"contextactivatedapplication", "gedit"}}},
                                   {"contextrules", QVariantList{allKeysOff}}};
    writePlist(dataFolder() + "/Contexts.plist", {{"contextsarray", QVariantList{geditInFront}}});
    NotificationRecorder seen({"FrontAppChangedNotification"});
    onboard();
    launch();
    ASSERT_TRUE(appl->isStarted());
    ASSERT_EQ(seen.count("FrontAppChangedNotification"), 1);
    EXPECT_EQ(seen.entries()[0].userInfo.value("NewFrontApp").toString(), "gedit.desktop");
    EXPECT_EQ(seen.entries()[0].userInfo.value("LastFrontApp").toString(), "");
    auto context = QVContextsManager::sharedManager().contextWithID(1);
    ASSERT_NE(context, nullptr);
    EXPECT_EQ(context->rulesAppliedCount(), 1) << "gedit is in front: its context holds from the start";

    // There is an application to go back to before any switch.
    const qint64 engine = workspace.userLaunches("Zelk.app", "/opt/zelk/Zelk.app");
    workspace.setOwnPid(engine);
    workspace.userActivates(engine);
    appl->activateLastProcess();
    ASSERT_TRUE(workspace.frontApplication());
    EXPECT_EQ(workspace.frontApplication()->pid, gedit);
}

TEST_F(QVApplTest, ActivateLastProcessWaitsBoundedAndNotForAProcessThatIsGone)
{
    auto stubbornDesktop = std::make_unique<StubbornDesktop>();
    StubbornWorkspace& stubborn = stubbornDesktop->stubborn();
    installDesktop(std::move(stubbornDesktop));
    onboard();
    launch();
    zelk::VirtualWorkspace& workspace = desktop->virtualWorkspace();
    const qint64 gedit = workspace.userLaunches("gedit.desktop");
    const qint64 engine = workspace.userLaunches("Zelk.app", "/opt/zelk/Zelk.app"); // the engine in front

    // gedit never comes back to the front: the bound ends a run thread's wait.
    QVAppl::WaitBounds bounds;
    bounds.activateMs = 200;
    appl->setWaitBounds(bounds);
    {
        zelk::test::LogCapture log;
        const int activations = stubborn.activations;
        auto bounded = std::async(std::launch::async, [&] { appl->activateLastProcess(); });
        ASSERT_EQ(bounded.wait_for(std::chrono::seconds(10)), std::future_status::ready) << "the wait has no bound";
        EXPECT_EQ(stubborn.activations - activations, 1);
        EXPECT_TRUE(log.contains("did not come to the front")) << log.lines().join('\n').toStdString();
        ASSERT_TRUE(workspace.frontApplication());
        EXPECT_EQ(workspace.frontApplication()->pid, engine);
    }

    // With a long bound, gedit quitting ends the wait.
    bounds.activateMs = 30000;
    appl->setWaitBounds(bounds);
    const int asked = stubborn.frontAsked, activations = stubborn.activations;
    auto waiting = std::async(std::launch::async, [&] { appl->activateLastProcess(); });
    ASSERT_TRUE(waitUntil([&] { return stubborn.activations > activations && stubborn.frontAsked > asked; }))
        << "the wait never began";
    workspace.userQuits(gedit);
    EXPECT_EQ(waiting.wait_for(std::chrono::seconds(10)), std::future_status::ready);
}

TEST_F(QVApplTest, MainThreadNeverWaitsForTheLastApplicationToComeBack)
{
    installDesktop(std::make_unique<StubbornDesktop>());
    onboard();
    launch();
    zelk::VirtualWorkspace& workspace = desktop->virtualWorkspace();
    const qint64 gedit = workspace.userLaunches("gedit.desktop");
    workspace.userLaunches("Zelk.app", "/opt/zelk/Zelk.app"); // the engine in front, after an alert
    QVAppl::WaitBounds bounds;
    bounds.activateMs = 30000;
    appl->setWaitBounds(bounds);

    // Only gedit quitting would end a wait: that comes from a watchdog,
    // seconds later, unless the call is back long before.
    std::mutex mutex;
    std::condition_variable cv;
    bool back = false;
    std::thread watchdog([&] {
        std::unique_lock lock(mutex);
        if (!cv.wait_for(lock, std::chrono::seconds(3), [&] { return back; }))
            workspace.userQuits(gedit);
    });
    appl->activateLastProcess(); // on the main thread, as after an alert
    {
        std::lock_guard lock(mutex);
        back = true;
        cv.notify_all();
    }
    watchdog.join();
    EXPECT_NE(workspace.pidOf("gedit.desktop"), 0) << "the main thread waited for the application";

    // A run thread waits until the desktop says the application is in front.
    std::atomic<bool> returned{false};
    auto waiting = std::async(std::launch::async, [&] {
        appl->activateLastProcess();
        returned = true;
    });
    EXPECT_FALSE(waitUntil([&] { return returned.load(); }, 300));
    workspace.userActivates(gedit);
    EXPECT_EQ(waiting.wait_for(std::chrono::seconds(10)), std::future_status::ready);
}

TEST_F(QVApplTest, HotKeysBecomeKeyNotifications)
{
    onboard();
    launch();
    NotificationRecorder seen({"DownKeyNotification", "UpKeyNotification"});
    const quint32 code = 0x100000 | 0x20000 | 5;
    quint64 ref = 0;
    ASSERT_EQ(zelk::Platform::instance().hotKeys().registerHotKey(code, &ref), 0);
    desktop->virtualHotKeys().userPresses(code);
    desktop->virtualHotKeys().userReleases(code);
    ASSERT_TRUE(waitUntil([&] { return seen.entries().size() == 2; }));
    const auto entries = seen.entries();
    EXPECT_EQ(entries[0].name, "DownKeyNotification");
    EXPECT_EQ(entries[1].name, "UpKeyNotification");
    for (const auto& e : entries)
        EXPECT_EQ(e.userInfo.value("KeyCode").toLongLong(), qint64(code));
    zelk::Platform::instance().hotKeys().unregisterHotKey(ref);
}

TEST_F(QVApplTest, SleepWaitsForTheLaunchersOffTheMainThread)
{
    onboard();
    launch();
    // A bound far beyond the test's waits: only the launchers end this one.
    QVAppl::WaitBounds bounds;
    bounds.sleepMs = 600000;
    appl->setWaitBounds(bounds);
    NotificationRecorder seen({"GoToSleepNotification", "WakeFromSleepNotification"});
    // The sleep launchers take the wait when they hear of the sleep.
    auto launchers = zelk::NotificationCenter::defaultCenter().addObserver("GoToSleepNotification", nullptr,
                                                                         [this](const zelk::Notification&) { appl->waitBeforeSleep(); });
    zelk::VirtualPower& power = desktop->virtualPower();

    EXPECT_EQ(power.simulate(zelk::PowerService::Event::WillSleep), 1);
    EXPECT_EQ(seen.count("GoToSleepNotification"), 1);
    // The main thread is free meanwhile: a run thread's main-thread work gets done.
    std::atomic<bool> ranOnMain{false};
    std::thread run([&] { QVAppl::onMainThread([&] { ranOnMain = true; }, true); });
    EXPECT_TRUE(waitUntil([&] { return ranOnMain.load(); }));
    run.join();
    EXPECT_EQ(power.pendingReplies(), 1);

    std::thread([this] { appl->canGoToSleep(); }).join();
    EXPECT_TRUE(waitUntil([&] { return power.pendingReplies() == 0; })) << "the launchers' end did not let the sleep go";

    power.simulate(zelk::PowerService::Event::DidWake);
    EXPECT_EQ(seen.count("WakeFromSleepNotification"), 1);
}

TEST_F(QVApplTest, NoBackgroundThreadOutlivesTheApplicationObject)
{
    // A run between two passes of a long pause, the sleep launcher's waiter
    // watching it, and report lines on their way when the engine goes.
    writePlist(dataFolder() + "/Actions.plist", {{"nextID", 53}, {"actionsarray", QVariantList{probeRecord(52)}}});
    QFile::copy(resource("Contexts.plist"), dataFolder() + "/Contexts.plist");
    const QVariantMap sleepLauncher{{"launcherID", 1}, {"launchertype", 3}, {"launchername", "Sleep"},
                                    {"launcherparams", QVariantMap{{"launchersystemtype", 1}}}};
    writePlist(dataFolder() + "/Launchers.plist", {{"nextID", 2}, {"launchersarray", QVariantList{sleepLauncher}}});
    const QVariantMap shortcut{{"cutname", "Forever"}, {"cutID", 70}, {"cutimage", QByteArray()},
                               {"cutactions", QVariantList{step(52)}},
                               {"cutlaunchers", QVariantList{QVariantMap{{"cutlauncherID", 1}, {"cutlauncheractive", true}}}},
                               {"cutcontexts", QVariantList{QVariantMap{{"cutcontextID", 0}, {"cutcontextactive", true}}}},
                               {"cutrunparams", QVariantMap{{"runrepeatnum", -1}, {"runrepeatpause", 600.0}}}};
    writePlist(dataFolder() + "/Shortcuts.plist", {{"nextID", 71}, {"shortcutsarray", QVariantList{shortcut}}});
    onboard();
    const int before = zelk::WorkerPool::liveThreads();
    launch();
    QVAppl::WaitBounds bounds;
    bounds.sleepMs = 600000;
    appl->setWaitBounds(bounds);
    QVLauncher::setRunWaitTimeout(600);
    auto endless = QVShortcutsManager::sharedManager().shortcutWithID(70);
    ASSERT_TRUE(endless);

    desktop->virtualPower().simulate(zelk::PowerService::Event::WillSleep);
    ASSERT_TRUE(waitUntil([] { return EngineAppProbe::runs() == 1; }));
    EXPECT_TRUE(endless->isRunning());
    for (int i = 0; i < 20; ++i)
        appl->writeToReport(QString("line %1\n").arg(i));
    QCoreApplication::processEvents();
    EXPECT_GT(zelk::WorkerPool::liveThreads(), before);

    appl.reset();
    QVLauncher::setRunWaitTimeout(5);
    EXPECT_EQ(zelk::WorkerPool::liveThreads(), before) << "a background thread outlived the engine";
    EXPECT_FALSE(endless->isRunning());
    EXPECT_TRUE(readPlist(dataFolder() + "/Report.plist").first().toString().endsWith("line 19\n"))
        << "every report line is written before the engine goes";
}

TEST_F(QVApplTest, KeysTheEngineHoldsAreLetGoOnStopAndAtQuitWithTheirRepeat)
{
    onboard();
    launch();
    auto held = [this] {
        const auto map = desktop->heldKeys();
        return std::any_of(map.cbegin(), map.cend(), [](uint8_t b) { return b != 0; });
    };
    for (const char* when : {"stop", "quit"}) {
        SCOPED_TRACE(when);
        // A key action's press, its release never to come.
        zelk::QVAction::simulateKeyPressForKeycode(0x20000 | 0, false); // shift-a
        EXPECT_FALSE(desktop->keyRepeats(0)) << "a held key must not repeat";
        EXPECT_TRUE(held());
        if (QString(when) == "stop") {
            editorCommand("stopshortcuts");
            ASSERT_TRUE(waitUntil([&] { return !held(); }));
        } else {
            appl.reset();
            EXPECT_FALSE(held());
        }
        EXPECT_TRUE(desktop->keyRepeats(0));
        EXPECT_EQ(desktop->eventLogStrings().filter("up ").size(), desktop->eventLogStrings().filter("down ").size());
        desktop->clearEventLog();
    }
}

// The reply comes at the bound, and only there: the log says the launchers
// were still running, which the waiter can know only by having waited.
TEST_F(QVApplTest, SleepAndPowerOffGoAheadAfterTheBoundWhenTheLaunchersNeverFinish)
{
    onboard();
    launch();
    QVAppl::WaitBounds bounds;
    bounds.sleepMs = 300;
    bounds.shutdownMs = 300;
    appl->setWaitBounds(bounds);
    const struct {
        const char* notification;
        zelk::PowerService::Event event;
        std::function<void()> wait;
        const char* logged;
    } cases[] = {
        {"GoToSleepNotification", zelk::PowerService::Event::WillSleep, [this] { appl->waitBeforeSleep(); },
         "sleep launchers still running after 300 ms"},
        {"ShutdownNotification", zelk::PowerService::Event::WillPowerOff, [this] { appl->waitBeforeShutdown(); },
         "shut-down launchers still running after 300 ms"},
    };
    zelk::VirtualPower& power = desktop->virtualPower();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.notification);
        zelk::test::LogCapture log;
        auto launchers = zelk::NotificationCenter::defaultCenter().addObserver(c.notification, nullptr,
                                                                             [&](const zelk::Notification&) { c.wait(); });
        EXPECT_EQ(power.simulate(c.event), 1);
        EXPECT_TRUE(waitUntil([&] { return power.pendingReplies() == 0; }));
        EXPECT_TRUE(log.contains(c.logged)) << log.lines().join('\n').toStdString();
    }
}

// --- Quitting --------------------------------------------------------------------------------

TEST_F(QVApplTest, QuitSavesTheDatesAndQuitsTheEditorFirst)
{
    onboard();
    launch();
    zelk::VirtualWorkspace& workspace = desktop->virtualWorkspace();
    workspace.userLaunches("Zelk Editor.app", bundlePath + "/Contents/MacOS/Zelk Editor.app");
    QFile::remove(dataFolder() + "/LaunchersDate.plist");
    NotificationRecorder seen({"ShutdownNotification"});

    appl->terminate();
    ASSERT_TRUE(waitUntil([&] { return appl->hasQuit(); }));
    EXPECT_TRUE(workspace.requests().contains("quit Zelk Editor.app"));
    EXPECT_EQ(workspace.pidOf("Zelk Editor.app"), 0);
    EXPECT_TRUE(QFileInfo::exists(dataFolder() + "/LaunchersDate.plist"));
    EXPECT_EQ(seen.count("ShutdownNotification"), 0);
}

TEST_F(QVApplTest, EngineCommandsArriveFromARunThread)
{
    onboard();
    launch();
    zelk::QVActionHostApplication* host = zelk::QVAction::applicationObject();
    ASSERT_EQ(host, static_cast<zelk::QVActionHostApplication*>(appl.get()));
    auto probe = std::make_shared<RecallProbe>();
    appl->addLastCutObject(probe);
    // As an engine-command action calls them: from a thread of its own.
    std::thread([host] {
        host->runLastCutAction1();
        host->stopShortcuts();
        host->showReport();
        host->terminate();
    }).join();
    EXPECT_EQ(probe->runs, 1);
    ASSERT_TRUE(waitUntil([&] { return appl->hasQuit(); }));
}

TEST_F(QVApplTest, QuitGoesOnWhenTheEditorRefusesToQuit)
{
    onboard();
    launch();
    QVAppl::WaitBounds bounds;
    bounds.editorQuitMs = 300;
    appl->setWaitBounds(bounds);
    zelk::VirtualWorkspace& workspace = desktop->virtualWorkspace();
    const qint64 editor = workspace.userLaunches("Zelk Editor.app");
    workspace.setRefusesToQuit(editor, true);
    appl->terminate();
    EXPECT_TRUE(waitUntil([&] { return appl->hasQuit(); }));
    EXPECT_NE(workspace.pidOf("Zelk Editor.app"), 0);
}

TEST_F(QVApplTest, PowerOffRunsTheShutdownLaunchersOnceBeforeReplying)
{
    onboard();
    launch();
    // A bound far beyond the test's waits: only the launchers end this one.
    QVAppl::WaitBounds bounds;
    bounds.shutdownMs = 600000;
    appl->setWaitBounds(bounds);
    NotificationRecorder seen({"ShutdownNotification"});
    auto launchers = zelk::NotificationCenter::defaultCenter().addObserver("ShutdownNotification", nullptr,
                                                                         [this](const zelk::Notification&) { appl->waitBeforeShutdown(); });
    zelk::VirtualPower& power = desktop->virtualPower();
    EXPECT_EQ(power.simulate(zelk::PowerService::Event::WillPowerOff), 1);
    EXPECT_EQ(seen.count("ShutdownNotification"), 1);
    EXPECT_EQ(power.pendingReplies(), 1);
    appl->canGoShutdown();
    EXPECT_TRUE(waitUntil([&] { return power.pendingReplies() == 0; })) << "the launchers' end did not let the power-off go";

    // The session then ends the engine: no second run of the launchers.
    appl->terminate();
    EXPECT_TRUE(waitUntil([&] { return appl->hasQuit(); }));
    EXPECT_EQ(seen.count("ShutdownNotification"), 1);
}

// --- Report, recall, utilities ------------------------------------------------------------------

TEST_F(QVApplTest, ReportLinesAreKeptByDayWrittenAndAnnounced)
{
    desktop->virtualClock().setNow(QDateTime(QDate(2026, 1, 7), QTime(10, 30)));
    onboard();
    launch();
    desktop->clearPostedNotifications();
    appl->writeToReport("first\n");
    appl->writeToReport("second\n");
    appl->report().waitForWriters();
    EXPECT_EQ(readPlist(dataFolder() + "/Report.plist"), QVariantMap({{"20260107", "first\nsecond\n"}})) << "days are keyed %Y%m%d";
    QStringList announced;
    for (const auto& posted : desktop->postedNotifications())
        if (posted.name == "QVLauncherNotification" && posted.userInfo.value("action") == "report")
            announced << posted.userInfo.value("report").toString();
    EXPECT_EQ(announced, QStringList({"first\n", "second\n"}));

    editorCommand("cleanreport");
    EXPECT_TRUE(appl->report().reportDict().isEmpty());
    EXPECT_TRUE(appl->report().reportText().isEmpty());
    // The file keeps its lines until the next one.
    EXPECT_FALSE(readPlist(dataFolder() + "/Report.plist").isEmpty());
}

TEST_F(QVApplTest, ReportKeepsOnlyTheDaysTheSettingSays)
{
    const QString yesterday = desktop->virtualClock().now().toLocalTime().date().addDays(-1).toString("yyyyMMdd");
    writePlist(dataFolder() + "/Report.plist", {{yesterday, "old\n"}, {todayKey(), "today\n"}});
    zelk::UserDefaults::shared().setPersistentDomain({{"GEDaysSaveReport", 1}});
    onboard();
    launch();
    appl->writeToReport("new\n");
    appl->report().waitForWriters();
    EXPECT_EQ(readPlist(dataFolder() + "/Report.plist"), QVariantMap({{todayKey(), "today\nnew\n"}}));
    EXPECT_EQ(appl->report().reportText(), "today\nnew\n");
}

TEST_F(QVApplTest, RecallRunsTheLastTwoObjectsWithoutRecordingItself)
{
    onboard();
    launch();
    auto first = std::make_shared<RecallProbe>();
    auto second = std::make_shared<RecallProbe>();
    appl->addLastCutObject(first);
    appl->addLastCutObject(second);

    appl->runLastCutAction1();
    appl->runLastCutAction2();
    appl->runLastCutAction1();
    EXPECT_EQ(second->runs, 2);
    EXPECT_EQ(first->runs, 1);

    appl->readPrefs(); // a reload forgets them
    appl->runLastCutAction1();
    EXPECT_EQ(second->runs, 2);
}

TEST_F(QVApplTest, ReopenAsksWhetherToEditOrQuit)
{
    onboard();
    launch();
    zelk::VirtualWorkspace& workspace = desktop->virtualWorkspace();
    workspace.clearRequests();
    answerAlertsWith(1);
    EXPECT_FALSE(appl->applicationShouldHandleReopen());
    EXPECT_EQ(workspace.requests(), QStringList({"launch " + bundlePath + "/Contents/MacOS/Zelk Editor.app"}));
    EXPECT_EQ(alertsStartingWith("Zelk is running").size(), 1);
    answerAlertsWith(0);
    appl->applicationShouldHandleReopen();
    EXPECT_FALSE(appl->isTerminating());
    answerAlertsWith(-1);
    appl->applicationShouldHandleReopen();
    EXPECT_TRUE(appl->isTerminating());
}

TEST(QVApplStatic, StringForMailEscapesWhatALinkCannotHold)
{
    EXPECT_EQ(QVAppl::stringForMail("a b&c/é?x=1%"), "a%20b&c/%C3%A9?x=1%25");
    EXPECT_EQ(QVAppl::stringForMail(""), "");
}

} // namespace
