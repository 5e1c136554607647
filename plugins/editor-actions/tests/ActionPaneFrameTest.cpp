// The editing frame: the path pop-up, dropped files, the best-path rule and
// the one list of type names.
#include "ActionPane.h"
#include "ActionPaths.h"
#include "ActionTypeNames.h"
#include "PaneTestSupport.h"
#include "TestSupport.h"

#include <QMimeData>
#include <QSet>
#include <QUrl>
#include <gtest/gtest.h>

using namespace zelk;
using namespace zelk::editor;
using namespace zelk::test;

namespace {

QStringList titles(const QComboBox& popUp)
{
    QStringList list;
    for (int i = 0; i < popUp.count(); ++i)
        list.append(popUp.itemText(i));
    return list;
}

class ActionPaneFrameTest : public TempHomeTest {
protected:
    UtilityScope<FakeUtility> scope;
};

TEST_F(ActionPaneFrameTest, PathPopUpListsEnclosingFoldersWithUniqueTitles)
{
    // /<home>/apps/apps/tool.sh: the two folders named alike must stay apart.
    const QString folder = home->path() + "/apps/apps";
    QDir().mkpath(folder);
    const QString file = folder + "/tool.sh";
    QFile(file).open(QIODevice::WriteOnly);

    QComboBox popUp;
    popUp.addItem("placeholder");
    popUp.addItem("Choose…");
    popUp.addItem("Edit…");
    const int end = setPathPopUp(&popUp, file, popUp.count() - 2);

    QStringList expected{"tool.sh", "apps", "apps "};
    for (QString dir = QFileInfo(home->path()).absoluteFilePath(); dir.length() > 1; dir = QFileInfo(dir).absolutePath()) {
        QString title = QFileInfo(dir).fileName();
        while (expected.contains(title))
            title += ' ';
        expected.append(title);
    }
    expected << "Choose…" << "Edit…";
    EXPECT_EQ(titles(popUp), expected);
    EXPECT_EQ(end, expected.size() - 2);
    EXPECT_FALSE(popUp.itemIcon(0).isNull());

    // A missing file: its name, the missing-item icon, no folders; the
    // fixed items stay.
    setPathPopUp(&popUp, home->path() + "/gone/missing.sh", end);
    EXPECT_EQ(titles(popUp), (QStringList{"missing.sh", "Choose…", "Edit…"}));
}

TEST_F(ActionPaneFrameTest, PasteboardFileNamesAreLocalPathsOnly)
{
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile("/usr/share/applications/a.desktop"), QUrl("https://example.org/x"),
                  QUrl::fromLocalFile("/tmp/dir/")});
    EXPECT_EQ(filePathsOfPasteboard(&mime), (QStringList{"/usr/share/applications/a.desktop", "/tmp/dir"}));
    QMimeData text;
    text.setText("plain");
    EXPECT_TRUE(filePathsOfPasteboard(&text).isEmpty());
    EXPECT_TRUE(filePathsOfPasteboard(nullptr).isEmpty());
}

TEST_F(ActionPaneFrameTest, BestPathFollowsFileThenReferenceThenName)
{
    FakeUtility& u = scope.utility;
    const QString apps = home->dataHome() + "/applications";
    const QString entry = writeDesktopEntry(apps, "org.zelktest.Viewer.desktop", "Viewer");
    const QString other = writeDesktopEntry(home->path() + "/elsewhere", "other.desktop", "Other");

    // 1. The file is there, the reference leads elsewhere: the path, and a new reference.
    BestPath best = bestPathOf<QVEAction>(entry, u.FSRefForPath(other));
    EXPECT_EQ(best.path, entry);
    ASSERT_TRUE(best.newRef.has_value());
    EXPECT_EQ(*best.newRef, u.FSRefForPath(entry));
    // ... and a reference that agrees is kept.
    EXPECT_FALSE(bestPathOf<QVEAction>(entry, u.FSRefForPath(entry)).newRef.has_value());

    // 2. The file was renamed: the reference finds it.
    const QByteArray ref = u.FSRefForPath(other);
    const QString renamed = home->path() + "/elsewhere/renamed.desktop";
    ASSERT_TRUE(QFile::rename(other, renamed));
    best = bestPathOf<QVEAction>(other, ref);
    EXPECT_EQ(best.path, renamed);
    EXPECT_FALSE(best.pathReplaced);

    // 3. Gone, reference dead: an application of the same name elsewhere.
    best = bestPathOf<QVEAction>("/nowhere/org.zelktest.Viewer.desktop", {}, true);
    EXPECT_EQ(best.path, entry);
    EXPECT_TRUE(best.pathReplaced);
    ASSERT_TRUE(best.newRef.has_value());

    // 4. Nothing anywhere: the stored path.
    best = bestPathOf<QVEAction>("/nowhere/none.desktop", {}, true);
    EXPECT_EQ(best.path, "/nowhere/none.desktop");
    EXPECT_FALSE(best.pathReplaced);
}

TEST_F(ActionPaneFrameTest, ApplicationNamesAndDisplayNames)
{
    const QString entry =
        writeDesktopEntry(home->dataHome() + "/applications", "org.zelktest.Paint.desktop", "Paint Box");
    EXPECT_EQ(displayNameAtPath(entry), "Paint Box");  // Name, not Name[de]
    EXPECT_EQ(applicationNameOfPath(entry), "org.zelktest.Paint");
    EXPECT_EQ(fullPathForApplication("org.zelktest.Paint"), entry);
    EXPECT_EQ(fullPathForApplication("org.zelktest.Missing"), QString());
    EXPECT_EQ(withoutAppExtension("Zelk Editor.app"), "Zelk Editor");
    EXPECT_EQ(displayNameAtPath("/usr/bin/xterm"), "xterm");
}

TEST(ActionTypeNamesTest, ListsTheTwentyTwoTypesOnce)
{
    QSet<QString> names;
    for (const char* name : kActionTypeNames)
        names.insert(QString::fromLatin1(name));
    EXPECT_EQ(names.size(), 22);
    for (const char* name : {"ApplicationShortcut", "KeyboardShortcut", "KeyShortcut", "ZelkShortcut", "MouseShortcut"})
        EXPECT_TRUE(isActionTypeName(QString::fromLatin1(name))) << name;
    EXPECT_TRUE(isActionTypeName("QuovShortcut"));
    EXPECT_FALSE(isActionTypeName("QVEAction"));
}

} // namespace
