// The engine's commands on a private session bus, called as another program
// calls them: the service is served on a connection of its own and called
// from a second one, with fake commands behind it.
#include "DBusCommandService.h"
#include "PrivateBus.h"
#include "TestSupport.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QXmlStreamReader>
#include <future>
#include <gtest/gtest.h>

using namespace zelk;

namespace {

// Answers what a test sets and records what it was asked.
class FakeCommands : public EngineCommands {
public:
    QString shortcutList(CommandError* error) override
    {
        asked << "list";
        *error = failure;
        return failure.isError() ? QString() : QStringLiteral("<plist/>");
    }
    CommandError runLauncher(quint32 id) override { return record(QStringLiteral("launcher %1").arg(id)); }
    CommandElements orderedShortcuts() override { return {{1, "shortcut"}}; }
    CommandElements orderedActions() override { return {{2, "action"}, {3, "Grüße"}}; }
    CommandElements orderedMenus() override { return {}; }
    CommandElements orderedPalettes() override { return {{4294967295u, "palette"}}; }
    CommandElements orderedSets() override { return {{0, "set"}}; }
    CommandElements setShortcuts(quint32 id, CommandError* error) override
    {
        asked << QStringLiteral("set %1").arg(id);
        *error = failure;
        return failure.isError() ? CommandElements() : CommandElements{{id, "in set"}};
    }
    CommandError runShortcut(quint32 id) override { return record(QStringLiteral("shortcut %1").arg(id)); }
    CommandError runShortcutNamed(const QString& name) override { return record("named " + name); }
    CommandError displayMenu(quint32 id) override { return record(QStringLiteral("menu %1").arg(id)); }
    CommandError showPalette(quint32 id, bool show) override
    {
        return record(QStringLiteral("%1 palette %2").arg(show ? "show" : "hide").arg(id));
    }
    void openURL(const QString& url) override { asked << "url " + url; }
    void reopen() override { asked << "reopen"; }

    CommandError record(const QString& what)
    {
        asked << what;
        return failure;
    }

    QStringList asked;
    CommandError failure;
};

class DBusCommandServiceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QString whyNot;
        busAddress = zelk::test::privateBus(&whyNot);
        if (busAddress.isEmpty())
            ZELK_SKIP_UNLESS_CI("no private session bus: " << whyNot.toStdString());
        serverBus = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(busAddress, "command-service"));
        clientBus = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(busAddress, "command-client"));
        ASSERT_TRUE(serverBus->isConnected() && clientBus->isConnected());
        service = std::make_unique<DBusCommandService>(*serverBus);
        ASSERT_TRUE(service->claimName());
        ASSERT_TRUE(service->publish(&commands));
    }

    void TearDown() override
    {
        service.reset();
        clientBus.reset();
        serverBus.reset();
        QDBusConnection::disconnectFromBus("command-service");
        QDBusConnection::disconnectFromBus("command-client");
    }

    // Calls a method as another program does; the event loop runs meanwhile,
    // so the service answers from this thread.
    QDBusMessage call(const QString& method, const QVariantList& arguments = {},
                      const QString& path = DBusCommandService::ObjectPath,
                      const QString& interface = DBusCommandService::InterfaceName)
    {
        QDBusMessage message = QDBusMessage::createMethodCall(DBusCommandService::ServiceName, path, interface, method);
        message.setArguments(arguments);
        QDBusPendingCall pending = clientBus->asyncCall(message, 10000);
        zelk::test::waitUntil([&] { return pending.isFinished(); }, 15000);
        return pending.reply();
    }

    QString busAddress;
    std::unique_ptr<QDBusConnection> serverBus, clientBus;
    FakeCommands commands;
    std::unique_ptr<DBusCommandService> service;
};

