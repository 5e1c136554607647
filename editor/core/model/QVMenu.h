#pragma once
// The editor's menu: one MenuRecord {menuname, menuID, menuimage,
// menuinbar, menuimageinbar, menuimageistemplate, menunameinbar,
// menushowimage, menushowcombo, menuitems, menucontexts, menulaunchers,
// menueditorrect}. Items (MenuItem {menuitemtype, menuitemactive,
// menuitemparams}): 0 label or separator, 1 shortcut, 2 action, 3 submenu.
//
// Menus may hold each other as submenus in a cycle (the menu editor refuses
// only a menu inside itself): building the pop-up and deleting with the
// objects both stop where a cycle closes.
#include "QVEUsedMainModel.h"

class QMenu;

namespace editor {

class QVMenu : public QVEUsedMainModel {
public:
    enum ItemType { Separator = 0, ShortcutItem = 1, ActionItem = 2, SubmenuItem = 3 };

    // --- Class operations ------------------------------------------------------
    static int objectIndex() { return 5; }
    static QString newNameValue();
    static QVariantMap newData();
    static QVariantMap newDataWithShortcutsDict(const QVariantList& shortcuts);
    static QVariantMap newDataWithShortcutsDict(const QVariantList& shortcuts, const QVariantList& contexts);
    static QVariantMap newDataWithActionsDict(const QVariantList& actions);
    static QVariantMap newDataWithContextsDict(const QVariantList& contexts);
    static QVariantMap newDataWithLaunchersDict(const QVariantList& launchers);
    static quint32 nextMenuID();
    static quint32 currentMenuID();
    static void setNextMenuID(quint32 next);
    static QVariantMap newItemDictWithShortcutDict(const QVariantMap& shortcutRecord);
    static QVariantMap newItemDictWithActionDict(const QVariantMap& actionRecord);
    static QVariantMap newSeparatorItemDict();
    static QVariantMap newItemDictWithMenuDict(const QVariantMap& menuRecord);
    static QImage defaultIcon();
    // The class defaults of new records (all off until the preferences set
    // them). A struct, since the instance setters bear the same names.
    struct Defaults {
        bool inBar = false, imageInBar = false, nameInBar = false, showImage = false, showCombo = false;
    };
    static Defaults& defaults();
    // An inert menu of the items, for showing and testing (caller owns it).
    static QMenu* menuWithItemsDict(const QVariantList& items, bool showImage, bool showCombo);

    // --- Instance --------------------------------------------------------------
    QVMenu();
    ~QVMenu() override;
    // Reads the record and links its launchers and contexts; the items'
    // objects are linked by linkToItemObjects() once every menu exists.
    bool initWithDictionaryInEditor(const QVariantMap& record);
    void linkToItemObjects();

    QString linkNameValue() const;
    void setNameValue(const QString& name) { setName(name); }
    QImage imageValue() const { return m_image; }
    QImage imageValueWithSize(int size) const { return imageSized(m_image, size); }
    // Keeps the image as TIFF in the record and as the icon (32 x 32).
    void setImageValue(const QImage& image);

    bool inBar() const { return m_inBar; }
    bool imageInBar() const { return m_imageInBar; }
    bool nameInBar() const { return m_nameInBar; }
    bool showImage() const { return m_showImage; }
    bool showCombo() const { return m_showCombo; }
    bool imageIsTemplate() const { return m_imageIsTemplate; }
    void setInBar(bool on) { setFlag(m_inBar, "menuinbar", on); }
    void setImageInBar(bool on) { setFlag(m_imageInBar, "menuimageinbar", on); }
    void setNameInBar(bool on) { setFlag(m_nameInBar, "menunameinbar", on); }
    void setShowImage(bool on) { setFlag(m_showImage, "menushowimage", on); }
    void setShowCombo(bool on) { setFlag(m_showCombo, "menushowcombo", on); }
    void setImageIsTemplate(bool on) { setFlag(m_imageIsTemplate, "menuimageistemplate", on); }

    QVariantList itemsDictArray() const { return m_items; }
    void setItemsDictArray(const QVariantList& items) { replaceItems(items); }

    // --- Links and deletion ---------------------------------------------------------
    // A menu that other menus hold as a submenu is never deleted.
    bool canDeleteWithMessage(bool withMessage);
    void willDeleteWithAuxObjects(bool aux);

    // The pop-up of the menu's own items (caller owns it).
    QMenu* menuValue() const;

    // List columns of the menus list.
    QString itemsValue() const;
    QImage itemsImageValue() const;

protected:
    void displayInEditor(QVEObjectEditor* editor) override;
    QList<ObjectRef> itemRefs(const QVariantList& items) const override;
    QVariantMap newItemForAction(zelk::QVEAction* action) const override;
    bool actionIDOfItem(const QVariantMap& item, quint32* id) const override;
    QVariantMap itemWithActionID(const QVariantMap& item, const QVariant& id) const override;

private:
    void setFlag(bool& field, const char* key, bool on);
    QString itemName(const QVariantMap& item) const;

    QImage m_image;
    bool m_inBar = false;
    bool m_imageInBar = false;
    bool m_nameInBar = false;
    bool m_showImage = false;
    bool m_showCombo = false;
    bool m_imageIsTemplate = false;
};

} // namespace editor
