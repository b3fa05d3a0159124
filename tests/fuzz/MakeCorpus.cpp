// Writes the fuzzing seed corpus into the folder given: small JPEGs (baseline,
// progressive, gray, CMYK) with and without EXIF, XMP, IPTC, ICC and comment
// segments, BMPs of every depth and info header size, and PNG, WebP, TIFF
// and HEIC pictures with and without alpha and an orientation, HEICs with
// their own transforms and TIFFs of several strips and of one large one.
#include "io/ContentFormat.h"
#include "tests/BmpBuilder.h"
#include "tests/PictureFiles.h"
#include "tests/PictureMutants.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <cstdio>
#include <jpeglib.h>

#include <string>
#include <vector>

namespace {

struct JpegKind {
    const char* name;
    int components;
    J_COLOR_SPACE space;
    bool progressive;
    int sampling;   // horizontal and vertical factor of the first component
};

struct Segment {
    const char* name;
    int marker;
    QByteArray payload;
};

QByteArray EncodeJpeg(const JpegKind& kind, const std::vector<Segment>& segments)
{
    constexpr int kWidth = 19, kHeight = 11;
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = kWidth;
    info.image_height = kHeight;
    info.input_components = kind.components;
    info.in_color_space = kind.space;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 60, TRUE);
    info.comp_info[0].h_samp_factor = info.comp_info[0].v_samp_factor = kind.sampling;
    if (kind.progressive)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    for (const Segment& segment : segments)
        jpeg_write_marker(&info, segment.marker, reinterpret_cast<const JOCTET*>(segment.payload.constData()),
                          unsigned(segment.payload.size()));
    std::vector<JSAMPLE> row(size_t(kWidth) * kind.components);
    for (int y = 0; y < kHeight; ++y) {
        for (size_t i = 0; i < row.size(); ++i)
            row[i] = JSAMPLE((i * 37 + size_t(y) * 91) & 0xFF);
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    QByteArray bytes(reinterpret_cast<const char*>(buffer), qsizetype(size));
    free(buffer);
    return bytes;
}

std::vector<Segment> MetadataSegments()
{
    // A little-endian TIFF block with one IFD entry (Make) and a GPS pointer.
    const QByteArray exif = QByteArray("Exif\0\0", 6) +
                            QByteArray::fromHex("49492A00 08000000 0200 0F01 0200 04000000 41424300"
                                                "2588 0400 01000000 26000000 00000000 0000 00000000");
    return {
        {"exif", JPEG_APP0 + 1, exif},
        {"xmp", JPEG_APP0 + 1, QByteArray("http://ns.adobe.com/xap/1.0/\0<x:xmpmeta/>", 42)},
        {"iptc", JPEG_APP0 + 13, QByteArray("Photoshop 3.0\0" "8BIM", 18) + QByteArray::fromHex("0404 0000 0000000C 1C02 0500 0474 6573 74 00")},
        {"icc", JPEG_APP0 + 2, QByteArray("ICC_PROFILE\0\x01\x01", 14) + QByteArray(128, '\0')},
        {"comment", JPEG_COM, QByteArray("a comment")},
    };
}

bool Write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

int WriteJpegs(const QString& folder)
{
    const JpegKind kinds[] = {
        {"baseline", 3, JCS_RGB, false, 2}, {"baseline-444", 3, JCS_RGB, false, 1},
        {"progressive", 3, JCS_RGB, true, 2}, {"gray", 1, JCS_GRAYSCALE, false, 1},
        {"gray-progressive", 1, JCS_GRAYSCALE, true, 1}, {"cmyk", 4, JCS_CMYK, false, 1},
        {"cmyk-progressive", 4, JCS_CMYK, true, 1},
    };
    int written = 0;
    for (const JpegKind& kind : kinds) {
        written += Write(folder + QString("/%1.jpg").arg(kind.name), EncodeJpeg(kind, {}));
        written += Write(folder + QString("/%1-all-metadata.jpg").arg(kind.name), EncodeJpeg(kind, MetadataSegments()));
    }
    for (const Segment& segment : MetadataSegments())
        written += Write(folder + QString("/baseline-%1.jpg").arg(segment.name), EncodeJpeg(kinds[0], {segment}));
    return written;
}

int WriteBmps(const QString& folder)
{
    struct Depth {
        quint16 bits;
        quint32 compression;
        std::array<quint32, 4> masks;
    };
    const Depth depths[] = {
        {1, 0, {}}, {4, 0, {}}, {4, 2, {}}, {8, 0, {}}, {8, 1, {}}, {16, 0, {}},
        {16, 3, {0xF800, 0x07E0, 0x001F, 0}}, {24, 0, {}}, {32, 0, {}},
        {32, 3, {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}},
    };
    const QByteArray rle = QByteArray::fromHex("0301 0000 0203 0000 0001");
    int written = 0;
    for (quint32 infoSize : {40u, 52u, 56u, 108u, 124u}) {
        for (const Depth& depth : depths) {
            BmpShape shape;
            shape.infoSize = infoSize;
            shape.width = 3;
            shape.height = 3;
            shape.bitCount = depth.bits;
            shape.compression = depth.compression;
            shape.masks = depth.masks;
            if (depth.bits <= 8)
                for (unsigned i = 0; i < (1u << depth.bits) && i < 16; ++i)
                    shape.palette.push_back(RGBQUAD{BYTE(i * 16), BYTE(255 - i), BYTE(i * 7), 0});
            shape.pixelData = depth.compression == 1 || depth.compression == 2
                                 ? rle
                                 : PackRows(3, 3, depth.bits, [](unsigned x, unsigned row) { return x * 5 + row; });
            written += Write(folder + QString("/h%1-%2bit-c%3.bmp").arg(infoSize).arg(depth.bits).arg(depth.compression),
                             BuildBmp(shape));
        }
    }
    return written;
}

int WriteOtherFormats(const QString& folder)
{
    struct Kind {
        const char* name;
        FREE_IMAGE_FORMAT format;
    };
    const Kind kinds[] = {{"png", FIF_PNG}, {"webp", FIF_WEBP}, {"tif", FIF_TIFF}, {"heic", kHeifFormat}};
    int written = 0;
    for (const Kind& kind : kinds) {
        for (unsigned bits : {24u, 32u}) {
            const BitmapPtr picture = PatternBitmap(7, 5, bits);
            written += Write(folder + QString("/%1bit.%2").arg(bits).arg(kind.name),
                             EncodeInFormat(kind.format, picture.get()));
            written += Write(folder + QString("/%1bit-turned.%2").arg(bits).arg(kind.name),
                             EncodeOriented(kind.format, picture.get(), 6));
        }
    }
    // A phone's HEIC: turned, or mirrored and turned, by its own transforms.
    const BitmapPtr phone = PatternBitmap(7, 5, 24);
    for (unsigned orientation : {5u, 6u})
        written += Write(folder + QString("/transformed-%1.heic").arg(orientation),
                         HeifWithTransforms(EncodeOriented(kHeifFormat, phone.get(), orientation), orientation));
    // Rows read one by one straight into the picture, strip after strip.
    written += Write(folder + "/strips.tif", EncodeInFormat(FIF_TIFF, PatternBitmap(7, 40, 24).get()));
    written += Write(folder + "/one-large-strip.tif", EncodeTiffInStrips(PatternBitmap(360000, 1, 24).get(), 1));
    const BitmapPtr palette(FreeImage_ConvertTo8Bits(PatternBitmap(7, 5, 24).get()));
    written += Write(folder + "/palette.png", EncodeInFormat(FIF_PNG, palette.get()));
    const BitmapPtr deep(FreeImage_ConvertToType(PatternBitmap(7, 5, 24).get(), FIT_RGB16));
    written += Write(folder + "/16bit.png", EncodeInFormat(FIF_PNG, deep.get()));
    return written + Write(folder + "/bomb.png", ForgedPngHeader(65535, 65535));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    FreeImage_Initialise();
    const int written = WriteJpegs(folder) + WriteBmps(folder) + WriteOtherFormats(folder) +
                        Write(folder + "/gray-bomb.jpg", ForgedJpegHeaders(0xC0, 18000, 18000, {0x11}, 1)) +
                        Write(folder + "/progressive-bomb.jpg",
                              ForgedJpegHeaders(0xC2, 30000, 30000, {0x22, 0x11, 0x11}, 3)) +
                        Write(folder + "/rle4-bomb.bmp", RunLengthBomb());
    std::printf("%d seed files in %s\n", written, argv[1]);
    return 0;
}
