// Saves that fail at the disk, the folder or the target: every one shows the
// save message and loses nothing. The failures go through the program's own
// file calls, replaced here, unless the machine can produce them for real.
#include "tests/AppSession.h"
#include "tests/JpegInspection.h"
#include "tests/PictureMutants.h"
#include "tests/PngInspection.h"
#include "tests/TestPictures.h"

#include "io/FileCalls.h"
#include "io/MaskBurn.h"
#include "document/VeilcutDoc.h"
#include "resources/resource.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <cerrno>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace {

// FreeImage's JPEG encoder gives up on a full disk without freeing its row
// buffer; that is the library's leak, not one of ours, so the leak checker
// looks away for the length of a failing save.
class LibraryLeaksIgnored {
public:
#if defined(__SANITIZE_ADDRESS__)
    LibraryLeaksIgnored() { __lsan_disable(); }
    ~LibraryLeaksIgnored() { __lsan_enable(); }
#endif
};

const QString kSaveError = QStringLiteral("Can't save picture,\n unknown error.");

enum class Fault {
    DiskFull,          // room for `share` of the file plus `extra` bytes, then ENOSPC
    SyncFails,         // the disk fills up only when the data is flushed
    CloseFails,        // as a network disk may report late
    ReadOnlyFolder,    // for real where permissions hold, else refused at open
    FolderVanishes,    // removed by someone else halfway through the write
    FolderGone,        // removed between the dialog and the save
    TargetLocked,      // the old file cannot be replaced
    TargetIsFolder,
    SizeLimit,         // a file-size limit (ulimit -f) at `share` of the file
    WrongFile,         // the file read back is not what the encoder meant: `forge` made it
    NameTaken,         // after the check, another file is put under the temporary name
};

// Turns the bytes the encoder wrote into the wrong file the disk holds.
using Forgery = std::function<QByteArray(const QByteArray& written)>;

struct FailedWriteCase {
    std::string name;
    Fault fault;
    const char* suffix;       // ".bmp", ".jpg" or ".png"
    double share = 0;         // DiskFull and SizeLimit only
    long extra = 0;           // DiskFull only
    bool overOriginal = false;   // the target is the file the picture came from
    Forgery forge = nullptr;     // WrongFile only
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const FailedWriteCase& c, std::ostream* out) { *out << c.name; }

bool InSubfolder(Fault fault) { return fault == Fault::FolderVanishes || fault == Fault::FolderGone; }

// The picture the fixture opens, encoded as it was: the mask is missing.
QByteArray JpegWithoutMask(const QByteArray&)
{
    return EncodePicture(FIF_JPEG, MakeNoisePicture(600, 450, 5).get(), JPEG_QUALITYSUPERB);
}

// One byte of a burnt pixel (inside a run of ten gray pixels, which noise never has) is one off.
QByteArray BmpWithBurntPixelChanged(const QByteArray& written)
{
    const qsizetype run = written.indexOf(QByteArray(30, char(kMaskGray)), 54);
    QByteArray changed = written;
    changed[run + 3 + (3 - (run - 54) % 3) % 3] = char(kMaskGray - 1);
    return changed;
}

// A run of ten gray pixels (which noise never has) in the decoded PNG gets one byte one off.
QByteArray PngWithBurntPixelChanged(const QByteArray& written)
{
    const QString path = MakeScratchFolder(QStringLiteral("png-pixel-changed")) + QStringLiteral("/written.png");
    WriteFile(path, written);
    const BitmapPtr picture = PlainLoad(FIF_PNG, path);
    for (unsigned y = 0; y < FreeImage_GetHeight(picture.get()); ++y) {
        BYTE* line = FreeImage_GetScanLine(picture.get(), int(y));
        const BYTE* end = line + FreeImage_GetWidth(picture.get()) * 3;
        BYTE* run = std::search_n(line, const_cast<BYTE*>(end), 30, kMaskGray);
        if (run != end) {
            run[15] = kMaskGray - 1;
            return PngWithoutChunk(EncodePicture(FIF_PNG, picture.get(), PNG_Z_BEST_SPEED), "pHYs");
        }
    }
    return written;
}

QByteArray CutToHalf(const QByteArray& written) { return written.left(written.size() / 2); }

// A marker in the last of the coded data, far below the mask: only the
// decoder's complaint, heard on the thread that decodes, tells of the damage.
QByteArray JpegWithMarkerInTheData(const QByteArray& written)
{
    QByteArray damaged = written;
    damaged.replace(damaged.size() - 100, 2, "\xFF\xD0");
    return damaged;
}

