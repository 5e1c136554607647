// The running frame: waits that honour stop requests and end, main-thread
// work from run threads, the plug-in as the engine loads it, and records of
// types no plug-in registers.
#include "ActionRunner.h"
#include "ActionTypeNames.h"
#include "RunnerTestSupport.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QThread>
#include <gtest/gtest.h>
#include <thread>

using namespace zelk;
using namespace zelk::engine;
using namespace zelk::test;

namespace {

TEST(ActionRunnerFrameTest, StopRequestEndsALongSleep)
{
    TestController controller;
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        controller.stopRunning();
    });
    EXPECT_FALSE(ActionRunner::sleepWhileRunning(controller, 10.0));
    stopper.join();
    EXPECT_GE(controller.asked.load(), 1);
}

TEST(ActionRunnerFrameTest, SleepAsksBeforeEverySlice)
{
    TestController controller;
    EXPECT_TRUE(ActionRunner::sleepWhileRunning(controller, 0.25, 0.1));
    EXPECT_GE(controller.asked.load(), 3);
    TestController stopping;
    stopping.stopAfter = 0;
    EXPECT_FALSE(ActionRunner::sleepWhileRunning(stopping, 5.0));
}

TEST(ActionRunnerFrameTest, PollsEndWhenDoneStoppedOrOutOfTime)
{
    int checks = 0;
    EXPECT_TRUE(ActionRunner::pollWhileRunning(nullptr, 0.01, 5.0, [&] { return ++checks == 3; }));
    EXPECT_EQ(checks, 3);
    EXPECT_FALSE(ActionRunner::pollWhileRunning(nullptr, 0.05, 0.2, [] { return false; }));
    TestController stopping;
    stopping.stopAfter = 1;
    EXPECT_FALSE(ActionRunner::pollWhileRunning(&stopping, 0.01, 5.0, [] { return false; }));
}

TEST(ActionRunnerFrameTest, MainThreadWorkFromARunThread)
{
    ASSERT_EQ(QThread::currentThread(), QCoreApplication::instance()->thread());
    const Qt::HANDLE mainThread = QThread::currentThreadId();
    Qt::HANDLE ranOn = nullptr, workerThread = nullptr;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        workerThread = QThread::currentThreadId();
        ActionRunner::runOnMainThread([&] { ranOn = QThread::currentThreadId(); });
        done = true;
    });
    EXPECT_TRUE(waitUntil([&] { return done.load(); }));
    worker.join();
    ASSERT_NE(workerThread, mainThread);
    EXPECT_EQ(ranOn, mainThread) << "the work ran on the run thread";
}

TEST(ActionRunnersPluginTest, LoadsFromTheBundleAndRegistersItsTypes)
{
    QStringList registered;
    QString error;
    ASSERT_TRUE(ClassRegistry::shared().loadPlugin(actionRunnersPath(), &registered, &error)) << error.toStdString();
    // What the plug-in registered, whether this load or an earlier one in
    // this process did it (a second load registers nothing new).
    QStringList fromPlugin;
    for (const QString& name : ClassRegistry::shared().classNames()) {
        if (ClassRegistry::shared().classNamed(name)->bundle().bundlePath().endsWith("/PlugIns/ActionRunners"))
            fromPlugin << name;
    }
    ASSERT_FALSE(fromPlugin.isEmpty()) << "the plug-in registered no class";
    if (!registered.isEmpty()) {
        registered.sort();
        fromPlugin.sort();
        EXPECT_EQ(registered, fromPlugin) << "the load answered other names than it registered";
    }
    for (const QString& name : fromPlugin)
        EXPECT_TRUE(isActionTypeName(name)) << name.toStdString();
    for (const QVActionClass* built : runnerClasses()) {
        EXPECT_EQ(ClassRegistry::shared().classNamed(built->className()), built) << built->className().toStdString();
        EXPECT_TRUE(fromPlugin.contains(built->className())) << built->className().toStdString();
    }
    auto* cls = ClassRegistry::shared().lookup<QVActionClass>("ApplicationShortcut");
    ASSERT_NE(cls, nullptr);
    EXPECT_TRUE(cls->bundle().bundlePath().endsWith("/PlugIns/ActionRunners")) << cls->bundle().bundlePath().toStdString();
    EXPECT_EQ(cls->localizedStr("ApplicationNonEncours"), "The application “%@” is not running.");
    // The stand-alone run's question reads the plug-in's default table.
    for (const char* key : {"ActionErreur", "ArreterAction", "ContinuerAction"})
        EXPECT_NE(cls->bundle().localizedString(key), key) << key;

    const auto action = QVAction::actionWithRecord(
        {{"actionname", "quit"}, {"actionclass", "ApplicationShortcut"}, {"actionID", qint64(4)},
         {"actiondata", QVariantMap{{"Action", 16}, {"AppName", "Nobody"}}}});
    ASSERT_TRUE(action);
    EXPECT_EQ(&action->actionClass(), cls);
    EXPECT_EQ(action->runDelay(), 0.f);
}

TEST(ActionRunnersPluginTest, RecordOfAnUnknownTypeFailsVisibly)
{
    ASSERT_TRUE(ClassRegistry::shared().loadPlugin(actionRunnersPath()));
    // A record from a later version, of a type no plug-in here registers.
    const QString missing = QStringLiteral("HologramShortcut");
    ASSERT_FALSE(ClassRegistry::shared().classNamed(missing));
    const auto action = QVAction::actionWithRecord(
        {{"actionname", "drag"}, {"actionclass", missing}, {"actionID", qint64(5)},
         {"actiondata", QVariantMap{{"Action", 1}}}});
    ASSERT_TRUE(action);
    EXPECT_EQ(action->actionClass().className(), "QVAction");
    auto controller = std::make_shared<TestController>();
    action->runActionFromObjectInThread(controller);
    EXPECT_TRUE(controller->ended);
    EXPECT_TRUE(controller->outcome.contains(missing)) << controller->outcome.toStdString();
}

} // namespace
