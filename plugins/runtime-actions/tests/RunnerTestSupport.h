#pragma once
// Fakes for the running side's tests: controllers, the engine's QVUtility
// (menus are recorded and may be answered), and the built plug-in's path.
#include "MainThread.h"
#include "QVAction.h"
#include "QVUtilityClass.h"
#include "TestSupport.h"

#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <QStringList>
#include <atomic>
#include <mutex>

namespace zelk::test {

// A menu's titles, joined by ", ": "*" before a checked item, "-" before
// one that does nothing (no data); the item titled choose is triggered.
// A menu's titles as the tests record them: "*" before a checked item, "-"
// before one that does nothing.
QString menuTitles(QMenu* menu);
// Picks the item with that title, if any (the user's choice).
void pickMenuItem(QMenu* menu, const QString& title);

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
// checked one, "-" before one that does nothing). Like the engine's, a menu
// is shown on the main thread and the caller waits until it closes; the
// user's choice comes in a later turn of the main loop: the item named by
// choose, or, with holdOpen, whatever the test picks with pick().
class FakeEngineUtility : public QVUtilityClass {
public:
    void displayFloatingMenu(QMenu* menu) override
    {
        MainThread::runUntilDone([this, menu](std::function<void()> done) {
            const QString titles = menuTitles(menu);
            {
                std::lock_guard lock(mutex);
                menus.append(titles);
                open = menu;
                closeOpen = done;
            }
            if (!holdOpen)
                QTimer::singleShot(0, menu, [this] { pick(choose); });
        });
    }
    QStringList recentAppPathArray() override { return recent; }

    // The user picks the item with that title, or closes the menu without
    // a choice when there is none (main thread).
    void pick(const QString& title)
    {
        QPointer<QMenu> menu;
        std::function<void()> done;
        {
            std::lock_guard lock(mutex);
            menu = open;
            done = std::move(closeOpen);
            open = nullptr;
        }
        if (!menu || !done)
            return;
        pickMenuItem(menu, title);
        done();
    }
    bool isMenuOpen()
    {
        std::lock_guard lock(mutex);
        return bool(closeOpen);
    }

    QStringList shownMenus()
    {
        std::lock_guard lock(mutex);
        return menus;
    }

    QString choose;
    std::atomic<bool> holdOpen{false};
    QStringList recent;
    std::mutex mutex;
    QStringList menus;
    QPointer<QMenu> open;
    std::function<void()> closeOpen;
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
