// Hot keys grabbed on a real X server and pressed through XTest, as the
// user's keyboard would press them.
#include "LinuxPlatform.h"
#include "MacKeyTable.h"
#include "TestSupport.h"
#include "X11Support.h"
#include "X11TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <memory>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

using namespace zelk;
using zelk::test::XClientWindow;

namespace {

constexpr quint32 kCommand = 0x100000, kOption = 0x80000, kShift = 0x20000, kControl = 0x40000;
constexpr quint16 kT = 17, kA = 0;
constexpr quint32 kCtrlAltT = kCommand | kOption | kT;
// Pressed after the keys a test looks at: every call they cause comes first.
constexpr quint32 kMarker = kCommand | kOption | kShift | kControl | 6;

struct Call {
    quint32 code;
    bool pressed;
    bool operator==(const Call&) const = default;
};

void PrintTo(const Call& c, std::ostream* os)
{
    *os << std::hex << c.code << (c.pressed ? " down" : " up");
}

class LinuxHotKeysTest : public zelk::test::XClientTest {
protected:
    void SetUp() override
    {
        XClientTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        hotKeys().setHandler([this](quint32 code, bool pressed) {
            onMainThread = onMainThread && QThread::currentThread() == QCoreApplication::instance()->thread();
            calls << Call{code, pressed};
        });
    }

    void TearDown() override
    {
        platform.reset();
        if (client)
            XkbLockModifiers(client->display(), XkbUseCoreKbd, numLockMask(), 0);
        XClientTest::TearDown();
    }

    HotKeyService& hotKeys() { return platform->hotKeys(); }

    // Presses a stored combination: modifiers, key, then all up in reverse.
    void press(quint32 code, int holdMs = 0)
    {
        QList<uint16_t> keys;
        if (code & kCommand)
            keys << 55;
        if (code & kShift)
            keys << 56;
        if (code & kOption)
            keys << 58;
        if (code & kControl)
            keys << 59;
        keys << uint16_t(code & 0xFFFF);
        for (uint16_t k : keys)
            ASSERT_EQ(platform->events().postKey(k, true), 0);
        if (holdMs)
            zelk::test::waitUntil([] { return false; }, holdMs);
        for (auto it = keys.rbegin(); it != keys.rend(); ++it)
            ASSERT_EQ(platform->events().postKey(*it, false), 0);
    }

    // Waits for the handler's calls, then for those of a marker combination
    // pressed after them: the server reports keys in order, so any extra
    // call of the keys before would have come ahead of the marker's.
    QList<Call> takeCalls(int expected)
    {
        zelk::test::waitUntil([&] { return calls.size() >= expected; });
        quint64 marker = 0;
        EXPECT_EQ(hotKeys().registerHotKey(kMarker, &marker), 0);
        press(kMarker);
        EXPECT_TRUE(zelk::test::waitUntil([&] { return calls.contains(Call{kMarker, false}); })) << "the marker never came";
        hotKeys().unregisterHotKey(marker);
        QList<Call> got = std::exchange(calls, {});
        got.removeAll(Call{kMarker, true});
        got.removeAll(Call{kMarker, false});
        return got;
    }

    unsigned numLockMask() { return XkbKeysymToModifiers(client->display(), XK_Num_Lock); }

