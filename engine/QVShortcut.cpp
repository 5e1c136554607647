#include "QVShortcut.h"

#include "Bundle.h"
#include "Log.h"
#include "Platform.h"
#include "PropertyList.h"
#include "QVAction.h"
#include "QVActionsManager.h"
#include "QVAppl.h"
#include "QVContext.h"
#include "QVContextsManager.h"
#include "QVLauncher.h"
#include "QVLaunchersManager.h"
#include "QVUtility.h"
#include "WorkerPool.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QWidget>
#include <algorithm>
#include <chrono>

namespace engine {

namespace {

// Longer waits than this are as good as none (and keep the clock arithmetic sane).
constexpr double kLongestWait = 1e7;

std::chrono::steady_clock::time_point deadlineAfter(double seconds)
{
    const std::chrono::duration<double> wait(std::clamp(seconds, 0.0, kLongestWait));
    return std::chrono::steady_clock::now() + std::chrono::duration_cast<std::chrono::steady_clock::duration>(wait);
}

std::mutex& reportWriterMutex()
{
    static std::mutex m;
    return m;
}

QVShortcut::ReportWriter& reportWriter()
{
    static QVShortcut::ReportWriter writer;
    return writer;
}

// Alerts go through the host's utility class (a test's, or the engine's,
// which registers itself on first use).
int runAlert(const QString& title, const QString& message, const QString& button1, const QString& button2,
             const QString& button3)
{
    QVUtility::sharedUtility();
    return zelk::QVAction::runAlertPanelWithTitle(title, message, button1, button2, button3);
}

// The data folder: the application's, else where the application keeps it.
QString dataFolder()
{
    if (QVAppl* app = QVAppl::shared())
        return app->prefsPathForDataType(1);
    return QVAppl::defaultObjectsPath();
}

} // namespace

bool traceAppEng()
{
    QVAppl* app = QVAppl::shared();
    return app && app->TraceAppEng();
}

// The controller of one step run: the action reports through it, and the
// shortcut takes a report only while that very step run is waited for, so a
// late report of a timed-out run never decides a later one, even of the
// same action object.
class QVShortcut::StepController : public zelk::QVActionController {
public:
    StepController(std::shared_ptr<QVShortcut> shortcut, quint64 stepRun, int index)
        : m_shortcut(std::move(shortcut)), m_stepRun(stepRun), m_index(index)
    {
    }

