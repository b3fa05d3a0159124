#include "io/ContentFormat.h"
#include "io/ExifOrientation.h"
#include "io/PictureOpening.h"
#include "io/PictureOrientation.h"
#include "tests/PictureFiles.h"
#include "tests/TestPictures.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The picture shown for `orientation`, pixel by pixel from the definition of
// the tag: shown (x, y), counted from the top left, is stored pixel
// `Source(x, y)`.
BitmapPtr ShownByDefinition(FIBITMAP* stored, unsigned orientation)
{
    const unsigned W = FreeImage_GetWidth(stored), H = FreeImage_GetHeight(stored);
    const bool swaps = orientation >= 5 && orientation <= 8;
    const unsigned shownW = swaps ? H : W, shownH = swaps ? W : H;
    const auto source = [&](unsigned x, unsigned y) -> std::pair<unsigned, unsigned> {
        switch (orientation) {
        case 2: return {W - 1 - x, y};
        case 3: return {W - 1 - x, H - 1 - y};
        case 4: return {x, H - 1 - y};
        case 5: return {y, x};
        case 6: return {y, H - 1 - x};
        case 7: return {W - 1 - y, H - 1 - x};
        case 8: return {W - 1 - y, x};
        default: return {x, y};
        }
    };
    // MakePicture and PixelAt count y from the bottom.
    return MakePicture(shownW, shownH, [&](unsigned x, unsigned yUp) {
        const auto [sx, sy] = source(x, shownH - 1 - yUp);
        return PixelAt(stored, sx, H - 1 - sy);
    });
}

BitmapPtr Copy(FIBITMAP* picture)
{
    return BitmapPtr(FreeImage_Clone(picture));
}

OpenedPicture OpenBytes(const QByteArray& file)
{
    return OpenPictureBytes({reinterpret_cast<const uchar*>(file.constData()), std::uint64_t(file.size()), -1});
}

class EveryOrientation : public ::testing::TestWithParam<unsigned> {};

// Wider than a band of columns and higher than a block of rows, so that the
// turns cross every seam of their buffers.
TEST_P(EveryOrientation, TransformMatchesTheDefinition)
{
    const BitmapPtr stored = MakeNoisePicture(45, 530, GetParam());
    const BitmapPtr expected = ShownByDefinition(stored.get(), GetParam());
    const BitmapPtr shown = OrientPicture(Copy(stored.get()), OrientationFromTag(GetParam()));
    EXPECT_EQ(DescribeDifference(expected.get(), shown.get()), "");
}

// A file tagged with the orientation opens as the untagged one shown that
// way. HEIC pictures are turned by libheif from the file's own transforms;
// the Exif tag inside is never applied on top, nor alone.
TEST_P(EveryOrientation, TaggedFilesOpenUpright)
{
    const unsigned orientation = GetParam();
    const BitmapPtr picture = MakeNoisePicture(13, 7, 40 + orientation);
    const QByteArray heicExif = EncodeOriented(kHeifFormat, picture.get(), orientation);
    struct Row {
        const char* name;
        FREE_IMAGE_FORMAT format;
        QByteArray tagged;
        unsigned applied;
    };
    const Row rows[] = {
        {"JPEG", FIF_JPEG, EncodeOriented(FIF_JPEG, picture.get(), orientation), orientation},
        {"PNG", FIF_PNG, EncodeOriented(FIF_PNG, picture.get(), orientation), orientation},
        {"WebP", FIF_WEBP, EncodeOriented(FIF_WEBP, picture.get(), orientation), orientation},
        {"TIFF", FIF_TIFF, EncodeOriented(FIF_TIFF, picture.get(), orientation), orientation},
        {"HEIC, Exif alone", kHeifFormat, heicExif, 1},
        {"HEIC, transforms and Exif", kHeifFormat, HeifWithTransforms(heicExif, orientation), orientation},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const OpenedPicture plain = OpenBytes(EncodeInFormat(row.format, picture.get()));
        const OpenedPicture tagged = OpenBytes(row.tagged);
        ASSERT_NE(plain.picture, nullptr);
        ASSERT_NE(tagged.picture, nullptr);
        const BitmapPtr expected = ShownByDefinition(plain.picture.get(), row.applied);
        EXPECT_EQ(DescribeDifference(expected.get(), tagged.picture.get()), "");
    }
}

// 0 and 9 are out of range: shown as stored.
INSTANTIATE_TEST_SUITE_P(Tags, EveryOrientation, ::testing::Values(0u, 1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u, 9u));

TEST(ExifOrientationOf, DamagedBlocksMeanAsStored)
{
    const QByteArray good = ExifWithOrientation(6);
    QByteArray wrongType = good;
    wrongType[13] = 4;
    QByteArray twoValues = good;
    twoValues[17] = 2;
    QByteArray directoryBeyond = good;
    directoryBeyond[7] = char(0x80);
    QByteArray manyEntries = good;
    manyEntries[8] = char(0xFF);
    struct Case {
        std::string name;
        QByteArray block;
        Orientation expected;
    };
    const Case cases[] = {
        {"big-endian", good, Orientation::TurnedRight},
        {"little-endian", ExifWithOrientation(8, false), Orientation::TurnedLeft},
        {"after a JPEG's Exif name", QByteArray("Exif\0\0", 6) + good, Orientation::TurnedRight},
        {"empty", QByteArray(), Orientation::AsStored},
        {"no byte order", QByteArray("XX*\0", 4) + good.mid(4), Orientation::AsStored},
        {"cut in the entry", good.left(18), Orientation::AsStored},
        {"long instead of short", wrongType, Orientation::AsStored},
        {"two values", twoValues, Orientation::AsStored},
        {"directory beyond the block", directoryBeyond, Orientation::AsStored},
        {"more entries than bytes", manyEntries, Orientation::TurnedRight},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ExifOrientationOf(reinterpret_cast<const uchar*>(c.block.constData()), std::uint64_t(c.block.size())),
                  c.expected);
    }
}

} // namespace
