#pragma once
// What the three lists of the Library share: an outline of groups over the
// objects of one kind (launchers by type, actions by family and model,
// contexts by type), built from the kind's manager and kept in step with
// its update notices; the used marks with the menu of their users; drags of
// whole records; the edit commands of QVETableVerbTarget, each one call on
// the manager with the selected objects' IDs.
//
// A list is initialised once and connected at the Library's first display;
// until then it is empty and deaf to the notices. Every change of the kind
// rebuilds the rows and keeps the expanded groups and the selected items
// (a removal of two or more objects selects the first row alone).
#include "ManagerSupport.h"
#include "NotificationCenter.h"
#include "QVETableVerbTarget.h"
#include "StripedTableView.h"

#include <QAbstractItemModel>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <vector>

namespace zelk {
class QVEAuxObject;
class QVEMainObject;
}

namespace editor {

class QVEOutlineView;

// One row of a Library outline.
struct LibraryItem {
    // Universal: the universal group row of the contexts list, a leaf that
    // stands for the universal context.
    enum Kind { Group, Model, Object, Universal };
    enum Font { Regular, Bold, Italic };
    Kind kind = Group;
    QString key; // names the row across rebuilds (expansion, selection)
    QString title;
    QImage image;
    Font font = Regular;
    quint32 id = 0; // Object and Universal rows
    LibraryItem* parent = nullptr;
    std::vector<std::unique_ptr<LibraryItem>> children;

    bool isObject() const { return kind == Object || kind == Universal; }
    LibraryItem* addChild(std::unique_ptr<LibraryItem> child);
};
using LibraryItems = std::vector<std::unique_ptr<LibraryItem>>;

class QVELibraryViewer;

class LibraryOutlineModel : public QAbstractItemModel {
public:
    LibraryOutlineModel(QVELibraryViewer* viewer, const QStringList& columns);
    void setItems(LibraryItems roots);
    const LibraryItem* item(const QModelIndex& index) const;
    QModelIndex indexOfKey(const QString& key) const;
    const QStringList& columns() const { return m_columns; }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    // The records of the dragged objects; nullptr when a group or model
    // row is among them.
    QMimeData* mimeData(const QModelIndexList& indexes) const override;

private:
    QModelIndex indexOfItem(const LibraryItem* item, int column = 0) const;
    const LibraryItems& siblings(const LibraryItem* parent) const;
    QVELibraryViewer* m_viewer;
    QStringList m_columns;
    LibraryItems m_roots;
};

class QVELibraryViewer : public QObject, public QVETableVerbTarget {
    Q_OBJECT
public:
    using MenuForObjects = std::function<QMenu*(const QList<zelk::QVEMainObject*>&)>;

    ~QVELibraryViewer() override;

    // QVEAuxObjectsViewer
    void initViewer();
    void connectViewer();
    void disconnectViewer();
    void updateViewer();
    void reselectViewer() {}
    void showItem(QObject*, bool) {}
    const LibraryItem* selectedItem() const;
    QObject* selectedObject() const { return nullptr; }

    bool isConnected() const { return m_connected; }
    QVEOutlineView* objectsTable() const { return m_outline; }
    LibraryOutlineModel* model() const { return m_model; }
    QMenu* contextualMenu() const { return m_contextualMenu; }
    // The application's menu of an object's users, shown by a used mark.
    void setMenuForObjects(MenuForObjects maker) { m_menuForObjects = std::move(maker); }

    // The shared list conventions, under one name for the three kinds.
    void reloadObjects();
    void addObjectsWithID(const QList<quint32>& ids);
    void removeObjectsWithID(const QList<quint32>& ids);
    void resortObjects();
    int selectedObjectIndex() const;
    QList<quint32> selectedObjectsIDArray() const;
    void expandAllItems();
    void hideAllItems();
    // A double-click: groups open and close (all of them with Alt), an
    // object's editor opens.
    void doubleClicked(const QModelIndex& index);

    // Row data of the objects, for the model.
    virtual zelk::QVEAuxObject* auxObjectWithID(quint32 id) const = 0;
    virtual QString nameOf(quint32 id) const = 0;
    virtual QImage imageOf(quint32 id) const = 0;
    virtual QVariantMap recordOf(quint32 id) const = 0;
    virtual bool isValidObject(quint32) const { return true; }
    virtual QString pboardType() const = 0;

