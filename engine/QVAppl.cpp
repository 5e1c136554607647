#include "QVAppl.h"

#include "AtomicFile.h"
#include "Bundle.h"
#include "ClassRegistry.h"
#include "Log.h"
#include "MainThread.h"
#include "Platform.h"
#include "PropertyList.h"
#include "QVAction.h"
#include "QVActionsManager.h"
#include "QVContext.h"
#include "QVContextsManager.h"
#include "QVEngineService.h"
#include "QVLaunchersManager.h"
#include "QVMenusManager.h"
#include "QVNewUserPanel.h"
#include "QVPalette.h"
#include "QVPalettesManager.h"
#include "QVStatusItemManager.h"
#include "QVReport.h"
#include "QVShortcutsManager.h"
#include "QVTester.h"
#include "QVUSBManager.h"
#include "QVUSBMissingPanel.h"
#include "QVUtility.h"
#include "QVUtilityClass.h"
#include "SharedUtilities.h"
#include "UserDefaults.h"
#include "WorkerPool.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QLockFile>
#include <QStandardPaths>
#include <QSysInfo>
#include <QThread>
#include <QUrl>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <limits>
#include <optional>
#include <thread>

namespace engine {

namespace {

std::atomic<QVAppl*> g_shared{nullptr};

constexpr const char* kEngineName = "Zelk";
constexpr const char* kEditorBundleName = "Zelk Editor.app";

void post(const char* name, const QVariantMap& userInfo = {})
{
    zelk::NotificationCenter::defaultCenter().post(QLatin1String(name), nullptr, userInfo);
}

QString withoutAppExtension(QString name)
{
    if (name.endsWith(QLatin1String(".app")))
        name.chop(4);
    return name;
}

bool isProcessRunning(qint64 pid)
{
    const auto apps = zelk::Platform::instance().workspace().runningApplications();
    return std::any_of(apps.cbegin(), apps.cend(), [pid](const zelk::RunningApplication& app) { return app.pid == pid; });
}

// Polls cleared() in the background, first after pauseMs and then every
// stepMs, until it holds or boundMs (counted from the call) ran out; then
// calls then(cleared) there. A quit ends the wait at once (cleared false);
// when the background work has stopped already, then(false) runs here.
void waitInThread(std::function<bool()> cleared, int pauseMs, int stepMs, int boundMs, std::function<void(bool)> then)
{
    auto wait = [cleared, then, pauseMs, stepMs, boundMs] {
        const QDeadlineTimer deadline(boundMs);
        std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
        bool done = cleared();
        while (!done && !deadline.hasExpired() && !zelk::MainThread::isClosed()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(stepMs));
            done = cleared();
        }
        then(done);
    };
    if (!zelk::runInBackground(wait))
        then(false);
}

// Runs fn on the main thread later, unless the application object went
// away meanwhile. The guard is made on the main thread, before any wait.
void laterOnMainThread(const QPointer<QVAppl>& guard, std::function<void(QVAppl&)> fn)
{
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [guard, fn = std::move(fn)] {
            if (guard)
                fn(*guard);
        },
        Qt::QueuedConnection);
}

std::optional<bool> boolParam(const QVariant& value)
{
    switch (value.metaType().id()) {
    case QMetaType::Bool: case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong:
    case QMetaType::ULongLong: case QMetaType::Double: case QMetaType::Float:
        return value.toDouble() != 0;
    default:
        return std::nullopt;
    }
}

std::optional<double> numberParam(const QVariant& value)
{
    if (value.metaType().id() == QMetaType::Bool)
        return std::nullopt;
    if (!boolParam(value))
        return std::nullopt;
    return value.toDouble();
}

// The dictionary a property-list file holds; nullopt, with the reason in
// *error, when the file does not read as one.
std::optional<QVariantMap> readDictionary(const QString& path, QString* error)
{
    const auto value = zelk::plist::readFile(path, error);
    if (!value)
        return std::nullopt;
    if (value->metaType().id() != QMetaType::QVariantMap) {
        *error = QStringLiteral("not a dictionary");
        return std::nullopt;
    }
    return value->toMap();
}

// The records of a data file that can be told apart: an entry that is no
// dictionary, or whose ID is missing, not an unsigned 32-bit integer or one
// an entry before it has, is left out and named in the log. Links find their
// objects by ID: such an entry would otherwise pass for ID 0 or for
// another object.
QVariantList recordsWithUsableIDs(const QString& path, const QVariantList& records, const QString& idKey)
{
    QVariantList usable;
    usable.reserve(records.size());
    QHash<qint64, qsizetype> taken; // ID -> index of the entry that has it
    for (qsizetype i = 0; i < records.size(); ++i) {
        const QVariant& entry = records.at(i);
        QString why;
        if (entry.metaType().id() != QMetaType::QVariantMap) {
            why = QStringLiteral("is not a dictionary, so it has no \"%1\"").arg(idKey);
        } else {
            const QVariant value = entry.toMap().value(idKey);
            const std::optional<qint64> id = zelk::plist::integerValue(value);
            if (!value.isValid())
                why = QStringLiteral("has no \"%1\"").arg(idKey);
            else if (!id || *id < 0 || *id > std::numeric_limits<quint32>::max())
                why = QStringLiteral("has a \"%1\" that is not an unsigned 32-bit integer (%2 \"%3\")")
                          .arg(idKey, QString::fromLatin1(value.typeName()), value.toString().left(40));
            else if (const auto first = taken.constFind(*id); first != taken.cend())
                why = QStringLiteral("has the \"%1\" %2 that entry %3 has already").arg(idKey).arg(*id).arg(*first);
            else
                taken.insert(*id, i);
        }
        if (why.isEmpty()) {
            usable.append(entry);
            continue;
        }
        zelk::zlog("QVAppl", "readPrefs").noquote() << QStringLiteral("%1: entry %2 %3; it is not loaded").arg(path).arg(i).arg(why);
    }
    return usable;
}

