// The engine end to end on the virtual desktop: data files on disk, read by
// the application object, hot keys pressed through the platform's callback,
// front applications changed in the virtual workspace, the virtual clock
// moved across a restart. What runs is a test action type that logs its
// runs and may wait at a gate.
#include "DataFileRecords.h"
#include "EngineAppTestSupport.h"

#include "ClassRegistry.h"
#include "QVAction.h"
#include "QVActionsManager.h"
#include "QVContextsManager.h"
#include "QVLaunchersManager.h"
#include "QVShortcut.h"
#include "QVShortcutsManager.h"
#include "UserDefaults.h"

#include <condition_variable>
#include <mutex>

using namespace engine;
using namespace engine::test;
namespace records = zelk::test::records;

namespace {

constexpr quint32 kCtrlAltT = 0x100000 | 0x80000 | 17; // stored command = Ctrl, option = Alt
constexpr quint32 kCtrlAltD = 0x100000 | 0x80000 | 2;

// The names of the probe runs, in order, from any thread.
zelk::test::Lines& runs()
{
    static zelk::test::Lines lines;
    return lines;
}

// Where a gated probe waits until the test opens it.
class Gate {
public:
    static Gate& shared()
    {
        static Gate gate;
        return gate;
    }
    void pass()
    {
        std::unique_lock lock(m_mutex);
        ++m_waiting;
        m_cv.wait(lock, [this] { return m_open; });
        --m_waiting;
    }
    int waiting() const
    {
        std::lock_guard lock(m_mutex);
        return m_waiting;
    }
    void setOpen(bool open)
    {
        std::lock_guard lock(m_mutex);
        m_open = open;
        m_cv.notify_all();
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_open = true;
    int m_waiting = 0;
};

// An action type as a plug-in defines one: logs its name, and with
// {"gated": true} in its data waits at the gate first.
class EndToEndProbe : public zelk::QVAction {
    ZELK_ACTION_CLASS(EndToEndProbe, QVAction)
public:
    bool initWithDictionaryInLauncher(const QVariantMap& record) override
    {
        if (!QVAction::initWithDictionaryInLauncher(record))
            return false;
        m_gated = record.value("actiondata").toMap().value("gated").toBool();
        return true;
    }
    QString runActionFromObject(const std::shared_ptr<zelk::QVActionController>&) override
    {
        if (m_gated)
            Gate::shared().pass();
        runs().add(nameValue());
        return {};
    }

private:
    bool m_gated = false;
};

// --- Records of the data files

// A probe action; with `gated` it waits at the gate first.
QVariantMap action(qint64 id, const QString& name, bool gated = false)
{
    return records::action(id, name, "EndToEndProbe", {{"gated", gated}});
}

QVariantMap dateLauncher(qint64 id, const QString& time, int warnover)
{
    return {{"launcherID", id}, {"launchertype", 1},
            {"launcherparams", QVariantMap{{"launcherdatetype", 0}, {"launcherdatetime", time}, {"launcherdatedays", QVariantList()},
                                           {"launcherdatewarnover", warnover}}}};
}

QVariantMap context(qint64 id, int type, const QString& app = {}, const QVariantList& rules = {})
{
    return records::context(id, QString("context %1").arg(id), type, app, rules);
}

using records::excludeRule;
using records::keyLauncher;
using records::shortcut;

const QDateTime WednesdayAfternoon(QDate(2026, 1, 7), QTime(15, 0));

class EngineEndToEndTest : public EngineAppTest {
protected:
    void SetUp() override
    {
        EngineAppTest::SetUp();
        zelk::ClassRegistry::shared().registerClass(&EndToEndProbe::classObject());
        runs().clear();
        Gate::shared().setOpen(true);
        desktop->virtualClock().setNow(WednesdayAfternoon);
        onboard();
    }

