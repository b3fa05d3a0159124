#include "io/PictureWriter.h"

#include "io/FileCalls.h"
#include "io/WrittenPictureCheck.h"

#include "tests/JpegInspection.h"
#include "tests/PngInspection.h"
#include "tests/TestPictures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <tuple>
#include <cstring>
#include <string>
#include <vector>

#include <sys/mount.h>
#include <sys/resource.h>

namespace {

QStringList FolderEntries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

} // namespace

TEST(StripPictureMetadata, RemovesEveryModelThumbnailAndProfile)
{
    const BitmapPtr dib = MakeNoisePicture(32, 24, 1);
    AttachEverything(dib.get());
    StripPictureMetadata(dib.get());
    ExpectNoMetadata(dib.get());
    StripPictureMetadata(nullptr);
}

namespace {

struct CheckCase {
    std::string name;
    FREE_IMAGE_FORMAT format;
    int flags;
    std::vector<PictureEllipse> painted;   // into the picture encoded
    bool holds;
};

void PrintTo(const CheckCase& c, std::ostream* out) { *out << c.name; }

const PictureEllipse kFace{16, 12, 48, 36};
const PictureEllipse kSecondFace{52, 20, 80, 44};

std::vector<CheckCase> CheckCases()
{
    std::vector<CheckCase> cases;
    for (const auto& [kind, format, flags] : {std::tuple{"Jpeg", FIF_JPEG, int(JPEG_QUALITYSUPERB)},
                                              std::tuple{"Png", FIF_PNG, int(PNG_Z_BEST_SPEED)},
                                              std::tuple{"Bmp", FIF_BMP, 0}}) {
        const std::string name(kind);
        cases.push_back({name + "BothFaces", format, flags, {kFace, kSecondFace}, true});
        cases.push_back({name + "SecondFaceMissing", format, flags, {kFace}, false});
        cases.push_back({name + "FirstFaceMissing", format, flags, {kSecondFace}, false});
        cases.push_back({name + "Bare", format, flags, {}, false});
    }
    return cases;
}

class WrittenCheck : public ::testing::TestWithParam<CheckCase> {};

} // namespace

