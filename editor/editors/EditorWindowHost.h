#pragma once
// The seam between the editor windows and the main window: an editor hands
// its window to the host to grow it out of its object's row and to shrink
// it back, and keeps the Windows menu told. The main window registers
// itself as the host; without one a window is shown and closed directly.
//
// registerObjectEditors() gives the managers the makers of this module's
// windows (shortcut, launcher, context and action editors); the
// application calls it once.
#include "ObjectsFile.h"

#include <QRect>
#include <QString>

class QUndoStack;
class QWidget;

namespace editor {

// The object a window edits, as the lists know it.
struct EditedObject {
    ObjectsFile::Kind kind = ObjectsFile::Shortcuts;
    quint32 id = 0;
};

class EditorWindowHost {
public:
    virtual ~EditorWindowHost() = default;
    // Shows the window at the frame (global, top-left origin) as the key
    // window; the default shows it directly.
    virtual void maybeAnimateOpen(QWidget* window, const QRect& frame, const EditedObject& object);
    // The window is about to close; the default does nothing.
    virtual void maybeAnimateClose(QWidget* window, const EditedObject& object);
    // The Windows menu.
    virtual void addWindowsItem(QWidget* /*window*/, const QString& /*title*/) {}
    virtual void changeWindowsItem(QWidget* /*window*/, const QString& /*title*/) {}
    virtual void removeWindowsItem(QWidget* /*window*/) {}
    // Shows the Library on a list (0 launchers, 1 actions, 2 contexts).
    virtual void displayLibrary(int /*list*/) {}
    // An editor window became key: its undo stack is the one Edit's Undo
    // and Redo act on (the application's undo group follows it).
    virtual void undoStackActivated(QUndoStack* /*stack*/) {}
};

// Not owned; nullptr gives the default back.
void setEditorWindowHost(EditorWindowHost* host);
EditorWindowHost& editorWindowHost();

// Registers the shortcut, launcher, context and action editor makers with
// the managers.
void registerObjectEditors();

// Placement of a new editor window: at the stored frame's origin, pushed
// inside the screen 20 points below its top, when the stored frame is
// usable (width at least 10, the window's own height); else centred.
QRect editorWindowFrame(const QRectF& stored, const QSize& windowSize, const QRect& screen);
// Cascade under a window of the same kind in front: 20 points right of
// and below it when it stands at or right of and at or below ours.
QRect cascadedFrame(const QRect& frame, const QRect& front);

} // namespace editor
