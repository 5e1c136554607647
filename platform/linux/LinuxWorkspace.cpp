#include "LinuxWorkspace.h"

#include "Bundle.h"
#include "DesktopEntries.h"
#include "Log.h"
#include "ObserverList.h"
#include "UserTerminal.h"
#include "X11Support.h"
#include "XSession.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QProcess>
#include <QSet>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <mutex>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <csignal>
#include <dirent.h>
#include <unistd.h>

namespace zelk {

using x11::listProperty;

namespace {

// --- /proc

QString executableOf(qint64 pid)
{
    char buffer[4096];
    const QByteArray link = "/proc/" + QByteArray::number(pid) + "/exe";
    const ssize_t n = ::readlink(link.constData(), buffer, sizeof buffer - 1);
    if (n <= 0)
        return {};
    QString exe = QFile::decodeName(QByteArray(buffer, int(n)));
    if (exe.endsWith(" (deleted)")) // replaced by an update while it runs
        exe.chop(10);
    return exe;
}

QStringList argumentsOf(qint64 pid)
{
    QFile file("/proc/" + QString::number(pid) + "/cmdline");
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList args;
    for (const QByteArray& a : file.readAll().split('\0'))
        args << QFile::decodeName(a);
    if (!args.isEmpty() && args.last().isEmpty())
        args.removeLast();
    return args;
}

QList<qint64> processIds()
{
    QList<qint64> pids;
    DIR* dir = ::opendir("/proc");
    if (!dir)
        return pids;
    while (const dirent* e = ::readdir(dir)) {
        char* end = nullptr;
        const long long pid = std::strtoll(e->d_name, &end, 10);
        if (end && *end == '\0' && pid > 0)
            pids << pid;
    }
    ::closedir(dir);
    return pids;
}

// The X display a DISPLAY value names, its screen left out (":0.0" and
// "unix:0" are ":0").
QByteArray displayOf(QByteArray value)
{
    const qsizetype colon = value.lastIndexOf(':');
    if (colon < 0)
        return {};
    QByteArray host = value.left(colon), number = value.mid(colon + 1);
    if (const qsizetype dot = number.indexOf('.'); dot >= 0)
        number.truncate(dot);
    if (host == "unix" || host == "localhost")
        host.clear();
    return host + ':' + number;
}

// Is the process on our X display? A windowless program belongs to the
// desktop it was started on: another display's (another session, a test's
// private server) is not running here. Unreadable means another user's.
bool isOnOurDisplay(qint64 pid)
{
    const QByteArray ours = displayOf(qgetenv("DISPLAY"));
    if (ours.isEmpty())
        return true;
    QFile file("/proc/" + QString::number(pid) + "/environ");
    if (!file.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray& variable : file.readAll().split('\0')) {
        if (variable.startsWith("DISPLAY="))
            return displayOf(variable.mid(8)) == ours;
    }
    return false;
}

// Never this process, init or the kernel's, and no number that pid_t
// would wrap into another process's.
bool isOthersProcess(qint64 pid)
{
    return pid > 1 && pid <= std::numeric_limits<pid_t>::max() && pid != qint64(::getpid());
}

// Does a WM_CLIENT_MACHINE name this machine? A short name stands for the
// full one of the same host.
bool isThisHost(const QString& machine)
{
    char buffer[256] = {};
    if (::gethostname(buffer, sizeof buffer - 1) != 0)
        return false;
    const QString host = QString::fromLocal8Bit(buffer);
    if (machine.compare(host, Qt::CaseInsensitive) == 0 || machine.compare("localhost", Qt::CaseInsensitive) == 0)
        return true;
    if (!machine.contains('.') || !host.contains('.'))
        return machine.section('.', 0, 0).compare(host.section('.', 0, 0), Qt::CaseInsensitive) == 0;
    return false;
}

// The .app around an executable in <x>.app/Contents/MacOS/.
QString bundleOf(const QString& executable)
{
    const qsizetype at = executable.lastIndexOf(".app/Contents/MacOS/");
    if (at < 0 || executable.indexOf('/', at + 20) >= 0)
        return {};
    return executable.left(at + 4);
}

// --- windows

struct WindowInfo {
    qint64 pid = 0;
    QString instance, windowClass;
    bool named = false;     // a class or a title
    bool transient = false;
    Window owner = 0;       // of a transient
};

enum AtomName {
    NetClientList, NetClientListStacking, NetActiveWindow, NetWmPid, NetWmState, NetWmStateHidden,
    NetSupportingWmCheck, NetWmName, WmState, WmProtocols, WmDeleteWindow, AtomCount
};

constexpr const char* kAtomNames[AtomCount] = {
    "_NET_CLIENT_LIST", "_NET_CLIENT_LIST_STACKING", "_NET_ACTIVE_WINDOW", "_NET_WM_PID", "_NET_WM_STATE",
    "_NET_WM_STATE_HIDDEN", "_NET_SUPPORTING_WM_CHECK", "_NET_WM_NAME", "WM_STATE", "WM_PROTOCOLS", "WM_DELETE_WINDOW",
};

} // namespace

struct LinuxWorkspace::Private {
    std::shared_ptr<XSession> session;
    int listener = 0;
    std::unique_ptr<QObject> context = std::make_unique<QObject>();
    DesktopEntries entries;
    ObserverList<const RunningApplication&, bool> appObservers{[this] { observersChanged(); }};       // all programs
    ObserverList<const RunningApplication&, bool> windowAppObservers{[this] { observersChanged(); }}; // with windows
    ObserverList<const std::optional<RunningApplication>&> frontObservers{[this] { observersChanged(); }};

