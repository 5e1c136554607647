#include "QVEObjectsViewer.h"

#include "ImageAndTextCell.h"
#include "ModelSupport.h"
#include "ObjectsTableModel.h"
#include "QVContext.h"
#include "QVEMainModel.h"
#include "QVEUsedMainModel.h"
#include "QVEImporter.h"
#include "QVEMenusManager.h"
#include "QVEPalettesManager.h"
#include "QVEShortcutsManager.h"
#include "QVEWindow.h"
#include "QVUtility.h"
#include "StripedTableView.h"
#include "TableCommandGate.h"

#include "Log.h"

#include <QHeaderView>
#include <QMenu>
#include <QTimer>
#include <QUrl>

namespace editor {

static int s_springLoadedDelay = 1000;

void QVEObjectsViewer::setSpringLoadedDelay(int ms)
{
    s_springLoadedDelay = ms;
}

QVariantMap QVEObjectsViewer::defaultSelectionDict()
{
    return {{"selectiontype", 0},
            {"selectionparam1", QString()},
            {"selectionparam2", QString()},
            {"selectionstring", QString()},
            {"sortidentifier", QString()},
            {"sortorder", -1}};
}

QVEObjectsViewer::QVEObjectsViewer(Kind kind, StripedTableView* table, QVEObjectsWindow* window, QObject* parent)
    : QObject(parent), m_kind(kind), m_table(table), m_window(window), m_selectionDict(defaultSelectionDict())
{
}

QVEObjectsViewer::~QVEObjectsViewer()
{
    if (m_source)
        disconnectViewer();
}

void QVEObjectsViewer::initViewer()
{
    const QStringList ids = columns();
    for (int column = 0; column < ids.size(); ++column) {
        const QString& id = ids[column];
        if (id == QLatin1String("links") || id == QLatin1String("inBar") || id == QLatin1String("itemsType"))
            m_table->setItemDelegateForColumn(column, new ImageCell(m_table));
        else if (!(m_kind == Kind::Palettes && (id == QLatin1String("name") || id == QLatin1String("showActive"))))
            m_table->setItemDelegateForColumn(column, new ImageAndTextCell(m_table));
    }
    m_table->horizontalHeader()->setSortIndicatorShown(true);
    connect(m_table->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int column) { if (isConnected()) tableViewShouldSelectTableColumn(column); });
    connect(m_table, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        // Cells are never edited in place: a double click opens the editor.
        if (QVEMainModel* object = objectAtShownRow(index.row()))
            manager().editObjectsID({object->IDValue()});
    });
    m_table->setContextMenuPolicy(Qt::DefaultContextMenu);
}

void QVEObjectsViewer::buildActionMenu(bool withMenuAndPalette)
{
    m_actionMenu = new QMenu(m_table);
    m_actionMenu->setObjectName(QStringLiteral("actionMenu"));
    struct Item {
        int tag;
        const char* verb; // through the table's gate; nullptr: the viewer's own
    };
    const Item items[] = {{1, "edit"}, {2, "run"}, {3, "duplicate"}, {4, "export"}, {5, "clear"},
                          {9, "clearStructure"}, {6, nullptr}, {7, nullptr}, {8, nullptr}};
    for (const Item& item : items) {
        if ((item.tag == 7 || item.tag == 8) && !withMenuAndPalette)
            continue;
        const QString key = item.verb ? QStringLiteral("Verb_") + QLatin1String(item.verb)
                                      : QStringLiteral("ActionMenu%1").arg(item.tag);
        QAction* action = m_actionMenu->addAction(loc(key));
        action->setData(item.tag);
        if (item.verb) {
            const QString verb = QLatin1String(item.verb);
            connect(action, &QAction::triggered, this, [this, verb, action] {
                if (m_table && m_table->respondsToVerb(verb))
                    m_table->performVerb(verb, action);
            });
        } else if (item.tag == 6) {
            connect(action, &QAction::triggered, this, [this] { newObject(); });
        } else if (auto* shortcuts = dynamic_cast<QVEShortcutsViewer*>(this)) {
            connect(action, &QAction::triggered, this, [shortcuts, tag = item.tag] {
                tag == 7 ? shortcuts->newMenuWithObject() : shortcuts->newPaletteWithObject();
            });
        }
    }
    // The items aimed at the table follow its gate.
    connect(m_actionMenu, &QMenu::aboutToShow, this, [this] {
        for (QAction* action : m_actionMenu->actions()) {
            const int tag = action->data().toInt();
            static const QHash<int, QString> verbs{{1, "edit"},   {2, "run"},   {3, "duplicate"},
                                                   {4, "export"}, {5, "clear"}, {9, "clearStructure"}};
            if (verbs.contains(tag))
                action->setEnabled(m_table && m_table->respondsToVerb(verbs.value(tag)));
            if (tag == 2)
                action->setText(loc(runsShortcuts() ? QStringLiteral("Tester") : QStringLiteral("Previsualiser")));
        }
    });
}

