#pragma once
// User defaults: one XML property list per domain under
// $XDG_CONFIG_HOME/Zelk/<domain>.plist (default ~/.config/Zelk).
//
// A look-up answers the persistent value, else the registered default, else
// an invalid QVariant. Writes go to disk at once, atomically. Thread-safe.
#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <mutex>

namespace zelk {

class UserDefaults {
public:
    explicit UserDefaults(const QString& domain);

    // The running program's domain (its bundle identifier, or the program
    // name outside a bundle).
    static UserDefaults& standard();
    // The domain that the editor and the engine share.
    static UserDefaults& shared();
    static constexpr const char* SharedDomain = "org.zelk.Zelk.shared";

    static QString folder();                       // $XDG_CONFIG_HOME/Zelk
    static QString pathForDomain(const QString& domain);

    QString domain() const { return m_domain; }
    QVariant value(const QString& key) const;
    bool boolForKey(const QString& key) const;     // NO when missing
    qint64 integerForKey(const QString& key) const; // 0 when missing
    double doubleForKey(const QString& key) const;
    QString stringForKey(const QString& key) const;
    QVariantMap dictionaryForKey(const QString& key) const;
    bool contains(const QString& key) const;       // persistent value only

    bool setValue(const QString& key, const QVariant& value); // invalid removes
    bool removeValue(const QString& key);
    void registerDefaults(const QVariantMap& defaults);

    QVariantMap persistentDomain() const;
    bool setPersistentDomain(const QVariantMap& values);

    // Re-reads the file (another process may have written it).
    void reload();

private:
    bool saveLocked(const QVariantMap& values, QString* error);
    void ensureLoadedLocked() const;
    QString m_domain;
    mutable std::mutex m_mutex;
    mutable QVariantMap m_values;
    QVariantMap m_registered;
    mutable bool m_loaded = false;
    // The file on disk did not parse: it is set aside (renamed to
    // <file>.corrupt) before the first write, never silently replaced.
    mutable bool m_corrupt = false;
};

} // namespace zelk