// The settings of a Preferences.plist; empty when there is none or it does not read.
QVariantMap readPreferences(const QString& path)
{
    if (path.isEmpty() || !QFileInfo::exists(path))
        return {};
    QString error;
    const auto dict = readDictionary(path, &error);
    if (!dict)
        zelk::zlog("QVAppl", "setupDefaultData") << "cannot read" << path << ":" << error;
    return dict.value_or(QVariantMap());
}

// Where the default data start a terminal: the Debian alternative, which
// not every machine has.
const QString kDefaultTerminal = QStringLiteral("/usr/bin/x-terminal-emulator");

// Points the default data's terminal actions at the user's terminal, in the
// copy of the default actions just made.
void pointDefaultTerminal(const QString& actionsPath)
{
    const QString terminal = zelk::Platform::instance().workspace().terminalApplication();
    if (terminal == kDefaultTerminal)
        return;
    if (terminal.isEmpty()) {
        zelk::zlog("QVAppl", "setupDefaultData") << "no terminal found; the default shortcut keeps" << kDefaultTerminal;
        return;
    }
    QString error;
    std::optional<QVariantMap> file = readDictionary(actionsPath, &error);
    if (!file) {
        zelk::zlog("QVAppl", "setupDefaultData") << "cannot read" << actionsPath << ":" << error;
        return;
    }
    QVariantList actions = file->value(QStringLiteral("actionsarray")).toList();
    bool changed = false;
    for (QVariant& record : actions) {
        QVariantMap action = record.toMap();
        QVariantMap data = action.value(QStringLiteral("actiondata")).toMap();
        if (action.value(QStringLiteral("actionclass")).toString() != QLatin1String("ApplicationShortcut")
            || data.value(QStringLiteral("AppPath")).toString() != kDefaultTerminal)
            continue;
        data.insert(QStringLiteral("AppPath"), terminal);
        action.insert(QStringLiteral("actiondata"), data);
        record = action;
        changed = true;
    }
    if (!changed)
        return;
    file->insert(QStringLiteral("actionsarray"), actions);
    if (!zelk::plist::writeFile(actionsPath, *file, &error))
        zelk::zlog("QVAppl", "setupDefaultData") << "cannot write" << actionsPath << ":" << error;
    else
        zelk::zlog("QVAppl", "setupDefaultData") << "  The default terminal is" << terminal;
}

} // namespace

// --- The object ---------------------------------------------------------------

void QVAppl::Deleter::operator()(QVAppl* appl) const { delete appl; }

QVAppl::Ptr QVAppl::make()
{
    if (g_shared)
        return Ptr();
    return Ptr(new QVAppl);
}

QVAppl* QVAppl::shared() { return g_shared; }

QVAppl::QVAppl()
    : m_objectsFiles(defaultObjectsFiles()), m_report(std::make_shared<QVReport>()),
      m_workers(std::make_unique<zelk::WorkerPool>())
{
    g_shared = this;
    zelk::MainThread::reopen();
    zelk::WorkerPool::install(m_workers.get());
    zelk::QVAction::setApplicationObject(this);
    // The frameworks, the plug-ins and our alerts reach the engine's
    // utility by its class name.
    QVUtility::sharedUtility();
}

QVAppl::~QVAppl()
{
    QVEngineService::sharedService().disableKeyCueSupport();
    m_observers.clear();
    m_applicationsObserver.reset();
    if (m_downHandler || m_upHandler)
        zelk::Platform::instance().hotKeys().setHandler({});
    endBackgroundWork();
    // Panels, menus and tray items are the application's windows: they go
    // with it, not among the exit handlers after it.
    QVStatusItemManager::sharedManager().removeAllItems();
    QVPalettesManager::sharedManager().resetPalettes();
    QVMenusManager::sharedManager().resetMenus();
    delete m_panel.data();
    delete m_usbMissingPanel.data();
    if (zelk::QVAction::applicationObject() == this)
        zelk::QVAction::setApplicationObject(nullptr);
    g_shared = nullptr;
    // Nothing of ours runs any more: the main thread takes work again (a
    // process that makes another application object, as tests do).
    if (m_workersJoined)
        zelk::MainThread::reopen();
}

bool QVAppl::TraceAppEng() const { return m_traceAppEng; }
bool QVAppl::TraceMgrEng() const { return m_traceMgrEng; }
bool QVAppl::TracePluginEng() const { return m_tracePluginEng; }
bool QVAppl::TraceRun() const { return m_traceRun; }
void QVAppl::setTraceRun(bool on) { m_traceRun = on; }

void QVAppl::setWaitBounds(const WaitBounds& bounds) { m_bounds = bounds; }

void QVAppl::onMainThread(std::function<void()> fn, bool wait) { zelk::MainThread::run(std::move(fn), wait); }

bool QVAppl::endBackgroundWork()
{
    if (!m_workers)
        return m_workersJoined;
    // Every run ends, and nothing waits on the main thread any more: its
    // loop is over (or about to be), so a wait for it would never end.
    QVShortcutsManager::sharedManager().stopAllShortcuts();
    QVTester::sharedTester().stopAllTests();
    zelk::QVAction::releaseHeldKeys();
    QVUtility::closeFloatingMenus();
    zelk::MainThread::close();
    m_workersJoined = m_workers->join(std::chrono::milliseconds(m_bounds.backgroundMs));
    if (zelk::WorkerPool::installed() == m_workers.get())
        zelk::WorkerPool::install(nullptr);
    if (m_workersJoined) {
        m_report->waitForWriters();
        m_workers.reset();
    } else {
        // A thread stuck in an action still uses the pool: it is kept, and
        // main() ends the process without waiting for the thread.
        zelk::zlog("QVAppl", "endBackgroundWork") << "background work still running: the process ends without it";
        (void)m_workers.release();
    }
    return m_workersJoined;
}

QString QVAppl::localized(const QString& key) const { return zelk::Bundle::main().localizedString(key, QString()); }

