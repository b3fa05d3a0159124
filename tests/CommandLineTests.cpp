#include "app/VeilcutApp.h"
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
                                                           theApp.m_commandLineTexts, int(argv.size()),
                                                           argv.data(), out, err);
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

// The real program, with no display to open a window on.
TEST(CommandLineOfTheProgram, WithoutADisplay)
{
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(VEILCUT_BINARY), {QStringLiteral("--version")});
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_EQ(program.readAllStandardOutput(), QByteArray("Veilcut 1.0.0.1\n"));

    // To start, it says in one line that it has no display and ends with 1, never aborts.
    for (const char* display : {"", ":65432"}) {
        env.insert(QStringLiteral("DISPLAY"), QLatin1String(display));
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(VEILCUT_BINARY), {QStringLiteral("face.jpg")});
        ASSERT_TRUE(program.waitForFinished(10000));
        EXPECT_EQ(program.exitCode(), 1);
        EXPECT_EQ(program.readAllStandardError(), *display ? "Veilcut: no display could be opened at :65432\n"
                                                           : "Veilcut: no display could be opened: DISPLAY is not set\n");
    }
}

} // namespace
