#include "MacKeyTable.h"

#include "Log.h"

#include <QHash>
#include <algorithm>
#include <atomic>
#include <mutex>
#include <cstring>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

namespace zelk {

namespace {

struct Entry {
    uint16_t mac;
    const char* xkb;
};

// The physical keys of the stored codes, as the US ANSI keyboard lays them
// out. Command, control and option sit on Control, Super and Alt.
constexpr Entry kTable[] = {
    {0, "AC01"},   {1, "AC02"},   {2, "AC03"},   {3, "AC04"},   {4, "AC06"},   {5, "AC05"},
    {6, "AB01"},   {7, "AB02"},   {8, "AB03"},   {9, "AB04"},   {10, "LSGT"},  {11, "AB05"},
    {12, "AD01"},  {13, "AD02"},  {14, "AD03"},  {15, "AD04"},  {16, "AD06"},  {17, "AD05"},
    {18, "AE01"},  {19, "AE02"},  {20, "AE03"},  {21, "AE04"},  {22, "AE06"},  {23, "AE05"},
    {24, "AE12"},  {25, "AE09"},  {26, "AE07"},  {27, "AE11"},  {28, "AE08"},  {29, "AE10"},
    {30, "AD12"},  {31, "AD09"},  {32, "AD07"},  {33, "AD11"},  {34, "AD08"},  {35, "AD10"},
    {36, "RTRN"},  {37, "AC09"},  {38, "AC07"},  {39, "AC11"},  {40, "AC08"},  {41, "AC10"},
    {42, "BKSL"},  {43, "AB08"},  {44, "AB10"},  {45, "AB06"},  {46, "AB07"},  {47, "AB09"},
    {48, "TAB"},   {49, "SPCE"},  {50, "TLDE"},  {51, "BKSP"},  {53, "ESC"},
    {54, "RCTL"},  {55, "LCTL"},  {56, "LFSH"},  {57, "CAPS"},  {58, "LALT"},  {59, "LWIN"},
    {60, "RTSH"},  {61, "RALT"},  {62, "RWIN"},
    {64, "FK17"},  {65, "KPDL"},  {67, "KPMU"},  {69, "KPAD"},  {71, "NMLK"},
    {72, "VOL+"},  {73, "VOL-"},  {74, "MUTE"},
    {75, "KPDV"},  {76, "KPEN"},  {78, "KPSU"},  {79, "FK18"},  {80, "FK19"},  {81, "KPEQ"},
    {82, "KP0"},   {83, "KP1"},   {84, "KP2"},   {85, "KP3"},   {86, "KP4"},   {87, "KP5"},
    {88, "KP6"},   {89, "KP7"},   {90, "FK20"},  {91, "KP8"},   {92, "KP9"},
    {93, "AE13"},  {94, "AB11"},  {95, "JPCM"},
    {96, "FK05"},  {97, "FK06"},  {98, "FK07"},  {99, "FK03"},  {100, "FK08"}, {101, "FK09"},
    {103, "FK11"}, {105, "FK13"}, {106, "FK16"}, {107, "FK14"}, {109, "FK10"}, {111, "FK12"},
    {113, "FK15"}, {114, "INS"},  {115, "HOME"}, {116, "PGUP"}, {117, "DELE"}, {118, "FK04"},
    {119, "END"},  {120, "FK02"}, {121, "PGDN"}, {122, "FK01"}, {123, "LEFT"}, {124, "RGHT"},
    {125, "DOWN"}, {126, "UP"},
};

// Unused by the table above and by the keyboards the stored codes come from.
constexpr uint16_t kUnusedCodes[] = {52, 66, 68, 70, 77, 102, 104, 108, 110, 112};
constexpr uint16_t kFirstHighCode = 128, kCodeEnd = 256;

// Written by the layout on any thread, read by every poster.
std::array<std::atomic<uint8_t>, kCodeEnd> gSpareKeycodes{};
std::mutex gLenderMutex;
KeyTable::Lender gLender;

QByteArray nameOf(const char* chars)
{
    return QByteArray(chars, int(strnlen(chars, XkbKeyNameLength)));
}

} // namespace

QByteArray KeyTable::keyName(uint16_t macKeyCode)
{
    for (const Entry& e : kTable) {
        if (e.mac == macKeyCode)
            return e.xkb;
    }
    return {};
}

QList<uint16_t> KeyTable::mappedCodes()
{
    QList<uint16_t> codes;
    for (const Entry& e : kTable)
        codes << e.mac;
    return codes;
}

QList<uint16_t> KeyTable::spareCodes()
{
    QList<uint16_t> codes(std::begin(kUnusedCodes), std::end(kUnusedCodes));
    for (uint16_t code = kFirstHighCode; code < kCodeEnd; ++code)
        codes << code;
    return codes;
}

bool KeyTable::isSpareCode(uint16_t macKeyCode)
{
    return (macKeyCode >= kFirstHighCode && macKeyCode < kCodeEnd)
        || std::find(std::begin(kUnusedCodes), std::end(kUnusedCodes), macKeyCode) != std::end(kUnusedCodes);
}

void KeyTable::bindSpareCode(uint16_t macKeyCode, uint8_t keycode)
{
    if (isSpareCode(macKeyCode))
        gSpareKeycodes[macKeyCode].store(keycode);
}

void KeyTable::setLender(Lender lender)
{
    std::lock_guard lock(gLenderMutex);
    gLender = std::move(lender);
}

std::array<int16_t, 256> KeyTable::emptyReverse()
{
    std::array<int16_t, 256> a;
    a.fill(-1);
    return a;
}

bool KeyTable::load(_XDisplay* display)
{
    m_toX.fill(0);
    m_toMac = emptyReverse();

    XkbDescPtr xkb = XkbGetMap(display, 0, XkbUseCoreKbd);
    if (!xkb) {
        zlog("KeyTable", "load") << "no XKB keymap on the display";
        return false;
    }
    if (XkbGetNames(display, XkbKeyNamesMask | XkbKeyAliasesMask, xkb) != Success || !xkb->names
        || !xkb->names->keys) {
        zlog("KeyTable", "load") << "the keymap has no key names";
        XkbFreeKeyboard(xkb, 0, True);
        return false;
    }

    QHash<QByteArray, uint8_t> byName;
    for (int kc = xkb->min_key_code; kc <= xkb->max_key_code; ++kc) {
        const QByteArray name = nameOf(xkb->names->keys[kc].name);
        if (!name.isEmpty() && !byName.contains(name))
            byName.insert(name, uint8_t(kc));
    }
    // Some keymaps give a key only an alias of the name we look for.
    for (int i = 0; i < xkb->names->num_key_aliases; ++i) {
        const XkbKeyAliasRec& alias = xkb->names->key_aliases[i];
        const QByteArray name = nameOf(alias.alias);
        const uint8_t real = byName.value(nameOf(alias.real), 0);
        if (real && !byName.contains(name))
            byName.insert(name, real);
    }
    XkbFreeKeyboard(xkb, 0, True);

    for (const Entry& e : kTable) {
        const uint8_t kc = byName.value(e.xkb, 0);
        m_toX[e.mac] = kc;
        if (kc && m_toMac[kc] < 0)
            m_toMac[kc] = int16_t(e.mac);
    }
    return true;
}

uint8_t KeyTable::keycode(uint16_t macKeyCode) const
{
    if (macKeyCode < m_toX.size() && m_toX[macKeyCode])
        return m_toX[macKeyCode];
    return isSpareCode(macKeyCode) ? gSpareKeycodes[macKeyCode].load() : 0;
}

uint8_t KeyTable::keycodeForPosting(uint16_t macKeyCode) const
{
    if (!isSpareCode(macKeyCode))
        return keycode(macKeyCode);
    Lender lender;
    {
        std::lock_guard lock(gLenderMutex);
        lender = gLender;
    }
    return lender ? lender(macKeyCode) : 0;
}

int KeyTable::macKeyCode(uint8_t keycode) const
{
    if (m_toMac[keycode] >= 0 || !keycode)
        return m_toMac[keycode];
    for (uint16_t code = 0; code < kCodeEnd; ++code) {
        if (gSpareKeycodes[code].load() == keycode && isSpareCode(code))
            return code;
    }
    return -1;
}

} // namespace zelk
