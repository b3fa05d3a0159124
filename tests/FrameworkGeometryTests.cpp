#include "framework/CRect.h"

#include <gtest/gtest.h>

// Left and top edges belong to a rectangle, right and bottom edges do not.
TEST(FrameworkGeometry, PtInRectTakesLeftAndTopEdgesOnly)
{
    const CRect r(10, 20, 30, 40);
    struct Case { CPoint p; bool inside; };
    const Case cases[] = {
        {{10, 20}, true},  {{29, 39}, true},  {{30, 20}, false}, {{10, 40}, false},
        {{9, 25}, false},  {{15, 19}, false}, {{29, 40}, false}, {{20, 30}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "(" << c.p.x << ", " << c.p.y << ")");
        EXPECT_EQ(r.PtInRect(c.p), c.inside);
        EXPECT_EQ(PtInRect(r, c.p), c.inside);
    }
    EXPECT_FALSE(CRect(5, 5, 5, 9).PtInRect({5, 5})) << "an empty rectangle holds no point";
}

TEST(FrameworkGeometry, NormalizeRectSwapsEachAxisOnItsOwn)
{
    struct Case { CRect in, out; };
    const Case cases[] = {
        {{30, 40, 10, 20}, {10, 20, 30, 40}},
        {{30, 20, 10, 40}, {10, 20, 30, 40}},
        {{10, 40, 30, 20}, {10, 20, 30, 40}},
        {{-5, -1, -9, -3}, {-9, -3, -5, -1}},
        {{1, 2, 3, 4}, {1, 2, 3, 4}},
    };
    for (const Case& c : cases) {
        CRect r = c.in;
        r.NormalizeRect();
        EXPECT_EQ(r, c.out);
    }
}

TEST(FrameworkGeometry, OffsetAndInflateMoveBothEdges)
{
    CRect r(10, 20, 30, 40);
    r.OffsetRect(-15, 5);
    EXPECT_EQ(r, CRect(-5, 25, 15, 45));
    r.OffsetRect(CPoint(5, -25));
    EXPECT_EQ(r, CRect(0, 0, 20, 20));
    r.InflateRect(7, 3);
    EXPECT_EQ(r, CRect(-7, -3, 27, 23));
    EXPECT_EQ(r.Width(), 34);
    EXPECT_EQ(r.Height(), 26);
}

TEST(FrameworkGeometry, QtRectCoversTheSamePixels)
{
    const CRect r(3, 4, 13, 9);
    const QRect q = r.ToQRect();
    EXPECT_EQ(q.left(), 3);
    EXPECT_EQ(q.top(), 4);
    EXPECT_EQ(q.width(), 10);
    EXPECT_EQ(q.height(), 5);
    EXPECT_FALSE(q.contains(13, 4));
    EXPECT_EQ(CRect::FromQRect(q), r);
}
