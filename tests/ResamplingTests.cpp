#include "display/DisplayImage.h"
#include "display/Resampling.h"

#include "tests/TestPictures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

namespace {

const Bgr kFill{100, 100, 100};

BitmapPtr MakeDisplay(unsigned width, unsigned height)
{
    return BitmapPtr(FreeImage_Allocate(int(width), int(height), 24));
}

BitmapPtr MakeUniform(unsigned width, unsigned height, BYTE value)
{
    return MakePicture(width, height, [=](unsigned, unsigned) { return Bgr{value, value, value}; });
}

// The slow, obvious reading of how one display pixel is made, kept apart
// from the production code so that the two can disagree.
BYTE OracleChannel(const RGBQUAD (&p)[2][2], BYTE RGBQUAD::*channel, double fx, double fy)
{
    const double fxy = fx * fy;
    const double w00 = 1 - fx - fy + fxy;
    const double w10 = fx - fxy;
    const double w01 = fy - fxy;
    const double w11 = fxy;
    const double v = p[0][0].*channel * w00 + p[0][1].*channel * w10
                   + p[1][0].*channel * w01 + p[1][1].*channel * w11;
    return BYTE(std::trunc(v));
}

RGBQUAD OracleSample(FIBITMAP* picture, double x, double y)
{
    const unsigned ix = unsigned(std::trunc(x)), iy = unsigned(std::trunc(y));
    RGBQUAD p[2][2] = {};  // p[row][column]
    for (unsigned row = 0; row < 2; ++row)
        for (unsigned column = 0; column < 2; ++column)
            FreeImage_GetPixelColor(picture, ix + column, iy + row, &p[row][column]);
    const double fx = std::fmod(x, 1.0), fy = std::fmod(y, 1.0);
    return RGBQUAD{OracleChannel(p, &RGBQUAD::rgbBlue, fx, fy),
                   OracleChannel(p, &RGBQUAD::rgbGreen, fx, fy),
                   OracleChannel(p, &RGBQUAD::rgbRed, fx, fy), 0};
}

// Zoomed in, a display pixel shows the picture pixel its position falls in.
RGBQUAD OracleNearest(FIBITMAP* picture, double x, double y)
{
    RGBQUAD quad{};
    FreeImage_GetPixelColor(picture, unsigned(std::floor(x)), unsigned(std::floor(y)), &quad);
    return quad;
}

BitmapPtr OracleResample(FIBITMAP* picture, unsigned width, unsigned height, const SourceArea& area,
                         unsigned displayWidth, unsigned displayHeight)
{
    const bool nearest = area.rule == SampleRule::Nearest;
    // The bilinear rule needs the next pixel to the right and above as well.
    const double endX = nearest ? width : width - 1.0, endY = nearest ? height : height - 1.0;
    BitmapPtr display = MakeDisplay(displayWidth, displayHeight);
    for (unsigned y = 0; y < displayHeight; ++y) {
        for (unsigned x = 0; x < displayWidth; ++x) {
            const double sx = area.left + x / area.scale, sy = area.bottom + y / area.scale;
            RGBQUAD quad{kFill.blue, kFill.green, kFill.red, 0};
            if (sx >= 0 && sy >= 0 && sx < endX && sy < endY)
                quad = nearest ? OracleNearest(picture, sx, sy) : OracleSample(picture, sx, sy);
            FreeImage_SetPixelColor(display.get(), x, y, &quad);
        }
    }
    return display;
}

BitmapPtr OracleResample(FIBITMAP* picture, unsigned width, unsigned height, double scale,
                         unsigned displayWidth, unsigned displayHeight)
{
    return OracleResample(picture, width, height, SourceArea{scale}, displayWidth, displayHeight);
}

BitmapPtr ResampledCopy(FIBITMAP* picture, const SourceArea& area, unsigned displayWidth, unsigned displayHeight,
                   ResampleRoute route = ResampleRoute::Fastest)
{
    BitmapPtr display = MakeDisplay(displayWidth, displayHeight);
    Resample(picture, FreeImage_GetWidth(picture), FreeImage_GetHeight(picture), area, display.get(), route);
    return display;
}

BitmapPtr ResampledCopy(FIBITMAP* picture, double scale, unsigned displayWidth, unsigned displayHeight)
{
    return ResampledCopy(picture, SourceArea{scale}, displayWidth, displayHeight);
}

// True when every pixel with x0 <= x < x1 and y0 <= y < y1 shows the fill colour.
bool IsAllFill(FIBITMAP* dib, unsigned x0, unsigned y0, unsigned x1, unsigned y1)
{
    for (unsigned y = y0; y < y1; ++y)
        for (unsigned x = x0; x < x1; ++x)
            if (!(PixelAt(dib, x, y) == kFill)) return false;
    return true;
}

}  // namespace

