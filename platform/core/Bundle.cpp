#include "Bundle.h"

#include "Log.h"
#include "PropertyList.h"
#include "StringsTable.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <dlfcn.h>
#include <mutex>

namespace zelk {

struct Bundle::Data {
    QString bundlePath;
    QString contentsPath;
    QString soPath; // the shared object, for a shared object's bundle
    bool isApplication = false;
    QVariantMap info;
};

namespace {

std::mutex& cacheMutex()
{
    static std::mutex m;
    return m;
}

QHash<QString, std::shared_ptr<const StringsTable>>& tableCache()
{
    static QHash<QString, std::shared_ptr<const StringsTable>> c;
    return c;
}

QString cleanAbsolute(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

bool isApplicationFolder(const QString& path)
{
    return path.endsWith(QLatin1String(".app")) && QFileInfo(path + QStringLiteral("/Contents")).isDir();
}

QString runningExecutable()
{
    return QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
}

} // namespace

// Bundles by path and tables by bundle path + table: a Bundle is made often
// (every look-up through Bundle::main()), its files are read once.
std::shared_ptr<const Bundle::Data> Bundle::dataFor(const QString& rawPath, const QString& soPath)
{
    static QHash<QString, std::shared_ptr<const Data>> cache;
    const QString path = cleanAbsolute(rawPath);
    std::lock_guard lock(cacheMutex());
    const QString cacheKey = path + u'\n' + soPath;
    if (auto it = cache.constFind(cacheKey); it != cache.cend())
        return *it;

    auto d = std::make_shared<Bundle::Data>();
    d->bundlePath = path;
    d->soPath = soPath;
    d->isApplication = isApplicationFolder(path);
    d->contentsPath = d->isApplication ? path + QStringLiteral("/Contents") : path;
    const QString infoPath = d->contentsPath + QStringLiteral("/Info.plist");
    if (QFileInfo::exists(infoPath)) {
        QString error;
        auto info = plist::readFile(infoPath, &error);
        if (info && info->metaType().id() == QMetaType::QVariantMap)
            d->info = info->toMap();
        else
            zlog("Bundle", "infoDictionary") << (info ? infoPath + QStringLiteral(": not a dictionary") : error);
    }
    cache.insert(cacheKey, d);
    return d;
}

Bundle Bundle::atPath(const QString& path)
{
    if (path.isEmpty() || !QFileInfo(path).isDir())
        return {};
    Bundle b;
    b.d = dataFor(path, {});
    return b;
}

Bundle Bundle::main()
{
    const QString override = qEnvironmentVariable("ZELK_MAIN_BUNDLE");
    if (!override.isEmpty())
        return atPath(override);
    static const QString mainPath = [] {
        // The first Contents folder with an Info.plist inside a .app,
        // walking up from the program.
        QDir dir = QFileInfo(runningExecutable()).absoluteDir();
        for (;;) {
            if (dir.dirName() == QLatin1String("Contents") && QFileInfo::exists(dir.filePath(QStringLiteral("Info.plist")))) {
                const QString parent = QFileInfo(dir.absolutePath()).absolutePath();
                if (parent.endsWith(QLatin1String(".app")))
                    return parent;
            }
            if (!dir.cdUp())
                return QString();
        }
    }();
    return mainPath.isEmpty() ? Bundle() : atPath(mainPath);
}

Bundle Bundle::enclosing(const QString& path)
{
    QDir dir = QFileInfo(cleanAbsolute(path)).absoluteDir();
    for (;;) {
        if (isApplicationFolder(dir.absolutePath()))
            return atPath(dir.absolutePath());
        if (!dir.cdUp())
            return {};
    }
}

Bundle Bundle::forLibrary(const QString& soPath)
{
    if (soPath.isEmpty())
        return {};
    const QFileInfo fi(cleanAbsolute(soPath));
    QString base = fi.fileName();
    const qsizetype so = base.indexOf(QLatin1String(".so"));
    if (so > 0)
        base.truncate(so);
    if (base.startsWith(QLatin1String("lib")) && base.size() > 3)
        base.remove(0, 3);
    if (base.isEmpty())
        return {};
    // Valid even when the folder is missing: a plug-in without resources.
    Bundle b;
    b.d = dataFor(fi.absolutePath() + u'/' + base, fi.absoluteFilePath());
    return b;
}

Bundle Bundle::forAddress(const void* address)
{
    Dl_info info{};
    if (!address || dladdr(address, &info) == 0 || !info.dli_fname)
        return {};
    QString file = QFile::decodeName(info.dli_fname);
    const QString name = QFileInfo(file).fileName();
    if (name.endsWith(QLatin1String(".so")) || name.contains(QLatin1String(".so.")))
        return forLibrary(QFileInfo(file).canonicalFilePath().isEmpty() ? file : QFileInfo(file).canonicalFilePath());
    // The program itself: the loader may know it by a relative name only.
    return enclosing(runningExecutable());
}

QString Bundle::bundlePath() const { return d ? d->bundlePath : QString(); }
QString Bundle::contentsPath() const { return d ? d->contentsPath : QString(); }

QString Bundle::executablePath() const
{
    if (!d)
        return {};
    if (d->isApplication) {
        QString exe = d->info.value(QStringLiteral("CFBundleExecutable")).toString();
        if (exe.isEmpty()) {
            exe = QFileInfo(d->bundlePath).fileName();
            exe.chop(4); // ".app"
        }
        return d->contentsPath + QStringLiteral("/MacOS/") + exe;
    }
    if (!d->soPath.isEmpty())
        return d->soPath;
    // A shared object's bundle opened by its folder: the library beside it.
    const QFileInfo folder(d->bundlePath);
    for (const QString& candidate : {QStringLiteral("lib%1.so"), QStringLiteral("%1.so")}) {
        const QString so = folder.absolutePath() + u'/' + candidate.arg(folder.fileName());
        if (QFileInfo::exists(so))
            return so;
    }
    return {};
}

QString Bundle::resourcePath() const { return d ? d->contentsPath + QStringLiteral("/Resources") : QString(); }
QString Bundle::frameworksPath() const { return d ? d->contentsPath + QStringLiteral("/Frameworks") : QString(); }
QString Bundle::builtInPlugInsPath() const { return d ? d->contentsPath + QStringLiteral("/PlugIns") : QString(); }
QVariantMap Bundle::infoDictionary() const { return d ? d->info : QVariantMap(); }
QString Bundle::identifier() const { return d ? d->info.value(QStringLiteral("CFBundleIdentifier")).toString() : QString(); }
QString Bundle::version() const { return d ? d->info.value(QStringLiteral("CFBundleShortVersionString")).toString() : QString(); }
QVariant Bundle::objectForInfoDictionaryKey(const QString& key) const { return d ? d->info.value(key) : QVariant(); }

QString Bundle::pathForResource(const QString& name, const QString& type) const
{
    if (!d || name.isEmpty())
        return {};
    QString ext = type.startsWith(u'.') ? type.mid(1) : type;
    QString file = ext.isEmpty() ? name : name + u'.' + ext;
    const QString resources = resourcePath();
    const QStringList dirs{resources, resources + QStringLiteral("/en.lproj")};
    for (const QString& dir : dirs) {
        const QString p = dir + u'/' + file;
        if (QFileInfo::exists(p))
            return p;
    }
    // Our artwork is PNG where the stored names say TIFF.
    const qsizetype dot = file.lastIndexOf(u'.');
    if (dot > 0 && file.mid(dot + 1).compare(QLatin1String("tiff"), Qt::CaseInsensitive) == 0) {
        const QString png = file.left(dot) + QStringLiteral(".png");
        for (const QString& dir : dirs) {
            const QString p = dir + u'/' + png;
            if (QFileInfo::exists(p))
                return p;
        }
    }
    return {};
}

static std::shared_ptr<const StringsTable> tableFor(const Bundle& bundle, const QString& table)
{
    const QString name = table.isEmpty() ? QStringLiteral("Localizable") : table;
    const QString key = bundle.bundlePath() + u'\n' + name;
    std::lock_guard lock(cacheMutex());
    auto& cache = tableCache();
    if (auto it = cache.constFind(key); it != cache.cend())
        return *it;
    auto t = std::make_shared<StringsTable>();
    const QString resources = bundle.resourcePath();
    for (const QString& path : {resources + QStringLiteral("/en.lproj/%1.strings").arg(name),
                                resources + QStringLiteral("/%1.strings").arg(name)}) {
        if (!QFileInfo::exists(path))
            continue;
        QString error;
        *t = StringsTable::load(path, &error);
        if (!error.isEmpty())
            zlog("Bundle", "localizedString") << error;
        break;
    }
    cache.insert(key, t);
    return t;
}

QString Bundle::localizedString(const QString& key, const QString& value, const QString& table) const
{
    if (d && !key.isEmpty()) {
        const auto t = tableFor(*this, table);
        if (t->contains(key))
            return t->value(key);
    }
    if (!value.isEmpty())
        return value;
    return key;
}

bool Bundle::hasLocalizedString(const QString& key, const QString& table) const
{
    return d && tableFor(*this, table)->contains(key);
}

} // namespace zelk
