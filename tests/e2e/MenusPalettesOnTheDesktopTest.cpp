// The engine's palettes and menus on a real X server: a hot key pressed
// with xdotool shows a palette at its stored corner or pops a menu up at
// the pointer; screenshots of both are kept for people to look at.
#include "DesktopTest.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QObject>
#include <QRect>
#include <QThread>
#include <mutex>

using namespace zelk::e2e;
using namespace zelk::test::records;

namespace {

constexpr quint32 KeyP = 35, KeyM = 46;
constexpr quint32 CtrlAlt = Command | Option;

// A tray as the desktop's panel offers one: it takes the items that
// register (their bus names) and says a host shows them. It answers on a
// thread of its own, since the engine asks it while the test waits for the
// engine's start.
class StatusNotifierWatcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isHostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ items)
public:
    bool isHostRegistered() const { return true; }
    int protocolVersion() const { return 0; }
    QStringList items() const
    {
        std::lock_guard lock(m_mutex);
        return m_items;
    }
public slots:
    void RegisterStatusNotifierItem(const QString& service)
    {
        std::lock_guard lock(m_mutex);
        m_items << service;
    }
    void RegisterStatusNotifierHost(const QString&) {}

private:
    mutable std::mutex m_mutex;
    QStringList m_items;
};

// The watcher on the desktop's bus for the life of the object.
class Tray {
public:
    explicit Tray(const QString& busAddress)
        : m_name(QString("tray-%1").arg(quintptr(this))), m_bus(QDBusConnection::connectToBus(busAddress, m_name))
    {
        m_watcher.moveToThread(&m_thread);
        m_thread.start();
        m_ok = m_bus.registerObject("/StatusNotifierWatcher", &m_watcher, QDBusConnection::ExportAllContents)
               && m_bus.registerService("org.kde.StatusNotifierWatcher");
    }
    ~Tray()
    {
        m_bus.unregisterService("org.kde.StatusNotifierWatcher");
        m_bus.unregisterObject("/StatusNotifierWatcher");
        QDBusConnection::disconnectFromBus(m_name);
        m_thread.quit();
        m_thread.wait();
    }
    bool isReady() const { return m_ok; }
    QStringList items() const { return m_watcher.items(); }
    const QDBusConnection& bus() const { return m_bus; }

private:
    QString m_name;
    QDBusConnection m_bus;
    QThread m_thread;
    StatusNotifierWatcher m_watcher;
    bool m_ok = false;
};

// The tool tip's title of a tray item, read as a panel reads it.
QString toolTipTitle(const QDBusConnection& bus, const QString& service)
{
    QDBusMessage get = QDBusMessage::createMethodCall(service, "/StatusNotifierItem", "org.freedesktop.DBus.Properties", "Get");
    get.setArguments({QString("org.kde.StatusNotifierItem"), QString("ToolTip")});
    const QDBusMessage reply = bus.call(get, QDBus::Block, 5000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return "(no reply: " + reply.errorMessage() + ")";
    const QDBusArgument tip = reply.arguments().first().value<QDBusVariant>().variant().value<QDBusArgument>();
    QString icon, title, description;
    tip.beginStructure();
    tip >> icon;
    tip.beginArray();
    while (!tip.atEnd()) {
        int width = 0, height = 0;
        QByteArray pixels;
        tip.beginStructure();
        tip >> width >> height >> pixels;
        tip.endStructure();
    }
    tip.endArray();
    tip >> title >> description;
    tip.endStructure();
    return title;
}

// With a window manager (openbox) and without one.
class MenusPalettesOnTheDesktopTest : public DesktopTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override
    {
        DesktopTest::SetUp();
        if (IsSkipped() || HasFatalFailure() || !GetParam())
            return;
        QString whyNot;
        if (!desktop->startWindowManager(&whyNot))
            ZELK_SKIP_UNLESS_CI(whyNot.toStdString());
    }

    // A shortcut typing "from shortcut" and an action typing "from action",
    // on the universal context; the launchers ctrl+alt+p and ctrl+alt+m.
    static DataFiles objects()
    {
        DataFiles files;
        files.actions = {typeTextAction(0, "from shortcut"), typeTextAction(1, "from action")};
        files.contexts = {context(0, "Everywhere", 0)};
        files.launchers = {keyLauncher(0, CtrlAlt | KeyP), keyLauncher(1, CtrlAlt | KeyM)};
        files.shortcuts = {shortcut(0, "Type it", {0}, {}, {0})};
        return files;
    }

    QList<unsigned long> engineWindows() { return desktop->windowsOf(desktop->engine()->pid()); }
    // The screen, kept for people to look at.
    void keepScreenshot(const char* what)
    {
        EXPECT_TRUE(Desktop::saveArtefact(desktop->screenshot(), QString("%1-%2.png").arg(what, GetParam() ? "wm" : "bare")));
    }
};