TEST(ResamplingWorkedValues, ScaleOneCopiesPixelsAndFillsLastColumnAndTopLine)
{
    const BitmapPtr picture = MakeNoisePicture(5, 4, 11);
    const BitmapPtr display = ResampledCopy(picture.get(), 1.0, 5, 4);
    for (unsigned y = 0; y < 4; ++y) {
        for (unsigned x = 0; x < 5; ++x) {
            const Bgr expected = (x == 4 || y == 3) ? kFill : PixelAt(picture.get(), x, y);
            EXPECT_EQ(PixelAt(display.get(), x, y), expected) << "at " << x << ", " << y;
        }
    }
}

TEST(ResamplingWorkedValues, HalfwayBetweenTenAndTwentyOneGivesFifteen)
{
    const BitmapPtr picture =
        MakePicture(2, 2, [](unsigned x, unsigned) { return x == 0 ? Bgr{10, 10, 10} : Bgr{21, 21, 21}; });
    RGBQUAD quad{};
    ASSERT_TRUE(SampleBilinear(picture.get(), 0.5, 0.0, &quad));
    EXPECT_EQ((Bgr{quad.rgbBlue, quad.rgbGreen, quad.rgbRed}), (Bgr{15, 15, 15}));
}

TEST(ResamplingWorkedValues, QuarterAcrossHalfUpWeightsAndChannel)
{
    // 200 alone in one corner shows that corner's weight times 200.
    struct Corner { unsigned x, y; BYTE weighted; };
    for (const Corner corner : {Corner{0, 0, 75}, Corner{1, 0, 25}, Corner{0, 1, 75}, Corner{1, 1, 25}}) {
        const BitmapPtr picture = MakePicture(2, 2, [&](unsigned x, unsigned y) {
            return Bgr{BYTE(x == corner.x && y == corner.y ? 200 : 0), 0, 0};
        });
        RGBQUAD quad{};
        SampleBilinear(picture.get(), 0.25, 0.5, &quad);
        EXPECT_EQ(quad.rgbBlue, corner.weighted) << "corner " << corner.x << ", " << corner.y;
    }

    const BYTE blue[2][2] = {{0, 100}, {200, 40}};  // [y][x]
    const BitmapPtr picture =
        MakePicture(2, 2, [&](unsigned x, unsigned y) { return Bgr{blue[y][x], 0, 0}; });
    RGBQUAD quad{};
    SampleBilinear(picture.get(), 0.25, 0.5, &quad);
    EXPECT_EQ(quad.rgbBlue, 92);  // 92.5, truncated
}

TEST(ResamplingWorkedValues, UniformThirtySevenAtScalePointThreeGivesThirtySix)
{
    const BitmapPtr picture = MakeUniform(20, 20, 37);
    const BitmapPtr display = ResampledCopy(picture.get(), 0.3, 6, 6);
    EXPECT_EQ(PixelAt(display.get(), 1, 1), (Bgr{36, 36, 36}));
}

TEST(ResamplingWorkedValues, OnePixelWideOrHighGivesAllFill)
{
    for (const auto& [w, h] : {std::pair{1u, 6u}, std::pair{6u, 1u}}) {
        const BitmapPtr display = ResampledCopy(MakeNoisePicture(w, h, 3).get(), 1.5, 9, 9);
        EXPECT_TRUE(IsAllFill(display.get(), 0, 0, 9, 9)) << w << "x" << h;
    }
}

TEST(ResamplingWorkedValues, EnlargedPictureHasFillBandsOfScaleWidth)
{
    const BitmapPtr display = ResampledCopy(MakeUniform(4, 3, 200).get(), 3.0, 12, 9);
    for (unsigned x = 0; x < 12; ++x)
        EXPECT_EQ(IsAllFill(display.get(), x, 0, x + 1, 9), x >= 9) << "column " << x;
    for (unsigned y = 0; y < 9; ++y)
        EXPECT_EQ(IsAllFill(display.get(), 0, y, 12, y + 1), y >= 6) << "row " << y;
}

