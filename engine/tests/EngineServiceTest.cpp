// The engine's commands on a private session bus, called as another program
// calls them: the engine's objects come from data files read by the
// application object on the virtual desktop; the service is served on a
// connection of its own and called from a second one.
#include "DataFileRecords.h"
#include "EngineAppTestSupport.h"
#include "PrivateBus.h"

#include "ClassRegistry.h"
#include "QVAction.h"
#include "QVEngineService.h"
#include "QVShortcut.h"
#include "QVShortcutsManager.h"

#include <QDBusConnection>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusPendingCall>

using namespace engine;
using namespace engine::test;
namespace records = zelk::test::records;

namespace {

constexpr quint32 kCtrlAlt = 0x100000 | 0x80000;
constexpr quint32 kCtrlAltT = kCtrlAlt | 17, kCtrlAltK = kCtrlAlt | 40, kJ = 38;

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
        QString whyNot;
        busAddress = zelk::test::privateBus(&whyNot);
        if (busAddress.isEmpty())
            GTEST_SKIP() << "no private session bus: " << whyNot.toStdString();
        EngineAppTest::SetUp();
        zelk::ClassRegistry::shared().registerClass(&ServiceProbe::classObject());
        runs().clear();
        onboard();
        using namespace records;
        DataFiles files;
        files.actions = {action(0, "probe one", "ServiceProbe", {}), action(1, "probe two", "ServiceProbe", {})};
        files.contexts = {context(0, "Everywhere", 0), context(1, "In the editor", 1, "gedit")};
        files.launchers = {keyLauncher(0, kCtrlAltT), keyLauncher(1, kCtrlAltK, {.secondKey = kJ}), systemLauncher(2, 2)};
        files.shortcuts = {shortcut(0, "Type", {0}, {0}, {0}), shortcut(1, "Only in the editor", {1}, {0}, {1}),
                           shortcut(2, "Two keys", {1}, {1}, {0}), shortcut(3, "On wake", {0}, {2}, {0})};
        files.menus = {QVariantMap{{"menuID", 4}, {"menuname", "Tools"}}};
        files.palettes = {QVariantMap{{"paletteID", 7}, {"palettename", "Colours"}}};
        ASSERT_TRUE(files.write(dataFolder()));
        launch();
        ASSERT_TRUE(appl->isStarted());

        serverBus = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(busAddress, "engine-service"));
        clientBus = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(busAddress, "engine-client"));
        ASSERT_TRUE(serverBus->isConnected() && clientBus->isConnected());
        service = std::make_unique<QVEngineService>(*serverBus);
        ASSERT_TRUE(service->claimName());
        ASSERT_TRUE(service->enableKeyCueSupport());
    }

    void TearDown() override
    {
        for (const auto& cut : QVShortcutsManager::sharedManager().shortcutsArray())
            EXPECT_TRUE(waitUntil([&] { return !cut->isRunning(); }, 10000)) << "a run did not end";
        service.reset();
        clientBus.reset();
        serverBus.reset();
        QDBusConnection::disconnectFromBus("engine-service");
        QDBusConnection::disconnectFromBus("engine-client");
        if (!busAddress.isEmpty())
            EngineAppTest::TearDown();
    }

    // Calls a method as another program does; the event loop runs meanwhile,
    // so the service answers from this thread.
    QDBusMessage call(const QString& method, const QVariantList& arguments = {})
    {
        QDBusMessage message = QDBusMessage::createMethodCall(QVEngineService::ServiceName, QVEngineService::ObjectPath,
                                                              QVEngineService::InterfaceName, method);
        message.setArguments(arguments);
        QDBusPendingCall pending = clientBus->asyncCall(message, 10000);
        waitUntil([&] { return pending.isFinished(); }, 15000);
        return pending.reply();
    }

    QVariantList shortCutList()
    {
        const QDBusMessage reply = call("GetShortCutList");
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
        const auto list = zelk::plist::read(reply.arguments().value(0).toString().toUtf8());
        return list ? list->toList() : QVariantList();
    }

    QVScriptingElements elements(const QString& method, const QVariantList& arguments = {})
    {
        const QDBusMessage reply = call(method, arguments);
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << method.toStdString() << ": " << reply.errorMessage().toStdString();
        return qdbus_cast<QVScriptingElements>(reply.arguments().value(0));
    }

    QString busAddress;
    std::unique_ptr<QDBusConnection> serverBus, clientBus;
    std::unique_ptr<QVEngineService> service;
};

