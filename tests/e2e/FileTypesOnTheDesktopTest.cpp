// The types that hand things to the desktop, with the built engine on a
// real X server and a real session bus, hot keys pressed with xdotool: an
// address with every special character reaches the chosen browser itself,
// a folder reaches the file manager's bus service, a folder's documents
// reach the print system with the per-run printer, the default untouched.
// The browser, xdg-open and the CUPS tools are stand-ins that record their
// arguments; the file manager is played by the test on the session bus.
#include "DesktopTest.h"

#include "DataFileRecords.h"
#include "TestSupport.h"

#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QObject>
#include <QUrl>
#include <gtest/gtest.h>

using namespace zelk::e2e;
using namespace zelk::test::records;

namespace {

constexpr quint32 KeyU = 32, KeyF = 3, KeyP = 35, KeyM = 46;
constexpr quint32 CtrlAlt = Command | Option;

class RecordingFileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    QStringList shown;
public slots:
    void ShowFolders(const QStringList& uris, const QString&) { shown << uris; }
    void ShowItems(const QStringList& uris, const QString&) { shown << uris; }
};

QString readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void writeTool(const QString& path, const QByteArray& body)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n" + body);
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

class FileTypesOnTheDesktopTest : public DesktopTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tools.isValid());
        const QString bin = tools.path();
        log = tools.path() + "/calls";
        const QByteArray record = "printf '%s|' \"$(basename \"$0\")\" \"$@\" >> '" + log.toUtf8() + "'; echo >> '" +
                                  log.toUtf8() + "'\n";
        writeTool(bin + "/browser", record);
        writeTool(bin + "/xdg-open", record);
        writeTool(bin + "/lpstat", record + "case \"$1\" in -e) printf 'Office\\nLab\\n' ;; "
                                            "-d) echo 'system default destination: Office' ;; esac\n");
        writeTool(bin + "/lp", record);
        writeTool(bin + "/lpoptions", record);
        path = std::make_unique<zelk::test::ScopedEnv>("PATH", (bin + ":" + qEnvironmentVariable("PATH")).toUtf8());
        DesktopTest::SetUp();
    }

    QStringList calls() const { return readAll(log).split('\n', Qt::SkipEmptyParts); }

    QTemporaryDir tools;
    QString log;
    std::unique_ptr<zelk::test::ScopedEnv> path;
};