    // With the session's lock:
    Atom atoms[AtomCount] = {};
    QHash<Window, WindowInfo> windows;
    QHash<qint64, std::pair<QString, std::optional<RunningApplication>>> processes; // pid -> executable, background app
    bool watchingApps = false;
    bool watchingBackground = false; // `known` holds programs without windows too
    QMap<qint64, RunningApplication> known; // as the application observers last heard
    bool watchingFront = false;
    Window frontWindow = 0;                 // the last window that counted
    QSet<Window> selected;                  // windows whose events we asked for

    QTimer* poll = nullptr; // main thread

    std::mutex launchedMutex;
    QList<std::pair<QString, QDateTime>> launched; // path, when: what launchApplication started

    Display* prepare(XSession::Lock& lock);
    bool hasWindowManager(Display* display);
    QList<Window> clientWindows(Display* display, bool wm, bool stacking = false);
    WindowInfo info(Display* display, Window window);
    bool isHidden(Display* display, Window window, bool wm);
    RunningApplication describe(qint64 pid, const WindowInfo* window);
    QMap<qint64, RunningApplication> snapshot(Display* display, bool withHidden, bool withBackground = true);
    Window activeWindow(Display* display, bool wm);
    Window effectiveFront(Display* display, bool wm);
    QList<Window> windowsOf(Display* display, qint64 pid, bool wm);
    // A process's windows on the locked connection (no display: none).
    struct ProcessWindows {
        Display* display = nullptr;
        bool wm = false;
        QList<Window> list;
    };
    ProcessWindows windowsOf(XSession::Lock& lock, qint64 pid);
    void selectWindow(Display* display, Window window, long mask);
    void selectTopLevels(Display* display);

