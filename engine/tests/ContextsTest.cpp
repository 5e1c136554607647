// Contexts switched by application events and their rules; the actions manager.
#include "EngineObjectsTestSupport.h"

#include "QVAction.h"

#include <thread>

using namespace enginetest;
using engine::QVContext;

namespace {

class ContextsTest : public EngineObjectsTest {
protected:
    std::shared_ptr<FakeObject> objectIn(const QString& name, quint32 contextID)
    {
        auto object = std::make_shared<FakeObject>(name, &log);
        auto context = contexts().contextWithID(contextID);
        EXPECT_NE(context, nullptr) << "no context" << contextID;
        if (context)
            object->linkTo(context);
        return object;
    }
    static void frontChanged(const QString& from, const QString& to)
    {
        post("FrontAppChangedNotification", {{"LastFrontApp", from}, {"NewFrontApp", to}});
    }
    EventLog log;
};

TEST_F(ContextsTest, FrontChangeSwitchesLeavingAndComingContextsInOrder)
{
    contexts().setContexts({contextRecord(1, QVContext::AppInFront, "gedit"), contextRecord(2, QVContext::AppInFront, "xterm"),
                            contextRecord(3, QVContext::AppNotInFront, "gedit"),
                            contextRecord(4, QVContext::AppNotInFront, "xterm")});
    objectIn("front gedit", 1);
    objectIn("front xterm", 2);
    objectIn("back gedit", 3);
    objectIn("back xterm", 4);

    frontChanged("gedit.desktop", "xterm.desktop");

    EXPECT_EQ(log.lines(), QStringList({"front gedit off", "front xterm on", "back gedit on", "back xterm off"}));
}

TEST_F(ContextsTest, LeavingTheFrontKeepsAnObjectOfTheUniversalContextActive)
{
    contexts().setContexts({contextRecord(0, QVContext::Universal), contextRecord(1, QVContext::AppInFront, "gedit")});
    auto object = objectIn("cut", 0);
    object->linkTo(contexts().contextWithID(1));
    contexts().universalContext()->setContextActivated(true);

    frontChanged("xterm.desktop", "gedit.desktop");
    EXPECT_EQ(object->count, 2);
    frontChanged("gedit.desktop", "xterm.desktop");
    EXPECT_EQ(object->count, 1);
    EXPECT_TRUE(object->isActive());
}

TEST_F(ContextsTest, RunningContextsFollowEndOfLoadLaunchAndQuit)
{
    const qint64 gedit = vp->virtualWorkspace().userLaunches("gedit.desktop");
    contexts().setContexts({contextRecord(1, QVContext::AppRunning, "gedit"), contextRecord(2, QVContext::AppNotRunning, "gedit"),
                            contextRecord(3, QVContext::AppNotRunning, "xterm"), contextRecord(4, QVContext::AppInFront, "gedit")});
    auto running = objectIn("running gedit", 1);
    auto notRunning = objectIn("not running gedit", 2);
    auto xtermAbsent = objectIn("not running xterm", 3);
    auto front = objectIn("front gedit", 4);

    post("EndInitNotification");
    EXPECT_TRUE(running->isActive());
    EXPECT_FALSE(notRunning->isActive());
    EXPECT_TRUE(xtermAbsent->isActive());
    EXPECT_FALSE(front->isActive()) << "no front application was announced";

    log.clear();
    vp->virtualWorkspace().userQuits(gedit);
    post("AfterTerminateAppNotifcation", {{"AppPathName", "gedit.desktop"}});
    EXPECT_EQ(log.lines(), QStringList({"not running gedit on", "running gedit off"}));

    log.clear();
    post("AfterLaunchAppNotifcation", {{"AppPathName", "gedit.desktop"}});
    EXPECT_EQ(log.lines(), QStringList({"running gedit on", "not running gedit off"}));
}

TEST_F(ContextsTest, TheEndOfALoadSwitchesFrontContextsAsTheFrontStands)
{
    frontChanged("xterm.desktop", "gedit.desktop");
    contexts().setContexts({contextRecord(1, QVContext::AppInFront, "gedit"), contextRecord(2, QVContext::AppInFront, "xterm"),
                            contextRecord(3, QVContext::AppNotInFront, "gedit"),
                            contextRecord(4, QVContext::AppNotInFront, "xterm"),
                            contextRecord(5, QVContext::AppNotInFront, "xterm")});
    auto frontGedit = objectIn("front gedit", 1);
    auto frontXterm = objectIn("front xterm", 2);
    auto backGedit = objectIn("back gedit", 3);
    auto backXterm = objectIn("back xterm", 4);
    auto secondBackXterm = objectIn("second back xterm", 5);

    post("EndInitNotification");
    EXPECT_TRUE(frontGedit->isActive());
    EXPECT_FALSE(frontXterm->isActive());
    EXPECT_FALSE(backGedit->isActive());
    EXPECT_TRUE(backXterm->isActive()) << "an application not in front has its context on without being in front once";
    EXPECT_FALSE(secondBackXterm->isActive()) << "only the first context per application, as events switch them";

    frontChanged("gedit.desktop", "xterm.desktop");
    EXPECT_FALSE(frontGedit->isActive());
    EXPECT_TRUE(frontXterm->isActive());
    EXPECT_TRUE(backGedit->isActive());
    EXPECT_FALSE(backXterm->isActive());
}

TEST_F(ContextsTest, OnlyTheFirstContextOfAnApplicationIsSwitched)
{
    contexts().setContexts({contextRecord(1, QVContext::AppInFront, "gedit"), contextRecord(2, QVContext::AppInFront, "gedit")});
    auto first = objectIn("first", 1);
    auto second = objectIn("second", 2);
    frontChanged("xterm", "gedit.desktop");
    EXPECT_TRUE(first->isActive());
    EXPECT_FALSE(second->isActive());
}

struct RuleCase {
    const char* name;
    QVariantMap rule;
    bool firstRegisteredInFront;
    bool cmdBRegisteredInFront;
    quint32 first = CmdA; // the first launcher's combination
};

void PrintTo(const RuleCase& c, std::ostream* os) { *os << c.name; }

class ContextRulesTest : public ContextsTest, public ::testing::WithParamInterface<RuleCase> {};

TEST_P(ContextRulesTest, RulesForceKeysOffWhileTheContextHoldsAndOnAfter)
{
    const RuleCase& c = GetParam();
    auto loaded = load({keyRecord(1, c.first), keyRecord(2, CmdB)});
    contexts().setContexts({contextRecord(0, QVContext::Universal), contextRecord(1, QVContext::AppInFront, "gedit", {c.rule})});
    auto object = objectIn("cut", 0);
    object->linkTo(loaded[0]);
    object->linkTo(loaded[1]);
    contexts().universalContext()->setContextActivated(true);
    ASSERT_TRUE(isRegistered(c.first) && isRegistered(CmdB));

    frontChanged("xterm.desktop", "gedit.desktop");
    EXPECT_EQ(isRegistered(c.first), c.firstRegisteredInFront);
    EXPECT_EQ(isRegistered(CmdB), c.cmdBRegisteredInFront);

    frontChanged("gedit.desktop", "xterm.desktop");
    EXPECT_TRUE(isRegistered(c.first));
    EXPECT_TRUE(isRegistered(CmdB));
}

INSTANTIATE_TEST_SUITE_P(Rules, ContextRulesTest,
                         ::testing::Values(RuleCase{"OneKeyOff", rule(1, true, CmdA), false, true},
                                           RuleCase{"AllKeysOff", rule(0, true), false, false},
                                           RuleCase{"InactiveRule", rule(1, false, CmdA), true, true},
                                           // The numeric-pad bit does not make another combination:
                                           // rules are captured without it, launchers with it.
                                           RuleCase{"SameCombination", rule(1, true, CmdA | 0x200000), false, true},
                                           RuleCase{"ShiftArrowRuleMatchesTheNumericPadLauncher", rule(1, true, ShiftUp), false,
                                                    true, ShiftUp | NumericPad},
                                           RuleCase{"UnknownRuleType", QVariantMap{{"ruletype", 7}, {"ruleactive", true}}, true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ContextsTest, ARuleForcedOffKeepsItsKeyOffWhenAnotherObjectActivates)
{
    auto loaded = load({keyRecord(1, CmdA)});
    contexts().setContexts({contextRecord(1, QVContext::AppInFront, "gedit", {rule(1, true, CmdA)})});
    contexts().contextWithID(1)->setContextActivated(true);

    auto object = activeObject("cut", loaded);
    EXPECT_FALSE(isRegistered(CmdA)) << "a forced off survives a later non-forced on";

    contexts().contextWithID(1)->setContextActivated(false);
    EXPECT_TRUE(isRegistered(CmdA)) << "the forced on registers for the active object";
}

TEST_F(ContextsTest, AKeyStaysOffWhileAnyContextsRuleExcludesIt)
{
    vp->virtualWorkspace().userLaunches("xterm.desktop");
    auto loaded = load({keyRecord(1, CmdA), keyRecord(2, CmdB)});
    contexts().setContexts({contextRecord(0, QVContext::Universal),
                            contextRecord(1, QVContext::AppRunning, "xterm", {rule(1, true, CmdA)}),
                            contextRecord(2, QVContext::AppInFront, "gedit", {rule(1, true, CmdA)}),
                            contextRecord(3, QVContext::AppInFront, "mousepad", {rule(0, true)})});
    auto object = objectIn("cut", 0);
    object->linkTo(loaded[0]);
    object->linkTo(loaded[1]);
    post("EndInitNotification");
    contexts().universalContext()->setContextActivated(true);
    ASSERT_FALSE(isRegistered(CmdA)) << "xterm runs: its context excludes Cmd-A";
    ASSERT_TRUE(isRegistered(CmdB));

    // A context that ends without having been on forces nothing on.
    frontChanged("mousepad.desktop", "emacs.desktop");
    EXPECT_FALSE(isRegistered(CmdA));
    EXPECT_TRUE(isRegistered(CmdB));

    // Two reasons for Cmd-A: the end of one leaves the other.
    frontChanged("emacs.desktop", "gedit.desktop");
    frontChanged("gedit.desktop", "emacs.desktop");
    EXPECT_FALSE(isRegistered(CmdA)) << "the running-xterm rule still excludes Cmd-A";

    // All keys off, then one reason less: Cmd-B comes back, Cmd-A does not.
    frontChanged("emacs.desktop", "mousepad.desktop");
    EXPECT_FALSE(isRegistered(CmdB));
    frontChanged("mousepad.desktop", "emacs.desktop");
    EXPECT_TRUE(isRegistered(CmdB));
    EXPECT_FALSE(isRegistered(CmdA));

    post("AfterTerminateAppNotifcation", {{"AppPathName", "xterm.desktop"}});
    EXPECT_TRUE(isRegistered(CmdA)) << "no reason left";
}

TEST_F(ContextsTest, SwitchesAskedOffTheMainThreadHappenOnIt)
{
    contexts().setContexts({contextRecord(1, QVContext::AppInFront, "gedit")});
    auto object = objectIn("cut", 1);
    std::thread([] { frontChanged("xterm.desktop", "gedit.desktop"); }).join();
    ASSERT_TRUE(zelk::test::waitUntil([&] { return object->isActive(); }));
    EXPECT_FALSE(object->switchedOffMainThread);
}

TEST_F(ContextsTest, ResetDropsContextsAndTheirLinks)
{
    contexts().setContexts({contextRecord(0, QVContext::Universal), contextRecord(5, QVContext::AppRunning, "gedit.desktop")});
    auto object = objectIn("cut", 0);
    std::weak_ptr<QVContext> universal = contexts().universalContext();
    ASSERT_NE(contexts().contextWithRunningApp("gedit"), nullptr) << "a stored extension is not part of the name";
    EXPECT_EQ(object.use_count(), 2);

    contexts().resetContexts();
    EXPECT_EQ(contexts().universalContext(), nullptr);
    EXPECT_EQ(contexts().contextWithID(5), nullptr);
    EXPECT_EQ(object.use_count(), 1) << "the context let go of its objects";
    EXPECT_TRUE(universal.expired());
}

TEST_F(ContextsTest, ActionsAreBuiltByClassWithTheBaseForAMissingOne)
{
    auto& actions = engine::QVActionsManager::sharedManager();
    actions.setActions({
        QVariantMap{{"actionID", 1}, {"actionclass", "QVAction"}, {"actionname", "plain"}},
        QVariantMap{{"actionID", 2}, {"actionclass", "NoSuchActionType"}, {"actionname", "missing"}},
        QVariantMap{{"actionID", 3}, {"actionclass", "QVAction"}, {"actionname", "unused"}, {"actionnotused", true}},
    });
    EXPECT_EQ(actions.actionsArray().size(), 2);
    ASSERT_NE(actions.actionWithID(2), nullptr);
    EXPECT_EQ(actions.actionWithID(2)->name(), "missing");
    EXPECT_EQ(actions.actionWithID(3), nullptr) << "an action no object uses is not built";
    EXPECT_EQ(actions.actionWithID(99), nullptr);

    actions.resetActions();
    EXPECT_TRUE(actions.actionsArray().isEmpty());
}

} // namespace
