#include "ClassRegistry.h"

#include "Log.h"
#include "NotificationCenter.h"

#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace zelk {

ClassRegistry& ClassRegistry::shared()
{
    static ClassRegistry registry;
    return registry;
}

void ClassRegistry::registerClass(ClassObject* cls)
{
    if (!cls) {
        zlog("ClassRegistry", "registerClass") << "null class object ignored";
        return;
    }
    const QString name = cls->className();
    if (name.isEmpty()) {
        zlog("ClassRegistry", "registerClass") << "class object without a name ignored";
        return;
    }
    std::lock_guard lock(m_mutex);
    if (m_collecting) {
        if (!cls->bundle().isValid())
            cls->setBundle(m_loadingBundle);
        if (!m_collecting->contains(name))
            m_collecting->append(name);
    }
    m_classes.insert(name, cls);
}

void ClassRegistry::unregisterClass(const QString& name)
{
    std::lock_guard lock(m_mutex);
    m_classes.remove(name);
}

ClassObject* ClassRegistry::classNamed(const QString& name) const
{
    std::lock_guard lock(m_mutex);
    return m_classes.value(name, nullptr);
}

QStringList ClassRegistry::classNames() const
{
    std::lock_guard lock(m_mutex);
    QStringList names = m_classes.keys();
    names.sort();
    return names;
}

bool ClassRegistry::loadPlugin(const QString& path, QStringList* registered, QString* error)
{
    auto fail = [&](const QString& why) {
        const QString text = QStringLiteral("%1: %2").arg(path, why);
        zlog("ClassRegistry", "loadPlugin") << text;
        if (error)
            *error = text;
        return false;
    };
    if (registered)
        registered->clear();
    const QFileInfo fi(path);
    if (!fi.isFile())
        return fail(QStringLiteral("no such file"));
    const QString file = fi.canonicalFilePath();

    QStringList names;
    {
        std::lock_guard lock(m_mutex);
        if (m_loaded.contains(file))
            return true;
        // Never unloaded: class objects and their code must outlive every
        // record that names them.
        QLibrary lib(file);
        if (!lib.load())
            return fail(lib.errorString());
        using EntryFn = void (*)(ClassRegistry&);
        auto entry = reinterpret_cast<EntryFn>(lib.resolve(EntryPoint));
        if (!entry)
            return fail(QStringLiteral("no entry point %1").arg(QLatin1String(EntryPoint)));
        m_loaded.append(file);

        // The lock is recursive: the entry point registers on this thread.
        QStringList* outer = m_collecting;
        const Bundle outerBundle = m_loadingBundle;
        m_collecting = &names;
        m_loadingBundle = Bundle::forLibrary(file);
        entry(*this);
        m_collecting = outer;
        m_loadingBundle = outerBundle;
    }
    if (names.isEmpty())
        zlog("ClassRegistry", "loadPlugin") << "bad plug-in" << file << "registered no class";
    if (registered)
        *registered = names;

    // Observers run outside the lock.
    NotificationCenter::defaultCenter().post(
        QString::fromLatin1(BundleDidLoadNotification), this,
        QVariantMap{{QStringLiteral("bundlePath"), Bundle::forLibrary(file).bundlePath()},
                    {QStringLiteral("NSLoadedClasses"), names}});
    return true;
}

QStringList ClassRegistry::loadPluginsInFolder(const QString& folder)
{
    QStringList failed;
    const QDir dir(folder);
    if (!dir.exists()) {
        zlog("ClassRegistry", "loadPluginsInFolder") << "no folder" << folder;
        return failed;
    }
    const QStringList files = dir.entryList({QStringLiteral("*.so")}, QDir::Files, QDir::Name);
    for (const QString& name : files) {
        const QString path = dir.filePath(name);
        QString error;
        if (!loadPlugin(path, nullptr, &error)) {
            zlog("ClassRegistry", "loadPluginsInFolder") << error;
            failed.append(path);
        }
    }
    return failed;
}

} // namespace zelk
