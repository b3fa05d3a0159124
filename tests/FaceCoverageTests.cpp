#include "tests/TestPictures.h"
#include "faces/FaceCoverage.h"

#include <gtest/gtest.h>

namespace {

constexpr unsigned kWidth = 200, kHeight = 100;

// The share of the box that burning the ellipses into a blank picture paints gray.
double BurntShare(const FaceBox& face, const std::vector<PictureEllipse>& ellipses)
{
    const BitmapPtr picture = MakePicture(kWidth, kHeight, [](unsigned, unsigned) { return Bgr{0, 0, 0}; });
    BurnEllipses(picture.get(), kWidth, kHeight, ellipses);
    int gray = 0, all = 0;
    for (int y = std::max(0, face.top); y < std::min<int>(kHeight, face.top + face.height); ++y) {
        for (int x = std::max(0, face.left); x < std::min<int>(kWidth, face.left + face.width); ++x, ++all)
            gray += PixelAt(picture.get(), unsigned(x), kHeight - 1 - unsigned(y)) == Bgr{kMaskGray, kMaskGray, kMaskGray};
    }
    return all == 0 ? 1.0 : double(gray) / all;
}

struct CoverageCase {
    const char* name;
    FaceBox face;
    std::vector<PictureEllipse> ellipses;   // rows from the bottom, as the burn takes them
    bool covered;
};
void PrintTo(const CoverageCase& c, std::ostream* os) { *os << c.name; }

const CoverageCase kCases[] = {
    {"NoEllipse", {80, 30, 20, 20}, {}, false},
    {"BoxWellInside", {80, 30, 20, 20}, {{50, 10, 150, 90}}, true},
    {"EllipseOverTheLeftHalfOnly", {80, 30, 40, 40}, {{0, 0, 100, 99}}, false},
    {"TwoEllipsesTogether", {80, 30, 40, 40}, {{0, -20, 100, 119}, {100, -20, 199, 119}}, true},
    {"EllipseElsewhere", {10, 10, 30, 30}, {{120, 10, 190, 90}}, false},
    {"BoxPartlyOutsideThePicture", {180, -10, 40, 40}, {{150, 50, 250, 150}}, true},
    {"BoxWhollyOutside", {300, 300, 10, 10}, {}, true},
    {"InscribedInTheBoxMissesTheCorners", {50, 20, 60, 60}, {{50, 20, 109, 79}}, true},
    {"SmallerThanTheBox", {50, 20, 60, 60}, {{60, 30, 99, 69}}, false},
};

class FaceCoverage : public ::testing::TestWithParam<CoverageCase> {};

TEST_P(FaceCoverage, ShareIsWhatTheBurnPaints)
{
    const CoverageCase& c = GetParam();
    const double share = CoveredShare(c.face, c.ellipses, kWidth, kHeight);
    EXPECT_DOUBLE_EQ(share, BurntShare(c.face, c.ellipses));
    EXPECT_EQ(UncoveredFaces({c.face}, c.ellipses, kWidth, kHeight).empty(), c.covered) << "share " << share;
}

INSTANTIATE_TEST_SUITE_P(Boxes, FaceCoverage, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
