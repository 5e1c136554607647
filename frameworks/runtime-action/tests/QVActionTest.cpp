// The engine-side action base: class objects, actions from records, the run
// protocol, the default error question, localisation, icons and forwarders.
#include "QVActionTestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <thread>

using namespace zelk;
using namespace zelk::test;

namespace {

QVariantMap record(const QString& actionClass, const QString& name, qint64 id, const QString& error = {})
{
    QVariantMap r{{"actionclass", actionClass}, {"actionname", name}, {"actionID", id}};
    if (!error.isNull())
        r.insert("actiondata", QVariantMap{{"Action", 1}, {"error", error}});
    return r;
}

// A shortcut step's way of running an action: its own thread, joined here.
void runOnThread(const std::shared_ptr<QVAction>& action, const std::shared_ptr<QVActionController>& controller)
{
    std::thread([action, controller] { action->runActionFromObjectInThread(controller); }).join();
}

class QVActionTestBase : public ::testing::Test {
protected:
    static void SetUpTestSuite() { registerTestClasses(ClassRegistry::shared()); }
};

} // namespace

// --- Class objects and records ----------------------------------------------------

using QVActionClasses = QVActionTestBase;

TEST_F(QVActionClasses, BaseClassIsRegisteredWithTheFrameworkBundle)
{
    QVActionClass* base = ClassRegistry::shared().lookup<QVActionClass>("QVAction");
    ASSERT_EQ(base, &QVAction::classObject());
    EXPECT_TRUE(base->bundle().isValid());
    EXPECT_TRUE(base->bundle().bundlePath().endsWith("/Frameworks/QVAction")) << base->bundle().bundlePath().toStdString();
    EXPECT_TRUE(base->superclassName().isEmpty());
}

TEST_F(QVActionClasses, MacroDefinedTypesChainTheirClassObjects)
{
    QVActionClass* type = ClassRegistry::shared().lookup<QVActionClass>("NoRecentTestAction");
    ASSERT_EQ(type, &NoRecentTestAction::classObject());
    EXPECT_EQ(type->superclassName(), "TestAction");
    EXPECT_EQ(TestAction::classObject().superclassName(), "QVAction");
    // The subclass's class object is its superclass's class object too.
    EXPECT_NE(dynamic_cast<TestAction::Class*>(type), nullptr);

    std::shared_ptr<QVAction> made = type->make();
    ASSERT_NE(std::dynamic_pointer_cast<NoRecentTestAction>(made), nullptr);
    EXPECT_EQ(&made->actionClass(), type);
}

TEST_F(QVActionClasses, RecordPicksTheClassAndTheBaseReadsNameAndUnsignedID)
{
    std::shared_ptr<QVAction> action = QVAction::actionWithRecord(record("TestAction", "Copy", 4294967295LL, "x"));
    ASSERT_NE(std::dynamic_pointer_cast<TestAction>(action), nullptr);
    EXPECT_EQ(action->nameValue(), "Copy");
    EXPECT_EQ(action->name(), "Copy");
    EXPECT_TRUE(action->nameIsEqual("Copy"));
    EXPECT_FALSE(action->nameIsEqual("copy"));
    EXPECT_EQ(action->IDValue(), 4294967295u);
    EXPECT_TRUE(action->IDIsEqual(4294967295u));
    EXPECT_FALSE(action->IDIsEqual(0));
}

TEST_F(QVActionClasses, DescriptionNamesClassIdentityNameAndID)
{
    std::shared_ptr<QVAction> action = QVAction::actionWithRecord(record("TestAction", "Paste %1", 42));
    ASSERT_NE(action, nullptr);
    const QString identity = QString::number(quintptr(action.get()), 16);
    EXPECT_EQ(action->description(), "TestAction (" + identity + ") { Name:'Paste %1' - ID = 42 }");
}

TEST_F(QVActionClasses, BaseDefaults)
{
    std::shared_ptr<QVAction> action = QVAction::actionWithRecord(record("QVAction", "Plain", 1));
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(&action->actionClass(), &QVAction::classObject());
    EXPECT_EQ(action->runDelay(), 0.0f) << "0: the controller's own time-out";
    EXPECT_TRUE(action->addToRecent());
    EXPECT_TRUE(action->canGoRunning());
    EXPECT_TRUE(QVAction::classObject().canGoRunning());
    EXPECT_FALSE(NoRecentTestAction().addToRecent());
}

