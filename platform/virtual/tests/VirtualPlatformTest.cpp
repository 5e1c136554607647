#include "VirtualPlatform.h"

#include <QDateTime>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

using namespace zelk;

namespace {

bool isHeld(const EventPoster::KeyMap& map, int byte, int bit)
{
    return (map[byte] >> bit) & 1;
}

int heldCount(const EventPoster::KeyMap& map)
{
    int n = 0;
    for (uint8_t b : map)
        n += __builtin_popcount(b);
    return n;
}

} // namespace

TEST(VirtualPlatform, LogsEveryKindOfEventInItsTextForm)
{
    VirtualPlatform p;
    p.postKey(55, true);
    p.postKey(0, false);
    p.postMouseButton(EventPoster::Button::Primary, {10, 20}, true);
    p.postMouseButton(EventPoster::Button::Secondary, {10, 20}, false);
    p.postMouseMove({1, 2}, false);
    p.postMouseMove({1.5, -2}, true);
    p.postScroll(1, -3, 0);
    p.postScroll(2, 0, 7);
    p.beginExclusive();
    p.endExclusive();
    EXPECT_EQ(p.eventLogStrings(), QStringList({"down 55", "up 0", "mouse-down primary {10, 20}",
                                               "mouse-up secondary {10, 20}", "move {1, 2}", "drag {1.5, -2}",
                                               "scroll 1 -3 0", "scroll 2 0 7", "exclusive-begin", "exclusive-end"}));
    ASSERT_EQ(p.eventLog().size(), 10);
    EXPECT_EQ(p.eventLog()[2].button, EventPoster::Button::Primary);
    EXPECT_EQ(p.eventLog()[2].point, QPointF(10, 20));
    p.clearEventLog();
    EXPECT_TRUE(p.eventLog().isEmpty());
}

TEST(VirtualPlatform, PointerFollowsMovesDragsAndClicks)
{
    VirtualPlatform p;
    p.postMouseMove({1, 2}, false);
    EXPECT_EQ(p.pointerPosition(), QPointF(1, 2));
    p.postMouseMove({3, 4}, true);
    EXPECT_EQ(p.pointerPosition(), QPointF(3, 4));
    p.postMouseButton(EventPoster::Button::Secondary, {50, 60}, true);
    EXPECT_EQ(p.pointerPosition(), QPointF(50, 60));
    p.postScroll(1, 5, 0);
    EXPECT_EQ(p.pointerPosition(), QPointF(50, 60));
}

TEST(VirtualPlatform, HeldKeysMapKeyCodeToByteAndBit)
{
    struct Case { uint16_t key; int byte; int bit; };
    for (const Case c : {Case{0, 0, 0}, Case{7, 0, 7}, Case{8, 1, 0}, Case{57, 7, 1}, Case{127, 15, 7}}) {
        VirtualPlatform p;
        p.userPressesKey(c.key);
        const auto map = p.heldKeys();
        EXPECT_TRUE(isHeld(map, c.byte, c.bit)) << "key " << c.key;
        EXPECT_EQ(heldCount(map), 1) << "key " << c.key;
    }
}

TEST(VirtualPlatform, PostedKeysChangeHeldStateButUserKeysAreNotLogged)
{
    VirtualPlatform p;
    p.postKey(0, true);
    p.userPressesKey(55);
    auto map = p.heldKeys();
    EXPECT_TRUE(isHeld(map, 0, 0));
    EXPECT_TRUE(isHeld(map, 6, 7));
    EXPECT_EQ(heldCount(map), 2);

    p.postKey(0, false);
    p.userReleasesKey(55);
    EXPECT_EQ(heldCount(p.heldKeys()), 0);
    EXPECT_EQ(p.eventLogStrings(), QStringList({"down 0", "up 0"}));

    // Codes beyond the 128-bit map are logged but cannot show as held.
    p.postKey(200, true);
    EXPECT_EQ(heldCount(p.heldKeys()), 0);
}

TEST(VirtualPlatform, ExclusiveDepthCountsBeginsMinusEnds)
{
    VirtualPlatform p;
    EXPECT_EQ(p.exclusiveDepth(), 0);
    p.beginExclusive();
    p.beginExclusive();
    EXPECT_EQ(p.exclusiveDepth(), 2);
    p.endExclusive();
    EXPECT_EQ(p.exclusiveDepth(), 1);
    p.endExclusive();
    EXPECT_EQ(p.exclusiveDepth(), 0);
}

TEST(VirtualPlatform, NotificationsAreRecordedAndDeliveredSynchronously)
{
    VirtualPlatform p;
    QStringList seen;
    QVariantMap got;
    ObserverHandle h = p.addObserver("QVEditorNotification", [&](const QString& name, const QVariantMap& info) {
        seen << name;
        got = info;
    });
    const QVariantMap info{{"what", "reload"}, {"when", QDateTime::fromSecsSinceEpoch(0, Qt::UTC)}};
    EXPECT_TRUE(p.post("QVEditorNotification", info));
    EXPECT_TRUE(p.post("QVLauncherNotification", {}));
    EXPECT_EQ(seen, QStringList({"QVEditorNotification"}));
    EXPECT_EQ(got, info);
    ASSERT_EQ(p.postedNotifications().size(), 2);
    EXPECT_EQ(p.postedNotifications()[0].name, "QVEditorNotification");
    EXPECT_EQ(p.postedNotifications()[0].userInfo, info);

    h.reset();
    p.post("QVEditorNotification", {});
    EXPECT_EQ(seen.size(), 1) << "a dropped handle must stop delivery";
    p.clearPostedNotifications();
    EXPECT_TRUE(p.postedNotifications().isEmpty());
}

TEST(VirtualPlatform, ObserverMayPostFromInsideDelivery)
{
    VirtualPlatform p;
    int answers = 0;
    ObserverHandle a = p.addObserver("ask", [&](const QString&, const QVariantMap&) { p.post("answer", {}); });
    ObserverHandle b = p.addObserver("answer", [&](const QString&, const QVariantMap&) { ++answers; });
    p.post("ask", {});
    EXPECT_EQ(answers, 1);
}

TEST(VirtualPlatform, PostsFromManyThreadsAreAllLogged)
{
    VirtualPlatform p;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&p, t] {
            for (int i = 0; i < 250; ++i) {
                p.postKey(uint16_t(t), true);
                p.postKey(uint16_t(t), false);
            }
        });
    }
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(p.eventLog().size(), 2000);
    EXPECT_EQ(heldCount(p.heldKeys()), 0);
}

TEST(VirtualPlatform, CurrentIsTheInstalledVirtualBackend)
{
    auto previous = Platform::install(makeVirtualPlatform());
    VirtualPlatform* v = VirtualPlatform::current();
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v, &Platform::instance());
    EXPECT_EQ(v->name(), "virtual");
    EXPECT_EQ(&v->events(), static_cast<EventPoster*>(v));
    if (previous)
        Platform::install(std::move(previous));
}
