#pragma once
// Fakes for the running side's tests: controllers, the engine's QVUtility
// (menus are recorded and may be answered), and the built plug-in's path.
#include "QVAction.h"
#include "QVUtilityClass.h"
#include "TestSupport.h"

#include <QMenu>
#include <QStringList>
#include <atomic>
#include <mutex>

namespace zelk::test {

// A menu's titles, joined by ", ": "*" before a checked item, "-" before
// one that does nothing (no data); the item titled choose is triggered.
QString recordMenu(QMenu* menu, const QString& choose);

// A controller that may go on until told to stop, and keeps the outcome.
class TestController : public QVActionController {
public:
    bool canGoRunning() override
    {
        ++asked;
        if (stopAfter >= 0 && asked > stopAfter)
            stopped = true;
        return !stopped;
    }
    bool canGoRunningAfterError(const QString&) override { return false; }
    void stopRunning() override { stopped = true; }
    void setErrorWhenRunning(const QString& error, const std::shared_ptr<QVAction>&) override
    {
        std::lock_guard lock(mutex);
        outcome = error;
        ended = true;
    }
    void setActionTerminatesWithoutError(const std::shared_ptr<QVAction>&) override
    {
        std::lock_guard lock(mutex);
        outcome.clear();
        ended = true;
    }

    std::atomic<bool> stopped{false};
    std::atomic<int> asked{0};
    std::atomic<int> stopAfter{-1};  // canGoRunning answers true this many times, then false
    std::atomic<bool> ended{false};
    std::mutex mutex;
    QString outcome;
};

// The engine's utility class: menus are recorded (titles, "*" before a
// checked one, "-" before one that does nothing) and the item named by
// choose is triggered.
class FakeEngineUtility : public QVUtilityClass {
public:
    void displayFloatingMenu(QMenu* menu) override
    {
        const QString titles = recordMenu(menu, choose);
        std::lock_guard lock(mutex);
        menus.append(titles);
    }
    QStringList recentAppPathArray() override { return recent; }

    QStringList shownMenus()
    {
        std::lock_guard lock(mutex);
        return menus;
    }

    QString choose;
    QStringList recent;
    std::mutex mutex;
    QStringList menus;
};

// The built engine plug-in.
QString actionRunnersPath();
// Loads it: ASSERT_TRUE(loadActionRunners()) tells why it could not.
::testing::AssertionResult loadActionRunners();
// The action a record of className with that name, ID and parameters
// makes; nullptr when the class refuses it.
std::shared_ptr<QVAction> actionWithParameters(const QString& className, const QString& name, qint64 id,
                                               const QVariantMap& data);
// The action's work run for controller: its error text, empty for
// success, "no action" without an action.
QString runAction(const std::shared_ptr<QVAction>& action, const std::shared_ptr<QVActionController>& controller);

} // namespace zelk::test
