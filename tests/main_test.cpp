// The whole program, built with the fake adapter list, run as a process.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/fake.h"
#include "scan.h"
#include "table_case.h"
#include "trace.h"

namespace {

struct ProgramRun {
    std::string out;
    std::string err;
    int status = -1; // exit status, or -1 when it did not exit normally
};

std::string ReadAll(int fd) {
    std::string text;
    char chunk[4096];
    for (ssize_t n; (n = read(fd, chunk, sizeof chunk)) > 0;)
        text.append(chunk, static_cast<size_t>(n));
    close(fd);
    return text;
}

// Runs the fake-list build with `argv` (argv[0] included) on the adapter
// table `table`, its standard output a pipe we read or, when `full_device`,
// a device that is always full.
ProgramRun RunProgram(std::vector<const char *> argv, const char *table, bool full_device = false) {
    char list_path[] = "/tmp/primary-mac-list-XXXXXX";
    const int list_fd = mkstemp(list_path);
    EXPECT_GE(list_fd, 0);
    EXPECT_EQ(write(list_fd, table, strlen(table)), static_cast<ssize_t>(strlen(table)));
    close(list_fd);

    int out_pipe[2], err_pipe[2];
    EXPECT_EQ(pipe(out_pipe), 0);
    EXPECT_EQ(pipe(err_pipe), 0);
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        dup2(full_device ? open("/dev/full", O_WRONLY) : out_pipe[1], 1);
        dup2(err_pipe[1], 2);
        setenv("PRIMARY_MAC_FAKE_LIST", list_path, 1);
        execv(PRIMARY_MAC_FAKE, const_cast<char **>(argv.data()));
        _exit(127);
    }
    close(out_pipe[1]);
    close(err_pipe[1]);
    ProgramRun run;
    run.out = ReadAll(out_pipe[0]);
    run.err = ReadAll(err_pipe[0]);
    int status = 0;
    waitpid(child, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    unlink(list_path);
    return run;
}

constexpr char kTwoWired[] = "71 1 11-22-33-44-55-66 Wireless Network Adapter\n"
                             "6 9 00-AA-BB-CC-DD-EE Ethernet Connection\n"
                             "6 7 00-1A-2B-3C-4D-5E Gigabit Ethernet Controller\n";

// The trace lines that the scan writes for `table` (their form is the trace
// test's business): what the program must write once, before its answer,
// when asked for the trace.
std::string TraceOf(const char *table) {
    SetFakeAdapters(table);
    g_trace = true;
    testing::internal::CaptureStdout();
    GetPrimaryMac();
    g_trace = false;
    return testing::internal::GetCapturedStdout();
}

struct ProgramCase : NamedCase {
    std::vector<const char *> argv;
    const char *table;
    bool traced; // the trace lines come first
    const char *expected_answer;
    const char *expected_err = ""; // and exit 1 when there is one
};

class ProgramTest : public testing::TestWithParam<ProgramCase> {};

TEST_P(ProgramTest, WritesTheAnswerAlone) {
    const ProgramCase &c = GetParam();
    const ProgramRun run = RunProgram(c.argv, c.table);
    EXPECT_EQ(run.out, (c.traced ? TraceOf(c.table) : "") + c.expected_answer);
    EXPECT_EQ(run.err, c.expected_err);
    EXPECT_EQ(run.status, c.expected_err[0] == '\0' ? 0 : 1);
}

constexpr char kQueryFailed[] = "primary-mac: cannot list network adapters: access denied\n";
constexpr char kWireless[] = "71 1 11-22-33-44-55-66 Wireless\n";

const ProgramCase kPrograms[] = {
    {"NoArguments", {"primary-mac"}, kTwoWired, false, "00-1A-2B-3C-4D-5E"},
    {"FailedQuery", {"primary-mac"}, "fail access denied\n", false, "", kQueryFailed},
    {"NoAdapters", {"primary-mac"}, "", false, ""},
    {"TraceThenAnswer", {"primary-mac", "-h"}, kTwoWired, true, "00-1A-2B-3C-4D-5E"},
    {"TraceSwitchTwiceAmongOthersTracesOnce",
     {"primary-mac", "/h", "-h", "-h", "--h"},
     kTwoWired,
     true,
     "00-1A-2B-3C-4D-5E"},
    {"ProgramNamedLikeTheSwitch", {"-h"}, kTwoWired, true, "00-1A-2B-3C-4D-5E"},
    {"TraceWithNothingQualifying", {"primary-mac", "-h"}, kWireless, true, ""},
    {"TraceOfFailedQuery", {"primary-mac", "-h"}, "fail access denied\n", true, "", kQueryFailed},
    {"LookalikeSwitchesIgnored",
     {"primary-mac", "x", "-H", "--h", "/h", "-help", "-hx", "-h ", ""},
     kTwoWired,
     false,
     "00-1A-2B-3C-4D-5E"},
};
INSTANTIATE_TEST_SUITE_P(Program, ProgramTest, testing::ValuesIn(kPrograms), CaseName<ProgramCase>);

// A write that fails is reported; writing nothing cannot fail.
struct LostOutputCase : NamedCase {
    std::vector<const char *> argv;
    const char *table;
    const char *expected_err; // and exit 1 when there is one
};

class LostOutputTest : public testing::TestWithParam<LostOutputCase> {};

TEST_P(LostOutputTest, FailsOnlyWhenSomethingWasLost) {
    const ProgramRun run = RunProgram(GetParam().argv, GetParam().table, true);
    EXPECT_EQ(run.err, GetParam().expected_err);
    EXPECT_EQ(run.status, GetParam().expected_err[0] == '\0' ? 0 : 1);
}

constexpr char kDeviceFull[] =
    "primary-mac: cannot write standard output: No space left on device\n";

const LostOutputCase kLostOutput[] = {
    {"AnswerLost", {"primary-mac"}, kTwoWired, kDeviceFull},
    {"TraceLost", {"primary-mac", "-h"}, kWireless, kDeviceFull},
    {"NoAnswerToLose", {"primary-mac"}, kWireless, ""},
    {"FailedQueryTraceless", {"primary-mac", "-h"}, "fail access denied\n", kQueryFailed},
};
INSTANTIATE_TEST_SUITE_P(Program, LostOutputTest, testing::ValuesIn(kLostOutput),
                         CaseName<LostOutputCase>);

} // namespace
