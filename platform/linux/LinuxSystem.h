#pragma once
// The linux backend's settings panels, sound output, volumes and secret
// store.
//
// Settings panels are the desktop entries in the application folders whose
// Categories hold "Settings" (the panels of GNOME's, KDE's and Xfce's
// settings applications are listed that way); an entry for another desktop
// (OnlyShowIn, NotShowIn) is left out, and its TryExec program is its
// hardware test. Sound plays through QtMultimedia on the main thread; the
// volume is the default sink's, through pactl (PulseAudio or PipeWire's
// pulse server). Server volumes are mounted with `gio mount`, the password
// written to its standard input, never put on a command line; removable
// media are ejected through UDisks2 on the system bus. Secrets live in the
// desktop's secret service through libsecret.
#include "SystemServices.h"

#include <memory>

namespace zelk {

class Workspace;

class LinuxSettingsPanels : public SettingsPanels {
public:
    explicit LinuxSettingsPanels(Workspace& workspace) : m_workspace(workspace) {}
    QList<SettingsPanel> panels() override;
    bool passesHardwareTest(const QString& path) override;
    bool openPanel(const QString& path) override;
    bool openSettings() override;

private:
    Workspace& m_workspace;
};

class LinuxSound : public SoundService {
public:
    bool play(const QByteArray& sound, const QString& name) override;
    std::optional<int> outputVolume() override;
    bool setOutputVolume(int percent) override;
    std::optional<bool> outputMuted() override;
    bool setOutputMuted(bool muted) override;
};

class LinuxVolumes : public VolumeService {
public:
    int mountServer(const QString& url, const QString& user, const QString& password, QString* error) override;
    int unmountVolume(const QString& path, QString* error) override;
    bool ejectMedia(QString* error) override;
    // The time a mount or unmount may take before it is given up.
    static constexpr int kBoundMilliseconds = 60000;
};

class LinuxSecretStore : public SecretStore {
public:
    bool storeSecret(const QString& reference, const QString& label, const QString& secret) override;
    std::optional<QString> secret(const QString& reference) override;
    bool removeSecret(const QString& reference) override;
};

} // namespace zelk
