// Times the quarter turn of large photos: one pixel call per read and write,
// the program's blocked scan-line turn, FreeImage_Rotate, and a plain copy
// into a freshly allocated bitmap (the least any turn into a new bitmap costs).
#include "tests/PixelByPixelTurn.h"
#include "io/BitmapPtr.h"
#include "io/PictureRotation.h"
#include "io/PictureOrientation.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <memory>
#include <random>
#include <vector>

namespace {

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

BitmapPtr AllocateOnly(FIBITMAP* picture)
{
    return BitmapPtr(FreeImage_Allocate(int(FreeImage_GetWidth(picture)), int(FreeImage_GetHeight(picture)), 24));
}

BitmapPtr CopyIntoFresh(FIBITMAP* picture)
{
    BitmapPtr copy = AllocateOnly(picture);
    std::memcpy(FreeImage_GetBits(copy.get()), FreeImage_GetBits(picture),
                std::size_t(FreeImage_GetPitch(picture)) * FreeImage_GetHeight(picture));
    return copy;
}

struct Timing {
    double wall = 0, cpu = 0;   // milliseconds
};

double CpuMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// Medians of `runs` timings; the result of each run is released outside the timing.
// The processor time is printed too because other work on a shared machine
// inflates the wall-clock figures.
Timing Median(int runs, const std::function<BitmapPtr()>& work)
{
    std::vector<double> walls, cpus;
    for (int i = 0; i < runs; ++i) {
        const double cpuStart = CpuMilliseconds();
        const auto start = std::chrono::steady_clock::now();
        BitmapPtr result = work();
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        cpus.push_back(CpuMilliseconds() - cpuStart);
        walls.push_back(took.count());
    }
    std::sort(walls.begin(), walls.end());
    std::sort(cpus.begin(), cpus.end());
    return {walls[walls.size() / 2], cpus[cpus.size() / 2]};
}

void PrintRow(const char* name, const Timing& t)
{
    std::printf("  %-26s %9.1f %9.1f\n", name, t.wall, t.cpu);
}

void PrintRatio(const char* name, const Timing& a, const Timing& b, const char* target)
{
    std::printf("  %-26s %9.2f %9.2f   %s\n", name, a.wall / b.wall, a.cpu / b.cpu, target);
}

bool SamePixels(FIBITMAP* a, FIBITMAP* b)
{
    const unsigned width = FreeImage_GetWidth(a), height = FreeImage_GetHeight(a);
    if (width != FreeImage_GetWidth(b) || height != FreeImage_GetHeight(b))
        return false;
    for (unsigned y = 0; y < height; ++y)
        if (std::memcmp(FreeImage_GetScanLine(a, int(y)), FreeImage_GetScanLine(b, int(y)), width * 3) != 0)
            return false;
    return true;
}

// `work` given a fresh copy of the picture each run, which it consumes: the
// copy is made before the clock starts and released inside the timing, as
// the document releases the picture it turns and the loader the stored
// picture it orients.
Timing MedianOnCopy(int runs, FIBITMAP* picture, const std::function<BitmapPtr(BitmapPtr)>& work)
{
    std::vector<double> walls, cpus;
    for (int i = 0; i < runs; ++i) {
        BitmapPtr copy(FreeImage_Clone(picture));
        const double cpuStart = CpuMilliseconds();
        const auto start = std::chrono::steady_clock::now();
        BitmapPtr result = work(std::move(copy));
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        cpus.push_back(CpuMilliseconds() - cpuStart);
        walls.push_back(took.count());
    }
    std::sort(walls.begin(), walls.end());
    std::sort(cpus.begin(), cpus.end());
    return {walls[walls.size() / 2], cpus[cpus.size() / 2]};
}

Timing MedianOriented(int runs, FIBITMAP* picture, Orientation orientation)
{
    return MedianOnCopy(runs, picture, [orientation](BitmapPtr copy) { return OrientPicture(std::move(copy), orientation); });
}

// The quarter turn as the document applies it: the turned copy replaces the picture.
Timing MedianReplacingTurn(int runs, FIBITMAP* picture, QuarterTurn turn)
{
    return MedianOnCopy(runs, picture, [turn](BitmapPtr copy) { return TurnPicture(copy.get(), turn); });
}

struct Size {
    const char* name;
    unsigned width, height;
    int slowRuns, fastRuns;
};

bool Measure(const Size& size)
{
    const BitmapPtr picture = MakeNoise(size.width, size.height);
    FIBITMAP* p = picture.get();
    std::printf("%s: %ux%u, %.0f MB of pixels\n", size.name, size.width, size.height,
                double(FreeImage_GetPitch(p)) * size.height / 1e6);

    bool same = true;
    for (QuarterTurn turn : {QuarterTurn::Left, QuarterTurn::Right}) {
        const BitmapPtr slow(TurnPixelByPixel(p, turn));
        const BitmapPtr fast(TurnPicture(p, turn));
        same = same && SamePixels(slow.get(), fast.get());
    }

    const Timing slow = Median(size.slowRuns, [&] { return BitmapPtr(TurnPixelByPixel(p, QuarterTurn::Left)); });
    const Timing left = Median(size.fastRuns, [&] { return BitmapPtr(TurnPicture(p, QuarterTurn::Left)); });
    const Timing right = Median(size.fastRuns, [&] { return BitmapPtr(TurnPicture(p, QuarterTurn::Right)); });
    const Timing rotate = Median(size.fastRuns, [&] { return BitmapPtr(FreeImage_Rotate(p, 90)); });
    const Timing copy = Median(size.fastRuns, [&] { return CopyIntoFresh(p); });
    const Timing allocate = Median(size.fastRuns, [&] { return AllocateOnly(p); });
    const Timing turn{std::max(left.wall, right.wall), std::max(left.cpu, right.cpu)};

    std::printf("  medians of %d runs (per-pixel: %d)   wall ms    cpu ms\n", size.fastRuns, size.slowRuns);
    PrintRow("per-pixel definition", slow);
    PrintRow("TurnPicture left", left);
    PrintRow("TurnPicture right", right);
    PrintRow("FreeImage_Rotate 90", rotate);
    PrintRow("copy into fresh bitmap", copy);
    PrintRow("  of which allocating", allocate);
    PrintRatio("turn / FreeImage_Rotate", turn, rotate, "(target <= 1.0)");
    PrintRatio("turn / copy", turn, copy, "(target <= 2.0)");
    PrintRatio("per-pixel / turn", slow, turn, "");
    std::printf("  outputs %s\n", same ? "byte-identical to the per-pixel definition" : "DIFFER");

    // What opening a picture tagged with an orientation costs.
    const Timing turnedRight = MedianOriented(size.fastRuns, p, Orientation::TurnedRight);
    const Timing transposed = MedianOriented(size.fastRuns, p, Orientation::Transposed);
    const Timing halfTurn = MedianOriented(size.fastRuns, p, Orientation::HalfTurn);
    const Timing mirrored = MedianOriented(size.fastRuns, p, Orientation::MirroredAcross);
    PrintRow("orientation 6 (turn right)", turnedRight);
    PrintRow("orientation 5 (transpose)", transposed);
    PrintRow("orientation 3 (in place)", halfTurn);
    PrintRow("orientation 2 (in place)", mirrored);
    const Timing replacingLeft = MedianReplacingTurn(size.fastRuns, p, QuarterTurn::Left);
    const Timing replacingRight = MedianReplacingTurn(size.fastRuns, p, QuarterTurn::Right);
    const Timing replacingTurn{std::max(replacingLeft.wall, replacingRight.wall),
                               std::max(replacingLeft.cpu, replacingRight.cpu)};
    PrintRow("turn replacing the picture", replacingTurn);
    const Timing slowestOrientation{std::max({turnedRight.wall, transposed.wall, halfTurn.wall, mirrored.wall}),
                                    std::max({turnedRight.cpu, transposed.cpu, halfTurn.cpu, mirrored.cpu})};
    PrintRatio("slowest orientation / turn", slowestOrientation, replacingTurn, "(target <= 1.0)");
    return same;
}

}  // namespace

int main(int argc, char** argv)
{
    // "quick" skips the 100 MP picture.
    const bool quick = argc > 1 && std::strcmp(argv[1], "quick") == 0;
    std::setvbuf(stdout, nullptr, _IOLBF, 0);   // each figure as soon as it is measured
    const Size sizes[] = {{"24 MP", 6000, 4000, 3, 9}, {"100 MP", 12000, 8400, 3, 5}};
    bool same = true;
    for (const Size& size : sizes) {
        if (quick && size.width > 6000)
            break;
        same = Measure(size) && same;
    }
    return same ? EXIT_SUCCESS : EXIT_FAILURE;
}
