#include "LinuxHotKeys.h"

#include "DesktopKeyBindings.h"

#include "Log.h"
#include "MacKeyTable.h"
#include "XSession.h"

#include <QList>
#include <QMap>
#include <mutex>
#include <optional>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace zelk {

namespace {

constexpr quint32 kCapsLock = 0x10000;
constexpr quint32 kShift = 0x20000;
constexpr quint32 kControl = 0x40000;
constexpr quint32 kOption = 0x80000;
constexpr quint32 kCommand = 0x100000;
// Codes that agree on the key and these modifiers name one combination.
constexpr unsigned kRelevantMods = ShiftMask | LockMask | ControlMask | Mod1Mask | Mod4Mask;

unsigned modifiersOf(quint32 code)
{
    unsigned mods = 0;
    if (code & kCommand)
        mods |= ControlMask;
    if (code & kShift)
        mods |= ShiftMask;
    if (code & kOption)
        mods |= Mod1Mask;
    if (code & kControl)
        mods |= Mod4Mask;
    if (code & kCapsLock)
        mods |= LockMask;
    return mods;
}

struct Registration {
    quint32 code = 0;
    unsigned keycode = 0; // grabbed with these, 0 when not grabbed
    unsigned mods = 0;
};

} // namespace

struct LinuxHotKeys::Private {
    std::shared_ptr<XSession> session;
    int listener = 0;

    std::mutex handlerMutex;
    Handler handler;

    // With the session's lock:
    bool ready = false;
    KeyTable keys;
    unsigned numLock = 0;
    QMap<quint64, Registration> registrations;
    quint64 nextRef = 1;

    QMap<unsigned, quint32> down; // keys whose press went out, by keycode

    bool prepare(Display* display);
    QList<unsigned> lockVariants(unsigned mods) const { return variants(mods, numLock); }
    static QList<unsigned> variants(unsigned mods, unsigned numLockMask);
    int grab(Display* display, Registration& r);
    void ungrab(Display* display, const Registration& r) { ungrab(display, r, numLock); }
    void ungrab(Display* display, const Registration& r, unsigned numLockMask);
    void regrabOthers(Display* display, unsigned keycode);
    void keymapChanged();
    void received(const XEvent& event);
    void deliver(quint32 code, bool pressed);
};

LinuxHotKeys::LinuxHotKeys(std::shared_ptr<XSession> session) : d(std::make_unique<Private>())
{
    d->session = std::move(session);
    d->listener = d->session->addListener([p = d.get()](const XEvent& event) { p->received(event); });
}

LinuxHotKeys::~LinuxHotKeys()
{
    d->session->removeListener(d->listener);
    XSession::Lock lock(*d->session, false);
    if (Display* display = lock.display()) {
        for (const Registration& r : std::as_const(d->registrations))
            d->ungrab(display, r);
        d->session->sync();
    }
}

bool LinuxHotKeys::Private::prepare(Display* display)
{
    if (ready)
        return true;
    if (session->xkbEventBase() < 0 || !keys.load(display))
        return false;
    Bool supported = False;
    if (!XkbSetDetectableAutoRepeat(display, True, &supported) || !supported)
        zlog("LinuxHotKeys", "registerHotKey") << "the X server cannot report auto-repeat; a held hot key repeats";
    numLock = XkbKeysymToModifiers(display, XK_Num_Lock);
    ready = true;
    return true;
}

QList<unsigned> LinuxHotKeys::Private::variants(unsigned mods, unsigned numLockMask)
{
    QList<unsigned> all{mods};
    if (numLockMask && !(mods & numLockMask))
        all << (mods | numLockMask);
    if (!(mods & LockMask)) {
        for (unsigned v : QList<unsigned>(all))
            all << (v | LockMask);
    }
    return all;
}

int LinuxHotKeys::Private::grab(Display* display, Registration& r)
{
    session->clearErrors();
    for (unsigned mods : lockVariants(r.mods))
        XGrabKey(display, int(r.keycode), mods, session->root(), False, GrabModeAsync, GrabModeAsync);
    const int error = session->sync();
    if (error) {
        // Some variants may have been ours: let go of them all.
        ungrab(display, r);
        session->sync();
        regrabOthers(display, r.keycode);
    }
    return error;
}

void LinuxHotKeys::Private::ungrab(Display* display, const Registration& r, unsigned numLockMask)
{
    if (!r.keycode)
        return;
    for (unsigned mods : variants(r.mods, numLockMask))
        XUngrabKey(display, int(r.keycode), mods, session->root());
}

// A combination with Caps Lock and one without share a grab: after letting
// go of one, the other grabs again.
void LinuxHotKeys::Private::regrabOthers(Display* display, unsigned keycode)
{
    for (Registration& r : registrations) {
        if (r.keycode == keycode) {
            for (unsigned mods : lockVariants(r.mods))
                XGrabKey(display, int(r.keycode), mods, session->root(), False, GrabModeAsync, GrabModeAsync);
        }
    }
    session->sync();
}