TEST_F(QVActionClasses, IconsComeFromTheFrameworkBundle)
{
    std::shared_ptr<QVAction> action = QVAction::actionWithRecord(record("QVAction", "Plain", 1));
    ASSERT_NE(action, nullptr);
    const QImage icon = action->imageValue();
    ASSERT_FALSE(icon.isNull()) << "default icon missing from the framework's Resources";
    EXPECT_EQ(icon.size(), QSize(16, 16));
    EXPECT_EQ(action->imageValue().cacheKey(), icon.cacheKey()) << "the 16x16 icon is kept";
    EXPECT_EQ(action->imageValueWithSize(32).size(), QSize(32, 32));
    EXPECT_EQ(QVAction::defaultIcon().cacheKey(), QVAction::defaultIcon().cacheKey());
    EXPECT_EQ(QVAction::unknownIconWithSize(24).size(), QSize(24, 24));

    const Bundle framework = QVAction::classObject().bundle();
    EXPECT_FALSE(QVAction::imageInBundle(framework, "default.tiff").isNull());
    EXPECT_TRUE(QVAction::imageInBundle(framework, "nothing.tiff").isNull());
    EXPECT_TRUE(QVAction::imageInBundle(Bundle(), "default.tiff").isNull());
}

// --- The run protocol ------------------------------------------------------------------

using QVActionRun = QVActionTestBase;

TEST_F(QVActionRun, OutcomeIsReportedOnceToTheController)
{
    struct Case {
        const char* what;
        QString error;
        QStringList calls;
    };
    const Case cases[] = {
        {"success", QString(), {"canGoRunning", "success"}},
        {"error text", "The file “a.txt” is gone.", {"canGoRunning", "error The file “a.txt” is gone."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto action = std::dynamic_pointer_cast<TestAction>(
            QVAction::actionWithRecord(record("TestAction", "T", 5, c.error.isNull() ? QString("") : c.error)));
        ASSERT_NE(action, nullptr);
        auto controller = std::make_shared<TestController>();
        auto bystander = std::make_shared<TestController>();

        runOnThread(action, controller);

        EXPECT_EQ(controller->log->calls(), c.calls);
        ASSERT_EQ(controller->reportedActions().size(), 1u);
        EXPECT_EQ(controller->reportedActions()[0], action);
        EXPECT_TRUE(bystander->log->calls().isEmpty());
        EXPECT_TRUE(action->ownReports->log->calls().isEmpty()) << "the action is not its own controller here";
    }
}

TEST_F(QVActionRun, MissingClassRunFailsNamingTheClass)
{
    struct Case {
        QString actionClass;
        QString expected;
    };
    const Case cases[] = {
        {"NoSuchRunner", "error The action type “NoSuchRunner” is not installed."},
        {"", "error The action type “” is not installed."},
        {"QVUtility", "error The action type “QVUtility” is not installed."}, // a class, not an action type
    };
    HostUtility host;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.actionClass.toStdString());
        std::shared_ptr<QVAction> action = QVAction::actionWithRecord(record(c.actionClass, "Lost", 9, "ignored"));
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(&action->actionClass(), &QVAction::classObject());
        EXPECT_EQ(action->nameValue(), "Lost");
        EXPECT_EQ(action->IDValue(), 9u);

        auto controller = std::make_shared<TestController>();
        runOnThread(action, controller);
        EXPECT_EQ(controller->log->calls(), QStringList({c.expected}));
        ASSERT_EQ(controller->reportedActions().size(), 1u);
        EXPECT_EQ(controller->reportedActions()[0], action);
    }

    // A record that names the base class itself is a plain action that succeeds.
    std::shared_ptr<QVAction> plain = QVAction::actionWithRecord(record("QVAction", "Plain", 1));
    auto controller = std::make_shared<TestController>();
    runOnThread(plain, controller);
    EXPECT_EQ(controller->log->calls(), QStringList({"success"}));
}

