// The keyboard layout of a real X server: keys for characters, characters
// for keys, keys lent for characters the layout lacks, and layout changes.
#include "KeysymUnicode.h"
#include "LinuxPlatform.h"
#include "MacKeyTable.h"
#include "TestSupport.h"
#include "X11TestSupport.h"

#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

using namespace zelk;
using zelk::test::XClientWindow;
using Event = XClientWindow::Event;

namespace {

constexpr quint16 kShift = 0x200;

std::string show(char32_t c)
{
    return QString::fromUcs4(&c, 1).toStdString();
}

class LinuxKeyboardLayoutTest : public zelk::test::XClientTest {
protected:
    KeyboardLayout& layout() { return platform->keyboardLayout(); }

    // Types one keystroke word as the engine does: shift, key, shift up.
    void type(quint16 keystroke)
    {
        const uint16_t key = keystroke & 0xff;
        if (keystroke & kShift) {
            ASSERT_EQ(platform->events().postKey(56, true), 0);
        }
        ASSERT_EQ(platform->events().postKey(key, true), 0) << "key " << key;
        ASSERT_EQ(platform->events().postKey(key, false), 0) << "key " << key;
        if (keystroke & kShift) {
            ASSERT_EQ(platform->events().postKey(56, false), 0);
        }
    }

    // The symbols of the keys the client saw go down, shift left out.
    QList<unsigned long> typedSymbols()
    {
        QList<unsigned long> symbols;
        for (const Event& e : client->takeEvents()) {
            if (e.kind == Event::KeyDown && e.keysym != XK_Shift_L)
                symbols << e.keysym;
        }
        return symbols;
    }

    // Every keycode's symbols, as a client reads the keymap.
    std::vector<KeySym> keymap()
    {
        Display* x = client->display();
        int min = 0, max = 0, perKey = 0;
        XDisplayKeycodes(x, &min, &max);
        KeySym* syms = XGetKeyboardMapping(x, KeyCode(min), max - min + 1, &perKey);
        std::vector<KeySym> all(syms, syms + (max - min + 1) * perKey);
        XFree(syms);
        return all;
    }

