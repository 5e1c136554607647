#include "QVELibraryViewer.h"

#include "ImageAndTextCell.h"
#include "ModelSupport.h"
#include "QVUtility.h"
#include "StripedTableView.h"
#include "TableCommandGate.h"

#include "QVEObjects.h"

#include <QApplication>
#include <QFont>
#include <QHeaderView>
#include <QMenu>
#include <QPixmap>

namespace editor {

LibraryItem* LibraryItem::addChild(std::unique_ptr<LibraryItem> child)
{
    child->parent = this;
    children.push_back(std::move(child));
    return children.back().get();
}

static QImage libraryImage(const char* name)
{
    return QVUtility::sharedUtility().imageWithName(QLatin1String(name));
}

// --- The outline's model ----------------------------------------------------------------------------

LibraryOutlineModel::LibraryOutlineModel(QVELibraryViewer* viewer, const QStringList& columns)
    : QAbstractItemModel(viewer), m_viewer(viewer), m_columns(columns)
{
}

void LibraryOutlineModel::setItems(LibraryItems roots)
{
    beginResetModel();
    m_roots = std::move(roots);
    endResetModel();
}

const LibraryItems& LibraryOutlineModel::siblings(const LibraryItem* parent) const
{
    return parent ? parent->children : m_roots;
}

const LibraryItem* LibraryOutlineModel::item(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != this)
        return nullptr;
    return static_cast<const LibraryItem*>(index.internalPointer());
}

QModelIndex LibraryOutlineModel::indexOfItem(const LibraryItem* item, int column) const
{
    if (!item)
        return {};
    const LibraryItems& list = siblings(item->parent);
    for (size_t row = 0; row < list.size(); ++row) {
        if (list[row].get() == item)
            return createIndex(int(row), column, const_cast<LibraryItem*>(item));
    }
    return {};
}

QModelIndex LibraryOutlineModel::indexOfKey(const QString& key) const
{
    std::function<const LibraryItem*(const LibraryItems&)> find = [&](const LibraryItems& list) -> const LibraryItem* {
        for (const auto& child : list) {
            if (child->key == key)
                return child.get();
            if (const LibraryItem* found = find(child->children))
                return found;
        }
        return nullptr;
    };
    return indexOfItem(find(m_roots));
}

QModelIndex LibraryOutlineModel::index(int row, int column, const QModelIndex& parent) const
{
    if (row < 0 || column < 0 || column >= m_columns.size())
        return {};
    if (parent.isValid() && parent.column() != 0)
        return {};
    const LibraryItems& list = siblings(item(parent));
    if (size_t(row) >= list.size())
        return {};
    return createIndex(row, column, list[size_t(row)].get());
}

QModelIndex LibraryOutlineModel::parent(const QModelIndex& child) const
{
    const LibraryItem* it = item(child);
    return it ? indexOfItem(it->parent) : QModelIndex();
}

int LibraryOutlineModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() && parent.column() != 0)
        return 0;
    return int(siblings(item(parent)).size());
}

int LibraryOutlineModel::columnCount(const QModelIndex&) const
{
    return int(m_columns.size());
}

QVariant LibraryOutlineModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_columns.size())
        return loc(QStringLiteral("LibraryColumn_") + m_columns[section]);
    return {};
}

