#pragma once
// The contexts pane: every context grouped by type under a first row that
// stands for all objects. Choosing a row filters the connected main list;
// shortcuts, menus and palettes dropped on a context are linked to it
// (moved from the selected context unless Alt is held), and an application
// file dropped on a type group becomes a context of that type.
//
// The universal context has no row of its own: the universal group's row
// (always the second) stands for it.
#include "NotificationCenter.h"
#include "QVETableVerbTarget.h"

#include <QAbstractItemModel>
#include <QObject>
#include <QPointer>

class QAbstractButton;

namespace editor {

class QVContext;
class QVEObjectsWindow;
class QVEOutlineView;

class ContextsOutlineModel : public QAbstractItemModel {
public:
    enum class ItemKind { None, AllObjects, UniversalGroup, TypeGroup, Context };

    explicit ContextsOutlineModel(QObject* parent = nullptr) : QAbstractItemModel(parent) {}
    // Rebuilds the groups from the contexts manager.
    void reloadContexts();

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    // The records of the dragged contexts (the universal group's row gives
    // the universal context); nullptr when another group row is among them.
    QMimeData* mimeData(const QModelIndexList& indexes) const override;

    ItemKind itemKind(const QModelIndex& index) const;
    int groupType(const QModelIndex& index) const; // -1 all objects, else the type
    // The context of a row: its own, the universal one for the universal
    // group's row, nullptr for another group row.
    QVContext* objectForItem(const QModelIndex& index) const;
    QModelIndex indexOfContext(const QVContext* context) const;
    QModelIndex indexOfGroup(int type) const;

private:
    struct Group {
        int type;
        QList<quint32> ids;
    };
    QList<Group> m_groups; // shown top-level rows, in order
};

class QVEContextsViewer : public QObject, public QVETableVerbTarget {
    Q_OBJECT
public:
    QVEContextsViewer(QVEOutlineView* outline, QAbstractButton* deleteButton, QVEObjectsWindow* window,
                      QObject* parent = nullptr);
    ~QVEContextsViewer() override;

    void initViewer();
    void connectViewer();
    void disconnectViewer();
    void updateViewer();
    void reselectViewer() { selectionDidChange(); }
    void showItem(QVContext* context, bool select = true);
    QVContext* selectedObject() const;
    QList<quint32> selectedContextsIDArray() const;
    int selectedContextIndex() const;
    QVEOutlineView* objectsTable() const { return m_outline; }
    ContextsOutlineModel* model() const { return m_model; }
    QMenu* contextualMenu() const { return m_contextualMenu; }

    // The pane's add menu (tag: the type of the context to make) and delete button.
    void addObject(int contextType);
    void delObject();

    // QVETableVerbTarget
    bool answersVerb(const QString& verb) const override;
    bool verbEnabledInTableView(const QString& verb, QAbstractItemView* view) override;
    void verbInTableView(const QString& verb, QObject* sender, QAbstractItemView* view) override;
    QMenu* tableContextMenuForEvent(QContextMenuEvent*, QAbstractItemView*) override { return m_contextualMenu; }
    QUndoStack* undoManager() override;
    Qt::DropActions draggingSourceOperationMask(Qt::KeyboardModifiers) const override
    {
        return Qt::MoveAction | Qt::LinkAction;
    }
    Qt::DropAction validateDrop(QAbstractItemView* view, const QMimeData* data, QModelIndex& index,
                                DropPosition& position, Qt::DropActions sourceMask) override;
    bool acceptDrop(QAbstractItemView* view, const QMimeData* data, const QModelIndex& index, DropPosition position,
                    Qt::DropAction action) override;

private:
    void selectionDidChange();
    void updateContexts(const QVariantMap& payload);
    void rebuildKeepingSelection();
    void selectIndex(const QModelIndex& index);
    void doubleClicked(const QModelIndex& index);
    bool acceptApplicationDrop(const QMimeData* data, int type);

    QPointer<QVEOutlineView> m_outline;
    QPointer<QAbstractButton> m_deleteButton;
    QVEObjectsWindow* m_window;
    QMenu* m_contextualMenu = nullptr;
    ContextsOutlineModel* m_model;
    bool m_connected = false;
    zelk::ObserverHandle m_observer;
};

} // namespace editor
