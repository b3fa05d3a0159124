// Times the display-copy rebuild for a large photo fitted to a typical window:
// the scan-line route the program uses against a pixel-by-pixel loop.
#include "display/Resampling.h"
#include "document/BitmapPtr.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <random>

namespace {

constexpr unsigned kPictureWidth = 6000, kPictureHeight = 4000;
constexpr unsigned kDisplayHeight = 905;

// Random bytes, written a scan line at a time; per-pixel calls would dominate start-up.
BitmapPtr MakeNoise(unsigned width, unsigned height)
{
    BitmapPtr dib(FreeImage_Allocate(int(width), int(height), 24));
    std::mt19937 random(1);
    std::uniform_int_distribution<int> byte(0, 255);
    for (unsigned y = 0; y < height; ++y) {
        BYTE* line = FreeImage_GetScanLine(dib.get(), int(y));
        for (unsigned i = 0; i < width * 3; ++i)
            line[i] = BYTE(byte(random));
    }
    return dib;
}


double BestMilliseconds(int runs, const std::function<void()>& work)
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

bool SamePixels(FIBITMAP* a, FIBITMAP* b)
{
    const unsigned width = FreeImage_GetWidth(a), height = FreeImage_GetHeight(a);
    for (unsigned y = 0; y < height; ++y)
        if (std::memcmp(FreeImage_GetScanLine(a, int(y)), FreeImage_GetScanLine(b, int(y)), width * 3) != 0)
            return false;
    return true;
}

}  // namespace

int main()
{
    const double scale = double(kDisplayHeight) / kPictureHeight;
    const unsigned dw = unsigned(kPictureWidth * scale + 0.5), dh = kDisplayHeight;
    const BitmapPtr picture = MakeNoise(kPictureWidth, kPictureHeight);
    const BitmapPtr fast(FreeImage_Allocate(int(dw), int(dh), 24));
    const BitmapPtr slow(FreeImage_Allocate(int(dw), int(dh), 24));

    const double fastMs = BestMilliseconds(20, [&] {
        ResampleBilinear(picture.get(), kPictureWidth, kPictureHeight, scale, fast.get());
    });
    const double slowMs = BestMilliseconds(3, [&] {
        ResamplePixelByPixel(picture.get(), kPictureWidth, kPictureHeight, scale, slow.get());
    });
    const bool same = SamePixels(fast.get(), slow.get());

    std::printf("%ux%u shown at %ux%u (scale %.6f)\n", kPictureWidth, kPictureHeight, dw, dh, scale);
    std::printf("scan lines:     %8.2f ms (best of 20)\n", fastMs);
    std::printf("pixel by pixel: %8.2f ms (best of 3)\n", slowMs);
    std::printf("outputs %s\n", same ? "byte-identical" : "DIFFER");
    return same ? 0 : 1;
}
