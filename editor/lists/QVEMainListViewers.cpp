// The three main lists: what each kind answers and asks of its manager.
#include "ModelSupport.h"
#include "QVEMenusManager.h"
#include "QVEObjectsViewer.h"
#include "QVEPalettesManager.h"
#include "QVEShortcutsManager.h"

namespace editor {

static const QStringList kSelectionVerbs{"copy", "clear", "clearStructure", "export", "edit", "duplicate", "run"};

// --- Shortcuts --------------------------------------------------------------------------------

QVEShortcutsViewer::QVEShortcutsViewer(StripedTableView* table, QVEObjectsWindow* window, QObject* parent)
    : QVEObjectsViewer(Kind::Shortcuts, table, window, parent)
{
    buildActionMenu(true);
}

QString QVEShortcutsViewer::windowTitle() const { return loc(QStringLiteral("ShortcutsWindowTitle")); }
QStringList QVEShortcutsViewer::columns() const { return {"name", "commands", "launchers", "links"}; }
QStringList QVEShortcutsViewer::answeredVerbs() const { return QStringList(kSelectionVerbs) << "paste"; }
QStringList QVEShortcutsViewer::pastedTypes() const { return {"QVActionPboardType"}; }
QVEMainObjectsManager& QVEShortcutsViewer::manager() const { return QVEShortcutsManager::sharedManager(); }
QStringList QVEShortcutsViewer::newObjectDropTypes() const { return {"QVActionPboardType"}; }

void QVEShortcutsViewer::newObjectWithDroppedRecords(const QString&, const QVariantList& records)
{
    QVEShortcutsManager::sharedManager().newShortcutWithActions(records);
}

void QVEShortcutsViewer::performVerb(const QString& verb, const QList<quint32>& ids)
{
    QVEShortcutsManager& manager = QVEShortcutsManager::sharedManager();
    if (verb == QLatin1String("copy"))
        manager.copyShortcutsID(ids);
    else if (verb == QLatin1String("paste"))
        manager.pastePasteboard(generalPasteboard());
    else if (verb == QLatin1String("clear"))
        manager.delShortcutsID(ids, true, true, false);
    else if (verb == QLatin1String("clearStructure"))
        manager.delShortcutsID(ids, true, false, false);
    else if (verb == QLatin1String("export"))
        manager.exportShortcutsID(ids);
    else if (verb == QLatin1String("edit"))
        manager.editObjectsID(ids);
    else if (verb == QLatin1String("duplicate"))
        manager.duplicateShortcutsID(ids);
    else if (verb == QLatin1String("run"))
        manager.runShortcutsID(ids);
}

void QVEShortcutsViewer::newObjectWithOptionalContexts(const std::optional<QVariantList>& contexts)
{
    if (contexts)
        QVEShortcutsManager::sharedManager().newShortcutWithContexts(*contexts);
    else
        QVEShortcutsManager::sharedManager().newShortcut();
}

void QVEShortcutsViewer::newObjectWithContexts(const QVariantList& contexts)
{
    QVEShortcutsManager::sharedManager().newShortcutWithContexts(contexts);
}

void QVEShortcutsViewer::duplicateObjects()
{
    QVEShortcutsManager::sharedManager().duplicateShortcutsID(selectedObjectsIDArray());
}

void QVEShortcutsViewer::newMenuWithObject()
{
    QVEShortcutsManager::sharedManager().newMenuWithShortcutsID(selectedObjectsIDArray(), selectedContextRecords());
}

void QVEShortcutsViewer::newPaletteWithObject()
{
    QVEShortcutsManager::sharedManager().newPaletteWithShortcutsID(selectedObjectsIDArray(), selectedContextRecords());
}

// --- Menus ------------------------------------------------------------------------------------

QVEMenusViewer::QVEMenusViewer(StripedTableView* table, QVEObjectsWindow* window, QObject* parent)
    : QVEObjectsViewer(Kind::Menus, table, window, parent)
{
    buildActionMenu(false);
}

QString QVEMenusViewer::windowTitle() const { return loc(QStringLiteral("MenusWindowTitle")); }
QStringList QVEMenusViewer::columns() const { return {"name", "items", "launchers", "links", "inBar"}; }
QStringList QVEMenusViewer::answeredVerbs() const { return QStringList(kSelectionVerbs) << "paste"; }
QStringList QVEMenusViewer::pastedTypes() const { return {"QVShortcutPboardType", "QVActionPboardType"}; }
QVEMainObjectsManager& QVEMenusViewer::manager() const { return QVEMenusManager::sharedManager(); }
QStringList QVEMenusViewer::newObjectDropTypes() const { return {"QVActionPboardType", "QVShortcutPboardType"}; }

void QVEMenusViewer::newObjectWithDroppedRecords(const QString& type, const QVariantList& records)
{
    if (type == QLatin1String("QVActionPboardType"))
        QVEMenusManager::sharedManager().newMenuWithActions(records);
    else
        QVEMenusManager::sharedManager().newMenuWithShortcuts(records);
}

void QVEMenusViewer::performVerb(const QString& verb, const QList<quint32>& ids)
{
    QVEMenusManager& manager = QVEMenusManager::sharedManager();
    if (verb == QLatin1String("copy"))
        manager.copyMenusID(ids);
    else if (verb == QLatin1String("paste"))
        manager.pastePasteboard(generalPasteboard());
    else if (verb == QLatin1String("clear"))
        manager.delMenusID(ids, true, true, false);
    else if (verb == QLatin1String("clearStructure"))
        manager.delMenusID(ids, true, false, false);
    else if (verb == QLatin1String("export"))
        manager.exportMenusID(ids);
    else if (verb == QLatin1String("edit"))
        manager.editObjectsID(ids);
    else if (verb == QLatin1String("duplicate"))
        manager.duplicateMenusID(ids);
    else if (verb == QLatin1String("run"))
        manager.runMenusID(ids);
}

void QVEMenusViewer::newObjectWithOptionalContexts(const std::optional<QVariantList>& contexts)
{
    if (contexts)
        QVEMenusManager::sharedManager().newMenuWithContexts(*contexts);
    else
        QVEMenusManager::sharedManager().newMenu();
}

void QVEMenusViewer::newObjectWithContexts(const QVariantList& contexts)
{
    QVEMenusManager::sharedManager().newMenuWithContexts(contexts);
}

void QVEMenusViewer::duplicateObjects()
{
    QVEMenusManager::sharedManager().duplicateMenusID(selectedObjectsIDArray());
}

// --- Palettes ---------------------------------------------------------------------------------

QVEPalettesViewer::QVEPalettesViewer(StripedTableView* table, QVEObjectsWindow* window, QObject* parent)
    : QVEObjectsViewer(Kind::Palettes, table, window, parent)
{
    buildActionMenu(false);
}

QString QVEPalettesViewer::windowTitle() const { return loc(QStringLiteral("PalettesWindowTitle")); }
QStringList QVEPalettesViewer::columns() const { return {"name", "showActive", "itemsType", "launchers", "items"}; }
QStringList QVEPalettesViewer::answeredVerbs() const
{
    // The palettes list has no copy.
    QStringList verbs = kSelectionVerbs;
    verbs.removeAll(QStringLiteral("copy"));
    return verbs << "paste";
}
QStringList QVEPalettesViewer::pastedTypes() const { return {"QVShortcutPboardType", "QVActionPboardType"}; }
QVEMainObjectsManager& QVEPalettesViewer::manager() const { return QVEPalettesManager::sharedManager(); }
QStringList QVEPalettesViewer::newObjectDropTypes() const { return {"QVActionPboardType", "QVShortcutPboardType"}; }

void QVEPalettesViewer::newObjectWithDroppedRecords(const QString& type, const QVariantList& records)
{
    if (type == QLatin1String("QVActionPboardType"))
        QVEPalettesManager::sharedManager().newPaletteWithActions(records);
    else
        QVEPalettesManager::sharedManager().newPaletteWithShortcuts(records);
}

void QVEPalettesViewer::performVerb(const QString& verb, const QList<quint32>& ids)
{
    QVEPalettesManager& manager = QVEPalettesManager::sharedManager();
    if (verb == QLatin1String("paste"))
        manager.pastePasteboard(generalPasteboard());
    else if (verb == QLatin1String("clear"))
        manager.delPalettesID(ids, true, false);
    else if (verb == QLatin1String("clearStructure"))
        manager.delPalettesID(ids, false, false);
    else if (verb == QLatin1String("export"))
        manager.exportPalettesID(ids);
    else if (verb == QLatin1String("edit"))
        manager.editObjectsID(ids);
    else if (verb == QLatin1String("duplicate"))
        manager.duplicatePalettesID(ids);
    else if (verb == QLatin1String("run"))
        manager.runPalettesID(ids);
}

void QVEPalettesViewer::newObjectWithOptionalContexts(const std::optional<QVariantList>& contexts)
{
    if (contexts)
        QVEPalettesManager::sharedManager().newPaletteWithContexts(*contexts);
    else
        QVEPalettesManager::sharedManager().newPalette();
}

void QVEPalettesViewer::newObjectWithContexts(const QVariantList& contexts)
{
    QVEPalettesManager::sharedManager().newPaletteWithContexts(contexts);
}

void QVEPalettesViewer::duplicateObjects()
{
    QVEPalettesManager::sharedManager().duplicatePalettesID(selectedObjectsIDArray());
}

} // namespace editor
