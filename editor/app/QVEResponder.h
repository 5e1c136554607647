#pragma once
// What the application object asks of the editor's windows, in place of a
// responder chain (the edit commands go through the lists' table-command
// gate, TableCommandGate):
// - QVEMainWindowLink: the main window as the controller drives it.
// - QVETestableEditor: an editor window that can test the object it edits.
//
// Key capture: a window that is a QVEObjectEditor or a
// QVEActionEditorInterface and wants key events gets the key-downs first.
#include <QString>
#include <QVariantMap>

class QUndoGroup;
class QWidget;

namespace editor {

class QVContext;

class QVEMainWindowLink {
public:
    virtual ~QVEMainWindowLink() = default;
    // Prepares the lists, applies the layout last handed over and shows the window.
    virtual void display() = 0;
    virtual void setWindowPref(const QVariantMap& pref) = 0;
    virtual QVariantMap windowPref() = 0;
    virtual QWidget* window() = 0;
    // The context selected in the contexts pane; nullptr for none.
    virtual QVContext* selectedContext() = 0;
    // The window's undo group, whose active stack follows the focused list;
    // none: the menu bar keeps one of its own.
    virtual QUndoGroup* undoGroup() { return nullptr; }
};

class QVETestableEditor {
public:
    virtual ~QVETestableEditor() = default;
    virtual void testEditedObject() = 0;
};

} // namespace editor
