#include "ApplicationShortcut.h"

#include "Log.h"
#include "NotificationCenter.h"
#include "Platform.h"
#include "WorkerPool.h"

#include <QAction>
#include <QMenu>
#include <atomic>
#include <mutex>
#include <thread>

namespace zelk::engine {

namespace K = ApplicationShortcutKeys;

namespace {

struct ClassState {
    std::mutex mutex;
    std::shared_ptr<const ApplicationShortcut::ProcessList> processes;  // null: make it on next use
    QString previousFront;
    std::atomic<qint64> rememberedFront{0};
    ObserverHandle applicationsObserver;
    ObserverHandle frontObserver;
};

ClassState& state()
{
    static ClassState s;
    return s;
}

Workspace& workspace()
{
    return Platform::instance().workspace();
}

qint64 frontPid()
{
    const std::optional<RunningApplication> front = workspace().frontApplication();
    return front ? front->pid : 0;
}

void waitLaunched(const QString& path, QVActionController& c)
{
    ActionRunner::pollWhileRunning(&c, 0.2, OSProcess::waitLimits().launch,
                                   [&path] { return OSProcess::isProcessLaunchedWithPath(path); });
}

} // namespace

// --- Class-wide state --------------------------------------------------------------------

void ApplicationShortcut::initialize()
{
    static std::once_flag once;
    std::call_once(once, [] {
        ClassState& s = state();
        // The list holds no program without a window: those need not be watched.
        s.applicationsObserver = workspace().observeApplications([](const RunningApplication&, bool) { updateProcesses(); },
                                                                 Workspace::Programs::WithWindows);
        s.frontObserver = NotificationCenter::defaultCenter().addObserver(
            QStringLiteral("FrontAppChangedNotification"), nullptr, &frontAppChangedNotification);
        s.rememberedFront = 0;
    });
}

std::shared_ptr<const ApplicationShortcut::ProcessList> ApplicationShortcut::visibleProcesses()
{
    initialize();
    ClassState& s = state();
    {
        std::lock_guard lock(s.mutex);
        if (s.processes)
            return s.processes;
    }
    auto list = std::make_shared<ProcessList>();
    for (const RunningApplication& app : workspace().runningApplications())
        if (!app.background)
            list->append(std::make_shared<OSProcess>(app));
    std::lock_guard lock(s.mutex);
    if (!s.processes)
        s.processes = std::move(list);
    return s.processes;
}

void ApplicationShortcut::frontAppChangedNotification(const Notification& notification)
{
    const QString last = notification.userInfo.value(QStringLiteral("LastFrontApp")).toString();
    std::lock_guard lock(state().mutex);
    state().previousFront = withoutAppExtension(last);
}

void ApplicationShortcut::updateProcesses()
{
    std::lock_guard lock(state().mutex);
    state().processes.reset();
}

std::shared_ptr<OSProcess> ApplicationShortcut::frontProcess()
{
    const auto list = visibleProcesses();
    for (const auto& process : *list)
        if (process->isFront())
            return process;
    return nullptr;
}

std::shared_ptr<OSProcess> ApplicationShortcut::processWithPathName(const QString& name)
{
    const auto list = visibleProcesses();
    for (const auto& process : *list)
        if (process->pathName() == name)
            return process;
    return nullptr;
}

QString ApplicationShortcut::previousFrontApplication()
{
    initialize();
    std::lock_guard lock(state().mutex);
    return state().previousFront;
}

// --- Reading and running --------------------------------------------------------------------

bool ApplicationShortcut::initWithDictionaryInLauncher(const QVariantMap& record)
{
    initialize();
    if (!ActionRunner::initWithDictionaryInLauncher(record))
        return false;
    readParameters(parametersOf(record));
    return true;
}

QString ApplicationShortcut::runActionFromObject(const std::shared_ptr<QVActionController>& controller)
{
    if (!controller)
        return {};
    QVActionController& c = *controller;
    const bool h = CUTHideOthers;
    const bool f = CUTForce;
    const QString n = CUTAppName;
    switch (CUTAction) {
    case 1: return launchApplication(bestPath(), h, c);
    case 2: return displayLaunchedApplicationsMenuOrderBy(CUTOrder, h, c);
    case 3: return displayRecentApplicationsMenuOrderBy(CUTOrder, h, c);
    case 4: return activateNextProcessHideOthers(h, c);
    case 5: return activatePreviousProcessHideOthers(h, c);
    case 6: return activateProcessWithPathName(n, h, c);
    case 7: return showFrontProcessFromObject(c);
    case 8: return showOtherProcessFromObject(c);
    case 9: return showAllProcessFromObject(c);
    case 10: return showProcessWithPathName(n, c);
    case 11: return hideFrontProcessFromObject(c);
    case 12: return hideOtherProcessFromObject(c);
    case 13: return hideProcessWithPathName(n, c);
    case 14: return quitFrontProcessForcing(f, c);
    case 15: return quitOtherProcessForcing(f, c);
    case 16: return quitProcessWithPathName(n, f, c);
    case 17: return relaunchFrontProcessForcing(f, c);
    case 18: return relaunchOtherProcessForcing(f, c);
    case 19: return relaunchProcessWithPathName(n, f, c);
    case 20: return saveFrontProcessFromObject(c);
    case 21: return activateSavedProcessHideOthers(h, c);
    case 22: return activatePreviousFrontProcessHideOthers(h, c);
    default: return {};
    }
}

bool ApplicationShortcut::validateMenuItem(QAction* item)
{
    if (!item || (CUTAction != 2 && CUTAction != 3))
        return true;
    QMenu* menu = CUTAction == 2 ? launchedApplicationsMenuOrderBy(CUTOrder, CUTHideOthers)
                                 : recentApplicationsMenuOrderBy(CUTOrder, CUTHideOthers);
    // The item does not own its submenu: the previous one goes now, the
    // last one with the item.
    if (QMenu* old = item->menu())
        old->deleteLater();
    QObject::connect(item, &QObject::destroyed, menu, &QObject::deleteLater);
    item->setMenu(menu);
    return true;
}

// --- Launching ---------------------------------------------------------------------------------

QString ApplicationShortcut::launchApplication(const QString& path, bool hideOthers, QVActionController& c)
{
    if (!fileExistsAtPath(path))
        return localized(classObject(), "ApplicationNonValide", {path});
    const bool alreadyRunning = OSProcess::isProcessLaunchedWithPath(path);
    // Opening an application that runs brings it to the front.
    std::optional<RunningApplication> running;
    for (const RunningApplication& app : workspace().runningApplications())
        if (app.path == path) {
            running = app;
            break;
        }
    if (running) {
        workspace().activate(running->pid);
    } else if (!workspace().launchApplication(path, {}, nullptr)) {
        zlog("ApplicationShortcut", "launchApplication") << "could not launch" << path;
        return localized(classObject(), "ApplicationNonValide", {path});
    }
    if (!alreadyRunning)
        waitLaunched(path, c);
    if (hideOthers && c.canGoRunning()) {
        updateProcesses();
        hideOtherProcessFromObject(c);
    }
    return {};
}

// --- Menus -----------------------------------------------------------------------------------------

QString ApplicationShortcut::displayLaunchedApplicationsMenuOrderBy(int order, bool hideOthers, QVActionController&)
{
    showFloatingMenu([order, hideOthers] { return launchedApplicationsMenuOrderBy(order, hideOthers); });
    return {};
}

QString ApplicationShortcut::displayRecentApplicationsMenuOrderBy(int order, bool hideOthers, QVActionController&)
{
    showFloatingMenu([order, hideOthers] { return recentApplicationsMenuOrderBy(order, hideOthers); });
    return {};
}

QMenu* ApplicationShortcut::launchedApplicationsMenuOrderBy(int order, bool hideOthers)
{
    auto* menu = new QMenu;
    const auto list = visibleProcesses();
    for (const auto& process : *list) {
        const QString path = process->path();
        auto* item = new QAction(withoutAppExtension(displayNameAtPath(path)), menu);
        const QImage icon = iconImageForPath(path, 16);
        if (!icon.isNull())
            item->setIcon(QIcon(QPixmap::fromImage(icon)));
        item->setData(process->pathName());
        item->setProperty("tag", hideOthers ? 1 : 0);
        item->setCheckable(true);
        item->setChecked(process->isFront());
        QObject::connect(item, &QAction::triggered, item, [item] { activateProcessFromMenu(item); });
        if (order == 0) {
            const QList<QAction*> placed = menu->actions();
            menu->insertAction(placed.isEmpty() ? nullptr : placed.first(), item);
        } else {
            insertMenuItemSorted(menu, item);
        }
    }
    return menu;
}

QMenu* ApplicationShortcut::recentApplicationsMenuOrderBy(int order, bool hideOthers)
{
    auto* menu = new QMenu;
    for (const QString& path : recentAppPathArray()) {
        auto* item = new QAction(withoutAppExtension(displayNameAtPath(path)), menu);
        // An entry that no longer leads anywhere is listed but does nothing.
        if (fileExistsAtPath(path)) {
            const QImage icon = iconImageForPath(path, 16);
            if (!icon.isNull())
                item->setIcon(QIcon(QPixmap::fromImage(icon)));
            item->setData(path);
            item->setProperty("tag", hideOthers ? 1 : 0);
            QObject::connect(item, &QAction::triggered, item, [item] { launchApplicationFromMenu(item); });
        } else {
            zlog("ApplicationShortcut", "recentApplicationsMenuOrderBy") << "no application at" << path;
        }
        if (order == 0)
            menu->addAction(item);
        else
            insertMenuItemSorted(menu, item);
    }
    return menu;
}

void ApplicationShortcut::activateProcessFromMenu(QAction* item)
{
    const QString name = item->data().toString();
    const bool hideOthers = item->property("tag").toInt() > 0;
    runInBackground([name, hideOthers] {
        const QString error = activateProcessWithPathName(name, hideOthers, classObject());
        if (!error.isEmpty())
            zlog("ApplicationShortcut", "activateProcessFromMenu") << error;
    });
}

void ApplicationShortcut::launchApplicationFromMenu(QAction* item)
{
    const QString path = item->data().toString();
    if (path.isEmpty())
        return;
    const bool hideOthers = item->property("tag").toInt() > 0;
    runInBackground([path, hideOthers] {
        const QString error = launchApplication(path, hideOthers, classObject());
        if (!error.isEmpty())
            zlog("ApplicationShortcut", "launchApplicationFromMenu") << error;
    });
}

// --- Switching -----------------------------------------------------------------------------------

QString ApplicationShortcut::activateNeighbourProcess(int step, bool hideOthers, QVActionController& c)
{
    const auto list = visibleProcesses();
    const qsizetype count = list->size();
    for (qsizetype i = 0; i < count; ++i) {
        if (!list->at(i)->isFront())
            continue;
        list->at((i + step + count) % count)->makeFront();
        break;
    }
    if (hideOthers)
        hideOtherProcessFromObject(c);
    return {};
}

QString ApplicationShortcut::activateNextProcessHideOthers(bool hideOthers, QVActionController& c)
{
    return activateNeighbourProcess(1, hideOthers, c);
}

QString ApplicationShortcut::activatePreviousProcessHideOthers(bool hideOthers, QVActionController& c)
{
    return activateNeighbourProcess(-1, hideOthers, c);
}

QString ApplicationShortcut::activateProcessWithPathName(const QString& name, bool hideOthers, QVActionController& c)
{
    const auto process = processWithPathName(name);
    if (!process)
        return applicationNotRunning(name);
    process->makeFront();
    if (hideOthers)
        hideOtherProcessFromObject(c);
    return {};
}

QString ApplicationShortcut::applicationNotRunning(const QString& name)
{
    return localized(classObject(), "ApplicationNonEncours", {name});
}

// --- Showing and hiding ----------------------------------------------------------------------------

QString ApplicationShortcut::showFrontProcessFromObject(QVActionController&)
{
    if (const auto process = frontProcess())
        process->show();
    return {};
}

QString ApplicationShortcut::showOtherProcessFromObject(QVActionController&)
{
    const auto list = visibleProcesses();
    for (const auto& process : *list)
        process->show();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    return {};
}

QString ApplicationShortcut::showAllProcessFromObject(QVActionController& c)
{
    return showOtherProcessFromObject(c);
}

QString ApplicationShortcut::showProcessWithPathName(const QString& name, QVActionController&)
{
    const auto process = processWithPathName(name);
    if (!process)
        return applicationNotRunning(name);
    process->show();
    return {};
}

QString ApplicationShortcut::hideFrontProcessFromObject(QVActionController&)
{
    if (const auto process = frontProcess())
        process->hide();
    return {};
}

QString ApplicationShortcut::hideOtherProcessFromObject(QVActionController&)
{
    const auto list = visibleProcesses();
    for (const auto& process : *list) {
        if (process->isFront())
            process->show();
        else
            process->hide();
    }
    return {};
}

QString ApplicationShortcut::hideProcessWithPathName(const QString& name, QVActionController&)
{
    const auto process = processWithPathName(name);
    if (!process)
        return applicationNotRunning(name);
    process->hide();
    return {};
}

// --- Quitting and relaunching ------------------------------------------------------------------------

QString ApplicationShortcut::quitProcess(const OSProcess& process, bool force)
{
    const int status = force ? process.forceQuit() : process.quit();
    if (status != 0)
        zlog("ApplicationShortcut", "quitProcess") << process.name() << "status" << status;
    return {};
}

QString ApplicationShortcut::relaunchProcess(const OSProcess& process, bool force, QVActionController& c)
{
    const QString path = process.path();
    quitProcess(process, force);
    launchApplication(path, false, c);
    waitLaunched(path, c);
    return {};
}

QString ApplicationShortcut::quitFrontProcessForcing(bool force, QVActionController&)
{
    const auto process = frontProcess();
    if (!process)
        return {};
    if (tracing())
        zlog("ApplicationShortcut", "quitFrontProcessForcing") << "Quit Front Process:" << process->name();
    return quitProcess(*process, force);
}

QString ApplicationShortcut::quitOtherProcessForcing(bool force, QVActionController&)
{
    const qint64 own = workspace().ownPid();
    const qint64 front = frontPid();
    const auto list = visibleProcesses();
    for (const auto& process : *list) {
        if (process->PSNumber() == own || process->PSNumber() == front)
            continue;
        if (tracing())
            zlog("ApplicationShortcut", "quitOtherProcessForcing") << "Quit Other Processes" << process->name();
        quitProcess(*process, force);
    }
    return {};
}

QString ApplicationShortcut::quitProcessWithPathName(const QString& name, bool force, QVActionController&)
{
    const auto process = OSProcess::anyProcessWithPathName(name);
    if (!process)
        return applicationNotRunning(name);
    if (tracing())
        zlog("ApplicationShortcut", "quitProcessWithPathName")
            << "Quit Process" << process->name() << "With PathName" << name;
    return quitProcess(*process, force);
}

QString ApplicationShortcut::relaunchFrontProcessForcing(bool force, QVActionController& c)
{
    const auto process = frontProcess();
    if (!process)
        return {};
    if (tracing())
        zlog("ApplicationShortcut", "relaunchFrontProcessForcing")
            << "Quit and Relaunch Front Processes" << process->name();
    return relaunchProcess(*process, force, c);
}

QString ApplicationShortcut::relaunchOtherProcessForcing(bool force, QVActionController& c)
{
    // Relaunching the engine would end the run that does it. The front
    // application is the one in front when the walk begins: each relaunched
    // application comes to the front in its turn.
    const qint64 own = workspace().ownPid();
    const qint64 front = frontPid();
    const auto list = visibleProcesses();
    for (const auto& process : *list) {
        if (!c.canGoRunning())
            break;
        if (process->PSNumber() == own || process->PSNumber() == front)
            continue;
        if (tracing())
            zlog("ApplicationShortcut", "relaunchOtherProcessForcing")
                << "Quit and Relaunch Other Processes" << process->name();
        relaunchProcess(*process, force, c);
    }
    return {};
}

QString ApplicationShortcut::relaunchProcessWithPathName(const QString& name, bool force, QVActionController& c)
{
    const auto process = OSProcess::anyProcessWithPathName(name);
    if (!process)
        return applicationNotRunning(name);
    return relaunchProcess(*process, force, c);
}

// --- Remembered and previous applications ---------------------------------------------------------------

QString ApplicationShortcut::saveFrontProcessFromObject(QVActionController&)
{
    initialize();
    const std::optional<RunningApplication> front = workspace().frontApplication();
    state().rememberedFront = front ? front->pid : 0;
    return {};
}

QString ApplicationShortcut::activateSavedProcessHideOthers(bool hideOthers, QVActionController& c)
{
    initialize();
    const qint64 pid = state().rememberedFront;
    if (pid == 0 || !workspace().activate(pid))
        return localized(classObject(), "ApplicationSauveeNonEncours");
    ActionRunner::pollWhileRunning(nullptr, 0.1, OSProcess::waitLimits().front, [pid] {
        const std::optional<RunningApplication> front = workspace().frontApplication();
        return front && front->pid == pid;
    });
    if (hideOthers && c.canGoRunning())
        hideOtherProcessFromObject(c);
    return {};
}

QString ApplicationShortcut::activatePreviousFrontProcessHideOthers(bool hideOthers, QVActionController& c)
{
    const QString name = previousFrontApplication();
    if (name.isEmpty())
        return {};
    return activateProcessWithPathName(name, hideOthers, c);
}

ZELK_REGISTER_ACTION_RUNNER(ApplicationShortcut)

} // namespace zelk::engine
