// The shortcut runner: result codes, repeats and pauses, step time-outs,
// late reports, force-stops, the edit request, activation by contexts and
// context-event launchers, the manager, and the editor's test runs.
#include "RunnerTestSupport.h"

#include "PropertyList.h"

#include <QBuffer>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace runnertest;
using engine::QVShortcut;
using engine::QVShortcutsManager;
using engine::QVTester;
using zelk::test::waitUntil;

namespace {

constexpr int Continue = 0, Report = 1, Alert = 2, Stop = 3, ReportStop = 4, AlertStop = 5, Ask = 6;
// Answers of the alert and the question.
constexpr int FirstButton = 1, SecondButton = 0, ThirdButton = -1;

QString editorPath()
{
    return QDir(appContents()).filePath("MacOS/Zelk Editor.app");
}

} // namespace

// --- Result codes ------------------------------------------------------------------------

TEST_F(RunnerTest, EveryResultCodeAsATable)
{
    struct Case {
        int code;
        bool fails;
        int answer;
        int reports, alerts;
        bool nextStepRuns;
        QString outcome;
    };
    const Case cases[] = {
        {Continue, false, 0, 0, 0, true, ""},
        {Continue, true, 0, 0, 0, true, ""},
        {Report, false, 0, 1, 0, true, "done"},
        {Report, true, 0, 1, 0, true, "failed: boom"},
        {Alert, false, 0, 0, 1, true, "done"},
        {Alert, true, 0, 0, 1, true, "failed: boom"},
        {Stop, false, 0, 0, 0, false, ""},
        {Stop, true, 0, 0, 0, false, ""},
        {ReportStop, true, 0, 1, 0, false, "failed: boom"},
        {AlertStop, false, 0, 0, 1, false, "done"},
        {Ask, true, FirstButton, 0, 1, false, "failed: boom"},
        {Ask, true, SecondButton, 0, 1, true, "failed: boom"},
        {Ask, false, FirstButton, 0, 1, false, "done"},
        {7, true, 0, 0, 0, true, ""},
        {42, false, 0, 0, 0, true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QString("code %1, %2, answer %3").arg(c.code).arg(c.fails ? "fails" : "succeeds").arg(c.answer).toStdString());
        runLog().clear();
        alerts.clear();
        reports.clear();
        defaultAnswer = c.answer;
        const QVariantMap data = c.fails ? QVariantMap{{"error", "boom"}} : QVariantMap{};
        load({actionRecord(1, "Judged", data), actionRecord(2, "Next")},
             {shortcutRecord(10, "Cut", {Step{1, c.code, c.code}, Step{2}})});
        LogCapture log;
        auto cut = shortcut(10);
        ASSERT_NE(cut, nullptr);
        cut->runObject();
        ASSERT_TRUE(waitFor("end Judged#1"));
        ASSERT_TRUE(waitIdle(cut));

        EXPECT_EQ(runLog().count("start Next#1"), c.nextStepRuns ? 1 : 0);
        ASSERT_EQ(reports.lines().size(), c.reports);
        ASSERT_EQ(alerts.lines().size(), c.alerts);
        if (c.reports) {
            EXPECT_TRUE(reports.lines()[0].contains("Cut – Judged: " + c.outcome)) << reports.lines()[0].toStdString();
            EXPECT_TRUE(reports.lines()[0].endsWith("\n")) << "the writer ends its line";
        }
        if (c.alerts) {
            const QString buttons = c.code == Ask ? "Stop Shortcut/Continue/Stop and Edit" : "OK//";
            EXPECT_EQ(alerts.lines()[0], "Shortcut “Cut” | The action “Judged” " + c.outcome + ". | " + buttons);
        }
        EXPECT_EQ(log.contains("action failed with error: 'boom'."), c.code == Continue && c.fails);
        engine::QVShortcutsManager::sharedManager().resetShortcuts();
    }
}

