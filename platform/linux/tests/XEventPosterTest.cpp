// Synthetic input on a private X server, checked by a client window of the
// test's own: what arrives is what a real application would see.
#include "LinuxPlatform.h"
#include "X11TestSupport.h"
#include "TestSupport.h"
#include "XEventPoster.h"

#include <QFile>
#include <QPointF>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

#include <X11/X.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

using namespace zelk;
using zelk::test::XClientWindow;
using Event = XClientWindow::Event;

namespace {

constexpr unsigned kModifierMasks = ShiftMask | LockMask | ControlMask | Mod1Mask | Mod4Mask;

bool isHeld(const EventPoster::KeyMap& map, uint16_t key)
{
    return (map[key / 8] >> (key % 8)) & 1;
}

bool noneHeld(const EventPoster::KeyMap& map)
{
    for (uint8_t b : map) {
        if (b)
            return false;
    }
    return true;
}

class XEventPosterTest : public zelk::test::XClientTest {
protected:
    EventPoster& events() { return platform->events(); }

    // A key pressed or released by another program (the user, xdotool).
    void othersKey(unsigned long keysym, bool down)
    {
        XTestFakeKeyEvent(client->display(), client->keycodeOf(keysym), down, CurrentTime);
        XSync(client->display(), False);
    }

    // Posts a stored key down and up.
    void tap(uint16_t key)
    {
        ASSERT_EQ(events().postKey(key, true), 0) << "key " << key;
        ASSERT_EQ(events().postKey(key, false), 0) << "key " << key;
    }
};

TEST_F(XEventPosterTest, StoredModifiersArriveAsTheirLinuxModifiers)
{
    struct Case { uint16_t key; unsigned mask; const char* what; };
    const Case cases[] = {
        {55, ControlMask, "command"},       {54, ControlMask, "right command"},
        {56, ShiftMask, "shift"},           {60, ShiftMask, "right shift"},
        {58, Mod1Mask, "option"},           {61, Mod1Mask, "right option"},
        {59, Mod4Mask, "control"},          {62, Mod4Mask, "right control"},
    };
    const unsigned a = client->keycodeOf(XK_a);
    for (const Case& c : cases) {
        ASSERT_EQ(events().postKey(c.key, true), 0) << c.what;
        tap(0);
        ASSERT_EQ(events().postKey(c.key, false), 0) << c.what;
        const QList<Event> got = client->takeEvents();
        ASSERT_EQ(got.size(), 4) << c.what;
        EXPECT_EQ(got[1].kind, Event::KeyDown) << c.what;
        EXPECT_EQ(got[1].code, a) << c.what;
        EXPECT_EQ(got[1].state & kModifierMasks, c.mask) << c.what << ": the letter came with the wrong modifiers";
        EXPECT_EQ(client->modifierState() & kModifierMasks, 0u) << c.what << " stayed held";
    }
}

TEST_F(XEventPosterTest, KeyWordArrivesInPressAndReleaseOrder)
{
    // Command-shift-A as the key actions post it: modifiers in, key, key
    // out, modifiers out in reverse.
    for (auto [key, down] : {std::pair{55, true}, {56, true}, {0, true}, {0, false}, {56, false}, {55, false}})
        ASSERT_EQ(events().postKey(uint16_t(key), down), 0);
    const unsigned ctrl = client->keycodeOf(XK_Control_L), shift = client->keycodeOf(XK_Shift_L),
                   a = client->keycodeOf(XK_a);
    const QList<Event> got = client->takeEvents();
    ASSERT_EQ(got.size(), 6);
    const struct { Event::Kind kind; unsigned code; unsigned state; } expected[] = {
        {Event::KeyDown, ctrl, 0},
        {Event::KeyDown, shift, ControlMask},
        {Event::KeyDown, a, ControlMask | ShiftMask},
        {Event::KeyUp, a, ControlMask | ShiftMask},
        {Event::KeyUp, shift, ControlMask | ShiftMask},
        {Event::KeyUp, ctrl, ControlMask},
    };
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(got[i].kind, expected[i].kind) << "event " << i;
        EXPECT_EQ(got[i].code, expected[i].code) << "event " << i;
        EXPECT_EQ(got[i].state & kModifierMasks, expected[i].state) << "event " << i;
    }
}