int LinuxHotKeys::registerHotKey(quint32 code, quint64* ref)
{
    if (ref)
        *ref = 0;
    if (!XSession::isMainThread())
        zlog("LinuxHotKeys", "registerHotKey") << "called off the main thread for" << Qt::hex << code;
    XSession::Lock lock(*d->session);
    Display* display = lock.display();
    if (!display || !d->prepare(display))
        return ErrorUnavailable;
    for (const Registration& r : std::as_const(d->registrations)) {
        if (HotKeyService::sameCombination(r.code, code))
            return ErrorAlreadyRegistered;
    }
    Registration r{code, d->keys.keycode(quint16(code & 0xFFFF)), modifiersOf(code)};
    if (!r.keycode)
        return ErrorNoSuchKey;
    if (const int error = d->grab(display, r)) {
        zlog("LinuxHotKeys", "registerHotKey") << "cannot grab" << Qt::hex << code << Qt::dec << "X error" << error
                                                << (error == BadAccess ? "(another program holds it)" : "");
        return error == BadAccess ? ErrorGrabbedElsewhere : ErrorUnavailable;
    }
    const quint64 id = d->nextRef++;
    d->registrations.insert(id, r);
    if (ref)
        *ref = id;
    return 0;
}

QList<quint32> LinuxHotKeys::desktopHotKeys()
{
    const QList<keybindings::KeyBinding> bindings = keybindings::readSessionBindings();
    XSession::Lock lock(*d->session);
    Display* display = lock.display();
    if (!display || !d->prepare(display))
        return {};
    QList<quint32> codes;
    for (const keybindings::KeyBinding& binding : bindings) {
        const KeySym keysym = XStringToKeysym(binding.keysym.toLatin1().constData());
        const KeyCode keycode = keysym == NoSymbol ? 0 : XKeysymToKeycode(display, keysym);
        const int stored = keycode ? d->keys.macKeyCode(keycode) : -1;
        if (stored >= 0)
            codes.append(quint32(stored) | binding.modifiers);
    }
    return codes;
}

void LinuxHotKeys::unregisterHotKey(quint64 ref)
{
    if (!XSession::isMainThread())
        zlog("LinuxHotKeys", "unregisterHotKey") << "called off the main thread";
    XSession::Lock lock(*d->session);
    auto it = d->registrations.find(ref);
    if (it == d->registrations.end())
        return;
    Registration r = *it;
    d->registrations.erase(it);
    for (auto key = d->down.begin(); key != d->down.end();) {
        key = key.value() == r.code ? d->down.erase(key) : std::next(key);
    }
    if (Display* display = lock.display()) {
        d->ungrab(display, r);
        d->regrabOthers(display, r.keycode);
    }
}

void LinuxHotKeys::setHandler(Handler handler)
{
    std::lock_guard lock(d->handlerMutex);
    d->handler = std::move(handler);
}

void LinuxHotKeys::Private::keymapChanged()
{
    XSession::Lock lock(*session);
    Display* display = lock.display();
    if (!display || !ready || registrations.isEmpty())
        return;
    const unsigned oldNumLock = numLock;
    if (!keys.load(display))
        return;
    numLock = XkbKeysymToModifiers(display, XK_Num_Lock);
    for (auto it = registrations.begin(); it != registrations.end(); ++it) {
        Registration& r = *it;
        const unsigned keycode = keys.keycode(quint16(r.code & 0xFFFF));
        if (keycode == r.keycode && numLock == oldNumLock)
            continue;
        ungrab(display, r, oldNumLock);
        r.keycode = keycode;
        if (!keycode) {
            zlog("LinuxHotKeys", "keymapChanged") << "the new keymap has no key for" << Qt::hex << r.code;
            continue;
        }
        if (const int error = grab(display, r)) {
            zlog("LinuxHotKeys", "keymapChanged") << "cannot grab" << Qt::hex << r.code << "again: X error" << Qt::dec
                                                  << error;
            r.keycode = 0;
        }
    }
    session->sync();
}

void LinuxHotKeys::Private::received(const XEvent& event)
{
    if (event.type == session->xkbEventBase()) {
        const int kind = reinterpret_cast<const XkbEvent&>(event).any.xkb_type;
        if (kind == XkbNewKeyboardNotify || kind == XkbNamesNotify
            || (kind == XkbMapNotify && !session->isOwnKeymapChange(event)))
            keymapChanged();
        return;
    }
    if (event.type != KeyPress && event.type != KeyRelease)
        return;
    const unsigned keycode = event.xkey.keycode;
    std::optional<quint32> code;
    {
        XSession::Lock lock(*session);
        if (event.type == KeyRelease) {
            // The release ends the press whatever modifiers are left by then.
            if (auto it = down.find(keycode); it != down.end()) {
                code = *it;
                down.erase(it);
            }
        } else if (!down.contains(keycode)) { // else auto-repeat
            const unsigned state = event.xkey.state & kRelevantMods;
            for (const Registration& r : std::as_const(registrations)) {
                if (r.keycode != keycode)
                    continue;
                if (r.mods == state) {
                    code = r.code;
                    break;
                }
                if (r.mods == (state & ~unsigned(LockMask)))
                    code = r.code;
            }
            if (code)
                down.insert(keycode, *code);
        }
    }
    if (code)
        deliver(*code, event.type == KeyPress);
}

void LinuxHotKeys::Private::deliver(quint32 code, bool pressed)
{
    Handler h;
    {
        std::lock_guard lock(handlerMutex);
        h = handler;
    }
    if (h)
        h(code, pressed);
}

} // namespace zelk
