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
    // The new file, open for reading and writing: what is read through it is what will be renamed.
    int Descriptor() const { return m_fd; }
    // Appends; a failure sticks, so Commit fails after it whatever follows.
    bool Write(const void* data, size_t size);
    // Bytes appended so far.
    long Position() const { return long(m_written + m_buffered); }
    // Bytes handed to the disk so far; a reader of the descriptor finds them there.
    size_t BytesOnDisk() const { return m_written; }
    // Flushes and syncs; then, when `accept` (if given) approves the file read
    // back through the descriptor, renames it over `path`. The renaming goes
    // through the folder opened at the start, and only while the temporary
    // name still names the file that was checked.
    bool Commit(const std::function<bool(int writtenFd)>& accept = {});

private:
    bool OpenBeside(const QString& path);
    bool StillNamesOurFile() const;
    bool WriteOut(const char* data, size_t size);
    bool Flush();
    void Discard();

    QByteArray m_target;      // the name within the folder
    QByteArray m_temporary;   // likewise
    int m_folder = -1;
    int m_fd = -1;
    std::vector<char> m_buffer;
    size_t m_buffered = 0;
    size_t m_written = 0;
    bool m_failed = false;
};
