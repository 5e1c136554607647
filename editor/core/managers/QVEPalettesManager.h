#pragma once
// The palettes manager: the shortcuts manager's pattern for palettes. No
// copy (the palettes list writes the pasteboard itself), no permission test
// on delete.
#include "ManagerSupport.h"
#include "QVEMainObjectsManager.h"
#include "QVPalette.h"

#include <QPoint>
#include <QSizeF>
#include <QUndoStack>
#include <memory>

class QDialog;
class QMimeData;
class QWidget;

namespace zelk {
class QVEAction;
}

namespace editor {

class QVEPalettesManager : public QVEMainObjectsManager {
public:
    static QVEPalettesManager& sharedManager();

    void setPalettes(const QVariantList& records);
    QVariantList palettesDictArray() const;
    QList<QVPalette*> allPalettesArray() const;
    QList<QVPalette*> palettesWithContextID(quint32 contextID) const;
    void addPaletteObject(const QVariantMap& record);
    void insertPaletteObject(const QVariantMap& record, int atIndex);

    void newPalette();
    void newPaletteWithShortcuts(const QVariantList& shortcuts);
    void newPaletteWithShortcuts(const QVariantList& shortcuts, const QVariantList& contexts);
    void newPaletteWithActions(const QVariantList& actions);
    void newPaletteWithContexts(const QVariantList& contexts);
    void newPaletteWithLaunchers(const QVariantList& launchers);
    QList<quint32> addPalettes(const QVariantList& records, bool withNewID, bool isUndo);
    QList<quint32> delPalettesID(const QList<quint32>& ids, bool auxObjects, bool isUndo);

    void exportPalettesID(const QList<quint32>& ids);
    QVariantMap exportDataForPalettesID(const QList<quint32>& ids) const;
    void pastePasteboard(const QMimeData* pasteboard);
    void pasteShortcutsWithPasteboard(const QMimeData* pasteboard);
    void pasteActionsWithPasteboard(const QMimeData* pasteboard);
    void duplicatePalettesID(const QList<quint32>& ids);
    // The modal preview of the first palette: its window comes from the
    // preview maker (the palette editor's), placed at the palette's stored
    // place whenever it becomes active; closing it ends the preview.
    void runPalettesID(const QList<quint32>& ids);
    QVPalette* previewedPalette() const { return m_previewedID ? objectWithID(*m_previewedID) : nullptr; }
    // A previewed item: the shortcut or the action it runs.
    struct PreviewItem {
        QVShortcut* shortcut = nullptr;
        zelk::QVEAction* action = nullptr;
    };
    using PreviewMaker = std::function<std::unique_ptr<QDialog>(QVPalette* palette, const QList<PreviewItem>& items)>;
    void setPreviewMaker(PreviewMaker maker) { m_previewMaker = std::move(maker); }
    // The items' objects in item order; inactive items too, missing ones not.
    QList<PreviewItem> previewItems(QVPalette* palette) const;
    // Where the preview's top-left corner goes: the stored location turned
    // into a global top-left point (the same place the engine shows it).
    static QPoint previewTopLeft(const QPointF& location, int origin, const QSizeF& screen);
    void placePreviewWindow(QWidget* window) const;
    void editObjectsID(const QList<quint32>& ids) override;

    QVPalette* objectWithID(quint32 id) const override;
    void updatePalettes();
    QUndoStack* undoManager() { return &m_undoManager; }

private:
    QVEPalettesManager() = default;
    void addNew(const QVariantMap& record);

    QUndoStack m_undoManager;
    PreviewMaker m_previewMaker;
    std::optional<quint32> m_previewedID; // by ID: the palette may be deleted meanwhile
};

} // namespace editor
