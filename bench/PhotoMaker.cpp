#include "bench/PhotoMaker.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

// One channel's value along one axis: a slow sweep and a livelier ripple.
std::vector<int> Wave(unsigned length, double slow, double lively, int depth, int offset)
{
    std::vector<int> values(length);
    for (unsigned i = 0; i < length; ++i) {
        const double t = double(i) / length;
        values[i] = offset + int(depth * (std::sin(slow * t) + 0.35 * std::sin(lively * t + 1.3 * std::sin(7 * t))));
    }
    return values;
}

BYTE Clamp(int v) { return BYTE(v < 0 ? 0 : v > 255 ? 255 : v); }

} // namespace

BitmapPtr MakePhoto(unsigned width, unsigned height)
{
    BitmapPtr dib(FreeImage_Allocate(int(width), int(height), 24));
    if (!dib)
        return dib;
    const std::vector<int> columns[3] = {Wave(width, 3.1, 140, 40, 60), Wave(width, 2.3, 230, 45, 70),
                                         Wave(width, 1.7, 310, 35, 50)};
    const std::vector<int> rows[3] = {Wave(height, 2.9, 170, 30, 40), Wave(height, 4.1, 90, 35, 40),
                                      Wave(height, 1.3, 260, 40, 60)};
    std::uint32_t grain = 2463534242u;
    for (unsigned y = 0; y < height; ++y) {
        BYTE* pixel = FreeImage_GetScanLine(dib.get(), int(y));
        for (unsigned x = 0; x < width; ++x, pixel += 3) {
            grain ^= grain << 13;
            grain ^= grain >> 17;
            grain ^= grain << 5;
            const int noise = int(grain & 15) - 7;
            for (int c = 0; c < 3; ++c)
                pixel[c] = Clamp(columns[c][x] + rows[c][y] + noise);
        }
    }
    return dib;
}
