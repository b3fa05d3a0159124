#include "io/PictureLoader.h"

#include "tests/JpegInspection.h"
#include "tests/TestPictures.h"

#include <QDataStream>
#include <QFile>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Loaded {
    BitmapPtr dib;
    PictureLoadFailure failure = PictureLoadFailure::Unreadable;
};

Loaded Load(FREE_IMAGE_FORMAT format, const QString& path, int flags)
{
    Loaded loaded;
    loaded.dib = LoadPictureFile(format, path, flags, &loaded.failure);
    return loaded;
}

BitmapPtr SmoothPicture(unsigned width, unsigned height)
{
    return MakePicture(width, height, [](unsigned x, unsigned y) {
        return Bgr{BYTE(x * 2), BYTE(y * 3), BYTE((x + y) / 2)};
    });
}

// A BMP header claiming width x height at 24 bits, then a kilobyte of zero pixels.
QByteArray BmpClaiming(qint32 width, qint32 height)
{
    const quint32 headers = 14 + 40;
    const quint32 pixelBytes = 1000;
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint8('B') << quint8('M') << quint32(headers + pixelBytes) << quint32(0) << headers;
    out << quint32(40) << width << height << quint16(1) << quint16(24) << quint32(0) << pixelBytes
        << qint32(2835) << qint32(2835) << quint32(0) << quint32(0);
    bytes.append(qsizetype(pixelBytes), '\0');
    return bytes;
}

TEST(LoadPictureFile, JpegMatchesPlainLoad)
{
    struct Case {
        unsigned width, height;
        bool noise;
        int saveFlags;
    };
    const std::vector<Case> cases = {
        {1, 1, true, JPEG_DEFAULT},
        {17, 9, true, JPEG_DEFAULT},
        {333, 201, false, JPEG_PROGRESSIVE},
        {640, 480, false, JPEG_QUALITYSUPERB | JPEG_SUBSAMPLING_444},
    };
    const QString folder = MakeScratchFolder("loader-jpeg");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        const BitmapPtr source = c.noise ? MakeNoisePicture(c.width, c.height, c.width) : SmoothPicture(c.width, c.height);
        const QString path = folder + QString("/picture-%1x%2.jpg").arg(c.width).arg(c.height);
        WriteFile(path, EncodePicture(FIF_JPEG, source.get(), c.saveFlags));

        const BitmapPtr expected = PlainLoad(FIF_JPEG, path, JPEG_ACCURATE);
        const Loaded loaded = Load(FIF_JPEG, path, JPEG_ACCURATE);
        ASSERT_TRUE(expected);
        ASSERT_TRUE(loaded.dib);
        EXPECT_EQ(loaded.failure, PictureLoadFailure::None);
        EXPECT_EQ(DescribeDifference(expected.get(), loaded.dib.get()), "");
    }
}

TEST(LoadPictureFile, JpegWithDamagedMetadataLoadsWithoutIt)
{
    const QByteArray clean = EncodePicture(FIF_JPEG, SmoothPicture(123, 77).get(), JPEG_DEFAULT);
    // A TIFF block whose single IFD claims 65535 entries, an EXIF sub-IFD far past
    // the end and a maker name of 256 MB.
    const QByteArray exif = SegmentBytes('\xE1', QByteArray("Exif\0\0", 6) + QByteArray::fromHex(
        "49492A00 08000000 FFFF"
        "6987 0400 01000000 F0FFFF7F"
        "0F01 0200 00000010 00FFFFFF"
        "FFFFFF7F"));
    const QByteArray comment = SegmentBytes('\xFE', "hidden notes");
    const QByteArray photoshop = SegmentBytes('\xED', QByteArray("Photoshop 3.0\0" "8BIM", 18) +
                                                     QByteArray::fromHex("0404 0000 FFFFFFF0"));
    const QByteArray damaged = clean.left(2) + exif + comment + photoshop + clean.mid(2);

    const QString folder = MakeScratchFolder("loader-damaged");
    const QString cleanPath = folder + "/clean.jpg";
    // A space and letters outside ASCII must reach the file system intact.
    const QString damagedPath = folder + QString::fromUtf8("/Bild mit Ümläut ß.jpg");
    WriteFile(cleanPath, clean);
    WriteFile(damagedPath, damaged);

    const BitmapPtr expected = PlainLoad(FIF_JPEG, cleanPath, JPEG_ACCURATE);
    const Loaded loaded = Load(FIF_JPEG, damagedPath, JPEG_ACCURATE);
    ASSERT_TRUE(loaded.dib);
    EXPECT_EQ(loaded.failure, PictureLoadFailure::None);
    EXPECT_EQ(DescribeDifference(expected.get(), loaded.dib.get()), "");
    ExpectNoMetadata(loaded.dib.get());
}

TEST(LoadPictureFile, DropsACommentThatAPlainLoadKeeps)
{
    const QByteArray clean = EncodePicture(FIF_JPEG, MakeNoisePicture(8, 8, 3).get(), JPEG_DEFAULT);
    const QString path = MakeScratchFolder("loader-comment") + "/commented.jpg";
    WriteFile(path, WithSegment(clean, '\xFE', "a note"));

    const BitmapPtr plain = PlainLoad(FIF_JPEG, path, JPEG_ACCURATE);
    ASSERT_TRUE(plain);
    EXPECT_EQ(FreeImage_GetMetadataCount(FIMD_COMMENTS, plain.get()), 1u);
    const Loaded loaded = Load(FIF_JPEG, path, JPEG_ACCURATE);
    ASSERT_TRUE(loaded.dib);
    ExpectNoMetadata(loaded.dib.get());
}

