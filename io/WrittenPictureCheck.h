#pragma once

#include "io/DecoderComplaints.h"
#include "io/MaskBurn.h"

#include <FreeImage.h>
#include <QByteArray>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

// Decodes the JPEG being written at `path` on a second thread while the
// encoder writes it, so that reading it back costs hardly more than writing.
// The decoder reads the file itself: it waits for the bytes the writer says
// are on the disk and, once the writer is done, reads on to the file's end.
class JpegReadAlong {
public:
    JpegReadAlong(const QByteArray& path, unsigned width, unsigned height, const PictureEllipse& burn);
    // An unfinished write: the decoder is let go and awaited.
    ~JpegReadAlong();
    JpegReadAlong(const JpegReadAlong&) = delete;
    JpegReadAlong& operator=(const JpegReadAlong&) = delete;

    // false when the file or the thread could not be had: then nothing is decoded here.
    bool Started() const { return m_worker.joinable(); }
    void Grown(std::uint64_t bytesOnDisk);
    // The file is complete: whether its reduced decode is clean and shows the gray of the ellipse.
    bool ShowsMask();

    // The decoder's read handle.
    unsigned Read(void* buffer, unsigned size);
    long Position() const { return long(m_position); }

private:
    void Finish(bool abandoned);

    // Keeps the message callback in place, set from this thread only, while the worker listens.
    DecoderComplaints m_callbackKept;
    int m_fd = -1;
    std::mutex m_mutex;
    std::condition_variable m_grown;
    std::uint64_t m_onDisk = 0;    // guarded by m_mutex, as are the two below
    bool m_done = false;
    bool m_abandoned = false;
    std::uint64_t m_announced = 0;   // the writer's own
    std::uint64_t m_position = 0;    // the decoder's own, as is m_awaited
    std::uint64_t m_awaited = 0;
    bool m_showsMask = false;
    std::thread m_worker;
};

// Reads back the picture file just written at `path` and tells whether it is
// what the save meant to write: it decodes as `format` with `width` x
// `height` pixels, carries nothing but the picture (no metadata, no bytes
// after its end) and shows the gray of the ellipse `burn` burnt into it.
// A started `decoding` of the same file stands in for decoding it again.
bool WrittenPictureHoldsMask(const QByteArray& path, FREE_IMAGE_FORMAT format, unsigned width, unsigned height,
                             const PictureEllipse& burn, JpegReadAlong* decoding = nullptr);
