#include "QVEWindow.h"

#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QUndoGroup>

namespace editor {

struct QVEWindow::Parts {
    QMainWindow window;
    QLineEdit* searchField = nullptr;
    QLabel* topInfo = nullptr;
    QLabel* bottomInfo = nullptr;
    QUndoGroup undoGroup;
};

QVEWindow& QVEWindow::sharedWindow()
{
    static QVEWindow* window = new QVEWindow;
    return *window;
}

QVEWindow::QVEWindow() : m_parts(new Parts) {}
QVEWindow::~QVEWindow() { delete m_parts; }

void QVEWindow::setApplication(QVEWindowApplication* application) { m_application = application; }
void QVEWindow::display() { m_parts->window.show(); }
QMainWindow* QVEWindow::window() const { return &m_parts->window; }
void QVEWindow::setWindowPref(const QVariantMap& windowPref) { m_windowPrefDict = windowPref; }
QVariantMap QVEWindow::windowPref() const { return m_windowPrefDict; }
void QVEWindow::showMainObject(QVEMainModel*) {}
void QVEWindow::showMainViewerWithIdentifier(int identifier) { m_lastMainViewerIdentifier = identifier; }
std::optional<QPoint> QVEWindow::locationOfObject(QVEModelObject*) const { return std::nullopt; }
void QVEWindow::maybeAnimateOpen(QWidget* editorWindow, const QRect& frame, QVEModelObject*)
{
    editorWindow->setGeometry(frame);
    editorWindow->show();
}
void QVEWindow::maybeAnimateClose(QWidget*, QVEModelObject*) {}
void QVEWindow::showAllObjects() {}
void QVEWindow::showObjectsWithContextID(quint32, const QString&) {}
void QVEWindow::setTopInfoField(const QString&) {}
void QVEWindow::setBottomInfoField(const QString&) {}
void QVEWindow::updateMainShownObjects() {}
void QVEWindow::activateView(QWidget* view) { view->setFocus(); }
QVContext* QVEWindow::selectedContext() const { return nullptr; }
void QVEWindow::addMainObject() {}
void QVEWindow::deleteMainObjects() {}
void QVEWindow::editMainObjects() {}
void QVEWindow::duplicateMainObjects() {}
void QVEWindow::displayLibrary() {}
void QVEWindow::showHelp() {}
void QVEWindow::find() {}
bool QVEWindow::windowShouldClose() { return true; }
QUndoGroup* QVEWindow::undoGroup() const { return &m_parts->undoGroup; }
QVEContextsViewer* QVEWindow::contextsViewer() const { return nullptr; }
QVEMainObjectsViewer* QVEWindow::mainViewer(int) const { return nullptr; }
QLineEdit* QVEWindow::searchField() const { return m_parts->searchField; }
QString QVEWindow::topInfoText() const { return {}; }
QString QVEWindow::bottomInfoText() const { return {}; }

} // namespace editor