TEST_F(QVActionRun, StandAloneRunIsItsOwnControllerAndEntersRecentOnlyWhenAsked)
{
    struct Case {
        const char* actionClass;
        bool entersRecent;
    };
    for (const Case& c : {Case{"TestAction", true}, Case{"NoRecentTestAction", false}}) {
        SCOPED_TRACE(c.actionClass);
        FakeHost host;
        auto action = std::dynamic_pointer_cast<TestAction>(
            QVAction::actionWithRecord(record(c.actionClass, "Alone", 3, "Nothing to paste.")));
        ASSERT_NE(action, nullptr);

        action->runObject();

        ASSERT_TRUE(action->ownReports->log->waitForCount(1)) << "no report within 5 s";
        EXPECT_EQ(action->ownReports->log->calls(), QStringList({"error Nothing to paste."}));
        EXPECT_EQ(action->ownReports->reportedActions()[0], action);
        EXPECT_EQ(action->controllerSeen.load(), static_cast<const QVActionController*>(action.get()));
        if (c.entersRecent) {
            EXPECT_EQ(host.log->calls(), QStringList({"addLastCutAction Alone"}));
            EXPECT_EQ(host.lastCut(), action);
        } else {
            EXPECT_TRUE(host.log->calls().isEmpty()) << host.log->calls().join(", ").toStdString();
        }
    }
}

TEST_F(QVActionRun, RunThreadKeepsTheActionAlive)
{
    auto action = std::dynamic_pointer_cast<TestAction>(QVAction::actionWithRecord(record("TestAction", "Held", 8)));
    ASSERT_NE(action, nullptr);
    auto gate = std::make_shared<Gate>();
    action->gate = gate;
    std::shared_ptr<TestController> reports = action->ownReports;
    std::weak_ptr<QVAction> watch = action;

    action->runObject();
    ASSERT_TRUE(gate->waitEntered());
    action.reset(); // the engine reloads its actions during the run
    EXPECT_FALSE(watch.expired());

    gate->open();
    ASSERT_TRUE(reports->log->waitForCount(1));
    EXPECT_EQ(reports->log->calls(), QStringList({"success"}));
    EXPECT_TRUE(waitUntil([&] { return watch.expired(); })) << "the thread let the action go when it ended";
}

TEST_F(QVActionRun, ActivatesTheLastProcessOnlyWhenTheEngineIsActive)
{
    for (bool engineActive : {true, false}) {
        SCOPED_TRACE(engineActive ? "engine active" : "engine in the background");
        auto log = std::make_shared<CallLog>();
        FakeHost host(log);
        host.active = engineActive;
        auto controller = std::make_shared<TestController>(log);
        runOnThread(QVAction::actionWithRecord(record("TestAction", "T", 1)), controller);

        const QStringList expected = engineActive
                                         ? QStringList({"activateLastProcess", "canGoRunning", "success"})
                                         : QStringList({"canGoRunning", "success"});
        EXPECT_EQ(log->calls(), expected);
    }
}

TEST_F(QVActionRun, NoHostApplicationMeansNoActivationAndNoRecentEntry)
{
    ASSERT_EQ(QVAction::applicationObject(), nullptr);
    auto action = std::dynamic_pointer_cast<TestAction>(QVAction::actionWithRecord(record("TestAction", "T", 1)));
    action->runObject();
    ASSERT_TRUE(action->ownReports->log->waitForCount(1));
    EXPECT_EQ(action->ownReports->log->calls(), QStringList({"success"}));
}

TEST_F(QVActionRun, ScriptingCommandRunsTheActionAndTracesWhenAsked)
{
    for (bool trace : {true, false}) {
        SCOPED_TRACE(trace ? "traced" : "quiet");
        FakeHost host;
        host.trace = trace;
        auto action = std::dynamic_pointer_cast<TestAction>(QVAction::actionWithRecord(record("TestAction", "T", 1)));
        LogCapture capture;

        EXPECT_FALSE(action->runCommand("run action T", "org.zelk.Zelk.RunAction").isValid());

        ASSERT_TRUE(action->ownReports->log->waitForCount(1));
        EXPECT_EQ(capture.contains("AppleScript command: run action T"), trace);
        EXPECT_EQ(capture.contains("AppleEvent: org.zelk.Zelk.RunAction"), trace);
    }
}

TEST_F(QVActionRun, RunWithoutControllerRunsNothing)
{
    auto action = std::dynamic_pointer_cast<TestAction>(QVAction::actionWithRecord(record("TestAction", "T", 1)));
    LogCapture capture;
    runOnThread(action, nullptr);
    EXPECT_EQ(action->controllerSeen.load(), nullptr);
    EXPECT_TRUE(capture.contains("no controller"));
}

// --- The default error question ------------------------------------------------------------

using QVActionErrorQuestion = QVActionTestBase;

