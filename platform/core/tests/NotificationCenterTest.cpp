#include "NotificationCenter.h"

#include <QStringList>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

using namespace zelk;

namespace {

TEST(NotificationCenter, DeliversByNameAndSender)
{
    NotificationCenter center;
    int a = 0, b = 0;
    QStringList all;
    QVariantList seenInfo;
    auto byName = center.addObserver("changed", nullptr, [&](const Notification& n) { seenInfo << n.userInfo.value("key"); });
    auto bySender = center.addObserver("changed", &a, [&](const Notification&) { ++a; });
    auto otherSender = center.addObserver("changed", &b, [&](const Notification&) { ++b; });
    auto everything = center.addObserver(QString(), nullptr, [&](const Notification& n) { all << n.name; });

    center.post("changed", &a, {{"key", 1}});
    center.post("other", &a);
    center.post("changed", nullptr);

    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 0);
    EXPECT_EQ(seenInfo, (QVariantList{1, QVariant()}));
    EXPECT_EQ(all, (QStringList{"changed", "other", "changed"}));
}

TEST(NotificationCenter, DroppingTheHandleRemovesTheObserver)
{
    NotificationCenter center;
    int calls = 0;
    {
        auto h = center.addObserver("n", nullptr, [&](const Notification&) { ++calls; });
        center.post("n");
        ObserverHandle moved = std::move(h);
        EXPECT_FALSE(h);
        EXPECT_TRUE(moved);
        center.post("n");
    }
    center.post("n");
    EXPECT_EQ(calls, 2);

    auto h = center.addObserver("n", nullptr, [&](const Notification&) { ++calls; });
    h = ObserverHandle();
    center.post("n");
    EXPECT_EQ(calls, 2);
}

TEST(NotificationCenter, HandleOutlivingTheCenterIsHarmless)
{
    ObserverHandle h;
    {
        NotificationCenter center;
        h = center.addObserver("n", nullptr, [](const Notification&) {});
    }
    h.reset();
    EXPECT_FALSE(h);
}

TEST(NotificationCenter, ChangesDuringDeliveryApplyAtOnce)
{
    NotificationCenter center;
    QStringList calls;
    ObserverHandle second, added;
    auto first = center.addObserver("n", nullptr, [&](const Notification&) {
        calls << "first";
        second.reset(); // removed before its turn: not called
        added = center.addObserver("n", nullptr, [&](const Notification&) { calls << "added"; });
    });
    second = center.addObserver("n", nullptr, [&](const Notification&) { calls << "second"; });
    auto self = std::make_shared<ObserverHandle>();
    *self = center.addObserver("n", nullptr, [&, self](const Notification&) {
        calls << "self";
        self->reset(); // an observer removing itself while it runs
    });

    center.post("n");
    EXPECT_EQ(calls, (QStringList{"first", "self"}));
    calls.clear();
    first.reset();
    center.post("n");
    EXPECT_EQ(calls, (QStringList{"added"}));
}

TEST(NotificationCenter, DeliversOnThePostingThread)
{
    NotificationCenter center;
    std::thread::id seen;
    auto h = center.addObserver("n", nullptr, [&](const Notification&) { seen = std::this_thread::get_id(); });
    std::thread::id poster;
    std::thread t([&] {
        poster = std::this_thread::get_id();
        center.post("n");
    });
    t.join();
    EXPECT_EQ(seen, poster);
    EXPECT_NE(seen, std::this_thread::get_id());
}

TEST(NotificationCenter, AddRemoveAndPostFromManyThreads)
{
    NotificationCenter center;
    std::atomic<int> calls{0};
    auto keep = center.addObserver("n", nullptr, [&](const Notification&) { ++calls; });
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 500; ++i) {
                auto h = center.addObserver("n", nullptr, [](const Notification&) {});
                center.post("n");
            }
        });
    }
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(calls.load(), 2000);
}

} // namespace
