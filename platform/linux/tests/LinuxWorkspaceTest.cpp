// Applications on a real X server, with and without a window manager:
// small X programs of the test's own, named through desktop entries of a
// temporary data folder.
#include "LinuxPlatform.h"
#include "LinuxWorkspace.h"
#include "TestSupport.h"
#include "X11Support.h"
#include "X11TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <memory>
#include <sys/prctl.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

using namespace zelk;

namespace {

const QString kFake = QStringLiteral(ZELK_FAKE_XCLIENT);

void write(const QString& path, const QByteArray& text, bool executable = false)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
    f.close();
    if (executable)
        QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner);
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class LinuxWorkspaceTest : public zelk::test::XServerTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        XServerTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        x = XOpenDisplay(nullptr);
        ASSERT_NE(x, nullptr);
        x11::trapErrors(x);
        if (GetParam())
            startWindowManager();
        if (IsSkipped() || HasFatalFailure())
            return;

        data = home.path() + "/share";
        savedDirs = qgetenv("XDG_DATA_DIRS");
        qputenv("XDG_DATA_DIRS", data.toLocal8Bit());
        copiedProgram = home.path() + "/bin/fakethree";
        bundleProgram = home.path() + "/Thing.app/Contents/MacOS/Thing";
        for (const QString& copy : {copiedProgram, bundleProgram}) {
            QDir().mkpath(QFileInfo(copy).absolutePath());
            ASSERT_TRUE(QFile::copy(kFake, copy));
        }
        entry("fakeone.desktop", "Name=Fake One\nExec=/nonexistent/fakeone\nStartupWMClass=FakeOne\n");
        entry("fakethree.desktop", ("Name=Fake Three\nExec=" + copiedProgram + "\n").toUtf8());
        platform = makeLinuxPlatform();
    }

    void TearDown() override
    {
        platform.reset();
        for (auto& p : processes) {
            p->kill();
            p->waitForFinished(3000);
        }
        processes.clear();
        if (wm) {
            wm->terminate();
            wm->waitForFinished(3000);
        }
        if (x) {
            x11::stopTrapping(x);
            XCloseDisplay(x);
        }
        if (!data.isEmpty())
            qputenv("XDG_DATA_DIRS", savedDirs);
    }

    void startWindowManager()
    {
        QString whyNot;
        wm = zelk::test::startOpenbox(x, &whyNot);
        if (!wm && whyNot == "openbox is not installed")
            ZELK_SKIP_UNLESS_CI(whyNot.toStdString());
        ASSERT_TRUE(wm) << whyNot.toStdString();
    }

    // A property of the root window holding windows.
    QList<Window> windows(Atom property)
    {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* d = nullptr;
        QList<Window> list;
        if (XGetWindowProperty(x, DefaultRootWindow(x), property, 0, 1024, False, XA_WINDOW, &type, &format, &count,
                               &after, &d) == Success && d) {
            for (unsigned long i = 0; i < count; ++i)
                list << reinterpret_cast<unsigned long*>(d)[i];
        }
        if (d)
            XFree(d);
        return list;
    }

    // The top-level window of a process of ours.
    Window windowOf(qint64 pid)
    {
        QList<Window> candidates = windows(XInternAtom(x, "_NET_CLIENT_LIST", False));
        if (!GetParam()) {
            Window root, parent, *children = nullptr;
            unsigned count = 0;
            XQueryTree(x, DefaultRootWindow(x), &root, &parent, &children, &count);
            candidates = QList<Window>(children, children + count);
            XFree(children);
        }
        const Atom wmPid = XInternAtom(x, "_NET_WM_PID", False);
        for (Window w : candidates) {
            Atom type = None;
            int format = 0;
            unsigned long count = 0, after = 0;
            unsigned char* d = nullptr;
            bool found = false;
            if (XGetWindowProperty(x, w, wmPid, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after, &d) == Success && d)
                found = count == 1 && qint64(*reinterpret_cast<unsigned long*>(d)) == pid;
            if (d)
                XFree(d);
            if (found)
                return w;
        }
        return 0;
    }

    void entry(const QString& name, const QByteArray& body)
    {
        write(data + "/applications/" + name, "[Desktop Entry]\nType=Application\n" + body);
    }

    qint64 startProcess(const QStringList& arguments, const QString& program = kFake)
    {
        auto p = std::make_unique<QProcess>();
        p->setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
        p->start(program, arguments);
        EXPECT_TRUE(p->waitForStarted(5000));
        const qint64 pid = p->processId();
        processes.push_back(std::move(p));
        return pid;
    }

    // Starts a small X program and waits until the workspace lists it.
    qint64 start(const QStringList& arguments, const QString& program = kFake)
    {
        const qint64 pid = startProcess(arguments, program);
        const bool windowless = arguments.contains("--no-window");
        EXPECT_TRUE(zelk::test::waitUntil([&] {
            const auto a = app(pid);
            return a && a->background == windowless;
        }))
            << "the workspace never listed " << program.toStdString() << " " << arguments.join(' ').toStdString();
        return pid;
    }

    std::optional<RunningApplication> app(qint64 pid)
    {
        for (const RunningApplication& a : workspace().runningApplications()) {
            if (a.pid == pid)
                return a;
        }
        return std::nullopt;
    }

    QProcess* process(qint64 pid)
    {
        for (auto& p : processes) {
            if (p->processId() == pid)
                return p.get();
        }
        return nullptr;
    }

    Workspace& workspace() { return platform->workspace(); }

    zelk::test::TempHome home;
    Display* x = nullptr;
    std::unique_ptr<QProcess> wm;
    std::vector<std::unique_ptr<QProcess>> processes;
    std::unique_ptr<Platform> platform;
    QString data, copiedProgram, bundleProgram;
    QByteArray savedDirs;
};