TEST(LoadPictureFile, RefusesBmpWhosePixelsWouldPassAGigabyte)
{
    struct Case {
        std::string name;
        qint32 width, height;
        PictureLoadFailure failure;
    };
    // The limit is 2^30 bytes of 24-bit rows padded to 4 bytes.
    const std::vector<Case> cases = {
        {"16 x 16", 16, 16, PictureLoadFailure::None},
        {"60000 x 60000", 60000, 60000, PictureLoadFailure::TooLarge},
        {"60000 x 60000 top-down", 60000, -60000, PictureLoadFailure::TooLarge},
        {"2^28 + 1 rows of 1 pixel padded to 4 bytes", 1, 268435457, PictureLoadFailure::TooLarge},
        {"one row of 357913942 pixels, 1073741826 bytes", 357913942, 1, PictureLoadFailure::TooLarge},
    };
    const QString folder = MakeScratchFolder("loader-huge");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = folder + "/claiming.bmp";
        WriteFile(path, BmpClaiming(c.width, c.height));
        const Loaded loaded = Load(FIF_BMP, path, 0);
        EXPECT_EQ(loaded.failure, c.failure);
        EXPECT_EQ(bool(loaded.dib), c.failure == PictureLoadFailure::None);
        if (loaded.dib) {
            EXPECT_EQ(FreeImage_GetWidth(loaded.dib.get()), unsigned(c.width));
            EXPECT_EQ(FreeImage_GetHeight(loaded.dib.get()), unsigned(c.height));
        }
    }
}

TEST(LoadPictureFile, LoadsBmpAtTheDepthItWasSaved)
{
    const BitmapPtr noise = MakeNoisePicture(37, 23, 7);
    struct Case {
        unsigned bpp;
        BitmapPtr saved;
    };
    std::vector<Case> cases;
    cases.push_back({24, BitmapPtr(FreeImage_Clone(noise.get()))});
    cases.push_back({8, BitmapPtr(FreeImage_ColorQuantize(noise.get(), FIQ_WUQUANT))});
    cases.push_back({32, BitmapPtr(FreeImage_ConvertTo32Bits(noise.get()))});
    const QString folder = MakeScratchFolder("loader-depths");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bpp);
        ASSERT_EQ(FreeImage_GetBPP(c.saved.get()), c.bpp);
        const QString path = folder + QString("/picture-%1.bmp").arg(c.bpp);
        WriteFile(path, EncodePicture(FIF_BMP, c.saved.get(), 0));
        const Loaded loaded = Load(FIF_BMP, path, 0);
        ASSERT_TRUE(loaded.dib);
        EXPECT_EQ(loaded.failure, PictureLoadFailure::None);
        EXPECT_EQ(FreeImage_GetBPP(loaded.dib.get()), c.bpp);
        // Palette pixels have no colour of their own; compare what they show.
        const BitmapPtr expected(FreeImage_ConvertTo24Bits(c.saved.get()));
        const BitmapPtr actual(FreeImage_ConvertTo24Bits(loaded.dib.get()));
        EXPECT_EQ(DescribeDifference(expected.get(), actual.get()), "");
    }
}

TEST(LoadPictureFile, BmpUnderAJpegNameIsUnreadableAsJpeg)
{
    const QString path = MakeScratchFolder("loader-misnamed") + "/really-a-bitmap.jpg";
    WriteFile(path, EncodePicture(FIF_BMP, MakeNoisePicture(10, 10, 1).get(), 0));
    EXPECT_FALSE(PlainLoad(FIF_JPEG, path, JPEG_ACCURATE));
    const Loaded loaded = Load(FIF_JPEG, path, JPEG_ACCURATE);
    EXPECT_FALSE(loaded.dib);
    EXPECT_EQ(loaded.failure, PictureLoadFailure::Unreadable);
}

TEST(LoadPictureFile, UnreadableFiles)
{
    const QString folder = MakeScratchFolder("loader-unreadable");
    const QByteArray jpeg = EncodePicture(FIF_JPEG, MakeNoisePicture(10, 10, 2).get(), JPEG_DEFAULT);
    WriteFile(folder + "/empty", QByteArray());
    WriteFile(folder + "/cut.jpg", jpeg.left(40));
    WriteFile(folder + "/garbage.bmp", QByteArray(600, 'x'));
    struct Case {
        std::string name;
        FREE_IMAGE_FORMAT format;
        QString path;
    };
    const std::vector<Case> cases = {
        {"missing", FIF_JPEG, folder + "/missing.jpg"},
        {"missing bmp", FIF_BMP, folder + "/missing.bmp"},
        {"a folder", FIF_BMP, folder},
        {"empty jpeg", FIF_JPEG, folder + "/empty"},
        {"empty bmp", FIF_BMP, folder + "/empty"},
        {"jpeg cut in its header", FIF_JPEG, folder + "/cut.jpg"},
        {"bmp of garbage", FIF_BMP, folder + "/garbage.bmp"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Loaded loaded = Load(c.format, c.path, c.format == FIF_JPEG ? JPEG_ACCURATE : 0);
        EXPECT_FALSE(loaded.dib);
        EXPECT_EQ(loaded.failure, PictureLoadFailure::Unreadable);
    }
}

} // namespace
