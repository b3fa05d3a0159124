#include "io/OpaquePicture.h"

namespace {

// 16-bit samples in the order FreeImage keeps them: red, green, blue, alpha;
// gray stands alone.
BitmapPtr FromSixteenBits(FIBITMAP* dib, unsigned samples)
{
    const unsigned width = FreeImage_GetWidth(dib), height = FreeImage_GetHeight(dib);
    BitmapPtr opaque(FreeImage_Allocate(int(width), int(height), 24));
    if (!opaque)
        return nullptr;
    for (unsigned y = 0; y < height; ++y) {
        const WORD* in = reinterpret_cast<const WORD*>(FreeImage_GetScanLine(dib, int(y)));
        BYTE* out = FreeImage_GetScanLine(opaque.get(), int(y));
        for (unsigned x = 0; x < width; ++x, in += samples, out += 3) {
            const BYTE red = EightBitsOf(in[0]);
            const BYTE green = samples == 1 ? red : EightBitsOf(in[1]);
            const BYTE blue = samples == 1 ? red : EightBitsOf(in[2]);
            const unsigned alpha = samples == 4 ? EightBitsOf(in[3]) : 255;
            out[FI_RGBA_RED] = OverWhite(red, alpha);
            out[FI_RGBA_GREEN] = OverWhite(green, alpha);
            out[FI_RGBA_BLUE] = OverWhite(blue, alpha);
        }
    }
    return opaque;
}

BitmapPtr FlattenOverWhite(FIBITMAP* dib)
{
    const BitmapPtr straight(FreeImage_GetBPP(dib) == 32 ? nullptr : FreeImage_ConvertTo32Bits(dib));
    FIBITMAP* source = straight ? straight.get() : dib;
    if (FreeImage_GetBPP(source) != 32)
        return nullptr;
    const unsigned width = FreeImage_GetWidth(source), height = FreeImage_GetHeight(source);
    BitmapPtr opaque(FreeImage_Allocate(int(width), int(height), 24));
    if (!opaque)
        return nullptr;
    for (unsigned y = 0; y < height; ++y) {
        const BYTE* in = FreeImage_GetScanLine(source, int(y));
        BYTE* out = FreeImage_GetScanLine(opaque.get(), int(y));
        for (unsigned x = 0; x < width; ++x, in += 4, out += 3) {
            const unsigned alpha = in[FI_RGBA_ALPHA];
            out[FI_RGBA_RED] = OverWhite(in[FI_RGBA_RED], alpha);
            out[FI_RGBA_GREEN] = OverWhite(in[FI_RGBA_GREEN], alpha);
            out[FI_RGBA_BLUE] = OverWhite(in[FI_RGBA_BLUE], alpha);
        }
    }
    return opaque;
}

} // namespace

bool HoldsPictureChannels(FIBITMAP* decoded)
{
    switch (FreeImage_GetImageType(decoded)) {
    case FIT_BITMAP:
    case FIT_UINT16:
    case FIT_RGB16:
    case FIT_RGBA16:
        return true;
    default:
        return false;
    }
}

BitmapPtr OpaquePicture(BitmapPtr decoded, bool formatHasAlpha)
{
    FIBITMAP* dib = decoded.get();
    switch (FreeImage_GetImageType(dib)) {
    case FIT_BITMAP:
        if (formatHasAlpha && (FreeImage_GetBPP(dib) == 32 || FreeImage_IsTransparent(dib)))
            return FlattenOverWhite(dib);
        if (FreeImage_GetBPP(dib) == 24)
            return decoded;
        return BitmapPtr(FreeImage_ConvertTo24Bits(dib));
    case FIT_UINT16:
        return FromSixteenBits(dib, 1);
    case FIT_RGB16:
        return FromSixteenBits(dib, 3);
    case FIT_RGBA16:
        return FromSixteenBits(dib, formatHasAlpha ? 4 : 3);
    default:
        return nullptr;
    }
}