TEST(SampleBilinear, FlagsNeighboursOutsideAndKeepsReservedByte)
{
    const BitmapPtr picture = MakeNoisePicture(3, 2, 5);
    struct Case { double x, y; BOOL inside; };
    for (const Case c : {Case{0.0, 0.0, TRUE}, Case{1.5, 0.5, TRUE}, Case{1.99, 0.99, TRUE},
                         Case{2.0, 0.5, FALSE}, Case{0.5, 1.0, FALSE}, Case{2.5, 1.5, FALSE}}) {
        RGBQUAD quad{0, 0, 0, 0xAB};
        EXPECT_EQ(SampleBilinear(picture.get(), c.x, c.y, &quad), c.inside) << c.x << ", " << c.y;
        EXPECT_EQ(quad.rgbReserved, 0xAB) << c.x << ", " << c.y;
    }
}

// Every case is made both as a bitmap and straight into the painter's
// upright image, by both routes.
TEST(ResamplingAgainstOracle, MatchesByteForByte)
{
    constexpr SampleRule kBilinear = SampleRule::Bilinear, kNearest = SampleRule::Nearest;
    struct Case {
        const char* name;
        unsigned w, h;
        SourceArea area;
        unsigned dw, dh;
    };
    std::vector<Case> cases = {
        {"enlarge 1.7", 13, 11, {1.7}, 22, 19},
        {"enlarge 4", 5, 4, {4.0}, 20, 16},
        {"reduce 0.3", 40, 30, {0.3}, 12, 9},
        {"reduce like a big photo", 600, 400, {905.0 / 4000.0}, 136, 91},
        {"exactly 1", 9, 7, {1.0}, 9, 7},
        {"display larger than the picture", 10, 8, {1.5}, 21, 17},
        {"one pixel wide", 1, 6, {2.0}, 2, 12},
        {"one pixel high", 6, 1, {2.0}, 12, 2},
        // The visible part of a zoomed picture: an area from a fractional origin.
        {"reduced part from a fractional origin", 40, 30, {0.7, 3.25, 5.6, kBilinear}, 20, 15},
        {"reduced part reaching past the corner", 50, 40, {0.5, 30.3, 20.7, kBilinear}, 30, 25},
        {"bilinear part at 1 from a fractional origin", 30, 20, {1.0, 4.5, 3.25, kBilinear}, 20, 12},
        {"nearest at 1 from a whole origin", 30, 20, {1.0, 4.0, 3.0, kNearest}, 20, 12},
        {"nearest at 1.25 from a fractional origin", 30, 20, {1.25, 2.6, 7.3, kNearest}, 25, 14},
        {"nearest at 4", 30, 20, {4.0, 10.75, 6.5, kNearest}, 44, 37},
        {"nearest reaching past the corner", 20, 15, {3.0, 12.4, 9.1, kNearest}, 30, 25},
        {"nearest of one pixel", 1, 1, {4.0, 0.0, 0.0, kNearest}, 6, 6},
        {"area starting left of and below the picture", 12, 10, {2.0, -2.5, -1.25, kNearest}, 20, 20},
    };
    for (unsigned w = 1; w <= 9; ++w) {
        cases.push_back({"row padding", w, 5, {1.25}, w, 6});
        cases.push_back({"row padding, nearest", w, 5, {2.0, 0.5, 0.5, kNearest}, 2 * w - 1, 9});
    }
    // Large copies are made in two halves by two threads.
    cases.insert(cases.end(),
                 {{"one thread, just below two", 600, 400, {0.4}, 255, 256},
                  {"two halves, odd height and width", 997, 703, {0.37}, 369, 261},
                  {"two halves, sampling the last column", 1000, 700, {0.5}, 500, 350},
                  {"two halves, enlarged with fill bands", 151, 103, {2.9}, 438, 299},
                  {"two halves of a reduced part", 997, 703, {0.8, 123.4, 56.7, kBilinear}, 600, 400},
                  {"two halves of a part at 2.5, nearest", 997, 703, {2.5, 501.3, 300.9, kNearest}, 500, 300},
                  {"two halves of a part at 4 reaching the corner", 301, 203, {4.0, 150.2, 90.8, kNearest}, 620,
                   460}});

    unsigned seed = 100;
    for (const Case& c : cases) {
        const BitmapPtr picture = MakeNoisePicture(c.w, c.h, ++seed);
        const BitmapPtr expected = OracleResample(picture.get(), c.w, c.h, c.area, c.dw, c.dh);
        for (const ResampleRoute route : {ResampleRoute::Fastest, ResampleRoute::Plain}) {
            SCOPED_TRACE(testing::Message() << c.name << ": " << c.w << "x" << c.h << " at " << c.area.scale
                                            << " from " << c.area.left << ", " << c.area.bottom
                                            << (route == ResampleRoute::Plain ? ", plain" : ", fastest"));
            const BitmapPtr bitmap = ResampledCopy(picture.get(), c.area, c.dw, c.dh, route);
            EXPECT_EQ(DescribeDifference(expected.get(), bitmap.get()), "");
            const QImage image = ResampleToImage(picture.get(), c.w, c.h, c.area, QSize(int(c.dw), int(c.dh)), route);
            EXPECT_EQ(DescribeDifference(expected.get(), image), "");
            EXPECT_EQ(image.format(), QImage::Format_RGB32);
        }
    }
}

