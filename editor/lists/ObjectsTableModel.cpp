#include "ObjectsTableModel.h"

#include "ModelSupport.h"
#include "QVMenu.h"
#include "QVPalette.h"
#include "QVShortcut.h"
#include "QVUtility.h"

#include <QPixmap>

namespace editor {

static constexpr int kRowImageSize = 16;

ObjectsTableModel::ObjectsTableModel(Kind kind, const QStringList& columns, QObject* parent)
    : MainObjectsListModel(kind, columns, parent), m_kindOfRows(kind), m_columnIDs(columns)
{
}

Qt::ItemFlags ObjectsTableModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemNeverHasChildren;
}

static bool isUsed(QVEMainModel* object)
{
    if (auto* used = dynamic_cast<QVEUsedMainModel*>(object))
        return used->isUsed();
    return false;
}

static QImage nameImage(Kind kind, QVEMainModel* object)
{
    switch (kind) {
    case ObjectsFile::Shortcuts: return static_cast<QVShortcut*>(object)->imageValueWithSize(16);
    case ObjectsFile::Menus: return static_cast<QVMenu*>(object)->imageValueWithSize(16);
    default: return {};
    }
}

static QImage columnImage(Kind kind, QVEMainModel* object, const QString& identifier)
{
    QVUtility& utility = QVUtility::sharedUtility();
    if (identifier == QLatin1String("name"))
        return nameImage(kind, object);
    if (identifier == QLatin1String("launchers"))
        return object->launchersImageValue();
    if (identifier == QLatin1String("commands") && kind == ObjectsFile::Shortcuts)
        return static_cast<QVShortcut*>(object)->commandsImageValue();
    if (identifier == QLatin1String("items")) {
        if (kind == ObjectsFile::Menus)
            return static_cast<QVMenu*>(object)->itemsImageValue();
        if (kind == ObjectsFile::Palettes)
            return static_cast<QVPalette*>(object)->itemsImageValue();
    }
    if (identifier == QLatin1String("links"))
        return utility.imageWithName(isUsed(object) ? QStringLiteral("usedobject") : QStringLiteral("uncheck"));
    if (identifier == QLatin1String("inBar") && kind == ObjectsFile::Menus)
        return static_cast<QVMenu*>(object)->inBar() ? utility.imageWithName(QStringLiteral("menubar")) : QImage();
    if (identifier == QLatin1String("itemsType") && kind == ObjectsFile::Palettes)
        return utility.imageWithName(QStringLiteral("ButtonType%1").arg(static_cast<QVPalette*>(object)->itemsType()));
    return {};
}

bool ObjectsTableModel::columnSorts(Kind kind, const QString& identifier)
{
    static const QStringList sorted{"name", "commands", "launchers", "items", "showActive", "itemsType"};
    return sorted.contains(identifier) && !(identifier == QLatin1String("commands") && kind != ObjectsFile::Shortcuts);
}

QVariant ObjectsTableModel::sortValue(Kind kind, QVEMainModel* object, const QString& identifier)
{
    if (!object || !columnSorts(kind, identifier))
        return {};
    if (identifier == QLatin1String("name"))
        return object->nameValue();
    if (identifier == QLatin1String("launchers"))
        return object->launchersValue();
    if (identifier == QLatin1String("commands"))
        return static_cast<QVShortcut*>(object)->commandsValue();
    if (identifier == QLatin1String("items")) {
        if (kind == ObjectsFile::Menus)
            return static_cast<QVMenu*>(object)->itemsValue();
        if (kind == ObjectsFile::Palettes)
            return static_cast<QVPalette*>(object)->itemsValue();
    }
    if (kind == ObjectsFile::Palettes && identifier == QLatin1String("showActive"))
        return static_cast<QVPalette*>(object)->showActiveValue();
    if (kind == ObjectsFile::Palettes && identifier == QLatin1String("itemsType"))
        return static_cast<QVPalette*>(object)->itemsTypeValue();
    return {};
}

