#include "io/PictureFormats.h"

namespace {
bool EndsWithAny(const CString& path, std::initializer_list<const char*> suffixes)
{
    for (const char* suffix : suffixes) {
        if (path.endsWith(QLatin1String(suffix), Qt::CaseSensitive))
            return true;
    }
    return false;
}
} // namespace

std::optional<PictureFormat> OpenFormatOf(const CString& path)
{
    if (EndsWithAny(path, {".bmp", ".BMP"}))
        return PictureFormat{FIF_BMP, BMP_DEFAULT};
    if (EndsWithAny(path, {".jpg", ".JPG", ".jpeg", ".JPEG"}))
        return PictureFormat{FIF_JPEG, JPEG_ACCURATE};
    return std::nullopt;
}

std::optional<PictureFormat> SaveFormatOf(const CString& path)
{
    if (EndsWithAny(path, {".bmp", ".BMP"}))
        return PictureFormat{FIF_BMP, BMP_DEFAULT};
    if (EndsWithAny(path, {".jpg", ".JPG"}))
        return PictureFormat{FIF_JPEG, JPEG_QUALITYSUPERB};
    return std::nullopt;
}