TEST_F(EngineServiceTest, ShortcutListHoldsEachLauncherWithItsActiveShortcuts)
{
    // "Only in the editor" is linked to the first launcher but its context
    // does not hold; the wake launcher has no keys.
    const QVariantList expected{
        QVariantMap{{"name", "Type"}, {"uid", 0}, {"keycode", kCtrlAltT}, {"modifiers", "Ctrl+Alt+"}, {"key", "t"}},
        QVariantMap{{"name", "Two keys"}, {"uid", 1}, {"keycode", kCtrlAltK}, {"keycode2", kCtrlAlt | kJ},
                    {"modifiers", "Ctrl+Alt+"}, {"key", "k"}},
        QVariantMap{{"name", "On wake"}, {"uid", 2}, {"keycode", 0}, {"modifiers", ""}, {"key", "a"}},
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
    const QDBusMessage ran = call("RunShortCutID", {1u});
    EXPECT_EQ(ran.type(), QDBusMessage::ReplyMessage) << ran.errorMessage().toStdString();
    EXPECT_TRUE(waitUntil([] { return runs().count("probe two") == 1; })) << runs().lines().join(", ").toStdString();

    const QDBusMessage missing = call("RunShortCutID", {99u});
    ASSERT_EQ(missing.type(), QDBusMessage::ErrorMessage);
    EXPECT_EQ(missing.errorName(), QVEngineService::NotFoundError);
    EXPECT_EQ(missing.errorMessage(), "Zelk item not found in current context.");
}

TEST_F(EngineServiceTest, ScriptingElementListsInTheManagersOrder)
{
    EXPECT_EQ(elements("OrderedShortcuts"),
              (QVScriptingElements{{0, "Type"}, {1, "Only in the editor"}, {2, "Two keys"}, {3, "On wake"}}));
    EXPECT_EQ(elements("OrderedActions"), (QVScriptingElements{{0, "probe one"}, {1, "probe two"}}));
    EXPECT_EQ(elements("OrderedSets"), (QVScriptingElements{{0, "Everywhere"}, {1, "In the editor"}}));
    EXPECT_EQ(elements("OrderedMenus"), (QVScriptingElements{{4, "Tools"}}));
    EXPECT_EQ(elements("OrderedPalettes"), (QVScriptingElements{{7, "Colours"}}));
    EXPECT_EQ(elements("SetShortcuts", {1u}), (QVScriptingElements{{1, "Only in the editor"}}));
    const QDBusMessage noSet = call("SetShortcuts", {42u});
    EXPECT_EQ(noSet.errorName(), QVEngineService::NotFoundError);
}

TEST_F(EngineServiceTest, RunShortcutByIDOrNameOnlyWhenActive)
{
    struct Case {
        const char* method;
        QVariant which;
        const char* error; // nullptr: it runs
    } const cases[] = {
        {"RunShortcut", 2u, nullptr},
        {"RunShortcutNamed", "Type", nullptr},
        {"RunShortcut", 1u, QVEngineService::InactiveError},
        {"RunShortcutNamed", "Only in the editor", QVEngineService::InactiveError},
        {"RunShortcut", 77u, QVEngineService::NotFoundError},
        {"RunShortcutNamed", "nothing of that name", QVEngineService::NotFoundError},
    };
    for (const Case& c : cases) {
        const QDBusMessage reply = call(c.method, {c.which});
        if (c.error)
            EXPECT_EQ(reply.errorName(), c.error) << c.method << " " << c.which.toString().toStdString();
        else
            EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << c.method << ": " << reply.errorMessage().toStdString();
    }
    EXPECT_TRUE(waitUntil([] { return runs().lines().size() == 2; }));
    EXPECT_EQ(runs().count("probe two"), 1);
    EXPECT_EQ(runs().count("probe one"), 1);
}

TEST_F(EngineServiceTest, NameIsOneEnginesAndTheObjectComesWithTheHandlers)
{
    QDBusConnection otherBus = QDBusConnection::connectToBus(busAddress, "second-engine");
    {
        QVEngineService second(otherBus);
        EXPECT_FALSE(second.claimName()) << "a second engine took the name";
    }
    // The handlers removed: the name stays, the object goes.
    service->disableKeyCueSupport();
    EXPECT_EQ(call("GetShortCutList").type(), QDBusMessage::ErrorMessage);
    ASSERT_TRUE(service->enableKeyCueSupport());
    EXPECT_EQ(call("GetShortCutList").type(), QDBusMessage::ReplyMessage);

    // Once the first engine is gone, the next one may have it.
    service.reset();
    {
        QVEngineService next(otherBus);
        EXPECT_TRUE(next.claimName());
    }
    QDBusConnection::disconnectFromBus("second-engine");
}

TEST(EngineServiceWithoutBus, NothingToGuardAndNothingServed)
{
    QVEngineService service{QDBusConnection(QString())};
    EXPECT_TRUE(service.claimName());
    EXPECT_FALSE(service.enableKeyCueSupport());
}

} // namespace
