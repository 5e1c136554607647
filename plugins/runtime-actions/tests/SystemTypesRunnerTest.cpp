// The system, sound, settings-panel and network action types, running side,
// on the virtual backend: which requests each model makes of the power,
// screen-saver, sound, volume, settings and network services, and that
// every refusal comes back as the run's error. Never the machine's own.
#include "FileTypesTestSupport.h"
#include "NetworkShortcut/NetworkShortcut.h"
#include "SystemShortcut/SystemShortcut.h"
#include "TestSupport.h"
#include "VirtualPlatform.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <thread>

using namespace zelk;
using namespace zelk::engine;
using namespace zelk::test;

namespace {

class SystemTypesRunnerTest : public TempHomeTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(loadActionRunners());
        ASSERT_NE(VirtualPlatform::current(), nullptr);
        platform = VirtualPlatform::current();
        power().clearRequests();
        for (const char* what : {"restart", "power-off", "sleep", "log-out", "wake", "screen-saver"})
            power().refuse(what, false);
        power().setScreenSaverIdleSeconds(0);
        power().setScreenSaverShowsAfter(0);
        platform->virtualSound().setOutput(50, false);
        platform->virtualSound().clearRequests();
        platform->virtualVolumes().clearRequests();
        platform->virtualVolumes().setMountStatus(0);
        platform->virtualVolumes().setUnmountStatus(0);
        platform->virtualVolumes().setMediumPresent(true);
        platform->virtualNetwork().setLocations({{"u1", "Home"}, {"u2", "Office"}, {"u3; rm -rf ~", "Office"}, {"u4", "café"}},
                                                "u1");
        platform->virtualNetwork().refuseSwitches(false);
        platform->virtualNetwork().clearRequests();
        // The panels are read once per process: every test sets the same.
        platform->virtualSettingsPanels().setPanels(
            {{"/apps/wifi.desktop", "Wi-Fi", ""},
             {"/apps/display.desktop", "display", ""},
             {"/apps/other/wifi2.desktop", "Wi-Fi", ""},
             {"/apps/tablet.desktop", "Tablet", ""}},
            {"/apps/tablet.desktop"});
        platform->virtualSettingsPanels().clearRequests();
    }

    VirtualPower& power() { return platform->virtualPower(); }

    QString run(const QString& className, const QVariantMap& data)
    {
        return runAction(actionWithParameters(className, "test", 7, data), controller);
    }
    QString runSystem(const QVariantMap& data) { return run("SystemShortcut", data); }

    VirtualPlatform* platform = nullptr;
    std::shared_ptr<TestController> controller = std::make_shared<TestController>();
    UtilityScope<FilesEngineUtility> scope;
};

// --- System ------------------------------------------------------------------------

TEST_F(SystemTypesRunnerTest, EachPowerAndSessionModelMakesItsRequestAndReportsARefusal)
{
    const struct {
        int model;
        const char* request;
    } cases[] = {{1, "restart"}, {2, "power-off"}, {3, "sleep"}, {4, "log-out"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.request);
        power().clearRequests();
        EXPECT_EQ(runSystem(params({{"Action", c.model}})), "");
        EXPECT_EQ(power().requests(), QStringList{c.request});
        power().refuse(c.request);
        EXPECT_FALSE(runSystem(params({{"Action", c.model}})).isEmpty()) << "a refusal is no success";
        power().refuse(c.request, false);
    }
}

TEST_F(SystemTypesRunnerTest, SleepWithAWakeTimeSleepsOnlyOnceTheAlarmIsSet)
{
    const QDateTime now(QDate(2026, 3, 10), QTime(12, 0, 0));
    platform->virtualClock().setNow(now);
    // No wake time, or one already past: straight to sleep.
    EXPECT_EQ(runSystem(params({{"Action", 3}, {"SleepType", 0}, {"WakeSeconds", 0}})), "");
    EXPECT_EQ(runSystem(params({{"Action", 3}, {"SleepType", 1}, {"WakeSeconds", 0}})), "");
    EXPECT_EQ(runSystem(params({{"Action", 3}, {"SleepType", 2}, {"WakeSeconds", 8 * 3600}})), "") << "8:00 today is past";
    EXPECT_EQ(power().requests(), (QStringList{"sleep", "sleep", "sleep"}));

    power().clearRequests();
    EXPECT_EQ(runSystem(params({{"Action", 3}, {"SleepType", 1}, {"WakeSeconds", 60}})), "");
    EXPECT_EQ(runSystem(params({{"Action", 3}, {"SleepType", 2}, {"WakeSeconds", 86400 + 7 * 3600}})), "");
    EXPECT_EQ(power().requests(), (QStringList{"wake " + now.addSecs(60).toString(Qt::ISODate), "sleep",
                                               "wake 2026-03-11T07:00:00", "sleep"}));

    power().clearRequests();
    power().refuse("wake");
    const QString error = runSystem(params({{"Action", 3}, {"SleepType", 1}, {"WakeSeconds", 60}}));
    EXPECT_TRUE(error.contains("60")) << error.toStdString();
    EXPECT_EQ(power().requests(), QStringList{"wake " + now.addSecs(60).toString(Qt::ISODate)})
        << "without the alarm the machine must not sleep";
}

