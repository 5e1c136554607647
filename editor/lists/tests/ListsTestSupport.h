#pragma once
// The lists' test fixture: the editor's store with a few named objects, a
// main window of the test's own, shown offscreen, and drags and drops made
// of real events carrying the lists' own QMimeData.
#include "EditorTestSupport.h"
#include "ManagerSupport.h"
#include "QVEActionsManager.h"
#include "QVEContextsManager.h"
#include "QVEContextsViewer.h"
#include "QVELaunchersManager.h"
#include "QVEMenusManager.h"
#include "QVEObjectsViewer.h"
#include "QVEPalettesManager.h"
#include "QVEShortcutsManager.h"
#include "QVEWindow.h"
#include "StripedTableView.h"
#include "TableCommandGate.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMainWindow>
#include <QMimeData>
#include <QUndoGroup>
#include <QUndoStack>

namespace editor::test {

class ListsTest : public EditorTest {
protected:
    ListsTest()
    {
        clearStacks();
        setObjectEditorMaker(Kind::Shortcuts, [this] { return openEditor(); });
        setObjectEditorMaker(Kind::Menus, [this] { return openEditor(); });
        setObjectEditorMaker(Kind::Palettes, [this] { return openEditor(); });
        setObjectEditorMaker(Kind::Contexts, [this] { return openEditor(); });
        QApplication::clipboard()->clear();
    }
    ~ListsTest() override
    {
        window.reset();
        for (Kind kind : {Kind::Shortcuts, Kind::Menus, Kind::Palettes, Kind::Contexts})
            setObjectEditorMaker(kind, nullptr);
        clearStacks();
    }

    static void clearStacks()
    {
        for (QUndoStack* stack :
             {QVEShortcutsManager::sharedManager().undoManager(), QVEMenusManager::sharedManager().undoManager(),
              QVEPalettesManager::sharedManager().undoManager(), QVEContextsManager::sharedManager().undoManager(),
              QVELaunchersManager::sharedManager().undoManager(), QVEActionsManager::sharedManager().undoManager()})
            stack->clear();
    }

    std::shared_ptr<QVEObjectEditor> openEditor()
    {
        auto editor = std::make_shared<RecordingEditor>();
        editors.push_back(editor);
        return editor;
    }

    QVShortcut* shortcut(const QString& name, const QList<quint32>& contexts = {0}, const QList<quint32>& actions = {})
    {
        QVariantMap record = QVShortcut::newData();
        record.insert("cutname", name);
        record.insert("cutactions", steps(actions));
        record.insert("cutcontexts", contextRefs(contexts));
        return store->addShortcut(record);
    }
    QVMenu* menu(const QString& name, bool inBar = false)
    {
        QVariantMap record = QVMenu::newData();
        record.insert("menuname", name);
        record.insert("menuinbar", inBar);
        record.insert("menucontexts", contextRefs({0}));
        return store->addMenu(record);
    }

    // A window of the test's own, displayed (the lists connected).
    QVEWindow& showWindow(const QVariantMap& windowPref = {})
    {
        window = QVEWindow::create();
        window->setWindowPref(windowPref);
        window->display();
        QApplication::setActiveWindow(window->window());
        return *window;
    }
    QVEObjectsViewer* viewer(int identifier) const
    {
        return static_cast<QVEObjectsViewer*>(window->mainViewer(identifier));
    }
    StripedTableView* table(int identifier) const { return viewer(identifier)->objectsTable(); }

    // The shown rows' first column, as the user reads it.
    static QStringList shownNames(QVEObjectsViewer* list)
    {
        QStringList names;
        for (int row = 0; row < list->shownCount(); ++row)
            names << list->objectAtShownRow(row)->nameValue();
        return names;
    }
    static void selectRows(QAbstractItemView* view, const QList<int>& rows)
    {
        view->clearSelection();
        for (int row : rows)
            view->selectionModel()->select(view->model()->index(row, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
        if (!rows.isEmpty())
            view->selectionModel()->setCurrentIndex(view->model()->index(rows.last(), 0),
                                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    // The records of the view's selected rows, as its drag would carry them.
    static std::unique_ptr<QMimeData> dragOf(QAbstractItemView* view)
    {
        QModelIndexList rows;
        for (const QModelIndex& index : view->selectionModel()->selectedIndexes())
            if (index.column() == 0)
                rows << index;
        return std::unique_ptr<QMimeData>(view->model()->mimeData(rows));
    }
    // The point on (or, with above, just under the top edge of) an index.
    static QPoint pointOf(QAbstractItemView* view, const QModelIndex& index, bool above = false)
    {
        const QRect rect = view->visualRect(index);
        return above ? QPoint(rect.center().x(), rect.top() + 1) : rect.center();
    }
    struct DropResult {
        bool moveAccepted;
        bool dropAccepted;
        Qt::DropAction action;
    };
    // Moves the drag over the point and drops it there.
    static DropResult drop(QAbstractItemView* view, const QPoint& point, const QMimeData* data,
                           Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
        QDragEnterEvent enter(point, offered, data, Qt::LeftButton, modifiers);
        QApplication::sendEvent(view->viewport(), &enter);
        QDragMoveEvent move(point, offered, data, Qt::LeftButton, modifiers);
        QApplication::sendEvent(view->viewport(), &move);
        QDropEvent dropped(QPointF(point), offered, data, Qt::LeftButton, modifiers);
        QApplication::sendEvent(view->viewport(), &dropped);
        return {move.isAccepted(), dropped.isAccepted(), dropped.dropAction()};
    }

    std::unique_ptr<QVEWindow> window;
    std::vector<std::shared_ptr<RecordingEditor>> editors;
};

} // namespace editor::test
