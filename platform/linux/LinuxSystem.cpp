#include "LinuxSystem.h"

#include "DesktopEntries.h"
#include "DesktopServices.h"
#include "Log.h"
#include "MainThread.h"

#include <QAudioOutput>
#include <QBuffer>
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDir>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>

// GLib names a member "signals", which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <libsecret/secret.h>
#pragma pop_macro("signals")

namespace zelk {

// --- settings panels

namespace {

QString iconFileOf(const QString& icon)
{
    if (icon.isEmpty())
        return {};
    if (QFileInfo(icon).isAbsolute())
        return QFileInfo::exists(icon) ? icon : QString();
    QStringList dataDirs = qEnvironmentVariable("XDG_DATA_DIRS").split(':', Qt::SkipEmptyParts);
    if (dataDirs.isEmpty())
        dataDirs = {"/usr/local/share", "/usr/share"};
    for (const QString& dir : dataDirs) {
        for (const char* size : {"48x48", "32x32", "64x64", "scalable"}) {
            for (const char* ext : {".png", ".svg"}) {
                const QString path = dir + "/icons/hicolor/" + size + "/apps/" + icon + ext;
                if (QFileInfo::exists(path))
                    return path;
            }
        }
        const QString pixmap = dir + "/pixmaps/" + icon + ".png";
        if (QFileInfo::exists(pixmap))
            return pixmap;
    }
    return {};
}

} // namespace

QList<SettingsPanel> LinuxSettingsPanels::panels()
{
    QList<SettingsPanel> list;
    for (const QString& folder : DesktopEntries::applicationFolders()) {
        const QDir dir(folder);
        for (const QFileInfo& info : dir.entryInfoList({"*.desktop"}, QDir::Files | QDir::System, QDir::Name)) {
            if (info.isSymLink())
                continue;
            const std::optional<DesktopEntry> entry = DesktopEntries::read(info.filePath());
            if (!entry || !entry->categories.contains("Settings") || !DesktopEntries::showsOnCurrentDesktop(*entry))
                continue;
            list.append({info.filePath(), entry->name, iconFileOf(entry->icon)});
        }
    }
    return list;
}

bool LinuxSettingsPanels::passesHardwareTest(const QString& path)
{
    const std::optional<DesktopEntry> entry = DesktopEntries::read(path);
    if (!entry)
        return false;
    if (entry->tryExec.isEmpty())
        return true;
    if (QFileInfo(entry->tryExec).isAbsolute())
        return QFileInfo(entry->tryExec).isExecutable();
    return !QStandardPaths::findExecutable(entry->tryExec).isEmpty();
}

bool LinuxSettingsPanels::openPanel(const QString& path)
{
    return m_workspace.launchApplication(path);
}

bool LinuxSettingsPanels::openSettings()
{
    DesktopEntries entries;
    for (const char* id : {"org.gnome.Settings.desktop", "gnome-control-center.desktop", "systemsettings.desktop",
                           "kdesystemsettings.desktop", "xfce-settings-manager.desktop", "cinnamon-settings.desktop",
                           "mate-control-center.desktop", "lxqt-config.desktop"}) {
        if (const std::optional<DesktopEntry> entry = entries.forId(QString::fromLatin1(id)))
            return m_workspace.launchApplication(entry->path);
    }
    zlog("LinuxSettingsPanels", "openSettings") << "no settings application is installed";
    return false;
}

// --- sound

namespace {

struct ToolResult {
    bool ran = false;
    int status = -1;
    QByteArray output;
    QString error;
};

// A tool run with its arguments as they are (no shell), bounded.
ToolResult runTool(const QString& program, const QStringList& arguments, const QByteArray& input = {},
                   int boundMilliseconds = 10000)
{
    ToolResult result;
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForStarted(boundMilliseconds)) {
        result.error = process.errorString();
        return result;
    }
    if (!input.isNull())
        process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(boundMilliseconds)) {
        process.kill();
        process.waitForFinished(1000);
        result.error = QStringLiteral("timed out");
        return result;
    }
    result.ran = process.exitStatus() == QProcess::NormalExit;
    result.status = result.ran ? process.exitCode() : -1;
    result.output = process.readAllStandardOutput();
    result.error = QString::fromUtf8(process.readAllStandardError()).trimmed();
    if (!result.ran && result.error.isEmpty())
        result.error = QStringLiteral("crashed");
    return result;
}

const QString kDefaultSink = QStringLiteral("@DEFAULT_SINK@");

std::optional<QByteArray> pactl(const QStringList& arguments, const char* method)
{
    const ToolResult r = runTool(QStringLiteral("pactl"), arguments);
    if (!r.ran || r.status != 0) {
        zlog("LinuxSound", method) << "pactl" << arguments.join(' ') << "failed:" << r.status << r.error;
        return std::nullopt;
    }
    return r.output;
}

} // namespace