TEST_F(DBusCommandServiceTest, InterfaceHasTheMethodsWithTheirSignatures)
{
    const QDBusMessage reply = call("Introspect", {}, DBusCommandService::ObjectPath, "org.freedesktop.DBus.Introspectable");
    ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    // Each method of org.zelk.Zelk as "Name(in types)out types"; a
    // signal's arguments are out.
    QStringList methods;
    QXmlStreamReader xml(reply.arguments().value(0).toString());
    bool inInterface = false;
    QString method, in, out;
    while (!xml.atEnd()) {
        xml.readNext();
        const auto name = xml.name();
        if (xml.isStartElement() && name == u"interface")
            inInterface = xml.attributes().value("name") == u"org.zelk.Zelk";
        else if (xml.isEndElement() && name == u"interface")
            inInterface = false;
        else if (inInterface && xml.isStartElement() && name == u"method")
            method = xml.attributes().value("name").toString(), in.clear(), out.clear();
        else if (inInterface && xml.isStartElement() && name == u"signal")
            method = "signal " + xml.attributes().value("name").toString(), in.clear(), out.clear();
        else if (inInterface && xml.isStartElement() && name == u"arg")
            (xml.attributes().value("direction") == u"out" ? out : in) += xml.attributes().value("type").toString();
        else if (inInterface && xml.isEndElement() && (name == u"method" || name == u"signal"))
            methods << method + "(" + in + ")" + out;
    }
    methods.sort();
    EXPECT_EQ(methods, QStringList({"GetShortCutList()s", "HidePalette(u)", "OpenURL(s)", "OrderedActions()a(us)",
                                    "OrderedMenus()a(us)", "OrderedPalettes()a(us)", "OrderedSets()a(us)",
                                    "OrderedShortcuts()a(us)", "Reopen()", "RunShortCutID(u)", "RunShortcut(u)",
                                    "RunShortcutNamed(s)", "SetShortcuts(u)a(us)", "ShowMenu(u)", "ShowPalette(u)",
                                    "signal KeyCue()s"}));
}

TEST_F(DBusCommandServiceTest, CallsReachTheCommandsAndAnswerTheirResults)
{
    const QDBusMessage list = call("GetShortCutList");
    ASSERT_EQ(list.type(), QDBusMessage::ReplyMessage) << list.errorMessage().toStdString();
    EXPECT_EQ(list.signature(), "s");
    EXPECT_EQ(list.arguments().value(0).toString(), "<plist/>");

    const struct {
        const char* method;
        CommandElements expected;
    } lists[] = {
        {"OrderedShortcuts", {{1, "shortcut"}}},
        {"OrderedActions", {{2, "action"}, {3, "Grüße"}}},
        {"OrderedMenus", {}},
        {"OrderedPalettes", {{4294967295u, "palette"}}},
        {"OrderedSets", {{0, "set"}}},
    };
    for (const auto& l : lists) {
        const QDBusMessage reply = call(l.method);
        ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << l.method << ": " << reply.errorMessage().toStdString();
        EXPECT_EQ(reply.signature(), "a(us)") << l.method;
        EXPECT_EQ(qdbus_cast<CommandElements>(reply.arguments().value(0)), l.expected) << l.method;
    }
    const QDBusMessage set = call("SetShortcuts", {7u});
    EXPECT_EQ(set.signature(), "a(us)");
    EXPECT_EQ(qdbus_cast<CommandElements>(set.arguments().value(0)), (CommandElements{{7, "in set"}}));

    for (const auto& [method, argument] : {std::pair<const char*, QVariant>{"RunShortCutID", 5u},
                                           {"RunShortcut", 6u}, {"RunShortcutNamed", "Type"}, {"ShowMenu", 8u},
                                           {"ShowPalette", 9u}, {"HidePalette", 9u}, {"OpenURL", "zelk://manual"}}) {
        const QDBusMessage reply = call(method, {argument});
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << method << ": " << reply.errorMessage().toStdString();
        EXPECT_EQ(reply.signature(), "") << method;
    }
    EXPECT_EQ(commands.asked, QStringList({"list", "set 7", "launcher 5", "shortcut 6", "named Type", "menu 8",
                                           "show palette 9", "hide palette 9", "url zelk://manual"}));
}

TEST_F(DBusCommandServiceTest, ErrorsAnswerTheirNamesAndTexts)
{
    const struct {
        CommandError::Kind kind;
        const char* name;
    } kinds[] = {
        {CommandError::NotFound, "org.zelk.Zelk.Error.NotFound"},
        {CommandError::Inactive, "org.zelk.Zelk.Error.Inactive"},
        {CommandError::Failed, "org.zelk.Zelk.Error.Failed"},
    };
    const struct {
        const char* method;
        QVariantList arguments;
    } calls[] = {
        {"GetShortCutList", {}}, {"RunShortCutID", {1u}}, {"SetShortcuts", {2u}}, {"RunShortcut", {3u}},
        {"RunShortcutNamed", {"x"}}, {"ShowMenu", {4u}}, {"ShowPalette", {5u}}, {"HidePalette", {6u}},
    };
    for (const auto& k : kinds) {
        commands.failure = {k.kind, QStringLiteral("“Text” of %1").arg(k.name)};
        for (const auto& c : calls) {
            const QDBusMessage reply = call(c.method, c.arguments);
            ASSERT_EQ(reply.type(), QDBusMessage::ErrorMessage) << c.method << " " << k.name;
            EXPECT_EQ(reply.errorName(), k.name) << c.method;
            EXPECT_EQ(reply.errorMessage(), commands.failure.text) << c.method;
        }
    }
}

