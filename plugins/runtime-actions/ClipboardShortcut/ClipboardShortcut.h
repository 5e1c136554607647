#pragma once
// The clipboard action type, running side (ClipboardShortcutCommon.h). The
// selection of the front application is reached through its own edit
// commands: Command (Ctrl) with C, X or V, posted as key strokes.
//
// After the copy or cut stroke the clipboard's change count is watched (up
// to kChangeWaitSeconds): when it did not change, nothing was selected, and
// the models that work on the selection leave everything as it was instead
// of using the clipboard's former text. The case and rules models restore
// the clipboard the user had; they keep that copy to themselves, so the
// clipboard that model 11 saved (one set for the engine, guarded) stays.
// No model fails: every run ends as a success.
//
// Model 10 takes the files the front file manager copies (text/uri-list).
#include "ActionRunner.h"
#include "ClipboardShortcut/ClipboardShortcutCommon.h"
#include "DesktopServices.h"

namespace zelk::engine {

class ClipboardShortcut : public ClipboardShortcutCommon<Side> {
    ZELK_ACTION_CLASS(ClipboardShortcut, QVAction)
public:
    static constexpr double kChangeWaitSeconds = 1.0;
    // What the front application gets to act on a paste stroke before the
    // clipboard may change again.
    static constexpr double kPasteSeconds = 0.1;

    bool initWithDictionaryInLauncher(const QVariantMap& record) override;
    QString runActionFromObject(const std::shared_ptr<QVActionController>& controller) override;

    static QString copyStringToClipboard(const QString& text, bool add, bool paste, QVActionController& fromObject);
    static QString copyDateToClipboard(const QString& format, bool add, bool paste, QVActionController& fromObject);
    static QString copySelectionToClipboardAndAdd(bool add, QVActionController& fromObject);
    static QString cutSelectionToClipboardAndAdd(bool add, QVActionController& fromObject);
    static QString pasteClipboardFromObject(QVActionController& fromObject);
    static QString upperCaseSelectionFromObject(QVActionController& fromObject);
    static QString lowerCaseSelectionFromObject(QVActionController& fromObject);
    static QString capitalizeWordsSelectionFromObject(QVActionController& fromObject);
    static QString replaceSelectionWithRules(const QVariantList& rules, QVActionController& fromObject);
    static QString copySelectionPathToClipboardAndAdd(bool add, QVActionController& fromObject);
    static QString saveClipboardFromObject(QVActionController& fromObject);
    static QString restoreClipboardFromObject(QVActionController& fromObject);

    // The clipboard's text, the empty string when it holds none.
    static QString clipboardStringValue();
    // "\013" and the like, three decimal digits after a backslash, become
    // the character of that code (1 to 255); anything else stays.
    static QString interpretString(const QString& string);
    // Words (runs between white space) with their first letter upper case
    // and the others lower case.
    static QString capitalizedString(const QString& string);
    // The one rule applied to a text, escapes expanded; an empty search
    // changes nothing.
    static QString applyRule(const QString& text, const QVariantMap& rule);
    // The class-wide saved clipboard (model 11), guarded.
    static void savePasteboard();
    static void restorePasteboard();
    static QList<ClipboardItem> savedPasteboard();

private:
    // The edit stroke (c, x or v with Command); for c and x answers whether
    // the clipboard changed (something was selected).
    static bool strikeEditKey(char32_t key);
    // Copies the selection; the new clipboard text, none when nothing was
    // selected.
    static std::optional<QString> copySelection();
    static QString convertSelection(const std::function<std::optional<QString>(const QString&)>& convert);
};

} // namespace zelk::engine
