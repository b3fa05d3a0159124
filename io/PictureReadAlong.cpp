#include "io/PictureReadAlong.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <system_error>

#include <unistd.h>

namespace {

PictureReadAlong* AlongOf(fi_handle handle) { return static_cast<PictureReadAlong*>(handle); }

unsigned DLL_CALLCONV ReadAlong(void* buffer, unsigned size, unsigned count, fi_handle handle)
{
    return size == 0 ? 0 : AlongOf(handle)->Read(buffer, size * count) / size;
}

unsigned DLL_CALLCONV WriteNothing(void*, unsigned, unsigned, fi_handle) { return 0; }

int DLL_CALLCONV RefuseSeek(fi_handle, long, int) { return -1; }

long DLL_CALLCONV TellAlong(fi_handle handle) { return AlongOf(handle)->Position(); }

} // namespace

PictureReadAlong::PictureReadAlong(int fd, FREE_IMAGE_FORMAT format, PictureVerdict verdict) : m_fd(fd)
{
    if (m_fd < 0)
        return;
    try {
        m_worker = std::thread([this, format, verdict = std::move(verdict)] {
            // Nothing thrown may leave the thread: it would end the program.
            try {
                FreeImageIO io{ReadAlong, WriteNothing, RefuseSeek, TellAlong};
                m_verdict = verdict(
                    {[this, &io, format](int flags) {
                         return FreeImage_LoadFromHandle(format, &io, static_cast<fi_handle>(this), flags);
                     },
                     [this](void* buffer, std::size_t size) {
                         return std::size_t(Read(buffer, unsigned(std::min<std::size_t>(size, UINT_MAX))));
                     }});
            } catch (...) {
                m_verdict = false;
            }
        });
    } catch (const std::system_error&) {
        // No second thread: the file is decoded once it is complete, as without one.
    }
}

PictureReadAlong::~PictureReadAlong()
{
    Finish(true);
    if (m_worker.joinable())
        m_worker.join();
}

void PictureReadAlong::Grown(std::uint64_t bytesOnDisk)
{
    if (bytesOnDisk <= m_announced)
        return;
    m_announced = bytesOnDisk;
    {
        const std::lock_guard lock(m_mutex);
        m_onDisk = bytesOnDisk;
    }
    m_grown.notify_one();
}

void PictureReadAlong::Finish(bool abandoned)
{
    {
        const std::lock_guard lock(m_mutex);
        m_done = true;
        m_abandoned = m_abandoned || abandoned;
    }
    m_grown.notify_one();
}

bool PictureReadAlong::Verdict()
{
    Finish(false);
    if (m_worker.joinable())
        m_worker.join();
    return m_verdict;
}

unsigned PictureReadAlong::Read(void* buffer, unsigned size)
{
    for (;;) {
        std::unique_lock lock(m_mutex);
        m_grown.wait(lock, [this] { return m_done || m_onDisk > m_awaited; });
        if (m_abandoned)
            return 0;
        const bool complete = m_done;
        const std::uint64_t onDisk = m_onDisk;
        lock.unlock();
        const size_t wanted = complete ? size : size_t(std::min<std::uint64_t>(size, onDisk - m_position));
        const ssize_t got = ::pread(m_fd, buffer, wanted, off_t(m_position));
        if (got < 0 && errno == EINTR)
            continue;
        if (got > 0) {
            m_position += std::uint64_t(got);
            m_awaited = m_position;
            return unsigned(got);
        }
        if (got < 0 || complete)
            return 0;
        // The file holds less than the writer handed over: wait for more, or for the end.
        m_awaited = onDisk;
    }
}