TEST_F(QVActionErrorQuestion, OnlyTheStopButtonStops)
{
    const Bundle framework = QVAction::classObject().bundle();
    const QStringList expectedAlert = {framework.localizedString("ActionErreur"), "Disk full.",
                                       framework.localizedString("ArreterAction"),
                                       framework.localizedString("ContinuerAction"), QString()};
    ASSERT_NE(expectedAlert[2], "ArreterAction") << "the framework's default table lacks the alert texts";

    struct Case {
        int alertAnswer;
        bool goesOn;
    };
    for (const Case& c : {Case{1, false}, Case{0, true}, Case{-1, true}}) {
        SCOPED_TRACE(c.alertAnswer);
        HostUtility host;
        host.fake.alertAnswer = c.alertAnswer;
        EXPECT_EQ(QVAction::classObject().canGoRunningAfterError("Disk full."), c.goesOn);
        EXPECT_EQ(host.fake.alert(), expectedAlert);

        // An instance asks its class object.
        std::shared_ptr<QVAction> plain = QVAction::actionWithRecord(record("QVAction", "Plain", 1));
        EXPECT_EQ(plain->canGoRunningAfterError("Disk full."), c.goesOn);
    }

    ASSERT_EQ(QVUtilityClass::host(), nullptr);
    EXPECT_TRUE(QVAction::classObject().canGoRunningAfterError("Disk full.")) << "no host: no alert, go on";
}

TEST_F(QVActionErrorQuestion, AskedFromTheRunThread)
{
    // An action asking its own controller during a stand-alone run reaches
    // the class's question on the run thread.
    class AskingAction : public TestAction {
    public:
        QString runActionFromObject(const std::shared_ptr<QVActionController>& controller) override
        {
            return controller->canGoRunningAfterError("Item 2 failed.") ? QString() : QString("stopped");
        }
    };
    HostUtility host;
    host.fake.alertAnswer = 1;
    auto action = std::make_shared<AskingAction>();
    action->runObject();
    ASSERT_TRUE(action->ownReports->log->waitForCount(1));
    EXPECT_EQ(action->ownReports->log->calls(), QStringList({"error stopped"}));
    EXPECT_EQ(host.fake.alert().value(1), "Item 2 failed.");
}

// --- Localisation ---------------------------------------------------------------------------

class QVActionLocalisation : public QVActionTestBase {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        const QString lproj = dir.path() + "/TestRunners/Resources/en.lproj";
        ASSERT_TRUE(QDir().mkpath(lproj));
        write(lproj + "/TestAction.strings", "\"Greeting\" = \"Hello from the type\";\n");
        write(lproj + "/QVAction.strings", "\"OnlyInBase\" = \"from the base table\";\n");
        write(lproj + "/Localizable.strings", "\"ActionErreur\" = \"Runner trouble%@\";\n"
                                              "\"ArreterAction\" = \"Halt\";\n\"ContinuerAction\" = \"Go on\";\n");
        const Bundle plugin = Bundle::atPath(dir.path() + "/TestRunners");
        ASSERT_TRUE(plugin.isValid());
        TestAction::classObject().setBundle(plugin);
        NoRecentTestAction::classObject().setBundle(plugin);
    }
    void TearDown() override
    {
        TestAction::classObject().setBundle(Bundle());
        NoRecentTestAction::classObject().setBundle(Bundle());
    }
    static void write(const QString& path, const QByteArray& text)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }

    QTemporaryDir dir;
};

TEST_F(QVActionLocalisation, TableNamedAfterTheClassWithoutSuperclassFallBack)
{
    TestAction::Class& type = TestAction::classObject();
    EXPECT_EQ(type.localizedStr("Greeting"), "Hello from the type");
    EXPECT_EQ(type.localizedStr("OnlyInBase"), "OnlyInBase") << "no fall-back to the superclass's table";
    EXPECT_EQ(type.localizedStr("Missing"), "Missing");
    EXPECT_EQ(NoRecentTestAction::classObject().localizedStr("Greeting"), "Greeting")
        << "a subclass does not read its superclass's table";

    TestAction action;
    EXPECT_EQ(action.localizedStr("Greeting"), "Hello from the type");
}

TEST_F(QVActionLocalisation, ErrorQuestionTextsComeFromTheClassBundle)
{
    HostUtility host;
    auto action = QVAction::actionWithRecord(record("TestAction", "T", 1));
    EXPECT_TRUE(action->canGoRunningAfterError("Oops."));
    EXPECT_EQ(host.fake.alert(), QStringList({"Runner trouble", "Oops.", "Halt", "Go on", QString()}));
}