// Every ellipse must be proven, not only one; without a second thread the
// finished file is decoded in one go, with a decoder reading alongside it as
// it is written to the same verdict.
TEST_P(WrittenCheck, ProvesEveryEllipse)
{
    const CheckCase& c = GetParam();
    const BitmapPtr picture = MakeNoisePicture(96, 56, 3);
    for (const PictureEllipse& e : c.painted)
        PaintExpectedEllipse(picture.get(), e.x0, e.y0, e.x1, e.y1);
    QByteArray bytes = EncodePicture(c.format, picture.get(), c.flags);
    if (c.format == FIF_PNG)
        bytes = PngWithoutChunk(bytes, "pHYs");
    const QString path = MakeScratchFolder(QString::fromStdString("check-" + c.name)) + "/written";
    WriteFile(path, bytes);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const std::vector<BurnRun> covered = CoveredRuns(96, 56, {kFace, kSecondFace});

    EXPECT_EQ(WrittenPictureHoldsMask(file.handle(), c.format, 96, 56, covered), c.holds) << "alone";
    if (const PictureVerdict verdict = WrittenPixelsVerdict(c.format, 96, 56, covered)) {
        PictureReadAlong along(file.handle(), c.format, verdict);
        along.Grown(std::uint64_t(bytes.size()) / 2);
        EXPECT_EQ(WrittenPictureHoldsMask(file.handle(), c.format, 96, 56, covered, &along), c.holds) << "alongside";
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, WrittenCheck, ::testing::ValuesIn(CheckCases()),
                         [](const auto& info) { return info.param.name; });

namespace {

// What a written file of each format holds, from a picture carrying every kind of metadata.
struct HeldCase {
    const char* name;
    FREE_IMAGE_FORMAT format;
    int flags;
    std::function<void(const QString& written)> expectHeld;
};

void PrintTo(const HeldCase& c, std::ostream* out) { *out << c.name; }

void ExpectPlainBmp(const QString& path)
{
    const QByteArray written = ReadWholeFile(path);
    // File header, 40-byte info header, rows of 3 x 64 bytes, nothing else.
    EXPECT_EQ(written.size(), 14 + 40 + 64 * 3 * 48);
    EXPECT_EQ(qFromLittleEndian<quint32>(written.constData() + 10), 54u);
}

void ExpectPictureChunksOnly(const QString& path)
{
    std::vector<std::string> chunks = PngChunks(ReadWholeFile(path));
    ASSERT_GE(chunks.size(), 3u);
    EXPECT_EQ(chunks.front(), "IHDR");
    EXPECT_EQ(chunks.back(), "IEND");
    chunks.erase(chunks.begin());
    chunks.pop_back();
    for (const std::string& chunk : chunks)
        EXPECT_EQ(chunk, "IDAT");
}

class WrittenFileHolds : public ::testing::TestWithParam<HeldCase> {};

} // namespace

TEST_P(WrittenFileHolds, NothingButThePicture)
{
    const HeldCase& c = GetParam();
    const QString path = MakeScratchFolder(QString::fromLatin1("holds-") + c.name) + "/masked";
    const BitmapPtr dib = MakeNoisePicture(64, 48, 2);
    AttachEverything(dib.get());
    BurnEllipses(dib.get(), 64, 48, {kFace});

    ASSERT_TRUE(WritePictureFile(dib.get(), c.format, c.flags, path, {kFace}));
    c.expectHeld(path);
    const BitmapPtr reloaded = PlainLoad(c.format, path);
    ExpectNoMetadata(reloaded.get());
}

INSTANTIATE_TEST_SUITE_P(
    Formats, WrittenFileHolds,
    ::testing::Values(HeldCase{"Jpeg", FIF_JPEG, JPEG_QUALITYSUPERB, ExpectOnlyPictureMarkers},
                      HeldCase{"Png", FIF_PNG, PNG_Z_BEST_SPEED, ExpectPictureChunksOnly},
                      HeldCase{"Bmp", FIF_BMP, 0, ExpectPlainBmp}),
    [](const auto& info) { return std::string(info.param.name); });

// A JPEG as a camera leaves it: the EXIF block is read back by FreeImage
// itself, and a plain FreeImage_Save carries all of it (plus a JFXX preview
// of the unmasked pixels) into the new file.
TEST(WritePictureFile, DropsWhatAPlainSaveKeepsFromALoadedJpeg)
{
    const QString folder = MakeScratchFolder("writer-camera");
    {
        const BitmapPtr dib = MakeNoisePicture(64, 48, 3);
        AttachEverything(dib.get());
        ASSERT_TRUE(FreeImage_Save(FIF_JPEG, dib.get(), QFile::encodeName(folder + "/camera.jpg"), JPEG_QUALITYSUPERB));
    }
    const BitmapPtr loaded = PlainLoad(FIF_JPEG, folder + "/camera.jpg");
    ASSERT_NE(loaded, nullptr);
    FITAG* make = nullptr;
    ASSERT_TRUE(FreeImage_GetMetadata(FIMD_EXIF_MAIN, loaded.get(), "Make", &make));
    EXPECT_STREQ(static_cast<const char*>(FreeImage_GetTagValue(make)), "TestCam");
    EXPECT_EQ(FreeImage_GetMetadataCount(FIMD_EXIF_GPS, loaded.get()), 2u);

    ASSERT_TRUE(FreeImage_Save(FIF_JPEG, loaded.get(), QFile::encodeName(folder + "/plain.jpg"), JPEG_QUALITYSUPERB));
    const std::vector<std::string> plain = JpegMarkers(ReadWholeFile(folder + "/plain.jpg"));
    for (const char* kept : {"APP0 JFXX", "APP1", "APP2", "APP13", "COM"})
        EXPECT_NE(std::find(plain.begin(), plain.end(), kept), plain.end()) << kept;

    ASSERT_TRUE(WritePictureFile(loaded.get(), FIF_JPEG, JPEG_QUALITYSUPERB, folder + "/masked.jpg"));
    ExpectOnlyPictureMarkers(folder + "/masked.jpg");
    const BitmapPtr reloaded = PlainLoad(FIF_JPEG, folder + "/masked.jpg");
    ExpectNoMetadata(reloaded.get());
}

TEST(WritePictureFile, BmpReplacesAnExistingFile)
{
    const QString folder = MakeScratchFolder("writer-bmp");
    const QString name = "Gesicht verdeckt \u00dcbung \u00e9t\u00e9.bmp";
    WriteFile(folder + "/" + name, "old contents");
    const BitmapPtr dib = MakeNoisePicture(37, 23, 4);

    ASSERT_TRUE(WritePictureFile(dib.get(), FIF_BMP, 0, folder + "/" + name));
    EXPECT_EQ(DescribeDifference(dib.get(), PlainLoad(FIF_BMP, folder + "/" + name).get()), "");
    EXPECT_EQ(FolderEntries(folder), QStringList{name});
}

TEST(WritePictureFile, FailsWithoutLeavingAnything)
{
    const QString folder = MakeScratchFolder("writer-failures");
    WriteFile(folder + "/existing.bmp", "precious original");
    WriteFile(folder + "/plain-file", "not a folder");
    QDir(folder).mkpath("a-folder.bmp/inside");
    const QStringList before = FolderEntries(folder);
    const BitmapPtr dib = MakeNoisePicture(20, 10, 6);

    struct Failure {
        const char* what;
        FIBITMAP* dib;
        FREE_IMAGE_FORMAT format;
        QString path;
    } failures[] = {
        {"folder missing", dib.get(), FIF_BMP, folder + "/missing/picture.bmp"},
        {"parent is a file", dib.get(), FIF_BMP, folder + "/plain-file/picture.bmp"},
        {"target is a folder", dib.get(), FIF_BMP, folder + "/a-folder.bmp"},
        {"cannot encode", dib.get(), FIF_UNKNOWN, folder + "/existing.bmp"},
        {"no picture", nullptr, FIF_BMP, folder + "/existing.bmp"},
        {"no path", dib.get(), FIF_BMP, QString()},
        // Not even root may create files here.
        {"folder not writable", dib.get(), FIF_BMP, "/proc/veilcut-picture.bmp"},
    };
    for (const Failure& f : failures) {
        SCOPED_TRACE(f.what);
        EXPECT_FALSE(WritePictureFile(f.dib, f.format, 0, f.path));
        EXPECT_EQ(FolderEntries(folder), before);
    }
    EXPECT_EQ(ReadWholeFile(folder + "/existing.bmp"), "precious original");
    EXPECT_EQ(ReadWholeFile(folder + "/plain-file"), "not a folder");
    EXPECT_EQ(FolderEntries(folder + "/a-folder.bmp"), QStringList{"inside"});
    EXPECT_FALSE(QFile::exists("/proc/veilcut-picture.bmp"));
}

namespace {

// Makes every file write past `bytes` fail (EFBIG) while it lives, as a full
// disk would; no privileges needed.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        savedSignal_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = saved_;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, savedSignal_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*savedSignal_)(int) = nullptr;
};

// A tiny file system mounted over `folder` for as long as it lives.
class TinyDisk {
public:
    explicit TinyDisk(const QString& folder) : folder_(QFile::encodeName(folder))
    {
        mounted_ = mount("tmpfs", folder_.constData(), "tmpfs", 0, "size=64k") == 0;
    }
    ~TinyDisk()
    {
        if (mounted_) umount2(folder_.constData(), MNT_DETACH);
    }
    TinyDisk(const TinyDisk&) = delete;
    TinyDisk& operator=(const TinyDisk&) = delete;

    bool Mounted() const { return mounted_; }

private:
    QByteArray folder_;
    bool mounted_ = false;
};

} // namespace

