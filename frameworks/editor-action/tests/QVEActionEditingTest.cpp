// Editing, test runs through the engine, validity and links.
#include "QVEActionTestTypes.h"

#include <QUndoStack>

namespace zelk::test {
namespace {

class QVEActionEditingTest : public QVEActionTest {
protected:
    void SetUp() override
    {
        QVEActionTest::SetUp();
        action = makeTestAction(5);
        ASSERT_TRUE(action);
    }
    void openEditor()
    {
        editor = std::make_shared<FakeEditor>();
        action->editInEditor(editor);
    }
    std::shared_ptr<TestAction> action;
    std::shared_ptr<FakeEditor> editor;
};

TEST_F(QVEActionEditingTest, EditingCycle)
{
    EXPECT_FALSE(action->edit()) << "no editor is open yet";
    EXPECT_FALSE(action->editorWantKeyEvent());
    EXPECT_EQ(action->undoManager(), nullptr);

    openEditor();
    EXPECT_EQ(editor->action, action.get());
    ASSERT_NE(action->undoManager(), nullptr);
    EXPECT_EQ(action->windowWillReturnUndoManager(), action->undoManager());
    EXPECT_TRUE(action->hasEditor());
    EXPECT_TRUE(action->edit());
    EXPECT_EQ(editor->fronts, 1);

    // The type proposes; the editor shows and answers what was typed.
    action->setPossibleNameValue("Proposed");
    action->setPossibleDescriptionValue("Does things");
    QImage image(8, 8, QImage::Format_ARGB32);
    image.fill(Qt::blue);
    action->setPossibleImageValue(image);
    EXPECT_EQ(editor->proposedName, "Proposed");
    EXPECT_EQ(editor->proposedDescription, "Does things");
    EXPECT_EQ(editor->proposedImage, image);
    editor->typedName = "Typed";
    EXPECT_EQ(action->possibleNameValue(), "Typed");

    // Raw keys go action -> editor -> type.
    action->wantsKeys = true;
    EXPECT_TRUE(action->editorWantKeyEvent());
    QKeyEvent key(QEvent::KeyPress, Qt::Key_F5, Qt::NoModifier);
    action->editorKeyEvent(&key);
    EXPECT_EQ(action->keys, QList<int>{Qt::Key_F5});

    action->windowDidBecomeKey();
    EXPECT_EQ(app.arranged, 1);

    // Validation commits and drops the 32 x 32 image.
    EXPECT_EQ(action->imageValue().pixelColor(0, 0), QColor("black"));
    action->type("color", "red");
    EXPECT_EQ(action->imageValue().pixelColor(0, 0), QColor("black")) << "kept until validated";
    EXPECT_TRUE(action->willValidateEditing());
    EXPECT_EQ(action->imageValue().pixelColor(0, 0), QColor("red"));
    QUndoStack* undo = action->undoManager();
    action->releaseEditor();
    EXPECT_FALSE(action->hasEditor());
    EXPECT_FALSE(action->edit());

    // A second edit keeps the same undo stack.
    openEditor();
    EXPECT_EQ(action->undoManager(), undo);
}

TEST_F(QVEActionEditingTest, CloseEditorCancelsTheEditAndReleasesTheEditor)
{
    action->closeEditor(); // nothing open: nothing happens

    openEditor();
    std::weak_ptr<FakeEditor> weak = editor;
    action->type("text", "changed");
    editor.reset();
    action->closeEditor();
    EXPECT_FALSE(action->hasEditor());
    EXPECT_EQ(action->editedDictValue().value("actiondata").toMap().value("text"), "a");
    EXPECT_EQ(action->dictValue().value("actioneditorrect").toString(), "{{100, 50}, {420, 300}}");
    // The editor outlives its own abortEditing() call, and then goes.
    EXPECT_FALSE(weak.expired());
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(weak.expired());
}

TEST_F(QVEActionEditingTest, TestWhileEditingSendsTheEditedParameters)
{
    utility.running = {"Zelk"};
    openEditor();
    action->type("text", "edited");
    action->test();

    const auto posted = platform->postedNotifications();
    ASSERT_EQ(posted.size(), 1);
    EXPECT_EQ(posted[0].name, "QVEditorNotification");
    EXPECT_EQ(posted[0].userInfo.value("action"), "runaction");
    const QVariantMap sent = posted[0].userInfo.value("param0").toMap();
    EXPECT_EQ(sent.value("actiondata").toMap().value("text"), "edited");
    EXPECT_EQ(sent.value("actionID").toLongLong(), 5);
    EXPECT_TRUE(utility.alerts.isEmpty());
    // The stored record is not touched by the test.
    EXPECT_EQ(action->dataValue().value("text"), "a");
    EXPECT_EQ(action->dictValue().value("actiondata").toMap().value("text"), "a");
}

TEST_F(QVEActionEditingTest, TestWithoutEditorSendsTheSavedForm)
{
    utility.running = {"Zelk"};
    action->testEditedObject();
    const auto posted = platform->postedNotifications();
    ASSERT_EQ(posted.size(), 1);
    EXPECT_EQ(posted[0].userInfo.value("param0").toMap(), action->dictValue());
}

TEST_F(QVEActionEditingTest, TestWithTheEngineStoppedAlertsAndSendsNothing)
{
    action->test();
    EXPECT_TRUE(platform->postedNotifications().isEmpty());
    ASSERT_EQ(utility.alerts.size(), 1);
    EXPECT_EQ(utility.alerts[0].title, "The action can't be tested.");
    EXPECT_EQ(utility.alerts[0].message, "Zelk is not running. Start it, then test the action again.");
    EXPECT_EQ(utility.alerts[0].button1, "OK");

    // A type that cannot run alone neither sends nor alerts.
    utility.alerts.clear();
    action->testable = false;
    action->test();
    EXPECT_TRUE(utility.alerts.isEmpty());
    EXPECT_TRUE(platform->postedNotifications().isEmpty());
}

TEST_F(QVEActionEditingTest, DisplayNotValidAlertsWithTheName)
{
    action->displayNotValid();
    ASSERT_EQ(utility.alerts.size(), 1);
    EXPECT_EQ(utility.alerts[0].title, "The action “Test” is not valid.");
    EXPECT_EQ(utility.alerts[0].message, "");
}

TEST_F(QVEActionEditingTest, ShowHelpUsesTheClassBundlesSubject)
{
    auto plain = QVEAction::actionWithRecord({{"actionclass", "QVEAction"}, {"actionID", 1}});
    ASSERT_TRUE(plain);
    plain->showHelp();
    EXPECT_EQ(app.helpSubjects, QStringList{"Actions"});
}

TEST_F(QVEActionEditingTest, LinksKeepOneEntryPerUse)
{
    FakeUser menu, palette, stranger;
    EXPECT_FALSE(action->isUsed());
    EXPECT_FALSE(action->isLinkedToObject(nullptr));
    action->addLinkedObject(&menu);
    action->addLinkedObject(&menu);
    action->addLinkedObject(&palette);
    EXPECT_TRUE(action->isUsed());
    EXPECT_TRUE(action->isLinkedToObject(&menu));
    EXPECT_FALSE(action->isLinkedToObject(&stranger));
    EXPECT_FALSE(action->isLinkedToObject(nullptr));

    action->removeLinkedObject(&stranger);
    EXPECT_EQ(action->linkedObjects(), (QList<QVEMainObject*>{&menu, &menu, &palette}));
    action->removeLinkedObject(&menu);
    EXPECT_EQ(action->linkedObjects(), (QList<QVEMainObject*>{&menu, &palette}));
}

TEST_F(QVEActionEditingTest, DeletionOfAUsedActionAsksFirst)
{
    EXPECT_TRUE(action->canDeleteWithMessage(true)) << "unused: nothing to ask";
    FakeUser shortcut;
    action->addLinkedObject(&shortcut);
    action->addLinkedObject(&shortcut);

    EXPECT_FALSE(action->canDeleteWithMessage(false));
    EXPECT_TRUE(utility.alerts.isEmpty()) << "without message nothing is asked";

    utility.answer = 0; // "Annuler"
    EXPECT_FALSE(action->canDeleteWithMessage(true));
    ASSERT_EQ(utility.alerts.size(), 1);
    EXPECT_EQ(utility.alerts[0].title, "The action “Test” is used 2 time(s).");
    EXPECT_EQ(utility.alerts[0].button1, "Delete");
    EXPECT_EQ(utility.alerts[0].button2, "Cancel");
    EXPECT_EQ(action->linkedObjects().size(), 2);

    utility.answer = 1; // "Supprimer"
    EXPECT_TRUE(action->canDeleteWithMessage(true));
}

TEST_F(QVEActionEditingTest, RemoveAllLinkedObjectEndsWhenAUserRefuses)
{
    FakeUser shortcut, editedMenu(/*editorOpen=*/true);
    action->addLinkedObject(&shortcut);
    action->addLinkedObject(&editedMenu);
    action->addLinkedObject(&shortcut);

    action->removeAllLinkedObject();
    EXPECT_EQ(shortcut.calls, 2);
    EXPECT_EQ(editedMenu.calls, 1);
    EXPECT_EQ(action->linkedObjects(), QList<QVEMainObject*>{&editedMenu});
}

TEST_F(QVEActionEditingTest, WillDeleteAbortsTheEditorOfAnOldActionOnly)
{
    FakeUser shortcut;
    action->addLinkedObject(&shortcut);
    action->setIsNew(true);
    openEditor();
    action->willDelete();
    EXPECT_EQ(editor->aborts, 0) << "a new action's editor is the one deleting it";
    EXPECT_TRUE(action->hasEditor());
    EXPECT_FALSE(action->isUsed());

    auto old = makeTestAction(6);
    auto oldEditor = std::make_shared<FakeEditor>();
    old->editInEditor(oldEditor);
    old->addLinkedObject(&shortcut);
    old->willDelete();
    EXPECT_EQ(oldEditor->aborts, 1);
    EXPECT_FALSE(old->hasEditor());
    EXPECT_FALSE(old->isUsed());
}

} // namespace
} // namespace zelk::test
