#include "display/ViewZoom.h"

#include "tests/GeometryPrinting.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// A 6000x4000 photo fitted into a 1600x940 view: 0.235, shown from x = 95.
const QSizeF kPhoto(6000, 4000);
const QSizeF kView(1600, 940);
const ViewTransform kFitted{0.235, 95, 0};

QPointF OffsetOf(const ViewTransform& t)
{
    return QPointF(t.offsetX, t.offsetY);
}

void ExpectNear(QPointF actual, QPointF expected, const char* what)
{
    EXPECT_NEAR(actual.x(), expected.x(), 1e-6) << what;
    EXPECT_NEAR(actual.y(), expected.y(), 1e-6) << what;
}

}  // namespace

// From the fitted view in and back out: steps of about 1.25x that meet 100 %
// and stop at 400 % (or at the fitted scale when that is larger).
TEST(ViewZoomSteps, FromFittedToTheLargestAndBack)
{
    for (const double fitted : {0.235, 0.61, 0.9, 1.0, 1.3, 4.0, 6.5}) {
        SCOPED_TRACE(testing::Message() << "fitted " << fitted);
        std::vector<double> ladder{fitted};
        while (ladder.size() < 40 && ZoomedIn(ladder.back(), fitted) != ladder.back())
            ladder.push_back(ZoomedIn(ladder.back(), fitted));
        const double largest = std::max(4.0, fitted);
        EXPECT_EQ(ladder.back(), largest);
        EXPECT_EQ(ZoomedIn(largest, fitted), largest);
        bool meetsOne = fitted > 1.0;
        for (std::size_t i = 1; i < ladder.size(); ++i) {
            const double step = ladder[i] / ladder[i - 1];
            EXPECT_GE(step, 1.1) << "step " << i;
            EXPECT_LE(step, 1.25 * 1.1) << "step " << i;
            meetsOne = meetsOne || ladder[i] == 1.0 || ladder[i - 1] == 1.0;
        }
        EXPECT_TRUE(meetsOne);
        // Out again by the same levels, ending exactly on the fitted scale.
        double scale = ladder.back();
        for (std::size_t i = ladder.size() - 1; i > 0; --i) {
            scale = ZoomedOut(scale, fitted);
            EXPECT_EQ(scale, ladder[i - 1]) << "step " << i;
        }
        EXPECT_EQ(ZoomedOut(fitted, fitted), fitted);
    }
}

struct ZoomCase {
    const char* name;
    ViewTransform now;
    double scale;
    QPointF anchor;
    QPointF offset;      // worked by hand
    bool keepsAnchor;    // false where an edge of the picture stops it
};

class ViewZoomAround : public testing::TestWithParam<ZoomCase> {};

TEST_P(ViewZoomAround, KeepsThePointUnderThePointerWithinTheEdges)
{
    const ZoomCase& c = GetParam();
    const ViewTransform after = ZoomAround(c.now, c.scale, c.anchor, kPhoto, kView);
    EXPECT_EQ(after.scale, c.scale);
    ExpectNear(QPointF(after.offsetX, after.offsetY), c.offset, "offset");
    const QPointF under = ToPicturePoint(c.now, c.anchor);
    if (c.keepsAnchor)
        ExpectNear(ToViewPoint(after, under), c.anchor, "picture point under the pointer");
    // The picture always covers the whole view once it is larger than the view.
    EXPECT_LE(after.offsetX, 0.0);
    EXPECT_LE(after.offsetY, 0.0);
    EXPECT_GE(after.offsetX + kPhoto.width() * after.scale, kView.width());
    EXPECT_GE(after.offsetY + kPhoto.height() * after.scale, kView.height());
}

