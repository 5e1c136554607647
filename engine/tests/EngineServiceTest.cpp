// The engine's commands, called as another program calls them through the
// virtual desktop's command service: the engine's objects come from data
// files read by the application object, which publishes the commands at the
// end of its start-up.
#include "DataFileRecords.h"
#include "EngineAppTestSupport.h"

#include "ClassRegistry.h"
#include "DBusCommandService.h"
#include "PrivateBus.h"
#include "QVAction.h"
#include "QVEngineService.h"
#include "QVPalette.h"
#include "QVPalettesManager.h"
#include "QVShortcut.h"
#include "QVShortcutsManager.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>

using namespace engine;
using namespace engine::test;
namespace records = zelk::test::records;

namespace {

constexpr quint32 kCtrlAlt = 0x100000 | 0x80000;
constexpr quint32 kCtrlAltT = kCtrlAlt | 17, kCtrlAltK = kCtrlAlt | 40, kJ = 38, kCtrlAltM = kCtrlAlt | 46;

zelk::test::Lines& runs()
{
    static zelk::test::Lines lines;
    return lines;
}

// An action type that only says it ran.
class ServiceProbe : public zelk::QVAction {
    ZELK_ACTION_CLASS(ServiceProbe, QVAction)
public:
    QString runActionFromObject(const std::shared_ptr<zelk::QVActionController>&) override
    {
        runs().add(nameValue());
        return {};
    }
};

class EngineServiceTest : public EngineAppTest {
protected:
    void SetUp() override
    {
        EngineAppTest::SetUp();
        zelk::ClassRegistry::shared().registerClass(&ServiceProbe::classObject());
        runs().clear();
        onboard();
        using namespace records;
        DataFiles files;
        files.actions = {action(0, "probe one", "ServiceProbe", {}), action(1, "probe two", "ServiceProbe", {})};
        files.contexts = {context(0, "Everywhere", 0), context(1, "In the editor", 1, "gedit")};
        files.launchers = {keyLauncher(0, kCtrlAltT), keyLauncher(1, kCtrlAltK, {.secondKey = kJ}), systemLauncher(2, 2),
                           keyLauncher(3, kCtrlAltM)};
        files.shortcuts = {shortcut(0, "Type", {0}, {0}, {0}), shortcut(1, "Only in the editor", {1}, {0}, {1}),
                           shortcut(2, "Two keys", {1}, {1}, {0}), shortcut(3, "On wake", {0}, {2}, {0})};
        // Both on the last launcher: a menu is a hot key's object, a palette is not listed.
        files.menus = {menuRecord(4, "Tools", {}, {}, {0}, {3})};
        files.palettes = {paletteRecord(7, "Colours", {}, {}, {0}, {3})};
        ASSERT_TRUE(files.write(dataFolder()));
        launch();
        ASSERT_TRUE(appl->isStarted());

        commands = desktop->virtualCommands().published();
        ASSERT_EQ(commands, &QVEngineService::sharedService()) << "start-up did not publish the commands";
        EXPECT_TRUE(desktop->virtualCommands().ownsName());
    }

    void TearDown() override
    {
        for (const auto& cut : QVShortcutsManager::sharedManager().shortcutsArray())
            EXPECT_TRUE(waitUntil([&] { return !cut->isRunning(); }, 10000)) << "a run did not end";
        EngineAppTest::TearDown();
    }

    QVariantList shortCutList()
    {
        zelk::CommandError error;
        const QString text = commands->shortcutList(&error);
        EXPECT_FALSE(error.isError()) << error.text.toStdString();
        const auto list = zelk::plist::read(text.toUtf8());
        return list ? list->toList() : QVariantList();
    }

