#pragma once
// The lists the editor windows share, as RecordListModel configurations:
// launcher and context references (LauncherRef {cutlauncherID,
// cutlauncheractive}, ContextRef {cutcontextID, cutcontextactive}; each
// object listed once) and a shortcut's action steps (ActionRef; the same
// action may stand in several steps). Names and images come from the
// managers' objects.
#include "RecordListModel.h"

#include <QStringList>

namespace editor {

// The keys of a reference list: its ID and active-flag keys.
struct ReferenceKeys {
    QString id;
    QString active;
};
ReferenceKeys launcherReferenceKeys();
ReferenceKeys contextReferenceKeys();
ReferenceKeys actionStepKeys();

// Columns "active" (a check box) and "name" (" <name>" with the icon).
RecordListModel::Config launcherReferencesConfig();
// mayRemove: the window's rule (one context reference must stay).
RecordListModel::Config contextReferencesConfig(std::function<bool(const QList<int>& rows)> mayRemove);
// Columns "step", "active", "name", "repeat", "pause", "resultsuccess",
// "resultfailure".
RecordListModel::Config actionStepsConfig();

// A context's rules (ContextRule {ruletype, ruleactive, ruleparams}):
// columns "active" and "label" (the label given, the "rule%d" image).
// Undo steps name the number of rules, one or more.
RecordListModel::Config contextRulesConfig(std::function<QString(const QVariantMap& rule)> labelOf);

// The active flag of a row negated (no undo); false for a bad row.
bool invertActiveFlag(RecordListModel* list, const QString& activeKey, int row);

} // namespace editor
