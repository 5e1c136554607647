// The system, sound, settings-panel and network action types, editing side:
// round trips of every model, the sleep options, the sound menu and drops,
// panels of the same name, and the server password that never reaches a
// written file.
#include "NetworkShortcut/NetworkShortcut.h"
#include "PaneTestSupport.h"
#include "PreferenceShortcut/PreferenceShortcut.h"
#include "PropertyList.h"
#include "SoundShortcut/SoundShortcut.h"
#include "SystemShortcut/SystemShortcut.h"
#include "VirtualPlatform.h"

#include <QButtonGroup>
#include <QMimeData>
#include <QRadioButton>
#include <QSpinBox>
#include <QUndoStack>
#include <QUrl>
#include <gtest/gtest.h>

using namespace zelk;
using namespace zelk::editor;
using namespace zelk::test;

namespace {

VirtualPlatform& platform()
{
    return *VirtualPlatform::current();
}

// --- System ------------------------------------------------------------------------

class SystemEditorTest : public PaneTypeTest<SystemShortcut, SystemShortcutClass> {
protected:
    SystemEditorTest() : PaneTypeTest("SystemShortcut", "My system") {}
};

TEST_F(SystemEditorTest, EveryModelRoundTrips)
{
    EXPECT_EQ(cls->modelsID(), (QList<int>{1, 2, 3, 4, 5, 6, 9}));
    EXPECT_EQ(cls->dataForAction(3), (QVariantMap{{"Action", 3}, {"SleepType", 0}, {"WakeSeconds", 0}}));
    EXPECT_EQ(cls->dataForAction(5), (QVariantMap{{"Action", 5}, {"Module", ""}}));
    EXPECT_TRUE(cls->dataForAction(10).isEmpty());
    for (int model : {1, 2, 3, 4, 5, 6, 7, 8, 9}) {
        SCOPED_TRACE(model);
        const QVariantMap data = cls->dataForAction(model).isEmpty() ? QVariantMap{{"Action", model}} : cls->dataForAction(model);
        auto action = make(data);
        ASSERT_TRUE(action);
        auto editor = open(action);
        ASSERT_TRUE(action->willValidateEditing());
        EXPECT_EQ(action->dataValue(), data);
        EXPECT_FALSE(cls->imageForModelID(model, 16).isNull());
    }
    // An older sleep record without its keys gets them on reading.
    EXPECT_EQ(make({{"Action", 3}})->dataValue(), cls->dataForAction(3));
}

TEST_F(SystemEditorTest, SleepChosenDuringTheEditKeepsItsWakeSettings)
{
    auto action = make({{"Action", 1}});
    auto editor = open(action);
    auto* popUp = editor->control<QComboBox>("CUTActionButton");
    ASSERT_TRUE(popUp);
    choose(popUp, indexOfTag(popUp, 3));
    auto* delay = editor->control<QRadioButton>("CUTSleepTypeWakeDelayButton");
    ASSERT_TRUE(delay);
    delay->click();
    editor->control<QSpinBox>("CUTDelayMinuteField")->setValue(90);
    ASSERT_TRUE(action->willValidateEditing());
    EXPECT_EQ(action->dataValue(), (QVariantMap{{"Action", 3}, {"SleepType", 1}, {"WakeSeconds", 5400}}));
    EXPECT_FALSE(action->isValid());
    EXPECT_FALSE(action->notValidString().isEmpty()) << "the invalid sleep says why";

    // Reopened, the delay shows normalised; switched away, the sleep keys go.
    editor = open(action);
    EXPECT_EQ(editor->control<QSpinBox>("CUTDelayHourField")->value(), 1);
    EXPECT_EQ(editor->control<QSpinBox>("CUTDelayMinuteField")->value(), 30);
    popUp = editor->control<QComboBox>("CUTActionButton");
    choose(popUp, indexOfTag(popUp, 4));
    ASSERT_TRUE(action->willValidateEditing());
    EXPECT_EQ(action->dataValue(), (QVariantMap{{"Action", 4}}));
    EXPECT_TRUE(action->isValid());
}

TEST_F(SystemEditorTest, DelayAndTimeOfDayFields)
{
    auto action = make(cls->dataForAction(3));
    EXPECT_TRUE(action->isValid());
    auto editor = open(action);
    editor->control<QRadioButton>("CUTSleepTypeWakeDelayButton")->click();
    EXPECT_FALSE(action->editedDataValue().value("SleepType").toInt() == 0);
    action->setWakeDelaySeconds(86400 + 3600 + 60 + 1);
    for (const char* field : {"CUTDelayDayField", "CUTDelayHourField", "CUTDelayMinuteField", "CUTDelaySecondField"})
        EXPECT_EQ(editor->control<QSpinBox>(field)->value(), 1) << field;
    EXPECT_EQ(action->getWakeSeconds(), 90061);

    const struct {
        const char* typed;
        const char* completed;
    } times[] = {{"7", "7:00:00"}, {"7:30", "7:30:00"}, {"7:30:15", "7:30:15"}, {"24", nullptr}, {"7:61", nullptr},
                 {"seven", nullptr}, {"", nullptr}};
    for (const auto& t : times) {
        const std::optional<QString> got = SystemShortcut::completedTime(t.typed);
        if (t.completed)
            EXPECT_EQ(got.value_or("(refused)"), t.completed) << t.typed;
        else
            EXPECT_FALSE(got.has_value()) << t.typed;
    }

    editor->control<QRadioButton>("CUTSleepTypeWakeDateButton")->click();
    EXPECT_TRUE(editor->control<QSpinBox>("CUTDelayDayField")->value() == 0);
    EXPECT_FALSE(editor->control<QSpinBox>("CUTDelayDayField")->isEnabled());
    auto* time = editor->control<QLineEdit>("CUTDateTimeField");
    editor->control<QSpinBox>("CUTDateDayField")->setValue(2);
    time->setText("7:30");
    emit time->editingFinished();
    EXPECT_EQ(time->text(), "7:30:0") << "completed, then written back without leading zeros";
    ASSERT_TRUE(action->willValidateEditing());
    EXPECT_EQ(action->dataValue(), (QVariantMap{{"Action", 3}, {"SleepType", 2}, {"WakeSeconds", 2 * 86400 + 7 * 3600 + 1800}}));
}

TEST_F(SystemEditorTest, UndoingAModelChangeRestoresModelBoxAndName)
{
    auto action = make({{"Action", 3}, {"SleepType", 0}, {"WakeSeconds", 0}});
    auto editor = open(action);
    editor->name = "Typed";
    auto* popUp = editor->control<QComboBox>("CUTActionButton");
    choose(popUp, indexOfTag(popUp, 3));
    EXPECT_EQ(action->undoManager()->count(), 0) << "the model already shown";
    {
        OptionKeyDown option; // Option with suggestions off: the suggested name
        choose(popUp, indexOfTag(popUp, 9));
    }
    EXPECT_EQ(editor->name, "Eject");
    EXPECT_FALSE(editor->control<QWidget>("CUTSleepView")->isVisibleTo(editor->accessory.get()));
    action->undoManager()->undo();
    EXPECT_EQ(tagOfItem(popUp, popUp->currentIndex()), 3);
    EXPECT_TRUE(editor->control<QWidget>("CUTSleepView")->isVisibleTo(editor->accessory.get()));
    EXPECT_EQ(editor->name, "Typed");
}

// --- Sound -------------------------------------------------------------------------

class SoundEditorTest : public PaneTypeTest<SoundShortcut, SoundShortcutClass> {
protected:
    SoundEditorTest() : PaneTypeTest("SoundShortcut", "My sound") {}

