// The engine's QVUtility: the character table from the keyboard layout and
// typing with it, key names, alerts and the show-front thread, file
// references, path kinds, text files, scripts and process look-ups.
#include "RunnerTestSupport.h"

#include "PropertyList.h"

#include <QFile>
#include <QMenu>
#include <QApplication>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <atomic>

using namespace runnertest;
using engine::QVUtility;

namespace {

class UtilityTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        useBuiltBundle();
        zelk::ClassRegistry::shared().registerClass(&QVUtility::sharedUtility());
        zelk::VirtualPlatform::current()->clearEventLog();
    }
    void TearDown() override { QVUtility::sharedUtility().setAlertAnswerer(nullptr); }

    static QVUtility& utility() { return QVUtility::sharedUtility(); }
    static QStringList events() { return zelk::VirtualPlatform::current()->eventLogStrings(); }
};

bool writeFile(const QString& path, const QByteArray& data)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

} // namespace

// --- Characters and typing --------------------------------------------------------------

TEST_F(UtilityTest, CharacterTableComesFromTheLayout)
{
    struct Case {
        char32_t c;
        quint32 entry;
        const char* what;
    };
    const Case cases[] = {
        {U'a', 0xFFFF0000, "key code 0 is a key like any other"},
        {U'A', 0xFFFF0200, "shift"},
        {U'!', 0xFFFF0212, "shift 1"},
        {U'\r', 0xFFFF0024, "return"},
        {U'\n', 0xFFFF0024, "a line end is typed with return too"},
        {U'é', 0x000E080E, "dead key option-e, then e"},
        {U'Á', 0x0200080E, "dead key, then shift-a"},
        {U'§', 0xFFFFFFFF, "not on the layout"},
        {U'\x01', 0xFFFFFFFF, "a control character"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(utility().asciiKeycodesForAsciiChar(char(c.c)), c.entry) << std::hex << c.entry;
        // The frameworks reach the same table by the class's name.
        EXPECT_EQ(zelk::QVAction::asciiKeycodesForAsciiChar(char(c.c)), c.entry);
    }
}

TEST_F(UtilityTest, TypingPostsEachKeystrokeWithItsModifiers)
{
    struct Case {
        char32_t c;
        QStringList events;
    };
    const Case cases[] = {
        {U'a', {"down 0", "up 0"}},
        {U'A', {"down 56", "down 0", "up 0", "up 56"}},
        // The dead key with its option, then (after a pause) the vowel.
        {U'é', {"down 58", "down 14", "up 14", "up 58", "down 14", "up 14"}},
        {U'É', {"down 58", "down 14", "up 14", "up 58", "down 56", "down 14", "up 14", "up 56"}},
        {U'§', {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QString(QChar(char16_t(c.c))).toStdString());
        zelk::VirtualPlatform::current()->clearEventLog();
        EXPECT_EQ(zelk::QVAction::typeAsciiChar(char(c.c)), 0);
        EXPECT_EQ(events(), c.events);
    }
}

TEST_F(UtilityTest, LayoutChangeRebuildsTheTables)
{
    utility().asciiKeycodesForAsciiChar('a'); // built, and watching the layout
    LogCapture log;
    zelk::VirtualPlatform::current()->virtualKeyboardLayout().simulateLayoutChange();
    EXPECT_TRUE(zelk::test::waitUntil([&] { return log.contains("keyboard -> reloadKeyboardCache"); }));
    EXPECT_EQ(utility().asciiKeycodesForAsciiChar('b'), 0xFFFF000Bu);
}

TEST_F(UtilityTest, KeyNames)
{
    constexpr quint32 Cmd = 0x100000, Opt = 0x80000, Ctl = 0x40000, Shift = 0x20000, Caps = 0x10000, Num = 0x200000,
                      Fn = 0x800000;
    struct Case {
        quint32 code;
        QString keystroke;
    };
    const Case cases[] = {
        {0, ""},
        {0 | Cmd, "Ctrl+a"},
        {8 | Cmd | Opt, "Ctrl+Alt+c"},
        {8 | Ctl | Shift, "Super+Shift+C"},
        {0 | Caps, "Caps Lock+A"},
        {36 | Cmd, "Ctrl+Return"},
        {122, "F1"},
        {18 | Num, "(Num) 1"},
        {18 | Num | Fn, "1"},
        {49 | Opt, "Alt+Space"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(utility().keystrokeStringWithKeycode(c.code), c.keystroke);
    }
    EXPECT_EQ(utility().keyStringWithKeycode(0), "") << "the engine names no key for the code 0";
    EXPECT_EQ(utility().asciiForKeycode(0), 'a');
    EXPECT_EQ(utility().asciiForKeycode(0 | Caps), 'A') << "caps lock alone takes the shifted half";
    EXPECT_EQ(utility().asciiForKeycode(18 | Shift), '!');
    EXPECT_EQ(zelk::QVAction::modifierStringWithKeycode(Cmd | Shift), "Ctrl+Shift+");
}

// --- Alerts ---------------------------------------------------------------------------------------

TEST_F(UtilityTest, OverlappingAlertsShareOneShowFrontThread)
{
    std::atomic<int> calls{0};
    std::atomic<int> countInSecond{-1}, threadsInSecond{-1};
    utility().setAlertAnswerer([&](const QString& title, const QString&, const QString&, const QString&,
                                   const QString&) {
        if (++calls == 1) {
            // The first alert stays up until the second one is shown over it.
            EXPECT_TRUE(zelk::test::waitUntil([&] { return calls.load() == 2; }));
            return 1;
        }
        countInSecond = utility().showFrontCount();
        threadsInSecond = utility().showFrontThreadsRunning();
        return title == "second" ? -1 : 0;
    });

    std::atomic<int> first{99}, second{99};
    std::thread a([&] { first = zelk::QVAction::runAlertPanelWithTitle("first", "m", "A", "B", ""); });
    std::thread b([&] {
        while (calls.load() == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        second = zelk::QVAction::runAlertPanelWithTitle("second", "m", "A", "B", "C");
    });
    ASSERT_TRUE(zelk::test::waitUntil([&] { return first.load() != 99 && second.load() != 99; }));
    a.join();
    b.join();

    EXPECT_EQ(first.load(), 1);
    EXPECT_EQ(second.load(), -1);
    EXPECT_EQ(countInSecond.load(), 2) << "both alerts counted";
    EXPECT_EQ(threadsInSecond.load(), 1) << "one show-front thread for both";
    EXPECT_EQ(utility().showFrontCount(), 0);
    EXPECT_TRUE(zelk::test::waitUntil([&] { return utility().showFrontThreadsRunning() == 0; }))
        << "the show-front thread ends once the last alert is gone";
}

TEST_F(UtilityTest, ShowFrontThreadBringsTheEngineBack)
{
    auto& workspace = zelk::VirtualPlatform::current()->virtualWorkspace();
    const qint64 own = workspace.userLaunches("Zelk.app", "/opt/Zelk.app");
    workspace.setOwnPid(own);
    workspace.userLaunches("gedit.desktop");
    workspace.clearRequests();

    utility().startShowFrontApp();
    EXPECT_TRUE(zelk::test::waitUntil([&] { return workspace.requests().contains("activate Zelk.app"); }));
    utility().stopShowFrontApp();
    EXPECT_TRUE(zelk::test::waitUntil([&] { return utility().showFrontThreadsRunning() == 0; }));
    utility().stopShowFrontApp(); // one stop too many changes nothing
    EXPECT_EQ(utility().showFrontCount(), 0);
}

TEST_F(UtilityTest, FloatingMenuCallerWaitsUntilTheMenuCloses)
{
    struct Case {
        const char* what;
        bool pick; // the user picks the item, else dismisses the menu
    };
    for (const Case& c : {Case{"an item picked", true}, Case{"the menu dismissed", false}}) {
        SCOPED_TRACE(c.what);
        QMenu menu;
        QAction* item = menu.addAction("Item");
        std::atomic<bool> ran{false}, returned{false}, ranBeforeReturn{false};
        QObject::connect(item, &QAction::triggered, [&] { ran = true; });
        std::thread caller([&] {
            zelk::QVAction::displayFloatingMenu(&menu);
            ranBeforeReturn = ran.load();
            returned = true;
        });
        ASSERT_TRUE(zelk::test::waitUntil([&] { return menu.isVisible(); }));
        // The menu is up: the caller still waits for the user.
        EXPECT_FALSE(zelk::test::waitUntil([&] { return returned.load(); }, 300));
        EXPECT_TRUE(menu.isVisible());
        if (c.pick)
            menu.setActiveAction(item);
        QKeyEvent key(QEvent::KeyPress, c.pick ? Qt::Key_Return : Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&menu, &key);
        EXPECT_TRUE(zelk::test::waitUntil([&] { return returned.load(); }));
        caller.join();
        EXPECT_EQ(ranBeforeReturn.load(), c.pick) << "the chosen action runs before the caller goes on";
        EXPECT_FALSE(menu.isVisible());
    }
    zelk::QVAction::displayFloatingMenu(nullptr); // nothing to show
}

TEST_F(UtilityTest, FloatingMenuCallerGoesOnWhenTheMenusAreClosedAtQuit)
{
    QMenu menu;
    menu.addAction("Item");
    std::atomic<bool> returned{false};
    std::thread caller([&] {
        zelk::QVAction::displayFloatingMenu(&menu);
        returned = true;
    });
    ASSERT_TRUE(zelk::test::waitUntil([&] { return menu.isVisible(); }));
    QVUtility::closeFloatingMenus();
    EXPECT_TRUE(zelk::test::waitUntil([&] { return returned.load(); }));
    caller.join();
}

// --- Paths, file references, text files, scripts ---------------------------------------------------

TEST_F(UtilityTest, FileReferenceFindsTheFileByPathThenByInode)
{
    QTemporaryDir dir;
    const QString a = dir.filePath("a.txt");
    ASSERT_TRUE(writeFile(a, "a"));
    const QByteArray ref = zelk::QVAction::FSRefForPath(a);
    ASSERT_FALSE(ref.isEmpty());
    EXPECT_EQ(zelk::QVAction::pathForFSRef(ref), a);

    // Renamed in its folder: found by its inode.
    const QString b = dir.filePath("b.txt");
    ASSERT_TRUE(QFile::rename(a, b));
    EXPECT_EQ(zelk::QVAction::pathForFSRef(ref), b);

    // Another file at the recorded path wins: the path comes first.
    ASSERT_TRUE(writeFile(a, "new"));
    EXPECT_EQ(zelk::QVAction::pathForFSRef(ref), a);

    ASSERT_TRUE(QFile::remove(a));
    ASSERT_TRUE(QFile::remove(b));
    EXPECT_TRUE(zelk::QVAction::pathForFSRef(ref).isNull()) << "gone";

    const QString folder = dir.filePath("folder");
    ASSERT_TRUE(QDir().mkpath(folder));
    EXPECT_EQ(utility().pathForFSRef(utility().FSRefForPath(folder + "/")), folder) << "no trailing slash";

    EXPECT_TRUE(utility().FSRefForPath(dir.filePath("missing")).isEmpty());
    EXPECT_TRUE(utility().FSRefForPath("").isEmpty());
    for (const QByteArray& junk : {QByteArray(), QByteArray("ZREF"), QByteArray("garbage garbage garbage!"),
                                   ref.left(21), QByteArray(ref).replace(0, 4, "XXXX")})
        EXPECT_TRUE(utility().pathForFSRef(junk).isNull()) << junk.toHex().toStdString();
}

TEST_F(UtilityTest, PathKinds)
{
    QTemporaryDir dir;
    const QString doc = dir.filePath("doc.txt"), folder = dir.filePath("folder"), entry = dir.filePath("gedit.desktop"),
                  bundle = dir.filePath("Tool.app"), link = dir.filePath("link"), dangling = dir.filePath("dangling");
    ASSERT_TRUE(writeFile(doc, "x"));
    ASSERT_TRUE(writeFile(entry, "[Desktop Entry]\nName=Gedit\nIcon=gedit\n"));
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(QDir().mkpath(bundle));
    ASSERT_TRUE(QFile::link(folder, link));
    ASSERT_TRUE(QFile::link(dir.filePath("nowhere"), dangling));

    struct Case {
        QString path;
        int type, targetType;
        QString target;
    };
    const Case cases[] = {
        {dir.filePath("missing"), 0, 0, dir.filePath("missing")},
        {doc, 2, 2, doc},
        {folder, 3, 3, folder},
        {folder + "/", 3, 3, folder + "/"},
        {entry, 1, 1, entry},
        {bundle, 1, 1, bundle},
        {link, 4, 3, QFileInfo(folder).canonicalFilePath()},
        {dangling, 4, 0, dangling},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        EXPECT_EQ(zelk::QVAction::typeForPath(c.path), c.type);
        EXPECT_EQ(zelk::QVAction::typeForTargetPath(c.path), c.targetType);
        EXPECT_EQ(zelk::QVAction::targetPath(c.path), c.target);
    }
    EXPECT_EQ(utility().typeForPath("/"), 3);

    utility().setShowPathType(1);
    EXPECT_TRUE(utility().shouldShowFilename(entry));
    EXPECT_TRUE(utility().shouldShowFilename(link)) << "a link to a folder";
    EXPECT_FALSE(utility().shouldShowFilename(doc));
}

TEST_F(UtilityTest, TextFiles)
{
    QTemporaryDir dir;
    const QString txt = dir.filePath("a.txt"), rtf = dir.filePath("b.rtf"), plain = dir.filePath("notes"),
                  binary = dir.filePath("c.bin"), rtfd = dir.filePath("d.rtfd");
    ASSERT_TRUE(writeFile(txt, "caf\xc3\xa9\n"));
    ASSERT_TRUE(writeFile(rtf, "{\\rtf1\\ansi{\\fonttbl\\f0\\fswiss Helvetica;}{\\colortbl;\\red255\\green0\\blue0;}"
                               "\\f0\\pard Hello {\\b world}\\par\ncaf\\'e9 \\{x\\}\\tab\\u8364?}"));
    ASSERT_TRUE(writeFile(plain, "just words\n"));
    ASSERT_TRUE(writeFile(binary, QByteArray("\x00\x01\x02\xff\xfe", 5)));
    ASSERT_TRUE(QDir().mkpath(rtfd));
    ASSERT_TRUE(writeFile(rtfd + "/TXT.rtf", "{\\rtf1 inside}"));

    EXPECT_TRUE(zelk::QVAction::isTextFileAtPath(txt));
    EXPECT_TRUE(zelk::QVAction::isTextFileAtPath(rtf));
    EXPECT_TRUE(zelk::QVAction::isTextFileAtPath(rtfd));
    EXPECT_TRUE(zelk::QVAction::isTextFileAtPath(plain)) << "text by its contents";
    EXPECT_FALSE(zelk::QVAction::isTextFileAtPath(binary));
    EXPECT_FALSE(zelk::QVAction::isTextFileAtPath(dir.filePath("missing")));

    EXPECT_EQ(zelk::QVAction::stringWithPath(txt), QString::fromUtf8("café\n"));
    EXPECT_EQ(zelk::QVAction::stringWithPath(rtf), QString::fromUtf8("Hello world\ncafé {x}\t€"));
    EXPECT_EQ(zelk::QVAction::stringWithPath(rtfd), "inside");
    const QString missing = zelk::QVAction::stringWithPath(dir.filePath("missing"));
    EXPECT_TRUE(missing.isEmpty() && !missing.isNull()) << "the empty string, not nothing";
}

TEST_F(UtilityTest, IconsAndNamedImages)
{
    QTemporaryDir dir;
    QImage red(64, 64, QImage::Format_ARGB32);
    red.fill(Qt::red);
    const QString bundle = dir.filePath("Tool.app");
    ASSERT_TRUE(QDir().mkpath(bundle + "/Contents/Resources"));
    ASSERT_TRUE(zelk::plist::writeFile(bundle + "/Contents/Info.plist", QVariantMap{{"CFBundleIconFile", "tool.png"}}));
    ASSERT_TRUE(red.save(bundle + "/Contents/Resources/tool.png"));
    ASSERT_TRUE(red.save(bundle + "/Contents/Resources/badge.png"));

    const QImage icon = zelk::QVAction::iconImageForPath(bundle, 32);
    ASSERT_FALSE(icon.isNull()) << "an application bundle's own icon";
    EXPECT_EQ(icon.size(), QSize(32, 32));
    EXPECT_EQ(icon.pixelColor(16, 16), QColor(Qt::red));
    EXPECT_TRUE(zelk::QVAction::iconImageForPath(dir.filePath("missing"), 32).isNull());

    qputenv("ZELK_MAIN_BUNDLE", bundle.toLocal8Bit());
    const QImage badge = utility().imageWithName("badge");
    EXPECT_EQ(badge.size(), QSize(64, 64));
    EXPECT_EQ(utility().imageWithName("badge.png").size(), QSize(64, 64));
    EXPECT_TRUE(utility().imageWithName("nothing").isNull());
}

TEST_F(UtilityTest, ScriptsRunWithTheirInterpreter)
{
    EXPECT_EQ(zelk::QVAction::runScript("exit 0"), 0);
    EXPECT_EQ(zelk::QVAction::runScript("#!/bin/sh\nexit 3\n"), 3);
    EXPECT_EQ(zelk::QVAction::runScript("#!/usr/bin/env sh\n[ \"$(echo hi)\" = hi ] || exit 9\n"), 0);
    LogCapture log;
    EXPECT_EQ(zelk::QVAction::runScript("#!/no/such/interpreter\n"), -1);
    EXPECT_TRUE(log.contains("/no/such/interpreter"));
}

TEST_F(UtilityTest, ProcessesByName)
{
    auto& workspace = zelk::VirtualPlatform::current()->virtualWorkspace();
    workspace.userLaunches("org.example.Writer.desktop");
    workspace.userLaunches("org.example.Writer.desktop");
    workspace.userLaunches("Zelk Editor.app", "/opt/Zelk.app/Contents/MacOS/Zelk Editor.app");
    workspace.userLaunches("xterm", "/usr/bin/xterm");

    EXPECT_TRUE(utility().isProcessLaunchedWithPathName("org.example.Writer"));
    EXPECT_TRUE(utility().isProcessLaunchedWithPathName("Zelk Editor"));
    EXPECT_TRUE(utility().isProcessLaunchedWithPathName("xterm"));
    EXPECT_FALSE(utility().isProcessLaunchedWithPathName("Writer"));
    EXPECT_FALSE(utility().isProcessLaunchedWithPathName("org.example.Writer.desktop"));
    EXPECT_EQ(utility().numberOfProcessLaunchedWithPathName("org.example.Writer"), 2);
    EXPECT_EQ(utility().numberOfProcessLaunchedWithPathName("nothing"), 0);
    EXPECT_TRUE(utility().isProcessLaunchedWithPath("/somewhere/else/Zelk Editor.app/"));
    EXPECT_FALSE(utility().isProcessLaunchedWithPath("/somewhere/Zelk Editor"));
    EXPECT_EQ(QVUtility::arrayOfIntFromIndex(5, 3), QList<int>({5, 6, 7}));
    EXPECT_TRUE(QVUtility::arrayOfIntFromIndex(5, 0).isEmpty());
}

TEST_F(UtilityTest, RunningAndRecentApplicationsForTheApplicationMenus)
{
    auto& workspace = zelk::VirtualPlatform::current()->virtualWorkspace();
    const QString viewer = "/usr/share/applications/org.example.Viewer.desktop";
    const QString notes = "/usr/share/applications/org.example.Notes.desktop";
    workspace.userLaunches("org.example.Viewer.desktop", viewer);
    workspace.userLaunches("org.example.Viewer.desktop", viewer);
    workspace.userLaunches("org.example.Daemon.desktop", "/usr/share/applications/org.example.Daemon.desktop", true);
    workspace.userLaunches("org.example.Notes.desktop", notes);

    // Reached by the plug-ins through the frameworks, by the class's name.
    zelk::QVUtilityClass* host = zelk::QVUtilityClass::host();
    ASSERT_EQ(host, &utility());
    const QStringList running = host->launchedAppPathArray();
    EXPECT_EQ(running.count(viewer), 1) << "one entry per application, not per process";
    EXPECT_GT(running.indexOf(notes), running.indexOf(viewer)) << "in the desktop's order";
    EXPECT_FALSE(running.contains("/usr/share/applications/org.example.Daemon.desktop")) << "a windowless program";

    const QString writer = "/usr/share/applications/org.example.Writer.desktop";
    workspace.setRecentlyUsed({notes, writer});
    ASSERT_TRUE(workspace.launchApplication(viewer, {}, nullptr));
    const QStringList recent = host->recentAppPathArray();
    ASSERT_GE(recent.size(), 3);
    EXPECT_EQ(recent.first(), viewer) << "what the engine just started comes first";
    EXPECT_LT(recent.indexOf(notes), recent.indexOf(writer)) << recent.join(", ").toStdString();
    EXPECT_EQ(recent.count(viewer), 1);
}
