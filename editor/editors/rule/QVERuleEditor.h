#pragma once
// QVERuleEditor: the rules of a context (ContextRule {ruletype,
// ruleactive, ruleparams}): new records, one-line labels, and the shared
// modal panel that edits one rule. Type 0 (every key combination off)
// only shows its title; type 1 (one combination off) captures the
// combination to exclude, with the engine's hot keys off while the panel
// is up. The panel keeps an undo stack of its own, cleared at each edit.
#include <QObject>
#include <QUndoStack>
#include <QVariantMap>
#include <optional>

class QDialog;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QStackedWidget;

namespace editor {

class QVERuleEditor : public QObject {
    Q_OBJECT
public:
    static QVERuleEditor& sharedEditor();
    static QVariantMap newRuleDataForType(int type);
    static QString labelOfRule(const QVariantMap& rule);

    // The edited rule, or nothing when the user cancels.
    std::optional<QVariantMap> editRuleParameters(const QVariantMap& rule, const QString& title);

    bool editorWantKeyEvent() const;
    // The key event of the key field: false when it keeps its ordinary meaning.
    bool editorKeyEvent(QKeyEvent* event);
    void setOneKeyKeycode(int code, const QString& undoString);
    int lastKeyKeycode() const { return m_lastKeyKeycode; }
    void stopPanel();
    void abortPanel();

    QDialog* panel() const { return m_panel; }
    QUndoStack* undoManager() { return &m_undoManager; }
    QUndoStack* windowWillReturnUndoManager() { return &m_undoManager; }

private:
    QVERuleEditor();
    void showKeycode();

    QDialog* m_panel = nullptr;
    QStackedWidget* m_pages = nullptr;
    QWidget* m_allKeyPanel = nullptr;
    QWidget* m_oneKeyPanel = nullptr;
    QLabel* m_allKeyTitleField = nullptr;
    QLabel* m_oneKeyTitleField = nullptr;
    QLineEdit* m_oneKeyComboField = nullptr;
    int m_lastKeyKeycode = 0;
    QUndoStack m_undoManager;
};

} // namespace editor
