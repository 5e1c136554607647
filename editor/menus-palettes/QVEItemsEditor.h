#pragma once
// QVEItemsEditor: what the menu and palette editors share, on the editor
// frame (EditorWindowHost) and the list component (RecordListModel): the
// window with the object's own settings above three tables (items,
// launcher and context references), the item commands (open, test-run,
// duplicate, activate, new action), the managers' notices, OK and Cancel.
// The two editors add their settings and what OK writes of them.
//
// Nothing reaches the object before OK. The window's undo steps act on
// its working copies and are dropped when it closes.
#include "ItemLists.h"
#include "ObjectsFile.h"
#include "QVEObjectEditor.h"
#include "RecordListModel.h"

#include <QObject>
#include <QPointer>
#include <QUndoStack>
#include <memory>
#include <vector>

class QBoxLayout;
class QHBoxLayout;
class QLineEdit;
class QMenu;
class QPushButton;
class QTableView;
class QToolButton;
class QWidget;

namespace zelk {
class ObserverHandle;
}

namespace editor {

class QVEMainModel;

class QVEItemsEditor : public QObject, public QVEObjectEditor, public std::enable_shared_from_this<QVEItemsEditor> {
    Q_OBJECT
public:
    ~QVEItemsEditor() override;

    void makeFront() override;
    // OK: false (window open, alert shown) when the edit cannot be kept.
    bool stopEditing();
    void abortEditing(QObject* sender) override;
    void showHelp();

    QWidget* window() const { return m_window; }
    bool isEdited() const { return m_isEdited; }
    QString lastName() const { return m_lastName; }
    QUndoStack* undoStack() const { return m_undoStack; }

    RecordListModel* items() const { return m_items; }
    RecordListModel* launchers() const { return m_launchers; }
    RecordListModel* contexts() const { return m_contexts; }

    // --- Items -----------------------------------------------------------------------
    void editItemAtIndex(int row);
    void runItemAtIndex(int row);
    void invertActiveOfItemAtIndex(int row);
    void editSelected(RecordListModel* list);
    void runSelectedItems();
    void invertActiveOfSelected(RecordListModel* list);
    void duplicateSelectedItems();
    void newActionFromMenu(const QVariantMap& model);
    // The type on the general pasteboard decides the table.
    void pastePasteboard();

    // --- Notices ---------------------------------------------------------------------
    void updateLaunchers();
    void updateContexts();
    void updateActions();
    void updateShortcuts();
    void subsituteLauncherNotification(const QVariantMap& payload);
    void subsituteContextNotification(const QVariantMap& payload);
    void subsituteActionNotification(const QVariantMap& payload);

protected:
    struct Traits {
        ObjectsFile::Kind kind;
        const char* windowName;  // "QVEMenuEditorWindow"
        const char* prefix;      // outlet names: "ME", "PE"
        QString startTitleKey;   // "TitreMenu"
        QString helpKey;         // "MenuHelpSubject"
        QString lastContextKey;  // "SeulContextMenu"
        QString emptyNameKey;    // "NomMenuVide"
        QString nameKey;         // the name field's accessible name
    };
    QVEItemsEditor(Traits traits, RecordListModel::Config itemsConfig, ItemKeys itemKeys);

    // Builds the window; the subclass's constructor calls it once, and it
    // asks for the object's settings above the tables.
    void buildWindow();
    virtual void buildSettings(QBoxLayout* layout) = 0;
    // The item kinds the window opens (menus add labels and submenus).
    virtual void editOtherItem(int /*row*/, int /*type*/) {}
    // Extra entries of the items table's context menu.
    virtual void addItemCommands(QMenu* /*menu*/) {}
    // At OK, before anything is written: false keeps the window open.
    virtual bool mayCommit() { return true; }
    // At OK: the settings and the item list into the object, then the own
    // kind's manager announces it.
    virtual void writeObject(const QVariantList& items) = 0;
    virtual void announceObject() = 0;
    // Cancel of a new object.
    virtual void deleteNewObject(quint32 id) = 0;

    // Opening: the working copies of the object's three lists, the window
    // placed (cascading under a window of the same kind).
    void open(QVEMainModel* object, const QVariantList& storedItems);
    QVEMainModel* object() const { return m_object; }
    const ItemKeys& itemKeys() const { return m_itemKeys; }

    // The window's name and title.
    void showName(const QString& name);
    QLineEdit* nameField() const { return m_nameField; }
    QString localisedStartTitle() const { return m_startTitle; }

    QPointer<QWidget> m_window;
    QHBoxLayout* m_itemsButtons = nullptr; // under the items table
    QPushButton* m_testButton = nullptr;
    QString m_lastName;
    bool m_isEdited = false;
    QPointer<QUndoStack> m_undoStack; // the object's; it may go first

private:
    QTableView* makeTable(const char* suffix, const QString& accessibleName);
    void connectTable(RecordListModel* list, QTableView* table);
    void observe();
    void closeWindow();
    void finish();
    void updateButtons();
    void removeUnknownRows(RecordListModel* list, const std::function<bool(const QVariantMap&)>& concerned);
    void substitute(RecordListModel* list, int kind, const QVariantMap& payload);
    RecordListModel* focusedList() const;
    QString outlet(const char* name) const;
    QVariantList knownRecords(const RecordListModel* list) const;
    void newLauncherFromMenu(const QVariantMap& record);

    Traits m_traits;
    RecordListModel::Config m_itemsConfig;
    ItemKeys m_itemKeys;
    QString m_startTitle;
    QLineEdit* m_nameField = nullptr;
    QTableView* m_itemsTable = nullptr;
    QTableView* m_launchersTable = nullptr;
    QTableView* m_contextsTable = nullptr;
    QToolButton* m_addActionButton = nullptr;
    QToolButton* m_addLauncherButton = nullptr;
    QPushButton* m_removeItemsButton = nullptr;
    QPushButton* m_removeLaunchersButton = nullptr;
    QPushButton* m_removeContextsButton = nullptr;
    QVEMainModel* m_object = nullptr;
    RecordListModel* m_items = nullptr;
    RecordListModel* m_launchers = nullptr;
    RecordListModel* m_contexts = nullptr;
    std::vector<zelk::ObserverHandle> m_observers;
};

} // namespace editor
