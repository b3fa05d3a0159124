// Times the rebuild of the image the view paints for large photos in a
// 1600x940 view, fitted as a live resize rebuilds it and zoomed or panned as
// each wheel step rebuilds it, against the pixel-by-pixel definition.
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
#include <utility>
#include <vector>

namespace {

constexpr int kViewWidth = 1600, kViewHeight = 940;
constexpr int kRuns = 30;

// A zoom or pan step, whatever the picture.
constexpr double kStepTargetMs = 8.0;

struct Photo {
    const char* name;
    unsigned width, height;
    double fittedTargetMs;  // a live resize of the fitted view
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

// True when the upright image shows the bitmap's pixels, scan line 0 at the bottom.
bool SamePixels(FIBITMAP* expected, const QImage& image)
{
    const unsigned width = FreeImage_GetWidth(expected), height = FreeImage_GetHeight(expected);
    if (image.width() != int(width) || image.height() != int(height))
        return false;
    for (unsigned y = 0; y < height; ++y) {
        const BYTE* line = FreeImage_GetScanLine(expected, int(y));
        const auto* shown = reinterpret_cast<const QRgb*>(image.scanLine(int(height - 1 - y)));
        for (unsigned x = 0; x < width; ++x, line += 3)
            if (shown[x] != qRgb(line[FI_RGBA_RED], line[FI_RGBA_GREEN], line[FI_RGBA_BLUE]))
                return false;
    }
    return true;
}

// One step the view takes: the fitted layout, or a zoom into the middle of the picture.
struct Step {
    const char* name;
    double scale;  // 0 for the fitted view
    SampleRule rule;
};
constexpr Step kSteps[] = {{"fitted", 0.0, SampleRule::Bilinear},
                           {"zoom 50 %", 0.5, SampleRule::Bilinear},
                           {"zoom 80 %, panned", 0.8, SampleRule::Bilinear},
                           {"zoom 100 %", 1.0, SampleRule::Nearest},
                           {"zoom 400 %", 4.0, SampleRule::Nearest}};

// What the view shows for a step: the display size and the area of the picture.
QSize ShownSize(const Photo& photo, double scale)
{
    return QSize(std::min(kViewWidth, int(photo.width * scale + 0.5)),
                 std::min(kViewHeight, int(photo.height * scale + 0.5)));
}

// Times the whole rebuild up to the image the paint copies; true when it matches the oracle.
bool Measure(const Photo& photo, FIBITMAP* picture, const Step& step)
{
    const double fitted = std::min(double(kViewWidth) / photo.width, double(kViewHeight) / photo.height);
    SourceArea area{step.scale > 0 ? step.scale : fitted, 0.0, 0.0, step.rule};
    const QSize size = ShownSize(photo, area.scale);
    if (step.scale > 0) {
        // Centred on a point a little off the middle, so the origin is fractional.
        area.left = photo.width * 0.41 - size.width() / area.scale / 2;
        area.bottom = photo.height * 0.53 - size.height() / area.scale / 2;
    }
    const BitmapPtr slow(FreeImage_Allocate(size.width(), size.height(), 24));

    QImage shown;
    double cpuMs = 0;
    const std::vector<double> fastMs = Milliseconds(kRuns, [&] {
        // As the view does: the last copy's memory is written over.
        shown = ResampleToImage(picture, photo.width, photo.height, area, size, ResampleRoute::Fastest,
                                std::move(shown));
    }, &cpuMs);
    const std::vector<double> slowMs = Milliseconds(1, [&] {
        ResamplePixelByPixel(picture, photo.width, photo.height, area, slow.get());
    });
    const bool same = SamePixels(slow.get(), shown);
    const double median = fastMs[fastMs.size() / 2];
    const double targetMs = step.scale > 0 ? kStepTargetMs : photo.fittedTargetMs;

    std::printf("%-7s %-18s %4dx%-4d scale %.6f: best %6.2f, median %6.2f, worst %6.2f ms; "
                "processor %6.2f ms; target %.0f ms %s; per pixel %7.1f ms; %s\n",
                photo.name, step.name, size.width(), size.height(), area.scale, fastMs.front(), median,
                fastMs.back(), cpuMs, targetMs, median <= targetMs ? "met" : "MISSED", slowMs.front(),
                same ? "byte-identical" : "DIFFER");
    return same;
}

}  // namespace

int main()
{
    std::printf("Rebuilds of the shown image in a %dx%d view, %d runs each (wall times; processor time of both threads)\n",
                kViewWidth, kViewHeight, kRuns);
    bool same = true;
    for (const Photo& photo : kPhotos) {
        const BitmapPtr picture = MakeNoise(photo.width, photo.height);
        for (const Step& step : kSteps)
            same = Measure(photo, picture.get(), step) && same;
    }
    return same ? 0 : 1;
}