    zelk::EngineCommands* commands = nullptr;
};

TEST_F(EngineServiceTest, ShortcutListHoldsEachKeyLauncherWithItsActiveShortcuts)
{
    // "Only in the editor" is linked to the first launcher but its context
    // does not hold; the wake launcher has no keys, so it is no hot key; the
    // last launcher's menu is listed and its palette is not.
    const QVariantList expected{
        QVariantMap{{"name", "Type"}, {"uid", 0}, {"keycode", kCtrlAltT}, {"modifiers", "Ctrl+Alt+"}, {"key", "t"}},
        QVariantMap{{"name", "Two keys"}, {"uid", 1}, {"keycode", kCtrlAltK}, {"keycode2", kCtrlAlt | kJ},
                    {"modifiers", "Ctrl+Alt+"}, {"key", "k"}},
        QVariantMap{{"name", "Tools"}, {"uid", 3}, {"keycode", kCtrlAltM}, {"modifiers", "Ctrl+Alt+"}, {"key", "m"}},
    };
    const QVariantList list = shortCutList();
    ASSERT_EQ(list.size(), expected.size()) << zelk::plist::writeXml(list).toStdString();
    for (qsizetype i = 0; i < list.size(); ++i) {
        const QVariantMap got = list[i].toMap(), want = expected[i].toMap();
        EXPECT_EQ(got.keys(), want.keys()) << "entry " << i;
        for (auto it = want.cbegin(); it != want.cend(); ++it)
            EXPECT_EQ(got.value(it.key()).toString(), it.value().toString()) << "entry " << i << " " << it.key().toStdString();
    }

    // The editor's context comes to hold: its shortcut joins the list.
    desktop->virtualWorkspace().userActivates(desktop->virtualWorkspace().userLaunches("gedit.desktop"));
    ASSERT_TRUE(waitUntil([&] { return shortCutList().size() == 4; }));
    EXPECT_EQ(shortCutList().value(1).toMap().value("name").toString(), "Only in the editor");
}

TEST_F(EngineServiceTest, RunShortCutIDRunsTheLauncherOrSaysItIsNotThere)
{
    const zelk::CommandError ran = commands->runLauncher(1);
    EXPECT_FALSE(ran.isError()) << ran.text.toStdString();
    EXPECT_TRUE(waitUntil([] { return runs().count("probe two") == 1; })) << runs().lines().join(", ").toStdString();

    const zelk::CommandError missing = commands->runLauncher(99);
    EXPECT_EQ(missing.kind, zelk::CommandError::NotFound);
    EXPECT_EQ(missing.text, "Zelk item not found in current context.");
}

TEST_F(EngineServiceTest, ScriptingElementListsInTheManagersOrder)
{
    using Elements = zelk::CommandElements;
    EXPECT_EQ(commands->orderedShortcuts(), (Elements{{0, "Type"}, {1, "Only in the editor"}, {2, "Two keys"}, {3, "On wake"}}));
    EXPECT_EQ(commands->orderedActions(), (Elements{{0, "probe one"}, {1, "probe two"}}));
    EXPECT_EQ(commands->orderedSets(), (Elements{{0, "Everywhere"}, {1, "In the editor"}}));
    EXPECT_EQ(commands->orderedMenus(), (Elements{{4, "Tools"}}));
    EXPECT_EQ(commands->orderedPalettes(), (Elements{{7, "Colours"}}));
    zelk::CommandError error;
    EXPECT_EQ(commands->setShortcuts(1, &error), (Elements{{1, "Only in the editor"}}));
    EXPECT_FALSE(error.isError());
    EXPECT_TRUE(commands->setShortcuts(42, &error).isEmpty());
    EXPECT_EQ(error.kind, zelk::CommandError::NotFound);
    EXPECT_EQ(error.text, "Zelk item not found in current context.");
}

TEST_F(EngineServiceTest, RunShortcutByIDOrNameOnlyWhenActive)
{
    using Kind = zelk::CommandError::Kind;
    struct Case {
        QVariant which; // a number: by ID; a text: by name
        Kind error;
        const char* text;
    } const cases[] = {
        {2u, Kind::None, ""},
        {"Type", Kind::None, ""},
        {1u, Kind::Inactive, "The shortcut “Only in the editor” is not active in the current context."},
        {"Only in the editor", Kind::Inactive, "The shortcut “Only in the editor” is not active in the current context."},
        {77u, Kind::NotFound, "Zelk item not found in current context."},
        {"nothing of that name", Kind::NotFound, "Zelk item not found in current context."},
    };
    for (const Case& c : cases) {
        const zelk::CommandError error = c.which.metaType().id() == QMetaType::QString
                                             ? commands->runShortcutNamed(c.which.toString())
                                             : commands->runShortcut(c.which.toUInt());
        EXPECT_EQ(error.kind, c.error) << c.which.toString().toStdString();
        EXPECT_EQ(error.text, QString::fromUtf8(c.text)) << c.which.toString().toStdString();
    }
    EXPECT_TRUE(waitUntil([] { return runs().lines().size() == 2; }));
    EXPECT_EQ(runs().count("probe two"), 1);
    EXPECT_EQ(runs().count("probe one"), 1);
}

TEST_F(EngineServiceTest, ListRequestChangesNoTracing)
{
    ASSERT_FALSE(appl->TraceRun());
    const QVariantList first = shortCutList();
    EXPECT_FALSE(appl->TraceRun()) << "a list request switched run tracing on";
    EXPECT_EQ(shortCutList(), first);
}

TEST_F(EngineServiceTest, MenusAndPalettesAreShownByTheirIDs)
{
    using Kind = zelk::CommandError::Kind;
    struct Case {
        const char* what;
        zelk::CommandError error;
        Kind expected;
    } const cases[] = {
        {"menu 4", commands->displayMenu(4), Kind::None},
        {"menu 7 (a palette's ID)", commands->displayMenu(7), Kind::NotFound},
        {"show palette 7", commands->showPalette(7, true), Kind::None},
        {"hide palette 7", commands->showPalette(7, false), Kind::None},
        {"show palette 4 (a menu's ID)", commands->showPalette(4, true), Kind::NotFound},
        {"hide palette 99", commands->showPalette(99, false), Kind::NotFound},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.error.kind, c.expected) << c.what;
        if (c.expected == Kind::NotFound) {
            EXPECT_EQ(c.error.text, "Zelk item not found in current context.") << c.what;
        }
    }
    // The commands reach the palette itself.
    const std::shared_ptr<QVPalette> palette = QVPalettesManager::sharedManager().paletteWithID(7);
    ASSERT_TRUE(palette);
    ASSERT_EQ(commands->showPalette(7, true).kind, Kind::None);
    EXPECT_TRUE(waitUntil([&] { return palette->isVisible(); }));
    ASSERT_EQ(commands->showPalette(7, false).kind, Kind::None);
    EXPECT_TRUE(waitUntil([&] { return !palette->isVisible(); }));
}

