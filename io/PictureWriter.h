#pragma once

#include "io/MaskBurn.h"

#include <FreeImage.h>
#include <QString>

#include <vector>

// Removes every metadata model, the thumbnail and the ICC profile from `dib`,
// so nothing of the unmasked original (GPS position, camera serial, the
// embedded preview of the face) travels into a saved file.
void StripPictureMetadata(FIBITMAP* dib);

// Strips the metadata, encodes `dib` as `format` (BMP, JPEG or PNG) with
// `flags` and replaces the file at `path` only when everything was written and
// the file, read back, proved to be the picture alone with every ellipse of
// `burnt` gray in it. false on any failure; then no file is left behind and
// an existing file at `path` is untouched.
bool WritePictureFile(FIBITMAP* dib, FREE_IMAGE_FORMAT format, int flags, const QString& path,
                      const std::vector<PictureEllipse>& burnt = {});
