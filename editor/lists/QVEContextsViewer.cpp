#include "QVEContextsViewer.h"

#include "ImageAndTextCell.h"
#include "MainObjectsListModel.h"
#include "ManagerSupport.h"
#include "ModelSupport.h"
#include "QVContext.h"
#include "QVEContextsManager.h"
#include "QVEWindow.h"
#include "StripedTableView.h"
#include "TableCommandGate.h"

#include "Log.h"

#include <QAbstractButton>
#include <QFileInfo>
#include <QFont>
#include <QMenu>
#include <QPixmap>
#include <QUrl>

namespace editor {

static constexpr quintptr kChildOfType = 10; // internal ID of a context row: its group's type + this

static const QStringList kMainTypes{"QVShortcutPboardType", "QVMenuPboardType", "QVPalettePboardType"};

static QString groupName(int type)
{
    return loc(QStringLiteral("ContextTypeName%1").arg(type));
}

static QVContext* universalContext()
{
    const QList<QVContext*> universal = QVEContextsManager::sharedManager().contextsOfType(0);
    return universal.isEmpty() ? nullptr : universal.first();
}

// --- The outline's model ------------------------------------------------------------------------

void ContextsOutlineModel::reloadContexts()
{
    beginResetModel();
    m_groups.clear();
    m_groups.append(Group{-1, {}});
    QVEContextsManager& manager = QVEContextsManager::sharedManager();
    for (int type = 0; type <= 4; ++type) {
        QList<QVContext*> contexts = manager.contextsOfType(type);
        if (contexts.isEmpty())
            continue;
        std::stable_sort(contexts.begin(), contexts.end(), [](QVContext* a, QVContext* b) {
            return a->nameValue().compare(b->nameValue(), Qt::CaseInsensitive) < 0;
        });
        Group group{type, {}};
        for (QVContext* context : std::as_const(contexts))
            group.ids << context->IDValue();
        m_groups.append(group);
    }
    endResetModel();
}

QModelIndex ContextsOutlineModel::index(int row, int column, const QModelIndex& parent) const
{
    if (column != 0 || row < 0)
        return {};
    if (!parent.isValid())
        return row < m_groups.size() ? createIndex(row, column, quintptr(0)) : QModelIndex();
    if (parent.internalId() != 0 || parent.row() >= m_groups.size())
        return {};
    const Group& group = m_groups[parent.row()];
    if (group.type < 1 || row >= group.ids.size())
        return {};
    return createIndex(row, column, quintptr(group.type) + kChildOfType);
}

QModelIndex ContextsOutlineModel::parent(const QModelIndex& child) const
{
    if (!child.isValid() || child.internalId() == 0)
        return {};
    return indexOfGroup(int(child.internalId() - kChildOfType));
}

QModelIndex ContextsOutlineModel::indexOfGroup(int type) const
{
    for (int row = 0; row < m_groups.size(); ++row) {
        if (m_groups[row].type == type)
            return createIndex(row, 0, quintptr(0));
    }
    return {};
}

int ContextsOutlineModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return int(m_groups.size());
    if (parent.internalId() != 0 || parent.row() >= m_groups.size())
        return 0;
    const Group& group = m_groups[parent.row()];
    return group.type >= 1 ? int(group.ids.size()) : 0;
}

int ContextsOutlineModel::columnCount(const QModelIndex&) const
{
    return 1;
}

ContextsOutlineModel::ItemKind ContextsOutlineModel::itemKind(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != this)
        return ItemKind::None;
    if (index.internalId() != 0)
        return ItemKind::Context;
    switch (groupType(index)) {
    case -1: return ItemKind::AllObjects;
    case 0: return ItemKind::UniversalGroup;
    default: return ItemKind::TypeGroup;
    }
}

int ContextsOutlineModel::groupType(const QModelIndex& index) const
{
    if (!index.isValid())
        return -1;
    if (index.internalId() != 0)
        return int(index.internalId() - kChildOfType);
    return index.row() < m_groups.size() ? m_groups[index.row()].type : -1;
}

