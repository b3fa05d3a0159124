#pragma once

#include <FreeImage.h>
#include <QString>

#include <cstdint>
#include <optional>

// FreeImage names no HEIF format; the program gives it a number of its own,
// outside FreeImage's range, for the pictures libheif decodes.
constexpr FREE_IMAGE_FORMAT kHeifFormat = static_cast<FREE_IMAGE_FORMAT>(FIF_JXR + 1);

// The format a file's first bytes announce: JPEG, PNG, BMP, WebP, TIFF or
// HEIF, whatever the file is called. nullopt for anything else.
std::optional<FREE_IMAGE_FORMAT> ContentFormatOf(const uchar* bytes, std::uint64_t size);

// The flags each format is decoded with.
int OpenFlagsOf(FREE_IMAGE_FORMAT format);

// The open dialog's choice: every format the program reads, then each alone.
inline QString OpenDialogFilter()
{
    return QStringLiteral("Pictures (*.jpg *.jpeg *.png *.webp *.heic *.heif *.tif *.tiff *.bmp)|"
                          "*.jpg;*.jpeg;*.png;*.webp;*.heic;*.heif;*.tif;*.tiff;*.bmp|"
                          "JPEG (*.jpg *.jpeg)|*.jpg;*.jpeg|PNG (*.png)|*.png|WebP (*.webp)|*.webp|"
                          "HEIC (*.heic *.heif)|*.heic;*.heif|TIFF (*.tif *.tiff)|*.tif;*.tiff|BMP (*.bmp)|*.bmp||");
}
