#pragma once
// editor/menus-palettes: the menu and palette editors (QVEMenuEditor,
// QVEPaletteEditor) on the editor frame and list component of
// editor/editors, and the palette preview.
//
// registerMenuPaletteEditors() gives the menus and palettes managers the
// makers of these windows, and the palettes manager its preview; the
// application calls it once, beside registerObjectEditors().
namespace editor {

void registerMenuPaletteEditors();

} // namespace editor
