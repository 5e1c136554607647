#pragma once
// Small helpers the editor windows share to build their controls.
#include <QEvent>
#include <QString>
#include <QUndoCommand>
#include <functional>

class QBoxLayout;
class QLineEdit;
class QObject;
class QPushButton;
class QWidget;

namespace editor {

// Names a control for the code (objectName, the system's outlet name) and
// for assistive technologies (its accessible name, a localised text).
template <class Widget>
Widget* named(Widget* widget, const char* objectName, const QString& accessibleName)
{
    widget->setObjectName(QString::fromLatin1(objectName));
    widget->setAccessibleName(accessibleName);
    return widget;
}

// What an editor window's bottom buttons do; without a test, no Test button.
struct EditorButtonActions {
    std::function<void()> help, test, cancel, ok;
};

// The bottom row of an editor window (help, test, then cancel and the
// default OK button on the right) added to its layout, named with the
// window's outlet prefix ("AE": "AEHelpButton"...); answers the OK button.
QPushButton* addEditorButtons(QBoxLayout* layout, const char* prefix, QObject* context,
                              const EditorButtonActions& actions);

// Closing an editor's window by its frame while it edits is Cancel: the
// close is refused and the editing aborted. True when it took the event.
template <class Editor>
bool closeIsCancel(Editor* editor, QEvent* event)
{
    if (event->type() != QEvent::Close || !editor->isEdited())
        return false;
    event->ignore();
    editor->abortEditing(nullptr);
    return true;
}

// A window title format ("TitreRaccourci") filled with the object's name.
QString titleWithName(const QString& format, const QString& name);

// Once a text field's edit is committed (committed() answers true), Undo
// and Redo pressed in it go to the window's own commands rather than to
// the field's text history.
void passUndoToWindowWhenCommitted(QLineEdit* field, std::function<bool()> committed);

// Plain widgets made top-level (the editor windows) are windows to
// assistive technologies too, as dialogs and main windows are: without
// it they are told as groups, and no window of theirs is ever in front.
void presentPlainWindowsAsWindows();

// The editors' modal alert: title and message keys, one "OK" button.
void editorAlert(const QString& titleKey, const QString& messageKey);

// One undoable change of an editor's working state: the state before and
// after, and how to show one. Pushing it applies the new state.
template <class State>
class StateStep : public QUndoCommand {
public:
    StateStep(std::function<void(const State&)> apply, State before, State after, const QString& text)
        : QUndoCommand(text), m_apply(std::move(apply)), m_before(std::move(before)), m_after(std::move(after))
    {
    }
    void redo() override { m_apply(m_after); }
    void undo() override { m_apply(m_before); }

private:
    std::function<void(const State&)> m_apply;
    State m_before, m_after;
};

} // namespace editor
