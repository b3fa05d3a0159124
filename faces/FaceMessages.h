#pragma once

#include <QString>

// What the face search tells the user; each text is two pieces, the first
// ending in a line break.
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
} // namespace FaceMessages
