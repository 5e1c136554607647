// The launcher editor opened through its manager and driven by its
// widgets: key capture from Qt key events, the engine's hot keys around
// it, USB capture from a simulated device, what OK writes and Cancel
// leaves, the identical-launcher question.
#include "EditorTestSupport.h"
#include "EditorWindowHost.h"
#include "HIDUtilities.h"
#include "QVELauncherEditor.h"
#include "QVELaunchersManager.h"
#include "QVUSBManager.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QUndoStack>
#include <gtest/gtest.h>

namespace editor::test {
namespace {

using V = zelk::VirtualInputDevices;

class LauncherEditorTest : public EditorTest {
protected:
    LauncherEditorTest()
    {
        registerObjectEditors();
        m_observer = desktop().addObserver("QVEditorNotification", [this](const QString&, const QVariantMap& info) {
            if (info.value("action") == "deactivatekeycombo")
                hotKeysOff << info.value("param0").toBool();
        });
    }

    QVLauncher* addLauncher(int type, const QVariantMap& params = {}, bool isNew = false)
    {
        QVariantMap record = QVLauncher::newDataForType(type);
        QVariantMap merged = record.value("launcherparams").toMap();
        for (auto it = params.begin(); it != params.end(); ++it)
            merged.insert(it.key(), it.value());
        record.insert("launcherparams", merged);
        QVLauncher* launcher = store->addLauncher(record);
        EXPECT_NE(launcher, nullptr);
        if (launcher)
            launcher->setIsNew(isNew);
        return launcher;
    }
    QVELauncherEditor* open(QVLauncher* launcher)
    {
        QVELaunchersManager::sharedManager().editLaunchersID({launcher->IDValue()});
        auto* editor = dynamic_cast<QVELauncherEditor*>(launcher->editor());
        EXPECT_NE(editor, nullptr) << "no launcher editor opened";
        if (editor) {
            editor->window()->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(editor->window()));
        }
        return editor;
    }
    template <class W>
    static W* control(QVELauncherEditor* editor, const char* name)
    {
        W* widget = editor->window()->findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    static void clickOK(QVELauncherEditor* editor) { control<QPushButton>(editor, "LEOKButton")->click(); }
    static void clickCancel(QVELauncherEditor* editor) { control<QPushButton>(editor, "LECancelButton")->click(); }
    // Types into a key field as the user would.
    static void type(QVELauncherEditor* editor, const char* field, Qt::Key key, Qt::KeyboardModifiers modifiers)
    {
        auto* edit = control<QLineEdit>(editor, field);
        edit->setFocus();
        QTest::keyClick(edit, key, modifiers);
    }

    QList<bool> hotKeysOff; // the deactivatekeycombo commands sent, in order

private:
    zelk::ObserverHandle m_observer;
};

constexpr quint32 Cmd = 0x100000, Shift = 0x20000, Opt = 0x80000, Caps = 0x10000, Pad = 0x200000, Fn = 0x800000;

TEST_F(LauncherEditorTest, KeyCaptureTurnsKeyEventsIntoCombinationsOrRefusesThem)
{
    // Qt's Control is command, Alt option, Meta control (the project's convention).
    const struct Case {
        const char* name;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool capsLock;
        int expected; // -1: unchanged
        bool refused;
    } cases[] = {
        {"command-A", Qt::Key_A, Qt::ControlModifier, false, int(Cmd | 0), false},
        {"command-A with caps lock", Qt::Key_A, Qt::ControlModifier, true, int(Cmd | Caps | 0), false},
        {"command-option-Q", Qt::Key_Q, Qt::ControlModifier | Qt::AltModifier, false, int(Cmd | Opt | 12), false},
        {"F5 alone keeps the function flag", Qt::Key_F5, Qt::NoModifier, false, int(Fn | 96), false},
        {"shift-arrow drops the function flag", Qt::Key_Left, Qt::ShiftModifier, false, int(Shift | 123), false},
        {"keypad 1 alone", Qt::Key_1, Qt::KeypadModifier, false, int(Pad | 83), false},
        {"command keypad 1 keeps the numeric pad", Qt::Key_1, Qt::ControlModifier | Qt::KeypadModifier, false,
         int(Cmd | Pad | 83), false},
        {"a plain letter", Qt::Key_A, Qt::NoModifier, false, -1, true},
        {"caps lock alone is no modifier", Qt::Key_A, Qt::NoModifier, true, -1, true},
        {"Return keeps its meaning", Qt::Key_Return, Qt::NoModifier, false, -1, false},
        {"Escape keeps its meaning", Qt::Key_Escape, Qt::NoModifier, false, -1, false},
    };
    QVLauncher* launcher = addLauncher(0, {{"launcherkeycode", int(Cmd | 17)}});
    QVELauncherEditor* editor = open(launcher);
    ASSERT_TRUE(editor);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int before = editor->keyState().first;
        alerts.clear();
        desktop().virtualKeyboardLayout().setCapsLock(c.capsLock);
        type(editor, "LEKeyComboField", c.key, c.modifiers);
        EXPECT_EQ(editor->keyState().first, c.expected < 0 ? before : c.expected);
        ASSERT_EQ(alerts.size(), c.refused ? 1u : 0u);
        if (c.refused) {
            EXPECT_EQ(alerts[0].title, loc("RaccourciImpossible"));
            EXPECT_EQ(alerts[0].message, loc("PasToucheModificatrice"));
            EXPECT_EQ(alerts[0].button1, "OK");
        }
    }
    desktop().virtualKeyboardLayout().setCapsLock(false);
    EXPECT_EQ(launcher->undoManager()->text(0),
              locFormat("AnnulerModifierTouche", {QVUtility::sharedUtility().keystrokeStringWithKeycode(Cmd)}));

