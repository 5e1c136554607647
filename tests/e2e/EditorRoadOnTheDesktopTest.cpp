// The road a user walks through the editor, on a real X server, session bus
// and accessibility bus, with the engine the editor starts: a new shortcut
// made through the editor's windows (a key launcher captured from keys
// pressed, a typing step with its text), saved, and its hot key types the
// text; the text changed, saved again, and the hot key types the new one.
// The editor's widgets are found through AT-SPI by their accessible names
// and driven with xdotool's keys and clicks, as a user would. Each editor
// window is kept as a screenshot.
#include "Desktop.h"

#include "DataFileRecords.h"
#include "Platform.h"
#include "TestSupport.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <csignal>
#include <functional>
#include <iostream>

using namespace zelk;
using namespace zelk::e2e;
using namespace zelk::test::records;

namespace {

const char* const kBusLauncher = "/usr/libexec/at-spi-bus-launcher";
const QString kFirstText = QStringLiteral("first words");
const QString kSecondText = QStringLiteral("second words");

QString editorPath()
{
    return zelk::test::appContents() + "/MacOS/Zelk Editor.app/Contents/MacOS/Zelk Editor";
}

class EditorRoadOnTheDesktopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        desktop = std::make_unique<Desktop>();
        if (!desktop->whyNot().isEmpty() || !QFileInfo::exists(kBusLauncher)) {
            const std::string why = desktop->whyNot().isEmpty() ? "at-spi2-core is not installed" : desktop->whyNot().toStdString();
            ZELK_SKIP_UNLESS_CI(why);
        }
        QString why;
        ASSERT_TRUE(desktop->startWindowManager(&why)) << why.toStdString();
        // This program reads the editor's widgets as an assistive tool does.
        qputenv("DISPLAY", desktop->display().toLocal8Bit());
        qputenv("DBUS_SESSION_BUS_ADDRESS", desktop->busAddress().toLocal8Bit());
        launcher = std::make_unique<Child>(kBusLauncher, QStringList{"--launch-immediately"}, desktop->environment(),
                                           desktop->home() + "/at-spi-bus-launcher.log");
        ASSERT_TRUE(pollUntil([] { return QDBusConnection::sessionBus().interface()->isServiceRegistered("org.a11y.Bus").value(); }, 20000))
            << "the accessibility bus never came: " << launcher->output().toStdString();
        previous = Platform::install(makeLinuxPlatform());
        installed = true;
    }

    void TearDown() override
    {
        if (HasFailure() && editor) {
            shoot("failure");
            std::cerr << "--- the editor as AT-SPI shows it" << tree(true) << "--- editor and engine log\n"
                      << editor->output().toStdString() << "---\n";
        }
        if (const qint64 pid = enginePid())
            ::kill(pid_t(pid), SIGTERM);
        menuWatch.reset();
        openedMenus.clear();
        if (installed)
            Platform::install(std::move(previous));
        client.reset();
        editor.reset();
        launcher.reset();
        desktop.reset();
    }

    qint64 enginePid() const
    {
        if (!desktop)
            return 0;
        QDBusConnection bus = QDBusConnection::connectToBus(desktop->busAddress(), "editor-road-look");
        const QDBusReply<uint> pid = bus.interface()->servicePid("org.zelk.Zelk");
        QDBusConnection::disconnectFromBus("editor-road-look");
        return pid.isValid() ? qint64(pid.value()) : 0;
    }

    // The editor's window in front, as AT-SPI tells it.
    AXElement frontWindow()
    {
        AccessibilityService& ax = Platform::instance().accessibility();
        return ax.focusedWindow(ax.applicationElement(editor->pid()));
    }
    QString frontTitle()
    {
        const AXElement window = frontWindow();
        return window ? window->title().value_or(QString()) : QString();
    }
    // Waits until the window in front has a title starting so.
    bool waitForFront(const QString& titleStart)
    {
        return pollUntil([&] { return frontTitle().startsWith(titleStart); }, 20000, 100);
    }
    // A shown widget of the window in front (or of any of the editor's
    // windows and menus when `anywhere`) by its accessible name and role.
    AXElement find(const QString& name, const QString& role = {}, bool anywhere = false)
    {
        AccessibilityService& ax = Platform::instance().accessibility();
        const AXElement root = anywhere ? ax.applicationElement(editor->pid()) : frontWindow();
        if (!root)
            return nullptr;
        QList<AXElement> next{root};
        while (!next.isEmpty()) {
            const AXElement e = next.takeFirst();
            next.append(e->children().value_or(QList<AXElement>()));
            // A cell with an image tells its text after a space.
            if (e->title().value_or(QString()).trimmed() != name || (!role.isEmpty() && e->role().value_or(QString()) != role))
                continue;
            const auto size = e->size();
            if (size && size->width() > 0 && size->height() > 0)
                return e;
        }
        return nullptr;
    }
    AXElement waitFor(const QString& name, const QString& role = {}, bool anywhere = false)
    {
        AXElement found;
        pollUntil([&] { return bool(found = find(name, role, anywhere)); }, 20000, 100);
        return found;
    }
    static QRectF frameOf(const AXElement& element)
    {
        const auto at = element->position();
        const auto size = element->size();
        return at && size ? QRectF(*at, *size) : QRectF();
    }
    // An item of a menu the editor opened (popup menus are no children of
    // the application: they are met as they open).
    AXElement menuItem(const QString& name)
    {
        AXElement found;
        pollUntil([&] {
            for (const AXElement& menu : openedMenus) {
                for (const AXElement& item : menu->children().value_or(QList<AXElement>())) {
                    const auto size = item->size();
                    if (item->title().value_or(QString()) == name && size && size->height() > 0)
                        found = item;
                }
            }
            return bool(found);
        }, 20000, 100);
        if (!found) {
            ADD_FAILURE() << "no menu item " << name.toStdString() << " in " << openedMenus.size() << " menus";
            for (const AXElement& menu : openedMenus)
                for (const AXElement& item : menu->children().value_or(QList<AXElement>()))
                    std::cerr << "  item \"" << item->title().value_or(QString()).toStdString() << "\"\n";
        }
        return found;
    }
    void watchMenus()
    {
        AccessibilityService& ax = Platform::instance().accessibility();
        menuWatch = ax.observeMenus(ax.applicationElement(editor->pid()), [this](MenuNotification what, const AXElement& e) {
            if (what == MenuNotification::Opened && e)
                openedMenus.prepend(e);
        });
    }

    // The user's click in the middle of the widget, once it stays in place
    // (an editor window grows out of its row).
    bool click(const AXElement& element, int count = 1)
    {
        if (!element)
            return false;
        QRectF last;
        unsigned long placedWindow = 0;
        const bool settled = pollUntil([&] {
            const QRectF now = frameOf(element);
            const bool same = now.isValid() && now == last;
            last = now;
            return same;
        }, 10000, 150);
        if (!settled)
            return false;
        // ... and its window is where the editor believes it is on the X server.
        const bool placed = pollUntil([&] {
            const AXElement window = frontWindow();
            if (!window)
                return false;
            const QRect frame = frameOf(window).toRect();
            for (unsigned long x : desktop->windowsOf(editor->pid()))
                if (desktop->windowGeometry(x) == frame) {
                    placedWindow = x;
                    return true;
                }
            return false;
        }, 10000, 100);
        if (!placed) {
            ADD_FAILURE() << "the editor's front window is not where AT-SPI tells it";
            return false;
        }
        // The window in front of the editor is also on top of the others
        // (the one clicked to open it may have been raised over it).
        if (element->role().value_or(QString()) != AXRole::MenuItem
            && !desktop->xdotool({"windowraise", QString::number(placedWindow)}))
            return false;
        const QPoint middle = last.center().toPoint();
        return desktop->xdotool({"mousemove", "--sync", QString::number(middle.x()), QString::number(middle.y()), "click",
                                 "--repeat", QString::number(count), "1"});
    }
    bool shoot(const QString& name) { return desktop->saveScreenshot("editor-road-" + name + ".png"); }
    QString valueOf(const AXElement& element)
    {
        return element ? element->value().value_or(QVariant()).toString() : QString();
    }

    // Makes the typing step (from the add menu) or opens the one there, and
    // gives it the text.
    void typeStep(const QString& text, const QString& existing)
    {
        const bool isNew = existing.isEmpty();
        const QString shortcutTitle = frontTitle();
        if (isNew) {
            ASSERT_TRUE(click(waitFor("Add action")));
            ASSERT_TRUE(click(menuItem("Keyboard")));
            ASSERT_TRUE(click(menuItem("Type Text")));
        } else {
            ASSERT_TRUE(click(waitFor(existing), 2)) << tree(false);
        }
        ASSERT_TRUE(pollUntil([&] { return !frontTitle().isEmpty() && frontTitle() != shortcutTitle; }, 20000, 100))
            << "no action editor came: " << tree(true);
        const AXElement textView = waitFor("Text:");
        ASSERT_TRUE(textView) << tree(false);
        ASSERT_TRUE(click(textView));
        ASSERT_TRUE(desktop->xdotool({"key", "ctrl+a", "BackSpace"}));
        ASSERT_TRUE(desktop->xdotool({"type", "--delay", "20", text}));
        ASSERT_TRUE(pollUntil([&] { return valueOf(find("Text:")) == text; }, 10000)) << tree(false);
        ASSERT_TRUE(shoot(isNew ? "action-editor" : "action-editor-changed"));
        ASSERT_TRUE(click(find("OK", AXRole::Button)));
    }

    // The name in a window title: Shortcut “name”.
    static QString quotedName(const QString& title)
    {
        const qsizetype open = title.indexOf(QChar(0x201C));
        const qsizetype close = title.lastIndexOf(QChar(0x201D));
        return open >= 0 && close > open ? title.mid(open + 1, close - open - 1) : QString();
    }

    // The test's client in front, the hot key pressed: the text reaches it.
    bool typesWithHotKey(const QString& text)
    {
        client = desktop->startClient("ZelkTarget");
        if (client->window() == 0 || !desktop->focus(*client) || !desktop->xdotool({"key", "ctrl+alt+y"}))
            return false;
        const bool typed = client->waitForText(text);
        QFile actions(desktop->dataFolder() + "/Shortcuts.plist");
        actions.open(QIODevice::ReadOnly);
        EXPECT_TRUE(typed) << "typed: " << client->text().toStdString() << " (" << client->presses().size()
                           << " keys); the saved shortcuts:\n" << actions.readAll().toStdString();
        return typed;
    }

    bool activateEditor()
    {
        const QList<unsigned long> windows = desktop->windowsOf(editor->pid());
        for (unsigned long window : windows)
            if (desktop->windowName(window) == "Zelk Editor")
                return desktop->xdotool({"windowactivate", "--sync", QString::number(window)}) && waitForFront("Zelk Editor");
        return false;
    }

    // What AT-SPI shows of the editor, for a failure's message.
    std::string tree(bool anywhere)
    {
        AccessibilityService& ax = Platform::instance().accessibility();
        const AXElement root = anywhere ? ax.applicationElement(editor->pid()) : frontWindow();
        QString out = "\n";
        std::function<void(const AXElement&, int)> walk = [&](const AXElement& e, int depth) {
            const auto at = e->position();
            const auto size = e->size();
            out += QString(depth * 2, ' ') + e->role().value_or("?") + " \"" + e->title().value_or(QString()) + "\" "
                   + (at && size ? QStringLiteral("%1,%2 %3x%4").arg(at->x()).arg(at->y()).arg(size->width()).arg(size->height()) : QString())
                   + "\n";
            if (depth < 12)
                for (const AXElement& child : e->children().value_or(QList<AXElement>()))
                    walk(child, depth + 1);
        };
        if (root)
            walk(root, 0);
        return out.toStdString();
    }

    std::unique_ptr<Desktop> desktop;
    std::unique_ptr<Child> launcher;
    std::unique_ptr<Child> editor;
    std::unique_ptr<KeyClient> client;
    std::unique_ptr<Platform> previous;
    bool installed = false;
    ObserverHandle menuWatch;
    QList<AXElement> openedMenus;
};