QVariant LibraryOutlineModel::data(const QModelIndex& index, int role) const
{
    const LibraryItem* it = item(index);
    if (!it)
        return {};
    const QString& column = m_columns[index.column()];
    if (column == QLatin1String("name")) {
        switch (role) {
        case Qt::DisplayRole:
        case Qt::AccessibleTextRole:
            return it->kind == LibraryItem::Object ? m_viewer->nameOf(it->id) : it->title;
        case Qt::DecorationRole: {
            QImage image = it->kind == LibraryItem::Object ? m_viewer->imageOf(it->id) : it->image;
            if (image.isNull())
                return {};
            // Rows are 16 points high; larger artwork is drawn to fit.
            if (image.width() > 16 || image.height() > 16)
                image = image.scaled(16, 16, Qt::KeepAspectRatio, Qt::SmoothTransformation);
            return QPixmap::fromImage(image);
        }
        case Qt::FontRole: {
            if (it->font == LibraryItem::Regular)
                return {};
            QFont font;
            font.setBold(it->font == LibraryItem::Bold);
            font.setItalic(it->font == LibraryItem::Italic);
            return font;
        }
        default: return {};
        }
    }
    if (!it->isObject())
        return {};
    if (column == QLatin1String("used") && (role == Qt::DecorationRole || role == Qt::AccessibleTextRole)) {
        zelk::QVEAuxObject* object = m_viewer->auxObjectWithID(it->id);
        const bool used = object && object->isUsed();
        if (role == Qt::AccessibleTextRole)
            return used ? QStringLiteral("used") : QString();
        return libraryImage(used ? "usedobject" : "uncheck");
    }
    if (column == QLatin1String("valid") && (role == Qt::DecorationRole || role == Qt::AccessibleTextRole)) {
        const bool valid = m_viewer->isValidObject(it->id);
        if (role == Qt::AccessibleTextRole)
            return valid ? QStringLiteral("valid") : QString();
        return libraryImage(valid ? "check" : "uncheck");
    }
    return {};
}

Qt::ItemFlags LibraryOutlineModel::flags(const QModelIndex& index) const
{
    const LibraryItem* it = item(index);
    if (!it)
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (it->isObject())
        flags |= Qt::ItemIsDragEnabled | Qt::ItemNeverHasChildren;
    return flags;
}

QStringList LibraryOutlineModel::mimeTypes() const
{
    return {mimeTypeForPboardType(m_viewer->pboardType())};
}

QMimeData* LibraryOutlineModel::mimeData(const QModelIndexList& indexes) const
{
    QVariantList records;
    for (const QModelIndex& index : indexes) {
        const LibraryItem* it = item(index);
        if (!it || !it->isObject())
            return nullptr;
        if (index.column() != 0)
            continue;
        records << m_viewer->recordOf(it->id);
    }
    return records.isEmpty() ? nullptr : mimeDataWithRecords(m_viewer->pboardType(), records);
}

// --- The shared list ---------------------------------------------------------------------------------

QVELibraryViewer::QVELibraryViewer(QVEOutlineView* outline, Kind kind, const QStringList& columns, QObject* parent)
    : QObject(parent), m_outline(outline), m_kind(kind), m_model(new LibraryOutlineModel(this, columns))
{
}

QVELibraryViewer::~QVELibraryViewer()
{
    disconnectViewer();
}

std::unique_ptr<LibraryItem> QVELibraryViewer::objectItem(quint32 id)
{
    auto item = std::make_unique<LibraryItem>();
    item->kind = LibraryItem::Object;
    item->id = id;
    item->key = QStringLiteral("o%1").arg(id);
    return item;
}

QString QVELibraryViewer::nameOfGroup(const QString& format, int number)
{
    return loc(format.arg(number));
}

void QVELibraryViewer::initViewer()
{
    m_outline->setItemDelegateForColumn(0, new ImageAndTextCell(m_outline));
    for (int column = 1; column < m_model->columns().size(); ++column)
        m_outline->setItemDelegateForColumn(column, new ImageCell(m_outline));
    m_outline->setExpandsOnDoubleClick(false);
    m_outline->setRootIsDecorated(true);
    m_outline->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_outline->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_outline->setAcceptDrops(false);
    m_outline->setDragDropMode(QAbstractItemView::DragOnly);
    connect(m_outline, &QAbstractItemView::doubleClicked, this, &QVELibraryViewer::doubleClicked);
    m_contextualMenu = new QMenu(m_outline);
    m_contextualMenu->setObjectName(m_outline->objectName() + QStringLiteral("Menu"));
    for (const QString& verb : verbs()) {
        // The run entry says what it does here: it tests the actions.
        QAction* action = m_contextualMenu->addAction(
            loc(verb == QLatin1String("run") ? QStringLiteral("Tester") : QStringLiteral("Verb_") + verb));
        action->setData(verb);
        connect(action, &QAction::triggered, this, [this, action] {
            if (m_outline && m_outline->respondsToVerb(action->data().toString()))
                m_outline->performVerb(action->data().toString(), action);
        });
    }
    connect(m_contextualMenu, &QMenu::aboutToShow, this, [this] {
        for (QAction* action : m_contextualMenu->actions())
            action->setEnabled(m_outline && m_outline->respondsToVerb(action->data().toString()));
    });
}