TEST_P(MenusPalettesOnTheDesktopTest, HotKeyShowsThePaletteAtItsStoredCornerAndHidesIt)
{
    DataFiles files = objects();
    // Titles only, two a row, 320 in from the right and 160 up from the bottom.
    files.palettes = {paletteRecord(7, "Tools", {paletteItem(1, 0), paletteItem(2, 1), paletteItem(2, 1)},
                                    {.origin = 2, .location = "{320, 160}", .perRow = 2, .type = 0, .showActive = false},
                                    {0}, {0})};
    ASSERT_NO_FATAL_FAILURE(start(files));
    ASSERT_TRUE(engineWindows().isEmpty()) << "the palette shows only on its hot key";

    ASSERT_TRUE(desktop->xdotool({"key", "ctrl+alt+p"}));
    QList<unsigned long> windows;
    ASSERT_TRUE(pollUntil([&] { return !(windows = engineWindows()).isEmpty(); }, 15000)) << "no palette came up";
    const QSize screen = desktop->screenSize();
    QRect palette;
    ASSERT_TRUE(pollUntil([&] { return (palette = desktop->windowGeometry(windows.first())).isValid(); }, 5000));
    EXPECT_EQ(desktop->windowName(windows.first()), "Tools");
    EXPECT_EQ(palette.topLeft(), QPoint(screen.width() - 320, screen.height() - 160))
        << "at " << palette.x() << "," << palette.y();
    EXPECT_GT(palette.height(), 2 * 10) << "two rows of titles";
    keepScreenshot("palette");

    // A click on the shortcut's button (the first, top-left) runs it in the
    // window in front: the palette never takes the focus.
    const QPoint first = palette.topLeft() + QPoint(5, 5);
    ASSERT_TRUE(desktop->xdotool({"mousemove", QString::number(first.x()), QString::number(first.y()), "click", "1"}));
    EXPECT_TRUE(client->waitForText("from shortcut")) << "typed: " << client->text().toStdString();

    ASSERT_TRUE(desktop->focus(*client));
    ASSERT_TRUE(desktop->xdotool({"key", "ctrl+alt+p"}));
    EXPECT_TRUE(pollUntil([&] { return engineWindows().isEmpty(); }, 15000)) << "the hot key did not hide the palette";
}

TEST_P(MenusPalettesOnTheDesktopTest, HotKeyPopsTheMenuUpAtThePointer)
{
    DataFiles files = objects();
    // In the bar as well: without a tray to show it in, the hot key still pops it up.
    files.menus = {menuRecord(3, "Main", {menuItem(2, 1), menuItem(0), menuItem(0, 0, "Label"), menuItem(1, 0), menuItem(3, 4)},
                              {.inBar = true, .imageInBar = true}, {0}, {1}),
                   // Stored cycle: the submenu holds the menu again.
                   menuRecord(4, "Sub", {menuItem(1, 0), menuItem(3, 3)})};
    ASSERT_NO_FATAL_FAILURE(start(files));

    ASSERT_TRUE(desktop->xdotool({"mousemove", "400", "300"}));
    ASSERT_TRUE(desktop->xdotool({"key", "ctrl+alt+m"}));
    QList<unsigned long> windows;
    ASSERT_TRUE(pollUntil([&] { return !(windows = engineWindows()).isEmpty(); }, 15000)) << "no menu came up";
    QRect menu;
    ASSERT_TRUE(pollUntil([&] { return (menu = desktop->windowGeometry(windows.first())).isValid(); }, 5000));
    EXPECT_LE((menu.topLeft() - QPoint(400, 300)).manhattanLength(), 6) << "at " << menu.x() << "," << menu.y();
    // Into the submenu, so the screenshot shows it too.
    // Keys go to the menu once it holds the keyboard (the hot key's own grab
    // ends with its release).
    ASSERT_TRUE(pollUntil([&] { return desktop->keyboardGrabbed(); }, 5000)) << "the menu never took the keyboard";
    ASSERT_TRUE(desktop->xdotool({"key", "Up", "Right"}));
    EXPECT_TRUE(pollUntil([&] { return engineWindows().size() == 2; }, 5000)) << "the submenu did not open";
    keepScreenshot("menu");

    // Back, and the shortcut above: it types into the window in front.
    ASSERT_TRUE(desktop->xdotool({"key", "Left"}));
    ASSERT_TRUE(pollUntil([&] { return engineWindows().size() == 1; }, 5000)) << "the submenu stayed";
    ASSERT_TRUE(desktop->xdotool({"key", "Up", "Return"}));
    EXPECT_TRUE(pollUntil([&] { return engineWindows().isEmpty(); }, 15000)) << "the menu stayed";
    EXPECT_TRUE(client->waitForText("from shortcut")) << "typed: " << client->text().toStdString();
}

