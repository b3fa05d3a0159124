#include "io/PictureOrientation.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <utility>
#include <vector>

namespace {

// Turns walk the source in bands of a few columns, a block of rows at a time,
// through a buffer that stays in the cache, like the quarter turn.
constexpr unsigned kBandColumns = 32;
constexpr unsigned kBlockRows = 512;
constexpr std::size_t kBufferPitch = 3 * kBandColumns;

// Row y counted from the top.
BYTE* TopRow(FIBITMAP* dib, unsigned y)
{
    return FreeImage_GetScanLine(dib, int(FreeImage_GetHeight(dib) - 1 - y));
}

void ReverseRow(BYTE* row, unsigned width)
{
    for (unsigned a = 0, b = width - 1; a < b; ++a, --b)
        std::swap_ranges(row + 3 * std::size_t(a), row + 3 * std::size_t(a) + 3, row + 3 * std::size_t(b));
}

// Orientations 2 to 4: rows swap top for bottom, pixels left for right.
void MirrorInPlace(FIBITMAP* dib, bool acrossRows, bool downRows)
{
    const unsigned width = FreeImage_GetWidth(dib), height = FreeImage_GetHeight(dib);
    const std::size_t rowBytes = 3 * std::size_t(width);
    if (downRows) {
        std::vector<BYTE> spare(rowBytes);
        for (unsigned a = 0, b = height - 1; a < b; ++a, --b) {
            std::memcpy(spare.data(), TopRow(dib, a), rowBytes);
            std::memcpy(TopRow(dib, a), TopRow(dib, b), rowBytes);
            std::memcpy(TopRow(dib, b), spare.data(), rowBytes);
        }
    }
    if (acrossRows) {
        for (unsigned y = 0; y < height; ++y)
            ReverseRow(TopRow(dib, y), width);
    }
}

// Orientations 5 to 8: shown row y is stored column y (or W - 1 - y), shown
// column x is stored row x (or H - 1 - x).
struct Transpose {
    bool columnsReversed;
    bool rowsReversed;
};

// Rows counted from the top, reached by stepping the pitch.
struct TopRows {
    explicit TopRows(FIBITMAP* dib)
        : top(FreeImage_GetScanLine(dib, int(FreeImage_GetHeight(dib) - 1))),
          pitch(std::ptrdiff_t(FreeImage_GetPitch(dib)))
    {
    }
    BYTE* operator[](unsigned y) const { return top - std::ptrdiff_t(y) * pitch; }
    BYTE* top;
    std::ptrdiff_t pitch;
};

// Copies source columns c0 .. c1 - 1 of the rows for shown columns x0 .. x1 - 1
// into the buffer, one buffer row per source row.
void GatherBlock(const TopRows& source, unsigned H, Transpose how, unsigned c0, unsigned c1, unsigned x0,
                 unsigned x1, BYTE* buffer)
{
    const std::size_t offset = 3 * std::size_t(c0);
    for (unsigned x = x0; x < x1; ++x, buffer += kBufferPitch) {
        const BYTE* in = source[how.rowsReversed ? H - 1 - x : x] + offset;
        // A fixed length lets the compiler copy a whole band without a call.
        if (c1 - c0 == kBandColumns)
            std::memcpy(buffer, in, kBufferPitch);
        else
            std::memcpy(buffer, in, 3 * std::size_t(c1 - c0));
    }
}

BitmapPtr TransposeCopy(FIBITMAP* source, Transpose how)
{
    const unsigned W = FreeImage_GetWidth(source), H = FreeImage_GetHeight(source);
    BitmapPtr shown(FreeImage_Allocate(int(H), int(W), 24, 0, 0, 0));
    if (!shown)
        return nullptr;
    const TopRows sourceRows(source), shownRows(shown.get());
    std::vector<BYTE> buffer(kBufferPitch * kBlockRows);
    for (unsigned c0 = 0; c0 < W; c0 += kBandColumns) {
        const unsigned c1 = std::min(c0 + kBandColumns, W);
        for (unsigned x0 = 0; x0 < H; x0 += kBlockRows) {
            const unsigned x1 = std::min(x0 + kBlockRows, H);
            GatherBlock(sourceRows, H, how, c0, c1, x0, x1, buffer.data());
            for (unsigned c = c0; c < c1; ++c) {
                BYTE* out = shownRows[how.columnsReversed ? W - 1 - c : c] + 3 * std::size_t(x0);
                const BYTE* in = buffer.data() + 3 * std::size_t(c - c0);
                for (unsigned x = x0; x < x1; ++x, in += kBufferPitch, out += 3)
                    std::memcpy(out, in, 3);
            }
        }
    }
    return shown;
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
    case Orientation::Transposed:
        return TransposeCopy(picture.get(), {false, false});
    case Orientation::TurnedRight:
        return TransposeCopy(picture.get(), {false, true});
    case Orientation::Transversed:
        return TransposeCopy(picture.get(), {true, true});
    case Orientation::TurnedLeft:
        return TransposeCopy(picture.get(), {true, false});
    }
    return picture;
}
