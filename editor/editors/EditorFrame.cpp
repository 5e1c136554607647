#include "EditorFrame.h"

#include "EditorWindowHost.h"
#include "Log.h"
#include "ObjectStore.h"
#include "ManagerSupport.h"
#include "ModelSupport.h"
#include "RecordListModel.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QHeaderView>
#include <QMenu>
#include <QTableView>
#include <QUndoStack>
#include <QWidget>

namespace editor {

QTableView* makeEditorTable(const QString& objectName, const QString& accessibleName)
{
    auto* table = new QTableView;
    table->setObjectName(objectName);
    table->setAccessibleName(accessibleName);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setDragDropMode(QAbstractItemView::DragDrop);
    table->setDefaultDropAction(Qt::MoveAction);
    table->setDragDropOverwriteMode(false);
    table->setDropIndicatorShown(true);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(false);
    table->setContextMenuPolicy(Qt::CustomContextMenu);
    table->setWordWrap(false);
    return table;
}

void addEditCommands(QWidget* window, QObject* context, const EditCommands& commands)
{
    auto command = [&](QKeySequence::StandardKey key, const std::function<void()>& run) {
        auto* action = new QAction(window);
        action->setShortcut(key);
        action->setShortcutContext(Qt::WindowShortcut);
        QObject::connect(action, &QAction::triggered, context, run);
        window->addAction(action);
    };
    command(QKeySequence::Undo, [commands] {
        if (QUndoStack* stack = commands.undoStack())
            stack->undo();
    });
    command(QKeySequence::Redo, [commands] {
        if (QUndoStack* stack = commands.undoStack())
            stack->redo();
    });
    command(QKeySequence::Cut, [commands] {
        if (RecordListModel* list = commands.focusedList())
            list->cutSelected();
    });
    command(QKeySequence::Copy, [commands] {
        if (RecordListModel* list = commands.focusedList())
            list->copySelected();
    });
    command(QKeySequence::Paste, [commands] {
        if (commands.focusedList())
            commands.paste();
    });
    command(QKeySequence::Delete, [commands] {
        if (RecordListModel* list = commands.focusedList())
            list->removeSelected();
    });
}

void execTableMenu(QTableView* table, RecordListModel* list, const QPoint& at, QObject* context,
                   const TableCommands& commands)
{
    QMenu menu;
    auto add = [&](const QString& key, bool enabled, const std::function<void()>& run) {
        addMenuCommand(&menu, key, enabled, context, run);
    };
    const bool selected = !list->selectedRows().isEmpty();
    add(QStringLiteral("Couper"), selected, [list] { list->cutSelected(); });
    add(QStringLiteral("Copier"), selected, [list] { list->copySelected(); });
    add(QStringLiteral("Coller"), list->canPaste(generalPasteboard()), commands.paste);
    add(QStringLiteral("Supprimer"), selected, [list] { list->removeSelected(); });
    add(QStringLiteral("Modifier"), selected, commands.edit);
    add(QStringLiteral("Activer"), selected, commands.activate);
    if (commands.more)
        commands.more(&menu, selected);
    menu.exec(table->viewport()->mapToGlobal(at));
}

RecordListModel* focusedListOf(const QList<std::pair<QTableView*, RecordListModel*>>& tables)
{
    QWidget* focus = QApplication::focusWidget();
    for (const auto& [table, list] : tables) {
        if (focus && focus == table)
            return list;
    }
    return nullptr;
}

void pasteIntoFirstTaker(const QList<RecordListModel*>& lists)
{
    const QMimeData* pasteboard = generalPasteboard();
    for (RecordListModel* list : lists) {
        if (list && list->canPaste(pasteboard)) {
            list->paste(pasteboard);
            return;
        }
    }
}

QVariantList knownRecordsOf(const RecordListModel* list, const char* cls)
{
    QVariantList records;
    for (const QVariant& record : list->records()) {
        if (!list->config().isKnown || list->config().isKnown(record.toMap()))
            records << record;
        else
            zelk::zlog(cls, "stopEditing") << "left out a reference to a missing object" << record.toMap();
    }
    return records;
}

void removeMissingRows(RecordListModel* list, const std::function<bool(const QVariantMap&)>& concerned)
{
    if (!list)
        return;
    QList<int> gone;
    for (int row = 0; row < list->count(); ++row) {
        const QVariantMap record = list->recordAt(row);
        if ((!concerned || concerned(record)) && list->config().isKnown && !list->config().isKnown(record))
            gone << row;
    }
    if (!gone.isEmpty())
        list->removeRecords(gone, list->selectedRow());
    list->reload();
}

void substituteRows(RecordListModel* list, const QVariantMap& payload, int kind,
                    const std::function<bool(const QVariantMap& record, quint32 id)>& names,
                    const std::function<QVariantMap(const QVariantMap& real)>& referenceFor)
{
    if (!list || !payload.contains(QStringLiteral("what")))
        return;
    const quint32 what = uintValue(payload.value(QStringLiteral("what")));
    QVariantMap with;
    if (payload.contains(QStringLiteral("with"))) {
        const quint32 withID = uintValue(payload.value(QStringLiteral("with")));
        if (withID == what)
            return;
        if (ObjectStore* store = ObjectStore::sharedStore())
            with = recordOf(*store, ObjectsFile::Kind(kind), withID);
    }
    auto rowOfWhat = [&] {
        for (int row = 0; row < list->count(); ++row) {
            if (names(list->recordAt(row), what))
                return row;
        }
        return -1;
    };
    if (with.isEmpty()) {
        QList<int> rows;
        for (int row = 0; row < list->count(); ++row) {
            if (names(list->recordAt(row), what))
                rows << row;
        }
        if (!rows.isEmpty())
            list->removeRecords(rows, list->selectedRow());
        return;
    }
    // Each pass turns one row of the old object into one of the new, so
    // the walk ends.
    const QVariantMap reference = referenceFor(with);
    for (int row = rowOfWhat(); row >= 0; row = rowOfWhat()) {
        list->removeRecords({row}, row);
        list->addRecords({reference}, {row}, row);
    }
}

void addMenuCommand(QMenu* menu, const QString& key, bool enabled, QObject* context, const std::function<void()>& run)
{
    QAction* item = menu->addAction(loc(key));
    item->setEnabled(enabled);
    QObject::connect(item, &QAction::triggered, context, run);
}

void addNewCaption(QMenu* menu)
{
    auto* caption = new QAction(loc(QStringLiteral("Nouveau...")), menu);
    caption->setEnabled(false);
    menu->insertAction(menu->actions().value(0), caption);
}

void frameAddMenu(QMenu* menu, QObject* context, int libraryList)
{
    addNewCaption(menu);
    if (libraryList < 0)
        return;
    menu->addSeparator();
    QObject::connect(menu->addAction(loc(QStringLiteral("AfficherBibliotheque"))), &QAction::triggered, context,
                     [libraryList] { editorWindowHost().displayLibrary(libraryList); });
}

EditorWindowWatcher::EditorWindowWatcher(std::function<bool()> isEdited, std::function<void()> cancel,
                                         std::function<void()> activated, QObject* parent)
    : QObject(parent), m_isEdited(std::move(isEdited)), m_cancel(std::move(cancel)), m_activated(std::move(activated))
{
}

bool EditorWindowWatcher::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Close && m_isEdited()) {
        event->ignore();
        m_cancel();
        return true;
    }
    if (event->type() == QEvent::WindowActivate && m_activated)
        m_activated();
    return QObject::eventFilter(watched, event);
}

} // namespace editor
