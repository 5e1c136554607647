#pragma once
// The item model of a main list, as the lists show it: the core model's
// rows and dragged records, with the shown texts and images of the lists'
// columns, each column's sort value (SortRole; none for "links" and
// "inBar", which have nothing to sort by) and the object's ID.
// ObjectsFilterModel filters it by context and search text and sorts it.
#include "MainObjectsListModel.h"

#include <QSortFilterProxyModel>

namespace editor {

class ObjectsTableModel : public MainObjectsListModel {
public:
    enum Role { SortRole = Qt::UserRole + 1, IDRole };

    ObjectsTableModel(Kind kind, const QStringList& columns, QObject* parent = nullptr);
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // Drops are the list's business (through the view), not the model's.
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    const QStringList& columns() const { return m_columnIDs; }
    // The value a column sorts by; invalid for a column without one.
    static QVariant sortValue(Kind kind, QVEMainModel* object, const QString& identifier);
    static bool columnSorts(Kind kind, const QString& identifier);

private:
    Kind m_kindOfRows;
    QStringList m_columnIDs;
};

class ObjectsFilterModel : public QSortFilterProxyModel {
public:
    explicit ObjectsFilterModel(QObject* parent = nullptr);

    // selectionType 3: only the objects linked to the context; else all.
    void setSelection(int selectionType, quint32 contextID, const QString& searchText);
    // The matching order of the lists: by the column's value, ties (and
    // columns without values) by name, case-insensitive.
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    int m_selectionType = 0;
    quint32 m_contextID = 0;
    QString m_searchText;
};

} // namespace editor