std::vector<FailedWriteCase> WrongFileCases()
{
    const auto wrong = [](std::string name, const char* suffix, Forgery forge) {
        return FailedWriteCase{std::move(name), Fault::WrongFile, suffix, 0, 0, false, std::move(forge)};
    };
    return {
        wrong("JpegWithExif", ".jpg", [](const QByteArray& w) { return WithSegment(w, '\xE1', CameraExifBlock()); }),
        wrong("JpegWithBytesAfterTheEnd", ".jpg", [](const QByteArray& w) { return w + "trailer"; }),
        wrong("JpegCutToHalf", ".jpg", CutToHalf),
        wrong("JpegWithoutTheMask", ".jpg", JpegWithoutMask),
        wrong("JpegWithDamagedData", ".jpg", JpegWithMarkerInTheData),
        wrong("BmpWithBytesAfterThePixels", ".bmp", [](const QByteArray& w) { return w + "trailer"; }),
        wrong("BmpCutToHalf", ".bmp", CutToHalf),
        wrong("BmpWithABurntPixelChanged", ".bmp", BmpWithBurntPixelChanged),
        wrong("PngWithText", ".png", [](const QByteArray& w) { return PngWithChunk(w, "tEXt", "Author\0Someone"); }),
        wrong("PngWithExif", ".png", [](const QByteArray& w) { return PngWithChunk(w, "eXIf", CameraExifBlock()); }),
        wrong("PngWithBytesAfterTheEnd", ".png", [](const QByteArray& w) { return w + "trailer"; }),
        wrong("PngCutToHalf", ".png", CutToHalf),
        wrong("PngWithABurntPixelChanged", ".png", PngWithBurntPixelChanged),
    };
}

std::vector<FailedWriteCase> FailedWriteCases()
{
    std::vector<FailedWriteCase> cases = WrongFileCases();
    for (const auto& [suffix, kindName] : {std::pair{".bmp", "Bmp"}, std::pair{".jpg", "Jpeg"}, std::pair{".png", "Png"}}) {
        const std::string kind = kindName;
        cases.push_back({kind + "NoRoomAtAll", Fault::DiskFull, suffix, 0, 0});
        cases.push_back({kind + "RoomForOneByte", Fault::DiskFull, suffix, 0, 1});
        for (int tenth = 1; tenth <= 9; ++tenth)
            cases.push_back({kind + "FullAt" + std::to_string(tenth) + "Tenths", Fault::DiskFull, suffix, tenth / 10.0, 0});
        cases.push_back({kind + "ThreeKiBShort", Fault::DiskFull, suffix, 1, -3 * 1024});
        cases.push_back({kind + "OneByteShort", Fault::DiskFull, suffix, 1, -1});
        cases.push_back({kind + "FullOverTheOriginal", Fault::DiskFull, suffix, 0.5, 0, true});
        cases.push_back({kind + "SyncFails", Fault::SyncFails, suffix});
        cases.push_back({kind + "CloseFails", Fault::CloseFails, suffix});
        cases.push_back({kind + "ReadOnlyFolder", Fault::ReadOnlyFolder, suffix});
        cases.push_back({kind + "FolderVanishes", Fault::FolderVanishes, suffix});
        cases.push_back({kind + "FolderGone", Fault::FolderGone, suffix});
        cases.push_back({kind + "TargetLocked", Fault::TargetLocked, suffix});
        cases.push_back({kind + "TargetLockedOverTheOriginal", Fault::TargetLocked, suffix, 0, 0, true});
        cases.push_back({kind + "TargetIsFolder", Fault::TargetIsFolder, suffix});
        cases.push_back({kind + "SizeLimitAtHalf", Fault::SizeLimit, suffix, 0.5});
        cases.push_back({kind + "TemporaryNameTakenAfterTheCheck", Fault::NameTaken, suffix});
    }
    return cases;
}

QStringList Entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

int Fail(int error)
{
    errno = error;
    return -1;
}

