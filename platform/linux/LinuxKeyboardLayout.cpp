#include "LinuxKeyboardLayout.h"

#include "KeysymUnicode.h"
#include "Log.h"
#include "MacKeyTable.h"
#include "XSession.h"

#include <QCoreApplication>
#include <QHash>
#include <QTimer>
#include <algorithm>
#include <mutex>
#include <optional>
#include <vector>

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace zelk {

namespace {

constexpr quint16 kShift = 0x200;
constexpr quint16 kCapsLock = 0x400;
constexpr quint16 kOption = 0x800;

// At most this many empty keys carry characters at a time.
constexpr size_t kMaxLoans = 16;

// A character handed a spare stored code.
struct Assignment {
    KeySym keysym = NoSymbol;
    quint64 lastUse = 0;
};

// An empty X key lent to a character.
struct Loan {
    unsigned keycode = 0;
    KeySym keysym = NoSymbol;
    uint16_t code = 0; // the spare code posted for it; 0 when none any more
    quint64 lastUse = 0;
};

KeySym symbolAt(XkbDescPtr xkb, unsigned keycode, int group, int level)
{
    if (keycode < xkb->min_key_code || keycode > xkb->max_key_code || XkbKeyNumGroups(xkb, keycode) <= group
        || XkbKeyGroupWidth(xkb, keycode, group) <= level)
        return NoSymbol;
    return XkbKeySymEntry(xkb, keycode, level, group);
}

// _XKB_RULES_NAMES: rules, model, layouts, variants, options; the lists
// comma-separated, one entry per group.
QList<QByteArray> rulesNames(Display* display, Window root)
{
    const Atom property = XInternAtom(display, "_XKB_RULES_NAMES", True);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    QList<QByteArray> fields;
    if (property != None
        && XGetWindowProperty(display, root, property, 0, 1024, False, XA_STRING, &type, &format, &count, &after,
                              &data) == Success
        && data && format == 8) {
        fields = QByteArray(reinterpret_cast<const char*>(data), int(count)).split('\0');
    }
    if (data)
        XFree(data);
    return fields;
}

QString text(char32_t c)
{
    return c ? QString::fromUcs4(&c, 1) : QString();
}

// Binds a lent key to the keysym, or empties it again (NoSymbol). A lent
// key types its character whatever Shift and Caps Lock say: it has the
// character on both levels of the ALPHABETIC type, which takes both
// modifiers. A type that left Caps Lock unused (the one the server picks
// for two equal symbols) would have applications turn "é" into "É".
bool bindKey(Display* display, unsigned keycode, KeySym keysym)
{
    XkbDescPtr map = XkbGetMap(display, XkbKeyTypesMask | XkbKeySymsMask | XkbExplicitComponentsMask, XkbUseCoreKbd);
    if (!map)
        return false;
    int type = XkbAlphabeticIndex;
    XkbMapChangesRec changes{};
    bool ok = map->server && map->server->c_explicit
        && XkbChangeTypesOfKey(map, int(keycode), keysym == NoSymbol ? 0 : 1, XkbGroup1Mask, &type, &changes) == Success;
    if (ok) {
        if (keysym != NoSymbol) {
            KeySym* syms = XkbKeySymsPtr(map, keycode);
            syms[0] = syms[1] = keysym;
            map->server->c_explicit[keycode] |= XkbExplicitKeyType1Mask;
        } else {
            map->server->c_explicit[keycode] &= ~XkbExplicitKeyType1Mask;
        }
        changes.changed |= XkbKeySymsMask | XkbExplicitComponentsMask;
        changes.first_key_sym = KeyCode(keycode);
        changes.num_key_syms = 1;
        changes.first_key_explicit = KeyCode(keycode);
        changes.num_key_explicit = 1;
        ok = XkbChangeMap(display, map, &changes);
    }
    XkbFreeKeyboard(map, 0, True);
    return ok;
}

} // namespace

struct LinuxKeyboardLayout::Private {
    std::shared_ptr<XSession> session;
    std::unique_ptr<QObject> context = std::make_unique<QObject>();
    QTimer* loanTimer = nullptr; // main thread
    int listener = 0;
    NotificationCenter center;
    bool notifyQueued = false; // main thread

    // With the session's lock:
    XkbDescPtr xkb = nullptr;
    KeyTable keys;
    unsigned level3 = 0; // the modifier of AltGr
    bool dirty = true;
    unsigned long seenSerial = 0;
    // Of the loaded keymap, and of the one observers last heard of: the
    // server also announces a "new keyboard" when input merely comes from
    // another device with the same keymap.
    size_t fingerprint = 0;
    std::optional<size_t> announced;
    QHash<uint16_t, Assignment> assigned; // spare code -> character
    QHash<KeySym, uint16_t> codes;        // character -> spare code
    std::vector<Loan> loans;
    quint64 uses = 0;

    ~Private()
    {
        if (xkb)
            XkbFreeKeyboard(xkb, 0, True);
    }

    bool isUserKeymapChange(const XEvent& event) const;
    static Bool noteKeymapChange(Display*, XEvent* event, XPointer self);
    void refresh(Display* display);
    size_t keymapFingerprint(Display* display) const;
    int group(Display* display) const;
    static bool capsLockOn(Display* display);
    KeySym translate(unsigned keycode, unsigned mods, int group) const;
    std::optional<quint16> find(int group, bool capsLock, const std::function<bool(KeySym)>& wanted) const;
    quint16 assign(KeySym keysym);
    uint8_t lend(uint16_t code);
    void forget(Loan& loan);
    unsigned spareKeycode() const;
    void startLoanTimer();
    void endLoans();
    void received(const XEvent& event);
};

namespace {
// The layout whose lender the key table uses.
std::mutex gLenderMutex;
const void* gLenderOwner = nullptr;
} // namespace

LinuxKeyboardLayout::LinuxKeyboardLayout(std::shared_ptr<XSession> session) : d(std::make_shared<Private>())
{
    d->session = std::move(session);
    if (QCoreApplication* app = QCoreApplication::instance())
        d->context->moveToThread(app->thread());
    d->listener = d->session->addListener([p = d.get()](const XEvent& event) { p->received(event); });
    // A poster may still be lending when this layout goes: the lender keeps
    // what it uses alive and finds nothing to lend.
    std::lock_guard lock(gLenderMutex);
    gLenderOwner = d.get();
    KeyTable::setLender([weak = std::weak_ptr<Private>(d)](uint16_t code) -> uint8_t {
        const std::shared_ptr<Private> p = weak.lock();
        return p ? p->lend(code) : 0;
    });
}

LinuxKeyboardLayout::~LinuxKeyboardLayout()
{
    {
        std::lock_guard lock(gLenderMutex);
        if (gLenderOwner == d.get()) {
            KeyTable::setLender({});
            gLenderOwner = nullptr;
        }
    }
    d->session->removeListener(d->listener);
    d->context.reset();
    d->endLoans();
}

bool LinuxKeyboardLayout::Private::isUserKeymapChange(const XEvent& event) const
{
    if (event.type != session->xkbEventBase())
        return false;
    switch (reinterpret_cast<const XkbEvent&>(event).any.xkb_type) {
    case XkbNewKeyboardNotify:
    case XkbNamesNotify:
        return true;
    case XkbMapNotify:
        return !session->isOwnKeymapChange(event);
    default:
        return false;
    }
}

// Looks through the events already queued without taking them: the main
// thread hands them out later, but a caller on another thread must not
// answer from a keymap the user has just replaced.
Bool LinuxKeyboardLayout::Private::noteKeymapChange(Display*, XEvent* event, XPointer self)
{
    auto* p = reinterpret_cast<Private*>(self);
    if (p->isUserKeymapChange(*event) && event->xany.serial > p->seenSerial) {
        p->seenSerial = event->xany.serial;
        p->dirty = true;
    }
    return False;
}

void LinuxKeyboardLayout::Private::refresh(Display* display)
{
    session->sync();
    XEvent unused;
    XCheckIfEvent(display, &unused, &Private::noteKeymapChange, reinterpret_cast<XPointer>(this));
    if (!dirty)
        return;
    if (xkb)
        XkbFreeKeyboard(xkb, 0, True);
    xkb = XkbGetMap(display, XkbAllClientInfoMask, XkbUseCoreKbd);
    if (!xkb || !keys.load(display)) {
        zlog("LinuxKeyboardLayout", "refresh") << "cannot read the keymap";
        return;
    }
    dirty = false;
    level3 = XkbKeysymToModifiers(display, XK_ISO_Level3_Shift);
    fingerprint = keymapFingerprint(display);
    if (!announced)
        announced = fingerprint;
    // A loan the user's new keymap wrote over is over; the key is theirs.
    for (auto it = loans.begin(); it != loans.end();) {
        if (symbolAt(xkb, it->keycode, 0, 0) != it->keysym) {
            forget(*it);
            it = loans.erase(it);
        } else {
            ++it;
        }
    }
}

size_t LinuxKeyboardLayout::Private::keymapFingerprint(Display* display) const
{
    QByteArray all;
    for (int keycode = xkb->min_key_code; keycode <= xkb->max_key_code; ++keycode) {
        // Keys lent here count as the empty keys they were.
        const int groups = session->isOwnKeycode(unsigned(keycode)) ? 0 : XkbKeyNumGroups(xkb, keycode);
        for (int group = 0; group < groups; ++group) {
            for (int level = 0; level < XkbKeyGroupWidth(xkb, keycode, group); ++level) {
                const KeySym keysym = symbolAt(xkb, unsigned(keycode), group, level);
                all.append(reinterpret_cast<const char*>(&keysym), sizeof keysym);
            }
            all.append('\0');
        }
        all.append('\n');
    }
    all.append(rulesNames(display, session->root()).join('\0'));
    all.append(QByteArray::number(level3));
    return qHash(all);
}

int LinuxKeyboardLayout::Private::group(Display* display) const
{
    XkbStateRec state;
    return XkbGetState(display, XkbUseCoreKbd, &state) == Success ? state.group : 0;
}

bool LinuxKeyboardLayout::Private::capsLockOn(Display* display)
{
    XkbStateRec state;
    return XkbGetState(display, XkbUseCoreKbd, &state) == Success && (state.mods & LockMask);
}

KeySym LinuxKeyboardLayout::Private::translate(unsigned keycode, unsigned mods, int group) const
{
    unsigned consumed = 0;
    KeySym keysym = NoSymbol;
    if (!XkbTranslateKeyCode(xkb, KeyCode(keycode), XkbBuildCoreState(mods, group), &consumed, &keysym))
        return NoSymbol;
    return keysym;
}

// The first stored key, plain or shifted, whose symbol is wanted. Stored
// codes go in ascending order, so the main keys come before the keypad.
// Caps Lock, which the posted keys can't change, is read with each key as
// its key type says: on a letter it turns shift around, on a digit nothing.
std::optional<quint16> LinuxKeyboardLayout::Private::find(int group, bool capsLock,
                                                          const std::function<bool(KeySym)>& wanted) const
{
    static const QList<uint16_t> codes = KeyTable::mappedCodes();
    const unsigned lock = capsLock ? LockMask : 0;
    for (uint16_t mac : codes) {
        const unsigned keycode = keys.keycode(mac);
        if (!keycode)
            continue;
        if (wanted(translate(keycode, lock, group)))
            return mac;
        if (wanted(translate(keycode, lock | ShiftMask, group)))
            return quint16(mac | kShift);
    }
    return std::nullopt;
}

unsigned LinuxKeyboardLayout::Private::spareKeycode() const
{
    for (int keycode = xkb->max_key_code; keycode >= std::max<int>(xkb->min_key_code, 8); --keycode) {
        if (XkbKeyNumSyms(xkb, keycode) != 0 || (xkb->map->modmap && xkb->map->modmap[keycode])
            || keys.macKeyCode(uint8_t(keycode)) >= 0)
            continue;
        if (std::none_of(loans.begin(), loans.end(), [keycode](const Loan& l) { return l.keycode == unsigned(keycode); }))
            return unsigned(keycode);
    }
    return 0;
}

// Hands the character a spare code of its own, without touching the
// keymap: a table of answers stays good until more characters than there
// are spare codes were asked for.
quint16 LinuxKeyboardLayout::Private::assign(KeySym keysym)
{
    static const QList<uint16_t> spare = KeyTable::spareCodes();
    if (auto it = codes.constFind(keysym); it != codes.cend()) {
        assigned[*it].lastUse = ++uses;
        return *it;
    }
    auto code = std::find_if(spare.begin(), spare.end(), [&](uint16_t c) { return !assigned.contains(c); });
    quint16 chosen = 0;
    if (code != spare.end()) {
        chosen = *code;
    } else {
        // All taken: the code asked for longest ago changes hands.
        chosen = std::min_element(assigned.keyValueBegin(), assigned.keyValueEnd(), [](const auto& a, const auto& b) {
                     return a.second.lastUse < b.second.lastUse;
                 })->first;
        codes.remove(assigned[chosen].keysym);
        for (Loan& loan : loans) {
            if (loan.code == chosen)
                forget(loan);
        }
    }
    assigned[chosen] = {keysym, ++uses};
    codes[keysym] = chosen;
    return chosen;
}

void LinuxKeyboardLayout::Private::forget(Loan& loan)
{
    if (loan.code)
        KeyTable::bindSpareCode(loan.code, 0);
    loan.code = 0;
}

// Called by the poster for a spare code about to go down or up: lends an
// empty key to its character, or answers the key lent to it already.
uint8_t LinuxKeyboardLayout::Private::lend(uint16_t code)
{
    XSession::Lock lock(*session);
    Display* display = lock.display();
    const auto wanted = assigned.constFind(code);
    if (!display || wanted == assigned.cend())
        return 0;
    refresh(display);
    if (!xkb)
        return 0;
    const KeySym keysym = wanted->keysym;
    auto loan = std::find_if(loans.begin(), loans.end(), [keysym](const Loan& l) { return l.keysym == keysym; });
    if (loan == loans.end()) {
        unsigned keycode = loans.size() < kMaxLoans ? spareKeycode() : 0;
        if (keycode) {
            loans.push_back({keycode});
            loan = loans.end() - 1;
        } else if (!loans.empty()) {
            // The least recently used: a key typed a moment ago may not
            // have reached its application yet.
            loan = std::min_element(loans.begin(), loans.end(),
                                    [](const Loan& a, const Loan& b) { return a.lastUse < b.lastUse; });
            forget(*loan);
        } else {
            zlog("LinuxKeyboardLayout", "lend") << "the keymap has no empty key to lend";
            return 0;
        }
        session->noteOwnKeymapChange(loan->keycode);
        session->clearErrors();
        const bool bound = bindKey(display, loan->keycode, keysym);
        if (const int error = session->sync(); error || !bound) {
            zlog("LinuxKeyboardLayout", "lend") << "lending key" << loan->keycode << "failed: X error" << error;
            loans.erase(loan);
            return 0;
        }
        loan->keysym = keysym;
    }
    if (loan->code != code) {
        forget(*loan);
        loan->code = code;
    }
    loan->lastUse = ++uses;
    KeyTable::bindSpareCode(code, uint8_t(loan->keycode));
    startLoanTimer();
    return uint8_t(loan->keycode);
}

void LinuxKeyboardLayout::Private::startLoanTimer()
{
    if (!QCoreApplication::instance())
        return;
    XSession::onMainThread(context.get(), [this] {
        if (!loanTimer) {
            loanTimer = new QTimer(context.get());
            loanTimer->setSingleShot(true);
            loanTimer->setInterval(kLendMilliseconds);
            QObject::connect(loanTimer, &QTimer::timeout, context.get(), [this] { endLoans(); });
        }
        loanTimer->start();
    });
}

// The characters keep their codes; their keys go back to being empty.
void LinuxKeyboardLayout::Private::endLoans()
{
    XSession::Lock lock(*session, false);
    Display* display = lock.display();
    for (Loan& loan : loans) {
        forget(loan);
        if (display)
            bindKey(display, loan.keycode, NoSymbol);
    }
    if (display && !loans.empty())
        session->sync();
    loans.clear();
}

void LinuxKeyboardLayout::Private::received(const XEvent& event)
{
    if (event.type != session->xkbEventBase())
        return;
    const auto& xkbEvent = reinterpret_cast<const XkbEvent&>(event);
    if (xkbEvent.any.xkb_type == XkbStateNotify) {
        if (!(xkbEvent.state.changed & XkbGroupLockMask))
            return;
    } else {
        if (!isUserKeymapChange(event))
            return;
        XSession::Lock lock(*session);
        Display* display = lock.display();
        if (!display)
            return;
        if (event.xany.serial > seenSerial) {
            seenSerial = event.xany.serial;
            dirty = true;
        }
        refresh(display);
        if (dirty || fingerprint == announced)
            return;
        announced = fingerprint;
    }
    // One change of the user's comes as several events.
    if (notifyQueued)
        return;
    notifyQueued = true;
    QMetaObject::invokeMethod(
        context.get(), [this] {
            notifyQueued = false;
            center.post("layout");
        },
        Qt::QueuedConnection);
}

QString LinuxKeyboardLayout::layoutName()
{
    XSession::Lock lock(*d->session);
    Display* display = lock.display();
    if (!display || d->session->xkbEventBase() < 0)
        return {};
    const int group = d->group(display);
    const QList<QByteArray> fields = rulesNames(display, d->session->root());
    if (fields.size() >= 4) {
        const QList<QByteArray> layouts = fields[2].split(','), variants = fields[3].split(',');
        const QString layout = QString::fromUtf8(layouts.value(group, layouts.value(0))).trimmed();
        const QString variant = QString::fromUtf8(variants.value(group)).trimmed();
        if (!layout.isEmpty())
            return variant.isEmpty() ? layout : layout + "(" + variant + ")";
    }
    // No rules names: the group's own name ("English (US)").
    QString name;
    XkbDescPtr names = XkbAllocKeyboard();
    if (names && XkbGetNames(display, XkbGroupNamesMask, names) == Success && names->names
        && names->names->groups[group] != None) {
        if (char* atom = XGetAtomName(display, names->names->groups[group])) {
            name = QString::fromUtf8(atom);
            XFree(atom);
        }
    }
    if (names)
        XkbFreeKeyboard(names, 0, True);
    return name;
}

QList<quint16> LinuxKeyboardLayout::keystrokesForCharacter(char32_t c)
{
    XSession::Lock lock(*d->session);
    Display* display = lock.display();
    if (!display || d->session->xkbEventBase() < 0 || c == 0)
        return {};
    d->refresh(display);
    if (!d->xkb || d->dirty)
        return {};
    if (c == U'\n')
        c = U'\r'; // Return
    // One round trip for both: typing asks before every character.
    XkbStateRec state;
    const bool known = XkbGetState(display, XkbUseCoreKbd, &state) == Success;
    const int group = known ? state.group : 0;
    const bool capsLock = known && (state.mods & LockMask);
    if (auto key = d->find(group, capsLock, [c](KeySym s) { return keysyms::toUnicode(s) == c; }))
        return {*key};

    if (QChar::decompositionTag(c) == QChar::Canonical) {
        const QString parts = QChar::decomposition(c);
        const unsigned long dead = parts.size() == 2 ? keysyms::deadKeyFor(parts[1].unicode()) : 0;
        if (dead) {
            const char32_t base = parts[0].unicode();
            const auto deadKey = d->find(group, capsLock, [dead](KeySym s) { return s == dead; });
            const auto baseKey = d->find(group, capsLock, [base](KeySym s) { return keysyms::toUnicode(s) == base; });
            if (deadKey && baseKey)
                return {*deadKey, *baseKey};
        }
    }

    const unsigned long keysym = keysyms::fromUnicode(c);
    if (!keysym)
        return {};
    return {d->assign(keysym)};
}

QString LinuxKeyboardLayout::characterForKey(quint16 keyCode, quint16 modifiers)
{
    XSession::Lock lock(*d->session);
    Display* display = lock.display();
    if (!display || d->session->xkbEventBase() < 0)
        return {};
    d->refresh(display);
    if (!d->xkb || d->dirty)
        return {};
    KeySym keysym = NoSymbol;
    if (KeyTable::isSpareCode(keyCode)) {
        keysym = d->assigned.value(keyCode).keysym;
    } else {
        const unsigned keycode = d->keys.keycode(keyCode);
        if (!keycode)
            return {};
        unsigned mods = 0;
        if (modifiers & (kShift | kCapsLock))
            mods |= ShiftMask;
        if (modifiers & kOption)
            mods |= d->level3;
        keysym = d->translate(keycode, mods, d->group(display));
    }
    if (const char32_t accent = keysyms::deadKeyAccent(keysym))
        return text(accent);
    return text(keysyms::toUnicode(keysym));
}

bool LinuxKeyboardLayout::capsLockOn()
{
    XSession::Lock lock(*d->session);
    Display* display = lock.display();
    return display && d->session->xkbEventBase() >= 0 && Private::capsLockOn(display);
}

bool LinuxKeyboardLayout::isFunctionKey(quint16 keyCode)
{
    XSession::Lock lock(*d->session);
    Display* display = lock.display();
    if (!display || d->session->xkbEventBase() < 0 || KeyTable::isSpareCode(keyCode))
        return false;
    d->refresh(display);
    if (!d->xkb || d->dirty)
        return false;
    const unsigned keycode = d->keys.keycode(keyCode);
    if (!keycode)
        return false;
    const KeySym keysym = d->translate(keycode, 0, d->group(display));
    // The keypad's Home or arrows (KP_Home...) are keypad keys, not these.
    return IsFunctionKey(keysym) || IsCursorKey(keysym) || IsMiscFunctionKey(keysym) || keysym == XK_Delete
        || keysym == XK_Pause || keysym == XK_Scroll_Lock || keysym == XK_Sys_Req;
}

ObserverHandle LinuxKeyboardLayout::observeLayoutChanges(std::function<void()> observer)
{
    // XKB events are selected when the connection opens; changes are told
    // against the keymap of now.
    XSession::Lock lock(*d->session);
    if (Display* display = lock.display())
        d->refresh(display);
    return d->center.addObserver("layout", nullptr, [observer = std::move(observer)](const Notification&) { observer(); });
}

} // namespace zelk
