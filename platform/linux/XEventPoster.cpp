#include "XEventPoster.h"

#include "Log.h"
#include "X11Support.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace zelk {

namespace {

constexpr uint16_t kCapsLock = 57;
// A stored scroll amount is a count of wheel clicks; a wild one must not
// keep the poster (and its lock) busy for ever.
constexpr int64_t kMaxScrollClicks = 1000;

// The stored codes of the modifier keys (left and right) and fn: the
// server does not repeat them.
bool isModifierKeyCode(uint16_t keyCode) { return keyCode >= 55 && keyCode <= 63; }

bool isDown(const char* keys, unsigned keycode)
{
    return (keys[keycode / 8] >> (keycode % 8)) & 1;
}

// Lock keys toggle on press: pressing one back would flip the user's lock.
bool isLockKey(Display* display, KeyCode keycode)
{
    switch (XkbKeycodeToKeysym(display, keycode, 0, 0)) {
    case XK_Caps_Lock:
    case XK_Shift_Lock:
    case XK_Num_Lock:
    case XK_Scroll_Lock:
    case XK_ISO_Lock:
    case XK_ISO_Level3_Lock:
    case XK_ISO_Level5_Lock:
    case XK_ISO_Group_Lock:
        return true;
    default:
        return false;
    }
}

// Screen coordinates of X are 16-bit; NaN and far-away points must not
// become undefined conversions.
int coordinate(double v)
{
    if (std::isnan(v))
        return 0;
    return int(std::clamp(std::round(v), -32768.0, 32767.0));
}

} // namespace

XEventPoster::XEventPoster() = default;

XEventPoster::~XEventPoster()
{
    // Keys left down would stay down (and repeat) after we are gone.
    releaseOwnKeys();
    if (m_display) {
        x11::stopTrapping(m_display);
        XCloseDisplay(m_display);
    }
}

int XEventPoster::open()
{
    if (m_display)
        return 0;
    if (m_openError)
        return m_openError;
    x11::initThreads();

    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        zlog("XEventPoster", "open") << QString("cannot open the X display \"%1\"; synthetic input is off")
                                            .arg(qEnvironmentVariable("DISPLAY"));
        return m_openError = NoDisplay;
    }
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(display, &event, &error, &major, &minor)) {
        zlog("XEventPoster", "open") << "the X server has no XTest extension; synthetic input is off";
        XCloseDisplay(display);
        return m_openError = NoXTest;
    }
    int opcode = 0;
    major = XkbMajorVersion;
    minor = XkbMinorVersion;
    if (!XkbQueryExtension(display, &opcode, &m_xkbEventBase, &error, &major, &minor)) {
        zlog("XEventPoster", "open") << "the X server has no XKB extension; synthetic input is off";
        XCloseDisplay(display);
        return m_openError = NoXkb;
    }
    // Keymap changes arrive as events on this connection; refreshKeymap()
    // reads them before each use of the table.
    const unsigned int changes = XkbNewKeyboardNotifyMask | XkbMapNotifyMask | XkbNamesNotifyMask;
    XkbSelectEvents(display, XkbUseCoreKbd, changes, changes);
    x11::trapErrors(display);
    x11::quitWhenLost(display);
    m_display = display;
    m_keymapDirty = true;
    return 0;
}

void XEventPoster::refreshKeymap()
{
    while (XPending(m_display) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);
        if (event.type == MappingNotify || event.type == m_xkbEventBase) {
            if (event.type == MappingNotify)
                XRefreshKeyboardMapping(&event.xmapping);
            m_keymapDirty = true;
            m_modifierKeys.clear();
        }
    }
    if (m_keymapDirty)
        m_keymapDirty = !m_keys.load(m_display);
}

int XEventPoster::sync()
{
    XSync(m_display, False);
    return x11::takeError(m_display);
}

int XEventPoster::postKey(uint16_t keyCode, bool down)
{
    std::lock_guard lock(m_mutex);
    if (const int error = open())
        return error;
    if (keyCode == kCapsLock) {
        // A synthetic Caps Lock press flips the user's caps lock on X, and
        // nothing ever flips it back.
        qCDebug(zelkTrace).noquote() << "XEventPoster postKey: Caps Lock not posted";
        return 0;
    }
    refreshKeymap();
    const uint8_t keycode = m_keys.keycodeForPosting(keyCode);
    if (!keycode)
        return UnmappedKey;
    if (down && !m_ownHeld.contains(keycode) && !isModifierKeyCode(keyCode))
        holdWithoutRepeat(keycode);
    XTestFakeKeyEvent(m_display, keycode, down, CurrentTime);
    if (!down)
        letGo(keycode);
    // The server has it all once the sync is back: another client reading
    // the keyboard then sees the repeat as we left it.
    const int error = sync();
    if (down && !error && !m_ownHeld.contains(keycode))
        m_ownHeld << keycode;
    return error;
}

