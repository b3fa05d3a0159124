#include "io/PictureWriter.h"

#include "io/AtomicFile.h"
#include "io/PictureReadAlong.h"
#include "io/PngChunkFilter.h"
#include "io/WrittenPictureCheck.h"

#include <optional>

namespace {

bool IsWritten(FREE_IMAGE_FORMAT format) { return format == FIF_BMP || format == FIF_JPEG || format == FIF_PNG; }

// Where the encoder's bytes go, and who decodes them as they arrive there.
class Destination {
public:
    Destination(AtomicFile& file, PictureReadAlong* readAlong, bool png)
        : m_file(file), m_readAlong(readAlong), m_filtered(png),
          m_png([this](const void* data, size_t size) { return ToFile(data, size); })
    {
    }

    bool Write(const void* data, size_t size) { return m_filtered ? m_png.Write(data, size) : ToFile(data, size); }
    long Position() const { return m_file.Position(); }

private:
    bool ToFile(const void* data, size_t size)
    {
        const bool written = m_file.Write(data, size);
        if (m_readAlong)
            m_readAlong->Grown(m_file.BytesOnDisk());
        return written;
    }

    AtomicFile& m_file;
    PictureReadAlong* m_readAlong;
    bool m_filtered;
    PngChunkFilter m_png;   // for a PNG only
};

Destination& DestinationOf(fi_handle handle) { return *static_cast<Destination*>(handle); }

unsigned DLL_CALLCONV ReadNothing(void*, unsigned, unsigned, fi_handle) { return 0; }

unsigned DLL_CALLCONV WriteToFile(void* buffer, unsigned size, unsigned count, fi_handle handle)
{
    return DestinationOf(handle).Write(buffer, size_t(size) * count) ? count : 0;
}

// The encoders only append. Going back would need buffered bytes undone, so a
// seek is refused and such a save fails before anything is replaced.
int DLL_CALLCONV RefuseSeek(fi_handle, long, int) { return -1; }

long DLL_CALLCONV TellPosition(fi_handle handle) { return DestinationOf(handle).Position(); }

// The encoder writes straight into the file that will take the target's place:
// no copy of the encoded picture is ever held in memory.
bool EncodeInto(Destination& to, FIBITMAP* dib, FREE_IMAGE_FORMAT format, int flags)
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
                      const std::vector<PictureEllipse>& burnt)
{
    if (!dib || path.isEmpty() || !IsWritten(format))
        return false;
    StripPictureMetadata(dib);
    const unsigned width = FreeImage_GetWidth(dib), height = FreeImage_GetHeight(dib);
    const std::vector<BurnRun> covered = CoveredRuns(width, height, burnt);
    AtomicFile file(path);
    if (!file.IsOpen())
        return false;
    // Decoding costs about what encoding does: the second core does it meanwhile.
    std::optional<PictureReadAlong> readAlong;
    if (PictureVerdict verdict = WrittenPixelsVerdict(format, width, height, covered))
        readAlong.emplace(file.Descriptor(), format, std::move(verdict));
    PictureReadAlong* decoding = readAlong ? &*readAlong : nullptr;
    // An encoder saying yes is not trusted: the faces must be hidden in what reached the disk.
    const auto proven = [&](int writtenFd) {
        return WrittenPictureHoldsMask(writtenFd, format, width, height, covered, decoding);
    };
    Destination to(file, decoding, format == FIF_PNG);
    // A failing encoder leaves an unfinished file, which is removed, never renamed.
    return EncodeInto(to, dib, format, flags) && file.Commit(proven);
}
