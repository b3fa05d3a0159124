#include "framework/CommandLine.h"

#include <cstring>

namespace {
constexpr int kUsageError = 2;

void PrintUsage(const CString& appName, std::ostream& to)
{
    const std::string name = appName.toStdString();
    to << "Usage: " << name << " [PICTURE]\n"
       << "Hides a face in a photograph: open a JPEG or BMP picture, cover the face\n"
       << "with the ellipse and save a masked copy.\n\n"
       << "  PICTURE     a .jpg, .jpeg or .bmp file to open at start\n"
       << "  --help      show this help and exit\n"
       << "  --version   show the version and exit\n";
}
} // namespace

std::optional<int> AfxAnswerCommandLine(const CString& appName, const CString& version, int argc,
                                        const char* const* argv, std::ostream& out, std::ostream& err)
{
    int pictures = 0;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (!optionsEnded && std::strcmp(arg, "--") == 0) {
            optionsEnded = true;
        } else if (!optionsEnded && (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0)) {
            PrintUsage(appName, out);
            return 0;
        } else if (!optionsEnded && std::strcmp(arg, "--version") == 0) {
            out << appName.toStdString() << ' ' << version.toStdString() << '\n';
            return 0;
        } else if (!optionsEnded && arg[0] == '-' && arg[1] != '\0') {
            err << appName.toStdString() << ": unknown option " << arg << "\n\n";
            PrintUsage(appName, err);
            return kUsageError;
        } else if (++pictures > 1) {
            err << appName.toStdString() << ": only one picture can be opened at a time\n\n";
            PrintUsage(appName, err);
            return kUsageError;
        }
    }
    return std::nullopt;
}
