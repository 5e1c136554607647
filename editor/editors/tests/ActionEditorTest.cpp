// The action editor opened through the actions manager: the name and its
// undo, commit and cancel, and the identical-action question.
#include "ClassRegistry.h"
#include "EditorTestSupport.h"
#include "EditorWindowHost.h"
#include "QVEActionEditor.h"
#include "QVEActionsManager.h"

#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QUndoStack>
#include <QWidget>
#include <gtest/gtest.h>

namespace editor::test {
namespace {

class ActionEditorTest : public EditorTest {
protected:
    ActionEditorTest() { registerObjectEditors(); }

    QVEActionEditor* open(zelk::QVEAction* action)
    {
        QVEActionsManager::sharedManager().editActionsID({action->IDValue()});
        auto* editor = dynamic_cast<QVEActionEditor*>(editorOf(action));
        EXPECT_NE(editor, nullptr) << "no action editor opened";
        return editor;
    }
    // The open editor, found through the window it shows.
    static QVEActionEditor* editorOf(zelk::QVEAction* action)
    {
        for (QVEActionEditor* editor : QList<QVEActionEditor*>(s_open)) {
            if (editor->editedAction() == action)
                return editor;
        }
        return nullptr;
    }
    template <class W>
    static W* control(QVEActionEditor* editor, const char* name)
    {
        W* widget = editor->window()->findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    static void rename(QVEActionEditor* editor, const QString& name)
    {
        auto* field = control<QLineEdit>(editor, "AENameField");
        field->setText(name);
        emit field->editingFinished();
    }
    static QList<QVEActionEditor*> s_open;
};

QList<QVEActionEditor*> ActionEditorTest::s_open;

// The maker keeps track of the editors it hands out, so tests reach them.
class ActionEditorTracking : public ActionEditorTest {
protected:
    ActionEditorTracking()
    {
        s_open.clear();
        QVEActionsManager::sharedManager().setActionEditorMaker([] {
            auto editor = std::make_shared<QVEActionEditor>();
            s_open << editor.get();
            QObject::connect(editor.get(), &QObject::destroyed, [raw = editor.get()] { s_open.removeAll(raw); });
            return editor;
        });
    }
};

TEST_F(ActionEditorTracking, RenameIsUndoneAndOKCommitsTheName)
{
    zelk::QVEAction* action = addAction(1, "Alpha");
    QVEActionEditor* editor = open(action);
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->window()->windowTitle(), locFormat("TitreAction", {"Alpha"}));
    EXPECT_EQ(editor->accessoryView()->width(), 555);
    rename(editor, "Beta");
    ASSERT_TRUE(action->undoManager());
    EXPECT_EQ(action->undoManager()->text(0), locFormat("AnnulerModifierNomAction", {"Beta"}));
    action->undoManager()->undo();
    EXPECT_EQ(control<QLineEdit>(editor, "AENameField")->text(), "Alpha");
    action->undoManager()->redo();
    // A name the type proposes is no undo step.
    editor->setPossibleActionName("Gamma");
    EXPECT_EQ(editor->window()->windowTitle(), locFormat("TitreAction", {"Gamma"}));
    EXPECT_EQ(action->undoManager()->count(), 1);
    EXPECT_EQ(action->nameValue(), "Alpha") << "nothing reaches the action before OK";
    control<QPushButton>(editor, "AEOKButton")->click();
    EXPECT_EQ(action->nameValue(), "Gamma");
    EXPECT_FALSE(action->hasEditor());
    EXPECT_TRUE(alerts.empty());
}

TEST_F(ActionEditorTracking, CancelKeepsAnOldActionAndDeletesANewOne)
{
    zelk::QVEAction* action = addAction(1, "Alpha");
    QVEActionEditor* editor = open(action);
    ASSERT_TRUE(editor);
    rename(editor, "Beta");
    control<QPushButton>(editor, "AECancelButton")->click();
    EXPECT_EQ(action->nameValue(), "Alpha");
    EXPECT_FALSE(action->hasEditor());
    EXPECT_EQ(store->count(ObjectsFile::Actions), 1);

    zelk::QVEAction* fresh = addAction(2, "Fresh");
    fresh->setIsNew(true);
    editor = open(fresh);
    ASSERT_TRUE(editor);
    control<QPushButton>(editor, "AECancelButton")->click();
    EXPECT_EQ(store->actionWithID(2), nullptr);
}

TEST_F(ActionEditorTracking, AnEmptyNameIsRefused)
{
    zelk::QVEAction* action = addAction(1, "Alpha");
    QVEActionEditor* editor = open(action);
    ASSERT_TRUE(editor);
    rename(editor, "");
    EXPECT_FALSE(editor->stopEditing());
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, loc("NomActionVide"));
    EXPECT_TRUE(editor->isEdited());
    editor->abortEditing(nullptr);
}

// Two actions of one class with equal parameters (the framework's base
// class keeps none) are identical, whatever their names.
TEST_F(ActionEditorTracking, AnIdenticalOldActionAsksAndSubstitutesOnlyWhenTold)
{
    zelk::QVEAction* first = addAction(1, "First");
    zelk::QVEAction* edited = addAction(2, "Second");
    ASSERT_EQ(QVEActionsManager::sharedManager().actionOfClass(edited->actionClass().className(),
                                                               edited->editedDataValue()),
              first);
    QVShortcut* shortcut = addShortcut({2});
    QVEActionEditor* editor = open(edited);
    ASSERT_TRUE(editor);

    answerAlerts({1}); // "Modifier"
    EXPECT_FALSE(editor->stopEditing());
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].title, loc("ActionIdentique1"));
    EXPECT_EQ(alerts[0].message, loc("ActionIdentique2"));
    EXPECT_EQ(alerts[0].button1, loc("Modifier"));
    EXPECT_EQ(alerts[0].button2, loc("Substituer"));
    EXPECT_TRUE(editor->isEdited());

    answerAlerts({0}); // "Substituer"
    EXPECT_TRUE(editor->stopEditing());
    EXPECT_EQ(store->actionWithID(2), nullptr);
    EXPECT_EQ(shortcut->actionsDictArray().value(0).toMap().value("cutactionID").toLongLong(), 1);
}