int QVAppl::alert(const QString& title, const QString& message, const QString& button1, const QString& button2,
                  const QString& button3)
{
    zelk::zlog("QVAppl", "alert") << title << "-" << message;
    zelk::QVUtilityClass* utility = zelk::QVUtilityClass::host();
    if (!utility)
        return 0;
    return utility->runAlertPanelWithTitle(title, message, button1, button2, button3);
}

// --- Launch -------------------------------------------------------------------

void QVAppl::finishLaunching()
{
    auto& platform = zelk::Platform::instance();
    zelk::zlog("QVAppl", "finishLaunching") << "1. Keyboard inputSourceIdentifier" << platform.keyboardLayout().layoutName();
    const zelk::UserDefaults& defaults = zelk::UserDefaults::standard();
    m_traceAppEng = defaults.boolForKey(QStringLiteral("debugTraceAppEng"));
    m_traceMgrEng = defaults.boolForKey(QStringLiteral("debugTraceMgrEng"));
    m_tracePluginEng = defaults.boolForKey(QStringLiteral("debugTracePluginEng"));
    m_traceRun = defaults.boolForKey(QStringLiteral("debugTraceRun"));

    const zelk::Bundle bundle = zelk::Bundle::main();
    m_appVersion = bundle.version();
    QString executable = bundle.objectForInfoDictionaryKey(QStringLiteral("CFBundleExecutable")).toString();
    if (executable.isEmpty())
        executable = QLatin1String(kEngineName);
    zelk::zlog("QVAppl", "finishLaunching")
        << QStringLiteral("%1 v%2 is running on %3 (%4) with the %5 desktop")
               .arg(executable, m_appVersion, QSysInfo::prettyProductName(), QSysInfo::currentCpuArchitecture(), platform.name());
    showNewUserWindow();
}

void QVAppl::showNewUserWindow()
{
    const zelk::UserDefaults& defaults = zelk::UserDefaults::standard();
    const QString onboarded = defaults.stringForKey(QStringLiteral("QVOnboardedVersion"));
    const bool suppressed = defaults.boolForKey(QStringLiteral("QVSuppressIntroPanel"));
    if (!onboarded.isEmpty() && suppressed) {
        startEngine();
        return;
    }
    if (!m_panel)
        m_panel = new QVNewUserPanel(*this);
    if (!onboarded.isEmpty())
        startEngine(nullptr);
    if (m_terminating)
        return;
    m_panel->show();
    m_panel->raise();
    m_panel->activateWindow();
}

QVNewUserPanel* QVAppl::newUserPanel() const { return m_panel; }

void QVAppl::startEngine(QObject* sender)
{
    if (sender)
        zelk::UserDefaults::standard().setValue(QStringLiteral("QVOnboardedVersion"), m_appVersion);
    if (m_panel)
        m_panel->showEngineRunning();
    startEngine();
}

void QVAppl::startEngine()
{
    if (m_started || m_terminating)
        return;
    // No Accessibility prompt: the desktop's accessibility bus needs no
    // grant per application, so there is nothing to ask the user for.
    m_report->reset();
    if (!singleInstanceCheck())
        return;
    m_started = true;

    // The frameworks first: the plug-ins' action classes derive from theirs.
    const zelk::Bundle bundle = zelk::Bundle::main();
    auto& registry = zelk::ClassRegistry::shared();
    zelk::QVAction::registerFrameworkClasses();
    registry.loadPluginsInFolder(bundle.frameworksPath());
    {
        std::lock_guard lock(m_missingMutex);
        m_missingPlugins.clear();
    }
    registry.loadPluginsInFolder(bundle.builtInPlugInsPath());

    setupDefaultData();
    // A writer killed half-way (a crash, a power cut) leaves its temporary
    // file behind: nobody else would ever remove it.
    if (const QString folder = objectsPath(); !folder.isEmpty())
        zelk::removeStaleTemporaryFiles(folder);
    // The USB launchers of the data files start watching their devices.
    QVUSBManager::sharedManager().attach();
    readPrefs();
    {
        std::lock_guard lock(m_frontAppLock);
        m_lastProcess = 0;
        m_previousFrontName.clear();
    }
    m_flags->waitShutdown = false;
    m_flags->isShuttingDown = false;
    observeSystem();
    announceFrontApplication();
    installDownHotKeyHandler(true);
    installUpHotKeyHandler(true);
    m_modifierArray = {4, 1, 16, 64, 8, 2, 32, 128};
    m_modifierState = 0;
    universalContextOn();
    post("BootNotification");
    readSettings();
    reportMissingUSBDevices();
    QVEngineService::sharedService().enableKeyCueSupport();
}

bool QVAppl::singleInstanceCheck()
{
    // Only an engine that holds the lock runs: another one still showing
    // its welcome panel has not started and does not count.
    auto lock = std::make_unique<QLockFile>(instanceLockPath());
    lock->setStaleLockTime(0); // only a dead owner makes the lock stale
    QDir().mkpath(QFileInfo(instanceLockPath()).absolutePath());
    // The session bus's name is a guard of its own (an engine of this
    // session started with another runtime folder or display).
    if (lock->tryLock(0) && QVEngineService::sharedService().claimName()) {
        m_instanceLock = std::move(lock);
        return true;
    }
    // Started again: the running engine asks its user what to do, as an
    // application opened a second time does.
    if (zelk::Platform::instance().commands().askRunningEngineToReopen()) {
        zelk::zlog("QVAppl", "startEngine") << "an engine is running: asked it to reopen";
        terminate();
        return false;
    }
    alert(localized(QStringLiteral("AutreVersionEnCours")), localized(QStringLiteral("QuitterAvant")), localized(QStringLiteral("OK")));
    // Scripts that start the engine see the refusal.
    m_exitStatus = 1;
    terminate();
    return false;
}

QString QVAppl::instanceLockPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) + QStringLiteral("/org.zelk.Zelk.lock");
}

