#include "io/ContentFormat.h"
#include "io/DecoderComplaints.h"
#include "io/OpaquePicture.h"
#include "io/PictureOpening.h"
#include "tests/PictureFiles.h"
#include "tests/TestPictures.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

OpenedPicture OpenBytes(const QByteArray& file)
{
    return OpenPictureBytes({reinterpret_cast<const uchar*>(file.constData()), std::uint64_t(file.size()), -1});
}

// The 24-bit picture a bitmap of any kind shows, pixel by pixel: 16-bit
// samples to 8, alpha (when `alpha`) over white, palette entries and their
// transparency looked up.
BitmapPtr OpaqueByDefinition(FIBITMAP* source, bool alpha)
{
    const unsigned width = FreeImage_GetWidth(source), height = FreeImage_GetHeight(source);
    const FREE_IMAGE_TYPE type = FreeImage_GetImageType(source);
    const unsigned bits = FreeImage_GetBPP(source);
    return MakePicture(width, height, [&](unsigned x, unsigned y) {
        unsigned r = 0, g = 0, b = 0, a = 255;
        const BYTE* line = FreeImage_GetScanLine(source, int(y));
        const WORD* words = reinterpret_cast<const WORD*>(line);
        if (type == FIT_UINT16) {
            r = g = b = EightBitsOf(words[x]);
        } else if (type == FIT_RGB16 || type == FIT_RGBA16) {
            const unsigned samples = type == FIT_RGB16 ? 3 : 4;
            r = EightBitsOf(words[samples * x]);
            g = EightBitsOf(words[samples * x + 1]);
            b = EightBitsOf(words[samples * x + 2]);
            a = samples == 4 && alpha ? EightBitsOf(words[samples * x + 3]) : 255;
        } else if (bits == 8) {
            const BYTE index = line[x];
            const RGBQUAD entry = FreeImage_GetPalette(source)[index];
            r = entry.rgbRed, g = entry.rgbGreen, b = entry.rgbBlue;
            if (alpha && FreeImage_IsTransparent(source))
                a = FreeImage_GetTransparencyTable(source)[index];
        } else {
            const BYTE* pixel = line + bits / 8 * x;
            r = pixel[FI_RGBA_RED], g = pixel[FI_RGBA_GREEN], b = pixel[FI_RGBA_BLUE];
            a = bits == 32 && alpha ? pixel[FI_RGBA_ALPHA] : 255;
        }
        return Bgr{OverWhite(b, a), OverWhite(g, a), OverWhite(r, a)};
    });
}

// Samples of 16 bits that differ in both bytes from pixel to pixel.
BitmapPtr SixteenBitPicture(FREE_IMAGE_TYPE type, unsigned samples)
{
    BitmapPtr picture(FreeImage_AllocateT(type, 11, 6));
    for (unsigned y = 0; y < 6; ++y) {
        WORD* line = reinterpret_cast<WORD*>(FreeImage_GetScanLine(picture.get(), int(y)));
        for (unsigned i = 0; i < 11 * samples; ++i)
            line[i] = WORD(i * 5987 + y * 20011 + 129);
    }
    return picture;
}

BitmapPtr PalettePicture(bool transparent)
{
    BitmapPtr picture(FreeImage_Allocate(9, 5, 8));
    RGBQUAD* palette = FreeImage_GetPalette(picture.get());
    BYTE table[256];
    for (unsigned i = 0; i < 256; ++i) {
        palette[i] = RGBQUAD{BYTE(i), BYTE(255 - i), BYTE(i * 7), 0};
        table[i] = BYTE(i * 11);
    }
    for (unsigned y = 0; y < 5; ++y)
        for (unsigned x = 0; x < 9; ++x)
            FreeImage_GetScanLine(picture.get(), int(y))[x] = BYTE(x * 29 + y * 3);
    if (transparent)
        FreeImage_SetTransparencyTable(picture.get(), table, 256);
    return picture;
}

