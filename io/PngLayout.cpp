#include "io/PngLayout.h"

#include <cstring>

namespace {

constexpr std::uint64_t kSignatureBytes = 8;
// Length, type and CRC around a chunk's body.
constexpr std::uint64_t kChunkFrame = 12;
constexpr std::uint64_t kHeaderBody = 13;
constexpr std::uint32_t kMaxDimension = 0x7FFFFFFF;

std::uint32_t Long(const uchar* bytes)
{
    return (std::uint32_t(bytes[0]) << 24) | (std::uint32_t(bytes[1]) << 16) | (std::uint32_t(bytes[2]) << 8) |
           bytes[3];
}

bool IsType(const uchar* type, const char* name)
{
    return std::memcmp(type, name, 4) == 0;
}

// Critical chunks (upper-case first letter) make the pixels, tRNS their transparency.
bool FeedsTheDecoder(const uchar* type)
{
    return (type[0] & 0x20) == 0 || IsType(type, "tRNS");
}

// FreeImage keeps palette and gray pictures of up to 8 bits at their depth,
// 16-bit gray as 16 bits, and gives colour and gray with alpha 8 or 16 bits
// for each of three or four channels.
unsigned DecodedBits(unsigned bitDepth, unsigned colourType)
{
    const unsigned sample = bitDepth == 16 ? 16 : 8;
    switch (colourType) {
    case 0:
    case 3:
        return sample;
    case 2:
        return 3 * sample;
    default:
        return 4 * sample;
    }
}

bool ReadHeader(const uchar* body, PngLayout& layout)
{
    layout.width = Long(body);
    layout.height = Long(body + 4);
    if (layout.width == 0 || layout.height == 0 || layout.width > kMaxDimension || layout.height > kMaxDimension)
        return false;
    layout.decodedBits = DecodedBits(body[8], body[9]);
    return true;
}

} // namespace

std::optional<PngLayout> WalkPng(const uchar* bytes, std::uint64_t size)
{
    if (size < kSignatureBytes + kChunkFrame + kHeaderBody || std::memcmp(bytes, "\x89PNG\r\n\x1A\n", 8) != 0)
        return std::nullopt;
    const uchar* first = bytes + kSignatureBytes;
    PngLayout layout;
    if (Long(first) != kHeaderBody || !IsType(first + 4, "IHDR") || !ReadHeader(first + 8, layout))
        return std::nullopt;
    layout.kept.push_back({0, kSignatureBytes});
    std::uint64_t pos = kSignatureBytes;
    while (pos < size) {
        const std::uint64_t left = size - pos;
        if (left < 8) {
            layout.kept.push_back({pos, left});
            break;
        }
        const uchar* type = bytes + pos + 4;
        const std::uint64_t length = std::uint64_t(Long(bytes + pos)) + kChunkFrame;
        const std::uint64_t taken = length < left ? length : left;
        if (FeedsTheDecoder(type))
            layout.kept.push_back({pos, taken});
        else if (IsType(type, "eXIf") && layout.exif.length == 0 && length <= left)
            layout.exif = {pos + 8, length - kChunkFrame};
        if (IsType(type, "IEND"))
            break;
        pos += taken;
    }
    return layout;
}
