// The pause action type, running side, on the virtual desktop: timed
// pauses and their stop, waits for applications (each launch wait with its
// own flag) and for the front window's title.
#include "PauseShortcut/PauseShortcut.h"
#include "QVTester.h"
#include "QVUtility.h"
#include "RunnerTestSupport.h"
#include "TestSupport.h"
#include "VirtualPlatform.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>
#include <thread>

using namespace zelk;
using namespace zelk::test;
using zelk::engine::PauseShortcut;

namespace {

class PauseShortcutRunnerTest : public TempHomeTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(loadActionRunners());
        desktop = VirtualPlatform::current();
        ASSERT_NE(desktop, nullptr);
        desktop->virtualWorkspace().setWindowsReadable(true);
    }
    void TearDown() override
    {
        for (qint64 pid : launched)
            workspace().userQuits(pid);
    }

    VirtualWorkspace& workspace() { return desktop->virtualWorkspace(); }
    qint64 launch(const QString& name)
    {
        const qint64 pid = workspace().userLaunches(name);
        launched.append(pid);
        return pid;
    }
    static std::shared_ptr<QVAction> pause(const QVariantMap& data)
    {
        return actionWithParameters("PauseShortcut", "pause", 41, data);
    }

    // A run on a thread of its own, with its controller.
    struct Run {
        std::shared_ptr<TestController> controller = std::make_shared<TestController>();
        std::atomic<bool> ended{false};
        QString outcome;
        std::thread thread;
        ~Run()
        {
            controller->stopped = true;
            if (thread.joinable())
                thread.join();
        }
    };
    void start(Run& run, const std::shared_ptr<QVAction>& action)
    {
        run.thread = std::thread([&run, action] {
            run.outcome = runAction(action, run.controller);
            run.ended = true;
        });
    }

    VirtualPlatform* desktop = nullptr;
    QList<qint64> launched;
};

TEST_F(PauseShortcutRunnerTest, RunDelayIsTheSecondsAndOneMore)
{
    const struct {
        QVariantMap data;
        float delay;
    } cases[] = {
        {{{"Action", 1}, {"Seconds", 0.5}}, 1.5F}, {{{"Action", 1}, {"Seconds", 2.5}}, 3.5F},
        {{{"Action", 1}, {"Seconds", 0.0}}, 0.0F}, {{{"Action", 2}, {"Seconds", 9.0}}, 0.0F},
    };
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ(pause(c.data)->runDelay(), c.delay);
}

TEST_F(PauseShortcutRunnerTest, ALongPauseEndsSoonAfterAStop)
{
    Run run;
    start(run, pause({{"Action", 1}, {"Seconds", 30.0}}));
    ASSERT_TRUE(waitUntil([&] { return run.controller->asked > 0; }));
    EXPECT_FALSE(run.ended);
    run.controller->stopped = true;
    EXPECT_TRUE(waitUntil([&] { return run.ended.load(); }, 3000)) << "the pause went on after the stop";
    EXPECT_EQ(run.outcome, "");
}

TEST_F(PauseShortcutRunnerTest, ApplicationWaitsEndWhenTheirConditionHolds)
{
    launch("editor.desktop");
    const qint64 other = launch("viewer.desktop");
    workspace().userActivates(other);
    // Already holding: at once, without asking the controller.
    for (const QVariantMap& data : {QVariantMap{{"Action", 2}, {"Application", "editor"}},
                                    QVariantMap{{"Action", 4}, {"Application", "absent"}},
                                    QVariantMap{{"Action", 6}, {"Application", "viewer"}},
                                    QVariantMap{{"Action", 8}, {"Application", "viewer"}}}) {
        auto controller = std::make_shared<TestController>();
        EXPECT_EQ(runAction(pause(data), controller), "");
        EXPECT_EQ(controller->asked, 0) << data.value("Action").toInt();
    }

    Run quit;
    start(quit, pause({{"Action", 5}})); // the front application, viewer, quits
    ASSERT_TRUE(waitUntil([&] { return quit.controller->asked > 0; }));
    workspace().userQuits(other);
    EXPECT_TRUE(waitUntil([&] { return quit.ended.load(); }));

    Run front;
    start(front, pause({{"Action", 6}, {"Application", "late"}}));
    ASSERT_TRUE(waitUntil([&] { return front.controller->asked > 0; }));
    workspace().userActivates(launch("late.desktop"));
    EXPECT_TRUE(waitUntil([&] { return front.ended.load(); }));
}

