// The editor's utility class: key names, paths, the desktop's own hot keys,
// panels, processes and geometry.
#include "EditorTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QIcon>
#include <QPixmap>
#include <QStandardItemModel>
#include <QTableView>

namespace editor::test {
namespace {

using UtilityTest = EditorTest;

TEST_F(UtilityTest, KeyNames)
{
    QVUtility& u = QVUtility::sharedUtility();
    struct Case {
        quint32 code;
        const char* text;
    } cases[] = {
        {0, ""},
        {17, "t"},                     // no modifier: the key alone
        {0x100000 + 17, "Ctrl+t"},
        {0x1E0000 + 17, "Ctrl+Alt+Super+Shift+T"},
        {0x10000 + 17, "Caps Lock+T"},  // caps lock takes the shifted half
        {0x200000 + 76, "(Num) Enter"},
        {0xA00000 + 122, "F1"},        // numeric pad with function: no "(Num)"
        {0x100000 + 53, "Ctrl+Esc"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(u.keystrokeStringWithKeycode(c.code), QString::fromUtf8(c.text)) << std::hex << c.code;
    EXPECT_EQ(u.asciiForKeycode(0x10000 + 0), 'A');
    EXPECT_EQ(u.asciiForKeycode(0x20000 + 0x80 + 0), 'A') << "bit 7 is not part of the key code";
}

TEST_F(UtilityTest, PathKinds)
{
    QVUtility& u = QVUtility::sharedUtility();
    const QString dir = home->path() + "/things";
    QDir().mkpath(dir);
    QFile doc(dir + "/notes.txt");
    ASSERT_TRUE(doc.open(QIODevice::WriteOnly));
    doc.close();
    QFile program(dir + "/tool");
    ASSERT_TRUE(program.open(QIODevice::WriteOnly));
    program.write("#!/bin/sh\n");
    program.close();
    program.setPermissions(program.permissions() | QFile::ExeOwner);
    QFile::link(dir + "/notes.txt", dir + "/link");

    EXPECT_EQ(u.typeForPath(dir), 3);
    EXPECT_EQ(u.typeForPath(dir + "/"), u.typeForPath(dir)) << "a trailing slash is dropped";
    EXPECT_EQ(u.typeForPath(dir + "/missing"), 0);
    EXPECT_EQ(u.typeForPath(dir + "/notes.txt"), 2);
    EXPECT_EQ(u.typeForPath(dir + "/tool"), 1) << "an executable without a desktop entry is an application";
    EXPECT_EQ(u.typeForPath(dir + "/link"), 4);
    EXPECT_EQ(u.typeForTargetPath(dir + "/link"), 2);
    EXPECT_TRUE(u.arrayOfIntFromIndex(4, 0).isEmpty());
    EXPECT_EQ(u.arrayOfIntFromIndex(4, 3), (QList<int>{4, 5, 6}));
}

TEST_F(UtilityTest, SystemHotKeysAreTheCombinationsOthersHold)
{
    QVUtility& u = QVUtility::sharedUtility();
    // Bound in the desktop's configuration: Super-Shift-Up (Up is 126).
    desktop().virtualHotKeys().setDesktopHotKeys({0x40000 + 0x20000 + 126});
    desktop().virtualHotKeys().grabElsewhere(0x140000 + 20);
    EXPECT_TRUE(u.isSystemHotkeycode(0x140000 + 20));
    EXPECT_TRUE(u.isSystemHotkeycode(0x60000 + 126 + 0x800000)) << "configured, asked with the function bit";
    EXPECT_FALSE(u.isSystemHotkeycode(0x40000 + 126)) << "without its shift";
    EXPECT_TRUE(u.isSystemHotkeycode(0x140000 + 20 + 0x10000 + 0xA00000 + 0x80)) << "caps lock, numeric pad, function, bit 7";
    EXPECT_FALSE(u.isSystemHotkeycode(0x100000 + 21));
    EXPECT_TRUE(desktop().virtualHotKeys().registeredCodes().isEmpty()) << "a test grab is given back";
}

TEST_F(UtilityTest, DocumentPanelFiltersByTheTypes)
{
    QVUtility& u = QVUtility::sharedUtility();
    std::unique_ptr<QFileDialog> panel(u.documentPanelOfTypes({"txt", ".rtf", "'TEXT'"}, home->path() + "/a.txt"));
    EXPECT_EQ(panel->nameFilters(), QStringList{"*.txt *.rtf"});
    EXPECT_EQ(panel->windowTitle(), "Choose a Document");
    EXPECT_EQ(QDir(panel->directory()).absolutePath(), QDir(home->path()).absolutePath());
    std::unique_ptr<QFileDialog> all(u.documentPanelOfTypes({}, {}));
    EXPECT_EQ(all->nameFilters().size(), 1);
    EXPECT_FALSE(all->nameFilters().first().contains("*.txt"));

    QStringList filters;
    u.setPanelAnswerer([&](QFileDialog* shown) {
        filters = shown->nameFilters();
        return QString("/tmp/chosen.txt");
    });
    EXPECT_EQ(u.getDocumentOfTypes({"txt"}, {}), "/tmp/chosen.txt");
    EXPECT_EQ(filters, QStringList{"*.txt"});
    u.setPanelAnswerer([](QFileDialog*) { return QString(); });
    EXPECT_EQ(u.getFolderFromPath("/tmp"), QString()) << "cancelled";
}

TEST_F(UtilityTest, Processes)
{
    QVUtility& u = QVUtility::sharedUtility();
    zelk::VirtualWorkspace& ws = desktop().virtualWorkspace();
    const qint64 gedit = ws.userLaunches("org.gnome.gedit.desktop");
    ws.userLaunches("daemon", "/usr/bin/daemon", true);
    ws.userActivates(gedit);
    EXPECT_EQ(u.PSNOfProcessWithName("org.gnome.gedit"), gedit);
    EXPECT_EQ(u.PSNOfProcessWithName("nothing"), 0);
    EXPECT_FALSE(u.launchedAppPathArray().contains("/usr/bin/daemon")) << "background programs are left out";
    EXPECT_TRUE(u.launchedAppPathArray().contains("/usr/share/applications/org.gnome.gedit.desktop"));
    EXPECT_EQ(u.frontAppName(), "org.gnome.gedit");
    EXPECT_FALSE(u.frontAppHasWindowTitleStarts("", false)) << "no window yet";
    ws.setFocusedWindow(gedit, zelk::FocusedWindow{"", false});
    EXPECT_FALSE(u.frontAppHasWindowTitleStarts("", false)) << "a window without a title";
    ws.setFocusedWindow(gedit, zelk::FocusedWindow{"Notes.txt - gedit", true});
    EXPECT_TRUE(u.frontAppHasWindowTitleStarts("Notes", false));
    EXPECT_FALSE(u.frontAppHasWindowTitleStarts("notes", false));
    EXPECT_TRUE(u.frontAppHasWindowTitleStarts("notes", true));
    EXPECT_FALSE(u.frontAppHasWindowTitleStarts("gedit", true)) << "the title must begin with it";
    EXPECT_TRUE(u.isProcessLaunchedWithPathName("org.gnome.gedit"));
    u.quitProcessWithName("org.gnome.gedit");
    EXPECT_FALSE(u.isProcessLaunchedWithPathName("org.gnome.gedit"));
}

TEST_F(UtilityTest, RecentApplications)
{
    const QString applications = home->dataHome() + "/applications";
    QDir().mkpath(applications);
    QFile entry(applications + "/org.zelktest.Paint.desktop");
    ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
    entry.write("[Desktop Entry]\nType=Application\nName=Paint\nExec=true\n");
    entry.close();
    QFile list(home->dataHome() + "/recently-used.xbel");
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write(R"(<?xml version="1.0"?>
<xbel version="1.0" xmlns:bookmark="http://www.freedesktop.org/standards/desktop-bookmarks">
<bookmark href="file:///tmp/a.png"><info><metadata><bookmark:applications>
<bookmark:application name="org.zelktest.Paint" exec="'paint %u'" count="1"/>
<bookmark:application name="sh" exec="'sh %u'" count="1"/>
<bookmark:application name="Gone" exec="'no-such-program-here %u'" count="1"/>
</bookmark:applications></metadata></info></bookmark>
<bookmark href="file:///tmp/b.png"><info><metadata><bookmark:applications>
<bookmark:application name="org.zelktest.Paint" exec="'paint %u'" count="2"/>
</bookmark:applications></metadata></info></bookmark>
</xbel>)");
    list.close();
    const QStringList recent = QVUtility::sharedUtility().recentAppPathArray();
    ASSERT_EQ(recent.size(), 2) << recent.join(", ").toStdString();
    EXPECT_EQ(recent[0], applications + "/org.zelktest.Paint.desktop");
    EXPECT_TRUE(recent[1].endsWith("/sh"));
}

TEST_F(UtilityTest, BestRectangle)
{
    const QRectF bounds(0, 0, 800, 600);
    struct Case {
        QRectF rect;
        QSizeF size;
        QRectF best;
    } cases[] = {
        {{100, 100, 0, 0}, {200, 100}, {100, 100, 200, 100}},
        {{-50, 5, 0, 0}, {200, 100}, {0, 20, 200, 100}},        // left edge, under the top
        {{700, 550, 0, 0}, {200, 100}, {600, 500, 200, 100}},   // right and bottom edges
        {{10, 10, 0, 0}, {1000, 900}, {-200, 20, 1000, 900}},   // larger: right edge, 20 under the top
    };
    for (const Case& c : cases)
        EXPECT_EQ(QVUtility::bestRectFromRect(c.rect, bounds, c.size), c.best) << c.rect.x() << "," << c.rect.y();
}

TEST_F(UtilityTest, CenterOfARow)
{
    QStandardItemModel model(5, 2);
    QTableView view;
    view.setModel(&model);
    view.resize(300, 200);
    view.show();
    const QPointF centre = QVUtility::centerPointOfRow(2, &view);
    const QPoint local = view.viewport()->mapFromGlobal(centre.toPoint());
    EXPECT_EQ(view.rowAt(local.y()), 2);
    EXPECT_EQ(QVUtility::centerPointOfRow(9, &view), QPointF());
}

TEST_F(UtilityTest, ImagesAndAlerts)
{
    QVUtility& u = QVUtility::sharedUtility();
    EXPECT_EQ(u.emptyImageWithSize(16).size(), QSize(16, 16));
    EXPECT_EQ(u.unknownIconWithSize(24).size(), QSize(24, 24));
    EXPECT_FALSE(u.ascendingSortImage().isNull());
    EXPECT_FALSE(u.descendingSortImage().isNull());
    u.displayNotImplemented();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].title, "Not available yet");
    EXPECT_EQ(zelk::QVUtilityClass::host(), &u) << "the frameworks reach it by name";

    QIcon icon;
    QImage small(16, 16, QImage::Format_ARGB32), large(64, 64, QImage::Format_ARGB32);
    small.fill(Qt::red);
    large.fill(Qt::blue);
    icon.addPixmap(QPixmap::fromImage(small));
    icon.addPixmap(QPixmap::fromImage(large));
    EXPECT_EQ(QVUtility::bitmapImageRepForImage(icon, 16).pixelColor(2, 2), QColor(Qt::red)) << "the exact size";
    const QImage drawn = QVUtility::bitmapImageRepForImage(icon, 24);
    EXPECT_EQ(drawn.size(), QSize(24, 24));
    EXPECT_EQ(drawn.pixelColor(2, 2), QColor(Qt::blue)) << "else the largest";
    std::unique_ptr<QWidget> panel(u.openDocumentPanel());
    EXPECT_NE(panel, nullptr);
}

} // namespace
} // namespace editor::test