TEST_F(ActionEditorTracking, AnIdenticalNewActionIsReplacedWithoutAQuestion)
{
    addAction(1, "First");
    zelk::QVEAction* fresh = addAction(2, "Second");
    fresh->setIsNew(true);
    QVEActionEditor* editor = open(fresh);
    ASSERT_TRUE(editor);
    EXPECT_TRUE(editor->stopEditing());
    EXPECT_TRUE(alerts.empty());
    EXPECT_EQ(store->actionWithID(2), nullptr);
}

TEST_F(ActionEditorTracking, ASharedActionShowsTheWarning)
{
    zelk::QVEAction* action = addAction(1, "Alpha");
    addShortcut({1});
    QVEActionEditor* editor = open(action);
    ASSERT_TRUE(editor);
    EXPECT_TRUE(control<QLabel>(editor, "AEUsedWarningField")->text().isEmpty());
    editor->abortEditing(nullptr);
    addShortcut({1});
    editor = open(action);
    ASSERT_TRUE(editor);
    EXPECT_EQ(control<QLabel>(editor, "AEUsedWarningField")->text(), loc("AttentionCommandeUtiliseeX"));
    editor->abortEditing(nullptr);
}

} // namespace
} // namespace editor::test

namespace editor::test {
namespace {

// With the action types' plug-in: the editor hosts a type's own view, and
// the identical-action test reads the parameters edited in it.
class ActionEditorWithPanes : public ActionEditorTracking {
protected:
    void SetUp() override
    {
        QString error;
        const QString plugin = zelk::test::appContents() + "/MacOS/Zelk Editor.app/Contents/PlugIns/ActionPanes.so";
        ASSERT_TRUE(zelk::ClassRegistry::shared().loadPlugin(plugin, nullptr, &error)) << error.toStdString();
    }
    zelk::QVEAction* addPause(quint32 id, const QString& name, double seconds)
    {
        return store->addAction({{"actionname", name},
                                 {"actionclass", "PauseShortcut"},
                                 {"actionID", qint64(id)},
                                 {"actiondata", QVariantMap{{"Action", 1}, {"Seconds", seconds}}}});
    }
};

TEST_F(ActionEditorWithPanes, TheTypesViewEditsAndAnEqualPauseIsSubstituted)
{
    zelk::QVEAction* two = addPause(1, "Two seconds", 2.0);
    zelk::QVEAction* three = addPause(2, "Three seconds", 3.0);
    ASSERT_TRUE(two && three);
    QVShortcut* shortcut = addShortcut({2});
    QVEActionEditor* editor = open(three);
    ASSERT_TRUE(editor);
    auto* seconds = editor->accessoryView()->findChild<QDoubleSpinBox*>("CUTSecondsField");
    ASSERT_TRUE(seconds) << "the type's view is in the accessory box";
    EXPECT_DOUBLE_EQ(seconds->value(), 3.0);

    seconds->setValue(5.0);
    EXPECT_TRUE(editor->stopEditing());
    EXPECT_TRUE(alerts.empty());
    EXPECT_DOUBLE_EQ(three->dataValue().value("Seconds").toDouble(), 5.0);

    editor = open(three);
    ASSERT_TRUE(editor);
    seconds = editor->accessoryView()->findChild<QDoubleSpinBox*>("CUTSecondsField");
    ASSERT_TRUE(seconds);
    seconds->setValue(2.0);
    answerAlerts({0}); // "Substituer"
    EXPECT_TRUE(editor->stopEditing());
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].title, loc("ActionIdentique1"));
    EXPECT_EQ(store->actionWithID(2), nullptr);
    EXPECT_EQ(shortcut->actionsDictArray().value(0).toMap().value("cutactionID").toLongLong(), 1);
    EXPECT_DOUBLE_EQ(two->dataValue().value("Seconds").toDouble(), 2.0);
}

} // namespace
} // namespace editor::test
