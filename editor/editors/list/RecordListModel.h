#pragma once
// RecordListModel: the one list-editing component of the editor windows.
// It holds a working list of records (QVariantMap) shown in a table, and
// adds, removes, moves, copies, cuts, pastes and takes drops, each change
// one named step on the undo stack its owner gives (the edited object's).
// The reference tables, the steps list, the rules list and the item lists
// of the menu and palette editors are all this model with their own Config.
//
// - Move: the moved rows are taken out and put back as one block at the
//   drop row less the number of moved rows above it; undo gives back the
//   exact previous order.
// - Paste and drop skip records whose object no longer exists (isKnown)
//   and, when the list keeps one row per object (idOf), select the row
//   already there rather than listing the object twice.
// - Compound operations (cut, paste, drop) give their step its name when
//   they make it, so a refused part never renames another step.
// - Drag data is the pasteboard payload plus this list's token and the
//   dragged rows, never pointers: a move-drop back on the same list moves,
//   any other drop copies. The view never removes source rows itself.
// - Undo steps hold the list by a guarded pointer: once the list is gone
//   they do nothing.
#include <QAbstractItemView>
#include <QAbstractTableModel>
#include <QPointer>
#include <QStringList>
#include <QUndoStack>
#include <QVariantList>
#include <functional>
#include <optional>

class QMimeData;

namespace editor {

class RecordListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // A pair of localisation keys: formatted with the name for one row,
    // with the count for more.
    struct UndoKeys {
        QString one;
        QString many;
    };

    struct Config {
        QString pboardType;     // the list's own records ("QVLauncherRefPboardType")
        QString realPboardType; // whole object records ("QVLauncherPboardType"); empty: none
        // A whole object record made into a list record (required with realPboardType).
        std::function<QVariantMap(const QVariantMap& real)> referenceFor;
        // Further whole-object types, after realPboardType in paste order
        // (a menu's items take actions, shortcuts and menus).
        struct RealType {
            QString pboardType;
            std::function<QVariantMap(const QVariantMap& real)> referenceFor;
            UndoKeys paste; // empty: the list's paste keys
        };
        QList<RealType> moreRealTypes;
        // Asked before whole records are pasted or dropped; false refuses
        // them all (the callback tells the user why).
        std::function<bool(const QString& pboardType, const QVariantList& realRecords)> mayAddReal;
        // The object a list record names, when the list holds each once.
        std::function<std::optional<quint32>(const QVariantMap& record)> idOf;
        // False for a record whose object no longer exists; unset: all known.
        std::function<bool(const QVariantMap& record)> isKnown;
        // The name an undo step shows for one record.
        std::function<QString(const QVariantMap& record)> nameOf;
        // Asked before any removal by the user (remove, cut); false refuses
        // (the callback tells the user why).
        std::function<bool(const QList<int>& rows)> mayRemove;
        UndoKeys add, remove, move, cut, paste, copy;
        // Column identifiers, their titles and what each shows.
        QStringList columns;
        QStringList headers;
        std::function<QVariant(const QVariantMap& record, int row, const QString& column, int role)> data;
    };

    RecordListModel(Config config, QUndoStack* undoStack, QObject* parent = nullptr);
    ~RecordListModel() override;

    const Config& config() const { return m_config; }
    QUndoStack* undoStack() const { return m_undoStack; }
    // The view whose selection the operations read and set.
    void setView(QAbstractItemView* view);
    QAbstractItemView* view() const { return m_view; }

    // --- The list (no undo) -------------------------------------------------------
    QVariantList records() const { return m_records; }
    void setRecords(const QVariantList& records);
    int count() const { return int(m_records.size()); }
    QVariantMap recordAt(int row) const;
    // Replaces one record (active flags, parameters); false for a bad row.
    bool replaceRecord(int row, const QVariantMap& record);
    // The first row naming the object; -1 when none (or no idOf).
    int indexOfID(quint32 id) const;
    // The lists' refresh: the rows show their objects anew.
    void reload();