    // Tab passes through: the focus leaves the field.
    auto* field = control<QLineEdit>(editor, "LEKeyComboField");
    field->setFocus();
    QTest::keyClick(field, Qt::Key_Tab);
    EXPECT_FALSE(field->hasFocus());
    clickCancel(editor);
}

TEST_F(LauncherEditorTest, SecondKeyTakesAnyKeyWithoutModifiersAndDeleteClearsIt)
{
    QVLauncher* launcher = addLauncher(0, {{"launcherkeycode", int(Cmd | 17)}});
    QVELauncherEditor* editor = open(launcher);
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->keyState().second, -1);
    EXPECT_TRUE(control<QLineEdit>(editor, "LEKeySecondKeyField")->text().isEmpty());
    type(editor, "LEKeySecondKeyField", Qt::Key_B, Qt::ShiftModifier);
    EXPECT_EQ(editor->keyState().second, 11) << "the modifiers held are not part of it";
    type(editor, "LEKeySecondKeyField", Qt::Key_Return, Qt::NoModifier);
    EXPECT_EQ(editor->keyState().second, 36) << "Return is a second key like any";
    type(editor, "LEKeySecondKeyField", Qt::Key_Backspace, Qt::NoModifier);
    EXPECT_EQ(editor->keyState().second, -1);
    EXPECT_EQ(launcher->undoManager()->text(2), loc("AnnulerSupprimerSecondeTouche"));
    launcher->undoManager()->undo();
    EXPECT_EQ(editor->keyState().second, 36);
    clickOK(editor);
    EXPECT_EQ(launcher->paramsDict().value("launcherkeysecondcode").toInt(), 36);
}

