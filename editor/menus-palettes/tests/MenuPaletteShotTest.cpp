// The menu editor, the palette editor and the palette preview filled and
// captured as images for people to look at (never compared by pixels).
#include "EditorTestSupport.h"
#include "MenuPaletteEditors.h"
#include "PalettePreview.h"
#include "QVEMenuEditor.h"
#include "QVEMenusManager.h"
#include "QVEPaletteEditor.h"
#include "QVEPalettesManager.h"

#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QWidget>
#include <gtest/gtest.h>

namespace editor::test {
namespace {

bool saveShot(QWidget* window, const QString& name)
{
    const QString folder = qEnvironmentVariable("ZELK_TEST_ARTEFACTS", QDir::tempPath());
    const QImage image = window->grab().toImage();
    return !image.isNull() && image.width() > 20 && image.height() > 20 && image.save(folder + "/" + name + ".png");
}

class MenuPaletteShotTest : public EditorTest {
protected:
    MenuPaletteShotTest() { registerMenuPaletteEditors(); }
};

TEST_F(MenuPaletteShotTest, MenuEditor)
{
    addAction(1, "Type the greeting");
    addAction(2, "Open the notes");
    QVShortcut* shortcut = addShortcut({1});
    QVMenu* submenu = addMenu({menuItem(2, 2)});
    QVMenu* menu = addMenu({menuItem(1, shortcut->IDValue()), menuItem(0, 0, "Notes"), menuItem(2, 2),
                            menuItem(0, 0), menuItem(3, submenu->IDValue())});
    QVEMenusManager::sharedManager().editObjectsID({menu->IDValue()});
    auto* editor = dynamic_cast<QVEMenuEditor*>(menu->editor());
    ASSERT_TRUE(editor);
    ASSERT_TRUE(editor->window()->isVisible());
    EXPECT_TRUE(saveShot(editor->window(), "menu-editor"));
    editor->abortEditing(nullptr);
}

TEST_F(MenuPaletteShotTest, PaletteEditorAndPreview)
{
    addAction(1, "Type the greeting");
    addAction(2, "Open the notes");
    addAction(3, "Mute");
    QVPalette* palette = addPalette({paletteItem(2, 1), paletteItem(2, 2), paletteItem(2, 3)});
    palette->setItemsType(5);
    palette->setItemsInWidth(2);
    palette->setItemsImageSize(32);
    palette->setItemsFontSize(12);
    palette->setLocation({60, 60});
    QVEPalettesManager::sharedManager().editObjectsID({palette->IDValue()});
    auto* editor = dynamic_cast<QVEPaletteEditor*>(palette->editor());
    ASSERT_TRUE(editor);
    ASSERT_TRUE(editor->window()->isVisible());
    EXPECT_TRUE(saveShot(editor->window(), "palette-editor"));
    std::unique_ptr<PalettePreview> preview = PalettePreview::paletteForItems(
        QVEPalettesManager::sharedManager().previewItems(palette), editor->previewLook());
    preview->show();
    EXPECT_TRUE(saveShot(preview.get(), "palette-preview"));
    editor->abortEditing(nullptr);
}

} // namespace
} // namespace editor::test
