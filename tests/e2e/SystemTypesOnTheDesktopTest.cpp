// The sound and system types with the built engine on a real X server and
// a real session bus, hot keys pressed with xdotool: the volume of a sound
// server's default sink goes down (a PulseAudio server of the test's own
// with a null sink), the screen saver is asked for on the session bus, and
// sleep goes to logind: all three played by the test on the desktop's
// private bus, which stands in for the system bus too, so the machine
// itself never sleeps.
#include "Desktop.h"

#include "DataFileRecords.h"
#include "TestSupport.h"

#include <QDBusConnection>
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

constexpr quint32 KeyV = 9, KeyS = 1, KeyZ = 6;
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

    // The default sink's volume in percent, -1 when it can't be read.
    int volume()
    {
        QProcess pactl;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("PULSE_SERVER", pulseServer);
        pactl.setProcessEnvironment(env);
        pactl.start("pactl", {"get-sink-volume", "@DEFAULT_SINK@"});
        if (!pactl.waitForFinished(5000) || pactl.exitCode() != 0)
            return -1;
        const QRegularExpressionMatch m = QRegularExpression("(\\d+)%").match(QString::fromUtf8(pactl.readAll()));
        return m.hasMatch() ? m.captured(1).toInt() : -1;
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

    DataFiles files;
    files.actions = {action(0, "down", "SoundShortcut", {{"Action", 11}}),
                     action(1, "saver", "SystemShortcut", {{"Action", 5}, {"Module", ""}}),
                     action(2, "sleep", "SystemShortcut", {{"Action", 3}, {"SleepType", 0}, {"WakeSeconds", 0}})};
    files.contexts = {context(0, "Everywhere", 0)};
    files.launchers = {keyLauncher(0, KeyV | CtrlAlt), keyLauncher(1, KeyS | CtrlAlt), keyLauncher(2, KeyZ | CtrlAlt)};
    files.shortcuts = {shortcut(0, "Down", {0}, {0}, {0}), shortcut(1, "Saver", {1}, {1}, {0}),
                       shortcut(2, "Sleep", {2}, {2}, {0})};
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

    bus.unregisterService("org.freedesktop.ScreenSaver");
    bus.unregisterService("org.freedesktop.login1");
    QDBusConnection::disconnectFromBus("system-services");
}

} // namespace

#include "SystemTypesOnTheDesktopTest.moc"