bool LinuxSound::play(const QByteArray& sound, const QString& name)
{
    if (sound.isEmpty() || !QCoreApplication::instance())
        return false;
    // QtMultimedia's objects live on the main thread; the player ends
    // itself when the sound is over or fails.
    MainThread::run([sound, name] {
        auto* player = new QMediaPlayer;
        auto* output = new QAudioOutput(player);
        auto* buffer = new QBuffer(player);
        buffer->setData(sound);
        buffer->open(QIODevice::ReadOnly);
        player->setAudioOutput(output);
        QObject::connect(player, &QMediaPlayer::mediaStatusChanged, player, [player](QMediaPlayer::MediaStatus status) {
            if (status == QMediaPlayer::EndOfMedia || status == QMediaPlayer::InvalidMedia)
                player->deleteLater();
        });
        QObject::connect(player, &QMediaPlayer::errorOccurred, player, [player, name](QMediaPlayer::Error, const QString& why) {
            zlog("LinuxSound", "play") << name << why;
            player->deleteLater();
        });
        player->setSourceDevice(buffer, QUrl::fromLocalFile(name));
        player->play();
    }, false);
    return true;
}

std::optional<int> LinuxSound::outputVolume()
{
    const std::optional<QByteArray> out = pactl({"get-sink-volume", kDefaultSink}, "outputVolume");
    if (!out)
        return std::nullopt;
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("(\\d+)%")).match(QString::fromUtf8(*out));
    if (!m.hasMatch())
        return std::nullopt;
    return m.captured(1).toInt();
}

bool LinuxSound::setOutputVolume(int percent)
{
    return pactl({"set-sink-volume", kDefaultSink, QString::number(std::clamp(percent, 0, 100)) + '%'},
                 "setOutputVolume")
        .has_value();
}

std::optional<bool> LinuxSound::outputMuted()
{
    const std::optional<QByteArray> out = pactl({"get-sink-mute", kDefaultSink}, "outputMuted");
    if (!out)
        return std::nullopt;
    const QString text = QString::fromUtf8(*out).trimmed();
    if (text.endsWith("yes"))
        return true;
    if (text.endsWith("no"))
        return false;
    return std::nullopt;
}

bool LinuxSound::setOutputMuted(bool muted)
{
    return pactl({"set-sink-mute", kDefaultSink, muted ? "1" : "0"}, "setOutputMuted").has_value();
}

// --- volumes

int LinuxVolumes::mountServer(const QString& url, const QString& user, const QString& password, QString* error)
{
    QUrl address(url);
    if (!address.isValid() || address.scheme().isEmpty()) {
        if (error)
            *error = QStringLiteral("not a server address");
        return -1;
    }
    if (!user.isEmpty())
        address.setUserName(user);
    // gio asks for what the server wants on its terminal; the password
    // goes there, so that no other process can read it from our arguments.
    const ToolResult r = runTool(QStringLiteral("gio"), {"mount", address.toString(QUrl::FullyEncoded)},
                                 password.toUtf8() + '\n', kBoundMilliseconds);
    if (r.ran && r.status == 0)
        return 0;
    if (error)
        *error = r.error;
    zlog("LinuxVolumes", "mountServer") << address.toString(QUrl::RemoveUserInfo) << r.status << r.error;
    return r.status == 0 ? -1 : r.status;
}

int LinuxVolumes::unmountVolume(const QString& path, QString* error)
{
    const ToolResult r = runTool(QStringLiteral("gio"), {"mount", "-u", path}, {}, kBoundMilliseconds);
    if (r.ran && r.status == 0)
        return 0;
    if (error)
        *error = r.error;
    zlog("LinuxVolumes", "unmountVolume") << path << r.status << r.error;
    return r.status == 0 ? -1 : r.status;
}

namespace {

const QString kUDisks = QStringLiteral("org.freedesktop.UDisks2");
const QString kDrive = QStringLiteral("org.freedesktop.UDisks2.Drive");
const QString kBlock = QStringLiteral("org.freedesktop.UDisks2.Block");
const QString kFilesystem = QStringLiteral("org.freedesktop.UDisks2.Filesystem");

using InterfaceMap = QMap<QString, QVariantMap>;
using ObjectMap = QMap<QDBusObjectPath, InterfaceMap>;

QStringList stringsOf(const QVariant& value)
{
    if (value.canConvert<QDBusArgument>())
        return qdbus_cast<QStringList>(value.value<QDBusArgument>());
    return value.toStringList();
}

bool hasMountPoints(const QVariant& value)
{
    if (value.canConvert<QDBusArgument>())
        return !qdbus_cast<QByteArrayList>(value.value<QDBusArgument>()).isEmpty();
    return !value.toList().isEmpty();
}

QString dbusError(const QDBusMessage& reply)
{
    return reply.errorName() + ": " + reply.errorMessage();
}

} // namespace

