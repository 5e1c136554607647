// The rule panel and the context editor, driven by their widgets: the
// rule panel's key capture and hot keys, the context's rules through the
// shared list component, what OK writes and Cancel leaves, the identical
// context question.
#include "EditorTestSupport.h"
#include "EditorWindowHost.h"
#include "QVEContextEditor.h"
#include "QVEContextsManager.h"
#include "QVERuleEditor.h"

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QUndoStack>
#include <gtest/gtest.h>

namespace editor::test {
namespace {

constexpr int Cmd = 0x100000, Shift = 0x20000, Pad = 0x200000, Fn = 0x800000;

QVariantMap keyRule(int code, bool active = true)
{
    return {{"ruletype", 1}, {"ruleactive", active}, {"ruleparams", QVariantMap{{"ruleexcludekeycode", code}}}};
}

class RuleEditorTest : public EditorTest {
protected:
    RuleEditorTest()
    {
        m_observer = desktop().addObserver("QVEditorNotification", [this](const QString&, const QVariantMap& info) {
            if (info.value("action") == "deactivatekeycombo")
                hotKeysOff << info.value("param0").toBool();
        });
    }
    QVERuleEditor& panel = QVERuleEditor::sharedEditor();
    template <class W>
    W* control(const char* name)
    {
        W* widget = panel.panel()->findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    // Runs the user's part once the panel is up.
    std::optional<QVariantMap> edit(const QVariantMap& rule, std::function<void()> user)
    {
        bool ran = false;
        QTimer::singleShot(0, panel.panel(), [&] {
            ran = panel.panel()->isVisible();
            panel.panel()->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(panel.panel()));
            user();
            if (panel.panel()->isVisible())
                control<QPushButton>("RECancelButton")->click(); // never left hanging
        });
        auto answer = panel.editRuleParameters(rule, "Title");
        EXPECT_TRUE(ran) << "the panel never showed";
        return answer;
    }
    void typeKey(Qt::Key key, Qt::KeyboardModifiers modifiers)
    {
        auto* field = control<QLineEdit>("REOneKeyComboField");
        field->setFocus();
        QTest::keyClick(field, key, modifiers);
    }
    QList<bool> hotKeysOff;

private:
    zelk::ObserverHandle m_observer;
};

TEST_F(RuleEditorTest, NewRulesAndLabels)
{
    EXPECT_EQ(QVERuleEditor::newRuleDataForType(1), keyRule(0));
    EXPECT_EQ(QVERuleEditor::newRuleDataForType(0),
              (QVariantMap{{"ruletype", 0}, {"ruleactive", true}, {"ruleparams", QVariantMap{}}}));
    EXPECT_EQ(QVERuleEditor::labelOfRule(keyRule(0)), locFormat("DesactiverRaccourci", {QString()}));
    EXPECT_EQ(QVERuleEditor::labelOfRule(keyRule(Cmd | 12)),
              locFormat("DesactiverRaccourci", {QVUtility::sharedUtility().keystrokeStringWithKeycode(Cmd | 12)}));
    EXPECT_EQ(QVERuleEditor::labelOfRule(QVERuleEditor::newRuleDataForType(0)), loc("DesactiverTousRaccourcis"));
    EXPECT_EQ(QVERuleEditor::labelOfRule(QVERuleEditor::newRuleDataForType(7)), QString());
}

TEST_F(RuleEditorTest, KeyCaptureKeepsTheModifierKeysButNotTheNumericPad)
{
    const struct Case {
        const char* name;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int expected; // 0: refused, nothing captured
    } cases[] = {
        {"command-Q", Qt::Key_Q, Qt::ControlModifier, Cmd | 12},
        {"keypad 1 alone", Qt::Key_1, Qt::KeypadModifier, Pad | 83},
        {"command keypad 1 drops the numeric pad", Qt::Key_1, Qt::ControlModifier | Qt::KeypadModifier, Cmd | 83},
        {"F5 alone", Qt::Key_F5, Qt::NoModifier, Fn | 96},
        {"shift-A", Qt::Key_A, Qt::ShiftModifier, Shift | 0},
        {"a plain letter", Qt::Key_A, Qt::NoModifier, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        alerts.clear();
        const auto answer = edit(keyRule(0), [&] {
            typeKey(c.key, c.modifiers);
            control<QPushButton>("REOKButton")->click();
        });
        if (c.expected) {
            ASSERT_TRUE(answer);
            EXPECT_EQ(*answer, keyRule(c.expected));
            EXPECT_TRUE(alerts.empty());
        } else {
            EXPECT_FALSE(answer);
            ASSERT_EQ(alerts.size(), 2u);
            EXPECT_EQ(alerts[0].message, loc("PasToucheModificatrice"));
            EXPECT_EQ(alerts[1].message, loc("AucunRaccourci")) << "OK refused with nothing captured";
        }
    }
    // Caps lock is kept but does not count as a modifier.
    desktop().virtualKeyboardLayout().setCapsLock(true);
    alerts.clear();
    const auto capsAlone = edit(keyRule(Cmd | 12), [&] {
        typeKey(Qt::Key_A, Qt::NoModifier);
        control<QPushButton>("REOKButton")->click();
    });
    const auto capsShift = edit(keyRule(0), [&] {
        typeKey(Qt::Key_A, Qt::ShiftModifier);
        control<QPushButton>("REOKButton")->click();
    });
    desktop().virtualKeyboardLayout().setCapsLock(false);
    ASSERT_TRUE(capsAlone && capsShift);
    EXPECT_EQ(*capsAlone, keyRule(Cmd | 12)) << "refused, the combination unchanged";
    EXPECT_EQ(alerts.size(), 1u);
    EXPECT_EQ(*capsShift, keyRule(0x10000 | Shift | 0));
    EXPECT_EQ(hotKeysOff.size() % 2, 0);
}

TEST_F(RuleEditorTest, UndoInThePanelAndHotKeysBackOnWhateverTheOutcome)
{
    const auto kept = edit(keyRule(Cmd | 12), [&] {
        typeKey(Qt::Key_W, Qt::ControlModifier);
        EXPECT_EQ(panel.lastKeyKeycode(), Cmd | 13);
        EXPECT_EQ(hotKeysOff, QList<bool>({true}));
        panel.undoManager()->undo();
        EXPECT_EQ(panel.lastKeyKeycode(), Cmd | 12);
        EXPECT_EQ(control<QLineEdit>("REOneKeyComboField")->text(),
                  QVUtility::sharedUtility().keystrokeStringWithKeycode(Cmd | 12));
        control<QPushButton>("REOKButton")->click();
    });
    ASSERT_TRUE(kept);
    EXPECT_EQ(*kept, keyRule(Cmd | 12));
    EXPECT_EQ(hotKeysOff, QList<bool>({true, false}));

    // Escape reaches the panel: Cancel, and the hot keys come back on.
    const auto cancelled = edit(keyRule(Cmd | 12), [&] {
        typeKey(Qt::Key_W, Qt::ControlModifier);
        typeKey(Qt::Key_Escape, Qt::NoModifier);
    });
    EXPECT_FALSE(cancelled);
    EXPECT_EQ(hotKeysOff, QList<bool>({true, false, true, false}));
    EXPECT_EQ(panel.undoManager()->count(), 0);

    // A type-0 rule only shows its title; no hot keys switched.
    const auto all = edit(QVERuleEditor::newRuleDataForType(0), [&] { control<QPushButton>("REOKButton")->click(); });
    ASSERT_TRUE(all);
    EXPECT_EQ(*all, QVERuleEditor::newRuleDataForType(0));
    EXPECT_EQ(hotKeysOff.size(), 4);
}

class ContextEditorTest : public EditorTest {
protected:
    ContextEditorTest() { registerObjectEditors(); }
    QVEContextEditor* open(QVContext* context)
    {
        QVEContextsManager::sharedManager().editContextsID({context->IDValue()});
        auto* editor = dynamic_cast<QVEContextEditor*>(context->editor());
        EXPECT_NE(editor, nullptr) << "no context editor opened";
        return editor;
    }
    template <class W>
    static W* control(QVEContextEditor* editor, const char* name)
    {
        W* widget = editor->window()->findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    static void clickOK(QVEContextEditor* editor) { control<QPushButton>(editor, "CEOKButton")->click(); }
    static void rename(QVEContextEditor* editor, const QString& name)
    {
        auto* field = control<QLineEdit>(editor, "CENameField");
        field->setText(name);
        emit field->editingFinished();
    }
    // Answers the rule panel once it is up: OK or Cancel.
    static void answerRulePanel(bool ok)
    {
        QTimer::singleShot(0, QVERuleEditor::sharedEditor().panel(), [ok] {
            QVERuleEditor& panel = QVERuleEditor::sharedEditor();
            if (ok)
                panel.stopPanel();
            else
                panel.abortPanel();
        });
    }
    QVContext* contextWithRules(const QVariantList& rules)
    {
        QVContext* context = addAppContext("gedit");
        context->setRulesDictArray(rules);
        return context;
    }
};

TEST_F(ContextEditorTest, EditsUndoAndOKWritesExactlyTheWorkingCopy)
{
    QVContext* context = contextWithRules({keyRule(Cmd | 1)});
    const QVariantMap before = context->dictValue();
    QVEContextEditor* editor = open(context);
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->window()->windowTitle(), locFormat("TitreContexte", {context->nameValue()}));

    rename(editor, "Writing");
    editor->modifyApplicationFromPath("/opt/tools/Editor.app", false);
    EXPECT_EQ(editor->nameState().name, locFormat("NomContexte1", {"Editor"}));
    EXPECT_EQ(editor->nameState().application, "Editor");
    QUndoStack* undo = context->undoManager();
    undo->undo();
    EXPECT_EQ(editor->nameState().name, "Writing");
    EXPECT_EQ(editor->nameState().application, "gedit");
    undo->redo();
    editor->modifyApplicationFromPath("/opt/tools/Other.app", true);
    EXPECT_EQ(editor->nameState().name, locFormat("NomContexte1", {"Editor"})) << "Option keeps the name";

    answerRulePanel(true);
    control<QTableView>(editor, "CERulesTable")->clearSelection();
    editor->newRuleForType(0);
    ASSERT_EQ(editor->rules()->count(), 2);
    EXPECT_EQ(editor->rules()->recordAt(0).value("ruletype").toInt(), 0) << "nothing selected: row 0";
    EXPECT_EQ(undo->text(undo->index() - 1), locFormat("AnnulerAjouterRegles", {1}));
    EXPECT_EQ(context->dictValue(), before) << "nothing reaches the context before OK";

    clickOK(editor);
    EXPECT_FALSE(context->hasEditor());
    EXPECT_EQ(context->nameValue(), locFormat("NomContexte1", {"Editor"}));
    EXPECT_EQ(context->paramsDict(), (QVariantMap{{"contextactivatedapplication", "Other"}}));
    EXPECT_EQ(context->rulesDictArray(), QVariantList({QVERuleEditor::newRuleDataForType(0), keyRule(Cmd | 1)}));
    EXPECT_FALSE(context->isNew());
    EXPECT_EQ(undo->count(), 0);
}

TEST_F(ContextEditorTest, ANewRuleCancelledInThePanelGoesAgainAnExistingOneStays)
{
    QVContext* context = contextWithRules({keyRule(Cmd | 1), keyRule(Cmd | 2), keyRule(Cmd | 3)});
    QVEContextEditor* editor = open(context);
    ASSERT_TRUE(editor);
    editor->rules()->selectRow(2);
    answerRulePanel(false);
    editor->newRuleForType(1);
    EXPECT_EQ(editor->rules()->count(), 3);
    QUndoStack* undo = context->undoManager();
    ASSERT_EQ(undo->count(), 2) << "added, then removed as a step of its own";
    EXPECT_EQ(undo->text(1), locFormat("AnnulerSupprimerRegles", {1}));

    // Return on the table edits the selected rule; the cancelled panel leaves it.
    editor->window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(editor->window()));
    auto* rulesTable = control<QTableView>(editor, "CERulesTable");
    rulesTable->setFocus();
    editor->rules()->selectRow(1);
    QString shownFor;
    QTimer::singleShot(0, QVERuleEditor::sharedEditor().panel(), [&] {
        QVERuleEditor& panel = QVERuleEditor::sharedEditor();
        if (panel.panel()->isVisible())
            shownFor = QVUtility::sharedUtility().keystrokeStringWithKeycode(quint32(panel.lastKeyKeycode()));
        panel.abortPanel();
    });
    QTest::keyClick(rulesTable, Qt::Key_Return);
    EXPECT_EQ(shownFor, QVUtility::sharedUtility().keystrokeStringWithKeycode(Cmd | 2));
    EXPECT_EQ(editor->rules()->recordAt(1), keyRule(Cmd | 2));
    EXPECT_EQ(undo->count(), 2);

    // Moves go through the shared list: row 0 dropped at row 3.
    editor->rules()->moveRecords({0}, 3);
    EXPECT_EQ(editor->rules()->records(), QVariantList({keyRule(Cmd | 2), keyRule(Cmd | 3), keyRule(Cmd | 1)}));
    undo->undo();
    EXPECT_EQ(editor->rules()->records(), QVariantList({keyRule(Cmd | 1), keyRule(Cmd | 2), keyRule(Cmd | 3)}));

    // The active column inverts without an undo step.
    const QModelIndex active = editor->rules()->index(0, 0);
    auto* table = control<QTableView>(editor, "CERulesTable");
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(active).center());
    EXPECT_FALSE(editor->rules()->recordAt(0).value("ruleactive").toBool());
    EXPECT_EQ(undo->count(), 3);
    control<QPushButton>(editor, "CECancelButton")->click();
    EXPECT_EQ(context->rulesDictArray(), QVariantList({keyRule(Cmd | 1), keyRule(Cmd | 2), keyRule(Cmd | 3)}));
}

TEST_F(ContextEditorTest, AnEmptyNameIsRefusedAndCancelDeletesANewContext)
{
    QVContext* context = addAppContext("gedit");
    context->setIsNew(true);
    const quint32 id = context->IDValue();
    QVEContextEditor* editor = open(context);
    ASSERT_TRUE(editor);
    rename(editor, "");
    clickOK(editor);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, loc("NomContexteVide"));
    EXPECT_TRUE(context->hasEditor());
    editor->window()->close();
    EXPECT_EQ(QVEContextsManager::sharedManager().contextWithID(id), nullptr);
}

