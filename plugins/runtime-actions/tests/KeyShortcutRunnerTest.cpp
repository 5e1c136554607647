// The key action type, running side, on the virtual desktop: the key chosen
// on the layout of the moment, and the events of typing, pressing and
// releasing a key with its modifiers.
#include "KeyShortcut/KeyShortcut.h"
#include "RunnerTestSupport.h"
#include "TestSupport.h"
#include "VirtualPlatform.h"

#include <QHash>
#include <gtest/gtest.h>
#include <thread>

using namespace zelk;
using namespace zelk::engine;
using namespace zelk::test;

namespace {

// The host's character table of a French-like layout: "q" where US
// keyboards have A, "a" where they have Q, "é" on the 2 key. Characters
// it lacks answer no key (-1 in both halves).
class LayoutUtility : public QVUtilityClass {
public:
    quint32 asciiKeycodesForAsciiChar(char c) override { return table.value(uchar(c), 0xFFFFFFFF); }
    QHash<uchar, quint32> table{{'q', 0xFFFF0000 | 0},  {'a', 0xFFFF0000 | 12},  {'c', 0xFFFF0000 | 8},
                                {'1', 0xFFFF0200 | 18}, {'!', 0xFFFF0000 | 44}, {'*', 0xFFFF0000 | 42},
                                {0xE9, 0xFFFF0000 | 19}, {'^', 0x000EFFFF},
                                // Each side of the rule's edges (32/33, 41/42, 57/58) on another key
                                // here, so a moved edge shows.
                                {' ', 0xFFFF0000 | 3},  {')', 0xFFFF0000 | 23}, {'9', 0xFFFF0000 | 33},
                                {':', 0xFFFF0000 | 47}};
};

QVariantMap params(int model, qint64 keycode, qint64 ascii)
{
    return {{"Action", model}, {"Keycode", keycode}, {"AsciiCode", ascii}, {"String", "ignored"}};
}

class KeyShortcutRunnerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(loadActionRunners());
        desktop = VirtualPlatform::current();
        ASSERT_NE(desktop, nullptr);
        ClassRegistry::shared().registerClass(&layout);
        desktop->clearEventLog();
    }

    void TearDown() override
    {
        ClassRegistry::shared().unregisterClass(QStringLiteral("QVUtility"));
        QVAction::saveModifierState(0, true);
    }

    QString run(const QVariantMap& data)
    {
        return runAction(actionWithParameters("KeyShortcut", "key", 12, data), controller);
    }

    QStringList log() const { return desktop->eventLogStrings(); }

    LayoutUtility layout;
    VirtualPlatform* desktop = nullptr;
    std::shared_ptr<TestController> controller = std::make_shared<TestController>();
};

