// Key-combination launchers: registration as objects and rules switch them,
// and the press/release handling of the launchers manager as one table of
// key sequences on the virtual clock.
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

TEST_F(LauncherKeysTest, TheNumericPadBitMakesNoOtherCombination)
{
    // Shift-Up as the launcher editor captures it carries the numeric-pad
    // bit; the desktop grabs one combination for both launchers and reports
    // the code it registered first.
    EventLog log;
    auto loaded = load({keyRecord(1, ShiftUp | NumericPad), keyRecord(2, ShiftUp)});
    auto pad = activeObject("pad", {loaded[0]}, &log);
    auto plain = activeObject("plain", {loaded[1]}, &log);
    log.clear();
    ASSERT_TRUE(press(ShiftUp | NumericPad));
    release(ShiftUp | NumericPad);
    EXPECT_EQ(log.lines(), QStringList({"pad run", "plain run"}));
}

// --- The key state machine: press and release sequences on the virtual clock

// A launcher of a sequence: the name its object logs runs under, its first
// key and its options (a second key, run on release, repeat).
struct KeyLauncher {
    const char* name;
    quint32 code;
    KeyOptions options = {};
};

struct KeyStep {
    enum Kind { Press, Release, Wait, Expect } kind;
    quint32 code = 0;
    double seconds = 0;
    // Expect: the runs so far, the manager's state ("idle", "waiting" for a
    // second key, "released": the first key let go while waiting) and the
    // key events typed through to the front application so far.
    QStringList runs = {};
    QString state = {};
    QStringList typed = {};
};

KeyStep down(quint32 code) { return {KeyStep::Press, code}; }
KeyStep up(quint32 code) { return {KeyStep::Release, code}; }
KeyStep after(double seconds) { return {KeyStep::Wait, 0, seconds}; }
KeyStep expect(const QStringList& runs, const QString& state = "idle", const QStringList& typed = {})
{
    return {KeyStep::Expect, 0, 0, runs, state, typed};
}

struct KeySequence {
    const char* name;
    QList<KeyLauncher> launchers;
    QList<KeyStep> steps;
};

void PrintTo(const KeySequence& c, std::ostream* os) { *os << c.name; }

class KeyStateMachineTest : public EngineObjectsTest, public ::testing::WithParamInterface<KeySequence> {
protected:
    QString state()
    {
        if (!launchers().isWaitingSecondKey())
            return "idle";
        return launchers().isFirstKeyReleasedWhileWaiting() ? "released" : "waiting";
    }
};

TEST_P(KeyStateMachineTest, Sequence)
{
    const KeySequence& c = GetParam();
    EventLog log;
    QVariantList records;
    for (qsizetype i = 0; i < c.launchers.size(); ++i)
        records << keyRecord(quint32(i + 1), c.launchers[i].code, c.launchers[i].options);
    const auto loaded = load(records);
    QList<std::shared_ptr<FakeObject>> objects;
    for (qsizetype i = 0; i < c.launchers.size(); ++i)
        objects << activeObject(c.launchers[i].name, {loaded[i]}, &log);
    log.clear();
    vp->clearEventLog();

    for (qsizetype at = 0; at < c.steps.size(); ++at) {
        const KeyStep& step = c.steps[at];
        SCOPED_TRACE(QString("step %1").arg(at).toStdString());
        switch (step.kind) {
        case KeyStep::Press:
            ASSERT_TRUE(press(step.code)) << "every key pressed here is registered";
            break;
        case KeyStep::Release:
            ASSERT_TRUE(release(step.code));
            break;
        case KeyStep::Wait:
            advance(step.seconds);
            break;
        case KeyStep::Expect:
            EXPECT_EQ(log.lines(), step.runs);
            EXPECT_EQ(state(), step.state);
            EXPECT_EQ(typedKeys(), step.typed);
            break;
        }
    }
    // A key passed through is registered again at once.
    for (const auto& launcher : loaded) {
        EXPECT_TRUE(isRegistered(launcher->QVLKeycode())) << launcher->description().toStdString();
        if (launcher->QVLHas2Keycode()) {
            EXPECT_TRUE(isRegistered(launcher->QVLKeycode2())) << launcher->description().toStdString();
        }
    }
}

// Cmd-A is typed as Ctrl down, A down, A up, Ctrl up; Cmd-B likewise.
const QStringList TypedCmdA{"down 55", "down 0", "up 0", "up 55"};
const QStringList TypedCmdB{"down 55", "down 11", "up 11", "up 55"};
const KeyLauncher One{"one", CmdA};
const KeyLauncher Pair{"two", CmdA, KeyOptions().thenKey(KeyB)};

