#include "tests/GeometryPrinting.h"
#include "tests/PixelByPixelTurn.h"
#include "tests/TestPictures.h"

#include "display/FitLayout.h"
#include "document/CoverEllipse.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

// A picture fitted into a client area, and view rectangles on it: inside,
// across its edges and wholly off it.
struct MappingCase {
    const char* name;
    int W, H;
    unsigned w, h;
    std::vector<CRect> shown;
};
const MappingCase kMappings[] = {
    {"worked landscape", 1918, 1018, 3264, 2448, {{909, 50, 1009, 200}, {280, 0, 1638, 1018}, {-40, -30, 300, 90}}},
    {"24 MP in the benchmark view", 1600, 940, 6000, 4000, {{700, 100, 800, 250}, {1, 939, 1599, 940}}},
    {"enlarged twice", 800, 600, 400, 300, {{100, 100, 201, 250}, {99, 99, 100, 100}, {700, 500, 900, 700}}},
    {"portrait", 1001, 999, 3, 7, {{500, 500, 520, 530}, {0, 0, 1001, 999}}},
    {"three pixels high", 900, 3, 1200, 800, {{0, 0, 4, 3}, {2, 1, 3, 2}}},
};

TEST(CoverEllipse, ViewRectanglesComeBackThroughThePictureAndBurnAsShown)
{
    for (const MappingCase& c : kMappings) {
        const FitLayout fit = FitPicture(c.W, c.H, c.w, c.h);
        const ViewTransform t = FittedTransform(fit.displayRect, fit.scale, c.h);
        for (const CRect& shown : c.shown) {
            SCOPED_TRACE(testing::Message() << c.name << " " << testing::PrintToString(shown));
            const CoverEllipse e = ToPicture(shown, t);
            EXPECT_EQ(ToView(e, t), shown);
            EXPECT_EQ(MapEllipseToPicture(e, c.h), ScreenEllipseToPicture(shown, fit.displayRect, fit.scale));
        }
    }
}

// The pixels inside the rectangle of `e` (whole pixels, rows from the top) white, the rest black.
BitmapPtr Marked(unsigned w, unsigned h, const CoverEllipse& e)
{
    return MakePicture(w, h, [&](unsigned x, unsigned y) {
        const double row = h - 1 - y;
        const bool inside = x >= e.left && x < e.right && row >= e.top && row < e.bottom;
        return inside ? Bgr{255, 255, 255} : Bgr{0, 0, 0};
    });
}

struct TurnCase {
    unsigned w, h;
    CoverEllipse e;
};
const TurnCase kTurns[] = {
    {7, 5, {1, 0, 3, 4}}, {7, 5, {0, 2, 7, 3}}, {2, 9, {1, 3, 2, 9}}, {1, 1, {0, 0, 1, 1}}, {16, 3, {5, 1, 11, 2}},
};

TEST(CoverEllipse, TurnsCarryTheCoveredPixelsAndComeBack)
{
    for (const TurnCase& c : kTurns) {
        for (const QuarterTurn turn : {QuarterTurn::Left, QuarterTurn::Right}) {
            SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " " << testing::PrintToString(c.e)
                                            << (turn == QuarterTurn::Left ? " left" : " right"));
            const CoverEllipse turned = TurnEllipse(c.e, turn, c.w, c.h);
            const BitmapPtr expected(TurnPixelByPixel(Marked(c.w, c.h, c.e).get(), turn));
            EXPECT_EQ(DescribeDifference(expected.get(), Marked(c.h, c.w, turned).get()), "");

            const QuarterTurn back = turn == QuarterTurn::Left ? QuarterTurn::Right : QuarterTurn::Left;
            EXPECT_EQ(TurnEllipse(turned, back, c.h, c.w), c.e);
            CoverEllipse round = c.e;
            for (int i = 0; i < 4; ++i)
                round = TurnEllipse(round, turn, i % 2 ? c.h : c.w, i % 2 ? c.w : c.h);
            EXPECT_EQ(round, c.e);
        }
    }
}

// Three ellipses: 0 and 1 overlap, 2 lies apart; which one a press takes.
const std::vector<CRect> kShown = {{100, 100, 200, 250}, {150, 120, 260, 260}, {400, 100, 430, 110}};
struct HitCase {
    const char* name;
    std::optional<std::size_t> selected;
    CPoint point;
    std::optional<EllipseHit> hit;
};
const HitCase kHits[] = {
    {"overlap, the last added", std::nullopt, {175, 175}, EllipseHit{1, Grip::Interior}},
    {"overlap, the selected first", 0, {175, 175}, EllipseHit{0, Grip::Interior}},
    {"only the first covers it", 1, {120, 175}, EllipseHit{0, Grip::Interior}},
    {"handle of the selected", 0, {205, 175}, EllipseHit{0, Grip::Right}},
    {"another's handle is no handle", 1, {95, 175}, std::nullopt},
    {"selected handle over another's inside", 1, {150, 190}, EllipseHit{1, Grip::Left}},
    {"a small one apart", 0, {414, 104}, EllipseHit{2, Grip::Interior}},
    {"nothing", 2, {300, 300}, std::nullopt},
};

TEST(HitEllipse, SelectedFirstThenTheLastAdded)
{
    for (const HitCase& c : kHits) {
        SCOPED_TRACE(c.name);
        const std::optional<EllipseHit> hit = HitEllipse(kShown, c.selected, c.point, 7);
        ASSERT_EQ(hit.has_value(), c.hit.has_value());
        if (hit) {
            EXPECT_EQ(hit->index, c.hit->index);
            EXPECT_EQ(int(hit->grip), int(c.hit->grip));
        }
    }
}

} // namespace
