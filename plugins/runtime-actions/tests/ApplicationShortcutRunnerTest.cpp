// The application action type, running side, on the virtual desktop: what
// each model asks of the workspace, its errors, the menus, and the faults
// mended (the engine's own process spared, processes that will not quit,
// waits that end).
#include "ApplicationShortcut/ApplicationShortcut.h"
#include "RunnerTestSupport.h"
#include "TestSupport.h"
#include "VirtualPlatform.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <thread>

using namespace zelk;
using namespace zelk::engine;
using namespace zelk::test;

namespace {

QVariantMap params(std::initializer_list<std::pair<QString, QVariant>> list)
{
    QVariantMap map;
    map.insert("Action", 0);
    for (const auto& [key, value] : list)
        map.insert(key, value);
    return map;
}

class ApplicationShortcutRunnerTest : public TempHomeTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(loadActionRunners());
        ASSERT_NE(VirtualPlatform::current(), nullptr);
        ws = &VirtualPlatform::current()->virtualWorkspace();
        for (const RunningApplication& app : ws->runningApplications())
            ws->userQuits(app.pid);
        ws->setOwnPid(1);
        appsDir = home->path() + "/apps";
        QDir().mkpath(appsDir);
        a = launch("A.desktop");
        b = launch("B.desktop");
        c = launch("C.desktop");  // in front
        ws->clearRequests();
        OSProcess::setWaitLimits({0.5, 0.3, 0.3, 0.5});
    }

    void TearDown() override { OSProcess::setWaitLimits({}); }

    QString pathOf(const QString& name) const { return appsDir + "/" + name; }

    // A desktop entry that exists, launched by the user.
    qint64 launch(const QString& name)
    {
        QFile(pathOf(name)).open(QIODevice::WriteOnly);
        return ws->userLaunches(name, pathOf(name));
    }

    std::shared_ptr<QVAction> make(const QVariantMap& data)
    {
        return actionWithParameters("ApplicationShortcut", "app", 9, data);
    }

    QString run(const QVariantMap& data)
    {
        return runAction(make(data), controller);
    }

    bool running(qint64 pid) const
    {
        for (const RunningApplication& app : ws->runningApplications())
            if (app.pid == pid)
                return true;
        return false;
    }

    QString launched(const QString& name) const { return "launch " + pathOf(name); }

    UtilityScope<FakeEngineUtility> scope;
    std::shared_ptr<TestController> controller = std::make_shared<TestController>();
    VirtualWorkspace* ws = nullptr;
    QString appsDir;
    qint64 a = 0, b = 0, c = 0;
};

TEST_F(ApplicationShortcutRunnerTest, EachModelAsksTheWorkspace)
{
    struct Case {
        QVariantMap data;
        QStringList requests;
    };
    QFile(pathOf("D.desktop")).open(QIODevice::WriteOnly);
    const QList<Case> cases = {
        {params({{"Action", 1}, {"AppPath", pathOf("D.desktop")}}), {launched("D.desktop")}},
        {params({{"Action", 1}, {"AppPath", pathOf("A.desktop")}}), {"activate A.desktop"}},  // runs: to the front
        {params({{"Action", 1}, {"AppPath", pathOf("D.desktop")}, {"HideOthers", true}}),
         {launched("D.desktop"), "hide A.desktop", "hide B.desktop", "hide C.desktop", "unhide D.desktop"}},
        {params({{"Action", 4}}), {"activate A.desktop"}},
        {params({{"Action", 5}}), {"activate B.desktop"}},
        {params({{"Action", 6}, {"AppName", "A"}, {"HideOthers", true}}),
         {"activate A.desktop", "unhide A.desktop", "hide B.desktop", "hide C.desktop"}},
        {params({{"Action", 7}}), {"unhide C.desktop"}},
        {params({{"Action", 8}}), {"unhide A.desktop", "unhide B.desktop", "unhide C.desktop"}},
        {params({{"Action", 9}}), {"unhide A.desktop", "unhide B.desktop", "unhide C.desktop"}},
        {params({{"Action", 10}, {"AppName", "B"}}), {"unhide B.desktop"}},
        {params({{"Action", 11}}), {"hide C.desktop"}},
        {params({{"Action", 12}}), {"hide A.desktop", "hide B.desktop", "unhide C.desktop"}},
        {params({{"Action", 13}, {"AppName", "A"}}), {"hide A.desktop"}},
        {params({{"Action", 14}}), {"quit C.desktop"}},
        {params({{"Action", 14}, {"Force", true}}), {"terminate C.desktop"}},
        {params({{"Action", 15}}), {"quit A.desktop", "quit B.desktop"}},
        {params({{"Action", 16}, {"AppName", "B"}}), {"quit B.desktop"}},
        {params({{"Action", 17}}), {"quit C.desktop", launched("C.desktop")}},
        {params({{"Action", 18}}), {"quit A.desktop", launched("A.desktop"), "quit B.desktop", launched("B.desktop")}},
        {params({{"Action", 19}, {"AppName", "A"}, {"Force", true}}), {"terminate A.desktop", launched("A.desktop")}},
        {params({{"Action", 20}}), {}},
        {params({{"Action", 23}}), {}},
    };
    for (const Case& test : cases) {
        SetUp();
        EXPECT_EQ(run(test.data), QString()) << "model " << test.data.value("Action").toInt();
        EXPECT_EQ(ws->requests(), test.requests) << "model " << test.data.value("Action").toInt();
    }
}

