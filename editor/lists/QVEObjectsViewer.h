#pragma once
// The main lists of the main window: QVEObjectsViewer holds what the three
// share (the SelectionDict with its filter and sort, the table, the drags
// and drops, the verbs); QVEShortcutsViewer, QVEMenusViewer and
// QVEPalettesViewer say what differs by kind. A list never changes an
// object itself: every request is one call on the kind's manager, whose
// update notice rebuilds the list.
//
// Filtering and sorting are a QSortFilterProxyModel over the kind's item
// model: the shown rows are the objects of the selection type whose names
// contain the search text (case-insensitive), sorted by the sort column's
// value and then by name.
#include "ManagerSupport.h"
#include "QVEMainObjectsManager.h"
#include "StripedTableView.h"
#include "QVEMainObjectsViewer.h"
#include "QVETableVerbTarget.h"

#include <QObject>
#include <QPointer>
#include <functional>

class QMenu;

namespace editor {

class ObjectsFilterModel;
class ObjectsTableModel;
class QVEObjectsWindow;
class QVEMainModel;

class QVEObjectsViewer : public QObject, public QVEMainObjectsViewer, public QVETableVerbTarget {
    Q_OBJECT
public:
    // The default SelectionDict: all objects, no search text, ascending by
    // the first column.
    static QVariantMap defaultSelectionDict();

    QVEObjectsViewer(Kind kind, StripedTableView* table, QVEObjectsWindow* window, QObject* parent = nullptr);
    ~QVEObjectsViewer() override;

    // QVEMainObjectsViewer
    void initViewer() override;
    void connectViewer() override;
    void disconnectViewer() override;
    void reselectViewer() override {}
    void showTargetObjects() override;
    std::optional<QPoint> locationOfObject(QVEModelObject* object) const override;
    void updateShownObjects() override;
    QMenu* actionMenu() const override { return m_actionMenu; }
    QString searchString() const override;
    void setSelectionDict(const QVariantMap& selection) override;
    QVariantMap selectionDict() const override { return m_selectionDict; }
    void showMainObject(QVEMainModel* object) override;
    void newObject() override;
    void deleteObjects() override { verbInTableView(QStringLiteral("clear"), nullptr, objectsTable()); }
    void editObjects() override;
    void showAllObjects() override;
    void showObjectsWithContextID(quint32 contextID) override;
    void showObjectsNameContains(const QString& text) override;
    StripedTableView* objectsTable() const override { return m_table; }

    QVariantMap& liveSelectionDict() { return m_selectionDict; }
    void sortByIdentifier(const QString& identifier);
    void sortByOrder(qint64 order);
    int sortColumnIndex() const { return m_sortColumnIndex; }
    qint64 sortOrder() const { return m_sortOrder; }
    void reloadObjects() { showSelectedObjects(true); }
    void resortObjects() { showSelectedObjects(false); }
    // Rebuild (true) or resort (false), keeping the row that was selected.
    void showSelectedObjects(bool rebuild);
    // A header click: the same column flips the order, another sorts by it
    // ascending; a column without values keeps the sort as it is.
    void tableViewShouldSelectTableColumn(int column);

    Kind kind() const { return m_kind; }
    bool isConnected() const { return m_source != nullptr; }
    // The number of shown rows, and the object shown in a row.
    int shownCount() const;
    QVEMainModel* objectAtShownRow(int row) const;
    int shownRowOfObject(const QVEModelObject* object) const;
    int selectedObjectIndex() const;
    QList<quint32> selectedObjectsIDArray() const;
    void selectObjectWithID(quint32 id);
    // Whether the run command tests shortcuts (the other lists preview).
    virtual bool runsShortcuts() const { return false; }

    // QVETableVerbTarget
    bool answersVerb(const QString& verb) const override;
    bool verbEnabledInTableView(const QString& verb, QAbstractItemView* view) override;
    void verbInTableView(const QString& verb, QObject* sender, QAbstractItemView* view) override;
    QMenu* tableContextMenuForEvent(QContextMenuEvent*, QAbstractItemView*) override { return m_actionMenu; }
    void tableViewClickInTableColumn(QAbstractItemView* view, int column, int row, const QPoint& point) override;
    void dragExit(QAbstractItemView*) override { ++m_dropCount; }
    // The kind's manager's: Undo and Redo act on it while the list has the focus.
    QUndoStack* undoManager() override;
    Qt::DropActions draggingSourceOperationMask(Qt::KeyboardModifiers modifiers) const override;
    Qt::DropAction validateDrop(QAbstractItemView* view, const QMimeData* data, QModelIndex& index,
                                DropPosition& position, Qt::DropActions sourceMask) override;
    bool acceptDrop(QAbstractItemView* view, const QMimeData* data, const QModelIndex& index, DropPosition position,
                    Qt::DropAction action) override;

