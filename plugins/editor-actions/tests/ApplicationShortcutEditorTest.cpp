// The application action type, editing side: models, defaults, names,
// drops, validity and the editing cycle with undo in its views.
#include "ApplicationShortcut/ApplicationShortcut.h"
#include "PaneTestSupport.h"
#include "FormatText.h"

#include <QMimeData>
#include <QPushButton>
#include <QUndoStack>
#include <QUrl>
#include <gtest/gtest.h>

using namespace zelk;
using namespace zelk::editor;
using namespace zelk::test;

namespace {

class ApplicationShortcutEditorTest : public PaneTypeTest<ApplicationShortcut, ApplicationShortcutClass> {
protected:
    ApplicationShortcutEditorTest() : PaneTypeTest("ApplicationShortcut", "My action") {}

    void SetUp() override
    {
        PaneTypeTest::SetUp();
        apps = home->dataHome() + "/applications";
        editorApp = writeDesktopEntry(apps, "org.zelktest.Editor.desktop", "Text Editor");
    }

    QString text(const char* key) const { return cls->localizedStr(QString::fromLatin1(key)); }

    QString apps;
    QString editorApp;
};

TEST_F(ApplicationShortcutEditorTest, DescribesItsModels)
{
    EXPECT_EQ(cls->familyID(), 1001);
    EXPECT_TRUE(cls->registerActionClass());
    QList<int> all;
    for (int m = 1; m <= 22; ++m)
        all.append(m);
    EXPECT_EQ(cls->modelsID(), all);
    const int categories[] = {0, 1, 2, 3, 4, 4, 4, 5, 5, 5, 5, 5, 5, 5, 6, 6, 6, 6, 6, 6, 4, 4, 4, 0};
    for (int m = 0; m <= 23; ++m)
        EXPECT_EQ(cls->categoryOfAction(m), categories[m]) << "model " << m;
    EXPECT_EQ(cls->nameOfImageForModelID(1), "application.tiff");
    EXPECT_EQ(cls->nameOfImageForModelID(3), "application.tiff");
    EXPECT_EQ(cls->nameOfImageForModelID(16), "process.tiff");
    EXPECT_EQ(cls->imageForModelID(1, 16).size(), QSize(16, 16));
    EXPECT_EQ(cls->titleOfModelID(1), "Launch Application");
    EXPECT_EQ(cls->pasteboardTypes(), QStringList{"text/uri-list"});
}

TEST_F(ApplicationShortcutEditorTest, DefaultParametersOfEveryModel)
{
    const QVariantMap switching{{"AppName", ""}, {"HideOthers", false}};
    for (int m = 0; m <= 23; ++m) {
        QVariantMap expected;
        switch (cls->categoryOfAction(m)) {
        case 1: expected = params({{"AppPath", ""}, {"AppFSRef", QByteArray()}, {"HideOthers", false}}); break;
        case 2:
        case 3: expected = params({{"Order", 0}, {"HideOthers", false}}); break;
        case 4: expected = switching; break;
        case 5: expected = params({{"AppName", ""}}); break;
        case 6: expected = params({{"AppName", ""}, {"Force", false}}); break;
        default: break;
        }
        if (!expected.isEmpty())
            expected.insert("Action", m);
        EXPECT_EQ(cls->dataForAction(m, QString()), expected) << "model " << m;
        EXPECT_EQ(cls->newDataForAction(m).value("actiondata").toMap(), expected) << "model " << m;
    }
    EXPECT_EQ(cls->dataForAction(1, editorApp).value("AppFSRef").toByteArray(), scope.utility.FSRefForPath(editorApp));
    const QVariantMap record = cls->newDataForAction(16);
    EXPECT_EQ(record.value("actionclass").toString(), "ApplicationShortcut");
    EXPECT_TRUE(record.contains("actionID"));
}

TEST_F(ApplicationShortcutEditorTest, NewActionNameFollowsSettingAndOptionKey)
{
    struct Case {
        bool setting;
        bool option;
        bool suggested;
    };
    for (const Case c : {Case{true, false, true}, Case{true, true, false}, Case{false, true, true}, Case{false, false, false}}) {
        QVEAction::setSuggestNameNew(c.setting);
        std::unique_ptr<OptionKeyDown> option = c.option ? std::make_unique<OptionKeyDown>() : nullptr;
        const QString name = cls->newDataForAction(4).value("actionname").toString();
        EXPECT_EQ(name == "Next Application", c.suggested)
            << "setting " << c.setting << " option " << c.option << " gave " << name.toStdString();
    }
}

TEST_F(ApplicationShortcutEditorTest, SuggestedNames)
{
    EXPECT_EQ(cls->nameForAction(1, editorApp), "Launch Text Editor");
    EXPECT_EQ(cls->nameForAction(16, "org.zelktest.Editor"), "Quit Text Editor");  // found: display name
    EXPECT_EQ(cls->nameForAction(13, "Notes.app"), "Hide Notes");                    // not found: the name
    EXPECT_EQ(cls->nameForAction(4, "ignored"), "Next Application");
    EXPECT_EQ(cls->nameForAction(0, "x"), QString());
    EXPECT_EQ(cls->nameForAction(23, "x"), QString());
}

TEST_F(ApplicationShortcutEditorTest, DropsMakeActionsOfApplicationsOnly)
{
    const QString other = writeDesktopEntry(home->path() + "/more", "org.zelktest.Other.desktop", "Other App");
    const QString text = home->path() + "/notes.txt";
    QFile(text).open(QIODevice::WriteOnly);

    QMimeData twoApps;
    twoApps.setUrls({QUrl::fromLocalFile(editorApp), QUrl::fromLocalFile(other)});
    EXPECT_EQ(cls->modelsIDForPasteboard(&twoApps), (QList<int>{1, 6, 10, 13, 16, 19}));
    QMimeData mixed;
    mixed.setUrls({QUrl::fromLocalFile(editorApp), QUrl::fromLocalFile(text)});
    EXPECT_TRUE(cls->modelsIDForPasteboard(&mixed).isEmpty());

    QVariantList records = cls->newDatasWithPasteboard(&mixed, 16);  // the text file is skipped
    ASSERT_EQ(records.size(), 1);
    EXPECT_EQ(records[0].toMap().value("actiondata").toMap(),
              params({{"Action", 16}, {"AppName", "org.zelktest.Editor"}, {"Force", false}}));

    QVEAction::setSuggestNameNew(true);
    records = cls->newDatasWithPasteboard(&twoApps, 1);
    ASSERT_EQ(records.size(), 2);
    const QVariantMap first = records[0].toMap();
    EXPECT_EQ(first.value("actiondata").toMap(),
              params({{"Action", 1}, {"AppPath", editorApp}, {"AppFSRef", scope.utility.FSRefForPath(editorApp)},
                      {"HideOthers", false}}));
    EXPECT_EQ(first.value("actionname").toString(), "Launch Text Editor");
    EXPECT_EQ(records[1].toMap().value("actionname").toString(), "Launch Other App");
    EXPECT_NE(first.value("actionID"), records[1].toMap().value("actionID"));

    records = cls->newDatasWithPasteboard(&twoApps, 4);  // not a named model: the defaults
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[0].toMap().value("actiondata").toMap(), cls->dataForAction(4, QString()));
}

