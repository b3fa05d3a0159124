#include "io/TiffDecoder.h"

#include <tiffio.h>

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

void CopyRaster(const std::vector<std::uint32_t>& raster, FIBITMAP* dib)
{
    const unsigned width = FreeImage_GetWidth(dib), height = FreeImage_GetHeight(dib);
    for (unsigned y = 0; y < height; ++y) {
        const std::uint32_t* in = raster.data() + std::size_t(y) * width;
        BYTE* out = FreeImage_GetScanLine(dib, int(height - 1 - y));
        for (unsigned x = 0; x < width; ++x, out += 3) {
            const std::uint32_t alpha = TIFFGetA(in[x]);
            out[FI_RGBA_RED] = OverWhite(TIFFGetR(in[x]), alpha);
            out[FI_RGBA_GREEN] = OverWhite(TIFFGetG(in[x]), alpha);
            out[FI_RGBA_BLUE] = OverWhite(TIFFGetB(in[x]), alpha);
        }
    }
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
    if (ClaimTooLarge(FIF_TIFF, width, height, 32, bytes.size))
        return RefusedPicture(PictureLoadFailure::TooLarge);
    std::uint16_t orientation = ORIENTATION_TOPLEFT;
    TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_ORIENTATION, &orientation);
    DecodedPicture decoded;
    decoded.orientation = OrientationFromTag(orientation);
    std::vector<std::uint32_t> raster(std::size_t(width) * height, 0);
    // Asked for the orientation it is stored in, libtiff neither turns nor
    // mirrors: the first row of the raster is the first stored row.
    const int errorsBefore = source.errors;
    const bool complete = TIFFReadRGBAImageOriented(tiff.get(), width, height, raster.data(),
                                                    orientation >= 1 && orientation <= 8 ? orientation
                                                                                         : ORIENTATION_TOPLEFT,
                                                    0) != 0;
    decoded.damaged = !complete || source.errors > errorsBefore;
    decoded.bitmap.reset(FreeImage_Allocate(int(width), int(height), 24));
    if (!decoded.bitmap)
        return RefusedPicture(PictureLoadFailure::TooLarge);
    CopyRaster(raster, decoded.bitmap.get());
    return decoded;
}