    QString sound(const QString& name)
    {
        const QString folder = qEnvironmentVariable("XDG_DATA_HOME") + "/sounds";
        QDir().mkpath(folder);
        // A minimal WAVE header, so the file's content says it is a sound.
        return writeFile(folder + "/" + name, QByteArray("RIFF\x24\0\0\0WAVEfmt ", 16) + QByteArray(28, '\0'));
    }
};

TEST_F(SoundEditorTest, ChoosingFromTheMenuAndRoundTrips)
{
    const QString bell = sound("bell.wav");
    sound(".hidden.wav");
    auto fresh = cls->newDataForAction(1).value("actiondata").toMap();
    EXPECT_EQ(fresh, (QVariantMap{{"Action", 1}, {"Path", ""}, {"FSRef", QByteArray()}}));
    auto action = make(fresh);
    EXPECT_FALSE(action->isValid());
    auto editor = open(action);
    auto* popUp = editor->control<QComboBox>("CUTSoundButton");
    ASSERT_TRUE(popUp);
    ASSERT_GE(popUp->findText("bell"), 0);
    EXPECT_LT(popUp->findText(".hidden"), 0);
    EXPECT_GE(popUp->findText("Your Sounds:"), 0);
    choose(popUp, popUp->findText("bell"));
    ASSERT_TRUE(action->willValidateEditing());
    EXPECT_EQ(action->dataValue().value("Path"), bell);
    EXPECT_FALSE(action->dataValue().value("FSRef").toByteArray().isEmpty());
    EXPECT_TRUE(action->isValid());

    // Opening again lists each sound once.
    editor = open(action);
    popUp = editor->control<QComboBox>("CUTSoundButton");
    int bells = 0;
    for (int i = 0; i < popUp->count(); ++i)
        bells += popUp->itemText(i) == "bell";
    EXPECT_EQ(bells, 1);

    for (int model : {14, 10, 11, 12}) {
        auto volume = make({{"Action", model}});
        open(volume);
        ASSERT_TRUE(volume->willValidateEditing());
        EXPECT_EQ(volume->dataValue(), (QVariantMap{{"Action", model}}));
    }
}

TEST_F(SoundEditorTest, VolumeModelChangeWithUndo)
{
    auto action = make({{"Action", 10}});
    auto editor = open(action);
    auto* popUp = editor->control<QComboBox>("CUTActionButton");
    ASSERT_TRUE(popUp);
    EXPECT_EQ(popUp->count(), 4);
    choose(popUp, indexOfTag(popUp, 12));
    EXPECT_EQ(action->editedDataValue().value("Action"), 12);
    action->undoManager()->undo();
    EXPECT_EQ(action->editedDataValue().value("Action"), 10);
    EXPECT_EQ(tagOfItem(popUp, popUp->currentIndex()), 10);
}

TEST_F(SoundEditorTest, DroppedSoundsMakeOneActionEach)
{
    const QString a = sound("a.wav"), b = sound("b.wav");
    const QString text = writeFile(home->path() + "/notes.txt", "just text\n");
    QMimeData sounds;
    sounds.setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(b)});
    EXPECT_EQ(cls->modelsIDForPasteboard(&sounds), QList<int>{1});
    QVEAction::setSuggestNameNew(true);
    const QVariantList records = cls->newDatasWithPasteboard(&sounds, 1);
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[0].toMap().value("actiondata").toMap().value("Path"), a);
    EXPECT_EQ(records[1].toMap().value("actionname"), "Play b");

    QMimeData mixed;
    mixed.setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(text)});
    EXPECT_TRUE(cls->modelsIDForPasteboard(&mixed).isEmpty());
    EXPECT_TRUE(cls->newDatasWithPasteboard(&mixed, 1).isEmpty());
}

