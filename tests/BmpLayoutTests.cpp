#include "io/PictureLoader.h"

#include "tests/BmpBuilder.h"
#include "tests/TestPictures.h"

#include <QtEndian>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr unsigned kWidth = 7, kHeight = 5;

Bgr Colour(unsigned x, unsigned y)
{
    return Bgr{BYTE(x * 30 + 5), BYTE(y * 50 + 3), BYTE((x + y) * 17)};
}

RGBQUAD PaletteEntry(unsigned i)
{
    return RGBQUAD{BYTE(i * 13), BYTE(255 - i * 7), BYTE(i * 29), 0};
}

unsigned IndexAt(unsigned x, unsigned y, unsigned entries)
{
    return (x + 3 * y) % entries;
}

unsigned Scale(unsigned value, unsigned max)
{
    return value * 255 / max;
}

// One pixel format: how a pixel is stored, and what it shows.
struct PixelFormat {
    std::string name;
    quint16 bitCount;
    quint32 compression;
    std::array<quint32, 4> masks;
    unsigned paletteEntries;
    std::function<std::uint32_t(unsigned x, unsigned y)> stored;
    std::function<Bgr(unsigned x, unsigned y)> shown;
};

Bgr PaletteColour(unsigned x, unsigned y, unsigned entries)
{
    const RGBQUAD q = PaletteEntry(IndexAt(x, y, entries));
    return Bgr{q.rgbBlue, q.rgbGreen, q.rgbRed};
}

std::uint32_t Packed565(unsigned x, unsigned y)
{
    const Bgr c = Colour(x, y);
    return (std::uint32_t(c.red >> 3) << 11) | (std::uint32_t(c.green >> 2) << 5) | (c.blue >> 3);
}

std::uint32_t Packed555(unsigned x, unsigned y)
{
    const Bgr c = Colour(x, y);
    return (std::uint32_t(c.red >> 3) << 10) | (std::uint32_t(c.green >> 3) << 5) | (c.blue >> 3);
}

std::vector<PixelFormat> Formats()
{
    const auto direct = [](unsigned x, unsigned y) {
        const Bgr c = Colour(x, y);
        return std::uint32_t(c.blue) | (std::uint32_t(c.green) << 8) | (std::uint32_t(c.red) << 16);
    };
    const auto palette = [](unsigned entries) {
        return [entries](unsigned x, unsigned y) { return PaletteColour(x, y, entries); };
    };
    const auto index = [](unsigned entries) {
        return [entries](unsigned x, unsigned y) { return std::uint32_t(IndexAt(x, y, entries)); };
    };
    return {
        {"24-bit", 24, 0, {}, 0, direct, Colour},
        {"32-bit", 32, 0, {}, 0, [&](unsigned x, unsigned y) { return direct(x, y) | 0x80000000u; }, Colour},
        {"32-bit fields with alpha", 32, 3, {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}, 0,
         [&](unsigned x, unsigned y) { return direct(x, y) | 0x40000000u; }, Colour},
        {"16-bit 5-6-5 fields", 16, 3, {0xF800, 0x07E0, 0x001F, 0}, 0, Packed565,
         [](unsigned x, unsigned y) {
             const std::uint32_t v = Packed565(x, y);
             return Bgr{BYTE(Scale(v & 31, 31)), BYTE(Scale((v >> 5) & 63, 63)), BYTE(Scale(v >> 11, 31))};
         }},
        {"16-bit 5-5-5", 16, 0, {}, 0, Packed555,
         [](unsigned x, unsigned y) {
             const std::uint32_t v = Packed555(x, y);
             return Bgr{BYTE(Scale(v & 31, 31)), BYTE(Scale((v >> 5) & 31, 31)), BYTE(Scale(v >> 10, 31))};
         }},
        {"8-bit palette", 8, 0, {}, 256, index(256), palette(256)},
        {"8-bit palette of 20", 8, 0, {}, 20, index(20), palette(20)},
        {"4-bit palette", 4, 0, {}, 16, index(16), palette(16)},
        {"1-bit palette", 1, 0, {}, 2, index(2), palette(2)},
    };
}

BmpShape SpecFor(const PixelFormat& format, quint32 infoSize, bool topDown)
{
    BmpShape shape;
    shape.infoSize = infoSize;
    shape.width = kWidth;
    shape.height = kHeight;
    shape.topDown = topDown;
    shape.bitCount = format.bitCount;
    shape.compression = format.compression;
    shape.masks = format.masks;
    for (unsigned i = 0; i < format.paletteEntries; ++i)
        shape.palette.push_back(PaletteEntry(i));
    shape.pixelData = PackRows(kWidth, kHeight, format.bitCount, [&](unsigned x, unsigned row) {
        return format.stored(x, topDown ? kHeight - 1 - row : row);
    });
    return shape;
}

