#include "QVEPalettesManager.h"

#include "Log.h"
#include "ModelSupport.h"
#include "QVEAction.h"
#include "QVPalette.h"
#include "QVShortcut.h"

#include <QDialog>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>

namespace editor {

static const StepTexts kTexts{"AnnulerAjouterPalette", "AnnulerAjouterPalettes", "AnnulerSupprimerPalette",
                              "AnnulerSupprimerPalettes", "palettename"};

QVEPalettesManager& QVEPalettesManager::sharedManager()
{
    static QVEPalettesManager manager;
    return manager;
}

void QVEPalettesManager::setPalettes(const QVariantList& records)
{
    for (const QVariant& record : records)
        addPaletteObject(record.toMap());
}

QVariantList QVEPalettesManager::palettesDictArray() const
{
    ObjectStore* store = managedStore("QVEPalettesManager", "palettesDictArray");
    return store ? store->palettesDictArray() : QVariantList{};
}

QList<QVPalette*> QVEPalettesManager::allPalettesArray() const
{
    ObjectStore* store = managedStore("QVEPalettesManager", "allPalettesArray");
    return store ? store->allPalettes() : QList<QVPalette*>{};
}

QList<QVPalette*> QVEPalettesManager::palettesWithContextID(quint32 contextID) const
{
    return objectsWithContextID(allPalettesArray(), contextID);
}

void QVEPalettesManager::addPaletteObject(const QVariantMap& record)
{
    insertPaletteObject(record, -1);
}

void QVEPalettesManager::insertPaletteObject(const QVariantMap& record, int atIndex)
{
    if (ObjectStore* store = managedStore("QVEPalettesManager", "insertPaletteObject"))
        store->insertRecord(ObjectsFile::Palettes, record, atIndex);
}

void QVEPalettesManager::addNew(const QVariantMap& record) { addPalettes({record}, false, false); }
void QVEPalettesManager::newPalette() { addNew(QVPalette::newData()); }
void QVEPalettesManager::newPaletteWithShortcuts(const QVariantList& shortcuts)
{
    addNew(QVPalette::newDataWithShortcutsDict(shortcuts));
}
void QVEPalettesManager::newPaletteWithShortcuts(const QVariantList& shortcuts, const QVariantList& contexts)
{
    addNew(QVPalette::newDataWithShortcutsDict(shortcuts, contexts));
}
void QVEPalettesManager::newPaletteWithActions(const QVariantList& actions) { addNew(QVPalette::newDataWithActionsDict(actions)); }
void QVEPalettesManager::newPaletteWithContexts(const QVariantList& contexts)
{
    addNew(QVPalette::newDataWithContextsDict(contexts));
}
void QVEPalettesManager::newPaletteWithLaunchers(const QVariantList& launchers)
{
    addNew(QVPalette::newDataWithLaunchersDict(launchers));
}

QList<quint32> QVEPalettesManager::addPalettes(const QVariantList& records, bool withNewID, bool isUndo)
{
    ObjectStore* store = managedStore("QVEPalettesManager", "addPalettes");
    if (!store)
        return {};
    return addRecordsAsStep(*store, &m_undoManager, ObjectsFile::Palettes, records, withNewID, isUndo, kTexts,
                            &QVPalette::nextPaletteID, [this](const QList<quint32>& ids) { editObjectsID(ids); });
}

QList<quint32> QVEPalettesManager::delPalettesID(const QList<quint32>& ids, bool auxObjects, bool isUndo)
{
    ObjectStore* store = managedStore("QVEPalettesManager", "delPalettesID");
    if (!store)
        return {};
    return deleteAsStep(*store, &m_undoManager, ObjectsFile::Palettes, ids, isUndo, kTexts,
                        [&] { store->delPalettesID(ids, auxObjects, isUndo); });
}

void QVEPalettesManager::exportPalettesID(const QList<quint32>& ids)
{
    if (ids.isEmpty())
        return;
    QVPalette* first = objectWithID(ids.first());
    exportExchangeFile(QStringLiteral("ExporterPalettes"), first ? first->nameValue() : QString(),
                       exportDataForPalettesID(ids), QStringLiteral("PalettesPasExportes"));
}

QVariantMap QVEPalettesManager::exportDataForPalettesID(const QList<quint32>& ids) const
{
    ObjectStore* store = managedStore("QVEPalettesManager", "exportDataForPalettesID");
    if (!store)
        return {};
    ExchangeGatherer gatherer(*store);
    for (const quint32 id : ids)
        gatherer.addPalette(id);
    return gatherer.exchangeFile(false);
}

void QVEPalettesManager::pastePasteboard(const QMimeData* pasteboard)
{
    if (pasteboardHasType(pasteboard, QStringLiteral("QVShortcutPboardType")))
        pasteShortcutsWithPasteboard(pasteboard);
    else if (pasteboardHasType(pasteboard, QStringLiteral("QVActionPboardType")))
        pasteActionsWithPasteboard(pasteboard);
}

void QVEPalettesManager::pasteShortcutsWithPasteboard(const QMimeData* pasteboard)
{
    pasteAsNewObject(&m_undoManager, pasteboard, PastedItems::Shortcuts,
                     [this](const QVariantList& records) { newPaletteWithShortcuts(records); });
}

void QVEPalettesManager::pasteActionsWithPasteboard(const QMimeData* pasteboard)
{
    pasteAsNewObject(&m_undoManager, pasteboard, PastedItems::Actions,
                     [this](const QVariantList& records) { newPaletteWithActions(records); });
}

void QVEPalettesManager::duplicatePalettesID(const QList<quint32>& ids)
{
    const QVariantList records = namedRecordsOf(*this, ids, QStringLiteral("palettename"));
    if (records.isEmpty())
        return;
    const QVariantList copies = namedCopies(records, QStringLiteral("palettename"));
    if (!addPalettes(copies, true, false).isEmpty())
        renameTopStep(&m_undoManager, locFormat(QStringLiteral("AnnulerDupliquerPalettes"), {qulonglong(copies.size())}));
}

QList<QVEPalettesManager::PreviewItem> QVEPalettesManager::previewItems(QVPalette* palette) const
{
    QList<PreviewItem> items;
    ObjectStore* store = ObjectStore::sharedStore();
    if (!store || !palette)
        return items;
    for (const QVariant& value : palette->itemsDictArray()) {
        const QVariantMap item = value.toMap();
        const QVariantMap params = item.value(QStringLiteral("paletteitemparams")).toMap();
        PreviewItem preview;
        switch (intValue(item.value(QStringLiteral("paletteitemtype")))) {
        case 1: preview.shortcut = store->shortcutWithID(uintValue(params.value(QStringLiteral("paletteitemshortcutID")))); break;
        case 2: preview.action = store->actionWithID(uintValue(params.value(QStringLiteral("paletteitemactionID")))); break;
        default: break;
        }
        if (preview.shortcut || preview.action)
            items.append(preview);
    }
    return items;
}

QPoint QVEPalettesManager::previewTopLeft(const QPointF& location, int origin, const QSizeF& screen)
{
    const double w = screen.width();
    const double h = screen.height();
    QPointF point = location;
    switch (origin) {
    case 1: point = {w - location.x(), location.y()}; break;
    case 2: point = {w - location.x(), h - location.y()}; break;
    case 3: point = {location.x(), h - location.y()}; break;
    default: break;
    }
    return point.toPoint();
}

void QVEPalettesManager::placePreviewWindow(QWidget* window) const
{
    QVPalette* palette = previewedPalette();
    if (!window || !palette)
        return;
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSizeF size = screen ? QSizeF(screen->geometry().size()) : QSizeF();
    // The window's own top-left corner at the converted point, as the engine
    // places the palette.
    window->move(previewTopLeft(palette->location(), palette->locationOrigin(), size));
}

namespace {

// Puts the preview back at its place whenever it becomes active.
class PreviewPlacer : public QObject {
public:
    explicit PreviewPlacer(const QVEPalettesManager& manager) : m_manager(manager) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::WindowActivate || event->type() == QEvent::Show)
            m_manager.placePreviewWindow(qobject_cast<QWidget*>(watched));
        return false;
    }

private:
    const QVEPalettesManager& m_manager;
};

} // namespace

