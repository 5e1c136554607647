#pragma once
// What the application object asks of the editor's windows and views, in
// place of a responder chain:
// - QVECommandTarget: a view that takes the menu bar's edit commands ("cut:",
//   "copy:", "paste:", "clear:", "export:", "edit:", "duplicate:", "run:"...).
//   The focused widget, or the nearest of its parents that is one, is asked;
//   a command is enabled only while that target answers it.
// - QVEMainWindowLink: the main window as the controller drives it.
// - QVETestableEditor: an editor window that can test the object it edits.
//
// Key capture: a window that is a QVEObjectEditor or a
// QVEActionEditorInterface and wants key events gets the key-downs first.
#include <QString>
#include <QVariantMap>

class QUndoGroup;
class QUndoStack;
class QWidget;

namespace editor {

class QVContext;

class QVECommandTarget {
public:
    virtual ~QVECommandTarget() = default;
    // Whether the command may be performed now, on the current selection.
    virtual bool commandEnabled(const QString& command) = 0;
    virtual void performCommand(const QString& command) = 0;
    // The undo stack that Undo and Redo act on while the target has the
    // focus; none leaves them disabled.
    virtual QUndoStack* undoManager() { return nullptr; }
};

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
