// The message and engine-command action types, running side: which button
// stops the shortcut, and each engine command reaching the engine's
// application object (and only once for the recall commands).
#include "MessageShortcut/MessageShortcut.h"
#include "RunnerTestSupport.h"
#include "TestSupport.h"
#include "VirtualPlatform.h"
#include "ZelkShortcut/ZelkShortcut.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace zelk;
using namespace zelk::test;

namespace {

// The engine's utility as the message alert uses it: answers what the
// test says and records what it showed.
class AlertUtility : public QVUtilityClass {
public:
    int runAlertPanelWithTitle(const QString& title, const QString& message, const QString& b1, const QString& b2,
                               const QString& b3) override
    {
        shown.append(QStringList{title, message, b1, b2, b3}.join('|'));
        return answer;
    }
    int answer = 1;
    QStringList shown;
};

// The engine's application object: records the commands.
class RecordingHost : public QVActionHostApplication {
public:
    void terminate() override { calls.add("terminate"); }
    void showReport() override { calls.add("showReport"); }
    void stopShortcuts() override { calls.add("stopShortcuts"); }
    void runLastCutAction1() override { calls.add("runLastCutAction1"); }
    void runLastCutAction2() override { calls.add("runLastCutAction2"); }
    void addLastCutAction(std::shared_ptr<QVAction>) override { calls.add("addLastCutAction"); }
    Lines calls; // run threads call in
};

class MessageZelkRunnerTest : public TempHomeTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(loadActionRunners());
        QVAction::setApplicationObject(&host);
        VirtualPlatform::current()->clearPostedNotifications();
        VirtualPlatform::current()->virtualWorkspace().clearRequests();
    }
    void TearDown() override { QVAction::setApplicationObject(nullptr); }

    UtilityScope<AlertUtility> scope;
    RecordingHost host;
};

TEST_F(MessageZelkRunnerTest, TheChosenButtonSaysWhetherTheShortcutGoesOn)
{
    const struct {
        QString button2;
        int action1, action2, answer;
        bool stops;
    } cases[] = {
        {"", 0, 1, 1, false},      // one button that goes on
        {"", 1, 0, 1, true},
        {"Stop", 0, 1, 0, true},   // the second button stops
        {"Stop", 0, 1, 1, false},  // the first does not
        {"", 0, 1, 0, false},      // no second button to choose
        {"Go", 0, 2, 0, false},    // anything but 1 goes on
    };
    for (const auto& c : cases) {
        scope.utility.answer = c.answer;
        auto controller = std::make_shared<TestController>();
        auto action = actionWithParameters("MessageShortcut", "msg", 51,
                                           {{"Action", 1}, {"Message1", "Title"}, {"Message2", "Text"}, {"Button1", "OK"},
                                            {"Button2", c.button2}, {"ButtonAction1", c.action1}, {"ButtonAction2", c.action2}});
        EXPECT_EQ(runAction(action, controller), "");
        EXPECT_EQ(controller->stopped.load(), c.stops) << c.button2.toStdString() << " " << c.answer;
        EXPECT_EQ(scope.utility.shown.last(), "Title|Text|OK|" + c.button2 + "|");
    }
}

TEST_F(MessageZelkRunnerTest, EngineCommandsReachTheEngine)
{
    qputenv("ZELK_MAIN_BUNDLE", QDir::cleanPath(appContents() + "/..").toLocal8Bit());
    const struct {
        int model;
        QString call;
    } cases[] = {{3, "terminate"}, {4, "showReport"}, {5, "stopShortcuts"}, {6, "runLastCutAction1"},
                 {7, "runLastCutAction2"}, {2, ""}, {9, ""}, {0, ""}};
    for (const char* className : {"ZelkShortcut", "QuovShortcut"}) {
        for (const auto& c : cases) {
            host.calls.clear();
            auto action = actionWithParameters(className, "cmd", 52, {{"Action", c.model}});
            ASSERT_NE(action, nullptr) << className;
            EXPECT_EQ(runAction(action, std::make_shared<TestController>()), "");
            EXPECT_EQ(host.calls.lines(), c.call.isEmpty() ? QStringList() : QStringList{c.call}) << className << " " << c.model;
            EXPECT_EQ(action->addToRecent(), c.model != 6 && c.model != 7);
        }
    }

    // Running the last item again never records the command itself.
    host.calls.clear();
    auto again = actionWithParameters("ZelkShortcut", "again", 53, {{"Action", 6}});
    again->runObject();
    ASSERT_TRUE(waitUntil([&] { return host.calls.lines().contains("runLastCutAction1"); }));
    EXPECT_FALSE(host.calls.lines().contains("addLastCutAction"));

    EXPECT_EQ(runAction(actionWithParameters("ZelkShortcut", "edit", 54, {{"Action", 1}}), std::make_shared<TestController>()), "");
    EXPECT_EQ(VirtualPlatform::current()->virtualWorkspace().requests(),
              QStringList{"launch " + QDir::cleanPath(appContents() + "/..") + "/Contents/MacOS/Zelk Editor.app"});

    EXPECT_EQ(runAction(actionWithParameters("ZelkShortcut", "test", 55, {{"Action", 8}}), std::make_shared<TestController>()), "");
    const auto posted = VirtualPlatform::current()->postedNotifications();
    ASSERT_EQ(posted.size(), 1);
    EXPECT_EQ(posted[0].name, "QVLauncherNotification");
    EXPECT_EQ(posted[0].userInfo, (QVariantMap{{"action", "testedited"}}));
    qunsetenv("ZELK_MAIN_BUNDLE");
}

} // namespace
