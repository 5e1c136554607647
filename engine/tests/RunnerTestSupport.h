#pragma once
// Test doubles for the shortcut runner and the engine's utility: an action
// type registered as a plug-in registers its types, whose runs sleep, fail,
// wait at a gate, stop the run, ask after an error or report late as their
// record says; named gates; a log of runs; and a fixture with the engine's
// QVUtility answering alerts, report lines collected, and the managers
// loaded from records.
#include "ClassRegistry.h"
#include "QVAction.h"
#include "QVActionsManager.h"
#include "QVContextsManager.h"
#include "QVLaunchersManager.h"
#include "QVShortcut.h"
#include "QVShortcutsManager.h"
#include "QVTester.h"
#include "QVUtility.h"
#include "TestSupport.h"
#include "VirtualPlatform.h"

#include <QDir>
#include <QHash>
#include <QStringList>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>
#include <ostream>
#include <thread>

namespace runnertest {

using zelk::test::Lines;

// "start <name>#<n>" and "end <name>#<n>" of every test action run.
inline Lines& runLog()
{
    static Lines log;
    return log;
}

// Gates by name: a run waits at its gate until the test opens it.
class Gates {
public:
    static Gates& shared()
    {
        static Gates gates;
        return gates;
    }
    void pass(const QString& name)
    {
        std::unique_lock lock(m_mutex);
        m_cv.wait(lock, [&] { return m_all || m_open.contains(name); });
    }
    void open(const QString& name)
    {
        std::lock_guard lock(m_mutex);
        m_open << name;
        m_cv.notify_all();
    }
    // Lets every waiting and future run through (end of a test).
    void openAll()
    {
        std::lock_guard lock(m_mutex);
        m_all = true;
        m_cv.notify_all();
    }
    void reset()
    {
        std::lock_guard lock(m_mutex);
        m_all = false;
        m_open.clear();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    QStringList m_open;
    bool m_all = false;
};

// An action type as a plug-in defines one. Its "actiondata" says what a run
// does, in this order: "gate" (wait at the gate "<gate>#<n>", n counting
// this object's runs from 1), "sleep" (seconds), "stop" (ask the runner to
// stop), "ask" (ask whether to go on after that error text; logged
// "answer <name> yes|no"), "waitWhileRunning" (ask canGoRunning every
// 20 ms until it says no, at most that many seconds; logged "waited
// <name> until stopped|bound"), then fail with "error" or succeed. "runDelay" is
// its own time-out; "noRecent" keeps it out of the recent runs.
class RunnerTestAction : public zelk::QVAction {
    ZELK_ACTION_CLASS(RunnerTestAction, QVAction)

public:
    bool initWithDictionaryInLauncher(const QVariantMap& record) override
    {
        if (!QVAction::initWithDictionaryInLauncher(record))
            return false;
        m_data = record.value("actiondata").toMap();
        return true;
    }
    float runDelay() const override { return m_data.value("runDelay").toFloat(); }
    bool addToRecent() const override { return !m_data.value("noRecent").toBool(); }