    int dropCount() const { return m_dropCount; }
    // The menu of the objects that link to one (the application's); the
    // used-icon click shows it.
    using MenuForObjects = std::function<QMenu*(const QList<zelk::QVEMainObject*>&)>;
    void setMenuForObjects(MenuForObjects maker) { m_menuForObjects = std::move(maker); }
    // The delay of the spring-loaded open, in milliseconds (tests shorten it).
    static void setSpringLoadedDelay(int ms);

protected:
    // What differs by kind.
    virtual QStringList columns() const = 0;
    virtual QString pboardType() const = 0;
    virtual QStringList answeredVerbs() const = 0;
    // The pasteboard types that paste takes.
    virtual QStringList pastedTypes() const = 0;
    virtual void performVerb(const QString& verb, const QList<quint32>& ids) = 0;
    virtual void newObjectWithOptionalContexts(const std::optional<QVariantList>& contexts) = 0;
    virtual QVEMainObjectsManager& manager() const = 0;
    // Records dropped between rows that make a new object: the pasteboard
    // types taken, in order (actions first), and the call for each.
    virtual QStringList newObjectDropTypes() const = 0;
    virtual void newObjectWithDroppedRecords(const QString& type, const QVariantList& records) = 0;
    void buildActionMenu(bool withMenuAndPalette);
    QVEObjectsWindow* objectsWindow() const { return m_window; }
    std::optional<QVariantList> selectedContextRecords() const;

private:
    void editObjectWithDropCount(int count);
    void scheduleSpringLoadedOpen(int row);

    Kind m_kind;
    QPointer<StripedTableView> m_table;
    QVEObjectsWindow* m_window;
    QMenu* m_actionMenu = nullptr;
    QVariantMap m_selectionDict;
    qint64 m_sortOrder = -1;
    int m_sortColumnIndex = 0;
    ObjectsTableModel* m_source = nullptr;
    ObjectsFilterModel* m_proxy = nullptr;
    int m_dropCount = 0;
    int m_dropRow = -1;
    std::optional<quint32> m_notedID;
    MenuForObjects m_menuForObjects;
};

class QVEShortcutsViewer : public QVEObjectsViewer {
    Q_OBJECT
public:
    QVEShortcutsViewer(StripedTableView* table, QVEObjectsWindow* window, QObject* parent = nullptr);
    QString windowTitle() const override;
    void newObjectWithContexts(const QVariantList& contexts) override;
    void duplicateObjects() override;
    bool runsShortcuts() const override { return true; }
    void newMenuWithObject();
    void newPaletteWithObject();

protected:
    QStringList columns() const override;
    QString pboardType() const override { return QStringLiteral("QVShortcutPboardType"); }
    QStringList answeredVerbs() const override;
    QStringList pastedTypes() const override;
    void performVerb(const QString& verb, const QList<quint32>& ids) override;
    void newObjectWithOptionalContexts(const std::optional<QVariantList>& contexts) override;
    QVEMainObjectsManager& manager() const override;
    QStringList newObjectDropTypes() const override;
    void newObjectWithDroppedRecords(const QString& type, const QVariantList& records) override;
};

class QVEMenusViewer : public QVEObjectsViewer {
    Q_OBJECT
public:
    QVEMenusViewer(StripedTableView* table, QVEObjectsWindow* window, QObject* parent = nullptr);
    QString windowTitle() const override;
    void newObjectWithContexts(const QVariantList& contexts) override;
    void duplicateObjects() override;

protected:
    QStringList columns() const override;
    QString pboardType() const override { return QStringLiteral("QVMenuPboardType"); }
    QStringList answeredVerbs() const override;
    QStringList pastedTypes() const override;
    void performVerb(const QString& verb, const QList<quint32>& ids) override;
    void newObjectWithOptionalContexts(const std::optional<QVariantList>& contexts) override;
    QVEMainObjectsManager& manager() const override;
    QStringList newObjectDropTypes() const override;
    void newObjectWithDroppedRecords(const QString& type, const QVariantList& records) override;
};

class QVEPalettesViewer : public QVEObjectsViewer {
    Q_OBJECT
public:
    QVEPalettesViewer(StripedTableView* table, QVEObjectsWindow* window, QObject* parent = nullptr);
    QString windowTitle() const override;
    void newObjectWithContexts(const QVariantList& contexts) override;
    void duplicateObjects() override;
    // The palettes list opens no floating menu.
    void tableViewClickInTableColumn(QAbstractItemView*, int, int, const QPoint&) override {}

protected:
    QStringList columns() const override;
    QString pboardType() const override { return QStringLiteral("QVPalettePboardType"); }
    QStringList answeredVerbs() const override;
    QStringList pastedTypes() const override;
    void performVerb(const QString& verb, const QList<quint32>& ids) override;
    void newObjectWithOptionalContexts(const std::optional<QVariantList>& contexts) override;
    QVEMainObjectsManager& manager() const override;
    QStringList newObjectDropTypes() const override;
    void newObjectWithDroppedRecords(const QString& type, const QVariantList& records) override;
};

} // namespace editor
