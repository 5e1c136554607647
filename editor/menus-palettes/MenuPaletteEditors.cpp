#include "MenuPaletteEditors.h"

#include "ManagerSupport.h"
#include "PalettePreview.h"
#include "QVEMenuEditor.h"
#include "QVEPaletteEditor.h"
#include "QVEPalettesManager.h"

namespace editor {

void registerMenuPaletteEditors()
{
    setObjectEditorMaker(ObjectsFile::Menus, [] { return std::make_shared<QVEMenuEditor>(); });
    setObjectEditorMaker(ObjectsFile::Palettes, [] { return std::make_shared<QVEPaletteEditor>(); });
    QVEPalettesManager::sharedManager().setPreviewMaker(
        [](QVPalette* palette, const QList<QVEPalettesManager::PreviewItem>& items) -> std::unique_ptr<QDialog> {
            if (!palette)
                return nullptr;
            return PalettePreview::paletteForItems(
                items, {palette->nameValue(), palette->location(), palette->locationOrigin(), palette->itemsType(),
                        palette->itemsInWidth(), palette->itemsImageSize(), palette->itemsFontSize()});
        });
}

} // namespace editor
