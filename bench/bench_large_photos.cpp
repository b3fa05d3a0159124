// Times Veilcut's save, open and quarter turn of 24 MP and 100 MP photos
// against bare FreeImage calls in the same run, and prints one table.
//   bench_large_photos                      the table (a few minutes)
//   bench_large_photos saves                 its save rows alone
//   bench_large_photos png-save              the PNG save row alone
//   bench_large_photos turn-and-save IN OUT  Veilcut's open + turn right + save of one file
//   bench_large_photos make-photo OUT W H    a photo-like JPEG (quality 92) to compare with
#include "bench/ForkedMeasure.h"
#include "bench/PhotoMaker.h"

#include "io/MaskBurn.h"
#include "io/PictureFormats.h"
#include "io/PictureLoader.h"
#include "io/PictureRotation.h"
#include "io/PictureWriter.h"

#include <QString>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

struct PhotoSize {
    const char* name;
    unsigned width, height;
    int runs;   // of an open; the quicker saves and turns get more, as their spread is wider
};
const PhotoSize kSizes[] = {{"24 MP", 6000, 4000, 7}, {"100 MP", 12000, 8400, 5}};

constexpr int kInputQuality = 92;
const PictureFormat kBmp = *SaveFormatOf(QStringLiteral(".bmp"));
const PictureFormat kJpeg = *SaveFormatOf(QStringLiteral(".jpg"));
const PictureFormat kPng = *SaveFormatOf(QStringLiteral(".png"));
// A PNG save of 24 MP takes seconds: a few runs tell enough.
constexpr int kPngRuns = 3;
const int kOpenJpegFlags = OpenFormatOf(QStringLiteral(".jpg"))->flags;

int QuickRuns(const PhotoSize& size) { return 2 * size.runs + 1; }

double PictureBytes(const PhotoSize& size) { return double((size.width * 3 + 3) / 4 * 4) * size.height; }

std::string InputPath(const std::string& folder, const PhotoSize& size, bool progressive)
{
    return folder + "/" + std::to_string(size.width) + (progressive ? "-progressive.jpg" : "-baseline.jpg");
}

bool SyncFile(const std::string& path)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
    const bool synced = fd >= 0 && fsync(fd) == 0;
    if (fd >= 0)
        close(fd);
    return synced;
}

// What one child works on; set by `prepare`, so only the child ever holds pictures.
struct Scratch {
    BitmapPtr picture;
    BitmapPtr result;
};
using ScratchPtr = std::shared_ptr<Scratch>;

std::function<void()> MakePicture(const ScratchPtr& s, const PhotoSize& size)
{
    return [s, size] { s->picture = MakePhoto(size.width, size.height); };
}

std::function<void()> DropResult(const ScratchPtr& s) { return [s] { s->result.reset(); }; }

// The result must exist, so that a failing path shows in the table.
template <typename Make>
MeasuredPath MakeResult(const ScratchPtr& s, Make make)
{
    return {[s, make] {
                s->result = BitmapPtr(make(s.get()));
                return s->result != nullptr;
            },
            DropResult(s)};
}

struct Row {
    std::string operation;
    std::function<void()> prepare;   // shared by both paths
    MeasuredPath veilcut;
    std::string floorName;
    MeasuredPath floor;
    double target;   // largest acceptable ratio; 0: none
    const PhotoSize* size;
    int runs;
};

// A face-sized ellipse: the middle third of the picture each way.
PictureEllipse FaceOf(const PhotoSize& size)
{
    return {int(size.width / 3), int(size.height / 3), int(size.width * 2 / 3), int(size.height * 2 / 3)};
}

// A group photo: 30 faces in six columns and five rows.
std::vector<PictureEllipse> GroupOf(const PhotoSize& size)
{
    std::vector<PictureEllipse> faces;
    const int w = int(size.width / 6), h = int(size.height / 5);
    for (int row = 0; row < 5; ++row)
        for (int column = 0; column < 6; ++column)
            faces.push_back({column * w + w / 4, row * h + h / 8, column * w + w * 3 / 4, row * h + h * 7 / 8});
    return faces;
}

