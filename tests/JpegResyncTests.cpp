#include "io/PictureLoader.h"

#include "tests/ChildDecode.h"
#include "tests/PictureMutants.h"
#include "tests/TestPictures.h"

#include <QFile>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

std::vector<QByteArray> SmallJpegs()
{
    const BitmapPtr colour = MakeNoisePicture(24, 16, 31);
    const BitmapPtr smooth = MakePicture(33, 17, [](unsigned x, unsigned y) {
        return Bgr{BYTE(x * 7), BYTE(y * 13), BYTE(200 - x - y)};
    });
    const BitmapPtr gray(FreeImage_ConvertToGreyscale(smooth.get()));
    return {EncodePicture(FIF_JPEG, colour.get(), JPEG_DEFAULT), EncodePicture(FIF_JPEG, smooth.get(), JPEG_PROGRESSIVE),
            EncodePicture(FIF_JPEG, gray.get(), JPEG_DEFAULT), EncodePicture(FIF_JPEG, smooth.get(), JPEG_SUBSAMPLING_444 | JPEG_QUALITYBAD)};
}

// Wherever a plain decode reads a mutant that carries no metadata, the loader
// reads it too, with the same pixels.
TEST(JpegResync, LoadsWhatAPlainDecodeLoads)
{
    constexpr int kMutantsPerPicture = 80;
    std::mt19937 random(20261207);
    const QString path = MakeScratchFolder("jpeg-resync") + "/mutant.jpg";
    int compared = 0;
    std::map<ChildDecode::Outcome, int> outcomes;
    for (const QByteArray& jpeg : SmallJpegs()) {
        ASSERT_FALSE(jpeg.isEmpty());
        for (int i = 0; i < kMutantsPerPicture; ++i) {
            const Mutant mutant = ResyncMutant(jpeg, random);
            SCOPED_TRACE(mutant.description);
            const ChildDecode plain = DecodeInChild(FIF_JPEG, mutant.bytes, JPEG_ACCURATE);
            ++outcomes[plain.outcome];
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(mutant.bytes);
            file.close();
            PictureLoadFailure failure = PictureLoadFailure::None;
            const BitmapPtr loaded(LoadPictureFile(FIF_JPEG, path, JPEG_ACCURATE, &failure));
            if (plain.outcome != ChildDecode::Outcome::Decoded || mutant.carriesMetadata)
                continue;
            ++compared;
            ASSERT_TRUE(loaded) << "refused, failure " << int(failure);
            const BitmapPtr converted(FreeImage_ConvertTo24Bits(loaded.get()));
            EXPECT_EQ(DescribeDifference(plain.picture.get(), converted.get()), "");
        }
    }
    // The corpus must exercise the comparison, not skip it.
    EXPECT_GT(compared, 4 * kMutantsPerPicture / 2);
    EXPECT_EQ(outcomes[ChildDecode::Outcome::Crashed], 0);
}

// A header cut short is never handed to the decoder.
TEST(JpegResync, HeadersCutShortGetTheLoadError)
{
    for (const QByteArray& jpeg : SmallJpegs()) {
        const JpegSegment scan = JpegHeaderSegments(jpeg).back();
        ASSERT_EQ(scan.marker, 0xDA);
        for (qsizetype cut = 0; cut < scan.offset + scan.size; ++cut) {
            SCOPED_TRACE(cut);
            const QByteArray head = jpeg.left(cut);
            const PictureBytes bytes{reinterpret_cast<const uchar*>(head.constData()), std::uint64_t(cut), -1};
            PictureLoadFailure failure = PictureLoadFailure::None;
            EXPECT_EQ(LoadPictureBytes(FIF_JPEG, bytes, JPEG_ACCURATE, &failure), nullptr);
            EXPECT_EQ(failure, PictureLoadFailure::Unreadable);
        }
    }
}

} // namespace