TEST_P(LinuxWorkspaceTest, ApplicationsAreNamedByTheirEntries)
{
    const qint64 one = start({"--class", "fakeone,FakeOne"});
    const qint64 two = start({"--class", "faketwo,FakeTwo"});
    const qint64 three = start({"--class", "whatever,Whatever"}, copiedProgram);
    const qint64 thing = start({"--class", "thing,Thing"}, bundleProgram);
    const qint64 background = start({"--no-window"}, copiedProgram);
    auto unknown = std::make_unique<QProcess>();
    unknown->start(kFake, {"--no-window"});  // windowless and no entry: no application

    const struct { qint64 pid; QString name, path, displayName; bool background; } expected[] = {
        {one, "fakeone.desktop", data + "/applications/fakeone.desktop", "Fake One", false},
        {two, "zelk_fake_xclient", QFileInfo(kFake).canonicalFilePath(), "zelk_fake_xclient", false},
        {three, "fakethree.desktop", data + "/applications/fakethree.desktop", "Fake Three", false},
        {thing, "Thing.app", home.path() + "/Thing.app", "Thing", false},
        {background, "fakethree.desktop", data + "/applications/fakethree.desktop", "Fake Three", true},
    };
    // A window manager shows a new window a moment after it lists it.
    zelk::test::waitUntil([&] {
        const auto all = workspace().runningApplications();
        return std::none_of(all.begin(), all.end(), [](const RunningApplication& a) { return a.hidden; });
    });
    for (const auto& e : expected) {
        const auto a = app(e.pid);
        ASSERT_TRUE(a) << e.name.toStdString();
        EXPECT_EQ(a->name, e.name);
        EXPECT_EQ(a->path, e.path) << e.name.toStdString();
        EXPECT_EQ(a->displayName, e.displayName) << e.name.toStdString();
        EXPECT_EQ(a->background, e.background) << e.name.toStdString();
        EXPECT_FALSE(a->hidden) << e.name.toStdString();
    }
    ASSERT_TRUE(unknown->waitForStarted());
    EXPECT_FALSE(app(unknown->processId()));
    unknown->kill();
    unknown->waitForFinished();

    // The same program started for another display runs on another desktop.
    QProcess elsewhere;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", ":4242");
    elsewhere.setProcessEnvironment(env);
    elsewhere.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
    elsewhere.start(copiedProgram, {"--no-window"});
    ASSERT_TRUE(elsewhere.waitForStarted());
    EXPECT_FALSE(app(elsewhere.processId())) << "a program of another display is listed";
    elsewhere.kill();
    elsewhere.waitForFinished();
}

