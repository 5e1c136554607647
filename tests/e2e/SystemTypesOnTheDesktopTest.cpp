// The sound and system types with the built engine on a real X server and
// a real session bus, hot keys pressed with xdotool: the volume of a sound
// server's default sink goes down (a PulseAudio server of the test's own
// with a null sink), the screen saver is asked for on the session bus, and
// sleep goes to logind: all three played by the test on the desktop's
// private bus, which stands in for the system bus too, so the machine
// itself never sleeps. A sound file played reaches that sound server.
#include "Desktop.h"

#include "DataFileRecords.h"
#include "TestSupport.h"

#include <QDBusConnection>
#include <QFile>
#include <QObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <iostream>

#include <csignal>
#include <sys/prctl.h>

using namespace zelk::e2e;
using namespace zelk::test::records;

namespace {

constexpr quint32 KeyV = 9, KeyS = 1, KeyZ = 6, KeyP = 35;
constexpr quint32 CtrlAlt = Command | Option;

class FakeScreenSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    QList<bool> requests;
public slots:
    bool SetActive(bool on)
    {
        requests << on;
        return true;
    }
    bool GetActive() { return !requests.isEmpty() && requests.last(); }
};

class FakeLogind : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
public:
    QStringList requests;
public slots:
    void Suspend(bool interactive) { requests << QString("Suspend %1").arg(interactive); }
};

class SystemTypesOnTheDesktopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString pulseaudio = QStandardPaths::findExecutable("pulseaudio");
        if (pulseaudio.isEmpty() || QStandardPaths::findExecutable("pactl").isEmpty())
            ZELK_SKIP_UNLESS_CI("pulseaudio and pactl are not installed");
        desktop = std::make_unique<Desktop>();
        if (!desktop->whyNot().isEmpty())
            ZELK_SKIP_UNLESS_CI(desktop->whyNot().toStdString());
        ASSERT_TRUE(soundDir.isValid());
        pulseServer = "unix:" + soundDir.path() + "/native";
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", soundDir.path());
        env.insert("XDG_RUNTIME_DIR", soundDir.path());
        sound.setProcessEnvironment(env);
        sound.setStandardOutputFile(QProcess::nullDevice());
        sound.setStandardErrorFile(QProcess::nullDevice());
        sound.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
        sound.start(pulseaudio, {"-n", "--daemonize=no", "--exit-idle-time=-1", "--disable-shm=yes",
                                 "--load=module-native-protocol-unix socket=" + soundDir.path() + "/native auth-anonymous=1",
                                 "--load=module-null-sink sink_name=zelk_null"});
        ASSERT_TRUE(sound.waitForStarted(5000));
        ASSERT_TRUE(pollUntil([this] { return volume() >= 0; }, 15000, 100)) << "the sound server did not come up";
    }

    void TearDown() override
    {
        if (HasFailure() && desktop && desktop->engine())
            std::cerr << "--- engine log\n" << desktop->engineLog().toStdString() << "---\n";
        desktop.reset();
        sound.terminate();
        sound.waitForFinished(5000);
    }

    QString pactl(const QStringList& arguments)
    {
        QProcess pactl;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("PULSE_SERVER", pulseServer);
        pactl.setProcessEnvironment(env);
        pactl.start("pactl", arguments);
        if (!pactl.waitForFinished(5000) || pactl.exitCode() != 0)
            return {};
        return QString::fromUtf8(pactl.readAll());
    }

    // The default sink's volume in percent, -1 when it can't be read.
    int volume()
    {
        const QRegularExpressionMatch m =
            QRegularExpression("(\\d+)%").match(pactl({"get-sink-volume", "@DEFAULT_SINK@"}));
        return m.hasMatch() ? m.captured(1).toInt() : -1;
    }

    // A sound of some seconds of silence (8 kHz, 16-bit mono WAVE).
    static QByteArray silence(int seconds)
    {
        const quint32 data = 8000 * 2 * seconds;
        QByteArray wav;
        auto u32 = [&wav](quint32 v) { for (int i = 0; i < 4; ++i) wav.append(char((v >> (8 * i)) & 0xff)); };
        auto u16 = [&wav](quint16 v) { wav.append(char(v & 0xff)).append(char(v >> 8)); };
        wav.append("RIFF");
        u32(36 + data);
        wav.append("WAVEfmt ");
        u32(16);
        u16(1);
        u16(1);
        u32(8000);
        u32(16000);
        u16(2);
        u16(16);
        wav.append("data");
        u32(data);
        wav.append(QByteArray(int(data), '\0'));
        return wav;
    }

    std::unique_ptr<Desktop> desktop;
    QTemporaryDir soundDir;
    QString pulseServer;
    QProcess sound;
};

