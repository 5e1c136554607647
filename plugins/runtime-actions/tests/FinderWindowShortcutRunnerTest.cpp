// The file-manager window action type, running side: the folder goes to the
// file manager as an argument, failures are reported, copied folders each
// get a window.
#include "FinderWindowShortcut/FinderWindowShortcut.h"
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

class FinderWindowShortcutRunnerTest : public TempHomeTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(loadActionRunners());
        ASSERT_NE(VirtualPlatform::current(), nullptr);
        docs = &VirtualPlatform::current()->virtualDocuments();
        docs->clearRequests();
        docs->setFileManagerAvailable(true);
        docs->userCopiesFiles({});
        dir = home->path() + "/My \"Folder\"";
        QDir().mkpath(dir + "/one");
        QDir().mkpath(dir + "/two");
        QFile(dir + "/file.txt").open(QIODevice::WriteOnly);
    }
    void TearDown() override { docs->setFileManagerAvailable(true); }

    QString run(const QVariantMap& data)
    {
        return runAction(actionWithParameters("FinderWindowShortcut", "window", 6, data), controller);
    }

    VirtualDocumentServices* docs = nullptr;
    QString dir;
    std::shared_ptr<TestController> controller = std::make_shared<TestController>();
    UtilityScope<FilesEngineUtility> scope;
};

TEST_F(FinderWindowShortcutRunnerTest, ShowsTheFolderWhateverItsName)
{
    EXPECT_EQ(run(params({{"Action", 1}, {"Path", dir}, {"NewWindow", true}, {"ViewType", 3}})), "");
    EXPECT_EQ(docs->requests(), QStringList{"show-folders " + dir});
    EXPECT_TRUE(run(params({{"Action", 1}, {"Path", dir + "/gone"}})).contains(dir + "/gone"));
    docs->setFileManagerAvailable(false);
    EXPECT_FALSE(run(params({{"Action", 1}, {"Path", dir}})).isEmpty()) << "an unreachable file manager is reported";
}

TEST_F(FinderWindowShortcutRunnerTest, OneWindowPerCopiedFolder)
{
    docs->userCopiesFiles({dir + "/one", dir + "/file.txt", dir + "/two"});
    EXPECT_EQ(run(params({{"Action", 2}})), "");
    EXPECT_EQ(docs->requests(), (QStringList{"show-folders " + dir + "/one", "show-folders " + dir + "/two"}));
    docs->userCopiesFiles({dir + "/file.txt"});
    EXPECT_FALSE(run(params({{"Action", 2}})).isEmpty());
    docs->userCopiesFiles({});
    EXPECT_FALSE(run(params({{"Action", 2}})).isEmpty());
}

} // namespace