INSTANTIATE_TEST_SUITE_P(
    Keys, KeyStateMachineTest,
    ::testing::Values(
        // One key.
        KeySequence{"OneKeyRunsOnPress", {One}, {down(CmdA), expect({"one run"}), up(CmdA), expect({"one run"})}},
        KeySequence{"RunOnReleaseWaitsForTheRelease",
                    {{"one", CmdA, KeyOptions().onRelease()}},
                    {down(CmdA), expect({}), up(CmdA), expect({"one run"})}},
        KeySequence{"RepeatRunsWhileHeldAndStopsOnRelease",
                    {{"one", CmdA, KeyOptions().repeating(0.5)}},
                    {down(CmdA), expect({"one run"}), after(0.5), expect({"one run", "one run"}), after(0.5),
                     expect({"one run", "one run", "one run"}), up(CmdA), after(2.0), expect({"one run", "one run", "one run"})}},
        KeySequence{"ARepeatIntervalOfZeroIsBounded",
                    {{"one", CmdA, KeyOptions().repeating(0.0)}},
                    {down(CmdA), after(engine::QVLauncher::MinimumRepeatDelay / 2), expect({"one run"}),
                     after(engine::QVLauncher::MinimumRepeatDelay / 2), expect({"one run", "one run"}), up(CmdA)}},

        // Two keys: Cmd-A alone ("one") and Cmd-A then Cmd-B ("two").
        KeySequence{"ASecondKeyWithinTheWaitRunsThePairOnly",
                    {One, Pair},
                    {down(CmdA), expect({}, "waiting"), after(0.5), up(CmdA), expect({}, "released"), down(CmdB),
                     expect({"two run"}), up(CmdB), after(2.0), expect({"two run"})}},
        KeySequence{"WithoutASecondKeyTheOneKeyLauncherRunsWhenTheWaitEnds",
                    {One, Pair},
                    {down(CmdA), up(CmdA), after(0.9), expect({}, "released"), after(0.2), expect({"one run"}),
                     // Past the wait, the second key alone is a key like any other.
                     down(CmdB), up(CmdB), after(engine::QVLauncher::TypeThroughDelay), expect({"one run"}, "idle", TypedCmdB)}},
        KeySequence{"ARunOnReleaseOneKeyLauncherRunsAtTheWaitsEndWhenAlreadyReleased",
                    {{"one", CmdA, KeyOptions().onRelease()}, Pair},
                    {down(CmdA), up(CmdA), after(1.0), expect({"one run"})}},
        KeySequence{"ARunOnReleaseOneKeyLauncherStillHeldRunsOnItsRelease",
                    {{"one", CmdA, KeyOptions().onRelease()}, Pair},
                    {down(CmdA), after(1.0), expect({}), up(CmdA), expect({"one run"})}},
        KeySequence{"ARepeatingOneKeyLauncherReleasedDuringTheWaitRunsOnce",
                    {{"one", CmdA, KeyOptions().repeating(0.5)}, Pair},
                    {down(CmdA), up(CmdA), after(1.0), after(2.0), expect({"one run"})}},
        KeySequence{"ARunOnReleasePairRunsOnTheSecondKeysRelease",
                    {One, {"two", CmdA, KeyOptions().onRelease().thenKey(KeyB)}},
                    {down(CmdA), down(CmdB), expect({}), up(CmdB), expect({"two run"}), up(CmdA), after(2.0), expect({"two run"})}},
        KeySequence{"ARepeatingPairStopsOnTheSecondKeysRelease",
                    {One, {"two", CmdA, KeyOptions().repeating(0.5).thenKey(KeyB)}},
                    {down(CmdA), down(CmdB), after(0.5), expect({"two run", "two run"}), up(CmdB), after(2.0),
                     expect({"two run", "two run"})}},
        KeySequence{"APressThatEndsTheWaitClearsBothFlags",
                    {{"one", CmdA, KeyOptions().onRelease()}, Pair, {"other", CmdC}},
                    {down(CmdA), up(CmdA), expect({}, "released"),
                     down(CmdC), expect({}), up(CmdC), // not a second key: ends the wait and is swallowed
                     // A new wait must not believe the key it waits on was released.
                     down(CmdA), after(1.0), expect({}), up(CmdA), expect({"one run"})}},
        KeySequence{"AnEndedWaitDoesNotCutTheNextWaitShort",
                    {One, Pair},
                    {down(CmdA), after(0.5), down(CmdB), up(CmdB), up(CmdA), expect({"two run"}), after(0.3),
                     down(CmdA), after(0.4), expect({"two run"}, "waiting"), down(CmdB), expect({"two run", "two run"})}},
        KeySequence{"AFirstKeyAloneIsTypedThroughWhenTheWaitEnds",
                    {Pair},
                    {down(CmdA), up(CmdA), after(0.9), expect({}, "released"), after(0.1), expect({}, "idle", TypedCmdA)}},
        KeySequence{"ASecondKeyPressedAloneIsTypedThroughAfterItsRelease",
                    {Pair},
                    {down(CmdB), up(CmdB), expect({}), after(engine::QVLauncher::TypeThroughDelay), expect({}, "idle", TypedCmdB)}}),
    [](const auto& info) { return std::string(info.param.name); });

// Only a two-key launcher that would run makes its first key wait.
struct IdlePairCase {
    const char* name;
    bool pairObjectActive;
    bool pairForcedOff;
};

void PrintTo(const IdlePairCase& c, std::ostream* os) { *os << c.name; }

class IdlePairTest : public EngineObjectsTest, public ::testing::WithParamInterface<IdlePairCase> {};

TEST_P(IdlePairTest, AnInactivePairDoesNotHoldUpTheOneKeyLauncher)
{
    const IdlePairCase& c = GetParam();
    EventLog log;
    auto loaded = load({keyRecord(1, CmdA), keyRecord(2, CmdA, KeyOptions().thenKey(KeyB))});
    auto one = activeObject("one", {loaded[0]}, &log);
    auto pair = std::make_shared<FakeObject>("two", &log);
    pair->linkTo(loaded[1]);
    if (c.pairObjectActive)
        pair->setObjectActivated(true);
    if (c.pairForcedOff)
        loaded[1]->setLauncherActivated(false, true);
    log.clear();

    ASSERT_TRUE(press(CmdA));
    EXPECT_FALSE(launchers().isWaitingSecondKey());
    EXPECT_EQ(log.lines(), QStringList{"one run"}) << "the one-key launcher runs at once";
    release(CmdA);
}

INSTANTIATE_TEST_SUITE_P(Keys, IdlePairTest,
                         ::testing::Values(IdlePairCase{"NoActiveObject", false, false},
                                           IdlePairCase{"ForcedOffByAContext", true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

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
