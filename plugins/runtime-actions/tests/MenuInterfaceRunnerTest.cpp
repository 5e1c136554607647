// The menu and interface action types, running side, on the virtual
// desktop's accessibility tree: which menu element is pressed and picked,
// which control is clicked, typed into, toggled or dragged, and each
// failure's text.
#include "Geometry.h"
#include "InterfaceShortcut/InterfaceShortcut.h"
#include "MenuShortcut/MenuShortcut.h"
#include "PropertyList.h"
#include "RunnerTestSupport.h"
#include "TestSupport.h"
#include "VirtualPlatform.h"

#include <gtest/gtest.h>

using namespace zelk;
using namespace zelk::test;
using zelk::engine::InterfaceShortcut;
using zelk::engine::MenuShortcut;
using Id = VirtualAccessibility::Id;

namespace {

class AccessibilityRunnerTest : public TempHomeTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(loadActionRunners());
        auto fresh = std::make_unique<VirtualPlatform>();
        desktop = fresh.get();
        previous = Platform::install(std::move(fresh));
        pid = desktop->virtualWorkspace().userLaunches(QStringLiteral("editor.desktop"));
        desktop->virtualWorkspace().userActivates(pid);
        app = ax().addApplication(pid);
    }
    void TearDown() override { Platform::install(std::move(previous)); }

    VirtualAccessibility& ax() { return desktop->virtualAccessibility(); }

    // A menu bar with File (New, separator, Open Recent > [a, b], Save,
    // Export > [PDF, PNG]) and Edit (Undo).
    void buildMenus()
    {
        bar = ax().add(app, AXRole::MenuBar);
        ax().setMenuBar(pid, bar);
        file = ax().add(bar, AXRole::MenuBarItem, "File", {10, 0, 40, 20});
        fileMenu = ax().add(file, AXRole::Menu, "", {10, 20, 120, 200});
        newItem = ax().add(fileMenu, AXRole::MenuItem, "New", {10, 20, 120, 20});
        ax().add(fileMenu, AXRole::MenuItem, "", {10, 40, 120, 5});
        recent = ax().add(fileMenu, AXRole::MenuItem, "Open Recent", {10, 45, 120, 20});
        const Id recentMenu = ax().add(recent, AXRole::Menu, "", {130, 45, 100, 40});
        ax().add(recentMenu, AXRole::MenuItem, "a.txt", {130, 45, 100, 20});
        ax().add(recentMenu, AXRole::MenuItem, "b.txt", {130, 65, 100, 20});
        save = ax().add(fileMenu, AXRole::MenuItem, "Save", {10, 65, 120, 20});
        exportItem = ax().add(fileMenu, AXRole::MenuItem, "Export", {10, 85, 120, 20});
        exportMenu = ax().add(exportItem, AXRole::Menu, "", {130, 85, 100, 40});
        pdf = ax().add(exportMenu, AXRole::MenuItem, "Export as PDF", {130, 85, 100, 20});
        ax().add(exportMenu, AXRole::MenuItem, "PNG", {130, 105, 100, 20});
        const Id edit = ax().add(bar, AXRole::MenuBarItem, "Edit", {50, 0, 40, 20});
        ax().add(ax().add(edit, AXRole::Menu), AXRole::MenuItem, "Undo");
    }

    static QVariantMap lvl(const QString& name, int index, int selection) { return MenuShortcutModels::level(name, index, selection); }
    QString runMenu(const QVariantList& items, bool onlyDisplay = false, int model = 3)
    {
        return runAction(actionWithParameters("MenuShortcut", "menu", 31, {{"Action", model}, {"Items", items}, {"OnlyDisplayMenu", onlyDisplay}}),
                         controller);
    }
    QString runInterface(const QVariantList& items)
    {
        return runAction(actionWithParameters("InterfaceShortcut", "interface", 32, {{"Action", 1}, {"Items", items}}), controller);
    }

    std::unique_ptr<Platform> previous;
    VirtualPlatform* desktop = nullptr;
    std::shared_ptr<TestController> controller = std::make_shared<TestController>();
    qint64 pid = 0;
    Id app = 0, bar = 0, file = 0, fileMenu = 0, newItem = 0, recent = 0, save = 0, exportItem = 0, exportMenu = 0, pdf = 0;
};

// --- Menus ----------------------------------------------------------------------------------