    // QVETableVerbTarget
    bool answersVerb(const QString& verb) const override { return verbs().contains(verb); }
    bool verbEnabledInTableView(const QString& verb, QAbstractItemView* view) override;
    void verbInTableView(const QString& verb, QObject* sender, QAbstractItemView* view) override;
    QMenu* tableContextMenuForEvent(QContextMenuEvent*, QAbstractItemView*) override { return m_contextualMenu; }
    void tableViewClickInTableColumn(QAbstractItemView* view, int column, int row, const QPoint& point) override;
    QUndoStack* undoManager() override = 0;
    Qt::DropActions draggingSourceOperationMask(Qt::KeyboardModifiers) const override { return Qt::MoveAction; }

protected:
    QVELibraryViewer(QVEOutlineView* outline, Kind kind, const QStringList& columns, QObject* parent);
    // The rows, built from the manager: top-level groups without objects
    // are left out by the caller.
    virtual LibraryItems buildItems() const = 0;
    virtual QStringList verbs() const = 0;
    // Default: an object on the selected row.
    virtual bool verbEnabled(const QString& verb, const LibraryItem* selected) const;
    virtual void performVerb(const QString& verb, const QList<quint32>& ids) = 0;
    virtual void editObjectsID(const QList<quint32>& ids) = 0;

    static std::unique_ptr<LibraryItem> objectItem(quint32 id);
    static QString nameOfGroup(const QString& format, int number);

private:
    struct Kept {
        QStringList expanded;
        QStringList selected;
        QString current;
    };
    Kept keep() const;
    void restore(const Kept& kept, bool selection);
    void rebuild(bool keepSelection);
    void updateObjects(const QVariantMap& payload);

    QPointer<QVEOutlineView> m_outline;
    Kind m_kind;
    LibraryOutlineModel* m_model;
    QMenu* m_contextualMenu = nullptr;
    MenuForObjects m_menuForObjects;
    bool m_connected = false;
    zelk::ObserverHandle m_observer;
};

// Tab "1": the launchers by type.
class QVELaunchersViewer : public QVELibraryViewer {
    Q_OBJECT
public:
    explicit QVELaunchersViewer(QVEOutlineView* outline, QObject* parent = nullptr);
    int selectedLauncherIndex() const { return selectedObjectIndex(); }
    QList<quint32> selectedLaunchersIDArray() const { return selectedObjectsIDArray(); }

    zelk::QVEAuxObject* auxObjectWithID(quint32 id) const override;
    QString nameOf(quint32 id) const override;
    QImage imageOf(quint32) const override { return {}; }
    QVariantMap recordOf(quint32 id) const override;
    QString pboardType() const override { return QStringLiteral("QVLauncherPboardType"); }
    QUndoStack* undoManager() override;

protected:
    LibraryItems buildItems() const override;
    QStringList verbs() const override { return {"copy", "clear", "edit"}; }
    void performVerb(const QString& verb, const QList<quint32>& ids) override;
    void editObjectsID(const QList<quint32>& ids) override;
};

// Tab "2": the actions by family and model.
class QVEActionsViewer : public QVELibraryViewer {
    Q_OBJECT
public:
    explicit QVEActionsViewer(QVEOutlineView* outline, QObject* parent = nullptr);
    int selectedActionIndex() const { return selectedObjectIndex(); }
    QList<quint32> selectedActionsIDArray() const { return selectedObjectsIDArray(); }

    zelk::QVEAuxObject* auxObjectWithID(quint32 id) const override;
    QString nameOf(quint32 id) const override;
    QImage imageOf(quint32 id) const override;
    QVariantMap recordOf(quint32 id) const override;
    bool isValidObject(quint32 id) const override;
    QString pboardType() const override { return QStringLiteral("QVActionPboardType"); }
    QUndoStack* undoManager() override;

protected:
    LibraryItems buildItems() const override;
    QStringList verbs() const override
    {
        return {"copy", "paste", "clear", "export", "edit", "duplicate", "run", "newShortcut", "newMenu", "newPalette"};
    }
    bool verbEnabled(const QString& verb, const LibraryItem* selected) const override;
    void performVerb(const QString& verb, const QList<quint32>& ids) override;
    void editObjectsID(const QList<quint32>& ids) override;
};

// Tab "3": the contexts by type, the universal context on a row of its own.
class QVELContextsViewer : public QVELibraryViewer {
    Q_OBJECT
public:
    explicit QVELContextsViewer(QVEOutlineView* outline, QObject* parent = nullptr);
    int selectedContextIndex() const { return selectedObjectIndex(); }
    QList<quint32> selectedContextsIDArray() const { return selectedObjectsIDArray(); }

    zelk::QVEAuxObject* auxObjectWithID(quint32 id) const override;
    QString nameOf(quint32 id) const override;
    QImage imageOf(quint32 id) const override;
    QVariantMap recordOf(quint32 id) const override;
    QString pboardType() const override { return QStringLiteral("QVContextPboardType"); }
    QUndoStack* undoManager() override;

protected:
    LibraryItems buildItems() const override;
    QStringList verbs() const override { return {"copy", "clear", "edit"}; }
    bool verbEnabled(const QString& verb, const LibraryItem* selected) const override;
    void performVerb(const QString& verb, const QList<quint32>& ids) override;
    void editObjectsID(const QList<quint32>& ids) override;
};

} // namespace editor
