#include "io/ExifOrientation.h"

#include <cstring>

namespace {

constexpr unsigned kOrientationTag = 0x0112;
constexpr unsigned kShortType = 3;
constexpr std::uint64_t kEntryBytes = 12;

// The byte order the block's TIFF header declares.
struct ExifReader {
    const uchar* bytes;
    std::uint64_t size;
    bool bigEndian;

    bool Has(std::uint64_t at, std::uint64_t count) const { return at <= size && count <= size - at; }
    unsigned Word(std::uint64_t at) const
    {
        return bigEndian ? (unsigned(bytes[at]) << 8) | bytes[at + 1] : (unsigned(bytes[at + 1]) << 8) | bytes[at];
    }
    std::uint64_t Long(std::uint64_t at) const
    {
        return bigEndian ? (std::uint64_t(Word(at)) << 16) | Word(at + 2)
                         : (std::uint64_t(Word(at + 2)) << 16) | Word(at);
    }
};

} // namespace

Orientation OrientationFromTag(unsigned value)
{
    return value >= 1 && value <= 8 ? static_cast<Orientation>(value) : Orientation::AsStored;
}

Orientation ExifOrientationOf(const uchar* exif, std::uint64_t size)
{
    if (size >= 6 && std::memcmp(exif, "Exif\0\0", 6) == 0) {
        exif += 6;
        size -= 6;
    }
    if (size < 8 || !(std::memcmp(exif, "II*\0", 4) == 0 || std::memcmp(exif, "MM\0*", 4) == 0))
        return Orientation::AsStored;
    const ExifReader reader{exif, size, exif[0] == 'M'};
    const std::uint64_t directory = reader.Long(4);
    if (!reader.Has(directory, 2))
        return Orientation::AsStored;
    const unsigned entries = reader.Word(directory);
    for (unsigned i = 0; i < entries; ++i) {
        const std::uint64_t entry = directory + 2 + kEntryBytes * i;
        if (!reader.Has(entry, kEntryBytes))
            break;
        if (reader.Word(entry) == kOrientationTag) {
            if (reader.Word(entry + 2) != kShortType || reader.Long(entry + 4) != 1)
                return Orientation::AsStored;
            return OrientationFromTag(reader.Word(entry + 8));
        }
    }
    return Orientation::AsStored;
}