// The alert's sentence ends once, whatever mark the action's error text
// ends with.
TEST_F(RunnerTest, AlertSentenceEndsWithOnePeriod)
{
    const struct {
        const char* error;
        const char* message;
    } cases[] = {
        {"The application “Term” can’t be found.", "The action “Judged” failed: The application “Term” can’t be found."},
        {"no file", "The action “Judged” failed: no file."},
        {"is it there?", "The action “Judged” failed: is it there?"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        runLog().clear();
        alerts.clear();
        load({actionRecord(1, "Judged", {{"error", QString::fromUtf8(c.error)}})},
             {shortcutRecord(10, "Cut", {Step{1, Alert, Alert}})});
        auto cut = shortcut(10);
        ASSERT_NE(cut, nullptr);
        cut->runObject();
        ASSERT_TRUE(waitFor("end Judged#1"));
        ASSERT_TRUE(waitIdle(cut));
        ASSERT_EQ(alerts.lines().size(), 1);
        EXPECT_EQ(alerts.lines()[0], "Shortcut “Cut” | " + QString::fromUtf8(c.message) + " | OK//");
        engine::QVShortcutsManager::sharedManager().resetShortcuts();
    }
}

TEST_F(RunnerTest, InactiveStepsAndMissingActionsAreLeftOut)
{
    LogCapture log;
    load({actionRecord(1, "One"), actionRecord(2, "Two")},
         {shortcutRecord(10, "Cut", {Step{1}, Step{2, 0, 0, 5, 0, 0, false}, Step{99}, Step{2}})});
    auto cut = shortcut(10);
    ASSERT_EQ(cut->actionsArray().size(), 2);
    EXPECT_TRUE(log.contains("error action 99 nil"));
    cut->runObject();
    ASSERT_TRUE(waitFor("end Two#1"));
    ASSERT_TRUE(waitIdle(cut));
    EXPECT_EQ(runLog().lines(), QStringList({"start One#1", "end One#1", "start Two#1", "end Two#1"}));
}

// --- Time-outs and late reports ------------------------------------------------------------

TEST_F(RunnerTest, StepThatDoesNotReportInTimeFails)
{
    struct Case {
        QVariantMap data;
        double stepDelay;
        QString outcome;
    };
    const Case cases[] = {
        {{{"gate", "slow"}}, 0.2, "did not finish within 0.2 s"},
        // The text names the time actually waited: the action's own delay.
        {{{"gate", "slow"}, {"runDelay", 0.1}}, 30, "did not finish within 0.1 s"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.outcome.toStdString());
        alerts.clear();
        load({actionRecord(1, "Slow", c.data)}, {shortcutRecord(10, "Cut", {Step{1, Report, Alert, c.stepDelay}})});
        auto cut = shortcut(10);
        cut->runObject();
        ASSERT_TRUE(waitIdle(cut));
        EXPECT_TRUE(reports.lines().isEmpty());
        ASSERT_EQ(alerts.lines().size(), 1);
        EXPECT_TRUE(alerts.lines()[0].contains(c.outcome)) << alerts.lines()[0].toStdString();
        QVShortcutsManager::sharedManager().resetShortcuts();
    }
}

TEST_F(RunnerTest, StepTimeOutEndsTheActionsWaitsToo)
{
    // The wait would last 30 s; its step allows 0.2 s and then says stop,
    // while the shortcut goes on with its next step.
    load({actionRecord(1, "Waiter", {{"waitWhileRunning", 30.0}}), actionRecord(2, "Next", {{"gate", "next"}})},
         {shortcutRecord(10, "Cut", {Step{1, Report, Report, 0.2}, Step{2, Report, Report, 30}})});
    auto cut = shortcut(10);
    cut->runObject();
    EXPECT_TRUE(waitUntil([] { return runLog().lines().contains("waited Waiter until stopped"); }))
        << runLog().lines().join("\n").toStdString();
    EXPECT_TRUE(cut->isRunning());
    Gates::shared().open("next#1");
    ASSERT_TRUE(waitIdle(cut));
}

TEST_F(RunnerTest, ActionTestTimeOutEndsTheActionsWaitsToo)
{
    QVTester::setMinimumTestWait(0.2);
    std::atomic<bool> done{false};
    std::thread test([&done] {
        QVTester::sharedTester().runActionInThread(actionRecord(1, "Waiter", {{"waitWhileRunning", 30.0}}));
        done = true;
    });
    // The time-out's alert needs the main thread: it keeps turning until the test is done.
    EXPECT_TRUE(waitUntil([&] { return done && runLog().lines().contains("waited Waiter until stopped"); }))
        << runLog().lines().join("\n").toStdString();
    test.join();
}

TEST_F(RunnerTest, ActionsOwnDelayOutlastsTheStepsDelay)
{
    // The step allows 0.05 s; the action asks for 30 s and takes 0.3 s.
    load({actionRecord(1, "Patient", {{"runDelay", 30.0}, {"sleep", 0.3}})},
         {shortcutRecord(10, "Cut", {Step{1, Report, Alert, 0.05}})});
    auto cut = shortcut(10);
    cut->runObject();
    ASSERT_TRUE(waitIdle(cut));
    EXPECT_TRUE(alerts.lines().isEmpty()) << alerts.lines().join("\n").toStdString();
    ASSERT_EQ(reports.lines().size(), 1);
    EXPECT_TRUE(reports.lines()[0].contains("Patient: done"));
}

TEST_F(RunnerTest, DelayZeroCountsAsTimedOut)
{
    load({actionRecord(1, "Slow", {{"gate", "never"}})}, {shortcutRecord(10, "Cut", {Step{1, Report, Alert, 0}})});
    auto cut = shortcut(10);
    cut->runObject();
    ASSERT_TRUE(waitIdle(cut));
    ASSERT_EQ(alerts.lines().size(), 1);
    EXPECT_TRUE(alerts.lines()[0].contains("did not finish within 0 s"));
}

TEST_F(RunnerTest, LateReportIsIgnoredEvenForTheSameActionRunningAgain)
{
    // The step runs the same action object twice; each run waits at its own
    // gate and times out. The first run's success comes while the second is
    // waited for: it must not count for the second.
    load({actionRecord(1, "Late", {{"gate", "late"}})},
         {shortcutRecord(10, "Cut", {Step{1, Report, Alert, 0.5, 2}})});
    auto cut = shortcut(10);
    cut->runObject();
    ASSERT_TRUE(waitFor("start Late#2"));
    Gates::shared().open("late#1");
    ASSERT_TRUE(waitFor("end Late#1"));
    ASSERT_TRUE(waitIdle(cut));
    EXPECT_TRUE(reports.lines().isEmpty()) << "a late success decided a later run: " << reports.lines().join("").toStdString();
    EXPECT_EQ(alerts.countContaining("did not finish within 0.5 s"), 2);
}

TEST_F(RunnerTest, LateStopOfATimedOutActionStopsNothingLater)
{
    load({actionRecord(1, "LateStopper", {{"gate", "g"}, {"stop", true}}), actionRecord(2, "Next", {{"gate", "n"}})},
         {shortcutRecord(10, "Cut", {Step{1, Continue, Continue, 0.2}, Step{2, Continue, Continue, 5}, Step{2}})});
    auto cut = shortcut(10);
    cut->runObject();
    ASSERT_TRUE(waitFor("start Next#1"));
    Gates::shared().open("g#1"); // the timed-out first action now asks to stop
    ASSERT_TRUE(waitFor("end LateStopper#1"));
    Gates::shared().open("n#1");
    Gates::shared().open("n#2");
    ASSERT_TRUE(waitIdle(cut));
    EXPECT_EQ(runLog().count("start Next#2"), 1) << "the third step still ran";
}

// --- Repeats, pauses, stops ---------------------------------------------------------------------

TEST_F(RunnerTest, RepeatUntilStoppedWithAStopCodeRunsPassAfterPass)
{
    struct Case {
        const char* what;
        std::function<void(const std::shared_ptr<QVShortcut>&)> stop;
    };
    const Case cases[] = {
        {"second trigger", [](const std::shared_ptr<QVShortcut>& s) { s->runObject(); }},
        {"stopshortcuts", [](const std::shared_ptr<QVShortcut>&) { QVShortcutsManager::sharedManager().stopAllShortcuts(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        runLog().clear();
        load({actionRecord(1, "Stopper"), actionRecord(2, "Never")},
             {shortcutRecord(10, "Cut", {Step{1, Stop, Stop}, Step{2}}, -1, 0.02)});
        auto cut = shortcut(10);
        cut->runObject();
        ASSERT_TRUE(waitFor("end Stopper#3")) << "each stop ends only its pass";
        EXPECT_TRUE(cut->isRunning());
        c.stop(cut);
        ASSERT_TRUE(waitIdle(cut));
        const int passes = runLog().countContaining("end Stopper#");
        EXPECT_EQ(runLog().countContaining("Never"), 0);
        EXPECT_FALSE(waitUntil([&] { return runLog().countContaining("end Stopper#") > passes; }, 200));
        QVShortcutsManager::sharedManager().resetShortcuts();
    }
}

TEST_F(RunnerTest, StopShortcutsAlsoEndsARunBetweenPasses)
{
    // After the stop code the run's flag is down until the next pass begins;
    // the run still goes on, so "stopshortcuts" must end it too.
    // A pause far longer than the test: only the stop can end it.
    load({actionRecord(1, "Stopper")}, {shortcutRecord(10, "Cut", {Step{1, Stop, Stop}}, -1, 600)});
    auto cut = shortcut(10);
    cut->runObject();
    ASSERT_TRUE(waitFor("end Stopper#1"));
    // The shortcut's thread takes the stop code after the action has ended.
    ASSERT_TRUE(zelk::test::waitUntil([&] { return !cut->canGoRunning(); }));
    EXPECT_TRUE(cut->isRunning());
    QVShortcutsManager::sharedManager().stopAllShortcuts();
    ASSERT_TRUE(waitIdle(cut));
    EXPECT_EQ(runLog().countContaining("end Stopper#"), 1);
}

TEST_F(RunnerTest, TwoPassesWithPauses)
{
    load({actionRecord(1, "Twice")}, {shortcutRecord(10, "Cut", {Step{1}}, 2, 0.05)});
    auto cut = shortcut(10);
    cut->runObject();
    ASSERT_TRUE(waitIdle(cut));
    EXPECT_EQ(runLog().countContaining("end Twice#"), 2);
}

TEST_F(RunnerTest, TriggerDuringThePauseStopsTheRun)
{
    load({actionRecord(1, "Once")}, {shortcutRecord(10, "Cut", {Step{1}}, 2, 0.5)});
    auto cut = shortcut(10);
    cut->runObject();
    ASSERT_TRUE(waitFor("end Once#1"));
    EXPECT_TRUE(cut->isRunning()) << "the pause belongs to the run";
    cut->runObject();
    ASSERT_TRUE(waitIdle(cut));
    EXPECT_EQ(runLog().countContaining("end Once#"), 1) << "no second pass after the trigger";
}

TEST_F(RunnerTest, StopEndsEveryPauseAtOnceAndTheNextTriggerStartsARun)
{
    // Pauses far longer than the wait below: only the stop can end them.
    struct Case {
        const char* what;
        QVariantMap shortcut;
        bool stopAll; // stopshortcuts, else a second trigger
    };
    const QList<Case> cases = {
        {"pause between passes, second trigger", shortcutRecord(10, "Cut", {Step{1}}, 2, 600), false},
        {"pause between passes, stopshortcuts", shortcutRecord(10, "Cut", {Step{1}}, -1, 600), true},
        {"step's repeat pause, second trigger", shortcutRecord(10, "Cut", {Step{1, 0, 0, 5, 3, 600}}), false},
        {"step's pause after its one run, stopshortcuts", shortcutRecord(10, "Cut", {Step{1, 0, 0, 5, 0, 600}, Step{1}}), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        runLog().clear();
        load({actionRecord(1, "Once")}, {c.shortcut});
        auto cut = shortcut(10);
        cut->runObject();
        ASSERT_TRUE(waitFor("end Once#1"));
        EXPECT_TRUE(cut->isRunning()) << "the pause belongs to the run";
        if (c.stopAll)
            QVShortcutsManager::sharedManager().stopAllShortcuts();
        else
            cut->runObject();
        ASSERT_TRUE(waitIdle(cut, 3000)) << "the stop ends the pause at once";
        // The user's next trigger is a new run, not swallowed by the old one.
        cut->runObject();
        ASSERT_TRUE(waitFor("end Once#2"));
        QVShortcutsManager::sharedManager().stopAllShortcuts();
        ASSERT_TRUE(waitIdle(cut, 3000));
        EXPECT_EQ(runLog().countContaining("end Once#"), 2);
    }
}

TEST_F(RunnerTest, StepRepeatedThreeTimesThenTheNextStep)
{
    load({actionRecord(1, "Thrice"), actionRecord(2, "After")},
         {shortcutRecord(10, "Cut", {Step{1, 0, 0, 5, 3, 0.05}, Step{2}})});
    auto cut = shortcut(10);
    cut->runObject();
    ASSERT_TRUE(waitIdle(cut));
    EXPECT_EQ(runLog().lines(), QStringList({"start Thrice#1", "end Thrice#1", "start Thrice#2", "end Thrice#2",
                                             "start Thrice#3", "end Thrice#3", "start After#1", "end After#1"}));
}

TEST_F(RunnerTest, ActionThatStopsTheRunEndsThePass)
{
    load({actionRecord(1, "Stopper", {{"stop", true}}), actionRecord(2, "Never")},
         {shortcutRecord(10, "Cut", {Step{1}, Step{2}})});
    auto cut = shortcut(10);
    cut->runObject();
    ASSERT_TRUE(waitIdle(cut));
    EXPECT_EQ(runLog().countContaining("Never"), 0);
}

TEST_F(RunnerTest, SecondTriggerForceStopsAfterTheCurrentStep)
{
    load({actionRecord(1, "Held", {{"gate", "held"}}), actionRecord(2, "Never")},
         {shortcutRecord(10, "Cut", {Step{1}, Step{2}}, -1)});
    auto cut = shortcut(10);
    cut->runObject();
    ASSERT_TRUE(waitFor("start Held#1"));
    cut->runObject();
    EXPECT_TRUE(cut->isRunning()) << "the current step is still waited for";
    Gates::shared().open("held#1");
    ASSERT_TRUE(waitIdle(cut));
    EXPECT_EQ(runLog().countContaining("start Held#"), 1);
    EXPECT_EQ(runLog().countContaining("Never"), 0);
}

TEST_F(RunnerTest, TriggersAtOnceNeverStartTwoRuns)
{
    load({actionRecord(1, "Held", {{"gate", "held"}})}, {shortcutRecord(10, "Cut", {Step{1, 0, 0, 0.3}})});
    auto cut = shortcut(10);
    // The second trigger comes before the run's thread has (likely) started:
    // it stops that run and starts none of its own.
    cut->runObject();
    cut->runObject();
    ASSERT_TRUE(waitIdle(cut));
    EXPECT_LE(runLog().countContaining("start Held#"), 1);
    runLog().clear();

    // Many triggers from many threads: at most one run at a time.
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i)
        threads.emplace_back([cut] { cut->runObject(); });
    for (std::thread& t : threads)
        t.join();
    Gates::shared().openAll();
    ASSERT_TRUE(waitIdle(cut));
    EXPECT_LE(runLog().countContaining("start Held#"), 1);
}

TEST_F(RunnerTest, InactiveShortcutIgnoresTriggers)
{
    load({actionRecord(1, "One")}, {shortcutRecord(10, "Cut", {Step{1}}, 0, 0, {5})},
         {}, {contextRecord(0, "Universal", 0), contextRecord(5, "Gedit", 1, "gedit")});
    auto cut = shortcut(10);
    EXPECT_FALSE(cut->isActive());
    EXPECT_FALSE(cut->validateMenuItem());
    cut->runObject();
    EXPECT_FALSE(cut->isRunning());
    EXPECT_FALSE(waitUntil([] { return runLog().countContaining("One") > 0; }, 200));
}

// --- Questions and the edit request ------------------------------------------------------------------

TEST_F(RunnerTest, StopAndEditAsksTheEditor)
{
    struct Case {
        bool editorRunning;
    };
    for (const Case& c : {Case{true}, Case{false}}) {
        SCOPED_TRACE(c.editorRunning ? "editor running" : "editor not running");
        auto& workspace = platform()->virtualWorkspace();
        if (const qint64 pid = workspace.pidOf("Zelk Editor.app"))
            workspace.userQuits(pid);
        if (c.editorRunning)
            workspace.userLaunches("Zelk Editor.app", editorPath());
        workspace.clearRequests();
        platform()->clearPostedNotifications();
        QFile::remove(dataFolder() + "/objecttoedit.plist");
        runLog().clear();

        answerAlerts({ThirdButton});
        load({actionRecord(4000000000LL, "Broken", {{"error", "boom"}}), actionRecord(2, "Never")},
             {shortcutRecord(10, "Cut", {Step{4000000000LL, Continue, Ask}, Step{2}})});
        auto cut = shortcut(10);
        cut->runObject();
        ASSERT_TRUE(waitIdle(cut));
        EXPECT_EQ(runLog().countContaining("Never"), 0) << "stop and edit stops";

        const auto posted = platform()->postedNotifications();
        const QString plist = dataFolder() + "/objecttoedit.plist";
        if (c.editorRunning) {
            ASSERT_EQ(posted.size(), 1);
            EXPECT_EQ(posted[0].name, "QVLauncherNotification");
            EXPECT_EQ(posted[0].userInfo.value("action").toString(), "editaction");
            EXPECT_EQ(posted[0].userInfo.value("param0").toLongLong(), 4000000000LL);
            EXPECT_FALSE(QFileInfo::exists(plist));
            EXPECT_TRUE(workspace.requests().filter("launch").isEmpty());
        } else {
            EXPECT_TRUE(posted.isEmpty());
            const auto stored = zelk::plist::readFile(plist);
            ASSERT_TRUE(stored.has_value()) << "objecttoedit.plist not written";
            EXPECT_EQ(stored->toMap(), QVariantMap({{"actiontoedit", QVariantList{qint64(4000000000LL)}}}));
            EXPECT_EQ(workspace.requests().filter("launch"), QStringList({"launch " + editorPath()}));
        }
        QVShortcutsManager::sharedManager().resetShortcuts();
    }
}

TEST_F(RunnerTest, MissingEditorIsLoggedAndNothingElse)
{
    QTemporaryDir bundle;
    ASSERT_TRUE(QDir().mkpath(bundle.filePath("Zelk.app/Contents/MacOS")));
    QFile::copy(appContents() + "/Info.plist", bundle.filePath("Zelk.app/Contents/Info.plist"));
    qputenv("ZELK_MAIN_BUNDLE", bundle.filePath("Zelk.app").toLocal8Bit());
    LogCapture log;
    EXPECT_FALSE(QVShortcut::editAction(7, true));
    EXPECT_TRUE(log.contains("Zelk Editor missing"));
    EXPECT_TRUE(platform()->postedNotifications().isEmpty());
    EXPECT_TRUE(platform()->virtualWorkspace().requests().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(dataFolder() + "/objecttoedit.plist"));
}

TEST_F(RunnerTest, ActionAsksWhetherToGoOnAfterAnError)
{
    struct Case {
        int answer;
        QString reply;
        bool nextStepRuns;
        bool editRequested;
    };
    const Case cases[] = {
        {SecondButton, "answer Asker yes", true, false},
        {FirstButton, "answer Asker no", false, false},
        {ThirdButton, "answer Asker no", false, true},
    };
    platform()->virtualWorkspace().userLaunches("Zelk Editor.app", editorPath());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        runLog().clear();
        alerts.clear();
        platform()->clearPostedNotifications();
        answerAlerts({c.answer});
        load({actionRecord(1, "Asker", {{"ask", "file gone"}}), actionRecord(2, "Next")},
             {shortcutRecord(10, "Cut", {Step{1}, Step{2}})});
        auto cut = shortcut(10);
        cut->runObject();
        ASSERT_TRUE(waitIdle(cut));
        EXPECT_EQ(runLog().count(c.reply), 1);
        EXPECT_EQ(runLog().countContaining("start Next"), c.nextStepRuns ? 1 : 0);
        ASSERT_EQ(alerts.lines().size(), 1);
        EXPECT_EQ(alerts.lines()[0], "The action “Asker” met an error | file gone | Stop Shortcut/Continue/Stop and Edit");
        EXPECT_EQ(platform()->postedNotifications().size(), c.editRequested ? 1 : 0);
        QVShortcutsManager::sharedManager().resetShortcuts();
    }
}

// --- Activation ---------------------------------------------------------------------------------------

TEST_F(RunnerTest, ContextsCountTheActivationAndContextEventLaunchersRunIt)
{
    struct Case {
        int kind;
        int runsAfterTwoActivations;
    };
    for (const Case& c : {Case{0, 1}, Case{1, 2}}) {
        SCOPED_TRACE(c.kind);
        runLog().clear();
        const QVariantMap launcher{{"launcherID", 7}, {"launchertype", 4}, {"launcherparams", QVariantMap{{"launchercontexttype", c.kind}}}};
        load({actionRecord(1, "OnActivation")}, {shortcutRecord(10, "Cut", {Step{1}}, 0, 0, {1, 2}, {7})}, {launcher},
             {contextRecord(1, "Gedit", 1, "gedit"), contextRecord(2, "Shell", 1, "xterm")});
        auto cut = shortcut(10);
        auto& contexts = engine::QVContextsManager::sharedManager();
        EXPECT_FALSE(cut->isActive());

        contexts.contextWithID(1)->setContextActivated(true);
        EXPECT_TRUE(cut->isActive());
        ASSERT_TRUE(waitFor("end OnActivation#1"));
        ASSERT_TRUE(waitIdle(cut));
        contexts.contextWithID(2)->setContextActivated(true);
        EXPECT_EQ(cut->activatedCount(), 2);
        ASSERT_TRUE(waitIdle(cut));
        EXPECT_EQ(runLog().countContaining("end OnActivation#"), c.runsAfterTwoActivations);

        contexts.contextWithID(1)->setContextActivated(false);
        EXPECT_TRUE(cut->isActive()) << "the other context still holds it";
        contexts.contextWithID(2)->setContextActivated(false);
        EXPECT_FALSE(cut->isActive());
        contexts.contextWithID(2)->setContextActivated(false); // one off too many is ignored
        EXPECT_EQ(cut->activatedCount(), 0);
        QVShortcutsManager::sharedManager().resetShortcuts();
    }
}

// --- The manager -------------------------------------------------------------------------------------

TEST_F(RunnerTest, ManagerBuildsLooksUpAndResets)
{
    load({actionRecord(1, "One")}, {shortcutRecord(10, "A", {Step{1}}), shortcutRecord(11, "B", {Step{1}})});
    auto& manager = QVShortcutsManager::sharedManager();
    ASSERT_EQ(manager.shortcutsArray().size(), 2);
    EXPECT_EQ(manager.shortcutWithID(11)->name(), "B");
    EXPECT_EQ(manager.shortcutWithID(12), nullptr);

    LogCapture log;
    manager.insertShortcutObject(shortcutRecord(12, "C", {}), 3);
    manager.insertShortcutObject(shortcutRecord(12, "C", {}), -1);
    manager.insertShortcutObject({}, 0);
    EXPECT_TRUE(log.contains("error insertShortcutObject 3 < 2 for C"));
    EXPECT_TRUE(log.contains("error insertShortcutObject -1 < 2 for C"));
    EXPECT_TRUE(log.contains("error insertShortcutObject 0 < 2 for unknown"));
    manager.insertShortcutObject(shortcutRecord(12, "C", {}), 0);
    EXPECT_EQ(manager.shortcutsArray().first()->name(), "C");

    auto universal = engine::QVContextsManager::sharedManager().universalContext();
    EXPECT_EQ(universal->linkedObjects().size(), 3);
    std::weak_ptr<QVShortcut> weak = manager.shortcutWithID(10);
    manager.resetShortcuts();
    EXPECT_TRUE(manager.shortcutsArray().isEmpty());
    EXPECT_TRUE(universal->linkedObjects().isEmpty()) << "unlinked from its contexts";
    EXPECT_TRUE(weak.expired()) << "no cycle keeps a dropped shortcut";
}

TEST_F(RunnerTest, ShortcutKeepsItsKeyAndImage)
{
    QImage own(48, 48, QImage::Format_ARGB32);
    own.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    own.save(&buffer, "PNG");
    QVariantMap record = shortcutRecord(10, "Cut", {Step{1}}, 0, 0, {0}, {3});
    record.insert("cutimage", png);
    const QVariantMap key{{"launcherID", 3}, {"launchertype", 0}, {"launcherparams", QVariantMap{{"launcherkeycode", 0x100000 | 8}}}};
    load({actionRecord(1, "One")}, {record}, {key});
    auto cut = shortcut(10);
    EXPECT_EQ(cut->keycodeNumOfLauncher(), std::optional<quint32>(0x100000 | 8));
    EXPECT_EQ(cut->imageValue().size(), QSize(32, 32));
    EXPECT_EQ(cut->imageValue().pixelColor(5, 5), QColor(Qt::red));
    EXPECT_EQ(cut->imageValueWithSize(16).size(), QSize(16, 16));
    EXPECT_TRUE(cut->description().contains("ID 10, Name:'Cut'"));
}

// --- Test runs -----------------------------------------------------------------------------------------

TEST_F(RunnerTest, ActionTestShowsItsErrorOrNothing)
{
    QVTester::sharedTester().runActionInThread(actionRecord(1, "Fine"));
    EXPECT_TRUE(alerts.lines().isEmpty());
    QVTester::sharedTester().runActionInThread(actionRecord(2, "Failing", {{"error", "no file"}}));
    EXPECT_EQ(alerts.lines(), QStringList({"The action “Failing” met an error | no file | OK//"}));

    alerts.clear();
    QVTester::sharedTester().runActionInThread(
        {{"actionclass", "NoSuchClass"}, {"actionname", "Lost"}, {"actionID", 3}});
    EXPECT_TRUE(runLog().lines().size() == 4) << "only the two runs above";
    EXPECT_TRUE(alerts.lines().isEmpty()) << "a missing class runs nothing";
}

TEST_F(RunnerTest, OverlappingActionTestsKeepTheirOwnOutcome)
{
    std::thread first([] { QVTester::sharedTester().runActionInThread(actionRecord(1, "First", {{"gate", "first"}, {"error", "error one"}})); });
    ASSERT_TRUE(waitFor("start First#1"));
    std::thread second([] { QVTester::sharedTester().runActionInThread(actionRecord(2, "Second", {{"error", "error two"}})); });
    ASSERT_TRUE(waitUntil([&] { return alerts.lines().size() == 1; }));
    Gates::shared().open("first#1");
    ASSERT_TRUE(waitUntil([&] { return alerts.lines().size() == 2; }));
    first.join();
    second.join();
    EXPECT_EQ(alerts.lines(), QStringList({"The action “Second” met an error | error two | OK//",
                                           "The action “First” met an error | error one | OK//"}));
}

TEST_F(RunnerTest, ActionTestWaitIsBounded)
{
    QVTester::setMinimumTestWait(0.2);
    std::atomic<bool> done{false};
    std::thread test([&] {
        QVTester::sharedTester().runActionInThread(actionRecord(1, "Stuck", {{"gate", "stuck"}}));
        done = true;
    });
    ASSERT_TRUE(waitUntil([&] { return done.load(); }));
    test.join();
    EXPECT_EQ(alerts.lines(), QStringList({"The action “Stuck” met an error | did not finish within 0.2 s | OK//"}));
}

TEST_F(RunnerTest, StopEndsAnActionTestsWaitAtOnce)
{
    std::atomic<bool> done{false};
    std::thread test([&] {
        QVTester::sharedTester().runActionInThread(actionRecord(1, "Stuck", {{"gate", "stuck"}}));
        done = true;
    });
    ASSERT_TRUE(waitFor("start Stuck#1"));
    QVTester::sharedTester().stopAllTests();
    EXPECT_TRUE(waitUntil([&] { return done.load(); }, 3000)) << "the test waited on after the stop";
    Gates::shared().open("stuck#1");
    test.join();
    EXPECT_TRUE(alerts.lines().isEmpty()) << "a stopped test is no error";
}

TEST_F(RunnerTest, ShortcutTestRunsThePayloadLikeAShortcut)
{
    const QVariantMap payload{
        {"exportedshortcuts", shortcutRecord(50, "Tested", {Step{1, Report}, Step{2}, Step{3}})},
        {"exportedactions", QVariantList{actionRecord(1, "First"), actionRecord(2, "Second"),
                                         QVariantMap{{"actionclass", "Gone"}, {"actionname", "Gone"}, {"actionID", 3}}}}};
    LogCapture log;
    std::atomic<bool> done{false};
    std::thread test([&] {
        QVTester::sharedTester().runShortcutInThread(payload);
        done = true;
    });
    ASSERT_TRUE(waitUntil([&] { return done.load(); }));
    test.join();
    EXPECT_EQ(runLog().lines(), QStringList({"start First#1", "end First#1", "start Second#1", "end Second#1"}));
    ASSERT_EQ(reports.lines().size(), 1);
    EXPECT_TRUE(reports.lines()[0].contains("Tested – First: done"));
    EXPECT_TRUE(log.contains("Class misisng 'Gone'"));
}

TEST_F(RunnerTest, StopShortcutsEndsARepeatingShortcutTest)
{
    const QVariantMap payload{{"exportedshortcuts", shortcutRecord(50, "Forever", {Step{1}}, -1, 0.01)},
                              {"exportedactions", QVariantList{actionRecord(1, "Again")}}};
    std::atomic<bool> done{false};
    std::thread test([&] {
        QVTester::sharedTester().runShortcutInThread(payload);
        done = true;
    });
    ASSERT_TRUE(waitFor("end Again#3"));
    QVShortcutsManager::sharedManager().stopAllShortcuts();
    ASSERT_TRUE(waitUntil([&] { return done.load(); }));
    test.join();
}
