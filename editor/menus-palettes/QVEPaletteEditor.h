#pragma once
// QVEPaletteEditor: the editor window of one palette: name, show-active
// and title-outside boxes, transparency, location and its corner, button
// type, buttons per row, image and font sizes, the items (shortcuts and
// actions), the launcher and context references, a preview and a
// location picked with the pointer. OK writes everything into the palette;
// Cancel drops it and deletes a palette that is still new, the palette
// alone: the shortcuts and actions it was made from stay.
//
// Changing the corner keeps the palette where it is on the screen: only
// the numbers change. Buttons per row are at least 1.
#include "LocationPicker.h"
#include "PalettePreview.h"
#include "QVEItemsEditor.h"

#include <QPointF>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSlider;

namespace editor {

class QVPalette;

class QVEPaletteEditor : public QVEItemsEditor {
    Q_OBJECT
public:
    QVEPaletteEditor();
    ~QVEPaletteEditor() override;

    void displayWithPalette(QVPalette* palette) override;
    void abortEditing(QObject* sender) override;
    QVPalette* editedPalette() const;

    // What the combined setter applies.
    struct Settings {
        QString name;
        bool showActive = false, titleOutside = false;
        QPointF location;
        int origin = 0, itemsType = 0;
        bool operator==(const Settings&) const = default;
    };
    Settings shownSettings() const;
    void setSettings(const Settings& settings, const QString& undoString);

    void modifyName();
    void modifyShowActive();
    void modifyTitleOutside();
    void modifyLocation();
    void modifyLocationOrigin();
    void modifyItemsType();

    // The working values as the preview shows them.
    PaletteLook previewLook() const;
    // The preview of the working values, modal; an empty list alerts.
    void showPalette();
    PalettePreview* preview() const { return m_preview; }

    // Picking the location with the pointer: the confirming alert, then
    // the wait (without blocking), then the point into the X and Y fields.
    void setLocation();
    LocationPicker& picker() { return m_picker; }

protected:
    void buildSettings(QBoxLayout* layout) override;
    void writeObject(const QVariantList& items) override;
    void announceObject() override;
    void deleteNewObject(quint32 id) override;

private:
    void applySettings(const Settings& settings);
    void locationPicked(const QPointF& global);
    QList<QVEPalettesManager::PreviewItem> workingPreviewItems() const;

    QCheckBox* m_showActiveCheck = nullptr;
    QCheckBox* m_titleOutsideCheck = nullptr;
    QSlider* m_transparencySlider = nullptr;
    QLineEdit* m_xField = nullptr;
    QLineEdit* m_yField = nullptr;
    QComboBox* m_originPopUp = nullptr;
    QComboBox* m_typePopUp = nullptr;
    QSlider* m_itemsInWidthSlider = nullptr;
    QSlider* m_imageSizeSlider = nullptr;
    QSlider* m_fontSizeSlider = nullptr;
    QPointF m_lastLocation;
    int m_lastOrigin = 0;
    int m_lastType = 0;
    LocationPicker m_picker;
    PalettePreview* m_preview = nullptr;
};

} // namespace editor