TEST_F(SystemTypesRunnerTest, ScreenSaverEndsOneIdleDelayAfterTheLatestRun)
{
    platform->virtualClock().setNow(QDateTime(QDate(2026, 3, 10), QTime(9, 0, 0)));
    power().setScreenSaverIdleSeconds(0);
    EXPECT_EQ(runSystem(params({{"Action", 5}, {"Module", ""}})), "");
    EXPECT_EQ(power().requests(), QStringList{"screen-saver start"});
    platform->virtualClock().advance(3600);
    EXPECT_EQ(power().requests(), QStringList{"screen-saver start"}) << "idle delay never: it runs on";

    power().clearRequests();
    power().setScreenSaverIdleSeconds(300);
    power().setScreenSaverShowsAfter(2);
    EXPECT_EQ(runSystem(params({{"Action", 5}})), "");
    platform->virtualClock().advance(200);
    EXPECT_EQ(runSystem(params({{"Action", 5}})), "");
    platform->virtualClock().advance(150);
    EXPECT_EQ(power().requests(), (QStringList{"screen-saver start", "screen-saver start"}))
        << "the first run's end was moved by the second";
    platform->virtualClock().advance(200);
    EXPECT_EQ(power().requests(), (QStringList{"screen-saver start", "screen-saver start", "screen-saver stop"}));

    power().clearRequests();
    power().refuse("screen-saver");
    EXPECT_FALSE(runSystem(params({{"Action", 5}})).isEmpty());
}

TEST_F(SystemTypesRunnerTest, ScreenSaverSearchPausesAndIsBounded)
{
    power().setScreenSaverIdleSeconds(300);
    power().setScreenSaverShowsAfter(-1);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(runSystem(params({{"Action", 5}})), "");
    const double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(waited, SystemShortcut::kScreenSaverBound + 3) << "the search must end";
    EXPECT_LE(power().screenSaverQuestions(), 100) << "the search must pause between questions";
    EXPECT_GE(power().screenSaverQuestions(), 10);

    // A stop ends it at once.
    controller->stopAfter = 2;
    EXPECT_EQ(runSystem(params({{"Action", 5}})), "");
    EXPECT_LE(power().screenSaverQuestions(), 4);
}

TEST_F(SystemTypesRunnerTest, DockAndClassicSayTheyCannot)
{
    EXPECT_FALSE(runSystem(params({{"Action", 6}})).isEmpty());
    EXPECT_EQ(runSystem(params({{"Action", 7}})), "start classic ignored, classic not supported on Intel Macintoshes");
    EXPECT_EQ(runSystem(params({{"Action", 8}})), "stop classic ignored, classic not supported on Intel Macinoshes");
    EXPECT_TRUE(power().requests().isEmpty());
}

TEST_F(SystemTypesRunnerTest, EjectWaitsForTheKeysToBeLetGo)
{
    platform->userPressesKey(55);
    const int asked = platform->heldKeysQueries();
    std::thread letGo([this, asked] {
        // The runner is in its wait once it has looked at the keys twice.
        EXPECT_TRUE(zelk::test::waitUntil([&] { return platform->heldKeysQueries() >= asked + 2; }));
        EXPECT_TRUE(platform->virtualVolumes().requests().isEmpty()) << "ejected while a key was held";
        platform->userReleasesKey(55);
    });
    EXPECT_EQ(runSystem(params({{"Action", 9}})), "");
    letGo.join();
    EXPECT_EQ(platform->virtualVolumes().requests(), QStringList{"eject"});

    platform->virtualVolumes().setMediumPresent(false);
    EXPECT_TRUE(runSystem(params({{"Action", 9}})).contains("no removable medium"));

    // Stopped while keys are held: nothing is ejected.
    platform->virtualVolumes().clearRequests();
    platform->userPressesKey(55);
    controller->stopAfter = 3;
    EXPECT_EQ(runSystem(params({{"Action", 9}})), "");
    platform->userReleasesKey(55);
    EXPECT_TRUE(platform->virtualVolumes().requests().isEmpty());
}