void QVELibraryViewer::connectViewer()
{
    if (m_connected || !m_outline)
        return;
    m_connected = true;
    m_model->setItems(buildItems());
    m_outline->setModel(m_model);
    m_outline->setVerbDelegate(this);
    m_outline->header()->setStretchLastSection(false);
    m_outline->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int column = 1; column < m_model->columns().size(); ++column) {
        m_outline->header()->setSectionResizeMode(column, QHeaderView::Fixed);
        m_outline->header()->resizeSection(column, 40);
    }
    TableCommandGate::sharedGate().viewModelChanged(m_outline);
    m_observer = zelk::NotificationCenter::defaultCenter().addObserver(
        updateNotificationName(m_kind), nullptr,
        [this](const zelk::Notification& notice) { updateObjects(notice.userInfo); });
}

void QVELibraryViewer::disconnectViewer()
{
    if (!m_connected)
        return;
    m_connected = false;
    m_observer.reset();
    if (m_outline) {
        m_outline->setVerbDelegate(nullptr);
        m_outline->setModel(nullptr);
    }
    m_model->setItems({});
}

void QVELibraryViewer::updateViewer()
{
    if (m_connected)
        m_outline->viewport()->update();
}

void QVELibraryViewer::updateObjects(const QVariantMap& payload)
{
    const QList<quint32> ids = idsOfList(payload.value(QStringLiteral("updateparameter")).toList());
    switch (intValue(payload.value(QStringLiteral("updateaction")))) {
    case kQVUpdateAddAction: addObjectsWithID(ids); break;
    case kQVUpdateDelAction: removeObjectsWithID(ids); break;
    case kQVUpdateRefreshAction: resortObjects(); break;
    case kQVUpdateReloadAction:
        disconnectViewer();
        connectViewer();
        break;
    default: break;
    }
}

QVELibraryViewer::Kept QVELibraryViewer::keep() const
{
    Kept kept;
    std::function<void(const QModelIndex&)> walk = [&](const QModelIndex& parent) {
        for (int row = 0; row < m_model->rowCount(parent); ++row) {
            const QModelIndex index = m_model->index(row, 0, parent);
            if (m_outline->isExpanded(index))
                kept.expanded << m_model->item(index)->key;
            walk(index);
        }
    };
    walk({});
    for (const QModelIndex& index : m_outline->selectionModel()->selectedRows())
        kept.selected << m_model->item(index)->key;
    if (const LibraryItem* current = m_model->item(m_outline->selectionModel()->currentIndex()))
        kept.current = current->key;
    return kept;
}

void QVELibraryViewer::restore(const Kept& kept, bool selection)
{
    for (const QString& key : kept.expanded)
        m_outline->expand(m_model->indexOfKey(key));
    if (!selection)
        return;
    QItemSelection rows;
    for (const QString& key : kept.selected) {
        const QModelIndex index = m_model->indexOfKey(key);
        if (index.isValid())
            rows.select(index, index.siblingAtColumn(m_model->columnCount() - 1));
    }
    const QModelIndex current = m_model->indexOfKey(kept.current);
    if (current.isValid())
        m_outline->selectionModel()->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
    m_outline->selectionModel()->select(rows, QItemSelectionModel::ClearAndSelect);
}

void QVELibraryViewer::rebuild(bool keepSelection)
{
    if (!m_connected)
        return;
    const Kept kept = keep();
    m_model->setItems(buildItems());
    restore(kept, keepSelection);
}

void QVELibraryViewer::reloadObjects()
{
    if (m_connected)
        m_model->setItems(buildItems());
}

void QVELibraryViewer::addObjectsWithID(const QList<quint32>&)
{
    // The notice comes after the manager added them: the groups are built
    // again from it, so a type's first object brings its group row.
    rebuild(true);
}