TEST_P(LinuxWorkspaceTest, FocusedWindowAndItsTitle)
{
    EXPECT_TRUE(workspace().canReadWindows());
    const qint64 one = start({"--class", "fakeone,FakeOne", "--title", "plain"});
    ASSERT_TRUE(workspace().activate(one));
    ASSERT_TRUE(zelk::test::waitUntil([&] {
        const auto front = workspace().frontApplication();
        return front && front->pid == one;
    }));
    auto title = [&] {
        const auto window = workspace().focusedWindow();
        return window && window->hasTitle ? window->title : QString("<none>");
    };
    EXPECT_EQ(title(), "plain");
    // The EWMH name, in UTF-8, comes before the old one.
    const QByteArray utf8 = QString("Brouillon — été").toUtf8();
    XChangeProperty(x, windowOf(one), XInternAtom(x, "_NET_WM_NAME", False), XInternAtom(x, "UTF8_STRING", False), 8,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(utf8.constData()), int(utf8.size()));
    XSync(x, False);
    EXPECT_TRUE(zelk::test::waitUntil([&] { return title() == "Brouillon — été"; })) << title().toStdString();
}

TEST_P(LinuxWorkspaceTest, FrontApplicationFollowsActivationAndTitles)
{
    const qint64 one = start({"--class", "fakeone,FakeOne"});
    const qint64 two = start({"--class", "faketwo,FakeTwo", "--title", "first"});
    // Observers hear of changes only. Were the first still in front when the
    // observer came (a window manager that has yet to focus the second), its
    // activation would change nothing: the front settles on the second first.
    ASSERT_TRUE(workspace().activate(two));
    ASSERT_TRUE(zelk::test::waitUntil([&] {
        const auto front = workspace().frontApplication();
        return front && front->pid == two;
    })) << "the second never came to the front";
    QList<std::optional<RunningApplication>> seen;
    ObserverHandle h = workspace().observeFrontApplication([&](const std::optional<RunningApplication>& a) { seen << a; });
    auto frontIs = [&](qint64 pid) {
        const auto front = workspace().frontApplication();
        return front && front->pid == pid && !seen.isEmpty() && seen.last() && seen.last()->pid == pid;
    };

    ASSERT_TRUE(workspace().activate(one));
    ASSERT_TRUE(zelk::test::waitUntil([&] { return frontIs(one); })) << "activating the first did not bring it forward";
    EXPECT_EQ(seen.last()->name, "fakeone.desktop");
    ASSERT_TRUE(workspace().activate(two));
    ASSERT_TRUE(zelk::test::waitUntil([&] { return frontIs(two); }));

    // A new title of the front window: observers look again.
    const Window twoWindow = windowOf(two);
    ASSERT_NE(twoWindow, Window(0));
    auto retitle = [&](const char* title) {
        const qsizetype before = seen.size();
        XStoreName(x, twoWindow, title);
        XSync(x, False);
        return zelk::test::waitUntil([&] { return seen.size() > before; });
    };
    ASSERT_TRUE(retitle("second")) << "a title change went unnoticed";
    ASSERT_TRUE(seen.last());
    EXPECT_EQ(seen.last()->pid, two);

    // A nameless window taking the focus leaves the front as it was.
    const qint64 nameless = startProcess({"--nameless"});
    Window w = 0;
    ASSERT_TRUE(zelk::test::waitUntil([&] { return (w = windowOf(nameless)) != 0; }));
    const qsizetype calls = seen.size();
    if (GetParam()) {
        XEvent e{};
        e.xclient.type = ClientMessage;
        e.xclient.window = w;
        e.xclient.message_type = XInternAtom(x, "_NET_ACTIVE_WINDOW", False);
        e.xclient.format = 32;
        e.xclient.data.l[0] = 2;
        XSendEvent(x, DefaultRootWindow(x), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
        const Atom active = XInternAtom(x, "_NET_ACTIVE_WINDOW", False);
        ASSERT_TRUE(zelk::test::waitUntil([&] { return windows(active).value(0) == w; })) << "openbox did not activate it";
    } else {
        ASSERT_TRUE(zelk::test::waitUntil([&] {
            XWindowAttributes a;
            return XGetWindowAttributes(x, w, &a) && a.map_state == IsViewable;
        }));
        XSetInputFocus(x, w, RevertToParent, CurrentTime);
    }
    XSync(x, False);
    // The workspace hears of the focus before it hears of a later title
    // change: once that title is seen, the focus was weighed.
    ASSERT_TRUE(retitle("third")) << "a title change went unnoticed";
    ASSERT_TRUE(workspace().frontApplication());
    EXPECT_EQ(workspace().frontApplication()->pid, two);
    EXPECT_EQ(seen.size(), calls + 1) << "the nameless window was taken for a new front";
    ASSERT_TRUE(seen.last());
    EXPECT_EQ(seen.last()->pid, two);
}

TEST_P(LinuxWorkspaceTest, HideAndUnhide)
{
    const qint64 one = start({"--class", "fakeone,FakeOne"});
    EXPECT_FALSE(workspace().hide(999999));
    ASSERT_TRUE(workspace().hide(one));
    EXPECT_TRUE(zelk::test::waitUntil([&] { return app(one) && app(one)->hidden; })) << "not hidden";
    ASSERT_TRUE(workspace().unhide(one));
    EXPECT_TRUE(zelk::test::waitUntil([&] { return app(one) && !app(one)->hidden; })) << "still hidden";
}

TEST_P(LinuxWorkspaceTest, LaunchesAndQuitsAreObserved)
{
    QList<std::pair<RunningApplication, bool>> seen;
    ObserverHandle h = workspace().observeApplications([&](const RunningApplication& a, bool launched) {
        seen.append({a, launched});
    });
    // One that asks only for programs with windows, beside it.
    QList<std::pair<RunningApplication, bool>> seenWithWindows;
    ObserverHandle withWindows = workspace().observeApplications(
        [&](const RunningApplication& a, bool launched) { seenWithWindows.append({a, launched}); }, Workspace::Programs::WithWindows);
    auto saw = [&](qint64 pid, bool launched) {
        return std::any_of(seen.begin(), seen.end(), [&](const auto& s) { return s.first.pid == pid && s.second == launched; });
    };

    const qint64 one = start({"--class", "fakeone,FakeOne"});
    EXPECT_TRUE(zelk::test::waitUntil([&] { return saw(one, true); })) << "the launch went unnoticed";
    ASSERT_TRUE(workspace().quit(one));
    EXPECT_TRUE(process(one)->waitForFinished(5000)) << "WM_DELETE_WINDOW did not reach the window";
    EXPECT_TRUE(zelk::test::waitUntil([&] { return saw(one, false); })) << "the quit went unnoticed";

    // One that refuses to close: asked all the same, then ended.
    const qint64 stubborn = start({"--class", "faketwo,FakeTwo", "--ignore-delete"});
    ASSERT_TRUE(zelk::test::waitUntil([&] { return saw(stubborn, true); }));
    EXPECT_TRUE(workspace().quit(stubborn));
    EXPECT_FALSE(process(stubborn)->waitForFinished(300));
    EXPECT_TRUE(workspace().terminate(stubborn, false));
    EXPECT_TRUE(process(stubborn)->waitForFinished(5000));
    EXPECT_TRUE(zelk::test::waitUntil([&] { return saw(stubborn, false); }));

    // A background program is found by the poll.
    const qint64 background = start({"--no-window"}, copiedProgram);
    EXPECT_TRUE(zelk::test::waitUntil([&] { return saw(background, true); }, 3 * LinuxWorkspace::kPollMilliseconds));
    EXPECT_TRUE(workspace().quit(background)) << "a windowless program is sent SIGTERM";
    EXPECT_TRUE(zelk::test::waitUntil([&] { return saw(background, false); }, 3 * LinuxWorkspace::kPollMilliseconds));
    for (const auto& s : seen) {
        if (process(s.first.pid)) {  // other programs of the machine may come and go meanwhile
            EXPECT_EQ(s.first.pid == background, s.first.background) << s.first.name.toStdString();
        }
    }
    QList<std::pair<qint64, bool>> windowed, expected;
    for (const auto& s : seen) {
        if (process(s.first.pid) && !s.first.background)
            expected.append({s.first.pid, s.second});
    }
    for (const auto& s : seenWithWindows) {
        if (process(s.first.pid))
            windowed.append({s.first.pid, s.second});
    }
    EXPECT_EQ(windowed, expected) << "the observer of programs with windows hears of those, and only of those";
}

// Programs without windows are found by reading the process list every
// second: only while an observer asks for them.
TEST_P(LinuxWorkspaceTest, ProcessListIsPolledOnlyWhileProgramsWithoutWindowsAreObserved)
{
    auto& desktopWorkspace = dynamic_cast<LinuxWorkspace&>(workspace());
    auto none = [](const RunningApplication&, bool) {};
    ObserverHandle withWindows = workspace().observeApplications(none, Workspace::Programs::WithWindows);
    QCoreApplication::sendPostedEvents(); // what the observer set going on the main thread
    EXPECT_FALSE(desktopWorkspace.pollsProcessList());
    {
        ObserverHandle all = workspace().observeApplications(none);
        EXPECT_TRUE(zelk::test::waitUntil([&] { return desktopWorkspace.pollsProcessList(); }));
    }
    EXPECT_TRUE(zelk::test::waitUntil([&] { return !desktopWorkspace.pollsProcessList(); }));

    // Still heard of without the poll: a program with a window.
    QList<qint64> launched;
    ObserverHandle heard = workspace().observeApplications([&](const RunningApplication& a, bool up) {
        if (up)
            launched << a.pid;
    }, Workspace::Programs::WithWindows);
    const qint64 one = start({"--class", "fakeone,FakeOne"});
    EXPECT_TRUE(zelk::test::waitUntil([&] { return launched.contains(one); }));
    EXPECT_FALSE(desktopWorkspace.pollsProcessList());
}

TEST_P(LinuxWorkspaceTest, AWindowOfAnotherMachineNamesNoProcessToSignal)
{
    const qint64 pid = start({"--class", "fakeone,FakeOne", "--ignore-delete"});
    const Window window = windowOf(pid);
    ASSERT_NE(window, 0u);
    auto setMachine = [&](const QByteArray& name) {
        XTextProperty machine{};
        char* text = const_cast<char*>(name.constData());
        ASSERT_TRUE(XStringListToTextProperty(&text, 1, &machine));
        XSetWMClientMachine(x, window, &machine);
        XFree(machine.value);
        XSync(x, False);
    };
    ASSERT_NO_FATAL_FAILURE(setMachine("elsewhere.invalid"));
    EXPECT_FALSE(workspace().terminate(pid, false)) << "a pid of another machine was signalled here";
    EXPECT_FALSE(workspace().terminate(pid, true));
    EXPECT_FALSE(process(pid)->waitForFinished(200));

    char host[256] = {};
    ASSERT_EQ(gethostname(host, sizeof host - 1), 0);
    ASSERT_NO_FATAL_FAILURE(setMachine(host));
    EXPECT_TRUE(workspace().terminate(pid, false));
    EXPECT_TRUE(process(pid)->waitForFinished(5000));
}

INSTANTIATE_TEST_SUITE_P(, LinuxWorkspaceTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "WithWindowManager" : "WithoutWindowManager"; });

