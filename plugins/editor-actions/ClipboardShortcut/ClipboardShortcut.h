#pragma once
// The clipboard action type, editing side (ClipboardShortcutCommon.h). One
// view per category: "TextView" (the text, Add, Paste), "DateView" (the
// calendar format with its example and the panel of elements, Add, Paste),
// "EditView" and "CaseView" (the category's models; Add for copy and cut),
// "ReplaceView" (the rules, the selected rule's fields), "SelectionView"
// (Add). Every clipboard action is valid.
//
// The rules are edited in CUTLastRules and reach Rules on validation. Every
// change of the list (add, delete, move, drop, cut, paste) is one step that
// puts the whole list back on undo; a move takes the moved rules out and
// puts them, in their order, before the rule they were dropped on.
// Rules travel on the clipboard as application/x-zelk-Rule, an XML
// property list {RuleDictionary: rules}.
#include "ActionPane.h"
#include "ClipboardShortcut/ClipboardShortcutCommon.h"
#include "ClipboardShortcut/RulesTableView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>

namespace zelk::editor {

class ClipboardShortcut : public ClipboardShortcutCommon<Side>, public RulesTableDelegate {
public:
    static constexpr const char* RuleType = "application/x-zelk-Rule";

    bool initWithDictionaryInEditor(const QVariantMap& record) override;
    void willEditInEditor(QVEActionEditorInterface* editor, QWidget* accessoryView) override;
    bool willValidateEditing() override;
    void abortEditing() override;
    QVariantMap editedDataValue() const override;

    // Text and date.
    bool textShouldEndEditing();
    void modifyDate();
    void insertDateElement(int tag);
    // Check boxes and pop-up.
    void modifyAdd();
    void modifyPaste();
    void modifyAction();
    void setAddPaste(bool add, bool paste, const QString& withCutName, bool isUndo, const QString& undoString);
    void setDate(const QString& date, bool add, bool paste, const QString& withCutName, bool isUndo,
                 const QString& undoString);
    void setActionAdd(int action, bool add, const QString& withCutName, bool isUndo, const QString& undoString);
    void setAction(int action, const QString& withCutName, bool isUndo, const QString& undoString);
    void setAdd(bool add, const QString& withCutName, bool isUndo, const QString& undoString);

    // The selected rule's fields.
    void modifySearch();
    void modifyReplace();
    void modifyCase();
    void setSearch(const QString& search, const QString& replace, bool caseSensitive, int forRuleAtIndex, bool isUndo,
                   const QString& undoString);
    void selectRuleAtIndex(int index);

    // The rule list. Each answers after one undo step named by its title.
    QVariantList rules() const { return CUTLastRules; }
    void addRule();
    void addRules(const QVariantList& rules, const QList<int>& atIndexes, int selectAfterIndex, const QString& undoKey);
    void delSelectedRules();
    void delRulesAtIndexes(const QList<int>& indexes, int selectAfterIndex, const QString& undoKey);
    // The rules at the (ascending) rows go before the rule at toRow (an
    // index of the list before the move; the row count for the end).
    void moveRulesFromIndexes(const QList<int>& rows, int toRow);
    // The whole list and the rows to select: the step every change makes.
    void setRules(const QVariantList& rules, const QList<int>& selectRows, bool isUndo, const QString& undoString);

    // RulesTableDelegate.
    bool canCut() const override { return canClear(); }
    bool canCopy() const override { return canClear(); }
    bool canPaste() const override;
    bool canClear() const override;
    void cutSelectedRules() override;
    void copySelectedRules() override;
    void pastePasteboard() override;
    void clearSelectedRules() override;
    void dropRules(const QList<int>& rows, int atRow, bool copy) override;

private:
    QWidget* makeView(int category);
    void reloadRules(const QList<int>& selectRows);
    QList<int> selectedRows() const;
    void refreshDateExample();
    void closeDateHelpPanel();
    QString suggestedOrTyped(int model, const QString& text, bool add, bool paste) const;

    int CUTLastAction = 0;
    QString CUTLastText;
    QVariantList CUTLastRules;
    QString CUTLastSearch;
    QString CUTLastReplace;
    bool CUTIsModifiedByUser = false;
    bool CUTIsEdited = false;

    QPointer<QPlainTextEdit> CUTTextTextView;
    QPointer<QLineEdit> CUTDateField;
    QPointer<QLabel> CUTDateExampleLabel;
    QPointer<QWidget> CUTDateHelpPanel;
    QPointer<QComboBox> CUTActionButton;
    QPointer<QCheckBox> CUTAddCheck;
    QPointer<QCheckBox> CUTPasteCheck;
    QPointer<RulesTableView> CUTRulesTable;
    QPointer<QLineEdit> CUTSearchField;
    QPointer<QLineEdit> CUTReplaceField;
    QPointer<QCheckBox> CUTCaseCheck;
};

class ClipboardShortcutClass : public QVEActionClass {
    ZELK_EDITOR_ACTION_CLASS(ClipboardShortcut, QVEAction, ClipboardShortcut)
public:
    int familyID() const override { return 1007; }
    QList<int> modelsID() const override { return {1, 2, 3, 4, 5, 11, 12, 6, 7, 8, 9, 10}; }
    int categoryOfAction(int model) const override { return ClipboardShortcutModels::categoryOfAction(model); }
    QString nameOfImageForModelID(int model) const override { return ClipboardShortcut::nameOfImageForModelID(model); }
    QVariantMap newDataForAction(int model) const override;
    QStringList pasteboardTypes() const override;
    QList<int> modelsIDForPasteboard(const QMimeData* pasteboard) const override;
    QVariantList newDatasWithPasteboard(const QMimeData* pasteboard, int forAction) const override;

    QVariantMap dataForAction(int model, const QString& text, bool add, bool paste) const;
    QString nameForAction(int model, const QString& text, bool add, bool paste) const;
};

} // namespace zelk::editor
