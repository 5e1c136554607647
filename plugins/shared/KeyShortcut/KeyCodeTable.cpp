#include "KeyShortcut/KeyCodeTable.h"

#include <QtCore/qnamespace.h>

namespace zelk::KeyCodeTable {

namespace {

struct Key {
    uint16_t code;      // stored key code
    uint16_t evdev;     // the kernel's input code; 0 for none
    int qtKey;          // Qt key on a US layout
    int qtShiftedKey;   // with Shift; 0 when the same
    bool keypad;
    char32_t special;   // the character of a key that types no text
};

constexpr char32_t kUp = 0xF700, kDown = 0xF701, kLeft = 0xF702, kRight = 0xF703, kF1 = 0xF704;
constexpr char32_t kForwardDelete = 0xF728, kHome = 0xF729, kEnd = 0xF72B, kPageUp = 0xF72C, kPageDown = 0xF72D;
constexpr char32_t kClear = 0xF739, kHelp = 0xF746;

constexpr Key kKeys[] = {
    {0, 30, Qt::Key_A, 0, false, 0},
    {1, 31, Qt::Key_S, 0, false, 0},
    {2, 32, Qt::Key_D, 0, false, 0},
    {3, 33, Qt::Key_F, 0, false, 0},
    {4, 35, Qt::Key_H, 0, false, 0},
    {5, 34, Qt::Key_G, 0, false, 0},
    {6, 44, Qt::Key_Z, 0, false, 0},
    {7, 45, Qt::Key_X, 0, false, 0},
    {8, 46, Qt::Key_C, 0, false, 0},
    {9, 47, Qt::Key_V, 0, false, 0},
    {10, 86, 0, 0, false, 0},  // the extra key of ISO keyboards
    {11, 48, Qt::Key_B, 0, false, 0},
    {12, 16, Qt::Key_Q, 0, false, 0},
    {13, 17, Qt::Key_W, 0, false, 0},
    {14, 18, Qt::Key_E, 0, false, 0},
    {15, 19, Qt::Key_R, 0, false, 0},
    {16, 21, Qt::Key_Y, 0, false, 0},
    {17, 20, Qt::Key_T, 0, false, 0},
    {18, 2, Qt::Key_1, Qt::Key_Exclam, false, 0},
    {19, 3, Qt::Key_2, Qt::Key_At, false, 0},
    {20, 4, Qt::Key_3, Qt::Key_NumberSign, false, 0},
    {21, 5, Qt::Key_4, Qt::Key_Dollar, false, 0},
    {22, 7, Qt::Key_6, Qt::Key_AsciiCircum, false, 0},
    {23, 6, Qt::Key_5, Qt::Key_Percent, false, 0},
    {24, 13, Qt::Key_Equal, Qt::Key_Plus, false, 0},
    {25, 10, Qt::Key_9, Qt::Key_ParenLeft, false, 0},
    {26, 8, Qt::Key_7, Qt::Key_Ampersand, false, 0},
    {27, 12, Qt::Key_Minus, Qt::Key_Underscore, false, 0},
    {28, 9, Qt::Key_8, Qt::Key_Asterisk, false, 0},
    {29, 11, Qt::Key_0, Qt::Key_ParenRight, false, 0},
    {30, 27, Qt::Key_BracketRight, Qt::Key_BraceRight, false, 0},
    {31, 24, Qt::Key_O, 0, false, 0},
    {32, 22, Qt::Key_U, 0, false, 0},
    {33, 26, Qt::Key_BracketLeft, Qt::Key_BraceLeft, false, 0},
    {34, 23, Qt::Key_I, 0, false, 0},
    {35, 25, Qt::Key_P, 0, false, 0},
    {36, 28, Qt::Key_Return, 0, false, 13},
    {37, 38, Qt::Key_L, 0, false, 0},
    {38, 36, Qt::Key_J, 0, false, 0},
    {39, 40, Qt::Key_Apostrophe, Qt::Key_QuoteDbl, false, 0},
    {40, 37, Qt::Key_K, 0, false, 0},
    {41, 39, Qt::Key_Semicolon, Qt::Key_Colon, false, 0},
    {42, 43, Qt::Key_Backslash, Qt::Key_Bar, false, 0},
    {43, 51, Qt::Key_Comma, Qt::Key_Less, false, 0},
    {44, 53, Qt::Key_Slash, Qt::Key_Question, false, 0},
    {45, 49, Qt::Key_N, 0, false, 0},
    {46, 50, Qt::Key_M, 0, false, 0},
    {47, 52, Qt::Key_Period, Qt::Key_Greater, false, 0},
    {48, 15, Qt::Key_Tab, Qt::Key_Backtab, false, 9},
    {49, 57, Qt::Key_Space, 0, false, 32},
    {50, 41, Qt::Key_QuoteLeft, Qt::Key_AsciiTilde, false, 0},
    {51, 14, Qt::Key_Backspace, 0, false, 127},
    {53, 1, Qt::Key_Escape, 0, false, 27},
    {64, 187, Qt::Key_F17, 0, false, kF1 + 16},
    {65, 83, Qt::Key_Period, 0, true, 0},
    {67, 55, Qt::Key_Asterisk, 0, true, 0},
    {69, 78, Qt::Key_Plus, 0, true, 0},
    {71, 69, Qt::Key_Clear, 0, false, kClear},
    {72, 115, Qt::Key_VolumeUp, 0, false, 0},
    {73, 114, Qt::Key_VolumeDown, 0, false, 0},
    {74, 113, Qt::Key_VolumeMute, 0, false, 0},
    {75, 98, Qt::Key_Slash, 0, true, 0},
    {76, 96, Qt::Key_Enter, 0, true, 3},
    {78, 74, Qt::Key_Minus, 0, true, 0},
    {79, 188, Qt::Key_F18, 0, false, kF1 + 17},
    {80, 189, Qt::Key_F19, 0, false, kF1 + 18},
    {81, 117, Qt::Key_Equal, 0, true, 0},
    {82, 82, Qt::Key_0, Qt::Key_Insert, true, 0},
    {83, 79, Qt::Key_1, Qt::Key_End, true, 0},
    {84, 80, Qt::Key_2, Qt::Key_Down, true, 0},
    {85, 81, Qt::Key_3, Qt::Key_PageDown, true, 0},
    {86, 75, Qt::Key_4, Qt::Key_Left, true, 0},
    {87, 76, Qt::Key_5, Qt::Key_Clear, true, 0},
    {88, 77, Qt::Key_6, Qt::Key_Right, true, 0},
    {89, 71, Qt::Key_7, Qt::Key_Home, true, 0},
    {90, 190, Qt::Key_F20, 0, false, kF1 + 19},
    {91, 72, Qt::Key_8, Qt::Key_Up, true, 0},
    {92, 73, Qt::Key_9, Qt::Key_PageUp, true, 0},
    {93, 124, Qt::Key_yen, 0, false, 0},
    {94, 89, 0, 0, false, 0},  // the Japanese "ro" key
    {95, 121, Qt::Key_Comma, 0, true, 0},
    {96, 63, Qt::Key_F5, 0, false, kF1 + 4},
    {97, 64, Qt::Key_F6, 0, false, kF1 + 5},
    {98, 65, Qt::Key_F7, 0, false, kF1 + 6},
    {99, 61, Qt::Key_F3, 0, false, kF1 + 2},
    {100, 66, Qt::Key_F8, 0, false, kF1 + 7},
    {101, 67, Qt::Key_F9, 0, false, kF1 + 8},
    {103, 87, Qt::Key_F11, 0, false, kF1 + 10},
    {105, 183, Qt::Key_F13, 0, false, kF1 + 12},
    {106, 186, Qt::Key_F16, 0, false, kF1 + 15},
    {107, 184, Qt::Key_F14, 0, false, kF1 + 13},
    {109, 68, Qt::Key_F10, 0, false, kF1 + 9},
    {111, 88, Qt::Key_F12, 0, false, kF1 + 11},
    {113, 185, Qt::Key_F15, 0, false, kF1 + 14},
    {114, 110, Qt::Key_Insert, Qt::Key_Help, false, kHelp},
    {115, 102, Qt::Key_Home, 0, false, kHome},
    {116, 104, Qt::Key_PageUp, 0, false, kPageUp},
    {117, 111, Qt::Key_Delete, 0, false, kForwardDelete},
    {118, 62, Qt::Key_F4, 0, false, kF1 + 3},
    {119, 107, Qt::Key_End, 0, false, kEnd},
    {120, 60, Qt::Key_F2, 0, false, kF1 + 1},
    {121, 109, Qt::Key_PageDown, 0, false, kPageDown},
    {122, 59, Qt::Key_F1, 0, false, kF1},
    {123, 105, Qt::Key_Left, 0, false, kLeft},
    {124, 106, Qt::Key_Right, 0, false, kRight},
    {125, 108, Qt::Key_Down, 0, false, kDown},
    {126, 103, Qt::Key_Up, 0, false, kUp},
};

// X key codes are the kernel's input codes moved up by 8.
constexpr quint32 kEvdevOffset = 8;

const Key* keyOfScanCode(quint32 scanCode)
{
    if (scanCode <= kEvdevOffset)
        return nullptr;
    for (const Key& key : kKeys)
        if (key.evdev && key.evdev + kEvdevOffset == scanCode)
            return &key;
    return nullptr;
}

const Key* keyOfQtKey(int qtKey, bool keypad)
{
    if (qtKey == 0)
        return nullptr;
    // A keypad key is looked for among the keypad's first, then anywhere
    // (and the other way round).
    for (const bool inKeypad : {keypad, !keypad})
        for (const Key& key : kKeys)
            if (key.keypad == inKeypad && (key.qtKey == qtKey || key.qtShiftedKey == qtKey))
                return &key;
    return nullptr;
}

} // namespace

int storedKeyCode(int qtKey, quint32 nativeScanCode, bool keypad)
{
    if (isModifierKey(qtKey))
        return -1;
    if (const Key* key = keyOfScanCode(nativeScanCode))
        return key->code;
    if (const Key* key = keyOfQtKey(qtKey, keypad))
        return key->code;
    return -1;
}

char32_t functionKeyCharacter(int storedKeyCode)
{
    for (const Key& key : kKeys)
        if (key.code == storedKeyCode)
            return key.special;
    return 0;
}

bool isModifierKey(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
        return true;
    default:
        return false;
    }
}

} // namespace zelk::KeyCodeTable