    QList<Call> calls;
    bool onMainThread = true;
};

TEST_F(LinuxHotKeysTest, PressAndReleaseReachTheHandlerWhateverTheLockKeys)
{
    quint64 ref = 0;
    ASSERT_EQ(hotKeys().registerHotKey(kCtrlAltT, &ref), 0);
    EXPECT_NE(ref, 0u);
    const QList<Call> pressAndRelease{{kCtrlAltT, true}, {kCtrlAltT, false}};

    press(kCtrlAltT);
    EXPECT_EQ(takeCalls(2), pressAndRelease);

    XkbLockModifiers(client->display(), XkbUseCoreKbd, numLockMask(), numLockMask());
    XSync(client->display(), False);
    press(kCtrlAltT);
    EXPECT_EQ(takeCalls(2), pressAndRelease) << "with Num Lock on";

    client->setCapsLock(true);
    press(kCtrlAltT);
    EXPECT_EQ(takeCalls(2), pressAndRelease) << "with Num Lock and Caps Lock on";

    press(kCommand | kT);  // another combination of the key
    press(kCtrlAltT & ~kOption);
    EXPECT_TRUE(takeCalls(0).isEmpty()) << "a combination nobody registered fired";
    EXPECT_TRUE(onMainThread);
}

TEST_F(LinuxHotKeysTest, HeldKeyGivesOnePressAndOneRelease)
{
    XKeyboardState keyboard;
    XGetKeyboardControl(client->display(), &keyboard);
    if (keyboard.global_auto_repeat != AutoRepeatModeOn)
        GTEST_SKIP() << "the X server does not repeat keys";
    quint64 ref = 0;
    ASSERT_EQ(hotKeys().registerHotKey(kCtrlAltT, &ref), 0);
    press(kCtrlAltT, 1200);  // beyond the server's repeat delay
    EXPECT_EQ(takeCalls(2), QList<Call>({{kCtrlAltT, true}, {kCtrlAltT, false}}));
}

TEST_F(LinuxHotKeysTest, RegistrationAnswers)
{
    quint64 ref = 0, other = 0;
    ASSERT_EQ(hotKeys().registerHotKey(kCtrlAltT, &ref), 0);
    EXPECT_EQ(hotKeys().registerHotKey(kCtrlAltT, &other), HotKeyService::ErrorAlreadyRegistered);
    EXPECT_EQ(other, 0u);
    EXPECT_EQ(hotKeys().registerHotKey(kCtrlAltT | 0x200000, &other), HotKeyService::ErrorAlreadyRegistered)
        << "the numeric-pad bit names the same combination";
    EXPECT_EQ(hotKeys().registerHotKey(kCommand | 63, &other), HotKeyService::ErrorNoSuchKey) << "fn has no key";
    EXPECT_EQ(hotKeys().registerHotKey(kCommand | 4000, &other), HotKeyService::ErrorNoSuchKey);

    // Caps Lock in the combination: its own registration beside the plain one.
    const quint32 withCaps = kCtrlAltT | 0x10000;
    ASSERT_EQ(hotKeys().registerHotKey(withCaps, &other), 0);
    client->setCapsLock(true);
    press(kCtrlAltT);
    EXPECT_EQ(takeCalls(2), QList<Call>({{withCaps, true}, {withCaps, false}}));
    hotKeys().unregisterHotKey(other);
    press(kCtrlAltT);
    EXPECT_EQ(takeCalls(2), QList<Call>({{kCtrlAltT, true}, {kCtrlAltT, false}}))
        << "letting go of the caps-lock combination took the plain one's grab";
}

TEST_F(LinuxHotKeysTest, UnregisteredKeysGoToTheApplicationAgain)
{
    quint64 ref = 0;
    ASSERT_EQ(hotKeys().registerHotKey(kCtrlAltT, &ref), 0);
    hotKeys().unregisterHotKey(ref);
    hotKeys().unregisterHotKey(ref);  // twice is harmless
    client->takeEvents();
    press(kCtrlAltT);
    EXPECT_TRUE(takeCalls(0).isEmpty());
    bool reached = false;
    for (const auto& e : client->takeEvents())
        reached = reached || (e.kind == XClientWindow::Event::KeyDown && e.keysym == XK_t);
    EXPECT_TRUE(reached) << "the key did not reach the focused window";
}

TEST_F(LinuxHotKeysTest, CombinationAnotherProgramHoldsIsRefusedAndLeavesNothingGrabbed)
{
    Display* other = XOpenDisplay(nullptr);
    ASSERT_NE(other, nullptr);
    x11::trapErrors(other);
    const int t = client->keycodeOf(XK_t);
    const Window root = DefaultRootWindow(other);
    XGrabKey(other, t, ControlMask | ShiftMask, root, False, GrabModeAsync, GrabModeAsync);
    XSync(other, False);
    ASSERT_EQ(x11::takeError(other), 0);

    quint64 ref = 1;
    EXPECT_EQ(hotKeys().registerHotKey(kCommand | kShift | kT, &ref), HotKeyService::ErrorGrabbedElsewhere);
    EXPECT_EQ(ref, 0u);
    // Every lock variant is free for the other program: we kept none.
    for (unsigned lock : {unsigned(LockMask), numLockMask(), LockMask | numLockMask()})
        XGrabKey(other, t, ControlMask | ShiftMask | lock, root, False, GrabModeAsync, GrabModeAsync);
    XSync(other, False);
    EXPECT_EQ(x11::takeError(other), 0) << "a lock variant stayed grabbed";

    XUngrabKey(other, AnyKey, AnyModifier, root);
    XSync(other, False);
    EXPECT_EQ(hotKeys().registerHotKey(kCommand | kShift | kT, &ref), 0) << "free again once the other let go";
    x11::stopTrapping(other);
    XCloseDisplay(other);
}

TEST_F(LinuxHotKeysTest, KeysAreGrabbedAgainWhenTheKeymapChanges)
{
    const QString xkbcomp = QStandardPaths::findExecutable("xkbcomp");
    if (xkbcomp.isEmpty())
        ZELK_SKIP_UNLESS_CI("xkbcomp is not installed");
    quint64 ref = 0;
    ASSERT_EQ(hotKeys().registerHotKey(kCommand | kA, &ref), 0);

    // The key named AC01 (the stored A) moves to the keycode of AC02.
    const QString display = qEnvironmentVariable("DISPLAY");
    QTemporaryDir dir;
    const QString original = dir.filePath("original.xkb"), swapped = dir.filePath("swapped.xkb");
    ASSERT_EQ(QProcess::execute(xkbcomp, {"-w0", display, original}), 0);
    QFile in(original);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    QByteArray keymap = in.readAll();
    const QByteArray a = QByteArray::number(client->keycodeOf(XK_a)), s = QByteArray::number(client->keycodeOf(XK_s));
    ASSERT_TRUE(keymap.contains("<AC01> = " + a + ";") && keymap.contains("<AC02> = " + s + ";"));
    keymap.replace("<AC01> = " + a + ";", "<AC01> = @;").replace("<AC02> = " + s + ";", "<AC02> = " + a + ";");
    keymap.replace("<AC01> = @;", "<AC01> = " + s + ";");
    QFile out(swapped);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly) && out.write(keymap) == keymap.size());
    out.close();
    ASSERT_EQ(QProcess::execute(xkbcomp, {"-w0", swapped, display}), 0);
    // The grab moved once another client can no longer take the key that
    // now types A.
    Display* other = XOpenDisplay(display.toLocal8Bit().constData());
    ASSERT_NE(other, nullptr);
    x11::trapErrors(other);
    const Window root = DefaultRootWindow(other);
    const int newA = s.toInt();
    const bool moved = zelk::test::waitUntil([&] {
        XGrabKey(other, newA, ControlMask, root, False, GrabModeAsync, GrabModeAsync);
        XSync(other, False);
        const bool refused = x11::takeError(other) == BadAccess;
        XUngrabKey(other, newA, ControlMask, root);
        XSync(other, False);
        x11::takeError(other);
        return refused;
    });
    x11::stopTrapping(other);
    XCloseDisplay(other);

    QList<Call> got;
    if (moved) {
        press(kCommand | kA);
        got = takeCalls(2);
    }
    QProcess::execute(xkbcomp, {"-w0", original, display});
    ASSERT_TRUE(moved) << "the grab never moved to the key's new keycode";
    EXPECT_EQ(got, QList<Call>({{kCommand | kA, true}, {kCommand | kA, false}})) << "the grab stayed on the old keycode";
}

