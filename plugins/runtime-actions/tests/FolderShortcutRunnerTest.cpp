// The folder-menu action type, running side: what a folder lists under
// each filter, the menus and their submenus, the listing cache that never
// serves a changed folder or other filters, and the errors.
#include "FolderShortcut/FolderShortcut.h"
#include "FileTypesTestSupport.h"
#include "TestSupport.h"
#include "VirtualPlatform.h"

#include <QDir>
#include <QFile>
#include <QMenu>
#include <gtest/gtest.h>

using namespace zelk;
using namespace zelk::engine;
using namespace zelk::test;

namespace {

class FolderShortcutRunnerTest : public TempHomeTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(loadActionRunners());
        ASSERT_NE(VirtualPlatform::current(), nullptr);
        docs = &VirtualPlatform::current()->virtualDocuments();
        docs->userCopiesFiles({});
        FolderShortcut::clearListingCache();
        dir = home->path() + "/menu";
        QDir().mkpath(dir + "/Sub/Deeper");
        for (const char* name : {"b.txt", "A.pdf", ".dot.txt", "Sub/inner.txt", "Sub/Deeper/deep.txt"})
            QFile(dir + "/" + name).open(QIODevice::WriteOnly);
        // An application: a desktop entry; a broken link.
        QFile app(dir + "/tool.desktop");
        ASSERT_TRUE(app.open(QIODevice::WriteOnly));
        app.write("[Desktop Entry]\nType=Application\nName=Tool\nExec=tool\n");
        app.close();
        ASSERT_TRUE(QFile::link(dir + "/nowhere", dir + "/broken"));
    }

    QStringList names(const FolderMenuFlags& flags) const
    {
        QStringList list;
        for (const QString& path : FolderShortcut::itemsArrayForPath(dir, flags))
            list << QFileInfo(path).fileName();
        return list;
    }

    static QStringList titles(const QMenu* menu)
    {
        QStringList list;
        for (const QAction* item : menu->actions())
            list << (item->isSeparator() ? QStringLiteral("--") : item->text() + (item->menu() ? ">" : ""));
        return list;
    }

    VirtualDocumentServices* docs = nullptr;
    QString dir;
    std::shared_ptr<TestController> controller = std::make_shared<TestController>();
    UtilityScope<FilesEngineUtility> scope;
};

TEST_F(FolderShortcutRunnerTest, FiltersAsATable)
{
    FolderMenuFlags all;
    FolderMenuFlags noApps = all;
    noApps.showApplication = false;
    FolderMenuFlags noDocs = all;
    noDocs.showDocument = false;
    FolderMenuFlags noFolders = all;
    noFolders.showFolder = false;
    FolderMenuFlags invisible = all;
    invisible.showInvisible = true;
    struct Case {
        const char* what;
        FolderMenuFlags flags;
        QStringList expected;
    } cases[] = {
        // Sorted by display name ignoring case; the entry is named "Tool".
        {"defaults", all, {"A.pdf", "b.txt", "broken", "Sub", "tool.desktop"}},
        {"no applications, the broken link stays", noApps, {"A.pdf", "b.txt", "broken", "Sub"}},
        {"no documents", noDocs, {"broken", "Sub", "tool.desktop"}},
        {"no folders", noFolders, {"A.pdf", "b.txt", "broken", "tool.desktop"}},
        {"invisible items", invisible, {".dot.txt", "A.pdf", "b.txt", "broken", "Sub", "tool.desktop"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(names(c.flags), c.expected) << c.what;
}

TEST_F(FolderShortcutRunnerTest, ChangedFolderOrOtherFiltersAreListedAnew)
{
    FolderMenuFlags flags;
    EXPECT_EQ(names(flags).size(), 5);
    QFile(dir + "/c.txt").open(QIODevice::WriteOnly);
    EXPECT_TRUE(names(flags).contains("c.txt")) << "a new file shows at once";
    flags.showDocument = false;
    EXPECT_FALSE(names(flags).contains("c.txt")) << "other filters, other list";
    ASSERT_TRUE(QFile::remove(dir + "/c.txt"));
    flags.showDocument = true;
    EXPECT_FALSE(names(flags).contains("c.txt")) << "a removed file goes at once";
}

TEST_F(FolderShortcutRunnerTest, MenusFillWhenOpenedOnceAtAnyDepth)
{
    FolderMenuFlags flags;
    flags.displayExtension = false;
    flags.showInvisible = true;
    std::unique_ptr<QMenu> menu(FolderShortcut::emptyMenuWithPath(dir, flags, true));
    EXPECT_EQ(titles(menu.get()), (QStringList{"This Folder", "Update", "--"}));
    FolderShortcut::fillMenu(menu.get());
    FolderShortcut::fillMenu(menu.get());
    // Extensions dropped, but not from a name that begins with ".".
    EXPECT_EQ(titles(menu.get()), (QStringList{"This Folder", "Update", "--", ".dot.txt", "A", "b", "broken", "Sub>", "Tool"}));
    QMenu* sub = menu->actions()[7]->menu();
    ASSERT_NE(sub, nullptr);
    FolderShortcut::fillMenu(sub);
    ASSERT_EQ(titles(sub), (QStringList{"This Folder", "Update", "--", "Deeper>", "inner"}));
    QMenu* deeper = sub->actions()[3]->menu();
    ASSERT_NE(deeper, nullptr);
    FolderShortcut::fillMenu(deeper);
    EXPECT_EQ(titles(deeper), (QStringList{"This Folder", "Update", "--", "deep"}));
}

TEST_F(FolderShortcutRunnerTest, RunsShowTheMenuOrSayWhy)
{
    EXPECT_EQ(runAction(actionWithParameters("FolderShortcut", "f", 7, params({{"Action", 1}, {"Path", dir}})), controller), "");
    EXPECT_EQ(scope.utility.shownMenus(), QStringList{"-This Folder, -Update, -"});
    EXPECT_TRUE(runAction(actionWithParameters("FolderShortcut", "f", 7, params({{"Action", 1}, {"Path", dir + "/gone"}})),
                          controller)
                    .contains(dir + "/gone"));
    // Model 2: the copied folder, or the folder of the copied file.
    EXPECT_FALSE(runAction(actionWithParameters("FolderShortcut", "f", 8, params({{"Action", 2}})), controller).isEmpty());
    docs->userCopiesFiles({dir + "/Sub/inner.txt"});
    EXPECT_EQ(runAction(actionWithParameters("FolderShortcut", "f", 8, params({{"Action", 2}})), controller), "");
    EXPECT_EQ(scope.utility.shownMenus().size(), 2);
}

TEST_F(FolderShortcutRunnerTest, MenuMayStayOpenFiveMinutes)
{
    EXPECT_EQ(actionWithParameters("FolderShortcut", "f", 7, params({{"Action", 1}, {"Path", dir}}))->runDelay(), 300.0f);
    EXPECT_EQ(actionWithParameters("FolderShortcut", "f", 7, params({{"Action", 9}}))->runDelay(), 0.0f);
}

} // namespace
