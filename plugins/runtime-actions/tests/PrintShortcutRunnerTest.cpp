// The printing action type, running side, on the virtual print system: a
// per-run printer goes with each job and the default stays; the default
// changes only for the models that set it; refusals are reported.
#include "PrintShortcut/PrintShortcut.h"
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

class PrintShortcutRunnerTest : public TempHomeTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(loadActionRunners());
        ASSERT_NE(VirtualPlatform::current(), nullptr);
        printing = &VirtualPlatform::current()->virtualPrinting();
        docs = &VirtualPlatform::current()->virtualDocuments();
        printing->setPrinters({"Office", "Laser \"2\"; rm -rf ~"}, "Office");
        printing->clearRequests();
        docs->userCopiesFiles({});
        dir = home->path() + "/print";
        QDir().mkpath(dir + "/sub");
        for (const char* name : {"a.pdf", ".hidden.txt"})
            QFile(dir + "/" + name).open(QIODevice::WriteOnly);
    }

    QString run(const QVariantMap& data)
    {
        return runAction(actionWithParameters("PrintShortcut", "print", 5, data), controller);
    }

    VirtualPrintService* printing = nullptr;
    VirtualDocumentServices* docs = nullptr;
    QString dir;
    std::shared_ptr<TestController> controller = std::make_shared<TestController>();
    UtilityScope<FilesEngineUtility> scope;
};

TEST_F(PrintShortcutRunnerTest, PerRunPrinterNeverTouchesTheDefault)
{
    const QString other = "Laser \"2\"; rm -rf ~";
    docs->userCopiesFiles({dir + "/a.pdf", dir + "/sub"});
    EXPECT_EQ(run(params({{"Action", 3}, {"Printer", other}})), "");
    EXPECT_EQ(printing->requests(), QStringList{"print " + other + " " + dir + "/a.pdf"});
    EXPECT_EQ(printing->defaultPrinter(), "Office");

    printing->clearRequests();
    EXPECT_EQ(run(params({{"Action", 4}, {"Path", dir}, {"Printer", ""}})), "");
    QStringList jobs = printing->requests();
    jobs.sort();
    // One level, hidden documents included, the subfolder not.
    EXPECT_EQ(jobs, (QStringList{"print (default) " + dir + "/.hidden.txt", "print (default) " + dir + "/a.pdf"}));
}

TEST_F(PrintShortcutRunnerTest, SettingTheDefault)
{
    EXPECT_EQ(run(params({{"Action", 1}, {"Printer", "Office"}})), "");
    EXPECT_TRUE(printing->requests().isEmpty()) << "already the default: nothing done";
    EXPECT_EQ(run(params({{"Action", 1}, {"Printer", "Laser \"2\"; rm -rf ~"}})), "");
    EXPECT_EQ(printing->defaultPrinter(), "Laser \"2\"; rm -rf ~");
    EXPECT_TRUE(run(params({{"Action", 1}, {"Printer", "Gone"}})).contains("Gone"));
    EXPECT_TRUE(run(params({{"Action", 3}, {"Printer", "Gone"}})).contains("Gone"));
}

TEST_F(PrintShortcutRunnerTest, PrintersMenuChecksTheDefaultAndSetsTheChosenOne)
{
    scope.utility.choose = "Laser \"2\"; rm -rf ~";
    EXPECT_EQ(run(params({{"Action", 2}})), "");
    EXPECT_EQ(scope.utility.shownMenus(), QStringList{"Laser \"2\"; rm -rf ~, *Office"});
    EXPECT_TRUE(waitUntil([&] { return printing->defaultPrinter() == "Laser \"2\"; rm -rf ~"; }));
}

TEST_F(PrintShortcutRunnerTest, NothingToPrintAndRefusedJobsAreReported)
{
    docs->userCopiesFiles({dir + "/sub"});
    EXPECT_FALSE(run(params({{"Action", 3}})).isEmpty());
    EXPECT_TRUE(run(params({{"Action", 4}, {"Path", dir + "/gone"}})).contains(dir + "/gone"));
    // Without any default printer the print system refuses the job: the
    // controller hears of it and stops the run.
    printing->setPrinters({"Office"}, "");
    docs->userCopiesFiles({dir + "/a.pdf"});
    EXPECT_EQ(run(params({{"Action", 3}})), "");
    EXPECT_EQ(printing->requests().last(), "print (default) " + dir + "/a.pdf");
}

} // namespace