TEST_F(SystemTypesOnTheDesktopTest, VolumeScreenSaverAndSleepFromHotKeys)
{
    FakeScreenSaver screenSaver;
    FakeLogind logind;
    QDBusConnection bus = QDBusConnection::connectToBus(desktop->busAddress(), "system-services");
    ASSERT_TRUE(bus.registerObject("/org/freedesktop/ScreenSaver", &screenSaver, QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(bus.registerService("org.freedesktop.ScreenSaver"));
    ASSERT_TRUE(bus.registerObject("/org/freedesktop/login1", &logind, QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(bus.registerService("org.freedesktop.login1"));

    const QString soundFile = soundDir.path() + "/silence.wav";
    {
        QFile file(soundFile);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(silence(3));
    }
    DataFiles files;
    files.actions = {action(0, "down", "SoundShortcut", {{"Action", 11}}),
                     action(1, "saver", "SystemShortcut", {{"Action", 5}, {"Module", ""}}),
                     action(2, "sleep", "SystemShortcut", {{"Action", 3}, {"SleepType", 0}, {"WakeSeconds", 0}}),
                     action(3, "play", "SoundShortcut", {{"Action", 1}, {"Path", soundFile}})};
    files.contexts = {context(0, "Everywhere", 0)};
    files.launchers = {keyLauncher(0, KeyV | CtrlAlt), keyLauncher(1, KeyS | CtrlAlt), keyLauncher(2, KeyZ | CtrlAlt),
                       keyLauncher(3, KeyP | CtrlAlt)};
    files.shortcuts = {shortcut(0, "Down", {0}, {0}, {0}), shortcut(1, "Saver", {1}, {1}, {0}),
                       shortcut(2, "Sleep", {2}, {2}, {0}), shortcut(3, "Play", {3}, {3}, {0})};
    ASSERT_TRUE(desktop->writeData(files));
    QProcessEnvironment sound;
    sound.insert("PULSE_SERVER", pulseServer);
    QString why;
    ASSERT_TRUE(desktop->startEngine(&why, sound)) << why.toStdString();

    ASSERT_EQ(volume(), 100);
    ASSERT_TRUE(desktop->xdotool({"key", "ctrl+alt+v"}));
    EXPECT_TRUE(pollUntil([&] { return volume() == 90; }, 15000, 100)) << volume();

    ASSERT_TRUE(desktop->xdotool({"key", "ctrl+alt+s"}));
    EXPECT_TRUE(pollUntil([&] { return screenSaver.requests == QList<bool>{true}; }, 15000));

    ASSERT_TRUE(desktop->xdotool({"key", "ctrl+alt+z"}));
    EXPECT_TRUE(pollUntil([&] { return logind.requests == QStringList{"Suspend 0"}; }, 15000)) << logind.requests.join(',').toStdString();

    // The sound plays on the sound server while the shortcut is long done.
    ASSERT_TRUE(pactl({"list", "short", "sink-inputs"}).trimmed().isEmpty());
    ASSERT_TRUE(desktop->xdotool({"key", "ctrl+alt+p"}));
    EXPECT_TRUE(pollUntil([&] { return !pactl({"list", "short", "sink-inputs"}).trimmed().isEmpty(); }, 15000, 100))
        << "no sound reached the sound server";

    bus.unregisterService("org.freedesktop.ScreenSaver");
    bus.unregisterService("org.freedesktop.login1");
    QDBusConnection::disconnectFromBus("system-services");
}

} // namespace

#include "SystemTypesOnTheDesktopTest.moc"