class LinuxWorkspaceLaunchTest : public zelk::test::TempHomeTest {
protected:
    std::unique_ptr<Platform> platform = makeLinuxPlatform();
    Workspace& workspace() { return platform->workspace(); }
};

TEST_F(LinuxWorkspaceLaunchTest, EntriesBundlesAndProgramsReallyStart)
{
    const QString out = home->path() + "/out";
    // Both escape levels of an entry: the string escapes, then Exec's quoting.
    write(home->path() + "/printer.desktop",
          ("[Desktop Entry]\nType=Application\nName=Printer\nExec=/bin/sh -c \"printf '[%%s]' \\\\\"\\\\$@\\\\\" > " + out
           + "\" sh %F\n").toUtf8());
    qint64 pid = 0;
    ASSERT_TRUE(workspace().launchApplication(home->path() + "/printer.desktop", {"a b", "file://" + home->path() + "/c"}, &pid));
    EXPECT_GT(pid, 0);
    EXPECT_TRUE(zelk::test::waitUntil([&] { return !readFile(out).isEmpty(); }));
    EXPECT_EQ(readFile(out), "[a b][" + home->path().toUtf8() + "/c]");

    const QString script = "#!/bin/sh\necho \"$@\" > " + out + "2\n";
    write(home->path() + "/Tool.app/Contents/MacOS/Tool", script.toUtf8(), true);
    ASSERT_TRUE(workspace().launchApplication(home->path() + "/Tool.app", {"doc"}));
    EXPECT_TRUE(zelk::test::waitUntil([&] { return readFile(out + "2") == "doc\n"; })) << "the bundle did not start";

    write(home->path() + "/tool.sh", script.toUtf8(), true);
    QFile::remove(out + "2");
    ASSERT_TRUE(workspace().launchApplication(home->path() + "/tool.sh", {"x", "y"}));
    EXPECT_TRUE(zelk::test::waitUntil([&] { return readFile(out + "2") == "x y\n"; })) << "the program did not start";

    write(home->path() + "/broken.desktop", "[Desktop Entry]\nType=Application\nName=B\nExec=\"unterminated\n");
    EXPECT_FALSE(workspace().launchApplication(home->path() + "/broken.desktop"));
    EXPECT_FALSE(workspace().launchApplication(home->path() + "/missing.desktop"));
    EXPECT_FALSE(workspace().launchApplication(home->path() + "/nothing-here"));
}