    void observersChanged();
    void watch(Display* display);
    void updateApplications();
    void updateFront(bool force);
    void received(const XEvent& event);
};

LinuxWorkspace::LinuxWorkspace(std::shared_ptr<XSession> session) : d(std::make_unique<Private>())
{
    d->session = std::move(session);
    if (QCoreApplication* app = QCoreApplication::instance())
        d->context->moveToThread(app->thread());
    d->listener = d->session->addListener([p = d.get()](const XEvent& event) { p->received(event); });
}

LinuxWorkspace::~LinuxWorkspace()
{
    d->session->removeListener(d->listener);
    d->context.reset();
}

Display* LinuxWorkspace::Private::prepare(XSession::Lock& lock)
{
    Display* display = lock.display();
    if (display && !atoms[0])
        XInternAtoms(display, const_cast<char**>(kAtomNames), AtomCount, False, atoms);
    return display;
}

// A window manager that follows EWMH shows itself on the root window.
bool LinuxWorkspace::Private::hasWindowManager(Display* display)
{
    const Window root = session->root();
    const QList<unsigned long> check = listProperty(display, root, atoms[NetSupportingWmCheck], XA_WINDOW);
    if (check.isEmpty())
        return false;
    const QList<unsigned long> self = listProperty(display, check[0], atoms[NetSupportingWmCheck], XA_WINDOW);
    return !self.isEmpty() && self[0] == check[0];
}

QList<Window> LinuxWorkspace::Private::clientWindows(Display* display, bool wm, bool stacking)
{
    QList<Window> list;
    if (wm) {
        for (unsigned long w : listProperty(display, session->root(), atoms[stacking ? NetClientListStacking : NetClientList], XA_WINDOW))
            list << Window(w);
    } else {
        // No window manager: the root's children that name themselves.
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        if (XQueryTree(display, session->root(), &root, &parent, &children, &count)) {
            for (unsigned i = 0; i < count; ++i) {
                if (info(display, children[i]).named)
                    list << children[i];
            }
            if (children)
                XFree(children);
        }
    }
    // Forget the windows that went.
    const QSet<Window> present(list.begin(), list.end());
    windows.removeIf([&](const auto& it) { return !present.contains(it.key()); });
    if (!wm)
        selected.removeIf([&](Window w) { return !present.contains(w); });
    return list;
}

WindowInfo LinuxWorkspace::Private::info(Display* display, Window window)
{
    if (auto it = windows.constFind(window); it != windows.cend())
        return *it;
    WindowInfo wi;
    const QList<unsigned long> pid = listProperty(display, window, atoms[NetWmPid], XA_CARDINAL);
    wi.pid = pid.isEmpty() ? 0 : qint64(pid[0]);
    XClassHint hint{nullptr, nullptr};
    if (XGetClassHint(display, window, &hint)) {
        wi.instance = QString::fromLocal8Bit(hint.res_name);
        wi.windowClass = QString::fromLocal8Bit(hint.res_class);
        XFree(hint.res_name);
        XFree(hint.res_class);
    }
    wi.named = !wi.instance.isEmpty() || !wi.windowClass.isEmpty();
    if (!wi.named) {
        char* name = nullptr;
        if (XFetchName(display, window, &name) && name) {
            wi.named = name[0] != '\0';
            XFree(name);
        }
    }
    Window owner = 0;
    if (XGetTransientForHint(display, window, &owner)) {
        wi.transient = true;
        wi.owner = owner == session->root() ? 0 : owner;
    }
    // A window still being set up (seen before its names or pid) is read again.
    if (wi.named && wi.pid > 0)
        windows.insert(window, wi);
    return wi;
}

bool LinuxWorkspace::Private::isHidden(Display* display, Window window, bool wm)
{
    if (!wm) {
        XWindowAttributes attributes;
        return !XGetWindowAttributes(display, window, &attributes) || attributes.map_state != IsViewable;
    }
    if (listProperty(display, window, atoms[NetWmState], XA_ATOM).contains(atoms[NetWmStateHidden]))
        return true;
    const QList<unsigned long> state = listProperty(display, window, atoms[WmState], atoms[WmState]);
    return !state.isEmpty() && state[0] == IconicState;
}

RunningApplication LinuxWorkspace::Private::describe(qint64 pid, const WindowInfo* window)
{
    RunningApplication app;
    app.pid = pid;
    const QString executable = executableOf(pid);
    if (const QString bundle = bundleOf(executable); !bundle.isEmpty()) {
        app.name = QFileInfo(bundle).fileName();
        app.path = bundle;
        app.displayName = app.name.chopped(4);
        return app;
    }
    const QStringList arguments = argumentsOf(pid);
    std::optional<DesktopEntry> entry;
    if (window)
        entry = entries.forWindowClass(window->instance, window->windowClass);
    if (!entry)
        entry = entries.forProgram(executable, arguments);
    if (entry) {
        app.name = QFileInfo(entry->path).fileName();
        app.path = entry->path;
        app.displayName = entry->name;
        return app;
    }
    // Another user's process hides its executable but not its arguments.
    app.path = !executable.isEmpty() ? executable : arguments.value(0);
    app.name = QFileInfo(app.path).fileName();
    if (app.name.isEmpty() && window)
        app.name = window->windowClass;
    app.displayName = app.name;
    return app;
}

QMap<qint64, RunningApplication> LinuxWorkspace::Private::snapshot(Display* display, bool withHidden, bool withBackground)
{
    QMap<qint64, RunningApplication> apps;
    const bool wm = hasWindowManager(display);
    QMap<qint64, QList<Window>> byPid;
    for (Window w : clientWindows(display, wm)) {
        const WindowInfo& wi = info(display, w);
        if (wi.pid > 0 && wi.named)
            byPid[wi.pid] << w;
    }
    for (auto it = byPid.cbegin(); it != byPid.cend(); ++it) {
        // Named after its first window of its own (not a dialog).
        const QList<Window>& list = *it;
        const auto main = std::find_if(list.begin(), list.end(), [&](Window w) { return !info(display, w).transient; });
        const Window first = main != list.end() ? *main : list.first();
        const WindowInfo firstInfo = info(display, first);
        RunningApplication app = describe(it.key(), &firstInfo);
        if (withHidden)
            app.hidden = std::all_of(list.begin(), list.end(), [&](Window w) { return isHidden(display, w, wm); });
        apps.insert(it.key(), app);
    }

    if (!withBackground)
        return apps;
    // Windowless processes of known programs. Reading each process's
    // executable link is what keeps this cheap enough for a poll.
    QHash<qint64, std::pair<QString, std::optional<RunningApplication>>> seen;
    for (qint64 pid : processIds()) {
        if (apps.contains(pid))
            continue;
        const QString executable = executableOf(pid);
        if (executable.isEmpty())
            continue;
        auto cached = processes.constFind(pid);
        std::optional<RunningApplication> app;
        if (cached != processes.cend() && cached->first == executable) {
            app = cached->second;
        } else {
            const bool bundle = !bundleOf(executable).isEmpty();
            if ((bundle || entries.forProgram(executable, argumentsOf(pid))) && isOnOurDisplay(pid)) {
                app = describe(pid, nullptr);
                app->background = true;
            }
        }
        seen.insert(pid, {executable, app});
        if (app)
            apps.insert(pid, *app);
    }
    processes = std::move(seen);
    return apps;
}

Window LinuxWorkspace::Private::activeWindow(Display* display, bool wm)
{
    if (wm) {
        const QList<unsigned long> active = listProperty(display, session->root(), atoms[NetActiveWindow], XA_WINDOW);
        return active.isEmpty() ? 0 : Window(active[0]);
    }
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    if (focus == None || focus == PointerRoot || focus == session->root())
        return 0;
    // Up to the top-level window, a child of the root.
    for (int depth = 0; depth < 64; ++depth) {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display, focus, &root, &parent, &children, &count))
            return 0;
        if (children)
            XFree(children);
        if (parent == root)
            return focus;
        focus = parent;
    }
    return 0;
}

