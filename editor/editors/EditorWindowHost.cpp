#include "EditorWindowHost.h"

#include "EditorWidgets.h"

#include "ManagerSupport.h"
#include "QVEActionEditor.h"
#include "QVEActionsManager.h"
#include "QVEContextEditor.h"
#include "QVELauncherEditor.h"
#include "QVEShortcutEditor.h"
#include "QVUtility.h"

#include <QWidget>
#include <algorithm>

namespace editor {

namespace {

EditorWindowHost* g_host = nullptr;

} // namespace

void EditorWindowHost::maybeAnimateOpen(QWidget* window, const QRect& frame, const EditedObject&)
{
    if (!window)
        return;
    window->setGeometry(frame);
    window->show();
    window->raise();
    window->activateWindow();
}

void EditorWindowHost::maybeAnimateClose(QWidget*, const EditedObject&) {}

void setEditorWindowHost(EditorWindowHost* host)
{
    g_host = host;
}

EditorWindowHost& editorWindowHost()
{
    static EditorWindowHost fallback;
    return g_host ? *g_host : fallback;
}

void registerObjectEditors()
{
    presentPlainWindowsAsWindows();
    setObjectEditorMaker(ObjectsFile::Shortcuts, [] { return std::make_shared<QVEShortcutEditor>(); });
    setObjectEditorMaker(ObjectsFile::Launchers, [] { return std::make_shared<QVELauncherEditor>(); });
    setObjectEditorMaker(ObjectsFile::Contexts, [] { return std::make_shared<QVEContextEditor>(); });
    QVEActionsManager::sharedManager().setActionEditorMaker([] { return std::make_shared<QVEActionEditor>(); });
}

QRect editorWindowFrame(const QRectF& stored, const QSize& windowSize, const QRect& screen)
{
    if (stored.width() >= 10 && qRound(stored.height()) == windowSize.height()) {
        const QRectF fitted = QVUtility::bestRectFromRect(stored, QRectF(screen), QSizeF(windowSize));
        return fitted.toRect();
    }
    QRect centred(QPoint(), windowSize);
    centred.moveCenter(screen.center());
    return centred;
}

QRect cascadedFrame(const QRect& frame, const QRect& front)
{
    QRect moved = frame;
    if (front.x() >= moved.x())
        moved.moveLeft(front.x() + 20);
    if (front.y() >= moved.y())
        moved.moveTop(front.y() + 20);
    return moved;
}

} // namespace editor
