#include "io/JpegMetadataFilter.h"
#include "tests/JpegInspection.h"

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
// Baseline, 8 bits, 1 row of 1 pixel, one component sampled 1x1 with table 0.
const QByteArray kSof = QByteArray::fromHex("FFC0 000B 08 0001 0001 01 011100");
// A scan header and scan data holding a stuffed 0xFF, a restart marker, and an
// APP1 and a COM after the first scan, which go as those before it do; the
// rest may not change.
const QByteArray kScanHead = QByteArray::fromHex("FFDA 0008 0101 00003F00 12 FF00 34 FFD0 56");
const QByteArray kSecondScan = QByteArray::fromHex("FFDA 0008 0101 00003F00 78 FFD9");
const QByteArray kScan = kScanHead + QByteArray::fromHex("FFE1 0004 ABCD FFFE 0003 01") + kSecondScan;
const QByteArray kScanKept = kScanHead + kSecondScan;

struct StripCase {
    std::string name;
    QByteArray input;
    QByteArray expected;
};

TEST(StripJpegMetadata, KeepsPictureSegmentsAndDropsMetadata)
{
    const std::vector<StripCase> cases = {
        {"nothing to drop", kSoi + kApp0 + kDqt + kSof + kScan, kSoi + kApp0 + kDqt + kSof + kScanKept},
        {"exif dropped", kSoi + kApp0 + kApp1 + kDqt + kSof + kScan, kSoi + kApp0 + kDqt + kSof + kScanKept},
        {"exif and comment dropped, adobe kept", kSoi + kApp1 + kCom + kApp14 + kSof + kScan,
         kSoi + kApp14 + kSof + kScanKept},
        {"fill bytes before markers",
         kSoi + "\xFF\xFF" + kApp0 + "\xFF" + kApp1 + "\xFF\xFF\xFF" + kDqt + kSof + kScan,
         kSoi + kApp0 + kDqt + kSof + kScanKept},
        {"the decoder reads unknown markers without a length",
         kSoi + QByteArray::fromHex("FF98 0004") + kSof + QByteArray::fromHex("FFF3 FFDE") + kScan,
         kSoi + QByteArray::fromHex("FF98") + kSof + QByteArray::fromHex("FFF3 FFDE") + kScanKept},
        {"standalone TEM and RST carry no length",
         kSoi + QByteArray::fromHex("FF01") + kApp1 + QByteArray::fromHex("FFD3") + kDqt + kSof + kScan,
         kSoi + QByteArray::fromHex("FF01 FFD3") + kDqt + kSof + kScanKept},
        // The decoder skips anything up to a 0xFF followed by neither 0x00 nor 0xFF.
        {"zero padding after APP0", kSoi + kApp0 + QByteArray(2, '\0') + kDqt + kSof + kScan,
         kSoi + kApp0 + kDqt + kSof + kScanKept},
        {"garbage where a marker must be", kSoi + kApp0 + QByteArray::fromHex("12 0004 1122") + kSof + kScan,
         kSoi + kApp0 + kSof + kScanKept},
        {"garbage after a dropped segment", kSoi + kApp1 + QByteArray::fromHex("00") + kSof + kScan,
         kSoi + kSof + kScanKept},
        {"APP1 and COM of length one and zero read as empty",
         kSoi + QByteArray::fromHex("FFE1 0001 FFFE 0000 FFE0 0000") + kSof + kScan,
         kSoi + QByteArray::fromHex("FFE0 0000") + kSof + kScanKept},
        {"stuffed zeros where a marker must be",
         kSoi + kApp0 + QByteArray::fromHex("FF00 FFFF00 0004 1122") + kSof + kScan, kSoi + kApp0 + kSof + kScanKept},
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
        const QByteArray expected = kept ? kSoi + segment + kSof + kScanKept : kSoi + kSof + kScanKept;
        const std::optional<QByteArray> stripped = StripJpegMetadata(kSoi + segment + kSof + kScan);
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
        {"nothing but a scan", kSoi + kScan},
        {"length runs past the end", kSoi + QByteArray::fromHex("FFE1 0010 010203")},
        {"kept segment runs past the end", kSoi + kSof + QByteArray::fromHex("FFDB 0043 00")},
        {"length cut off", kSoi + QByteArray::fromHex("FFE1 00")},
        {"table of length one", kSoi + kSof + QByteArray::fromHex("FFDB 0001") + kScan},
        {"table of length zero", kSoi + kSof + QByteArray::fromHex("FFDB 0000") + kScan},
        {"no scan", kSoi + kApp0 + kDqt},
        {"image end before the scan", kSoi + kApp0 + QByteArray::fromHex("FFD9 0004 1122") + kScan},
        {"second SOI", kSoi + kApp0 + QByteArray::fromHex("FFD8 0004 1122") + kScan},
        {"garbage up to the end", kSoi + kSof + QByteArray::fromHex("12 00 FF00 34")},
        {"fill bytes up to the end", kSoi + QByteArray::fromHex("FFFFFF")},
        {"scan header runs past the end", kSoi + kDqt + kSof + QByteArray::fromHex("FFDA 000C 0101")},
        {"frame header one byte short", kSoi + QByteArray::fromHex("FFC0 000A 08 0001 0001 01 0111") + kScan},
        {"frame header one byte long", kSoi + QByteArray::fromHex("FFC0 000C 08 0001 0001 01 011100 00") + kScan},
        {"frame of zero rows", kSoi + QByteArray::fromHex("FFC0 000B 08 0000 0001 01 011100") + kScan},
        {"frame of zero columns", kSoi + QByteArray::fromHex("FFC2 000B 08 0001 0000 01 011100") + kScan},
        {"frame without components", kSoi + QByteArray::fromHex("FFC0 0008 08 0001 0001 00") + kScan},
        {"sampling factor 0", kSoi + QByteArray::fromHex("FFC0 000B 08 0001 0001 01 010100") + kScan},
        {"sampling factor 5", kSoi + QByteArray::fromHex("FFC0 000B 08 0001 0001 01 015100") + kScan},
        {"second frame header", kSoi + kSof + kSof + kScan},
    };
    for (const auto& [name, input] : cases) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(StripJpegMetadata(input).has_value());
    }
}

