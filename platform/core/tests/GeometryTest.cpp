#include "Geometry.h"

#include <gtest/gtest.h>

using namespace zelk;

namespace {

TEST(Geometry, WritesShortestNumbers)
{
    EXPECT_EQ(stringFromPoint({10, 10.5}), "{10, 10.5}");
    EXPECT_EQ(stringFromPoint({-3, -0.0}), "{-3, 0}");
    EXPECT_EQ(stringFromSize({1000000, 0.1}), "{1000000, 0.1}");
    EXPECT_EQ(stringFromRect({0, 0, 0, 0}), "{{0, 0}, {0, 0}}");
    EXPECT_EQ(stringFromRect({12, -4.25, 640, 480}), "{{12, -4.25}, {640, 480}}");
}

TEST(Geometry, ParsesLeniently)
{
    struct Case {
        const char* text;
        bool ok;
        QPointF point;
    } points[] = {
        {"{10, 10.5}", true, {10, 10.5}},
        {"{-3,0}", true, {-3, 0}},
        {"  { 1e2 , .5 }  ", true, {100, 0.5}},
        {"{+4, 5.}", true, {4, 5}},
        {"", false, {}},
        {"{1}", false, {}},
        {"{1, 2, 3}", false, {}},
        {"{a, b}", false, {}},
        {"1, 2", false, {}},
        {"{1, 2}}", false, {}},
    };
    for (const auto& c : points) {
        bool ok = !c.ok;
        EXPECT_EQ(pointFromString(c.text, &ok), c.point) << c.text;
        EXPECT_EQ(ok, c.ok) << c.text;
    }

    bool ok = false;
    EXPECT_EQ(sizeFromString("{640, 480}", &ok), QSizeF(640, 480));
    EXPECT_TRUE(ok);
    EXPECT_EQ(sizeFromString("{640}", &ok), QSizeF(0, 0));
    EXPECT_FALSE(ok);

    EXPECT_EQ(rectFromString("{{1, 2}, {3, 4}}", &ok), QRectF(1, 2, 3, 4));
    EXPECT_TRUE(ok);
    EXPECT_EQ(rectFromString("{ {1,2} , {3,4} }", &ok), QRectF(1, 2, 3, 4));
    EXPECT_TRUE(ok);
    EXPECT_EQ(rectFromString("{{1, 2}, {3}}", &ok), QRectF(0, 0, 0, 0));
    EXPECT_FALSE(ok);
    EXPECT_EQ(rectFromString("{1, 2}", &ok), QRectF(0, 0, 0, 0));
    EXPECT_FALSE(ok);
}

TEST(Geometry, TextRoundTrips)
{
    for (const QRectF& r : {QRectF(0, 0, 0, 0), QRectF(-1.5, 2.25, 1920, 1080), QRectF(1.0 / 3, 1e-3, 7, 1e7)}) {
        bool ok = false;
        EXPECT_EQ(rectFromString(stringFromRect(r), &ok), r) << qPrintable(stringFromRect(r));
        EXPECT_TRUE(ok);
    }
}

TEST(Geometry, ScreenPointsCountFromTheirCornerAndConvertBack)
{
    const QSizeF screen(1440, 900);
    const struct {
        int origin;
        QPointF stored;
        QPointF global;
    } cases[] = {
        {0, {10, 20}, {10, 20}},
        {1, {10, 20}, {1430, 20}},
        {2, {10, 20}, {1430, 880}},
        {3, {10, 20}, {10, 880}},
        {0, {0, 0}, {0, 0}},
        {2, {0, 0}, {1440, 900}},
        // Anything else counts from the top-left.
        {7, {10, 20}, {10, 20}},
        {-1, {10, 20}, {10, 20}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(pointOnScreenForPointOnScreen(c.stored, c.origin, screen), c.global) << c.origin;
        EXPECT_EQ(pointOnScreenForPointOnScreen(c.global, c.origin, screen), c.stored) << "its own inverse " << c.origin;
    }
    EXPECT_EQ(pointOnScreenForPointOnScreen({10, 20}, 2, QSizeF(0, 0)), QPointF(-10, -20)) << "no screen";
}

} // namespace
