// The document action type, running side, on the virtual desktop: which
// request opens a document (the default application, a chosen desktop
// entry), refusals reported, former model numbers, the copied files and
// the recent documents menu.
#include "DocumentShortcut/DocumentShortcut.h"
#include "FileTypesTestSupport.h"
#include "TestSupport.h"
#include "VirtualPlatform.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace zelk;
using namespace zelk::engine;
using namespace zelk::test;

namespace {

class DocumentShortcutRunnerTest : public TempHomeTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(loadActionRunners());
        ASSERT_NE(VirtualPlatform::current(), nullptr);
        docs = &VirtualPlatform::current()->virtualDocuments();
        ws = &VirtualPlatform::current()->virtualWorkspace();
        docs->clearRequests();
        docs->userCopiesFiles({});
        docs->setClipboardUnreadable(false);
        ws->clearRequests();
        dir = home->path() + "/docs";
        QDir().mkpath(dir + "/folder");
        for (const char* name : {"a.txt", "b.txt"})
            QFile(dir + "/" + name).open(QIODevice::WriteOnly);
        // A chosen application: a desktop entry in the user's applications.
        const QString apps = home->dataHome() + "/applications";
        QDir().mkpath(apps);
        entry = apps + "/org.example.Editor.desktop";
        QFile file(entry);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[Desktop Entry]\nType=Application\nName=Editor\nExec=editor --open %F\n");
    }

    void TearDown() override
    {
        docs->setCannotOpen(dir + "/a.txt", false);
    }

    QString run(const QVariantMap& data)
    {
        return runAction(actionWithParameters("DocumentShortcut", "doc", 3, data), controller);
    }

    VirtualDocumentServices* docs = nullptr;
    VirtualWorkspace* ws = nullptr;
    QString dir;
    QString entry;
    std::shared_ptr<TestController> controller = std::make_shared<TestController>();
    UtilityScope<FilesEngineUtility> scope;
};

TEST_F(DocumentShortcutRunnerTest, OpensWithTheDefaultApplicationOrTheChosenEntry)
{
    const QString doc = dir + "/a.txt";
    EXPECT_EQ(run(params({{"Action", 2}, {"DocPath", doc}, {"AppName", ""}})), "");
    EXPECT_EQ(docs->requests(), QStringList{"open " + doc});
    // The document goes on the chosen application's own command line.
    EXPECT_EQ(run(params({{"Action", 2}, {"DocPath", doc}, {"AppName", "org.example.Editor"}})), "");
    EXPECT_EQ(ws->requests(), QStringList{"launch " + entry + " " + doc});
    // A record of the former model 1 opens its document all the same.
    docs->clearRequests();
    EXPECT_EQ(run(params({{"Action", 1}, {"DocPath", doc}})), "");
    EXPECT_EQ(docs->requests(), QStringList{"open " + doc});
}

TEST_F(DocumentShortcutRunnerTest, FailuresAreReported)
{
    const QString doc = dir + "/a.txt";
    struct Case {
        const char* what;
        QVariantMap data;
        QString mentions;
    } cases[] = {
        {"missing document", params({{"Action", 2}, {"DocPath", dir + "/gone.txt"}}), dir + "/gone.txt"},
        {"unknown application", params({{"Action", 2}, {"DocPath", doc}, {"AppName", "NoSuchApp"}}), "NoSuchApp"},
        {"desktop refuses", params({{"Action", 2}, {"DocPath", doc}}), doc},
    };
    docs->setCannotOpen(doc);
    for (const Case& c : cases) {
        const QString error = run(c.data);
        EXPECT_TRUE(error.contains(c.mentions)) << c.what << ": " << error.toStdString();
    }
    EXPECT_TRUE(ws->requests().isEmpty()) << "nothing is launched for a missing application";
}

TEST_F(DocumentShortcutRunnerTest, OpensTheCopiedDocumentsAndSkipsFolders)
{
    docs->userCopiesFiles({dir + "/folder", dir + "/a.txt", dir + "/b.txt"});
    EXPECT_EQ(run(params({{"Action", 5}, {"AppName", ""}})), "");
    EXPECT_EQ(docs->requests(), (QStringList{"open " + dir + "/a.txt", "open " + dir + "/b.txt"}));

    docs->userCopiesFiles({dir + "/folder"});
    EXPECT_FALSE(run(params({{"Action", 4}})).isEmpty()) << "only a folder copied: nothing to open";
    docs->setClipboardUnreadable(true);
    EXPECT_FALSE(run(params({{"Action", 5}})).isEmpty());
}

TEST_F(DocumentShortcutRunnerTest, StoppingStopsBeforeTheNextDocument)
{
    docs->userCopiesFiles({dir + "/a.txt", dir + "/b.txt"});
    controller->stopAfter = 1;
    EXPECT_EQ(run(params({{"Action", 5}})), "");
    EXPECT_EQ(docs->requests(), QStringList{"open " + dir + "/a.txt"});
}

TEST_F(DocumentShortcutRunnerTest, RecentDocumentsMenuKeepsOrSortsTheOrder)
{
    docs->setRecentDocuments({{"beta.txt", dir + "/b.txt"}, {"Alpha.txt", dir + "/a.txt"}, {"gone.txt", ""}});
    EXPECT_EQ(run(params({{"Action", 3}, {"Order", 0}})), "");
    EXPECT_EQ(run(params({{"Action", 3}, {"Order", 1}})), "");
    EXPECT_EQ(scope.utility.shownMenus(),
              (QStringList{"beta.txt, Alpha.txt, -gone.txt", "Alpha.txt, beta.txt, -gone.txt"}));
}

} // namespace