void XEventPoster::holdWithoutRepeat(uint8_t keycode)
{
    // The server repeats a key held through XTest like a held physical
    // key: its per-key repeat is off while we hold it.
    XKeyboardState state;
    XGetKeyboardControl(m_display, &state);
    if (!((state.auto_repeats[keycode / 8] >> (keycode % 8)) & 1))
        return; // the user has it off already: left as it is
    setKeyRepeat(keycode, false);
    m_repeatLent << keycode;
}

void XEventPoster::setKeyRepeat(uint8_t keycode, bool on)
{
    XKeyboardControl control;
    control.key = keycode;
    control.auto_repeat_mode = on ? AutoRepeatModeOn : AutoRepeatModeOff;
    XChangeKeyboardControl(m_display, KBKey | KBAutoRepeatMode, &control);
}

void XEventPoster::letGo(uint8_t keycode)
{
    m_ownHeld.removeAll(keycode);
    if (m_repeatLent.removeAll(keycode) > 0)
        setKeyRepeat(keycode, true);
}

void XEventPoster::releaseOwnKeys()
{
    std::lock_guard lock(m_mutex);
    if (!m_display)
        return;
    const QList<uint8_t> held = m_ownHeld;
    for (uint8_t keycode : held) {
        XTestFakeKeyEvent(m_display, keycode, False, CurrentTime);
        letGo(keycode);
    }
    sync();
}

bool XEventPoster::keyRepeats(uint8_t keycode)
{
    std::lock_guard lock(m_mutex);
    if (open())
        return false;
    XKeyboardState state;
    XGetKeyboardControl(m_display, &state);
    return (state.auto_repeats[keycode / 8] >> (keycode % 8)) & 1;
}

int XEventPoster::postMouseButton(Button button, const QPointF& at, bool down)
{
    std::lock_guard lock(m_mutex);
    if (const int error = open())
        return error;
    // XTest clicks where the pointer is: take it there first.
    XTestFakeMotionEvent(m_display, -1, coordinate(at.x()), coordinate(at.y()), CurrentTime);
    XTestFakeButtonEvent(m_display, button == Button::Primary ? 1 : 3, down, CurrentTime);
    return sync();
}

int XEventPoster::postMouseMove(const QPointF& to, bool /*dragging*/)
{
    // A drag is a motion while the caller holds the primary button down.
    std::lock_guard lock(m_mutex);
    if (const int error = open())
        return error;
    XTestFakeMotionEvent(m_display, -1, coordinate(to.x()), coordinate(to.y()), CurrentTime);
    return sync();
}

void XEventPoster::clickButton(int32_t amount, unsigned int positive, unsigned int negative)
{
    const unsigned int button = amount > 0 ? positive : negative;
    const int64_t clicks = std::min<int64_t>(std::abs(int64_t(amount)), kMaxScrollClicks);
    if (clicks < std::abs(int64_t(amount)))
        zlog("XEventPoster", "postScroll") << "amount" << amount << "cut to" << clicks << "clicks";
    for (int64_t i = 0; i < clicks; ++i) {
        XTestFakeButtonEvent(m_display, button, True, CurrentTime);
        XTestFakeButtonEvent(m_display, button, False, CurrentTime);
    }
}

int XEventPoster::postScroll(int wheelCount, int32_t vertical, int32_t horizontal)
{
    if (wheelCount != 1 && wheelCount != 2)
        return BadArgument;
    std::lock_guard lock(m_mutex);
    if (const int error = open())
        return error;
    // Wheel up is button 4, down 5; left 6, right 7.
    clickButton(vertical, 4, 5);
    if (wheelCount == 2)
        clickButton(horizontal, 6, 7);
    return sync();
}

EventPoster::KeyMap XEventPoster::heldKeys()
{
    std::lock_guard lock(m_mutex);
    KeyMap map{};
    if (open())
        return map;
    refreshKeymap();
    char keys[32];
    XQueryKeymap(m_display, keys);
    for (unsigned kc = 0; kc < 256; ++kc) {
        if (!isDown(keys, kc))
            continue;
        // (A key lent to a character may stand for a code beyond the map.)
        const int mac = m_keys.macKeyCode(uint8_t(kc));
        if (mac >= 0 && size_t(mac) < map.size() * 8)
            map[mac / 8] |= uint8_t(1u << (mac % 8));
    }
    return map;
}

ObserverHandle XEventPoster::observeKeys(std::function<void(uint16_t, bool)> observer)
{
    return m_keyWatch.observe(std::move(observer));
}

