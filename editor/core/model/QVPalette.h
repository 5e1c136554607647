#pragma once
// The editor's palette: one PaletteRecord {palettename, paletteID,
// paletteshowactive, palettelocationorigin, palettelocation,
// palettetitleoutside, paletteoutsidetransparency, paletteitemsinwidth,
// paletteitemstype, paletteitemsimagesize, paletteitemsfontsize,
// paletteitems, palettecontexts, palettelaunchers, paletteeditorrect}.
// Items (PaletteItem): 1 shortcut, 2 action. Nothing refers to a palette.
//
// A row holds at least one button: paletteitemsinwidth below 1 (the
// default with no preferences set) is taken as 1 when made, read or set,
// since the palette's layout divides by it.
#include "QVEMainModel.h"

#include <QPointF>

namespace editor {

class QVPalette : public QVEMainModel {
public:
    enum ItemType { ShortcutItem = 1, ActionItem = 2 };

    // --- Class operations ------------------------------------------------------
    static int objectIndex() { return 6; }
    static QString newNameValue();
    static QVariantMap newData();
    static QVariantMap newDataWithShortcutsDict(const QVariantList& shortcuts);
    static QVariantMap newDataWithShortcutsDict(const QVariantList& shortcuts, const QVariantList& contexts);
    static QVariantMap newDataWithActionsDict(const QVariantList& actions);
    static QVariantMap newDataWithContextsDict(const QVariantList& contexts);
    static QVariantMap newDataWithLaunchersDict(const QVariantList& launchers);
    static quint32 nextPaletteID();
    static quint32 currentPaletteID();
    static void setNextPaletteID(quint32 next);
    static QVariantMap newItemDictWithShortcutDict(const QVariantMap& shortcutRecord);
    static QVariantMap newItemDictWithActionDict(const QVariantMap& actionRecord);
    // The class defaults of new records (0, off or the zero point until the
    // preferences set them). A struct, since the instance setters bear the
    // same names.
    struct Defaults {
        bool showActive = false, titleOutside = false;
        int locationOrigin = 0, outsideTransparency = 0, itemsType = 0, itemsInWidth = 0, itemsImageSize = 0, itemsFontSize = 0;
        QPointF location;
    };
    static Defaults& defaults();

    // --- Instance --------------------------------------------------------------
    QVPalette();
    ~QVPalette() override;
    // Reads the record and links its items' objects, launchers and contexts.
    bool initWithDictionaryInEditor(const QVariantMap& record);

    QString linkNameValue() const;
    void setNameValue(const QString& name) { setName(name); }
    // A palette has no icon.
    QImage imageValue() const;
    QImage imageValueWithSize(int size) const;

    bool showActive() const { return m_showActive; }
    int locationOrigin() const { return m_locationOrigin; }
    QPointF location() const { return m_location; }
    bool titleOutside() const { return m_titleOutside; }
    int outsideTransparency() const { return m_outsideTransparency; }
    int itemsType() const { return m_itemsType; }
    int itemsInWidth() const { return m_itemsInWidth; }
    int itemsImageSize() const { return m_itemsImageSize; }
    int itemsFontSize() const { return m_itemsFontSize; }
    void setShowActive(bool on);
    void setLocationOrigin(int origin);
    void setLocation(const QPointF& location);
    void setTitleOutside(bool on);
    void setOutsideTransparency(int percent);
    void setItemsType(int type);
    void setItemsInWidth(int count);
    void setItemsImageSize(int size);
    void setItemsFontSize(int size);

    QVariantList itemsDictArray() const { return m_items; }
    void setItemsDictArray(const QVariantList& items) { replaceItems(items); }

    // Unlinks everything it names; with aux, asks for its actions and
    // shortcuts to be deleted too. Launchers always stay.
    void willDeleteWithAuxObjects(bool aux);

    // List columns of the palettes list.
    QString showActiveValue() const;
    QVariant itemsTypeValue() const { return m_itemsType; }
    QString itemsValue() const;
    QImage itemsImageValue() const;

protected:
    void displayInEditor(QVEObjectEditor* editor) override;
    QList<ObjectRef> itemRefs(const QVariantList& items) const override;
    QVariantMap newItemForAction(zelk::QVEAction* action) const override;
    bool actionIDOfItem(const QVariantMap& item, quint32* id) const override;
    QVariantMap itemWithActionID(const QVariantMap& item, const QVariant& id) const override;

private:
    void setInt(int& field, const char* key, int value);
    void setBool(bool& field, const char* key, bool value);

    bool m_showActive = false;
    int m_locationOrigin = 0;
    QPointF m_location;
    bool m_titleOutside = false;
    int m_outsideTransparency = 0;
    int m_itemsType = 0;
    int m_itemsInWidth = 1;
    int m_itemsImageSize = 0;
    int m_itemsFontSize = 0;
};

} // namespace editor
