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
// Saving takes .jpg .jpeg .jpe (JPEG), .png and .bmp, each all in lower or
// all in upper case.
std::optional<PictureFormat> SaveFormatOf(const CString& path);

// The type a save proposes for a picture read from a `source` file: PNG for
// a lossless source (a screenshot keeps its crisp text), JPEG otherwise.
FREE_IMAGE_FORMAT ProposedSaveFormat(FREE_IMAGE_FORMAT source);
// `fileName` as the save proposes it for a picture read from a `source`
// file: kept when its suffix already saves as the proposed type, else with
// that type's suffix in place of its own.
CString ProposedSaveName(const CString& fileName, FREE_IMAGE_FORMAT source);

// The save dialogs' choice of formats, the proposed type first, and the
// suffix a name typed without one gets when the filter selected names none.
CString SaveDialogFilter(FREE_IMAGE_FORMAT proposed);
CString SaveDialogExtension(FREE_IMAGE_FORMAT proposed);
