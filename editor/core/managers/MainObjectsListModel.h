#pragma once
// The item model of a main list (shortcuts, menus or palettes): one row per
// object of the manager, columns named by the system's identifiers. It
// rebuilds on the kind's update notice whatever its payload, answers the
// kind's pasteboard type for dragged rows, and hands dropped exchange files
// to the importer. The windows that show it come with the main window.
#include "ManagerSupport.h"
#include "NotificationCenter.h"

#include <QAbstractTableModel>
#include <QStringList>

namespace editor {

class QVEMainModel;

class MainObjectsListModel : public QAbstractTableModel {
public:
    // kind: Shortcuts, Menus or Palettes.
    MainObjectsListModel(Kind kind, const QStringList& columns, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDropActions() const override { return Qt::CopyAction; }
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

    QVEMainModel* objectAtRow(int row) const;
    // The column value of the list rules: the fixed columns' own values,
    // else " " and the object's <identifier>Value text.
    static QString columnText(Kind kind, QVEMainModel* object, const QString& identifier);
    void reload();

private:
    QString pboardType() const;

    Kind m_kind;
    QStringList m_columns;
    QList<quint32> m_ids;
    zelk::ObserverHandle m_observer;
};

// Shortcuts, menus or palettes dropped on a context of the contexts pane:
// each object named by the pasteboard records is found through its manager,
// given the context and, unless the drag is a copy, taken out of the
// context selected before (previous may be nullptr). An object with an open
// editor is left out (it would ignore the link). The change is one undo
// step of the first dropped kind's manager, and the three lists' notices
// follow. The number of objects linked; 0 changed nothing.
int dropMainObjectsOnContext(const QMimeData* data, QVContext* context, QVContext* previous, bool copy);

} // namespace editor
