#include "PictureLoader.h"

#include "JpegMetadataFilter.h"

#include <QFile>

#include <cstdint>
#include <limits>
#include <memory>
#include <optional>

namespace {

// The program keeps every picture as 24 bits per pixel; more than this would
// stall the machine for half a minute before anything could be shown.
constexpr std::uint64_t kMaxPixelBytes = std::uint64_t(1) << 30;

struct MemoryStreamCloser {
    void operator()(FIMEMORY* stream) const { FreeImage_CloseMemory(stream); }
};
using MemoryStream = std::unique_ptr<FIMEMORY, MemoryStreamCloser>;

FIBITMAP* Fail(PictureLoadFailure* failure, PictureLoadFailure reason)
{
    if (failure)
        *failure = reason;
    return nullptr;
}

std::uint64_t PixelBufferBytes(std::uint64_t width, std::uint64_t height)
{
    const std::uint64_t pitch = (width * 3 + 3) / 4 * 4;
    return pitch * height;
}

std::optional<QByteArray> ReadWholeFile(QFile& file)
{
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

// The header alone says how much memory the pixels would take, without
// allocating them.
PictureLoadFailure CheckHeader(FREE_IMAGE_FORMAT format, FIMEMORY* stream, int flags)
{
    FIBITMAP* header = FreeImage_LoadFromMemory(format, stream, flags | FIF_LOAD_NOPIXELS);
    if (!header)
        return PictureLoadFailure::Unreadable;
    const std::uint64_t bytes = PixelBufferBytes(FreeImage_GetWidth(header), FreeImage_GetHeight(header));
    FreeImage_Unload(header);
    return bytes > kMaxPixelBytes ? PictureLoadFailure::TooLarge : PictureLoadFailure::None;
}

FIBITMAP* DecodeFromMemory(FREE_IMAGE_FORMAT format, const QByteArray& bytes, int flags,
                           PictureLoadFailure* failure)
{
    // FreeImage only reads through this pointer; the decoded bitmap gets pixels of its own.
    MemoryStream stream(FreeImage_OpenMemory(reinterpret_cast<BYTE*>(const_cast<char*>(bytes.constData())),
                                             DWORD(bytes.size())));
    if (!stream)
        return Fail(failure, PictureLoadFailure::Unreadable);
    const PictureLoadFailure headerCheck = CheckHeader(format, stream.get(), flags);
    if (headerCheck != PictureLoadFailure::None)
        return Fail(failure, headerCheck);
    FreeImage_SeekMemory(stream.get(), 0, SEEK_SET);
    FIBITMAP* dib = FreeImage_LoadFromMemory(format, stream.get(), flags);
    if (!dib)
        return Fail(failure, PictureLoadFailure::Unreadable);
    if (failure)
        *failure = PictureLoadFailure::None;
    return dib;
}

} // namespace

FIBITMAP* LoadPictureFile(FREE_IMAGE_FORMAT format, const QString& path, int flags, PictureLoadFailure* failure)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Fail(failure, PictureLoadFailure::Unreadable);
    // FreeImage memory streams count their size in 32 bits.
    if (file.size() > qint64(std::numeric_limits<DWORD>::max()))
        return Fail(failure, PictureLoadFailure::TooLarge);
    std::optional<QByteArray> bytes = ReadWholeFile(file);
    file.close();
    if (bytes && format == FIF_JPEG)
        bytes = StripJpegMetadata(*bytes);
    if (!bytes)
        return Fail(failure, PictureLoadFailure::Unreadable);
    return DecodeFromMemory(format, *bytes, flags, failure);
}