TEST_F(FileTypesOnTheDesktopTest, HotKeysHandAddressFolderAndJobsToTheDesktop)
{
    const QString address = "https://example.org/a b?q=1&r=#frag";
    const QString url = "https://example.org/search?q=a%26b&x=%23y";
    const QString folder = desktop->home() + "/Shared \"docs\"";
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile(folder + "/report.pdf").open(QIODevice::WriteOnly);
    ASSERT_TRUE(desktop->writeDesktopEntry("org.example.Browser.desktop",
                                           "[Desktop Entry]\nType=Application\nName=Browser\nExec=browser %u\n"));

    RecordingFileManager fileManager;
    QDBusConnection bus = QDBusConnection::connectToBus(desktop->busAddress(), "file-manager");
    ASSERT_TRUE(bus.registerObject("/org/freedesktop/FileManager1", &fileManager, QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(bus.registerService("org.freedesktop.FileManager1"));

    DataFiles files;
    files.actions = {action(0, "url", "URLShortcut", {{"Action", 1}, {"Address", url}, {"Application", "org.example.Browser"}}),
                     action(1, "window", "FinderWindowShortcut", {{"Action", 1}, {"Path", folder}, {"NewWindow", true},
                                                                  {"ViewType", 3}, {"WindowRect", "{{0, 0}, {0, 0}}"}}),
                     action(2, "print", "PrintShortcut", {{"Action", 4}, {"Path", folder}, {"Printer", "Lab"}}),
                     action(3, "bad", "URLShortcut", {{"Action", 1}, {"Address", address}})};
    files.contexts = {context(0, "Everywhere", 0)};
    files.launchers = {keyLauncher(0, KeyU | CtrlAlt), keyLauncher(1, KeyF | CtrlAlt), keyLauncher(2, KeyP | CtrlAlt)};
    files.shortcuts = {shortcut(0, "Open", {0, 3}, {0}, {0}), shortcut(1, "Show", {1}, {1}, {0}),
                       shortcut(2, "Print", {2}, {2}, {0})};
    ASSERT_TRUE(desktop->writeData(files));
    QString why;
    ASSERT_TRUE(desktop->startEngine(&why)) << why.toStdString();

    ASSERT_TRUE(desktop->xdotool({"key", "ctrl+alt+u"}));
    ASSERT_TRUE(pollUntil([&] { return calls().contains("browser|" + url + "|"); }, 15000)) << calls().join('\n').toStdString();

    ASSERT_TRUE(desktop->xdotool({"key", "ctrl+alt+f"}));
    ASSERT_TRUE(pollUntil([&] { return !fileManager.shown.isEmpty(); }, 15000));
    EXPECT_EQ(QUrl(fileManager.shown.first()).toLocalFile(), folder);

    ASSERT_TRUE(desktop->xdotool({"key", "ctrl+alt+p"}));
    ASSERT_TRUE(pollUntil([&] { return calls().contains("lp|-d|Lab|--|" + folder + "/report.pdf|"); }, 15000))
        << calls().join('\n').toStdString();
    for (const QString& call : calls())
        EXPECT_FALSE(call.startsWith("lpoptions")) << "the default printer changed";
    // The address with a space never reached a handler.
    for (const QString& call : calls())
        EXPECT_FALSE(call.contains("a b")) << call.toStdString();

    bus.unregisterService("org.freedesktop.FileManager1");
    QDBusConnection::disconnectFromBus("file-manager");
}

TEST_F(FileTypesOnTheDesktopTest, FolderMenuPopsUpAtTheMouse)
{
    const QString folder = desktop->home() + "/Menu";
    ASSERT_TRUE(QDir().mkpath(folder + "/Sub"));
    for (const char* name : {"b.txt", "A.pdf", ".hidden"})
        QFile(folder + "/" + name).open(QIODevice::WriteOnly);
    DataFiles files;
    files.actions = {action(0, "menu", "FolderShortcut", {{"Action", 1}, {"Path", folder}})};
    files.contexts = {context(0, "Everywhere", 0)};
    files.launchers = {keyLauncher(0, KeyM | CtrlAlt)};
    files.shortcuts = {shortcut(0, "Menu", {0}, {0}, {0})};
    ASSERT_TRUE(desktop->writeData(files));
    QString why;
    ASSERT_TRUE(desktop->startEngine(&why)) << why.toStdString();
    ASSERT_TRUE(desktop->xdotool({"mousemove", "200", "150"}));
    ASSERT_TRUE(desktop->xdotool({"key", "ctrl+alt+m"}));
    ASSERT_TRUE(pollUntil([&] { return !desktop->windowsOf(desktop->engine()->pid()).isEmpty(); }, 15000))
        << "no menu window";
    // Into the submenu, so that it is listed as it opens.
    ASSERT_TRUE(desktop->xdotool({"key", "Down", "Down", "Down", "Down", "Down", "Down", "Right"}));
    pollUntil([] { return false; }, 500);
    const QImage shot = desktop->screenshot();
    ASSERT_FALSE(shot.isNull());
    EXPECT_TRUE(Desktop::saveArtefact(shot, "folder-menu.png"));
    ASSERT_TRUE(desktop->xdotool({"key", "Escape", "Escape"}));
    EXPECT_TRUE(pollUntil([&] { return desktop->windowsOf(desktop->engine()->pid()).isEmpty(); }, 15000));
}

} // namespace

#include "FileTypesOnTheDesktopTest.moc"
