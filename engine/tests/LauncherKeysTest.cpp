// Key-combination launchers: registration as objects and rules switch them,
// and the press/release handling of the launchers manager.
#include "EngineObjectsTestSupport.h"

using namespace enginetest;

namespace {

class LauncherKeysTest : public EngineObjectsTest {};

TEST_F(LauncherKeysTest, RegisteredWhileAnyLinkedObjectIsActive)
{
    auto loaded = load({keyRecord(1, CmdA)});
    auto launcher = loaded[0];
    EXPECT_FALSE(isRegistered(CmdA)) << "nothing is registered before an object wants it";

    auto first = activeObject("first", loaded);
    auto second = activeObject("second", loaded);
    EXPECT_TRUE(isRegistered(CmdA));
    EXPECT_EQ(launcher->activatedCount(), 2);

    first->setObjectActivated(false);
    EXPECT_TRUE(isRegistered(CmdA));
    second->setObjectActivated(false);
    EXPECT_FALSE(isRegistered(CmdA));
    EXPECT_EQ(launcher->activatedCount(), 0);

    second->setObjectActivated(false);
    EXPECT_EQ(launcher->activatedCount(), 0) << "an object that is off is not counted again";
}

TEST_F(LauncherKeysTest, AnObjectNotLinkedDoesNotCount)
{
    auto loaded = load({keyRecord(1, CmdA)});
    FakeObject stranger("stranger");
    loaded[0]->activateObject(&stranger);
    EXPECT_EQ(loaded[0]->activatedCount(), 0);
    EXPECT_FALSE(isRegistered(CmdA));
}

TEST_F(LauncherKeysTest, SameCombinationTwiceRegistersOnceAndAPressRunsBoth)
{
    EventLog log;
    auto loaded = load({keyRecord(1, CmdA), keyRecord(2, CmdA)});
    auto one = activeObject("one", {loaded[0]}, &log);
    auto two = activeObject("two", {loaded[1]}, &log);
    EXPECT_TRUE(loaded[0]->isHotKeyRegistered());
    EXPECT_FALSE(loaded[1]->isHotKeyRegistered()) << "the second registration of a combination fails";
    EXPECT_EQ(vp->virtualHotKeys().registeredCodes(), QList<quint32>{CmdA});

    ASSERT_TRUE(press(CmdA));
    release(CmdA);
    EXPECT_EQ(log.lines(), QStringList({"one on", "two on", "one run", "two run"}));
}

TEST_F(LauncherKeysTest, ForcedOffSurvivesNonForcedOnUntilAForcedOn)
{
    auto loaded = load({keyRecord(1, CmdA)});
    auto launcher = loaded[0];

    launcher->setLauncherActivated(false, true);
    auto object = activeObject("cut", loaded);
    EXPECT_FALSE(isRegistered(CmdA));
    EXPECT_TRUE(launcher->isForceDeactivated());

    launcher->setLauncherActivated(true, true);
    EXPECT_TRUE(isRegistered(CmdA));
    EXPECT_FALSE(launcher->isForceDeactivated());

    // A forced on with nobody wanting the key clears the force, registers nothing.
    object->setObjectActivated(false);
    launcher->setLauncherActivated(false, true);
    launcher->setLauncherActivated(true, true);
    EXPECT_FALSE(isRegistered(CmdA));
    EXPECT_FALSE(launcher->isForceDeactivated());
}

TEST_F(LauncherKeysTest, ForceDeactivatedLauncherRunsNothing)
{
    auto loaded = load({keyRecord(1, CmdA)});
    auto object = activeObject("cut", loaded);
    launchers().setAllHotkeysActivated(false);
    EXPECT_FALSE(isRegistered(CmdA));
    loaded[0]->runLauncher();
    EXPECT_EQ(object->runs, 0);
    launchers().setAllHotkeysActivated(true);
    EXPECT_TRUE(isRegistered(CmdA));
}

TEST_F(LauncherKeysTest, ACombinationHeldByAnotherProgramIsReportedOnce)
{
    // Told once per process: a repeated run of the test takes another key.
    static quint32 nextKey = 17;
    const quint32 key = nextKey++ % 50;
    const quint32 combination = 0x40000 | 0x80000 | key;
    const QString name = "Super+Alt+" + vp->virtualKeyboardLayout().characterForKey(quint16(key), 0).toUpper();
    vp->virtualHotKeys().grabElsewhere(combination);
    auto loaded = load({keyRecord(1, combination)});
    auto object = activeObject("cut", loaded);
    processQueued();
    EXPECT_FALSE(isRegistered(combination));
    ASSERT_EQ(utility.alerts().size(), 1);
    EXPECT_TRUE(utility.alerts()[0].contains(name)) << utility.alerts()[0].toStdString();

    object->setObjectActivated(false);
    object->setObjectActivated(true);
    processQueued();
    EXPECT_EQ(utility.alerts().size(), 1) << "told once per combination";
    vp->virtualHotKeys().grabElsewhere(combination, false);
}

TEST_F(LauncherKeysTest, TheSecondKeyCarriesTheFirstKeysModifiers)
{
    constexpr quint32 CtrlAlt = 0x40000 | 0x80000;
    auto launcher = load({keyRecord(1, CtrlAlt | KeyA, KeyOptions().thenKey(KeyB))})[0];
    EXPECT_TRUE(launcher->QVLHas2Keycode());
    EXPECT_EQ(launcher->QVLKeycode2(), CtrlAlt | KeyB);

    auto object = activeObject("cut", {launcher});
    EXPECT_TRUE(isRegistered(CtrlAlt | KeyA));
    EXPECT_TRUE(isRegistered(CtrlAlt | KeyB));
}

// --- one key

TEST_F(LauncherKeysTest, PressRunsAtOnce)
{
    auto object = activeObject("cut", load({keyRecord(1, CmdA)}));
    press(CmdA);
    EXPECT_EQ(object->runs, 1);
    release(CmdA);
    EXPECT_EQ(object->runs, 1);
}

TEST_F(LauncherKeysTest, RunOnReleaseWaitsForTheRelease)
{
    auto object = activeObject("cut", load({keyRecord(1, CmdA, KeyOptions().onRelease())}));
    press(CmdA);
    EXPECT_EQ(object->runs, 0);
    release(CmdA);
    EXPECT_EQ(object->runs, 1);
}

TEST_F(LauncherKeysTest, RepeatRunsWhileHeldAndStopsOnRelease)
{
    auto object = activeObject("cut", load({keyRecord(1, CmdA, KeyOptions().repeating(0.5))}));
    press(CmdA);
    EXPECT_EQ(object->runs, 1) << "the first run is immediate";
    advance(0.5);
    EXPECT_EQ(object->runs, 2);
    advance(0.5);
    EXPECT_EQ(object->runs, 3);
    release(CmdA);
    advance(2.0);
    EXPECT_EQ(object->runs, 3);
}

TEST_F(LauncherKeysTest, ARepeatIntervalOfZeroIsBounded)
{
    auto launcher = load({keyRecord(1, CmdA, KeyOptions().repeating(0.0))})[0];
    EXPECT_DOUBLE_EQ(launcher->repeatDelay(), engine::QVLauncher::MinimumRepeatDelay);
    auto object = activeObject("cut", {launcher});
    press(CmdA);
    advance(engine::QVLauncher::MinimumRepeatDelay);
    EXPECT_EQ(object->runs, 2);
    release(CmdA);
}

TEST_F(LauncherKeysTest, SwitchingOffEndsARepeat)
{
    auto loaded = load({keyRecord(1, CmdA, KeyOptions().repeating(0.5))});
    auto object = activeObject("cut", loaded);
    press(CmdA);
    launchers().setAllHotkeysActivated(false);
    EXPECT_FALSE(loaded[0]->isRepeating());
    advance(1.0);
    EXPECT_EQ(object->runs, 1);
}

// --- two keys

class TwoKeysTest : public LauncherKeysTest {
protected:
    // Cmd-A alone (one), Cmd-A then Cmd-B (pair).
    void loadPair(KeyOptions single, KeyOptions pair)
    {
        pair.thenKey(KeyB);
        auto loaded = load({keyRecord(1, CmdA, single), keyRecord(2, CmdA, pair)});
        one = activeObject("one", {loaded[0]}, &log);
        two = activeObject("two", {loaded[1]}, &log);
        log.clear();
    }
    EventLog log;
    std::shared_ptr<FakeObject> one, two;
};

TEST_F(TwoKeysTest, ASecondKeyWithinTheWaitRunsThePairOnly)
{
    loadPair({}, {});
    press(CmdA);
    EXPECT_TRUE(launchers().isWaitingSecondKey());
    EXPECT_TRUE(log.lines().isEmpty());
    advance(0.5);
    release(CmdA);
    press(CmdB);
    EXPECT_EQ(log.lines(), QStringList{"two run"});
    release(CmdB);
    advance(2.0);
    EXPECT_EQ(log.lines(), QStringList{"two run"});
}

TEST_F(TwoKeysTest, WithoutASecondKeyTheOneKeyLauncherRunsWhenTheWaitEnds)
{
    loadPair({}, {});
    press(CmdA);
    release(CmdA);
    advance(0.9);
    EXPECT_TRUE(log.lines().isEmpty());
    advance(0.2);
    EXPECT_EQ(log.lines(), QStringList{"one run"});
    EXPECT_FALSE(launchers().isWaitingSecondKey());
}

TEST_F(TwoKeysTest, ARunOnReleaseOneKeyLauncherRunsAtTheWaitsEndWhenAlreadyReleased)
{
    loadPair(KeyOptions().onRelease(), {});
    press(CmdA);
    release(CmdA);
    advance(1.0);
    EXPECT_EQ(log.lines(), QStringList{"one run"});
}

TEST_F(TwoKeysTest, ARunOnReleaseOneKeyLauncherStillHeldRunsOnItsRelease)
{
    loadPair(KeyOptions().onRelease(), {});
    press(CmdA);
    advance(1.0);
    EXPECT_TRUE(log.lines().isEmpty());
    release(CmdA);
    EXPECT_EQ(log.lines(), QStringList{"one run"});
}

TEST_F(TwoKeysTest, ARepeatingOneKeyLauncherReleasedDuringTheWaitRunsOnce)
{
    loadPair(KeyOptions().repeating(0.5), {});
    press(CmdA);
    release(CmdA);
    advance(1.0);
    advance(2.0);
    EXPECT_EQ(log.lines(), QStringList{"one run"}) << "no repeat is left running without a key held";
}

TEST_F(TwoKeysTest, ARunOnReleasePairRunsOnTheSecondKeysRelease)
{
    loadPair({}, KeyOptions().onRelease());
    press(CmdA);
    press(CmdB);
    EXPECT_TRUE(log.lines().isEmpty());
    release(CmdB);
    EXPECT_EQ(log.lines(), QStringList{"two run"});
    release(CmdA);
    advance(2.0);
    EXPECT_EQ(log.lines(), QStringList{"two run"});
}

TEST_F(TwoKeysTest, ARepeatingPairStopsOnTheSecondKeysRelease)
{
    loadPair({}, KeyOptions().repeating(0.5));
    press(CmdA);
    press(CmdB);
    advance(0.5);
    EXPECT_EQ(two->runs, 2);
    release(CmdB);
    advance(2.0);
    EXPECT_EQ(two->runs, 2);
}

TEST_F(TwoKeysTest, APressThatEndsTheWaitClearsBothFlags)
{
    auto loaded = load({keyRecord(1, CmdA, KeyOptions().onRelease()), keyRecord(2, CmdA, KeyOptions().thenKey(KeyB)), keyRecord(3, CmdC)});
    one = activeObject("one", {loaded[0]}, &log);
    two = activeObject("two", {loaded[1]}, &log);
    auto other = activeObject("other", {loaded[2]}, &log);
    log.clear();
    press(CmdA);
    release(CmdA);
    EXPECT_TRUE(launchers().isFirstKeyReleasedWhileWaiting());
    ASSERT_TRUE(press(CmdC)); // registered, not a second key: ends the wait and is swallowed
    EXPECT_EQ(other->runs, 0);
    EXPECT_FALSE(launchers().isWaitingSecondKey());
    EXPECT_FALSE(launchers().isFirstKeyReleasedWhileWaiting());
    release(CmdC);

    // A new wait must not believe the key it waits on was released.
    press(CmdA);
    advance(1.0);
    EXPECT_TRUE(log.lines().isEmpty()) << "the key is still held";
    release(CmdA);
    EXPECT_EQ(log.lines(), QStringList{"one run"});
}

TEST_F(TwoKeysTest, AnEndedWaitDoesNotCutTheNextWaitShort)
{
    loadPair({}, {});
    press(CmdA);
    advance(0.5);
    press(CmdB); // ends the first wait
    release(CmdB);
    release(CmdA);
    log.clear();
    advance(0.3);
    press(CmdA); // a new wait, 0.8 s after the first began
    advance(0.4);
    EXPECT_TRUE(launchers().isWaitingSecondKey());
    press(CmdB);
    EXPECT_EQ(log.lines(), QStringList{"two run"});
}

TEST_F(TwoKeysTest, AFirstKeyAloneIsTypedThroughWhenTheWaitEnds)
{
    auto object = activeObject("pair", load({keyRecord(1, CmdA, KeyOptions().thenKey(KeyB))}));
    press(CmdA);
    release(CmdA);
    vp->clearEventLog();
    advance(1.0);
    EXPECT_EQ(typedKeys(), QStringList({"down 55", "down 0", "up 0", "up 55"}));
    EXPECT_TRUE(isRegistered(CmdA)) << "registered again after passing it through";
    EXPECT_EQ(object->runs, 0);
}

TEST_F(TwoKeysTest, ASecondKeyPressedAloneIsTypedThroughAfterItsRelease)
{
    auto object = activeObject("pair", load({keyRecord(1, CmdA, KeyOptions().thenKey(KeyB))}));
    ASSERT_TRUE(press(CmdB)) << "the second key is registered too";
    release(CmdB);
    EXPECT_TRUE(typedKeys().isEmpty()) << "passed through only a moment after the release";
    advance(engine::QVLauncher::TypeThroughDelay);
    EXPECT_EQ(typedKeys(), QStringList({"down 55", "down 11", "up 11", "up 55"}));
    EXPECT_TRUE(isRegistered(CmdB));
    EXPECT_EQ(object->runs, 0);
}

TEST_F(LauncherKeysTest, ResetUnregistersAndLetsGoOfObjects)
{
    auto loaded = load({keyRecord(1, CmdA, KeyOptions().thenKey(KeyB))});
    auto object = activeObject("cut", loaded);
    std::weak_ptr<engine::QVLauncher> launcher = loaded[0];
    loaded.clear();
    launchers().resetLaunchers();
    EXPECT_TRUE(vp->virtualHotKeys().registeredCodes().isEmpty());
    EXPECT_EQ(launchers().launcherWithID(1), nullptr);
    object.reset(); // the fake held the launcher, as a shortcut does until its own reset
    EXPECT_TRUE(launcher.expired());
}

} // namespace