TEST_F(LauncherEditorTest, EditsUndoAndOKWritesExactlyTheWorkingCopyWithHotKeysOffMeanwhile)
{
    QVLauncher* launcher = addLauncher(0, {{"launcherkeycode", int(Cmd | 17)}});
    const QVariantMap before = launcher->paramsDict();
    QVELauncherEditor* editor = open(launcher);
    ASSERT_TRUE(editor);
    EXPECT_EQ(hotKeysOff, QList<bool>({true}));
    EXPECT_EQ(editor->window()->windowTitle(), locFormat("TitreLanceur", {launcher->nameValue()}));

    type(editor, "LEKeyComboField", Qt::Key_Q, Qt::ControlModifier | Qt::AltModifier);
    auto* released = control<QRadioButton>(editor, "LEKeyReleasedOption");
    auto* pressed = control<QRadioButton>(editor, "LEKeyPressedOption");
    auto* repeat = control<QCheckBox>(editor, "LEKeyRepeatCheck");
    auto* delay = control<QLineEdit>(editor, "LEKeyRepeatDelayField");
    released->click();
    EXPECT_TRUE(released->isChecked());
    EXPECT_FALSE(pressed->isChecked());
    EXPECT_FALSE(repeat->isEnabled()) << "a key fired on release cannot repeat";
    pressed->click();
    EXPECT_TRUE(repeat->isEnabled());
    EXPECT_FALSE(repeat->isChecked());
    repeat->click();
    EXPECT_TRUE(delay->isEnabled());
    EXPECT_EQ(delay->text(), "1") << "repeat on with no delay gives one second";
    delay->setText("0.5");
    emit delay->editingFinished();
    QUndoStack* undo = launcher->undoManager();
    ASSERT_EQ(undo->count(), 5);
    undo->undo(); // the delay
    EXPECT_EQ(editor->keyState().delay, 1.0);
    EXPECT_EQ(launcher->paramsDict(), before) << "nothing reaches the launcher before OK";

    clickOK(editor);
    QVariantMap expected = before;
    expected.insert("launcherkeycode", int(Cmd | Opt | 12));
    expected.insert("launcherkeyrelease", false);
    expected.insert("launcherkeyrepeat", true);
    expected.insert("launcherkeyrepeatdelay", 1.0);
    const QVariantMap after = launcher->paramsDict();
    ASSERT_EQ(after.keys(), expected.keys());
    for (const QString& key : expected.keys())
        EXPECT_EQ(after.value(key).toDouble(), expected.value(key).toDouble()) << key.toStdString();
    EXPECT_FALSE(after.contains("launcherkeysecondcode"));
    EXPECT_FALSE(launcher->hasEditor());
    EXPECT_EQ(undo->count(), 0) << "the window's steps end with it";
    EXPECT_EQ(hotKeysOff, QList<bool>({true, false}));
}

TEST_F(LauncherEditorTest, OKWithoutAKeyIsRefusedAndHotKeysStayOff)
{
    QVLauncher* launcher = addLauncher(0, {}, true);
    QVELauncherEditor* editor = open(launcher);
    ASSERT_TRUE(editor);
    clickOK(editor);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, loc("AucunRaccourci"));
    EXPECT_TRUE(editor->window()->isVisible());
    EXPECT_EQ(hotKeysOff, QList<bool>({true}));
    // Cancel deletes the new launcher and switches the hot keys back on.
    const quint32 id = launcher->IDValue();
    clickCancel(editor);
    EXPECT_EQ(QVELaunchersManager::sharedManager().launcherWithID(id), nullptr);
    EXPECT_EQ(hotKeysOff, QList<bool>({true, false}));
}

TEST_F(LauncherEditorTest, CancelLeavesAnOldLauncherUnchanged)
{
    QVLauncher* launcher = addLauncher(0, {{"launcherkeycode", int(Cmd | 17)}});
    const QVariantMap before = launcher->paramsDict();
    QVELauncherEditor* editor = open(launcher);
    ASSERT_TRUE(editor);
    type(editor, "LEKeyComboField", Qt::Key_Q, Qt::ControlModifier);
    editor->window()->close(); // the window's frame: Cancel
    EXPECT_EQ(launcher->paramsDict(), before);
    EXPECT_FALSE(launcher->hasEditor());
    EXPECT_EQ(launcher->undoManager()->count(), 0);
}

TEST_F(LauncherEditorTest, ACombinationTheDesktopHoldsIsAskedAboutForTheFirstAndTheSecondKey)
{
    // Combinations no other case asks about: the answers are kept for the process.
    constexpr int Ctl = 0x40000;
    const int first = Cmd | Ctl | Shift | 40, second = 37;
    desktop().virtualHotKeys().grabElsewhere(quint32(first) & 0x1E007F);
    desktop().virtualHotKeys().grabElsewhere(quint32((first & ~0x7F) | second) & 0x1E007F);
    QVLauncher* launcher =
        addLauncher(0, {{"launcherkeycode", first}, {"launcherkeysecondcode", second}});
    QVELauncherEditor* editor = open(launcher);
    ASSERT_TRUE(editor);
    answerAlerts({0}); // "Modifier" at the first question
    clickOK(editor);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].title, loc("CombinaisonSysteme"));
    EXPECT_EQ(alerts[0].button1, "OK");
    EXPECT_EQ(alerts[0].button2, loc("Modifier"));
    EXPECT_TRUE(launcher->hasEditor());
    EXPECT_EQ(hotKeysOff, QList<bool>({true})) << "still capturing";
    answerAlerts({1, 1}); // both kept
    clickOK(editor);
    EXPECT_EQ(alerts.size(), 3u) << "asked for the first key, then the second";
    EXPECT_FALSE(launcher->hasEditor());
    EXPECT_EQ(launcher->paramsDict().value("launcherkeysecondcode").toInt(), second);
}

