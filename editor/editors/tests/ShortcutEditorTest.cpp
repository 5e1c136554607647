// The shortcut editor opened through its manager and driven by its
// widgets: what OK writes, what Cancel leaves, the reference rules.
#include "EditorTestSupport.h"
#include "EditorWindowHost.h"
#include "ManagerSupport.h"
#include "QVEActionsManager.h"
#include "QVEShortcutEditor.h"
#include "QVERunParamsEditor.h"
#include "QVEShortcutsManager.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QPushButton>
#include <QUndoStack>
#include <QWidget>
#include <gtest/gtest.h>

namespace editor::test {
namespace {

QVariantMap withoutFrame(QVariantMap record)
{
    record.remove("cuteditorrect");
    return record;
}

QList<quint32> stepIDs(const QVariantList& steps)
{
    QList<quint32> ids;
    for (const QVariant& step : steps)
        ids << uintValue(step.toMap().value("cutactionID"));
    return ids;
}

class ShortcutEditorTest : public EditorTest {
protected:
    ShortcutEditorTest() { registerObjectEditors(); }

    QVEShortcutEditor* open(QVShortcut* shortcut)
    {
        QVEShortcutsManager::sharedManager().editObjectsID({shortcut->IDValue()});
        auto* editor = dynamic_cast<QVEShortcutEditor*>(shortcut->editor());
        EXPECT_NE(editor, nullptr) << "no shortcut editor opened";
        return editor;
    }
    template <class W>
    static W* control(QVEShortcutEditor* editor, const char* name)
    {
        W* widget = editor->window()->findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    static void rename(QVEShortcutEditor* editor, const QString& name)
    {
        auto* field = control<QLineEdit>(editor, "SENameField");
        field->setText(name);
        emit field->editingFinished();
    }
};

TEST_F(ShortcutEditorTest, EditsUndoAndOKWritesExactlyTheWorkingCopy)
{
    addAction(1, "Alpha");
    addAction(2, "Beta");
    QVLauncher* launcher = addKeyLauncher(0x100000 | 17);
    QVShortcut* shortcut = addShortcut({1, 2}, {launcher->IDValue()});
    const QVariantMap before = shortcut->dictValue();
    QVEShortcutEditor* editor = open(shortcut);
    ASSERT_TRUE(editor);
    EXPECT_TRUE(editor->window()->isVisible());
    EXPECT_EQ(editor->window()->windowTitle(), locFormat("TitreRaccourci", {shortcut->nameValue()}));

    rename(editor, "Renamed");
    EXPECT_EQ(editor->window()->windowTitle(), locFormat("TitreRaccourci", {"Renamed"}));
    editor->actions()->selectRow(0);
    control<QPushButton>(editor, "SERemoveActionsButton")->click();
    editor->launchers()->selectRow(0);
    control<QPushButton>(editor, "SERemoveLaunchersButton")->click();
    QUndoStack* undo = shortcut->undoManager();
    ASSERT_EQ(undo->count(), 3);
    EXPECT_EQ(undo->text(0), locFormat("AnnulerModifierNomRaccourci", {"Renamed"}));
    EXPECT_EQ(undo->text(1), locFormat("AnnulerSupprimerAction", {"Alpha"}));
    // Ctrl+Z in the window: the launcher comes back.
    editor->window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(editor->window()));
    QTest::keyClick(control<QWidget>(editor, "SELaunchersTable"), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(editor->launchers()->count(), 1);
    EXPECT_EQ(undo->index(), 2);
    EXPECT_EQ(shortcut->dictValue(), before) << "nothing reaches the shortcut before OK";

    control<QPushButton>(editor, "SEOKButton")->click();
    QVariantMap expected = before;
    expected.insert("cutname", "Renamed");
    expected.insert("cutactions", steps({2}));
    const QVariantMap after = shortcut->dictValue();
    EXPECT_EQ(after.value("cutname"), "Renamed");
    EXPECT_EQ(after.value("cutactions"), steps({2}));
    EXPECT_EQ(after.value("cutlaunchers"), before.value("cutlaunchers"));
    EXPECT_EQ(after.value("cutcontexts"), before.value("cutcontexts"));
    EXPECT_EQ(after.value("cutrunparams"), before.value("cutrunparams"));
    expected.insert("cutimage", after.value("cutimage"));
    EXPECT_EQ(withoutFrame(after), withoutFrame(expected));
    EXPECT_FALSE(shortcut->hasEditor());
    EXPECT_FALSE(shortcut->isNew());
    EXPECT_EQ(undo->count(), 0) << "the window's steps end with it";
}

TEST_F(ShortcutEditorTest, CancelLeavesAnOldShortcutAndDeletesANewOne)
{
    addAction(1, "Alpha");
    QVShortcut* shortcut = addShortcut({1});
    const QVariantMap before = shortcut->dictValue();
    QVEShortcutEditor* editor = open(shortcut);
    ASSERT_TRUE(editor);
    rename(editor, "Other");
    editor->actions()->selectRow(0);
    editor->actions()->removeSelected();
    control<QPushButton>(editor, "SECancelButton")->click();
    EXPECT_EQ(withoutFrame(shortcut->dictValue()), withoutFrame(before));
    EXPECT_FALSE(shortcut->hasEditor());

    const qsizetype count = store->count(ObjectsFile::Shortcuts);
    QVEShortcutsManager::sharedManager().newShortcut();
    ASSERT_EQ(store->count(ObjectsFile::Shortcuts), count + 1);
    QVShortcut* added = store->allShortcuts().last();
    ASSERT_TRUE(added->isNew());
    auto* newEditor = dynamic_cast<QVEShortcutEditor*>(added->editor());
    ASSERT_TRUE(newEditor) << "a new shortcut opens its editor";
    control<QPushButton>(newEditor, "SECancelButton")->click();
    EXPECT_EQ(store->count(ObjectsFile::Shortcuts), count);
}

TEST_F(ShortcutEditorTest, CtrlZInTheNameFieldAfterARenameUndoesTheRename)
{
    QVShortcut* shortcut = addShortcut({});
    const QString before = shortcut->nameValue();
    QVEShortcutEditor* editor = open(shortcut);
    ASSERT_TRUE(editor);
    editor->window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(editor->window()));
    auto* field = control<QLineEdit>(editor, "SENameField");
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, "Typed");
    QTest::keyClick(field, Qt::Key_Return);
    ASSERT_EQ(editor->lastName(), "Typed");
    QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(editor->lastName(), before);
    EXPECT_EQ(field->text(), before);
    editor->abortEditing(nullptr);
}

TEST_F(ShortcutEditorTest, AnEmptyNameKeepsTheWindowOpenAndTheShortcutAsItWas)
{
    QVShortcut* shortcut = addShortcut({});
    const QVariantMap before = shortcut->dictValue();
    QVEShortcutEditor* editor = open(shortcut);
    ASSERT_TRUE(editor);
    rename(editor, "");
    EXPECT_FALSE(editor->stopEditing());
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, loc("NomRaccourciVide"));
    EXPECT_TRUE(editor->isEdited());
    EXPECT_EQ(shortcut->dictValue(), before);
    rename(editor, "Named");
    EXPECT_TRUE(editor->stopEditing()) << "a shortcut without steps can be committed";
    EXPECT_EQ(shortcut->nameValue(), "Named");
}

