#include "tests/PictureMutants.h"

#include "tests/BmpBuilder.h"

#include <QtEndian>

#include <algorithm>

namespace {

uchar At(const QByteArray& bytes, qsizetype i)
{
    return uchar(bytes[i]);
}

int Pick(std::mt19937& random, int from, int to)
{
    return std::uniform_int_distribution<int>(from, to)(random);
}

QByteArray RandomBytes(std::mt19937& random, int count, int highest)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes += char(Pick(random, 0, highest));
    return bytes;
}

struct Stray {
    const char* hex;
    bool metadata;
};

const Stray kStrays[] = {
    {"FFD0", false},         {"FFD5", false},         {"FFD7", false},         {"FF01", false},
    {"FF00", false},         {"FFE0 0004 ABCD", false}, {"FFEE 0002", false},  {"FFDC 0004 0000", false},
    {"FFE1 0006 45786966", true}, {"FFFE 0005 686921", true}, {"FFED 0000", true}, {"FFEF 0003 00", true},
};

std::vector<qsizetype> Boundaries(const QByteArray& jpeg)
{
    std::vector<qsizetype> boundaries;
    for (const JpegSegment& segment : JpegHeaderSegments(jpeg))
        if (segment.offset > 0)
            boundaries.push_back(segment.offset);
    return boundaries;
}

qsizetype ScanStart(const QByteArray& jpeg)
{
    const JpegSegment last = JpegHeaderSegments(jpeg).back();
    return last.offset + last.size;
}

} // namespace

std::vector<JpegSegment> JpegHeaderSegments(const QByteArray& jpeg)
{
    std::vector<JpegSegment> segments{{0, 0xD8, 2}};
    qsizetype pos = 2;
    while (pos + 3 < jpeg.size() && At(jpeg, pos) == 0xFF) {
        const uchar marker = At(jpeg, pos + 1);
        const qsizetype size = 2 + (qsizetype(At(jpeg, pos + 2)) << 8 | At(jpeg, pos + 3));
        segments.push_back({pos, marker, size});
        if (marker == 0xDA)
            break;
        pos += size;
    }
    return segments;
}

Mutant ResyncMutant(const QByteArray& jpeg, std::mt19937& random)
{
    const std::vector<qsizetype> boundaries = Boundaries(jpeg);
    const qsizetype scan = ScanStart(jpeg);
    Mutant mutant{"", jpeg};
    const int kind = Pick(random, 0, 5);
    if (kind == 4) {
        const qsizetype cut = Pick(random, int(scan) + 1, int(jpeg.size()) - 1);
        mutant.description = "cut at " + std::to_string(cut);
        mutant.bytes.truncate(cut);
        return mutant;
    }
    if (kind == 5) {
        const qsizetype at = Pick(random, int(scan), int(jpeg.size()) - 1);
        mutant.description = "padding in the scan at " + std::to_string(at);
        mutant.bytes.insert(at, RandomBytes(random, Pick(random, 1, 4), 0xFE));
        return mutant;
    }
    // One to three insertions between segments, the last place first so that offsets hold.
    std::vector<qsizetype> places;
    for (int i = Pick(random, 1, 3); i > 0; --i)
        places.push_back(boundaries[size_t(Pick(random, 0, int(boundaries.size()) - 1))]);
    std::sort(places.rbegin(), places.rend());
    for (qsizetype at : places) {
        const int what = kind == 3 ? Pick(random, 0, 2) : kind;
        QByteArray inserted;
        if (what == 0) {
            inserted = RandomBytes(random, Pick(random, 1, 8), 0xFE);
            mutant.description += "padding";
        } else if (what == 1) {
            inserted = QByteArray(Pick(random, 1, 3), '\xFF');
            mutant.description += "fill bytes";
        } else {
            const Stray& stray = kStrays[Pick(random, 0, int(std::size(kStrays)) - 1)];
            inserted = QByteArray::fromHex(stray.hex);
            mutant.carriesMetadata |= stray.metadata;
            mutant.description += std::string("stray ") + stray.hex;
        }
        mutant.description += " at " + std::to_string(at) + "; ";
        mutant.bytes.insert(at, inserted);
    }
    return mutant;
}

