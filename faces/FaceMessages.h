#pragma once

#include <QString>

#include <cstddef>

// What the face search tells the user; each text but the save's question is
// two pieces, the first ending in a line break.
namespace FaceMessages {
inline QString NoFace() { return QStringLiteral("No face found,\n") + QStringLiteral(" place the ellipse by hand."); }
inline QString SearchFailed()
{
    return QStringLiteral("Can't search for faces,\n") + QStringLiteral(" unknown error.");
}
inline QString ModelMissing(const QString& path)
{
    return QStringLiteral("Can't search for faces,\n") +
           QStringLiteral(" the face model %1 is missing or damaged; reinstall Veilcut.").arg(path);
}
// Asked before a save writes a picture with faces left uncovered.
inline QString NotCovered(std::size_t faces)
{
    return faces == 1 ? QStringLiteral("1 face is not covered. Save anyway?")
                      : QStringLiteral("%1 faces are not covered. Save anyway?").arg(faces);
}
} // namespace FaceMessages