TEST_F(ShortcutEditorTest, ReferencesToMissingObjectsAreLeftOutWhenOpeningAndPasting)
{
    addAction(1, "Alpha");
    QVLauncher* launcher = addKeyLauncher(0x100000 | 17);
    QVariantMap record = QVShortcut::newData();
    record.insert("cutactions", steps({1, 77}));
    record.insert("cutlaunchers", launcherRefs({launcher->IDValue(), 88}));
    record.insert("cutcontexts", contextRefs({0, 99}));
    QVShortcut* shortcut = store->addShortcut(record);
    QVEShortcutEditor* editor = open(shortcut);
    ASSERT_TRUE(editor);
    EXPECT_EQ(stepIDs(editor->actions()->records()), QList<quint32>{1});
    EXPECT_EQ(editor->launchers()->records(), launcherRefs({launcher->IDValue()}));
    EXPECT_EQ(editor->contexts()->records(), contextRefs({0}));

    QVLauncher* second = addKeyLauncher(0x100000 | 18);
    writeRecordsToPasteboard("QVLauncherRefPboardType", launcherRefs({55, second->IDValue()}));
    editor->launchers()->selectRow(0);
    editor->pastePasteboard();
    EXPECT_EQ(editor->launchers()->records(), launcherRefs({launcher->IDValue(), second->IDValue()}));
    EXPECT_EQ(shortcut->undoManager()->text(0), locFormat("AnnulerCollerLanceur", {second->nameValue()}));
}