TEST_F(DBusCommandServiceTest, NameIsOneEnginesAndTheObjectComesWithTheCommands)
{
    QDBusConnection otherBus = QDBusConnection::connectToBus(busAddress, "second-engine");
    {
        DBusCommandService second(otherBus);
        EXPECT_FALSE(second.claimName()) << "a second engine took the name";
    }
    // Withdrawn: the name stays, the object goes.
    service->withdraw();
    EXPECT_EQ(call("GetShortCutList").type(), QDBusMessage::ErrorMessage);
    EXPECT_TRUE(commands.asked.isEmpty());
    ASSERT_TRUE(service->publish(&commands));
    EXPECT_EQ(call("GetShortCutList").type(), QDBusMessage::ReplyMessage);

    // Once the first engine is gone, the next one may have it.
    service.reset();
    {
        DBusCommandService next(otherBus);
        EXPECT_TRUE(next.claimName());
    }
    QDBusConnection::disconnectFromBus("second-engine");
}

TEST_F(DBusCommandServiceTest, ASecondStartAsksTheRunningEngineToReopen)
{
    QDBusConnection otherBus = QDBusConnection::connectToBus(busAddress, "second-engine");
    {
        DBusCommandService second(otherBus);
        ASSERT_FALSE(second.claimName());
        // The engine answers on this thread: ask from another one.
        auto asked = std::async(std::launch::async, [&] { return second.askRunningEngineToReopen(); });
        ASSERT_TRUE(zelk::test::waitUntil([&] { return asked.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 15000));
        EXPECT_TRUE(asked.get());
        EXPECT_EQ(commands.asked, QStringList{"reopen"});

        // An engine that serves no commands (still starting, or gone) answers nothing.
        service->withdraw();
        auto unanswered = std::async(std::launch::async, [&] { return second.askRunningEngineToReopen(); });
        ASSERT_TRUE(zelk::test::waitUntil([&] { return unanswered.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 15000));
        EXPECT_FALSE(unanswered.get());
        EXPECT_EQ(commands.asked, QStringList{"reopen"});
    }
    QDBusConnection::disconnectFromBus("second-engine");
}

// Receives the service's KeyCue signal on the client's connection.
class SignalCatcher : public QObject {
    Q_OBJECT
public slots:
    void keyCue(const QString& code) { codes << code; }

public:
    QStringList codes;
};

TEST_F(DBusCommandServiceTest, AHotKeyIsAnnouncedAsASignalWhileTheCommandsArePublished)
{
    SignalCatcher catcher;
    ASSERT_TRUE(clientBus->connect(DBusCommandService::ServiceName, DBusCommandService::ObjectPath,
                                   DBusCommandService::InterfaceName, "KeyCue", &catcher, SLOT(keyCue(QString))));
    // The match rule is in place once the bus has answered a call of ours.
    ASSERT_EQ(call("OrderedSets").type(), QDBusMessage::ReplyMessage);
    service->announceHotKey("Stop");
    ASSERT_TRUE(zelk::test::waitUntil([&] { return !catcher.codes.isEmpty(); }, 15000));
    EXPECT_EQ(catcher.codes, QStringList{"Stop"});

    // Withdrawn: nothing is sent. A call made after the announcement comes
    // back after any signal it would have sent.
    service->withdraw();
    service->announceHotKey("Stop");
    ASSERT_TRUE(service->publish(&commands));
    ASSERT_EQ(call("OrderedSets").type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(catcher.codes, QStringList{"Stop"});
}

TEST_F(DBusCommandServiceTest, ASecondStartHandsItsURLToTheRunningEngine)
{
    QDBusConnection otherBus = QDBusConnection::connectToBus(busAddress, "second-engine");
    {
        DBusCommandService second(otherBus);
        ASSERT_FALSE(second.claimName());
        auto asked = std::async(std::launch::async, [&] { return second.askRunningEngineToOpenURL("zelk://manual"); });
        ASSERT_TRUE(zelk::test::waitUntil([&] { return asked.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 15000));
        EXPECT_TRUE(asked.get());
        EXPECT_EQ(commands.asked, QStringList{"url zelk://manual"});
    }
    QDBusConnection::disconnectFromBus("second-engine");
}

TEST(DBusCommandServiceWithoutBus, NothingToGuardAndNothingServed)
{
    FakeCommands commands;
    DBusCommandService service{QDBusConnection(QString())};
    EXPECT_TRUE(service.claimName());
    EXPECT_FALSE(service.publish(&commands));
    EXPECT_FALSE(service.askRunningEngineToReopen());
    EXPECT_FALSE(service.askRunningEngineToOpenURL("zelk://manual"));
}

} // namespace

#include "DBusCommandServiceTest.moc"
