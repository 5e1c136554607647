#include "Desktop.h"

#include "Bundle.h"
#include "KeysymUnicode.h"
#include "TestSupport.h"
#include "X11Support.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>

#include <csignal>
#include <sys/prctl.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace zelk::e2e {

namespace {

constexpr unsigned kCombiningModifiers = ControlMask | Mod1Mask | Mod4Mask;
constexpr const char* kService = "org.zelk.Zelk";
constexpr const char* kPath = "/org/zelk/Zelk";
constexpr const char* kInterface = "org.zelk.Zelk";

void diesWithParent() { ::prctl(PR_SET_PDEATHSIG, SIGKILL); }

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QList<unsigned long> windowList(Display* display, Window window, const char* name)
{
    return x11::listProperty(display, window, XInternAtom(display, name, False), AnyPropertyType);
}

} // namespace

bool pollUntil(const std::function<bool()>& pred, int timeoutMs, int intervalMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!pred()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, intervalMs);
        QThread::msleep(intervalMs);
    }
    return true;
}

// --- Child --------------------------------------------------------------------------------

Child::Child(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment,
             const QString& logFile)
    : m_logFile(logFile)
{
    m_process.setProcessEnvironment(environment);
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.setStandardOutputFile(logFile);
    m_process.setChildProcessModifier(diesWithParent);
    m_process.start(program, arguments);
    m_process.waitForStarted(10000);
}

Child::~Child()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
}