QVContext* ContextsOutlineModel::objectForItem(const QModelIndex& index) const
{
    switch (itemKind(index)) {
    case ItemKind::UniversalGroup: return universalContext();
    case ItemKind::Context: {
        const QModelIndex group = parent(index);
        const QList<quint32>& ids = m_groups[group.row()].ids;
        // Rows come from the groups themselves; anything else is a fault of ours.
        Q_ASSERT(index.row() < ids.size());
        return QVEContextsManager::sharedManager().contextWithID(ids.value(index.row()));
    }
    default: return nullptr;
    }
}

QModelIndex ContextsOutlineModel::indexOfContext(const QVContext* context) const
{
    if (!context)
        return {};
    if (context->contextType() == 0)
        return indexOfGroup(0);
    const QModelIndex group = indexOfGroup(context->contextType());
    if (!group.isValid())
        return {};
    const int row = int(m_groups[group.row()].ids.indexOf(context->IDValue()));
    return row < 0 ? QModelIndex() : index(row, 0, group);
}

QVariant ContextsOutlineModel::data(const QModelIndex& index, int role) const
{
    const ItemKind kind = itemKind(index);
    if (kind == ItemKind::None)
        return {};
    if (kind == ItemKind::Context) {
        QVContext* context = objectForItem(index);
        if (!context)
            return {};
        if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
            return context->nameValue();
        if (role == Qt::DecorationRole) {
            const QImage image = context->imageValueWithSize(16);
            return image.isNull() ? QVariant() : QVariant(QPixmap::fromImage(image));
        }
        return {};
    }
    const int type = groupType(index);
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) {
        if (kind == ItemKind::TypeGroup)
            return QStringLiteral("%1 (%2)").arg(groupName(type)).arg(m_groups[index.row()].ids.size());
        return groupName(type);
    }
    if (role == Qt::FontRole && kind == ItemKind::TypeGroup) {
        QFont bold;
        bold.setBold(true);
        return bold;
    }
    return {};
}

Qt::ItemFlags ContextsOutlineModel::flags(const QModelIndex& index) const
{
    switch (itemKind(index)) {
    case ItemKind::AllObjects: return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    case ItemKind::UniversalGroup:
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemNeverHasChildren;
    case ItemKind::TypeGroup: return Qt::ItemIsEnabled;
    case ItemKind::Context:
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemNeverHasChildren;
    default: return Qt::NoItemFlags;
    }
}

QStringList ContextsOutlineModel::mimeTypes() const
{
    return {mimeTypeForPboardType(QStringLiteral("QVContextPboardType"))};
}

QMimeData* ContextsOutlineModel::mimeData(const QModelIndexList& indexes) const
{
    QModelIndexList rows = indexes;
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) {
        if (a.parent() != b.parent())
            return (a.parent().isValid() ? a.parent().row() : a.row()) < (b.parent().isValid() ? b.parent().row() : b.row());
        return a.row() < b.row();
    });
    QVariantList records;
    for (const QModelIndex& index : std::as_const(rows)) {
        QVContext* context = objectForItem(index);
        if (!context)
            return nullptr;
        records << context->dictValue();
    }
    return mimeDataWithRecords(QStringLiteral("QVContextPboardType"), records);
}

// --- The pane ------------------------------------------------------------------------------------

QVEContextsViewer::QVEContextsViewer(QVEOutlineView* outline, QAbstractButton* deleteButton, QVEObjectsWindow* window,
                                     QObject* parent)
    : QObject(parent), m_outline(outline), m_deleteButton(deleteButton), m_window(window),
      m_model(new ContextsOutlineModel(this))
{
}

QVEContextsViewer::~QVEContextsViewer()
{
    disconnectViewer();
}

void QVEContextsViewer::initViewer()
{
    m_outline->setItemDelegateForColumn(0, new ImageAndTextCell(m_outline));
    m_outline->setExpandsOnDoubleClick(false);
    m_outline->setRootIsDecorated(true);
    connect(m_outline, &QAbstractItemView::doubleClicked, this, &QVEContextsViewer::doubleClicked);
    m_contextualMenu = new QMenu(m_outline);
    m_contextualMenu->setObjectName(QStringLiteral("contextsMenu"));
    for (const char* verb : {"cut", "copy", "clear", "export", "edit"}) {
        QAction* action = m_contextualMenu->addAction(loc(QStringLiteral("Verb_") + QLatin1String(verb)));
        action->setData(QLatin1String(verb));
        connect(action, &QAction::triggered, this, [this, action] {
            if (m_outline && m_outline->respondsToVerb(action->data().toString()))
                m_outline->performVerb(action->data().toString(), action);
        });
    }
    connect(m_contextualMenu, &QMenu::aboutToShow, this, [this] {
        for (QAction* action : m_contextualMenu->actions())
            action->setEnabled(m_outline && m_outline->respondsToVerb(action->data().toString()));
    });
    if (m_deleteButton) {
        m_deleteButton->setEnabled(false);
        connect(m_deleteButton, &QAbstractButton::clicked, this, &QVEContextsViewer::delObject);
    }
}

