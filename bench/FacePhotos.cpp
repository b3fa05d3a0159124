#include "bench/FacePhotos.h"

#include "document/CoverEllipse.h"
#include "faces/FaceCoverage.h"
#include "faces/FacePlacement.h"

#include <QFile>
#include <QXmlStreamReader>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

namespace FacePhotos {

const std::string kExamples = "/usr/share/doc/libdlib19.1/examples/";
const std::string kOpencvExamples = "/usr/share/doc/opencv-doc/examples/data/";

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

std::vector<Photo> TurnedPhotos(std::vector<std::string>* missing)
{
    std::vector<Photo> photos;
    std::ifstream table(VEILCUT_TURNED_FACES);
    for (std::string line; std::getline(table, line);) {
        std::istringstream fields(line);
        std::string package, path;
        int left, top, width, height;
        if (line.empty() || line[0] == '#' || !(fields >> package >> path >> left >> top >> width >> height))
            continue;
        Picture picture = Load(path);
        if (picture && width > 0)
            picture.reset(FreeImage_Copy(picture.get(), left, top, left + width, top + height));
        if (!picture) {
            missing->push_back(package + " " + path);
            continue;
        }
        Photo photo{path, std::move(picture), {}};
        for (FaceBox f; fields >> f.left >> f.top >> f.width >> f.height >> f.facing;)
            photo.faces.push_back(f);
        photos.push_back(std::move(photo));
    }
    return photos;
}

namespace {
bool CentreInside(const FaceBox& inner, const FaceBox& outer)
{
    const int x = inner.left + inner.width / 2, y = inner.top + inner.height / 2;
    return x >= outer.left && x < outer.left + outer.width && y >= outer.top && y < outer.top + outer.height;
}
} // namespace

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

std::vector<FaceBox> Profiles(const std::vector<FaceBox>& labels)
{
    std::vector<FaceBox> profiles;
    std::copy_if(labels.begin(), labels.end(), std::back_inserter(profiles),
                 [](const FaceBox& f) { return f.facing != 0; });
    return profiles;
}

double LeastCovered(const std::vector<FaceBox>& found, const std::vector<FaceBox>& labels, FIBITMAP* picture)
{
    const int w = int(FreeImage_GetWidth(picture)), h = int(FreeImage_GetHeight(picture));
    double least = 1;
    for (const FaceBox& label : labels) {
        for (const FaceBox& face : found) {
            if (Compare({face}, {label}, 0).found == 0)
                continue;
            // At scale 1 the view's rectangle is the picture's own.
            const CRect r = EllipseOverFace(face, CRect(0, 0, w, h), 1.0, h);
            const CoverEllipse over{double(r.left), double(r.top), double(r.right), double(r.bottom)};
            const PictureEllipse burnt = MapEllipseToPicture(over, unsigned(h));
            least = std::min(least, CoveredShare(label, {burnt}, unsigned(w), unsigned(h)));
        }
    }
    return least;
}

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
            faces->push_back(
                {left + int(b.left * f), top + int(b.top * f), int(b.width * f), int(b.height * f), 0, b.facing});
    }
    return canvas;
}

std::vector<Photo> PhotosWithoutPeople(const std::vector<std::string>& extra)
{
    std::vector<Photo> empty;
    for (const char* name : {"faces/dogs.jpg", "mmod_cars_test_image.jpg", "mmod_cars_test_image2.jpg",
                             "video_frames/frame_000100.jpg"})
        empty.push_back({name, Load(kExamples + name), {}});
    // Animals, a cartoon fish, a monkey's 3D head and graffiti faces among them.
    for (const char* name :
         {"aero1.jpg", "aero3.jpg", "aloeL.jpg", "apple.jpg", "baboon.jpg", "board.jpg", "box_in_scene.png",
          "building.jpg", "butterfly.jpg", "chicky_512.png", "fruits.jpg", "HappyFish.jpg", "home.jpg", "leuvenA.jpg",
          "leuvenB.jpg", "orange.jpg", "rubberwhale1.png", "smarties.png", "squirrel_cls.jpg", "starry_night.jpg",
          "stuff.jpg", "graf1.png", "graf3.png", "Blender_Suzanne1.jpg", "Blender_Suzanne2.jpg", "ela_original.jpg",
          "licenseplate_motion.jpg"})
        empty.push_back({name, Load(kOpencvExamples + name), {}});
    // A screenshot of a printed mug, on which the profile cascade alone sees faces.
    const std::string mug = "/usr/share/doc/opencv-doc/opencv4/html/04_default_filter_view.jpg";
    empty.push_back({mug, Load(mug), {}});
    for (const std::string& path : extra)
        empty.push_back({path, Load(path), {}});
    empty.erase(std::remove_if(empty.begin(), empty.end(), [](const Photo& p) { return !p.picture; }), empty.end());
    return empty;
}

} // namespace FacePhotos