void QVAppl::windowWillClose(QWidget* window)
{
    if (window && window == m_usbMissingPanel.data()) {
        if (auto* panel = qobject_cast<QVUSBMissingPanel*>(window); panel && panel->dontShowAgainCheck()->isChecked()) {
            zelk::UserDefaults::standard().setValue(QStringLiteral("QVUSBMissingWindow"), true);
        }
    }
    if (window && window == m_panel.data()) {
        if (m_panel->isStartupViewVisible()) {
            m_panel->startupView()->hide();
            terminate();
        }
        return;
    }
    activateLastProcess();
}

void QVAppl::installLoginItem(bool on) { SharedUtilities::installLoginItem(on); }

void QVAppl::suppressIntroPanelChanged(bool on)
{
    zelk::UserDefaults::standard().setValue(QStringLiteral("QVSuppressIntroPanel"), on);
}

void QVAppl::NUDocumentation()
{
    const QString manual = zelk::Bundle::main().pathForResource(QStringLiteral("Zelk v2 Manual.pdf"));
    if (manual.isEmpty()) {
        zelk::zlog("QVAppl", "NUDocumentation") << "the manual is not in the bundle";
        return;
    }
    zelk::Platform::instance().workspace().openPath(manual);
}

void QVAppl::NUEditor()
{
    const zelk::Bundle bundle = zelk::Bundle::main();
    if (!bundle.isValid())
        return;
    zelk::Platform::instance().workspace().launchApplication(bundle.bundlePath() + QStringLiteral("/Contents/MacOS/") +
                                                             QLatin1String(kEditorBundleName));
}

bool QVAppl::applicationShouldHandleReopen()
{
    const int answer = alert(localized(QStringLiteral("ZelkRunning")), localized(QStringLiteral("WhatToDo")),
                             localized(QStringLiteral("Edit")), localized(QStringLiteral("Annuler")), localized(QStringLiteral("Quit")));
    if (answer == 1)
        NUEditor();
    else if (answer == -1)
        terminate();
    return false;
}

void QVAppl::readSettings()
{
    const zelk::UserDefaults& defaults = zelk::UserDefaults::standard();
    QVPalette::setDeactivateDelay(float(defaults.doubleForKey(QStringLiteral("PAPaletteDeactivatedDelay"))));
    m_checkUpdate = defaults.boolForKey(QStringLiteral("GECheckUpdate"));
    m_deactivateKeyCombo = defaults.boolForKey(QStringLiteral("GEDeactivateKeyCombo"));
    m_reportEachItem = defaults.boolForKey(QStringLiteral("GEReportEachItem"));
    m_daysSaveReport = int(defaults.integerForKey(QStringLiteral("GEDaysSaveReport")));
}

// --- Data folder ----------------------------------------------------------------

QString QVAppl::defaultObjectsPath()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return base.isEmpty() ? QString() : base + QStringLiteral("/Zelk");
}

QString QVAppl::objectsPath() const
{
    std::lock_guard lock(m_dataMutex);
    return m_objectsPath;
}

QList<QVAppl::ObjectsFile> QVAppl::defaultObjectsFiles()
{
    return {
        {QStringLiteral("Actions.plist"), QStringLiteral("actionsarray"), [] { QVActionsManager::sharedManager().resetActions(); },
         [](const QVariantList& records) { QVActionsManager::sharedManager().setActions(records); },
         QStringLiteral("actionID")},
        {QStringLiteral("Contexts.plist"), QStringLiteral("contextsarray"), [] { QVContextsManager::sharedManager().resetContexts(); },
         [](const QVariantList& records) { QVContextsManager::sharedManager().setContexts(records); },
         QStringLiteral("contextID")},
        {QStringLiteral("Launchers.plist"), QStringLiteral("launchersarray"), [] { QVLaunchersManager::sharedManager().resetLaunchers(); },
         [](const QVariantList& records) { QVLaunchersManager::sharedManager().setLaunchers(records); },
         QStringLiteral("launcherID")},
        {QStringLiteral("Shortcuts.plist"), QStringLiteral("shortcutsarray"), [] { QVShortcutsManager::sharedManager().resetShortcuts(); },
         [](const QVariantList& records) { QVShortcutsManager::sharedManager().setShortcuts(records); },
         QStringLiteral("cutID")},
        {QStringLiteral("Menus.plist"), QStringLiteral("menusarray"), [] { QVMenusManager::sharedManager().resetMenus(); },
         [](const QVariantList& records) { QVMenusManager::sharedManager().setMenus(records); },
         QStringLiteral("menuID")},
        {QStringLiteral("Palettes.plist"), QStringLiteral("palettesarray"), [] { QVPalettesManager::sharedManager().resetPalettes(); },
         [](const QVariantList& records) { QVPalettesManager::sharedManager().setPalettes(records); },
         QStringLiteral("paletteID")},
    };
}

void QVAppl::setObjectsFiles(QList<ObjectsFile> files) { m_objectsFiles = std::move(files); }

QString QVAppl::prefsPathForDataType(int type)
{
    if (type != 1 && type != 2)
        return {};
    if (objectsPath().isEmpty())
        setupDefaultData();
    return objectsPath();
}

// The former version kept its data in Preferences/Quov of the user's
// Library, else of the machine's: here the user's configuration folder,
// else the system's (XDG_CONFIG_DIRS).
QString QVAppl::formerVersionPath()
{
    const QStringList bases = QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation);
    for (const QString& base : bases) {
        const QString path = base + QStringLiteral("/Quov");
        if (QFileInfo(path).isDir())
            return path;
    }
    return {};
}

