// Times opening large JPEGs through the program's loader against a bare
// FreeImage_Load of the same file, and compares their peak memory, each
// measured in a fresh process. Inputs are written at run time to a scratch
// folder: photo-like pictures of 24 MP and 100 MP, baseline and progressive.
//
//   bench_loading            the table
//   bench_loading peak WHO FILE   (internal) one load in this process, prints max RSS in KiB
#include "io/PictureLoader.h"

#include <QFile>
#include <QTemporaryDir>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Input {
    const char* name;
    unsigned width, height;
    int saveFlags;
};

const Input kInputs[] = {
    {"24 MP baseline", 6000, 4000, 92},
    {"24 MP progressive", 6000, 4000, 92 | JPEG_PROGRESSIVE},
    {"100 MP baseline", 12000, 8400, 92},
    {"100 MP progressive", 12000, 8400, 92 | JPEG_PROGRESSIVE},
};

// Smooth shading with fine grain, so the file is as large as a camera's.
FIBITMAP* MakePhoto(unsigned width, unsigned height)
{
    FIBITMAP* dib = FreeImage_Allocate(int(width), int(height), 24);
    std::mt19937 random(3);
    std::uniform_int_distribution<int> grain(-12, 12);
    for (unsigned y = 0; y < height; ++y) {
        BYTE* line = FreeImage_GetScanLine(dib, int(y));
        for (unsigned x = 0; x < width; ++x) {
            const int base = int((x * 255ull) / width + (y * 127ull) / height) / 2;
            line[3 * x] = BYTE(std::clamp(base + grain(random), 0, 255));
            line[3 * x + 1] = BYTE(std::clamp(255 - base + grain(random), 0, 255));
            line[3 * x + 2] = BYTE(std::clamp(int((x ^ y) & 0x7F) + grain(random) + 64, 0, 255));
        }
    }
    return dib;
}

BitmapPtr LoadBare(const char* path)
{
    return BitmapPtr(FreeImage_Load(FIF_JPEG, path, JPEG_ACCURATE));
}

BitmapPtr LoadVeilcut(const char* path)
{
    PictureLoadFailure failure = PictureLoadFailure::None;
    return LoadPictureFile(FIF_JPEG, QString::fromLocal8Bit(path), JPEG_ACCURATE, &failure);
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double SecondsFor(const std::function<BitmapPtr()>& load)
{
    const auto start = std::chrono::steady_clock::now();
    BitmapPtr dib = load();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (!dib) {
        std::fprintf(stderr, "load failed\n");
        std::exit(1);
    }
    return took.count();
}

// Runs alternate, so that neither side has the file cache or the machine's
// load to itself.
std::pair<double, double> MedianSeconds(int runs, const char* path)
{
    std::vector<double> ours, bare;
    for (int i = 0; i < runs; ++i) {
        ours.push_back(SecondsFor([&] { return LoadVeilcut(path); }));
        bare.push_back(SecondsFor([&] { return LoadBare(path); }));
    }
    return {Median(ours), Median(bare)};
}

// Runs this program again to load `path` once, in a process of its own.
long PeakKiB(const char* self, const char* who, const std::string& path)
{
    int ends[2];
    if (pipe(ends) != 0)
        return -1;
    const pid_t child = fork();
    if (child == 0) {
        dup2(ends[1], STDOUT_FILENO);
        execl(self, self, "peak", who, path.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(ends[1]);
    char text[64] = {};
    const ssize_t got = read(ends[0], text, sizeof text - 1);
    close(ends[0]);
    waitpid(child, nullptr, 0);
    return got > 0 ? std::atol(text) : -1;
}

int MeasurePeak(const char* who, const char* path)
{
    const BitmapPtr dib = std::strcmp(who, "bare") == 0 ? LoadBare(path) : LoadVeilcut(path);
    if (!dib)
        return 1;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%ld\n", usage.ru_maxrss);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "peak") == 0)
        return MeasurePeak(argv[2], argv[3]);
    QTemporaryDir scratch;
    std::printf("%-20s %8s %9s %9s %6s  %10s %10s %6s\n", "open", "file MB", "veilcut s", "bare s", "ratio",
                "veilcut MB", "bare MB", "ratio");
    for (const Input& input : kInputs) {
        const std::string path = scratch.filePath("photo.jpg").toStdString();
        FIBITMAP* photo = MakePhoto(input.width, input.height);
        FreeImage_Save(FIF_JPEG, photo, path.c_str(), input.saveFlags);
        FreeImage_Unload(photo);
        const int runs = input.width > 8000 ? 3 : 5;
        const auto [ours, bare] = MedianSeconds(runs, path.c_str());
        const double bareMB = double(PeakKiB(argv[0], "bare", path)) / 1024;
        const double oursMB = double(PeakKiB(argv[0], "veilcut", path)) / 1024;
        const double fileMB = double(QFile(QString::fromStdString(path)).size()) / (1 << 20);
        std::printf("%-20s %8.1f %9.3f %9.3f %6.2f  %10.1f %10.1f %6.2f\n", input.name, fileMB, ours, bare,
                    ours / bare, oursMB, bareMB, oursMB / bareMB);
        std::fflush(stdout);
    }
    std::printf("medians of 5 runs (24 MP) and 3 runs (100 MP); peak: max RSS of one load in a fresh process\n");
    return 0;
}