TEST_F(PauseShortcutRunnerTest, EachWaitForALaunchKeepsItsOwnFlag)
{
    Run first;
    start(first, pause({{"Action", 3}}));
    ASSERT_TRUE(waitUntil([&] { return first.controller->asked > 0; }));
    launch("one.desktop");
    // A second wait starting now leaves the first one's launch in place.
    Run second;
    start(second, pause({{"Action", 3}}));
    EXPECT_TRUE(waitUntil([&] { return first.ended.load(); }));
    ASSERT_TRUE(waitUntil([&] { return second.controller->asked > 1; }));
    EXPECT_FALSE(second.ended);
    launch("two.desktop");
    EXPECT_TRUE(waitUntil([&] { return second.ended.load(); }));
}

TEST_F(PauseShortcutRunnerTest, TitleTests)
{
    const struct {
        int model;
        QString title, text;
        bool ignoreCase, holds;
    } cases[] = {
        {10, "Report", "Report", false, true},   {10, "Report", "report", false, false},
        {10, "Report", "report", true, true},    {11, "My Report 1", "port", false, true},
        {11, "My Report", "", false, false},     {11, "MY REPORT", "report", true, true},
        {12, "Report.txt", "Rep", false, true},  {12, "Report", "", false, true},
        {12, "Re", "Report", false, false},      {13, "Report.txt", ".TXT", true, true},
        {13, "Report.txt", ".doc", false, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PauseShortcut::titleTest(c.model, c.title, c.text, c.ignoreCase), c.holds)
            << c.model << " " << c.title.toStdString() << " / " << c.text.toStdString();
}

TEST_F(PauseShortcutRunnerTest, WindowWaits)
{
    const qint64 pid = launch("writer.desktop");
    workspace().userActivates(pid);
    workspace().setFocusedWindow(pid, FocusedWindow{"Draft", true});

    // Holding already, or inverted and not holding: at once.
    for (const QVariantMap& data : {QVariantMap{{"Action", 9}},
                                    QVariantMap{{"Action", 10}, {"Title", "Other"}, {"InvertCondition", true}},
                                    QVariantMap{{"Action", 11}, {"Title", ""}, {"InvertCondition", true}},
                                    QVariantMap{{"Action", 12}, {"Title", "dr"}, {"IgnoreCase", true}}})
        EXPECT_EQ(runAction(pause(data), std::make_shared<TestController>()), "") << data.value("Action").toInt();

    Run change;
    start(change, pause({{"Action", 14}}));
    ASSERT_TRUE(waitUntil([&] { return change.controller->asked > 0; }));
    EXPECT_FALSE(change.ended);
    workspace().setFocusedWindow(pid, FocusedWindow{"Draft — saved", true});
    EXPECT_TRUE(waitUntil([&] { return change.ended.load(); }));

    // No window: the change wait ends at once; the window test does not hold.
    workspace().setFocusedWindow(pid, std::nullopt);
    EXPECT_EQ(runAction(pause({{"Action", 14}}), std::make_shared<TestController>()), "");
    EXPECT_FALSE(PauseShortcut::frontWindowTest(9, {}, false));

    workspace().setWindowsReadable(false);
    auto controller = std::make_shared<TestController>();
    EXPECT_EQ(runAction(pause({{"Action", 10}, {"Title", "x"}}), controller),
              "The windows of other applications can’t be read on this desktop.");
    EXPECT_EQ(controller->asked, 0);
}

// The engine's test run of a wait that never holds: when its time-out
// passes, the wait ends too instead of polling on.
TEST_F(PauseShortcutRunnerTest, AWaitEndsWithItsTestsTimeOut)
{
    struct TracingHost : QVActionHostApplication {
        bool TracePluginEng() const override { return true; }
    } host;
    QVAction::setApplicationObject(&host);
    ClassRegistry::shared().registerClass(&::engine::QVUtility::sharedUtility());
    Lines alerts;
    ::engine::QVUtility::sharedUtility().setAlertAnswerer(
        [&alerts](const QString& title, const QString& message, const QString&, const QString&, const QString&) {
            alerts.add(title + " | " + message);
            return 1;
        });
    const double before = ::engine::QVTester::minimumTestWait();
    ::engine::QVTester::setMinimumTestWait(0.3);
    LogCapture log;
    ::engine::QVTester::sharedTester().runActionInThread(
        {{"actionclass", "PauseShortcut"}, {"actionname", "wait"}, {"actionID", 61},
         {"actiondata", QVariantMap{{"Action", 6}, {"Application", "never-there"}}}});
    EXPECT_EQ(alerts.lines().size(), 1);
    EXPECT_TRUE(waitUntil([&] { return log.contains("PauseShortcut poll: stopped before the condition held"); }))
        << log.lines().join('\n').toStdString();
    ::engine::QVTester::setMinimumTestWait(before);
    ::engine::QVUtility::sharedUtility().setAlertAnswerer(nullptr);
    ClassRegistry::shared().unregisterClass(QStringLiteral("QVUtility"));
    QVAction::setApplicationObject(nullptr);
}

} // namespace