TEST_F(EditorRoadOnTheDesktopTest, ANewShortcutMadeThroughTheWindowsTypesItsTextAndItsChangedText)
{
    DataFiles files;
    files.contexts = {context(0, "Everywhere", 0)};
    ASSERT_TRUE(desktop->writeData(files));
    // The shared settings as the engine's first run seeds them (the new
    // steps' defaults among them).
    ASSERT_TRUE(QDir().mkpath(desktop->home() + "/.config/Zelk"));
    QFile::remove(desktop->home() + "/.config/Zelk/org.zelk.Zelk.shared.plist");
    ASSERT_TRUE(QFile::copy(zelk::test::appContents() + "/Resources/Preferences.plist",
                            desktop->home() + "/.config/Zelk/org.zelk.Zelk.shared.plist"));
    QProcessEnvironment env = desktop->environment();
    env.insert("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
    env.insert("QT_QPA_PLATFORM", "xcb");
    editor = std::make_unique<Child>(editorPath(), QStringList(), env, desktop->home() + "/editor.log");
    ASSERT_TRUE(pollUntil([&] { return desktop->callEngine("GetShortCutList").type() == QDBusMessage::ReplyMessage; }, 30000, 100))
        << "the engine never came up";
    ASSERT_TRUE(waitForFront("Zelk Editor")) << "front: " << frontTitle().toStdString();
    ASSERT_TRUE(shoot("main-window"));
    watchMenus();
    ASSERT_TRUE(bool(menuWatch)) << "the editor's menus cannot be observed";

    // A new shortcut: its editor grows out of the new row.
    ASSERT_TRUE(click(waitFor("Add", AXRole::Button)));
    const AXElement nameField = waitFor("Shortcut name", AXRole::TextField);
    ASSERT_TRUE(nameField) << "no shortcut editor in front: " << frontTitle().toStdString();
    ASSERT_TRUE(shoot("shortcut-editor"));
    const QString shortcutTitle = frontTitle();

    // A key launcher, its combination captured from the keys pressed.
    ASSERT_TRUE(click(waitFor("Add launcher")));
    ASSERT_TRUE(click(menuItem("Key combinations")));
    const AXElement comboField = waitFor("Key combination", AXRole::TextField);
    ASSERT_TRUE(comboField) << "no launcher editor in front: " << frontTitle().toStdString() << tree(true);
    ASSERT_TRUE(click(comboField));
    ASSERT_TRUE(desktop->xdotool({"key", "ctrl+alt+y"}));
    ASSERT_TRUE(pollUntil([&] { return !valueOf(find("Key combination", AXRole::TextField)).isEmpty(); }, 10000))
        << "the key combination was not captured";
    ASSERT_TRUE(shoot("launcher-editor"));
    ASSERT_TRUE(click(find("OK", AXRole::Button)));
    ASSERT_TRUE(waitForFront(shortcutTitle)) << "front: " << frontTitle().toStdString();

    // A typing step with its text; a shortcut of one step goes by its
    // action's name.
    ASSERT_NO_FATAL_FAILURE(typeStep(kFirstText, {}));
    ASSERT_TRUE(waitForFront(QStringLiteral("Shortcut \u201C"))) << "front: " << frontTitle().toStdString();
    const QString name = quotedName(frontTitle());
    ASSERT_TRUE(shoot("shortcut-editor-filled"));
    ASSERT_TRUE(click(find("OK", AXRole::Button)));
    ASSERT_TRUE(waitForFront("Zelk Editor")) << "front: " << frontTitle().toStdString();
    ASSERT_TRUE(desktop->xdotool({"key", "ctrl+s"}));
    ASSERT_TRUE(desktop->waitForListedShortcuts({name})) << "the engine did not load the saved shortcut " << name.toStdString();
    ASSERT_TRUE(typesWithHotKey(kFirstText));

    // The text changed through the shortcut's editor, opened from its row,
    // and its step's editor, opened from the step's row.
    ASSERT_TRUE(activateEditor());
    ASSERT_TRUE(click(waitFor(name), 2)) << tree(false);
    ASSERT_TRUE(waitForFront(QStringLiteral("Shortcut \u201C%1").arg(name))) << "front: " << frontTitle().toStdString();
    ASSERT_NO_FATAL_FAILURE(typeStep(kSecondText, name));
    ASSERT_TRUE(waitForFront(QStringLiteral("Shortcut \u201C"))) << "front: " << frontTitle().toStdString();
    const QString newName = quotedName(frontTitle());
    ASSERT_TRUE(click(find("OK", AXRole::Button)));
    ASSERT_TRUE(waitForFront("Zelk Editor")) << "front: " << frontTitle().toStdString();
    // The engine reloads its actions once the editor has saved.
    const qsizetype loads = editor->output().count("QVActionsManager resetActions:");
    ASSERT_TRUE(desktop->xdotool({"key", "ctrl+s"}));
    ASSERT_TRUE(pollUntil([&] { return editor->output().count("QVActionsManager resetActions:") > loads; }, 20000, 100))
        << "the engine did not reload the saved actions";
    ASSERT_TRUE(desktop->waitForListedShortcuts({newName}));
    client.reset();
    ASSERT_TRUE(typesWithHotKey(kSecondText));
}

} // namespace