// Each kind of picture opens as the format it is, at 24 bits, alpha over
// white and 16 bits to 8 as defined; a BMP's fourth byte is no alpha.
TEST(OpenPictureBytes, EveryKindAgainstItsDefinition)
{
    struct Case {
        std::string name;
        FREE_IMAGE_FORMAT format;
        BitmapPtr picture;
        bool alpha;
        unsigned tiffRowsPerStrip = 0;   // 0: as EncodeInFormat writes it
    };
    Case cases[] = {
        {"PNG colour", FIF_PNG, PatternBitmap(23, 9, 24), true},
        {"PNG with alpha", FIF_PNG, PatternBitmap(23, 9, 32), true},
        {"PNG palette", FIF_PNG, PalettePicture(false), true},
        {"PNG palette with transparency", FIF_PNG, PalettePicture(true), true},
        {"PNG 16-bit gray", FIF_PNG, SixteenBitPicture(FIT_UINT16, 1), true},
        {"PNG 16-bit colour", FIF_PNG, SixteenBitPicture(FIT_RGB16, 3), true},
        {"PNG 16-bit colour with alpha", FIF_PNG, SixteenBitPicture(FIT_RGBA16, 4), true},
        {"WebP colour", FIF_WEBP, PatternBitmap(23, 9, 24), true},
        {"WebP with alpha", FIF_WEBP, PatternBitmap(23, 9, 32), true},
        {"TIFF colour, strip after strip", FIF_TIFF, PatternBitmap(23, 40, 24), true},
        {"TIFF colour, one strip too large to read whole", FIF_TIFF, PatternBitmap(700, 600, 24), true, 600},
        {"TIFF with alpha", FIF_TIFF, PatternBitmap(23, 9, 32), true},
        {"BMP of 32 bits", FIF_BMP, PatternBitmap(23, 9, 32), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray file = c.tiffRowsPerStrip ? EncodeTiffInStrips(c.picture.get(), c.tiffRowsPerStrip)
                                                   : EncodeInFormat(c.format, c.picture.get());
        ASSERT_FALSE(file.isEmpty());
        const OpenedPicture opened = OpenBytes(file);
        EXPECT_EQ(opened.format, c.format);
        EXPECT_FALSE(opened.damaged);
        const BitmapPtr expected = OpaqueByDefinition(c.picture.get(), c.alpha);
        EXPECT_EQ(DescribeDifference(expected.get(), opened.picture.get()), "");
    }
}

// Skipped stray bytes leave the pixels as they were; only missing or wrong
// data is damage.
TEST(OpenPictureBytes, OnlyLostPixelsAreDamage)
{
    const BitmapPtr noise = MakeNoisePicture(64, 48, 3);
    const QByteArray jpeg = EncodePicture(FIF_JPEG, noise.get(), JPEG_DEFAULT);
    const OpenedPicture clean = OpenBytes(jpeg);
    ASSERT_NE(clean.picture, nullptr);
    struct Case {
        std::string name;
        QByteArray file;
        bool damaged;
        bool samePixels;
    };
    const Case cases[] = {
        {"32 junk bytes before the end marker", jpeg.left(jpeg.size() - 2) + QByteArray(32, '\x11') + jpeg.right(2),
         false, true},
        {"a comment after the scan", jpeg.left(jpeg.size() - 2) + QByteArray::fromHex("FFFE 0005 616263") + jpeg.right(2),
         false, true},
        {"cut to 60 %", Truncated(jpeg, jpeg.size() * 6 / 10), true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const OpenedPicture opened = OpenBytes(c.file);
        ASSERT_NE(opened.picture, nullptr);
        EXPECT_EQ(opened.damaged, c.damaged);
        EXPECT_EQ(DescribeDifference(clean.picture.get(), opened.picture.get()).empty(), c.samePixels);
    }
}

TEST(MeansDamage, LibjpegWarnings)
{
    const std::pair<const char*, bool> cases[] = {
        {"Corrupt JPEG data: 32 extraneous bytes before marker 0xd9", false},
        {"Unknown Adobe color transform code 7", false},
        {"Premature end of JPEG file", true},
        {"Corrupt JPEG data: premature end of data segment", true},
        {"Corrupt JPEG data: bad Huffman code", true},
        {"Corrupt JPEG data: found marker 0xd9 instead of RST3", true},
        {"Invalid SOS parameters for sequential JPEG", true},
        {"Inconsistent progression sequence for component 0 coefficient 1", true},
    };
    for (const auto& [message, damage] : cases) {
        SCOPED_TRACE(message);
        EXPECT_EQ(MeansDamage(message), damage);
    }
}

} // namespace
