#include "MainObjectsListModel.h"

#include "ModelSupport.h"
#include "QVContext.h"
#include "QVEImporter.h"
#include "QVEMenusManager.h"
#include "QVEPalettesManager.h"
#include "QVEShortcutsManager.h"
#include "QVMenu.h"
#include "QVPalette.h"
#include "QVShortcut.h"

#include <QMimeData>
#include <QPixmap>
#include <QUrl>

namespace editor {

MainObjectsListModel::MainObjectsListModel(Kind kind, const QStringList& columns, QObject* parent)
    : QAbstractTableModel(parent), m_kind(kind), m_columns(columns)
{
    m_observer = zelk::NotificationCenter::defaultCenter().addObserver(updateNotificationName(kind), nullptr,
                                                                       [this](const zelk::Notification&) { reload(); });
    reload();
}

void MainObjectsListModel::reload()
{
    beginResetModel();
    ObjectStore* store = ObjectStore::sharedStore();
    m_ids = store ? store->allIDs(m_kind) : QList<quint32>{};
    endResetModel();
}

int MainObjectsListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_ids.size());
}

int MainObjectsListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVEMainModel* MainObjectsListModel::objectAtRow(int row) const
{
    ObjectStore* store = ObjectStore::sharedStore();
    if (!store || row < 0 || row >= m_ids.size())
        return nullptr;
    switch (m_kind) {
    case ObjectsFile::Shortcuts: return store->shortcutWithID(m_ids[row]);
    case ObjectsFile::Menus: return store->menuWithID(m_ids[row]);
    case ObjectsFile::Palettes: return store->paletteWithID(m_ids[row]);
    default: return nullptr;
    }
}

QString MainObjectsListModel::columnText(Kind kind, QVEMainModel* object, const QString& identifier)
{
    if (!object)
        return {};
    if (identifier == QLatin1String("name"))
        return object->nameValue();
    if (identifier == QLatin1String("contexts"))
        return QStringLiteral(" ") + object->contextsValue();
    if (identifier == QLatin1String("launchers"))
        return QStringLiteral(" ") + object->launchersValue();
    if (kind == ObjectsFile::Shortcuts) {
        if (identifier == QLatin1String("commands"))
            return QStringLiteral(" ") + static_cast<QVShortcut*>(object)->commandsValue();
    } else if (kind == ObjectsFile::Menus) {
        auto* menu = static_cast<QVMenu*>(object);
        if (identifier == QLatin1String("links"))
            return menu->linkNameValue();
        if (identifier == QLatin1String("items"))
            return QStringLiteral(" ") + menu->itemsValue();
    } else if (kind == ObjectsFile::Palettes) {
        auto* palette = static_cast<QVPalette*>(object);
        if (identifier == QLatin1String("showActive"))
            return palette->showActiveValue();
        if (identifier == QLatin1String("items"))
            return QStringLiteral(" ") + palette->itemsValue();
    }
    return {};
}

QVariant MainObjectsListModel::data(const QModelIndex& index, int role) const
{
    QVEMainModel* object = objectAtRow(index.row());
    if (!object || index.column() < 0 || index.column() >= m_columns.size())
        return {};
    const QString identifier = m_columns[index.column()];
    if (role == Qt::DisplayRole)
        return columnText(m_kind, object, identifier);
    if (role == Qt::CheckStateRole && m_kind == ObjectsFile::Menus && identifier == QLatin1String("inBar"))
        return static_cast<QVMenu*>(object)->inBar() ? Qt::Checked : Qt::Unchecked;
    if (role == Qt::DecorationRole) {
        QImage image;
        if (identifier == QLatin1String("contexts"))
            image = object->contextsImageValue();
        else if (identifier == QLatin1String("launchers"))
            image = object->launchersImageValue();
        else if (identifier == QLatin1String("commands") && m_kind == ObjectsFile::Shortcuts)
            image = static_cast<QVShortcut*>(object)->commandsImageValue();
        if (!image.isNull())
            return QPixmap::fromImage(image);
    }
    return {};
}