struct Loaded {
    BitmapPtr dib;
    PictureLoadFailure failure = PictureLoadFailure::None;
};

Loaded LoadBmp(const QByteArray& bytes)
{
    const PictureBytes source{reinterpret_cast<const uchar*>(bytes.constData()), std::uint64_t(bytes.size()), -1};
    Loaded loaded;
    loaded.dib = LoadPictureBytes(FIF_BMP, source, 0, &loaded.failure);
    return loaded;
}

const quint32 kInfoSizes[] = {40, 52, 56, 108, 124};

TEST(ModernBmp, EveryHeaderSizeLoadsWithTheColoursItStores)
{
    for (const PixelFormat& format : Formats()) {
        const BitmapPtr expected = MakePicture(kWidth, kHeight, format.shown);
        for (quint32 infoSize : kInfoSizes) {
            for (bool topDown : {false, true}) {
                SCOPED_TRACE(format.name + ", " + std::to_string(infoSize) + "-byte header" +
                             (topDown ? ", top-down" : ""));
                const Loaded loaded = LoadBmp(BuildBmp(SpecFor(format, infoSize, topDown)));
                ASSERT_TRUE(loaded.dib);
                EXPECT_EQ(loaded.failure, PictureLoadFailure::None);
                const BitmapPtr converted(FreeImage_ConvertTo24Bits(loaded.dib.get()));
                EXPECT_EQ(DescribeDifference(expected.get(), converted.get()), "");
            }
        }
    }
}

// Runs of one index each, an end of line after each row but the last, which
// ends with the end of bitmap.
TEST(ModernBmp, RunLengthPicturesAndGapsBeforeThePixels)
{
    const unsigned entries = 256;
    QByteArray rle;
    for (unsigned y = 0; y < kHeight; ++y) {
        for (unsigned x = 0; x < kWidth; ++x)
            rle += QByteArray(1, 1) + char(IndexAt(x, y, entries));
        rle += QByteArray::fromHex(y + 1 < kHeight ? "0000" : "0001");
    }
    const BitmapPtr expected =
        MakePicture(kWidth, kHeight, [&](unsigned x, unsigned y) { return PaletteColour(x, y, entries); });
    for (quint32 infoSize : kInfoSizes) {
        for (quint32 gap : {0u, 6u}) {
            SCOPED_TRACE(std::to_string(infoSize) + "-byte header, gap " + std::to_string(gap));
            BmpShape shape = SpecFor(Formats()[5], infoSize, false);
            shape.compression = 1;
            shape.pixelData = rle;
            shape.gapAfterPalette = gap;
            const Loaded loaded = LoadBmp(BuildBmp(shape));
            ASSERT_TRUE(loaded.dib);
            const BitmapPtr converted(FreeImage_ConvertTo24Bits(loaded.dib.get()));
            EXPECT_EQ(DescribeDifference(expected.get(), converted.get()), "");
        }
    }
}

TEST(ModernBmp, InconsistentHeadersGetTheLoadError)
{
    struct Case {
        std::string name;
        int offset;   // of a little-endian field in the file; -1 cuts the file to `value` bytes
        quint32 value;
        int width;    // 2 or 4 bytes
    };
    const std::vector<Case> cases = {
        {"two planes", 26, 2, 2},
        {"24 bits run-length coded", 30, 1, 4},
        {"24 bits with bit fields", 30, 3, 4},
        {"JPEG inside", 30, 4, 4},
        {"zero width", 18, 0, 4},
        {"negative width", 18, 0xFFFFFFF9u, 4},
        {"zero height", 22, 0, 4},
        {"12 bits per pixel", 28, 12, 2},
        {"pixels inside the header", 10, 14 + 40, 4},
        {"pixels past the end", 10, 100000, 4},
        {"header cut short", -1, 14 + 44, 0},
    };
    for (quint32 infoSize : {52u, 56u, 108u, 124u}) {
        const QByteArray good = BuildBmp(SpecFor(Formats()[0], infoSize, false));
        ASSERT_TRUE(LoadBmp(good).dib);
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name + ", " + std::to_string(infoSize) + "-byte header");
            QByteArray bad = good;
            if (c.offset < 0)
                bad.truncate(c.value);
            else if (c.width == 2)
                qToLittleEndian<quint16>(quint16(c.value), bad.data() + c.offset);
            else
                qToLittleEndian<quint32>(c.value, bad.data() + c.offset);
            const Loaded loaded = LoadBmp(bad);
            EXPECT_FALSE(loaded.dib);
            EXPECT_EQ(loaded.failure, PictureLoadFailure::Unreadable);
        }
    }
    // A palette longer than eight bits can index.
    BmpShape shape = SpecFor(Formats()[5], 124, false);
    shape.palette.resize(300, RGBQUAD{});
    EXPECT_EQ(LoadBmp(BuildBmp(shape)).failure, PictureLoadFailure::Unreadable);
}

} // namespace