TEST_F(XEventPosterTest, CapsLockIsNeverPostedSoTheUsersLockStays)
{
    EXPECT_EQ(events().postKey(57, true), 0);
    EXPECT_EQ(events().postKey(57, false), 0);
    EXPECT_TRUE(client->takeEvents().isEmpty()) << "a Caps Lock event reached the client";
    EXPECT_EQ(client->lockedModifiers() & LockMask, 0u) << "caps lock was toggled on";

    client->setCapsLock(true);
    EXPECT_EQ(events().postKey(57, true), 0);
    EXPECT_EQ(events().postKey(57, false), 0);
    EXPECT_NE(client->lockedModifiers() & LockMask, 0u) << "caps lock was toggled off";
}

TEST_F(XEventPosterTest, HeldKeysReportPostedKeysByStoredCode)
{
    EXPECT_TRUE(noneHeld(events().heldKeys()));
    ASSERT_EQ(events().postKey(0, true), 0);
    ASSERT_EQ(events().postKey(55, true), 0);
    ASSERT_EQ(events().postKey(122, true), 0);
    const auto held = events().heldKeys();
    EXPECT_TRUE(isHeld(held, 0));
    EXPECT_TRUE(isHeld(held, 55));
    EXPECT_TRUE(isHeld(held, 122));
    EXPECT_EQ(held[0], 0x01);  // A alone in the first byte
    EXPECT_EQ(held[6], 0x80);  // command: key 55 is byte 6, bit 7
    for (uint16_t key : {122, 55, 0})
        ASSERT_EQ(events().postKey(key, false), 0);
    EXPECT_TRUE(noneHeld(events().heldKeys()));
}

// Whether the server repeats the key, as any client reads it.
bool repeats(Display* display, unsigned keycode)
{
    XKeyboardState state;
    XGetKeyboardControl(display, &state);
    return (state.auto_repeats[keycode / 8] >> (keycode % 8)) & 1;
}

TEST_F(XEventPosterTest, HeldKeyDoesNotRepeatAndGetsItsRepeatBack)
{
    const unsigned a = client->keycodeOf(XK_a);
    ASSERT_TRUE(repeats(client->display(), a)) << "the server's default repeats letters";

    // Held longer than the server's repeat delay: one press, no repeats.
    ASSERT_EQ(events().postKey(0, true), 0);
    EXPECT_FALSE(repeats(client->display(), a));
    QList<Event> got;
    EXPECT_FALSE(zelk::test::waitUntil([&] {
        got += client->takeEvents();
        return got.size() > 1;
    }, 1200)) << "the held key repeated";
    ASSERT_EQ(events().postKey(0, false), 0);
    EXPECT_TRUE(repeats(client->display(), a)) << "the release gives the repeat back";

    // A stop lets go of what we hold, repeat back; a modifier is left alone.
    ASSERT_EQ(events().postKey(55, true), 0);
    ASSERT_EQ(events().postKey(0, true), 0);
    events().releaseOwnKeys();
    EXPECT_TRUE(noneHeld(events().heldKeys()));
    EXPECT_TRUE(repeats(client->display(), a));

    // A key the user has set not to repeat stays so.
    XKeyboardControl off;
    off.key = int(a);
    off.auto_repeat_mode = AutoRepeatModeOff;
    XChangeKeyboardControl(client->display(), KBKey | KBAutoRepeatMode, &off);
    tap(0);
    EXPECT_FALSE(repeats(client->display(), a));
    off.auto_repeat_mode = AutoRepeatModeOn;
    XChangeKeyboardControl(client->display(), KBKey | KBAutoRepeatMode, &off);
    XSync(client->display(), False);

    // The quit: a poster that goes lets go of its keys, repeat back.
    {
        XEventPoster own;
        ASSERT_EQ(own.postKey(0, true), 0);
        EXPECT_FALSE(repeats(client->display(), a));
    }
    EXPECT_TRUE(repeats(client->display(), a));
    EXPECT_TRUE(noneHeld(events().heldKeys()));
}

