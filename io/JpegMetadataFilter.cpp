#include "io/JpegMetadataFilter.h"

#include <cstring>

namespace {

constexpr uchar kMarkerPrefix = 0xFF;
constexpr uchar kSoi = 0xD8;
constexpr uchar kEoi = 0xD9;
constexpr uchar kSos = 0xDA;
constexpr uchar kDri = 0xDD;
constexpr uchar kDht = 0xC4;
constexpr uchar kJpg = 0xC8;
constexpr uchar kDac = 0xCC;
constexpr uchar kApp0 = 0xE0;
constexpr uchar kApp1 = 0xE1;
constexpr uchar kApp13 = 0xED;
constexpr uchar kApp15 = 0xEF;
constexpr uchar kCom = 0xFE;
// The decoder's own limits on a frame header.
constexpr unsigned kMaxComponents = 10;
constexpr unsigned kMaxSampling = 4;

// Markers the decoder reads a length after. It takes every other one (TEM,
// RST0-RST7 and the markers it does not know) as standing alone.
bool HasLength(uchar marker)
{
    return (marker >= 0xC0 && marker <= 0xCF) || (marker >= kSos && marker <= kDri) ||
           (marker >= kApp0 && marker <= kApp15) || marker == kCom;
}

// These carry the EXIF, XMP, ICC, IPTC and comment blocks whose readers crash on
// damaged input. APP0 (JFIF) and APP14 (colour transform of CMYK files) stay.
bool IsMetadata(uchar marker)
{
    return (marker >= kApp1 && marker <= kApp13) || marker == kApp15 || marker == kCom;
}

bool IsFrameHeader(uchar marker)
{
    return marker >= 0xC0 && marker <= 0xCF && marker != kDht && marker != kJpg && marker != kDac;
}

bool IsProgressive(uchar marker)
{
    return marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
}

unsigned Word(const uchar* bytes)
{
    return (unsigned(bytes[0]) << 8) | bytes[1];
}

// Position of the next marker code at or after pos, skipping what the decoder
// skips: any byte up to a 0xFF, fill bytes, and 0xFF 0x00 pairs.
std::optional<std::uint64_t> NextMarkerCode(const uchar* bytes, std::uint64_t size, std::uint64_t pos)
{
    for (;;) {
        while (pos < size && bytes[pos] != kMarkerPrefix)
            ++pos;
        while (pos < size && bytes[pos] == kMarkerPrefix)
            ++pos;
        if (pos >= size)
            return std::nullopt;
        if (bytes[pos] != 0)
            return pos;
        ++pos;
    }
}

bool IsApplicationOrComment(uchar marker)
{
    return (marker >= kApp0 && marker <= kApp15) || marker == kCom;
}

// Length of the segment whose two length bytes start at pos (they count
// themselves); 0 when it runs past the end or the decoder refuses it. The
// decoder reads APPn and COM segments whose length is below two as empty.
std::uint64_t SegmentLengthAt(const uchar* bytes, std::uint64_t size, std::uint64_t pos, uchar marker)
{
    if (pos + 2 > size)
        return 0;
    std::uint64_t length = Word(bytes + pos);
    if (length < 2 && IsApplicationOrComment(marker))
        length = 2;
    if (length < 2 || pos + length > size)
        return 0;
    return length;
}

// body: the segment after its length bytes.
std::optional<JpegFrame> ReadFrame(uchar marker, const uchar* body, std::uint64_t bodyLength)
{
    if (bodyLength < 6)
        return std::nullopt;
    JpegFrame frame;
    frame.height = Word(body + 1);
    frame.width = Word(body + 3);
    const unsigned count = body[5];
    if (frame.width == 0 || frame.height == 0 || count == 0 || count > kMaxComponents ||
        bodyLength != 6 + 3 * std::uint64_t(count))
        return std::nullopt;
    for (unsigned i = 0; i < count; ++i) {
        const uchar sampling = body[6 + 3 * i + 1];
        const JpegFrame::Component component{unsigned(sampling >> 4), unsigned(sampling & 0x0F)};
        if (component.horizontalSampling < 1 || component.horizontalSampling > kMaxSampling ||
            component.verticalSampling < 1 || component.verticalSampling > kMaxSampling)
            return std::nullopt;
        frame.components.push_back(component);
    }
    frame.holdsAllCoefficients = IsProgressive(marker);
    return frame;
}

void Keep(std::vector<BytePiece>& kept, BytePiece piece)
{
    if (piece.length == 0)
        return;
    if (!kept.empty() && kept.back().offset + kept.back().length == piece.offset)
        kept.back().length += piece.length;
    else
        kept.push_back(piece);
}

bool IsExif(uchar marker, const uchar* body, std::uint64_t bodyLength)
{
    return marker == kApp1 && bodyLength >= 6 && std::memcmp(body, "Exif\0\0", 6) == 0;
}

// From the first scan on, everything is kept up to the image end but the APPn
// and COM segments: the decoder reads those between and after scans as it
// does before them, and hands them to the same metadata readers. `pos` is
// the first byte after the first scan's header.
void KeepScans(const uchar* bytes, std::uint64_t size, std::uint64_t from, std::uint64_t pos,
               std::vector<BytePiece>& kept)
{
    for (;;) {
        const std::optional<std::uint64_t> code = NextMarkerCode(bytes, size, pos);
        if (!code)
            break;
        const uchar marker = bytes[*code];
        if (marker == kEoi) {
            Keep(kept, {from, *code + 1 - from});
            return;
        }
        const std::uint64_t length = HasLength(marker) ? SegmentLengthAt(bytes, size, *code + 1, marker) : 0;
        if (IsApplicationOrComment(marker)) {
            Keep(kept, {from, *code - 1 - from});
            // A segment cut by the end of the file takes the rest with it.
            if (length == 0)
                return;
            from = *code + 1 + length;
        } else if (HasLength(marker) && length == 0) {
            break;
        }
        pos = *code + 1 + length;
    }
    Keep(kept, {from, size - from});
}

} // namespace

