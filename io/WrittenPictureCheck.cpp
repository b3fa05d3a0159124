#include "io/WrittenPictureCheck.h"

#include "io/DecoderComplaints.h"

#include <QtEndian>

#include <png.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <sys/mman.h>
#include <sys/stat.h>
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
using Runs = std::vector<Run>;

// The burnt runs of every scan line, left to right; empty where nothing was burnt.
std::vector<Runs> BurntRows(unsigned height, const std::vector<BurnRun>& covered)
{
    std::vector<Runs> rows(height);
    for (const BurnRun& run : covered) {
        if (run.row < height)
            rows[run.row].push_back({run.first, run.end});
    }
    return rows;
}

// The columns both lists of disjoint, ordered runs hold.
Runs Intersection(const Runs& a, const Runs& b)
{
    Runs both;
    auto i = a.begin();
    auto j = b.begin();
    while (i != a.end() && j != b.end()) {
        const Run common{std::max(i->first, j->first), std::min(i->end, j->end)};
        if (common.first < common.end)
            both.push_back(common);
        if (i->end < j->end)
            ++i;
        else
            ++j;
    }
    return both;
}

class MappedFile {
public:
    explicit MappedFile(int fd)
    {
        struct stat info {};
        if (::fstat(fd, &info) != 0 || info.st_size <= 0 || std::uint64_t(info.st_size) > UINT32_MAX)
            return;
        void* mapped = ::mmap(nullptr, size_t(info.st_size), PROT_READ, MAP_SHARED, fd, 0);
        if (mapped != MAP_FAILED)
            m_bytes = {static_cast<const uchar*>(mapped), std::uint64_t(info.st_size)};
    }
    ~MappedFile()
    {
        if (m_bytes.data)
            ::munmap(const_cast<uchar*>(m_bytes.data), size_t(m_bytes.size));
    }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    const Bytes& bytes() const { return m_bytes; }

private:
    Bytes m_bytes{nullptr, 0};
};

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

