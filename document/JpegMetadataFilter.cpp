#include "JpegMetadataFilter.h"

namespace {

constexpr uchar kMarkerPrefix = 0xFF;
constexpr uchar kTem = 0x01;
constexpr uchar kRst0 = 0xD0;
constexpr uchar kRst7 = 0xD7;
constexpr uchar kSoi = 0xD8;
constexpr uchar kEoi = 0xD9;
constexpr uchar kSos = 0xDA;
constexpr uchar kApp1 = 0xE1;
constexpr uchar kApp13 = 0xED;
constexpr uchar kApp15 = 0xEF;
constexpr uchar kCom = 0xFE;

uchar ByteAt(const QByteArray& bytes, qsizetype pos)
{
    return uchar(bytes[pos]);
}

bool IsStandalone(uchar marker)
{
    return marker == kTem || (marker >= kRst0 && marker <= kRst7);
}

// These carry the EXIF, XMP, ICC, IPTC and comment blocks whose readers crash on
// damaged input. APP0 (JFIF) and APP14 (colour transform of CMYK files) stay.
bool IsMetadata(uchar marker)
{
    return (marker >= kApp1 && marker <= kApp13) || marker == kApp15 || marker == kCom;
}

// Position of the marker code of the marker starting at pos, past any fill
// bytes; -1 when no marker starts there.
qsizetype MarkerCodeAt(const QByteArray& jpeg, qsizetype pos)
{
    if (pos >= jpeg.size() || ByteAt(jpeg, pos) != kMarkerPrefix)
        return -1;
    while (pos < jpeg.size() && ByteAt(jpeg, pos) == kMarkerPrefix)
        ++pos;
    if (pos >= jpeg.size() || ByteAt(jpeg, pos) == 0)
        return -1;
    return pos;
}

// Length of the segment whose two length bytes start at pos (they count
// themselves); 0 when it is shorter than that or runs past the end.
qsizetype SegmentLengthAt(const QByteArray& jpeg, qsizetype pos)
{
    if (pos + 2 > jpeg.size())
        return 0;
    const qsizetype length = (qsizetype(ByteAt(jpeg, pos)) << 8) | ByteAt(jpeg, pos + 1);
    if (length < 2 || pos + length > jpeg.size())
        return 0;
    return length;
}

void AppendMarker(QByteArray& out, uchar marker)
{
    out.append(char(kMarkerPrefix));
    out.append(char(marker));
}

} // namespace

std::optional<QByteArray> StripJpegMetadata(const QByteArray& jpeg)
{
    if (jpeg.size() < 2 || ByteAt(jpeg, 0) != kMarkerPrefix || ByteAt(jpeg, 1) != kSoi)
        return std::nullopt;
    QByteArray out;
    out.reserve(jpeg.size());
    AppendMarker(out, kSoi);
    qsizetype pos = 2;
    for (;;) {
        const qsizetype code = MarkerCodeAt(jpeg, pos);
        if (code < 0)
            return std::nullopt;
        const uchar marker = ByteAt(jpeg, code);
        // A second image start, or an image end before any scan: the decoder refuses both.
        if (marker == kSoi || marker == kEoi)
            return std::nullopt;
        if (IsStandalone(marker)) {
            AppendMarker(out, marker);
            pos = code + 1;
            continue;
        }
        const qsizetype length = SegmentLengthAt(jpeg, code + 1);
        if (length == 0)
            return std::nullopt;
        if (marker == kSos) {
            AppendMarker(out, marker);
            out.append(jpeg.constData() + code + 1, jpeg.size() - code - 1);
            return out;
        }
        if (!IsMetadata(marker)) {
            AppendMarker(out, marker);
            out.append(jpeg.constData() + code + 1, length);
        }
        pos = code + 1 + length;
    }
}