TEST_F(KeyShortcutRunnerTest, KeyIsFoundAgainOnTheCurrentLayout)
{
    const struct {
        quint32 keycode;
        int ascii;
        quint32 expected;
        const char* why;
    } cases[] = {
        {12, 'q', 0, "a letter moves to where the layout has it"},
        {0x100000 | 12, 'q', 0x100000 | 0, "the recorded modifiers stay"},
        {0x20000 | 18, '!', 0x20000 | 44, "33-41 follow the layout; its own modifiers are not added"},
        {0, 0xE9, 19, "characters above 127 follow the layout"},
        {18, '1', 18, "digits keep their physical key"},
        {0x20000 | 28, '*', 0x20000 | 28, "* + , - . / keep theirs"},
        {36, 13, 36, "control characters keep theirs"},
        {49, ' ', 49, "space keeps its key"},
        {0x20000 | 25, ')', 0x20000 | 23, "41, the last of 33-41, follows the layout"},
        {25, '9', 25, "57, the last digit, keeps its key"},
        {0x20000 | 41, ':', 0x20000 | 47, "58, past the digits, follows the layout"},
        {0x200000 | 0, 'a', 0x200000 | 0, "a keypad key keeps its code"},
        {0x800000 | 122, 'a', 0x800000 | 122, "a function key keeps its code"},
        {10, 0xFF, 10, "no key on this layout: the recorded key, never key 127"},
        {30, '^', 30, "a low half of -1 is no key, whatever the upper half"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(KeyShortcut::keycodeOnCurrentLayout(c.keycode, quint8(c.ascii)), c.expected) << c.why;

    ClassRegistry::shared().unregisterClass(QStringLiteral("QVUtility"));
    EXPECT_EQ(KeyShortcut::keycodeOnCurrentLayout(12, 'q'), 12u) << "no host: the recorded key";
}

TEST_F(KeyShortcutRunnerTest, ModifiersAloneOrWithTheLayoutsKey)
{
    // Command and Shift, key code 0, no character: the modifiers alone.
    EXPECT_EQ(run(params(1, 0x120000, 0)), QString());
    EXPECT_EQ(log(), (QStringList{"exclusive-begin", "down 55", "down 56", "up 56", "up 55", "exclusive-end"}));

    // The same word with "a": the layout's key for it, between the modifiers.
    desktop->clearEventLog();
    EXPECT_EQ(run(params(1, 0x120000, 'a')), QString());
    EXPECT_EQ(log(), (QStringList{"exclusive-begin", "down 55", "down 56", "down 12", "up 12", "up 56", "up 55",
                                  "exclusive-end"}));
    EXPECT_TRUE(KeyShortcut::isOnlyModifiers(0x120000, 0));
    EXPECT_FALSE(KeyShortcut::isOnlyModifiers(0x120000, 'a'));
    EXPECT_FALSE(KeyShortcut::isOnlyModifiers(0, 0));
}

TEST_F(KeyShortcutRunnerTest, PressThenReleaseLeavesNothingDown)
{
    const quint32 word = 0x100000 | 0x80000 | 8;  // Ctrl+Alt+C
    EXPECT_EQ(run(params(2, word, 'c')), QString());
    EXPECT_EQ(log(), (QStringList{"exclusive-begin", "down 55", "down 58", "down 8", "exclusive-end"}));

    // Held engine-wide: the mouse action presses them again around its clicks.
    desktop->clearEventLog();
    QVAction::resetModifierState();
    QVAction::restoreModifierState();
    EXPECT_EQ(log(), (QStringList{"up 8", "up 58", "up 55", "down 55", "down 58", "down 8"}));

    desktop->clearEventLog();
    EXPECT_EQ(run(params(3, word, 'c')), QString());
    EXPECT_EQ(log(), (QStringList{"exclusive-begin", "up 8", "up 58", "up 55", "exclusive-end"}));
    EXPECT_EQ(desktop->heldKeys(), EventPoster::KeyMap{});
    desktop->clearEventLog();
    QVAction::restoreModifierState();
    EXPECT_TRUE(log().isEmpty()) << "nothing is held any more";

    // Releasing keys that are not down posts the key-ups all the same.
    desktop->clearEventLog();
    EXPECT_EQ(run(params(3, 0x40000 | 36, 13)), QString());
    EXPECT_EQ(log(), (QStringList{"exclusive-begin", "up 36", "up 59", "exclusive-end"}));
}

TEST_F(KeyShortcutRunnerTest, ModelOutsideTheTableDoesNothing)
{
    for (const int model : {0, 4, -1}) {
        EXPECT_EQ(run(params(model, 8, 'c')), QString()) << model;
        EXPECT_TRUE(log().isEmpty()) << model;
    }
}

TEST_F(KeyShortcutRunnerTest, RunThreadReportsSuccess)
{
    const auto action = actionWithParameters("KeyShortcut", "key", 13, params(1, 49, ' '));
    ASSERT_TRUE(action);
    std::thread thread([&] { action->runActionFromObjectInThread(controller); });
    thread.join();
    EXPECT_TRUE(controller->ended);
    EXPECT_EQ(controller->outcome, QString());
    EXPECT_EQ(log(), (QStringList{"exclusive-begin", "down 49", "up 49", "exclusive-end"}));
}

} // namespace
