#pragma once
// QVEMenuEditor: the editor window of one menu: name and image, the six
// menu-bar and display boxes, the items (with separators, labels and
// submenus), the launcher and context references, and a try-out of the
// menu at the pointer. OK writes everything into the menu, Cancel drops it
// (and deletes a menu that is still new, leaving its items' objects).
//
// The status-item rule: the status item is on when "in bar" is set and the
// image or the name is shown; the image, template and name boxes are
// enabled only while it is on.
//
// Submenus never close a cycle: a menu is refused as a submenu when it is
// the edited menu or when its own submenus, however deep, reach it; OK
// checks the list again against what other editors stored meanwhile.
#include "QVEItemsEditor.h"

#include <QImage>
#include <QMenu>
#include <QPointer>

class QCheckBox;
class QDialog;

namespace editor {

class QVECustomImageView;
class QVMenu;

class QVEMenuEditor : public QVEItemsEditor {
    Q_OBJECT
public:
    QVEMenuEditor();
    ~QVEMenuEditor() override;

    void displayWithMenu(QVMenu* menu) override;
    QVMenu* editedMenu() const;

    // The name and the five boxes the combined setter applies.
    struct Look {
        QString name;
        bool inBar = false, imageInBar = false, nameInBar = false, showImage = false, showCombo = false;
        bool operator==(const Look&) const = default;
    };
    Look shownLook() const;
    // The one undoable setter of the name and the five values.
    void setLook(const Look& look, const QString& undoString);

    // The boxes' actions: the box already shows its new state.
    void modifyName();
    void modifyInBar();
    void modifyImageInBar();
    void modifyNameInBar();
    void modifyShowImage();
    void modifyShowCombo();

    // Items only menus have.
    void addSeparatorItem();
    void editSeparatorItemAtIndex(int row);
    QDialog* separatorPanel() const { return m_separatorPanel; }
    // Yes, after an alert, when one of the records is the edited menu or a
    // menu whose submenus lead back to it.
    bool menuDictsContainsEditedMenu(const QVariantList& menuRecords);
    void giveImageToMenu();
    QImage wellImage() const;

    // Pops the working items up at the pointer; the menu stays reachable
    // until it closes.
    void test();
    QMenu* testMenu() const { return m_testMenu; }

    // Whether the stored submenus of menu `from` lead to `target` (a menu
    // reaches itself). Ends on stored cycles.
    static bool menuReachesMenu(quint32 from, quint32 target);

protected:
    void buildSettings(QBoxLayout* layout) override;
    void editOtherItem(int row, int type) override;
    void addItemCommands(QMenu* menu) override;
    bool mayCommit() override;
    void writeObject(const QVariantList& items) override;
    void announceObject() override;
    void deleteNewObject(quint32 id) override;

private:
    void applyLook(const Look& look);
    void boxClicked(QCheckBox* box, const char* keyFormat, const std::function<void(Look&, bool)>& set);

    QVECustomImageView* m_imageWell = nullptr;
    QCheckBox* m_inBarCheck = nullptr;
    QCheckBox* m_imageInBarCheck = nullptr;
    QCheckBox* m_imageIsTemplate = nullptr;
    QCheckBox* m_nameInBarCheck = nullptr;
    QCheckBox* m_showImageCheck = nullptr;
    QCheckBox* m_showComboCheck = nullptr;
    QDialog* m_separatorPanel = nullptr;
    QLineEdit* m_separatorLabelField = nullptr;
    QPointer<QMenu> m_testMenu;
};

} // namespace editor