QString Child::output()
{
    QFile file(m_logFile);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

bool Child::waitForOutput(const QString& text, int timeoutMs)
{
    return pollUntil([&] { return output().contains(text); }, timeoutMs);
}

bool Child::waitForExit(int timeoutMs)
{
    return m_process.state() == QProcess::NotRunning || m_process.waitForFinished(timeoutMs);
}

// --- KeyClient ----------------------------------------------------------------------------

KeyClient::KeyClient(const QString& windowClass, const QProcessEnvironment& environment, const QString& logFile)
    : m_child(Desktop::clientPath(), {"--class", windowClass.toLower() + "," + windowClass, "--title", windowClass, "--keys"},
              environment, logFile)
{
}

unsigned long KeyClient::window()
{
    if (m_window)
        return m_window;
    pollUntil([&] {
        for (const QString& line : m_child.output().split('\n')) {
            if (line.startsWith("window "))
                m_window = line.mid(7).toULong(nullptr, 16);
        }
        return m_window != 0 || !m_child.isRunning();
    }, 15000);
    return m_window;
}

QList<KeyClient::Press> KeyClient::presses()
{
    QList<Press> presses;
    for (const QString& line : m_child.output().split('\n')) {
        const QStringList fields = line.split(' ');
        if (fields.size() == 3 && fields[0] == "press")
            presses.append({fields[1].toULong(nullptr, 16), fields[2].toUInt(nullptr, 16)});
    }
    return presses;
}

QString KeyClient::text()
{
    QString text;
    for (const Press& p : presses()) {
        const char32_t c = zelk::keysyms::toUnicode(p.keysym);
        if (c >= 0x20 && !(p.state & kCombiningModifiers))
            text += QString::fromUcs4(&c, 1);
    }
    return text;
}

bool KeyClient::waitForText(const QString& wanted, int timeoutMs)
{
    return pollUntil([&] { return text() == wanted; }, timeoutMs);
}

bool KeyClient::waitForControlAlt(unsigned long keysym, int timeoutMs)
{
    return pollUntil([&] {
        const auto all = presses();
        return std::any_of(all.begin(), all.end(), [keysym](const Press& p) {
            return p.keysym == keysym && (p.state & (ControlMask | Mod1Mask)) == (ControlMask | Mod1Mask);
        });
    }, timeoutMs);
}

bool KeyClient::typedWithModifiers()
{
    const auto all = presses();
    return std::any_of(all.begin(), all.end(), [](const Press& p) {
        return zelk::keysyms::toUnicode(p.keysym) >= 0x20 && (p.state & kCombiningModifiers);
    });
}

// --- Desktop ------------------------------------------------------------------------------

QString Desktop::enginePath() { return zelk::test::appContents() + "/MacOS/Zelk"; }

QString Desktop::clientPath() { return QStringLiteral(ZELK_FAKE_XCLIENT); }

Desktop::Desktop()
{
    for (const char* program : {"Xvfb", "xdotool", "dbus-daemon"}) {
        if (QStandardPaths::findExecutable(program).isEmpty()) {
            m_whyNot = QString("%1 is not installed").arg(program);
            return;
        }
    }
    if (!QFileInfo(enginePath()).isExecutable() || !QFileInfo(clientPath()).isExecutable()) {
        m_whyNot = "the engine or the test client is not built";
        return;
    }
    const QString home = m_home.path();
    for (const char* folder : {"/.config", "/.local/share", "/.cache", "/run", "/logs"})
        QDir().mkpath(home + folder);
    QFile::setPermissions(home + "/run", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    m_xvfb = std::make_unique<zelk::test::XvfbServer>();
    if (!m_xvfb->isRunning()) {
        m_whyNot = m_xvfb->error();
        return;
    }
    QProcessEnvironment env;
    env.insert("PATH", qEnvironmentVariable("PATH"));
    m_bus = std::make_unique<Child>("dbus-daemon", QStringList{"--session", "--nofork", "--print-address=1"}, env,
                                    logFile("dbus-daemon"));
    pollUntil([&] {
        for (const QString& line : m_bus->output().split('\n')) {
            if (line.startsWith("unix:"))
                m_busAddress = line.trimmed();
        }
        return !m_busAddress.isEmpty() || !m_bus->isRunning();
    }, 10000);
    if (m_busAddress.isEmpty()) {
        m_whyNot = "dbus-daemon gave no address: " + m_bus->output();
        return;
    }
    m_connection = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(m_busAddress, "e2e-" + m_busAddress));
    if (!m_connection->isConnected())
        m_whyNot = "cannot connect to the private bus: " + m_connection->lastError().message();
}

Desktop::~Desktop()
{
    // The engine first: it ungrabs and says goodbye on a bus and a display that still run.
    m_engine.reset();
    m_windowManager.reset();
    if (m_x)
        XCloseDisplay(m_x);
    if (m_connection) {
        const QString name = m_connection->name();
        m_connection.reset();
        QDBusConnection::disconnectFromBus(name);
    }
    m_bus.reset();
    m_xvfb.reset();
}

QString Desktop::logFile(const QString& name) { return m_home.path() + QString("/logs/%1-%2.log").arg(name).arg(++m_logs); }

QProcessEnvironment Desktop::environment() const
{
    const QString home = m_home.path();
    QProcessEnvironment env;
    env.insert("PATH", qEnvironmentVariable("PATH"));
    env.insert("LANG", "C.UTF-8");
    env.insert("QT_FORCE_STDERR_LOGGING", "1"); // its log is the test's to read
    env.insert("HOME", home);
    env.insert("XDG_CONFIG_HOME", home + "/.config");
    env.insert("XDG_DATA_HOME", home + "/.local/share");
    env.insert("XDG_CACHE_HOME", home + "/.cache");
    env.insert("XDG_RUNTIME_DIR", home + "/run");
    env.insert("DISPLAY", display());
    env.insert("DBUS_SESSION_BUS_ADDRESS", m_busAddress);
    // Never the machine's system bus: no inhibitor of the real logind.
    env.insert("DBUS_SYSTEM_BUS_ADDRESS", m_busAddress);
    for (const char* passed : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
        if (qEnvironmentVariableIsSet(passed))
            env.insert(passed, qEnvironmentVariable(passed));
    }
    return env;
}

_XDisplay* Desktop::x()
{
    if (!m_x)
        m_x = XOpenDisplay(display().toLocal8Bit().constData());
    return m_x;
}

// This desktop's connection, or one of a moment to another display (which
// may be gone before this desktop is).
Desktop::Connection::Connection(Desktop& desktop, const QString& display)
    : m_own(display.isEmpty() ? nullptr : XOpenDisplay(display.toLocal8Bit().constData())),
      m_display(display.isEmpty() ? desktop.x() : m_own)
{
}

Desktop::Connection::~Connection()
{
    if (m_own)
        XCloseDisplay(m_own);
}

bool Desktop::startWindowManager(QString* whyNot)
{
    if (QStandardPaths::findExecutable("openbox").isEmpty()) {
        *whyNot = "openbox is not installed";
        return false;
    }
    m_windowManager = std::make_unique<Child>("openbox", QStringList{"--sm-disable"}, environment(), logFile("openbox"));
    // Ready when it manages a window: a probe of ours in its client list.
    Display* display = x();
    if (!display) {
        *whyNot = "cannot open the test's display";
        return false;
    }
    const Window root = DefaultRootWindow(display);
    const Window probe = XCreateSimpleWindow(display, root, 0, 0, 10, 10, 0, 0, 0);
    XMapWindow(display, probe);
    XSync(display, False);
    const bool managed = pollUntil([&] {
        return windowList(display, root, "_NET_CLIENT_LIST").contains(probe) || !m_windowManager->isRunning();
    }, 20000) && m_windowManager->isRunning();
    XDestroyWindow(display, probe);
    XSync(display, False);
    if (!managed)
        *whyNot = "openbox never managed a window: " + m_windowManager->output();
    return managed;
}

bool Desktop::xdotool(const QStringList& arguments)
{
    QProcess process;
    process.setProcessEnvironment(environment());
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.setChildProcessModifier(diesWithParent);
    process.start("xdotool", arguments);
    if (!process.waitForFinished(15000)) {
        process.kill();
        process.waitForFinished(3000);
        return false;
    }
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

bool Desktop::focus(KeyClient& client)
{
    const QString window = QString::number(client.window());
    if (client.window() == 0)
        return false;
    return xdotool({hasWindowManager() ? "windowactivate" : "windowfocus", "--sync", window});
}

std::unique_ptr<KeyClient> Desktop::startClient(const QString& windowClass)
{
    auto client = std::make_unique<KeyClient>(windowClass, environment(), logFile("client-" + windowClass));
    client->window();
    return client;
}

bool Desktop::writeDesktopEntry(const QString& id, const QString& body)
{
    return writeFile(m_home.path() + "/.local/share/applications/" + id, "[Desktop Entry]\nType=Application\n" + body.toUtf8());
}

bool Desktop::writeData(const zelk::test::records::DataFiles& files)
{
    return files.write(dataFolder()) && onboard();
}

bool Desktop::onboard(bool traces)
{
    const QString version = zelk::Bundle::atPath(QFileInfo(zelk::test::appContents()).absolutePath()).version();
    // The panel suppressed, so it starts at once; the traces tell, in the
    // engine's log, what it did with each key.
    const QVariantMap defaults{{"QVOnboardedVersion", version}, {"QVSuppressIntroPanel", true},
                               {"debugTraceAppEng", traces},    {"debugTraceMgrEng", traces}};
    return QDir().mkpath(m_home.path() + "/.config/Zelk")
        && zelk::plist::writeFile(m_home.path() + "/.config/Zelk/org.zelk.Zelk.plist", defaults);
}

std::unique_ptr<Child> Desktop::startAnotherEngine(const QProcessEnvironment& replaced)
{
    QProcessEnvironment env = environment();
    env.insert("ZELK_PLATFORM", "linux");
    env.insert("QT_QPA_PLATFORM", "xcb");
    for (const QString& key : replaced.keys())
        env.insert(key, replaced.value(key));
    return std::make_unique<Child>(enginePath(), QStringList(), env, logFile("engine"));
}

bool Desktop::startEngine(QString* why, const QProcessEnvironment& replaced)
{
    m_engine = startAnotherEngine(replaced);
    // Its handlers come last in its start-up: an answer means it is up.
    const bool up = pollUntil([&] {
        return callEngine("GetShortCutList").type() == QDBusMessage::ReplyMessage || !m_engine->isRunning();
    }, 30000, 50);
    if (!up || !m_engine->isRunning()) {
        *why = "the engine did not come up:\n" + m_engine->output();
        return false;
    }
    return true;
}

QDBusMessage Desktop::callEngine(const QString& method, const QVariantList& arguments)
{
    QDBusMessage message = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
    message.setArguments(arguments);
    return m_connection->call(message, QDBus::Block, 5000);
}

QVariantList Desktop::shortCutList()
{
    const QDBusMessage reply = callEngine("GetShortCutList");
    if (reply.type() != QDBusMessage::ReplyMessage)
        return {};
    const auto list = zelk::plist::read(reply.arguments().value(0).toString().toUtf8());
    return list ? list->toList() : QVariantList();
}

bool Desktop::waitForListedShortcuts(const QStringList& names, int timeoutMs)
{
    return pollUntil([&] {
        QStringList listed;
        for (const QVariant& entry : shortCutList())
            listed << entry.toMap().value("name").toString();
        return listed == names;
    }, timeoutMs, 100);
}

bool Desktop::postEditorCommand(const QVariantMap& userInfo)
{
    QDBusMessage signal = QDBusMessage::createSignal("/org/zelk/DistributedNotifications", "org.zelk.DistributedNotifications", "Post");
    signal << QString("QVEditorNotification") << QString::fromUtf8(zelk::plist::writeXml(userInfo));
    return m_connection->send(signal);
}

QList<unsigned long> Desktop::windowsOf(qint64 pid, const QString& display)
{
    const Connection x(*this, display);
    Display* connection = x.display();
    QList<unsigned long> found;
    if (!connection)
        return found;
    // A window may go while it is looked at (a dialog closing, a program
    // quitting): its BadWindow must not end the test program.
    zelk::x11::trapErrors(connection);
    const std::function<void(Window, int)> walk = [&](Window parent, int depth) {
        Window root = 0, up = 0, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(connection, parent, &root, &up, &children, &count))
            return;
        for (unsigned i = 0; i < count; ++i) {
            XWindowAttributes attributes;
            const QList<unsigned long> owner = windowList(connection, children[i], "_NET_WM_PID");
            if (!owner.isEmpty() && qint64(owner[0]) == pid && XGetWindowAttributes(connection, children[i], &attributes)
                && attributes.map_state == IsViewable)
                found << children[i];
            else if (depth < 2)
                walk(children[i], depth + 1);
        }
        if (children)
            XFree(children);
    };
    walk(DefaultRootWindow(connection), 0);
    XSync(connection, False);
    zelk::x11::takeError(connection);
    zelk::x11::stopTrapping(connection);
    return found;
}

QRect Desktop::windowGeometry(unsigned long window)
{
    const Connection x(*this, {});
    Display* connection = x.display();
    if (!connection)
        return {};
    zelk::x11::trapErrors(connection);
    XWindowAttributes attributes;
    int rootX = 0, rootY = 0;
    Window child = 0;
    QRect geometry;
    if (XGetWindowAttributes(connection, window, &attributes)
        && XTranslateCoordinates(connection, window, DefaultRootWindow(connection), 0, 0, &rootX, &rootY, &child))
        geometry = QRect(rootX, rootY, attributes.width, attributes.height);
    XSync(connection, False);
    zelk::x11::takeError(connection);
    zelk::x11::stopTrapping(connection);
    return geometry;
}

QString Desktop::windowName(unsigned long window)
{
    const Connection x(*this, {});
    Display* connection = x.display();
    if (!connection)
        return {};
    zelk::x11::trapErrors(connection);
    QString name;
    char* text = nullptr;
    if (XFetchName(connection, window, &text) && text) {
        name = QString::fromUtf8(text);
        XFree(text);
    }
    XSync(connection, False);
    zelk::x11::takeError(connection);
    zelk::x11::stopTrapping(connection);
    return name;
}

QSize Desktop::screenSize()
{
    const Connection x(*this, {});
    Display* connection = x.display();
    return connection ? QSize(DisplayWidth(connection, DefaultScreen(connection)), DisplayHeight(connection, DefaultScreen(connection)))
                      : QSize();
}

bool Desktop::keyboardGrabbed()
{
    const Connection x(*this, {});
    Display* connection = x.display();
    if (!connection)
        return false;
    const int status = XGrabKeyboard(connection, DefaultRootWindow(connection), False, GrabModeAsync, GrabModeAsync, CurrentTime);
    if (status == GrabSuccess)
        XUngrabKeyboard(connection, CurrentTime);
    XSync(connection, False);
    return status == AlreadyGrabbed;
}

QImage Desktop::screenshot()
{
    const Connection x(*this, {});
    Display* connection = x.display();
    if (!connection)
        return {};
    const Window root = DefaultRootWindow(connection);
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(connection, root, &attributes))
        return {};
    QImage image;
    if (XImage* shot = XGetImage(connection, root, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap)) {
        image = QImage(attributes.width, attributes.height, QImage::Format_RGB32);
        for (int y = 0; y < attributes.height; ++y)
            for (int px = 0; px < attributes.width; ++px)
                image.setPixel(px, y, XGetPixel(shot, px, y) & 0xFFFFFF);
        XDestroyImage(shot);
    }
    return image;
}

bool Desktop::saveArtefact(const QImage& image, const QString& fileName)
{
    const QString artefacts = qEnvironmentVariable("ZELK_TEST_ARTEFACTS", QDir::tempPath());
    return !image.isNull() && image.save(artefacts + "/" + fileName);
}

bool Desktop::closeWindow(unsigned long window, const QString& display)
{
    const Connection x(*this, display);
    Display* connection = x.display();
    if (!connection)
        return false;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(connection, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(connection, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(connection, window, False, NoEventMask, &event);
    XSync(connection, False);
    return true;
}

} // namespace zelk::e2e
