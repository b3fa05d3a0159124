#include "io/WrittenPictureCheck.h"

#include "io/DecoderComplaints.h"

#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr std::uint64_t kBmpHeaders = 14 + 40;
// Largest difference from the mask gray allowed in a reduced pixel whose
// 8 x 8 block the encoder was given all gray. Measured at the superb quality
// with noise and saturated colours around ellipses: 0 (the 1/8 decode keeps
// each block's colour whole); 2 leaves room for another build of the decoder.
constexpr int kJpegTolerance = 2;
// Only blocks lying wholly inside the burn are looked at.
constexpr unsigned kJpegUnit = 8;
// The decoder's smallest scale: one pixel per 8 x 8 block, all the check needs.
constexpr int kEighthScale = JPEG_FAST | (1 << 16);

struct Bytes {
    const uchar* data;
    std::uint64_t size;
};

struct Run {
    unsigned first = 0;
    unsigned end = 0;
};

// The burnt columns of every scan line; empty where nothing was burnt.
std::vector<Run> BurntRows(unsigned width, unsigned height, const PictureEllipse& burn)
{
    std::vector<Run> rows(height);
    ForEachBurnRun(width, height, burn, [&rows](const BurnRun& run) { rows[run.row] = {run.first, run.end}; });
    return rows;
}

class FreeImageBytes {
public:
    explicit FreeImageBytes(Bytes bytes) : m_memory(FreeImage_OpenMemory(const_cast<uchar*>(bytes.data), DWORD(bytes.size))) {}
    ~FreeImageBytes() { FreeImage_CloseMemory(m_memory); }
    FreeImageBytes(const FreeImageBytes&) = delete;
    FreeImageBytes& operator=(const FreeImageBytes&) = delete;

    FIBITMAP* Load(FREE_IMAGE_FORMAT format, int flags) const { return FreeImage_LoadFromMemory(format, m_memory, flags); }

private:
    FIMEMORY* m_memory;
};

bool DecodesWithSize(const FreeImageBytes& file, FREE_IMAGE_FORMAT format, int flags, unsigned width, unsigned height)
{
    FIBITMAP* dib = file.Load(format, flags);
    const bool fits = dib && FreeImage_GetWidth(dib) == width && FreeImage_GetHeight(dib) == height &&
                      FreeImage_GetBPP(dib) == 24;
    FreeImage_Unload(dib);
    return fits;
}

// The plain form FreeImage writes for 24 bits: file header, 40-byte info
// header, no palette, the rows, and nothing after them.
bool BmpIsPlain(Bytes file, unsigned width, unsigned height)
{
    const uchar* b = file.data;
    const std::uint64_t pitch = (std::uint64_t(width) * 3 + 3) / 4 * 4;
    return file.size >= kBmpHeaders && b[0] == 'B' && b[1] == 'M' && qFromLittleEndian<quint32>(b + 10) == kBmpHeaders &&
           qFromLittleEndian<quint32>(b + 14) == 40 && qFromLittleEndian<qint32>(b + 18) == qint32(width) &&
           qFromLittleEndian<qint32>(b + 22) == qint32(height) && qFromLittleEndian<quint16>(b + 28) == 24 &&
           qFromLittleEndian<quint32>(b + 30) == 0 && file.size == kBmpHeaders + pitch * height;
}

bool BmpHoldsMask(Bytes file, unsigned width, unsigned height, const PictureEllipse& burn)
{
    if (!BmpIsPlain(file, width, height) || !DecodesWithSize(FreeImageBytes(file), FIF_BMP, FIF_LOAD_NOPIXELS, width, height))
        return false;
    const std::uint64_t pitch = (std::uint64_t(width) * 3 + 3) / 4 * 4;
    bool gray = true;
    ForEachBurnRun(width, height, burn, [&](const BurnRun& run) {
        const uchar* pixel = file.data + kBmpHeaders + run.row * pitch + std::uint64_t(run.first) * 3;
        const uchar* end = pixel + std::uint64_t(run.end - run.first) * 3;
        gray = gray && std::all_of(pixel, end, [](uchar value) { return value == kMaskGray; });
    });
    return gray;
}

unsigned BigEndian16(const uchar* p) { return unsigned(p[0]) << 8 | p[1]; }