TEST_F(SystemTypesRunnerTest, EjectGoesOnWhenTheKeysAreNeverLetGo)
{
    platform->userPressesKey(55);
    const int asked = platform->heldKeysQueries();
    std::thread watch([this, asked] {
        EXPECT_TRUE(zelk::test::waitUntil([&] { return platform->heldKeysQueries() >= asked + 2; }));
        EXPECT_TRUE(platform->virtualVolumes().requests().isEmpty()) << "ejected while a key was held";
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(runSystem(params({{"Action", 9}})), "");
    const double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    watch.join();
    platform->userReleasesKey(55);
    EXPECT_LT(waited, SystemShortcut::kKeysReleasedBound + 5) << "the wait must end";
    EXPECT_EQ(platform->virtualVolumes().requests(), QStringList{"eject"}) << "after the bound it goes on";
}

// --- Sound -------------------------------------------------------------------------

TEST_F(SystemTypesRunnerTest, PlayFileKeepsTheSoundOnceLoaded)
{
    const QString path = home->path() + "/ding.wav";
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(44, 'x'));
    }
    const auto action = actionWithParameters("SoundShortcut", "ding", 3, params({{"Action", 1}, {"Path", path}}));
    EXPECT_EQ(runAction(action, controller), "");
    ASSERT_TRUE(QFile::remove(path));
    EXPECT_EQ(runAction(action, controller), "") << "the loaded sound plays on";
    EXPECT_EQ(platform->virtualSound().requests(), (QStringList{"play " + path + " 44", "play " + path + " 44"}));

    const QString gone = run("SoundShortcut", params({{"Action", 1}, {"Path", path}}));
    EXPECT_TRUE(gone.contains(path)) << gone.toStdString();
}

TEST_F(SystemTypesRunnerTest, VolumeStepsAndMuting)
{
    const struct {
        int model, from, to;
    } cases[] = {{10, 85, 95}, {10, 95, 100}, {11, 15, 5}, {11, 5, 1}, {11, 10, 1}, {14, 30, 100}};
    for (const auto& c : cases) {
        SCOPED_TRACE(QString("model %1 from %2").arg(c.model).arg(c.from).toStdString());
        platform->virtualSound().setOutput(c.from, false);
        EXPECT_EQ(run("SoundShortcut", params({{"Action", c.model}})), "");
        EXPECT_EQ(platform->virtualSound().outputVolume(), c.to);
    }
    platform->virtualSound().setOutput(40, false);
    EXPECT_EQ(run("SoundShortcut", params({{"Action", 12}})), "");
    EXPECT_EQ(platform->virtualSound().outputMuted(), true);
    EXPECT_EQ(run("SoundShortcut", params({{"Action", 12}})), "");
    EXPECT_EQ(platform->virtualSound().outputMuted(), false);

    platform->virtualSound().removeOutput();
    for (int model : {10, 11, 12, 14})
        EXPECT_FALSE(run("SoundShortcut", params({{"Action", model}})).isEmpty()) << model;
}

// --- Settings panels ---------------------------------------------------------------

TEST_F(SystemTypesRunnerTest, PanelsOpenByFileNameAndFailingOnesAreLeftOut)
{
    EXPECT_EQ(run("PreferenceShortcut", params({{"Action", 1}, {"Name", "wifi2.desktop"}})), "");
    EXPECT_TRUE(run("PreferenceShortcut", params({{"Action", 1}, {"Name", "tablet.desktop"}})).contains("tablet.desktop"))
        << "its hardware test fails";
    EXPECT_TRUE(run("PreferenceShortcut", params({{"Action", 1}, {"Name", "gone.desktop"}})).contains("gone.desktop"));
    EXPECT_EQ(run("PreferenceShortcut", params({{"Action", 3}})), "");
    EXPECT_EQ(platform->virtualSettingsPanels().requests(), (QStringList{"open /apps/other/wifi2.desktop", "open settings"}));

    // Removed since the list was read: the desktop can't open it, and says so.
    platform->virtualSettingsPanels().setPanels({{"/apps/wifi.desktop", "Wi-Fi", ""}});
    const QString gone = run("PreferenceShortcut", params({{"Action", 1}, {"Name", "display.desktop"}}));
    EXPECT_TRUE(gone.contains("could not be opened")) << gone.toStdString();
}