    bool setLayout(const QStringList& arguments)
    {
        return QProcess::execute(QStandardPaths::findExecutable("setxkbmap"), arguments) == 0;
    }
};

TEST_F(LinuxKeyboardLayoutTest, UsLayoutKeysAndCharacters)
{
    EXPECT_EQ(layout().layoutName(), "us");
    const struct { char32_t c; QList<quint16> keys; } typing[] = {
        {U'a', {0}},          {U'A', {kShift | 0}},  {U'\n', {36}},         {U'\r', {36}},
        {U'\t', {48}},        {U' ', {49}},          {U'1', {18}},          {U'!', {kShift | 18}},
        {U'~', {kShift | 50}}, {U'/', {44}},          {U'?', {kShift | 44}}, {U'\x08', {51}},
        {U'\x1b', {53}},      {U'\x01', {}},         {U'\0', {}},
    };
    for (const auto& t : typing)
        EXPECT_EQ(layout().keystrokesForCharacter(t.c), t.keys) << "character " << quint32(t.c);

    const struct { quint16 key, modifiers; QString text; } keys[] = {
        {0, 0, "a"},       {0, kShift, "A"}, {0, 0x400, "A"},  {18, kShift, "!"}, {36, 0, "\r"},
        {49, 0, " "},      {55, 0, ""},      {63, 0, ""},       {0, 0x100, "a"},   {102, 0, ""},
    };
    for (const auto& k : keys)
        EXPECT_EQ(layout().characterForKey(k.key, k.modifiers), k.text) << "key " << k.key << " modifiers " << k.modifiers;
}

TEST_F(LinuxKeyboardLayoutTest, CapsLockTurnsShiftAroundForLettersOnly)
{
    client->setCapsLock(true);
    const struct { char32_t c; QList<quint16> keys; } typing[] = {
        {U'A', {0}}, {U'a', {kShift | 0}}, {U'1', {18}}, {U'!', {kShift | 18}}, {U' ', {49}},
    };
    for (const auto& t : typing)
        EXPECT_EQ(layout().keystrokesForCharacter(t.c), t.keys) << "character " << show(t.c) << " with Caps Lock";

    // What an application reads from the keys, Caps Lock and all; a key
    // lent to a character the layout lacks types it as it is.
    const std::u32string text = U"aB1!zZé";
    for (char32_t c : text) {
        const QList<quint16> keys = layout().keystrokesForCharacter(c);
        ASSERT_EQ(keys.size(), 1) << show(c);
        type(keys.first());
    }
    std::u32string read;
    for (const Event& e : client->takeEvents()) {
        if (e.kind != Event::KeyDown || e.keysym == XK_Shift_L)
            continue;
        XKeyEvent key{};
        key.type = KeyPress;
        key.display = client->display();
        key.keycode = e.code;
        key.state = e.state;
        char buffer[8];
        KeySym keysym = NoSymbol;
        XLookupString(&key, buffer, sizeof buffer, &keysym, nullptr);
        read += keysyms::toUnicode(keysym);
    }
    EXPECT_EQ(QString::fromStdU32String(read), QString::fromStdU32String(text));

    client->setCapsLock(false);
    EXPECT_EQ(layout().keystrokesForCharacter(U'A'), QList<quint16>{kShift | 0});
}

// What a key capture adds to a toolkit's key event: Caps Lock's state and
// whether the key is a function key, read from the server's keymap.
TEST_F(LinuxKeyboardLayoutTest, CapsLockStateAndFunctionKeys)
{
    EXPECT_FALSE(layout().capsLockOn());
    client->setCapsLock(true);
    EXPECT_TRUE(layout().capsLockOn());
    client->setCapsLock(false);
    EXPECT_FALSE(layout().capsLockOn());

    const struct { quint16 key; bool function; const char* name; } keys[] = {
        {122, true, "F1"},       {96, true, "F5"},          {111, true, "F12"},     {123, true, "Left"},
        {126, true, "Up"},       {115, true, "Home"},       {119, true, "End"},     {116, true, "Page Up"},
        {121, true, "Page Down"}, {117, true, "Delete"},    {114, true, "Insert"},  {0, false, "A"},
        {36, false, "Return"},   {51, false, "Backspace"},  {53, false, "Escape"},  {49, false, "Space"},
        {48, false, "Tab"},      {89, false, "keypad 7"},   {82, false, "keypad 0"}, {76, false, "keypad Enter"},
        {55, false, "Control"},  {57, false, "Caps Lock"},  {63, false, "no key"},
    };
    for (const auto& k : keys)
        EXPECT_EQ(layout().isFunctionKey(k.key), k.function) << k.name;
}

TEST_F(LinuxKeyboardLayoutTest, CharactersTheLayoutLacksArriveThroughLentKeys)
{
    int changes = 0;
    ObserverHandle h = layout().observeLayoutChanges([&] { ++changes; });
    const QList<uint16_t> spare = KeyTable::spareCodes();
    for (char32_t c : {U'ж', U'€', U'→', U'😀'}) {
        const QList<quint16> keys = layout().keystrokesForCharacter(c);
        ASSERT_EQ(keys.size(), 1) << show(c);
        EXPECT_TRUE(spare.contains(keys[0])) << show(c) << " came as key " << keys[0];
        EXPECT_EQ(layout().characterForKey(keys[0], 0), QString::fromUcs4(&c, 1));
        type(keys[0]);
        EXPECT_EQ(typedSymbols(), QList<unsigned long>({keysyms::fromUnicode(c)})) << show(c) << " arrived as another key";
    }
    // A hot key pressed now reaches us through the same connection after
    // every keymap change the lending made: once it is in, those were weighed.
    quint64 marker = 0;
    bool markerSeen = false;
    platform->hotKeys().setHandler([&](quint32, bool pressed) { markerSeen = markerSeen || !pressed; });
    ASSERT_EQ(platform->hotKeys().registerHotKey(0x100000 | 0x80000 | 6, &marker), 0);
    for (uint16_t k : {55, 58, 6})
        ASSERT_EQ(platform->events().postKey(k, true), 0);
    for (uint16_t k : {6, 58, 55})
        ASSERT_EQ(platform->events().postKey(k, false), 0);
    EXPECT_TRUE(zelk::test::waitUntil([&] { return markerSeen; })) << "the marker key never came";
    platform->hotKeys().unregisterHotKey(marker);
    platform->hotKeys().setHandler({});
    EXPECT_EQ(changes, 0) << "the keys lent here were taken for the user's layout change";
}

TEST_F(LinuxKeyboardLayoutTest, LentCharactersTypedQuicklyArriveInOrder)
{
    const std::u32string text = U"жыщ€жЖ→ёщ";
    QList<unsigned long> expected;
    for (char32_t c : text) {
        const QList<quint16> keys = layout().keystrokesForCharacter(c);
        ASSERT_EQ(keys.size(), 1) << show(c);
        type(keys[0]);
        expected << keysyms::fromUnicode(c);
    }
    EXPECT_EQ(typedSymbols(), expected);
    EXPECT_EQ(layout().keystrokesForCharacter(U'ж'), layout().keystrokesForCharacter(U'ж')) << "one character, one key";
}

TEST_F(LinuxKeyboardLayoutTest, LoansEndAndTheKeymapIsAsBefore)
{
    const std::vector<KeySym> before = keymap();
    const QList<quint16> keys = layout().keystrokesForCharacter(U'ж');
    ASSERT_EQ(keys.size(), 1);
    EXPECT_EQ(keymap(), before) << "a key was lent before the character was typed";
    type(keys[0]);
    EXPECT_NE(keymap(), before) << "no key was lent";
    EXPECT_TRUE(zelk::test::waitUntil([&] { return keymap() == before; }, 3 * LinuxKeyboardLayout::kLendMilliseconds))
        << "the lent key kept its character";

    // The character keeps its code, and gets a key again when typed.
    client->takeEvents();
    EXPECT_EQ(layout().characterForKey(keys[0], 0), "ж");
    type(keys[0]);
    EXPECT_EQ(typedSymbols(), QList<unsigned long>({keysyms::fromUnicode(U'ж')}));

    // And a dropped layout gives its loans back at once.
    platform.reset();
    EXPECT_EQ(keymap(), before);
}

TEST_F(LinuxKeyboardLayoutTest, TableOfEveryLatin1CharacterStaysGood)
{
    // As the engine does: every character asked for first, typed later.
    const std::vector<KeySym> before = keymap();
    QMap<char32_t, QList<quint16>> table;
    for (char32_t c = 0; c < 256; ++c)
        table.insert(c, layout().keystrokesForCharacter(c));
    EXPECT_EQ(keymap(), before) << "building the table changed the keymap";
    for (char32_t c = 0xa0; c < 0x100; ++c)
        EXPECT_EQ(table[c].size(), 1) << "U+" << std::hex << quint32(c);
    QList<unsigned long> expected;
    for (char32_t c : {U'£', U'©', U'é', U'÷', U'ÿ', U'£', U'a'}) {
        for (quint16 key : table[c])
            type(key);
        expected << (c == U'a' ? XK_a : keysyms::fromUnicode(c));
    }
    EXPECT_EQ(typedSymbols(), expected);
}

TEST_F(LinuxKeyboardLayoutTest, DeadKeysAndLayoutChanges)
{
    if (QStandardPaths::findExecutable("setxkbmap").isEmpty())
        ZELK_SKIP_UNLESS_CI("setxkbmap is not installed");
    int changes = 0;
    ObserverHandle h = layout().observeLayoutChanges([&] { ++changes; });
    ASSERT_TRUE(setLayout({"-layout", "us", "-variant", "intl"}));
    // Asked before the change reached the main thread: answered from the new keymap all the same.
    EXPECT_EQ(layout().keystrokesForCharacter(U'é'), QList<quint16>({39, 14})) << "dead acute, e";
    EXPECT_TRUE(zelk::test::waitUntil([&] { return changes > 0; })) << "the layout change was not observed";
    EXPECT_EQ(layout().layoutName(), "us(intl)");

    const struct { char32_t c; QList<quint16> keys; } typing[] = {
        {U'Ä', {kShift | 39, kShift | 0}}, // dead diaeresis, A
        {U'ñ', {kShift | 50, 45}},         // dead tilde, n
        {U'e', {14}},
    };
    for (const auto& t : typing)
        EXPECT_EQ(layout().keystrokesForCharacter(t.c), t.keys) << show(t.c);
    EXPECT_EQ(layout().characterForKey(39, 0), "´") << "a dead key shows its accent";
    EXPECT_EQ(layout().characterForKey(18, 0x800), "¡") << "option is the third level";
    // The third level is out of reach of the stored option key: lent.
    const QList<quint16> exclamation = layout().keystrokesForCharacter(U'¡');
    ASSERT_EQ(exclamation.size(), 1);
    EXPECT_TRUE(KeyTable::spareCodes().contains(exclamation[0]));

    for (quint16 key : layout().keystrokesForCharacter(U'é'))
        type(key);
    EXPECT_EQ(typedSymbols(), QList<unsigned long>({XK_dead_acute, XK_e}));

    changes = 0;
    ASSERT_TRUE(setLayout({"-layout", "us"}));
    EXPECT_TRUE(zelk::test::waitUntil([&] { return changes > 0; }));
    EXPECT_EQ(layout().layoutName(), "us");
    EXPECT_EQ(layout().keystrokesForCharacter(U'\''), QList<quint16>({39}));
}

TEST(LinuxKeyboardLayoutWithoutDisplay, AnswersNothing)
{
    const QByteArray saved = qgetenv("DISPLAY");
    qunsetenv("DISPLAY");
    {
        auto platform = makeLinuxPlatform();
        KeyboardLayout& layout = platform->keyboardLayout();
        EXPECT_EQ(layout.layoutName(), "");
        EXPECT_TRUE(layout.keystrokesForCharacter(U'a').isEmpty());
        EXPECT_EQ(layout.characterForKey(0, 0), "");
        ObserverHandle h = layout.observeLayoutChanges([] {});
    }
    if (!saved.isEmpty())
        qputenv("DISPLAY", saved);
}

} // namespace