// The document's road: burn with the originals kept, write, check.
MeasuredPath BurnAndSave(const ScratchPtr& s, PictureFormat format, const std::string& target,
                         const std::vector<PictureEllipse>& ellipses)
{
    return {[s, format, target, ellipses] {
                const UndoableBurn burn(s->picture.get(), ellipses);
                return WritePictureFile(s->picture.get(), format.format, format.flags, QString::fromStdString(target),
                                        ellipses);
            },
            [target] { std::remove(target.c_str()); }};
}

// Veilcut's save burns the ellipse and reads the file back to check it before
// it replaces anything; the floor writes the same burnt picture.
Row SaveRow(const PhotoSize& size, const char* formatName, PictureFormat format, const std::string& target)
{
    const auto s = std::make_shared<Scratch>();
    const PictureEllipse face = FaceOf(size);
    const std::function<void()> removeTarget = [target] { std::remove(target.c_str()); };
    const std::function<void()> prepare = [s, size, face] {
        s->picture = MakePhoto(size.width, size.height);
        BurnEllipses(s->picture.get(), size.width, size.height, {face});
    };
    const MeasuredPath veilcut = BurnAndSave(s, format, target, {face});
    const MeasuredPath floor{[s, format, target] {
                                 return FreeImage_Save(format.format, s->picture.get(), target.c_str(), format.flags) &&
                                        SyncFile(target);
                             },
                             removeTarget};
    return {std::string("save ") + formatName + " " + size.name + ", checked", prepare, veilcut,
            "FreeImage_Save + fsync", floor, 1.3, &size, format.format == FIF_PNG ? kPngRuns : QuickRuns(size)};
}

// Thirty faces against one, both burnt and checked: the burn and the check grow with the covered pixels only.
Row GroupSaveRow(const PhotoSize& size, const std::string& target)
{
    const auto s = std::make_shared<Scratch>();
    const std::vector<PictureEllipse> group = GroupOf(size);
    const std::function<void()> prepare = [s, size, group] {
        s->picture = MakePhoto(size.width, size.height);
        BurnEllipses(s->picture.get(), size.width, size.height, group);
    };
    return {std::string("save JPEG ") + size.name + ", 30 ellipses, checked", prepare,
            BurnAndSave(s, kJpeg, target, group), "the same with one of them", BurnAndSave(s, kJpeg, target, {group[0]}),
            1.1, &size, QuickRuns(size)};
}

Row OpenRow(const PhotoSize& size, const std::string& input, const char* kind)
{
    const auto s = std::make_shared<Scratch>();
    const MeasuredPath veilcut = MakeResult(s, [input](Scratch*) {
        PictureLoadFailure failure{};
        return LoadPictureFile(FIF_JPEG, QString::fromStdString(input), kOpenJpegFlags, &failure);
    });
    const MeasuredPath floor =
        MakeResult(s, [input](Scratch*) { return FreeImage_Load(FIF_JPEG, input.c_str(), kOpenJpegFlags); });
    return {std::string("open ") + kind + " JPEG " + size.name, nullptr, veilcut, "FreeImage_Load", floor, 1.1, &size,
            size.runs};
}

FIBITMAP* CopyIntoNewBitmap(FIBITMAP* from)
{
    FIBITMAP* copy = FreeImage_Allocate(int(FreeImage_GetWidth(from)), int(FreeImage_GetHeight(from)), 24);
    if (copy)
        std::memcpy(FreeImage_GetBits(copy), FreeImage_GetBits(from),
                    size_t(FreeImage_GetPitch(from)) * FreeImage_GetHeight(from));
    return copy;
}

std::vector<Row> TurnRows(const PhotoSize& size)
{
    const auto s = std::make_shared<Scratch>();
    const MeasuredPath turn =
        MakeResult(s, [](Scratch* t) { return TurnPicture(t->picture.get(), QuarterTurn::Right); });
    const MeasuredPath rotate = MakeResult(s, [](Scratch* t) { return FreeImage_Rotate(t->picture.get(), -90); });
    const MeasuredPath copy = MakeResult(s, [](Scratch* t) { return CopyIntoNewBitmap(t->picture.get()); });
    const std::string name = std::string("quarter turn ") + size.name;
    return {{name, MakePicture(s, size), turn, "FreeImage_Rotate", rotate, 1.0, &size, QuickRuns(size)},
            {name, MakePicture(s, size), turn, "copy into a new bitmap", copy, 2.0, &size, QuickRuns(size)}};
}

