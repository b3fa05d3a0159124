// How well and how fast F finds faces: recall and false finds on photographs
// of Debian packages, and the time of one search in a 24 MP and a 100 MP picture.
//   bench_faces [photograph-without-people ...]
#include "faces/FaceDetector.h"

#include <QFile>
#include <QXmlStreamReader>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Unloader {
    void operator()(FIBITMAP* dib) const { if (dib) FreeImage_Unload(dib); }
};
using Picture = std::unique_ptr<FIBITMAP, Unloader>;

// Labelled photographs with people and a few without, shipped by libdlib19.1.
const std::string kExamples = "/usr/share/doc/libdlib19.1/examples/";

struct Photo {
    std::string name;
    Picture picture;
    std::vector<FaceBox> faces;
};

Picture Load(const std::string& path)
{
    Picture loaded(FreeImage_Load(FreeImage_GetFileType(path.c_str()), path.c_str(), 0));
    return Picture(loaded ? FreeImage_ConvertTo24Bits(loaded.get()) : nullptr);
}

std::vector<Photo> LabelledPhotos()
{
    std::vector<Photo> photos;
    for (const char* labels : {"faces/training.xml", "faces/testing.xml"}) {
        QFile file(QString::fromStdString(kExamples + labels));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        QXmlStreamReader xml(&file);
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            const QXmlStreamAttributes a = xml.attributes();
            if (xml.name() == QLatin1String("image")) {
                const std::string name = "faces/" + a.value("file").toString().toStdString();
                photos.push_back({name, Load(kExamples + name), {}});
            } else if (xml.name() == QLatin1String("box")) {
                photos.back().faces.push_back({a.value("left").toInt(), a.value("top").toInt(),
                                               a.value("width").toInt(), a.value("height").toInt()});
            }
        }
    }
    return photos;
}

bool CentreInside(const FaceBox& inner, const FaceBox& outer)
{
    const int x = inner.left + inner.width / 2, y = inner.top + inner.height / 2;
    return x >= outer.left && x < outer.left + outer.width && y >= outer.top && y < outer.top + outer.height;
}

struct Score {
    int found = 0, faces = 0, extra = 0;
};

// Faces of at least `minSide` pixels found; every box that matches no label is extra.
Score Compare(const std::vector<FaceBox>& found, const std::vector<FaceBox>& labels, int minSide)
{
    Score score;
    std::vector<bool> used(found.size());
    for (const FaceBox& label : labels) {
        const bool counts = std::min(label.width, label.height) >= minSide;
        score.faces += counts;
        for (size_t i = 0; i < found.size(); ++i) {
            if (!used[i] && CentreInside(found[i], label) && CentreInside(label, found[i])) {
                used[i] = true;
                score.found += counts;
                break;
            }
        }
    }
    score.extra = int(std::count(used.begin(), used.end(), false));
    return score;
}

// The photographs enlarged `enlarge` times and laid in a grid on a gray
// width by height picture; `faces` gets the labels at their new places.
Picture Mosaic(const std::vector<const Photo*>& photos, unsigned width, unsigned height, double enlarge,
               std::vector<FaceBox>* faces)
{
    Picture canvas(FreeImage_Allocate(int(width), int(height), 24));
    RGBQUAD gray{128, 128, 128, 0};
    FreeImage_FillBackground(canvas.get(), &gray);
    const unsigned columns = 6, rows = 5, cellWidth = width / columns, cellHeight = height / rows;
    for (unsigned k = 0; k < columns * rows; ++k) {
        const Photo& photo = *photos[k % photos.size()];
        const unsigned w = FreeImage_GetWidth(photo.picture.get()), h = FreeImage_GetHeight(photo.picture.get());
        const double f = std::min({enlarge, double(cellWidth) / w, double(cellHeight) / h});
        Picture tile(FreeImage_Rescale(photo.picture.get(), int(w * f), int(h * f), FILTER_BILINEAR));
        const int left = int((k % columns) * cellWidth), top = int((k / columns) * cellHeight);
        FreeImage_Paste(canvas.get(), tile.get(), left, top, 256);
        for (const FaceBox& b : photo.faces)
            faces->push_back({left + int(b.left * f), top + int(b.top * f), int(b.width * f), int(b.height * f)});
    }
    return canvas;
}

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
        result.faces = detector.Find(picture).faces;
        cpu.push_back(double(std::clock() - startCpu) * 1000 / CLOCKS_PER_SEC);
        wall.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    result.wallMs = wall[wall.size() / 2];
    result.cpuMs = cpu[cpu.size() / 2];
    return result;
}