void QVAppl::setupDefaultData()
{
    std::lock_guard lock(m_dataMutex);
    if (!m_objectsPath.isEmpty())
        return;
    const zelk::Bundle bundle = zelk::Bundle::main();
    const QVariantMap resourcePrefs = readPreferences(bundle.pathForResource(QStringLiteral("Preferences.plist")));
    zelk::UserDefaults& standard = zelk::UserDefaults::standard();
    zelk::UserDefaults& shared = zelk::UserDefaults::shared();
    standard.registerDefaults(resourcePrefs);

    const QString folder = defaultObjectsPath();
    if (QFileInfo(folder).isDir()) {
        standard.registerDefaults(shared.persistentDomain());
    } else {
        zelk::zlog("QVAppl", "setupDefaultData") << "First run of" << kEngineName << "since installation or upgrade from quov";
        if (!QDir().mkpath(folder)) {
            zelk::zlog("QVAppl", "setupDefaultData") << "Failed to create data directory:" << folder << "; error:" << qt_error_string(errno);
            return;
        }
        zelk::zlog("QVAppl", "setupDefaultData") << "  Copy default data files from application bundle";
        copyObjectsFromResourcesPath(bundle.resourcePath(), folder);
        pointDefaultTerminal(folder + QStringLiteral("/Actions.plist"));
        const QString former = formerVersionPath();
        if (!former.isEmpty()) {
            zelk::zlog("QVAppl", "setupDefaultData") << "  Previous installation found: copying data files from data directory" << former;
            QVariantMap prefs = readPreferences(former + QStringLiteral("/Preferences.plist"));
            // Without settings of its own the former folder keeps ours:
            // an empty shared domain would leave the editor without defaults.
            if (prefs.isEmpty())
                prefs = resourcePrefs;
            standard.registerDefaults(prefs);
            shared.setPersistentDomain(prefs);
            copyObjectsFromResourcesPath(former, folder);
        } else {
            shared.setPersistentDomain(resourcePrefs);
        }
    }
    m_objectsPath = folder;
}

void QVAppl::copyObjectsFromResourcesPath(const QString& from, const QString& to)
{
    for (const ObjectsFile& file : std::as_const(m_objectsFiles)) {
        const QString source = from + u'/' + file.fileName;
        // A file the former version lacks leaves the copy from the resources.
        if (!QFileInfo::exists(source))
            continue;
        QFile in(source);
        QString error;
        if (!in.open(QIODevice::ReadOnly)) {
            error = in.errorString();
        } else if (zelk::writeFileAtomically(to + u'/' + file.fileName, in.readAll(), &error)) {
            continue;
        }
        zelk::zlog("QVAppl", "copyObjectsFromResourcesPath") << "Failed to copy" << source << "; error:" << error;
    }
}

void QVAppl::readPrefs()
{
    if (m_traceMgrEng)
        zelk::zlog("QVAppl", "readPrefs");
    {
        std::lock_guard lock(m_lastCutMutex);
        m_lastCut1 = {};
        m_lastCut2 = {};
    }
    m_notRecordLastCutAction = false;
    const QString folder = prefsPathForDataType(1);

    std::lock_guard lock(m_report->lock());
    for (auto it = m_objectsFiles.crbegin(); it != m_objectsFiles.crend(); ++it)
        it->reset();
    for (const ObjectsFile& file : std::as_const(m_objectsFiles)) {
        const QString path = folder + u'/' + file.fileName;
        // No file: no objects of its kind. A damaged file: its objects are
        // not known, so its manager is not told anything (the launchers
        // then keep the saved dates of the launchers it holds).
        if (folder.isEmpty() || !QFileInfo::exists(path)) {
            if (m_traceMgrEng)
                zelk::zlog("QVAppl", "readPrefs") << "no file" << path;
            file.set({});
            continue;
        }
        // A damaged file stays as it is on disk, for the user to mend or
        // restore: the engine never writes it.
        QString error;
        const auto dict = readDictionary(path, &error);
        const QVariant records = dict ? dict->value(file.arrayKey) : QVariant();
        if (dict && records.metaType().id() == QMetaType::QVariantList) {
            file.set(file.idKey.isEmpty() ? records.toList() : recordsWithUsableIDs(path, records.toList(), file.idKey));
            continue;
        }
        if (dict)
            error = QStringLiteral("no array \"%1\"").arg(file.arrayKey);
        else if (error.startsWith(path + u':'))
            error = error.mid(path.size() + 1).trimmed();
        zelk::zlog("QVAppl", "readPrefs").noquote()
            << QStringLiteral("%1 is damaged (%2): its objects are not loaded, and the file is left as it is").arg(path, error);
    }
    // Before the contexts look at what runs: no launch between goes unheard.
    if (m_systemObserved)
        watchApplications();
    post("EndInitNotification");
}

// --- System events ----------------------------------------------------------------

void QVAppl::observeSystem()
{
    m_observers.clear();
    m_systemObserved = true;
    auto& platform = zelk::Platform::instance();
    const QPointer<QVAppl> guard(this);

    watchApplications();

    // Delivered on the main thread, whatever thread the desktop reports on:
    // the contexts and launchers that observe it switch hot keys and
    // objects that the main thread uses too.
    m_observers.push_back(platform.workspace().observeFrontApplication([guard](const std::optional<zelk::RunningApplication>& app) {
        if (!app)
            return;
        onMainThread([guard, pid = app->pid, name = app->name] {
            if (guard)
                guard->frontApplicationChanged(pid, name);
        }, false);
    }));

    m_observers.push_back(platform.distributedNotifications().addObserverWithSender(
        QStringLiteral("QVEditorNotification"),
        [guard](const QString&, const QVariantMap& userInfo, const zelk::NotificationSender& sender) {
            onMainThread([guard, userInfo, sender] {
                if (guard)
                    guard->editorNotification(userInfo, sender);
            }, false);
        }));

    m_observers.push_back(platform.power().observe([guard](zelk::PowerService::Event event, std::function<void()> done) {
        onMainThread([guard, event, done] {
            if (!guard) {
                done();
                return;
            }
            switch (event) {
            case zelk::PowerService::Event::WillSleep:
                guard->beforeGoToSleep(done);
                break;
            case zelk::PowerService::Event::DidWake:
                guard->afterWakeFromSleep();
                done();
                break;
            case zelk::PowerService::Event::WillPowerOff:
                // The shut-down launchers run now, while the desktop still
                // waits for us; the quit that follows does not run them again.
                guard->m_flags->isShuttingDown = true;
                guard->shutdownHandshake(done);
                break;
            }
        }, false);
    }));
}