void QVEContextsViewer::connectViewer()
{
    if (m_connected)
        return;
    m_connected = true;
    m_model->reloadContexts();
    m_outline->setModel(m_model);
    m_outline->setVerbDelegate(this);
    TableCommandGate::sharedGate().viewModelChanged(m_outline);
    connect(m_outline->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &QVEContextsViewer::selectionDidChange);
    m_observer = zelk::NotificationCenter::defaultCenter().addObserver(
        updateNotificationName(Kind::Contexts), nullptr,
        [this](const zelk::Notification& notice) { updateContexts(notice.userInfo); });
    m_outline->expandAll();
    selectionDidChange();
    if (m_window)
        m_window->activateView(m_outline);
}

void QVEContextsViewer::disconnectViewer()
{
    if (!m_connected)
        return;
    m_connected = false;
    m_observer.reset();
    if (m_outline) {
        m_outline->setVerbDelegate(nullptr);
        m_outline->setModel(nullptr);
    }
}

void QVEContextsViewer::updateViewer()
{
    rebuildKeepingSelection();
}

void QVEContextsViewer::updateContexts(const QVariantMap& payload)
{
    switch (intValue(payload.value(QStringLiteral("updateaction")))) {
    case kQVUpdateAddAction:
    case kQVUpdateDelAction:
    case kQVUpdateRefreshAction: rebuildKeepingSelection(); break;
    case kQVUpdateReloadAction:
        disconnectViewer();
        connectViewer();
        break;
    default: break;
    }
}

void QVEContextsViewer::rebuildKeepingSelection()
{
    if (!m_connected)
        return;
    const QModelIndex selected = m_outline->selectionModel()->currentIndex();
    const auto kind = m_model->itemKind(selected);
    const bool wasSelected = selected.isValid() && m_outline->selectionModel()->isSelected(selected);
    const quint32 contextID = kind == ContextsOutlineModel::ItemKind::Context && m_model->objectForItem(selected)
                                  ? m_model->objectForItem(selected)->IDValue()
                                  : 0;
    const int type = m_model->groupType(selected);
    {
        // The same item is selected again; the connected list keeps its filter.
        const QSignalBlocker blocker(m_outline->selectionModel());
        m_model->reloadContexts();
        m_outline->expandAll();
        if (wasSelected) {
            QModelIndex again;
            if (kind == ContextsOutlineModel::ItemKind::Context)
                again = m_model->indexOfContext(QVEContextsManager::sharedManager().contextWithID(contextID));
            else
                again = m_model->indexOfGroup(type);
            if (again.isValid())
                m_outline->selectionModel()->setCurrentIndex(again, QItemSelectionModel::ClearAndSelect);
        }
    }
    m_outline->viewport()->update();
    if (m_deleteButton)
        m_deleteButton->setEnabled(m_model->itemKind(m_outline->selectionModel()->currentIndex())
                                   == ContextsOutlineModel::ItemKind::Context);
}

int QVEContextsViewer::selectedContextIndex() const
{
    if (!m_connected || !m_outline->selectionModel())
        return -1;
    const QModelIndex current = m_outline->selectionModel()->currentIndex();
    if (!current.isValid() || !m_outline->selectionModel()->isSelected(current))
        return -1;
    // The row as the outline shows it, counted from the top.
    int row = 0;
    for (QModelIndex above = m_outline->indexAbove(current); above.isValid(); above = m_outline->indexAbove(above))
        ++row;
    return row;
}

QVContext* QVEContextsViewer::selectedObject() const
{
    return m_connected ? m_model->objectForItem(selectedIndex(m_outline)) : nullptr;
}