TEST_P(MenusPalettesOnTheDesktopTest, PaletteCollapsesWhileThePointerIsAwayAndGrowsWhenItComesBack)
{
    DataFiles files = objects();
    // Shown as soon as its context holds, at 100, 100 from the top-left.
    files.palettes = {paletteRecord(8, "Folding", {paletteItem(2, 1), paletteItem(2, 1), paletteItem(2, 1), paletteItem(2, 1)},
                                    {.location = "{100, 100}", .perRow = 2, .type = 0, .titleOutside = true, .transparency = 30})};
    ASSERT_TRUE(desktop->xdotool({"mousemove", "700", "700"}));
    ASSERT_NO_FATAL_FAILURE(start(files));
    QList<unsigned long> windows;
    ASSERT_TRUE(pollUntil([&] { return !(windows = engineWindows()).isEmpty(); }, 15000)) << "the palette did not show";
    const auto shown = [&] { return desktop->windowGeometry(windows.first()); };
    ASSERT_TRUE(pollUntil([&] { return shown().height() == 1; }, 5000)) << "not collapsed: " << shown().height();
    EXPECT_EQ(shown().topLeft(), QPoint(100, 100));

    // Over what is left of it (its title bar, or the line of its content).
    ASSERT_TRUE(desktop->xdotool({"mousemove", "120", GetParam() ? "92" : "100"}));
    ASSERT_TRUE(pollUntil([&] { return shown().height() > 20; }, 5000)) << "did not grow under the pointer";
    EXPECT_EQ(shown().topLeft(), QPoint(100, 100)) << "grew from its top edge";
    keepScreenshot("palette-open");

    ASSERT_TRUE(desktop->xdotool({"mousemove", "700", "700"}));
    EXPECT_TRUE(pollUntil([&] { return shown().height() == 1; }, 10000)) << "did not collapse once the pointer left";
}

TEST_P(MenusPalettesOnTheDesktopTest, TrayItemsShowTheTitleAsTheirToolTipAndRunOrOpenWhenClicked)
{
    Tray tray(desktop->busAddress());
    ASSERT_TRUE(tray.isReady());
    const QDBusConnection& bus = tray.bus();

    DataFiles files = objects();
    // One entry with its name in the bar: a button for the entry. Two
    // entries, the name not in the bar: the menu, named by its tool tip.
    files.menus = {menuRecord(5, "Single", {menuItem(1, 0)}, {.inBar = true, .imageInBar = true, .nameInBar = true}),
                   menuRecord(6, "Double", {menuItem(1, 0), menuItem(2, 1)}, {.inBar = true, .imageInBar = true})};
    ASSERT_NO_FATAL_FAILURE(start(files));
    ASSERT_TRUE(pollUntil([&] { return tray.items().size() == 2; }, 15000))
        << "tray items registered: " << tray.items().join(", ").toStdString();
    QHash<QString, QString> serviceOf;
    for (const QString& service : tray.items())
        serviceOf.insert(toolTipTitle(bus, service), service);
    ASSERT_EQ(QStringList(serviceOf.keys()).size(), 2);
    ASSERT_TRUE(serviceOf.contains("Type it")) << QStringList(serviceOf.keys()).join(", ").toStdString();
    ASSERT_TRUE(serviceOf.contains("Double")) << QStringList(serviceOf.keys()).join(", ").toStdString();

    auto activate = [&](const QString& service) {
        QDBusMessage click = QDBusMessage::createMethodCall(service, "/StatusNotifierItem", "org.kde.StatusNotifierItem", "Activate");
        click.setArguments({0, 0});
        return bus.call(click, QDBus::Block, 5000).type() == QDBusMessage::ReplyMessage;
    };
    ASSERT_TRUE(activate(serviceOf.value("Type it")));
    EXPECT_TRUE(client->waitForText("from shortcut")) << "typed: " << client->text().toStdString();
    EXPECT_TRUE(engineWindows().isEmpty()) << "a single entry opens no menu";

    ASSERT_TRUE(desktop->xdotool({"mousemove", "500", "400"}));
    ASSERT_TRUE(activate(serviceOf.value("Double")));
    QList<unsigned long> windows;
    ASSERT_TRUE(pollUntil([&] { return !(windows = engineWindows()).isEmpty(); }, 15000)) << "no menu came up";
    const QRect menu = desktop->windowGeometry(windows.first());
    EXPECT_LE((menu.topLeft() - QPoint(500, 400)).manhattanLength(), 6) << "at " << menu.x() << "," << menu.y();
    keepScreenshot("tray-menu");
    ASSERT_TRUE(pollUntil([&] { return desktop->keyboardGrabbed(); }, 5000)) << "the menu never took the keyboard";
    ASSERT_TRUE(desktop->xdotool({"key", "Escape"}));
    EXPECT_TRUE(pollUntil([&] { return engineWindows().isEmpty(); }, 15000)) << "the menu stayed";
}

INSTANTIATE_TEST_SUITE_P(, MenusPalettesOnTheDesktopTest, ::testing::Values(false, true),
                         [](const auto& info) { return std::string(info.param ? "WithWindowManager" : "Bare"); });

} // namespace

#include "MenusPalettesOnTheDesktopTest.moc"
