#include "RecordListModel.h"

#include "Log.h"
#include "ManagerSupport.h"

#include <QAbstractItemView>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QMimeData>
#include <QUndoStack>
#include <QUuid>
#include <algorithm>

namespace editor {

namespace {

QList<int> sortedUnique(QList<int> rows)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

QList<int> consecutive(int first, int count)
{
    QList<int> rows;
    for (int k = 0; k < count; ++k)
        rows << first + k;
    return rows;
}

// Rows sorted, each once, those outside a list of count rows dropped.
QList<int> rowsWithin(const QList<int>& rows, int count)
{
    QList<int> within;
    for (const int row : sortedUnique(rows)) {
        if (row >= 0 && row < count)
            within << row;
    }
    return within;
}

// A step goes on the undo stack when the list has one, else it is just done.
void pushOrRun(QUndoStack* stack, QUndoCommand* step)
{
    if (stack) {
        stack->push(step);
    } else {
        step->redo();
        delete step;
    }
}

// Where selectAfter stands once the rows are out, kept inside the list.
int rowAfterRemoval(int selectAfter, const QList<int>& removed, int countAfter)
{
    for (const int row : removed) {
        if (row < selectAfter)
            --selectAfter;
    }
    return std::min(selectAfter, countAfter - 1);
}

} // namespace

// One step of a list: the add, remove or move it was made for is its redo,
// the exact inverse its undo.
class RecordListCommand : public QUndoCommand {
public:
    enum Op { Add, Remove, Move };
    RecordListCommand(RecordListModel* list, Op op, QVariantList records, QList<int> rows, int selectAfter,
                      const QString& text)
        : QUndoCommand(text), m_list(list), m_op(op), m_records(std::move(records)), m_rows(std::move(rows)),
          m_selectAfter(selectAfter)
    {
    }

    void redo() override
    {
        if (!m_list)
            return;
        switch (m_op) {
        case Add:
            m_list->insertAt(m_records, m_rows);
            m_list->selectRows(m_rows, m_selectAfter);
            break;
        case Remove:
            m_records = m_list->takeAt(m_rows);
            m_list->selectRow(rowAfterRemoval(m_selectAfter, m_rows, m_list->count()));
            break;
        case Move: {
            const QList<int> target = consecutive(m_selectAfter, int(m_rows.size()));
            m_list->insertAt(m_list->takeAt(m_rows), target);
            m_list->selectRows(target, target.first());
            break;
        }
        }
        emit m_list->recordsChanged();
    }

