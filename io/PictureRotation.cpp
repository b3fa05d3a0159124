#include "io/PictureRotation.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

namespace {

// The turn walks the source in bands of a few columns. Each band is gathered a
// block of scan lines at a time into a small buffer that stays in the cache,
// so every source scan line is visited once per band, and the turned scan
// lines are then written front to back from that buffer.
constexpr unsigned kBandColumns = 32;
constexpr unsigned kBlockLines = 512;
constexpr std::size_t kBufferPitch = 3 * kBandColumns;

// Source scan line for turned column j: `first + j * step`.
struct SourceLines {
    const BYTE* first;
    std::ptrdiff_t step;
};

// Copies columns `column` .. `column + count - 1` of the source scan lines for
// turned columns j0 .. j1 - 1 into the buffer, one buffer row per scan line.
void GatherBlock(const SourceLines& source, unsigned column, unsigned count, unsigned j0, unsigned j1,
                 BYTE* buffer)
{
    const BYTE* in = source.first + std::ptrdiff_t(j0) * source.step + 3 * std::size_t(column);
    for (unsigned j = j0; j < j1; ++j, in += source.step, buffer += kBufferPitch) {
        // A fixed length lets the compiler copy a whole band without a call.
        if (count == kBandColumns)
            std::memcpy(buffer, in, kBufferPitch);
        else
            std::memcpy(buffer, in, 3 * std::size_t(count));
    }
}

// Writes columns j0 .. j1 - 1 of one turned scan line from buffer column `index`.
void ScatterColumn(const BYTE* buffer, unsigned index, unsigned j0, unsigned j1, BYTE* turnedLine)
{
    const BYTE* in = buffer + 3 * std::size_t(index);
    BYTE* out = turnedLine + 3 * std::size_t(j0);
    for (unsigned j = j0; j < j1; ++j, in += kBufferPitch, out += 3)
        std::memcpy(out, in, 3);
}

}  // namespace

BitmapPtr TransposePicture(FIBITMAP* picture, bool linesReversed, bool columnsReversed)
{
    const unsigned W = FreeImage_GetWidth(picture), H = FreeImage_GetHeight(picture);
    BitmapPtr turned(FreeImage_Allocate(int(H), int(W), 24, 0, 0, 0));
    if (!turned)
        return nullptr;

    const std::ptrdiff_t pitch = std::ptrdiff_t(FreeImage_GetPitch(picture));
    const SourceLines source{FreeImage_GetScanLine(picture, linesReversed ? int(H) - 1 : 0),
                             linesReversed ? -pitch : pitch};
    std::vector<BYTE> buffer(kBufferPitch * kBlockLines);
    for (unsigned i0 = 0; i0 < W; i0 += kBandColumns) {
        const unsigned i1 = std::min(i0 + kBandColumns, W);
        for (unsigned j0 = 0; j0 < H; j0 += kBlockLines) {
            const unsigned j1 = std::min(j0 + kBlockLines, H);
            GatherBlock(source, columnsReversed ? W - i1 : i0, i1 - i0, j0, j1, buffer.data());
            for (unsigned i = i0; i < i1; ++i)
                ScatterColumn(buffer.data(), columnsReversed ? i1 - 1 - i : i - i0, j0, j1,
                              FreeImage_GetScanLine(turned.get(), int(i)));
        }
    }
    return turned;
}

// Turned left, turned column j reads source scan line H - 1 - j and turned
// scan line i source column i; turned right, scan line j and column W - 1 - i.
BitmapPtr TurnPicture(FIBITMAP* picture, QuarterTurn turn)
{
    const bool left = turn == QuarterTurn::Left;
    return TransposePicture(picture, left, !left);
}
