#pragma once
// The interface action type, editing side (InterfaceShortcutCommon.h): the
// list of recorded controls in "InterfaceView", reordered, deleted, cut,
// copied, pasted and dragged with undo, and recorded.
//
// Recording: every 0.25 s the control under the pointer in the front
// application's focused window is framed in red; pressing Ctrl+Alt adds
// the framed control, Ctrl+Shift+Alt every suitable control of the window
// (buttons left out). A combination adds once per press, so holding it
// does not add the same controls again and again. A short notice confirms
// each addition without holding up the editor. The record button stops it,
// as validating, cancelling or closing the edit does.
//
// Every change of the list is one undo step that puts the whole list and
// its selection back; a move goes through the frame's one list move.
// Controls travel on the clipboard as application/x-zelk-InterfaceItem,
// an XML property list {ItemDictionary: records}.
#include "ActionPane.h"
#include "ClipboardShortcut/RulesTableView.h"
#include "InterfaceShortcut/InterfaceShortcutCommon.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <atomic>

namespace zelk::editor {

// The list's table: one column, its own drag type.
class IItemsTableView : public RulesTableView {
public:
    static constexpr const char* InterfaceItemIndexType = "application/x-zelk-InterfaceItemIndex";
    explicit IItemsTableView(QWidget* parent = nullptr);
};

// The red frame around the control under the pointer.
class FrameItemView : public QWidget {
public:
    explicit FrameItemView(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

class InterfaceShortcut : public InterfaceShortcutCommon<Side>, public RulesTableDelegate {
public:
    static constexpr const char* InterfaceItemType = "application/x-zelk-InterfaceItem";

    ~InterfaceShortcut() override;

    bool initWithDictionaryInEditor(const QVariantMap& record) override;
    bool isValid() const override;
    QString notValidString() const override;
    void willEditInEditor(QVEActionEditorInterface* editor, QWidget* accessoryView) override;
    bool willValidateEditing() override;
    void abortEditing() override;
    QVariantMap editedDataValue() const override;

    // Recording.
    void startRecording(); // the record button: starts or stops
    bool isRecording() const { return CUTIsRecording.load(); }
    bool isBlinking() const { return m_blink.isBlinking(); }
    // One tick with the keys held and the pointer where they are now.
    void updateCurrentElement();
    void updateCurrentElement(Qt::KeyboardModifiers modifiers, const QPointF& mouse);
    AXElement currentElement() const { return CUTCurrentElement; }
    QWidget* frameWindow() const { return CUTFrameItemWindow; }
    QWidget* recordInfoWindow() const { return CUTRecordInfoWindow; }

    // The list.
    QVariantList items() const { return CUTLastItems; }
    QList<int> selectedRows() const;
    void addItemDict(const QVariantMap& record);
    void addItems(const QVariantList& records, const QList<int>& atIndexes, int selectAfterIndex, const QString& undoKey);
    void delSelectedItems();
    void delItemsAtIndexes(const QList<int>& indexes, int selectAfterIndex, const QString& undoKey);
    void moveItemsFromIndexes(const QList<int>& rows, int toRow);
    void setItems(const QVariantList& items, const QList<int>& selectRows, bool isUndo, const QString& undoString);
    QString textOfRow(int row) const;

    // The edit commands of the table.
    bool canCut() const override { return canClear(); }
    bool canCopy() const override { return canClear(); }
    bool canPaste() const override;
    bool canClear() const override;
    void cutSelectedRules() override { cutSelectedItems(); }
    void copySelectedRules() override { copySelectedItems(); }
    void pastePasteboard() override;
    void clearSelectedRules() override { clearSelectedItems(); }
    void dropRules(const QList<int>& rows, int atRow, bool copy) override;
    void cutSelectedItems();
    void copySelectedItems();
    void clearSelectedItems();

private:
    QWidget* makeView();
    void reloadItems(const QList<int>& selectRows);
    void stopRecording();
    void showCurrentElementFrame();
    void hideCurrentElementFrame();
    void showRecordInfoPanel();

    QVariantList CUTLastItems;
    bool CUTIsEdited = false;
    AXElement CUTCurrentElement;
    std::atomic<bool> CUTIsRecording{false};
    bool m_keysHeld = false;  // the adding combination was held at the last tick
    QTimer m_tick;
    RecordingBlink m_blink;

    QPointer<IItemsTableView> CUTItemsTable;
    QPointer<QPushButton> CUTRecordButton;
    QPointer<QPushButton> CUTDeleteButton;
    QPointer<QWidget> CUTRecordInfoWindow;
    QPointer<QWidget> CUTFrameItemWindow;
};

class InterfaceShortcutClass : public QVEActionClass {
    ZELK_EDITOR_ACTION_CLASS(InterfaceShortcut, QVEAction, InterfaceShortcut)
public:
    int familyID() const override { return 1014; }
    QList<int> modelsID() const override { return {InterfaceElements::Replay}; }
    int categoryOfAction(int model) const override { return InterfaceElements::categoryOfAction(model); }
    QString nameOfImageForModelID(int model) const override { return InterfaceShortcut::nameOfImageForModelID(model); }
    QVariantMap newDataForAction(int model) const override;

    QVariantMap dataForAction(int model) const;
    QString nameForAction(int model) const;
};

} // namespace zelk::editor
