// Desktop entries: reading, Exec quoting and field codes, and matching
// running programs to their entries.
#include "DesktopEntries.h"
#include "TestSupport.h"

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

} // namespace
