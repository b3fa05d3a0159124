#include "framework/CommandLine.h"

#include <QtGlobal>

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

namespace {
constexpr int kUsageError = 2;

void PrintUsage(const CString& appName, const CommandLineTexts& texts, std::ostream& to)
{
    to << texts.usage.arg(appName).toStdString();
}

struct HeldMessage {
    QtMsgType type;
    const char* file;
    int line;
    const char* function;
    const char* category;
    QString text;
};

struct DisplayStart {
    std::string appName;
    QtMessageHandler previous = nullptr;
    std::vector<HeldMessage> held;
};
DisplayStart* g_displayStart = nullptr;

void HoldOrEnd(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type != QtFatalMsg) {
        g_displayStart->held.push_back({type, context.file, context.line, context.function, context.category, text});
        return;
    }
    const QByteArray display = qgetenv("DISPLAY");
    std::cerr << g_displayStart->appName << ": no display could be opened"
              << (display.isEmpty() ? std::string(": DISPLAY is not set") : " at " + display.toStdString()) << '\n';
    // Qt cannot go on from here; leave before it aborts.
    std::_Exit(EXIT_FAILURE);
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

void AfxReportOpenFailure(const CString& appName, const CString& path, const CString& reason, std::ostream& err)
{
    err << appName.toStdString() << ": cannot open " << path.toStdString();
    if (!reason.isEmpty())
        err << ": " << reason.simplified().toStdString();
    err << '\n';
}

CDisplayStartGuard::CDisplayStartGuard(const CString& appName)
{
    g_displayStart = new DisplayStart{appName.toStdString(), nullptr, {}};
    g_displayStart->previous = qInstallMessageHandler(HoldOrEnd);
}

CDisplayStartGuard::~CDisplayStartGuard()
{
    qInstallMessageHandler(g_displayStart->previous);
    for (const HeldMessage& m : g_displayStart->held) {
        const QMessageLogContext context(m.file, m.line, m.function, m.category);
        qt_message_output(m.type, context, m.text);
    }
    delete std::exchange(g_displayStart, nullptr);
}