TEST_F(LinuxHotKeysTest, TheDesktopsConfiguredBindingsBecomeStoredCombinations)
{
    zelk::test::TempHome home;
    zelk::test::ScopedEnv desktop("XDG_CURRENT_DESKTOP", "openbox");
    QDir().mkpath(home.configHome() + "/openbox");
    QFile rc(home.configHome() + "/openbox/rc.xml");
    ASSERT_TRUE(rc.open(QIODevice::WriteOnly));
    rc.write(R"(<openbox_config><keyboard>
<keybind key="C-A-Left"/><keybind key="W-t"/><keybind key="S-NoSuchKeysym"/>
</keyboard></openbox_config>)");
    rc.close();
    // Left is stored as 123; T as 17 (on the US keymap of the test server).
    EXPECT_EQ(hotKeys().desktopHotKeys(), (QList<quint32>{kCommand | kOption | 123, kControl | kT}));
}

TEST(LinuxHotKeysWithoutDisplay, RegistrationIsUnavailable)
{
    const QByteArray saved = qgetenv("DISPLAY");
    qunsetenv("DISPLAY");
    {
        auto platform = makeLinuxPlatform();
        quint64 ref = 5;
        EXPECT_EQ(platform->hotKeys().registerHotKey(kCtrlAltT, &ref), HotKeyService::ErrorUnavailable);
        EXPECT_EQ(ref, 0u);
        platform->hotKeys().unregisterHotKey(1);
    }
    if (!saved.isEmpty())
        qputenv("DISPLAY", saved);
}

} // namespace
