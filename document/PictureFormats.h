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
