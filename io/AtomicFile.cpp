#include "io/AtomicFile.h"

#include "io/FileCalls.h"

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
        m_failed = true;
}

AtomicFile::~AtomicFile()
{
    Discard();
    if (m_folder >= 0)
        ::close(m_folder);
}

bool AtomicFile::OpenBeside(const QString& path)
{
    const QFileInfo existing(path);
    if (existing.isDir() || (existing.exists() && !existing.isWritable()))
        return false;
    m_folder = CurrentFileCalls().Open(AT_FDCWD, QFile::encodeName(existing.absolutePath()).constData(),
                                       O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (m_folder < 0)
        return false;
    m_target = QFile::encodeName(existing.fileName());
    for (int attempt = 0; attempt < kNameAttempts && m_fd < 0; ++attempt) {
        m_temporary = m_target + RandomSuffix();
        m_fd = CurrentFileCalls().Open(m_folder, m_temporary.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd < 0 && errno != EEXIST)
            break;
    }
    if (m_fd < 0) {
        m_temporary.clear();
        return false;
    }
    struct stat old {};
    if (::fstatat(m_folder, m_target.constData(), &old, 0) == 0)
        ::fchmod(m_fd, old.st_mode & 07777);   // the new file keeps the old one's permissions
    m_buffer.resize(kBufferBytes);
    return true;
}

bool AtomicFile::WriteOut(const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t done = CurrentFileCalls().Write(m_fd, data, size);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return false;
        data += done;
        size -= size_t(done);
        m_written += size_t(done);
    }
    return true;
}

bool AtomicFile::Flush()
{
    if (m_failed)
        return false;
    const bool ok = WriteOut(m_buffer.data(), m_buffered);
    m_buffered = 0;
    m_failed = !ok;
    return ok;
}

bool AtomicFile::Write(const void* data, size_t size)
{
    if (m_failed)
        return false;
    const char* bytes = static_cast<const char*>(data);
    if (m_buffered + size <= m_buffer.size()) {
        std::memcpy(m_buffer.data() + m_buffered, bytes, size);
        m_buffered += size;
        return true;
    }
    if (!Flush())
        return false;
    if (size >= m_buffer.size()) {
        m_failed = !WriteOut(bytes, size);
        return !m_failed;
    }
    std::memcpy(m_buffer.data(), bytes, size);
    m_buffered = size;
    return true;
}

bool AtomicFile::StillNamesOurFile() const
{
    struct stat ours {}, named {};
    return ::fstat(m_fd, &ours) == 0 && ::fstatat(m_folder, m_temporary.constData(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
           ours.st_dev == named.st_dev && ours.st_ino == named.st_ino;
}

bool AtomicFile::Commit(const std::function<bool(int writtenFd)>& accept)
{
    // A full disk may only show at the sync or the close; give up before replacing anything.
    if (!Flush() || CurrentFileCalls().Sync(m_fd) != 0 || (accept && !accept(m_fd)) || !StillNamesOurFile()) {
        Discard();
        return false;
    }
    const int fd = m_fd;
    m_fd = -1;
    if (CurrentFileCalls().Close(fd) != 0 ||
        CurrentFileCalls().Rename(m_folder, m_temporary.constData(), m_target.constData()) != 0) {
        Discard();
        return false;
    }
    m_temporary.clear();
    return true;
}

void AtomicFile::Discard()
{
    m_failed = true;
    if (m_fd >= 0)
        CurrentFileCalls().Close(m_fd);
    m_fd = -1;
    if (!m_temporary.isEmpty())
        CurrentFileCalls().Remove(m_folder, m_temporary.constData());
    m_temporary.clear();
}