// Past the entropy-coded data of a scan to the next marker; restart markers
// and stuffed bytes belong to the data.
std::uint64_t SkipScanData(Bytes file, std::uint64_t pos)
{
    while (pos + 1 < file.size) {
        const void* found = std::memchr(file.data + pos, 0xFF, file.size - pos - 1);
        if (!found)
            return file.size;
        pos = std::uint64_t(static_cast<const uchar*>(found) - file.data);
        const uchar next = file.data[pos + 1];
        if (next != 0x00 && (next < 0xD0 || next > 0xD7))
            return pos;
        pos += 2;
    }
    return file.size;
}

bool IsJfifHeader(const uchar* payload, unsigned length)
{
    return length >= 5 && std::memcmp(payload, "JFIF", 5) == 0;
}

// SOI, one APP0 JFIF, then only what the decoder needs (tables, frame,
// restart interval, scans), and EOI as the file's last two bytes.
bool JpegCarriesOnlyPicture(Bytes file, unsigned width, unsigned height)
{
    if (file.size < 4 || file.data[0] != 0xFF || file.data[1] != 0xD8)
        return false;
    bool frame = false, scan = false, jfif = false;
    std::uint64_t pos = 2;
    while (pos + 4 <= file.size && file.data[pos] == 0xFF) {
        const uchar marker = file.data[pos + 1];
        if (marker == 0xD9)
            return frame && scan && pos + 2 == file.size;
        const unsigned length = BigEndian16(file.data + pos + 2);
        const uchar* payload = file.data + pos + 4;
        if (length < 2 || pos + 2 + length > file.size)
            return false;
        switch (marker) {
        case 0xE0:
            if (jfif || !IsJfifHeader(payload, length - 2))
                return false;
            jfif = true;
            break;
        case 0xC0: case 0xC1: case 0xC2:
            if (frame || length < 7 || BigEndian16(payload + 1) != height || BigEndian16(payload + 3) != width)
                return false;
            frame = true;
            break;
        case 0xDA:
            scan = true;
            break;
        case 0xC4: case 0xDB: case 0xDD:
            break;
        default:
            return false;
        }
        pos += 2 + length;
        if (marker == 0xDA)
            pos = SkipScanData(file, pos);
    }
    return pos + 2 == file.size && file.data[pos] == 0xFF && file.data[pos + 1] == 0xD9 && frame && scan;
}

// The smallest scale FreeImage picks for a requested size of one pixel.
unsigned EighthScaleDivisor(unsigned width, unsigned height)
{
    const unsigned longer = std::max(width, height);
    return longer >= 8 ? 8 : longer >= 4 ? 4 : longer >= 2 ? 2 : 1;
}

// The columns every one of `count` scan lines from `top` down burnt.
Run CommonRun(const std::vector<Run>& rows, unsigned top, unsigned count)
{
    Run common{0, ~0u};
    for (unsigned i = 0; i < count; ++i) {
        const Run& row = rows[top - i];
        common = {std::max(common.first, row.first), std::min(common.end, row.end)};
    }
    return common.first < common.end ? common : Run{};
}

bool NearGray(const BYTE* pixel)
{
    return std::abs(pixel[FI_RGBA_BLUE] - kMaskGray) <= kJpegTolerance &&
           std::abs(pixel[FI_RGBA_GREEN] - kMaskGray) <= kJpegTolerance &&
           std::abs(pixel[FI_RGBA_RED] - kMaskGray) <= kJpegTolerance;
}

// Every reduced pixel of each 8 x 8 block (counted from the top-left, as the
// file stores them) that lies wholly inside the burn is near the gray.
bool ReducedShowsMask(FIBITMAP* reduced, unsigned divisor, unsigned width, unsigned height, const PictureEllipse& burn)
{
    const std::vector<Run> rows = BurntRows(width, height, burn);
    const unsigned reducedHeight = FreeImage_GetHeight(reduced);
    const unsigned step = kJpegUnit / divisor;
    for (unsigned top = 0; top + kJpegUnit <= height; top += kJpegUnit) {
        const Run common = CommonRun(rows, height - 1 - top, kJpegUnit);
        const unsigned firstBlock = (common.first + kJpegUnit - 1) / kJpegUnit;
        for (unsigned block = firstBlock; (block + 1) * kJpegUnit <= common.end; ++block) {
            for (unsigned r = 0; r < step; ++r) {
                const BYTE* line = FreeImage_GetScanLine(reduced, int(reducedHeight - 1 - top / divisor - r));
                for (unsigned c = 0; c < step; ++c) {
                    if (!NearGray(line + (block * step + c) * 3))
                        return false;
                }
            }
        }
    }
    return true;
}

