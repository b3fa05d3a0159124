// How well and how fast F finds faces: recall and false finds on photographs
// of Debian packages, and the time of one search in a 24 MP and a 100 MP picture.
//   bench_faces [photograph-without-people ...]   everything
//   bench_faces --grids                           F's detector on the two grids, with its memory
//   bench_faces --awkward                         time and memory of pictures with nothing to find
#include "bench/FacePhotos.h"
#include "bench/ForkedMeasure.h"
#include "faces/ProfileFaces.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace FacePhotos;

struct Timed {
    std::vector<FaceBox> faces;
    double wallMs, cpuMs;
};

// The median of `runs` searches, wall time and processor time.
Timed TimeSearch(CFaceDetector& detector, FIBITMAP* picture, int runs)
{
    std::vector<double> wall, cpu;
    Timed result;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const std::clock_t startCpu = std::clock();
        result.faces = detector.Find(picture, {}).faces;
        cpu.push_back(double(std::clock() - startCpu) * 1000 / CLOCKS_PER_SEC);
        wall.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    result.wallMs = wall[wall.size() / 2];
    result.cpuMs = cpu[cpu.size() / 2];
    return result;
}

// The highest memory a search of `picture` holds above what the process held
// before, in MB and as a share of the picture's bytes: at the first press of F,
// when the detector is made, or after a search of a small picture.
std::string PeakMemory(const std::function<std::unique_ptr<CFaceDetector>()>& make, FIBITMAP* picture, bool first)
{
    std::unique_ptr<CFaceDetector> detector;
    const Picture small(FreeImage_Allocate(64, 64, 24));
    const auto prepare = [&] {
        detector = make();
        detector->Find(small.get(), {});
    };
    const MeasuredPath search{[&] {
        if (!detector)
            detector = make();
        return detector->Find(picture, {}).failure.isEmpty();
    }, {}};
    const double bytes = first ? PeakBytesInChild({}, search) : PeakBytesAfterPrepare(prepare, search);
    const double share = bytes / (double(FreeImage_GetPitch(picture)) * FreeImage_GetHeight(picture));
    char text[80];
    std::snprintf(text, sizeof text, "%.1f MB (%.1f %% of the picture)", bytes / 1e6, 100 * share);
    return text;
}

void NativeFigures(CFaceDetector& detector, const std::vector<Photo>& labelled, const std::vector<Photo>& empty)
{
    Score total;
    for (const Photo& p : labelled) {
        const Score s = Compare(detector.Find(p.picture.get(), {}).faces, p.faces, 0);
        total.found += s.found, total.faces += s.faces, total.extra += s.extra;
    }
    int boxes = 0, pictures = 0;
    for (const Photo& p : empty) {
        const size_t n = detector.Find(p.picture.get(), {}).faces.size();
        boxes += int(n), pictures += n > 0;
        if (n > 0)
            std::printf("  face placed on %s\n", p.name.c_str());
    }
    std::printf("as shipped: %d of %d labelled faces in %zu photographs, %d boxes beside them; "
                "%d boxes in %d of %zu photographs without people\n",
                total.found, total.faces, labelled.size(), total.extra, boxes, pictures, empty.size());
}

// Turned and looking-down faces: found of how many, boxes beside them, the
// least covered share under their ellipses and the time of the searches.
void TurnedFigures(CFaceDetector& detector, const std::vector<Photo>& turned)
{
    Score total;
    double least = 1, leastProfile = 1, wallMs = 0, cpuMs = 0;
    for (const Photo& p : turned) {
        const Timed t = TimeSearch(detector, p.picture.get(), 1);
        const Score s = Compare(t.faces, p.faces, 0);
        total.found += s.found, total.faces += s.faces, total.extra += s.extra;
        least = std::min(least, LeastCovered(t.faces, p.faces, p.picture.get()));
        leastProfile = std::min(leastProfile, LeastCovered(t.faces, Profiles(p.faces), p.picture.get()));
        wallMs += t.wallMs, cpuMs += t.cpuMs;
    }
    std::printf("turned faces: %d of %d in %zu photographs, %d boxes beside them; least covered under the "
                "ellipses %.0f %% (profiles %.0f %%); %.0f ms (processor %.0f ms)\n",
                total.found, total.faces, turned.size(), total.extra, least * 100, leastProfile * 100, wallMs, cpuMs);
}

// A detector to measure and how the table names it.
struct Candidate {
    std::string name;
    std::function<std::unique_ptr<CFaceDetector>()> make;
};

void MosaicFigures(const std::vector<Photo>& labelled, const std::vector<Photo>& empty, unsigned width,
                   unsigned height, const std::vector<Candidate>& candidates)
{
    std::vector<const Photo*> people, nobody;
    for (const Photo& p : labelled) people.push_back(&p);
    for (const Photo& p : empty) nobody.push_back(&p);
    const double enlarge = width / 3000.0;
    std::vector<FaceBox> faces, none;
    const Picture withPeople = Mosaic(people, width, height, enlarge, &faces);
    const Picture withoutPeople = Mosaic(nobody, width, height, enlarge, &none);
    const int twoPercent = int(0.02 * std::min(width, height) + 0.5);
    for (const Candidate& candidate : candidates) {
        const std::unique_ptr<CFaceDetector> detector = candidate.make();
        const Timed found = TimeSearch(*detector, withPeople.get(), 5);
        const Timed falseFinds = TimeSearch(*detector, withoutPeople.get(), 1);
        const Score big = Compare(found.faces, faces, twoPercent), all = Compare(found.faces, faces, 0);
        std::printf("%5u x %-5u %s: faces >= 2%% (%d px) %d of %d, all %d of %d, %d boxes beside them; "
                    "%zu boxes without people; %.0f ms (processor %.0f ms)\n",
                    width, height, candidate.name.c_str(), twoPercent,
                    big.found, big.faces, all.found, all.faces, all.extra, falseFinds.faces.size(), found.wallMs,
                    found.cpuMs);
        std::fflush(stdout);
    }
}

