#pragma once

#include "framework/AfxTypes.h"

#include <optional>
#include <ostream>

// What a desktop program answers on its command line before any window:
// --help and --version, and a refusal of anything it cannot take (an
// unknown option, more than one picture). Empty when the program should
// start; otherwise the exit status to end with at once.
std::optional<int> AfxAnswerCommandLine(const CString& appName, const CString& version, int argc,
                                        const char* const* argv, std::ostream& out, std::ostream& err);
