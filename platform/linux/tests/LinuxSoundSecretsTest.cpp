// The linux backend's sound volume against a sound server of the test's own
// (PulseAudio with a null sink, on a private socket), and its secret store
// against a keyring daemon of the test's own on a private session bus:
// never the user's sound or keyring.
#include "LinuxSystem.h"
#include "PrivateBus.h"
#include "TestSupport.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

#include <csignal>
#include <sys/prctl.h>

using namespace zelk;
using zelk::test::ScopedEnv;

namespace {

std::unique_ptr<QProcess> startChild(const QString& program, const QStringList& arguments, const QProcessEnvironment& env)
{
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(env);
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    // It goes with us even when the test program dies.
    process->setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
    process->start(program, arguments);
    return process;
}

void stopChild(std::unique_ptr<QProcess>& process)
{
    if (!process)
        return;
    process->terminate();
    if (!process->waitForFinished(5000)) {
        process->kill();
        process->waitForFinished(2000);
    }
    process.reset();
}

class LinuxSoundTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString pulseaudio = QStandardPaths::findExecutable("pulseaudio");
        if (pulseaudio.isEmpty() || QStandardPaths::findExecutable("pactl").isEmpty())
            ZELK_SKIP_UNLESS_CI("pulseaudio and pactl are not installed");
        ASSERT_TRUE(dir.isValid());
        socket = dir.path() + "/native";
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", dir.path());
        env.insert("XDG_RUNTIME_DIR", dir.path());
        env.insert("XDG_CONFIG_HOME", dir.path() + "/config");
        server = startChild(pulseaudio,
                            {"-n", "--daemonize=no", "--exit-idle-time=-1", "--disable-shm=yes",
                             "--load=module-native-protocol-unix socket=" + socket + " auth-anonymous=1",
                             "--load=module-null-sink sink_name=zelk_null"},
                            env);
        ASSERT_TRUE(server->waitForStarted(5000));
        pulseServer = std::make_unique<ScopedEnv>("PULSE_SERVER", ("unix:" + socket).toLocal8Bit());
        ASSERT_TRUE(zelk::test::waitUntil([this] { return sound.outputVolume().has_value(); }, 15000))
            << "the sound server did not come up";
    }

    void TearDown() override
    {
        stopChild(server);
        pulseServer.reset();
    }

    QTemporaryDir dir;
    QString socket;
    std::unique_ptr<QProcess> server;
    std::unique_ptr<ScopedEnv> pulseServer;
    LinuxSound sound;
};

TEST_F(LinuxSoundTest, VolumeAndMutingOfTheDefaultSink)
{
    ASSERT_TRUE(sound.setOutputVolume(37));
    EXPECT_EQ(sound.outputVolume(), 37);
    EXPECT_TRUE(sound.setOutputVolume(140)) << "kept within 0-100";
    EXPECT_EQ(sound.outputVolume(), 100);
    EXPECT_EQ(sound.outputMuted(), false);
    ASSERT_TRUE(sound.setOutputMuted(true));
    EXPECT_EQ(sound.outputMuted(), true);
    ASSERT_TRUE(sound.setOutputMuted(false));
    EXPECT_EQ(sound.outputMuted(), false);

    stopChild(server);
    EXPECT_EQ(sound.outputVolume(), std::nullopt) << "no sound server: can't tell";
    EXPECT_FALSE(sound.setOutputVolume(50));
    EXPECT_FALSE(sound.setOutputMuted(true));
}

class LinuxSecretStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QString whyNot;
        const QString address = zelk::test::privateBus(&whyNot);
        if (address.isEmpty())
            ZELK_SKIP_UNLESS_CI("no private bus: " << whyNot.toStdString());
        const QString daemon = QStandardPaths::findExecutable("gnome-keyring-daemon");
        if (daemon.isEmpty())
            ZELK_SKIP_UNLESS_CI("gnome-keyring-daemon is not installed");
        ASSERT_TRUE(dir.isValid());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DBUS_SESSION_BUS_ADDRESS", address);
        env.insert("HOME", dir.path());
        env.insert("XDG_DATA_HOME", dir.path() + "/data");
        env.insert("XDG_RUNTIME_DIR", dir.path());
        keyring = startChild(daemon, {"--foreground", "--unlock", "--components=secrets"}, env);
        ASSERT_TRUE(keyring->waitForStarted(5000));
        keyring->write("test keyring password");
        keyring->closeWriteChannel();
        QDBusConnectionInterface* names = QDBusConnection::sessionBus().interface();
        ASSERT_TRUE(names);
        ASSERT_TRUE(zelk::test::waitUntil([names] { return names->isServiceRegistered("org.freedesktop.secrets").value(); },
                                          15000))
            << "the keyring did not come up";
    }

    void TearDown() override { stopChild(keyring); }

    QTemporaryDir dir;
    std::unique_ptr<QProcess> keyring;
    LinuxSecretStore store;
};

TEST_F(LinuxSecretStoreTest, SecretsAreFoundByTheirReference)
{
    const QString secret = "p\u00e4ss \"w\u00f6rd\"; $(echo no)";
    ASSERT_TRUE(store.storeSecret("network-1", "Zelk: smb://nas", secret));
    ASSERT_TRUE(store.storeSecret("network-2", "Zelk: smb://other", "other"));
    EXPECT_EQ(store.secret("network-1"), secret);
    ASSERT_TRUE(store.storeSecret("network-1", "Zelk: smb://nas", "changed"));
    EXPECT_EQ(store.secret("network-1"), "changed") << "stored again under the same reference: replaced";
    EXPECT_EQ(store.secret("network-2"), "other");
    EXPECT_TRUE(store.removeSecret("network-1"));
    EXPECT_EQ(store.secret("network-1"), std::nullopt);
    EXPECT_EQ(store.secret("never-stored"), std::nullopt);
    EXPECT_FALSE(store.storeSecret("", "no reference", "x"));
}

} // namespace