// --- Forwarders to the host's QVUtility --------------------------------------------------------

TEST(QVActionForwarders, PassThroughToTheHostAndAnswerNothingWithoutOne)
{
    QMenu* const menu = reinterpret_cast<QMenu*>(0x10);
    // Each forwarder must reach its own operation with its own argument and
    // hand back the host's answer; without a host it answers nothing.
    struct Case {
        const char* name;
        std::function<QVariant(FakeUtility&)> call;
        QString reached; // the host's call, with its argument
        QVariant withHost;
        QVariant withoutHost;
    };
    const Case cases[] = {
        {"typeForPath", [](FakeUtility&) { return QVariant(QVAction::typeForPath("/abc")); }, "typeForPath /abc", 4, 0},
        {"typeForTargetPath", [](FakeUtility&) { return QVariant(QVAction::typeForTargetPath("/abcd")); },
         "typeForTargetPath /abcd", 6, 0},
        {"targetPath", [](FakeUtility&) { return QVariant(QVAction::targetPath("/l")); }, "targetPath /l", "target of /l",
         QString()},
        {"FSRefForPath", [](FakeUtility&) { return QVariant(QVAction::FSRefForPath("/f")); }, "FSRefForPath /f",
         QByteArray("ref:/f"), QByteArray()},
        {"pathForFSRef", [](FakeUtility&) { return QVariant(QVAction::pathForFSRef("r")); }, "pathForFSRef r", "path of r",
         QString()},
        {"iconImageForPath",
         [](FakeUtility&) {
             const QImage icon = QVAction::iconImageForPath("/f", 8);
             return icon.isNull() ? QVariant() : QVariant(icon.size());
         },
         "iconImageForPath /f 8", QSize(8, 8), QVariant()},
        {"runScript", [](FakeUtility&) { return QVariant(QVAction::runScript("beep!")); }, "runScript beep!", 5, 0},
        {"asciiForKeycode", [](FakeUtility&) { return QVariant(int(QVAction::asciiForKeycode(2))); }, "asciiForKeycode 2",
         int('c'), 0},
        {"modifierStringWithKeycode",
         [](FakeUtility&) { return QVariant(QVAction::modifierStringWithKeycode(7)); }, "modifierStringWithKeycode 7",
         "mods 7", QString()},
        {"isTextFileAtPath", [](FakeUtility&) { return QVariant(QVAction::isTextFileAtPath("a.txt")); },
         "isTextFileAtPath a.txt", true, false},
        {"stringWithPath", [](FakeUtility&) { return QVariant(QVAction::stringWithPath("/t")); }, "stringWithPath /t",
         "text of /t", QString()},
        {"openPreferencePanel",
         [](FakeUtility& f) {
             QVAction::openPreferencePanel("Sound");
             return QVariant(f.lastPanel);
         },
         "openPreferencePanel Sound", "Sound", QString()},
        {"runAlertPanelWithTitle",
         [](FakeUtility& f) {
             f.alertAnswer = -1;
             return QVariant(QVAction::runAlertPanelWithTitle("t", "m", "b1", "b2", QString()));
         },
         "runAlertPanelWithTitle t|m|b1|b2|", -1, 0},
        {"displayFloatingMenu",
         [menu](FakeUtility& f) {
             QVAction::displayFloatingMenu(menu);
             return QVariant(f.lastMenu == menu);
         },
         "displayFloatingMenu", true, false},
        {"typeAsciiChar", [](FakeUtility&) { return QVariant(QVAction::typeAsciiChar('x')); }, "typeAsciiChar x", int('x'),
         0},
        {"asciiKeycodesForAsciiChar",
         [](FakeUtility&) { return QVariant(QVAction::asciiKeycodesForAsciiChar('A')); }, "asciiKeycodesForAsciiChar A",
         quint32('A') << 8, 0u},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        {
            HostUtility host;
            EXPECT_EQ(c.call(host.fake), c.withHost);
            EXPECT_EQ(host.fake.calls.lines(), QStringList{c.reached});
        }
        ASSERT_EQ(QVUtilityClass::host(), nullptr);
        FakeUtility unregistered;
        EXPECT_EQ(c.call(unregistered), c.withoutHost);
        EXPECT_TRUE(unregistered.calls.lines().isEmpty()) << "an unregistered utility was called";
    }
}