TEST_F(ApplicationShortcutEditorTest, LaunchModelIsValidWhileTheApplicationIsFound)
{
    auto action = make(cls->dataForAction(1, editorApp));
    ASSERT_TRUE(action);
    EXPECT_TRUE(action->isValid());
    EXPECT_EQ(action->notValidString(), QString());

    // Renamed in place: the reference finds it.
    const QString renamed = apps + "/org.zelktest.Renamed.desktop";
    ASSERT_TRUE(QFile::rename(editorApp, renamed));
    EXPECT_EQ(action->bestPath(), renamed);
    EXPECT_TRUE(action->isValid());

    // Gone from its folder, but an application of its name is installed.
    auto elsewhere = make(params({{"Action", 1}, {"AppPath", "/opt/old/org.zelktest.Renamed.desktop"}}));
    EXPECT_EQ(elsewhere->bestPath(), renamed);
    EXPECT_EQ(elsewhere->dataValue().value("AppFSRef").toByteArray(), scope.utility.FSRefForPath(renamed));
    EXPECT_EQ(elsewhere->dataValue().value("AppPath").toString(), "/opt/old/org.zelktest.Renamed.desktop");

    // Nowhere at all.
    QFile::remove(renamed);
    auto gone = make(params({{"Action", 1}, {"AppPath", "/opt/old/org.zelktest.Gone.desktop"}}));
    EXPECT_FALSE(gone->isValid());
    EXPECT_EQ(gone->notValidString(), "The application “/opt/old/org.zelktest.Gone.desktop” can’t be found.");
    EXPECT_EQ(gone->imageValueWithSize(32), QVEAction::unknownIconWithSize(32));

    auto quit = make(params({{"Action", 16}, {"AppName", "Nothing"}}));
    EXPECT_TRUE(quit->isValid());
    EXPECT_EQ(quit->imageValueWithSize(32), ApplicationShortcut::processIcon(32));
    EXPECT_EQ(make(cls->dataForAction(3, {}))->imageValueWithSize(32), ApplicationShortcut::appIcon(32));
}