QVariant ObjectsTableModel::data(const QModelIndex& index, int role) const
{
    QVEMainModel* object = objectAtRow(index.row());
    if (!object || index.column() < 0 || index.column() >= m_columnIDs.size())
        return {};
    const QString& identifier = m_columnIDs[index.column()];
    switch (role) {
    case Qt::DisplayRole:
        if (identifier == QLatin1String("links") || identifier == QLatin1String("inBar")
            || identifier == QLatin1String("itemsType"))
            return {};
        if (identifier == QLatin1String("name"))
            return m_kindOfRows == ObjectsFile::Palettes ? object->nameValue() : QStringLiteral(" ") + object->nameValue();
        return columnText(m_kindOfRows, object, identifier);
    case Qt::DecorationRole: {
        QImage image = columnImage(m_kindOfRows, object, identifier);
        // Rows are one line high: larger summary images are shown at 16.
        if (image.width() > kRowImageSize || image.height() > kRowImageSize)
            image = image.scaled(kRowImageSize, kRowImageSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        return image.isNull() ? QVariant() : QVariant(QPixmap::fromImage(image));
    }
    case Qt::AccessibleTextRole:
        if (identifier == QLatin1String("links"))
            return isUsed(object) ? loc(QStringLiteral("ObjetUtilise")) : loc(QStringLiteral("ObjetNonUtilise"));
        return columnText(m_kindOfRows, object, identifier).trimmed();
    case SortRole: return sortValue(m_kindOfRows, object, identifier);
    case IDRole: return object->IDValue();
    default: return {};
    }
}

QVariant ObjectsTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_columnIDs.size())
        return loc(QStringLiteral("Column_") + m_columnIDs[section]);
    return MainObjectsListModel::headerData(section, orientation, role);
}

ObjectsFilterModel::ObjectsFilterModel(QObject* parent) : QSortFilterProxyModel(parent)
{
    setDynamicSortFilter(true);
}

void ObjectsFilterModel::setSelection(int selectionType, quint32 contextID, const QString& searchText)
{
    if (selectionType == m_selectionType && contextID == m_contextID && searchText == m_searchText)
        return;
    m_selectionType = selectionType;
    m_contextID = contextID;
    m_searchText = searchText;
    invalidateRowsFilter();
}

bool ObjectsFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex&) const
{
    auto* model = static_cast<MainObjectsListModel*>(sourceModel());
    QVEMainModel* object = model->objectAtRow(sourceRow);
    if (!object)
        return false;
    if (m_selectionType == 3) {
        bool linked = false;
        for (const QVariant& ref : object->contextsDictArray()) {
            if (uintValue(ref.toMap().value(QStringLiteral("cutcontextID"))) == m_contextID) {
                linked = true;
                break;
            }
        }
        if (!linked)
            return false;
    }
    return m_searchText.isEmpty() || object->nameValue().contains(m_searchText, Qt::CaseInsensitive);
}

bool ObjectsFilterModel::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    const QVariant a = left.data(ObjectsTableModel::SortRole);
    const QVariant b = right.data(ObjectsTableModel::SortRole);
    const QString sortColumn = static_cast<ObjectsTableModel*>(sourceModel())->columns().value(left.column());
    if (sortColumn != QLatin1String("name") && a.isValid() && b.isValid()) {
        int order = 0;
        if (a.typeId() == QMetaType::QString)
            order = a.toString().compare(b.toString());
        else
            order = QVariant::compare(a, b) == QPartialOrdering::Less ? -1 : (QVariant::compare(a, b) == QPartialOrdering::Greater ? 1 : 0);
        if (order != 0)
            return order < 0;
    }
    auto* model = static_cast<MainObjectsListModel*>(sourceModel());
    QVEMainModel* x = model->objectAtRow(left.row());
    QVEMainModel* y = model->objectAtRow(right.row());
    if (!x || !y)
        return false;
    return x->nameValue().compare(y->nameValue(), Qt::CaseInsensitive) < 0;
}

} // namespace editor
