#include "io/PictureOrientation.h"

#include "io/PictureRotation.h"

#include <cstddef>
#include <cstring>
#include <vector>

namespace {

// Row y counted from the top.
BYTE* TopRow(FIBITMAP* dib, unsigned y)
{
    return FreeImage_GetScanLine(dib, int(FreeImage_GetHeight(dib) - 1 - y));
}

// The pixels of `in` right to left into `out`; the two do not overlap.
void CopyReversed(const BYTE* in, BYTE* out, unsigned width)
{
    const BYTE* from = in + 3 * std::size_t(width);
    for (unsigned x = 0; x < width; ++x, out += 3) {
        from -= 3;
        std::memcpy(out, from, 3);
    }
}

// Orientations 2 to 4: rows swap top for bottom, pixels left for right, in
// one pass over the picture: each pair of rows that trade places (or a row
// alone) goes through a spare row that stays in the cache.
void MirrorInPlace(FIBITMAP* dib, bool acrossRows, bool downRows)
{
    const unsigned width = FreeImage_GetWidth(dib), height = FreeImage_GetHeight(dib);
    const std::size_t rowBytes = 3 * std::size_t(width);
    std::vector<BYTE> spare(rowBytes);
    const auto place = [&](const BYTE* in, BYTE* out) {
        if (acrossRows)
            CopyReversed(in, out, width);
        else
            std::memcpy(out, in, rowBytes);
    };
    for (unsigned a = 0; a < height; ++a) {
        const unsigned b = downRows ? height - 1 - a : a;
        if (b < a)
            break;
        BYTE* top = TopRow(dib, a);
        BYTE* bottom = TopRow(dib, b);
        std::memcpy(spare.data(), top, rowBytes);
        if (b != a)
            place(bottom, top);
        place(spare.data(), bottom);
    }
}

} // namespace

bool SwapsSides(Orientation orientation)
{
    return static_cast<int>(orientation) >= static_cast<int>(Orientation::Transposed);
}

BitmapPtr OrientPicture(BitmapPtr picture, Orientation orientation)
{
    switch (orientation) {
    case Orientation::AsStored:
        return picture;
    case Orientation::MirroredAcross:
        MirrorInPlace(picture.get(), true, false);
        return picture;
    case Orientation::HalfTurn:
        MirrorInPlace(picture.get(), true, true);
        return picture;
    case Orientation::MirroredDown:
        MirrorInPlace(picture.get(), false, true);
        return picture;
    // Shown row y is stored column y (or W - 1 - y), shown column x stored
    // row x (or H - 1 - x), rows counted from the top: in scan lines counted
    // from the bottom, the quarter turn's kernel.
    case Orientation::Transposed:
        return TransposePicture(picture.get(), true, true);
    case Orientation::TurnedRight:
        return TurnPicture(picture.get(), QuarterTurn::Right);
    case Orientation::Transversed:
        return TransposePicture(picture.get(), false, false);
    case Orientation::TurnedLeft:
        return TurnPicture(picture.get(), QuarterTurn::Left);
    }
    return picture;
}
