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

    bool IsOpen() const { return m_fd >= 0; }
    // Appends; a failure sticks, so Commit fails after it whatever follows.
    bool Write(const void* data, size_t size);
    // Bytes appended so far.
    long Position() const { return long(m_written + m_buffered); }
    // Bytes handed to the disk so far; a reader of the temporary file finds them there.
    size_t BytesOnDisk() const { return m_written; }
    const QByteArray& TemporaryPath() const { return m_temporary; }
    // Flushes and syncs; then, when `accept` (if given) approves the file
    // read back at its temporary path, closes and renames it over `path`.
    bool Commit(const std::function<bool(const QByteArray& writtenPath)>& accept = {});

private:
    bool OpenBeside(const QString& path);
    bool WriteOut(const char* data, size_t size);
    bool Flush();
    void Discard();

    QByteArray m_target;
    QByteArray m_temporary;
    int m_fd = -1;
    std::vector<char> m_buffer;
    size_t m_buffered = 0;
    size_t m_written = 0;
    bool m_failed = false;
};
