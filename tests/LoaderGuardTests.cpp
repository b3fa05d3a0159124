#include "io/PictureLoader.h"

#include "tests/BmpBuilder.h"
#include "tests/ChildDecode.h"
#include "tests/PictureMutants.h"
#include "tests/TestPictures.h"

#include <QFile>
#include <QtEndian>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Counts what FreeImage reports; a decoder that ran on a forgery without
// tables always reports something.
int g_freeImageMessages = 0;

class FreeImageMessageCounter {
public:
    FreeImageMessageCounter()
    {
        g_freeImageMessages = 0;
        FreeImage_SetOutputMessage([](FREE_IMAGE_FORMAT, const char*) { ++g_freeImageMessages; });
    }
    ~FreeImageMessageCounter() { FreeImage_SetOutputMessage(nullptr); }
    int count() const { return g_freeImageMessages; }
};

struct Loaded {
    BitmapPtr dib;
    PictureLoadFailure failure = PictureLoadFailure::None;
};

Loaded LoadBytes(FREE_IMAGE_FORMAT format, const QByteArray& bytes, int flags)
{
    const PictureBytes source{reinterpret_cast<const uchar*>(bytes.constData()), std::uint64_t(bytes.size()), -1};
    Loaded loaded;
    loaded.dib = LoadPictureBytes(format, source, flags, &loaded.failure);
    return loaded;
}

// A file may claim 4096 pixels for each of its bytes, and 2048 x 2048 whatever
// its size; a mebibyte lets 65535 x 65535 through to the memory guard.
constexpr qsizetype kMebibyte = 1 << 20;
constexpr qsizetype kAsForged = 0;

struct ForgeryCase {
    std::string name;
    uchar frameMarker;
    unsigned width, height;
    std::vector<uchar> sampling;
    unsigned componentsInFirstScan;
    bool refused;   // held bytes or pixels per byte worked out in the name
    qsizetype fileBytes = kMebibyte;   // scan data padded to this size
};

QByteArray PaddedForgery(const ForgeryCase& c)
{
    QByteArray forged = ForgedJpegHeaders(c.frameMarker, c.width, c.height, c.sampling, c.componentsInFirstScan);
    if (c.fileBytes > forged.size())
        forged.insert(forged.size() - 2, QByteArray(c.fileBytes - forged.size(), '\0'));
    return forged;
}

// Peak bytes: 8-bit gray rows plus their 24-bit copy; 24-bit rows; and, when
// every coefficient is held, 128 bytes per 8x8 block of each component.
const std::vector<ForgeryCase> kForgeries = {
    {"gray 65535 x 65535", 0xC0, 65535, 65535, {0x11}, 1, true},
    {"gray 18000 x 18000: 324,000,000 + 972,000,000", 0xC0, 18000, 18000, {0x11}, 1, true},
    {"gray 16000 x 16000: 256,000,000 + 768,000,000", 0xC0, 16000, 16000, {0x11}, 1, false},
    {"progressive gray 14000 x 14000: 196,000,000 + 588,000,000 + 392,000,000", 0xC2, 14000, 14000, {0x11}, 1,
     true},
    {"progressive gray 12000 x 12000: 144,000,000 + 432,000,000 + 288,000,000", 0xC2, 12000, 12000, {0x11}, 1,
     false},
    {"colour 30000 x 30000", 0xC0, 30000, 30000, {0x22, 0x11, 0x11}, 3, true},
    {"colour 18900 x 18900: 1,071,630,000", 0xC0, 18900, 18900, {0x22, 0x11, 0x11}, 3, false},
    {"progressive colour 65133 x 30000", 0xC2, 65133, 30000, {0x22, 0x11, 0x11}, 3, true},
    {"progressive 4:2:0 colour 18000 x 18000: 972,000,000 + 972,000,000", 0xC2, 18000, 18000,
     {0x22, 0x11, 0x11}, 1, true},
    {"progressive 4:2:0 colour 13000 x 13000: 507,000,000 + 507,624,192", 0xC2, 13000, 13000,
     {0x22, 0x11, 0x11}, 1, false},
    {"colour one component per scan 18000 x 18000", 0xC0, 18000, 18000, {0x11, 0x11, 0x11}, 1, true},
    {"extended colour 18000 x 18000 in one scan: 972,000,000", 0xC1, 18000, 18000, {0x11, 0x11, 0x11}, 3, false},
    {"CMYK 20000 x 20000", 0xC0, 20000, 20000, {0x11, 0x11, 0x11, 0x11}, 4, true},
    {"progressive CMYK 12000 x 12000: 432,000,000 + 4 x 288,000,000", 0xC2, 12000, 12000,
     {0x11, 0x11, 0x11, 0x11}, 1, true},
    {"CMYK 18000 x 18000 in one scan: 972,000,000", 0xC0, 18000, 18000, {0x11, 0x11, 0x11, 0x11}, 4, false},
    // Pixels for every byte of the file.
    {"543 bytes claiming 18900 x 16383: 570,237", 0xC0, 18900, 16383, {0x22, 0x11, 0x11}, 3, true, 543},
    {"colour 8000 x 8000 in 15,625 bytes: 4096", 0xC0, 8000, 8000, {0x22, 0x11, 0x11}, 3, false, 15625},
    {"colour 8000 x 8000 in 15,624 bytes: 4096.3", 0xC0, 8000, 8000, {0x22, 0x11, 0x11}, 3, true, 15624},
    {"gray 2048 x 2048 as forged: at the floor", 0xC0, 2048, 2048, {0x11}, 1, false, kAsForged},
    {"gray 2049 x 2048 as forged: past the floor", 0xC0, 2049, 2048, {0x11}, 1, true, kAsForged},
};

