#include "framework/CommandLine.h"

#include <cstring>

namespace {
constexpr int kUsageError = 2;

void PrintUsage(const CString& appName, const CommandLineTexts& texts, std::ostream& to)
{
    to << texts.usage.arg(appName).toStdString();
}
} // namespace

std::optional<int> AfxAnswerCommandLine(const CString& appName, const CString& version,
                                        const CommandLineTexts& texts, int argc, const char* const* argv,
                                        std::ostream& out, std::ostream& err)
{
    int files = 0;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (!optionsEnded && std::strcmp(arg, "--") == 0) {
            optionsEnded = true;
        } else if (!optionsEnded && (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0)) {
            PrintUsage(appName, texts, out);
            return 0;
        } else if (!optionsEnded && std::strcmp(arg, "--version") == 0) {
            out << appName.toStdString() << ' ' << version.toStdString() << '\n';
            return 0;
        } else if (!optionsEnded && arg[0] == '-' && arg[1] != '\0') {
            err << appName.toStdString() << ": unknown option " << arg << "\n\n";
            PrintUsage(appName, texts, err);
            return kUsageError;
        } else if (++files > 1) {
            err << appName.toStdString() << ": " << texts.oneFileOnly.toStdString() << "\n\n";
            PrintUsage(appName, texts, err);
            return kUsageError;
        }
    }
    return std::nullopt;
}
