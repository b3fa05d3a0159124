#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <functional>
#include <vector>

// A new file written beside `path` that takes the place of `path` only once
// every byte of it reached the disk. Until Commit succeeds `path` is left as
// it was, and the unfinished file is removed when the object goes away.
class AtomicFile {
public:
    explicit AtomicFile(const QString& path);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    // Appends; a failure sticks, so Commit fails after it whatever follows.
    bool Write(const void* data, size_t size);
    // Bytes appended so far.
    long Position() const { return long(written_ + buffered_); }
    // Bytes handed to the disk so far; a reader of the temporary file finds them there.
    size_t BytesOnDisk() const { return written_; }
    const QByteArray& TemporaryPath() const { return temporary_; }
    // Flushes and syncs; then, when `accept` (if given) approves the file
    // read back at its temporary path, closes and renames it over `path`.
    bool Commit(const std::function<bool(const QByteArray& writtenPath)>& accept = {});

private:
    bool OpenBeside(const QString& path);
    bool WriteOut(const char* data, size_t size);
    bool Flush();
    void Discard();

    QByteArray target_;
    QByteArray temporary_;
    int fd_ = -1;
    std::vector<char> buffer_;
    size_t buffered_ = 0;
    size_t written_ = 0;
    bool failed_ = false;
};