QVariant MainObjectsListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_columns.size())
        return m_columns[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags MainObjectsListModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index) | Qt::ItemIsDropEnabled;
    if (index.isValid())
        flags |= Qt::ItemIsDragEnabled;
    return flags;
}

QString MainObjectsListModel::pboardType() const
{
    switch (m_kind) {
    case ObjectsFile::Shortcuts: return QStringLiteral("QVShortcutPboardType");
    case ObjectsFile::Menus: return QStringLiteral("QVMenuPboardType");
    case ObjectsFile::Palettes: return QStringLiteral("QVPalettePboardType");
    default: return {};
    }
}

QStringList MainObjectsListModel::mimeTypes() const
{
    return {mimeTypeForPboardType(pboardType()), QStringLiteral("text/uri-list")};
}

QMimeData* MainObjectsListModel::mimeData(const QModelIndexList& indexes) const
{
    QList<int> rows;
    for (const QModelIndex& index : indexes) {
        if (!rows.contains(index.row()))
            rows.append(index.row());
    }
    std::sort(rows.begin(), rows.end());
    QVariantList records;
    for (const int row : std::as_const(rows)) {
        if (QVEMainModel* object = objectAtRow(row))
            records.append(object->dictValue());
    }
    return mimeDataWithRecords(pboardType(), records);
}

int dropMainObjectsOnContext(const QMimeData* data, QVContext* context, QVContext* previous, bool copy)
{
    ObjectStore* store = managedStore("MainObjectsListModel", "dropMainObjectsOnContext");
    if (!context || !store)
        return 0;
    struct DroppedKind {
        const char* type;
        const char* idKey;
        QVEMainObjectsManager* manager;
        QUndoStack* undoManager;
    };
    const DroppedKind kinds[] = {
        {"QVShortcutPboardType", "cutID", &QVEShortcutsManager::sharedManager(),
         QVEShortcutsManager::sharedManager().undoManager()},
        {"QVMenuPboardType", "menuID", &QVEMenusManager::sharedManager(), QVEMenusManager::sharedManager().undoManager()},
        {"QVPalettePboardType", "paletteID", &QVEPalettesManager::sharedManager(),
         QVEPalettesManager::sharedManager().undoManager()},
    };
    UndoStep step(*store);
    QUndoStack* undoManager = nullptr;
    QStringList names;
    for (const DroppedKind& kind : kinds) {
        const std::optional<QVariantList> records = recordsFromPasteboard(data, QLatin1String(kind.type));
        if (!records)
            continue;
        for (const QVariant& record : *records) {
            QVEMainModel* object = kind.manager->objectWithID(uintValue(record.toMap().value(QLatin1String(kind.idKey))));
            // An object being edited ignores links from outside its editor:
            // it takes no part in the drop.
            if (!object || object->hasEditor())
                continue;
            object->addAuxObjects({context});
            if (!copy && previous && previous != context)
                object->removeAuxObjects({previous});
            names << object->nameValue();
            if (!undoManager)
                undoManager = kind.undoManager;
        }
    }
    if (names.isEmpty())
        return 0;
    step.push(undoManager, undoName(copy ? QStringLiteral("AnnulerLierContexte") : QStringLiteral("AnnulerDeplacerVersContexte"),
                                    copy ? QStringLiteral("AnnulerLierContextes") : QStringLiteral("AnnulerDeplacerVersContextes"),
                                    names));
    postMainListsUpdate();
    return int(names.size());
}

static QStringList exchangePaths(const QMimeData* data)
{
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile() && QVEImporter::extensionIsValidForPath(url.toLocalFile()))
            paths << url.toLocalFile();
    }
    return paths;
}

bool MainObjectsListModel::canDropMimeData(const QMimeData* data, Qt::DropAction, int, int, const QModelIndex&) const
{
    return !exchangePaths(data).isEmpty();
}

bool MainObjectsListModel::dropMimeData(const QMimeData* data, Qt::DropAction, int, int, const QModelIndex&)
{
    const QStringList paths = exchangePaths(data);
    for (const QString& path : paths)
        QVEImporter::sharedImporter().importFromFile(path);
    return !paths.isEmpty();
}

} // namespace editor