// A program of Terminal=true is started in the user's terminal, which
// here writes down what it was asked to run; without a terminal the launch
// fails instead of running the program where nobody sees it.
TEST_F(LinuxWorkspaceLaunchTest, TerminalEntriesRunInTheUsersTerminal)
{
    const QString bin = home->path() + "/bin", out = home->path() + "/out";
    zelk::test::ScopedEnv path("PATH", bin.toLocal8Bit()), terminal("TERMINAL", QByteArray()),
        dirs("XDG_DATA_DIRS", (home->path() + "/share").toLocal8Bit());
    write(bin + "/x-terminal-emulator", ("#!/bin/sh\nprintf '[%s]' \"$@\" > " + out + "\n").toUtf8(), true);
    write(home->path() + "/top.desktop", "[Desktop Entry]\nType=Application\nName=Top\nExec=top -d %f\nTerminal=true\n");

    EXPECT_EQ(workspace().terminalApplication(), bin + "/x-terminal-emulator");
    qint64 pid = 0;
    ASSERT_TRUE(workspace().launchApplication(home->path() + "/top.desktop", {"/tmp/a"}, &pid));
    EXPECT_GT(pid, 0);
    EXPECT_TRUE(zelk::test::waitUntil([&] { return !readFile(out).isEmpty(); })) << "the terminal did not start";
    EXPECT_EQ(readFile(out), "[-e][top][-d][/tmp/a]");

    ASSERT_TRUE(QFile::remove(bin + "/x-terminal-emulator"));
    EXPECT_EQ(workspace().terminalApplication(), QString());
    EXPECT_FALSE(workspace().launchApplication(home->path() + "/top.desktop"));
}