namespace {

std::vector<Mutant> Flips(const QByteArray& file, std::mt19937& random, int count)
{
    std::vector<Mutant> mutants;
    for (int i = 0; i < count; ++i) {
        Mutant mutant{"bit flips", file};
        for (int n = Pick(random, 1, 8); n > 0; --n) {
            const int bit = Pick(random, 0, int(file.size()) * 8 - 1);
            mutant.bytes[bit / 8] = char(At(mutant.bytes, bit / 8) ^ (1 << (bit % 8)));
            mutant.description += " " + std::to_string(bit);
        }
        mutants.push_back(mutant);
    }
    return mutants;
}

std::vector<Mutant> Tenths(const QByteArray& file)
{
    std::vector<Mutant> mutants;
    for (int tenth = 0; tenth < 10; ++tenth)
        mutants.push_back({"cut to " + std::to_string(tenth * 10) + " %", file.left(file.size() * tenth / 10)});
    return mutants;
}

} // namespace

std::vector<Mutant> HostileJpegMutants(const QByteArray& jpeg, std::mt19937& random, int flips)
{
    std::vector<Mutant> mutants = Flips(jpeg, random, flips);
    for (Mutant& m : Tenths(jpeg))
        mutants.push_back(m);
    for (const JpegSegment& segment : JpegHeaderSegments(jpeg)) {
        if (segment.size <= 2)
            continue;
        for (quint16 length : {quint16(0), quint16(1), quint16(0xFFFF)}) {
            Mutant mutant{"length " + std::to_string(length) + " at " + std::to_string(segment.offset), jpeg};
            qToBigEndian(length, mutant.bytes.data() + segment.offset + 2);
            mutants.push_back(mutant);
        }
        if (segment.marker != 0xE1)
            continue;
        for (int i = 0; i < 20; ++i) {
            Mutant mutant{"garbage in APP1", jpeg};
            const qsizetype at = segment.offset + 4 + Pick(random, 0, int(segment.size) - 4);
            const QByteArray garbage = RandomBytes(random, Pick(random, 1, 64), 0xFF);
            // Half keep the segment's length, half overwrite its body in place.
            if (i % 2)
                mutant.bytes.insert(at, garbage);
            else {
                const qsizetype n = std::min(garbage.size(), segment.offset + segment.size - at);
                mutant.bytes.replace(at, n, garbage.left(n));
            }
            mutants.push_back(mutant);
        }
    }
    return mutants;
}

std::vector<Mutant> HostileBmpMutants(const QByteArray& bmp, std::mt19937& random, int flips)
{
    std::vector<Mutant> mutants = Flips(bmp, random, flips);
    for (Mutant& m : Tenths(bmp))
        mutants.push_back(m);
    // File size, pixel offset, header size, width, height, image size, colours used.
    for (int offset : {2, 10, 14, 18, 22, 34, 46}) {
        for (quint32 value : {0u, 1u, 0xFFFFu, 0xFFFFFFFFu}) {
            Mutant mutant{"field at " + std::to_string(offset) + " = " + std::to_string(value), bmp};
            qToLittleEndian(value, mutant.bytes.data() + offset);
            mutants.push_back(mutant);
        }
    }
    return mutants;
}

namespace {

QByteArray Word(unsigned value)
{
    return QByteArray(1, char(value >> 8)) + char(value & 0xFF);
}

} // namespace

QByteArray ForgedJpegHeaders(uchar frameMarker, unsigned width, unsigned height, const std::vector<uchar>& sampling,
                             unsigned componentsInFirstScan)
{
    QByteArray frame = QByteArray(1, 8) + Word(height) + Word(width) + char(sampling.size());
    for (size_t i = 0; i < sampling.size(); ++i)
        frame += QByteArray(1, char(i + 1)) + char(sampling[i]) + char(0);
    QByteArray scan(1, char(componentsInFirstScan));
    for (unsigned i = 0; i < componentsInFirstScan; ++i)
        scan += QByteArray(1, char(i + 1)) + char(0);
    scan += QByteArray::fromHex("003F00");
    return QByteArray::fromHex("FFD8") + char(0xFF) + char(frameMarker) + Word(frame.size() + 2) + frame +
           QByteArray::fromHex("FFDA") + Word(scan.size() + 2) + scan + QByteArray::fromHex("0000 FFD9");
}

QByteArray WithSegment(const QByteArray& jpeg, char marker, const QByteArray& payload)
{
    const qsizetype length = payload.size() + 2;
    return jpeg.left(2) + '\xFF' + marker + char(length >> 8) + char(length & 0xFF) + payload + jpeg.mid(2);
}

QByteArray RunLengthBomb()
{
    BmpShape shape;
    shape.width = 8;
    shape.height = 33554438;
    shape.bitCount = 4;
    shape.compression = 2;
    shape.palette.assign(16, RGBQUAD{9, 8, 7, 0});
    shape.pixelData = QByteArray(144 - 14 - 40 - 16 * 4 - 2, '\0') + QByteArray::fromHex("0001");
    return BuildBmp(shape);
}
