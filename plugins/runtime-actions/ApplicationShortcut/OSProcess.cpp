#include "OSProcess.h"

#include "ActionPaths.h"
#include "ActionRunner.h"
#include "Log.h"
#include "Platform.h"

#include <QFileInfo>
#include <mutex>

namespace zelk::engine {

namespace {

std::mutex g_limitsMutex;
OSProcess::WaitLimits g_limits;

Workspace& workspace()
{
    return Platform::instance().workspace();
}

bool isRunning(qint64 pid)
{
    for (const RunningApplication& app : workspace().runningApplications())
        if (app.pid == pid)
            return true;
    return false;
}

QString lastComponent(const QString& path)
{
    return QFileInfo(path).fileName();
}

} // namespace

OSProcess::WaitLimits OSProcess::waitLimits()
{
    std::lock_guard lock(g_limitsMutex);
    return g_limits;
}

void OSProcess::setWaitLimits(const WaitLimits& limits)
{
    std::lock_guard lock(g_limitsMutex);
    g_limits = limits;
}

OSProcess::OSProcess(const RunningApplication& process) : m_process(process) {}

QString OSProcess::name() const
{
    return m_process.displayName.isEmpty() ? withoutAppExtension(m_process.name) : m_process.displayName;
}

QString OSProcess::pathName() const
{
    return applicationNameOfPath(m_process.path);
}

bool OSProcess::isFront() const
{
    const std::optional<RunningApplication> front = workspace().frontApplication();
    return front && front->pid == m_process.pid;
}

void OSProcess::makeFront() const
{
    workspace().activate(m_process.pid);
    if (!ActionRunner::pollWhileRunning(nullptr, 0.1, waitLimits().front, [this] { return isFront(); }))
        zlog("OSProcess", "makeFront") << name() << "did not come to the front";
}

void OSProcess::hide() const
{
    workspace().hide(m_process.pid);
}

void OSProcess::show() const
{
    workspace().unhide(m_process.pid);
}

int OSProcess::quit() const
{
    if (!workspace().quit(m_process.pid))
        return ErrorNoSuchProcess;
    return waitGone() ? 0 : ErrorStillRunning;
}

bool OSProcess::waitGone() const
{
    if (!path().isEmpty())
        return waitProcessQuitWithPath(path());
    const qint64 pid = m_process.pid;
    return ActionRunner::pollWhileRunning(nullptr, 0.2, waitLimits().quit, [pid] { return !isRunning(pid); });
}

int OSProcess::forceQuit() const
{
    Workspace& ws = workspace();
    if (!ws.terminate(m_process.pid, false))
        return ErrorNoSuchProcess;
    // A process may catch SIGTERM and stay: after the grace it is killed.
    const qint64 pid = m_process.pid;
    if (!ActionRunner::pollWhileRunning(nullptr, 0.1, waitLimits().terminate, [pid] { return !isRunning(pid); })) {
        zlog("OSProcess", "forceQuit") << name() << "ignored SIGTERM; killing it";
        ws.terminate(pid, true);
    }
    return waitGone() ? 0 : ErrorStillRunning;
}

bool OSProcess::isProcessLaunchedWithPath(const QString& path)
{
    const QString file = lastComponent(path);
    if (file.isEmpty())
        return false;
    for (const RunningApplication& app : workspace().runningApplications())
        if (!app.path.isEmpty() && lastComponent(app.path) == file)
            return true;
    return false;
}

bool OSProcess::isAppLaunchedWithName(const QString& name)
{
    return anyProcessWithPathName(name) != nullptr;
}

std::shared_ptr<OSProcess> OSProcess::anyProcessWithPathName(const QString& name)
{
    if (name.isEmpty())
        return nullptr;
    for (const RunningApplication& app : workspace().runningApplications())
        if (!app.path.isEmpty() && applicationNameOfPath(app.path) == name)
            return std::make_shared<OSProcess>(app);
    return nullptr;
}

bool OSProcess::waitProcessQuitWithPath(const QString& path)
{
    const bool gone = ActionRunner::pollWhileRunning(nullptr, 0.2, waitLimits().quit,
                                                     [&path] { return !isProcessLaunchedWithPath(path); });
    if (!gone)
        zlog("OSProcess", "waitProcessQuitWithPath") << lastComponent(path) << "still runs; no longer waiting";
    return gone;
}

} // namespace zelk::engine
