#pragma once
// The menu action type, editing side (MenuShortcutCommon.h): the menu path
// of model 3, typed into "MenuView" (the path's table, the selected level's
// name, index and selection mode, "only display the menu") or recorded.
//
// Recording: the user picks a running application in the chooser panel,
// then opens its menus and chooses an item; the menus that open and close
// and the chosen item arrive through the accessibility service's menu
// observer, and the chain of open menus becomes the path. While it waits
// the application icon blinks (one blink at a time). Validating, cancelling
// or closing the edit, a new recording and the action's end all stop the
// wait, its observer and the blink.
#include "ActionPane.h"
#include "MenuShortcut/MenuShortcutCommon.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <atomic>

namespace zelk::editor {

class MenuShortcut : public MenuShortcutCommon<Side> {
public:
    ~MenuShortcut() override;

    bool initWithDictionaryInEditor(const QVariantMap& record) override;
    bool isValid() const override;
    QString notValidString() const override;
    bool canTest() const override;
    void willEditInEditor(QVEActionEditorInterface* editor, QWidget* accessoryView) override;
    bool willValidateEditing() override;
    void abortEditing() override;
    QVariantMap editedDataValue() const override;

    // Control handlers.
    void modifyItemName();
    void modifyItemIndex();
    void modifyItemSelection();
    void modifyDisplayOnlyMenu();
    void addItem();
    void removeItem();
    void selectMenuItem();  // the record button: the chooser
    void stopAppPanel();    // the chooser's OK
    void abortAppPanel();   // the chooser's Cancel

    void selectItemAtIndex(int row);
    void saveEditedItem();
    void setItems(const QVariantList& items, int editedItemIndex, bool displayOnlyMenu, const QString& withCutName,
                  bool isUndo, const QString& undoString);
    QStringList getApplications() const;

    // Starts waiting for a menu choice in the running application of that
    // name; false (after the alert) when it cannot be observed.
    bool recordMenuOfApplication(const QString& name);
    // Recording handlers (the menu observer's notifications).
    void openMenu(const AXElement& menu);
    void closeMenu(const AXElement& menu);
    void selectedMenuItem(const AXElement& item);
    void stopRecording();

    // The edit state (tests and the window).
    QVariantList editedItems() const { return CUTEditedItems; }
    int selectedItemIndex() const { return CUTSelItemIndex; }
    bool isWaitingForChoice() const { return CUTWaitSelect.load(); }
    bool isBlinking() const { return m_blink.isBlinking(); }
    QList<AXElement> menuChain() const { return menuRefArray; }

private:
    QWidget* makeView();
    void reloadTable();
    // The suggestion after editing row: the last row's label when the rule
    // holds and row is the last one, else the name typed.
    QString suggestionForEditedRow(const QVariantList& items, int row) const;
    void notifyNotCompatibleApplication(const QString& name) const;

    QVariantList CUTEditedItems;
    int CUTSelItemIndex = -1;
    bool CUTIsEdited = false;
    QStringList CUTAppArray;
    // Read by the observer's callbacks and the blink while the main thread
    // may change them.
    std::atomic<bool> CUTWaitSelect{false};
    int CUTMenuClosedCount = 0;
    AXElement CUTObserverApp;
    ObserverHandle CUTMenuObserver;
    QList<AXElement> menuRefArray;
    RecordingBlink m_blink;

    QPointer<QTableWidget> CUTItemsTable;
    QPointer<QLineEdit> CUTItemNameField;
    QPointer<QLineEdit> CUTItemIndexField;
    QPointer<QComboBox> CUTItemSelectionButton;
    QPointer<QCheckBox> CUTOnlyDisplayMenuCheck;
    QPointer<QPushButton> CUTRemoveItemButton;
    QPointer<QPushButton> CUTSelectAppButton;
    QPointer<QDialog> CUTAppPanel;
    QPointer<QListWidget> CUTAppTable;
};

class MenuShortcutClass : public QVEActionClass {
    ZELK_EDITOR_ACTION_CLASS(MenuShortcut, QVEAction, MenuShortcut)
public:
    int familyID() const override { return 1013; }
    QList<int> modelsID() const override { return {MenuShortcutModels::Path}; }
    int categoryOfAction(int model) const override { return MenuShortcutModels::categoryOfAction(model); }
    QString nameOfImageForModelID(int model) const override { return MenuShortcut::nameOfImageForModelID(model); }
    QVariantMap newDataForAction(int model) const override;

    QVariantMap dataForAction(int model) const;
    QString nameForAction(int model, const QString& itemName, int itemIndex, int itemSelection) const;
    // The 1-based position of the first child of parent titled title, from
    // the end with isInverse; 0 when none is or the children are unreadable.
    static int indexOfItemWithTitle(const QString& title, const AXElement& parent, bool isInverse);
};

} // namespace zelk::editor