TEST_F(ContextEditorTest, IdenticalContextAsksThenSubstitutesANewOneWithoutAQuestion)
{
    QVContext* kept = addAppContext("gedit");
    QVContext* edited = addAppContext("other");
    const quint32 keptID = kept->IDValue(), editedID = edited->IDValue();
    addAction(1, "Alpha");
    QVShortcut* shortcut = addShortcut({1}, {}, {editedID});
    QVEContextEditor* editor = open(edited);
    ASSERT_TRUE(editor);
    editor->modifyApplicationFromPath("/usr/bin/gedit", true);
    answerAlerts({1}); // "Modifier"
    clickOK(editor);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].title, loc("ContexteIdentique1"));
    EXPECT_TRUE(editor->window()->isVisible());
    answerAlerts({0}); // "Substituer"
    clickOK(editor);
    EXPECT_EQ(QVEContextsManager::sharedManager().contextWithID(editedID), nullptr);
    EXPECT_EQ(shortcut->contextsDictArray(), contextRefs({keptID}));

    QVContext* fresh = addAppContext("other");
    fresh->setIsNew(true);
    const quint32 freshID = fresh->IDValue();
    QVEContextEditor* second = open(fresh);
    ASSERT_TRUE(second);
    second->modifyApplicationFromPath("/usr/bin/gedit", true);
    alerts.clear();
    clickOK(second);
    EXPECT_TRUE(alerts.empty());
    EXPECT_EQ(QVEContextsManager::sharedManager().contextWithID(freshID), nullptr);
}

TEST_F(ContextEditorTest, TheUniversalContextHasNoApplicationAndFindsOnlyItself)
{
    QVContext* universal = QVEContextsManager::sharedManager().contextWithID(0);
    ASSERT_NE(universal, nullptr);
    QVEContextEditor* editor = open(universal);
    ASSERT_TRUE(editor);
    EXPECT_FALSE(control<QWidget>(editor, "CEType1View")->isVisible());
    rename(editor, "Everywhere");
    clickOK(editor);
    EXPECT_TRUE(alerts.empty());
    EXPECT_EQ(universal->nameValue(), "Everywhere");
    EXPECT_EQ(universal->paramsDict(), QVariantMap());
}

} // namespace
} // namespace editor::test