    QString runActionFromObject(const std::shared_ptr<zelk::QVActionController>& controller) override
    {
        const QString run = QString("%1#%2").arg(nameValue()).arg(++m_runs);
        runLog().add("start " + run);
        if (m_data.contains("gate"))
            Gates::shared().pass(m_data.value("gate").toString() + "#" + QString::number(m_runs.load()));
        if (m_data.contains("sleep"))
            std::this_thread::sleep_for(std::chrono::duration<double>(m_data.value("sleep").toDouble()));
        if (m_data.contains("waitWhileRunning")) {
            const auto end = std::chrono::steady_clock::now()
                             + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                 std::chrono::duration<double>(m_data.value("waitWhileRunning").toDouble()));
            bool stopped = false;
            while (!(stopped = !controller->canGoRunning()) && std::chrono::steady_clock::now() < end)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            runLog().add("waited " + nameValue() + (stopped ? " until stopped" : " until bound"));
        }
        if (m_data.value("stop").toBool())
            controller->stopRunning();
        if (m_data.contains("ask")) {
            const bool goOn = controller->canGoRunningAfterError(m_data.value("ask").toString());
            runLog().add("answer " + nameValue() + (goOn ? " yes" : " no"));
        }
        runLog().add("end " + run);
        return m_data.value("error").toString();
    }

private:
    QVariantMap m_data;
    std::atomic<int> m_runs{0};
};

using zelk::test::LogCapture;

using zelk::test::appContents;

// Makes the built engine bundle the main bundle (texts, the editor's place).
inline void useBuiltBundle()
{
    qputenv("ZELK_MAIN_BUNDLE", QDir::cleanPath(appContents() + "/..").toLocal8Bit());
}

// Records.
inline QVariantMap actionRecord(qint64 id, const QString& name, const QVariantMap& data = {})
{
    return {{"actionclass", "RunnerTestAction"}, {"actionname", name}, {"actionID", id}, {"actiondata", data}};
}

struct Step {
    qint64 actionID;
    int success = 0;
    int failing = 0;
    double delay = 5.0;
    int repeat = 0;
    double pause = 0;
    bool active = true;
};

inline QVariantMap stepRecord(const Step& s)
{
    return {{"cutactionID", s.actionID},
            {"cutactionactive", s.active},
            {"cutactionrunparams", QVariantMap{{"runrepeatnum", s.repeat}, {"runrepeatpause", s.pause}}},
            {"cutactionresultparams",
             QVariantMap{{"resultsuccess", s.success}, {"resultfailing", s.failing}, {"resultdelay", s.delay}}}};
}

inline QVariantMap shortcutRecord(qint64 id, const QString& name, const QList<Step>& steps, int repeat = 0,
                                  double pause = 0, const QList<qint64>& contexts = {0},
                                  const QList<qint64>& launchers = {})
{
    QVariantList cutactions, cutcontexts, cutlaunchers;
    for (const Step& s : steps)
        cutactions << stepRecord(s);
    for (qint64 c : contexts)
        cutcontexts << QVariantMap{{"cutcontextID", c}, {"cutcontextactive", true}};
    for (qint64 l : launchers)
        cutlaunchers << QVariantMap{{"cutlauncherID", l}, {"cutlauncheractive", true}};
    return {{"cutname", name},
            {"cutID", id},
            {"cutimage", QByteArray()},
            {"cutactions", cutactions},
            {"cutlaunchers", cutlaunchers},
            {"cutcontexts", cutcontexts},
            {"cutrunparams", QVariantMap{{"runrepeatnum", repeat}, {"runrepeatpause", pause}}}};
}

inline QVariantMap contextRecord(qint64 id, const QString& name, int type, const QString& app = {})
{
    QVariantMap r{{"contextID", id}, {"contextname", name}, {"contexttype", type}, {"contextrules", QVariantList()}};
    if (!app.isEmpty())
        r.insert("contextparams", QVariantMap{{"contextactivatedapplication", app}});
    return r;
}

// The engine's bundle from the build tree, the engine's QVUtility answering
// alerts from a script of answers (default 0: the second button), report
// lines collected, a data folder in a temporary home, and the managers
// emptied afterwards.
class RunnerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        useBuiltBundle();
        zelk::ClassRegistry::shared().registerClass(&RunnerTestAction::classObject());
        zelk::ClassRegistry::shared().registerClass(&engine::QVUtility::sharedUtility());
        engine::QVUtility::sharedUtility().setAlertAnswerer(
            [this](const QString& title, const QString& message, const QString& b1, const QString& b2,
                   const QString& b3) {
                alerts.add(title + " | " + message + " | " + QStringList{b1, b2, b3}.join("/"));
                std::lock_guard lock(m_answersMutex);
                return m_answers.isEmpty() ? defaultAnswer.load() : m_answers.takeFirst();
            });
        engine::QVShortcut::setReportWriter([this](const QString& line) { reports.add(line); });
        QDir().mkpath(dataFolder());
        runLog().clear();
        Gates::shared().reset();
        platform()->clearPostedNotifications();
        platform()->virtualWorkspace().clearRequests();
    }

    void TearDown() override
    {
        engine::QVShortcutsManager::sharedManager().stopAllShortcuts();
        Gates::shared().openAll();
        for (const auto& shortcut : engine::QVShortcutsManager::sharedManager().shortcutsArray())
            EXPECT_TRUE(zelk::test::waitUntil([&] { return !shortcut->isRunning(); }, 10000)) << "a run did not end";
        engine::QVShortcutsManager::sharedManager().resetShortcuts();
        engine::QVLaunchersManager::sharedManager().resetLaunchers();
        engine::QVContextsManager::sharedManager().resetContexts();
        engine::QVActionsManager::sharedManager().resetActions();
        engine::QVShortcut::setReportWriter(nullptr);
        engine::QVUtility::sharedUtility().setAlertAnswerer(nullptr);
        engine::QVTester::setMinimumTestWait(60);
    }

    static zelk::VirtualPlatform* platform() { return zelk::VirtualPlatform::current(); }
    QString dataFolder() const { return home.dataHome() + "/Zelk"; }

    // Loads the objects and switches the universal context (ID 0) on.
    void load(const QVariantList& actions, const QVariantList& shortcuts, const QVariantList& launchers = {},
              const QVariantList& contexts = {contextRecord(0, "Universal", 0)})
    {
        engine::QVActionsManager::sharedManager().setActions(actions);
        engine::QVContextsManager::sharedManager().setContexts(contexts);
        engine::QVLaunchersManager::sharedManager().setLaunchers(launchers);
        engine::QVShortcutsManager::sharedManager().setShortcuts(shortcuts);
        if (auto universal = engine::QVContextsManager::sharedManager().universalContext())
            universal->setContextActivated(true);
    }

    static std::shared_ptr<engine::QVShortcut> shortcut(quint32 id)
    {
        return engine::QVShortcutsManager::sharedManager().shortcutWithID(id);
    }
    static bool waitIdle(const std::shared_ptr<engine::QVShortcut>& s, int timeoutMs = 10000)
    {
        return zelk::test::waitUntil([&] { return !s->isRunning(); }, timeoutMs);
    }
    static bool waitFor(const QString& runLogLine, int timeoutMs = 10000)
    {
        return zelk::test::waitUntil([&] { return runLog().count(runLogLine) > 0; }, timeoutMs);
    }
    void answerAlerts(const QList<int>& answers)
    {
        std::lock_guard lock(m_answersMutex);
        m_answers = answers;
    }

    zelk::test::TempHome home;
    Lines alerts;
    Lines reports;
    std::atomic<int> defaultAnswer{0};

private:
    std::mutex m_answersMutex;
    QList<int> m_answers;
};

} // namespace runnertest

inline void PrintTo(const QStringList& l, std::ostream* os) { *os << '[' << l.join(" | ").toStdString() << ']'; }
