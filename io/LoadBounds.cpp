#include "io/LoadBounds.h"

#include "io/ContentFormat.h"

#include <algorithm>

namespace {

// Up to 2048 x 2048 a claim costs too little to be worth refusing.
constexpr std::uint64_t kClaimFloor = std::uint64_t(1) << 22;
// No picture that fits the memory bound is wider or higher; the products
// below stay far from overflowing.
constexpr std::uint64_t kMaxSide = std::uint64_t(1) << 30;

} // namespace

// Pixels a file may claim for every byte it has: sixteen times the most the
// format's own encoders packed into a byte, one flat colour at the strongest
// compression, 4096 x 4096 (measured): PNG 1 bit 7785 (deflate cannot pass
// 8256), WebP lossless 23764 and lossy 561, TIFF CCITT group 4 at 1 bit
// 22490, HEIC at quality 1 3898. JPEG: 256, see the frame check.
std::uint64_t MaxPixelsPerByte(FREE_IMAGE_FORMAT format)
{
    switch (format) {
    case FIF_PNG:
        return 16 * 8256;
    case FIF_WEBP:
        return 16 * 23764;
    case FIF_TIFF:
        return 16 * 22490;
    case FIF_JPEG:
        return 16 * 256;
    default:
        return format == kHeifFormat ? 16 * 3898 : UINT64_MAX;
    }
}

std::uint64_t BitmapBytes(std::uint64_t width, std::uint64_t height, unsigned bitsPerPixel)
{
    const std::uint64_t pitch = (width * bitsPerPixel + 31) / 32 * 4;
    return pitch * height;
}

std::uint64_t HeldBitmapBytes(std::uint64_t width, std::uint64_t height, unsigned bitsPerPixel)
{
    const std::uint64_t decoded = BitmapBytes(width, height, bitsPerPixel);
    return bitsPerPixel == 24 ? decoded : decoded + BitmapBytes(width, height, 24);
}

bool ClaimsMorePixelsPerByte(std::uint64_t pixelsPerByte, std::uint64_t width, std::uint64_t height,
                             std::uint64_t fileBytes)
{
    if (width > kMaxSide || height > kMaxSide)
        return true;
    return fileBytes < UINT64_MAX / pixelsPerByte && width * height > std::max(kClaimFloor, fileBytes * pixelsPerByte);
}

bool ClaimsMoreThanItsBytes(FREE_IMAGE_FORMAT format, std::uint64_t width, std::uint64_t height,
                            std::uint64_t fileBytes)
{
    return ClaimsMorePixelsPerByte(MaxPixelsPerByte(format), width, height, fileBytes);
}

bool ClaimTooLarge(FREE_IMAGE_FORMAT format, std::uint64_t width, std::uint64_t height, unsigned bitsPerPixel,
                   std::uint64_t fileBytes)
{
    return ClaimsMoreThanItsBytes(format, width, height, fileBytes) ||
           HeldBitmapBytes(width, height, bitsPerPixel) > kMaxPixelBytes;
}
