#include "VirtualWindows.h"

#include "Geometry.h"
#include "VirtualDesktop.h"

#include <algorithm>

namespace zelk {

namespace {

qint64 frontPid(VirtualWorkspace& workspace)
{
    const std::optional<RunningApplication> front = workspace.frontApplication();
    return front ? front->pid : 0;
}

QString orientationName(WindowService::Orientation orientation)
{
    return orientation == WindowService::Orientation::Vertical ? QStringLiteral("v") : QStringLiteral("h");
}

} // namespace

VirtualWindows::Window* VirtualWindows::find(WindowId window)
{
    const auto it = m_windows.find(window);
    return it == m_windows.end() ? nullptr : &*it;
}

void VirtualWindows::log(const QString& request) { m_requests << request; }

// With our lock held; the workspace only ever takes its own.
VirtualWindows::WindowId VirtualWindows::focusedLocked()
{
    const qint64 pid = frontPid(m_workspace);
    if (!pid)
        return 0;
    for (auto it = m_stack.crbegin(); it != m_stack.crend(); ++it) {
        const Window& w = m_windows[*it];
        if (w.pid == pid && !w.minimized)
            return *it;
    }
    return 0;
}

VirtualWindows::WindowId VirtualWindows::focusedWindow()
{
    std::lock_guard lock(m_mutex);
    return focusedLocked();
}

VirtualWindows::WindowId VirtualWindows::mainWindow()
{
    std::lock_guard lock(m_mutex);
    WindowId window = focusedLocked();
    for (int hops = 0; window && hops < 8; ++hops) {
        const Window* w = find(window);
        if (!w || !w->owner || !find(w->owner))
            break;
        window = w->owner;
    }
    return window;
}

QList<VirtualWindows::WindowId> VirtualWindows::frontApplicationWindows()
{
    std::lock_guard lock(m_mutex);
    const qint64 pid = frontPid(m_workspace);
    QList<WindowId> list;
    for (WindowId id : std::as_const(m_stack))
        if (pid && m_windows[id].pid == pid)
            list << id;
    return list;
}

std::optional<QRect> VirtualWindows::frame(WindowId window)
{
    std::lock_guard lock(m_mutex);
    const Window* w = find(window);
    return w ? std::optional<QRect>(w->frame) : std::nullopt;
}

std::optional<bool> VirtualWindows::isMinimized(WindowId window)
{
    std::lock_guard lock(m_mutex);
    const Window* w = find(window);
    return w ? std::optional<bool>(w->minimized) : std::nullopt;
}

bool VirtualWindows::moveWindow(WindowId window, const QPoint& frameTopLeft)
{
    std::lock_guard lock(m_mutex);
    Window* w = find(window);
    if (!w)
        return false;
    log(QStringLiteral("move %1 %2").arg(w->title, stringFromPoint(frameTopLeft)));
    if (w->refuses)
        return false;
    w->frame.moveTopLeft(frameTopLeft);
    return true;
}

bool VirtualWindows::resizeWindow(WindowId window, const QSize& frameSize)
{
    std::lock_guard lock(m_mutex);
    Window* w = find(window);
    if (!w)
        return false;
    log(QStringLiteral("resize %1 %2").arg(w->title, stringFromSize(frameSize)));
    if (w->refuses || frameSize.width() < 1 || frameSize.height() < 1)
        return false;
    w->frame.setSize(frameSize);
    return true;
}

bool VirtualWindows::zoomWindow(WindowId window)
{
    std::lock_guard lock(m_mutex);
    Window* w = find(window);
    if (!w)
        return false;
    log(QStringLiteral("zoom %1").arg(w->title));
    if (w->maximized) {
        w->frame = w->beforeZoom;
    } else {
        w->beforeZoom = w->frame;
        w->frame = m_screen;
    }
    w->maximized = !w->maximized;
    return true;
}

bool VirtualWindows::minimizeWindow(WindowId window)
{
    std::lock_guard lock(m_mutex);
    Window* w = find(window);
    if (!w)
        return false;
    log(QStringLiteral("minimize %1").arg(w->title));
    w->minimized = true;
    return true;
}

bool VirtualWindows::unminimizeWindow(WindowId window)
{
    std::lock_guard lock(m_mutex);
    Window* w = find(window);
    if (!w)
        return false;
    log(QStringLiteral("unminimize %1").arg(w->title));
    w->minimized = false;
    return true;
}

bool VirtualWindows::closeWindow(WindowId window)
{
    std::lock_guard lock(m_mutex);
    Window* w = find(window);
    if (!w)
        return false;
    log(QStringLiteral("close %1").arg(w->title));
    m_windows.remove(window);
    m_stack.removeAll(window);
    return true;
}

bool VirtualWindows::activateWindow(WindowId window)
{
    qint64 pid = 0;
    {
        std::lock_guard lock(m_mutex);
        Window* w = find(window);
        if (!w)
            return false;
        log(QStringLiteral("activate %1").arg(w->title));
        w->minimized = false;
        m_stack.removeAll(window);
        m_stack.append(window);
        pid = w->pid;
    }
    m_workspace.userActivates(pid);
    return true;
}

bool VirtualWindows::lowerWindow(WindowId window)
{
    std::lock_guard lock(m_mutex);
    Window* w = find(window);
    if (!w)
        return false;
    log(QStringLiteral("lower %1").arg(w->title));
    m_stack.removeAll(window);
    m_stack.prepend(window);
    return true;
}

bool VirtualWindows::scrollWindow(WindowId window, Orientation orientation, bool pages, int count)
{
    std::lock_guard lock(m_mutex);
    Window* w = find(window);
    if (!w)
        return false;
    log(QStringLiteral("scroll %1 %2 %3 %4")
            .arg(w->title, orientationName(orientation), pages ? QStringLiteral("pages") : QStringLiteral("lines"))
            .arg(count));
    const auto bar = w->bars.find(int(orientation));
    if (bar == w->bars.end())
        return false;
    bar->position = std::clamp(bar->position + count * (pages ? bar->pageStep : bar->lineStep), 0.0, 1.0);
    return true;
}

std::optional<double> VirtualWindows::scrollPosition(WindowId window, Orientation orientation)
{
    std::lock_guard lock(m_mutex);
    const Window* w = find(window);
    if (!w || !w->bars.contains(int(orientation)))
        return std::nullopt;
    return w->bars.value(int(orientation)).position;
}

bool VirtualWindows::setScrollPosition(WindowId window, Orientation orientation, double position)
{
    std::lock_guard lock(m_mutex);
    Window* w = find(window);
    if (!w)
        return false;
    log(QStringLiteral("scroll-to %1 %2 %3").arg(w->title, orientationName(orientation)).arg(position));
    const auto bar = w->bars.find(int(orientation));
    if (bar == w->bars.end())
        return false;
    bar->position = std::clamp(position, 0.0, 1.0);
    return true;
}

QRect VirtualWindows::mainScreenFrame()
{
    std::lock_guard lock(m_mutex);
    return m_screen;
}

VirtualWindows::WindowId VirtualWindows::userOpensWindow(qint64 pid, const QString& title, const QRect& frame, WindowId owner)
{
    std::lock_guard lock(m_mutex);
    const WindowId id = m_next++;
    Window w;
    w.pid = pid;
    w.title = title;
    w.frame = frame;
    w.owner = owner;
    m_windows.insert(id, w);
    m_stack.append(id);
    return id;
}

void VirtualWindows::userClosesWindow(WindowId window)
{
    std::lock_guard lock(m_mutex);
    m_windows.remove(window);
    m_stack.removeAll(window);
}

void VirtualWindows::setMinimized(WindowId window, bool minimized)
{
    std::lock_guard lock(m_mutex);
    if (Window* w = find(window))
        w->minimized = minimized;
}

void VirtualWindows::setRefusesChanges(WindowId window, bool refuses)
{
    std::lock_guard lock(m_mutex);
    if (Window* w = find(window))
        w->refuses = refuses;
}

void VirtualWindows::setScrollBar(WindowId window, Orientation orientation, double position, double lineStep,
                                  double pageStep)
{
    std::lock_guard lock(m_mutex);
    if (Window* w = find(window))
        w->bars.insert(int(orientation), Bar{position, lineStep, pageStep});
}

void VirtualWindows::setMainScreenFrame(const QRect& frame)
{
    std::lock_guard lock(m_mutex);
    m_screen = frame;
}

QList<VirtualWindows::WindowId> VirtualWindows::stack() const
{
    std::lock_guard lock(m_mutex);
    return m_stack;
}

bool VirtualWindows::isMaximized(WindowId window) const
{
    std::lock_guard lock(m_mutex);
    const auto it = m_windows.constFind(window);
    return it != m_windows.cend() && it->maximized;
}

QStringList VirtualWindows::requests() const
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

void VirtualWindows::clearRequests()
{
    std::lock_guard lock(m_mutex);
    m_requests.clear();
}

} // namespace zelk
