#include "io/MaskBurn.h"

#include "document/CoverEllipse.h"
#include "tests/TestPictures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

const Bgr kGray{153, 153, 153};

// Columns first..last (inclusive) of scan line `row` are expected gray.
struct GrayRun {
    unsigned row, first, last;
};

// The oracle: a copy of `original` with exactly the listed pixels gray.
BitmapPtr ExpectedPicture(FIBITMAP* original, const std::vector<GrayRun>& runs)
{
    BitmapPtr expected(FreeImage_Clone(original));
    RGBQUAD gray{kGray.blue, kGray.green, kGray.red, 0};
    for (const GrayRun& run : runs) {
        for (unsigned x = run.first; x <= run.last; ++x) FreeImage_SetPixelColor(expected.get(), x, run.row, &gray);
    }
    return expected;
}

// Every pixel, edges included.
std::vector<GrayRun> WholePicture(unsigned width, unsigned height)
{
    std::vector<GrayRun> runs;
    for (unsigned y = 0; y < height; ++y) runs.push_back({y, 0, width - 1});
    return runs;
}

BitmapPtr BurnedCopy(FIBITMAP* original, const PictureEllipse& e)
{
    BitmapPtr burned(FreeImage_Clone(original));
    BurnEllipse(burned.get(), FreeImage_GetWidth(original), FreeImage_GetHeight(original), e);
    return burned;
}

} // namespace

TEST(MapEllipseToPicture, WorkedLayout)
{
    // Picture 2448 high shown 1018 high, so one picture pixel is 1018/2448 display pixels:
    //   x0: (909 - 280) / s = 629 * 2448 / 1018 = 1512.566 + 0.5 -> 1513
    //   y0: (1018 - 200) / s = 818 * 2448 / 1018 = 1967.057 + 0.5 -> 1967
    //   x1: (1009 - 280) / s = 729 * 2448 / 1018 = 1753.037 + 0.5 -> 1753
    //   y1: (1018 - 50) / s = 968 * 2448 / 1018 = 2327.764 + 0.5 -> 2328
    const CRect shownAt(280, 0, 1638, 1018);
    const ViewTransform fitted = FittedTransform(shownAt, 1018 / 2448.0, 2448);
    const PictureEllipse e = MapEllipseToPicture(ToPicture({909, 50, 1009, 200}, fitted), 2448);
    EXPECT_EQ(e, (PictureEllipse{1513, 1967, 1753, 2328}));
}

TEST(MapEllipseToPicture, TruncatesNegativeValuesTowardZero)
{
    //   x0: (86 - 100) / 5 = -2.8 + 0.5 = -2.3 -> -2 (not -3)
    //   y0: (550 - 564) / 5 = -2.8 + 0.5 = -2.3 -> -2
    //   x1: (136 - 100) / 5 = 7.2 + 0.5 = 7.7 -> 7
    //   y1: (550 - 40) / 5 = 102 + 0.5 -> 102
    const ViewTransform fitted = FittedTransform({100, 50, 600, 550}, 5.0, 100);
    const PictureEllipse e = MapEllipseToPicture(ToPicture({86, 40, 136, 564}, fitted), 100);
    EXPECT_EQ(e, (PictureEllipse{-2, -2, 7, 102}));
}

struct BurnCase {
    const char* name;
    unsigned width, height;
    PictureEllipse ellipse;
    std::vector<GrayRun> gray;
};

void PrintTo(const BurnCase& c, std::ostream* out) { *out << c.name; }

class BurnEllipseCases : public ::testing::TestWithParam<BurnCase> {};

TEST_P(BurnEllipseCases, PaintsExactlyTheListedPixels)
{
    const BurnCase& c = GetParam();
    const BitmapPtr original = MakeNoisePicture(c.width, c.height, 7);
    const BitmapPtr expected = ExpectedPicture(original.get(), c.gray);
    const BitmapPtr burned = BurnedCopy(original.get(), c.ellipse);
    EXPECT_EQ(DescribeDifference(expected.get(), burned.get()), "");
}

