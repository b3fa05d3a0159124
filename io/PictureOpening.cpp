#include "io/PictureOpening.h"

#include "io/ContentFormat.h"
#include "io/DecoderComplaints.h"
#include "io/OpaquePicture.h"
#include "io/PictureLoader.h"
#include "io/PictureOrientation.h"

#include <QFile>

namespace {

OpenedPicture Refused(OpenFailure failure, FREE_IMAGE_FORMAT format)
{
    OpenedPicture refused;
    refused.failure = failure;
    refused.format = format;
    return refused;
}

OpenFailure OpenFailureOf(PictureLoadFailure failure)
{
    return failure == PictureLoadFailure::TooLarge ? OpenFailure::TooLarge : OpenFailure::Unreadable;
}

bool HasAlpha(FREE_IMAGE_FORMAT format)
{
    return format == FIF_PNG || format == FIF_WEBP || format == kHeifFormat;
}

} // namespace

OpenedPicture OpenPictureBytes(const PictureBytes& bytes)
{
    const std::optional<FREE_IMAGE_FORMAT> format = ContentFormatOf(bytes.data, bytes.size);
    if (!format)
        return Refused(OpenFailure::Unsupported, FIF_UNKNOWN);
    DecodedPicture decoded;
    bool complained = false;
    {
        // A decoder may fill what it could not read with gray and only warn.
        const DecoderComplaints complaints;
        decoded = DecodePicture(*format, bytes, OpenFlagsOf(*format));
        complained = complaints.Heard();
    }
    if (!decoded.bitmap)
        return Refused(OpenFailureOf(decoded.failure), *format);
    if (!HoldsPictureChannels(decoded.bitmap.get()))
        return Refused(OpenFailure::NotBitmap, *format);
    BitmapPtr opaque = OpaquePicture(std::move(decoded.bitmap), HasAlpha(*format));
    BitmapPtr upright = opaque ? OrientPicture(std::move(opaque), decoded.orientation) : nullptr;
    // Nothing usable is left; say so rather than report an empty success.
    if (!upright)
        return Refused(OpenFailure::Unreadable, *format);
    OpenedPicture opened;
    opened.picture = std::move(upright);
    opened.format = *format;
    opened.damaged = complained || decoded.damaged;
    return opened;
}

OpenedPicture OpenPictureFile(const QString& path)
{
    const MappedPicture file(path);
    if (!file.IsOpen())
        return Refused(OpenFailure::Unreadable, FIF_UNKNOWN);
    return OpenPictureBytes(file.Bytes());
}

std::optional<FREE_IMAGE_FORMAT> ContentFormatOfFile(const QString& path)
{
    // Enough for every signature the program knows.
    constexpr qint64 kSignatureBytes = 16;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray start = file.read(kSignatureBytes);
    return ContentFormatOf(reinterpret_cast<const uchar*>(start.constData()), std::uint64_t(start.size()));
}