    bool canGoRunning() override { return m_shortcut->stepCanGoRunning(m_stepRun); }
    bool canGoRunningAfterError(const QString& error) override
    {
        return m_shortcut->stepCanGoRunningAfterError(m_index, error);
    }
    void stopRunning() override { m_shortcut->stepStopRunning(m_stepRun); }
    void setErrorWhenRunning(const QString& error, const std::shared_ptr<zelk::QVAction>& /*action*/) override
    {
        if (traceAppEng())
            qInfo().noquote() << "QVShortcut setErrorWhenRunning:" << error;
        m_shortcut->stepReported(m_stepRun, error.isNull() ? QString("") : error);
    }
    void setActionTerminatesWithoutError(const std::shared_ptr<zelk::QVAction>& /*action*/) override
    {
        m_shortcut->stepReported(m_stepRun, QString());
    }

private:
    std::shared_ptr<QVShortcut> m_shortcut;
    const quint64 m_stepRun;
    const int m_index;
};

QVShortcut::QVShortcut() = default;
QVShortcut::~QVShortcut() = default;

// --- Building -----------------------------------------------------------------------------

bool QVShortcut::initWithDictionaryInLauncher(const QVariantMap& record)
{
    readRecord(record, true);
    return true;
}

std::shared_ptr<zelk::QVAction> QVShortcut::actionWithID(quint32 actionID) const
{
    return QVActionsManager::sharedManager().actionWithID(actionID);
}

void QVShortcut::readRecord(const QVariantMap& record, bool withLinks)
{
    m_name = record.value("cutname").toString();
    m_id = quint32(record.value("cutID").toLongLong());

    for (const QVariant& item : record.value("cutactions").toList()) {
        const QVariantMap step = item.toMap();
        if (!step.value("cutactionactive").toBool())
            continue;
        const quint32 actionID = quint32(step.value("cutactionID").toLongLong());
        std::shared_ptr<zelk::QVAction> action = actionWithID(actionID);
        if (!action) {
            zelk::zlog("QVShortcut", "initWithDictionaryInLauncher") << "error action" << actionID << "nil -" << step;
            continue;
        }
        m_actions.append(action);
        m_runParams.append(step.value("cutactionrunparams").toMap());
        m_resultParams.append(step.value("cutactionresultparams").toMap());
    }

    // Decoded when first asked for: a load of thousands of shortcuts needs none.
    {
        std::lock_guard lock(m_imageMutex);
        m_imageData = record.value("cutimage").toByteArray();
        m_image.reset();
    }

    std::shared_ptr<QVLinkedObject> self = weak_from_this().lock();
    if (withLinks && !self)
        zelk::zlog("QVShortcut", "initWithDictionaryInLauncher") << "not held by a shared pointer: no links for" << m_name;
    if (withLinks && self) {
        for (const QVariant& item : record.value("cutlaunchers").toList()) {
            const QVariantMap ref = item.toMap();
            if (!ref.value("cutlauncheractive").toBool())
                continue;
            const quint32 launcherID = quint32(ref.value("cutlauncherID").toLongLong());
            if (std::shared_ptr<QVLauncher> launcher = QVLaunchersManager::sharedManager().launcherWithID(launcherID)) {
                m_launchers.append(launcher);
                if (launcher->isContextEvent(0))
                    m_runActivatedFirst = true;
                if (launcher->isContextEvent(1))
                    m_runActivatedAll = true;
            }
        }
        for (const std::shared_ptr<QVLauncher>& launcher : std::as_const(m_launchers))
            launcher->addLinkedObject(self);

        for (const QVariant& item : record.value("cutcontexts").toList()) {
            const QVariantMap ref = item.toMap();
            if (!ref.value("cutcontextactive").toBool())
                continue;
            const quint32 contextID = quint32(ref.value("cutcontextID").toLongLong());
            if (std::shared_ptr<QVContext> context = QVContextsManager::sharedManager().contextWithID(contextID))
                m_contexts.append(context);
        }
        for (const std::shared_ptr<QVContext>& context : std::as_const(m_contexts))
            context->addLinkedObject(self);
    }

    const QVariantMap runParams = record.value("cutrunparams").toMap();
    m_runRepeatNum = runParams.value("runrepeatnum").toInt();
    m_runRepeatPause = runParams.value("runrepeatpause").toDouble();
}

void QVShortcut::beforeDealloc()
{
    for (const std::shared_ptr<QVLauncher>& launcher : std::as_const(m_launchers))
        launcher->removeLinkedObject(this);
    for (const std::shared_ptr<QVContext>& context : std::as_const(m_contexts))
        context->removeLinkedObject(this);
    m_launchers.clear();
    m_contexts.clear();
}

// --- Activation ---------------------------------------------------------------------------------

void QVShortcut::setObjectActivated(bool activated)
{
    bool switched = false;
    bool run = false;
    {
        std::lock_guard lock(m_activationMutex);
        if (activated) {
            switched = m_activatedCount++ == 0;
            if (switched)
                m_isActivated.store(true);
            if (m_firstActivated) {
                m_firstActivated = false;
                run = m_runActivatedFirst || m_runActivatedAll;
            } else {
                run = m_runActivatedAll;
            }
        } else {
            if (m_activatedCount <= 0)
                return;
            switched = --m_activatedCount == 0;
            if (switched)
                m_isActivated.store(false);
        }
    }
    if (switched) {
        for (const std::shared_ptr<QVLauncher>& launcher : std::as_const(m_launchers)) {
            if (activated)
                launcher->activateObject(this);
            else
                launcher->deactivateObject(this);
        }
        QList<QPointer<QWidget>> buttons;
        {
            std::lock_guard lock(m_activationMutex);
            buttons = m_buttons;
        }
        for (const QPointer<QWidget>& button : std::as_const(buttons)) {
            if (button) {
                // Widgets belong to the main thread.
                QWidget* widget = button.data();
                QMetaObject::invokeMethod(widget, [widget, activated] { widget->setEnabled(activated); });
            }
        }
    }
    if (run)
        runObject();
}

int QVShortcut::activatedCount() const
{
    std::lock_guard lock(m_activationMutex);
    return m_activatedCount;
}

void QVShortcut::addButton(QWidget* control)
{
    if (!control)
        return;
    std::lock_guard lock(m_activationMutex);
    m_buttons.append(control);
}

// --- Starting and stopping ------------------------------------------------------------------------

bool QVShortcut::startRun()
{
    bool idle = false;
    if (!m_runActive.compare_exchange_strong(idle, true))
        return false;
    std::lock_guard lock(m_runMutex);
    m_goRunning.store(true);
    m_forceStop.store(false);
    return true;
}

void QVShortcut::runObject()
{
    if (!isActive())
        return;
    std::shared_ptr<QVShortcut> self = std::static_pointer_cast<QVShortcut>(weak_from_this().lock());
    if (!self) {
        zelk::zlog("QVShortcut", "runObject") << "not held by a shared pointer:" << m_name;
        return;
    }
    // Claimed here, not by the new thread: a second trigger before the
    // thread starts must stop this run, not start another.
    if (!startRun()) {
        forceStopRunning();
        return;
    }
    if (!m_actions.isEmpty() && m_actions.first()->addToRecent()) {
        if (QVAppl* app = QVAppl::shared())
            app->addLastCutObject(self);
    }
    if (!zelk::runInBackground([self] { self->runObjectInThread(); })) {
        // The engine is quitting: no run starts any more.
        std::lock_guard lock(m_runMutex);
        m_goRunning.store(false);
        m_runActive.store(false);
    }
}

void QVShortcut::forceStopRunning()
{
    std::lock_guard lock(m_runMutex);
    m_forceStop.store(true);
    m_goRunning.store(false);
    m_runChanged.notify_all();
}

void QVShortcut::pause(double seconds, bool betweenPasses)
{
    if (seconds <= 0)
        return;
    // A step's pause ends with any stop; the pause after a pass only with
    // the run's end (a stop of the pass leaves the repeat its rhythm).
    std::unique_lock lock(m_runMutex);
    m_runChanged.wait_until(lock, deadlineAfter(seconds),
                            [&] { return betweenPasses ? m_forceStop.load() : !m_goRunning.load(); });
}

bool QVShortcut::nextPass()
{
    std::lock_guard lock(m_runMutex);
    if (!m_goRunning.load()) {
        if (m_forceStop.load())
            return false;
        m_goRunning.store(true);
    }
    return true;
}

// --- The run thread -----------------------------------------------------------------------------

void QVShortcut::runObjectInThread()
{
    // The step controllers hold the shortcut while its actions run.
    if (!weak_from_this().lock()) {
        zelk::zlog("QVShortcut", "runObjectInThread") << "not held by a shared pointer:" << m_name;
        return;
    }
    if (!m_runActive.load() && !startRun())
        return;
    if (traceAppEng())
        qInfo().noquote() << QString("QVShortcut runObjectInThread:  %1 repeat: %2").arg(m_name).arg(m_runRepeatNum);
    auto pass = [this] {
        runActions();
        pause(m_runRepeatPause, true);
    };
    if (m_runRepeatNum == 0) {
        pass();
    } else if (m_runRepeatNum == -1) {
        pass();
        while (nextPass())
            pass();
    } else if (m_runRepeatNum > 0) {
        for (int i = 0; i < m_runRepeatNum; ++i) {
            if (i > 0 && !nextPass())
                break;
            pass();
        }
    }
    {
        std::lock_guard lock(m_runMutex);
        m_goRunning.store(false);
        m_forceStop.store(false);
    }
    m_runActive.store(false);
}

void QVShortcut::runActions()
{
    m_runnedActionIndex.store(0);
    for (int i = 0; i < m_actions.size(); ++i) {
        if (!m_goRunning.load())
            break;
        runStepTimes(i);
        m_runnedActionIndex.store(i + 1);
    }
    m_lastRunnedActionIndex.store(m_runnedActionIndex.load());
    m_runnedActionIndex.store(-1);
}

void QVShortcut::runStepTimes(int index)
{
    const QVariantMap& run = m_runParams.at(index);
    const QVariantMap& result = m_resultParams.at(index);
    const int repeat = run.value("runrepeatnum").toInt();
    const double pauseSeconds = run.value("runrepeatpause").toDouble();
    const int success = result.value("resultsuccess").toInt();
    const int failing = result.value("resultfailing").toInt();
    double delay = m_actions.at(index)->runDelay();
    if (delay == 0)
        delay = result.value("resultdelay").toDouble();

    if (repeat == 0) {
        runOneActionInDelay(delay, success, failing);
        if (pauseSeconds > 0 && m_goRunning.load())
            pause(pauseSeconds, false);
    } else if (repeat == -1) {
        while (m_goRunning.load()) {
            runOneActionInDelay(delay, success, failing);
            if (pauseSeconds > 0) {
                if (!m_goRunning.load())
                    break;
                pause(pauseSeconds, false);
            }
        }
    } else {
        for (int i = 0; i < repeat && m_goRunning.load(); ++i) {
            runOneActionInDelay(delay, success, failing);
            if (pauseSeconds > 0 && m_goRunning.load())
                pause(pauseSeconds, false);
        }
    }
}

void QVShortcut::runOneActionInDelay(double delay, int resultSuccess, int resultFailing)
{
    const int index = m_runnedActionIndex.load();
    if (index < 0 || index >= m_actions.size())
        return;
    std::shared_ptr<zelk::QVAction> action = m_actions.at(index);
    quint64 stepRun = 0;
    {
        std::lock_guard lock(m_stepMutex);
        stepRun = ++m_stepRunCounter;
        m_currentStepRun = stepRun;
        m_actionRun = true;
        m_errorMsg = QString();
        m_stepTimedOut = false;
        m_stepDelay = delay;
    }
    auto controller = std::make_shared<StepController>(std::static_pointer_cast<QVShortcut>(weak_from_this().lock()),
                                                       stepRun, index);
    if (!zelk::runInBackground([action, controller] { action->runActionFromObjectInThread(controller); })) {
        // The engine is quitting: the step is not run, and nothing after it.
        forceStopRunning();
        std::lock_guard lock(m_stepMutex);
        m_currentStepRun = 0;
        m_actionRun = false;
        return;
    }

    const auto deadline = deadlineAfter(delay);
    bool failed = false;
    {
        std::unique_lock lock(m_stepMutex);
        // A delay of 0 still takes a report that came before the first look.
        m_stepReported.wait_until(lock, deadline, [this] { return !m_actionRun; });
        m_currentStepRun = 0; // from now on a report of this run is late
        m_stepTimedOut = m_actionRun;
        failed = m_stepTimedOut || !m_errorMsg.isNull();
    }
    interpretActionResult(failed ? resultFailing : resultSuccess);
    std::lock_guard lock(m_stepMutex);
    m_errorMsg = QString();
    m_actionRun = false;
    m_stepTimedOut = false;
}

void QVShortcut::stepReported(quint64 stepRun, const QString& error)
{
    std::lock_guard lock(m_stepMutex);
    if (stepRun == 0 || stepRun != m_currentStepRun || !m_actionRun)
        return; // late: its step has been judged already
    m_errorMsg = error;
    m_actionRun = false;
    m_stepReported.notify_all();
}

bool QVShortcut::stepCanGoRunning(quint64 stepRun)
{
    if (!canGoRunning())
        return false;
    std::lock_guard lock(m_stepMutex);
    return stepRun == m_currentStepRun;
}

void QVShortcut::stepStopRunning(quint64 stepRun)
{
    {
        std::lock_guard lock(m_stepMutex);
        // A timed-out action stops nothing of the steps that came after it.
        if (stepRun != m_currentStepRun)
            return;
    }
    stopRunning();
}

// --- Results --------------------------------------------------------------------------------------

QString QVShortcut::outcomeText() const
{
    if (m_stepTimedOut)
        return fillFormat(localizedEngineString("NonExecuteDelai"), {QString::number(m_stepDelay)});
    if (!m_errorMsg.isNull())
        return fillFormat(localizedEngineString("NonExecuteErreur"), {m_errorMsg});
    return localizedEngineString("ExecuteSucces");
}

void QVShortcut::interpretActionResult(int code)
{
    if (traceAppEng())
        qInfo().noquote() << QString("QVShortcut interpretActionResult:  %1 QVCErrorMsg: %2").arg(code).arg(m_errorMsg);
    switch (code) {
    case 0:
        if (!m_errorMsg.isEmpty())
            zelk::zlog("QVShortcut", "interpretActionResult") << QString("action failed with error: '%1'.").arg(m_errorMsg);
        break;
    case 1:
        writeReportLine();
        break;
    case 2:
        showResult(false);
        break;
    case 3:
        stopRunning();
        break;
    case 4:
        writeReportLine();
        stopRunning();
        break;
    case 5:
        showResult(false);
        stopRunning();
        break;
    case 6: {
        const int answer = showResult(true);
        if (answer == -1) {
            const int index = m_runnedActionIndex.load();
            if (index >= 0 && index < m_actions.size())
                editAction(m_actions.at(index)->IDValue(), true);
        }
        if (answer == 1 || answer == -1)
            stopRunning();
        break;
    }
    default:
        break;
    }
}

void QVShortcut::writeReportLine()
{
    const int index = m_runnedActionIndex.load();
    const QString actionName = index >= 0 && index < m_actions.size() ? m_actions.at(index)->nameValue() : QString();
    const QTime now = zelk::Platform::instance().clock().now().time();
    const QString line = fillFormat(localizedEngineString("RapportActionRaccourci"),
                                    {QLocale().toString(now, QLocale::LongFormat), m_name, actionName, outcomeText()});
    ReportWriter writer;
    {
        std::lock_guard lock(reportWriterMutex());
        writer = reportWriter();
    }
    if (writer) {
        writer(line);
        return;
    }
    QVAppl::onMainThread(
        [line] {
            if (QVAppl* app = QVAppl::shared())
                app->writeToReport(line);
            else
                zelk::zlog("QVShortcut", "writeToReport") << "no application for the report line:" << line;
        },
        false);
}

int QVShortcut::showResult(bool question)
{
    const int index = m_runnedActionIndex.load();
    const QString actionName = index >= 0 && index < m_actions.size() ? m_actions.at(index)->nameValue() : QString();
    const QString title = fillFormat(localizedEngineString("MessageActionRaccourci1"), {m_name});
    const QString message = zelk::fillSentence(localizedEngineString("MessageActionRaccourci2"), {actionName, outcomeText()});
    if (!question)
        return runAlert(title, message, QStringLiteral("OK"), QString(), QString());
    return runAlert(title, message, localizedEngineString("ArreterRaccourci"), localizedEngineString("ContinuerRaccourci"),
                    localizedEngineString("ArreterEditerRaccourci"));
}

void QVShortcut::setReportWriter(ReportWriter writer)
{
    std::lock_guard lock(reportWriterMutex());
    reportWriter() = std::move(writer);
}

bool QVShortcut::editAction(quint32 actionID, bool logMissingEditor)
{
    const zelk::Bundle engine = zelk::Bundle::main();
    const QString editor = engine.isValid() ? engine.bundlePath() + QStringLiteral("/Contents/MacOS/Zelk Editor.app") : QString();
    if (editor.isEmpty() || !QFileInfo::exists(editor)) {
        if (logMissingEditor)
            zelk::zlog("QVShortcut", "editAction") << "Zelk Editor missing" << editor;
        return false;
    }
    if (QVUtility::sharedUtility().isProcessLaunchedWithPath(editor)) {
        zelk::Platform::instance().distributedNotifications().post(
            QStringLiteral("QVLauncherNotification"),
            {{QStringLiteral("action"), QStringLiteral("editaction")}, {QStringLiteral("param0"), qint64(actionID)}});
        return true;
    }
    const QString folder = dataFolder();
    QString error;
    if (folder.isEmpty()) {
        zelk::zlog("QVShortcut", "editAction") << "no data folder for objecttoedit.plist";
    } else if (!zelk::plist::writeFile(QDir(folder).filePath(QStringLiteral("objecttoedit.plist")),
                                       QVariantMap{{QStringLiteral("actiontoedit"), QVariantList{qint64(actionID)}}},
                                       &error)) {
        zelk::zlog("QVShortcut", "editAction") << "cannot write objecttoedit.plist:" << error;
    }
    if (!zelk::Platform::instance().workspace().launchApplication(editor))
        zelk::zlog("QVShortcut", "editAction") << "cannot start" << editor;
    return true;
}

// --- Controller -------------------------------------------------------------------------------------

bool QVShortcut::canGoRunning() { return m_goRunning.load(); }

void QVShortcut::stopRunning()
{
    std::lock_guard lock(m_runMutex);
    m_goRunning.store(false);
    m_runChanged.notify_all();
}

void QVShortcut::setErrorWhenRunning(const QString& error, const std::shared_ptr<zelk::QVAction>& action)
{
    if (traceAppEng())
        qInfo().noquote() << "QVShortcut setErrorWhenRunning:" << error;
    actionReported(action, error.isNull() ? QString("") : error);
}

void QVShortcut::setActionTerminatesWithoutError(const std::shared_ptr<zelk::QVAction>& action)
{
    actionReported(action, QString());
}

void QVShortcut::actionReported(const std::shared_ptr<zelk::QVAction>& action, const QString& error)
{
    const int index = m_runnedActionIndex.load();
    if (!action || index < 0 || index >= m_actions.size() || m_actions.at(index) != action)
        return;
    quint64 stepRun = 0;
    {
        std::lock_guard lock(m_stepMutex);
        stepRun = m_currentStepRun;
    }
    stepReported(stepRun, error);
}

bool QVShortcut::canGoRunningAfterError(const QString& error)
{
    int index = m_runnedActionIndex.load();
    if (index < 0)
        index = m_lastRunnedActionIndex.load();
    return stepCanGoRunningAfterError(index, error);
}

bool QVShortcut::stepCanGoRunningAfterError(int index, const QString& error)
{
    const std::shared_ptr<zelk::QVAction> action =
        index >= 0 && index < m_actions.size() ? m_actions.at(index) : nullptr;
    const QString title = fillFormat(localizedEngineString("ActionErreur"), {action ? action->nameValue() : QString()});
    const int answer = runAlert(title, error, localizedEngineString("ArreterRaccourci"),
                                localizedEngineString("ContinuerRaccourci"), localizedEngineString("ArreterEditerRaccourci"));
    if (answer != 1 && answer != -1)
        return true;
    if (answer == -1 && action)
        editAction(action->IDValue(), false);
    // The user's own answer: it stops the run even when the step has timed
    // out while the question was up.
    stopRunning();
    return false;
}

// --- Accessors ----------------------------------------------------------------------------------------

std::optional<quint32> QVShortcut::keycodeNumOfLauncher() const
{
    for (const std::shared_ptr<QVLauncher>& launcher : m_launchers) {
        if (launcher->isKeyEvent())
            return launcher->keycodeKeyEvent();
    }
    return std::nullopt;
}

QImage QVShortcut::imageValue() const
{
    std::lock_guard lock(m_imageMutex);
    if (m_image)
        return *m_image;
    QImage image = QImage::fromData(m_imageData);
    if (image.isNull() && !m_actions.isEmpty())
        image = m_actions.first()->imageValue();
    if (image.isNull())
        image = defaultIcon();
    if (!image.isNull() && image.width() != 32)
        image = image.scaled(32, 32, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    m_image = image;
    return image;
}

QImage QVShortcut::imageValueWithSize(int size) const
{
    const QImage image = imageValue();
    if (image.isNull())
        return {};
    return image.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

void QVShortcut::runCommand(const QString& command, const QString& event)
{
    if (traceAppEng()) {
        qInfo().noquote() << "AppleScript command:" << command;
        qInfo().noquote() << "AppleEvent:" << event;
    }
    runObject();
}

QString QVShortcut::description() const
{
    QStringList launchers;
    for (const std::shared_ptr<QVLauncher>& launcher : m_launchers)
        launchers << launcher->description();
    return QString("QVShortcut (%1) { ID %2, Name:'%3' Launcher(s)%4}")
        .arg(QString::number(quintptr(this), 16), QString::number(m_id), m_name,
             launchers.isEmpty() ? QString() : QStringLiteral(" ") + launchers.join(QStringLiteral(", ")));
}

QImage QVShortcut::defaultIcon()
{
    static std::mutex mutex;
    static QImage icon;
    std::lock_guard lock(mutex);
    if (icon.isNull()) {
        const QString path = zelk::Bundle::main().pathForResource(QStringLiteral("default.tiff"));
        if (!path.isEmpty())
            icon = QImage(path);
    }
    return icon;
}

} // namespace engine