TEST_F(ShortcutEditorTest, AStepWhoseActionIsDeletedGoesAndAnUndoneRemovalIsNotWritten)
{
    addAction(1, "Alpha");
    addAction(2, "Beta");
    QVShortcut* shortcut = addShortcut({1, 2});
    QVEShortcutEditor* editor = open(shortcut);
    ASSERT_TRUE(editor);
    // Deleted elsewhere: gone from the store, then the notice.
    ASSERT_TRUE(store->removeObject(ObjectsFile::Actions, 2));
    postUpdate(ObjectsFile::Actions, kQVUpdateDelAction, {2});
    EXPECT_EQ(stepIDs(editor->actions()->records()), QList<quint32>{1});
    // The one step left named the shortcut; the removal comes before.
    ASSERT_EQ(shortcut->undoManager()->count(), 2);
    shortcut->undoManager()->undo();
    shortcut->undoManager()->undo();
    EXPECT_EQ(stepIDs(editor->actions()->records()), (QList<quint32>{1, 2}));
    EXPECT_TRUE(editor->stopEditing());
    EXPECT_EQ(stepIDs(shortcut->actionsDictArray()), QList<quint32>{1});
}

TEST_F(ShortcutEditorTest, TheLastContextCannotBeRemovedByHand)
{
    QVShortcut* shortcut = addShortcut({});
    QVEShortcutEditor* editor = open(shortcut);
    ASSERT_TRUE(editor);
    editor->contexts()->selectRow(0);
    EXPECT_FALSE(editor->contexts()->cutSelected());
    EXPECT_EQ(editor->contexts()->count(), 1);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, loc("SeulContextRaccourci"));
    EXPECT_EQ(shortcut->undoManager()->count(), 0);
}

TEST_F(ShortcutEditorTest, ASubstitutedActionIsReplacedInEveryStepAndADeletedOneRemoved)
{
    addAction(1, "Alpha");
    addAction(2, "Beta");
    addAction(3, "Gamma");
    QVShortcut* shortcut = addShortcut({1, 2, 1, 1});
    QVEShortcutEditor* editor = open(shortcut);
    ASSERT_TRUE(editor);
    postSubstitute(ObjectsFile::Actions, 1, 3u);
    EXPECT_EQ(stepIDs(editor->actions()->records()), (QList<quint32>{3, 2, 3, 3}));
    postSubstitute(ObjectsFile::Actions, 2);
    EXPECT_EQ(stepIDs(editor->actions()->records()), (QList<quint32>{3, 3, 3}));
    // Each change is a step: undo gives back the deleted action's step.
    shortcut->undoManager()->undo();
    EXPECT_EQ(stepIDs(editor->actions()->records()), (QList<quint32>{3, 2, 3, 3}));
    editor->abortEditing(nullptr);
}

TEST_F(ShortcutEditorTest, AOneStepShortcutFollowsItsActionsName)
{
    zelk::QVEAction* action = addAction(1, "Alpha");
    QVShortcut* shortcut = addShortcut({});
    QVEShortcutEditor* editor = open(shortcut);
    ASSERT_TRUE(editor);
    writeRecordsToPasteboard("QVActionPboardType", {action->dictValue()});
    editor->pastePasteboard();
    ASSERT_EQ(editor->actions()->count(), 1);
    action->setNameValue("Renamed action");
    postUpdate(ObjectsFile::Actions);
    EXPECT_EQ(editor->lastName(), "Renamed action");
    shortcut->undoManager()->undo();
    EXPECT_EQ(editor->lastName(), shortcut->nameValue());
    editor->abortEditing(nullptr);
}

