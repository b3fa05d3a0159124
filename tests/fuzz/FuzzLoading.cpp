// Feeds arbitrary bytes through the program's loading path: as the format
// their first bytes announce (segment and chunk walks, size guards, every
// decoder, alpha over white, orientation), and as a JPEG and as a BMP
// whatever they announce.
#include "io/PictureLoader.h"
#include "io/PictureOpening.h"

#include <cstddef>
#include <cstdint>

namespace {

void HoldAs24Bits(FIBITMAP* loaded)
{
    if (FreeImage_GetImageType(loaded) == FIT_BITMAP && FreeImage_GetBPP(loaded) != 24) {
        const BitmapPtr converted(FreeImage_ConvertTo24Bits(loaded));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const PictureBytes bytes{data, size, -1};
    const OpenedPicture opened = OpenPictureBytes(bytes);
    for (const auto& [format, flags] : {std::pair{FIF_JPEG, JPEG_ACCURATE}, std::pair{FIF_BMP, BMP_DEFAULT}}) {
        PictureLoadFailure failure = PictureLoadFailure::None;
        if (const BitmapPtr loaded = LoadPictureBytes(format, bytes, flags, &failure))
            HoldAs24Bits(loaded.get());
    }
    return 0;
}
