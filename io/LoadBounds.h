#pragma once

#include <FreeImage.h>

#include <cstdint>

enum class PictureLoadFailure { None, Unreadable, TooLarge };

// The program keeps every picture as 24 bits per pixel; loading one may hold
// no more than a gigabyte at once, more would stall the machine for half a
// minute before anything could be shown.
constexpr std::uint64_t kMaxPixelBytes = std::uint64_t(1) << 30;

// Bytes of a bitmap FreeImage allocates: scan lines padded to four bytes.
std::uint64_t BitmapBytes(std::uint64_t width, std::uint64_t height, unsigned bitsPerPixel);

// The decoded bitmap at the depth it comes in, and the 24-bit copy it is
// converted to while it is still held.
std::uint64_t HeldBitmapBytes(std::uint64_t width, std::uint64_t height, unsigned bitsPerPixel);

// Pixels a file of `format` may claim for every byte it has.
std::uint64_t MaxPixelsPerByte(FREE_IMAGE_FORMAT format);

// A file of `fileBytes` bytes that claims more than `pixelsPerByte` pixels
// for each of them (up to 2048 x 2048 every claim passes).
bool ClaimsMorePixelsPerByte(std::uint64_t pixelsPerByte, std::uint64_t width, std::uint64_t height,
                             std::uint64_t fileBytes);

// A file of `fileBytes` bytes that claims more pixels than the format's
// encoders ever pack into that many bytes.
bool ClaimsMoreThanItsBytes(FREE_IMAGE_FORMAT format, std::uint64_t width, std::uint64_t height,
                            std::uint64_t fileBytes);

// A file of `fileBytes` bytes that claims `width` x `height` pixels of
// `format` claims more than its encoders ever pack into that many bytes, or
// more than the memory bound lets decode at `bitsPerPixel`: it is refused
// before the decoder allocates anything.
bool ClaimTooLarge(FREE_IMAGE_FORMAT format, std::uint64_t width, std::uint64_t height, unsigned bitsPerPixel,
                   std::uint64_t fileBytes);
