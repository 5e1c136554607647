#include "FolderShortcut.h"

#include "Log.h"
#include "Platform.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMenu>
#include <algorithm>
#include <filesystem>
#include <mutex>
#include <thread>

namespace zelk::engine {

namespace {

// The properties a folder's menu carries for its filling.
constexpr const char* kFolderProperty = "zelkFolder";
constexpr const char* kTopItemsProperty = "zelkTopItems";
constexpr const char* kCanUpdateProperty = "zelkCanUpdate";

struct ListingCache {
    std::mutex mutex;
    QHash<QString, QStringList> lists;
};

ListingCache& listingCache()
{
    static ListingCache cache;
    return cache;
}

// Enough for any browsing session; beyond it the cache starts again.
constexpr int kCachedListings = 256;

// A folder's time of change to the nanosecond: an entry added, removed or
// renamed changes it.
qint64 changeTime(const QString& folder)
{
    std::error_code error;
    const auto time = std::filesystem::last_write_time(folder.toStdString(), error);
    return error ? -1 : qint64(time.time_since_epoch().count());
}

QString listingKey(const QString& folder, const FolderMenuFlags& f)
{
    return QStringLiteral("%1|%2%3%4%5|%6")
        .arg(folder)
        .arg(int(f.showDocument))
        .arg(int(f.showApplication))
        .arg(int(f.showFolder))
        .arg(int(f.showInvisible))
        .arg(changeTime(folder));
}

// The flags travel with each menu, so that its submenus list alike.
QVariant flagsValue(const FolderMenuFlags& flags)
{
    QVariantMap data;
    flags.write(data);
    return data;
}

FolderMenuFlags flagsOfMenu(const QMenu* menu)
{
    return FolderMenuFlags::read(menu->property("zelkFlags").toMap());
}

QIcon iconOf(const QImage& image)
{
    return image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image));
}

} // namespace

bool FolderShortcut::initWithDictionaryInLauncher(const QVariantMap& record)
{
    if (!ActionRunner::initWithDictionaryInLauncher(record))
        return false;
    readParameters(parametersOf(record));
    return true;
}

QString FolderShortcut::menuFolder() const
{
    if (CUTAction == 1) {
        const QString path = bestPath();
        if (!fileExistsAtPath(path))
            return {};
        const QString target = targetPath(path);
        return target.isEmpty() ? path : target;
    }
    if (CUTAction != 2)
        return {};
    const std::optional<QStringList> files = Platform::instance().documents().copiedFiles();
    if (!files || files->isEmpty())
        return {};
    const QString first = files->first();
    const QFileInfo info(first);
    if (!info.exists())
        return {};
    if (typeForTargetPath(first) == 3)
        return first;
    if (info.isDir() && CUTFlags.showPackageContent)
        return first;
    return info.absolutePath();
}

QString FolderShortcut::runActionFromObject(const std::shared_ptr<QVActionController>&)
{
    if (CUTAction != 1 && CUTAction != 2)
        return {};
    const QString folder = menuFolder();
    if (folder.isEmpty())
        return CUTAction == 1 ? localized(classObject(), "CheminNonValide", {bestPath()})
                              : localized(classObject(), "PasDossierSelectionne");
    const FolderMenuFlags flags = CUTFlags;
    const bool canUpdate = CUTAction == 1;
    showFloatingMenu([&] { return emptyMenuWithPath(folder, flags, canUpdate); });
    return {};
}

bool FolderShortcut::validateMenuItem(QAction* item)
{
    if (!item || CUTAction != 1 || item->menu())
        return true;
    const QString folder = menuFolder();
    if (folder.isEmpty())
        return true;
    QMenu* menu = emptyMenuWithPath(folder, CUTFlags, true);
    QObject::connect(item, &QObject::destroyed, menu, &QObject::deleteLater);
    item->setMenu(menu);
    return true;
}

QMenu* FolderShortcut::emptyMenuWithPath(const QString& folder, const FolderMenuFlags& flags, bool canUpdate)
{
    auto* menu = new QMenu;
    menu->setProperty(kFolderProperty, folder);
    menu->setProperty(kCanUpdateProperty, canUpdate);
    menu->setProperty("zelkFlags", flagsValue(flags));
    QAction* self = menu->addAction(localized(classObject(), "CeDossier"));
    QObject::connect(self, &QAction::triggered, self, [folder] { runPath(folder); });
    if (canUpdate) {
        QAction* update = menu->addAction(localized(classObject(), "MettreAJour"));
        QObject::connect(update, &QAction::triggered, update, [] { clearListingCache(); });
    }
    menu->addSeparator();
    menu->setProperty(kTopItemsProperty, int(menu->actions().size()));
    QObject::connect(menu, &QMenu::aboutToShow, menu, [menu] { fillMenu(menu); });
    return menu;
}

