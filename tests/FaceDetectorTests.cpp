#include "tests/TestPictures.h"
#include "faces/FaceDetector.h"

#include <QDir>
#include <QFile>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

#include <map>

namespace {

// Photographs with and without people from dlib's examples (package
// libdlib19.1); the faces are the ones its labels name.
const QString kPhotos = QStringLiteral(VEILCUT_FACE_PHOTOS);

// The labelled face boxes of every photograph named in the package's label files.
std::map<QString, std::vector<FaceBox>> Labels()
{
    std::map<QString, std::vector<FaceBox>> labels;
    for (const char* name : {"faces/training.xml", "faces/testing.xml"}) {
        QFile file(kPhotos + QLatin1Char('/') + QLatin1String(name));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        QXmlStreamReader xml(&file);
        QString image;
        while (xml.readNextStartElement() || !xml.atEnd()) {
            if (!xml.isStartElement())
                continue;
            const QXmlStreamAttributes a = xml.attributes();
            if (xml.name() == QLatin1String("image"))
                image = QStringLiteral("faces/") + a.value("file").toString();
            else if (xml.name() == QLatin1String("box"))
                labels[image].push_back({a.value("left").toInt(), a.value("top").toInt(), a.value("width").toInt(),
                                         a.value("height").toInt()});
        }
    }
    return labels;
}

bool CentreInside(const FaceBox& inner, const FaceBox& outer)
{
    const int x = inner.left + inner.width / 2, y = inner.top + inner.height / 2;
    return x >= outer.left && x < outer.left + outer.width && y >= outer.top && y < outer.top + outer.height;
}

const char* const kPeople[] = {"faces/2008_001322.jpg", "faces/2009_004587.jpg", "faces/2008_002506.jpg",
                               "faces/2007_007763.jpg"};
const char* const kNoPeople[] = {"faces/dogs.jpg", "mmod_cars_test_image.jpg", "video_frames/frame_000100.jpg"};

TEST(FaceDetector, FindsTheLabelledFacesAndNothingWithoutPeople)
{
    if (!QFile::exists(kPhotos + QStringLiteral("/faces/training.xml")))
        GTEST_SKIP() << "no photographs: install libdlib-dev (its libdlib19.1 ships them in " << kPhotos.toStdString() << ")";
    const auto labels = Labels();
    const std::unique_ptr<CFaceDetector> detector = MakeFaceDetector();
    std::vector<std::pair<QString, std::vector<FaceBox>>> photos;
    for (const char* name : kPeople)
        photos.push_back({QString::fromLatin1(name), labels.at(QString::fromLatin1(name))});
    for (const char* name : kNoPeople)
        photos.push_back({QString::fromLatin1(name), {}});
    for (const auto& [name, expected] : photos) {
        SCOPED_TRACE(name.toStdString());
        const QByteArray path = QFile::encodeName(kPhotos + QLatin1Char('/') + name);
        BitmapPtr loaded(FreeImage_Load(FIF_JPEG, path.constData(), 0));
        ASSERT_TRUE(loaded);
        BitmapPtr picture(FreeImage_ConvertTo24Bits(loaded.get()));
        const FaceSearch search = detector->Find(picture.get());
        EXPECT_TRUE(search.failure.isEmpty());
        EXPECT_EQ(search.faces.size(), expected.size());
        for (const FaceBox& label : expected) {
            const bool found = std::any_of(search.faces.begin(), search.faces.end(), [&](const FaceBox& f) {
                return CentreInside(f, label) && CentreInside(label, f);
            });
            EXPECT_TRUE(found) << "face at " << label.left << ", " << label.top << " not found";
        }
    }
}

} // namespace