bool LinuxVolumes::ejectMedia(QString* error)
{
    auto fail = [error](const QString& why) {
        zlog("LinuxVolumes", "ejectMedia") << why;
        if (error)
            *error = why;
        return false;
    };
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return fail(QStringLiteral("no system bus"));
    const QDBusMessage reply = bus.call(QDBusMessage::createMethodCall(
        kUDisks, "/org/freedesktop/UDisks2", "org.freedesktop.DBus.ObjectManager", "GetManagedObjects"));
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return fail(dbusError(reply));
    ObjectMap objects;
    reply.arguments().constFirst().value<QDBusArgument>() >> objects;

    // The optical drive with a disc first, else any ejectable drive with a medium.
    QString drive;
    for (bool opticalOnly : {true, false}) {
        for (auto it = objects.cbegin(); it != objects.cend() && drive.isEmpty(); ++it) {
            const QVariantMap props = it.value().value(kDrive);
            if (props.isEmpty() || !props.value("Ejectable").toBool() || !props.value("MediaAvailable").toBool())
                continue;
            const QStringList kinds = stringsOf(props.value("MediaCompatibility"));
            const bool optical = std::any_of(kinds.cbegin(), kinds.cend(), [](const QString& k) { return k.startsWith("optical"); });
            if (optical || !opticalOnly)
                drive = it.key().path();
        }
    }
    if (drive.isEmpty())
        return fail(QStringLiteral("no removable medium"));

    const QVariantMap noOptions;
    for (auto it = objects.cbegin(); it != objects.cend(); ++it) {
        const QVariantMap block = it.value().value(kBlock);
        if (block.value("Drive").value<QDBusObjectPath>().path() != drive || !it.value().contains(kFilesystem))
            continue;
        if (!hasMountPoints(it.value().value(kFilesystem).value("MountPoints")))
            continue;
        QDBusMessage unmount = QDBusMessage::createMethodCall(kUDisks, it.key().path(), kFilesystem, "Unmount");
        unmount << noOptions;
        const QDBusMessage done = bus.call(unmount);
        if (done.type() != QDBusMessage::ReplyMessage)
            return fail(dbusError(done));
    }
    QDBusMessage eject = QDBusMessage::createMethodCall(kUDisks, drive, kDrive, "Eject");
    eject << noOptions;
    const QDBusMessage done = bus.call(eject);
    if (done.type() != QDBusMessage::ReplyMessage)
        return fail(dbusError(done));
    return true;
}

// --- secrets

namespace {

const SecretSchema* passwordSchema()
{
    static const SecretSchema schema = {
        "org.zelk.Zelk.Password",
        SECRET_SCHEMA_NONE,
        {{"reference", SECRET_SCHEMA_ATTRIBUTE_STRING}, {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING}},
        0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
    return &schema;
}

bool secretFailed(GError* error, const char* method)
{
    if (!error)
        return false;
    zlog("LinuxSecretStore", method) << error->message;
    g_error_free(error);
    return true;
}

} // namespace

bool LinuxSecretStore::storeSecret(const QString& reference, const QString& label, const QString& secret)
{
    if (reference.isEmpty())
        return false;
    GError* error = nullptr;
    const gboolean stored = secret_password_store_sync(passwordSchema(), SECRET_COLLECTION_DEFAULT,
                                                       label.toUtf8().constData(), secret.toUtf8().constData(), nullptr,
                                                       &error, "reference", reference.toUtf8().constData(), nullptr);
    return !secretFailed(error, "storeSecret") && stored;
}

std::optional<QString> LinuxSecretStore::secret(const QString& reference)
{
    GError* error = nullptr;
    gchar* found = secret_password_lookup_sync(passwordSchema(), nullptr, &error, "reference",
                                               reference.toUtf8().constData(), nullptr);
    if (secretFailed(error, "secret") || !found)
        return std::nullopt;
    const QString text = QString::fromUtf8(found);
    secret_password_free(found);
    return text;
}

bool LinuxSecretStore::removeSecret(const QString& reference)
{
    GError* error = nullptr;
    const gboolean removed = secret_password_clear_sync(passwordSchema(), nullptr, &error, "reference",
                                                        reference.toUtf8().constData(), nullptr);
    return !secretFailed(error, "removeSecret") && removed;
}

} // namespace zelk
