#include "io/PictureWriter.h"

#include "io/AtomicFile.h"
#include "io/WrittenPictureCheck.h"

#include <optional>

namespace {

// Where the encoder's bytes go, and who decodes them as they arrive there.
struct Destination {
    AtomicFile& file;
    JpegReadAlong* readAlong;
};

Destination& DestinationOf(fi_handle handle) { return *static_cast<Destination*>(handle); }

unsigned DLL_CALLCONV ReadNothing(void*, unsigned, unsigned, fi_handle) { return 0; }

unsigned DLL_CALLCONV WriteToFile(void* buffer, unsigned size, unsigned count, fi_handle handle)
{
    Destination& to = DestinationOf(handle);
    const bool written = to.file.Write(buffer, size_t(size) * count);
    if (to.readAlong)
        to.readAlong->Grown(to.file.BytesOnDisk());
    return written ? count : 0;
}

// The BMP and JPEG encoders only append. Going back would need buffered bytes
// undone, so a seek is refused and such a save fails before anything is replaced.
int DLL_CALLCONV RefuseSeek(fi_handle, long, int) { return -1; }

long DLL_CALLCONV TellPosition(fi_handle handle) { return DestinationOf(handle).file.Position(); }

// The encoder writes straight into the file that will take the target's place:
// no copy of the encoded picture is ever held in memory.
bool EncodeInto(Destination to, FIBITMAP* dib, FREE_IMAGE_FORMAT format, int flags)
{
    FreeImageIO io{ReadNothing, WriteToFile, RefuseSeek, TellPosition};
    return FreeImage_SaveToHandle(format, dib, &io, static_cast<fi_handle>(&to), flags);
}

} // namespace

void StripPictureMetadata(FIBITMAP* dib)
{
    if (!dib) return;
    for (int model = FIMD_COMMENTS; model <= FIMD_EXIF_RAW; ++model)
        FreeImage_SetMetadata(FREE_IMAGE_MDMODEL(model), dib, nullptr, nullptr);
    FreeImage_SetThumbnail(dib, nullptr);
    FreeImage_DestroyICCProfile(dib);
}

bool WritePictureFile(FIBITMAP* dib, FREE_IMAGE_FORMAT format, int flags, const QString& path,
                      const PictureEllipse& burn)
{
    if (!dib || path.isEmpty() || !FreeImage_FIFSupportsWriting(format))
        return false;
    StripPictureMetadata(dib);
    const unsigned width = FreeImage_GetWidth(dib), height = FreeImage_GetHeight(dib);
    AtomicFile file(path);
    if (!file.IsOpen())
        return false;
    // Decoding a JPEG costs about what encoding it does: the second core does it meanwhile.
    std::optional<JpegReadAlong> readAlong;
    if (format == FIF_JPEG)
        readAlong.emplace(file.TemporaryPath(), width, height, burn);
    JpegReadAlong* decoding = readAlong ? &*readAlong : nullptr;
    // An encoder saying yes is not trusted: the face must be hidden in what reached the disk.
    const auto proven = [&](const QByteArray& written) {
        return WrittenPictureHoldsMask(written, format, width, height, burn, decoding);
    };
    // A failing encoder leaves an unfinished file, which is removed, never renamed.
    return EncodeInto({file, decoding}, dib, format, flags) && file.Commit(proven);
}