TEST_F(ApplicationShortcutEditorTest, SwitchViewEditsModelWithUndo)
{
    const QVariantMap stored = params({{"Action", 6}, {"AppName", "org.zelktest.Editor"}, {"HideOthers", true}});
    auto action = make(stored);
    auto editor = open(action);
    auto* models = editor->control<QComboBox>("CUTActionButton");
    auto* appButton = editor->control<QComboBox>("CUTAppButton");
    auto* hide = editor->control<QCheckBox>("CUTHideOthersCheck");
    ASSERT_TRUE(models && appButton && hide);
    EXPECT_EQ(tagOfItem(models, models->currentIndex()), 6);
    EXPECT_EQ(models->count(), 6);  // the switch view's models
    EXPECT_EQ(appButton->itemText(0), "Text Editor");
    EXPECT_TRUE(appButton->isEnabled());
    EXPECT_TRUE(hide->isChecked());

    // Model 20: the pop-up and the box go off, their values stay.
    editor->name = "typed name";
    choose(models, indexOfTag(models, 20));
    EXPECT_FALSE(appButton->isEnabled());
    EXPECT_EQ(appButton->itemText(0), QString());
    EXPECT_FALSE(hide->isEnabled());
    EXPECT_EQ(editor->description, cls->descriptionOfModelID(20));
    EXPECT_EQ(editor->name, "typed name");
    EXPECT_EQ(action->editedDataValue(),
              params({{"Action", 20}, {"AppName", "org.zelktest.Editor"}, {"HideOthers", true}}));
    EXPECT_EQ(action->dataValue(), stored);
    QUndoStack* undo = action->undoManager();
    ASSERT_EQ(undo->count(), 1);
    EXPECT_EQ(undo->undoText(), "Choose “Remember Front Application”");

    // The same choice again is no step.
    choose(models, indexOfTag(models, 20));
    EXPECT_EQ(undo->count(), 1);

    undo->undo();
    EXPECT_EQ(tagOfItem(models, models->currentIndex()), 6);
    EXPECT_TRUE(appButton->isEnabled());
    EXPECT_EQ(appButton->itemText(0), "Text Editor");
    EXPECT_TRUE(hide->isEnabled());
    EXPECT_EQ(action->editedDataValue(), stored);
    undo->redo();
    EXPECT_EQ(action->editedDataValue().value("Action").toInt(), 20);

    // Cancelling leaves the stored parameters as they were.
    action->abortEditing();
    EXPECT_EQ(action->dataValue(), stored);
    EXPECT_EQ(action->editedDataValue(), stored);
}

TEST_F(ApplicationShortcutEditorTest, ValidationStoresTheEditsAndSuggestsNames)
{
    auto action = make(params({{"Action", 14}, {"AppName", ""}, {"Force", false}}));
    auto editor = open(action);
    auto* models = editor->control<QComboBox>("CUTActionButton");
    auto* force = editor->control<QCheckBox>("CUTForceCheck");
    ASSERT_TRUE(models && force);

    QVEAction::setSuggestNameModified(true);
    choose(models, indexOfTag(models, 16));
    EXPECT_EQ(editor->name, "Quit ");  // a named model with no application yet
    scope.utility.panelAnswers = {editorApp};
    choose(editor->control<QComboBox>("CUTAppButton"),
           indexOfMarker(editor->control<QComboBox>("CUTAppButton"), ApplicationShortcut::AppOtherItem));
    EXPECT_EQ(editor->name, "Quit Text Editor");
    force->click();
    EXPECT_TRUE(force->isChecked());
    EXPECT_EQ(action->undoManager()->undoText(), "Force Quit Change");

    ASSERT_TRUE(action->willValidateEditing());
    EXPECT_EQ(action->dataValue(), params({{"Action", 16}, {"AppName", "org.zelktest.Editor"}, {"Force", true}}));
    EXPECT_EQ(action->modelID(), 16);
}

TEST_F(ApplicationShortcutEditorTest, CheckBoxAndOrderEditsAreUndoable)
{
    auto action = make(params({{"Action", 2}, {"HideOthers", false}}));  // an old record without Order
    auto editor = open(action);
    auto* order = editor->control<QComboBox>("CUTOrderButton");
    auto* hide = editor->control<QCheckBox>("CUTHideOthersCheck");
    ASSERT_TRUE(order && hide);
    EXPECT_EQ(tagOfItem(order, order->currentIndex()), 0);
    EXPECT_EQ(action->editedDataValue().value("Order").toInt(), 0);

    hide->click();
    EXPECT_TRUE(hide->isChecked());
    choose(order, indexOfTag(order, 1));
    EXPECT_EQ(action->editedDataValue(), params({{"Action", 2}, {"HideOthers", true}, {"Order", 1}}));
    EXPECT_EQ(action->undoManager()->undoText(), "Order “By Name”");
    action->undoManager()->undo();
    EXPECT_EQ(tagOfItem(order, order->currentIndex()), 0);
    action->undoManager()->undo();
    EXPECT_FALSE(hide->isChecked());
    EXPECT_EQ(action->editedDataValue(), params({{"Action", 2}, {"HideOthers", false}, {"Order", 0}}));
}