TEST_F(XEventPosterTest, KeyWithoutAnXKeyIsRefused)
{
    EXPECT_EQ(events().postKey(63, true), XEventPoster::UnmappedKey);  // fn
    EXPECT_EQ(events().postKey(127, true), XEventPoster::UnmappedKey);
    EXPECT_EQ(events().postKey(4000, true), XEventPoster::UnmappedKey);
    EXPECT_TRUE(client->takeEvents().isEmpty());
}

TEST_F(XEventPosterTest, ExclusiveBracketKeepsHeldModifiersOutOfTypedText)
{
    // The hot key's Control still down when the action starts typing.
    othersKey(XK_Control_L, true);
    events().beginExclusive();
    tap(0);
    events().endExclusive();
    QList<Event> got = client->takeEvents();
    const unsigned a = client->keycodeOf(XK_a);
    ASSERT_EQ(got.size(), 4);  // control down, control up (begin), a down, a up
    EXPECT_EQ(got[1].kind, Event::KeyUp);
    EXPECT_EQ(got[2].code, a);
    EXPECT_EQ(got[2].state & ControlMask, 0u) << "typed text combined with the held Control";

    // End presses back only what a physical keyboard still holds. This
    // Control was held through XTest, which the physical keyboards' own
    // state does not show: to the backend the user has let go, and a
    // Control pressed back now would stay stuck.
    EXPECT_FALSE(isHeld(events().heldKeys(), 55));
    EXPECT_EQ(client->modifierState() & ControlMask, 0u);
    tap(0);
    got = client->takeEvents();
    ASSERT_EQ(got.size(), 2);
    EXPECT_EQ(got[0].state & ControlMask, 0u);
}

TEST_F(XEventPosterTest, ExclusiveBracketLeavesTheModifiersWePressedOurselves)
{
    // A "press and hold" key action holds Shift; the next action's bracket
    // must not take it away, nor press it again at its end.
    ASSERT_EQ(events().postKey(56, true), 0);
    othersKey(XK_Control_L, true);
    client->takeEvents();
    events().beginExclusive();
    tap(0);
    events().endExclusive();
    const QList<Event> got = client->takeEvents();
    ASSERT_EQ(got.size(), 3); // control up (begin), a down, a up
    EXPECT_EQ(got[0].code, client->keycodeOf(XK_Control_L));
    EXPECT_EQ(got[1].state & kModifierMasks, unsigned(ShiftMask)) << "our held Shift was released by the bracket";
    EXPECT_TRUE(isHeld(events().heldKeys(), 56));

    // Once we let go of it, a later bracket treats a held Shift as the user's.
    ASSERT_EQ(events().postKey(56, false), 0);
    othersKey(XK_Shift_L, true);
    client->takeEvents();
    events().beginExclusive();
    tap(0);
    events().endExclusive();
    const QList<Event> after = client->takeEvents();
    ASSERT_EQ(after.size(), 3);
    EXPECT_EQ(after[1].state & ShiftMask, 0u);
}

TEST_F(XEventPosterTest, ExclusiveBracketLeavesCapsLockAndUnheldKeysAlone)
{
    client->setCapsLock(true);
    events().beginExclusive();
    tap(0);
    events().endExclusive();
    const QList<Event> got = client->takeEvents();
    ASSERT_EQ(got.size(), 2) << "the bracket posted events of its own";
    EXPECT_EQ(got[0].state & kModifierMasks, unsigned(LockMask));
    EXPECT_NE(client->lockedModifiers() & LockMask, 0u);
}

