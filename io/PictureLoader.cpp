#include "io/PictureLoader.h"

#include "io/BmpLayout.h"
#include "io/JpegMetadataFilter.h"

#include <QFile>

#include <algorithm>
#include <cstdint>
#include <optional>

namespace {

// The program keeps every picture as 24 bits per pixel; loading one may hold
// no more than a gigabyte at once, more would stall the machine for half a
// minute before anything could be shown.
constexpr std::uint64_t kMaxPixelBytes = std::uint64_t(1) << 30;
// Every 8x8 block of a component keeps 64 two-byte coefficients.
constexpr std::uint64_t kBlockBytes = 128;
// Pixels a JPEG may claim for every byte of its file. The most compressible
// pictures encoders write (one flat colour at quality 1, baseline or
// progressive, 4:2:0, 4:4:4 or gray) carry at most 256; sixteen times that
// leaves room for arithmetic coding and for cut files. Up to 2048 x 2048 a
// claim costs too little to be worth refusing.
constexpr std::uint64_t kMaxJpegPixelsPerByte = 4096;
constexpr std::uint64_t kJpegClaimFloor = std::uint64_t(1) << 22;

BitmapPtr Fail(PictureLoadFailure* failure, PictureLoadFailure reason)
{
    if (failure)
        *failure = reason;
    return nullptr;
}

std::uint64_t BitmapBytes(std::uint64_t width, std::uint64_t height, unsigned bitsPerPixel)
{
    const std::uint64_t pitch = (width * bitsPerPixel + 31) / 32 * 4;
    return pitch * height;
}

// The decoded bitmap at the depth FreeImage gives it, and the 24-bit copy the
// caller converts it to while it is still held.
std::uint64_t HeldBitmapBytes(std::uint64_t width, std::uint64_t height, unsigned bitsPerPixel)
{
    const std::uint64_t decoded = BitmapBytes(width, height, bitsPerPixel);
    return bitsPerPixel == 24 ? decoded : decoded + BitmapBytes(width, height, 24);
}

std::uint64_t RoundUp(std::uint64_t value, std::uint64_t step)
{
    return (value + step - 1) / step * step;
}

std::uint64_t CoefficientBytes(const JpegFrame& frame)
{
    unsigned maxH = 1, maxV = 1;
    for (const JpegFrame::Component& c : frame.components) {
        maxH = std::max(maxH, c.horizontalSampling);
        maxV = std::max(maxV, c.verticalSampling);
    }
    std::uint64_t bytes = 0;
    for (const JpegFrame::Component& c : frame.components) {
        const std::uint64_t across = (std::uint64_t(frame.width) * c.horizontalSampling + 8 * maxH - 1) / (8 * maxH);
        const std::uint64_t down = (std::uint64_t(frame.height) * c.verticalSampling + 8 * maxV - 1) / (8 * maxV);
        bytes += RoundUp(across, c.horizontalSampling) * RoundUp(down, c.verticalSampling) * kBlockBytes;
    }
    return bytes;
}

// One component decodes to 8-bit gray; colour and CMYK to 24 bits.
std::uint64_t JpegPeakBytes(const JpegFrame& frame)
{
    const unsigned bitsPerPixel = frame.components.size() == 1 ? 8 : 24;
    const std::uint64_t bitmaps = HeldBitmapBytes(frame.width, frame.height, bitsPerPixel);
    return frame.holdsAllCoefficients ? bitmaps + CoefficientBytes(frame) : bitmaps;
}

// A tiny file whose frame header claims a huge picture would make the decoder
// work for seconds and fill it with gray.
bool ClaimsTooMuchForItsBytes(const JpegFrame& frame, std::uint64_t fileBytes)
{
    const std::uint64_t pixels = std::uint64_t(frame.width) * frame.height;
    return pixels > std::max(kJpegClaimFloor, fileBytes * kMaxJpegPixelsPerByte);
}

BitmapPtr Decode(PieceStream& stream, FREE_IMAGE_FORMAT format, int flags, PictureLoadFailure* failure)
{
    BitmapPtr dib(stream.Load(format, flags));
    if (!dib)
        return Fail(failure, PictureLoadFailure::Unreadable);
    Fail(failure, PictureLoadFailure::None);
    return dib;
}

// The size is read from the frame header before the decoder sees a byte.
BitmapPtr LoadJpeg(const PictureBytes& bytes, int flags, PictureLoadFailure* failure)
{
    const std::optional<JpegLayout> layout = WalkJpeg(bytes.data, bytes.size);
    if (!layout)
        return Fail(failure, PictureLoadFailure::Unreadable);
    if (JpegPeakBytes(layout->frame) > kMaxPixelBytes || ClaimsTooMuchForItsBytes(layout->frame, bytes.size))
        return Fail(failure, PictureLoadFailure::TooLarge);
    PieceStream stream(bytes);
    for (const BytePiece& piece : layout->kept)
        stream.AppendFromSource(piece);
    return Decode(stream, FIF_JPEG, flags, failure);
}

// The header alone says how much memory the pixels would take, without
// allocating them.
PictureLoadFailure CheckHeader(PieceStream& stream, FREE_IMAGE_FORMAT format, int flags)
{
    const BitmapPtr header(stream.Load(format, flags | FIF_LOAD_NOPIXELS));
    if (!header)
        return PictureLoadFailure::Unreadable;
    const std::uint64_t bytes = HeldBitmapBytes(FreeImage_GetWidth(header.get()), FreeImage_GetHeight(header.get()),
                                                FreeImage_GetBPP(header.get()));
    return bytes > kMaxPixelBytes ? PictureLoadFailure::TooLarge : PictureLoadFailure::None;
}

BitmapPtr LoadBitmapFile(FREE_IMAGE_FORMAT format, const PictureBytes& bytes, int flags,
                         PictureLoadFailure* failure)
{
    const std::optional<BmpLayout> layout =
        format == FIF_BMP ? ReadBmpLayout(bytes.data, bytes.size) : std::optional<BmpLayout>(BmpLayout{});
    if (!layout)
        return Fail(failure, PictureLoadFailure::Unreadable);
    PieceStream stream(bytes);
    if (layout->replacedHeaders.isEmpty()) {
        stream.AppendFromSource({0, bytes.size});
    } else {
        stream.AppendBuffer(layout->replacedHeaders);
        stream.AppendFromSource({layout->resumeAt, bytes.size - layout->resumeAt});
    }
    const PictureLoadFailure headerCheck = CheckHeader(stream, format, flags);
    if (headerCheck != PictureLoadFailure::None)
        return Fail(failure, headerCheck);
    if (layout->pixelDataTooShort)
        return Fail(failure, PictureLoadFailure::Unreadable);
    return Decode(stream, format, flags, failure);
}

} // namespace

BitmapPtr LoadPictureBytes(FREE_IMAGE_FORMAT format, const PictureBytes& bytes, int flags,
                           PictureLoadFailure* failure)
{
    if (format == FIF_JPEG)
        return LoadJpeg(bytes, flags, failure);
    return LoadBitmapFile(format, bytes, flags, failure);
}

BitmapPtr LoadPictureFile(FREE_IMAGE_FORMAT format, const QString& path, int flags, PictureLoadFailure* failure)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() <= 0)
        return Fail(failure, PictureLoadFailure::Unreadable);
    // Only the headers are read through the mapping; the decoder reads the
    // rest straight from the file.
    const uchar* mapped = file.map(0, file.size());
    if (!mapped)
        return Fail(failure, PictureLoadFailure::Unreadable);
    const PictureBytes bytes{mapped, std::uint64_t(file.size()), file.handle()};
    return LoadPictureBytes(format, bytes, flags, failure);
}