TEST_F(ApplicationShortcutEditorTest, LaunchViewShowsFoldersAndRunningApplications)
{
    const QString other = writeDesktopEntry(apps, "org.zelktest.Other.desktop", "Other App");
    const QString recent = writeDesktopEntry(home->path() + "/opt", "org.zelktest.Recent.desktop", "Recent App");
    scope.utility.launched = {editorApp, other};
    scope.utility.recent = {recent};
    auto action = make(cls->dataForAction(1, editorApp));
    auto editor = open(action);
    auto* appButton = editor->control<QComboBox>("CUTAppButton");
    ASSERT_TRUE(appButton);

    EXPECT_EQ(appButton->itemText(0), "Text Editor");
    EXPECT_EQ(appButton->itemText(1), "applications");
    EXPECT_EQ(appButton->itemText(2), "share");
    const int running = indexOfMarker(appButton, ApplicationShortcut::AppLaunchedItem);
    const int recents = indexOfMarker(appButton, ApplicationShortcut::AppRecentItem);
    // The application of item 0 is not listed a second time.
    EXPECT_EQ(recents - running, 2);
    EXPECT_EQ(appButton->itemText(running + 1), "Other App");
    EXPECT_EQ(appButton->itemText(recents + 1), "Recent App");

    choose(appButton, running + 1);
    EXPECT_EQ(action->editedDataValue().value("AppPath").toString(), other);
    EXPECT_EQ(action->editedDataValue().value("AppFSRef").toByteArray(), scope.utility.FSRefForPath(other));
    EXPECT_EQ(action->undoManager()->undoText(), "Choose Application “Other App”");
    EXPECT_FALSE(editor->image.isNull());
    EXPECT_EQ(appButton->currentIndex(), 0);
    EXPECT_EQ(appButton->itemText(0), "Other App");

    // A cancelled panel changes nothing.
    scope.utility.panelAnswers = {QString()};
    choose(appButton, indexOfMarker(appButton, ApplicationShortcut::AppOtherItem));
    EXPECT_EQ(scope.utility.panelStarts.last(), other);
    EXPECT_EQ(action->undoManager()->count(), 1);

    action->undoManager()->undo();
    EXPECT_EQ(action->editedDataValue().value("AppPath").toString(), editorApp);
    ASSERT_TRUE(action->willValidateEditing());
    EXPECT_EQ(action->dataValue().value("AppPath").toString(), editorApp);
}

TEST_F(ApplicationShortcutEditorTest, MovedApplicationIsShownAndSavedAtItsNewPlace)
{
    auto action = make(cls->dataForAction(1, editorApp));
    const QString moved = apps + "/org.zelktest.Moved.desktop";
    ASSERT_TRUE(QFile::rename(editorApp, moved));
    auto editor = open(action);
    EXPECT_EQ(action->editedDataValue().value("AppPath").toString(), moved);
    ASSERT_TRUE(action->willValidateEditing());
    EXPECT_EQ(action->dataValue().value("AppPath").toString(), moved);
    EXPECT_EQ(action->dataValue().value("AppFSRef").toByteArray(), scope.utility.FSRefForPath(moved));
}

TEST_F(ApplicationShortcutEditorTest, UnknownModelOpensWithoutViewAndIsWrittenBackUnchanged)
{
    const QVariantMap stored = params({{"Action", 99}, {"Custom", "kept"}});
    auto action = make(stored);
    auto editor = open(action);
    EXPECT_TRUE(editor->accessory->findChildren<QWidget*>().isEmpty());
    EXPECT_EQ(action->editedDataValue(), stored);
    ASSERT_TRUE(action->willValidateEditing());
    EXPECT_EQ(action->dataValue(), stored);
    EXPECT_TRUE(action->isValid());
}

TEST_F(ApplicationShortcutEditorTest, RecentsButtonOpensTheSettings)
{
    auto action = make(cls->dataForAction(3, {}));
    auto editor = open(action);
    auto* button = editor->accessory->findChild<QPushButton*>("CUTRecentsButton");
    ASSERT_TRUE(button);
    button->click();
    EXPECT_EQ(scope.utility.openedPanels, QStringList{"Appearance"});
    EXPECT_EQ(action->undoManager()->count(), 0);
}

} // namespace
