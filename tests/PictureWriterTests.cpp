#include "document/PictureWriter.h"

#include "TestPictures.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <sys/mount.h>
#include <sys/resource.h>

namespace {

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QStringList FolderEntries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

BitmapPtr LoadPicture(FREE_IMAGE_FORMAT format, const QString& path)
{
    return BitmapPtr(FreeImage_Load(format, QFile::encodeName(path).constData(), 0));
}

// Names the segments of a JPEG file in order; APP0 with its identifier.
std::vector<std::string> JpegMarkers(const QByteArray& file)
{
    const auto byte = [&](qsizetype i) { return i < file.size() ? quint8(file[i]) : 0; };
    std::vector<std::string> names;
    if (byte(0) != 0xFF || byte(1) != 0xD8) return {"not a JPEG"};
    names.push_back("SOI");
    qsizetype i = 2;
    while (i + 1 < file.size()) {
        if (byte(i) != 0xFF) {
            names.push_back("garbage");
            break;
        }
        const quint8 marker = byte(i + 1);
        if (marker == 0xFF) {
            ++i;
            continue;
        }
        if (marker == 0xD9) {
            names.push_back("EOI");
            break;
        }
        const qsizetype length = byte(i + 2) * 256 + byte(i + 3);
        const std::map<quint8, std::string> known{
            {0xC0, "SOF0"}, {0xC1, "SOF1"}, {0xC2, "SOF2"}, {0xC4, "DHT"}, {0xDA, "SOS"}, {0xDB, "DQT"},
            {0xE1, "APP1"}, {0xE2, "APP2"}, {0xED, "APP13"}, {0xFE, "COM"}};
        if (marker == 0xE0) names.push_back("APP0 " + file.mid(i + 4, 4).toStdString());
        else names.push_back(known.count(marker) ? known.at(marker) : "marker " + std::to_string(marker));
        i += 2 + length;
        // Entropy-coded data runs up to the next marker that is neither stuffing nor a restart.
        while (marker == 0xDA && i + 1 < file.size()
               && (byte(i) != 0xFF || byte(i + 1) == 0 || (byte(i + 1) >= 0xD0 && byte(i + 1) <= 0xD7)))
            ++i;
    }
    return names;
}

void ExpectOnlyPictureMarkers(const QString& path)
{
    const std::set<std::string> allowed{"SOI", "APP0 JFIF", "DQT", "SOF0", "SOF1", "SOF2", "DHT", "SOS", "EOI"};
    const std::vector<std::string> markers = JpegMarkers(ReadFile(path));
    ASSERT_GE(markers.size(), 2u);
    EXPECT_EQ(markers.front(), "SOI");
    EXPECT_EQ(markers.back(), "EOI");
    for (const std::string& marker : markers) EXPECT_TRUE(allowed.count(marker)) << marker;
}

void ExpectNoMetadata(FIBITMAP* dib)
{
    ASSERT_NE(dib, nullptr);
    for (int model = FIMD_COMMENTS; model <= FIMD_EXIF_RAW; ++model)
        EXPECT_EQ(FreeImage_GetMetadataCount(FREE_IMAGE_MDMODEL(model), dib), 0u) << "model " << model;
    EXPECT_EQ(FreeImage_GetThumbnail(dib), nullptr);
    EXPECT_EQ(FreeImage_GetICCProfile(dib)->size, 0);
}

void AttachTag(FIBITMAP* dib, FREE_IMAGE_MDMODEL model, const char* key, WORD id, FREE_IMAGE_MDTYPE type,
               DWORD count, DWORD length, const void* value)
{
    FITAG* tag = FreeImage_CreateTag();
    FreeImage_SetTagKey(tag, key);
    FreeImage_SetTagID(tag, id);
    FreeImage_SetTagType(tag, type);
    FreeImage_SetTagCount(tag, count);
    FreeImage_SetTagLength(tag, length);
    FreeImage_SetTagValue(tag, value);
    EXPECT_TRUE(FreeImage_SetMetadata(model, dib, key, tag)) << key;
    FreeImage_DeleteTag(tag);
}

void AttachText(FIBITMAP* dib, FREE_IMAGE_MDMODEL model, const char* key, WORD id, const char* text)
{
    const DWORD length = DWORD(std::strlen(text) + 1);
    AttachTag(dib, model, key, id, FIDT_ASCII, length, length, text);
}

// An APP1 EXIF block as a camera writes it (little-endian): IFD0 holds Make and
// points to a GPS IFD holding GPSLatitudeRef and GPSLatitude.
QByteArray ExifBlock()
{
    QByteArray b("Exif\0\0II*\0", 10);
    const auto u16 = [&](unsigned v) { b.append(char(v & 0xFF)).append(char(v >> 8)); };
    const auto u32 = [&](unsigned v) { u16(v & 0xFFFF); u16(v >> 16); };
    u32(8);
    u16(2);                                            // IFD0 at 8, ends at 38
    u16(0x010F), u16(2), u32(8), u32(38);              // Make -> 38
    u16(0x8825), u16(4), u32(1), u32(46);              // GPS IFD -> 46
    u32(0);
    b.append("TestCam", 8);                            // 38..46
    u16(2);                                            // GPS IFD at 46, ends at 76
    u16(0x0001), u16(2), u32(2), b.append("N\0\0\0", 4);
    u16(0x0002), u16(5), u32(3), u32(76);              // GPSLatitude -> 76
    u32(0);
    for (unsigned v : {48u, 1u, 51u, 1u, 30u, 1u}) u32(v);
    return b;
}

void AttachEverything(FIBITMAP* dib)
{
    const QByteArray exif = ExifBlock();
    AttachTag(dib, FIMD_EXIF_RAW, "ExifRaw", 0, FIDT_BYTE, DWORD(exif.size()), DWORD(exif.size()), exif.constData());
    AttachText(dib, FIMD_COMMENTS, "Comment", 0, "Kim, 42");
    AttachText(dib, FIMD_EXIF_MAIN, "Make", 0x010F, "TestCam");
    AttachText(dib, FIMD_EXIF_EXIF, "BodySerialNumber", 0xA431, "SN1234");
    AttachText(dib, FIMD_EXIF_GPS, "GPSLatitudeRef", 0x0001, "N");
    const DWORD latitude[] = {48, 1, 51, 1, 30, 1};
    AttachTag(dib, FIMD_EXIF_GPS, "GPSLatitude", 0x0002, FIDT_RATIONAL, 3, sizeof latitude, latitude);
    AttachText(dib, FIMD_XMP, "XMLPacket", 0, "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF/></x:xmpmeta>");
    AttachText(dib, FIMD_IPTC, "ObjectName", 0x0205, "Holiday");
    const BitmapPtr thumbnail = MakeNoisePicture(16, 12, 5);
    ASSERT_TRUE(FreeImage_SetThumbnail(dib, thumbnail.get()));
    char icc[256] = "an ICC profile";
    ASSERT_NE(FreeImage_CreateICCProfile(dib, icc, sizeof icc), nullptr);
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

TEST(WritePictureFile, JpegHoldsNothingButThePicture)
{
    const QString path = MakeScratchFolder("writer-jpeg") + "/masked.jpg";
    const BitmapPtr dib = MakeNoisePicture(64, 48, 2);
    AttachEverything(dib.get());

    ASSERT_TRUE(WritePictureFile(dib.get(), FIF_JPEG, JPEG_QUALITYSUPERB, path));
    ExpectOnlyPictureMarkers(path);
    const BitmapPtr reloaded = LoadPicture(FIF_JPEG, path);
    ExpectNoMetadata(reloaded.get());
}

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
    const BitmapPtr loaded = LoadPicture(FIF_JPEG, folder + "/camera.jpg");
    ASSERT_NE(loaded, nullptr);
    FITAG* make = nullptr;
    ASSERT_TRUE(FreeImage_GetMetadata(FIMD_EXIF_MAIN, loaded.get(), "Make", &make));
    EXPECT_STREQ(static_cast<const char*>(FreeImage_GetTagValue(make)), "TestCam");
    EXPECT_EQ(FreeImage_GetMetadataCount(FIMD_EXIF_GPS, loaded.get()), 2u);

    ASSERT_TRUE(FreeImage_Save(FIF_JPEG, loaded.get(), QFile::encodeName(folder + "/plain.jpg"), JPEG_QUALITYSUPERB));
    const std::vector<std::string> plain = JpegMarkers(ReadFile(folder + "/plain.jpg"));
    for (const char* kept : {"APP0 JFXX", "APP1", "APP2", "APP13", "COM"})
        EXPECT_NE(std::find(plain.begin(), plain.end(), kept), plain.end()) << kept;

    ASSERT_TRUE(WritePictureFile(loaded.get(), FIF_JPEG, JPEG_QUALITYSUPERB, folder + "/masked.jpg"));
    ExpectOnlyPictureMarkers(folder + "/masked.jpg");
    const BitmapPtr reloaded = LoadPicture(FIF_JPEG, folder + "/masked.jpg");
    ExpectNoMetadata(reloaded.get());
}

TEST(WritePictureFile, BmpReplacesAnExistingFile)
{
    const QString folder = MakeScratchFolder("writer-bmp");
    const QString name = "Gesicht verdeckt \u00dcbung \u00e9t\u00e9.bmp";
    WriteFile(folder + "/" + name, "old contents");
    const BitmapPtr dib = MakeNoisePicture(37, 23, 4);

    ASSERT_TRUE(WritePictureFile(dib.get(), FIF_BMP, 0, folder + "/" + name));
    EXPECT_EQ(DescribeDifference(dib.get(), LoadPicture(FIF_BMP, folder + "/" + name).get()), "");
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
    EXPECT_EQ(ReadFile(folder + "/existing.bmp"), "precious original");
    EXPECT_EQ(ReadFile(folder + "/plain-file"), "not a folder");
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
    EXPECT_EQ(ReadFile(path), "precious original");
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
    const QByteArray original = ReadFile(path);

    const BitmapPtr big = MakeNoisePicture(200, 200, 9);
    EXPECT_FALSE(WritePictureFile(big.get(), FIF_BMP, 0, path));
    EXPECT_EQ(ReadFile(path), original);
    EXPECT_EQ(FolderEntries(folder), QStringList{"picture.bmp"});
}