bool AllGray(const uchar* pixels, unsigned count)
{
    return std::all_of(pixels, pixels + std::size_t(count) * 3, [](uchar value) { return value == kMaskGray; });
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

bool BmpHoldsMask(Bytes file, unsigned width, unsigned height, const std::vector<BurnRun>& covered)
{
    if (!BmpIsPlain(file, width, height) || !DecodesWithSize(FreeImageBytes(file), FIF_BMP, FIF_LOAD_NOPIXELS, width, height))
        return false;
    const std::uint64_t pitch = (std::uint64_t(width) * 3 + 3) / 4 * 4;
    return std::all_of(covered.begin(), covered.end(), [&](const BurnRun& run) {
        return run.row < height && run.end <= width &&
               AllGray(file.data + kBmpHeaders + run.row * pitch + std::uint64_t(run.first) * 3, run.end - run.first);
    });
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
Runs CommonRuns(const std::vector<Runs>& rows, unsigned top, unsigned count)
{
    Runs common = rows[top];
    for (unsigned i = 1; i < count && !common.empty(); ++i)
        common = Intersection(common, rows[top - i]);
    return common;
}

bool NearGray(const BYTE* pixel)
{
    return std::abs(pixel[FI_RGBA_BLUE] - kMaskGray) <= kJpegTolerance &&
           std::abs(pixel[FI_RGBA_GREEN] - kMaskGray) <= kJpegTolerance &&
           std::abs(pixel[FI_RGBA_RED] - kMaskGray) <= kJpegTolerance;
}

// Every reduced pixel of each 8 x 8 block (counted from the top-left, as the
// file stores them) that lies wholly inside the burn is near the gray.
bool BlocksNearGray(FIBITMAP* reduced, unsigned divisor, unsigned top, const Run& common)
{
    const unsigned reducedHeight = FreeImage_GetHeight(reduced);
    const unsigned step = kJpegUnit / divisor;
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
    return true;
}

bool ReducedShowsMask(FIBITMAP* reduced, unsigned divisor, unsigned height, const std::vector<BurnRun>& covered)
{
    const std::vector<Runs> rows = BurntRows(height, covered);
    for (unsigned top = 0; top + kJpegUnit <= height; top += kJpegUnit) {
        for (const Run& common : CommonRuns(rows, height - 1 - top, kJpegUnit)) {
            if (!BlocksNearGray(reduced, divisor, top, common))
                return false;
        }
    }
    return true;
}

bool ReducedJpegShowsMask(const PictureSource& source, unsigned width, unsigned height,
                          const std::vector<BurnRun>& covered)
{
    const unsigned divisor = EighthScaleDivisor(width, height);
    DecoderComplaints complaints;
    FIBITMAP* reduced = source.load(kEighthScale);
    const bool holds = reduced && !complaints.Heard() && FreeImage_GetBPP(reduced) == 24 &&
                       FreeImage_GetWidth(reduced) == (width + divisor - 1) / divisor &&
                       FreeImage_GetHeight(reduced) == (height + divisor - 1) / divisor &&
                       ReducedShowsMask(reduced, divisor, height, covered);
    FreeImage_Unload(reduced);
    return holds;
}

// One read of the file from `at` through its descriptor, again when a signal
// cut it short.
ssize_t ReadOnce(int fd, void* into, std::size_t count, std::uint64_t at)
{
    ssize_t got = 0;
    do
        got = ::pread(fd, into, count, off_t(at));
    while (got < 0 && errno == EINTR);
    return got;
}

// `count` bytes of the file from `at`.
bool ReadAt(int fd, std::uint64_t at, uchar* into, std::size_t count)
{
    while (count > 0) {
        const ssize_t got = ReadOnce(fd, into, count, at);
        if (got <= 0)
            return false;
        at += std::uint64_t(got);
        into += got;
        count -= std::size_t(got);
    }
    return true;
}

// The file from its start, read through its descriptor and never mapped, so
// that a check holds no more of it than it looks at.
PictureRead ReadingFrom(int fd)
{
    return [fd, position = std::uint64_t(0)](void* buffer, std::size_t size) mutable -> std::size_t {
        const ssize_t got = ReadOnce(fd, buffer, size, position);
        if (got <= 0)
            return 0;
        position += std::uint64_t(got);
        return std::size_t(got);
    };
}

// Signature, IHDR (8-bit RGB, not interlaced, of the picture's size), IDAT
// chunks and IEND as the file's last twelve bytes: no text, time, colour
// profile, Exif, physical size or palette. Only the chunks' heads are read.
bool PngCarriesOnlyPicture(int fd, unsigned width, unsigned height)
{
    static const uchar kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    static const uchar kHeader[5] = {8, 2, 0, 0, 0};
    struct stat info {};
    uchar head[8 + 25];
    if (::fstat(fd, &info) != 0 || info.st_size < 8 + 25 + 12 || !ReadAt(fd, 0, head, sizeof head) ||
        std::memcmp(head, kSignature, 8) != 0)
        return false;
    const std::uint64_t size = std::uint64_t(info.st_size);
    const uchar* ihdr = head + 8;
    if (qFromBigEndian<quint32>(ihdr) != 13 || std::memcmp(ihdr + 4, "IHDR", 4) != 0 ||
        qFromBigEndian<quint32>(ihdr + 8) != width || qFromBigEndian<quint32>(ihdr + 12) != height ||
        std::memcmp(ihdr + 16, kHeader, 5) != 0)
        return false;
    bool data = false;
    uchar chunk[8];
    for (std::uint64_t pos = 8 + 25; pos + 12 <= size && ReadAt(fd, pos, chunk, sizeof chunk);) {
        const std::uint64_t length = qFromBigEndian<quint32>(chunk);
        if (std::memcmp(chunk + 4, "IEND", 4) == 0)
            return data && length == 0 && pos + 12 == size;
        if (std::memcmp(chunk + 4, "IDAT", 4) != 0)
            return false;
        data = true;
        pos += 12 + length;
    }
    return false;
}

// What libpng reads from and whether it warned.
struct PngReading {
    const PictureRead* read;
    bool warned = false;
};

[[noreturn]] void StopAtPngError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void NotePngWarning(png_structp png, png_const_charp)
{
    static_cast<PngReading*>(png_get_error_ptr(png))->warned = true;
}

void ReadPngBytes(png_structp png, png_bytep into, png_size_t size)
{
    const PictureRead& read = *static_cast<PngReading*>(png_get_io_ptr(png))->read;
    png_size_t got = 0;
    try {
        for (std::size_t n = 1; got < size && n > 0; got += n)
            n = read(into + got, size - got);
    } catch (...) {
        // Nothing thrown may cross libpng.
    }
    if (got < size)
        png_error(png, "cut short");
}

// The rows as they arrive, each burnt run of each held to the exact gray.
// libpng reports an error by a long jump back here: nothing with a destructor
// lives between the setjmp and the last call into libpng.
bool PngRowsShowMask(png_structp png, png_infop info, unsigned width, unsigned height,
                     const std::vector<Runs>& burnt, png_bytep row)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_info(png, info);
    if (png_get_image_width(png, info) != width || png_get_image_height(png, info) != height ||
        png_get_bit_depth(png, info) != 8 || png_get_color_type(png, info) != PNG_COLOR_TYPE_RGB ||
        png_get_interlace_type(png, info) != PNG_INTERLACE_NONE)
        return false;
    for (unsigned y = 0; y < height; ++y) {
        png_read_row(png, row, nullptr);
        // The burnt runs count scan lines from the bottom.
        for (const Run& run : burnt[height - 1 - y]) {
            if (!AllGray(row + std::size_t(run.first) * 3, run.end - run.first))
                return false;
        }
    }
    png_read_end(png, nullptr);
    return true;
}

// The whole picture decoded, cleanly, with the exact gray on every covered
// pixel; a row at a time, so that the check holds a row of the picture.
bool PngShowsMask(const PictureSource& source, unsigned width, unsigned height, const std::vector<BurnRun>& covered)
{
    if (!std::all_of(covered.begin(), covered.end(),
                     [&](const BurnRun& run) { return run.row < height && run.end <= width; }))
        return false;
    const std::vector<Runs> burnt = BurntRows(height, covered);
    std::vector<png_byte> row(3 * std::size_t(width));
    PngReading reading{&source.read};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &reading, &StopAtPngError, &NotePngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool holds = false;
    if (info) {
        png_set_read_fn(png, &reading, &ReadPngBytes);
        // Extra data and the like count as errors, not warnings.
        png_set_benign_errors(png, 0);
        holds = PngRowsShowMask(png, info, width, height, burnt, row.data()) && !reading.warned;
    }
    png_destroy_read_struct(&png, &info, nullptr);
    return holds;
}

bool PixelsHoldMask(const PictureSource& written, const PictureVerdict& verdict, PictureReadAlong* decoding)
{
    if (decoding && decoding->Started())
        return decoding->Verdict();
    return verdict(written);
}

} // namespace

