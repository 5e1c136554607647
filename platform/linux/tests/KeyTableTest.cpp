// The stored key codes against the keymap of a real X server.
#include "MacKeyTable.h"
#include "X11TestSupport.h"

#include <QSet>
#include <gtest/gtest.h>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

using namespace zelk;

namespace {

class KeyTableTest : public zelk::test::XServerTest {
protected:
    void SetUp() override
    {
        XServerTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        x = XOpenDisplay(xDisplay.toLocal8Bit().constData());
        ASSERT_NE(x, nullptr);
        ASSERT_TRUE(table.load(x));
    }
    void TearDown() override
    {
        if (x)
            XCloseDisplay(x);
    }

    Display* x = nullptr;
    KeyTable table;
};

TEST_F(KeyTableTest, EveryStoredKeyHasAKeycodeAndComesBack)
{
    QSet<uint8_t> used;
    for (uint16_t mac : KeyTable::mappedCodes()) {
        const uint8_t kc = table.keycode(mac);
        ASSERT_NE(kc, 0) << "stored key " << mac << " (" << KeyTable::keyName(mac).constData() << ") has no X key";
        EXPECT_EQ(table.macKeyCode(kc), mac) << "X keycode " << int(kc);
        EXPECT_FALSE(used.contains(kc)) << "two stored keys share X keycode " << int(kc);
        used.insert(kc);
    }
}

TEST_F(KeyTableTest, StoredKeysLandOnTheirKeysyms)
{
    struct Case { uint16_t mac; KeySym sym; };
    const Case cases[] = {
        {0, XK_a},          {1, XK_s},         {6, XK_z},          {12, XK_q},         {18, XK_1},
        {29, XK_0},         {24, XK_equal},    {27, XK_minus},     {30, XK_bracketright}, {42, XK_backslash},
        {50, XK_grave},     {36, XK_Return},   {48, XK_Tab},       {49, XK_space},     {51, XK_BackSpace},
        {53, XK_Escape},    {55, XK_Control_L}, {54, XK_Control_R}, {56, XK_Shift_L},  {60, XK_Shift_R},
        {58, XK_Alt_L},     {59, XK_Super_L},  {62, XK_Super_R},   {57, XK_Caps_Lock}, {117, XK_Delete},
        {114, XK_Insert},   {115, XK_Home},    {119, XK_End},      {116, XK_Prior},    {121, XK_Next},
        {122, XK_F1},       {120, XK_F2},      {99, XK_F3},        {111, XK_F12},      {123, XK_Left},
        {124, XK_Right},    {125, XK_Down},    {126, XK_Up},       {76, XK_KP_Enter},  {75, XK_KP_Divide},
        {71, XK_Num_Lock},  {92, XK_KP_Prior}, {82, XK_KP_Insert},  // keypad keys without Num Lock
    };
    for (const Case& c : cases) {
        const KeySym got = XkbKeycodeToKeysym(x, table.keycode(c.mac), 0, 0);
        EXPECT_EQ(got, c.sym) << "stored key " << c.mac << " gives " << XKeysymToString(got);
    }
}

TEST(KeyTable, KeysWithoutAnXKey)
{
    EXPECT_EQ(KeyTable::keyName(0), "AC01");
    EXPECT_EQ(KeyTable::keyName(55), "LCTL");
    EXPECT_TRUE(KeyTable::keyName(63).isEmpty());  // fn is no key of its own
    EXPECT_TRUE(KeyTable::keyName(127).isEmpty());
    KeyTable unloaded;
    EXPECT_EQ(unloaded.keycode(0), 0);
    EXPECT_EQ(unloaded.keycode(60000), 0);
    EXPECT_EQ(unloaded.macKeyCode(38), -1);
}

} // namespace