// Veilcut's own road of a picture, as the program takes it.
bool TurnAndSave(const std::string& input, const std::string& output)
{
    const std::optional<PictureFormat> in = OpenFormatOf(QString::fromStdString(input));
    const std::optional<PictureFormat> out = SaveFormatOf(QString::fromStdString(output));
    if (!in || !out)
        return false;
    PictureLoadFailure failure{};
    BitmapPtr picture(LoadPictureFile(in->format, QString::fromStdString(input), in->flags, &failure));
    if (picture && FreeImage_GetBPP(picture.get()) != 24)
        picture.reset(FreeImage_ConvertTo24Bits(picture.get()));
    if (!picture)
        return false;
    picture = TurnPicture(picture.get(), QuarterTurn::Right);
    if (!picture)
        return false;
    return WritePictureFile(picture.get(), out->format, out->flags, QString::fromStdString(output));
}

// The same road through bare FreeImage calls.
bool BareTurnAndSave(const std::string& input, const std::string& output)
{
    BitmapPtr picture(FreeImage_Load(FIF_JPEG, input.c_str(), kOpenJpegFlags));
    if (picture)
        picture.reset(FreeImage_Rotate(picture.get(), -90));
    return picture && FreeImage_Save(kJpeg.format, picture.get(), output.c_str(), kJpeg.flags) && SyncFile(output);
}

Row WholeRoadRow(const PhotoSize& size, const std::string& input, const std::string& output)
{
    const std::function<void()> removeOutput = [output] { std::remove(output.c_str()); };
    return {std::string("open + turn + save JPEG ") + size.name, nullptr, {[=] { return TurnAndSave(input, output); }, removeOutput},
            "the same with bare FreeImage", {[=] { return BareTurnAndSave(input, output); }, removeOutput}, 0, &size,
            size.runs};
}

bool MakeInputs(const std::string& folder)
{
    for (const PhotoSize& size : kSizes) {
        const BitmapPtr photo = MakePhoto(size.width, size.height);
        for (const bool progressive : {false, true}) {
            const int flags = kInputQuality | (progressive ? JPEG_PROGRESSIVE : 0);
            if (!photo || !FreeImage_Save(FIF_JPEG, photo.get(), InputPath(folder, size, progressive).c_str(), flags))
                return false;
        }
    }
    return true;
}

// Which rows of the table to measure.
enum class Rows { All, Saves, PngSave };

std::vector<Row> AllRows(const std::string& folder, Rows which)
{
    if (which == Rows::PngSave)
        return {SaveRow(kSizes[0], "PNG", kPng, folder + "/saved.png")};
    const bool savesOnly = which == Rows::Saves;
    std::vector<Row> rows;
    for (const PhotoSize& size : kSizes) {
        rows.push_back(SaveRow(size, "BMP", kBmp, folder + "/saved.bmp"));
        rows.push_back(SaveRow(size, "JPEG", kJpeg, folder + "/saved.jpg"));
    }
    rows.push_back(GroupSaveRow(kSizes[0], folder + "/group.jpg"));
    rows.push_back(SaveRow(kSizes[0], "PNG", kPng, folder + "/saved.png"));
    if (savesOnly)
        return rows;
    for (const PhotoSize& size : kSizes)
        for (const bool progressive : {false, true})
            rows.push_back(OpenRow(size, InputPath(folder, size, progressive), progressive ? "progressive" : "baseline"));
    for (const PhotoSize& size : kSizes)
        for (Row& row : TurnRows(size))
            rows.push_back(std::move(row));
    const PhotoSize& large = kSizes[1];
    rows.push_back(WholeRoadRow(large, InputPath(folder, large, false), folder + "/turned.jpg"));
    return rows;
}

std::string Fixed(double value, int decimals)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string Milliseconds(double ms) { return std::to_string(long(ms + 0.5)) + " ms"; }

std::string TimesPicture(double peakBytes, double pictureBytes)
{
    return peakBytes > 0 ? Fixed(peakBytes / pictureBytes, 2) + "×" : "FAILED";
}

