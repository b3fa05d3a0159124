#include "io/WebpDecoder.h"

#include <webp/decode.h>

#include <cstring>

namespace {

std::uint32_t LittleLong(const uchar* bytes)
{
    return std::uint32_t(bytes[0]) | (std::uint32_t(bytes[1]) << 8) | (std::uint32_t(bytes[2]) << 16) |
           (std::uint32_t(bytes[3]) << 24);
}

// The orientation of the first EXIF chunk of the RIFF file, if any.
Orientation OrientationOfChunks(const uchar* bytes, std::uint64_t size)
{
    constexpr std::uint64_t kRiffHeader = 12, kChunkHeader = 8;
    for (std::uint64_t pos = kRiffHeader; pos + kChunkHeader <= size;) {
        const std::uint64_t length = LittleLong(bytes + pos + 4);
        const std::uint64_t body = pos + kChunkHeader;
        if (length > size - body)
            break;
        if (std::memcmp(bytes + pos, "EXIF", 4) == 0)
            return ExifOrientationOf(bytes + body, length);
        pos = body + length + (length & 1);
    }
    return Orientation::AsStored;
}

} // namespace

DecodedPicture DecodeWebp(const PictureBytes& bytes)
{
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config) ||
        WebPGetFeatures(bytes.data, bytes.size, &config.input) != VP8_STATUS_OK)
        return RefusedPicture(PictureLoadFailure::Unreadable);
    const WebPBitstreamFeatures& features = config.input;
    const unsigned bits = features.has_alpha ? 32 : 24;
    if (ClaimTooLarge(FIF_WEBP, unsigned(features.width), unsigned(features.height), bits, bytes.size))
        return RefusedPicture(PictureLoadFailure::TooLarge);
    DecodedPicture decoded;
    decoded.bitmap.reset(FreeImage_Allocate(features.width, features.height, int(bits)));
    if (!decoded.bitmap)
        return RefusedPicture(PictureLoadFailure::TooLarge);
    FIBITMAP* dib = decoded.bitmap.get();
    // FreeImage keeps the bottom row first; the decoder writes upside down into it.
    config.options.flip = 1;
    config.output.colorspace = features.has_alpha ? MODE_BGRA : MODE_BGR;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = FreeImage_GetBits(dib);
    config.output.u.RGBA.stride = int(FreeImage_GetPitch(dib));
    config.output.u.RGBA.size = std::size_t(FreeImage_GetPitch(dib)) * FreeImage_GetHeight(dib);
    const VP8StatusCode status = WebPDecode(bytes.data, bytes.size, &config);
    WebPFreeDecBuffer(&config.output);
    if (status != VP8_STATUS_OK)
        return RefusedPicture(PictureLoadFailure::Unreadable);
    decoded.orientation = OrientationOfChunks(bytes.data, bytes.size);
    return decoded;
}