TEST_F(ShortcutEditorTest, StepsDraggedOntoTheirOwnTableMoveOrWithCopyAddTheSameActionAgain)
{
    addAction(1, "Alpha");
    addAction(2, "Beta");
    QVShortcut* shortcut = addShortcut({1, 2});
    QVEShortcutEditor* editor = open(shortcut);
    ASSERT_TRUE(editor);
    RecordListModel* steps = editor->actions();
    std::unique_ptr<QMimeData> dragged(steps->mimeData({steps->index(0, 0)}));
    ASSERT_TRUE(steps->dropMimeData(dragged.get(), Qt::MoveAction, 2, 0, {}));
    EXPECT_EQ(stepIDs(steps->records()), (QList<quint32>{2, 1}));
    EXPECT_EQ(shortcut->undoManager()->text(0), locFormat("AnnulerDeplacerAction", {"Alpha"}));
    std::unique_ptr<QMimeData> copied(steps->mimeData({steps->index(1, 0)}));
    ASSERT_TRUE(steps->dropMimeData(copied.get(), Qt::CopyAction, 0, 0, {}));
    EXPECT_EQ(stepIDs(steps->records()), (QList<quint32>{1, 2, 1}));
    EXPECT_EQ(shortcut->undoManager()->text(1), locFormat("AnnulerCopierAction", {"Alpha"}));
    editor->abortEditing(nullptr);
}

TEST_F(ShortcutEditorTest, LauncherRecordsDroppedFromTheLibraryAreAddedOnceAsReferences)
{
    QVLauncher* first = addKeyLauncher(0x100000 | 17);
    QVLauncher* second = addKeyLauncher(0x100000 | 18);
    QVShortcut* shortcut = addShortcut({}, {first->IDValue()});
    QVEShortcutEditor* editor = open(shortcut);
    ASSERT_TRUE(editor);
    std::unique_ptr<QMimeData> dropped(
        mimeDataWithRecords("QVLauncherPboardType", {first->dictValue(), second->dictValue()}));
    ASSERT_TRUE(editor->launchers()->dropMimeData(dropped.get(), Qt::MoveAction, 0, 0, {}));
    EXPECT_EQ(editor->launchers()->records(), launcherRefs({second->IDValue(), first->IDValue()}));
    EXPECT_EQ(shortcut->undoManager()->text(0), locFormat("AnnulerAjouterLanceur", {second->nameValue()}));
    // A type the table does not take is refused.
    std::unique_ptr<QMimeData> contexts(mimeDataWithRecords("QVContextRefPboardType", contextRefs({0})));
    EXPECT_FALSE(editor->launchers()->dropMimeData(contexts.get(), Qt::CopyAction, 0, 0, {}));
    EXPECT_TRUE(editor->stopEditing());
    EXPECT_EQ(shortcut->launchersDictArray(), launcherRefs({second->IDValue(), first->IDValue()}));
}

TEST_F(ShortcutEditorTest, DuplicatedStepsKeepTheirPlaceAndParametersWithACopyOfTheAction)
{
    addAction(1, "Alpha");
    QVShortcut* shortcut = addShortcut({1, 1}); // two steps: the one-step naming stays out
    QVEShortcutEditor* editor = open(shortcut);
    ASSERT_TRUE(editor);
    QVariantMap step = editor->actions()->recordAt(0);
    step.insert("cutactionactive", false);
    step.insert("cutactionrunparams", QVariantMap{{"runrepeatnum", 4}, {"runrepeatpause", 1.0}});
    editor->actions()->replaceRecord(0, step);
    editor->actions()->selectRow(0);
    editor->substituteSelectedActionsWithCopies();
    const QVariantMap copy = editor->actions()->recordAt(0);
    const quint32 copyID = uintValue(copy.value("cutactionID"));
    ASSERT_NE(copyID, 1u);
    ASSERT_TRUE(store->actionWithID(copyID));
    EXPECT_EQ(store->actionWithID(copyID)->nameValue(), QString("Alpha %1").arg(loc("Copie")));
    EXPECT_EQ(copy.value("cutactionactive"), false);
    EXPECT_EQ(copy.value("cutactionrunparams"), step.value("cutactionrunparams"));
    EXPECT_EQ(uintValue(editor->actions()->recordAt(1).value("cutactionID")), 1u);
    EXPECT_EQ(shortcut->undoManager()->count(), 0) << "duplicating is no undo step";
    editor->abortEditing(nullptr);
}

