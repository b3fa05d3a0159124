#include "faces/ReducedGray.h"

#include <cstdint>
#include <vector>

namespace {
// Output bin of each input position: input i falls into bin i * outCount / inCount.
std::vector<unsigned> Bins(unsigned inCount, unsigned outCount)
{
    std::vector<unsigned> bins(inCount);
    for (unsigned i = 0; i < inCount; ++i)
        bins[i] = unsigned(std::uint64_t(i) * outCount / inCount);
    return bins;
}
} // namespace

void ReduceToGray(FIBITMAP* picture, unsigned outWidth, unsigned outHeight, unsigned char* out, std::ptrdiff_t stride)
{
    const unsigned width = FreeImage_GetWidth(picture), height = FreeImage_GetHeight(picture);
    const std::vector<unsigned> columns = Bins(width, outWidth);
    const std::vector<unsigned> rows = Bins(height, outHeight);
    std::vector<unsigned> columnCount(outWidth, 0);
    for (unsigned bin : columns)
        ++columnCount[bin];
    // Sums of luma times 256, one output row at a time: 64 bits leave room for any bin.
    std::vector<std::uint64_t> sums(outWidth, 0);
    unsigned rowsInBin = 0;
    for (unsigned y = 0; y < height; ++y) {
        const BYTE* pixel = FreeImage_GetScanLine(picture, int(height - 1 - y));
        for (unsigned x = 0; x < width; ++x, pixel += 3)
            sums[columns[x]] += 29u * pixel[FI_RGBA_BLUE] + 150u * pixel[FI_RGBA_GREEN] + 77u * pixel[FI_RGBA_RED];
        ++rowsInBin;
        if (y + 1 == height || rows[y + 1] != rows[y]) {
            unsigned char* target = out + stride * std::ptrdiff_t(rows[y]);
            for (unsigned x = 0; x < outWidth; ++x) {
                const std::uint64_t count = std::uint64_t(columnCount[x]) * rowsInBin * 256;
                target[x] = (unsigned char)((sums[x] + count / 2) / count);
                sums[x] = 0;
            }
            rowsInBin = 0;
        }
    }
}