QList<quint32> QVEContextsViewer::selectedContextsIDArray() const
{
    QList<quint32> ids;
    if (!m_connected)
        return ids;
    QModelIndexList rows = m_outline->selectionModel()->selectedIndexes();
    // In row order, as the outline shows them.
    std::sort(rows.begin(), rows.end(), [this](const QModelIndex& a, const QModelIndex& b) {
        return m_outline->visualRect(a).top() < m_outline->visualRect(b).top();
    });
    for (const QModelIndex& index : std::as_const(rows)) {
        if (QVContext* context = m_model->objectForItem(index))
            ids << context->IDValue();
    }
    return ids;
}

void QVEContextsViewer::selectionDidChange()
{
    if (!m_connected)
        return;
    const QModelIndex item = selectedIndex(m_outline);
    switch (m_model->itemKind(item)) {
    case ContextsOutlineModel::ItemKind::AllObjects:
        if (m_window)
            m_window->showAllObjects();
        if (m_deleteButton)
            m_deleteButton->setEnabled(false);
        break;
    case ContextsOutlineModel::ItemKind::UniversalGroup:
        if (QVContext* universal = universalContext(); universal && m_window)
            m_window->showObjectsWithContextID(universal->IDValue(), QString());
        if (m_deleteButton)
            m_deleteButton->setEnabled(false);
        break;
    case ContextsOutlineModel::ItemKind::Context:
        if (QVContext* context = m_model->objectForItem(item); context && m_window)
            m_window->showObjectsWithContextID(context->IDValue(), QString());
        if (m_deleteButton)
            m_deleteButton->setEnabled(true);
        break;
    default: break;
    }
}

void QVEContextsViewer::selectIndex(const QModelIndex& index)
{
    if (!index.isValid())
        return;
    if (index.parent().isValid())
        m_outline->expand(index.parent());
    m_outline->scrollTo(index);
    m_outline->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
}

void QVEContextsViewer::showItem(QVContext* context, bool)
{
    if (m_connected)
        selectIndex(m_model->indexOfContext(context));
}

void QVEContextsViewer::doubleClicked(const QModelIndex& index)
{
    switch (m_connected ? m_model->itemKind(index) : ContextsOutlineModel::ItemKind::None) {
    case ContextsOutlineModel::ItemKind::TypeGroup:
        m_outline->setExpanded(index, !m_outline->isExpanded(index));
        break;
    case ContextsOutlineModel::ItemKind::UniversalGroup:
    case ContextsOutlineModel::ItemKind::Context:
        if (QVContext* context = m_model->objectForItem(index))
            QVEContextsManager::sharedManager().editContextsID({context->IDValue()});
        break;
    default: break;
    }
}

void QVEContextsViewer::addObject(int contextType)
{
    QVEContextsManager& manager = QVEContextsManager::sharedManager();
    manager.newContextForType(contextType);
    if (QVContext* context = manager.contextWithID(QVContext::currentContextID() - 1))
        showItem(context);
}

void QVEContextsViewer::delObject()
{
    QVEContextsManager::sharedManager().delContextsID(selectedContextsIDArray(), false);
    selectionDidChange();
}

QUndoStack* QVEContextsViewer::undoManager()
{
    return QVEContextsManager::sharedManager().undoManager();
}

// --- Verbs ------------------------------------------------------------------------------------------

bool QVEContextsViewer::answersVerb(const QString& verb) const
{
    static const QStringList verbs{"cut", "copy", "clear", "export", "edit"};
    return verbs.contains(verb);
}

bool QVEContextsViewer::verbEnabledInTableView(const QString& verb, QAbstractItemView*)
{
    if (!m_connected)
        return false;
    const auto kind = m_model->itemKind(selectedIndex(m_outline));
    if (verb == QLatin1String("cut") || verb == QLatin1String("clear"))
        return kind == ContextsOutlineModel::ItemKind::Context;
    if (answersVerb(verb))
        return kind == ContextsOutlineModel::ItemKind::Context || kind == ContextsOutlineModel::ItemKind::UniversalGroup;
    return false;
}

