#include "ClipboardShortcut.h"

#include "FormatText.h"
#include "KeyboardShortcut/CalendarFormat.h"
#include "KeyboardShortcut/KeyboardShortcut.h"
#include "ListMove.h"
#include "Platform.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMimeData>
#include <QPushButton>

namespace zelk::editor {

namespace K = ClipboardShortcutKeys;
namespace M = ClipboardShortcutModels;

namespace {

const ClipboardShortcutClass& cls() { return paneClassObject<ClipboardShortcutClass>(); }

} // namespace

// --- Class side ----------------------------------------------------------------------------------

QVariantMap ClipboardShortcutClass::dataForAction(int model, const QString& text, bool add, bool paste) const
{
    const QVariantMap base{{K::Action, qint64(model)}};
    switch (M::categoryOfAction(model)) {
    case M::TextCategory:
        return {{K::Action, qint64(model)}, {K::Text, text}, {K::Add, add}, {K::Paste, paste}};
    case M::DateCategory:
        return {{K::Action, qint64(model)}, {K::Text, defaultCalendarFormat()}, {K::Add, add}, {K::Paste, paste}};
    case M::EditCategory:
    case M::PathsCategory:
        return {{K::Action, qint64(model)}, {K::Add, add && (M::modelTakesAdd(model) || model == M::SelectionPaths)}};
    case M::CaseCategory:
        return base;
    case M::RulesCategory:
        return {{K::Action, qint64(model)}, {K::Rules, QVariantList()}};
    default:
        return {};
    }
}

QString ClipboardShortcutClass::nameForAction(int model, const QString& text, bool add, bool paste) const
{
    QString name;
    switch (M::categoryOfAction(model)) {
    case M::TextCategory:
        name = localizedStr(add ? QStringLiteral("Ajouter") : QStringLiteral("Copier"))
               + (paste ? localizedStr(QStringLiteral("EtColler")) : QString()) + QStringLiteral(" \"")
               + KeyboardShortcutClass::excerptOfText(text) + QLatin1Char('"');
        break;
    case M::DateCategory:
        name = localizedStr(add ? QStringLiteral("Ajouter") : QStringLiteral("Copier"))
               + (paste ? localizedStr(QStringLiteral("EtColler")) : QString()) + localizedStr(QStringLiteral("LaDate"));
        break;
    case M::EditCategory:
        name = localizedActionName(model) + (M::modelTakesAdd(model) && add ? localizedStr(QStringLiteral("EtAjouter")) : QString());
        break;
    case M::CaseCategory:
    case M::RulesCategory:
    case M::PathsCategory:
        name = localizedActionName(model);
        break;
    default:
        return {};
    }
    name.replace(QLatin1Char('\n'), QLatin1Char(' '));
    name.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return name;
}

QVariantMap ClipboardShortcutClass::newDataForAction(int model) const
{
    return newActionRecord(*this, dataForAction(model, {}, false, true),
                           ActionPane::suggestsNameForNew() ? nameForAction(model, {}, false, true) : QString());
}

QStringList ClipboardShortcutClass::pasteboardTypes() const
{
    return {QStringLiteral("text/plain"), QString::fromLatin1(kFilenamesPboardType)};
}

QList<int> ClipboardShortcutClass::modelsIDForPasteboard(const QMimeData* pasteboard) const
{
    if (!pasteboard)
        return {};
    // File names come first (an empty list of them offers text too): file
    // managers put the names as text beside them.
    if (pasteboard->hasFormat(QString::fromLatin1(kFilenamesPboardType))) {
        for (const QString& file : filePathsOfPasteboard(pasteboard))
            if (!QVEAction::isTextFileAtPath(resolvedPath(file)))
                return {};
        return {M::PutText};
    }
    if (pasteboard->hasText())
        return {M::PutText};
    return {};
}

QVariantList ClipboardShortcutClass::newDatasWithPasteboard(const QMimeData* pasteboard, int forAction) const
{
    if (!pasteboard)
        return {};
    const bool suggest = ActionPane::suggestsNameForNew();
    QVariantList records;
    const auto add = [&](const QString& text) {
        records.append(newActionRecord(*this, dataForAction(forAction, text, false, true),
                                       suggest ? nameForAction(forAction, text, false, true) : QString()));
    };
    if (pasteboard->hasFormat(QString::fromLatin1(kFilenamesPboardType))) {
        for (const QString& file : filePathsOfPasteboard(pasteboard))
            add(QVEAction::stringWithPath(resolvedPath(file)));
        return records;
    }
    if (pasteboard->hasText())
        add(pasteboard->text());
    return records;
}

// --- Reading, the editing cycle ------------------------------------------------------------------

bool ClipboardShortcut::initWithDictionaryInEditor(const QVariantMap& record)
{
    if (!ActionPane::initWithDictionaryInEditor(record))
        return false;
    readParameters(CUTPersoDict);
    return true;
}

void ClipboardShortcut::willEditInEditor(QVEActionEditorInterface* editor, QWidget* accessoryView)
{
    ActionPane::willEditInEditor(editor, accessoryView);
    const int cat = category();
    if (cat == 0)
        return;
    CUTView = paneView(cat, [this, cat] { return makeView(cat); });
    CUTLastAction = CUTAction;
    switch (cat) {
    case M::TextCategory:
        CUTTextTextView->setPlainText(CUTText);
        CUTAddCheck->setChecked(CUTAdd);
        CUTPasteCheck->setChecked(CUTPaste);
        break;
    case M::DateCategory:
        CUTLastText = CUTText;
        CUTDateField->setText(CUTText);
        CUTAddCheck->setChecked(CUTAdd);
        CUTPasteCheck->setChecked(CUTPaste);
        CUTDateHelpPanel->show();
        CUTDateHelpPanel->raise();
        refreshDateExample();
        break;
    case M::EditCategory:
        selectItemWithTag(CUTActionButton, CUTLastAction);
        CUTAddCheck->setChecked(CUTAdd && M::modelTakesAdd(CUTLastAction));
        CUTAddCheck->setEnabled(M::modelTakesAdd(CUTLastAction));
        break;
    case M::CaseCategory:
        selectItemWithTag(CUTActionButton, CUTLastAction);
        break;
    case M::RulesCategory:
        CUTLastRules = CUTRules;
        CUTRulesTable->setRulesDelegate(this);
        reloadRules(CUTLastRules.isEmpty() ? QList<int>() : QList<int>{0});
        break;
    case M::PathsCategory:
        CUTAddCheck->setChecked(CUTAdd);
        break;
    default:
        break;
    }
    CUTIsModifiedByUser = false;
    CUTIsEdited = true;
    showPaneView(accessoryView, CUTView);
}

QVariantMap ClipboardShortcut::editedDataValue() const
{
    QVariantMap data = CUTPersoDict;
    if (!CUTIsEdited)
        return data;
    switch (category()) {
    case M::TextCategory:
        data.insert(K::Text, CUTTextTextView->toPlainText());
        data.insert(K::Add, CUTAddCheck->isChecked());
        data.insert(K::Paste, CUTPasteCheck->isChecked());
        break;
    case M::DateCategory:
        data.insert(K::Text, CUTDateField->text());
        data.insert(K::Add, CUTAddCheck->isChecked());
        data.insert(K::Paste, CUTPasteCheck->isChecked());
        break;
    case M::EditCategory:
        data.insert(K::Action, qint64(CUTLastAction));
        data.insert(K::Add, CUTAddCheck->isChecked() && M::modelTakesAdd(CUTLastAction));
        break;
    case M::CaseCategory:
        data.insert(K::Action, qint64(CUTLastAction));
        break;
    case M::RulesCategory:
        data.insert(K::Rules, CUTLastRules);
        break;
    case M::PathsCategory:
        data.insert(K::Add, CUTAddCheck->isChecked());
        break;
    default:
        break;
    }
    return data;
}

bool ClipboardShortcut::willValidateEditing()
{
    if (CUTIsEdited && category() != 0) {
        CUTPersoDict = editedDataValue();
        CUTAction = CUTPersoDict.value(K::Action).toInt();
        readParameters(CUTPersoDict);
    }
    abortEditing();
    return ActionPane::willValidateEditing();
}

void ClipboardShortcut::abortEditing()
{
    if (CUTRulesTable)
        CUTRulesTable->setRulesDelegate(nullptr);
    closeDateHelpPanel();
    CUTLastRules.clear();
    CUTLastText.clear();
    CUTLastSearch.clear();
    CUTLastReplace.clear();
    CUTIsEdited = false;
}

// --- Text and date ----------------------------------------------------------------------------------

QString ClipboardShortcut::suggestedOrTyped(int model, const QString& text, bool add, bool paste) const
{
    return suggestsNameForModified() ? cls().nameForAction(model, text, add, paste) : possibleNameValue();
}

bool ClipboardShortcut::textShouldEndEditing()
{
    if (CUTIsEdited && CUTTextTextView && suggestsNameForModified())
        setPossibleNameValue(cls().nameForAction(M::PutText, CUTTextTextView->toPlainText(), CUTAddCheck->isChecked(),
                                                 CUTPasteCheck->isChecked()));
    return true;
}

void ClipboardShortcut::refreshDateExample()
{
    if (CUTDateExampleLabel && CUTDateField)
        CUTDateExampleLabel->setText(stringForDateFormat(CUTDateField->text()));
}

void ClipboardShortcut::closeDateHelpPanel()
{
    if (CUTDateHelpPanel)
        CUTDateHelpPanel->close();
}

void ClipboardShortcut::modifyDate()
{
    if (!CUTIsEdited || !CUTDateField)
        return;
    const QString date = CUTDateField->text();
    if (date == CUTLastText)
        return;
    CUTIsModifiedByUser = true;
    setDate(date, CUTAddCheck->isChecked(), CUTPasteCheck->isChecked(), possibleNameValue(), false,
            fillFormat(localizedStr(QStringLiteral("AnnulerModifierDate")), {date}));
}

void ClipboardShortcut::insertDateElement(int tag)
{
    if (!CUTDateField)
        return;
    editor::insertDateElement(cls(), CUTDateField, tag);
    refreshDateExample();
}

// --- Check boxes and pop-up ----------------------------------------------------------------------------

void ClipboardShortcut::modifyAdd()
{
    if (!CUTIsEdited || !CUTAddCheck)
        return;
    const bool add = CUTAddCheck->isChecked();
    CUTAddCheck->setChecked(!add);
    const QString undo = localizedStr(QStringLiteral("AnnulerAjouter%1").arg(add ? 1 : 0));
    switch (category()) {
    case M::TextCategory:
        setAddPaste(add, CUTPasteCheck->isChecked(),
                    suggestedOrTyped(M::PutText, CUTTextTextView->toPlainText(), add, CUTPasteCheck->isChecked()), false, undo);
        break;
    case M::DateCategory:
        setDate(CUTDateField->text(), add, CUTPasteCheck->isChecked(),
                suggestedOrTyped(M::PutDate, CUTDateField->text(), add, CUTPasteCheck->isChecked()), false, undo);
        break;
    case M::EditCategory:
        setActionAdd(CUTLastAction, add, suggestedOrTyped(CUTLastAction, {}, add, false), false, undo);
        break;
    case M::PathsCategory:
        setAdd(add, suggestedOrTyped(M::SelectionPaths, {}, add, false), false, undo);
        break;
    default:
        break;
    }
}

void ClipboardShortcut::modifyPaste()
{
    if (!CUTIsEdited || !CUTPasteCheck)
        return;
    const bool paste = CUTPasteCheck->isChecked();
    CUTPasteCheck->setChecked(!paste);
    const QString undo = localizedStr(QStringLiteral("AnnulerColler%1").arg(paste ? 1 : 0));
    if (category() == M::TextCategory)
        setAddPaste(CUTAddCheck->isChecked(), paste,
                    suggestedOrTyped(M::PutText, CUTTextTextView->toPlainText(), CUTAddCheck->isChecked(), paste), false, undo);
    else if (category() == M::DateCategory)
        setDate(CUTDateField->text(), CUTAddCheck->isChecked(), paste,
                suggestedOrTyped(M::PutDate, CUTDateField->text(), CUTAddCheck->isChecked(), paste), false, undo);
}

void ClipboardShortcut::modifyAction()
{
    if (!CUTIsEdited || !CUTActionButton)
        return;
    const int tag = tagOfItem(CUTActionButton, CUTActionButton->currentIndex());
    if (tag == CUTLastAction)
        return;
    const bool add = CUTAddCheck && CUTAddCheck->isChecked();
    const QString name = suggestedOrTyped(tag, {}, add, false);
    const QString undo = fillFormat(localizedStr(QStringLiteral("AnnulerModifierAction")), {CUTActionButton->currentText()});
    if (M::categoryOfAction(tag) == M::CaseCategory)
        setAction(tag, name, false, undo);
    else
        setActionAdd(tag, add, name, false, undo);
}

void ClipboardShortcut::setAddPaste(bool add, bool paste, const QString& withCutName, bool isUndo, const QString& undoString)
{
    if (!registerUndo(
            isUndo, undoString,
            [this, oldAdd = CUTAddCheck->isChecked(), oldPaste = CUTPasteCheck->isChecked(), oldName = possibleNameValue()] {
                setAddPaste(oldAdd, oldPaste, oldName, true, {});
            },
            [=, this] { setAddPaste(add, paste, withCutName, true, {}); }))
        return;
    CUTAddCheck->setChecked(add);
    CUTPasteCheck->setChecked(paste);
    setPossibleNameValue(withCutName);
}

void ClipboardShortcut::setDate(const QString& date, bool add, bool paste, const QString& withCutName, bool isUndo,
                                const QString& undoString)
{
    if (!registerUndo(
            isUndo, undoString,
            [this, oldDate = CUTLastText, oldAdd = CUTAddCheck->isChecked(), oldPaste = CUTPasteCheck->isChecked(),
             oldName = possibleNameValue()] { setDate(oldDate, oldAdd, oldPaste, oldName, true, {}); },
            [=, this] { setDate(date, add, paste, withCutName, true, {}); }))
        return;
    if (date != CUTLastText) {
        CUTLastText = date;
        if (CUTDateField) {
            CUTDateField->setText(date);
            if (!CUTIsModifiedByUser)
                CUTDateField->selectAll();
        }
    }
    CUTIsModifiedByUser = false;
    refreshDateExample();
    CUTAddCheck->setChecked(add);
    CUTPasteCheck->setChecked(paste);
    setPossibleNameValue(withCutName);
}

void ClipboardShortcut::setActionAdd(int action, bool add, const QString& withCutName, bool isUndo, const QString& undoString)
{
    if (!registerUndo(
            isUndo, undoString,
            [this, old = CUTLastAction, oldAdd = CUTAddCheck->isChecked(), oldName = possibleNameValue()] {
                setActionAdd(old, oldAdd, oldName, true, {});
            },
            [=, this] { setActionAdd(action, add, withCutName, true, {}); }))
        return;
    setAction(action, withCutName, true, {});
    const bool takesAdd = M::modelTakesAdd(action);
    CUTAddCheck->setChecked(add && takesAdd);
    CUTAddCheck->setEnabled(takesAdd);
}

void ClipboardShortcut::setAction(int action, const QString& withCutName, bool isUndo, const QString& undoString)
{
    if (!registerUndo(
            isUndo, undoString,
            [this, old = CUTLastAction, oldName = possibleNameValue()] { setAction(old, oldName, true, {}); },
            [=, this] { setAction(action, withCutName, true, {}); }))
        return;
    if (action != CUTLastAction) {
        setPossibleDescriptionValue(cls().descriptionOfModelID(action));
        CUTLastAction = action;
    }
    if (CUTActionButton)
        selectItemWithTag(CUTActionButton, action);
    setPossibleNameValue(withCutName);
}

void ClipboardShortcut::setAdd(bool add, const QString& withCutName, bool isUndo, const QString& undoString)
{
    if (!registerUndo(
            isUndo, undoString,
            [this, oldAdd = CUTAddCheck->isChecked(), oldName = possibleNameValue()] { setAdd(oldAdd, oldName, true, {}); },
            [=, this] { setAdd(add, withCutName, true, {}); }))
        return;
    CUTAddCheck->setChecked(add);
    setPossibleNameValue(withCutName);
}

// --- The selected rule ----------------------------------------------------------------------------------------

QList<int> ClipboardShortcut::selectedRows() const
{
    return CUTRulesTable ? CUTRulesTable->selectedRows() : QList<int>();
}

void ClipboardShortcut::selectRuleAtIndex(int index)
{
    if (index < 0 || index >= CUTLastRules.size())
        return;
    const QVariantMap rule = CUTLastRules.at(index).toMap();
    CUTLastSearch = rule.value(K::Search).toString();
    CUTLastReplace = rule.value(K::Replace).toString();
    CUTSearchField->setText(CUTLastSearch);
    CUTReplaceField->setText(CUTLastReplace);
    CUTCaseCheck->setChecked(M::ruleIsCaseSensitive(rule));
}

void ClipboardShortcut::modifySearch()
{
    const QList<int> rows = selectedRows();
    if (!CUTIsEdited || CUTLastRules.isEmpty() || rows.isEmpty() || CUTSearchField->text() == CUTLastSearch)
        return;
    const QString search = CUTSearchField->text();
    CUTIsModifiedByUser = true;
    setSearch(search, CUTLastReplace, CUTCaseCheck->isChecked(), rows.first(), false,
              fillFormat(localizedStr(QStringLiteral("AnnulerModifierSearch")), {search}));
}

void ClipboardShortcut::modifyReplace()
{
    const QList<int> rows = selectedRows();
    if (!CUTIsEdited || CUTLastRules.isEmpty() || rows.isEmpty() || CUTReplaceField->text() == CUTLastReplace)
        return;
    const QString replace = CUTReplaceField->text();
    CUTIsModifiedByUser = true;
    setSearch(CUTLastSearch, replace, CUTCaseCheck->isChecked(), rows.first(), false,
              fillFormat(localizedStr(QStringLiteral("AnnulerModifierReplace")), {replace}));
}

void ClipboardShortcut::modifyCase()
{
    const QList<int> rows = selectedRows();
    if (!CUTIsEdited || CUTLastRules.isEmpty() || rows.isEmpty())
        return;
    const bool state = CUTCaseCheck->isChecked();
    CUTCaseCheck->setChecked(!state);
    setSearch(CUTLastSearch, CUTLastReplace, state, rows.first(), false,
              localizedStr(QStringLiteral("AnnulerCasse%1").arg(state ? 1 : 0)));
}

void ClipboardShortcut::setSearch(const QString& search, const QString& replace, bool caseSensitive, int forRuleAtIndex,
                                  bool isUndo, const QString& undoString)
{
    if (forRuleAtIndex < 0 || forRuleAtIndex >= CUTLastRules.size())
        return;
    const QVariantMap old = CUTLastRules.at(forRuleAtIndex).toMap();
    if (!registerUndo(
            isUndo, undoString,
            [this, old, forRuleAtIndex] {
                setSearch(old.value(K::Search).toString(), old.value(K::Replace).toString(), M::ruleIsCaseSensitive(old),
                          forRuleAtIndex, true, {});
            },
            [=, this] { setSearch(search, replace, caseSensitive, forRuleAtIndex, true, {}); }))
        return;
    QVariantMap rule = old;
    rule.insert(K::Search, search);
    rule.insert(K::Replace, replace);
    rule.insert(K::Case, caseSensitive);
    CUTLastRules[forRuleAtIndex] = rule;
    const bool byUser = CUTIsModifiedByUser;
    CUTIsModifiedByUser = false;
    reloadRules({forRuleAtIndex});
    if (!byUser && search != old.value(K::Search).toString())
        CUTSearchField->selectAll();
    if (!byUser && replace != old.value(K::Replace).toString())
        CUTReplaceField->selectAll();
}

// --- The rule list ------------------------------------------------------------------------------------------------

void ClipboardShortcut::reloadRules(const QList<int>& selectRows)
{
    if (!CUTRulesTable)
        return;
    const QSignalBlocker blocker(CUTRulesTable);
    CUTRulesTable->setRowCount(int(CUTLastRules.size()));
    for (int row = 0; row < CUTLastRules.size(); ++row) {
        const QVariantMap rule = CUTLastRules.at(row).toMap();
        const QString cells[] = {rule.value(K::Search).toString(), rule.value(K::Replace).toString(),
                                 localizedStr(M::ruleIsCaseSensitive(rule) ? QStringLiteral("Yes") : QStringLiteral("No"))};
        for (int column = 0; column < 3; ++column) {
            QTableWidgetItem* item = CUTRulesTable->item(row, column);
            if (!item) {
                item = new QTableWidgetItem;
                CUTRulesTable->setItem(row, column, item);
            }
            item->setText(cells[column]);
        }
    }
    CUTRulesTable->clearSelection();
    for (int row : selectRows)
        if (row >= 0 && row < CUTLastRules.size())
            CUTRulesTable->selectionModel()->select(CUTRulesTable->model()->index(row, 0),
                                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    const QList<int> selected = selectedRows();
    if (!selected.isEmpty()) {
        CUTRulesTable->scrollToItem(CUTRulesTable->item(selected.first(), 0));
        selectRuleAtIndex(selected.first());
    } else {
        CUTLastSearch.clear();
        CUTLastReplace.clear();
        CUTSearchField->clear();
        CUTReplaceField->clear();
        CUTCaseCheck->setChecked(true);
    }
}

void ClipboardShortcut::setRules(const QVariantList& rules, const QList<int>& selectRows, bool isUndo,
                                 const QString& undoString)
{
    if (!registerUndo(
            isUndo, undoString,
            [this, old = CUTLastRules, oldSelection = selectedRows()] { setRules(old, oldSelection, true, {}); },
            [=, this] { setRules(rules, selectRows, true, {}); }))
        return;
    CUTLastRules = rules;
    reloadRules(selectRows);
}

void ClipboardShortcut::addRule()
{
    if (!CUTIsEdited)
        return;
    const QList<int> rows = selectedRows();
    const int at = rows.isEmpty() ? 0 : rows.last() + 1;
    addRules({M::newRule()}, {at}, at, QStringLiteral("AnnulerAjouterRegle"));
}

void ClipboardShortcut::addRules(const QVariantList& rules, const QList<int>& atIndexes, int selectAfterIndex,
                                 const QString& undoKey)
{
    QList<int> select;
    const QVariantList list = listWithInsertedItems(CUTLastRules, rules, atIndexes, selectAfterIndex, &select);
    if (!select.isEmpty())
        setRules(list, select, false, fillFormat(localizedStr(undoKey), {int(rules.size())}));
}

void ClipboardShortcut::delSelectedRules()
{
    const QList<int> rows = selectedRows();
    if (!CUTIsEdited || rows.isEmpty())
        return;
    delRulesAtIndexes(rows, rows.first(), QStringLiteral("AnnulerSupprimerRegle"));
}

void ClipboardShortcut::delRulesAtIndexes(const QList<int>& indexes, int selectAfterIndex, const QString& undoKey)
{
    QList<int> select;
    int removed = 0;
    const QVariantList list = listWithoutRows(CUTLastRules, indexes, selectAfterIndex, &select, &removed);
    if (removed > 0)
        setRules(list, select, false, fillFormat(localizedStr(undoKey), {removed}));
}

void ClipboardShortcut::moveRulesFromIndexes(const QList<int>& rows, int toRow)
{
    const std::optional<MovedList> moved = movedList(CUTLastRules, rows, toRow);
    if (!moved)
        return;
    setRules(moved->list, moved->rows, false,
             fillFormat(localizedStr(QStringLiteral("AnnulerDeplacerRegle")), {int(moved->rows.size())}));
}

bool ClipboardShortcut::canClear() const { return CUTIsEdited && !selectedRows().isEmpty(); }

bool ClipboardShortcut::canPaste() const { return CUTIsEdited && clipboardHasListItems(QString::fromLatin1(RuleType)); }

void ClipboardShortcut::copySelectedRules()
{
    QVariantList rules;
    for (int row : selectedRows())
        rules.append(CUTLastRules.at(row));
    putListItemsOnClipboard(QString::fromLatin1(RuleType), QStringLiteral("RuleDictionary"), rules);
}

void ClipboardShortcut::cutSelectedRules()
{
    const QList<int> rows = selectedRows();
    if (rows.isEmpty())
        return;
    copySelectedRules();
    delRulesAtIndexes(rows, rows.first(), QStringLiteral("AnnulerCouperRegle"));
}

void ClipboardShortcut::clearSelectedRules()
{
    const QList<int> rows = selectedRows();
    if (rows.isEmpty())
        return;
    delRulesAtIndexes(rows, rows.first(), QStringLiteral("AnnulerEffacerRegle"));
}

void ClipboardShortcut::pastePasteboard()
{
    if (!CUTIsEdited)
        return;
    const QVariantList rules = listItemsOnClipboard(QString::fromLatin1(RuleType), QStringLiteral("RuleDictionary"));
    if (rules.isEmpty())
        return;
    const QList<int> rows = selectedRows();
    // After the selected row; at the top when none is.
    const int first = rows.isEmpty() ? 0 : rows.last() + 1;
    QList<int> at;
    for (int k = 0; k < rules.size(); ++k)
        at.append(first + k);
    addRules(rules, at, first, QStringLiteral("AnnulerCollerRegle"));
}

void ClipboardShortcut::dropRules(const QList<int>& rows, int atRow, bool copy)
{
    if (!CUTIsEdited)
        return;
    if (!copy) {
        moveRulesFromIndexes(rows, atRow);
        return;
    }
    QVariantList rules;
    QList<int> at;
    for (int k = 0; k < rows.size(); ++k) {
        rules.append(CUTLastRules.value(rows.at(k)));
        at.append(atRow + k);
    }
    addRules(rules, at, atRow, QStringLiteral("AnnulerCopierRegle"));
}

// --- Views ----------------------------------------------------------------------------------------------------------

QWidget* ClipboardShortcut::makeView(int category)
{
    static const char* const viewNames[] = {"", "TextView", "DateView", "EditView", "CaseView", "ReplaceView", "SelectionView"};
    auto* view = new QWidget;
    view->setObjectName(QString::fromLatin1(viewNames[category]));
    auto* form = new QFormLayout(view);
    const auto check = [&](QPointer<QCheckBox>& slot, const char* name, const char* title, void (ClipboardShortcut::*handler)()) {
        slot = new QCheckBox(localizedStr(QString::fromLatin1(title)), view);
        slot->setObjectName(QString::fromLatin1(name));
        QObject::connect(slot, &QCheckBox::clicked, view, [this, handler] { (this->*handler)(); });
        form->addRow(QString(), slot);
    };
    switch (category) {
    case M::TextCategory:
        CUTTextTextView = new QPlainTextEdit(view);
        CUTTextTextView->setObjectName(QStringLiteral("CUTTextTextView"));
        CUTTextTextView->setAccessibleName(localizedStr(QStringLiteral("TextLabel")));
        onFocusOut(CUTTextTextView, [this] { textShouldEndEditing(); });
        form->addRow(localizedStr(QStringLiteral("TextLabel")), CUTTextTextView);
        break;
    case M::DateCategory:
        CUTDateField = new QLineEdit(view);
        CUTDateField->setObjectName(QStringLiteral("CUTDateField"));
        CUTDateField->setAccessibleName(localizedStr(QStringLiteral("DateLabel")));
        QObject::connect(CUTDateField, &QLineEdit::editingFinished, view, [this] { modifyDate(); });
        form->addRow(localizedStr(QStringLiteral("DateLabel")), CUTDateField);
        CUTDateExampleLabel = new QLabel(view);
        CUTDateExampleLabel->setObjectName(QStringLiteral("CUTDateExampleLabel"));
        form->addRow(localizedStr(QStringLiteral("DateExampleLabel")), CUTDateExampleLabel);
        CUTDateHelpPanel = makeDateHelpPanel(cls(), view, [this](int tag) { insertDateElement(tag); });
        break;
    case M::EditCategory:
    case M::CaseCategory:
        CUTActionButton = new QComboBox(view);
        CUTActionButton->setObjectName(QStringLiteral("CUTActionButton"));
        CUTActionButton->setAccessibleName(localizedStr(QStringLiteral("ActionLabel")));
        fillModelPopUp(CUTActionButton, cls(), editor::modelsOfCategory(cls(), category));
        QObject::connect(CUTActionButton, &QComboBox::activated, view, [this] { modifyAction(); });
        form->addRow(localizedStr(QStringLiteral("ActionLabel")), CUTActionButton);
        break;
    case M::RulesCategory: {
        CUTRulesTable = new RulesTableView(view);
        CUTRulesTable->setObjectName(QStringLiteral("CUTRulesTable"));
        CUTRulesTable->setAccessibleName(localizedStr(QStringLiteral("RulesLabel")));
        CUTRulesTable->setHorizontalHeaderLabels({localizedStr(QStringLiteral("search")), localizedStr(QStringLiteral("replace")),
                                                  localizedStr(QStringLiteral("case"))});
        QObject::connect(CUTRulesTable, &QTableWidget::itemSelectionChanged, view, [this] {
            const QList<int> rows = selectedRows();
            if (!rows.isEmpty())
                selectRuleAtIndex(rows.first());
        });
        form->addRow(CUTRulesTable);
        auto* buttons = new QHBoxLayout;
        auto* add = new QPushButton(localizedStr(QStringLiteral("AddRuleButton")), view);
        add->setObjectName(QStringLiteral("CUTAddRuleButton"));
        QObject::connect(add, &QPushButton::clicked, view, [this] { addRule(); });
        auto* remove = new QPushButton(localizedStr(QStringLiteral("DelRuleButton")), view);
        remove->setObjectName(QStringLiteral("CUTDelRuleButton"));
        QObject::connect(remove, &QPushButton::clicked, view, [this] { delSelectedRules(); });
        buttons->addWidget(add);
        buttons->addWidget(remove);
        buttons->addStretch();
        form->addRow(buttons);
        CUTSearchField = new QLineEdit(view);
        CUTSearchField->setObjectName(QStringLiteral("CUTSearchField"));
        CUTSearchField->setAccessibleName(localizedStr(QStringLiteral("SearchLabel")));
        QObject::connect(CUTSearchField, &QLineEdit::editingFinished, view, [this] { modifySearch(); });
        form->addRow(localizedStr(QStringLiteral("SearchLabel")), CUTSearchField);
        CUTReplaceField = new QLineEdit(view);
        CUTReplaceField->setObjectName(QStringLiteral("CUTReplaceField"));
        CUTReplaceField->setAccessibleName(localizedStr(QStringLiteral("ReplaceLabel")));
        QObject::connect(CUTReplaceField, &QLineEdit::editingFinished, view, [this] { modifyReplace(); });
        form->addRow(localizedStr(QStringLiteral("ReplaceLabel")), CUTReplaceField);
        check(CUTCaseCheck, "CUTCaseCheck", "CaseCheck", &ClipboardShortcut::modifyCase);
        return view;
    }
    default:
        break;
    }
    if (category == M::TextCategory || category == M::DateCategory || category == M::EditCategory
        || category == M::PathsCategory)
        check(CUTAddCheck, "CUTAddCheck", "AddCheck", &ClipboardShortcut::modifyAdd);
    if (category == M::TextCategory || category == M::DateCategory)
        check(CUTPasteCheck, "CUTPasteCheck", "PasteCheck", &ClipboardShortcut::modifyPaste);
    return view;
}

ZELK_REGISTER_ACTION_PANE(ClipboardShortcutClass)

} // namespace zelk::editor