void NativeFigures(CFaceDetector& detector, const std::vector<Photo>& labelled, const std::vector<Photo>& empty)
{
    Score total;
    for (const Photo& p : labelled) {
        const Score s = Compare(detector.Find(p.picture.get()).faces, p.faces, 0);
        total.found += s.found, total.faces += s.faces, total.extra += s.extra;
    }
    int boxes = 0, pictures = 0;
    for (const Photo& p : empty) {
        const size_t n = detector.Find(p.picture.get()).faces.size();
        boxes += int(n), pictures += n > 0;
        if (n > 0)
            std::printf("  face placed on %s\n", p.name.c_str());
    }
    std::printf("as shipped: %d of %d labelled faces in %zu photographs, %d boxes beside them; "
                "%d boxes in %d of %zu photographs without people\n",
                total.found, total.faces, labelled.size(), total.extra, boxes, pictures, empty.size());
}

void MosaicFigures(const std::vector<Photo>& labelled, const std::vector<Photo>& empty, unsigned width,
                   unsigned height, const std::vector<double>& searchSizes)
{
    std::vector<const Photo*> people, nobody;
    for (const Photo& p : labelled) people.push_back(&p);
    for (const Photo& p : empty) nobody.push_back(&p);
    const double enlarge = width / 3000.0;
    std::vector<FaceBox> faces, none;
    const Picture withPeople = Mosaic(people, width, height, enlarge, &faces);
    const Picture withoutPeople = Mosaic(nobody, width, height, enlarge, &none);
    const int twoPercent = int(0.02 * std::min(width, height) + 0.5);
    for (double pixels : searchSizes) {
        const std::unique_ptr<CFaceDetector> detector = MakeFaceDetector(pixels);
        const Timed found = TimeSearch(*detector, withPeople.get(), 5);
        const Timed falseFinds = TimeSearch(*detector, withoutPeople.get(), 1);
        const Score big = Compare(found.faces, faces, twoPercent), all = Compare(found.faces, faces, 0);
        std::printf("%5u x %-5u copy %.1f MP%s: faces >= 2%% (%d px) %d of %d, all %d of %d, %d boxes beside them; "
                    "%zu boxes without people; %.0f ms (processor %.0f ms)\n",
                    width, height, pixels / 1e6, pixels == kFaceSearchPixels ? " (F's)" : "", twoPercent,
                    big.found, big.faces, all.found, all.faces, all.extra, falseFinds.faces.size(), found.wallMs,
                    found.cpuMs);
        std::fflush(stdout);
    }
}

} // namespace

int main(int argc, char** argv)
{
    FreeImage_Initialise();
    const std::vector<Photo> labelled = LabelledPhotos();
    if (labelled.empty()) {
        std::printf("no labelled photographs in %s: install libdlib-dev\n", kExamples.c_str());
        return 1;
    }
    std::vector<Photo> empty;
    for (const char* name : {"faces/dogs.jpg", "mmod_cars_test_image.jpg", "mmod_cars_test_image2.jpg",
                             "video_frames/frame_000100.jpg"})
        empty.push_back({name, Load(kExamples + name), {}});
    for (int i = 1; i < argc; ++i)
        empty.push_back({argv[i], Load(argv[i]), {}});
    empty.erase(std::remove_if(empty.begin(), empty.end(), [](const Photo& p) { return !p.picture; }), empty.end());

    NativeFigures(*MakeFaceDetector(), labelled, empty);
    const std::vector<double> sizes = {3.0e6, 4.0e6, kFaceSearchPixels, 6.0e6, 8.0e6};
    MosaicFigures(labelled, empty, 6000, 4000, sizes);
    MosaicFigures(labelled, empty, 12000, 8400, {kFaceSearchPixels});
    FreeImage_DeInitialise();
    return 0;
}
