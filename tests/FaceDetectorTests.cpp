#include "bench/FacePhotos.h"
#include "tests/TestPictures.h"
#include "io/PictureRotation.h"
#include "faces/FaceMessages.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

using namespace FacePhotos;

// At least 90 % of the faces counted, as a number the failure message shows.
void ExpectMostFound(const Score& score)
{
    EXPECT_GE(score.found * 10, score.faces * 9) << score.found << " of " << score.faces << " faces found";
}

class FaceDetector : public ::testing::Test {
protected:
    void SetUp() override
    {
        labelled = LabelledPhotos();
        if (labelled.empty())
            GTEST_SKIP() << "no labelled photographs in " << kExamples << ": install libdlib-dev";
        // More photographs without people where opencv-doc is installed.
        empty = PhotosWithoutPeople({"/usr/share/doc/opencv-doc/examples/data/aero1.jpg",
                                     "/usr/share/doc/opencv-doc/examples/data/fruits.jpg",
                                     "/usr/share/doc/opencv-doc/examples/data/building.jpg",
                                     "/usr/share/doc/opencv-doc/examples/data/baboon.jpg"});
    }
    std::vector<Photo> labelled, empty;
    std::unique_ptr<CFaceDetector> detector = MakeFaceDetector();
};

TEST_F(FaceDetector, FindsTheLabelledFacesAndNothingWithoutPeople)
{
    Score total;
    for (const Photo& photo : labelled) {
        const FaceSearch search = detector->Find(photo.picture.get(), {});
        EXPECT_TRUE(search.failure.isEmpty()) << search.failure.toStdString();
        const Score s = Compare(search.faces, photo.faces, 0);
        total.found += s.found, total.faces += s.faces, total.extra += s.extra;
    }
    ExpectMostFound(total);
    EXPECT_EQ(total.extra, 0);
    for (const Photo& photo : empty) {
        // The dogs lie on a magazine whose cover shows a woman's face, on its side.
        const std::vector<FaceBox> printed =
            photo.name == "faces/dogs.jpg" ? std::vector<FaceBox>{{66, 455, 43, 43, 1}} : std::vector<FaceBox>{};
        const Score s = Compare(detector->Find(photo.picture.get(), {}).faces, printed, 0);
        EXPECT_EQ(s.extra, 0) << photo.name;
        EXPECT_EQ(s.found, s.faces) << photo.name;
    }
}

// The labelled photographs laid in a grid, the picture maybe turned a quarter
// turn left so that every face lies with its crown to the left.
struct GridCase {
    const char* name;
    unsigned width, height;
    double enlarge;
    bool lying;
};
void PrintTo(const GridCase& c, std::ostream* os) { *os << c.name; }

const GridCase kGrids[] = {
    {"TwoPercentFacesOf24MP", 6000, 4000, 2.0, false},
    {"PictureLyingOnItsSide", 3000, 2000, 1.0, true},
};

class FaceGrid : public FaceDetector, public ::testing::WithParamInterface<GridCase> {};

TEST_P(FaceGrid, FindsTwoPercentFacesAndTheWayTheyLie)
{
    const GridCase& c = GetParam();
    std::vector<const Photo*> people, nobody;
    for (const Photo& p : labelled) people.push_back(&p);
    for (const Photo& p : empty) nobody.push_back(&p);
    std::vector<FaceBox> faces, none;
    Picture withPeople = Mosaic(people, c.width, c.height, c.enlarge, &faces);
    Picture withoutPeople = Mosaic(nobody, c.width, c.height, c.enlarge, &none);
    if (c.lying) {
        withPeople.reset(TurnPicture(withPeople.get(), QuarterTurn::Left).release());
        withoutPeople.reset(TurnPicture(withoutPeople.get(), QuarterTurn::Left).release());
        // A point (x, y) of the grid goes to (y, width - 1 - x).
        for (FaceBox& f : faces)
            f = {f.top, int(c.width) - f.left - f.width, f.height, f.width, 1};
    }
    const FaceSearch search = detector->Find(withPeople.get(), {});
    const int twoPercent = int(0.02 * std::min(c.width, c.height) + 0.5);
    ExpectMostFound(Compare(search.faces, faces, twoPercent));
    EXPECT_EQ(Compare(search.faces, faces, 0).extra, 0);
    for (const FaceBox& f : search.faces)
        EXPECT_EQ(f.turns, c.lying ? 1 : 0);
    EXPECT_EQ(detector->Find(withoutPeople.get(), {}).faces.size(), 0u);
}

INSTANTIATE_TEST_SUITE_P(LabelledPhotographs, FaceGrid, ::testing::ValuesIn(kGrids),
                         [](const auto& info) { return std::string(info.param.name); });

// A model file that is not there, or not the whole file, stops the search with a message.
TEST(FaceModel, MissingOrDamagedFileIsSaidAndFindsNothing)
{
    const QString folder = MakeScratchFolder(QStringLiteral("FaceModel"));
    QFile model(FaceModelFile::Path());
    ASSERT_TRUE(model.open(QIODevice::ReadOnly)) << "the build puts the face model at " << model.fileName().toStdString();
    const QByteArray bytes = model.readAll();
    WriteFile(folder + QStringLiteral("/cut.onnx"), bytes.left(bytes.size() / 2));
    QByteArray changed = bytes;
    changed[changed.size() / 2] = char(changed[changed.size() / 2] ^ 1);
    WriteFile(folder + QStringLiteral("/changed.onnx"), changed);
    const BitmapPtr picture = MakeNoisePicture(64, 64, 1);
    for (const QString& name : {QStringLiteral("/missing.onnx"), QStringLiteral("/cut.onnx"), QStringLiteral("/changed.onnx")}) {
        const FaceSearch search = MakeFaceDetector(kSmallestFaceShare, folder + name)->Find(picture.get(), {});
        EXPECT_EQ(search.failure, FaceMessages::ModelMissing(folder + name));
        EXPECT_TRUE(search.faces.empty());
    }
}

// Pictures with nothing to find, of every awkward shape, are searched without a box.
TEST(FaceModel, AwkwardPicturesGiveNoBox)
{
    const std::unique_ptr<CFaceDetector> detector = MakeFaceDetector();
    const struct {
        unsigned width, height;
        bool noise;
    } pictures[] = {{1, 1, false}, {1, 60000, true}, {60000, 1, false}, {4000, 3000, false}, {640, 480, true}};
    for (const auto& p : pictures) {
        const BitmapPtr picture = p.noise ? MakeNoisePicture(p.width, p.height, 7)
                                           : MakePicture(p.width, p.height, [](unsigned, unsigned) { return Bgr{90, 90, 90}; });
        const FaceSearch search = detector->Find(picture.get(), {});
        EXPECT_TRUE(search.faces.empty() && search.failure.isEmpty()) << p.width << " x " << p.height;
    }
}

} // namespace