    // --- Selection ------------------------------------------------------------------
    // The current row when selected, else the last selected; -1 for none.
    int selectedRow() const;
    QList<int> selectedRows() const; // ascending
    void selectRow(int row);         // alone, scrolled into view; a bad row is ignored
    void selectRows(const QList<int>& rows, int current);

    // --- Undoable operations ----------------------------------------------------------
    // Each pushes one step named undoName, or by the Config's keys when
    // undoName is empty; false (nothing pushed) when nothing changed.
    // Inserts the list records at the rows (one per record, ascending),
    // then selects them and selectAfter.
    bool addRecords(const QVariantList& records, const QList<int>& atIndexes, int selectAfter,
                    const QString& undoName = {});
    // Removes the rows, then selects selectAfter as it stands afterwards.
    bool removeRecords(const QList<int>& rows, int selectAfter, const QString& undoName = {});
    // Moves the rows as one block to the drop row (counted in the list
    // before the move, 0...count).
    bool moveRecords(const QList<int>& rows, int dropRow, const QString& undoName = {});

    // --- Commands of the tables ----------------------------------------------------------
    // The selected records on the general pasteboard under pboardType.
    void copySelected();
    // Copy, then removal (when allowed) named by the cut keys.
    bool cutSelected();
    // Removes the selected rows when allowed.
    bool removeSelected();
    // Whether the pasteboard holds the list's own or its whole-object type.
    bool canPaste(const QMimeData* pasteboard) const;
    // Pastes the own type, else the whole-object type, after the selected
    // row; rows already listed are selected instead.
    bool paste(const QMimeData* pasteboard);
    // Adds whole object records at a row as a user add (add keys), after
    // the duplicate and unknown checks; false when nothing was added.
    bool addRealRecords(const QVariantList& realRecords, int atRow, const QString& undoName = {});
    // The same for whole records of one of the list's whole-object types.
    bool addRealRecordsOfType(const QString& pboardType, const QVariantList& realRecords, int atRow,
                              const QString& undoName = {});
    // A drop at a row: the list's own records dragged from itself with the
    // move action move; otherwise they are copied (copy keys) and whole
    // records added (add keys). False when the data holds neither type.
    bool drop(const QMimeData* data, int row, Qt::DropAction action);

    // --- QAbstractItemModel -------------------------------------------------------------------
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;
    Qt::DropActions supportedDropActions() const override;
    Qt::DropActions supportedDragActions() const override;
    bool moveRows(const QModelIndex& sourceParent, int sourceRow, int count, const QModelIndex& destinationParent,
                  int destinationChild) override;

    // The drag-source format: {token, rows} of the list a drag started in.
    static QString sourceMimeType();

signals:
    // After every change of the list, undo and redo included.
    void recordsChanged();
    // Whole records were dropped from elsewhere: the window comes to the front.
    void droppedFromOutside();

private:
    friend class RecordListCommand;
    // The steps' own work, without undo.
    void insertAt(const QVariantList& records, const QList<int>& rows);
    QVariantList takeAt(const QList<int>& rows);
    // Records to add from pasteboard records: unknown ones dropped, listed
    // ones selected (their rows appended to *listed).
    using ReferenceFor = std::function<QVariantMap(const QVariantMap& real)>;
    QVariantList newRecords(const QVariantList& records, const ReferenceFor* real, QList<int>* listed) const;
    QString stepName(const UndoKeys& keys, const QVariantList& records) const;
    bool pasteRecords(const QVariantList& records, const ReferenceFor* real, int atRow, const UndoKeys& keys);
    // realPboardType and moreRealTypes, in paste order.
    QList<Config::RealType> realTypes() const;
    std::optional<QList<int>> draggedRowsFromHere(const QMimeData* data) const;

    Config m_config;
    QPointer<QUndoStack> m_undoStack;
    QPointer<QAbstractItemView> m_view;
    QVariantList m_records;
    QString m_token;
};

} // namespace editor
