// Times the display-copy rebuild for large photos fitted to a 1600x940 view,
// as a live resize rebuilds it, against a pixel-by-pixel loop.
#include "display/Resampling.h"
#include "io/BitmapPtr.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <memory>
#include <random>
#include <vector>

namespace {

constexpr int kViewWidth = 1600, kViewHeight = 940;
constexpr int kRuns = 30;

struct Photo {
    const char* name;
    unsigned width, height;
    double targetMs;
};
constexpr Photo kPhotos[] = {{"24 MP", 6000, 4000, 4.0}, {"100 MP", 12000, 8400, 8.0}};

// Random bytes, written a scan line at a time; per-pixel calls would dominate start-up.
BitmapPtr MakeNoise(unsigned width, unsigned height)
{
    BitmapPtr dib(FreeImage_Allocate(int(width), int(height), 24));
    std::mt19937 random(1);
    for (unsigned y = 0; y < height; ++y) {
        BYTE* line = FreeImage_GetScanLine(dib.get(), int(y));
        for (unsigned i = 0; i < width * 3; ++i)
            line[i] = BYTE(random());
    }
    return dib;
}

double ProcessCpuMilliseconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Milliseconds of each run, sorted, and the processor time of all threads
// over all runs: on a busy machine the wall time shows the neighbours too.
std::vector<double> Milliseconds(int runs, const std::function<void()>& work, double* cpuMs = nullptr)
{
    std::vector<double> times;
    const double cpuStart = ProcessCpuMilliseconds();
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        times.push_back(took.count());
    }
    if (cpuMs)
        *cpuMs = (ProcessCpuMilliseconds() - cpuStart) / runs;
    std::sort(times.begin(), times.end());
    return times;
}

bool SamePixels(FIBITMAP* a, FIBITMAP* b)
{
    const unsigned width = FreeImage_GetWidth(a), height = FreeImage_GetHeight(a);
    for (unsigned y = 0; y < height; ++y)
        if (std::memcmp(FreeImage_GetScanLine(a, int(y)), FreeImage_GetScanLine(b, int(y)), width * 3) != 0)
            return false;
    return true;
}

// Lays the photo out as the view does and times the rebuild; true when it matches the oracle.
bool Measure(const Photo& photo)
{
    const double scale = std::min(double(kViewWidth) / photo.width, double(kViewHeight) / photo.height);
    const unsigned dw = unsigned(photo.width * scale + 0.5), dh = unsigned(photo.height * scale + 0.5);
    const BitmapPtr picture = MakeNoise(photo.width, photo.height);
    const BitmapPtr fast(FreeImage_Allocate(int(dw), int(dh), 24));
    const BitmapPtr slow(FreeImage_Allocate(int(dw), int(dh), 24));

    double cpuMs = 0;
    const std::vector<double> fastMs = Milliseconds(kRuns, [&] {
        ResampleBilinear(picture.get(), photo.width, photo.height, scale, fast.get());
    }, &cpuMs);
    const std::vector<double> slowMs = Milliseconds(1, [&] {
        ResamplePixelByPixel(picture.get(), photo.width, photo.height, scale, slow.get());
    });
    const bool same = SamePixels(fast.get(), slow.get());
    const double best = fastMs.front(), median = fastMs[fastMs.size() / 2];

    std::printf("%s: %ux%u shown at %ux%u in a %dx%d view (scale %.6f)\n", photo.name, photo.width,
                photo.height, dw, dh, kViewWidth, kViewHeight, scale);
    std::printf("  rebuild:        best %6.2f ms, median %6.2f ms, worst %6.2f ms of %d; target %.0f ms: %s\n",
                best, median, fastMs.back(), kRuns, photo.targetMs, median <= photo.targetMs ? "met" : "MISSED");
    std::printf("  processor time of both threads: %6.2f ms a rebuild\n", cpuMs);
    std::printf("  pixel by pixel: %8.2f ms\n", slowMs.front());
    std::printf("  outputs %s\n", same ? "byte-identical" : "DIFFER");
    return same;
}

}  // namespace

int main()
{
    bool same = true;
    for (const Photo& photo : kPhotos)
        same = Measure(photo) && same;
    return same ? 0 : 1;
}
