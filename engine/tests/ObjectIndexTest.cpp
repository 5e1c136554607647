#include "QVObjectIndex.h"

#include <gtest/gtest.h>

namespace {

struct Item {
    quint32 id;
    int tag;
    quint32 IDValue() const { return id; }
};

using Items = QList<std::shared_ptr<Item>>;

TEST(QVObjectIndex, AnswersTheFirstObjectOfAnIDWhereverItWasInserted)
{
    Items list;
    engine::QVObjectIndex<Item> index;
    const auto append = [&](quint32 id, int tag) {
        list.append(std::make_shared<Item>(Item{id, tag}));
        index.inserted(list, list.size() - 1);
    };
    append(3, 1);
    append(7, 2);
    append(3, 3); // a damaged file: the same ID twice, the first one counts
    EXPECT_EQ(index.find(list, 3)->tag, 1);
    EXPECT_EQ(index.find(list, 7)->tag, 2);
    EXPECT_EQ(index.find(list, 9), nullptr);

    // An insertion before the first 7 makes it the first.
    list.insert(0, std::make_shared<Item>(Item{7, 4}));
    index.inserted(list, 0);
    EXPECT_EQ(index.find(list, 7)->tag, 4);
    EXPECT_EQ(index.find(list, 3)->tag, 1);

    list.clear();
    index.clear();
    EXPECT_EQ(index.find(list, 3), nullptr) << "a reset drops every object";
}

} // namespace
