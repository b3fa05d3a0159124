#pragma once

#include <QByteArray>

#include <optional>

// The JPEG stream without APP1-APP13, APP15 and COM segments; nullopt when its
// marker structure before the first SOS is broken.
std::optional<QByteArray> StripJpegMetadata(const QByteArray& jpeg);