// Width, height, sampling and whether every coefficient is held until the last scan.
TEST(WalkJpeg, ReadsTheFrameHeader)
{
    struct Case {
        std::string name;
        QByteArray frameAndScan;
        unsigned width, height;
        std::vector<std::pair<unsigned, unsigned>> sampling;
        bool holdsAllCoefficients;
    };
    const QByteArray colourScan = QByteArray::fromHex("FFDA 000C 03 0100 0211 0311 003F00 00");
    const std::vector<Case> cases = {
        {"baseline gray", QByteArray::fromHex("FFC0 000B 08 0300 0500 01 011100") + kScanKept, 0x500, 0x300, {{1, 1}}, false},
        {"extended colour 4:2:0",
         QByteArray::fromHex("FFC1 0011 08 1234 ABCD 03 012200 021101 031101") + colourScan, 0xABCD, 0x1234,
         {{2, 2}, {1, 1}, {1, 1}}, false},
        {"progressive CMYK",
         QByteArray::fromHex("FFC2 0014 08 0010 0020 04 011100 021100 031100 041100") + kScanKept, 0x20, 0x10,
         {{1, 1}, {1, 1}, {1, 1}, {1, 1}}, true},
        {"baseline colour, one component per scan",
         QByteArray::fromHex("FFC0 0011 08 0008 0008 03 011100 021101 031101") + kScanKept, 8, 8,
         {{1, 1}, {1, 1}, {1, 1}}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray jpeg = kSoi + kApp1 + c.frameAndScan;
        const std::optional<JpegLayout> layout =
            WalkJpeg(reinterpret_cast<const uchar*>(jpeg.constData()), std::uint64_t(jpeg.size()));
        ASSERT_TRUE(layout.has_value());
        EXPECT_EQ(layout->frame.width, c.width);
        EXPECT_EQ(layout->frame.height, c.height);
        std::vector<std::pair<unsigned, unsigned>> sampling;
        for (const JpegFrame::Component& component : layout->frame.components)
            sampling.emplace_back(component.horizontalSampling, component.verticalSampling);
        EXPECT_EQ(sampling, c.sampling);
        EXPECT_EQ(layout->frame.holdsAllCoefficients, c.holdsAllCoefficients);
        // SOI, then everything after the dropped APP1 in one piece.
        ASSERT_EQ(layout->kept.size(), 2u);
        EXPECT_EQ(layout->kept[0].offset, 0u);
        EXPECT_EQ(layout->kept[0].length, 2u);
        EXPECT_EQ(layout->kept[1].offset, std::uint64_t(kSoi.size() + kApp1.size()));
        EXPECT_EQ(layout->kept[1].length, std::uint64_t(c.frameAndScan.size()));
    }
}

} // namespace
