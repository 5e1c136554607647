#pragma once
// The virtual desktop's settings panels, sound output, volumes and secret
// store: in memory, every request recorded for the tests.
#include "SystemServices.h"

#include <QHash>
#include <QSet>
#include <mutex>

namespace zelk {

// Requests: "open <path>", "open settings".
class VirtualSettingsPanels : public SettingsPanels {
public:
    QList<SettingsPanel> panels() override;
    bool passesHardwareTest(const QString& path) override;
    bool openPanel(const QString& path) override;
    bool openSettings() override;

    // Test controls: the panels, those whose hardware test fails, and how
    // many tests were run.
    void setPanels(const QList<SettingsPanel>& panels, const QStringList& failingTests = {});
    int hardwareTestsRun() const;
    QStringList requests() const;
    void clearRequests();

private:
    mutable std::mutex m_mutex;
    QList<SettingsPanel> m_panels;
    QStringList m_failing;
    int m_tests = 0;
    QStringList m_requests;
};

// Requests: "play <name> <bytes>", "volume <n>", "mute <0|1>".
class VirtualSound : public SoundService {
public:
    bool play(const QByteArray& sound, const QString& name) override;
    std::optional<int> outputVolume() override;
    bool setOutputVolume(int percent) override;
    std::optional<bool> outputMuted() override;
    bool setOutputMuted(bool muted) override;

    // Test controls. Without an output, the volume can't be read or set.
    void setOutput(int volume, bool muted);
    void removeOutput();
    QStringList requests() const;
    void clearRequests();

private:
    mutable std::mutex m_mutex;
    bool m_output = true;
    int m_volume = 50;
    bool m_muted = false;
    QStringList m_requests;
};

// Requests: "mount <url> <user>", "unmount <path>", "eject". The password
// a mount was given is kept apart (lastPassword()), never in the log.
class VirtualVolumes : public VolumeService {
public:
    int mountServer(const QString& url, const QString& user, const QString& password, QString* error) override;
    int unmountVolume(const QString& path, QString* error) override;
    bool ejectMedia(QString* error) override;

    // Test controls: the status the next mounts and unmounts answer, and
    // whether there is a medium to eject.
    void setMountStatus(int status);
    void setUnmountStatus(int status);
    void setMediumPresent(bool present);
    QString lastPassword() const;
    QStringList requests() const;
    void clearRequests();

private:
    mutable std::mutex m_mutex;
    int m_mountStatus = 0;
    int m_unmountStatus = 0;
    bool m_medium = true;
    QString m_password;
    QStringList m_requests;
};

class VirtualSecretStore : public SecretStore {
public:
    bool storeSecret(const QString& reference, const QString& label, const QString& secret) override;
    std::optional<QString> secret(const QString& reference) override;
    bool removeSecret(const QString& reference) override;

    // Test controls: a locked store refuses everything.
    void setLocked(bool locked);
    QHash<QString, QString> contents() const;
    void clear();

private:
    mutable std::mutex m_mutex;
    bool m_locked = false;
    QHash<QString, QString> m_secrets;
};

} // namespace zelk
