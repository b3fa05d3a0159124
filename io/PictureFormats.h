#pragma once

#include "framework/AfxTypes.h"

#include <FreeImage.h>

#include <optional>

struct PictureFormat {
    FREE_IMAGE_FORMAT format;
    int flags;
    bool operator==(const PictureFormat&) const = default;
};

// The format follows the name alone, compared byte for byte and case by case.
// Opening takes .bmp .BMP .jpg .JPG .jpeg .JPEG.
std::optional<PictureFormat> OpenFormatOf(const CString& path);
// Saving takes the four-letter suffixes only: .bmp .BMP .jpg .JPG.
std::optional<PictureFormat> SaveFormatOf(const CString& path);

// The save dialogs' choice of formats, and the suffix a name typed without
// one gets when the filter selected names none.
inline CString SaveDialogFilter()
{
    return QStringLiteral("Pict Files (*.jpg)|*.jpg|Pict Files (*.bmp)|*.bmp||");
}
inline CString SaveDialogExtension()
{
    return QStringLiteral("jpg");
}