PictureVerdict WrittenPixelsVerdict(FREE_IMAGE_FORMAT format, unsigned width, unsigned height,
                                    const std::vector<BurnRun>& covered)
{
    if (format == FIF_JPEG)
        return [=](const PictureSource& source) { return ReducedJpegShowsMask(source, width, height, covered); };
    if (format == FIF_PNG)
        return [=](const PictureSource& source) { return PngShowsMask(source, width, height, covered); };
    return {};
}

bool WrittenPictureHoldsMask(int fd, FREE_IMAGE_FORMAT format, unsigned width, unsigned height,
                             const std::vector<BurnRun>& covered, PictureReadAlong* decoding)
{
    const PictureVerdict verdict = WrittenPixelsVerdict(format, width, height, covered);
    if (format == FIF_PNG) {
        // Read, never mapped: the check holds a few rows of the file at most.
        const PictureSource written{[](int) { return static_cast<FIBITMAP*>(nullptr); }, ReadingFrom(fd)};
        return PngCarriesOnlyPicture(fd, width, height) && PixelsHoldMask(written, verdict, decoding);
    }
    const MappedFile mapped(fd);
    const Bytes& bytes = mapped.bytes();
    if (!bytes.data)
        return false;
    switch (format) {
    case FIF_BMP:
        return BmpHoldsMask(bytes, width, height, covered);
    case FIF_JPEG: {
        const FreeImageBytes file(bytes);
        const PictureSource written{[&file](int flags) { return file.Load(FIF_JPEG, flags); }, ReadingFrom(fd)};
        return JpegCarriesOnlyPicture(bytes, width, height) && PixelsHoldMask(written, verdict, decoding);
    }
    default:
        return false;
    }
}