TEST_F(ShortcutEditorTest, RunParametersComeFromThePanelAndCancelKeepsThem)
{
    QVShortcut* shortcut = addShortcut({});
    QVEShortcutEditor* editor = open(shortcut);
    ASSERT_TRUE(editor);
    RunParamsPanel& panel = QVERunParamsEditor::sharedEditor();
    auto answerPanel = [&](const std::function<void()>& user) {
        QTimer::singleShot(0, panel.panel(), user);
        control<QPushButton>(editor, "SERunParametersButton")->click();
    };
    answerPanel([&] {
        auto* times = panel.panel()->findChild<QLineEdit*>("RPTimesField");
        times->setText("3");
        panel.stopPanel();
    });
    EXPECT_EQ(editor->editedRunParametersDict().value("runrepeatnum").toLongLong(), 3);
    EXPECT_EQ(control<QLabel>(editor, "SERunParametersField")->text(),
              QVERunResultParamsEditor::labelOfRunParametersDict(editor->editedRunParametersDict()));
    answerPanel([&] { panel.abortPanel(); });
    EXPECT_EQ(editor->editedRunParametersDict().value("runrepeatnum").toLongLong(), 3);
    EXPECT_TRUE(editor->stopEditing());
    EXPECT_EQ(shortcut->runParametersDict().value("runrepeatnum").toLongLong(), 3);
}

// A main window that records what the editors ask of it.
class RecordingHost : public EditorWindowHost {
public:
    void maybeAnimateOpen(QWidget* window, const QRect& frame, const EditedObject& object) override
    {
        calls << QString("open %1 %2").arg(object.kind).arg(object.id);
        EditorWindowHost::maybeAnimateOpen(window, frame, object);
    }
    void maybeAnimateClose(QWidget*, const EditedObject& object) override
    {
        calls << QString("close %1 %2").arg(object.kind).arg(object.id);
    }
    void addWindowsItem(QWidget* window, const QString& title) override
    {
        calls << "add " + title;
        windows << window;
    }
    void changeWindowsItem(QWidget*, const QString& title) override { calls << "change " + title; }
    void removeWindowsItem(QWidget* window) override
    {
        calls << "remove";
        windows.removeAll(window);
    }
    QStringList calls;
    QList<QWidget*> windows;
};

TEST_F(ShortcutEditorTest, TheMainWindowGrowsAndShrinksTheWindowAndKeepsTheWindowsMenu)
{
    RecordingHost host;
    setEditorWindowHost(&host);
    QVShortcut* shortcut = addShortcut({});
    const QString id = QString::number(shortcut->IDValue());
    QVEShortcutEditor* editor = open(shortcut);
    ASSERT_TRUE(editor);
    rename(editor, "Renamed");
    EXPECT_TRUE(editor->stopEditing());
    EXPECT_EQ(host.calls, (QStringList{"add " + locFormat("TitreRaccourci", {"Shortcut 0"}), "open 3 " + id,
                                       "change " + locFormat("TitreRaccourci", {"Renamed"}), "close 3 " + id,
                                       "remove"}));

    // A new shortcut taken back while its editor is open leaves no entry.
    host.calls.clear();
    QVEShortcutsManager::sharedManager().newShortcut();
    QVShortcut* added = store->allShortcuts().last();
    ASSERT_TRUE(added->hasEditor());
    ASSERT_EQ(host.windows.size(), 1);
    ASSERT_TRUE(store->removeObject(ObjectsFile::Shortcuts, added->IDValue()));
    EXPECT_TRUE(host.windows.isEmpty());
    setEditorWindowHost(nullptr);
}

TEST_F(ShortcutEditorTest, PlacementUsesAUsableStoredFrameAndCascades)
{
    const QRect screen(0, 0, 1000, 800);
    const QSize size(400, 300);
    EXPECT_EQ(editorWindowFrame(QRectF(50, 60, 400, 300), size, screen), QRect(50, 60, 400, 300));
    EXPECT_EQ(editorWindowFrame(QRectF(900, 5, 400, 300), size, screen), QRect(600, 20, 400, 300));
    EXPECT_EQ(editorWindowFrame(QRectF(50, 60, 5, 300), size, screen), QRect(300, 250, 400, 300));
    EXPECT_EQ(editorWindowFrame(QRectF(50, 60, 400, 299), size, screen), QRect(300, 250, 400, 300));
    EXPECT_EQ(cascadedFrame(QRect(100, 100, 400, 300), QRect(100, 100, 400, 300)), QRect(120, 120, 400, 300));
    EXPECT_EQ(cascadedFrame(QRect(100, 100, 400, 300), QRect(50, 50, 400, 300)), QRect(100, 100, 400, 300));
}

} // namespace
} // namespace editor::test
