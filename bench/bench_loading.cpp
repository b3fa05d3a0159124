// Times opening large JPEGs through the program's loader against a bare
// FreeImage_Load of the same file, and compares their peak memory, each
// measured in a fresh process. Inputs are written at run time to a scratch
// folder: photo-like pictures of 24 MP and 100 MP, baseline and progressive.
//
//   bench_loading            the JPEG table, then the other formats' table
//   bench_loading formats    the other formats' table alone: a 12 MP photo as
//                            PNG, WebP, TIFF and HEIC, the program's open (format
//                            from the bytes, checks, 24 bits, orientation) against
//                            bare decodes of the same file by FreeImage and by the
//                            format's own library
//   bench_loading peak WHO FILE   (internal) one load in this process, prints max RSS in KiB
#include "io/ContentFormat.h"
#include "io/PictureLoader.h"
#include "io/PictureOpening.h"
#include "tests/PictureFiles.h"

#include <libheif/heif.h>
#include <tiffio.h>
#include <webp/decode.h>

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

// Bare decodes, each as its library's own example would do it.
BitmapPtr FreeImageDecode(FREE_IMAGE_FORMAT format, const QByteArray& file)
{
    FIMEMORY* memory = FreeImage_OpenMemory(reinterpret_cast<BYTE*>(const_cast<char*>(file.constData())),
                                            DWORD(file.size()));
    BitmapPtr dib(FreeImage_LoadFromMemory(format, memory, 0));
    FreeImage_CloseMemory(memory);
    return dib;
}

BitmapPtr Held(void* pixels)
{
    // A stand-in bitmap, so that every decode returns the same kind of thing.
    return pixels ? BitmapPtr(FreeImage_Allocate(1, 1, 24)) : nullptr;
}

BitmapPtr LibwebpDecode(const QByteArray& file)
{
    int width = 0, height = 0;
    uint8_t* pixels = WebPDecodeBGR(reinterpret_cast<const uint8_t*>(file.constData()), std::size_t(file.size()),
                                    &width, &height);
    BitmapPtr held = Held(pixels);
    WebPFree(pixels);
    return held;
}

BitmapPtr LibtiffDecode(const std::string& path)
{
    TIFF* tiff = TIFFOpen(path.c_str(), "r");
    std::uint32_t width = 0, height = 0;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
    std::vector<std::uint32_t> raster(std::size_t(width) * height);
    const bool read = TIFFReadRGBAImage(tiff, width, height, raster.data(), 0);
    TIFFClose(tiff);
    return Held(read ? raster.data() : nullptr);
}

BitmapPtr LibheifDecode(const QByteArray& file)
{
    heif_context* context = heif_context_alloc();
    heif_context_read_from_memory_without_copy(context, file.constData(), std::size_t(file.size()), nullptr);
    heif_image_handle* handle = nullptr;
    heif_context_get_primary_image_handle(context, &handle);
    heif_image* image = nullptr;
    heif_decode_image(handle, &image, heif_colorspace_RGB, heif_chroma_interleaved_RGB, nullptr);
    BitmapPtr held = Held(image);
    heif_image_release(image);
    heif_image_handle_release(handle);
    heif_context_free(context);
    return held;
}

int FormatsTable()
{
    QTemporaryDir scratch;
    FIBITMAP* photo = MakePhoto(4000, 3000);
    std::printf("\n%-6s %8s %9s %12s %12s %6s\n", "12 MP", "file MB", "veilcut s", "FreeImage s", "own lib s",
                "ratio");
    struct Row {
        const char* name;
        FREE_IMAGE_FORMAT format;
    };
    for (const Row& row : {Row{"PNG", FIF_PNG}, Row{"WebP", FIF_WEBP}, Row{"TIFF", FIF_TIFF},
                           Row{"HEIC", kHeifFormat}}) {
        const QByteArray file = EncodeInFormat(row.format, photo);
        const std::string path = scratch.filePath(QStringLiteral("photo")).toStdString();
        QFile out(QString::fromStdString(path));
        if (!out.open(QIODevice::WriteOnly) || out.write(file) != file.size())
            return 1;
        out.close();
        const QString qpath = QString::fromStdString(path);
        const auto ours = [&] { return OpenPictureFile(qpath).picture; };
        const auto freeImage = [&] { return FreeImageDecode(row.format, file); };
        const std::function<BitmapPtr()> own = row.format == FIF_WEBP   ? std::function<BitmapPtr()>([&] { return LibwebpDecode(file); })
                                               : row.format == FIF_TIFF ? std::function<BitmapPtr()>([&] { return LibtiffDecode(path); })
                                               : row.format == kHeifFormat ? std::function<BitmapPtr()>([&] { return LibheifDecode(file); })
                                                                           : std::function<BitmapPtr()>(freeImage);
        std::vector<double> o, f, l;
        for (int i = 0; i < 5; ++i) {
            o.push_back(SecondsFor(ours));
            if (row.format != kHeifFormat)
                f.push_back(SecondsFor(freeImage));
            l.push_back(SecondsFor(own));
        }
        const double bare = row.format == kHeifFormat ? Median(l) : std::min(Median(f), Median(l));
        std::printf("%-6s %8.1f %9.3f %12s %12.3f %6.2f\n", row.name, double(file.size()) / (1 << 20), Median(o),
                    f.empty() ? "-" : QByteArray::number(Median(f), 'f', 3).constData(), Median(l),
                    Median(o) / bare);
        std::fflush(stdout);
    }
    FreeImage_Unload(photo);
    std::printf("medians of 5 alternating runs; ratio: veilcut over the faster bare decode (target <= 1.05)\n");
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "peak") == 0)
        return MeasurePeak(argv[2], argv[3]);
    if (argc == 2 && std::strcmp(argv[1], "formats") == 0)
        return FormatsTable();
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
    return FormatsTable();
}
