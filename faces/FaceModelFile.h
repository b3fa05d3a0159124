#pragma once

#include <QByteArray>
#include <QString>

// The face model's file: where the program finds it and its bytes, refused
// when missing or not the very file the build checked.
namespace FaceModelFile {
// Installed beside the program (../share/veilcut), else where the build put it.
QString Path();
// The same for the data file `fileName` that the build put at `built`.
QString DataPath(const char* fileName, const char* built);
// The file's bytes, or empty when it is missing or damaged.
QByteArray Read(const QString& path);
} // namespace FaceModelFile
