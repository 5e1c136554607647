// Simulated input events against the virtual desktop's event log.
#include "QVActionTestSupport.h"
#include "VirtualPlatform.h"

#include <gtest/gtest.h>
#include <semaphore>
#include <thread>

using namespace zelk;
using zelk::test::LogCapture;

namespace {

class QVActionEvents : public ::testing::Test {
protected:
    void SetUp() override
    {
        desktop = VirtualPlatform::current();
        ASSERT_NE(desktop, nullptr) << "tests run on the virtual backend";
        desktop->clearEventLog();
    }
    void TearDown() override
    {
        for (uint16_t k = 0; k < 128; ++k)
            desktop->userReleasesKey(k);
    }
    QStringList log() const { return desktop->eventLogStrings(); }

    VirtualPlatform* desktop = nullptr;
};

// The release that undoes a press: the same events, reversed, each up.
QStringList undone(const QStringList& press)
{
    QStringList out;
    for (auto it = press.crbegin(); it != press.crend(); ++it)
        out << QString(*it).replace("down", "up");
    return out;
}

struct KeyCase {
    const char* what;
    quint32 word;
    bool onlyModifiers;
    QStringList press;
};

} // namespace

TEST_F(QVActionEvents, PressAndReleaseFollowTheModifierOrderAndNest)
{
    const KeyCase cases[] = {
        {"all five modifiers and a key", 0x1F0000 | 12, false,
         {"down 55", "down 56", "down 57", "down 58", "down 59", "down 12"}},
        {"option and control keep their own order", 0xC0000 | 1, false, {"down 58", "down 59", "down 1"}},
        {"only modifiers, with flags", 0x120000 | 12, true, {"down 55", "down 56"}},
        {"only modifiers, without flags", 12, true, {}},
        {"key code 0 is a key", 0x40000, false, {"down 59", "down 0"}},
        {"key code 0 alone", 0, false, {"down 0"}},
        {"numeric-pad and function flags post no key", 0xA00000 | 3, false, {"down 3"}},
        {"numeric-pad and function flags alone", 0xA00000, true, {}},
        {"bits above the key code are not part of it", 0x85, false, {"down 5"}},
    };
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(c.what);
        desktop->clearEventLog();
        QVAction::simulateKeyPressForKeycode(c.word, c.onlyModifiers);
        EXPECT_EQ(log(), c.press);
        desktop->clearEventLog();
        QVAction::simulateKeyReleaseForKeycode(c.word, c.onlyModifiers);
        EXPECT_EQ(log(), undone(c.press));
    }
}

TEST_F(QVActionEvents, PostVirtualKeyEventPostsOneKeyInEitherDirection)
{
    PostVirtualKeyEvent(0, true);
    QVAction::postVirtualKeyEvent(0, false);
    QVAction::postVirtualKeyEvent(126, true);
    EXPECT_EQ(log(), QStringList({"down 0", "up 0", "down 126"}));
}

TEST_F(QVActionEvents, ReleaseAllNormalKeysLeavesTheModifiersHeld)
{
    for (uint16_t k : {60, 55, 4, 0, 59})
        desktop->userPressesKey(k);
    QVAction::releaseAllNormalKeys();
    // In key-code order; the right-hand modifier 60 is released like a letter.
    EXPECT_EQ(log(), QStringList({"up 0", "up 4", "up 60"}));
    const EventPoster::KeyMap held = desktop->heldKeys();
    EXPECT_TRUE(held[55 / 8] & (1u << (55 % 8))) << "command stays held";
    EXPECT_TRUE(held[59 / 8] & (1u << (59 % 8))) << "control stays held";
}

TEST_F(QVActionEvents, ReleaseAllNormalKeysWithOnlyModifiersHeldPostsNothing)
{
    for (uint16_t k = 55; k <= 59; ++k)
        desktop->userPressesKey(k);
    QVAction::releaseAllNormalKeys();
    EXPECT_TRUE(log().isEmpty()) << log().join(", ").toStdString();
}

TEST_F(QVActionEvents, SavedModifierStateIsPressedAndReleasedAgain)
{
    // Nothing saved yet: word 0 with only modifiers.
    QVAction::restoreModifierState();
    QVAction::resetModifierState();
    EXPECT_TRUE(log().isEmpty()) << log().join(", ").toStdString();

    // The key action holding command-shift-G.
    QVAction::saveModifierState(0x120000 | 5, false);
    QVAction::restoreModifierState();
    EXPECT_EQ(log(), QStringList({"down 55", "down 56", "down 5"}));
    desktop->clearEventLog();
    QVAction::resetModifierState();
    EXPECT_EQ(log(), QStringList({"up 5", "up 56", "up 55"}));

    // The key action releasing them saves 0 with only modifiers.
    desktop->clearEventLog();
    QVAction::saveModifierState(0, true);
    QVAction::restoreModifierState();
    QVAction::resetModifierState();
    EXPECT_TRUE(log().isEmpty()) << log().join(", ").toStdString();
}

