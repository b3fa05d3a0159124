#include "document/JpegMetadataFilter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Small marker segments, written out byte by byte; each length counts its own two bytes.
const QByteArray kSoi = QByteArray::fromHex("FFD8");
const QByteArray kApp0 = QByteArray::fromHex("FFE0 0007 4A46494600");        // "JFIF\0"
const QByteArray kApp1 = QByteArray::fromHex("FFE1 0008 457869660000");      // "Exif\0\0"
const QByteArray kApp14 = QByteArray::fromHex("FFEE 0008 41646F626501");     // "Adobe", transform 1
const QByteArray kCom = QByteArray::fromHex("FFFE 0005 686921");             // "hi!"
const QByteArray kDqt = QByteArray::fromHex("FFDB 0004 1122");
const QByteArray kSof = QByteArray::fromHex("FFC0 0005 080001");
// A scan header and scan data holding a stuffed 0xFF, a restart marker, and an
// APP1 and a COM after the first scan: none of it may change.
const QByteArray kScan = QByteArray::fromHex(
    "FFDA 0008 0101 00003F00"
    "12 FF00 34 FFD0 56"
    "FFE1 0004 ABCD FFFE 0003 01"
    "FFDA 0008 0101 00003F00 78 FFD9");

struct StripCase {
    std::string name;
    QByteArray input;
    QByteArray expected;
};

TEST(StripJpegMetadata, KeepsPictureSegmentsAndDropsMetadata)
{
    const std::vector<StripCase> cases = {
        {"nothing to drop", kSoi + kApp0 + kDqt + kSof + kScan, kSoi + kApp0 + kDqt + kSof + kScan},
        {"exif dropped", kSoi + kApp0 + kApp1 + kDqt + kScan, kSoi + kApp0 + kDqt + kScan},
        {"exif and comment dropped, adobe kept", kSoi + kApp1 + kCom + kApp14 + kSof + kScan,
         kSoi + kApp14 + kSof + kScan},
        {"fill bytes before markers", kSoi + "\xFF\xFF" + kApp0 + "\xFF" + kApp1 + "\xFF\xFF\xFF" + kDqt + kScan,
         kSoi + kApp0 + kDqt + kScan},
        {"standalone TEM and RST carry no length",
         kSoi + QByteArray::fromHex("FF01") + kApp1 + QByteArray::fromHex("FFD3") + kDqt + kScan,
         kSoi + QByteArray::fromHex("FF01 FFD3") + kDqt + kScan},
    };
    for (const StripCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<QByteArray> stripped = StripJpegMetadata(c.input);
        ASSERT_TRUE(stripped.has_value());
        EXPECT_EQ(stripped->toHex(' '), c.expected.toHex(' '));
    }
}

TEST(StripJpegMetadata, DropsEveryApplicationSegmentButApp0AndApp14)
{
    std::vector<int> markers;
    for (int marker = 0xE0; marker <= 0xEF; ++marker)
        markers.push_back(marker);
    markers.push_back(0xFE);
    for (int marker : markers) {
        SCOPED_TRACE(marker);
        QByteArray segment = QByteArray::fromHex("FF00 0004 AABB");
        segment[1] = char(marker);
        const bool kept = marker == 0xE0 || marker == 0xEE;
        const QByteArray expected = kept ? kSoi + segment + kScan : kSoi + kScan;
        const std::optional<QByteArray> stripped = StripJpegMetadata(kSoi + segment + kScan);
        ASSERT_TRUE(stripped.has_value());
        EXPECT_EQ(stripped->toHex(' '), expected.toHex(' '));
    }
}

TEST(StripJpegMetadata, RefusesBrokenStructureBeforeTheScan)
{
    // "0004 1122" would pass for a segment body: there only the marker before it is wrong.
    const std::vector<std::pair<std::string, QByteArray>> cases = {
        {"empty", QByteArray()},
        {"no SOI", kApp0 + kScan},
        {"another marker in place of SOI", QByteArray::fromHex("FFD9") + kApp0 + kScan},
        {"fill bytes before SOI", "\xFF" + kSoi + kApp0 + kScan},
        {"SOI only", kSoi},
        {"length runs past the end", kSoi + QByteArray::fromHex("FFE1 0010 010203")},
        {"length cut off", kSoi + QByteArray::fromHex("FFE1 00")},
        {"length one", kSoi + QByteArray::fromHex("FFE1 0001") + kScan},
        {"length zero", kSoi + QByteArray::fromHex("FFDB 0000") + kScan},
        {"no scan", kSoi + kApp0 + kDqt},
        {"image end before the scan", kSoi + kApp0 + QByteArray::fromHex("FFD9 0004 1122") + kScan},
        {"second SOI", kSoi + kApp0 + QByteArray::fromHex("FFD8 0004 1122") + kScan},
        {"garbage where a marker must be", kSoi + kApp0 + QByteArray::fromHex("12 0004 1122") + kScan},
        {"garbage after a dropped segment", kSoi + kApp1 + QByteArray::fromHex("00") + kScan},
        {"stuffed zero where a marker must be", kSoi + kApp0 + QByteArray::fromHex("FF00 0004 1122") + kScan},
        {"fill bytes up to the end", kSoi + QByteArray::fromHex("FFFFFF")},
        {"scan header runs past the end", kSoi + kDqt + QByteArray::fromHex("FFDA 000C 0101")},
    };
    for (const auto& [name, input] : cases) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(StripJpegMetadata(input).has_value());
    }
}

} // namespace