TEST_F(LauncherEditorTest, ALauncherGoneWhileItsWindowIsOpenEndsTheCapture)
{
    QVELaunchersManager& manager = QVELaunchersManager::sharedManager();
    const QList<quint32> ids = manager.addLaunchers({QVLauncher::newDataForType(0)}, false);
    ASSERT_EQ(ids.size(), 1);
    QVLauncher* launcher = manager.launcherWithID(ids[0]);
    ASSERT_TRUE(launcher);
    launcher->setIsNew(true);
    ASSERT_TRUE(open(launcher));
    EXPECT_EQ(hotKeysOff, QList<bool>({true}));
    manager.undoManager()->undo(); // the addition taken back
    ASSERT_EQ(manager.launcherWithID(ids[0]), nullptr);
    EXPECT_EQ(hotKeysOff, QList<bool>({true, false}));
}

TEST_F(LauncherEditorTest, TwoCapturingWindowsKeepHotKeysOffUntilTheLastCloses)
{
    QVLauncher* first = addLauncher(0, {{"launcherkeycode", int(Cmd | 17)}});
    QVLauncher* second = addLauncher(0, {{"launcherkeycode", int(Cmd | 18)}});
    QVELauncherEditor* one = open(first);
    QVELauncherEditor* two = open(second);
    ASSERT_TRUE(one && two);
    EXPECT_EQ(hotKeysOff, QList<bool>({true}));
    clickCancel(one);
    EXPECT_EQ(hotKeysOff, QList<bool>({true})) << "the other window still captures";
    clickOK(two);
    EXPECT_EQ(hotKeysOff, QList<bool>({true, false}));
}

TEST_F(LauncherEditorTest, IdenticalLauncherAsksAndSubstitutesWithHotKeysOffUntilTheWindowCloses)
{
    QVLauncher* kept = addLauncher(0, {{"launcherkeycode", int(Cmd | 12)}});
    QVLauncher* edited = addLauncher(0, {{"launcherkeycode", int(Cmd | 17)}});
    const quint32 keptID = kept->IDValue(), editedID = edited->IDValue();
    addAction(1, "Alpha");
    QVShortcut* shortcut = addShortcut({1}, {editedID});
    QVELauncherEditor* editor = open(edited);
    ASSERT_TRUE(editor);
    type(editor, "LEKeyComboField", Qt::Key_Q, Qt::ControlModifier);

    answerAlerts({1}); // "Modifier"
    clickOK(editor);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].title, loc("LanceurIdentique1"));
    EXPECT_EQ(alerts[0].button1, loc("Modifier"));
    EXPECT_EQ(alerts[0].button2, loc("Substituer"));
    EXPECT_TRUE(editor->window()->isVisible());
    EXPECT_EQ(hotKeysOff, QList<bool>({true})) << "the window goes on capturing";

    answerAlerts({0}); // "Substituer"
    clickOK(editor);
    EXPECT_EQ(QVELaunchersManager::sharedManager().launcherWithID(editedID), nullptr);
    EXPECT_EQ(shortcut->launchersDictArray(), launcherRefs({keptID}));
    EXPECT_EQ(hotKeysOff, QList<bool>({true, false}));
}

TEST_F(LauncherEditorTest, ANewLauncherIdenticalToAnotherIsSubstitutedWithoutAQuestion)
{
    QVLauncher* kept = addLauncher(2, {{"launcherapplicationapp", "gedit"}});
    QVLauncher* fresh = addLauncher(2, {}, true);
    const quint32 freshID = fresh->IDValue();
    QVELauncherEditor* editor = open(fresh);
    ASSERT_TRUE(editor);
    editor->modifyApplicationFromPath("/usr/share/applications/gedit");
    clickOK(editor);
    EXPECT_TRUE(alerts.empty());
    EXPECT_EQ(QVELaunchersManager::sharedManager().launcherWithID(freshID), nullptr);
    EXPECT_NE(QVELaunchersManager::sharedManager().launcherWithID(kept->IDValue()), nullptr);
}