// The desktop reports changes only: the application in front at start is
// announced once, so its contexts hold and there is an application to go
// back to before the user first switches windows.
void QVAppl::announceFrontApplication()
{
    if (const auto front = zelk::Platform::instance().workspace().frontApplication())
        frontApplicationChanged(front->pid, front->name);
}

bool QVAppl::objectsNeedApplicationEvents()
{
    const auto contexts = QVContextsManager::sharedManager().contextsArray();
    const bool contextNeeds = std::any_of(contexts.cbegin(), contexts.cend(), [](const std::shared_ptr<QVContext>& c) {
        return c->contextType() == QVContext::AppRunning || c->contextType() == QVContext::AppNotRunning;
    });
    const auto launchers = QVLaunchersManager::sharedManager().launchersArray();
    return contextNeeds || std::any_of(launchers.cbegin(), launchers.cend(), [](const std::shared_ptr<QVLauncher>& l) {
        return l->launcherType() == QVLauncher::Application && (l->eventType() == 0 || l->eventType() == 1);
    });
}

void QVAppl::watchApplications()
{
    // Watching launches and quits polls the process list (a program without
    // a window shows nowhere else): only while some object needs them.
    if (!objectsNeedApplicationEvents()) {
        m_applicationsObserver.reset();
        return;
    }
    if (m_applicationsObserver)
        return;
    m_applicationsObserver = zelk::Platform::instance().workspace().observeApplications([](const zelk::RunningApplication& app, bool launched) {
        QString name = QFileInfo(app.path).fileName();
        if (name.isEmpty())
            name = app.name;
        onMainThread([name, launched] {
            post(launched ? "AfterLaunchAppNotifcation" : "AfterTerminateAppNotifcation", {{QStringLiteral("AppPathName"), name}});
        }, false);
    });
}

void QVAppl::frontApplicationChanged(qint64 pid, const QString& name)
{
    // The engine itself coming to the front is never recorded: the
    // application to go back to is the one before it.
    if (pid == zelk::Platform::instance().workspace().ownPid() || withoutAppExtension(name) == QLatin1String(kEngineName))
        return;
    QString previous;
    {
        std::lock_guard lock(m_frontAppLock);
        if (pid == m_lastProcess)
            return;
        m_lastProcess = pid;
        previous = m_previousFrontName;
        m_previousFrontName = name;
    }
    if (m_traceAppEng)
        zelk::zlog("QVAppl", "kQVFrontAppChangedNotification") << previous << "->" << name;
    post("FrontAppChangedNotification", {{QStringLiteral("LastFrontApp"), previous}, {QStringLiteral("NewFrontApp"), name}});
    // Suspended, not forced: leaving the editor must not undo what the
    // context rules of the new front application just switched off.
    if (previous == QLatin1String(kEditorBundleName) || name == QLatin1String(kEditorBundleName))
        QVLaunchersManager::sharedManager().setHotkeysSuspended(QVLaunchersManager::EditorInFront,
                                                                m_deactivateKeyCombo && name == QLatin1String(kEditorBundleName));
}

void QVAppl::installDownHotKeyHandler(bool install)
{
    m_downHandler = install;
    updateHotKeyHandler();
}

void QVAppl::installUpHotKeyHandler(bool install)
{
    m_upHandler = install;
    updateHotKeyHandler();
}

void QVAppl::updateHotKeyHandler()
{
    zelk::HotKeyService& hotKeys = zelk::Platform::instance().hotKeys();
    if (!m_downHandler && !m_upHandler) {
        hotKeys.setHandler({});
        return;
    }
    hotKeys.setHandler([guard = QPointer<QVAppl>(this)](quint32 code, bool pressed) {
        onMainThread([guard, code, pressed] {
            if (guard && (pressed ? guard->m_downHandler : guard->m_upHandler))
                post(pressed ? "DownKeyNotification" : "UpKeyNotification", {{QStringLiteral("KeyCode"), qint64(code)}});
        }, false);
    });
}

void QVAppl::universalContextOn()
{
    if (auto universal = QVContextsManager::sharedManager().universalContext())
        universal->setContextActivated(true);
}

// --- Sleep and shut-down --------------------------------------------------------------

void QVAppl::waitBeforeSleep() { m_flags->waitSleep = true; }
void QVAppl::canGoToSleep() { m_flags->waitSleep = false; }
void QVAppl::waitBeforeShutdown() { m_flags->waitShutdown = true; }
void QVAppl::canGoShutdown() { m_flags->waitShutdown = false; }

void QVAppl::beforeGoToSleep(std::function<void()> done)
{
    if (m_traceRun)
        zelk::zlog("QVAppl", "beforeGoToSleep");
    m_flags->waitSleep = false;
    post("GoToSleepNotification");
    // The sleep launchers' shortcuts may need the main thread (alerts,
    // menus): the wait is a watcher's, not the main thread's.
    const int bound = m_bounds.sleepMs;
    waitInThread([flags = m_flags] { return !flags->waitSleep; }, 200, 100, bound, [done, bound](bool cleared) {
        if (!cleared)
            zelk::zlog("QVAppl", "beforeGoToSleep") << "sleep launchers still running after" << bound << "ms: sleeping anyway";
        done();
    });
}

void QVAppl::afterWakeFromSleep() { post("WakeFromSleepNotification"); }

void QVAppl::shutdownHandshake(std::function<void()> then)
{
    if (m_flags->shutdownDone.exchange(true)) {
        then();
        return;
    }
    m_flags->waitShutdown = false;
    post("ShutdownNotification");
    const int bound = m_bounds.shutdownMs;
    waitInThread([flags = m_flags] { return !flags->waitShutdown; }, 200, 100, bound, [then, bound](bool cleared) {
        if (!cleared)
            zelk::zlog("QVAppl", "beforeShutdown") << "shut-down launchers still running after" << bound << "ms: quitting anyway";
        then();
    });
}