void QVEContextsViewer::verbInTableView(const QString& verb, QObject*, QAbstractItemView*)
{
    QVEContextsManager& manager = QVEContextsManager::sharedManager();
    const QList<quint32> ids = selectedContextsIDArray();
    if (verb == QLatin1String("cut")) {
        // A cut that only deleted would lose the contexts: they go to the
        // clipboard first.
        manager.copyContextsID(ids);
        manager.delContextsID(ids, false);
    } else if (verb == QLatin1String("copy")) {
        manager.copyContextsID(ids);
    } else if (verb == QLatin1String("clear")) {
        manager.delContextsID(ids, false);
    } else if (verb == QLatin1String("export")) {
        manager.exportContextsID(ids);
    } else if (verb == QLatin1String("edit")) {
        manager.editContextsID(ids);
    }
}

// --- Drops -------------------------------------------------------------------------------------------

static bool hasMainObjects(const QMimeData* data)
{
    for (const QString& type : kMainTypes) {
        if (pasteboardHasType(data, type))
            return true;
    }
    return false;
}

Qt::DropAction QVEContextsViewer::validateDrop(QAbstractItemView*, const QMimeData* data, QModelIndex& index,
                                               DropPosition& position, Qt::DropActions sourceMask)
{
    if (!m_connected)
        return Qt::IgnoreAction;
    const auto kind = m_model->itemKind(index);
    if (hasMainObjects(data)) {
        const bool onObject = (kind == ContextsOutlineModel::ItemKind::Context
                               || kind == ContextsOutlineModel::ItemKind::UniversalGroup)
                              && position == DropPosition::On;
        if (!onObject || index == selectedIndex(m_outline))
            return Qt::IgnoreAction;
        return proposedOperation(sourceMask);
    }
    if (index.isValid() && data && data->hasUrls()) {
        if (kind == ContextsOutlineModel::ItemKind::Context && position == DropPosition::Above) {
            // Between the rows of a group: the group takes it.
            index = index.parent();
            position = DropPosition::On;
        }
        if (m_model->itemKind(index) == ContextsOutlineModel::ItemKind::TypeGroup && position == DropPosition::On)
            return Qt::CopyAction;
    }
    return Qt::IgnoreAction;
}

bool QVEContextsViewer::acceptDrop(QAbstractItemView*, const QMimeData* data, const QModelIndex& index, DropPosition,
                                   Qt::DropAction action)
{
    if (!m_connected)
        return false;
    if (hasMainObjects(data)) {
        QVContext* target = m_model->objectForItem(index);
        if (!target)
            return false;
        const bool copy = action == Qt::CopyAction;
        // Objects being edited take no part; with none left the drop is refused.
        if (dropMainObjectsOnContext(data, target, selectedObject(), copy) == 0)
            return false;
        if (!copy)
            selectIndex(m_model->indexOfContext(target));
        return true;
    }
    if (m_model->itemKind(index) == ContextsOutlineModel::ItemKind::TypeGroup)
        return acceptApplicationDrop(data, m_model->groupType(index));
    return false;
}

bool QVEContextsViewer::acceptApplicationDrop(const QMimeData* data, int type)
{
    const QList<QUrl> urls = data ? data->urls() : QList<QUrl>{};
    if (urls.isEmpty() || !urls.first().isLocalFile())
        return false;
    const QFileInfo file(urls.first().toLocalFile());
    QString name = file.fileName();
    // An application's entry stands for the application: no extension.
    if (file.suffix() == QLatin1String("app") || file.suffix() == QLatin1String("desktop"))
        name = file.completeBaseName();
    ObjectStore* store = managedStore("QVEContextsViewer", "acceptApplicationDrop");
    if (!store)
        return false;
    QVariantMap record = QVContext::newDataForType(type);
    record.insert(QStringLiteral("contextname"), name);
    record.insert(QStringLiteral("contextparams"), QVariantMap{{QStringLiteral("contextactivatedapplication"), name}});
    QVEContextsManager& manager = QVEContextsManager::sharedManager();
    // Undoable like every other change of the contexts.
    UndoStep step(*store);
    manager.addContextObject(record);
    step.push(manager.undoManager(), undoName(QStringLiteral("AnnulerAjouterContexte"),
                                              QStringLiteral("AnnulerAjouterContextes"), {name}));
    manager.updateContexts();
    updateViewer();
    manager.reloadContexts();
    return true;
}

} // namespace editor
