#pragma once
// The editor-window half of the editing convention: what a model asks of
// the one editor window open on it. The windows implement what their kind
// needs; the rest does nothing. The model is the window's delegate and
// keeps the editor from editInEditor() until releaseEditor().
#include <QVariantList>
#include <QVariantMap>

class QKeyEvent;
class QObject;

namespace editor {

class QVShortcut;
class QVLauncher;
class QVContext;
class QVMenu;
class QVPalette;

class QVEObjectEditor {
public:
    virtual ~QVEObjectEditor() = default;

    virtual void displayWithShortcut(QVShortcut*) {}
    virtual void displayWithLauncher(QVLauncher*) {}
    virtual void displayWithContext(QVContext*) {}
    virtual void displayWithMenu(QVMenu*) {}
    virtual void displayWithPalette(QVPalette*) {}
    virtual void makeFront() {}
    // Closes the window without committing (sender nullptr: no sender).
    virtual void abortEditing(QObject* sender) = 0;
    virtual bool wantKeyEvent() { return false; }
    virtual void keyEvent(QKeyEvent*) {}

    // The shortcut editor's working copies.
    virtual QVariantMap editedRunParametersDict() const { return {}; }
    virtual QVariantList editedActionsDictArray() const { return {}; }

    // The launcher editor's USB capture follows its window's key state.
    virtual void windowDidBecomeKey() {}
    virtual void windowDidResignKey() {}
};

} // namespace editor