bool MeasureRow(const Row& row)
{
    const PairFigures times = TimeInTurns(row.prepare, row.veilcut, row.floor, row.runs);
    const double veilcutPeak = PeakBytesInChild(row.prepare, row.veilcut);
    const double floorPeak = PeakBytesInChild(row.prepare, row.floor);
    const double bytes = PictureBytes(*row.size);
    const std::string target = row.target > 0 ? "≤ " + Fixed(row.target, 1) : "";
    // Judged as printed: the runs' spread is far wider than the rounding.
    const std::string ratio = Fixed(times.ratio, 2);
    const char* verdict = row.target <= 0 || !times.ok ? "" : std::stod(ratio) <= row.target ? "yes" : "NO";
    std::printf("| %s | %d | %s | %s | %s | %s | %s %s | %s | %s |\n", row.operation.c_str(), row.runs,
                times.ok ? Milliseconds(times.firstMs).c_str() : "FAILED",
                times.ok ? Milliseconds(times.secondMs).c_str() : "FAILED", row.floorName.c_str(),
                ratio.c_str(), target.c_str(), verdict, TimesPicture(veilcutPeak, bytes).c_str(),
                TimesPicture(floorPeak, bytes).c_str());
    std::fflush(stdout);
    return times.ok && veilcutPeak > 0 && floorPeak > 0;
}

std::string CpuModel()
{
    std::ifstream cpuinfo("/proc/cpuinfo");
    for (std::string line; std::getline(cpuinfo, line);)
        if (line.rfind("model name", 0) == 0)
            return line.substr(line.find(':') + 2);
    return "unknown";
}

int PrintTable(Rows which)
{
    const std::string folder = (std::filesystem::temp_directory_path() / ("veilcut-bench-" + std::to_string(getpid())))
                                   .string();
    std::filesystem::create_directories(folder);
    std::printf("%ld cores, %s, %.1f GiB RAM\n\n", sysconf(_SC_NPROCESSORS_ONLN), CpuModel().c_str(),
                double(sysconf(_SC_PHYS_PAGES)) * double(sysconf(_SC_PAGESIZE)) / (1 << 30));
    if (which == Rows::All && PeakBytesInChild(nullptr, {[&] { return MakeInputs(folder); }, nullptr}) <= 0) {
        std::fprintf(stderr, "could not write the input photos into %s\n", folder.c_str());
        return 1;
    }
    std::printf("| operation | runs | Veilcut | floor | floor path | ratio | target | Veilcut peak | floor peak |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|\n");
    bool allOk = true;
    for (const Row& row : AllRows(folder, which))
        allOk = MeasureRow(row) && allOk;
    std::printf("\nTimes: medians; Veilcut's path and the floor run in turn in one process. Ratio: the median of "
                "the runs' ratios.\nPeaks: one run in a process of its own, its highest resident memory above its "
                "start (picture made or none), as a multiple of the picture's bytes (24 bits a pixel).\n"
                "Target for open + turn + save of the 100 MP picture: at most 2.3 times its bytes.\n");
    std::filesystem::remove_all(folder);
    return allOk ? 0 : 1;
}

int MakePhotoFile(const char* path, const char* width, const char* height)
{
    const BitmapPtr photo = MakePhoto(unsigned(std::atoi(width)), unsigned(std::atoi(height)));
    return photo && FreeImage_Save(FIF_JPEG, photo.get(), path, kInputQuality) ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "turn-and-save") == 0)
        return TurnAndSave(argv[2], argv[3]) ? 0 : 1;
    if (argc == 5 && std::strcmp(argv[1], "make-photo") == 0)
        return MakePhotoFile(argv[2], argv[3], argv[4]);
    if (argc == 1)
        return PrintTable(Rows::All);
    if (argc == 2 && std::strcmp(argv[1], "saves") == 0)
        return PrintTable(Rows::Saves);
    if (argc == 2 && std::strcmp(argv[1], "png-save") == 0)
        return PrintTable(Rows::PngSave);
    std::fprintf(stderr, "usage: %s [saves | png-save | turn-and-save IN OUT | make-photo OUT WIDTH HEIGHT]\n",
                 argv[0]);
    return 2;
}