std::optional<QPointF> XEventPoster::pointerLocation()
{
    std::lock_guard lock(m_mutex);
    if (open())
        return std::nullopt;
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, winX = 0, winY = 0;
    unsigned int mask = 0;
    // False only when the pointer is on another screen's root: its place
    // there still is where it is.
    XQueryPointer(m_display, DefaultRootWindow(m_display), &root, &child, &rootX, &rootY, &winX, &winY, &mask);
    return QPointF(rootX, rootY);
}

void XEventPoster::beginExclusive()
{
    std::lock_guard lock(m_mutex);
    if (open())
        return;
    refreshKeymap();
    // Read again only after a mapping change: this runs before every typed character.
    if (m_modifierKeys.empty()) {
        XModifierKeymap* modifiers = XGetModifierMapping(m_display);
        if (!modifiers)
            return;
        m_keysPerModifier = modifiers->max_keypermod;
        m_modifierKeys.assign(modifiers->modifiermap, modifiers->modifiermap + 8 * modifiers->max_keypermod);
        XFreeModifiermap(modifiers);
        if (m_modifierKeys.empty())
            return;
    }
    char keys[32];
    XQueryKeymap(m_display, keys);
    bool released = false;
    for (int mod = 0; mod < 8; ++mod) {
        // Caps Lock stays as the user set it.
        if (mod == LockMapIndex)
            continue;
        for (int i = 0; i < m_keysPerModifier; ++i) {
            const KeyCode kc = m_modifierKeys[size_t(mod * m_keysPerModifier + i)];
            if (!kc || !isDown(keys, kc) || isLockKey(m_display, kc) || m_releasedModifiers.contains(kc)
                || m_ownHeld.contains(kc))
                continue;
            XTestFakeKeyEvent(m_display, kc, False, CurrentTime);
            m_releasedModifiers << kc;
            released = true;
        }
    }
    if (!released)
        return;
    if (const int error = sync())
        zlog("XEventPoster", "beginExclusive") << "releasing held modifiers failed: X error" << error;
}

void XEventPoster::endExclusive()
{
    std::lock_guard lock(m_mutex);
    if (!m_display || m_releasedModifiers.isEmpty())
        return;
    // Press back only what the user still holds on a real keyboard: the core
    // state also counts our own synthetic keys, and a modifier pressed back
    // after the user let go would stay stuck.
    const auto physical = physicallyHeldKeys();
    if (!physical) {
        zlog("XEventPoster", "endExclusive") << "cannot read the keyboards; held modifiers are not pressed back";
    } else {
        for (uint8_t kc : std::as_const(m_releasedModifiers)) {
            if (isDown(reinterpret_cast<const char*>(physical->data()), kc))
                XTestFakeKeyEvent(m_display, kc, True, CurrentTime);
        }
    }
    m_releasedModifiers.clear();
    if (const int error = sync())
        zlog("XEventPoster", "endExclusive") << "pressing back held modifiers failed: X error" << error;
}

std::optional<std::array<uint8_t, 32>> XEventPoster::physicallyHeldKeys()
{
    int opcode = 0, event = 0, error = 0;
    if (!XQueryExtension(m_display, "XInputExtension", &opcode, &event, &error))
        return std::nullopt;
    x11::takeError(m_display);
    int count = 0;
    XDeviceInfo* devices = XListInputDevices(m_display, &count);
    if (!devices)
        return std::nullopt;
    std::array<uint8_t, 32> held{};
    bool failed = false;
    for (int i = 0; i < count && !failed; ++i) {
        const XDeviceInfo& info = devices[i];
        // Our own posts come from the XTest devices: they are not the user.
        if (info.use != IsXExtensionKeyboard || (info.name && strstr(info.name, "XTEST")))
            continue;
        XDevice* device = XOpenDevice(m_display, info.id);
        if (!device) {
            failed = true;
            break;
        }
        XDeviceState* state = XQueryDeviceState(m_display, device);
        if (!state) {
            failed = true;
        } else {
            auto* cls = state->data;
            for (int c = 0; c < state->num_classes; ++c) {
                if (cls->c_class == KeyClass) {
                    const auto* keys = reinterpret_cast<const XKeyState*>(cls);
                    for (size_t b = 0; b < held.size(); ++b)
                        held[b] |= uint8_t(keys->keys[b]);
                }
                cls = reinterpret_cast<XInputClass*>(reinterpret_cast<char*>(cls) + cls->length);
            }
            XFreeDeviceState(state);
        }
        XCloseDevice(m_display, device);
    }
    XFreeDeviceList(devices);
    if (sync() != 0 || failed)
        return std::nullopt;
    return held;
}

} // namespace zelk
