#include "framework/CommandLine.h"

#include <QProcess>
#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace {

struct CommandLineCase {
    const char* name;
    std::vector<const char*> args;
    int status;   // -1: the program starts
    const char* out;
    const char* err;
};
const CommandLineCase kCases[] = {
    {"Empty", {}, -1, "", ""},
    {"OnePicture", {"face.jpg"}, -1, "", ""},
    {"PictureAfterDoubleDash", {"--", "-face.jpg"}, -1, "", ""},
    {"Help", {"--help"}, 0, "Usage: Veilcut [PICTURE]", ""},
    {"ShortHelp", {"face.jpg", "-h"}, 0, "--version", ""},
    {"Version", {"--version"}, 0, "Veilcut 1.0.0.1\n", ""},
    {"UnknownOption", {"--zoom"}, 2, "", "unknown option --zoom"},
    {"SecondPicture", {"a.jpg", "b.jpg"}, 2, "", "only one picture"},
};
void PrintTo(const CommandLineCase& c, std::ostream* out) { *out << c.name; }

class CommandLine : public ::testing::TestWithParam<CommandLineCase> {};

TEST_P(CommandLine, AnswersBeforeAnyWindow)
{
    const CommandLineCase& c = GetParam();
    std::vector<const char*> argv{"Veilcut"};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    std::ostringstream out, err;
    const std::optional<int> status = AfxAnswerCommandLine(QStringLiteral("Veilcut"), QStringLiteral("1.0.0.1"),
                                                           int(argv.size()), argv.data(), out, err);
    EXPECT_EQ(status.value_or(-1), c.status);
    EXPECT_NE(out.str().find(c.out), std::string::npos) << out.str();
    EXPECT_NE(err.str().find(c.err), std::string::npos) << err.str();
    if (!*c.out) {
        EXPECT_EQ(out.str(), "");
    }
    if (!*c.err) {
        EXPECT_EQ(err.str(), "");
    }
}

INSTANTIATE_TEST_SUITE_P(Options, CommandLine, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The real program, with no display to open a window on: it answers or says
// so in one line, never aborts.
struct NoDisplayCase {
    const char* name;
    std::vector<const char*> args;
    const char* display;   // null: not set
    int status;
    const char* out;
    const char* err;
};
const NoDisplayCase kNoDisplayCases[] = {
    {"Version", {"--version"}, nullptr, 0, "Veilcut 1.0.0.1\n", ""},
    {"NoDisplay", {}, nullptr, 1, "", "Veilcut: no display could be opened: DISPLAY is not set\n"},
    {"NoDisplayWithPicture", {"face.jpg"}, nullptr, 1, "", "Veilcut: no display could be opened: DISPLAY is not set\n"},
    {"DisplayThatIsNotThere", {}, ":65432", 1, "", "Veilcut: no display could be opened at :65432\n"},
};
void PrintTo(const NoDisplayCase& c, std::ostream* out) { *out << c.name; }

class CommandLineOfTheProgram : public ::testing::TestWithParam<NoDisplayCase> {};

TEST_P(CommandLineOfTheProgram, WithoutADisplay)
{
    const NoDisplayCase& c = GetParam();
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    if (c.display)
        env.insert(QStringLiteral("DISPLAY"), QLatin1String(c.display));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    program.setProcessEnvironment(env);
    QStringList args;
    for (const char* arg : c.args)
        args << QLatin1String(arg);
    program.start(QStringLiteral(VEILCUT_BINARY), args);
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), c.status);
    EXPECT_EQ(program.readAllStandardOutput(), QByteArray(c.out));
    EXPECT_EQ(program.readAllStandardError(), QByteArray(c.err));
}

INSTANTIATE_TEST_SUITE_P(Starts, CommandLineOfTheProgram, ::testing::ValuesIn(kNoDisplayCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
