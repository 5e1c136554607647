#include "VirtualDesktop.h"
#include "SystemClock.h"
#include "DesktopEntries.h"
#include "LinuxServices.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace zelk;

TEST(VirtualHotKeys, RegistrationRulesAndDelivery)
{
    VirtualHotKeys keys;
    QList<std::pair<quint32, bool>> got;
    keys.setHandler([&](quint32 code, bool pressed) { got.append({code, pressed}); });

    quint64 a = 0, b = 0, c = 0;
    EXPECT_EQ(keys.registerHotKey(0x100000 | 17, &a), 0);
    EXPECT_NE(a, 0u);
    EXPECT_EQ(keys.registerHotKey(0x100000 | 17, &b), HotKeyService::ErrorAlreadyRegistered);
    EXPECT_EQ(b, 0u);
    keys.grabElsewhere(0x80000 | 1);
    EXPECT_EQ(keys.registerHotKey(0x80000 | 1, &c), HotKeyService::ErrorGrabbedElsewhere);

    EXPECT_TRUE(keys.userPresses(0x100000 | 17));
    EXPECT_TRUE(keys.userReleases(0x100000 | 17));
    EXPECT_FALSE(keys.userPresses(0x100000 | 18)) << "an unregistered key reaches the front application";
    keys.unregisterHotKey(a);
    EXPECT_FALSE(keys.isRegistered(0x100000 | 17));
    EXPECT_FALSE(keys.userPresses(0x100000 | 17));
    ASSERT_EQ(got.size(), 2);
    EXPECT_EQ(got[0], std::make_pair(quint32(0x100000 | 17), true));
    EXPECT_EQ(got[1], std::make_pair(quint32(0x100000 | 17), false));
}

TEST(VirtualWorkspace, LaunchQuitAndFrontChanges)
{
    VirtualWorkspace ws;
    QStringList events;
    auto apps = ws.observeApplications([&](const RunningApplication& app, bool launched) {
        events.append((launched ? "launched " : "quit ") + app.name);
    });
    auto front = ws.observeFrontApplication([&](const std::optional<RunningApplication>& app) {
        events.append("front " + (app ? app->name : QString("-")));
    });
    const qint64 editor = ws.userLaunches("org.gnome.TextEditor.desktop");
    const qint64 term = ws.userLaunches("xterm.desktop");
    ws.userActivates(editor);
    ws.hide(editor);
    ws.setRefusesToQuit(term, true);
    EXPECT_TRUE(ws.quit(term));
    EXPECT_NE(ws.pidOf("xterm.desktop"), 0) << "an application may refuse to quit";
    EXPECT_TRUE(ws.terminate(term, true));
    EXPECT_EQ(ws.pidOf("xterm.desktop"), 0);
    EXPECT_EQ(events, (QStringList{"launched org.gnome.TextEditor.desktop", "front org.gnome.TextEditor.desktop",
                                   "launched xterm.desktop", "front xterm.desktop", "front org.gnome.TextEditor.desktop",
                                   "front xterm.desktop", "quit xterm.desktop", "front -"}));
    EXPECT_EQ(ws.requests(), (QStringList{"hide org.gnome.TextEditor.desktop", "quit xterm.desktop", "kill xterm.desktop"}));
}

TEST(VirtualPower, RepliesAreCountedOncePerObserver)
{
    VirtualPower power;
    std::function<void()> reply;
    auto handle = power.observe([&](PowerService::Event e, std::function<void()> done) {
        if (e == PowerService::Event::WillSleep)
            reply = done;
    });
    EXPECT_EQ(power.simulate(PowerService::Event::WillSleep), 1);
    reply();
    reply();
    EXPECT_EQ(power.pendingReplies(), 0);
    EXPECT_EQ(power.simulate(PowerService::Event::DidWake), 0);
}

TEST(VirtualKeyboardLayout, TypesUsCharactersAndDeadKeys)
{
    VirtualKeyboardLayout layout;
    EXPECT_EQ(layout.keystrokesForCharacter(U'a'), QList<quint16>{0});
    EXPECT_EQ(layout.keystrokesForCharacter(U'A'), QList<quint16>{0x200});
    EXPECT_EQ(layout.keystrokesForCharacter(U'\n'), QList<quint16>{36});
    EXPECT_EQ(layout.keystrokesForCharacter(U'é'), (QList<quint16>{0x800 | 14, 14}));
    EXPECT_TRUE(layout.keystrokesForCharacter(U'€').isEmpty());
    EXPECT_EQ(layout.characterForKey(18, 0x200), "!");
}

