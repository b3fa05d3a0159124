#include "tests/JpegInspection.h"

#include "io/JpegMetadataFilter.h"
#include "tests/TestPictures.h"

#include <QFile>
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>

QByteArray ReadWholeFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::optional<QByteArray> StripJpegMetadata(const QByteArray& jpeg)
{
    const std::optional<JpegLayout> layout =
        WalkJpeg(reinterpret_cast<const uchar*>(jpeg.constData()), std::uint64_t(jpeg.size()));
    if (!layout)
        return std::nullopt;
    QByteArray out;
    for (const BytePiece& piece : layout->kept)
        out.append(jpeg.constData() + piece.offset, qsizetype(piece.length));
    return out;
}

QByteArray SegmentBytes(char marker, const QByteArray& payload)
{
    const qsizetype length = payload.size() + 2;
    return QByteArray("\xFF") + marker + char(length >> 8) + char(length & 0xFF) + payload;
}

QByteArray WithSegment(const QByteArray& jpeg, char marker, const QByteArray& payload)
{
    return jpeg.left(2) + SegmentBytes(marker, payload) + jpeg.mid(2);
}

std::vector<std::string> JpegMarkers(const QByteArray& file)
{
    const auto byte = [&](qsizetype i) { return i < file.size() ? quint8(file[i]) : 0; };
    std::vector<std::string> names;
    if (byte(0) != 0xFF || byte(1) != 0xD8) return {"not a JPEG"};
    names.push_back("SOI");
    qsizetype i = 2;
    while (i + 1 < file.size()) {
        if (byte(i) != 0xFF) {
            names.push_back("garbage");
            break;
        }
        const quint8 marker = byte(i + 1);
        if (marker == 0xFF) {
            ++i;
            continue;
        }
        if (marker == 0xD9) {
            names.push_back("EOI");
            break;
        }
        const qsizetype length = byte(i + 2) * 256 + byte(i + 3);
        const std::map<quint8, std::string> known{
            {0xC0, "SOF0"}, {0xC1, "SOF1"}, {0xC2, "SOF2"}, {0xC4, "DHT"}, {0xDA, "SOS"}, {0xDB, "DQT"},
            {0xE1, "APP1"}, {0xE2, "APP2"}, {0xED, "APP13"}, {0xFE, "COM"}};
        if (marker == 0xE0) names.push_back("APP0 " + file.mid(i + 4, 4).toStdString());
        else names.push_back(known.count(marker) ? known.at(marker) : "marker " + std::to_string(marker));
        i += 2 + length;
        // Entropy-coded data runs up to the next marker that is neither stuffing nor a restart.
        while (marker == 0xDA && i + 1 < file.size()
               && (byte(i) != 0xFF || byte(i + 1) == 0 || (byte(i + 1) >= 0xD0 && byte(i + 1) <= 0xD7)))
            ++i;
    }
    return names;
}

void ExpectOnlyPictureMarkers(const QString& path)
{
    const std::set<std::string> allowed{"SOI", "APP0 JFIF", "DQT", "SOF0", "SOF1", "SOF2", "DHT", "SOS", "EOI"};
    const std::vector<std::string> markers = JpegMarkers(ReadWholeFile(path));
    ASSERT_GE(markers.size(), 2u);
    EXPECT_EQ(markers.front(), "SOI");
    EXPECT_EQ(markers.back(), "EOI");
    for (const std::string& marker : markers) EXPECT_TRUE(allowed.count(marker)) << marker;
}

void ExpectNoMetadata(FIBITMAP* dib)
{
    ASSERT_NE(dib, nullptr);
    for (int model = FIMD_COMMENTS; model <= FIMD_EXIF_RAW; ++model)
        EXPECT_EQ(FreeImage_GetMetadataCount(FREE_IMAGE_MDMODEL(model), dib), 0u) << "model " << model;
    EXPECT_EQ(FreeImage_GetThumbnail(dib), nullptr);
    EXPECT_EQ(FreeImage_GetICCProfile(dib)->size, 0);
}

void AttachTag(FIBITMAP* dib, FREE_IMAGE_MDMODEL model, const char* key, WORD id, FREE_IMAGE_MDTYPE type,
               DWORD count, DWORD length, const void* value)
{
    FITAG* tag = FreeImage_CreateTag();
    FreeImage_SetTagKey(tag, key);
    FreeImage_SetTagID(tag, id);
    FreeImage_SetTagType(tag, type);
    FreeImage_SetTagCount(tag, count);
    FreeImage_SetTagLength(tag, length);
    FreeImage_SetTagValue(tag, value);
    EXPECT_TRUE(FreeImage_SetMetadata(model, dib, key, tag)) << key;
    FreeImage_DeleteTag(tag);
}

void AttachText(FIBITMAP* dib, FREE_IMAGE_MDMODEL model, const char* key, WORD id, const char* text)
{
    const DWORD length = DWORD(std::strlen(text) + 1);
    AttachTag(dib, model, key, id, FIDT_ASCII, length, length, text);
}

QByteArray CameraExifBlock()
{
    QByteArray b("Exif\0\0II*\0", 10);
    const auto u16 = [&](unsigned v) { b.append(char(v & 0xFF)).append(char(v >> 8)); };
    const auto u32 = [&](unsigned v) { u16(v & 0xFFFF); u16(v >> 16); };
    u32(8);
    u16(2);                                            // IFD0 at 8, ends at 38
    u16(0x010F), u16(2), u32(8), u32(38);              // Make -> 38
    u16(0x8825), u16(4), u32(1), u32(46);              // GPS IFD -> 46
    u32(0);
    b.append("TestCam", 8);                            // 38..46
    u16(2);                                            // GPS IFD at 46, ends at 76
    u16(0x0001), u16(2), u32(2), b.append("N\0\0\0", 4);
    u16(0x0002), u16(5), u32(3), u32(76);              // GPSLatitude -> 76
    u32(0);
    for (unsigned v : {48u, 1u, 51u, 1u, 30u, 1u}) u32(v);
    return b;
}

void AttachEverything(FIBITMAP* dib)
{
    const QByteArray exif = CameraExifBlock();
    AttachTag(dib, FIMD_EXIF_RAW, "ExifRaw", 0, FIDT_BYTE, DWORD(exif.size()), DWORD(exif.size()), exif.constData());
    AttachText(dib, FIMD_COMMENTS, "Comment", 0, "Kim, 42");
    AttachText(dib, FIMD_EXIF_MAIN, "Make", 0x010F, "TestCam");
    AttachText(dib, FIMD_EXIF_EXIF, "BodySerialNumber", 0xA431, "SN1234");
    AttachText(dib, FIMD_EXIF_GPS, "GPSLatitudeRef", 0x0001, "N");
    const DWORD latitude[] = {48, 1, 51, 1, 30, 1};
    AttachTag(dib, FIMD_EXIF_GPS, "GPSLatitude", 0x0002, FIDT_RATIONAL, 3, sizeof latitude, latitude);
    AttachText(dib, FIMD_XMP, "XMLPacket", 0, "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF/></x:xmpmeta>");
    AttachText(dib, FIMD_IPTC, "ObjectName", 0x0205, "Holiday");
    const BitmapPtr thumbnail = MakeNoisePicture(16, 12, 5);
    ASSERT_TRUE(FreeImage_SetThumbnail(dib, thumbnail.get()));
    char icc[256] = "an ICC profile";
    ASSERT_NE(FreeImage_CreateICCProfile(dib, icc, sizeof icc), nullptr);
}
