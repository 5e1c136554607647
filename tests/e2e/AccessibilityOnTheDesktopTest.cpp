// The menu and interface action types through the real AT-SPI path: the
// desktop's accessibility bus (at-spi2-core's bus launcher on the test's
// private session bus), a Qt program of our own with accessibility on, in
// front under openbox on Xvfb, and the runners in this program on the
// linux backend. What reached the program is what it tells on stdout.
#include "Desktop.h"
#include "InterfaceShortcut/InterfaceShortcut.h"
#include "MenuShortcut/MenuShortcut.h"
#include "QVUtility.h"
#include "RunnerTestSupport.h"
#include "TestSupport.h"

#include <QDBusConnectionInterface>
#include <QStandardPaths>
#include <gtest/gtest.h>

using namespace zelk;
using namespace zelk::e2e;
using namespace zelk::test;

namespace {

const char* const kBusLauncher = "/usr/libexec/at-spi-bus-launcher";

// One desktop per test program: QtDBus keeps the first session bus it
// connects to for the life of the process.
struct Session {
    Desktop d;
    std::unique_ptr<Child> launcher;
    std::unique_ptr<Child> app;
    QString failure; // why the session could not be set up
    bool skipped = false;

    Session()
    {
        if (!d.whyNot().isEmpty() || !QFileInfo::exists(kBusLauncher)) {
            failure = d.whyNot().isEmpty() ? QStringLiteral("at-spi2-core is not installed") : d.whyNot();
            skipped = true;
            return;
        }
        QString why;
        if (!d.startWindowManager(&why)) {
            failure = why;
            return;
        }
        // This program speaks to the desktop as the engine would.
        qputenv("DISPLAY", d.display().toLocal8Bit());
        qputenv("DBUS_SESSION_BUS_ADDRESS", d.busAddress().toLocal8Bit());
        launcher = std::make_unique<Child>(kBusLauncher, QStringList{"--launch-immediately"}, d.environment(),
                                           d.home() + "/at-spi-bus-launcher.log");
        if (!pollUntil([] { return QDBusConnection::sessionBus().interface()->isServiceRegistered("org.a11y.Bus").value(); }, 20000)) {
            failure = "the accessibility bus never came: " + launcher->output();
            return;
        }
        QProcessEnvironment env = d.environment();
        env.insert("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
        env.insert("QT_QPA_PLATFORM", "xcb");
        app = std::make_unique<Child>(ZELK_ACCESSIBLE_APP, QStringList(), env, d.home() + "/app.log");
        if (!app->waitForOutput("ready", 20000))
            failure = "the test program never showed its window: " + app->output();
    }
};

// Made by the first test that asks, ended with the test program's tests.
class SessionEnvironment : public ::testing::Environment {
public:
    void TearDown() override { session.reset(); }
    std::unique_ptr<Session> session;
};
SessionEnvironment* const environment =
    static_cast<SessionEnvironment*>(::testing::AddGlobalTestEnvironment(new SessionEnvironment));

Session& session()
{
    if (!environment->session)
        environment->session = std::make_unique<Session>();
    return *environment->session;
}

class AccessibilityOnTheDesktopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Session& s = session();
        if (s.skipped)
            ZELK_SKIP_UNLESS_CI(s.failure.toStdString());
        ASSERT_TRUE(s.failure.isEmpty()) << s.failure.toStdString();
        app = s.app.get();
        ASSERT_TRUE(s.d.xdotool({"search", "--sync", "--onlyvisible", "--pid", QString::number(app->pid()), ".", "windowactivate", "--sync"}));

        previous = Platform::install(makeLinuxPlatform());
        installed = true;
        ASSERT_TRUE(loadActionRunners());
        ClassRegistry::shared().registerClass(&::engine::QVUtility::sharedUtility());
        Platform& platform = Platform::instance();
        ASSERT_TRUE(pollUntil([&] {
            const auto front = platform.workspace().frontApplication();
            return front && front->pid == app->pid() && platform.accessibility().applicationElement(app->pid())
                   && platform.accessibility().focusedWindow(platform.accessibility().applicationElement(app->pid()));
        }, 20000)) << "the program never came forward with its accessibility tree";
    }

    void TearDown() override
    {
        ClassRegistry::shared().unregisterClass(QStringLiteral("QVUtility"));
        if (installed)
            Platform::install(std::move(previous));
    }