TEST_F(EngineServiceTest, AFiredHotKeyIsAnnouncedToHotKeyViewers)
{
    // Announced as the key goes down and again as it comes up.
    ASSERT_TRUE(desktop->virtualHotKeys().userPresses(kCtrlAltT));
    EXPECT_EQ(desktop->virtualCommands().hotKeyAnnouncements(), QStringList{"Stop"});
    desktop->virtualHotKeys().userReleases(kCtrlAltT);
    ASSERT_TRUE(waitUntil([] { return runs().count("probe one") == 1; }));
    EXPECT_EQ(desktop->virtualCommands().hotKeyAnnouncements(), QStringList({"Stop", "Stop"}));
}

TEST_F(EngineServiceTest, AManualURLOpensTheBundlesManual)
{
    desktop->virtualWorkspace().clearRequests();
    commands->openURL("zelk://manual");
    commands->openURL("zelk://manual&more"); // not the manual
    EXPECT_EQ(desktop->virtualWorkspace().requests(), QStringList{"open " + resource("Zelk Manual.html")});
    EXPECT_TRUE(QFile::exists(resource("Zelk Manual.html")));
}

TEST_F(EngineServiceTest, CommandsAreWithdrawnAndPublishedAgain)
{
    QVEngineService::sharedService().disableKeyCueSupport();
    EXPECT_EQ(desktop->virtualCommands().published(), nullptr);
    ASSERT_TRUE(QVEngineService::sharedService().enableKeyCueSupport());
    EXPECT_EQ(desktop->virtualCommands().published(), &QVEngineService::sharedService());
    // The application object takes them away as it goes.
    appl.reset();
    EXPECT_EQ(desktop->virtualCommands().published(), nullptr);
}

// Another program of the session, on a private bus, calling the engine's
// commands as `gdbus call` does.
TEST_F(EngineServiceTest, ABusClientListsRunsAndShowsThroughTheEngine)
{
    QString whyNot;
    const QString address = zelk::test::privateBus(&whyNot);
    if (address.isEmpty())
        ZELK_SKIP_UNLESS_CI("no private session bus: " << whyNot.toStdString());
    QDBusConnection server = QDBusConnection::connectToBus(address, "engine-commands");
    QDBusConnection client = QDBusConnection::connectToBus(address, "engine-client");
    ASSERT_TRUE(server.isConnected() && client.isConnected());
    {
        zelk::DBusCommandService service(server);
        ASSERT_TRUE(service.claimName());
        ASSERT_TRUE(service.publish(&QVEngineService::sharedService()));
        const auto call = [&](const QString& method, const QVariantList& arguments = {}) {
            QDBusMessage message = QDBusMessage::createMethodCall("org.zelk.Zelk", "/org/zelk/Zelk", "org.zelk.Zelk", method);
            message.setArguments(arguments);
            QDBusPendingCall pending = client.asyncCall(message, 10000);
            waitUntil([&] { return pending.isFinished(); }, 15000);
            return pending.reply();
        };

        const QDBusMessage list = call("GetShortCutList");
        ASSERT_EQ(list.type(), QDBusMessage::ReplyMessage) << list.errorMessage().toStdString();
        const auto entries = zelk::plist::read(list.arguments().value(0).toString().toUtf8());
        ASSERT_TRUE(entries);
        EXPECT_EQ(entries->toList().size(), 3) << "two shortcuts and the menu on a key launcher";

        const QDBusMessage ran = call("RunShortCutID", {1u});
        EXPECT_EQ(ran.type(), QDBusMessage::ReplyMessage) << ran.errorMessage().toStdString();
        EXPECT_TRUE(waitUntil([] { return runs().count("probe two") == 1; }));

        const struct {
            const char* method;
            uint id;
            const char* error; // empty: answered
        } cases[] = {
            {"ShowPalette", 7, ""},
            {"HidePalette", 7, ""},
            {"ShowMenu", 4, ""},
            {"ShowMenu", 99, "org.zelk.Zelk.Error.NotFound"},
            {"HidePalette", 99, "org.zelk.Zelk.Error.NotFound"},
            {"RunShortCutID", 99, "org.zelk.Zelk.Error.NotFound"},
        };
        for (const auto& c : cases) {
            const QDBusMessage reply = call(c.method, {c.id});
            EXPECT_EQ(reply.errorName(), QString(c.error)) << c.method << " " << c.id;
        }
    }
    QDBusConnection::disconnectFromBus("engine-commands");
    QDBusConnection::disconnectFromBus("engine-client");
}

} // namespace