Window LinuxWorkspace::Private::effectiveFront(Display* display, bool wm)
{
    Window window = activeWindow(display, wm);
    // A dialog stands for the window it belongs to.
    for (int hops = 0; window && hops < 8; ++hops) {
        const WindowInfo& wi = info(display, window);
        if (!wi.named || wi.pid <= 0) {
            window = 0;
            break;
        }
        if (!wi.transient)
            break;
        window = wi.owner;
    }
    if (window && !info(display, window).transient)
        return window;
    // A window that doesn't count leaves the front as it was, while that lives.
    if (frontWindow && clientWindows(display, wm).contains(frontWindow))
        return frontWindow;
    return 0;
}

QList<Window> LinuxWorkspace::Private::windowsOf(Display* display, qint64 pid, bool wm)
{
    QList<Window> list;
    for (Window w : clientWindows(display, wm, true)) {
        const WindowInfo& wi = info(display, w);
        if (wi.pid == pid && wi.named)
            list << w;
    }
    return list; // bottom to top when the window manager tells the stacking
}

LinuxWorkspace::Private::ProcessWindows LinuxWorkspace::Private::windowsOf(XSession::Lock& lock, qint64 pid)
{
    ProcessWindows windows;
    windows.display = prepare(lock);
    if (windows.display) {
        windows.wm = hasWindowManager(windows.display);
        windows.list = windowsOf(windows.display, pid, windows.wm);
    }
    return windows;
}

void LinuxWorkspace::Private::selectWindow(Display* display, Window window, long mask)
{
    XSelectInput(display, window, mask);
    if (mask)
        selected.insert(window);
    else
        selected.remove(window);
}

