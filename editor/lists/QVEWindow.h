#pragma once
// The editor's main window: the contexts pane on the left, the shortcuts,
// menus and palettes lists in three tabs ("1", "2", "3") on the right, a
// toolbar with the search field and the add, delete, edit, duplicate and
// Library buttons, and two information lines. One per process.
//
// It connects exactly one list at a time (the selected tab's), routes the
// search text, the buttons and the pane's choice of context to it, saves and
// restores its layout as the "WindowPref" dictionary, asks before quitting
// when closed, and grows editor windows out of their object's row.
//
// The application is reached through QVEWindowApplication, which the
// application object hands over (setApplication); without one, the calls
// that need it are logged and do nothing.
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QList>
#include <QVariantMap>
#include <memory>
#include <optional>

class QLabel;
class QMenu;
class QLineEdit;
class QMainWindow;
class QSplitter;
class QTabWidget;
class QToolBar;
class QToolButton;
class QUndoGroup;
class QWidget;

namespace zelk {
class QVEMainObject;
}

namespace editor {

class QVContext;
class QVEContextsViewer;
class QVEMainModel;
class QVEMainObjectsViewer;
class QVEModelObject;

// What the lists and the contexts pane ask of the main window.
class QVEObjectsWindow {
public:
    virtual ~QVEObjectsWindow() = default;
    virtual void showAllObjects() = 0;
    virtual void showObjectsWithContextID(quint32 contextID, const QString& withTitle) = 0;
    virtual void setTopInfoField(const QString& text) = 0;
    virtual void setBottomInfoField(const QString& text) = 0;
    virtual void updateMainShownObjects() = 0;
    virtual void activateView(QWidget* view) = 0;
    // The pane's selected context: the universal context for its group row,
    // nullptr for another group row or no selection.
    virtual QVContext* selectedContext() const = 0;
};

// What the main window asks of the application object.
class QVEWindowApplication {
public:
    virtual ~QVEWindowApplication() = default;
    // Saves everything and tells the engine.
    virtual void MIUpdateNow() = 0;
    // Whether the last MIUpdateNow failed to write the data files (the user
    // was told); the window then stays open rather than quit unsaved.
    virtual bool lastSaveFailed() const { return false; }
    // Rereads the data files and the stored layouts (throws unsaved changes away).
    virtual void readPrefs() = 0;
    // Shows the Library window.
    virtual void MILibrary() = 0;
    virtual void showHelpWithSubject(const QString& subject) = 0;
    virtual bool dontAnimateEditingWindow() const = 0;
    // Quits the application; the main window calls it through the event loop.
    virtual void terminate() = 0;
    // A menu of the objects that link to one, each item opening its editor
    // (the used-icon menu of the lists); nullptr for none.
    virtual QMenu* menuForObjects(const QList<zelk::QVEMainObject*>& /*objects*/) { return nullptr; }
};

class QVEWindow : public QObject, public QVEObjectsWindow {
    Q_OBJECT
public:
    // Made on the first call, with its window, lists and toolbar.
    static QVEWindow& sharedWindow();
    // A window of its own, outside the shared one (tests).
    static std::unique_ptr<QVEWindow> create();
    ~QVEWindow() override;

    void setApplication(QVEWindowApplication* application);

    // Start-up: prepares the lists, applies the layout held from
    // setWindowPref and shows the window. Called once.
    void display();
    QMainWindow* window() const;

    void setWindowPref(const QVariantMap& windowPref);
    QVariantMap windowPref() const;

    // Switches to the object's tab and, when it has a context, selects that
    // context in the pane and the object's row in the list.
    void showMainObject(QVEMainModel* object);
    void showMainViewerWithIdentifier(int identifier);
    int currentIdentifier() const { return m_lastMainViewerIdentifier; }
    // The screen point at the centre of the object's row in the connected
    // list; none when the object is not a row of it.
    std::optional<QPoint> locationOfObject(QVEModelObject* object) const;

    // Editor windows: shown growing out of the object's row, and shrunk
    // into it before they close (neither when animation is off or the object
    // has no row).
    void maybeAnimateOpen(QWidget* editorWindow, const QRect& frame, QVEModelObject* object);
    void maybeAnimateClose(QWidget* editorWindow, QVEModelObject* object);

    // QVEObjectsWindow
    void showAllObjects() override;
    void showObjectsWithContextID(quint32 contextID, const QString& withTitle) override;
    void setTopInfoField(const QString& text) override;
    void setBottomInfoField(const QString& text) override;
    void updateMainShownObjects() override;
    void activateView(QWidget* view) override;
    QVContext* selectedContext() const override;

    // The window's buttons and menu items.
    void addMainObject();
    void deleteMainObjects();
    void editMainObjects();
    void duplicateMainObjects();
    void displayLibrary();
    void showHelp();
    void find();

    // The close question; true when the window may close.
    bool windowShouldClose();

    // The undo stacks of the managers and the open editors; the active one
    // follows the focused list.
    QUndoGroup* undoGroup() const;

    // The parts, for the application's menus and for tests.
    QVEContextsViewer* contextsViewer() const;
    QVEMainObjectsViewer* mainViewer(int identifier) const;
    QVEMainObjectsViewer* currentMainViewer() const { return m_currentMainViewer; }
    QLineEdit* searchField() const;
    QString topInfoText() const;
    QString bottomInfoText() const;

private:
    QVEWindow();
    struct Parts;

    Parts* m_parts = nullptr;
    QVEWindowApplication* m_application = nullptr;
    QVEMainObjectsViewer* m_currentMainViewer = nullptr;
    int m_lastMainViewerIdentifier = 0;
    QVariantMap m_windowPrefDict;
};

} // namespace editor
