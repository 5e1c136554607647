// Desktop entries: reading, Exec quoting and field codes, matching
// running programs to their entries, and the user's terminal.
#include "DesktopEntries.h"
#include "TestSupport.h"
#include "UserTerminal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zelk;

// Found by gtest for QStringList and QList<QStringList> alike.
[[maybe_unused]] static void PrintTo(const QStringList& l, std::ostream* os)
{
    *os << "[" << l.join("|").toStdString() << "]";
}

namespace {

TEST(DesktopEntries, ExecQuoting)
{
    const struct { QString exec; std::optional<QStringList> args; } cases[] = {
        {"foo", QStringList{"foo"}},
        {"  foo   bar  ", QStringList{"foo", "bar"}},
        {R"("/opt/my app/run" --x)", QStringList{"/opt/my app/run", "--x"}},
        {R"(sh -c "echo \"a\" \$HOME \` \\ end")", QStringList{"sh", "-c", R"(echo "a" $HOME ` \ end)"}},
        {R"(foo "" bar)", QStringList{"foo", "", "bar"}},
        {R"(foo "unterminated)", std::nullopt},
        {"", QStringList{}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DesktopEntries::splitExec(c.exec), c.args) << c.exec.toStdString();
}

TEST(DesktopEntries, AQuotedArgumentReadsBackAsItWas)
{
    QTemporaryDir dir;
    const QString arguments[] = {
        "/usr/bin/plain", "/opt/My Apps/run", R"(/opt/say "hi")", "/opt/`cmd`", "/opt/$HOME", R"(/opt/back\slash)",
        R"(/opt/ends\)", "/opt/50% off", "/opt/%f", "/opt/two\nlines\nExec=/bin/false", "/opt/tab\there", "/opt/caf\u00e9",
    };
    for (const QString& argument : arguments) {
        const QString path = dir.path() + "/app.desktop";
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(("[Desktop Entry]\nType=Application\nName=App\nExec=" + DesktopEntries::quoteExecArgument(argument)
                    + " --flag\n").toUtf8());
        file.close();
        const auto entry = DesktopEntries::read(path);
        ASSERT_TRUE(entry.has_value()) << argument.toStdString();
        const auto lines = DesktopEntries::commandLines(*entry, {});
        ASSERT_EQ(lines.size(), 1) << argument.toStdString();
        EXPECT_EQ(lines.first(), (QStringList{argument, "--flag"})) << argument.toStdString();
    }
}

TEST(DesktopEntries, FieldCodes)
{
    DesktopEntry e;
    e.name = "My App";
    e.path = "/apps/my.desktop";
    e.icon = "myicon";
    const struct { QString exec; QStringList documents; QList<QStringList> lines; } cases[] = {
        {"app %f", {"/tmp/a b"}, {{"app", "/tmp/a b"}}},
        {"app %f", {}, {{"app"}}},
        {"app %f", {"/x", "/y"}, {{"app", "/x"}, {"app", "/y"}}},  // one process per file
        {"app %F", {"/x", "file:///tmp/a%20b"}, {{"app", "/x", "/tmp/a b"}}},
        {"app %F", {"https://example.org/"}, {{"app"}}},            // files only
        {"app %U", {"/x", "https://example.org/"}, {{"app", "/x", "https://example.org/"}}},
        {"app %u", {"https://example.org/", "/y"}, {{"app", "https://example.org/"}, {"app", "/y"}}},
        {"app --file=%f", {"/x"}, {{"app", "--file=/x"}}},
        {"app %i --name %c %k", {}, {{"app", "--icon", "myicon", "--name", "My App", "/apps/my.desktop"}}},
        {"app 100%% %d %D %n %N %v %m", {}, {{"app", "100%"}}},       // deprecated codes go
        {"app \"broken", {"/x"}, {}},
        {"%f", {}, {}},
    };
    for (const auto& c : cases) {
        e.exec = c.exec;
        EXPECT_EQ(DesktopEntries::commandLines(e, c.documents), c.lines) << c.exec.toStdString();
    }
    e.icon.clear();
    e.exec = "app %i";
    EXPECT_EQ(DesktopEntries::commandLines(e, {}), QList<QStringList>({{"app"}})) << "no icon, no --icon";
}

class DesktopEntriesFolders : public zelk::test::TempHomeTest {
protected:
    void SetUp() override
    {
        dataDir = home->path() + "/share";
        savedDirs = qgetenv("XDG_DATA_DIRS");
        qputenv("XDG_DATA_DIRS", dataDir.toLocal8Bit());
        program = home->path() + "/bin/tool";
        write(program, "#!/bin/sh\n");
        QFile::setPermissions(program, QFile::permissions(program) | QFile::ExeOwner);
    }
    void TearDown() override { qputenv("XDG_DATA_DIRS", savedDirs); }

    static void write(const QString& path, const QByteArray& text)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    }
    void entry(const QString& relative, const QByteArray& body, bool inHome = false)
    {
        write((inHome ? home->dataHome() : dataDir) + "/applications/" + relative, "[Desktop Entry]\nType=Application\n" + body);
    }

    QString dataDir, program;
    QByteArray savedDirs;
};

TEST_F(DesktopEntriesFolders, ReadingAnEntry)
{
    entry("full.desktop", "Name=Full\\sName\nName[de]=Voll\nExec=tool %U\nIcon=x\nPath=/tmp\nStartupWMClass=Full\n"
                          "# comment\n[Desktop Action other]\nExec=other\nName=Other\n");
    entry("hidden.desktop", "Name=H\nExec=tool\nHidden=true\n");
    write(dataDir + "/applications/link.desktop", "[Desktop Entry]\nType=Link\nName=L\nURL=https://x\n");
    entry("noexec.desktop", "Name=N\n");

    const auto full = DesktopEntries::read(dataDir + "/applications/full.desktop");
    ASSERT_TRUE(full);
    EXPECT_EQ(full->id, "full.desktop");
    EXPECT_EQ(full->name, "Full Name");
    EXPECT_EQ(full->exec, "tool %U") << "an action's Exec is not the entry's";
    EXPECT_EQ(full->icon, "x");
    EXPECT_EQ(full->workingDir, "/tmp");
    EXPECT_EQ(full->wmClass, "Full");
    for (const char* name : {"hidden.desktop", "link.desktop", "noexec.desktop", "missing.desktop"})
        EXPECT_FALSE(DesktopEntries::read(dataDir + "/applications/" + name)) << name;
}

TEST_F(DesktopEntriesFolders, MatchingWindowsAndPrograms)
{
    entry("org.example.Editor.desktop", "Name=Editor\nExec=/nonexistent/editor\n");
    entry("viewer.desktop", "Name=Viewer\nExec=/nonexistent/viewer\nStartupWMClass=ImageView\n");
    entry("kde/tool.desktop", ("Name=Tool\nExec=env LANG=C " + program + " %f\n").toUtf8());
    entry("shell.desktop", "Name=Shell thing\nExec=/bin/sh -c 'true'\n");
    entry("viewer.desktop", "Name=My Viewer\nExec=/nonexistent/viewer\nStartupWMClass=ImageView\n", true);

    DesktopEntries entries;
    auto viewer = entries.forWindowClass("imageview", "ImageView");
    ASSERT_TRUE(viewer);
    EXPECT_EQ(viewer->name, "My Viewer") << "the user's own entry comes first";
    EXPECT_EQ(entries.forWindowClass("x", "imageVIEW")->id, "viewer.desktop");
    EXPECT_EQ(entries.forWindowClass("editor", "Editor")->id, "org.example.Editor.desktop");
    EXPECT_FALSE(entries.forWindowClass("", ""));
    EXPECT_FALSE(entries.forWindowClass("other", "Other"));

    const QString canonical = QFileInfo(program).canonicalFilePath();
    auto tool = entries.forProgram(canonical, {canonical});
    ASSERT_TRUE(tool);
    EXPECT_EQ(tool->id, "kde-tool.desktop");
    EXPECT_EQ(entries.forProgram("/usr/bin/python3", {"python3", program})->id, "kde-tool.desktop")
        << "a script counts as the program its interpreter runs";
    EXPECT_FALSE(entries.forProgram(QFileInfo("/bin/sh").canonicalFilePath(), {"sh"}))
        << "an entry that starts a shell claimed every shell";

    entry("late.desktop", "Name=Late\nExec=/nonexistent/late\nStartupWMClass=Late\n");
    entries.refresh();
    EXPECT_TRUE(entries.forWindowClass("late", "Late"));
}

TEST_F(DesktopEntriesFolders, TheUsersTerminal)
{
    const QString bin = home->path() + "/bin", other = home->path() + "/other";
    auto program = [](const QString& path) {
        write(path, "#!/bin/sh\n");
        QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner);
    };
    program(other + "/x-terminal-emulator");
    program(bin + "/myterm");
    program(bin + "/notexecutable");
    QFile::setPermissions(bin + "/notexecutable", QFile::ReadOwner | QFile::WriteOwner);
    entry("b-term.desktop", "Name=B\nExec=/nonexistent/bterm\nCategories=System;TerminalEmulator;\n");
    entry("a-term.desktop", "Name=A\nExec=/nonexistent/aterm\nCategories=System;TerminalEmulator;\n");
    entry("editor.desktop", "Name=E\nExec=/nonexistent/editor\nCategories=Utility;TextEditor;\n");
    const QString firstEntry = dataDir + "/applications/a-term.desktop";

    const struct {
        QByteArray path;
        QByteArray terminal;
        QString expected;
        const char* why;
    } cases[] = {
        {(other + ":" + bin).toLocal8Bit(), "myterm", other + "/x-terminal-emulator", "the alternative first"},
        {bin.toLocal8Bit(), "myterm", bin + "/myterm", "then $TERMINAL, by name"},
        {bin.toLocal8Bit(), (bin + "/myterm").toLocal8Bit(), bin + "/myterm", "or by path"},
        {bin.toLocal8Bit(), "nosuchterm", firstEntry, "a $TERMINAL that names nothing is passed over"},
        {bin.toLocal8Bit(), (bin + "/notexecutable").toLocal8Bit(), firstEntry, "so is one that cannot run"},
        {bin.toLocal8Bit(), QByteArray(), firstEntry, "then the first terminal entry, by ID"},
    };
    for (const auto& c : cases) {
        zelk::test::ScopedEnv path("PATH", c.path), terminal("TERMINAL", c.terminal);
        DesktopEntries entries;
        EXPECT_EQ(UserTerminal::find(entries), c.expected) << c.why;
    }

    // The user's own entry comes before the system's.
    entry("z-term.desktop", "Name=Z\nExec=/nonexistent/zterm\nCategories=TerminalEmulator\n", true);
    zelk::test::ScopedEnv path("PATH", bin.toLocal8Bit()), terminal("TERMINAL", QByteArray());
    DesktopEntries entries;
    EXPECT_EQ(UserTerminal::find(entries), home->dataHome() + "/applications/z-term.desktop");
    for (const QString& path : {firstEntry, dataDir + "/applications/b-term.desktop",
                                home->dataHome() + "/applications/z-term.desktop"})
        ASSERT_TRUE(QFile::remove(path)) << path.toStdString();
    entries.refresh();
    EXPECT_EQ(UserTerminal::find(entries), QString()) << "no terminal at all";
}

TEST_F(DesktopEntriesFolders, CommandLinesInATerminal)
{
    entry("term.desktop", "Name=T\nExec=/opt/term --new-window %U\nX-TerminalArgExec=--exec\nCategories=TerminalEmulator;\n");
    entry("gnome.desktop", "Name=G\nExec=/usr/bin/gnome-terminal\nCategories=TerminalEmulator;\n");
    const QString apps = dataDir + "/applications/";
    const QStringList top{"top", "-d", "1"};
    const struct {
        QString terminal;
        QStringList command;
        QStringList expected;
    } cases[] = {
        {"/usr/bin/x-terminal-emulator", top, QStringList{"/usr/bin/x-terminal-emulator", "-e"} + top},
        {"/usr/bin/xterm", top, QStringList{"/usr/bin/xterm", "-e"} + top},
        {"/usr/bin/gnome-terminal", top, QStringList{"/usr/bin/gnome-terminal", "--"} + top},
        {"/usr/bin/xfce4-terminal", top, QStringList{"/usr/bin/xfce4-terminal", "-x"} + top},
        {"/usr/bin/kitty", top, QStringList{"/usr/bin/kitty"} + top},
        {apps + "term.desktop", top, QStringList{"/opt/term", "--new-window", "--exec"} + top},
        {apps + "gnome.desktop", top, QStringList{"/usr/bin/gnome-terminal", "--"} + top},
        {apps + "missing.desktop", top, {}},
        {"", top, {}},
        {"/usr/bin/xterm", {}, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(UserTerminal::commandLine(c.terminal, c.command), c.expected) << c.terminal.toStdString();

    const auto runsInTerminal = DesktopEntries::read(apps + "term.desktop");
    ASSERT_TRUE(runsInTerminal);
    EXPECT_FALSE(runsInTerminal->terminal);
    EXPECT_EQ(runsInTerminal->categories, QStringList({"TerminalEmulator"}));
    entry("top.desktop", "Name=Top\nExec=top\nTerminal=true\n");
    EXPECT_TRUE(DesktopEntries::read(apps + "top.desktop")->terminal);
}

// The recently-used store as the desktop's toolkits write it: the
// applications each file was opened with, matched to their entries.
TEST_F(DesktopEntriesFolders, RecentlyUsedApplications)
{
    entry("kde/tool.desktop", ("Name=Tool\nExec=" + program + " %f\n").toUtf8());
    entry("org.example.Viewer.desktop", "Name=Viewer\nExec=/nonexistent/viewer\n");
    const QString store = home->dataHome() + "/recently-used.xbel";
    write(store, R"(<?xml version="1.0" encoding="UTF-8"?>
<xbel version="1.0" xmlns:bookmark="http://www.freedesktop.org/standards/desktop-bookmarks"
      xmlns:mime="http://www.freedesktop.org/standards/shared-mime-info">
  <bookmark href="file:///tmp/a.txt" added="2026-01-01T10:00:00Z" modified="2026-01-03T10:00:00Z" visited="2026-01-03T10:00:00Z">
    <info><metadata owner="http://freedesktop.org">
      <mime:mime-type type="text/plain"/>
      <bookmark:applications>
        <bookmark:application name="tool" exec="&apos;tool %u&apos;" modified="2026-01-02T10:00:00Z" count="1"/>
        <bookmark:application name="viewer" exec="&apos;/nonexistent/viewer %u&apos;" modified="2026-01-04T09:00:00.5Z" count="2"/>
      </bookmark:applications>
    </metadata></info>
  </bookmark>
  <bookmark href="file:///tmp/b.txt" added="2026-01-01T10:00:00Z" modified="2026-01-05T10:00:00Z" visited="2026-01-05T10:00:00Z">
    <info><metadata owner="http://freedesktop.org">
      <bookmark:applications>
        <bookmark:application name="tool" exec="&apos;tool %u&apos;" timestamp="1767693600" count="1"/>
        <bookmark:application name="gone" exec="&apos;not-installed-anywhere %u&apos;" modified="2026-01-07T10:00:00Z" count="1"/>
      </bookmark:applications>
    </metadata></info>
  </bookmark>
</xbel>
)");
    EXPECT_EQ(DesktopEntries::recentlyUsedPath(), store);
    const QList<RecentUse> uses = DesktopEntries::readRecentlyUsed(store);
    QStringList names;
    for (const RecentUse& use : uses)
        names << use.name + " " + use.modified.toUTC().toString(Qt::ISODate);
    // tool's two uses are one, with the later date (2026-01-06 10:00 UTC).
    EXPECT_EQ(names, QStringList({"gone 2026-01-07T10:00:00Z", "tool 2026-01-06T10:00:00Z", "viewer 2026-01-04T09:00:00Z"}));

    zelk::test::ScopedEnv path("PATH", QFileInfo(program).absolutePath().toLocal8Bit() + ":" + qgetenv("PATH"));
    DesktopEntries entries;
    const qsizetype toolAt = names.indexOf("tool 2026-01-06T10:00:00Z");
    ASSERT_GE(toolAt, 0);
    auto tool = entries.forRecentUse(uses[toolAt]);
    ASSERT_TRUE(tool) << "by the program its command runs";
    EXPECT_EQ(tool->id, "kde-tool.desktop");
    auto viewer = entries.forRecentUse(uses[2]);
    ASSERT_TRUE(viewer) << "by its name when the program is not there";
    EXPECT_EQ(viewer->id, "org.example.Viewer.desktop");
    EXPECT_FALSE(entries.forRecentUse(uses[0]));

    write(store, "<xbel><bookmark");
    EXPECT_TRUE(DesktopEntries::readRecentlyUsed(store).isEmpty()) << "a damaged store gives nothing";
    EXPECT_TRUE(DesktopEntries::readRecentlyUsed(home->path() + "/none.xbel").isEmpty());
}

} // namespace