void QVELibraryViewer::removeObjectsWithID(const QList<quint32>& ids)
{
    if (!m_connected)
        return;
    rebuild(true);
    if (ids.size() >= 2 && m_model->rowCount() > 0) {
        const QModelIndex first = m_model->index(0, 0);
        m_outline->selectionModel()->setCurrentIndex(first, QItemSelectionModel::ClearAndSelect
                                                                | QItemSelectionModel::Rows);
    }
}

void QVELibraryViewer::resortObjects()
{
    rebuild(true);
}

const LibraryItem* QVELibraryViewer::selectedItem() const
{
    return m_connected ? m_model->item(selectedIndex(m_outline)) : nullptr;
}

int QVELibraryViewer::selectedObjectIndex() const
{
    if (!m_connected)
        return -1;
    const QModelIndex current = selectedIndex(m_outline);
    if (!current.isValid())
        return -1;
    int row = 0;
    for (QModelIndex above = m_outline->indexAbove(current); above.isValid(); above = m_outline->indexAbove(above))
        ++row;
    return row;
}

QList<quint32> QVELibraryViewer::selectedObjectsIDArray() const
{
    QList<quint32> ids;
    if (!m_connected)
        return ids;
    QModelIndexList rows = m_outline->selectionModel()->selectedRows();
    // In row order, as the outline shows them.
    std::sort(rows.begin(), rows.end(), [this](const QModelIndex& a, const QModelIndex& b) {
        return m_outline->visualRect(a).top() < m_outline->visualRect(b).top();
    });
    for (const QModelIndex& index : std::as_const(rows)) {
        const LibraryItem* it = m_model->item(index);
        if (it && it->isObject())
            ids << it->id;
    }
    return ids;
}

void QVELibraryViewer::expandAllItems()
{
    if (m_connected)
        m_outline->expandAll();
}

void QVELibraryViewer::hideAllItems()
{
    if (m_connected)
        m_outline->collapseAll();
}

void QVELibraryViewer::doubleClicked(const QModelIndex& index)
{
    const LibraryItem* it = m_connected ? m_model->item(index) : nullptr;
    if (!it)
        return;
    if (it->isObject()) {
        editObjectsID({it->id});
        return;
    }
    const QModelIndex row = index.siblingAtColumn(0);
    const bool expanded = m_outline->isExpanded(row);
    if (QApplication::keyboardModifiers() & Qt::AltModifier) {
        if (expanded)
            hideAllItems();
        else
            expandAllItems();
        return;
    }
    m_outline->setExpanded(row, !expanded);
}

bool QVELibraryViewer::verbEnabled(const QString&, const LibraryItem* selected) const
{
    return selected && selected->kind == LibraryItem::Object;
}

bool QVELibraryViewer::verbEnabledInTableView(const QString& verb, QAbstractItemView*)
{
    if (!m_connected || !answersVerb(verb))
        return false;
    return verbEnabled(verb, selectedItem());
}

void QVELibraryViewer::verbInTableView(const QString& verb, QObject*, QAbstractItemView*)
{
    if (m_connected && answersVerb(verb))
        performVerb(verb, selectedObjectsIDArray());
}

void QVELibraryViewer::tableViewClickInTableColumn(QAbstractItemView*, int, int, const QPoint& point)
{
    if (!m_connected || !m_menuForObjects)
        return;
    const QModelIndex index = m_outline->indexAt(point);
    if (m_model->columns().value(index.column()) != QLatin1String("used"))
        return;
    const LibraryItem* it = m_model->item(index);
    zelk::QVEAuxObject* object = it && it->isObject() ? auxObjectWithID(it->id) : nullptr;
    if (!object || !object->isUsed())
        return;
    const QImage image = libraryImage("usedobject");
    const QRect icon = ImageCell::imageRect(m_outline->visualRect(index),
                                            image.isNull() ? QSize(16, 16) : image.deviceIndependentSize().toSize());
    if (!icon.contains(point))
        return;
    if (QMenu* menu = m_menuForObjects(object->linkedObjects()))
        QVUtility::sharedUtility().displayFloatingMenu(menu,
                                                       m_outline->viewport()->mapToGlobal(icon.bottomLeft() + QPoint(0, 4)));
}

} // namespace editor
