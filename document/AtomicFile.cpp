#include "document/AtomicFile.h"

#include "document/FileCalls.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Small writes (JPEG hands over 4 KiB at a time) are gathered; a write of at
// least this much goes to the disk directly (BMP hands over all pixels at once).
constexpr size_t kBufferBytes = 256 * 1024;
constexpr int kNameAttempts = 64;

QByteArray RandomSuffix()
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray suffix(".", 1);
    for (int i = 0; i < 6; ++i)
        suffix += letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))];
    return suffix + ".tmp";
}

// Replacing a link writes through to the file it points to, so the link stays a link.
QString FinalTarget(const QString& path)
{
    QFileInfo info(path);
    for (int hops = 0; info.isSymLink() && hops < 40; ++hops)
        info.setFile(info.symLinkTarget());
    return info.filePath();
}

} // namespace

AtomicFile::AtomicFile(const QString& path)
{
    if (!OpenBeside(FinalTarget(path)))
        failed_ = true;
}

AtomicFile::~AtomicFile() { Discard(); }

bool AtomicFile::OpenBeside(const QString& path)
{
    const QFileInfo existing(path);
    if (existing.isDir() || (existing.exists() && !existing.isWritable()))
        return false;
    target_ = QFile::encodeName(path);
    for (int attempt = 0; attempt < kNameAttempts && fd_ < 0; ++attempt) {
        temporary_ = target_ + RandomSuffix();
        fd_ = CurrentFileCalls().Open(temporary_.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST)
            break;
    }
    if (fd_ < 0) {
        temporary_.clear();
        return false;
    }
    struct stat old {};
    if (::stat(target_.constData(), &old) == 0)
        ::fchmod(fd_, old.st_mode & 07777);   // the new file keeps the old one's permissions
    buffer_.resize(kBufferBytes);
    return true;
}

bool AtomicFile::WriteOut(const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t done = CurrentFileCalls().Write(fd_, data, size);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return false;
        data += done;
        size -= size_t(done);
        written_ += size_t(done);
    }
    return true;
}

bool AtomicFile::Flush()
{
    if (failed_)
        return false;
    const bool ok = WriteOut(buffer_.data(), buffered_);
    buffered_ = 0;
    failed_ = !ok;
    return ok;
}

bool AtomicFile::Write(const void* data, size_t size)
{
    if (failed_)
        return false;
    const char* bytes = static_cast<const char*>(data);
    if (buffered_ + size <= buffer_.size()) {
        std::memcpy(buffer_.data() + buffered_, bytes, size);
        buffered_ += size;
        return true;
    }
    if (!Flush())
        return false;
    if (size >= buffer_.size()) {
        failed_ = !WriteOut(bytes, size);
        return !failed_;
    }
    std::memcpy(buffer_.data(), bytes, size);
    buffered_ = size;
    return true;
}

bool AtomicFile::Commit(const std::function<bool(const QByteArray& writtenPath)>& accept)
{
    // A full disk may only show at the sync or the close; give up before replacing anything.
    if (!Flush() || CurrentFileCalls().Sync(fd_) != 0 || (accept && !accept(temporary_))) {
        Discard();
        return false;
    }
    const int fd = fd_;
    fd_ = -1;
    if (CurrentFileCalls().Close(fd) != 0 || CurrentFileCalls().Rename(temporary_.constData(), target_.constData()) != 0) {
        Discard();
        return false;
    }
    temporary_.clear();
    return true;
}

void AtomicFile::Discard()
{
    failed_ = true;
    if (fd_ >= 0)
        CurrentFileCalls().Close(fd_);
    fd_ = -1;
    if (!temporary_.isEmpty())
        CurrentFileCalls().Remove(temporary_.constData());
    temporary_.clear();
}
