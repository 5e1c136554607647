#include "VirtualSystem.h"

#include "VirtualDesktop.h"

namespace zelk {

// --- power and session requests

bool VirtualPower::record(const QString& request, const QString& refusal)
{
    std::lock_guard lock(m_mutex);
    m_requests.append(request);
    return !m_refused.contains(refusal);
}

bool VirtualPower::request(Request request)
{
    static const char* const names[] = {"restart", "power-off", "sleep", "log-out"};
    const QString name = QString::fromLatin1(names[static_cast<int>(request)]);
    return record(name, name);
}

bool VirtualPower::setWakeTime(const QDateTime& when)
{
    return record("wake " + when.toString(Qt::ISODate), "wake");
}

bool VirtualPower::startScreenSaver()
{
    if (!record("screen-saver start", "screen-saver"))
        return false;
    std::lock_guard lock(m_mutex);
    m_started = true;
    m_questions = 0;
    return true;
}

std::optional<bool> VirtualPower::screenSaverActive()
{
    std::lock_guard lock(m_mutex);
    ++m_questions;
    return m_started && m_showsAfter >= 0 && m_questions > m_showsAfter;
}

bool VirtualPower::stopScreenSaver()
{
    if (!record("screen-saver stop", "screen-saver"))
        return false;
    std::lock_guard lock(m_mutex);
    m_started = false;
    return true;
}

int VirtualPower::screenSaverIdleSeconds()
{
    std::lock_guard lock(m_mutex);
    return m_idleSeconds;
}

QStringList VirtualPower::requests() const
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

void VirtualPower::clearRequests()
{
    std::lock_guard lock(m_mutex);
    m_requests.clear();
}

void VirtualPower::refuse(const QString& what, bool refused)
{
    std::lock_guard lock(m_mutex);
    if (refused)
        m_refused.insert(what);
    else
        m_refused.remove(what);
}

void VirtualPower::setScreenSaverIdleSeconds(int seconds)
{
    std::lock_guard lock(m_mutex);
    m_idleSeconds = seconds;
}

void VirtualPower::setScreenSaverShowsAfter(int questions)
{
    std::lock_guard lock(m_mutex);
    m_showsAfter = questions;
}

int VirtualPower::screenSaverQuestions() const
{
    std::lock_guard lock(m_mutex);
    return m_questions;
}

void VirtualPower::userStopsScreenSaver()
{
    std::lock_guard lock(m_mutex);
    m_started = false;
}

// --- network locations

QList<NetworkLocation> VirtualNetwork::locations()
{
    std::lock_guard lock(m_mutex);
    return m_locations;
}

QString VirtualNetwork::activeLocation()
{
    std::lock_guard lock(m_mutex);
    return m_active;
}

bool VirtualNetwork::activateLocation(const QString& identifier, QString* error)
{
    std::lock_guard lock(m_mutex);
    m_requests.append("activate " + identifier);
    const bool known = std::any_of(m_locations.cbegin(), m_locations.cend(),
                                   [&](const NetworkLocation& l) { return l.identifier == identifier; });
    if (m_refuse || !known) {
        if (error)
            *error = known ? QStringLiteral("refused") : QStringLiteral("no such profile");
        return false;
    }
    m_active = identifier;
    return true;
}

void VirtualNetwork::setLocations(const QList<NetworkLocation>& locations, const QString& active)
{
    std::lock_guard lock(m_mutex);
    m_locations = locations;
    m_active = active;
}

void VirtualNetwork::refuseSwitches(bool refused)
{
    std::lock_guard lock(m_mutex);
    m_refuse = refused;
}

QStringList VirtualNetwork::requests() const
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

void VirtualNetwork::clearRequests()
{
    std::lock_guard lock(m_mutex);
    m_requests.clear();
}

// --- settings panels

QList<SettingsPanel> VirtualSettingsPanels::panels()
{
    std::lock_guard lock(m_mutex);
    return m_panels;
}

bool VirtualSettingsPanels::passesHardwareTest(const QString& path)
{
    std::lock_guard lock(m_mutex);
    ++m_tests;
    return !m_failing.contains(path);
}

bool VirtualSettingsPanels::openPanel(const QString& path)
{
    std::lock_guard lock(m_mutex);
    m_requests.append("open " + path);
    return std::any_of(m_panels.cbegin(), m_panels.cend(), [&](const SettingsPanel& p) { return p.path == path; });
}

bool VirtualSettingsPanels::openSettings()
{
    std::lock_guard lock(m_mutex);
    m_requests.append("open settings");
    return true;
}

void VirtualSettingsPanels::setPanels(const QList<SettingsPanel>& panels, const QStringList& failingTests)
{
    std::lock_guard lock(m_mutex);
    m_panels = panels;
    m_failing = failingTests;
}

int VirtualSettingsPanels::hardwareTestsRun() const
{
    std::lock_guard lock(m_mutex);
    return m_tests;
}

QStringList VirtualSettingsPanels::requests() const
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

void VirtualSettingsPanels::clearRequests()
{
    std::lock_guard lock(m_mutex);
    m_requests.clear();
}

// --- sound

bool VirtualSound::play(const QByteArray& sound, const QString& name)
{
    std::lock_guard lock(m_mutex);
    m_requests.append("play " + name + " " + QString::number(sound.size()));
    return !sound.isEmpty();
}

std::optional<int> VirtualSound::outputVolume()
{
    std::lock_guard lock(m_mutex);
    if (!m_output)
        return std::nullopt;
    return m_volume;
}

bool VirtualSound::setOutputVolume(int percent)
{
    std::lock_guard lock(m_mutex);
    m_requests.append("volume " + QString::number(percent));
    if (!m_output)
        return false;
    m_volume = std::clamp(percent, 0, 100);
    return true;
}

std::optional<bool> VirtualSound::outputMuted()
{
    std::lock_guard lock(m_mutex);
    if (!m_output)
        return std::nullopt;
    return m_muted;
}

bool VirtualSound::setOutputMuted(bool muted)
{
    std::lock_guard lock(m_mutex);
    m_requests.append(QStringLiteral("mute ") + (muted ? "1" : "0"));
    if (!m_output)
        return false;
    m_muted = muted;
    return true;
}

void VirtualSound::setOutput(int volume, bool muted)
{
    std::lock_guard lock(m_mutex);
    m_output = true;
    m_volume = volume;
    m_muted = muted;
}

void VirtualSound::removeOutput()
{
    std::lock_guard lock(m_mutex);
    m_output = false;
}

QStringList VirtualSound::requests() const
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

void VirtualSound::clearRequests()
{
    std::lock_guard lock(m_mutex);
    m_requests.clear();
}

// --- volumes

int VirtualVolumes::mountServer(const QString& url, const QString& user, const QString& password, QString* error)
{
    std::lock_guard lock(m_mutex);
    m_requests.append("mount " + url + " " + user);
    m_password = password;
    if (m_mountStatus != 0 && error)
        *error = QStringLiteral("mount refused");
    return m_mountStatus;
}

int VirtualVolumes::unmountVolume(const QString& path, QString* error)
{
    std::lock_guard lock(m_mutex);
    m_requests.append("unmount " + path);
    if (m_unmountStatus != 0 && error)
        *error = QStringLiteral("unmount refused");
    return m_unmountStatus;
}

bool VirtualVolumes::ejectMedia(QString* error)
{
    std::lock_guard lock(m_mutex);
    m_requests.append("eject");
    if (!m_medium && error)
        *error = QStringLiteral("no removable medium");
    return m_medium;
}

void VirtualVolumes::setMountStatus(int status)
{
    std::lock_guard lock(m_mutex);
    m_mountStatus = status;
}

void VirtualVolumes::setUnmountStatus(int status)
{
    std::lock_guard lock(m_mutex);
    m_unmountStatus = status;
}

void VirtualVolumes::setMediumPresent(bool present)
{
    std::lock_guard lock(m_mutex);
    m_medium = present;
}

QString VirtualVolumes::lastPassword() const
{
    std::lock_guard lock(m_mutex);
    return m_password;
}

QStringList VirtualVolumes::requests() const
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

void VirtualVolumes::clearRequests()
{
    std::lock_guard lock(m_mutex);
    m_requests.clear();
}

// --- secrets

bool VirtualSecretStore::storeSecret(const QString& reference, const QString&, const QString& secret)
{
    std::lock_guard lock(m_mutex);
    if (m_locked || reference.isEmpty())
        return false;
    m_secrets.insert(reference, secret);
    return true;
}

std::optional<QString> VirtualSecretStore::secret(const QString& reference)
{
    std::lock_guard lock(m_mutex);
    if (m_locked || !m_secrets.contains(reference))
        return std::nullopt;
    return m_secrets.value(reference);
}

bool VirtualSecretStore::removeSecret(const QString& reference)
{
    std::lock_guard lock(m_mutex);
    if (m_locked)
        return false;
    return m_secrets.remove(reference) > 0;
}

void VirtualSecretStore::setLocked(bool locked)
{
    std::lock_guard lock(m_mutex);
    m_locked = locked;
}

QHash<QString, QString> VirtualSecretStore::contents() const
{
    std::lock_guard lock(m_mutex);
    return m_secrets;
}

void VirtualSecretStore::clear()
{
    std::lock_guard lock(m_mutex);
    m_secrets.clear();
}

} // namespace zelk
