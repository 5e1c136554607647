#include "MainWindowLink.h"

#include "QVEController.h"
#include "QVEWindow.h"

#include <QMainWindow>

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

} // namespace

void installMainWindow(QVEController& controller)
{
    static MainWindow window;
    static std::unique_ptr<WindowApplication> application;
    application = std::make_unique<WindowApplication>(controller);
    controller.setMainWindowMaker([] {
        QVEWindow::sharedWindow().setApplication(application.get());
        return &window;
    });
    QObject::connect(&controller, &QObject::destroyed, [] {
        // The window outlives the controller: it must not call a gone one.
        QVEWindow::sharedWindow().setApplication(nullptr);
        application.reset();
    });
}

} // namespace editor
