#include "HelperAppDelegate.h"
#include "TestSupport.h"
#include "VirtualPlatform.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using helper::HelperAppDelegate;

namespace {

void makeBundle(const QString& path, const QString& identifier)
{
    QDir().mkpath(path + "/Contents");
    QFile info(path + "/Contents/Info.plist");
    ASSERT_TRUE(info.open(QIODevice::WriteOnly));
    info.write(QString("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                       "<key>CFBundleIdentifier</key><string>%1</string></dict></plist>\n")
                   .arg(identifier)
                   .toUtf8());
}

class HelperTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString engine() const { return dir.path() + "/Zelk.app"; }
    QString editor() const { return engine() + "/Contents/MacOS/Zelk Editor.app"; }
    void SetUp() override
    {
        makeBundle(engine(), "org.zelk.Zelk");
        makeBundle(editor(), "org.zelk.ZelkEditor");
    }
};

TEST_F(HelperTest, FindsTheEngineAroundItself)
{
    struct Case {
        QString helper;
        QString identifier;
        QString expected;
        const char* why;
    };
    const QString inEditor = editor() + "/Contents/Library/LoginItems/ZelkHelper.app";
    const QString inEngine = engine() + "/Contents/Library/LoginItems/ZelkHelper.app";
    const QString outside = dir.path() + "/elsewhere/ZelkHelper.app";
    const QString dotless = dir.path() + "/Helper.app";
    for (const QString& h : {inEditor, inEngine, outside})
        makeBundle(h, "org.zelk.Zelk.helper");
    makeBundle(dotless, "ZelkHelper");
    const Case cases[] = {
        {inEditor, "org.zelk.Zelk.helper", engine(), "inside the editor: the editor's bundle is passed over"},
        {inEngine, "org.zelk.Zelk.helper", engine(), "directly inside the engine"},
        {outside, "org.zelk.Zelk.helper", QString(), "outside any engine: up to the root, nothing"},
        {dotless, "ZelkHelper", QString(), "no dot: the identifier stays, and the helper never matches itself"},
    };
    for (const Case& c : cases) {
        const QString target = HelperAppDelegate::targetIdentifierFor(c.identifier);
        EXPECT_EQ(HelperAppDelegate::outerBundleWithIdentifier(c.helper, target), c.expected) << c.why;
    }
}

TEST_F(HelperTest, LaunchesWhatItFoundAndNothingElse)
{
    auto* desktop = zelk::VirtualPlatform::current();
    ASSERT_NE(desktop, nullptr);
    auto& workspace = desktop->virtualWorkspace();
    workspace.clearRequests();

    const QString helperPath = editor() + "/Contents/Library/LoginItems/ZelkHelper.app";
    makeBundle(helperPath, "org.zelk.Zelk.helper");
    EXPECT_EQ(HelperAppDelegate::applicationDidFinishLaunching(helperPath, "org.zelk.Zelk.helper"), engine());
    EXPECT_EQ(workspace.requests(), QStringList{"launch " + engine()});

    workspace.clearRequests();
    const QString stray = dir.path() + "/ZelkHelper.app";
    makeBundle(stray, "org.zelk.Zelk.helper");
    EXPECT_TRUE(HelperAppDelegate::applicationDidFinishLaunching(stray, "org.zelk.Zelk.helper").isEmpty());
    EXPECT_TRUE(workspace.requests().isEmpty());
}

TEST_F(HelperTest, NeverLaunchesItself)
{
    auto* desktop = zelk::VirtualPlatform::current();
    ASSERT_NE(desktop, nullptr);
    auto& workspace = desktop->virtualWorkspace();

    // Started again by its own launch, a helper that found itself would
    // never stop: with no dot, or placed where its own identifier is the
    // engine's, it launches nothing.
    const QString dotless = engine() + "/Contents/Library/LoginItems/ZelkHelper.app";
    makeBundle(dotless, "ZelkHelper");
    const QString named = dir.path() + "/org.zelk.Zelk.app";
    makeBundle(named, "org.zelk.Zelk");
    const struct {
        QString helper;
        QString identifier;
    } cases[] = {{dotless, "ZelkHelper"}, {named, "org.zelk.Zelk.Zelk"}};
    for (const auto& c : cases) {
        workspace.clearRequests();
        EXPECT_TRUE(HelperAppDelegate::applicationDidFinishLaunching(c.helper, c.identifier).isEmpty()) << qPrintable(c.helper);
        EXPECT_TRUE(workspace.requests().isEmpty()) << qPrintable(workspace.requests().join(", "));
    }
}

TEST(HelperInTheBuiltTree, FindsTheBuiltEngine)
{
    const QString contents = zelk::test::appContents();
    const QString helperPath = contents + "/MacOS/Zelk Editor.app/Contents/Library/LoginItems/ZelkHelper.app";
    ASSERT_TRUE(QFile::exists(helperPath + "/Contents/MacOS/ZelkHelper")) << qPrintable(helperPath);
    EXPECT_EQ(HelperAppDelegate::outerBundleWithIdentifier(helperPath, "org.zelk.Zelk"),
              QDir::cleanPath(contents + "/.."));
}

} // namespace