TEST_F(ApplicationShortcutRunnerTest, FailuresNameWhatIsMissing)
{
    const QString notRunning = "The application “Nope” is not running.";
    for (int model : {6, 10, 13, 16, 19})
        EXPECT_EQ(run(params({{"Action", model}, {"AppName", "Nope"}})), notRunning) << "model " << model;
    EXPECT_EQ(run(params({{"Action", 1}, {"AppPath", "/gone/X.desktop"}})), "The application “/gone/X.desktop” can’t be found.");
    EXPECT_EQ(ws->requests(), QStringList());

    // A background process is not among the shown ones, but may be quit by name.
    const qint64 daemon = ws->userLaunches("Daemon.desktop", pathOf("Daemon.desktop"), true);
    EXPECT_EQ(run(params({{"Action", 6}, {"AppName", "Daemon"}})), "The application “Daemon” is not running.");
    EXPECT_EQ(run(params({{"Action", 16}, {"AppName", "Daemon"}})), QString());
    EXPECT_FALSE(running(daemon));
}

TEST_F(ApplicationShortcutRunnerTest, NextAndPreviousWrapAround)
{
    ws->userActivates(a);
    EXPECT_EQ(run(params({{"Action", 5}})), QString());
    EXPECT_EQ(ws->requests(), QStringList{"activate C.desktop"});
}

TEST_F(ApplicationShortcutRunnerTest, RememberedApplicationComesBack)
{
    const auto save = make(params({{"Action", 20}}));
    const auto restore = make(params({{"Action", 21}, {"HideOthers", true}}));
    ASSERT_EQ(save->runActionFromObject(controller), QString());
    ws->userActivates(a);
    ws->clearRequests();
    EXPECT_EQ(restore->runActionFromObject(controller), QString());
    EXPECT_EQ(ws->requests(), (QStringList{"activate C.desktop", "hide A.desktop", "hide B.desktop", "unhide C.desktop"}));
    EXPECT_EQ(ws->frontApplication()->pid, c);

    ws->userQuits(c);
    EXPECT_EQ(restore->runActionFromObject(controller), "No remembered application is running.");
}

TEST_F(ApplicationShortcutRunnerTest, PreviousFrontApplicationFromTheEngineNotification)
{
    const auto previous = make(params({{"Action", 22}}));
    // Nothing known yet: nothing done, no error.
    NotificationCenter::defaultCenter().post("FrontAppChangedNotification", nullptr, {{"LastFrontApp", ""}});
    EXPECT_EQ(previous->runActionFromObject(controller), QString());
    EXPECT_EQ(ws->requests(), QStringList());

    NotificationCenter::defaultCenter().post("FrontAppChangedNotification", nullptr,
                                             {{"LastFrontApp", "B.desktop"}, {"NewFrontApp", "C.desktop"}});
    EXPECT_EQ(previous->runActionFromObject(controller), QString());
    EXPECT_EQ(ws->requests(), QStringList{"activate B.desktop"});

    ws->userQuits(b);
    EXPECT_EQ(previous->runActionFromObject(controller), "The application “B” is not running.");
}

TEST_F(ApplicationShortcutRunnerTest, EnginesOwnProcessIsNeverQuitNorRelaunched)
{
    const qint64 engine = launch("Zelk.app");
    ws->setOwnPid(engine);
    ws->userActivates(c);
    ws->clearRequests();
    EXPECT_EQ(run(params({{"Action", 18}})), QString());
    EXPECT_FALSE(ws->requests().join(' ').contains("Zelk.app"));
    EXPECT_EQ(run(params({{"Action", 15}})), QString());
    EXPECT_FALSE(ws->requests().join(' ').contains("Zelk.app"));
    EXPECT_TRUE(running(engine));
}

TEST_F(ApplicationShortcutRunnerTest, ForceQuitEndsAProcessThatIgnoresTheSignal)
{
    ws->setRefusesToQuit(b, true);
    EXPECT_EQ(run(params({{"Action", 16}, {"AppName", "B"}, {"Force", true}})), QString());
    EXPECT_EQ(ws->requests(), (QStringList{"terminate B.desktop", "kill B.desktop"}));
    EXPECT_FALSE(running(b));
}

TEST_F(ApplicationShortcutRunnerTest, WaitsForAQuitThatNeverComesEnd)
{
    ws->setRefusesToQuit(b, true);
    EXPECT_EQ(run(params({{"Action", 16}, {"AppName", "B"}})), QString());
    EXPECT_EQ(ws->requests(), QStringList{"quit B.desktop"});
    EXPECT_TRUE(running(b));  // asked, not forced

    // A relaunch of a process that stays goes on all the same: the
    // application still runs, so opening it brings it to the front.
    EXPECT_EQ(run(params({{"Action", 19}, {"AppName", "B"}})), QString());
    EXPECT_EQ(ws->requests().last(), "activate B.desktop");
}

