// Documents and the file manager on Linux: the freedesktop file-manager
// service played on a private bus, the desktop entry when there is none,
// xdg-open's answer, the copied files' URI list and the recent documents.
#include "LinuxDocuments.h"
#include "PrivateBus.h"
#include "TestSupport.h"
#include "VirtualDesktop.h"

#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QObject>
#include <QUrl>
#include <gtest/gtest.h>
#include <atomic>
#include <thread>

using namespace zelk;
using namespace zelk::test;

namespace {

class FakeFileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    QList<QStringList> calls;
public slots:
    void ShowFolders(const QStringList& uris, const QString&) { calls << (QStringList{"ShowFolders"} + uris); }
    void ShowItems(const QStringList& uris, const QString&) { calls << (QStringList{"ShowItems"} + uris); }
};

void writeScript(const QString& path, const QByteArray& body)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n" + body);
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

class LinuxFileManagerTest : public PrivateBusServiceTest {
protected:
    LinuxFileManagerTest() : PrivateBusServiceTest("fake-file-manager") {}

    void SetUp() override
    {
        PrivateBusServiceTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        bin = home.path() + "/bin";
        QDir().mkpath(bin);
        // The user's file manager for folders, when the service is absent.
        writeScript(bin + "/xdg-mime", "echo org.example.Files.desktop\n");
        pathEnv = std::make_unique<ScopedEnv>("PATH", (bin + ":" + qEnvironmentVariable("PATH")).toUtf8());
        const QString apps = home.dataHome() + "/applications";
        QDir().mkpath(apps);
        QFile entry(apps + "/org.example.Files.desktop");
        ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
        entry.write("[Desktop Entry]\nType=Application\nName=Files\nExec=files %U\nCategories=FileManager;\n");
    }

    void TearDown() override
    {
        if (bus) {
            bus->unregisterObject("/org/freedesktop/FileManager1");
            bus->unregisterService("org.freedesktop.FileManager1");
        }
        PrivateBusServiceTest::TearDown();
    }

    void serve()
    {
        ASSERT_TRUE(bus->registerObject("/org/freedesktop/FileManager1", &fileManager, QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(bus->registerService("org.freedesktop.FileManager1"));
    }

    // The call from a run thread, as the runners make it, while this thread
    // serves the bus.
    bool showFromRunThread(bool items, const QStringList& paths)
    {
        std::atomic<int> answer{-1};
        std::thread run([&] { answer = (items ? documents.showItems(paths) : documents.showFolders(paths)) ? 1 : 0; });
        const bool answered = waitUntil([&] { return answer >= 0; }, 15000);
        run.join();
        return answered && answer == 1;
    }

    TempHome home;
    QString bin;
    std::unique_ptr<ScopedEnv> pathEnv;
    FakeFileManager fileManager;
    VirtualWorkspace workspace;
    LinuxDocumentServices documents{workspace};
};

TEST_F(LinuxFileManagerTest, FoldersAndItemsGoToTheServiceAsUris)
{
    serve();
    const QString odd = home.path() + "/My \"odd\" folder #1";
    QDir().mkpath(odd);
    ASSERT_TRUE(showFromRunThread(false, {odd}));
    ASSERT_TRUE(showFromRunThread(true, {odd + "/x.txt"}));
    ASSERT_EQ(fileManager.calls.size(), 2);
    EXPECT_EQ(fileManager.calls[0], (QStringList{"ShowFolders", QUrl::fromLocalFile(odd).toString(QUrl::FullyEncoded)}));
    EXPECT_EQ(QUrl(fileManager.calls[1].value(1)).toLocalFile(), odd + "/x.txt");
    EXPECT_TRUE(workspace.requests().isEmpty());
}

TEST_F(LinuxFileManagerTest, WithoutTheServiceTheUsersFileManagerStarts)
{
    const QString folder = home.path() + "/Docs";
    ASSERT_TRUE(showFromRunThread(false, {folder}));
    const QString entry = home.dataHome() + "/applications/org.example.Files.desktop";
    EXPECT_EQ(workspace.requests(), QStringList{"launch " + entry + " " + folder});
    // An item's folder is shown when the item can't be selected.
    ASSERT_TRUE(showFromRunThread(true, {folder + "/a.txt"}));
    EXPECT_EQ(workspace.requests().last(), "launch " + entry + " " + folder);
}

TEST(LinuxDocuments, OpenReportsWhatXdgOpenAnswers)
{
    TempHome home;
    const QString bin = home.path() + "/bin";
    QDir().mkpath(bin);
    // xdg-open's exit codes: 0 opened, 3 no such file, 4 the action failed.
    writeScript(bin + "/xdg-open", "case \"$1\" in *fail*) exit 4 ;; *slow*) sleep 8 ;; esac\nexit 0\n");
    ScopedEnv path("PATH", (bin + ":" + qEnvironmentVariable("PATH")).toUtf8());
    VirtualWorkspace workspace;
    LinuxDocumentServices documents(workspace);
    EXPECT_TRUE(documents.openWithDefault("https://example.org"));
    EXPECT_FALSE(documents.openWithDefault("nosuch:fail"));
    // A launcher that stays with what it started counts as opened.
    EXPECT_TRUE(documents.openWithDefault("slow:thing"));
    ScopedEnv none("PATH", "/nonexistent");
    EXPECT_FALSE(documents.openWithDefault("https://example.org"));
}

TEST(LinuxDocuments, UriListsAndRecentDocuments)
{
    EXPECT_EQ(LinuxDocumentServices::pathsOfUriList("# comment\r\nfile:///tmp/a%20b.txt\r\nhttps://x.org/y\r\n"
                                                    "file:///tmp/dir/\r\n\r\n"),
              (QStringList{"/tmp/a b.txt", "/tmp/dir"}));
    TempHome home;
    const QString xbel = home.path() + "/recent.xbel";
    QFile file(xbel);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"(<?xml version="1.0" encoding="UTF-8"?>
<xbel version="1.0" xmlns:bookmark="http://www.freedesktop.org/standards/desktop-bookmarks">
  <bookmark href="file:///home/u/old.txt" added="2024-01-01T10:00:00Z" modified="2024-01-01T10:00:00Z" visited="2024-01-01T10:00:00Z"/>
  <bookmark href="file:///home/u/new%20one.odt" added="2024-03-01T10:00:00Z" modified="2024-03-02T10:00:00Z" visited="2024-03-02T10:00:00Z"/>
  <bookmark href="https://example.org/page.html" added="2024-02-01T10:00:00Z" modified="2024-02-01T10:00:00Z" visited="2024-02-01T10:00:00Z"/>
</xbel>)");
    file.close();
    EXPECT_EQ(LinuxDocumentServices::readRecentFile(xbel),
              (QList<RecentDocument>{{"new one.odt", "/home/u/new one.odt"}, {"page.html", ""}, {"old.txt", "/home/u/old.txt"}}));
    EXPECT_TRUE(LinuxDocumentServices::readRecentFile(home.path() + "/missing.xbel").isEmpty());
}

} // namespace

#include "LinuxDocumentsTest.moc"