// --- Quit ---------------------------------------------------------------------------

void QVAppl::terminate()
{
    if (QThread::currentThread() != thread()) {
        laterOnMainThread(QPointer<QVAppl>(this), [](QVAppl& appl) { appl.terminate(); });
        return;
    }
    if (m_terminating)
        return;
    m_terminating = true;
    // An engine that never started (a second engine, the onboarding panel
    // closed) loaded nothing: it must not save the running engine's
    // launcher dates nor quit its editor.
    if (!m_started) {
        finishTerminate();
        return;
    }
    if (m_traceAppEng)
        zelk::zlog("QVAppl", "terminate");
    QVLaunchersManager::sharedManager().terminateApp();
    quiteEditor([this] { terminateAfterEditor(); });
}

void QVAppl::quiteEditor(std::function<void()> then)
{
    auto& workspace = zelk::Platform::instance().workspace();
    const auto apps = workspace.runningApplications();
    const auto editor = std::find_if(apps.cbegin(), apps.cend(), [](const zelk::RunningApplication& app) {
        return withoutAppExtension(app.name) == withoutAppExtension(QLatin1String(kEditorBundleName));
    });
    if (editor == apps.cend()) {
        then();
        return;
    }
    zelk::zlog("QVAppl", "terminate") << "Quiting Zelk and Terminating Zelk Editor";
    const qint64 pid = editor->pid;
    if (!workspace.quit(pid)) {
        then();
        return;
    }
    workspace.activate(pid);
    waitInThread(
        [pid, checks = 0]() mutable {
            if (!isProcessRunning(pid))
                return true;
            if (++checks % 11 == 0)
                zelk::zlog("QVAppl", "quiteEditor") << "waiting for" << kEditorBundleName << "to quit";
            return false;
        },
        0, 300, m_bounds.editorQuitMs,
        [guard = QPointer<QVAppl>(this), then](bool) { laterOnMainThread(guard, [then](QVAppl&) { then(); }); });
}

void QVAppl::terminateAfterEditor()
{
    // A power-off may still be on its way: give it half a second to say so.
    waitInThread([flags = m_flags] { return flags->isShuttingDown.load(); }, 0, 100, 500,
                 [guard = QPointer<QVAppl>(this)](bool shuttingDown) {
        laterOnMainThread(guard, [shuttingDown](QVAppl& appl) {
            if (!shuttingDown) {
                appl.finishTerminate();
                return;
            }
            QPointer<QVAppl> guard(&appl);
            appl.shutdownHandshake([guard] {
                QVAppl::onMainThread([guard] {
                    if (guard)
                        guard->finishTerminate();
                }, false);
            });
        });
    });
}

void QVAppl::finishTerminate()
{
    if (m_quit)
        return;
    m_quit = true;
    emit quitRequested();
}

// --- Editor commands ------------------------------------------------------------------

QString QVAppl::editorExecutablePath()
{
    const zelk::Bundle bundle = zelk::Bundle::main();
    if (!bundle.isValid())
        return {};
    const QString editor = bundle.bundlePath() + QStringLiteral("/Contents/MacOS/") + QLatin1String(kEditorBundleName);
    const zelk::Bundle editorBundle = zelk::Bundle::atPath(editor);
    const QString executable = editorBundle.isValid() ? editorBundle.executablePath()
                                                      : editor + QStringLiteral("/Contents/MacOS/") + withoutAppExtension(QLatin1String(kEditorBundleName));
    const QString canonical = QFileInfo(executable).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(executable) : canonical;
}

void QVAppl::editorNotification(const QVariantMap& userInfo, const zelk::NotificationSender& sender)
{
    const QVariant action = userInfo.value(QStringLiteral("action"));
    const QVariant param = userInfo.value(QStringLiteral("param0"));
    if (action.metaType().id() != QMetaType::QString) {
        zelk::zlog("QVAppl", "editorNotification") << "ignored: no verb";
        return;
    }
    const QString verb = action.toString();
    if (m_traceAppEng)
        zelk::zlog("QVAppl", "editorNotification") << verb << "-" << param;
    auto badParam = [&verb, &param] { zelk::zlog("QVAppl", "editorNotification") << "ignored" << verb << "with" << param; };

    if (verb == QLatin1String("sparkleCheck")) {
        zelk::zlog("QVAppl", "editorNotification") << "sparkleCheck: this engine has no updater yet";
    } else if (verb == QLatin1String("updateobjects")) {
        QVLaunchersManager::sharedManager().saveDateLaunchersDate();
        readPrefs();
        universalContextOn();
        QVStatusItemManager::sharedManager().verifyItems();
    } else if (verb == QLatin1String("palettedelay")) {
        if (const auto delay = numberParam(param))
            QVPalette::setDeactivateDelay(float(*delay));
        else
            badParam();
    } else if (verb == QLatin1String("versioncheck")) {
        if (const auto on = boolParam(param))
            m_checkUpdate = *on;
        else
            badParam();
    } else if (verb == QLatin1String("deactivatekeycombo")) {
        const auto off = boolParam(param);
        if (!off) {
            badParam();
        } else if (*off != m_keyCapture) {
            m_keyCapture = *off;
            QVLaunchersManager::sharedManager().setHotkeysSuspended(QVLaunchersManager::KeyCapture, *off);
        }
    } else if ((verb == QLatin1String("runaction") || verb == QLatin1String("runshortcut")) && !isFromEditor(sender)) {
        // Any program of the session can post this: only our editor may
        // have records run.
        zelk::zlog("QVAppl", "editorNotification")
            << "refused" << verb << "from process" << sender.pid << (sender.executable.isEmpty() ? QStringLiteral("(unknown)") : sender.executable)
            << ": not the editor";
    } else if (verb == QLatin1String("runaction")) {
        if (param.metaType().id() != QMetaType::QVariantMap)
            return badParam();
        zelk::runInBackground([record = param.toMap()] { QVTester::sharedTester().runActionInThread(record); });
    } else if (verb == QLatin1String("runshortcut")) {
        if (param.metaType().id() != QMetaType::QVariantMap)
            return badParam();
        zelk::runInBackground([payload = param.toMap()] { QVTester::sharedTester().runShortcutInThread(payload); });
    } else if (verb == QLatin1String("reporteachitem")) {
        if (const auto on = boolParam(param))
            m_reportEachItem = *on;
        else
            badParam();
    } else if (verb == QLatin1String("stopshortcuts")) {
        stopShortcuts();
    } else if (verb == QLatin1String("cleanreport")) {
        cleanReport();
    }
}

