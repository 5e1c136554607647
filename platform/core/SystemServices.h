#pragma once
// Desktop services of the system, sound, settings and volume action types:
// the settings panels of the desktop's settings application, sound output,
// mounted and removable volumes, and the user's secret store.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace zelk {

// One panel of the desktop's settings application: a desktop entry.
struct SettingsPanel {
    QString path;     // the entry's file
    QString name;     // its display name
    QString iconPath; // the icon file, empty when the theme has none
    bool operator==(const SettingsPanel&) const = default;
};

class SettingsPanels {
public:
    virtual ~SettingsPanels() = default;
    // The installed panels that fit this desktop, in search order (the
    // user's folder first); links are not followed.
    virtual QList<SettingsPanel> panels() = 0;
    // Whether what the panel needs to run is there (it can take a while).
    virtual bool passesHardwareTest(const QString& path) = 0;
    virtual bool openPanel(const QString& path) = 0;
    // Opens the settings application itself.
    virtual bool openSettings() = 0;
};

// Sound output: sounds played on the default output, whose volume runs
// from 0 to 100.
class SoundService {
public:
    virtual ~SoundService() = default;
    // Starts playing the sound (a file's contents; name tells its kind)
    // and answers at once; false when it can't be played.
    virtual bool play(const QByteArray& sound, const QString& name) = 0;
    virtual std::optional<int> outputVolume() = 0;
    virtual bool setOutputVolume(int percent) = 0;
    virtual std::optional<bool> outputMuted() = 0;
    virtual bool setOutputMuted(bool muted) = 0;
};

// Server volumes and removable media.
class VolumeService {
public:
    virtual ~VolumeService() = default;
    // Mounts the server volume at url (empty user or password: none
    // given). 0 on success, else the status, with the reason in error.
    virtual int mountServer(const QString& url, const QString& user, const QString& password, QString* error) = 0;
    // Unmounts the volume that holds path; 0 or the status, as above.
    virtual int unmountVolume(const QString& path, QString* error) = 0;
    // Ejects the removable medium (an optical disc first); false with the
    // reason in error when there is none or it refused.
    virtual bool ejectMedia(QString* error) = 0;
};

// The user's secret store. A secret is found again by the reference it
// was stored under; records keep the reference, never the secret.
class SecretStore {
public:
    virtual ~SecretStore() = default;
    // Stores secret under reference (replacing what it held); false when
    // the store refused or is locked.
    virtual bool storeSecret(const QString& reference, const QString& label, const QString& secret) = 0;
    // The secret, or nullopt when there is none or the store can't be read.
    virtual std::optional<QString> secret(const QString& reference) = 0;
    virtual bool removeSecret(const QString& reference) = 0;
};

} // namespace zelk