    void TearDown() override
    {
        Gate::shared().setOpen(true);
        for (const auto& cut : QVShortcutsManager::sharedManager().shortcutsArray())
            EXPECT_TRUE(waitUntil([&] { return !cut->isRunning(); }, 10000)) << "a run did not end";
        EngineAppTest::TearDown();
    }

    // The four files the objects live in; Menus.plist and Palettes.plist stay absent.
    void writeDataFiles(const QVariantList& actions, const QVariantList& contexts, const QVariantList& launchers,
                        const QVariantList& shortcuts)
    {
        writePlist(dataFolder() + "/Actions.plist", {{"nextID", 100}, {"actionsarray", actions}});
        writePlist(dataFolder() + "/Contexts.plist", {{"nextID", 100}, {"contextsarray", contexts}});
        writePlist(dataFolder() + "/Launchers.plist", {{"nextID", 100}, {"launchersarray", launchers}});
        writePlist(dataFolder() + "/Shortcuts.plist", {{"nextID", 100}, {"shortcutsarray", shortcuts}});
    }
    void writeBytes(const QString& name, const QByteArray& bytes)
    {
        QDir().mkpath(dataFolder());
        QFile file(dataFolder() + "/" + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

    bool press(quint32 code)
    {
        const bool registered = desktop->virtualHotKeys().userPresses(code);
        desktop->virtualHotKeys().userReleases(code);
        return registered;
    }
    bool isRegistered(quint32 code) const { return desktop->virtualHotKeys().isRegistered(code); }
    static std::shared_ptr<QVShortcut> cut(quint32 id) { return QVShortcutsManager::sharedManager().shortcutWithID(id); }

    void quitAndWait()
    {
        appl->terminate();
        ASSERT_TRUE(waitUntil([&] { return appl->hasQuit(); }));
    }
    // The process ends: the application object and every object it loaded go.
    void endProcess()
    {
        appl.reset();
        const auto files = QVAppl::defaultObjectsFiles();
        for (auto it = files.crbegin(); it != files.crend(); ++it)
            it->reset();
    }
};

// --- Start-up on damaged data files -------------------------------------------------------

TEST_F(EngineEndToEndTest, DamagedDataFilesAreNamedInTheLogLeftAsTheyAreAndTheRestRuns)
{
    writeDataFiles({action(1, "first")}, {context(0, 0)}, {}, {});
    // Damaged files, and the saved dates of launchers that cannot be read.
    const QMap<QString, QByteArray> kept{
        {"Launchers.plist", "this is not a property list"},
        {"Menus.plist", "<?xml version=\"1.0\"?><plist version=\"1.0\"><array/></plist>"},    // not a dictionary
        {"Palettes.plist", "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>palettesarray</key>"}, // cut short
        {"LaunchersDate.plist", "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>LauncherID</key><array>"
                                "<integer>0</integer></array><key>LauncherDate</key><array><string>06/01/2026,09:00:00</string>"
                                "</array></dict></plist>"},
    };
    for (auto it = kept.cbegin(); it != kept.cend(); ++it)
        writeBytes(it.key(), it.value());
    writePlist(dataFolder() + "/Shortcuts.plist", {{"nextID", 100}, {"shortcutsarray", "not an array"}}); // well-formed, wrong
    const QByteArray shortcutsBytes = readBytes(dataFolder() + "/Shortcuts.plist");

    zelk::test::LogCapture log;
    launch();
    ASSERT_TRUE(appl->isStarted());
    for (const QString name : {"Launchers.plist", "Menus.plist", "Palettes.plist", "Shortcuts.plist"}) {
        const QStringList lines = log.lines().filter("QVAppl readPrefs:").filter(dataFolder() + "/" + name);
        EXPECT_EQ(lines.size(), 1) << name.toStdString() << " is named once:\n" << log.lines().join("\n").toStdString();
    }

    // What could be read is loaded and works.
    EXPECT_TRUE(QVActionsManager::sharedManager().actionWithID(1));
    EXPECT_TRUE(QVContextsManager::sharedManager().universalContext());
    EXPECT_TRUE(QVLaunchersManager::sharedManager().launchersArray().isEmpty());
    ASSERT_NO_FATAL_FAILURE(postAsTheEditor());
    editorCommand("runaction", action(50, "tested"));
    EXPECT_TRUE(waitUntil([] { return runs().lines() == QStringList{"tested"}; }));

    // Neither a reload nor the quit writes or removes a damaged file, nor the
    // saved dates of launchers that could not be read.
    editorCommand("updateobjects");
    quitAndWait();
    for (auto it = kept.cbegin(); it != kept.cend(); ++it)
        EXPECT_EQ(readBytes(dataFolder() + "/" + it.key()), it.value()) << it.key().toStdString();
    EXPECT_EQ(readBytes(dataFolder() + "/Shortcuts.plist"), shortcutsBytes);
}

// Hand-edited entries without a usable ID would become ID 0 or take an ID
// another object has; links to that ID then reach the wrong object.
TEST_F(EngineEndToEndTest, EntriesWithoutAUsableIDAreRefusedByIndexAndNoIDIsShared)
{
    auto withID = [](QVariantMap record, const QString& key, const QVariant& id) {
        if (id.isValid())
            record.insert(key, id);
        else
            record.remove(key);
        return record;
    };
    const QVariantList actions{
        action(1, "first"),
        withID(action(0, "named one"), "actionID", "one"),                     // 1: not a number
        action(1, "second with ID 1"),                                          // 2: taken
        withID(action(0, "no ID"), "actionID", QVariant()),                    // 3: missing
        "not a record",                                                         // 4
        action(2, "second"),
        action(-1, "negative"),                                                 // 6
        action(qint64(1) << 32, "too large"),                                   // 7: beyond 32 bits
        withID(action(0, "real"), "actionID", 3.0),                             // 8: a real
    };
    const QVariantList shortcuts{
        shortcut(10, "Cut", {1, 2, 0}, {0}, {0}),
        withID(shortcut(0, "Cut ten", {1}, {0}, {0}), "cutID", "ten"),          // 1
        shortcut(10, "Cut again", {2}, {0}, {0}),                              // 2: taken
    };
    writeDataFiles(actions, {context(0, 0)}, {keyLauncher(0, kCtrlAltT)}, shortcuts);

    zelk::test::LogCapture log;
    launch();
    ASSERT_TRUE(appl->isStarted());
    const struct {
        const char* file;
        int index;
        const char* key;
    } refused[] = {{"Actions.plist", 1, "actionID"}, {"Actions.plist", 2, "actionID"}, {"Actions.plist", 3, "actionID"},
                   {"Actions.plist", 4, "actionID"}, {"Actions.plist", 6, "actionID"}, {"Actions.plist", 7, "actionID"},
                   {"Actions.plist", 8, "actionID"}, {"Shortcuts.plist", 1, "cutID"},   {"Shortcuts.plist", 2, "cutID"}};
    const QStringList lines = log.lines().filter("QVAppl readPrefs:");
    for (const auto& r : refused) {
        const QStringList named = lines.filter(dataFolder() + "/" + r.file).filter(QString("entry %1 ").arg(r.index)).filter(r.key);
        EXPECT_EQ(named.size(), 1) << r.file << " entry " << r.index << ":\n" << lines.join("\n").toStdString();
    }
    EXPECT_EQ(lines.filter("entry").size(), int(std::size(refused))) << lines.join("\n").toStdString();

    QStringList actionNames;
    for (const auto& a : QVActionsManager::sharedManager().actionsArray())
        actionNames << a->nameValue();
    EXPECT_EQ(actionNames, QStringList({"first", "second"}));
    EXPECT_FALSE(QVActionsManager::sharedManager().actionWithID(0));
    ASSERT_EQ(QVShortcutsManager::sharedManager().shortcutsArray().size(), 1);
    EXPECT_EQ(cut(10)->nameValue(), "Cut");

    // The step that names ID 0 finds nothing; the others run the first of each ID.
    ASSERT_TRUE(press(kCtrlAltT));
    EXPECT_TRUE(waitUntil([] { return runs().lines().size() >= 2; }));
    EXPECT_TRUE(waitUntil([&] { return !cut(10)->isRunning(); }));
    EXPECT_EQ(runs().lines(), QStringList({"first", "second"}));
}

// --- Reload while a shortcut runs ---------------------------------------------------------

TEST_F(EngineEndToEndTest, AReloadLetsARunningShortcutFinishWithItsOwnObjects)
{
    writeDataFiles({action(1, "first", true), action(2, "second")}, {context(0, 0)}, {keyLauncher(0, kCtrlAltT)},
                   {shortcut(10, "Cut", {1, 2}, {0}, {0})});
    launch();
    Gate::shared().setOpen(false);
    ASSERT_TRUE(press(kCtrlAltT));
    std::weak_ptr<QVShortcut> running = cut(10);
    ASSERT_TRUE(waitUntil([] { return Gate::shared().waiting() == 1; }));

    editorCommand("updateobjects");
    auto reloaded = cut(10);
    ASSERT_TRUE(reloaded);
    EXPECT_NE(reloaded, running.lock()) << "the reload built the shortcut anew";
    EXPECT_FALSE(reloaded->isRunning());
    {
        const auto old = running.lock();
        ASSERT_TRUE(old) << "the run holds the shortcut it runs";
        EXPECT_TRUE(old->isRunning());
    }

    // The old run goes on with its own actions, then lets its shortcut go.
    Gate::shared().setOpen(true);
    ASSERT_TRUE(waitUntil([&] { return running.expired(); }, 10000));
    EXPECT_EQ(runs().lines(), QStringList({"first", "second"}));

    // The key now runs the reloaded shortcut.
    ASSERT_TRUE(press(kCtrlAltT));
    EXPECT_TRUE(waitUntil([] { return int(runs().lines().size()) == 4; }));
    EXPECT_TRUE(waitUntil([&] { return !reloaded->isRunning(); }));
}

// --- Hot keys and contexts ---------------------------------------------------------------

TEST_F(EngineEndToEndTest, AHotKeyRunsItsShortcutOnlyWhileTheContextHolds)
{
    writeDataFiles({action(1, "first")}, {context(0, 0), context(5, 1, "gedit")}, {keyLauncher(0, kCtrlAltT)},
                   {shortcut(10, "Cut", {1}, {0}, {5})});
    launch();
    zelk::VirtualWorkspace& workspace = desktop->virtualWorkspace();
    EXPECT_FALSE(press(kCtrlAltT)) << "not registered while gedit is not in front: the key goes to the application";

    workspace.userLaunches("gedit.desktop");
    ASSERT_TRUE(waitUntil([&] { return isRegistered(kCtrlAltT); }));
    ASSERT_TRUE(press(kCtrlAltT));
    ASSERT_TRUE(waitUntil([] { return int(runs().lines().size()) == 1; }));

    workspace.userLaunches("xterm", "/usr/bin/xterm");
    ASSERT_TRUE(waitUntil([&] { return !isRegistered(kCtrlAltT); }));
    EXPECT_FALSE(press(kCtrlAltT));
    EXPECT_TRUE(waitUntil([&] { return !cut(10)->isRunning(); }));
    EXPECT_EQ(runs().lines(), QStringList{"first"});
}

// Watching launches and quits costs the desktop a poll of the process list:
// only while a launcher or context of the loaded data needs them.
TEST_F(EngineEndToEndTest, LaunchesAndQuitsAreWatchedOnlyWhileAnObjectNeedsThem)
{
    auto appLauncher = [](qint64 id, int event) {
        return QVariantMap{{"launcherID", id}, {"launchertype", 2},
                           {"launcherparams", QVariantMap{{"launcherapplicationtype", event}, {"launcherapplicationapp", "gedit"}}}};
    };
    zelk::VirtualWorkspace& workspace = desktop->virtualWorkspace();
    const struct {
        const char* data;
        QVariantList contexts, launchers;
        int observers;
    } cases[] = {
        {"keys only", {context(0, 0)}, {keyLauncher(0, kCtrlAltT)}, 0},
        {"gedit running", {context(0, 0), context(5, 3, "gedit")}, {keyLauncher(0, kCtrlAltT)}, 1},
        {"gedit not running", {context(0, 0), context(5, 4, "gedit")}, {keyLauncher(0, kCtrlAltT)}, 1},
        {"gedit in front", {context(0, 0), context(5, 1, "gedit")}, {keyLauncher(0, kCtrlAltT)}, 0},
        {"gedit launched", {context(0, 0)}, {keyLauncher(0, kCtrlAltT), appLauncher(1, 0)}, 1},
        {"gedit quit", {context(0, 0)}, {keyLauncher(0, kCtrlAltT), appLauncher(1, 1)}, 1},
        {"gedit activated", {context(0, 0)}, {keyLauncher(0, kCtrlAltT), appLauncher(1, 2)}, 0},
        {"keys only again", {context(0, 0)}, {keyLauncher(0, kCtrlAltT)}, 0},
    };
    bool launched = false;
    for (const auto& c : cases) {
        writeDataFiles({action(1, "first")}, c.contexts, c.launchers, {shortcut(10, "Cut", {1}, {0}, {0})});
        if (!launched) {
            launch();
            launched = true;
        } else {
            editorCommand("updateobjects");
        }
        EXPECT_EQ(workspace.applicationObservers(zelk::Workspace::Programs::All), c.observers) << c.data;
    }

    // While watched, a launch reaches the context.
    writeDataFiles({action(1, "first")}, {context(0, 0), context(5, 3, "gedit")}, {keyLauncher(0, kCtrlAltT)},
                   {shortcut(10, "Cut", {1}, {0}, {5})});
    editorCommand("updateobjects");
    EXPECT_FALSE(isRegistered(kCtrlAltT));
    workspace.userLaunches("gedit.desktop");
    EXPECT_TRUE(waitUntil([&] { return isRegistered(kCtrlAltT); })) << "the launch went unheard";
}

TEST_F(EngineEndToEndTest, AContextRuleSwitchesOneCombinationOffWhileItsApplicationIsInFront)
{
    writeDataFiles({action(1, "terminal"), action(2, "date")}, {context(0, 0), context(5, 1, "gedit", {excludeRule(kCtrlAltT)})},
                   {keyLauncher(0, kCtrlAltT), keyLauncher(1, kCtrlAltD)},
                   {shortcut(10, "Terminal", {1}, {0}, {0}), shortcut(11, "Date", {2}, {1}, {0})});
    launch();
    zelk::VirtualWorkspace& workspace = desktop->virtualWorkspace();
    ASSERT_TRUE(isRegistered(kCtrlAltT) && isRegistered(kCtrlAltD));

    workspace.userLaunches("gedit.desktop");
    ASSERT_TRUE(waitUntil([&] { return !isRegistered(kCtrlAltT); }));
    EXPECT_FALSE(press(kCtrlAltT)) << "gedit gets the key";
    ASSERT_TRUE(press(kCtrlAltD));
    ASSERT_TRUE(waitUntil([] { return runs().lines() == QStringList{"date"}; }));

    workspace.userLaunches("xterm", "/usr/bin/xterm");
    ASSERT_TRUE(waitUntil([&] { return isRegistered(kCtrlAltT); }));
    ASSERT_TRUE(press(kCtrlAltT));
    EXPECT_TRUE(waitUntil([] { return runs().lines() == QStringList({"date", "terminal"}); }));
}

TEST_F(EngineEndToEndTest, LeavingTheEditorForAnApplicationKeepsItsContextRule)
{
    zelk::UserDefaults::standard().setValue("GEDeactivateKeyCombo", true); // hot keys off while the editor is in front
    writeDataFiles({action(1, "terminal"), action(2, "date")}, {context(0, 0), context(5, 1, "gedit", {excludeRule(kCtrlAltT)})},
                   {keyLauncher(0, kCtrlAltT), keyLauncher(1, kCtrlAltD)},
                   {shortcut(10, "Terminal", {1}, {0}, {0}), shortcut(11, "Date", {2}, {1}, {0})});
    launch();
    zelk::VirtualWorkspace& workspace = desktop->virtualWorkspace();
    const qint64 gedit = workspace.userLaunches("gedit.desktop");
    workspace.userLaunches("Zelk Editor.app", bundlePath + "/Contents/MacOS/Zelk Editor.app");
    ASSERT_TRUE(waitUntil([&] { return !isRegistered(kCtrlAltT) && !isRegistered(kCtrlAltD); }));

    workspace.userActivates(gedit);
    ASSERT_TRUE(waitUntil([&] { return isRegistered(kCtrlAltD); }));
    EXPECT_FALSE(isRegistered(kCtrlAltT)) << "gedit's rule holds whatever the editor switched";
}

// --- Date launchers across a restart -------------------------------------------------------

struct RestartCase {
    const char* name;
    int warnover;
    int answer; // of the missed-date question: 1 run now, 0 ignore
    QStringList runs;
    int questions;
};

void PrintTo(const RestartCase& c, std::ostream* os) { *os << c.name; }

class DateRestartTest : public EngineEndToEndTest, public ::testing::WithParamInterface<RestartCase> {};

TEST_P(DateRestartTest, ADateMissedWhileTheEngineWasNotRunningIsHandledAsTheLauncherSays)
{
    const RestartCase& c = GetParam();
    answerAlertsWith(c.answer);
    writeDataFiles({action(1, "dated")}, {context(0, 0)}, {dateLauncher(7, "16:00:00", c.warnover)},
                   {shortcut(10, "Dated", {1}, {7}, {0})});
    launch();
    auto launcher = QVLaunchersManager::sharedManager().launcherWithID(7);
    ASSERT_TRUE(launcher);
    EXPECT_EQ(launcher->nextDate(), QDateTime(QDate(2026, 1, 7), QTime(16, 0)));
    quitAndWait();
    const QVariantMap saved = readPlist(dataFolder() + "/LaunchersDate.plist");
    EXPECT_EQ(saved.value("LauncherID").toList(), QVariantList{7});
    EXPECT_EQ(saved.value("LauncherDate").toStringList(), QStringList{"07/01/2026,16:00:00"});

    // The engine is not running when the date passes; it starts the next morning.
    endProcess();
    desktop->virtualClock().setNow(QDateTime(QDate(2026, 1, 8), QTime(9, 0)));
    launch();
    EXPECT_TRUE(waitUntil([&] { return runs().lines() == c.runs && int(alerts().size()) == c.questions; }))
        << runs().lines().join(", ").toStdString() << " / " << alerts().join("\n").toStdString();
    EXPECT_TRUE(waitUntil([] { return !cut(10)->isRunning(); }));
    EXPECT_EQ(QVLaunchersManager::sharedManager().launcherWithID(7)->nextDate(), QDateTime(QDate(2026, 1, 8), QTime(16, 0)));

    // Handled once: not again at the next reload.
    editorCommand("updateobjects");
    QCoreApplication::processEvents();
    EXPECT_EQ(runs().lines(), c.runs);
    EXPECT_EQ(int(alerts().size()), c.questions);
}

INSTANTIATE_TEST_SUITE_P(Warnover, DateRestartTest,
                         ::testing::Values(RestartCase{"RunAtOnce", 2, 1, {"dated"}, 0}, RestartCase{"AskAndRun", 1, 1, {"dated"}, 1},
                                           RestartCase{"AskAndIgnore", 1, 0, {}, 1}, RestartCase{"Skip", 0, 1, {}, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