    QString run(const QString& className, const QVariantMap& data)
    {
        return runAction(actionWithParameters(className, "atspi", 51, data), std::make_shared<TestController>());
    }
    // The element of the program's window with that role and title.
    AXElement find(const QString& role, const QString& title = {})
    {
        Platform& platform = Platform::instance();
        const AXElement window = platform.accessibility().focusedWindow(platform.accessibility().applicationElement(app->pid()));
        for (const AXElement& e : InterfaceElements::childrensOfElement(window))
            if (roleOf(e) == role && (title.isEmpty() || e->title().value_or(QString()) == title))
                return e;
        return nullptr;
    }
    QVariantMap recordOf(const AXElement& element)
    {
        Platform& platform = Platform::instance();
        return InterfaceElements::dataForElement(element, platform.accessibility().focusedWindow(platform.accessibility().applicationElement(app->pid())));
    }

    Child* app = nullptr;
    std::unique_ptr<Platform> previous;
    bool installed = false;
};

QVariantMap lvl(const QString& name) { return MenuShortcutModels::level(name, 0, MenuShortcutModels::Equal); }

TEST_F(AccessibilityOnTheDesktopTest, MenuItemsAreChosenAndDisabledOnesRefused)
{
    const QVariantMap save = {{"Action", 3}, {"Items", QVariantList{lvl("File"), lvl("Save")}}};
    EXPECT_EQ(run("MenuShortcut", save), QString());
    EXPECT_TRUE(app->waitForOutput("triggered Save", 10000)) << app->output().toStdString();

    const QVariantMap pdf = {{"Action", 3}, {"Items", QVariantList{lvl("File"), lvl("Export"), lvl("PDF")}}};
    EXPECT_EQ(run("MenuShortcut", pdf), QString());
    EXPECT_TRUE(app->waitForOutput("triggered PDF", 10000)) << app->output().toStdString();

    const QString refused = run("MenuShortcut", {{"Action", 3}, {"Items", QVariantList{lvl("File"), lvl("Print")}}});
    EXPECT_TRUE(refused.contains("Print")) << refused.toStdString();
    EXPECT_EQ(run("MenuShortcut", {{"Action", 3}, {"Items", QVariantList{lvl("File"), lvl("Missing")}}}),
              zelk::engine::MenuShortcut::noMenuString());
    // Whatever the runs opened is closed: the next choice still works.
    EXPECT_EQ(run("MenuShortcut", {{"Action", 3}, {"Items", QVariantList{lvl("File"), lvl("New")}}}), QString());
    EXPECT_TRUE(app->waitForOutput("triggered New", 10000)) << app->output().toStdString();
    EXPECT_FALSE(app->output().contains("triggered Print"));
}

TEST_F(AccessibilityOnTheDesktopTest, ControlsAreRecordedAndReplayed)
{
    const AXElement button = find(AXRole::Button, "Press Me");
    const AXElement field = find(AXRole::TextField);
    const AXElement bold = find(AXRole::CheckBox, "Bold");
    const AXElement large = find(AXRole::RadioButton, "Large");
    const AXElement slider = find(AXRole::Slider);
    ASSERT_TRUE(button && field && bold && large && slider) << "the program's controls, as AT-SPI shows them";

    QVariantMap pressRecord = recordOf(button);
    ASSERT_FALSE(pressRecord.isEmpty());
    EXPECT_EQ(pressRecord.value("Title"), "Press Me");
    QVariantMap fieldRecord = recordOf(field);
    ASSERT_FALSE(fieldRecord.isEmpty());
    EXPECT_EQ(fieldRecord.value("Value"), "old text");
    QVariantMap boldRecord = recordOf(bold);
    ASSERT_FALSE(boldRecord.isEmpty());
    EXPECT_EQ(boldRecord.value("Value"), 0);
    QVariantMap sliderRecord = recordOf(slider);
    ASSERT_FALSE(sliderRecord.isEmpty());
    EXPECT_NEAR(sliderRecord.value("Value").toDouble(), 20.0, 0.5);
    EXPECT_TRUE(recordOf(large).isEmpty()) << "a radio button that is off is not recorded";

    // The state the replay is to bring back: typed text, Bold on, Large on,
    // the slider's knob 40 % further right.
    fieldRecord.insert("Value", "typed");
    boldRecord.insert("Value", 1);
    QVariantMap largeRecord = boldRecord;
    largeRecord.insert("Type", 3);
    largeRecord.insert("Title", "Large");
    largeRecord.insert("Point", stringFromPoint(InterfaceElements::pointOnWindow(
                                    Platform::instance().accessibility().focusedWindow(Platform::instance().accessibility().applicationElement(app->pid())),
                                    centerOfElement(large), 0)));
    const QRectF sliderFrame(*slider->position(), *slider->size());
    QPointF knob = pointFromString(sliderRecord.value("Title").toString());
    knob.rx() += 0.4 * sliderFrame.width();
    sliderRecord.insert("Title", stringFromPoint(knob));
    sliderRecord.insert("Value", 60.0);

    const QVariantList items = {pressRecord, fieldRecord, boldRecord, largeRecord, sliderRecord};
    EXPECT_EQ(run("InterfaceShortcut", {{"Action", 1}, {"Items", items}}), QString());
    EXPECT_TRUE(app->waitForOutput("clicked", 10000)) << app->output().toStdString();
    EXPECT_TRUE(app->waitForOutput("typed typed", 10000)) << app->output().toStdString();
    EXPECT_TRUE(app->waitForOutput("bold 1", 10000)) << app->output().toStdString();
    EXPECT_TRUE(app->waitForOutput("large 1", 10000)) << app->output().toStdString();
    ASSERT_TRUE(app->waitForOutput("slider ", 10000)) << app->output().toStdString();
    const QString out = app->output();
    const int value = out.mid(out.lastIndexOf("slider ") + 7).section('\n', 0, 0).toInt();
    EXPECT_NEAR(value, 60, 8) << out.toStdString();
}

