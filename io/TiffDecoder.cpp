#include "io/TiffDecoder.h"

#include <tiffio.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// The file's bytes as libtiff reads them, and what it said about them.
struct TiffSource {
    const PictureBytes& bytes;
    std::uint64_t position = 0;
    int errors = 0;
};

TiffSource& SourceOf(thandle_t handle)
{
    return *static_cast<TiffSource*>(handle);
}

tmsize_t ReadProc(thandle_t handle, void* into, tmsize_t count)
{
    TiffSource& source = SourceOf(handle);
    if (count < 0 || source.position >= source.bytes.size)
        return 0;
    const std::uint64_t taken = std::min<std::uint64_t>(std::uint64_t(count), source.bytes.size - source.position);
    std::memcpy(into, source.bytes.data + source.position, taken);
    source.position += taken;
    return tmsize_t(taken);
}

tmsize_t WriteProc(thandle_t, void*, tmsize_t)
{
    return 0;
}

toff_t SeekProc(thandle_t handle, toff_t offset, int whence)
{
    TiffSource& source = SourceOf(handle);
    const std::uint64_t base = whence == SEEK_CUR ? source.position : whence == SEEK_END ? source.bytes.size : 0;
    source.position = base + offset;
    return source.position;
}

int CloseProc(thandle_t)
{
    return 0;
}

toff_t SizeProc(thandle_t handle)
{
    return SourceOf(handle).bytes.size;
}

int CountError(TIFF*, void* source, const char*, const char*, va_list)
{
    ++static_cast<TiffSource*>(source)->errors;
    return 1;
}

// Warnings (unknown tags and the like) leave the pixels intact; they are not
// printed either.
int IgnoreWarning(TIFF*, void*, const char*, const char*, va_list)
{
    return 1;
}

struct TiffCloser {
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};
struct OptionsFreer {
    void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};

// Premultiplied ABGR over white.
BYTE OverWhite(std::uint32_t channel, std::uint32_t alpha)
{
    const std::uint32_t value = channel + 255 - alpha;
    return BYTE(value > 255 ? 255 : value);
}

// Rows first..first + count - 1 of the raster into the bitmap, which keeps
// its bottom row first.
void CopyRows(const std::vector<std::uint32_t>& raster, unsigned first, unsigned count, FIBITMAP* dib)
{
    const unsigned width = FreeImage_GetWidth(dib), height = FreeImage_GetHeight(dib);
    for (unsigned row = 0; row < count; ++row) {
        const std::uint32_t* in = raster.data() + std::size_t(row) * width;
        BYTE* out = FreeImage_GetScanLine(dib, int(height - 1 - (first + row)));
        for (unsigned x = 0; x < width; ++x, out += 3) {
            const std::uint32_t alpha = TIFFGetA(in[x]);
            out[FI_RGBA_RED] = OverWhite(TIFFGetR(in[x]), alpha);
            out[FI_RGBA_GREEN] = OverWhite(TIFFGetG(in[x]), alpha);
            out[FI_RGBA_BLUE] = OverWhite(TIFFGetB(in[x]), alpha);
        }
    }
}

struct ImageEnder {
    void operator()(TIFFRGBAImage* image) const { TIFFRGBAImageEnd(image); }
};

// Reads the pixels a band of rows at a time through a raster that stays in
// the cache, and lays each band over white into the bitmap. Asked for the
// orientation it is stored in, libtiff neither turns nor mirrors: the first
// row read is the first stored row. False when libtiff could not read all.
bool ReadPixels(TIFF* tiff, std::uint16_t orientation, FIBITMAP* dib)
{
    constexpr unsigned kBandRows = 32;
    char refusal[1024];
    TIFFRGBAImage image{};
    if (!TIFFRGBAImageBegin(&image, tiff, 0, refusal))
        return false;
    const std::unique_ptr<TIFFRGBAImage, ImageEnder> ender(&image);
    image.req_orientation = orientation;
    const unsigned width = FreeImage_GetWidth(dib), height = FreeImage_GetHeight(dib);
    std::vector<std::uint32_t> raster(std::size_t(width) * kBandRows);
    bool complete = true;
    for (unsigned first = 0; first < height; first += kBandRows) {
        const unsigned count = std::min(kBandRows, height - first);
        std::fill(raster.begin(), raster.end(), 0);
        image.row_offset = int(first);
        complete = TIFFRGBAImageGet(&image, raster.data(), width, count) != 0 && complete;
        CopyRows(raster, first, count, dib);
    }
    return complete;
}

