#include "document/PictureWriter.h"

#include "document/AtomicFile.h"
#include "document/WrittenPictureCheck.h"

namespace {

AtomicFile* FileOf(fi_handle handle) { return static_cast<AtomicFile*>(handle); }

unsigned DLL_CALLCONV ReadNothing(void*, unsigned, unsigned, fi_handle) { return 0; }

unsigned DLL_CALLCONV WriteToFile(void* buffer, unsigned size, unsigned count, fi_handle handle)
{
    return FileOf(handle)->Write(buffer, size_t(size) * count) ? count : 0;
}

// The BMP and JPEG encoders only append. Going back would need buffered bytes
// undone, so a seek is refused and such a save fails before anything is replaced.
int DLL_CALLCONV RefuseSeek(fi_handle, long, int) { return -1; }

long DLL_CALLCONV TellPosition(fi_handle handle) { return FileOf(handle)->Position(); }

// The encoder writes straight into the file that will take the target's place:
// no copy of the encoded picture is ever held in memory.
bool EncodeInto(AtomicFile& file, FIBITMAP* dib, FREE_IMAGE_FORMAT format, int flags)
{
    FreeImageIO io{ReadNothing, WriteToFile, RefuseSeek, TellPosition};
    return FreeImage_SaveToHandle(format, dib, &io, static_cast<fi_handle>(&file), flags);
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
    // An encoder saying yes is not trusted: the face must be hidden in what reached the disk.
    const auto proven = [&](const QByteArray& written) {
        return WrittenPictureHoldsMask(written, format, width, height, burn);
    };
    AtomicFile file(path);
    // A failing encoder leaves an unfinished file, which is removed, never renamed.
    return file.IsOpen() && EncodeInto(file, dib, format, flags) && file.Commit(proven);
}
