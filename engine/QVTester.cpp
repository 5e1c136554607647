#include "QVTester.h"

#include "ClassRegistry.h"
#include "Log.h"
#include "QVAction.h"
#include "QVLauncher.h"
#include "QVUtility.h"
#include "WorkerPool.h"

#include <algorithm>
#include <chrono>

namespace engine {

namespace {

std::atomic<double>& minimumWait()
{
    static std::atomic<double> seconds{60.0};
    return seconds;
}

bool actionClassInstalled(const QString& className)
{
    zelk::QVAction::registerFrameworkClasses();
    return zelk::ClassRegistry::shared().lookup<zelk::QVActionClass>(className) != nullptr;
}

int runAlert(const QString& title, const QString& message, const QString& button1, const QString& button2)
{
    QVUtility::sharedUtility(); // the engine's utility answers unless another host is in place
    return zelk::QVAction::runAlertPanelWithTitle(title, message, button1, button2, QString());
}

} // namespace

// --- QVTestShortcut --------------------------------------------------------------------------------

bool QVTestShortcut::initWithDictionaryInLauncher(const QVariantMap& payload)
{
    for (const QVariant& item : payload.value("exportedactions").toList()) {
        const QVariantMap record = item.toMap();
        const QString className = record.value("actionclass").toString();
        if (!actionClassInstalled(className)) {
            zelk::zlog("QVTestShortcut", "initWithDictionaryInLauncher")
                << QString("QVTestShortcut - initWithDictionaryInLauncher: Class misisng '%1'.").arg(className);
            continue;
        }
        if (std::shared_ptr<zelk::QVAction> action = zelk::QVAction::actionWithRecord(record))
            m_testActions.append(action);
    }
    readRecord(payload.value("exportedshortcuts").toMap(), false);
    return true;
}

std::shared_ptr<zelk::QVAction> QVTestShortcut::actionWithID(quint32 actionID) const
{
    return objectWithID(m_testActions, actionID);
}

// --- QVTester -------------------------------------------------------------------------------------------

QVTester& QVTester::sharedTester()
{
    static QVTester tester;
    return tester;
}

void QVTester::setMinimumTestWait(double seconds) { minimumWait().store(seconds); }

double QVTester::minimumTestWait() { return minimumWait().load(); }

void QVTester::runActionInThread(const QVariantMap& record)
{
    const QString className = record.value("actionclass").toString();
    if (!actionClassInstalled(className)) {
        zelk::zlog("QVTester", "runActionInThread") << "no action class" << className;
        return;
    }
    std::shared_ptr<zelk::QVAction> action = zelk::QVAction::actionWithRecord(record);
    if (!action) {
        zelk::zlog("QVTester", "runActionInThread") << "the action could not be built from" << record;
        return;
    }
    auto run = std::make_shared<QVTester>();
    run->m_testAction = action;
    run->m_goRunning.store(true);
    run->m_actionRun = true;
    {
        std::lock_guard lock(m_testsMutex);
        m_actionTests.removeIf([](const std::weak_ptr<QVTester>& t) { return t.expired(); });
        m_actionTests.append(run);
    }
    if (!zelk::runInBackground([action, run] { action->runActionFromObjectInThread(run); }))
        return; // the engine is quitting

    const double wait = std::max<double>(action->runDelay(), minimumTestWait());
    bool timedOut = false, stopped = false;
    QString error;
    {
        std::unique_lock lock(run->m_mutex);
        // A stop ends the wait at once: the user wants no more of this test.
        run->m_reported.wait_for(lock, std::chrono::duration<double>(std::clamp(wait, 0.0, 1e7)),
                                 [&] { return !run->m_actionRun || !run->m_goRunning.load(); });
        stopped = run->m_actionRun && !run->m_goRunning.load();
        timedOut = run->m_actionRun && !stopped;
        run->m_actionRun = false; // a report after this is too late
        if (timedOut)
            run->m_goRunning.store(false); // its waits end with the test
        error = run->m_errorMsg;
    }
    {
        std::lock_guard lock(m_testsMutex);
        m_actionTests.removeIf([&](const std::weak_ptr<QVTester>& t) { return t.expired() || t.lock() == run; });
    }
    const QString title = fillFormat(localizedEngineString("ActionErreur"), {action->nameValue()});
    if (timedOut)
        error = fillFormat(localizedEngineString("NonExecuteDelai"), {QString::number(wait)});
    if (!error.isEmpty() && !stopped)
        runAlert(title, error, QStringLiteral("OK"), QString());
}

void QVTester::runShortcutInThread(const QVariantMap& payload)
{
    auto shortcut = std::make_shared<QVTestShortcut>();
    shortcut->initWithDictionaryInLauncher(payload);
    {
        std::lock_guard lock(m_testsMutex);
        m_shortcutTests.removeIf([](const std::weak_ptr<QVTestShortcut>& t) { return t.expired(); });
        m_shortcutTests.append(shortcut);
    }
    // The run goes on here, on the caller's thread, until it ends; whether
    // the shortcut is active is not asked.
    shortcut->runObjectInThread();
    std::lock_guard lock(m_testsMutex);
    m_shortcutTests.removeIf([&](const std::weak_ptr<QVTestShortcut>& t) { return t.expired() || t.lock() == shortcut; });
}

void QVTester::stopAllTests()
{
    QList<std::shared_ptr<QVTester>> actions;
    QList<std::shared_ptr<QVTestShortcut>> shortcuts;
    {
        std::lock_guard lock(m_testsMutex);
        for (const std::weak_ptr<QVTester>& t : std::as_const(m_actionTests)) {
            if (std::shared_ptr<QVTester> run = t.lock())
                actions.append(run);
        }
        for (const std::weak_ptr<QVTestShortcut>& t : std::as_const(m_shortcutTests)) {
            if (std::shared_ptr<QVTestShortcut> shortcut = t.lock())
                shortcuts.append(shortcut);
        }
    }
    for (const std::shared_ptr<QVTester>& run : std::as_const(actions))
        run->stopRunning();
    for (const std::shared_ptr<QVTestShortcut>& shortcut : std::as_const(shortcuts))
        shortcut->forceStopRunning();
}

// --- Controller of one test run ------------------------------------------------------------------------------

bool QVTester::canGoRunning() { return m_goRunning.load(); }

bool QVTester::canGoRunningAfterError(const QString& error)
{
    QString name;
    {
        std::lock_guard lock(m_mutex);
        name = m_testAction ? m_testAction->nameValue() : QString();
    }
    const QString title = fillFormat(localizedEngineString("ActionErreur"), {name});
    if (runAlert(title, error, localizedEngineString("ArreterRaccourci"), localizedEngineString("ContinuerRaccourci")) == 1) {
        stopRunning();
        return false;
    }
    return true;
}

void QVTester::stopRunning()
{
    std::lock_guard lock(m_mutex);
    m_goRunning.store(false);
    m_reported.notify_all();
}

void QVTester::setErrorWhenRunning(const QString& error, const std::shared_ptr<zelk::QVAction>& /*action*/)
{
    std::lock_guard lock(m_mutex);
    if (!m_actionRun)
        return;
    m_errorMsg = error;
    m_actionRun = false;
    m_reported.notify_all();
}

void QVTester::setActionTerminatesWithoutError(const std::shared_ptr<zelk::QVAction>& /*action*/)
{
    std::lock_guard lock(m_mutex);
    if (!m_actionRun)
        return;
    m_actionRun = false;
    m_reported.notify_all();
}

} // namespace engine
