#include "MainWindowLink.h"

#include "EditorWindowHost.h"
#include "MenuPaletteEditors.h"
#include "QVEContextsManager.h"
#include "QVEController.h"
#include "QVELaunchersManager.h"
#include "QVEMenusManager.h"
#include "QVEPalettesManager.h"
#include "QVEShortcutsManager.h"
#include "QVContext.h"
#include "QVLauncher.h"
#include "QVEWindow.h"

#include <QMainWindow>
#include <QUndoGroup>

namespace editor {
namespace {

// The main window as the controller drives it.
class MainWindow : public QVEMainWindowLink {
public:
    void display() override { QVEWindow::sharedWindow().display(); }
    void setWindowPref(const QVariantMap& pref) override { QVEWindow::sharedWindow().setWindowPref(pref); }
    QVariantMap windowPref() override { return QVEWindow::sharedWindow().windowPref(); }
    QWidget* window() override { return QVEWindow::sharedWindow().window(); }
    QVContext* selectedContext() override { return QVEWindow::sharedWindow().selectedContext(); }
    QUndoGroup* undoGroup() override { return QVEWindow::sharedWindow().undoGroup(); }
};

// The controller as the main window asks it.
class WindowApplication : public QVEWindowApplication {
public:
    explicit WindowApplication(QVEController& controller) : m_controller(controller) {}
    void MIUpdateNow() override { m_controller.MIUpdateNow(); }
    bool lastSaveFailed() const override { return m_controller.lastSaveFailed(); }
    void readPrefs() override { m_controller.readPrefs(); }
    void MILibrary() override { m_controller.MILibrary(); }
    void showHelpWithSubject(const QString& subject) override { m_controller.showHelpWithSubject(subject); }
    bool dontAnimateEditingWindow() const override { return m_controller.dontAnimateEditingWindow(); }
    void terminate() override { m_controller.terminate(); }
    QMenu* menuForObjects(const QList<zelk::QVEMainObject*>& objects) override { return m_controller.menuForObjects(objects); }

private:
    QVEController& m_controller;
};

// The main window as the editor windows ask it: they grow out of their
// object's row, and the window's undo group follows the one in front.
class EditorHost : public EditorWindowHost {
public:
    explicit EditorHost(QVEController& controller) : m_controller(controller) {}

    void maybeAnimateOpen(QWidget* window, const QRect& frame, const EditedObject& object) override
    {
        QVEWindow::sharedWindow().maybeAnimateOpen(window, frame, modelObject(object));
    }
    void maybeAnimateClose(QWidget* window, const EditedObject& object) override
    {
        QVEWindow::sharedWindow().maybeAnimateClose(window, modelObject(object));
    }
    void displayLibrary(int /*list*/) override { m_controller.MILibrary(); }
    void undoStackActivated(QUndoStack* stack) override
    {
        QUndoGroup* group = QVEWindow::sharedWindow().undoGroup();
        if (!group || !stack)
            return;
        if (!group->stacks().contains(stack))
            group->addStack(stack);
        group->setActiveStack(stack);
    }

private:
    // Actions have no row of their own in the main lists.
    static QVEModelObject* modelObject(const EditedObject& object)
    {
        switch (object.kind) {
        case ObjectsFile::Shortcuts: return QVEShortcutsManager::sharedManager().objectWithID(object.id);
        case ObjectsFile::Menus: return QVEMenusManager::sharedManager().objectWithID(object.id);
        case ObjectsFile::Palettes: return QVEPalettesManager::sharedManager().objectWithID(object.id);
        case ObjectsFile::Launchers: return QVELaunchersManager::sharedManager().launcherWithID(object.id);
        case ObjectsFile::Contexts: return QVEContextsManager::sharedManager().contextWithID(object.id);
        case ObjectsFile::Actions: return nullptr;
        }
        return nullptr;
    }

    QVEController& m_controller;
};

} // namespace

void installMainWindow(QVEController& controller)
{
    static MainWindow window;
    static std::unique_ptr<WindowApplication> application;
    static std::unique_ptr<EditorHost> editorHost;
    application = std::make_unique<WindowApplication>(controller);
    editorHost = std::make_unique<EditorHost>(controller);
    // The lists open objects through the managers, which ask these makers.
    registerObjectEditors();
    registerMenuPaletteEditors();
    setEditorWindowHost(editorHost.get());
    controller.setMainWindowMaker([] {
        QVEWindow::sharedWindow().setApplication(application.get());
        return &window;
    });
    QObject::connect(&controller, &QObject::destroyed, [] {
        // The window outlives the controller: it must not call a gone one.
        QVEWindow::sharedWindow().setApplication(nullptr);
        setEditorWindowHost(nullptr);
        editorHost.reset();
        application.reset();
    });
}

} // namespace editor