    void undo() override
    {
        if (!m_list)
            return;
        switch (m_op) {
        case Add:
            m_list->takeAt(m_rows);
            m_list->selectRow(rowAfterRemoval(m_selectAfter, m_rows, m_list->count()));
            break;
        case Remove:
            m_list->insertAt(m_records, m_rows);
            m_list->selectRows(m_rows, m_selectAfter);
            break;
        case Move:
            m_list->insertAt(m_list->takeAt(consecutive(m_selectAfter, int(m_rows.size()))), m_rows);
            m_list->selectRows(m_rows, m_rows.first());
            break;
        }
        emit m_list->recordsChanged();
    }

private:
    QPointer<RecordListModel> m_list;
    Op m_op;
    QVariantList m_records;
    QList<int> m_rows;     // add: where the records go; remove, move: the rows taken
    int m_selectAfter;     // move: the first row of the block once moved
};

RecordListModel::RecordListModel(Config config, QUndoStack* undoStack, QObject* parent)
    : QAbstractTableModel(parent), m_config(std::move(config)), m_undoStack(undoStack),
      m_token(QUuid::createUuid().toString(QUuid::WithoutBraces))
{
}

RecordListModel::~RecordListModel() = default;

QString RecordListModel::sourceMimeType()
{
    return QStringLiteral("application/x-zelk-dragsource");
}

void RecordListModel::setView(QAbstractItemView* view)
{
    m_view = view;
}

void RecordListModel::setRecords(const QVariantList& records)
{
    beginResetModel();
    m_records = records;
    endResetModel();
    emit recordsChanged();
}

QVariantMap RecordListModel::recordAt(int row) const
{
    if (row < 0 || row >= count())
        return {};
    return m_records.at(row).toMap();
}

bool RecordListModel::replaceRecord(int row, const QVariantMap& record)
{
    if (row < 0 || row >= count()) {
        zelk::zlog("RecordListModel", "replaceRecord") << "no row" << row;
        return false;
    }
    m_records[row] = record;
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    emit recordsChanged();
    return true;
}

int RecordListModel::indexOfID(quint32 id) const
{
    if (!m_config.idOf)
        return -1;
    for (int row = 0; row < count(); ++row) {
        if (m_config.idOf(recordAt(row)) == id)
            return row;
    }
    return -1;
}

void RecordListModel::reload()
{
    if (count() > 0)
        emit dataChanged(index(0, 0), index(count() - 1, columnCount() - 1));
}

// --- Selection ----------------------------------------------------------------------------------

int RecordListModel::selectedRow() const
{
    if (!m_view || !m_view->selectionModel())
        return -1;
    QItemSelectionModel* selection = m_view->selectionModel();
    const QModelIndex current = selection->currentIndex();
    if (current.isValid() && selection->isRowSelected(current.row(), {}))
        return current.row();
    const QList<int> rows = selectedRows();
    return rows.isEmpty() ? -1 : rows.last();
}

QList<int> RecordListModel::selectedRows() const
{
    QList<int> rows;
    if (!m_view || !m_view->selectionModel())
        return rows;
    for (const QModelIndex& index : m_view->selectionModel()->selectedRows())
        rows << index.row();
    return sortedUnique(rows);
}

void RecordListModel::selectRow(int row)
{
    if (row < 0 || row >= count()) {
        if (m_view && m_view->selectionModel() && count() == 0)
            m_view->selectionModel()->clearSelection();
        return;
    }
    selectRows({row}, row);
}

void RecordListModel::selectRows(const QList<int>& rows, int current)
{
    if (!m_view || !m_view->selectionModel())
        return;
    QItemSelectionModel* selection = m_view->selectionModel();
    QItemSelection chosen;
    for (const int row : rows) {
        if (row >= 0 && row < count())
            chosen.select(index(row, 0), index(row, columnCount() - 1));
    }
    selection->select(chosen, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (current >= 0 && current < count()) {
        selection->setCurrentIndex(index(current, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        m_view->scrollTo(index(current, 0));
    }
}

// --- The steps' work -------------------------------------------------------------------------

void RecordListModel::insertAt(const QVariantList& records, const QList<int>& rows)
{
    for (qsizetype k = 0; k < records.size() && k < rows.size(); ++k) {
        const int row = std::clamp(rows.at(k), 0, count());
        beginInsertRows({}, row, row);
        m_records.insert(row, records.at(k));
        endInsertRows();
    }
}

QVariantList RecordListModel::takeAt(const QList<int>& rows)
{
    QVariantList taken;
    for (qsizetype k = rows.size() - 1; k >= 0; --k) {
        const int row = rows.at(k);
        if (row < 0 || row >= count())
            continue;
        beginRemoveRows({}, row, row);
        taken.prepend(m_records.takeAt(row));
        endRemoveRows();
    }
    return taken;
}

QString RecordListModel::stepName(const UndoKeys& keys, const QVariantList& records) const
{
    QStringList names;
    for (const QVariant& record : records)
        names << (m_config.nameOf ? m_config.nameOf(record.toMap()) : QString());
    return undoName(keys.one, keys.many, names);
}

// --- Undoable operations --------------------------------------------------------------------

bool RecordListModel::addRecords(const QVariantList& records, const QList<int>& atIndexes, int selectAfter,
                                 const QString& undoName)
{
    if (records.isEmpty())
        return false;
    if (atIndexes.size() != records.size()) {
        zelk::zlog("RecordListModel", "addRecords") << records.size() << "records for" << atIndexes.size() << "rows";
        return false;
    }
    const QString name = undoName.isEmpty() ? stepName(m_config.add, records) : undoName;
    auto* step = new RecordListCommand(this, RecordListCommand::Add, records, atIndexes, selectAfter, name);
    pushOrRun(m_undoStack, step);
    return true;
}

bool RecordListModel::removeRecords(const QList<int>& rows, int selectAfter, const QString& undoName)
{
    const QList<int> valid = rowsWithin(rows, count());
    if (valid.isEmpty())
        return false;
    QVariantList removed;
    for (const int row : valid)
        removed << m_records.at(row);
    const QString name = undoName.isEmpty() ? stepName(m_config.remove, removed) : undoName;
    auto* step = new RecordListCommand(this, RecordListCommand::Remove, {}, valid, selectAfter, name);
    pushOrRun(m_undoStack, step);
    return true;
}

bool RecordListModel::moveRecords(const QList<int>& rows, int dropRow, const QString& undoName)
{
    const QList<int> moved = rowsWithin(rows, count());
    if (moved.isEmpty())
        return false;
    dropRow = std::clamp(dropRow, 0, count());
    const int above = int(std::count_if(moved.begin(), moved.end(), [dropRow](int row) { return row < dropRow; }));
    const int first = dropRow - above;
    if (moved == consecutive(first, int(moved.size())))
        return false; // the block is already there
    QVariantList records;
    for (const int row : moved)
        records << m_records.at(row);
    const QString name = undoName.isEmpty() ? stepName(m_config.move, records) : undoName;
    auto* step = new RecordListCommand(this, RecordListCommand::Move, {}, moved, first, name);
    pushOrRun(m_undoStack, step);
    return true;
}

// --- Commands of the tables ------------------------------------------------------------------

void RecordListModel::copySelected()
{
    QVariantList records;
    for (const int row : selectedRows())
        records << m_records.at(row);
    if (!records.isEmpty())
        writeRecordsToPasteboard(m_config.pboardType, records);
}

bool RecordListModel::removeSelected()
{
    const QList<int> rows = selectedRows();
    if (rows.isEmpty())
        return false;
    if (m_config.mayRemove && !m_config.mayRemove(rows))
        return false;
    return removeRecords(rows, selectedRow());
}

bool RecordListModel::cutSelected()
{
    const QList<int> rows = selectedRows();
    if (rows.isEmpty())
        return false;
    copySelected();
    if (m_config.mayRemove && !m_config.mayRemove(rows))
        return false;
    QVariantList records;
    for (const int row : rows)
        records << m_records.at(row);
    return removeRecords(rows, selectedRow(), stepName(m_config.cut, records));
}

QList<RecordListModel::Config::RealType> RecordListModel::realTypes() const
{
    QList<Config::RealType> types;
    if (!m_config.realPboardType.isEmpty())
        types.append({m_config.realPboardType, m_config.referenceFor, m_config.paste});
    for (Config::RealType type : m_config.moreRealTypes) {
        if (type.paste.many.isEmpty())
            type.paste = m_config.paste;
        types.append(type);
    }
    return types;
}

bool RecordListModel::canPaste(const QMimeData* pasteboard) const
{
    if (pasteboardHasType(pasteboard, m_config.pboardType))
        return true;
    for (const Config::RealType& type : realTypes()) {
        if (pasteboardHasType(pasteboard, type.pboardType))
            return true;
    }
    return false;
}

QVariantList RecordListModel::newRecords(const QVariantList& records, const ReferenceFor* real,
                                         QList<int>* listed) const
{
    QVariantList kept;
    QList<quint32> keptIDs;
    for (const QVariant& value : records) {
        QVariantMap record = value.toMap();
        if (real) {
            if (!*real) {
                zelk::zlog("RecordListModel", "newRecords") << "no reference for whole records";
                continue;
            }
            record = (*real)(record);
        }
        if (m_config.isKnown && !m_config.isKnown(record)) {
            zelk::zlog("RecordListModel", "newRecords") << "skipped a record whose object is gone" << record;
            continue;
        }
        if (m_config.idOf) {
            const std::optional<quint32> id = m_config.idOf(record);
            if (id) {
                const int row = indexOfID(*id);
                if (row >= 0) {
                    listed->append(row);
                    continue;
                }
                if (keptIDs.contains(*id))
                    continue;
                keptIDs << *id;
            }
        }
        kept << record;
    }
    return kept;
}

bool RecordListModel::pasteRecords(const QVariantList& records, const ReferenceFor* real, int atRow,
                                   const UndoKeys& keys)
{
    QList<int> listed;
    const QVariantList kept = newRecords(records, real, &listed);
    for (const int row : listed)
        selectRow(row);
    if (kept.isEmpty())
        return false;
    const int first = atRow >= 0 ? std::min(atRow, count()) : selectedRow() + 1;
    return addRecords(kept, consecutive(first, int(kept.size())), first, stepName(keys, kept));
}

bool RecordListModel::paste(const QMimeData* pasteboard)
{
    if (const std::optional<QVariantList> records = recordsFromPasteboard(pasteboard, m_config.pboardType))
        return pasteRecords(*records, nullptr, -1, m_config.paste);
    for (const Config::RealType& type : realTypes()) {
        if (const std::optional<QVariantList> records = recordsFromPasteboard(pasteboard, type.pboardType)) {
            if (m_config.mayAddReal && !m_config.mayAddReal(type.pboardType, *records))
                return false;
            return pasteRecords(*records, &type.referenceFor, -1, type.paste);
        }
    }
    return false;
}

bool RecordListModel::addRealRecords(const QVariantList& realRecords, int atRow, const QString& undoName)
{
    return addRealRecordsOfType(m_config.realPboardType, realRecords, atRow, undoName);
}

bool RecordListModel::addRealRecordsOfType(const QString& pboardType, const QVariantList& realRecords, int atRow,
                                           const QString& undoName)
{
    const QList<Config::RealType> types = realTypes();
    const auto type = std::find_if(types.begin(), types.end(),
                                   [&](const Config::RealType& t) { return t.pboardType == pboardType; });
    if (type == types.end()) {
        zelk::zlog("RecordListModel", "addRealRecordsOfType") << "the list takes no" << pboardType;
        return false;
    }
    QList<int> listed;
    const QVariantList kept = newRecords(realRecords, &type->referenceFor, &listed);
    for (const int row : listed)
        selectRow(row);
    if (kept.isEmpty())
        return false;
    const int first = std::clamp(atRow, 0, count());
    return addRecords(kept, consecutive(first, int(kept.size())), first,
                      undoName.isEmpty() ? stepName(m_config.add, kept) : undoName);
}

std::optional<QList<int>> RecordListModel::draggedRowsFromHere(const QMimeData* data) const
{
    if (!data || !data->hasFormat(sourceMimeType()))
        return std::nullopt;
    const QList<QByteArray> parts = data->data(sourceMimeType()).split('\n');
    if (parts.size() != 2 || QString::fromLatin1(parts.at(0)) != m_token)
        return std::nullopt;
    QList<int> rows;
    for (const QByteArray& row : parts.at(1).split(',')) {
        bool ok = false;
        const int value = row.toInt(&ok);
        if (ok)
            rows << value;
    }
    return rows;
}

bool RecordListModel::drop(const QMimeData* data, int row, Qt::DropAction action)
{
    const int at = (row < 0 || count() == 0) ? 0 : std::min(row, count());
    if (const std::optional<QVariantList> records = recordsFromPasteboard(data, m_config.pboardType)) {
        const std::optional<QList<int>> dragged = draggedRowsFromHere(data);
        if (dragged && action == Qt::MoveAction)
            moveRecords(*dragged, at);
        else
            pasteRecords(*records, nullptr, at, m_config.copy);
        return true;
    }
    for (const Config::RealType& type : realTypes()) {
        if (const std::optional<QVariantList> records = recordsFromPasteboard(data, type.pboardType)) {
            emit droppedFromOutside();
            if (!m_config.mayAddReal || m_config.mayAddReal(type.pboardType, *records))
                pasteRecords(*records, &type.referenceFor, at, m_config.add);
            return true;
        }
    }
    return false;
}

// --- QAbstractItemModel ----------------------------------------------------------------------------

int RecordListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count();
}

int RecordListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_config.columns.size());
}

QVariant RecordListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= count() || index.column() >= columnCount() || !m_config.data)
        return {};
    return m_config.data(recordAt(index.row()), index.row(), m_config.columns.at(index.column()), role);
}