// --- Settings panels ---------------------------------------------------------------

class PreferenceEditorTest : public PaneTypeTest<PreferenceShortcut, PreferenceShortcutClass> {
protected:
    PreferenceEditorTest() : PaneTypeTest("PreferenceShortcut", "My panel") {}

    void SetUp() override
    {
        PaneTypeTest::SetUp();
        // Read once per process: every test sets the same panels.
        const QString folder = QDir::tempPath() + "/zelk-panels-test";
        QDir().mkpath(folder + "/other");
        for (const char* name : {"wifi.desktop", "other/wifi2.desktop", "zoom.desktop", "Bluetooth.desktop"})
            writeFile(folder + "/" + name, "[Desktop Entry]\n");
        platform().virtualSettingsPanels().setPanels({{folder + "/zoom.desktop", "zoom", ""},
                                                      {folder + "/wifi.desktop", "Wi-Fi", ""},
                                                      {folder + "/other/wifi2.desktop", "Wi-Fi", ""},
                                                      {folder + "/Bluetooth.desktop", "Bluetooth", ""}},
                                                     {folder + "/Bluetooth.desktop"});
    }
};

TEST_F(PreferenceEditorTest, SameNamedPanelsCanEachBeChosen)
{
    auto action = make(cls->newDataForAction(1).value("actiondata").toMap());
    EXPECT_EQ(action->notValidString(), "The settings panel “” is not installed.");
    auto editor = open(action);
    auto* popUp = editor->control<QComboBox>("CUTPrefButton");
    ASSERT_TRUE(popUp);
    ASSERT_EQ(popUp->count(), 4);
    EXPECT_EQ(popUp->itemText(0), "Bluetooth");
    EXPECT_EQ(popUp->itemText(3), "zoom") << "case counts: capitals first";
    // The second "Wi-Fi" item is the one from the other folder.
    int second = -1;
    for (int i = 0; i < popUp->count(); ++i)
        if (popUp->itemData(i, PathRole).toString().endsWith("other/wifi2.desktop"))
            second = i;
    ASSERT_GE(second, 0);
    choose(popUp, second);
    ASSERT_TRUE(action->willValidateEditing());
    EXPECT_EQ(action->dataValue(), (QVariantMap{{"Action", 1}, {"Name", "wifi2.desktop"}}));
    EXPECT_TRUE(action->isValid());

    editor = open(action);
    popUp = editor->control<QComboBox>("CUTPrefButton");
    EXPECT_TRUE(popUp->currentData(PathRole).toString().endsWith("other/wifi2.desktop"));
}