// Without a window manager nobody announces the active window or the
// window list: every top-level window tells its focus and names itself.
void LinuxWorkspace::Private::selectTopLevels(Display* display)
{
    for (Window w : clientWindows(display, false)) {
        if (!selected.contains(w))
            selectWindow(display, w, FocusChangeMask | PropertyChangeMask);
    }
}

std::optional<RunningApplication> LinuxWorkspace::frontApplication()
{
    XSession::Lock lock(*d->session);
    Display* display = d->prepare(lock);
    if (!display)
        return std::nullopt;
    const Window window = d->effectiveFront(display, d->hasWindowManager(display));
    if (!window)
        return std::nullopt;
    const WindowInfo wi = d->info(display, window);
    return d->describe(wi.pid, &wi);
}

bool LinuxWorkspace::canReadWindows()
{
    XSession::Lock lock(*d->session);
    return d->prepare(lock) != nullptr;
}

std::optional<FocusedWindow> LinuxWorkspace::focusedWindow()
{
    XSession::Lock lock(*d->session);
    Display* display = d->prepare(lock);
    if (!display)
        return std::nullopt;
    const Window window = d->effectiveFront(display, d->hasWindowManager(display));
    if (!window)
        return std::nullopt;
    FocusedWindow focused;
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, d->atoms[NetWmName], 0, 4096, False, utf8, &type, &format, &count, &after,
                           &data) == Success
        && data && type == utf8 && format == 8) {
        focused.title = QString::fromUtf8(reinterpret_cast<const char*>(data), int(count));
        focused.hasTitle = true;
    }
    if (data)
        XFree(data);
    if (!focused.hasTitle) {
        char* name = nullptr;
        if (XFetchName(display, window, &name) && name) {
            focused.title = QString::fromLocal8Bit(name);
            focused.hasTitle = true;
            XFree(name);
        }
    }
    x11::takeError(display); // a window gone meanwhile answers what was read
    return focused;
}

LinuxWorkspace::FrontWindows LinuxWorkspace::frontWindows(XSession::Lock& lock)
{
    FrontWindows front;
    Display* display = d->prepare(lock);
    if (!display)
        return front;
    front.windowManager = d->hasWindowManager(display);
    front.main = d->effectiveFront(display, front.windowManager);
    if (!front.main)
        return front;
    const qint64 pid = d->info(display, front.main).pid;
    for (Window w : d->windowsOf(display, pid, front.windowManager))
        front.all << w;
    const Window active = d->activeWindow(display, front.windowManager);
    front.focused = front.all.contains(active) ? active : front.main;
    x11::takeError(display);
    return front;
}

QList<RunningApplication> LinuxWorkspace::runningApplications()
{
    XSession::Lock lock(*d->session);
    Display* display = d->prepare(lock);
    if (!display)
        return {};
    return d->snapshot(display, true).values();
}

qint64 LinuxWorkspace::ownPid() const { return qint64(::getpid()); }

bool LinuxWorkspace::launchApplication(const QString& path, const QStringList& documents, qint64* pid)
{
    if (pid)
        *pid = 0;
    QList<QStringList> lines;
    QString workingDir;
    const QFileInfo file(path);
    if (path.endsWith(".desktop")) {
        const std::optional<DesktopEntry> entry = DesktopEntries::read(path);
        if (!entry) {
            zlog("LinuxWorkspace", "launchApplication") << "not an application entry:" << path;
            return false;
        }
        lines = DesktopEntries::commandLines(*entry, documents);
        workingDir = entry->workingDir;
        // Without a terminal such a program runs where nobody sees it.
        if (entry->terminal && !lines.isEmpty()) {
            const QString terminal = terminalApplication();
            for (QStringList& line : lines)
                line = UserTerminal::commandLine(terminal, line);
            lines.removeIf([](const QStringList& l) { return l.isEmpty(); });
            if (lines.isEmpty()) {
                zlog("LinuxWorkspace", "launchApplication") << "no terminal to run" << path << "in";
                return false;
            }
        }
    } else if (file.isDir() && path.endsWith(".app")) {
        lines << (QStringList{Bundle::atPath(path).executablePath()} + documents);
    } else if (file.isFile() && file.isExecutable()) {
        lines << (QStringList{file.absoluteFilePath()} + documents);
    }
    if (lines.isEmpty()) {
        zlog("LinuxWorkspace", "launchApplication") << "nothing to start in" << path;
        return false;
    }
    bool ok = true;
    for (const QStringList& line : std::as_const(lines)) {
        qint64 started = 0;
        if (!QProcess::startDetached(line.first(), line.mid(1), workingDir, &started)) {
            zlog("LinuxWorkspace", "launchApplication") << "could not start" << line.first() << "for" << path;
            ok = false;
        } else if (pid && !*pid) {
            *pid = started;
        }
    }
    if (ok) {
        std::lock_guard lock(d->launchedMutex);
        d->launched.removeIf([&path](const auto& l) { return l.first == path; });
        d->launched.append({path, QDateTime::currentDateTimeUtc()});
        if (d->launched.size() > kRecentApplications)
            d->launched.removeFirst();
    }
    return ok;
}

