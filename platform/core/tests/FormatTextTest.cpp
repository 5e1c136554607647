#include "FormatText.h"

#include <gtest/gtest.h>

using namespace zelk;

namespace {

TEST(FormatText, FillsOnlyTheArgumentsGiven)
{
    struct Case {
        const char* format;
        QVariantList args;
        const char* expected;
    };
    const Case cases[] = {
        {"Action %d", {12}, "Action 12"},
        {"“%@” is used %d time(s).", {"Copy", 3}, "“Copy” is used 3 time(s)."},
        {"%2$@ before %1$@", {"a", "b"}, "b before a"},
        {"%1$@  %2$@ – %3$@: %4$@\n", {"10:00", "S", "A", "done"}, "10:00  S – A: done\n"},
        {"%1$@ and %1$@ again", {"x"}, "x and x again"},
        {"100%% sure", {}, "100% sure"},
        {"%ld and %lu", {-4, 5}, "-4 and 5"},
        {"%i items", {7}, "7 items"},
        {"%x %X", {255, 255}, "ff FF"},
        {"%f and %g", {1.5, 0.25}, "1.5 and 0.25"},
        {"%5.2f wide", {2.5}, "2.5 wide"},
        {"%@ is a number", {42}, "42 is a number"},
        {"missing %@ and %d", {}, "missing  and "},
        {"only %@, not %@", {"one"}, "only one, not "},
        {"out of range %3$@", {"a"}, "out of range "},
        {"position zero %0$@", {"a"}, "position zero "},
        {"%s %@", {"x", "y"}, "x y"},
        {"trailing %", {}, "trailing %"},
        {"unfinished %l", {1}, "unfinished %l"},
        {"odd %k stays", {1}, "odd %k stays"},
        {"odd %k then %@", {"a"}, "odd %k then a"},
        {"no place holder", {"unused"}, "no place holder"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fillFormat(QString::fromUtf8(c.format), c.args), QString::fromUtf8(c.expected)) << c.format;
}

TEST(FormatText, SentencesEndWithOneMark)
{
    const struct {
        const char* format;
        QVariantList args;
        const char* expected;
    } cases[] = {
        {"The action “%@” %@.", {"Open", "failed: The file “a” can’t be found."},
         "The action “Open” failed: The file “a” can’t be found."},
        {"The action “%@” %@.", {"Open", "done"}, "The action “Open” done."},
        {"The action “%@” %@.", {"Open", "failed: why?"}, "The action “Open” failed: why?"},
        {"The action “%@” %@.", {"Open", "failed: wait…"}, "The action “Open” failed: wait…"},
        {"The action “%@” %@.", {"Open", "failed: 1..."}, "The action “Open” failed: 1..."},
        {"Not a sentence: %@", {"a."}, "Not a sentence: a."},
        {"Trails off %@...", {"a."}, "Trails off a...."},
        {"%@.", {}, "."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fillSentence(QString::fromUtf8(c.format), c.args), QString::fromUtf8(c.expected)) << c.format;
}

// A table's text must never be taken for printf's: %n and %s with no
// argument read nothing, and an argument's own "%@" is not filled again.
TEST(FormatText, TreatsArgumentsAndTableTextAsPlainText)
{
    EXPECT_EQ(fillFormat(QStringLiteral("%n%s%p"), {}), QStringLiteral("%n%p"));
    EXPECT_EQ(fillFormat(QStringLiteral("%@ / %@"), {QStringLiteral("%@"), QStringLiteral("b")}),
              QStringLiteral("%@ / b"));
}

} // namespace
