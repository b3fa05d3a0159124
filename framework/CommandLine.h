#pragma once

#include "framework/AfxTypes.h"

#include <optional>
#include <ostream>

// The program's own words on its command line: the usage text, where %1
// stands for the program's name, and the refusal of a second file.
struct CommandLineTexts {
    CString usage;
    CString oneFileOnly;
};

// What a desktop program answers on its command line before any window:
// --help and --version, and a refusal of anything it cannot take (an
// unknown option, more than one file). Empty when the program should
// start; otherwise the exit status to end with at once.
std::optional<int> AfxAnswerCommandLine(const CString& appName, const CString& version,
                                        const CommandLineTexts& texts, int argc, const char* const* argv,
                                        std::ostream& out, std::ostream& err);

// The one line a start that could not open the file named on the command
// line leaves on the terminal, beside the message box that said why.
void AfxReportOpenFailure(const CString& appName, const CString& path, const CString& reason, std::ostream& err);

// While it lives, a windowing system that cannot be started ends the program
// with one line on stderr and exit status 1, where Qt would abort; Qt's other
// messages meanwhile are held back and passed on when it ends.
class CDisplayStartGuard {
public:
    explicit CDisplayStartGuard(const CString& appName);
    ~CDisplayStartGuard();
    CDisplayStartGuard(const CDisplayStartGuard&) = delete;
    CDisplayStartGuard& operator=(const CDisplayStartGuard&) = delete;
};