QVariant RecordListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && section >= 0 && section < columnCount()) {
        if (role == Qt::UserRole)
            return m_config.columns.at(section);
        if (role == Qt::DisplayRole)
            return m_config.headers.value(section);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags RecordListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
}

QStringList RecordListModel::mimeTypes() const
{
    QStringList types{mimeTypeForPboardType(m_config.pboardType)};
    for (const Config::RealType& type : realTypes())
        types << mimeTypeForPboardType(type.pboardType);
    return types;
}

QMimeData* RecordListModel::mimeData(const QModelIndexList& indexes) const
{
    QList<int> rows;
    for (const QModelIndex& index : indexes) {
        if (index.isValid())
            rows << index.row();
    }
    rows = sortedUnique(rows);
    QVariantList records;
    QByteArrayList numbers;
    for (const int row : rows) {
        records << m_records.at(row);
        numbers << QByteArray::number(row);
    }
    QMimeData* data = mimeDataWithRecords(m_config.pboardType, records);
    data->setData(sourceMimeType(), m_token.toLatin1() + '\n' + numbers.join(','));
    return data;
}

bool RecordListModel::canDropMimeData(const QMimeData* data, Qt::DropAction, int, int, const QModelIndex&) const
{
    return canPaste(data);
}

bool RecordListModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int,
                                   const QModelIndex& parent)
{
    // A drop on a row goes above it; one below the rows (Qt's -1 on the
    // viewport) goes after the last.
    if (parent.isValid())
        row = parent.row();
    else if (row < 0)
        row = count();
    // Alt copies, as Option did where the lists come from.
    if (action == Qt::MoveAction && (QGuiApplication::keyboardModifiers() & Qt::AltModifier))
        action = Qt::CopyAction;
    // The list does the whole drop; the view's own removal of moved source
    // rows finds no removeRows/setData to call.
    return drop(data, row, action);
}

Qt::DropActions RecordListModel::supportedDropActions() const
{
    return Qt::CopyAction | Qt::MoveAction;
}

Qt::DropActions RecordListModel::supportedDragActions() const
{
    return Qt::CopyAction | Qt::MoveAction;
}

bool RecordListModel::moveRows(const QModelIndex& sourceParent, int sourceRow, int count,
                               const QModelIndex& destinationParent, int destinationChild)
{
    if (sourceParent.isValid() || destinationParent.isValid() || count <= 0)
        return false;
    return moveRecords(consecutive(sourceRow, count), destinationChild);
}

} // namespace editor