TEST_F(PreferenceEditorTest, HardwareTestRunsOncePerPanel)
{
    auto failing = make({{"Action", 1}, {"Name", "Bluetooth.desktop"}});
    const int before = platform().virtualSettingsPanels().hardwareTestsRun();
    for (int i = 0; i < 5; ++i) {
        EXPECT_FALSE(failing->isValid());
        EXPECT_TRUE(failing->notValidString().isEmpty());
    }
    EXPECT_LE(platform().virtualSettingsPanels().hardwareTestsRun(), before + 1);
    for (int model : {2, 3}) {
        auto other = make({{"Action", model}});
        open(other);
        ASSERT_TRUE(other->willValidateEditing());
        EXPECT_EQ(other->dataValue(), (QVariantMap{{"Action", model}}));
        EXPECT_TRUE(other->isValid());
    }
}

// --- Network -----------------------------------------------------------------------

class NetworkEditorTest : public PaneTypeTest<NetworkShortcut, NetworkShortcutClass> {
protected:
    NetworkEditorTest() : PaneTypeTest("NetworkShortcut", "My server") {}

    void SetUp() override
    {
        PaneTypeTest::SetUp();
        platform().virtualNetwork().setLocations({{"1", "office"}, {"2", "Home"}, {"3", "Office"}}, "2");
        platform().virtualSecrets().setLocked(false);
        platform().virtualSecrets().clear();
    }