// Pixels one byte of the file may stand for, sixteen times what its
// compression can unpack from a byte at most: deflate 1032 bytes, LZW a
// string of up to 4096 bytes for 12 bits (2731), PackBits 128 for 2. The
// fax codings pack a blank row into a bit; they keep the measured bound of
// the format (a blank page, group 4).
std::uint64_t PixelsPerByte(TIFF* tiff)
{
    std::uint16_t compression = COMPRESSION_NONE, bitsPerSample = 1, samples = 1;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &compression);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bitsPerSample);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    std::uint64_t bytesPerByte = 0;
    switch (compression) {
    case COMPRESSION_NONE: bytesPerByte = 1; break;
    case COMPRESSION_PACKBITS: bytesPerByte = 64; break;
    case COMPRESSION_LZW: bytesPerByte = 2731; break;
    case COMPRESSION_ADOBE_DEFLATE:
    case COMPRESSION_DEFLATE: bytesPerByte = 1032; break;
    default: return 0;
    }
    const std::uint64_t bitsPerPixel = std::max<std::uint64_t>(1, std::uint64_t(bitsPerSample) * samples);
    return std::max<std::uint64_t>(1, 16 * bytesPerByte * 8 / bitsPerPixel);
}

bool ClaimsTooMuch(TIFF* tiff, std::uint32_t width, std::uint32_t height, std::uint64_t fileBytes)
{
    const std::uint64_t perByte = PixelsPerByte(tiff);
    return (perByte != 0 && ClaimsMorePixelsPerByte(perByte, width, height, fileBytes)) ||
           ClaimTooLarge(FIF_TIFF, width, height, 24, fileBytes);
}

} // namespace

DecodedPicture DecodeTiff(const PictureBytes& bytes)
{
    TiffSource source{bytes};
    const std::unique_ptr<TIFFOpenOptions, OptionsFreer> options(TIFFOpenOptionsAlloc());
    TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), tmsize_t(kMaxPixelBytes));
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), &CountError, &source);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), &IgnoreWarning, &source);
    // "m": no mapping, every read goes through the procedures above.
    const std::unique_ptr<TIFF, TiffCloser> tiff(TIFFClientOpenExt("picture", "rm", &source, &ReadProc, &WriteProc,
                                                                   &SeekProc, &CloseProc, &SizeProc, nullptr,
                                                                   nullptr, options.get()));
    char refusal[1024];
    std::uint32_t width = 0, height = 0;
    if (!tiff || !TIFFRGBAImageOK(tiff.get(), refusal) || !TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width) ||
        !TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height) || width == 0 || height == 0)
        return RefusedPicture(PictureLoadFailure::Unreadable);
    // The bitmap and a band of the raster.
    if (ClaimsTooMuch(tiff.get(), width, height, bytes.size))
        return RefusedPicture(PictureLoadFailure::TooLarge);
    std::uint16_t orientation = ORIENTATION_TOPLEFT;
    TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_ORIENTATION, &orientation);
    DecodedPicture decoded;
    decoded.orientation = OrientationFromTag(orientation);
    decoded.bitmap.reset(FreeImage_Allocate(int(width), int(height), 24));
    if (!decoded.bitmap)
        return RefusedPicture(PictureLoadFailure::TooLarge);
    const int errorsBefore = source.errors;
    const bool complete = ReadPixels(tiff.get(), orientation >= 1 && orientation <= 8 ? orientation : ORIENTATION_TOPLEFT,
                                     decoded.bitmap.get());
    decoded.damaged = !complete || source.errors > errorsBefore;
    return decoded;
}