TEST(WritePictureFile, ShortOfSpaceKeepsTheOriginal)
{
    const QString folder = MakeScratchFolder("writer-file-limit");
    const QString path = folder + "/picture.bmp";
    WriteFile(path, "precious original");
    const BitmapPtr big = MakeNoisePicture(200, 200, 7);

    bool written = true;
    {
        const FileSizeLimit limit(16 * 1024);
        written = WritePictureFile(big.get(), FIF_BMP, 0, path);
    }
    EXPECT_FALSE(written);
    EXPECT_EQ(ReadWholeFile(path), "precious original");
    EXPECT_EQ(FolderEntries(folder), QStringList{"picture.bmp"});
}

TEST(WritePictureFile, FullDiskKeepsTheOriginal)
{
    const QString folder = MakeScratchFolder("writer-tiny-disk");
    const TinyDisk disk(folder);
    if (!disk.Mounted()) GTEST_SKIP() << "cannot mount a tmpfs here";

    const QString path = folder + "/picture.bmp";
    const BitmapPtr small = MakeNoisePicture(40, 30, 8);
    ASSERT_TRUE(WritePictureFile(small.get(), FIF_BMP, 0, path));
    const QByteArray original = ReadWholeFile(path);

    const BitmapPtr big = MakeNoisePicture(200, 200, 9);
    EXPECT_FALSE(WritePictureFile(big.get(), FIF_BMP, 0, path));
    EXPECT_EQ(ReadWholeFile(path), original);
    EXPECT_EQ(FolderEntries(folder), QStringList{"picture.bmp"});
}

