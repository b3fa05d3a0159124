#pragma once

#include <FreeImage.h>

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

// Loads the picture being read, with the decoder's flags.
using PictureLoad = std::function<FIBITMAP*(int flags)>;
// Reads its next bytes into `buffer`, up to `size`; 0 at its end.
using PictureRead = std::function<std::size_t(void* buffer, std::size_t size)>;
// The picture being read, whole through FreeImage or byte after byte.
struct PictureSource {
    PictureLoad load;
    PictureRead read;
};
// Decodes from `source` and tells whether the picture is what was meant.
using PictureVerdict = std::function<bool(const PictureSource& source)>;

// Decodes the picture file being written through `fd` on a second thread
// while the encoder writes it, so that reading it back costs hardly more than
// writing. The decoder waits for the bytes the writer says are on the disk
// and, once the writer is done, reads on to the file's end. It reads through
// the writer's own descriptor and opens nothing.
class PictureReadAlong {
public:
    PictureReadAlong(int fd, FREE_IMAGE_FORMAT format, PictureVerdict verdict);
    // An unfinished write: the decoder is let go and awaited.
    ~PictureReadAlong();
    PictureReadAlong(const PictureReadAlong&) = delete;
    PictureReadAlong& operator=(const PictureReadAlong&) = delete;

    // false when no thread could be had: then nothing is decoded here.
    bool Started() const { return m_worker.joinable(); }
    void Grown(std::uint64_t bytesOnDisk);
    // The file is complete: the verdict on it. A verdict that threw is a no.
    bool Verdict();

    // The decoder's read handle.
    unsigned Read(void* buffer, unsigned size);
    long Position() const { return long(m_position); }

private:
    void Finish(bool abandoned);

    int m_fd;
    std::mutex m_mutex;
    std::condition_variable m_grown;
    std::uint64_t m_onDisk = 0;    // guarded by m_mutex, as are the two below
    bool m_done = false;
    bool m_abandoned = false;
    std::uint64_t m_announced = 0;   // the writer's own
    std::uint64_t m_position = 0;    // the decoder's own, as is m_awaited
    std::uint64_t m_awaited = 0;
    bool m_verdict = false;
    std::thread m_worker;
};