TEST_F(ApplicationShortcutRunnerTest, StopRequestEndsTheRelaunchWalk)
{
    controller->stopAfter = 0;
    EXPECT_EQ(run(params({{"Action", 18}})), QString());
    EXPECT_EQ(ws->requests(), QStringList());
}

TEST_F(ApplicationShortcutRunnerTest, RunningApplicationsMenu)
{
    EXPECT_EQ(run(params({{"Action", 2}})), QString());
    ws->userQuits(a);
    ws->userQuits(b);
    ws->userQuits(c);
    launch("beta.desktop");
    launch("Alpha.desktop");
    launch("gamma.desktop");
    EXPECT_EQ(run(params({{"Action", 2}, {"Order", 1}})), QString());
    EXPECT_EQ(scope.utility.shownMenus(), (QStringList{"*C, B, A", "Alpha, beta, *gamma"}));

    // The chosen application comes to the front, hiding the others.
    ws->clearRequests();
    scope.utility.choose = "beta";
    EXPECT_EQ(run(params({{"Action", 2}, {"HideOthers", true}})), QString());
    EXPECT_TRUE(waitUntil([&] { return ws->requests().size() >= 4; }));
    EXPECT_EQ(ws->requests(),
              (QStringList{"activate beta.desktop", "unhide beta.desktop", "hide Alpha.desktop", "hide gamma.desktop"}));
}

TEST_F(ApplicationShortcutRunnerTest, RecentApplicationsMenu)
{
    QFile(pathOf("Recent.desktop")).open(QIODevice::WriteOnly);
    scope.utility.recent = {pathOf("Recent.desktop"), "/gone/Lost.desktop"};
    scope.utility.choose = "Lost";  // listed, does nothing
    EXPECT_EQ(run(params({{"Action", 3}, {"Order", 1}})), QString());
    EXPECT_EQ(scope.utility.shownMenus(), QStringList{"-Lost, Recent"});
    scope.utility.choose = "Recent";
    EXPECT_EQ(run(params({{"Action", 3}})), QString());
    EXPECT_TRUE(waitUntil([&] { return !ws->requests().isEmpty(); }));
    EXPECT_EQ(ws->requests(), QStringList{launched("Recent.desktop")});
}

TEST_F(ApplicationShortcutRunnerTest, MenuOfARunThreadIsShownOnTheMainThread)
{
    const auto action = make(params({{"Action", 2}}));
    std::thread thread([&] { action->runActionFromObjectInThread(controller); });
    EXPECT_TRUE(waitUntil([&] { return controller->ended.load(); }));
    thread.join();
    EXPECT_EQ(controller->outcome, QString());
    EXPECT_EQ(scope.utility.shownMenus(), QStringList{"*C, B, A"});
}

TEST_F(ApplicationShortcutRunnerTest, RunWaitsUntilTheUserPicksFromItsMenu)
{
    scope.utility.holdOpen = true;
    const auto action = make(params({{"Action", 2}}));
    ws->clearRequests();
    std::thread thread([&] { action->runActionFromObjectInThread(controller); });
    ASSERT_TRUE(waitUntil([&] { return scope.utility.isMenuOpen(); }));
    // The user takes a while: the run neither ends nor drops its menu.
    EXPECT_FALSE(waitUntil([&] { return controller->ended.load(); }, 300));
    scope.utility.pick("B");
    EXPECT_TRUE(waitUntil([&] { return controller->ended.load(); }));
    thread.join();
    EXPECT_EQ(controller->outcome, QString());
    EXPECT_TRUE(waitUntil([&] { return ws->requests().contains("activate B.desktop"); })) << ws->requests().join(", ").toStdString();
}

TEST_F(ApplicationShortcutRunnerTest, MenuItemOfTheEnginesMenusGetsTheApplications)
{
    const auto action = std::dynamic_pointer_cast<ApplicationShortcut>(make(params({{"Action", 2}, {"Order", 1}})));
    ASSERT_TRUE(action);
    QAction item("Applications");
    EXPECT_TRUE(action->validateMenuItem(&item));
    ASSERT_NE(item.menu(), nullptr);
    QStringList titles;
    for (QAction* entry : item.menu()->actions())
        titles.append(entry->text());
    EXPECT_EQ(titles, (QStringList{"A", "B", "C"}));
}

TEST_F(ApplicationShortcutRunnerTest, ReadsItsParametersByCategory)
{
    const auto action = std::dynamic_pointer_cast<ApplicationShortcut>(
        make(params({{"Action", 1}, {"AppPath", pathOf("A.desktop")}, {"AppName", "ignored"}})));
    ASSERT_TRUE(action);
    EXPECT_EQ(action->bestPath(), pathOf("A.desktop"));
    EXPECT_EQ(action->imageValueWithSize(16).size(), QSize(16, 16));
    EXPECT_EQ(action->runDelay(), 0.f);
    EXPECT_TRUE(action->addToRecent());
}

} // namespace
