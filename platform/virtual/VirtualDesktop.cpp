#include "VirtualDesktop.h"

#include "ChildProcesses.h"

#include <QFileInfo>
#include <algorithm>

namespace zelk {

// --- hot keys

int VirtualHotKeys::registerHotKey(quint32 code, quint64* ref)
{
    std::lock_guard lock(m_mutex);
    *ref = 0;
    if (m_elsewhere.contains(code))
        return ErrorGrabbedElsewhere;
    for (quint32 held : std::as_const(m_byRef))
        if (sameCombination(held, code))
            return ErrorAlreadyRegistered;
    *ref = m_nextRef++;
    m_byRef.insert(*ref, code);
    return 0;
}

void VirtualHotKeys::unregisterHotKey(quint64 ref)
{
    std::lock_guard lock(m_mutex);
    m_byRef.remove(ref);
}

void VirtualHotKeys::setHandler(Handler handler)
{
    std::lock_guard lock(m_mutex);
    m_handler = std::move(handler);
}

bool VirtualHotKeys::deliver(quint32 code, bool pressed)
{
    Handler handler;
    quint32 registered = 0;
    {
        std::lock_guard lock(m_mutex);
        const auto it = std::find_if(m_byRef.cbegin(), m_byRef.cend(), [code](quint32 c) { return sameCombination(c, code); });
        if (it == m_byRef.cend())
            return false;
        registered = *it;
        handler = m_handler;
    }
    // The press reports the code it was registered under.
    if (handler)
        handler(registered, pressed);
    return true;
}

bool VirtualHotKeys::userPresses(quint32 code) { return deliver(code, true); }
bool VirtualHotKeys::userReleases(quint32 code) { return deliver(code, false); }

bool VirtualHotKeys::isRegistered(quint32 code) const
{
    std::lock_guard lock(m_mutex);
    return std::any_of(m_byRef.cbegin(), m_byRef.cend(), [code](quint32 c) { return sameCombination(c, code); });
}

QList<quint32> VirtualHotKeys::registeredCodes() const
{
    std::lock_guard lock(m_mutex);
    QList<quint32> codes = m_byRef.values();
    std::sort(codes.begin(), codes.end());
    return codes;
}

void VirtualHotKeys::grabElsewhere(quint32 code, bool grabbed)
{
    std::lock_guard lock(m_mutex);
    if (grabbed)
        m_elsewhere.insert(code);
    else
        m_elsewhere.remove(code);
}

QList<quint32> VirtualHotKeys::desktopHotKeys()
{
    std::lock_guard lock(m_mutex);
    return m_desktopHotKeys;
}

void VirtualHotKeys::setDesktopHotKeys(const QList<quint32>& codes)
{
    std::lock_guard lock(m_mutex);
    m_desktopHotKeys = codes;
}

// --- workspace

namespace {
const char* const kAppsChanged = "apps";
const char* const kFrontChanged = "front";
} // namespace

VirtualWorkspace::VirtualWorkspace() = default;

RunningApplication* VirtualWorkspace::find(qint64 pid)
{
    for (auto& app : m_apps)
        if (app.pid == pid)
            return &app;
    return nullptr;
}

std::optional<RunningApplication> VirtualWorkspace::frontApplication()
{
    std::lock_guard lock(m_mutex);
    if (RunningApplication* app = find(m_front))
        return *app;
    return std::nullopt;
}

QList<RunningApplication> VirtualWorkspace::runningApplications()
{
    std::lock_guard lock(m_mutex);
    return m_apps;
}

qint64 VirtualWorkspace::firstShownPid() const
{
    for (const auto& a : m_apps)
        if (!a.background && !a.hidden)
            return a.pid;
    return 0;
}

void VirtualWorkspace::setFront(qint64 pid, std::unique_lock<std::mutex>& lock)
{
    if (m_front == pid)
        return;
    m_front = pid;
    std::optional<RunningApplication> front;
    if (RunningApplication* app = find(pid)) {
        app->hidden = false;
        front = *app;
    }
    lock.unlock();
    QVariantMap info;
    if (front)
        info.insert("pid", front->pid);
    m_center.post(kFrontChanged, nullptr, info);
    lock.lock();
}

void VirtualWorkspace::removeApp(qint64 pid, std::unique_lock<std::mutex>& lock)
{
    RunningApplication* app = find(pid);
    if (!app)
        return;
    const RunningApplication gone = *app;
    m_apps.removeIf([pid](const RunningApplication& a) { return a.pid == pid; });
    lock.unlock();
    m_center.post(kAppsChanged, nullptr,
                  {{"pid", gone.pid}, {"name", gone.name}, {"path", gone.path}, {"background", gone.background}, {"launched", false}});
    lock.lock();
    if (m_front == pid) {
        setFront(firstShownPid(), lock);
    }
}

qint64 VirtualWorkspace::userLaunches(const QString& name, const QString& path, bool background)
{
    std::unique_lock lock(m_mutex);
    RunningApplication app;
    app.pid = m_nextPid++;
    app.name = name;
    app.path = path.isEmpty() ? "/usr/share/applications/" + name : path;
    app.displayName = QFileInfo(name).completeBaseName();
    app.background = background;
    m_apps.append(app);
    lock.unlock();
    m_center.post(kAppsChanged, nullptr,
                  {{"pid", app.pid}, {"name", app.name}, {"path", app.path}, {"background", app.background}, {"launched", true}});
    lock.lock();
    if (!background)
        setFront(app.pid, lock);
    return app.pid;
}

void VirtualWorkspace::userQuits(qint64 pid)
{
    std::unique_lock lock(m_mutex);
    removeApp(pid, lock);
}

void VirtualWorkspace::userActivates(qint64 pid)
{
    std::unique_lock lock(m_mutex);
    if (find(pid))
        setFront(pid, lock);
}

qint64 VirtualWorkspace::pidOf(const QString& name) const
{
    std::lock_guard lock(m_mutex);
    for (const auto& app : m_apps)
        if (app.name == name)
            return app.pid;
    return 0;
}

QString VirtualWorkspace::terminalApplication()
{
    std::lock_guard lock(m_mutex);
    return m_terminal;
}

void VirtualWorkspace::setTerminalApplication(const QString& path)
{
    std::lock_guard lock(m_mutex);
    m_terminal = path;
}

void VirtualWorkspace::setRefusesToQuit(qint64 pid, bool refuses)
{
    std::lock_guard lock(m_mutex);
    if (refuses)
        m_refusing.insert(pid);
    else
        m_refusing.remove(pid);
}

QStringList VirtualWorkspace::requests() const
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

void VirtualWorkspace::clearRequests()
{
    std::lock_guard lock(m_mutex);
    m_requests.clear();
}

bool VirtualWorkspace::launchApplication(const QString& path, const QStringList& documents, qint64* pid)
{
    {
        std::lock_guard lock(m_mutex);
        m_requests.append(("launch " + path + " " + documents.join(' ')).trimmed());
        m_launched.removeAll(path);
        m_launched.prepend(path);
    }
    const qint64 p = userLaunches(QFileInfo(path).fileName(), path);
    if (pid)
        *pid = p;
    return true;
}

QStringList VirtualWorkspace::recentApplications()
{
    std::lock_guard lock(m_mutex);
    QStringList paths = m_launched;
    for (const QString& path : std::as_const(m_recentlyUsed))
        if (!paths.contains(path))
            paths << path;
    return paths.mid(0, kRecentApplications);
}

void VirtualWorkspace::setRecentlyUsed(const QStringList& paths)
{
    std::lock_guard lock(m_mutex);
    m_recentlyUsed = paths;
}

bool VirtualWorkspace::openPath(const QString& pathOrUrl)
{
    std::lock_guard lock(m_mutex);
    m_requests.append("open " + pathOrUrl);
    return true;
}

bool VirtualWorkspace::activate(qint64 pid)
{
    std::unique_lock lock(m_mutex);
    RunningApplication* app = find(pid);
    if (!app)
        return false;
    m_requests.append("activate " + app->name);
    setFront(pid, lock);
    return true;
}

bool VirtualWorkspace::hide(qint64 pid)
{
    std::unique_lock lock(m_mutex);
    RunningApplication* app = find(pid);
    if (!app)
        return false;
    m_requests.append("hide " + app->name);
    app->hidden = true;
    if (m_front == pid) {
        setFront(firstShownPid(), lock);
    }
    return true;
}

bool VirtualWorkspace::unhide(qint64 pid)
{
    std::lock_guard lock(m_mutex);
    RunningApplication* app = find(pid);
    if (!app)
        return false;
    m_requests.append("unhide " + app->name);
    app->hidden = false;
    return true;
}

bool VirtualWorkspace::quit(qint64 pid)
{
    std::unique_lock lock(m_mutex);
    RunningApplication* app = find(pid);
    if (!app)
        return false;
    m_requests.append("quit " + app->name);
    if (!m_refusing.contains(pid))
        removeApp(pid, lock);
    return true;
}

bool VirtualWorkspace::terminate(qint64 pid, bool force)
{
    std::unique_lock lock(m_mutex);
    RunningApplication* app = find(pid);
    if (!app)
        return false;
    m_requests.append((force ? "kill " : "terminate ") + app->name);
    if (force || !m_refusing.contains(pid))
        removeApp(pid, lock);
    return true;
}

ObserverHandle VirtualWorkspace::observeApplications(std::function<void(const RunningApplication&, bool)> observer, Programs programs)
{
    const bool all = programs == Programs::All;
    return m_center.addObserver(kAppsChanged, nullptr, [observer, all, token = m_applicationObserverTokens[all]](const Notification& n) {
        RunningApplication app;
        app.pid = n.userInfo.value("pid").toLongLong();
        app.name = n.userInfo.value("name").toString();
        app.path = n.userInfo.value("path").toString();
        app.displayName = QFileInfo(app.name).completeBaseName();
        app.background = n.userInfo.value("background").toBool();
        if (all || !app.background)
            observer(app, n.userInfo.value("launched").toBool());
    });
}

ObserverHandle VirtualWorkspace::observeFrontApplication(std::function<void(const std::optional<RunningApplication>&)> observer)
{
    return m_center.addObserver(kFrontChanged, nullptr, [this, observer](const Notification&) { observer(frontApplication()); });
}

bool VirtualWorkspace::canReadWindows()
{
    std::lock_guard lock(m_mutex);
    return m_windowsReadable;
}

std::optional<FocusedWindow> VirtualWorkspace::focusedWindow()
{
    std::lock_guard lock(m_mutex);
    if (!m_windowsReadable || !find(m_front))
        return std::nullopt;
    const auto it = m_windows.constFind(m_front);
    if (it == m_windows.cend())
        return std::nullopt;
    return *it;
}

void VirtualWorkspace::setFocusedWindow(qint64 pid, const std::optional<FocusedWindow>& window)
{
    std::lock_guard lock(m_mutex);
    if (window)
        m_windows.insert(pid, *window);
    else
        m_windows.remove(pid);
}

void VirtualWorkspace::setWindowsReadable(bool readable)
{
    std::lock_guard lock(m_mutex);
    m_windowsReadable = readable;
}

// --- processes

ProcessResult VirtualProcesses::run(const QString& program, const QStringList& arguments,
                                    const std::function<bool()>& keepRunning)
{
    return runChildProcess(program, arguments, keepRunning);
}

bool VirtualProcesses::runInTerminal(const QString& commandLine, QString* error)
{
    std::lock_guard lock(m_mutex);
    if (m_terminalMissing) {
        if (error)
            *error = QStringLiteral("no terminal emulator");
        return false;
    }
    m_terminal.append(commandLine);
    return true;
}

QStringList VirtualProcesses::terminalCommands() const
{
    std::lock_guard lock(m_mutex);
    return m_terminal;
}

void VirtualProcesses::setTerminalMissing(bool missing)
{
    std::lock_guard lock(m_mutex);
    m_terminalMissing = missing;
}

// --- power, network, calendar

ObserverHandle VirtualPower::observe(std::function<void(Event, std::function<void()>)> observer)
{
    return m_center.addObserver("power", nullptr, [observer, pending = m_pending](const Notification& n) {
        const auto event = static_cast<Event>(n.userInfo.value("event").toInt());
        const bool needsReply = event != Event::DidWake;
        if (needsReply)
            ++*pending;
        auto replied = std::make_shared<std::atomic<bool>>(false);
        observer(event, [pending, replied, needsReply] {
            if (needsReply && !replied->exchange(true))
                --*pending;
        });
    });
}

int VirtualPower::simulate(Event event)
{
    m_center.post("power", nullptr, {{"event", static_cast<int>(event)}});
    return m_pending->load();
}

int VirtualPower::pendingReplies() const { return m_pending->load(); }

ObserverHandle VirtualNetwork::observe(std::function<void(const QString&, bool)> observer)
{
    return m_center.addObserver("network", nullptr, [observer](const Notification& n) {
        observer(n.userInfo.value("key").toString(), n.userInfo.value("present").toBool());
    });
}

void VirtualNetwork::simulateChange(const QString& key, bool present)
{
    m_center.post("network", nullptr, {{"key", key}, {"present", present}});
}

ObserverHandle VirtualCalendar::observe(std::function<void(int, const QString&)> observer)
{
    return m_center.addObserver("calendar", nullptr, [observer](const Notification& n) {
        observer(n.userInfo.value("kind").toInt(), n.userInfo.value("sender").toString());
    });
}

void VirtualCalendar::simulateChange(int kind, const QString& senderProcess)
{
    m_center.post("calendar", nullptr, {{"kind", kind}, {"sender", senderProcess}});
}

// --- keyboard layout

namespace {

constexpr quint16 kShift = 0x200;
constexpr quint16 kOption = 0x800;

struct KeyChar {
    quint16 key;
    char plain;
    char shifted;
};

// The stored key codes of a US keyboard and what they type.
constexpr KeyChar kUsKeys[] = {
    {0, 'a', 'A'}, {1, 's', 'S'}, {2, 'd', 'D'}, {3, 'f', 'F'}, {4, 'h', 'H'}, {5, 'g', 'G'}, {6, 'z', 'Z'},
    {7, 'x', 'X'}, {8, 'c', 'C'}, {9, 'v', 'V'}, {11, 'b', 'B'}, {12, 'q', 'Q'}, {13, 'w', 'W'}, {14, 'e', 'E'},
    {15, 'r', 'R'}, {16, 'y', 'Y'}, {17, 't', 'T'}, {18, '1', '!'}, {19, '2', '@'}, {20, '3', '#'}, {21, '4', '$'},
    {22, '6', '^'}, {23, '5', '%'}, {24, '=', '+'}, {25, '9', '('}, {26, '7', '&'}, {27, '-', '_'}, {28, '8', '*'},
    {29, '0', ')'}, {30, ']', '}'}, {31, 'o', 'O'}, {32, 'u', 'U'}, {33, '[', '{'}, {34, 'i', 'I'}, {35, 'p', 'P'},
    {36, '\r', 0}, {37, 'l', 'L'}, {38, 'j', 'J'}, {39, '\'', '"'}, {40, 'k', 'K'}, {41, ';', ':'}, {42, '\\', '|'},
    {43, ',', '<'}, {44, '/', '?'}, {45, 'n', 'N'}, {46, 'm', 'M'}, {47, '.', '>'}, {48, '\t', 0}, {49, ' ', 0},
    {50, '`', '~'},
};

struct DeadKeyChar {
    char32_t result;
    char base;
};

// Option-e then the vowel.
constexpr DeadKeyChar kAcute[] = {{U'á', 'a'}, {U'é', 'e'}, {U'í', 'i'}, {U'ó', 'o'}, {U'ú', 'u'},
                                  {U'Á', 'A'}, {U'É', 'E'}, {U'Í', 'I'}, {U'Ó', 'O'}, {U'Ú', 'U'}};

std::optional<quint16> keystrokeFor(char c)
{
    for (const auto& k : kUsKeys) {
        if (k.plain == c)
            return k.key;
        if (k.shifted && k.shifted == c)
            return quint16(k.key | kShift);
    }
    return std::nullopt;
}

} // namespace

QList<quint16> VirtualKeyboardLayout::keystrokesForCharacter(char32_t c)
{
    if (c == U'\n')
        c = U'\r';
    if (c < 128) {
        if (auto k = keystrokeFor(char(c)))
            return {*k};
        return {};
    }
    for (const auto& d : kAcute)
        if (d.result == c)
            return {quint16(14 | kOption), *keystrokeFor(d.base)};
    return {};
}

QString VirtualKeyboardLayout::characterForKey(quint16 keyCode, quint16 modifiers)
{
    for (const auto& k : kUsKeys) {
        if (k.key != keyCode)
            continue;
        const char c = (modifiers & kShift) && k.shifted ? k.shifted : k.plain;
        return QString(QChar::fromLatin1(c));
    }
    return {};
}

bool VirtualKeyboardLayout::isFunctionKey(quint16 keyCode)
{
    std::lock_guard lock(m_mutex);
    return m_functionKeys.contains(keyCode);
}

void VirtualKeyboardLayout::setFunctionKeys(const QSet<quint16>& keyCodes)
{
    std::lock_guard lock(m_mutex);
    m_functionKeys = keyCodes;
}

QSet<quint16> VirtualKeyboardLayout::usFunctionKeys()
{
    // F1-F20, Help, Home, Page Up, forward delete, End, Page Down, arrows.
    return {122, 120, 99, 118, 96, 97, 98, 100, 101, 109, 103, 111, 105, 107, 113, 106, 64, 79, 80, 90,
            114, 115, 116, 117, 119, 121, 123, 124, 125, 126};
}

ObserverHandle VirtualKeyboardLayout::observeLayoutChanges(std::function<void()> observer)
{
    return m_center.addObserver("layout", nullptr, [observer](const Notification&) { observer(); });
}

void VirtualKeyboardLayout::simulateLayoutChange() { m_center.post("layout"); }

// --- clock

VirtualClock::VirtualClock() : m_now(QDateTime(QDate(2026, 1, 7), QTime(12, 0))) {}

QDateTime VirtualClock::now()
{
    std::lock_guard lock(m_mutex);
    return m_now;
}

ObserverHandle VirtualClock::scheduleAt(const QDateTime& when, std::function<void()> fn)
{
    std::unique_lock lock(m_mutex);
    const QString name = QString("timer-%1").arg(m_next++);
    ObserverHandle handle = m_center.addObserver(name, nullptr, [fn](const Notification&) { fn(); });
    m_timers.insert(when, name);
    if (when <= m_now)
        fireDue(lock);
    return handle;
}

void VirtualClock::fireDue(std::unique_lock<std::mutex>& lock)
{
    while (!m_timers.isEmpty() && m_timers.firstKey() <= m_now) {
        const QString name = m_timers.first();
        m_timers.erase(m_timers.begin());
        lock.unlock();
        m_center.post(name);
        lock.lock();
    }
}

void VirtualClock::setNow(const QDateTime& now)
{
    std::unique_lock lock(m_mutex);
    m_now = now;
    fireDue(lock);
}

void VirtualClock::advance(double seconds)
{
    std::unique_lock lock(m_mutex);
    m_now = m_now.addMSecs(qint64(seconds * 1000));
    fireDue(lock);
}

int VirtualClock::pendingTimers() const
{
    std::lock_guard lock(m_mutex);
    return int(m_timers.size());
}

// --- login items

bool VirtualLoginItems::setEnabled(const QString& identifier, const QString& path, bool enabled)
{
    std::lock_guard lock(m_mutex);
    if (enabled)
        m_items.insert(identifier, path);
    else
        m_items.remove(identifier);
    return true;
}

bool VirtualLoginItems::isEnabled(const QString& identifier)
{
    std::lock_guard lock(m_mutex);
    return m_items.contains(identifier);
}

// --- engine commands

bool VirtualCommandService::claimName()
{
    std::lock_guard lock(m_mutex);
    if (m_nameTaken && !m_ownsName)
        return false;
    m_ownsName = true;
    return true;
}

bool VirtualCommandService::publish(EngineCommands* commands)
{
    std::lock_guard lock(m_mutex);
    m_commands = commands;
    return commands != nullptr;
}

void VirtualCommandService::withdraw()
{
    std::lock_guard lock(m_mutex);
    m_commands = nullptr;
}

bool VirtualCommandService::askRunningEngineToReopen()
{
    std::lock_guard lock(m_mutex);
    if (!m_nameTaken || m_ownsName)
        return false;
    ++m_reopenRequests;
    return true;
}

bool VirtualCommandService::askRunningEngineToOpenURL(const QString& url)
{
    std::lock_guard lock(m_mutex);
    if (!m_nameTaken || m_ownsName)
        return false;
    m_urls.append(url);
    return true;
}

void VirtualCommandService::announceHotKey(const QString& code)
{
    std::lock_guard lock(m_mutex);
    if (m_commands)
        m_announcements.append(code);
}

QStringList VirtualCommandService::urlRequests() const
{
    std::lock_guard lock(m_mutex);
    return m_urls;
}

QStringList VirtualCommandService::hotKeyAnnouncements() const
{
    std::lock_guard lock(m_mutex);
    return m_announcements;
}

int VirtualCommandService::reopenRequests() const
{
    std::lock_guard lock(m_mutex);
    return m_reopenRequests;
}

void VirtualCommandService::setNameTaken(bool taken)
{
    std::lock_guard lock(m_mutex);
    m_nameTaken = taken;
}

bool VirtualCommandService::ownsName() const
{
    std::lock_guard lock(m_mutex);
    return m_ownsName;
}

EngineCommands* VirtualCommandService::published() const
{
    std::lock_guard lock(m_mutex);
    return m_commands;
}

// --- documents and the file manager

bool VirtualDocumentServices::openWithDefault(const QString& pathOrUrl)
{
    std::lock_guard lock(m_mutex);
    m_requests.append("open " + pathOrUrl);
    return !m_cannotOpen.contains(pathOrUrl);
}

bool VirtualDocumentServices::showFolders(const QStringList& folders)
{
    std::lock_guard lock(m_mutex);
    m_requests.append(("show-folders " + folders.join(' ')).trimmed());
    return m_fileManager;
}

bool VirtualDocumentServices::showItems(const QStringList& paths)
{
    std::lock_guard lock(m_mutex);
    m_requests.append(("show-items " + paths.join(' ')).trimmed());
    return m_fileManager;
}

std::optional<QStringList> VirtualDocumentServices::copiedFiles()
{
    std::lock_guard lock(m_mutex);
    if (m_unreadable)
        return std::nullopt;
    return m_copied;
}

QList<RecentDocument> VirtualDocumentServices::recentDocuments()
{
    std::lock_guard lock(m_mutex);
    return m_recent;
}

QStringList VirtualDocumentServices::requests() const
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

void VirtualDocumentServices::clearRequests()
{
    std::lock_guard lock(m_mutex);
    m_requests.clear();
}

void VirtualDocumentServices::setCannotOpen(const QString& pathOrUrl, bool cannot)
{
    std::lock_guard lock(m_mutex);
    if (cannot)
        m_cannotOpen.insert(pathOrUrl);
    else
        m_cannotOpen.remove(pathOrUrl);
}

void VirtualDocumentServices::setFileManagerAvailable(bool available)
{
    std::lock_guard lock(m_mutex);
    m_fileManager = available;
}

void VirtualDocumentServices::userCopiesFiles(const QStringList& paths)
{
    std::lock_guard lock(m_mutex);
    m_copied = paths;
}

void VirtualDocumentServices::setClipboardUnreadable(bool unreadable)
{
    std::lock_guard lock(m_mutex);
    m_unreadable = unreadable;
}

void VirtualDocumentServices::setRecentDocuments(const QList<RecentDocument>& documents)
{
    std::lock_guard lock(m_mutex);
    m_recent = documents;
}

// --- printing

QStringList VirtualPrintService::printers()
{
    std::lock_guard lock(m_mutex);
    return m_printers;
}

QString VirtualPrintService::defaultPrinter()
{
    std::lock_guard lock(m_mutex);
    return m_default;
}

bool VirtualPrintService::setDefaultPrinter(const QString& name)
{
    std::lock_guard lock(m_mutex);
    m_requests.append("default " + name);
    if (!m_printers.contains(name))
        return false;
    m_default = name;
    return true;
}

bool VirtualPrintService::printFile(const QString& path, const QString& printer)
{
    std::lock_guard lock(m_mutex);
    const QString on = printer.isEmpty() ? m_default : printer;
    m_requests.append("print " + (printer.isEmpty() ? QStringLiteral("(default)") : printer) + " " + path);
    return !on.isEmpty() && m_printers.contains(on);
}

void VirtualPrintService::setPrinters(const QStringList& names, const QString& defaultPrinter)
{
    std::lock_guard lock(m_mutex);
    m_printers = names;
    m_default = defaultPrinter;
}

QStringList VirtualPrintService::requests() const
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

void VirtualPrintService::clearRequests()
{
    std::lock_guard lock(m_mutex);
    m_requests.clear();
}

} // namespace zelk