void QVEPalettesManager::runPalettesID(const QList<quint32>& ids)
{
    if (ids.isEmpty())
        return;
    QVPalette* palette = objectWithID(ids.first());
    if (!palette)
        return;
    if (!m_previewMaker) {
        zelk::zlog("QVEPalettesManager", "runPalettesID") << "no preview window";
        return;
    }
    std::unique_ptr<QDialog> window = m_previewMaker(palette, previewItems(palette));
    if (!window)
        return;
    m_previewedID = palette->IDValue();
    PreviewPlacer placer(*this);
    window->installEventFilter(&placer);
    placePreviewWindow(window.get());
    window->exec();
    window->removeEventFilter(&placer);
    m_previewedID.reset();
}

void QVEPalettesManager::editObjectsID(const QList<quint32>& ids)
{
    if (ObjectStore* store = managedStore("QVEPalettesManager", "editObjectsID"))
        editObjects(*store, ObjectsFile::Palettes, ids);
}

QVPalette* QVEPalettesManager::objectWithID(quint32 id) const
{
    ObjectStore* store = ObjectStore::sharedStore();
    return store ? store->paletteWithID(id) : nullptr;
}

void QVEPalettesManager::updatePalettes() { postUpdate(ObjectsFile::Palettes); }

} // namespace editor