TEST(VirtualClock, FiresDueTimersInDateOrderAndHonoursCancellation)
{
    VirtualClock clock;
    const QDateTime t0 = clock.now();
    QStringList fired;
    auto late = clock.scheduleAt(t0.addSecs(20), [&] { fired << "late"; });
    auto early = clock.scheduleAt(t0.addSecs(10), [&] { fired << "early"; });
    auto cancelled = clock.scheduleAt(t0.addSecs(15), [&] { fired << "cancelled"; });
    cancelled.reset();
    clock.advance(5);
    EXPECT_TRUE(fired.isEmpty());
    clock.advance(30);
    EXPECT_EQ(fired, (QStringList{"early", "late"}));
    auto past = clock.scheduleAt(t0, [&] { fired << "past"; });
    EXPECT_EQ(fired.last(), "past") << "a date already gone fires at once";
}

TEST(SystemClock, FiresOnTheMainThreadAndNotAfterCancel)
{
    SystemClock clock;
    bool fired = false, cancelledFired = false;
    auto h = clock.scheduleAt(clock.now().addMSecs(50), [&] { fired = true; });
    auto c = clock.scheduleAt(clock.now().addMSecs(20), [&] { cancelledFired = true; });
    c.reset();
    EXPECT_TRUE(test::waitUntil([&] { return fired; }, 5000));
    EXPECT_FALSE(cancelledFired);
}

class LoginItemsTest : public test::TempHomeTest {};

TEST_F(LoginItemsTest, AutostartEntryComesAndGoes)
{
    LinuxLoginItems items;
    const QString id = "org.zelk.Zelk.helper";
    EXPECT_FALSE(items.isEnabled(id));
    ASSERT_TRUE(items.setEnabled(id, "/opt/My Apps/Zelk.app/Contents/MacOS/ZelkHelper", true));
    EXPECT_TRUE(items.isEnabled(id));
    QFile f(home->configHome() + "/autostart/org.zelk.Zelk.helper.desktop");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().contains("Exec=\"/opt/My Apps/Zelk.app/Contents/MacOS/ZelkHelper\""));
    f.close();
    ASSERT_TRUE(items.setEnabled(id, {}, false));
    EXPECT_FALSE(items.isEnabled(id));
    EXPECT_TRUE(items.setEnabled(id, {}, false)) << "switching off twice is fine";
}

TEST_F(LoginItemsTest, TheEntryStartsThePathAsGiven)
{
    // Installed under a prefix of the user's choosing: quotes, dollars,
    // per cents and line breaks stay part of the path, never of the entry.
    LinuxLoginItems items;
    const QString path = "/opt/50% \"off\" $HOME\nHidden=true/`x`\\ZelkHelper";
    ASSERT_TRUE(items.setEnabled("org.zelk.Zelk.helper", path, true));
    const auto entry = DesktopEntries::read(LinuxLoginItems::entryPath("org.zelk.Zelk.helper"));
    ASSERT_TRUE(entry.has_value()) << "no longer an application entry";
    EXPECT_EQ(DesktopEntries::commandLines(*entry, {}), QList<QStringList>{QStringList{path}});
}

TEST_F(LoginItemsTest, ABundleStartsThroughItsExecutable)
{
    LinuxLoginItems items;
    const QString bundle = home->path() + "/Zelk.app/Contents/MacOS/Zelk Editor.app/Contents/Library/LoginItems/ZelkHelper.app";
    EXPECT_FALSE(items.setEnabled("org.zelk.Zelk.helper", bundle, true)) << "no bundle there: nothing to start";
    QDir().mkpath(bundle + "/Contents");
    QFile info(bundle + "/Contents/Info.plist");
    ASSERT_TRUE(info.open(QIODevice::WriteOnly));
    info.write("<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>CFBundleExecutable</key>"
               "<string>ZelkHelper</string></dict></plist>");
    info.close();
    ASSERT_TRUE(items.setEnabled("org.zelk.Zelk.helper", bundle, true));
    QFile f(home->configHome() + "/autostart/org.zelk.Zelk.helper.desktop");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().contains(("Exec=\"" + bundle + "/Contents/MacOS/ZelkHelper\"").toUtf8()));
}
