#pragma once
// Test runs asked for by the editor ("runaction", "runshortcut"): the
// record it sends is run at once, on the calling thread, without saving
// anything. Each test run has a tester object of its own as the action's
// controller, so tests that overlap do not mix their outcomes, and the wait
// for an action's outcome is bounded (the action's own delay or 60 s,
// whichever is longer) and ends at once on a stop; a test that times out
// says so in an alert, a stopped one says nothing.
#include "QVActionController.h"
#include "QVShortcut.h"

#include <QList>
#include <QString>
#include <QVariantMap>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace zelk {
class QVAction;
}

namespace engine {

// A shortcut built from a TestShortcutPayload: its steps run the actions
// built from the payload, it links to no launcher or context.
class QVTestShortcut : public QVShortcut {
public:
    bool initWithDictionaryInLauncher(const QVariantMap& payload) override;
    std::shared_ptr<zelk::QVAction> actionWithID(quint32 actionID) const override;

private:
    QList<std::shared_ptr<zelk::QVAction>> m_testActions; // QVTActionsArray
};

class QVTester : public zelk::QVActionController {
public:
    // The entry point of the test runs.
    static QVTester& sharedTester();

    // Runs one ActionRecord and waits for its outcome; an error or a time-out
    // is shown in an alert. Nothing happens when the record's class is not
    // installed.
    void runActionInThread(const QVariantMap& record);
    // Runs a TestShortcutPayload's shortcut to its end.
    void runShortcutInThread(const QVariantMap& payload);
    // Stops the test runs going on ("stopshortcuts").
    void stopAllTests();

    // The controller of one test run.
    bool canGoRunning() override;
    bool canGoRunningAfterError(const QString& error) override;
    void stopRunning() override;
    void setErrorWhenRunning(const QString& error, const std::shared_ptr<zelk::QVAction>& action) override;
    void setActionTerminatesWithoutError(const std::shared_ptr<zelk::QVAction>& action) override;

    // The shortest bound of an action test's wait, in seconds (60; tests shorten it).
    static void setMinimumTestWait(double seconds);
    static double minimumTestWait();

    QVTester() = default;

private:
    std::atomic<bool> m_goRunning{false};            // QVTGoRunning
    std::mutex m_mutex;
    std::condition_variable m_reported;
    bool m_actionRun = false;                         // QVTActionRun
    std::shared_ptr<zelk::QVAction> m_testAction;     // QVTTestAction
    QString m_errorMsg;                               // QVTErrorMsg

    // The test runs going on (the shared tester's lists).
    std::mutex m_testsMutex;
    QList<std::weak_ptr<QVTester>> m_actionTests;
    QList<std::weak_ptr<QVTestShortcut>> m_shortcutTests;
};

} // namespace engine