void FolderShortcut::fillMenu(QMenu* menu)
{
    // Filled once: a menu opened again keeps its items.
    if (menu->actions().size() != menu->property(kTopItemsProperty).toInt())
        return;
    const QString folder = menu->property(kFolderProperty).toString();
    const bool canUpdate = menu->property(kCanUpdateProperty).toBool();
    const FolderMenuFlags f = flagsOfMenu(menu);
    for (const QString& path : itemsArrayForPath(folder, f)) {
        auto* item = new QAction(titleOfPath(path, f.displayExtension), menu);
        int kind = kindOfPath(path);
        if (kind != 3 && f.showPackageContent && QFileInfo(path).isDir())
            kind = 3;
        if (f.displayIcon) {
            if (f.genericIcons)
                item->setIcon(iconOf(kind == 3 ? folderIcon(16) : kind == 2 ? docIcon(16) : kind == 1 ? appIcon(16) : QImage()));
            else
                item->setIcon(iconOf(iconImageForPath(path, 16)));
        }
        if (kind == 3) {
            const QString target = targetPath(path);
            QMenu* submenu = emptyMenuWithPath(target.isEmpty() ? path : target, f, canUpdate);
            submenu->setParent(menu, submenu->windowFlags());
            item->setMenu(submenu);
        } else {
            const bool open = f.folderOpen;
            QObject::connect(item, &QAction::triggered, item, [path, open] { open ? runPath2(path) : runPath(path); });
        }
        menu->addAction(item);
    }
}

QStringList FolderShortcut::itemsArrayForPath(const QString& folder, const FolderMenuFlags& f)
{
    const QString key = listingKey(folder, f);
    {
        ListingCache& cache = listingCache();
        std::lock_guard lock(cache.mutex);
        const auto found = cache.lists.constFind(key);
        if (found != cache.lists.cend())
            return *found;
    }
    const QDir dir(folder);
    QList<QPair<QString, QString>> taken; // display name, path
    for (const QString& name : dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        const QString path = dir.filePath(name);
        if (!f.showInvisible && !isVisiblePath(path))
            continue;
        const int kind = kindOfPath(path);
        if ((kind == 3 && !f.showFolder) || (kind == 2 && !f.showDocument) || (kind == 1 && !f.showApplication))
            continue;
        taken.append({displayNameAtPath(path), path});
    }
    std::stable_sort(taken.begin(), taken.end(), [](const auto& a, const auto& b) {
        return QString::compare(a.first, b.first, Qt::CaseInsensitive) < 0;
    });
    QStringList paths;
    for (const auto& [name, path] : std::as_const(taken))
        paths << path;
    ListingCache& cache = listingCache();
    std::lock_guard lock(cache.mutex);
    if (cache.lists.size() >= kCachedListings)
        cache.lists.clear();
    cache.lists.insert(key, paths);
    return paths;
}

void FolderShortcut::clearListingCache()
{
    ListingCache& cache = listingCache();
    std::lock_guard lock(cache.mutex);
    cache.lists.clear();
}

bool FolderShortcut::isVisiblePath(const QString& path)
{
    return !QFileInfo(path).fileName().startsWith(QLatin1Char('.'));
}

int FolderShortcut::kindOfPath(const QString& path)
{
    const int type = typeForPath(path);
    return type == 4 || type == 5 ? typeForTargetPath(path) : type;
}

QString FolderShortcut::titleOfPath(const QString& path, bool displayExtension)
{
    QString title = displayNameAtPath(path);
    if (!displayExtension && !QFileInfo(path).fileName().startsWith(QLatin1Char('.'))) {
        const int dot = title.lastIndexOf(QLatin1Char('.'));
        if (dot > 0)
            title.truncate(dot);
    }
    return title;
}

void FolderShortcut::runPath(const QString& path) { openItem(path, true); }

void FolderShortcut::runPath2(const QString& path) { openItem(path, false); }

void FolderShortcut::openItem(const QString& path, bool showFolders)
{
    std::thread([path, showFolders] {
        const int kind = typeForTargetPath(path);
        if (kind == 0) {
            runAlertPanelWithTitle(localized(classObject(), "CheminNonValide", {path}),
                                   localized(classObject(), "RedefinirChemin"), QStringLiteral("OK"), {}, {});
            return;
        }
        DocumentServices& documents = Platform::instance().documents();
        const bool done = kind == 3 && showFolders ? documents.showFolders({path}) : documents.openWithDefault(path);
        if (!done) {
            zlog("FolderShortcut", "openItem") << "could not open" << path;
            runAlertPanelWithTitle(localized(classObject(), "OuvertureImpossible", {path}), {}, QStringLiteral("OK"),
                                   {}, {});
        }
    }).detach();
}

ZELK_REGISTER_ACTION_RUNNER(FolderShortcut)

} // namespace zelk::engine