// The system's calls, except where the case says the disk or the folder lets
// the save down. `struck` tells that the failure really happened.
class FaultyCalls : public FileCalls {
public:
    FaultyCalls(const FailedWriteCase& c, long fullSize, QString subfolder, bool permissionsHold)
        : c_(c), room_(std::max(0L, long(c.share * double(fullSize)) + c.extra)),
          subfolder_(std::move(subfolder)), permissionsHold_(permissionsHold)
    {
        SetFileCalls(this);
        getrlimit(RLIMIT_FSIZE, &savedLimit_);
        if (c_.fault == Fault::SizeLimit) {
            // The program itself must keep the kernel's signal from killing it.
            rlimit limit = savedLimit_;
            limit.rlim_cur = rlim_t(room_);
            setrlimit(RLIMIT_FSIZE, &limit);
        }
    }
    ~FaultyCalls() override
    {
        setrlimit(RLIMIT_FSIZE, &savedLimit_);
        SetFileCalls(nullptr);
    }

    int Open(int dir, const char* path, int flags, mode_t mode) override
    {
        const bool refuse = c_.fault == Fault::ReadOnlyFolder && !permissionsHold_;
        const int fd = refuse ? Fail(EACCES) : FileCalls::Open(dir, path, flags, mode);
        Strike(fd < 0 && (c_.fault == Fault::ReadOnlyFolder || c_.fault == Fault::FolderGone));
        return fd;
    }
    ssize_t Write(int fd, const void* data, size_t size) override
    {
        if (c_.fault == Fault::FolderVanishes && !struck) {
            // Half now, then the folder goes with the unfinished file in it.
            const ssize_t done = FileCalls::Write(fd, data, std::max<size_t>(1, size / 2));
            Strike(QDir(subfolder_).removeRecursively());
            return done;
        }
        if (c_.fault == Fault::WrongFile) {
            written_.append(static_cast<const char*>(data), qsizetype(size));
            return ssize_t(size);
        }
        if (c_.fault == Fault::SizeLimit) {
            const ssize_t done = FileCalls::Write(fd, data, size);
            Strike(done < 0 && errno == EFBIG);
            return done;
        }
        if (c_.fault != Fault::DiskFull)
            return FileCalls::Write(fd, data, size);
        if (used_ >= room_) {
            Strike(true);
            return Fail(ENOSPC);
        }
        const ssize_t done = FileCalls::Write(fd, data, std::min(size, size_t(room_ - used_)));
        used_ += std::max<ssize_t>(done, 0);
        return done;
    }
    int Sync(int fd) override
    {
        if (c_.fault == Fault::WrongFile) {
            const QByteArray forged = c_.forge(written_);
            Strike(forged != written_ && FileCalls::Write(fd, forged.constData(), size_t(forged.size())) == forged.size());
        }
        Strike(c_.fault == Fault::SyncFails);
        if (c_.fault == Fault::NameTaken)
            TakeTheName(fd);
        return c_.fault == Fault::SyncFails ? Fail(ENOSPC) : FileCalls::Sync(fd);
    }
    int Close(int fd) override
    {
        const int result = FileCalls::Close(fd);
        Strike(c_.fault == Fault::CloseFails);
        return c_.fault == Fault::CloseFails ? Fail(EIO) : result;
    }
    int Rename(int dir, const char* from, const char* to) override
    {
        Strike(c_.fault == Fault::TargetLocked);
        if (c_.fault == Fault::TargetLocked)
            return Fail(EPERM);
        const int result = FileCalls::Rename(dir, from, to);
        Strike(result != 0 && c_.fault == Fault::FolderVanishes);
        return result;
    }

    bool struck = false;

private:
    void Strike(bool happened) { struck = struck || happened; }

    // Another file is renamed over the written one's name; the written one lives on through its descriptor.
    void TakeTheName(int fd)
    {
        const QString name = QFile::symLinkTarget(QStringLiteral("/proc/self/fd/%1").arg(fd));
        const QString other = name + QStringLiteral(".other");
        WriteBytes(other, "someone else's file");
        Strike(!name.isEmpty() && std::rename(QFile::encodeName(other).constData(), QFile::encodeName(name).constData()) == 0);
    }

    const FailedWriteCase& c_;
    long room_;
    long used_ = 0;
    QString subfolder_;
    bool permissionsHold_;
    QByteArray written_;
    rlimit savedLimit_{};
};