// The memory of F's search in the grid of labelled photographs; measured before
// any search, whose freed memory a later one would reuse unseen.
void MemoryFigures(const std::vector<Photo>& labelled, unsigned width, unsigned height)
{
    std::vector<const Photo*> people;
    for (const Photo& p : labelled) people.push_back(&p);
    std::vector<FaceBox> faces;
    const Picture withPeople = Mosaic(people, width, height, width / 3000.0, &faces);
    const auto make = [] { return MakeFaceDetector(); };
    std::printf("%5u x %-5u F's search: peak memory %s, at the first F (detector made) %s\n", width, height,
                PeakMemory(make, withPeople.get(), false).c_str(), PeakMemory(make, withPeople.get(), true).c_str());
    std::fflush(stdout);
}

// Pictures with nothing to find, of awkward shapes: a flat gray and a noisy one of each.
void AwkwardFigures()
{
    const std::unique_ptr<CFaceDetector> detector = MakeFaceDetector();
    const unsigned sizes[][2] = {{1, 1}, {1, 60000}, {60000, 1}, {17000, 17000}};
    for (const auto& size : sizes) {
        for (const bool noise : {false, true}) {
            Picture picture(FreeImage_Allocate(int(size[0]), int(size[1]), 24));
            std::minstd_rand random(7);
            for (unsigned y = 0; y < size[1]; ++y) {
                BYTE* line = FreeImage_GetScanLine(picture.get(), int(y));
                for (unsigned x = 0; x < 3 * size[0]; ++x)
                    line[x] = noise ? BYTE(random() >> 8) : 128;
            }
            const Timed found = TimeSearch(*detector, picture.get(), 1);
            std::printf("%5u x %-5u %s: %zu boxes; %.0f ms (processor %.0f ms); peak memory %s\n", size[0], size[1],
                        noise ? "noise" : "gray ", found.faces.size(), found.wallMs, found.cpuMs,
                        PeakMemory([] { return MakeFaceDetector(); }, picture.get(), false).c_str());
            std::fflush(stdout);
        }
    }
}

// The profile check's share of a 24 MP search, at worst: every find of the
// turned-face grid checked as if dlib had turned it down.
void ProfileStepFigure(const std::vector<Photo>& turned)
{
    std::vector<const Photo*> people;
    for (const Photo& p : turned) people.push_back(&p);
    std::vector<FaceBox> faces;
    const Picture grid = Mosaic(people, 6000, 4000, 2.0, &faces);
    const std::vector<FaceBox> found = MakeFaceDetector()->Find(grid.get(), {}).faces;
    CProfileCheck check;
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t startCpu = std::clock();
    const size_t profiles = check.Profiles(grid.get(), found, {}).size();
    const double wallMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const double cpuMs = double(std::clock() - startCpu) * 1000 / CLOCKS_PER_SEC;
    const auto kept = std::count_if(found.begin(), found.end(), [](const FaceBox& f) { return f.facing != 0; });
    std::printf("profile check: kept %td of the search's %zu finds; checking all of them: %zu profiles, %.0f ms "
                "(processor %.0f ms)\n", kept, found.size(), profiles, wallMs, cpuMs);
}

} // namespace

int main(int argc, char** argv)
{
    FreeImage_Initialise();
    const bool awkward = argc > 1 && std::strcmp(argv[1], "--awkward") == 0;
    const bool gridsOnly = argc > 1 && std::strcmp(argv[1], "--grids") == 0;
    if (awkward) {
        AwkwardFigures();
        return 0;
    }
    const std::vector<Photo> labelled = LabelledPhotos();
    if (labelled.empty()) {
        std::printf("no labelled photographs in %s: install libdlib-dev\n", kExamples.c_str());
        return 1;
    }
    const std::vector<Photo> empty =
        PhotosWithoutPeople(std::vector<std::string>(argv + 1 + gridsOnly, argv + argc));
    const std::vector<Candidate> candidates = {
        {"F's (model over tiles)", [] { return MakeFaceDetector(); }},
        {"dlib frontal, 5 MP copy", [] { return MakeHogFaceDetector(kHogSearchPixels); }},
    };
    MemoryFigures(labelled, 6000, 4000);
    MemoryFigures(labelled, 12000, 8400);
    if (gridsOnly) {
        MosaicFigures(labelled, empty, 6000, 4000, {candidates[0]});
        MosaicFigures(labelled, empty, 12000, 8400, {candidates[0]});
        return 0;
    }

    std::printf("F's detector: ");
    NativeFigures(*MakeFaceDetector(), labelled, empty);
    std::vector<std::string> missing;
    const std::vector<Photo> turned = TurnedPhotos(&missing);
    for (const std::string& m : missing)
        std::printf("turned faces: not loaded %s\n", m.c_str());
    TurnedFigures(*MakeFaceDetector(), turned);
    std::printf("dlib frontal, 5 MP copy: ");
    NativeFigures(*MakeHogFaceDetector(kHogSearchPixels), labelled, empty);
    MosaicFigures(labelled, empty, 6000, 4000, candidates);
    MosaicFigures(labelled, empty, 12000, 8400, {candidates[0]});
    std::printf("turned faces: ");
    MosaicFigures(turned, empty, 6000, 4000, {candidates[0]});
    ProfileStepFigure(turned);
    FreeImage_DeInitialise();
    return 0;
}