TEST(JpegSizeGuard, ForgedFrameHeadersAreRefusedBeforeDecoding)
{
    for (const ForgeryCase& c : kForgeries) {
        SCOPED_TRACE(c.name);
        const QByteArray forged = PaddedForgery(c);
        FreeImageMessageCounter messages;
        const Loaded loaded = LoadBytes(FIF_JPEG, forged, JPEG_ACCURATE);
        EXPECT_FALSE(loaded.dib);
        // Allowed sizes reach the decoder, which finds no tables and says so.
        EXPECT_EQ(loaded.failure, c.refused ? PictureLoadFailure::TooLarge : PictureLoadFailure::Unreadable);
        EXPECT_EQ(messages.count() == 0, c.refused) << messages.count();
    }
}

// Progressive and gray pictures are decoded once, straight from the file's pieces.
TEST(JpegSizeGuard, RealProgressiveAndGrayPicturesMatchAPlainDecode)
{
    struct Case {
        std::string name;
        unsigned width, height;
        bool gray;
        int saveFlags;
    };
    const std::vector<Case> cases = {
        {"progressive colour", 301, 203, false, JPEG_PROGRESSIVE | JPEG_QUALITYGOOD},
        {"progressive colour 4:4:4", 64, 9, false, JPEG_PROGRESSIVE | JPEG_SUBSAMPLING_444},
        {"progressive gray", 129, 67, true, JPEG_PROGRESSIVE},
        {"baseline gray", 17, 5, true, JPEG_DEFAULT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BitmapPtr picture = MakeNoisePicture(c.width, c.height, c.width);
        if (c.gray)
            picture.reset(FreeImage_ConvertToGreyscale(picture.get()));
        const QByteArray jpeg = EncodePicture(FIF_JPEG, picture.get(), c.saveFlags);
        ASSERT_FALSE(jpeg.isEmpty());

        const ChildDecode plain = DecodeInChild(FIF_JPEG, jpeg, JPEG_ACCURATE);
        ASSERT_EQ(plain.outcome, ChildDecode::Outcome::Decoded);
        const Loaded loaded = LoadBytes(FIF_JPEG, jpeg, JPEG_ACCURATE);
        ASSERT_TRUE(loaded.dib);
        EXPECT_EQ(FreeImage_GetBPP(loaded.dib.get()), c.gray ? 8u : 24u);
        const BitmapPtr converted(FreeImage_ConvertTo24Bits(loaded.dib.get()));
        EXPECT_EQ(DescribeDifference(plain.picture.get(), converted.get()), "");
    }
}

// A run-length picture whose data is a few bytes: FreeImage would allocate the
// whole claim and convert it, for seconds, before anything could be shown.
TEST(BmpSizeGuard, ClaimsFarBeyondThePixelDataAreRefused)
{
    struct Case {
        std::string name;
        unsigned width, height;
        quint16 bitCount;
        quint32 compression;
        QByteArray pixelData;
        PictureLoadFailure failure;
    };
    const QByteArray endOfBitmap = QByteArray::fromHex("0001");
    const std::vector<Case> cases = {
        {"RLE8 4000 x 4000 ending at once", 4000, 4000, 8, 1, endOfBitmap, PictureLoadFailure::Unreadable},
        {"RLE8 16 x 16 ending at once", 16, 16, 8, 1, endOfBitmap, PictureLoadFailure::None},
        {"24-bit 10000 x 10000 with a kilobyte of rows", 10000, 10000, 24, 0, QByteArray(1000, '\x11'),
         PictureLoadFailure::Unreadable},
        {"24-bit 2000 x 2000 cut to 30 %", 2000, 2000, 24, 0, QByteArray(3600000, '\x11'),
         PictureLoadFailure::None},
        // Past the size guard, then refused for its few bytes.
        {"8-bit 16000 x 16000: 256,000,000 + 768,000,000", 16000, 16000, 8, 0, QByteArray(100, '\x01'),
         PictureLoadFailure::Unreadable},
        {"8-bit 17000 x 17000: 289,000,000 + 867,000,000", 17000, 17000, 8, 0, QByteArray(100, '\x01'),
         PictureLoadFailure::TooLarge},
    };
    const QByteArray bomb = RunLengthBomb();
    ASSERT_EQ(bomb.size(), 144);
    const Loaded refused = LoadBytes(FIF_BMP, bomb, 0);
    EXPECT_FALSE(refused.dib);
    EXPECT_EQ(refused.failure, PictureLoadFailure::Unreadable);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BmpShape shape;
        shape.width = c.width;
        shape.height = c.height;
        shape.bitCount = c.bitCount;
        shape.compression = c.compression;
        if (c.bitCount <= 8)
            shape.palette.assign(size_t(1) << c.bitCount, RGBQUAD{9, 8, 7, 0});
        shape.pixelData = c.pixelData;
        const Loaded loaded = LoadBytes(FIF_BMP, BuildBmp(shape), 0);
        EXPECT_EQ(loaded.failure, c.failure);
        EXPECT_EQ(bool(loaded.dib), c.failure == PictureLoadFailure::None);
    }
}

} // namespace