INSTANTIATE_TEST_SUITE_P(
    Table, ViewZoomAround,
    testing::Values(
        // Under (800, 470) lies picture point (3000, 2000).
        ZoomCase{"fitted to 100 % at the centre", kFitted, 1.0, {800, 470}, {-2200, -1530}, true},
        // Picture point (1000, 3000) under (330, 705).
        ZoomCase{"fitted to 4 at the lower left", kFitted, 4.0, {330, 705}, {-3670, -11295}, true},
        ZoomCase{"zoomed in further off the centre", {2.0, -5000, -3000}, 2.5, {100, 200}, {-6275, -3800}, true},
        ZoomCase{"zoomed out towards the middle", {2.0, -5000, -3000}, 1.0, {1500, 900}, {-1750, -1050}, true},
        // Point (-404.3, 0) lies left of the picture: the left and top edges stop at the view's.
        ZoomCase{"at the top left corner of the view", kFitted, 1.0, {0, 0}, {0, 0}, false},
        ZoomCase{"at the bottom right corner of the view", kFitted, 1.0, {1600, 940}, {-4400, -3060}, false}),
    [](const auto& info) {
        std::string name = info.param.name;
        for (char& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        return name;
    });

TEST(ViewZoomPan, MovesThePictureUntilItsEdgeMeetsTheViewsEdge)
{
    struct Case {
        ViewTransform now;
        QPointF delta;
        QPointF offset;
    };
    const QSizeF wide(6000, 500);  // at 1.0 lower than the view: centred upright
    const Case cases[] = {
        {{1.0, -2200, -1530}, {150, -40}, {-2050, -1570}},
        {{1.0, -2200, -1530}, {5000, 5000}, {0, 0}},
        {{1.0, -2200, -1530}, {-5000, -5000}, {-4400, -3060}},
        {{0.5, -100, -50}, {-30, 20}, {-130, -30}},
    };
    for (const Case& c : cases)
        ExpectNear(OffsetOf(PanBy(c.now, c.delta, kPhoto, kView)), c.offset, "pan");
    ExpectNear(OffsetOf(PanBy({1.0, -2200, 220}, {-10, 300}, wide, kView)), {-2210, 220}, "narrow axis centred");
}

TEST(ViewZoomMapping, RoundTripsAtSeveralZoomsAndPans)
{
    const ViewTransform placements[] = {kFitted, {1.0, -2200, -1530}, {4.0, -3670.25, -11295.5},
                                        {0.3125, -7.5, -3.25}};
    const QPointF points[] = {{0, 0}, {0.5, 939.5}, {1599, 1}, {812.25, 433.75}};
    for (const ViewTransform& placement : placements) {
        for (const QPointF view : points) {
            ExpectNear(ToViewPoint(placement, ToPicturePoint(placement, view)), view, "view to picture and back");
            ExpectNear(ToPicturePoint(placement, ToViewPoint(placement, view)), view, "picture to view and back");
        }
    }
}

TEST(ViewZoomResize, KeepsThePictureAtTheViewsCentre)
{
    struct Case {
        QSizeF before, after;
        ViewTransform now;
    };
    const Case cases[] = {
        {{1600, 940}, {900, 590}, {1.0, -2200, -1530}},
        {{900, 590}, {1600, 940}, {2.5, -6000, -4000}},
        {{1600, 940}, {1601, 937}, {0.5, -1000.5, -300.25}},
    };
    for (const Case& c : cases) {
        const ViewTransform after = KeepCentre(c.now, c.before, kPhoto, c.after);
        const QPointF centreBefore(c.before.width() / 2, c.before.height() / 2);
        ExpectNear(ToViewPoint(after, ToPicturePoint(c.now, centreBefore)), QPointF(c.after.width() / 2, c.after.height() / 2),
                   "centre");
        EXPECT_EQ(after.scale, c.now.scale);
    }
}

// F goes to a face out of sight: the face's centre to the view's centre,
// as far as the picture's edges allow.
TEST(ViewZoomCentre, PutsThePointInTheMiddleWithinTheEdges)
{
    struct Case {
        QPointF centre;
        QPointF offset;
    };
    const Case cases[] = {{{3000, 2000}, {-2200, -1530}}, {{100, 100}, {0, 0}}, {{5990, 3990}, {-4400, -3060}},
                          {{1000.5, 3000.25}, {-200.5, -2530.25}}};
    for (const Case& c : cases)
        ExpectNear(OffsetOf(CentredOn({1.0, -10, -10}, c.centre, kPhoto, kView)), c.offset, "centred");
}

// Every display pixel of the shown part samples the picture point its
// lower left corner maps to, as the fitted view's display copy does.
TEST(ViewZoomShownPart, DisplayCopySamplesWhereTheTransformPutsIt)
{
    struct Case {
        ViewTransform placement;
        QSizeF picture;
        CRect displayRect;
        SampleRule rule;
    };
    const Case cases[] = {
        {{1.0, -2200, -1530}, kPhoto, {0, 0, 1600, 940}, SampleRule::Nearest},
        {{4.0, -3670.25, -11295.5}, kPhoto, {0, 0, 1600, 940}, SampleRule::Nearest},
        {{0.8, -100.3, -20.6}, kPhoto, {0, 0, 1600, 940}, SampleRule::Bilinear},
        // Narrower than the view: only the columns it covers.
        {{0.5, 350.25, -200}, QSizeF(1800, 4000), {351, 0, 1251, 940}, SampleRule::Bilinear},
    };
    for (const Case& c : cases) {
        const ShownPart part = ShownPartOf(c.placement, c.picture, kView.toSize());
        EXPECT_EQ(part.displayRect, c.displayRect);
        EXPECT_EQ(part.area.rule, c.rule);
        EXPECT_EQ(part.area.scale, c.placement.scale);
        const CRect& r = part.displayRect;
        for (const int x : {0, 1, 17, r.Width() - 1}) {
            const double expected = ToPicturePoint(c.placement, QPointF(r.left + x, 0)).x();
            EXPECT_NEAR(part.area.left + x / part.area.scale, expected, 1e-6) << "column " << x;
        }
        for (const int y : {0, 1, 17, r.Height() - 1}) {
            // Display scan line y is view row bottom - 1 - y; its lower edge is at bottom - y.
            const double fromTop = ToPicturePoint(c.placement, QPointF(0, r.bottom - y)).y();
            EXPECT_NEAR(part.area.bottom + y / part.area.scale, c.picture.height() - fromTop, 1e-6) << "line " << y;
        }
    }
}