class FailedWriteTest : public ::testing::TestWithParam<FailedWriteCase> {
protected:
    void SetUp() override
    {
        folder = MakeScratchFolder(QString::fromStdString("failed-write-" + GetParam().name));
        original = folder + QStringLiteral("/face.bmp");
        const BitmapPtr picture = MakeNoisePicture(600, 450, 5);
        ASSERT_TRUE(FreeImage_Save(FIF_BMP, picture.get(), QFile::encodeName(original).constData(), 0));
        session.SetClientSize(800, 600);
        session.dialogs.ChooseFile(original);
        session.Command(ID_FILE_OPEN);
        ASSERT_TRUE(session.doc()->m_picture);
    }
    void TearDown() override { QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner); }

    // The size the saved file has when nothing fails; saving twice burns the
    // same pixels, so the failing save would write as much.
    long FullSize(const char* suffix)
    {
        const QString probe = MakeScratchFolder(QString::fromStdString("failed-write-probe-" + GetParam().name)) +
                              QStringLiteral("/probe") + QLatin1String(suffix);
        EXPECT_TRUE(session.doc()->OnSaveDocument(probe));
        return long(QFileInfo(probe).size());
    }

    QString PrepareTarget(const FailedWriteCase& c)
    {
        if (c.overOriginal)
            return original;
        if (InSubfolder(c.fault)) {
            QDir(folder).mkdir(QStringLiteral("sub"));
            const QString target = folder + QStringLiteral("/sub/masked") + QLatin1String(c.suffix);
            WriteBytes(target, "precious target");
            if (c.fault == Fault::FolderGone)
                QDir(folder + QStringLiteral("/sub")).removeRecursively();
            return target;
        }
        const QString target = folder + QStringLiteral("/masked") + QLatin1String(c.suffix);
        if (c.fault == Fault::TargetIsFolder) {
            QDir(folder).mkpath(target);
            WriteBytes(target + QStringLiteral("/keep.txt"), "keep");
        } else {
            WriteBytes(target, "precious target");
        }
        return target;
    }

    // Root writes into a read-only folder anyway; then the refusal comes through the file calls.
    bool MakeFolderReadOnly()
    {
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        return ::access(QFile::encodeName(folder).constData(), W_OK) != 0;
    }

    AppSession session;
    QString folder;
    QString original;
};

TEST_P(FailedWriteTest, ShowsTheMessageAndLosesNothing)
{
    const FailedWriteCase& c = GetParam();
    const long fullSize = FullSize(c.suffix);
    ASSERT_GT(fullSize, 256 * 1024) << "the encoder must fail part way too, not only the last flush";
    const QString target = PrepareTarget(c);
    const QByteArray originalBytes = ReadWholeFile(original);
    const QByteArray targetBytes = ReadWholeFile(target);
    QStringList expectedEntries = Entries(folder);
    if (c.fault == Fault::FolderVanishes)
        expectedEntries.removeAll(QStringLiteral("sub"));
    const bool permissionsHold = c.fault == Fault::ReadOnlyFolder && MakeFolderReadOnly();
    session.doc()->SetModifiedFlag(TRUE);
    session.dialogs.messages.clear();
    const BitmapPtr pictureBefore(FreeImage_Clone(session.doc()->m_picture.get()));

    bool saved = true;
    bool struck = false;
    {
        FaultyCalls calls(c, fullSize, folder + QStringLiteral("/sub"), permissionsHold);
        [[maybe_unused]] const LibraryLeaksIgnored leaksOfTheEncoder;
        saved = session.doc()->OnSaveDocument(target);
        struck = calls.struck;
    }

    EXPECT_FALSE(saved);
    if (c.fault != Fault::TargetIsFolder) {
        EXPECT_TRUE(struck) << "the failure never happened";
    }
    ASSERT_EQ(session.dialogs.messages.size(), 1u);
    EXPECT_EQ(session.dialogs.messages[0].text, kSaveError);
    EXPECT_EQ(session.dialogs.messages[0].type, UINT(MB_OK));
    EXPECT_TRUE(session.doc()->IsModified());
    EXPECT_EQ(DescribeDifference(pictureBefore.get(), session.doc()->m_picture.get()), "") << "the burn stayed";
    EXPECT_EQ(Entries(folder), expectedEntries);
    EXPECT_EQ(ReadWholeFile(original), originalBytes);
    if (c.fault == Fault::TargetIsFolder) {
        EXPECT_EQ(Entries(target), QStringList{QStringLiteral("keep.txt")});
    } else if (!InSubfolder(c.fault)) {
        EXPECT_EQ(ReadWholeFile(target), targetBytes);
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, FailedWriteTest, ::testing::ValuesIn(FailedWriteCases()),
                         [](const auto& info) { return info.param.name; });

} // namespace
