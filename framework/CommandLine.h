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