TEST_F(AccessibilityOnTheDesktopTest, AMenuChoiceIsObserved)
{
    AccessibilityService& ax = Platform::instance().accessibility();
    const AXElement application = ax.applicationElement(app->pid());
    ASSERT_TRUE(application);
    QStringList seen;
    ObserverHandle observer = ax.observeMenus(application, [&](MenuNotification what, const AXElement& element) {
        const QString title = element->title().value_or(QString());
        const AXElement owner = element->parent();
        switch (what) {
        case MenuNotification::Opened: seen.append("opened " + (owner ? owner->title().value_or(QString()) : QString())); break;
        case MenuNotification::Closed: seen.append("closed"); break;
        case MenuNotification::ItemSelected: seen.append("chose " + title); break;
        }
    });
    ASSERT_TRUE(observer);
    const AXElement bar = ax.menuBar(application);
    ASSERT_TRUE(bar);
    const AXElement file = zelk::engine::MenuShortcut::itemWithName("File", bar, MenuShortcutModels::Equal);
    ASSERT_TRUE(file);
    // The user clicks File, then Save.
    const QPointF fileCenter = centerOfElement(file);
    Desktop& d = session().d;
    ASSERT_TRUE(d.xdotool({"mousemove", QString::number(int(fileCenter.x())), QString::number(int(fileCenter.y())), "click", "1"}));
    ASSERT_TRUE(pollUntil([&] { return seen.contains("opened File"); }, 10000)) << seen.join(", ").toStdString();
    AXElement save;
    ASSERT_TRUE(pollUntil([&] {
        const AXElement menu = zelk::engine::MenuShortcut::itemWithName("", file, MenuShortcutModels::Equal);
        save = menu ? zelk::engine::MenuShortcut::itemWithName("Save", menu, MenuShortcutModels::Equal) : nullptr;
        return save && save->size().value_or(QSizeF()).width() > 0;
    }, 10000));
    const QPointF saveCenter = centerOfElement(save);
    ASSERT_TRUE(d.xdotool({"mousemove", QString::number(int(saveCenter.x())), QString::number(int(saveCenter.y())), "sleep", "0.3", "click", "1"}));
    EXPECT_TRUE(pollUntil([&] { return seen.contains("chose Save"); }, 10000)) << seen.join(", ").toStdString();
    EXPECT_TRUE(app->waitForOutput("triggered Save", 10000));
}

TEST_F(AccessibilityOnTheDesktopTest, AProgramThatExposesNothingIsReported)
{
    // A plain X client of ours, in front, with no accessibility tree.
    Desktop& d = session().d;
    std::unique_ptr<KeyClient> client = d.startClient("zelk-plain");
    ASSERT_TRUE(client->window());
    ASSERT_TRUE(d.focus(*client));
    ASSERT_TRUE(pollUntil([&] {
        const auto front = Platform::instance().workspace().frontApplication();
        return front && front->pid == client->pid();
    }, 20000));
    EXPECT_EQ(run("MenuShortcut", {{"Action", 3}, {"Items", QVariantList{lvl("File"), lvl("Save")}}}),
              zelk::engine::MenuShortcut::noBarString());
    EXPECT_TRUE(run("InterfaceShortcut", {{"Action", 1}, {"Items", QVariantList{QVariantMap{{"Type", 0}, {"Point", "{1, 1}"}}}}})
                    .contains("no window"));
}

} // namespace