INSTANTIATE_TEST_SUITE_P(
    MaskBurn, BurnEllipseCases,
    ::testing::Values(
        // The lower half (nearer scan line 0) gets one line more.
        BurnCase{"Inside", 100, 100, {10, 10, 20, 20},
                 {{11, 13, 16}, {12, 12, 17}, {13, 11, 18}, {14, 11, 18}, {15, 11, 18},
                  {16, 11, 18}, {17, 11, 18}, {18, 12, 17}}},
        // Rows 0..3 span x -4.5..5.5, -4.4..5.4, -4.08..5.08, -3.5..4.5: row 0 and column 0 are painted.
        BurnCase{"OverBottomLeftCorner", 100, 100, {-5, -5, 5, 5}, {{0, 0, 3}, {1, 0, 3}, {2, 0, 3}, {3, 0, 2}}},
        BurnCase{"BeyondEveryEdge", 20, 10, {-100, -100, 100, 100}, WholePicture(20, 10)},
        // Reaches past the top and the right edge: paints up to row H - 1 and column W - 1.
        // Centre (8, 7), semi-axes 5: rows 3..7 span x 5.5..11.5, 4.5..12.5, 3.92..13.08, 3.60..13.40, 3.5..13.5.
        BurnCase{"OverTopRightCorner", 10, 8, {3, 2, 13, 12},
                 {{3, 6, 9}, {4, 5, 9}, {5, 4, 9}, {6, 4, 9}, {7, 4, 9}}},
        // Centre (2, 7): rows 3..7 span x -0.5..5.5 (-0.5 truncates to 0, so column 0 stays), -1.5..6.5,
        // -2.08..7.08, -2.40..7.40, -2.5..7.5.
        BurnCase{"OverTopLeftCorner", 10, 8, {-3, 2, 7, 12},
                 {{3, 1, 3}, {4, 0, 4}, {5, 0, 5}, {6, 0, 5}, {7, 0, 5}}},
        // Centre (8, 1): rows 0..4 span x 3.60..13.40, 3.5..13.5, 3.60..13.40, 3.92..13.08, 4.5..12.5.
        BurnCase{"OverBottomRightCorner", 10, 8, {3, -4, 13, 6},
                 {{0, 4, 9}, {1, 4, 9}, {2, 4, 9}, {3, 4, 9}, {4, 5, 9}}},
        BurnCase{"InvertedColumns", 40, 40, {20, 10, 10, 20}, {}},
        BurnCase{"InvertedRows", 40, 40, {10, 20, 20, 10}, {}},
        BurnCase{"Flat", 40, 40, {10, 10, 20, 11}, {}}),
    [](const ::testing::TestParamInfo<BurnCase>& info) { return std::string(info.param.name); });

TEST(BurnEllipse, LeavesRowPaddingAlone)
{
    for (unsigned width = 1; width <= 9; ++width) {
        SCOPED_TRACE(testing::Message() << "width " << width);
        const unsigned height = 6;
        const BitmapPtr original = MakeNoisePicture(width, height, width);
        const unsigned pitch = FreeImage_GetPitch(original.get());
        for (unsigned y = 0; y < height; ++y) {
            BYTE* line = FreeImage_GetScanLine(original.get(), int(y));
            std::memset(line + width * 3, 0xAB, pitch - width * 3);
        }
        const BitmapPtr expected = ExpectedPicture(original.get(), WholePicture(width, height));
        const BitmapPtr burned = BurnedCopy(original.get(), {-50, -50, 50, 50});
        EXPECT_EQ(std::memcmp(FreeImage_GetBits(expected.get()), FreeImage_GetBits(burned.get()), pitch * height), 0);
    }
}

TEST(BurnEllipse, IgnoresUnusablePictures)
{
    BurnEllipse(nullptr, 10, 10, {0, 0, 10, 10});

    const BitmapPtr original = MakeNoisePicture(10, 10, 3);
    const BitmapPtr burned(FreeImage_Clone(original.get()));
    BurnEllipse(burned.get(), 11, 10, {0, 0, 10, 10});
    BurnEllipse(burned.get(), 10, 11, {0, 0, 10, 10});
    EXPECT_EQ(DescribeDifference(original.get(), burned.get()), "");

    const BitmapPtr gray8(FreeImage_Allocate(10, 10, 8));
    BurnEllipse(gray8.get(), 10, 10, {0, 0, 10, 10});
    EXPECT_EQ(FreeImage_GetScanLine(gray8.get(), 5)[5], 0);
}