bool QVAppl::isFromEditor(const zelk::NotificationSender& sender)
{
    const QString editor = editorExecutablePath();
    return sender.pid > 0 && !editor.isEmpty() && sender.executable == editor;
}

// --- Missing classes, recent objects, front application ---------------------------------

void QVAppl::addMissingPlugin(const QString& className)
{
    if (m_traceAppEng)
        zelk::zlog("QVAppl", "addMissingPlugin") << className;
    {
        std::lock_guard lock(m_missingMutex);
        if (m_missingPlugins.contains(className))
            return;
        m_missingPlugins.append(className);
    }
    QString title = localized(QStringLiteral("PluginManquant"));
    if (const qsizetype at = title.indexOf(QLatin1String("%@")); at >= 0)
        title.replace(at, 2, className);
    alert(title, localized(QStringLiteral("ActionInactive")), localized(QStringLiteral("OK")));
}

void QVAppl::Recallable::run() const
{
    if (auto a = action.lock())
        a->runObject();
    else if (auto o = object.lock())
        o->runObject();
}

void QVAppl::setLastCut(const Recallable& recallable)
{
    if (m_notRecordLastCutAction)
        return;
    std::lock_guard lock(m_lastCutMutex);
    m_lastCut2 = m_lastCut1;
    m_lastCut1 = recallable;
}

void QVAppl::addLastCutAction(std::shared_ptr<zelk::QVAction> action) { setLastCut({action, {}}); }

void QVAppl::addLastCutObject(std::shared_ptr<QVLinkedObject> object) { setLastCut({{}, object}); }

void QVAppl::runLastCutAction1()
{
    Recallable recallable;
    {
        std::lock_guard lock(m_lastCutMutex);
        recallable = m_lastCut1;
    }
    m_notRecordLastCutAction = true;
    recallable.run();
    m_notRecordLastCutAction = false;
}

void QVAppl::runLastCutAction2()
{
    Recallable recallable;
    {
        std::lock_guard lock(m_lastCutMutex);
        recallable = m_lastCut2;
    }
    m_notRecordLastCutAction = true;
    recallable.run();
    m_notRecordLastCutAction = false;
}

void QVAppl::activateLastProcess()
{
    qint64 pid = 0;
    {
        std::lock_guard lock(m_frontAppLock);
        pid = m_lastProcess;
    }
    if (pid == 0)
        return;
    zelk::Workspace& workspace = zelk::Platform::instance().workspace();
    // The main thread never waits for the desktop: hot keys go on meanwhile,
    // and the front change comes back through the platform's signal.
    if (zelk::MainThread::isCurrent()) {
        workspace.activate(pid);
        return;
    }
    // A run thread waits for the desktop to say so, bounded, and without
    // the front-application lock (the main thread takes it on a change).
    struct Wait {
        std::mutex mutex;
        std::condition_variable changed;
        bool news = false;
    };
    auto wait = std::make_shared<Wait>();
    auto wake = [wait] {
        std::lock_guard lock(wait->mutex);
        wait->news = true;
        wait->changed.notify_all();
    };
    const zelk::ObserverHandle front = workspace.observeFrontApplication([wake](const auto&) { wake(); });
    const zelk::ObserverHandle apps = workspace.observeApplications([wake](const auto&, bool) { wake(); }, zelk::Workspace::Programs::WithWindows);
    if (!workspace.activate(pid))
        return;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_bounds.activateMs);
    for (;;) {
        const auto now = workspace.frontApplication();
        if ((now && now->pid == pid) || !isProcessRunning(pid))
            return;
        std::unique_lock lock(wait->mutex);
        if (!wait->changed.wait_until(lock, deadline, [&] { return wait->news || zelk::MainThread::isClosed(); })) {
            zelk::zlog("QVAppl", "activateLastProcess") << "process" << pid << "did not come to the front";
            return;
        }
        wait->news = false;
        if (zelk::MainThread::isClosed())
            return;
    }
}

bool QVAppl::isActive() const { return QGuiApplication::applicationState() == Qt::ApplicationActive; }

void QVAppl::stopShortcuts()
{
    QVShortcutsManager::sharedManager().stopAllShortcuts();
    // A key pressed by a stopped run would never be let go of.
    zelk::QVAction::releaseHeldKeys();
}

// --- Report -------------------------------------------------------------------------

void QVAppl::writeToReport(const QString& line)
{
    onMainThread([guard = QPointer<QVAppl>(this), line] {
        if (!guard)
            return;
        const QString folder = guard->prefsPathForDataType(1);
        guard->m_report->initReport(folder.isEmpty() ? QString() : folder + QStringLiteral("/Report.plist"), guard->m_daysSaveReport);
        guard->m_report->writeToReport(line);
        // Showing the report at each line waits for the report window.
    }, false);
}

void QVAppl::cleanReport()
{
    m_report->cleanReport();
}

void QVAppl::SendAppleEventToKeyCue(const QString& code)
{
    if (m_traceRun)
        zelk::zlog("QVAppl", "SendAppleEventToKeyCue") << "KeyCue is not on Linux:" << code << "not sent";
}

QString QVAppl::stringForMail(const QString& text)
{
    // Only what may not stand in a link is escaped; its reserved
    // characters are kept as they are.
    return QString::fromLatin1(QUrl::toPercentEncoding(text, "!#$&'()*+,/:;=?@"));
}

} // namespace engine