TEST_F(LauncherEditorTest, AnApplicationLauncherWithoutAnApplicationIsRefusedAtOK)
{
    QVLauncher* launcher = addLauncher(2, {}, true);
    QVELauncherEditor* editor = open(launcher);
    ASSERT_TRUE(editor);
    clickOK(editor);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].title, loc("ImpossibleChangement"));
    EXPECT_EQ(alerts[0].message, loc("ParametreIncorrect"));
    EXPECT_TRUE(launcher->hasEditor());
    EXPECT_TRUE(editor->window()->isVisible());

    editor->modifyApplicationFromPath("/opt/tools/Editor.app");
    auto* event = control<QComboBox>(editor, "LEAppEventButton");
    event->setCurrentIndex(event->findData(2));
    emit event->activated(event->currentIndex());
    EXPECT_EQ(launcher->undoManager()->count(), 2);
    launcher->undoManager()->undo();
    EXPECT_EQ(editor->appState().event, 0);
    launcher->undoManager()->redo();
    clickOK(editor);
    EXPECT_FALSE(launcher->hasEditor());
    EXPECT_EQ(launcher->paramsDict().value("launcherapplicationapp"), "Editor");
    EXPECT_EQ(launcher->paramsDict().value("launcherapplicationtype").toInt(), 2);
    EXPECT_FALSE(launcher->isNew());
}

TEST_F(LauncherEditorTest, DateLauncherShowsItsDaysAndWritesTheTickedOnes)
{
    QVLauncher* launcher = addLauncher(1, {{"launcherdatetype", 1}, {"launcherdatedays", QVariantList{0, 6}}});
    QVELauncherEditor* editor = open(launcher);
    ASSERT_TRUE(editor);
    auto* sunday = control<QCheckBox>(editor, "LEDateWeekDay41");
    auto* saturday = control<QCheckBox>(editor, "LEDateWeekDay47");
    EXPECT_TRUE(sunday->isChecked() && saturday->isChecked());
    EXPECT_FALSE(control<QCheckBox>(editor, "LEDateWeekDay42")->isChecked());

    control<QRadioButton>(editor, "LEDateMonthOption")->click();
    EXPECT_FALSE(sunday->isChecked() || sunday->isEnabled()) << "the week boxes go off";
    control<QCheckBox>(editor, "LEDateMonthDay3")->click();
    control<QCheckBox>(editor, "LEDateMonthDay31")->click();
    // A time the field cannot read as it stands is completed.
    const struct {
        const char* typed;
        const char* stored;
    } times[] = {{"9", "9:00:00"}, {"9:30", "9:30:00"}, {"21:05:07", "21:05:07"}};
    for (const auto& t : times) {
        auto* field = control<QLineEdit>(editor, "LEDateTimeField");
        field->setText(t.typed);
        emit field->editingFinished();
        EXPECT_EQ(editor->dateState().time, t.stored) << t.typed;
    }
    clickOK(editor);
    const QVariantMap params = launcher->paramsDict();
    EXPECT_EQ(params.value("launcherdatetype").toInt(), 2);
    EXPECT_EQ(params.value("launcherdatedays"), QVariantList({3, 31}));
    EXPECT_EQ(params.value("launcherdatetime"), "21:05:07");
}

TEST_F(LauncherEditorTest, CalendarLauncherOpensWithoutAViewAndKeepsItsParameters)
{
    QVLauncher* launcher = addLauncher(6);
    const QVariantMap before = launcher->paramsDict();
    QVELauncherEditor* editor = open(launcher);
    ASSERT_TRUE(editor);
    clickOK(editor);
    EXPECT_EQ(launcher->paramsDict(), before);
    EXPECT_TRUE(hotKeysOff.isEmpty());
}

class LauncherUSBTest : public LauncherEditorTest {
protected:
    void SetUp() override
    {
        devices = &desktop().virtualInputDevices();
        devices->plug(V::usbDevice("mouse", 0x46d, 0xc077, "USB Optical Mouse", {V::ButtonLeft, V::ButtonRight}, true));
        QVUSBManager::sharedManager().rebuildDevicesArray();
    }
    void TearDown() override { zelk::HIDDisposeDeviceList(); }
    zelk::VirtualInputDevices* devices = nullptr;
};