void QVEObjectsViewer::connectViewer()
{
    if (m_source)
        return;
    m_source = new ObjectsTableModel(m_kind, columns(), this);
    m_proxy = new ObjectsFilterModel(this);
    m_proxy->setSourceModel(m_source);
    m_proxy->setSelection(intValue(m_selectionDict.value("selectiontype")) == 3 ? 3 : 0,
                          uintValue(m_selectionDict.value("selectionparam1")), searchString());
    // An update notice rebuilds the list; the selected object stays selected.
    connect(m_source, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        const int row = selectedObjectIndex();
        if (QVEMainModel* object = objectAtShownRow(row))
            m_notedID = object->IDValue();
        else
            m_notedID.reset();
    });
    connect(m_source, &QAbstractItemModel::modelReset, this, [this] {
        showTargetObjects();
        if (m_notedID)
            selectObjectWithID(*m_notedID);
        m_notedID.reset();
    });
    m_table->setModel(m_proxy);
    m_table->setVerbDelegate(this);
    TableCommandGate::sharedGate().viewModelChanged(m_table);
    // The name takes the room left; image columns stay narrow.
    QHeaderView* header = m_table->horizontalHeader();
    header->setStretchLastSection(false);
    const QStringList ids = columns();
    for (int column = 0; column < ids.size(); ++column) {
        const QString& id = ids[column];
        if (column == 0) {
            header->setSectionResizeMode(column, QHeaderView::Stretch);
        } else if (id == QLatin1String("links") || id == QLatin1String("inBar") || id == QLatin1String("itemsType")) {
            header->setSectionResizeMode(column, QHeaderView::Fixed);
            header->resizeSection(column, 64);
        } else {
            header->setSectionResizeMode(column, QHeaderView::Interactive);
            header->resizeSection(column, 150);
        }
    }
    showTargetObjects();
    if (m_window)
        m_window->activateView(m_table);
}

void QVEObjectsViewer::disconnectViewer()
{
    if (!m_source)
        return;
    if (m_table) {
        m_table->setVerbDelegate(nullptr);
        m_table->setModel(nullptr);
    }
    delete m_proxy;
    delete m_source;
    m_proxy = nullptr;
    m_source = nullptr;
}

QString QVEObjectsViewer::searchString() const
{
    return m_selectionDict.value("selectionstring").toString();
}

void QVEObjectsViewer::setSelectionDict(const QVariantMap& selection)
{
    m_selectionDict = selection;
    m_selectionDict.insert("selectiontype", 0);
    m_selectionDict.insert("selectionstring", QString());
    m_sortColumnIndex = std::max(0, int(columns().indexOf(m_selectionDict.value("sortidentifier").toString())));
    m_sortOrder = m_selectionDict.value("sortorder").toLongLong();
    m_selectionDict.insert("sortorder", m_sortOrder);
}