    // What saving writes: the record as a property-list file.
    QByteArray writtenFile(const std::shared_ptr<NetworkShortcut>& action)
    {
        const QString path = home->path() + "/Actions.plist";
        writeFile(path, plist::writeXml(QVariantMap{{"actionsarray", QVariantList{action->dictValue()}}}));
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

TEST_F(NetworkEditorTest, PasswordGoesToTheSecretStoreNeverIntoAFile)
{
    const QString password = "p\u00e4ss w\u00f6rd";
    auto action = make(cls->dataForAction(3, {}, "smb://nas"));
    auto editor = open(action);
    auto* field = editor->control<QLineEdit>("CUTPasswordField");
    ASSERT_TRUE(field);
    EXPECT_EQ(field->echoMode(), QLineEdit::Password);
    field->setText(password);
    action->modifyPassword();
    EXPECT_FALSE(action->undoManager()->undoText().contains(password));
    EXPECT_FALSE(action->editedDataValue().contains("Password"));
    ASSERT_TRUE(action->willValidateEditing());

    const QString reference = action->dataValue().value("PasswordRef").toString();
    ASSERT_FALSE(reference.isEmpty());
    EXPECT_EQ(platform().virtualSecrets().secret(reference), password);
    const QByteArray file = writtenFile(action);
    ASSERT_FALSE(file.isEmpty());
    EXPECT_FALSE(file.contains(password.toUtf8()));
    EXPECT_FALSE(file.contains(NetworkShortcutModels::encodedPassword(password)));
    EXPECT_FALSE(file.toBase64().contains(NetworkShortcutModels::encodedPassword(password).toBase64()));

    // Reopened, the password is there again; cleared, it leaves the store.
    editor = open(action);
    EXPECT_EQ(editor->control<QLineEdit>("CUTPasswordField")->text(), password);
    editor->control<QLineEdit>("CUTPasswordField")->setText("");
    action->modifyPassword();
    ASSERT_TRUE(action->willValidateEditing());
    EXPECT_FALSE(action->dataValue().contains("PasswordRef"));
    EXPECT_TRUE(platform().virtualSecrets().contents().isEmpty());
}

TEST_F(NetworkEditorTest, AnOlderRecordsPasswordMovesToTheStore)
{
    const QString password = "\u65e7\u5bc6\u7801";
    auto action = make({{"Action", 3}, {"Server", "afp://old"}, {"Directory", "d"}, {"User", "u"},
                        {"Password", NetworkShortcutModels::encodedPassword(password)}});
    EXPECT_FALSE(action->dataValue().contains("Password"));
    EXPECT_EQ(platform().virtualSecrets().secret(action->dataValue().value("PasswordRef").toString()), password);
    EXPECT_FALSE(writtenFile(action).contains(NetworkShortcutModels::encodedPassword(password)));

    // A locked store: the record keeps what it had rather than losing it.
    platform().virtualSecrets().setLocked(true);
    auto kept = make({{"Action", 3}, {"Server", "afp://old"}, {"Password", NetworkShortcutModels::encodedPassword(password)}});
    EXPECT_EQ(NetworkShortcutModels::decodedPassword(kept->dataValue().value("Password").toByteArray()), password);
}

TEST_F(NetworkEditorTest, LocationsAndNames)
{
    auto action = make(cls->newDataForAction(1).value("actiondata").toMap());
    EXPECT_FALSE(action->isValid());
    EXPECT_FALSE(action->notValidString().isEmpty());
    auto editor = open(action);
    auto* combo = editor->control<QComboBox>("CUTConfigCombo");
    ASSERT_TRUE(combo);
    ASSERT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->itemText(0), "Home");
    EXPECT_EQ(combo->itemText(1).toLower(), "office");
    EXPECT_EQ(combo->itemText(2).toLower(), "office");
    combo->setEditText("Office");
    action->modifyConfiguration();
    ASSERT_TRUE(action->willValidateEditing());
    EXPECT_EQ(action->dataValue(), (QVariantMap{{"Action", 1}, {"Config", "Office"}}));
    EXPECT_TRUE(action->isValid());

    // The user's name proposes a name built from the server.
    auto mount = make(cls->dataForAction(3, {}, "smb://nas/share"));
    editor = open(mount);
    {
        OptionKeyDown option;
        editor->control<QLineEdit>("CUTUserField")->setText("ann");
        mount->modifyUser();
    }
    EXPECT_EQ(editor->name, "Mount share");
    ASSERT_TRUE(mount->willValidateEditing());
    EXPECT_EQ(mount->dataValue(), (QVariantMap{{"Action", 3}, {"Server", "smb://nas/share"}, {"Directory", ""}, {"User", "ann"}}));

    auto menu = make({{"Action", 2}});
    open(menu);
    ASSERT_TRUE(menu->willValidateEditing());
    EXPECT_EQ(menu->dataValue(), (QVariantMap{{"Action", 2}}));
    auto unmount = make({{"Action", 4}, {"Server", "/media/x"}});
    open(unmount);
    ASSERT_TRUE(unmount->willValidateEditing());
    EXPECT_EQ(unmount->dataValue(), (QVariantMap{{"Action", 4}, {"Server", "/media/x"}}));
}

} // namespace