TEST_F(AccessibilityRunnerTest, MenuPathsFindTheirItemByEveryMode)
{
    buildMenus();
    const struct {
        QVariantList path;
        QString picked; // "" for a failure
    } cases[] = {
        {{lvl("File", 0, 2), lvl("Save", 0, 2)}, "AXPick Save"},
        {{lvl("Fi", 0, 4), lvl("ave", 0, 5)}, "AXPick Save"},
        {{lvl("il", 0, 3), lvl("as PDF", 0, 3)}, ""},                     // PDF is under Export
        {{lvl("File", 0, 2), lvl("Export", 0, 2), lvl("PDF", 0, 3)}, "AXPick Export as PDF"},
        {{lvl("", 1, 0), lvl("", 1, 1)}, "AXPick Export"},                  // last child of File
        {{lvl("", 1, 0), lvl("", 5, 1)}, "AXPick New"},                     // separator counted
        {{lvl("", 1, 0), lvl("", 2, 0)}, "AXPick "},                        // the separator itself
        {{lvl("", 1, 0), lvl("", 0, 0)}, ""},                               // index 0
        {{lvl("", 1, 0), lvl("", 6, 0)}, ""},                               // past the end
        {{lvl("File", 0, 2), lvl("", 0, 3)}, ""},                           // empty name never contains
        {{lvl("File", 0, 2), lvl("", 0, 2)}, "AXPick "},                    // empty title equals empty name
        {{lvl("File", 0, 2), lvl("Save", 0, 9)}, ""},                       // unknown mode
        {{lvl("file", 0, 2), lvl("Save", 0, 2)}, ""},                       // case-sensitive
    };
    for (const auto& c : cases) {
        ax().clearActions();
        const QString outcome = runMenu(c.path);
        const QStringList actions = ax().actions();
        if (c.picked.isEmpty()) {
            EXPECT_EQ(outcome, MenuShortcut::noMenuString()) << plist::writeXml(c.path).toStdString();
            EXPECT_FALSE(actions.join(',').contains("AXPick")) << actions.join(',').toStdString();
        } else {
            EXPECT_EQ(outcome, QString()) << plist::writeXml(c.path).toStdString();
            ASSERT_FALSE(actions.isEmpty());
            EXPECT_EQ(actions.last(), c.picked);
        }
    }
}

TEST_F(AccessibilityRunnerTest, ASecondPassPressesMenusBuiltWhenShown)
{
    buildMenus();
    // File's items exist only once File is pressed open.
    for (Id child : {newItem, recent, save, exportItem})
        ax().setHiddenUntilOpen(child, file);
    EXPECT_EQ(runMenu({lvl("File", 0, 2), lvl("Save", 0, 2)}), QString());
    EXPECT_EQ(ax().actions(), QStringList({"AXPress File", "AXPick Save"}));
}

TEST_F(AccessibilityRunnerTest, OnlyDisplayMenuOpensTheMenuAndLooksNoFurther)
{
    buildMenus();
    EXPECT_EQ(runMenu({lvl("File", 0, 2), lvl("Missing", 0, 2)}, true), QString());
    EXPECT_EQ(ax().actions(), QStringList({"AXPress File"}));
    EXPECT_TRUE(ax().isOpen(file));

    ax().clearActions();
    EXPECT_EQ(runMenu({lvl("File", 0, 2)}, true), QString()) << "a one-level path is chosen as usual";
    EXPECT_EQ(ax().actions(), QStringList({"AXPick File"}));
}

TEST_F(AccessibilityRunnerTest, ADisabledItemIsNotPickedAndTheRunFails)
{
    buildMenus();
    ax().setEnabled(save, false);
    const QString outcome = runMenu({lvl("File", 0, 2), lvl("Save", 0, 2)});
    EXPECT_FALSE(outcome.isEmpty());
    EXPECT_TRUE(outcome.contains("Save")) << outcome.toStdString();
    EXPECT_FALSE(ax().actions().join(',').contains("AXPick")) << ax().actions().join(',').toStdString();
    EXPECT_TRUE(ax().openNodes().isEmpty()) << "the second pass's menus are closed again";
}