QString LinuxWorkspace::terminalApplication() { return UserTerminal::find(d->entries); }

QStringList LinuxWorkspace::recentApplications()
{
    QList<std::pair<QString, QDateTime>> uses;
    {
        std::lock_guard lock(d->launchedMutex);
        uses = d->launched;
    }
    for (const RecentUse& use : DesktopEntries::readRecentlyUsed(DesktopEntries::recentlyUsedPath())) {
        if (const std::optional<DesktopEntry> entry = d->entries.forRecentUse(use))
            uses.append({entry->path, use.modified});
    }
    std::stable_sort(uses.begin(), uses.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
    QStringList paths;
    for (const auto& use : std::as_const(uses)) {
        if (!paths.contains(use.first))
            paths << use.first;
        if (paths.size() == kRecentApplications)
            break;
    }
    return paths;
}

bool LinuxWorkspace::openPath(const QString& pathOrUrl)
{
    const bool ok = QProcess::startDetached("xdg-open", {pathOrUrl});
    if (!ok)
        zlog("LinuxWorkspace", "openPath") << "could not open" << pathOrUrl;
    return ok;
}

bool LinuxWorkspace::activate(qint64 pid)
{
    XSession::Lock lock(*d->session);
    const auto [display, wm, list] = d->windowsOf(lock, pid);
    if (!display)
        return false;
    // Copied: clang before 16 cannot capture a structured binding.
    const auto top = std::find_if(list.rbegin(), list.rend(), [&, x = display](Window w) { return !d->info(x, w).transient; });
    if (top == list.rend())
        return false;
    if (!activateWindow(lock, *top)) {
        zlog("LinuxWorkspace", "activate") << "could not activate" << pid;
        return false;
    }
    return true;
}

bool LinuxWorkspace::activateWindow(XSession::Lock& lock, unsigned long window)
{
    Display* display = d->prepare(lock);
    if (!display)
        return false;
    const bool wm = d->hasWindowManager(display);
    d->session->clearErrors();
    if (wm) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = d->atoms[NetActiveWindow];
        event.xclient.format = 32;
        event.xclient.data.l[0] = 2; // a pager: the user asked for it
        event.xclient.data.l[1] = CurrentTime;
        event.xclient.data.l[2] = long(d->activeWindow(display, wm));
        XSendEvent(display, d->session->root(), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    } else {
        XMapRaised(display, window);
        XSetInputFocus(display, window, RevertToParent, CurrentTime);
    }
    if (const int error = d->session->sync()) {
        zlog("LinuxWorkspace", "activateWindow") << "X error" << error << "for window" << window;
        return false;
    }
    return true;
}

bool LinuxWorkspace::hasWindowManager(XSession::Lock& lock)
{
    Display* display = d->prepare(lock);
    return display && d->hasWindowManager(display);
}

bool LinuxWorkspace::isWindowHidden(XSession::Lock& lock, unsigned long window)
{
    Display* display = d->prepare(lock);
    return display && d->isHidden(display, window, d->hasWindowManager(display));
}

bool LinuxWorkspace::hide(qint64 pid)
{
    XSession::Lock lock(*d->session);
    const auto [display, wm, list] = d->windowsOf(lock, pid);
    if (!display)
        return false;
    for (Window w : list) {
        // Without a window manager nobody iconifies: the window goes.
        if (wm)
            XIconifyWindow(display, w, DefaultScreen(display));
        else
            XUnmapWindow(display, w);
    }
    d->session->sync();
    return !list.isEmpty();
}

bool LinuxWorkspace::unhide(qint64 pid)
{
    XSession::Lock lock(*d->session);
    const auto [display, wm, list] = d->windowsOf(lock, pid);
    if (!display)
        return false;
    // A map request brings an iconified window back (ICCCM).
    for (Window w : list) {
        if (d->isHidden(display, w, wm))
            XMapWindow(display, w);
    }
    d->session->sync();
    return !list.isEmpty();
}

bool LinuxWorkspace::quit(qint64 pid)
{
    if (!isOthersProcess(pid))
        return false;
    XSession::Lock lock(*d->session);
    bool asked = false;
    if (Display* display = d->prepare(lock)) {
        for (Window w : d->windowsOf(display, pid, d->hasWindowManager(display))) {
            Atom* protocols = nullptr;
            int count = 0;
            bool takesDelete = false;
            if (XGetWMProtocols(display, w, &protocols, &count)) {
                takesDelete = std::find(protocols, protocols + count, d->atoms[WmDeleteWindow]) != protocols + count;
                XFree(protocols);
            }
            if (!takesDelete)
                continue;
            XEvent event{};
            event.xclient.type = ClientMessage;
            event.xclient.window = w;
            event.xclient.message_type = d->atoms[WmProtocols];
            event.xclient.format = 32;
            event.xclient.data.l[0] = long(d->atoms[WmDeleteWindow]);
            event.xclient.data.l[1] = CurrentTime;
            XSendEvent(display, w, False, NoEventMask, &event);
            asked = true;
        }
        d->session->sync();
    }
    return asked || terminate(pid, false);
}

bool LinuxWorkspace::terminate(qint64 pid, bool force)
{
    if (!isOthersProcess(pid))
        return false;
    // _NET_WM_PID counts on the machine the client runs on: the pid of a
    // window shown here from another host is some other process of ours.
    {
        XSession::Lock lock(*d->session);
        const auto [display, wm, list] = d->windowsOf(lock, pid);
        for (Window w : list) {
            XTextProperty machine{};
            if (!XGetWMClientMachine(display, w, &machine) || !machine.value)
                continue;
            const QString name = QString::fromLocal8Bit(reinterpret_cast<const char*>(machine.value), int(machine.nitems));
            XFree(machine.value);
            if (!isThisHost(name)) {
                zlog("LinuxWorkspace", "terminate") << "not signalling" << pid << ": its window" << w << "belongs to" << name;
                return false;
            }
        }
    }
    if (::kill(pid_t(pid), force ? SIGKILL : SIGTERM) != 0) {
        zlog("LinuxWorkspace", "terminate") << "cannot signal" << pid << ":" << strerror(errno);
        return false;
    }
    return true;
}

ObserverHandle LinuxWorkspace::observeApplications(std::function<void(const RunningApplication&, bool)> observer, Programs programs)
{
    ObserverHandle handle = (programs == Programs::All ? d->appObservers : d->windowAppObservers).add(std::move(observer));
    XSession::Lock lock(*d->session);
    if (Display* display = d->prepare(lock))
        d->watch(display);
    return handle;
}

ObserverHandle LinuxWorkspace::observeFrontApplication(std::function<void(const std::optional<RunningApplication>&)> observer)
{
    ObserverHandle handle = d->frontObservers.add(std::move(observer));
    XSession::Lock lock(*d->session);
    if (Display* display = d->prepare(lock))
        d->watch(display);
    return handle;
}

bool LinuxWorkspace::pollsProcessList() const { return d->poll && d->poll->isActive(); }

void LinuxWorkspace::Private::observersChanged()
{
    // Called where an observer came or went, maybe inside a delivery.
    if (!context)
        return;
    QMetaObject::invokeMethod(
        context.get(), [this] {
            XSession::Lock lock(*session);
            if (Display* display = prepare(lock))
                watch(display);
        },
        Qt::QueuedConnection);
}

// Starts and stops listening to match the observers. The state observers
// are told against is taken at once, so that nothing that happens after an
// observer came is missed.
void LinuxWorkspace::Private::watch(Display* display)
{
    const bool background = appObservers.any();
    const bool apps = background || windowAppObservers.any(), front = frontObservers.any();
    const bool wm = hasWindowManager(display);
    if (apps || front) {
        session->selectRootEvents(PropertyChangeMask | (wm ? 0 : SubstructureNotifyMask));
        if (!wm)
            selectTopLevels(display);
    }
    if (apps && (!watchingApps || background != watchingBackground)) {
        // Taken again when programs without windows join or leave it, so
        // that they are not announced as launched or quit.
        known = snapshot(display, false, background);
        watchingApps = true;
        watchingBackground = background;
    } else if (!apps && watchingApps) {
        watchingApps = false;
        known.clear();
    }
    if (front && !watchingFront) {
        frontWindow = effectiveFront(display, wm);
        if (wm && frontWindow)
            selectWindow(display, frontWindow, PropertyChangeMask);
        watchingFront = true;
    } else if (!front && watchingFront) {
        watchingFront = false;
    }
    session->sync();

    // The poll: on the main thread, only while programs without windows are observed.
    XSession::onMainThread(context.get(), [this] {
        const bool on = appObservers.any();
        if (on && !poll) {
            poll = new QTimer(context.get());
            poll->setInterval(kPollMilliseconds);
            QObject::connect(poll, &QTimer::timeout, context.get(), [this] { updateApplications(); });
        }
        if (poll && on != poll->isActive()) {
            if (on)
                poll->start();
            else
                poll->stop();
        }
    });
}

void LinuxWorkspace::Private::updateApplications()
{
    QList<RunningApplication> launched, quit;
    {
        XSession::Lock lock(*session);
        Display* display = prepare(lock);
        if (!display || !watchingApps)
            return;
        const QMap<qint64, RunningApplication> now = snapshot(display, false, watchingBackground);
        for (auto it = known.cbegin(); it != known.cend(); ++it) {
            if (!now.contains(it.key()))
                quit << *it;
        }
        for (auto it = now.cbegin(); it != now.cend(); ++it) {
            if (!known.contains(it.key()))
                launched << *it;
        }
        known = now;
    }
    for (const auto& [apps, launches] : {std::pair{&quit, false}, std::pair{&launched, true}}) {
        for (const RunningApplication& app : std::as_const(*apps)) {
            appObservers.notify(app, launches);
            if (!app.background)
                windowAppObservers.notify(app, launches);
        }
    }
}

void LinuxWorkspace::Private::updateFront(bool force)
{
    std::optional<RunningApplication> front;
    {
        XSession::Lock lock(*session);
        Display* display = prepare(lock);
        if (!display || !watchingFront)
            return;
        const bool wm = hasWindowManager(display);
        const Window window = effectiveFront(display, wm);
        if (window == frontWindow && !force)
            return;
        if (window != frontWindow && wm) {
            if (frontWindow)
                selectWindow(display, frontWindow, NoEventMask);
            if (window)
                selectWindow(display, window, PropertyChangeMask);
        }
        frontWindow = window;
        if (window) {
            const WindowInfo wi = info(display, window);
            front = describe(wi.pid, &wi);
        }
        session->sync();
    }
    frontObservers.notify(front);
}

void LinuxWorkspace::Private::received(const XEvent& event)
{
    if (!appObservers.any() && !windowAppObservers.any() && !frontObservers.any())
        return;
    const Window root = session->root();
    switch (event.type) {
    case PropertyNotify: {
        const Atom atom = event.xproperty.atom;
        if (event.xproperty.window == root) {
            if (atom == atoms[NetClientList] || atom == atoms[NetSupportingWmCheck])
                updateApplications();
            if (atom == atoms[NetActiveWindow] || atom == atoms[NetSupportingWmCheck])
                updateFront(false);
            return;
        }
        if (atom != XA_WM_CLASS && atom != XA_WM_NAME && atom != atoms[NetWmName])
            return;
        bool isFront = false;
        {
            XSession::Lock lock(*session);
            windows.remove(event.xproperty.window); // read its names again
            isFront = event.xproperty.window == frontWindow;
        }
        // A window that names itself late may become the front only now.
        updateFront(isFront);
        return;
    }
    case FocusIn:
        updateFront(false);
        return;
    case MapNotify:
    case UnmapNotify:
    case DestroyNotify:
    case ReparentNotify:
        if (event.xany.window == root) {
            {
                XSession::Lock lock(*session);
                if (Display* display = prepare(lock); display && !hasWindowManager(display))
                    selectTopLevels(display);
            }
            updateApplications();
            updateFront(false);
        }
        return;
    default:
        return;
    }
}

} // namespace zelk
