#include "io/PictureLoader.h"
#include "io/PictureOpening.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

// Every input the fuzzer ever crashed on is kept in tests/fuzz/regressions
// and read again as the fuzzing target reads it: as the format its bytes
// announce, and as a JPEG and as a BMP.
TEST(FuzzRegressions, EveryKeptInputLoadsOrIsRefused)
{
    const QDir folder(QStringLiteral(VEILCUT_FUZZ_REGRESSIONS));
    ASSERT_TRUE(folder.exists()) << folder.path().toStdString();
    int replayed = 0;
    for (const QFileInfo& entry : folder.entryInfoList(QDir::Files, QDir::Name)) {
        SCOPED_TRACE(entry.fileName().toStdString());
        QFile file(entry.filePath());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const PictureBytes source{reinterpret_cast<const uchar*>(bytes.constData()), std::uint64_t(bytes.size()), -1};
        const OpenedPicture opened = OpenPictureBytes(source);
        EXPECT_EQ(opened.picture != nullptr, opened.failure == OpenFailure::None);
        for (const auto& [format, flags] : {std::pair{FIF_JPEG, JPEG_ACCURATE}, std::pair{FIF_BMP, BMP_DEFAULT}}) {
            PictureLoadFailure failure = PictureLoadFailure::None;
            const BitmapPtr loaded = LoadPictureBytes(format, source, flags, &failure);
            EXPECT_EQ(loaded != nullptr, failure == PictureLoadFailure::None);
        }
        ++replayed;
    }
    RecordProperty("replayed", replayed);
}

} // namespace