TEST(ResamplingAgainstOracle, UniformPicturesMatchDownToWeightRounding)
{
    // A flat picture shows every last bit of the weights: a sum a hair under
    // the value truncates one lower.
    for (const BYTE value : {BYTE(37), BYTE(200), BYTE(255)}) {
        const BitmapPtr picture = MakeUniform(24, 24, value);
        const BitmapPtr expected = OracleResample(picture.get(), 24, 24, 1.7, 40, 40);
        const BitmapPtr actual = ResampledCopy(picture.get(), 1.7, 40, 40);
        EXPECT_EQ(DescribeDifference(expected.get(), actual.get()), "") << "value " << int(value);
    }
}

TEST(ResamplingAgainstOracle, InsideTestUsesTheSizePassedIn)
{
    const BitmapPtr picture = MakeNoisePicture(10, 10, 7);
    const BitmapPtr expected = OracleResample(picture.get(), 7, 6, 1.3, 13, 13);
    BitmapPtr actual = MakeDisplay(13, 13);
    Resample(picture.get(), 7, 6, SourceArea{1.3}, actual.get());
    EXPECT_EQ(DescribeDifference(expected.get(), actual.get()), "");
}

TEST(ResamplingAgainstOracle, PictureOfAnotherDepthStillMatches)
{
    const BitmapPtr noise = MakeNoisePicture(9, 7, 8);
    const BitmapPtr picture(FreeImage_ConvertTo32Bits(noise.get()));
    const BitmapPtr expected = OracleResample(picture.get(), 9, 7, 1.6, 15, 11);
    const BitmapPtr actual = ResampledCopy(picture.get(), 1.6, 15, 11);
    EXPECT_EQ(DescribeDifference(expected.get(), actual.get()), "");
}

TEST(ResampleToImage, NothingToShowGivesNullImage)
{
    const BitmapPtr picture = MakeNoisePicture(4, 4, 3);
    EXPECT_TRUE(ResampleToImage(nullptr, 4, 4, SourceArea{}, QSize(4, 4)).isNull());
    for (const QSize size : {QSize(0, 4), QSize(4, 0), QSize(-1, -1)})
        EXPECT_TRUE(ResampleToImage(picture.get(), 4, 4, SourceArea{}, size).isNull()) << size.width();
}

// On a screen with more device pixels than view pixels the photo is resampled
// for the device pixels, by the same rule over the same area, and covers the
// same view pixels.
TEST(DisplayImage, UsesEveryDevicePixelOfTheDisplayRectangle)
{
    const BitmapPtr picture = MakeNoisePicture(37, 23, 11);
    const unsigned w = 196, h = 122;   // the display rectangle at scale 5.3
    for (const SourceArea area : {SourceArea{5.3}, SourceArea{0.8, 3.5, 2.25}, SourceArea{3.0, 2.5, 1.5, SampleRule::Nearest}}) {
        for (const double ratio : {1.0, 1.5, 2.0}) {
            SCOPED_TRACE(testing::Message() << "scale " << area.scale << ", ratio " << ratio);
            const QImage image = DisplayImage(picture.get(), 37, 23, area, QSize(int(w), int(h)), ratio);
            const unsigned dw = unsigned(std::lround(w * ratio)), dh = unsigned(std::lround(h * ratio));
            SourceArea device = area;
            device.scale *= ratio;
            const BitmapPtr expected = OracleResample(picture.get(), 37, 23, device, dw, dh);
            EXPECT_EQ(image.devicePixelRatio(), ratio);
            EXPECT_EQ(image.deviceIndependentSize().toSize(), QSize(int(w), int(h)));
            EXPECT_EQ(DescribeDifference(expected.get(), image), "");
        }
    }
}
