#include "io/PictureLoader.h"

#include "io/BmpLayout.h"
#include "io/ContentFormat.h"
#include "io/HeifDecoder.h"
#include "io/JpegMetadataFilter.h"
#include "io/PngLayout.h"
#include "io/TiffDecoder.h"
#include "io/WebpDecoder.h"

#include <QFile>

#include <algorithm>
#include <cstdint>
#include <optional>

namespace {

// Every 8x8 block of a component keeps 64 two-byte coefficients.
constexpr std::uint64_t kBlockBytes = 128;

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

DecodedPicture Decode(PieceStream& stream, FREE_IMAGE_FORMAT format, int flags)
{
    DecodedPicture decoded;
    decoded.bitmap.reset(stream.Load(format, flags));
    if (!decoded.bitmap)
        decoded.failure = PictureLoadFailure::Unreadable;
    return decoded;
}

// The decoder reads the kept pieces alone; the orientation comes from the
// Exif block it never sees.
DecodedPicture DecodePieces(const PictureBytes& bytes, const std::vector<BytePiece>& kept, BytePiece exif,
                            FREE_IMAGE_FORMAT format, int flags)
{
    PieceStream stream(bytes);
    for (const BytePiece& piece : kept)
        stream.AppendFromSource(piece);
    DecodedPicture decoded = Decode(stream, format, flags);
    decoded.orientation = ExifOrientationOf(bytes.data + exif.offset, exif.length);
    return decoded;
}

// The size is read from the frame header before the decoder sees a byte. A
// tiny file whose frame header claims a huge picture would make the decoder
// work for seconds and fill it with gray.
DecodedPicture DecodeJpeg(const PictureBytes& bytes, int flags)
{
    const std::optional<JpegLayout> layout = WalkJpeg(bytes.data, bytes.size);
    if (!layout)
        return RefusedPicture(PictureLoadFailure::Unreadable);
    if (JpegPeakBytes(layout->frame) > kMaxPixelBytes ||
        ClaimsMoreThanItsBytes(FIF_JPEG, layout->frame.width, layout->frame.height, bytes.size))
        return RefusedPicture(PictureLoadFailure::TooLarge);
    return DecodePieces(bytes, layout->kept, layout->exif, FIF_JPEG, flags);
}

DecodedPicture DecodePng(const PictureBytes& bytes, int flags)
{
    const std::optional<PngLayout> layout = WalkPng(bytes.data, bytes.size);
    if (!layout)
        return RefusedPicture(PictureLoadFailure::Unreadable);
    if (ClaimTooLarge(FIF_PNG, layout->width, layout->height, layout->decodedBits, bytes.size))
        return RefusedPicture(PictureLoadFailure::TooLarge);
    return DecodePieces(bytes, layout->kept, layout->exif, FIF_PNG, flags);
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

DecodedPicture DecodeBmp(const PictureBytes& bytes, int flags)
{
    const std::optional<BmpLayout> layout = ReadBmpLayout(bytes.data, bytes.size);
    if (!layout)
        return RefusedPicture(PictureLoadFailure::Unreadable);
    PieceStream stream(bytes);
    if (layout->replacedHeaders.isEmpty()) {
        stream.AppendFromSource({0, bytes.size});
    } else {
        stream.AppendBuffer(layout->replacedHeaders);
        stream.AppendFromSource({layout->resumeAt, bytes.size - layout->resumeAt});
    }
    const PictureLoadFailure headerCheck = CheckHeader(stream, FIF_BMP, flags);
    if (headerCheck != PictureLoadFailure::None)
        return RefusedPicture(headerCheck);
    if (layout->pixelDataTooShort)
        return RefusedPicture(PictureLoadFailure::Unreadable);
    return Decode(stream, FIF_BMP, flags);
}

BitmapPtr Fail(PictureLoadFailure* failure, PictureLoadFailure reason)
{
    if (failure)
        *failure = reason;
    return nullptr;
}

} // namespace

DecodedPicture DecodePicture(FREE_IMAGE_FORMAT format, const PictureBytes& bytes, int flags)
{
    switch (format) {
    case FIF_JPEG:
        return DecodeJpeg(bytes, flags);
    case FIF_PNG:
        return DecodePng(bytes, flags);
    case FIF_BMP:
        return DecodeBmp(bytes, flags);
    case FIF_WEBP:
        return DecodeWebp(bytes);
    case FIF_TIFF:
        return DecodeTiff(bytes);
    default:
        return format == kHeifFormat ? DecodeHeif(bytes) : RefusedPicture(PictureLoadFailure::Unreadable);
    }
}

BitmapPtr LoadPictureBytes(FREE_IMAGE_FORMAT format, const PictureBytes& bytes, int flags,
                           PictureLoadFailure* failure)
{
    DecodedPicture decoded = DecodePicture(format, bytes, flags);
    Fail(failure, decoded.failure);
    return std::move(decoded.bitmap);
}

MappedPicture::MappedPicture(const QString& path) : m_file(path)
{
    if (!m_file.open(QIODevice::ReadOnly) || m_file.size() <= 0)
        return;
    // Only the headers are read through the mapping; the decoders of JPEG,
    // PNG and BMP read the rest straight from the file.
    if (const uchar* mapped = m_file.map(0, m_file.size()))
        m_bytes = PictureBytes{mapped, std::uint64_t(m_file.size()), m_file.handle()};
}

BitmapPtr LoadPictureFile(FREE_IMAGE_FORMAT format, const QString& path, int flags, PictureLoadFailure* failure)
{
    const MappedPicture file(path);
    if (!file.IsOpen())
        return Fail(failure, PictureLoadFailure::Unreadable);
    return LoadPictureBytes(format, file.Bytes(), flags, failure);
}
