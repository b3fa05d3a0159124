#include "io/BmpLayout.h"

#include <QtEndian>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr std::uint64_t kFileHeaderSize = 14;
constexpr quint32 kClassicInfoSize = 40;
constexpr quint32 kMaskBytes = 12;
constexpr quint32 kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3;
// Bytes of 24-bit pixels a picture may claim for every byte of pixel data it
// holds: run-length coding at its densest (255 pixels in two bytes) gives 382,
// one bit per pixel 24, a picture cut short a few more. Below the floor a
// claim costs too little to be worth refusing.
constexpr std::uint64_t kMaxClaimPerDataByte = 1024;
constexpr std::uint64_t kClaimFloor = std::uint64_t(1) << 24;

struct InfoHeader {
    quint32 size;
    qint32 width;
    qint32 height;
    quint16 planes;
    quint16 bitCount;
    quint32 compression;
    quint32 coloursUsed;
};

InfoHeader ReadInfo(const uchar* info)
{
    return InfoHeader{qFromLittleEndian<quint32>(info),      qFromLittleEndian<qint32>(info + 4),
                      qFromLittleEndian<qint32>(info + 8),   qFromLittleEndian<quint16>(info + 12),
                      qFromLittleEndian<quint16>(info + 14), qFromLittleEndian<quint32>(info + 16),
                      qFromLittleEndian<quint32>(info + 32)};
}

bool IsWindowsInfoSize(quint32 size)
{
    return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

bool PixelDataTooShort(const InfoHeader& info, std::uint64_t pixelDataBytes)
{
    const std::uint64_t claimed =
        3 * std::uint64_t(std::llabs(info.width)) * std::uint64_t(std::llabs(info.height));
    return claimed > std::max(kClaimFloor, pixelDataBytes * kMaxClaimPerDataByte);
}

bool CompressionFitsDepth(const InfoHeader& info)
{
    switch (info.compression) {
    case kRgb:
        return info.bitCount == 1 || info.bitCount == 4 || info.bitCount == 8 || info.bitCount == 16 ||
               info.bitCount == 24 || info.bitCount == 32;
    case kRle8:
        return info.bitCount == 8;
    case kRle4:
        return info.bitCount == 4;
    case kBitFields:
        return info.bitCount == 16 || info.bitCount == 32;
    default:
        return false;
    }
}

std::uint64_t PaletteBytes(const InfoHeader& info)
{
    if (info.bitCount > 8)
        return 4 * std::uint64_t(info.coloursUsed);
    return 4 * std::uint64_t(info.coloursUsed ? info.coloursUsed : 1u << info.bitCount);
}

bool NewerHeaderConsistent(const InfoHeader& info, std::uint64_t pixelOffset, std::uint64_t fileSize)
{
    if (info.width <= 0 || info.height == 0 || info.planes != 1 || !CompressionFitsDepth(info))
        return false;
    if (info.bitCount <= 8 && info.coloursUsed > (1u << info.bitCount))
        return false;
    return pixelOffset >= kFileHeaderSize + info.size + PaletteBytes(info) && pixelOffset <= fileSize;
}

// The same headers with a 40-byte info header; bit fields move from inside the
// info header to just after it, where the 40-byte form keeps them.
QByteArray ClassicHeaders(const uchar* bytes, const InfoHeader& info, quint32 pixelOffset)
{
    const quint32 masks = info.compression == kBitFields ? kMaskBytes : 0;
    const quint32 shrink = info.size - kClassicInfoSize - masks;
    QByteArray headers(reinterpret_cast<const char*>(bytes), qsizetype(kFileHeaderSize + kClassicInfoSize + masks));
    uchar* out = reinterpret_cast<uchar*>(headers.data());
    qToLittleEndian<quint32>(qFromLittleEndian<quint32>(bytes + 2) - shrink, out + 2);
    qToLittleEndian<quint32>(pixelOffset - shrink, out + 10);
    qToLittleEndian<quint32>(kClassicInfoSize, out + kFileHeaderSize);
    return headers;
}

} // namespace

std::optional<BmpLayout> ReadBmpLayout(const uchar* bytes, std::uint64_t size)
{
    if (size < kFileHeaderSize + 4 || bytes[0] != 'B' || bytes[1] != 'M')
        return BmpLayout{};
    const quint32 infoSize = qFromLittleEndian<quint32>(bytes + kFileHeaderSize);
    if (!IsWindowsInfoSize(infoSize))
        return BmpLayout{};
    if (size < kFileHeaderSize + infoSize)
        return std::nullopt;
    const InfoHeader info = ReadInfo(bytes + kFileHeaderSize);
    const quint32 pixelOffset = qFromLittleEndian<quint32>(bytes + 10);
    if (pixelOffset > size)
        return std::nullopt;
    const bool tooShort = PixelDataTooShort(info, size - pixelOffset);
    if (infoSize == kClassicInfoSize)
        return BmpLayout{QByteArray(), 0, tooShort};
    if (!NewerHeaderConsistent(info, pixelOffset, size))
        return std::nullopt;
    return BmpLayout{ClassicHeaders(bytes, info, pixelOffset), kFileHeaderSize + infoSize, tooShort};
}
