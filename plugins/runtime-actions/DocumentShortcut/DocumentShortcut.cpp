#include "DocumentShortcut.h"

#include "Log.h"
#include "Platform.h"

#include <QAction>
#include <QMenu>
#include <thread>

namespace zelk::engine {

namespace K = DocumentShortcutKeys;

bool DocumentShortcut::initWithDictionaryInLauncher(const QVariantMap& record)
{
    if (!ActionRunner::initWithDictionaryInLauncher(record))
        return false;
    readParameters(parametersOf(record), CUTAction);
    return true;
}

QString DocumentShortcut::runActionFromObject(const std::shared_ptr<QVActionController>& controller)
{
    QVActionController& c = *controller;
    switch (m_model) {
    case 2:
        return openDocument(bestPath(), CUTAppName, &c);
    case 3:
        return displayRecentDocumentsMenuOrderBy(CUTOrder, c);
    case 5:
        return openSelectedDocumentsWithApplication(CUTAppName, c);
    default:
        return {};
    }
}

bool DocumentShortcut::validateMenuItem(QAction* item)
{
    if (!item || m_model != 3)
        return true;
    QMenu* menu = recentDocumentsMenuOrderBy(CUTOrder, Platform::instance().documents().recentDocuments());
    if (QMenu* old = item->menu())
        old->deleteLater();
    QObject::connect(item, &QObject::destroyed, menu, &QObject::deleteLater);
    item->setMenu(menu);
    return true;
}

QString DocumentShortcut::openDocument(const QString& path, const QString& withApplication, QVActionController*)
{
    if (!fileExistsAtPath(path))
        return localized(classObject(), "DocumentNonValide", {path});
    if (withApplication.isEmpty()) {
        if (!Platform::instance().documents().openWithDefault(path))
            return localized(classObject(), "OuvertureImpossible", {path});
        return {};
    }
    const QString entry = fullPathForApplication(withApplication);
    if (entry.isEmpty())
        return localized(classObject(), "ApplicationNonValide", {withApplication});
    if (!Platform::instance().workspace().launchApplication(entry, {path}))
        return localized(classObject(), "OuvertureImpossible", {path});
    return {};
}

QString DocumentShortcut::displayRecentDocumentsMenuOrderBy(int order, QVActionController&)
{
    // Read on the run thread: the desktop's list is a file.
    const QList<RecentDocument> recent = Platform::instance().documents().recentDocuments();
    showFloatingMenu([order, &recent] { return recentDocumentsMenuOrderBy(order, recent); });
    return {};
}

QMenu* DocumentShortcut::recentDocumentsMenuOrderBy(int order, const QList<RecentDocument>& documents)
{
    auto* menu = new QMenu;
    for (const RecentDocument& document : documents) {
        auto* item = new QAction(document.displayName, menu);
        if (!document.path.isEmpty()) {
            const QImage icon = iconImageForPath(document.path, 16);
            if (!icon.isNull())
                item->setIcon(QIcon(QPixmap::fromImage(icon)));
            item->setData(document.path);
            QObject::connect(item, &QAction::triggered, item, [item] { openDocumentFromMenu(item); });
        }
        if (order == 0)
            menu->addAction(item);
        else
            insertMenuItemSorted(menu, item);
    }
    return menu;
}

void DocumentShortcut::openDocumentFromMenu(QAction* item)
{
    const QString path = item ? item->data().toString() : QString();
    if (path.isEmpty())
        return;
    std::thread([path] {
        const QString error = openDocument(path, {}, nullptr);
        if (!error.isEmpty())
            zlog("DocumentShortcut", "openDocumentFromMenu") << error;
    }).detach();
}

QString DocumentShortcut::openSelectedDocumentsWithApplication(const QString& application, QVActionController& c)
{
    const std::optional<QStringList> files = Platform::instance().documents().copiedFiles();
    if (!files)
        return localized(classObject(), "ImpossibleTrouverDocuments");
    int handled = 0;
    for (const QString& path : *files) {
        if (!c.canGoRunning())
            break;
        if (typeForTargetPath(path) != 2)
            continue;
        ++handled;
        const QString error = openDocument(path, application, &c);
        if (!error.isEmpty() && !c.canGoRunningAfterError(error))
            return {};
    }
    if (handled == 0 && c.canGoRunning())
        return localized(classObject(), "PasDocumentSelectionne");
    return {};
}

ZELK_REGISTER_ACTION_RUNNER(DocumentShortcut)

} // namespace zelk::engine
