#include "io/ContentFormat.h"

#include <cstring>

namespace {

bool StartsWith(const uchar* bytes, std::uint64_t size, std::uint64_t at, const char* signature,
                std::uint64_t length)
{
    return size >= at + length && std::memcmp(bytes + at, signature, length) == 0;
}

// An ISO media file whose major brand is one of HEIF's still-picture brands.
bool IsHeif(const uchar* bytes, std::uint64_t size)
{
    if (!StartsWith(bytes, size, 4, "ftyp", 4) || size < 12)
        return false;
    for (const char* brand : {"heic", "heix", "heim", "heis", "hevc", "hevx", "mif1", "msf1"}) {
        if (std::memcmp(bytes + 8, brand, 4) == 0)
            return true;
    }
    return false;
}

} // namespace

std::optional<FREE_IMAGE_FORMAT> ContentFormatOf(const uchar* bytes, std::uint64_t size)
{
    // Two bytes suffice for a JPEG: a file cut right after its start marker
    // is a damaged JPEG, not a stranger.
    if (StartsWith(bytes, size, 0, "\xFF\xD8", 2))
        return FIF_JPEG;
    if (StartsWith(bytes, size, 0, "\x89PNG\r\n\x1A\n", 8))
        return FIF_PNG;
    if (StartsWith(bytes, size, 0, "BM", 2))
        return FIF_BMP;
    if (StartsWith(bytes, size, 0, "RIFF", 4) && StartsWith(bytes, size, 8, "WEBP", 4))
        return FIF_WEBP;
    if (StartsWith(bytes, size, 0, "II*\0", 4) || StartsWith(bytes, size, 0, "MM\0*", 4) ||
        StartsWith(bytes, size, 0, "II+\0", 4) || StartsWith(bytes, size, 0, "MM\0+", 4))
        return FIF_TIFF;
    if (IsHeif(bytes, size))
        return kHeifFormat;
    return std::nullopt;
}

int OpenFlagsOf(FREE_IMAGE_FORMAT format)
{
    return format == FIF_JPEG ? JPEG_ACCURATE : 0;
}
