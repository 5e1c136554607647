#include "UserDefaults.h"

#include "Bundle.h"
#include "Log.h"
#include "PropertyList.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>

namespace zelk {
namespace {

QString programDomain()
{
    const QString id = Bundle::main().identifier();
    if (!id.isEmpty())
        return id;
    if (QCoreApplication::instance() && !QCoreApplication::applicationName().isEmpty())
        return QCoreApplication::applicationName();
    return QString::fromLocal8Bit(program_invocation_short_name);
}

// A free name beside the file for setting a broken one aside.
QString corruptName(const QString& path)
{
    QString candidate = path + QStringLiteral(".corrupt");
    for (int n = 2; QFileInfo::exists(candidate); ++n)
        candidate = path + QStringLiteral(".corrupt.%1").arg(n);
    return candidate;
}

bool isNumber(const QVariant& v)
{
    switch (v.metaType().id()) {
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Long: case QMetaType::ULong: case QMetaType::Short: case QMetaType::UShort:
    case QMetaType::Double: case QMetaType::Float: case QMetaType::Bool:
        return true;
    default:
        return false;
    }
}

} // namespace

UserDefaults::UserDefaults(const QString& domain) : m_domain(domain) {}

UserDefaults& UserDefaults::standard()
{
    static UserDefaults defaults(programDomain());
    return defaults;
}

UserDefaults& UserDefaults::shared()
{
    static UserDefaults defaults(QString::fromLatin1(SharedDomain));
    return defaults;
}

QString UserDefaults::folder()
{
    // XDG: a relative XDG_CONFIG_HOME is invalid and ignored.
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/Zelk");
}

QString UserDefaults::pathForDomain(const QString& domain)
{
    return folder() + u'/' + domain + QStringLiteral(".plist");
}

void UserDefaults::ensureLoadedLocked() const
{
    if (m_loaded)
        return;
    m_loaded = true;
    m_values.clear();
    m_corrupt = false;
    const QString path = pathForDomain(m_domain);
    if (!QFileInfo::exists(path))
        return;
    QString error;
    auto v = plist::readFile(path, &error);
    if (v && v->metaType().id() == QMetaType::QVariantMap) {
        m_values = v->toMap();
        return;
    }
    m_corrupt = true;
    zlog("UserDefaults", "load") << (v ? path + QStringLiteral(": not a dictionary") : error)
                                 << "- using no values; the file is kept until the next change";
}

bool UserDefaults::saveLocked(const QVariantMap& values, QString* error)
{
    const QString path = pathForDomain(m_domain);
    if (!QDir().mkpath(folder())) {
        *error = QStringLiteral("cannot create %1").arg(folder());
        return false;
    }
    if (m_corrupt && QFileInfo::exists(path)) {
        const QString aside = corruptName(path);
        if (!QFile::rename(path, aside)) {
            *error = QStringLiteral("cannot set the unreadable %1 aside").arg(path);
            return false;
        }
        zlog("UserDefaults", "save") << "unreadable" << path << "kept as" << aside;
    }
    m_corrupt = false;
    if (!plist::writeFile(path, values, error))
        return false;
    m_values = values;
    return true;
}

QVariant UserDefaults::value(const QString& key) const
{
    std::lock_guard lock(m_mutex);
    ensureLoadedLocked();
    auto it = m_values.constFind(key);
    if (it != m_values.cend())
        return *it;
    return m_registered.value(key);
}

bool UserDefaults::boolForKey(const QString& key) const
{
    const QVariant v = value(key);
    if (v.metaType().id() == QMetaType::QString) {
        const QString s = v.toString().trimmed().toLower();
        return s == u"yes" || s == u"true" || s.toLongLong() != 0;
    }
    return isNumber(v) && v.toDouble() != 0;
}

qint64 UserDefaults::integerForKey(const QString& key) const
{
    const QVariant v = value(key);
    if (v.metaType().id() == QMetaType::QString)
        return qint64(v.toString().trimmed().toDouble());
    return isNumber(v) ? (v.metaType().id() == QMetaType::Double ? qint64(v.toDouble()) : v.toLongLong()) : 0;
}

double UserDefaults::doubleForKey(const QString& key) const
{
    const QVariant v = value(key);
    if (v.metaType().id() == QMetaType::QString)
        return v.toString().trimmed().toDouble();
    return isNumber(v) ? v.toDouble() : 0.0;
}

QString UserDefaults::stringForKey(const QString& key) const
{
    const QVariant v = value(key);
    if (v.metaType().id() == QMetaType::QString)
        return v.toString();
    if (isNumber(v) && v.metaType().id() != QMetaType::Bool)
        return v.toString();
    return {};
}

QVariantMap UserDefaults::dictionaryForKey(const QString& key) const
{
    const QVariant v = value(key);
    return v.metaType().id() == QMetaType::QVariantMap ? v.toMap() : QVariantMap();
}

bool UserDefaults::contains(const QString& key) const
{
    std::lock_guard lock(m_mutex);
    ensureLoadedLocked();
    return m_values.contains(key);
}

bool UserDefaults::setValue(const QString& key, const QVariant& value)
{
    std::lock_guard lock(m_mutex);
    ensureLoadedLocked();
    QVariantMap values = m_values;
    if (value.isValid())
        values.insert(key, value);
    else
        values.remove(key);
    QString error;
    if (!saveLocked(values, &error)) {
        zlog("UserDefaults", "setValue") << key << error;
        return false;
    }
    return true;
}

bool UserDefaults::removeValue(const QString& key) { return setValue(key, QVariant()); }

void UserDefaults::registerDefaults(const QVariantMap& defaults)
{
    std::lock_guard lock(m_mutex);
    for (auto it = defaults.cbegin(); it != defaults.cend(); ++it)
        m_registered.insert(it.key(), it.value());
}

QVariantMap UserDefaults::persistentDomain() const
{
    std::lock_guard lock(m_mutex);
    ensureLoadedLocked();
    return m_values;
}

bool UserDefaults::setPersistentDomain(const QVariantMap& values)
{
    std::lock_guard lock(m_mutex);
    ensureLoadedLocked();
    QString error;
    if (!saveLocked(values, &error)) {
        zlog("UserDefaults", "setPersistentDomain") << error;
        return false;
    }
    return true;
}

void UserDefaults::reload()
{
    std::lock_guard lock(m_mutex);
    m_loaded = false;
    ensureLoadedLocked();
}

} // namespace zelk