TEST_F(QVActionEvents, MouseOperationsPostAtThePoint)
{
    EXPECT_EQ(QVAction::simulatePrimaryMouseButtonEventAt({10, 20}, true), 0);
    EXPECT_EQ(QVAction::simulatePrimaryMouseButtonEventAt({10, 20}, false), 0);
    EXPECT_EQ(QVAction::simulateSecondaryMouseButtonEventAt({30, 40}, true), 0);
    EXPECT_EQ(QVAction::simulateSecondaryMouseButtonEventAt({30, 40}, false), 0);
    EXPECT_EQ(QVAction::simulateMouseMoveEventAt({1.5, 2}), 0);
    EXPECT_EQ(QVAction::simulateMouseDragEventAt({3, 4}), 0);
    EXPECT_EQ(QVAction::simulateMouseEndDragEventAt({5, 6}), 0);
    EXPECT_EQ(log(), QStringList({"mouse-down primary {10, 20}", "mouse-up primary {10, 20}",
                                  "mouse-down secondary {30, 40}", "mouse-up secondary {30, 40}", "move {1.5, 2}",
                                  "drag {3, 4}", "mouse-up primary {5, 6}"}));
}

TEST_F(QVActionEvents, ScrollWheelsTakeTheirForms)
{
    QVAction::simulateNormalScrollWheel(-3);
    QVAction::simulateAlternateScrollWheel(7);
    EXPECT_EQ(log(), QStringList({"scroll 1 -3 0", "scroll 2 0 7"}));
}

namespace {

// A desktop whose every post fails with error 5.
class FailingDesktop : public VirtualPlatform {
public:
    int postKey(uint16_t, bool) override { return 5; }
    int postMouseButton(Button, const QPointF&, bool) override { return 5; }
    int postMouseMove(const QPointF&, bool) override { return 5; }
    int postScroll(int, int32_t, int32_t) override { return 5; }
};

} // namespace

TEST_F(QVActionEvents, FailedPostsAreLoggedAndMouseOperationsAnswerTheCode)
{
    std::unique_ptr<Platform> previous = Platform::install(std::make_unique<FailingDesktop>());
    struct Case {
        const char* expectedLine;
        std::function<int()> post; // -1 for operations that answer nothing
    };
    const Case cases[] = {
        {"Posting virtual key down event: 7; err=5", [] { return PostVirtualKeyEvent(7, true), -1; }},
        {"Posting virtual key up event: 0; err=5", [] { return QVAction::postVirtualKeyEvent(0, false), -1; }},
        {"Posting mouse primary button event: err=5",
         [] { return QVAction::simulatePrimaryMouseButtonEventAt({1, 1}, true); }},
        {"Posting mouse secondary button event: err=5",
         [] { return QVAction::simulateSecondaryMouseButtonEventAt({1, 1}, true); }},
        {"Posting mouse move event: err=5", [] { return QVAction::simulateMouseMoveEventAt({1, 1}); }},
        {"Posting mouse drag event: err=5", [] { return QVAction::simulateMouseDragEventAt({1, 1}); }},
        {"Posting mouse primary button event: err=5", [] { return QVAction::simulateMouseEndDragEventAt({1, 1}); }},
        {"Posting mouse normal scroll wheel event: err=5", [] { return QVAction::simulateNormalScrollWheel(1), -1; }},
        {"Posting mouse alternate scroll wheel event: err=5",
         [] { return QVAction::simulateAlternateScrollWheel(1), -1; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expectedLine);
        LogCapture capture;
        const int result = c.post();
        if (result != -1) {
            EXPECT_EQ(result, 5);
        }
        EXPECT_TRUE(capture.contains(c.expectedLine)) << capture.lines().join("\n").toStdString();
    }
    Platform::install(std::move(previous));
}

TEST_F(QVActionEvents, ExclusiveSourceEndsOnlyWithTheLastOfOverlappingBrackets)
{
    std::binary_semaphore firstStarted(0), secondStarted(0), firstStopped(0), secondMayStop(0);
    std::thread first([&] {
        QVAction::startBeingExclusiveSourceOfEvents();
        firstStarted.release();
        secondStarted.acquire();
        QVAction::stopBeingExclusiveSourceOfEvents();
        firstStopped.release();
    });
    std::thread second([&] {
        firstStarted.acquire();
        QVAction::startBeingExclusiveSourceOfEvents();
        secondStarted.release();
        secondMayStop.acquire();
        QVAction::stopBeingExclusiveSourceOfEvents();
    });

    firstStopped.acquire();
    EXPECT_EQ(log(), QStringList({"exclusive-begin"})) << "the first to stop must not end the second's bracket";
    EXPECT_EQ(desktop->exclusiveDepth(), 1);

    secondMayStop.release();
    first.join();
    second.join();
    EXPECT_EQ(log(), QStringList({"exclusive-begin", "exclusive-end"}));
    EXPECT_EQ(desktop->exclusiveDepth(), 0);
}

TEST_F(QVActionEvents, UnbalancedStopIsIgnoredAndLogged)
{
    {
        LogCapture capture;
        QVAction::stopBeingExclusiveSourceOfEvents();
        EXPECT_TRUE(capture.contains("stopBeingExclusiveSourceOfEvents")) << capture.lines().join("\n").toStdString();
    }
    EXPECT_TRUE(log().isEmpty()) << log().join(", ").toStdString();
    EXPECT_EQ(desktop->exclusiveDepth(), 0);

    // The count is not driven below zero: the next bracket still pairs.
    QVAction::startBeingExclusiveSourceOfEvents();
    QVAction::simulateKeyPressForKeycode(1, false);
    QVAction::stopBeingExclusiveSourceOfEvents();
    EXPECT_EQ(log(), QStringList({"exclusive-begin", "down 1", "exclusive-end"}));
    EXPECT_EQ(desktop->exclusiveDepth(), 0);
}
