#pragma once
// The palette preview: a modal panel laying the buttons out as the
// engine's palette window does (the shared PaletteLayout), from any values,
// saved or not. Its content's top-left corner sits at the location read
// from its corner of the main screen, and goes back there whenever the
// panel becomes active. The buttons do nothing.
#include "QVEPalettesManager.h"

#include <QDialog>
#include <QPointF>
#include <memory>

namespace editor {

struct PaletteLook {
    QString name;
    QPointF location;
    int origin = 0;
    int itemsType = 0;
    int itemsInWidth = 1;
    int imageSize = 32;
    int fontSize = 12;
};

class PalettePreview : public QDialog {
    Q_OBJECT
public:
    // paletteForItems:named:location:locationOrigin:itemType:itemsInWidth:imageSize:fontSize:
    static std::unique_ptr<PalettePreview> paletteForItems(const QList<QVEPalettesManager::PreviewItem>& items,
                                                           const PaletteLook& look);
    // Where the content goes now (global, top-left origin).
    QRect contentFrame() const { return m_contentFrame; }

protected:
    bool event(QEvent* event) override;

private:
    QRect m_contentFrame;
};

} // namespace editor