void QVEObjectsViewer::sortByIdentifier(const QString& identifier)
{
    m_selectionDict.insert("sortidentifier", identifier);
    m_sortColumnIndex = std::max(0, int(columns().indexOf(identifier)));
}

void QVEObjectsViewer::sortByOrder(qint64 order)
{
    m_selectionDict.insert("sortorder", order);
    m_sortOrder = order;
}

void QVEObjectsViewer::showAllObjects()
{
    m_selectionDict.insert("selectiontype", 0);
    showSelectedObjects(true);
}

void QVEObjectsViewer::showObjectsWithContextID(quint32 contextID)
{
    m_selectionDict.insert("selectiontype", 3);
    m_selectionDict.insert("selectionparam1", qint64(contextID));
    showSelectedObjects(true);
}

void QVEObjectsViewer::showObjectsNameContains(const QString& text)
{
    m_selectionDict.insert("selectionstring", text);
    showSelectedObjects(false);
}

void QVEObjectsViewer::showSelectedObjects(bool rebuild)
{
    if (!m_source)
        return;
    const bool byContext = intValue(m_selectionDict.value("selectiontype")) == 3;
    if (rebuild) {
        // The reset notes and restores the selection (as a notice's does).
        m_proxy->setSelection(byContext ? 3 : 0, uintValue(m_selectionDict.value("selectionparam1")), searchString());
        m_source->reload();
        return;
    }
    std::optional<quint32> noted;
    if (QVEMainModel* object = objectAtShownRow(selectedObjectIndex()))
        noted = object->IDValue();
    m_proxy->setSelection(byContext ? 3 : 0, uintValue(m_selectionDict.value("selectionparam1")), searchString());
    showTargetObjects();
    if (noted)
        selectObjectWithID(*noted);
    else
        m_table->clearSelection();
}

void QVEObjectsViewer::showTargetObjects()
{
    if (!m_proxy)
        return;
    const int column = std::clamp(m_sortColumnIndex, 0, int(columns().size()) - 1);
    const Qt::SortOrder order = m_sortOrder == -1 ? Qt::AscendingOrder : Qt::DescendingOrder;
    m_proxy->sort(column, order);
    m_table->horizontalHeader()->setSortIndicator(column, order);
    if (m_window)
        m_window->setTopInfoField(locFormat(QStringLiteral("NombreElements"), {qulonglong(shownCount())}));
}

void QVEObjectsViewer::tableViewShouldSelectTableColumn(int column)
{
    const QString identifier = columns().value(column);
    if (!ObjectsTableModel::columnSorts(m_kind, identifier)) {
        // Nothing to sort by: the previous sort stays, indicator included.
        showTargetObjects();
        return;
    }
    if (column == m_sortColumnIndex) {
        sortByOrder(m_sortOrder == -1 ? 1 : -1);
    } else {
        sortByIdentifier(identifier);
        sortByOrder(-1);
    }
    resortObjects();
}

void QVEObjectsViewer::updateShownObjects()
{
    if (m_table)
        m_table->viewport()->update();
}

int QVEObjectsViewer::shownCount() const
{
    return m_proxy ? m_proxy->rowCount() : 0;
}

QVEMainModel* QVEObjectsViewer::objectAtShownRow(int row) const
{
    if (!m_proxy || row < 0 || row >= m_proxy->rowCount())
        return nullptr;
    return m_source->objectAtRow(m_proxy->mapToSource(m_proxy->index(row, 0)).row());
}

int QVEObjectsViewer::shownRowOfObject(const QVEModelObject* object) const
{
    if (!object)
        return -1;
    for (int row = 0; row < shownCount(); ++row) {
        if (objectAtShownRow(row) == object)
            return row;
    }
    return -1;
}