TEST_F(SystemTypesRunnerTest, PanelsMenuIsSortedIgnoringCase)
{
    scope.utility.choose = "display";
    EXPECT_EQ(run("PreferenceShortcut", params({{"Action", 2}})), "");
    EXPECT_EQ(scope.utility.shownMenus(), QStringList{"display, Wi-Fi, Wi-Fi"});
    EXPECT_TRUE(waitUntil([&] {
        return platform->virtualSettingsPanels().requests() == QStringList{"open /apps/display.desktop"};
    }));
}

// --- Network -----------------------------------------------------------------------

TEST_F(SystemTypesRunnerTest, LocationSwitchesAreMadeByIdentifierAndRefusalsReported)
{
    VirtualNetwork& network = platform->virtualNetwork();
    EXPECT_EQ(run("NetworkShortcut", params({{"Action", 1}, {"Config", "Home"}})), "");
    EXPECT_TRUE(network.requests().isEmpty()) << "already there";
    EXPECT_EQ(run("NetworkShortcut", params({{"Action", 1}, {"Config", "Office"}})), "");
    EXPECT_EQ(network.requests(), QStringList{"activate u3; rm -rf ~"}) << "the last of two of the same name";
    EXPECT_TRUE(run("NetworkShortcut", params({{"Action", 1}, {"Config", "office"}})).contains("office"))
        << "names match exactly";

    network.clearRequests();
    network.refuseSwitches();
    const QString refused = run("NetworkShortcut", params({{"Action", 1}, {"Config", "café"}}));
    EXPECT_TRUE(refused.contains("café")) << refused.toStdString();
    EXPECT_EQ(network.requests(), QStringList{"activate u4"});
}

TEST_F(SystemTypesRunnerTest, LocationsMenuChecksTheActiveOne)
{
    scope.utility.choose = "café";
    EXPECT_EQ(run("NetworkShortcut", params({{"Action", 2}})), "");
    EXPECT_EQ(scope.utility.shownMenus(), QStringList{"café, *Home, Office, Office"});
    EXPECT_TRUE(waitUntil([&] { return platform->virtualNetwork().activeLocation() == "u4"; }));
}

TEST_F(SystemTypesRunnerTest, MountTakesThePasswordFromTheSecretStore)
{
    VirtualVolumes& volumes = platform->virtualVolumes();
    ASSERT_TRUE(platform->virtualSecrets().storeSecret("ref-1", "label", "s3cr\u00e9t"));
    EXPECT_EQ(run("NetworkShortcut", params({{"Action", 3}, {"Server", "smb://nas/"}, {"Directory", "/share"},
                                             {"User", "ann"}, {"PasswordRef", "ref-1"}})),
              "");
    EXPECT_EQ(volumes.lastPassword(), "s3cr\u00e9t");
    // An older record's own password still works.
    EXPECT_EQ(run("NetworkShortcut", params({{"Action", 3}, {"Server", "smb://nas"}, {"Directory", "share"},
                                             {"Password", NetworkShortcutModels::encodedPassword("old \u00fc")}})),
              "");
    EXPECT_EQ(volumes.lastPassword(), "old \u00fc");
    EXPECT_EQ(volumes.requests(), (QStringList{"mount smb://nas/share ann", "mount smb://nas/share "}));

    volumes.setMountStatus(-48);
    const QString error = run("NetworkShortcut", params({{"Action", 3}, {"Server", "smb://nas"}, {"Directory", ""}}));
    EXPECT_TRUE(error.contains("smb://nas/") && error.contains("-48")) << error.toStdString();
}

TEST_F(SystemTypesRunnerTest, ServerAndDirectoryJoinWithOneSlash)
{
    const struct {
        const char *server, *directory, *joined;
    } cases[] = {{"smb://a/", "/b", "smb://a/b"}, {"smb://a", "b", "smb://a/b"}, {"smb://a/", "b", "smb://a/b"},
                 {"smb://a", "/b", "smb://a/b"}, {"smb://a", "", "smb://a/"}, {"smb://a/", "", "smb://a/"}};
    for (const auto& c : cases)
        EXPECT_EQ(NetworkShortcut::joinedServer(c.server, c.directory), c.joined) << c.server << " + " << c.directory;
}

TEST_F(SystemTypesRunnerTest, UnmountReportsBothFailures)
{
    EXPECT_EQ(run("NetworkShortcut", params({{"Action", 4}, {"Server", home->path() + "/nowhere"}})),
              "unmountVolume error -43");
    EXPECT_EQ(run("NetworkShortcut", params({{"Action", 4}, {"Server", home->path()}})), "");
    platform->virtualVolumes().setUnmountStatus(16);
    EXPECT_EQ(run("NetworkShortcut", params({{"Action", 4}, {"Server", home->path()}})),
              "unmounting of " + home->path() + " failed");
}

} // namespace
