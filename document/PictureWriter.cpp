#include "document/PictureWriter.h"

#include <QByteArray>
#include <QSaveFile>

#include <memory>
#include <optional>

#include <unistd.h>

namespace {

struct MemoryDeleter {
    void operator()(FIMEMORY* stream) const { FreeImage_CloseMemory(stream); }
};
using MemoryPtr = std::unique_ptr<FIMEMORY, MemoryDeleter>;

// Encoding into memory first means a failing encoder never touches the disk.
std::optional<QByteArray> EncodePicture(FIBITMAP* dib, FREE_IMAGE_FORMAT format, int flags)
{
    MemoryPtr stream(FreeImage_OpenMemory());
    if (!stream || !FreeImage_SaveToMemory(format, dib, stream.get(), flags)) return std::nullopt;

    BYTE* data = nullptr;
    DWORD size = 0;
    if (!FreeImage_AcquireMemory(stream.get(), &data, &size) || !data || size == 0) return std::nullopt;
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// Qt syncs before the rename but ignores a failing sync, and a full disk may
// only show up there; so sync ourselves and give up before replacing anything.
bool FlushAndSync(QSaveFile& file)
{
    return file.flush() && ::fsync(file.handle()) == 0;
}

// Writes a temporary file beside the target and renames it over the target
// only after all bytes reached the disk. An unfinished QSaveFile removes its
// temporary file when it goes out of scope.
bool ReplaceFileContents(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (file.write(bytes) != bytes.size()) return false;
    if (!FlushAndSync(file)) return false;
    return file.commit();
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

bool WritePictureFile(FIBITMAP* dib, FREE_IMAGE_FORMAT format, int flags, const QString& path)
{
    if (!dib || path.isEmpty()) return false;
    StripPictureMetadata(dib);
    const std::optional<QByteArray> bytes = EncodePicture(dib, format, flags);
    return bytes && ReplaceFileContents(path, *bytes);
}