int QVEObjectsViewer::selectedObjectIndex() const
{
    if (!m_table || !m_proxy || m_table->model() != m_proxy)
        return -1;
    const QModelIndex index = selectedIndex(m_table);
    return index.isValid() ? index.row() : -1;
}

QList<quint32> QVEObjectsViewer::selectedObjectsIDArray() const
{
    QList<quint32> ids;
    if (!m_table || !m_table->selectionModel() || m_table->model() != m_proxy)
        return ids;
    QList<int> rows;
    for (const QModelIndex& index : m_table->selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    for (const int row : std::as_const(rows)) {
        if (QVEMainModel* object = objectAtShownRow(row))
            ids << object->IDValue();
    }
    return ids;
}

void QVEObjectsViewer::selectObjectWithID(quint32 id)
{
    const int row = shownRowOfObject(manager().objectWithID(id));
    if (row < 0)
        return;
    const QModelIndex index = m_proxy->index(row, 0);
    m_table->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void QVEObjectsViewer::showMainObject(QVEMainModel* object)
{
    const int row = shownRowOfObject(object);
    if (row < 0)
        return;
    const QModelIndex index = m_proxy->index(row, 0);
    m_table->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_table->scrollTo(index);
}

std::optional<QPoint> QVEObjectsViewer::locationOfObject(QVEModelObject* object) const
{
    auto* model = dynamic_cast<QVEMainModel*>(object);
    if (!model || manager().objectWithID(model->IDValue()) != model)
        return std::nullopt;
    const int row = shownRowOfObject(model);
    if (row < 0)
        return std::nullopt;
    return QVUtility::centerPointOfRow(row, m_table).toPoint();
}

std::optional<QVariantList> QVEObjectsViewer::selectedContextRecords() const
{
    if (QVContext* context = m_window ? m_window->selectedContext() : nullptr)
        return QVariantList{context->dictValue()};
    return std::nullopt;
}

void QVEObjectsViewer::newObject()
{
    newObjectWithOptionalContexts(selectedContextRecords());
}

void QVEObjectsViewer::editObjects()
{
    manager().editObjectsID(selectedObjectsIDArray());
}

QUndoStack* QVEObjectsViewer::undoManager()
{
    switch (m_kind) {
    case Kind::Shortcuts: return QVEShortcutsManager::sharedManager().undoManager();
    case Kind::Menus: return QVEMenusManager::sharedManager().undoManager();
    case Kind::Palettes: return QVEPalettesManager::sharedManager().undoManager();
    default: return nullptr;
    }
}

// --- Verbs ------------------------------------------------------------------------------

bool QVEObjectsViewer::answersVerb(const QString& verb) const
{
    return answeredVerbs().contains(verb);
}

bool QVEObjectsViewer::verbEnabledInTableView(const QString& verb, QAbstractItemView*)
{
    if (!answersVerb(verb))
        return false;
    if (verb == QLatin1String("paste")) {
        const QMimeData* pasteboard = generalPasteboard();
        for (const QString& type : pastedTypes()) {
            if (pasteboardHasType(pasteboard, type))
                return true;
        }
        return false;
    }
    return selectedObjectIndex() >= 0;
}

void QVEObjectsViewer::verbInTableView(const QString& verb, QObject*, QAbstractItemView*)
{
    if (!answersVerb(verb))
        return;
    performVerb(verb, selectedObjectsIDArray());
}

void QVEObjectsViewer::tableViewClickInTableColumn(QAbstractItemView*, int column, int row, const QPoint& point)
{
    if (columns().value(column) != QLatin1String("links") || !m_menuForObjects)
        return;
    auto* used = dynamic_cast<QVEUsedMainModel*>(objectAtShownRow(row));
    if (!used || !used->isUsed())
        return;
    const QImage image = QVUtility::sharedUtility().imageWithName(QStringLiteral("usedobject"));
    const QRect cell = m_table->visualRect(m_proxy->index(row, column));
    const QRect icon = ImageCell::imageRect(cell, image.isNull() ? QSize(16, 16) : image.deviceIndependentSize().toSize());
    if (!icon.contains(point))
        return;
    if (QMenu* menu = m_menuForObjects(used->linkedObjects()))
        QVUtility::sharedUtility().displayFloatingMenu(menu, m_table->viewport()->mapToGlobal(icon.bottomLeft() + QPoint(0, 4)));
}

// --- Drags and drops ----------------------------------------------------------------------------

Qt::DropActions QVEObjectsViewer::draggingSourceOperationMask(Qt::KeyboardModifiers modifiers) const
{
    return (modifiers & Qt::AltModifier) ? Qt::CopyAction : Qt::MoveAction;
}

static QStringList droppedPaths(const QMimeData* data)
{
    QStringList paths;
    if (data && data->hasUrls()) {
        for (const QUrl& url : data->urls())
            paths << url.toLocalFile();
    }
    return paths;
}

void QVEObjectsViewer::scheduleSpringLoadedOpen(int row)
{
    m_dropRow = row;
    QTimer::singleShot(s_springLoadedDelay, this, [this, count = m_dropCount] { editObjectWithDropCount(count); });
}

void QVEObjectsViewer::editObjectWithDropCount(int count)
{
    if (count != m_dropCount)
        return;
    if (QVEMainModel* object = objectAtShownRow(m_dropRow))
        manager().editObjectsID({object->IDValue()});
    ++m_dropCount;
}

Qt::DropAction QVEObjectsViewer::validateDrop(QAbstractItemView*, const QMimeData* data, QModelIndex& index,
                                              DropPosition& position, Qt::DropActions sourceMask)
{
    ++m_dropCount;
    const int row = index.isValid() ? index.row() : -1;
    const bool onShownRow = row >= 0 && row < shownCount();
    if (pasteboardHasType(data, QStringLiteral("QVLauncherPboardType"))
        || pasteboardHasType(data, QStringLiteral("QVContextPboardType"))) {
        if (!onShownRow)
            return Qt::IgnoreAction;
        position = DropPosition::On;
        scheduleSpringLoadedOpen(row);
        return proposedOperation(sourceMask);
    }
    for (const QString& type : newObjectDropTypes()) {
        if (pasteboardHasType(data, type)) {
            if (onShownRow && position == DropPosition::On) {
                scheduleSpringLoadedOpen(row);
                return proposedOperation(sourceMask);
            }
            return Qt::MoveAction;
        }
    }
    if (data && data->hasUrls()) {
        const QStringList paths = droppedPaths(data);
        return !paths.isEmpty() && QVEImporter::extensionIsValidForPath(paths.first()) ? Qt::MoveAction
                                                                                       : Qt::IgnoreAction;
    }
    return Qt::MoveAction;
}

bool QVEObjectsViewer::acceptDrop(QAbstractItemView*, const QMimeData* data, const QModelIndex&, DropPosition position,
                                  Qt::DropAction)
{
    if (position == DropPosition::Above) {
        // The first type present wins: a drag of actions and shortcuts makes
        // the new object of the actions.
        for (const QString& type : newObjectDropTypes()) {
            if (const std::optional<QVariantList> records = recordsFromPasteboard(data, type)) {
                m_table->window()->raise();
                m_table->window()->activateWindow();
                newObjectWithDroppedRecords(type, *records);
                return true;
            }
        }
    }
    if (data && data->hasUrls()) {
        bool imported = false, raised = false;
        for (const QString& path : droppedPaths(data)) {
            if (!QVEImporter::extensionIsValidForPath(path))
                continue;
            if (!raised) {
                m_table->window()->raise();
                m_table->window()->activateWindow();
                raised = true;
            }
            imported |= QVEImporter::sharedImporter().importFromFile(path);
        }
        return imported;
    }
    // Launchers, contexts and items held on a row only open its editor.
    return false;
}

} // namespace editor