TEST_F(LauncherUSBTest, ButtonAndWheelCapturedFromTheDeviceAndWritten)
{
    QVLauncher* launcher = addLauncher(5, {}, true);
    QVELauncherEditor* editor = open(launcher);
    ASSERT_TRUE(editor);
    auto* devicesButton = control<QComboBox>(editor, "LEUSBDeviceButton");
    ASSERT_EQ(devicesButton->count(), 2);
    EXPECT_EQ(devicesButton->itemText(1), "USB Optical Mouse");
    clickOK(editor);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, loc("AucunElementUSB"));

    devicesButton->setCurrentIndex(1);
    emit devicesButton->activated(1);
    EXPECT_FALSE(devicesButton->isEnabled()) << "a device is chosen once";
    EXPECT_EQ(editor->selectedDeviceIndex(), 0);

    // The modifier keys held at the capture become the launcher's.
    auto* help = control<QPushButton>(editor, "LEHelpButton");
    QTest::keyClick(help, Qt::Key_Escape); // no modifier held
    QTest::keyPress(help, Qt::Key_Shift, Qt::ShiftModifier);
    devices->turnWheel("mouse", 1);
    ASSERT_TRUE(zelk::test::waitUntil([&] { return editor->usbState().elementType == 1; }));
    EXPECT_EQ(editor->usbState().increment, 10);
    EXPECT_EQ(editor->usbState().modifiers, 0x20000);
    QTest::keyClick(help, Qt::Key_Escape);
    devices->pressButton("mouse", V::ButtonLeft);
    ASSERT_TRUE(zelk::test::waitUntil([&] { return editor->usbState().elementType == 0; }));
    EXPECT_EQ(editor->usbState().usage, 1);
    EXPECT_EQ(editor->usbState().delay, 1.0);
    EXPECT_EQ(editor->usbState().modifiers, 0) << "a button after a wheel starts afresh";
    launcher->undoManager()->undo();
    EXPECT_EQ(editor->usbState().elementType, 1) << "undo goes back to the wheel";
    launcher->undoManager()->redo();

    control<QCheckBox>(editor, "LEUSBShiftCheck")->click();
    EXPECT_EQ(editor->usbState().modifiers, 0x20000);
    alerts.clear();
    const auto cookie = editor->usbState().cookie; // OK closes the window and ends the editor
    clickOK(editor);
    EXPECT_TRUE(alerts.empty());
    const QVariantMap params = launcher->paramsDict();
    EXPECT_EQ(params.value("launcherusbtype").toInt(), 0);
    EXPECT_EQ(params.value("launcherusbvendorid").toInt(), 0x46d);
    EXPECT_EQ(params.value("launcherusbproductid").toInt(), 0xc077);
    EXPECT_EQ(params.value("launcherusbproductname"), "USB Optical Mouse");
    EXPECT_EQ(params.value("launcherusbmodifiers").toInt(), 0x20000);
    EXPECT_EQ(params.value("launcherusbcookie").toInt(), cookie);
    const QVariantMap button = params.value("launcherusbparamsdict").toMap();
    EXPECT_EQ(button.value("launcherusbbuttonusage").toInt(), 1);
    EXPECT_EQ(button.value("launcherusbbuttonrelease").toBool(), false);
    EXPECT_EQ(button.value("launcherusbbuttonrepeatdelay").toDouble(), 1.0);
    EXPECT_EQ(devices->readerCount("mouse"), 0) << "no listening after the window closed";
}

TEST_F(LauncherUSBTest, AMultiButtonElementStoresTheButtonOfItsHighestBit)
{
    QVLauncher* launcher = addLauncher(5, {}, true);
    QVELauncherEditor* editor = open(launcher);
    ASSERT_TRUE(editor);
    auto* devicesButton = control<QComboBox>(editor, "LEUSBDeviceButton");
    devicesButton->setCurrentIndex(1);
    emit devicesButton->activated(1);
    zelk::recDevice pedals;
    pedals.vendorID = 0x05F3;
    pedals.productID = 0x0309;
    zelk::recElement element;
    element.usagePage = 0xFF00;
    element.usage = 3;
    element.cookie = 5;
    element.min = 0;
    element.max = 7;
    editor->HIDEvent(0x08, element, pedals);
    EXPECT_EQ(editor->usbState().usage, 3 * 8 + 3);
    EXPECT_EQ(editor->usbState().cookie, 5 * 8 + 3);
    editor->HIDEvent(0, element, pedals); // a release is no capture
    EXPECT_EQ(editor->usbState().usage, 27);
    clickCancel(editor);
}

} // namespace
} // namespace editor::test