std::optional<JpegLayout> WalkJpeg(const uchar* bytes, std::uint64_t size)
{
    if (size < 2 || bytes[0] != kMarkerPrefix || bytes[1] != kSoi)
        return std::nullopt;
    JpegLayout layout;
    bool haveFrame = false;
    Keep(layout.kept, {0, 2});
    std::uint64_t pos = 2;
    for (;;) {
        const std::optional<std::uint64_t> code = NextMarkerCode(bytes, size, pos);
        if (!code)
            return std::nullopt;
        const uchar marker = bytes[*code];
        // A second image start, or an image end before any scan: the decoder refuses both.
        if (marker == kSoi || marker == kEoi)
            return std::nullopt;
        const std::uint64_t start = *code - 1;
        if (!HasLength(marker)) {
            Keep(layout.kept, {start, 2});
            pos = *code + 1;
            continue;
        }
        const std::uint64_t length = SegmentLengthAt(bytes, size, *code + 1, marker);
        if (length == 0)
            return std::nullopt;
        const uchar* body = bytes + *code + 3;
        if (IsFrameHeader(marker)) {
            std::optional<JpegFrame> frame = haveFrame ? std::nullopt : ReadFrame(marker, body, length - 2);
            if (!frame)
                return std::nullopt;
            layout.frame = std::move(*frame);
            haveFrame = true;
        }
        if (marker == kSos) {
            if (!haveFrame || length < 3)
                return std::nullopt;
            // A first scan with fewer components than the frame is followed by others.
            if (body[0] < layout.frame.components.size())
                layout.frame.holdsAllCoefficients = true;
            KeepScans(bytes, size, start, *code + 1 + length, layout.kept);
            return layout;
        }
        if (!IsMetadata(marker))
            Keep(layout.kept, {start, 2 + length});
        else if (layout.exif.length == 0 && IsExif(marker, body, length - 2))
            layout.exif = {*code + 3, length - 2};
        pos = *code + 1 + length;
    }
}
