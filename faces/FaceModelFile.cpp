#include "faces/FaceModelFile.h"

#include <QCryptographicHash>
#include <QFile>

#include <filesystem>
#include <system_error>

namespace {
const char kFileName[] = "face_detection_back_256x256_barracuda.onnx";
// The same digest the build checks the downloaded file against.
const char kSha256[] = "427cbbe0fc41448d09e1dc9cfabe2423d997cf2faaeab91fadd09a510b63b8e2";
constexpr qint64 kMostBytes = 4 << 20;
} // namespace

QString FaceModelFile::Path()
{
    return DataPath(kFileName, VEILCUT_FACE_MODEL_BUILT);
}

QString FaceModelFile::DataPath(const char* fileName, const char* built)
{
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        const std::filesystem::path installed = program.parent_path().parent_path() / "share" / "veilcut" / fileName;
        if (std::filesystem::exists(installed, error))
            return QString::fromStdString(installed.string());
    }
    return QString::fromUtf8(built);
}

QByteArray FaceModelFile::Read(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMostBytes)
        return {};
    const QByteArray bytes = file.readAll();
    if (QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex() != kSha256)
        return {};
    return bytes;
}
