#include "tests/TestPictures.h"
#include "faces/FaceDetector.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

// Photographs of dlib's examples (package libdlib19.1) with the face boxes its
// label file faces/training.xml gives, and some without people.
struct Photo {
    const char* file;
    std::vector<FaceBox> labels;
};
const Photo kPhotos[] = {
    {"faces/2008_001322.jpg", {{104, 162, 76, 76}, {232, 218, 63, 63}, {344, 155, 90, 90}}},
    {"faces/2009_004587.jpg", {{154, 46, 75, 76}, {266, 280, 63, 63}}},
    {"faces/dogs.jpg", {}},
    {"mmod_cars_test_image.jpg", {}},
    {"video_frames/frame_000100.jpg", {}},
};

TEST(FaceDetector, FindsTheLabelledFacesAndNothingWithoutPeople)
{
    const QString folder = QStringLiteral(VEILCUT_FACE_PHOTOS);
    if (!QFile::exists(folder + QStringLiteral("/faces/dogs.jpg")))
        GTEST_SKIP() << "no photographs in " << folder.toStdString() << ": install libdlib-dev";
    const std::unique_ptr<CFaceDetector> detector = MakeFaceDetector();
    for (const Photo& photo : kPhotos) {
        SCOPED_TRACE(photo.file);
        const QByteArray path = QFile::encodeName(folder + QLatin1Char('/') + QLatin1String(photo.file));
        BitmapPtr loaded(FreeImage_Load(FIF_JPEG, path.constData(), 0));
        ASSERT_TRUE(loaded);
        BitmapPtr picture(FreeImage_ConvertTo24Bits(loaded.get()));
        const FaceSearch search = detector->Find(picture.get());
        EXPECT_TRUE(search.failure.isEmpty());
        EXPECT_EQ(search.faces.size(), photo.labels.size());
        for (const FaceBox& f : search.faces) {
            const int x = f.left + f.width / 2, y = f.top + f.height / 2;
            EXPECT_TRUE(std::any_of(photo.labels.begin(), photo.labels.end(), [&](const FaceBox& l) {
                return x >= l.left && x < l.left + l.width && y >= l.top && y < l.top + l.height;
            })) << "no labelled face around " << x << ", " << y;
        }
    }
}

} // namespace
