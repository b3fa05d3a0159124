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

// Stored 8-bit RGB, in strips of interleaved samples, as cameras, scanners
// and most programs write it: libtiff's own packing of such rows leaves every
// sample as it is (alpha 255 over white), so the rows go straight into the
// bitmap.
bool HoldsPlainRgb(TIFF* tiff, std::uint32_t width)
{
    std::uint16_t bitsPerSample = 0, samples = 0, photometric = 0, planar = PLANARCONFIG_CONTIG;
    std::uint16_t extraCount = 0;
    std::uint16_t* extra = nullptr;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bitsPerSample);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_EXTRASAMPLES, &extraCount, &extra);
    return TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric) && photometric == PHOTOMETRIC_RGB &&
           bitsPerSample == 8 && samples == 3 && extraCount == 0 && planar == PLANARCONFIG_CONTIG && !TIFFIsTiled(tiff) &&
           TIFFScanlineSize64(tiff) == 3 * std::uint64_t(width);
}

// A strip up to this size is read whole, as libtiff's own reader does;
// larger ones row by row, which keeps the memory down but costs deflate a
// copy of its window per row.
constexpr std::uint64_t kLargestStripRead = 1 << 20;

// One stored row of RGB samples into a bitmap row in FreeImage's order; white
// where libtiff could not read it.
void PlaceRow(const BYTE* stored, BYTE* out, unsigned width)
{
    if (!stored) {
        std::memset(out, 255, 3 * std::size_t(width));
        return;
    }
    for (unsigned x = 0; x < width; ++x, stored += 3, out += 3) {
        out[FI_RGBA_RED] = stored[0];
        out[FI_RGBA_GREEN] = stored[1];
        out[FI_RGBA_BLUE] = stored[2];
    }
}

// Stored rows first .. first + count - 1 into `rows`: a whole strip, or one row.
bool ReadBand(TIFF* tiff, unsigned first, unsigned count, bool wholeStrips, BYTE* rows, tmsize_t size)
{
    if (wholeStrips)
        return TIFFReadEncodedStrip(tiff, TIFFComputeStrip(tiff, first, 0), rows, size) == size;
    return count == 1 && TIFFReadScanline(tiff, rows, first, 0) >= 0;
}

// The rows are decoded a band at a time into a buffer that stays in the
// cache and from there put in FreeImage's order into the bitmap. False when
// a row could not be read.
bool ReadPlainRgbRows(TIFF* tiff, FIBITMAP* dib)
{
    const unsigned width = FreeImage_GetWidth(dib), height = FreeImage_GetHeight(dib);
    const std::size_t rowBytes = 3 * std::size_t(width);
    std::uint32_t rowsPerStrip = height;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
    const unsigned stripRows = std::clamp<std::uint32_t>(rowsPerStrip, 1, height);
    const bool wholeStrips = stripRows * rowBytes <= kLargestStripRead;
    const unsigned bandRows = wholeStrips ? stripRows : 1;
    std::vector<BYTE> band(bandRows * rowBytes);
    bool complete = true;
    for (unsigned first = 0; first < height; first += bandRows) {
        const unsigned count = std::min(bandRows, height - first);
        const bool read = ReadBand(tiff, first, count, wholeStrips, band.data(), tmsize_t(count * rowBytes));
        complete = complete && read;
        for (unsigned row = 0; row < count; ++row)
            PlaceRow(read ? band.data() + row * rowBytes : nullptr,
                     FreeImage_GetScanLine(dib, int(height - 1 - (first + row))), width);
    }
    return complete;
}

// Pixels one byte of the file may stand for, sixteen times what its
// compression can unpack from a byte at most: deflate 1032 bytes, LZW a
// string of up to 4096 bytes for 12 bits (2731), PackBits 128 for 2. The
// fax codings pack a blank row into a bit; they keep the measured bound of
// the format (a blank page, group 4). JPEG strips keep JPEG's.
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
    case COMPRESSION_OJPEG:
    case COMPRESSION_JPEG: return MaxPixelsPerByte(FIF_JPEG);
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
    // Either way the first row read is the first stored row.
    const bool complete = HoldsPlainRgb(tiff.get(), width)
                              ? ReadPlainRgbRows(tiff.get(), decoded.bitmap.get())
                              : ReadPixels(tiff.get(), orientation >= 1 && orientation <= 8 ? orientation
                                                                                             : ORIENTATION_TOPLEFT,
                                           decoded.bitmap.get());
    decoded.damaged = !complete || source.errors > errorsBefore;
    return decoded;
}