TEST_F(AccessibilityRunnerTest, MenusOpenedByAFailedPassAreClosed)
{
    buildMenus();
    // Export's menu is not among its children: it shows beside the item
    // once pressed, and must be found there.
    ax().remove(exportMenu);
    const Id detached = ax().add(app, AXRole::Menu, "", {130, 85, 100, 40});
    ax().setHiddenUntilOpen(detached, exportItem);
    ax().add(detached, AXRole::MenuItem, "JPEG", {130, 85, 100, 20});

    EXPECT_EQ(runMenu({lvl("File", 0, 2), lvl("Export", 0, 2), lvl("JPEG", 0, 2)}), QString());
    EXPECT_TRUE(ax().actions().contains("AXPick JPEG")) << ax().actions().join(',').toStdString();

    ax().clearActions();
    EXPECT_EQ(runMenu({lvl("File", 0, 2), lvl("Export", 0, 2), lvl("GIF", 0, 2)}), MenuShortcut::noMenuString());
    EXPECT_TRUE(ax().openNodes().isEmpty()) << "still open: " << ax().openNodes().size();
    EXPECT_TRUE(ax().actions().contains("AXCancel Export")) << ax().actions().join(',').toStdString();
}

TEST_F(AccessibilityRunnerTest, MenuFailuresNameTheirCause)
{
    EXPECT_EQ(runMenu({lvl("File", 0, 2)}), MenuShortcut::noBarString()) << "no menu bar";
    buildMenus();
    EXPECT_EQ(runMenu({}), MenuShortcut::noMenuString());
    ax().setApiEnabled(false);
    EXPECT_EQ(runMenu({lvl("File", 0, 2)}), MenuShortcut::noAPIString());
    ax().setApiEnabled(true);
    // An application that exposes no accessibility has no menu bar.
    desktop->virtualWorkspace().userActivates(desktop->virtualWorkspace().userLaunches("xterm"));
    EXPECT_EQ(runMenu({lvl("File", 0, 2)}), MenuShortcut::noBarString());
}

TEST_F(AccessibilityRunnerTest, LegacyFlatRecordsRunAsPaths)
{
    buildMenus();
    const QVariantMap model2 = {{"Action", 2},         {"MenuName", "File"},  {"MenuIndex", 0},     {"MenuSelection", 2},
                                {"SubmenuName", "Export"}, {"SubmenuIndex", 0}, {"SubmenuSelection", 2},
                                {"ItemName", "PNG"},   {"ItemIndex", 0},      {"ItemSelection", 2}};
    EXPECT_EQ(runAction(actionWithParameters("MenuShortcut", "old", 33, model2), controller), QString());
    EXPECT_EQ(ax().actions().last(), "AXPick PNG");
}

// --- Interface ------------------------------------------------------------------------------

class InterfaceRunnerTest : public AccessibilityRunnerTest {
protected:
    void SetUp() override
    {
        AccessibilityRunnerTest::SetUp();
        if (HasFatalFailure())
            return;
        window = ax().add(app, AXRole::Window, "Doc", {100, 50, 400, 300});
        ax().setFocusedWindow(pid, window);
        button = ax().add(window, AXRole::Button, "OK", {120, 60, 80, 20});     // centre (160, 70)
        field = ax().add(window, AXRole::TextField, "", {120, 100, 200, 20});   // centre (220, 110)
        ax().setValue(field, "old");
        check = ax().add(window, AXRole::CheckBox, "Bold", {120, 140, 80, 20});  // centre (160, 150)
        ax().setValue(check, 0.0);
        radio = ax().add(window, AXRole::RadioButton, "Large", {120, 180, 80, 20}); // centre (160, 190)
        ax().setValue(radio, 0.0);
        slider = ax().add(window, AXRole::Slider, "", {120, 220, 200, 20});      // centre (220, 230)
        ax().setValue(slider, 25.0);
        ax().setMaxValue(slider, 100.0);
        knob = ax().add(slider, AXRole::ValueIndicator, "", {165, 220, 10, 20});  // centre (170, 230)
        desktop->postMouseMove({7, 9}, false);
        desktop->clearEventLog();
    }

    static QVariantMap record(int type, QPointF point, const QString& title, const QVariant& value)
    {
        return {{"Type", type}, {"Point", stringFromPoint(point)}, {"Origin", 0}, {"Title", title}, {"Value", value}};
    }
    QStringList clicks() const
    {
        QStringList list;
        for (const PostedEvent& e : desktop->eventLog())
            if (e.kind == PostedEvent::MouseDown)
                list.append(stringFromPoint(e.point));
        return list;
    }

    Id window = 0, button = 0, field = 0, check = 0, radio = 0, slider = 0, knob = 0;
};