// The new file takes the old one's place: same permissions, and a link stays
// a link to the file that now holds the picture.
TEST(WritePictureFile, ReplacingKeepsPermissionsAndLinks)
{
    const QString folder = MakeScratchFolder("writer-replace");
    const BitmapPtr dib = MakeNoisePicture(30, 20, 10);
    const struct {
        const char* what;
        QFile::Permissions permissions;
    } cases[] = {
        {"private", QFile::ReadOwner | QFile::WriteOwner},
        {"shared", QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString real = folder + "/" + c.what + ".bmp", link = folder + "/" + c.what + "-link.bmp";
        WriteFile(real, "old contents");
        ASSERT_TRUE(QFile::setPermissions(real, c.permissions));
        ASSERT_TRUE(QFile::link(real, link));

        ASSERT_TRUE(WritePictureFile(dib.get(), FIF_BMP, 0, link));
        EXPECT_TRUE(QFileInfo(link).isSymLink());
        // Owner, group and others; the current user's bits depend on who runs the test.
        EXPECT_EQ(QFileInfo(real).permissions() & 0x7077, c.permissions & 0x7077);
        EXPECT_EQ(DescribeDifference(dib.get(), PlainLoad(FIF_BMP, real).get()), "");
    }
    EXPECT_EQ(FolderEntries(folder).size(), 4);
}

namespace {

// A disk that takes at most a few bytes a call and is interrupted every other call.
class GrudgingCalls : public FileCalls {
public:
    GrudgingCalls() { SetFileCalls(this); }
    ~GrudgingCalls() override { SetFileCalls(nullptr); }
    ssize_t Write(int fd, const void* data, size_t size) override
    {
        if (++calls % 2) {
            errno = EINTR;
            return -1;
        }
        return FileCalls::Write(fd, data, std::min<size_t>(size, 1000 + calls % 7));
    }
    int calls = 0;
};

} // namespace

TEST(WritePictureFile, ShortAndInterruptedWritesStillWriteEveryByte)
{
    const QString folder = MakeScratchFolder("writer-grudging");
    const BitmapPtr dib = MakeNoisePicture(120, 80, 12);
    for (const auto& [format, name, flags] : {std::tuple{FIF_BMP, "picture.bmp", 0},
                                              std::tuple{FIF_JPEG, "picture.jpg", int(JPEG_QUALITYSUPERB)},
                                              std::tuple{FIF_PNG, "picture.png", int(PNG_Z_BEST_SPEED)}}) {
        SCOPED_TRACE(name);
        const QByteArray plain = EncodePicture(format, dib.get(), flags);
        int calls = 0;
        bool written = false;
        {
            GrudgingCalls grudging;
            written = WritePictureFile(dib.get(), format, flags, folder + "/" + name);
            calls = grudging.calls;
        }
        EXPECT_TRUE(written);
        EXPECT_GT(calls, 20);
        // The encoder's own physical-size chunk is all a written PNG lacks.
        EXPECT_EQ(ReadWholeFile(folder + "/" + name), format == FIF_PNG ? PngWithoutChunk(plain, "pHYs") : plain);
    }
}

// Nothing thrown in the decoding thread leaves it: the verdict is a no.
TEST(PictureReadAlong, AThrowingDecodeIsANo)
{
    const QString path = MakeScratchFolder("read-along-throws") + "/written.png";
    WriteFile(path, EncodePicture(FIF_PNG, MakeNoisePicture(20, 10, 1).get(), PNG_Z_BEST_SPEED));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    for (const bool throws : {false, true}) {
        PictureReadAlong along(file.handle(), FIF_PNG, [throws](const PictureSource& source) {
            const BitmapPtr decoded(source.load(PNG_DEFAULT));
            if (throws)
                throw std::runtime_error("decoder gave up");
            return decoded != nullptr;
        });
        EXPECT_EQ(along.Verdict(), !throws);
    }
}