TEST_F(XEventPosterTest, MouseButtonsMovesAndWheels)
{
    EXPECT_EQ(events().postMouseButton(EventPoster::Button::Primary, {10, 20}, true), 0);
    EXPECT_EQ(events().postMouseButton(EventPoster::Button::Primary, {10, 20}, false), 0);
    EXPECT_EQ(events().postMouseButton(EventPoster::Button::Secondary, {30.4, 40.6}, true), 0);
    EXPECT_EQ(events().postMouseButton(EventPoster::Button::Secondary, {30, 41}, false), 0);
    EXPECT_EQ(events().postScroll(1, -3, 99), 0);  // one wheel: the horizontal amount is not posted
    EXPECT_EQ(events().postScroll(2, 2, -1), 0);
    EXPECT_EQ(events().postScroll(2, 0, 1), 0);

    const QList<Event> got = client->takeEvents();
    QList<unsigned> presses;
    for (const Event& e : got) {
        if (e.kind == Event::ButtonDown)
            presses << e.code;
    }
    EXPECT_EQ(presses, QList<unsigned>({1, 3, 5, 5, 5, 4, 4, 7, 6}));
    ASSERT_GE(got.size(), 4);
    EXPECT_EQ(QPointF(got[0].rootX, got[0].rootY), QPointF(10, 20));
    EXPECT_EQ(QPointF(got[2].rootX, got[2].rootY), QPointF(30, 41)) << "the click must go where it was asked";
    EXPECT_EQ(got.size(), 2 * presses.size()) << "every press must come with its release";

    EXPECT_EQ(events().postMouseMove({123, 234}, false), 0);
    int x = 0, y = 0;
    client->pointer(&x, &y);
    EXPECT_EQ(QPointF(x, y), QPointF(123, 234));
    EXPECT_EQ(events().postScroll(3, 1, 1), XEventPoster::BadArgument);
}

TEST_F(XEventPosterTest, KeymapChangesAreFollowed)
{
    const QString xkbcomp = QStandardPaths::findExecutable("xkbcomp");
    if (xkbcomp.isEmpty())
        ZELK_SKIP_UNLESS_CI("xkbcomp is not installed");
    const QString display = qEnvironmentVariable("DISPLAY");
    QTemporaryDir dir;
    const QString original = dir.filePath("original.xkb"), swapped = dir.filePath("swapped.xkb");
    ASSERT_EQ(QProcess::execute(xkbcomp, {"-w0", display, original}), 0);
    QFile in(original);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    QByteArray keymap = in.readAll();
    const unsigned a = client->keycodeOf(XK_a), s = client->keycodeOf(XK_s);
    const QByteArray aLine = "<AC01> = " + QByteArray::number(a) + ";", sLine = "<AC02> = " + QByteArray::number(s) + ";";
    ASSERT_TRUE(keymap.contains(aLine) && keymap.contains(sLine));
    keymap.replace(aLine, "<AC01> = @;").replace(sLine, "<AC02> = " + QByteArray::number(a) + ";");
    keymap.replace("<AC01> = @;", "<AC01> = " + QByteArray::number(s) + ";");
    QFile out(swapped);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly) && out.write(keymap) == keymap.size());
    out.close();

    tap(0);  // the table is read with the first keymap
    // The key named AC01 now has the other keycode; the stored A must follow it.
    ASSERT_EQ(QProcess::execute(xkbcomp, {"-w0", swapped, display}), 0);
    tap(0);
    QProcess::execute(xkbcomp, {"-w0", original, display});
    const QList<Event> got = client->takeEvents();
    QList<unsigned> pressed;
    for (const Event& e : got) {
        if (e.kind == Event::KeyDown)
            pressed << e.code;
    }
    EXPECT_EQ(pressed, QList<unsigned>({a, s})) << "the poster kept the old keymap";
}

TEST(XEventPosterWithoutDisplay, PostsAnswerAnErrorAndNeverCrash)
{
    const QByteArray saved = qgetenv("DISPLAY");
    qunsetenv("DISPLAY");
    {
        auto platform = makeLinuxPlatform();
        EventPoster& events = platform->events();
        EXPECT_EQ(events.postKey(0, true), XEventPoster::NoDisplay);
        EXPECT_EQ(events.postKey(0, false), XEventPoster::NoDisplay);
        EXPECT_EQ(events.postMouseButton(EventPoster::Button::Primary, {1, 2}, true), XEventPoster::NoDisplay);
        EXPECT_EQ(events.postMouseMove({1, 2}, true), XEventPoster::NoDisplay);
        EXPECT_EQ(events.postScroll(1, 1, 0), XEventPoster::NoDisplay);
        EXPECT_TRUE(noneHeld(events.heldKeys()));
        events.beginExclusive();
        events.endExclusive();
        EXPECT_EQ(platform->name(), "linux");
    }
    if (!saved.isEmpty())
        qputenv("DISPLAY", saved);
}

} // namespace