TEST_F(LinuxWorkspaceLaunchTest, RecentApplicationsMergeTheDesktopsRecordWithWhatWasLaunched)
{
    const QString apps = home->dataHome() + "/applications/";
    write(apps + "starter.desktop", "[Desktop Entry]\nType=Application\nName=Starter\nExec=/bin/true\n");
    write(apps + "org.example.Bview.desktop", "[Desktop Entry]\nType=Application\nName=Bview\nExec=/nonexistent/bview\n");
    write(apps + "org.example.Cedit.desktop", "[Desktop Entry]\nType=Application\nName=Cedit\nExec=/nonexistent/cedit\n");
    // Used lately, by the desktop's record: Cedit, then Bview, then Starter (long ago).
    write(home->dataHome() + "/recently-used.xbel", R"(<?xml version="1.0"?>
<xbel version="1.0" xmlns:bookmark="http://www.freedesktop.org/standards/desktop-bookmarks">
  <bookmark href="file:///tmp/x"><info><metadata owner="http://freedesktop.org"><bookmark:applications>
    <bookmark:application name="bview" exec="&apos;bview %u&apos;" modified="2026-01-02T10:00:00Z" count="1"/>
    <bookmark:application name="cedit" exec="&apos;cedit %u&apos;" modified="2026-01-03T10:00:00Z" count="1"/>
    <bookmark:application name="Starter" exec="&apos;/bin/true %u&apos;" modified="2001-01-01T10:00:00Z" count="1"/>
  </bookmark:applications></metadata></info></bookmark>
</xbel>
)");
    EXPECT_EQ(workspace().recentApplications(),
              QStringList({apps + "org.example.Cedit.desktop", apps + "org.example.Bview.desktop", apps + "starter.desktop"}));

    ASSERT_TRUE(workspace().launchApplication(apps + "starter.desktop"));
    EXPECT_EQ(workspace().recentApplications(),
              QStringList({apps + "starter.desktop", apps + "org.example.Cedit.desktop", apps + "org.example.Bview.desktop"}))
        << "what was just launched comes first, once";
}

TEST_F(LinuxWorkspaceLaunchTest, NeverEndsThisProcessOrInit)
{
    const qint64 self = workspace().ownPid();
    EXPECT_EQ(self, qint64(getpid()));
    // 2^32 + 1 would be pid 1 once cut to pid_t.
    for (qint64 pid : {self, qint64(1), qint64(0), qint64(-1), (qint64(1) << 32) + 1, (qint64(1) << 32) + self}) {
        EXPECT_FALSE(workspace().terminate(pid, true)) << pid;
        EXPECT_FALSE(workspace().quit(pid)) << pid;
    }
}

} // namespace