bool ReducedJpegShowsMask(const std::function<FIBITMAP*(int flags)>& load, unsigned width, unsigned height,
                          const PictureEllipse& burn)
{
    const unsigned divisor = EighthScaleDivisor(width, height);
    DecoderComplaints complaints;
    FIBITMAP* reduced = load(kEighthScale);
    const bool holds = reduced && !complaints.Heard() && FreeImage_GetBPP(reduced) == 24 &&
                       FreeImage_GetWidth(reduced) == (width + divisor - 1) / divisor &&
                       FreeImage_GetHeight(reduced) == (height + divisor - 1) / divisor &&
                       ReducedShowsMask(reduced, divisor, width, height, burn);
    FreeImage_Unload(reduced);
    return holds;
}

bool JpegHoldsMask(Bytes file, unsigned width, unsigned height, const PictureEllipse& burn, JpegReadAlong* decoding)
{
    if (!JpegCarriesOnlyPicture(file, width, height))
        return false;
    if (decoding && decoding->Started())
        return decoding->ShowsMask();
    const FreeImageBytes bytes(file);
    return ReducedJpegShowsMask([&bytes](int flags) { return bytes.Load(FIF_JPEG, flags); }, width, height, burn);
}

JpegReadAlong* AlongOf(fi_handle handle) { return static_cast<JpegReadAlong*>(handle); }

unsigned DLL_CALLCONV ReadAlong(void* buffer, unsigned size, unsigned count, fi_handle handle)
{
    return size == 0 ? 0 : AlongOf(handle)->Read(buffer, size * count) / size;
}

unsigned DLL_CALLCONV WriteNothing(void*, unsigned, unsigned, fi_handle) { return 0; }

int DLL_CALLCONV RefuseSeek(fi_handle, long, int) { return -1; }

long DLL_CALLCONV TellAlong(fi_handle handle) { return AlongOf(handle)->Position(); }

} // namespace

bool WrittenPictureHoldsMask(const QByteArray& path, FREE_IMAGE_FORMAT format, unsigned width, unsigned height,
                             const PictureEllipse& burn, JpegReadAlong* decoding)
{
    QFile file(QFile::decodeName(path));
    if (!file.open(QIODevice::ReadOnly) || file.size() <= 0 || file.size() > qint64(UINT32_MAX))
        return false;
    const uchar* mapped = file.map(0, file.size());
    if (!mapped)
        return false;
    const Bytes bytes{mapped, std::uint64_t(file.size())};
    if (format == FIF_BMP)
        return BmpHoldsMask(bytes, width, height, burn);
    if (format == FIF_JPEG)
        return JpegHoldsMask(bytes, width, height, burn, decoding);
    return false;
}

JpegReadAlong::JpegReadAlong(const QByteArray& path, unsigned width, unsigned height, const PictureEllipse& burn)
    : m_fd(::open(path.constData(), O_RDONLY | O_CLOEXEC))
{
    if (m_fd < 0)
        return;
    try {
        m_worker = std::thread([this, width, height, burn] {
            FreeImageIO io{ReadAlong, WriteNothing, RefuseSeek, TellAlong};
            m_showsMask = ReducedJpegShowsMask(
                [this, &io](int flags) { return FreeImage_LoadFromHandle(FIF_JPEG, &io, static_cast<fi_handle>(this), flags); },
                width, height, burn);
        });
    } catch (const std::system_error&) {
        // No second thread: the file is decoded once it is complete, as without one.
    }
}

JpegReadAlong::~JpegReadAlong()
{
    Finish(true);
    if (m_worker.joinable())
        m_worker.join();
    if (m_fd >= 0)
        ::close(m_fd);
}

void JpegReadAlong::Grown(std::uint64_t bytesOnDisk)
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

void JpegReadAlong::Finish(bool abandoned)
{
    {
        const std::lock_guard lock(m_mutex);
        m_done = true;
        m_abandoned = m_abandoned || abandoned;
    }
    m_grown.notify_one();
}

bool JpegReadAlong::ShowsMask()
{
    Finish(false);
    m_worker.join();
    return m_showsMask;
}

unsigned JpegReadAlong::Read(void* buffer, unsigned size)
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