TEST_F(InterfaceRunnerTest, EachControlIsDrivenAtItsWindowRelativePoint)
{
    // The window moved by (30, 40) since the controls were recorded.
    ax().setFrame(window, {130, 90, 400, 300});
    for (Id id : {button, field, check, radio, slider, knob}) {
        auto e = ax().element(id);
        const QRectF r(*e->position(), *e->size());
        ax().setFrame(id, r.translated(30, 40));
    }
    const QVariantList items = {
        record(0, {60, 20}, "OK", ""),
        record(1, {120, 60}, "", "hi"),
        record(2, {60, 100}, "Bold", 1),
        record(3, {60, 140}, "Large", 1),
    };
    EXPECT_EQ(runInterface(items), QString());
    // Button once, field three times (the triple click), check box, radio.
    EXPECT_EQ(clicks(), QStringList({"{190, 110}", "{250, 150}", "{250, 150}", "{250, 150}", "{190, 190}", "{190, 230}"}));
    EXPECT_EQ(desktop->pointerPosition(), QPointF(7, 9)) << "the pointer goes back";
    EXPECT_EQ(desktop->exclusiveDepth(), 0);
}

TEST_F(InterfaceRunnerTest, ControlsAlreadyInTheirStateAreLeftAlone)
{
    ax().setValue(check, 1.0);
    ax().setValue(slider, 50.0);
    EXPECT_EQ(runInterface({record(2, {60, 100}, "Bold", 1), record(4, {120, 180}, "{70, 180}", 50.0)}), QString());
    EXPECT_TRUE(clicks().isEmpty()) << clicks().join(' ').toStdString();
}

TEST_F(InterfaceRunnerTest, ASliderKnobIsDraggedToItsRecordedOffset)
{
    // Recorded at 75 %: knob 60 points right of the slider's centre.
    EXPECT_EQ(runInterface({record(4, {120, 180}, "{180, 180}", 75.0)}), QString());
    QStringList drags;
    for (const PostedEvent& e : desktop->eventLog())
        if (e.kind == PostedEvent::MouseDrag || e.kind == PostedEvent::MouseDown || e.kind == PostedEvent::MouseUp)
            drags.append(e.toString());
    // From the knob (170, 230) to (220 + 60, 230): 110 points, 3 steps of 32.
    ASSERT_GE(drags.size(), 3);
    const PostedEvent press{PostedEvent::MouseDown, 0, EventPoster::Button::Primary, {170, 230}};
    EXPECT_EQ(drags.first(), press.toString());
    EXPECT_TRUE(drags.at(drags.size() - 2).contains("{280, 230}")) << drags.join(" | ").toStdString();
    EXPECT_TRUE(drags.last().contains("{280, 230}")) << drags.join(" | ").toStdString();
}

TEST_F(InterfaceRunnerTest, AnEmptyFieldValueSelectsAndDeletes)
{
    EXPECT_EQ(runInterface({record(1, {120, 60}, "", "")}), QString());
    EXPECT_EQ(clicks().size(), 3);
    EXPECT_TRUE(desktop->eventLogStrings().contains("down 51")) << desktop->eventLogStrings().join(',').toStdString();
}

TEST_F(InterfaceRunnerTest, WrongControlsFailButTheRestRunsWhenTheControllerAllows)
{
    struct GoOn : TestController {
        bool canGoRunningAfterError(const QString&) override { return true; }
    };
    controller = std::make_shared<GoOn>();
    const QVariantList items = {record(2, {60, 20}, "OK", 1),  // a button stands there now
                                record(7, {60, 20}, "OK", ""), // no such type
                                record(0, {60, 20}, "OK", "")};
    EXPECT_EQ(runInterface(items), "A recorded control was not found where it was, or is of another kind now.");
    EXPECT_EQ(clicks(), QStringList({"{160, 70}"})) << "the last record still ran";
    EXPECT_EQ(desktop->exclusiveDepth(), 0);

    controller = std::make_shared<TestController>(); // stops at the first error
    desktop->clearEventLog();
    EXPECT_FALSE(runInterface(items).isEmpty());
    EXPECT_TRUE(clicks().isEmpty());
}

TEST_F(InterfaceRunnerTest, FailuresBeforeTheReplay)
{
    EXPECT_EQ(runInterface({}), QString()) << "an empty list succeeds";
    EXPECT_EQ(desktop->pointerPosition(), QPointF(7, 9));
    ax().setFocusedWindow(pid, 0);
    EXPECT_TRUE(runInterface({record(0, {60, 20}, "OK", "")}).contains("no window"));
    ax().setApiEnabled(false);
    EXPECT_TRUE(runInterface({record(0, {60, 20}, "OK", "")}).contains("accessibility"));
}

} // namespace
