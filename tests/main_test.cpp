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

#include "table_case.h"

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
// table `table`, its standard output sent to `stdout_path` when given.
ProgramRun RunProgram(std::vector<const char *> argv, const char *table,
                      const char *stdout_path = nullptr) {
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
        const int out_fd = stdout_path ? open(stdout_path, O_WRONLY) : out_pipe[1];
        dup2(out_fd, 1);
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

#define TWO_WIRED_TRACE                                                                            \
    "mac: MAC:11-22-33-44-55-66 index:1 IndMac:-1 eth:n isEth:n\n"                                 \
    "mac: MAC:00-AA-BB-CC-DD-EE index:9 IndMac:-1 eth:n isEth:y\n"                                 \
    "mac:00-AA-BB-CC-DD-EE MAC:00-1A-2B-3C-4D-5E index:7 IndMac:9 eth:y isEth:y\n"

struct ProgramCase {
    const char *name;
    std::vector<const char *> argv;
    const char *table;
    const char *expected_out;
};

void PrintTo(const ProgramCase &c, std::ostream *os) {
    *os << c.name;
}

class ProgramTest : public testing::TestWithParam<ProgramCase> {};

TEST_P(ProgramTest, WritesTheAnswerAloneAndExitsZero) {
    const ProgramRun run = RunProgram(GetParam().argv, GetParam().table);
    EXPECT_EQ(run.out, GetParam().expected_out);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.status, 0);
}

const ProgramCase kPrograms[] = {
    {"NoArguments", {"primary-mac"}, kTwoWired, "00-1A-2B-3C-4D-5E"},
    {"NothingQualifies", {"primary-mac"}, "71 1 11-22-33-44-55-66 Wireless\n", ""},
    {"FailedQuery", {"primary-mac"}, "fail\n", ""},
    {"NoAdapters", {"primary-mac"}, "", ""},
    {"TraceThenAnswer", {"primary-mac", "-h"}, kTwoWired, TWO_WIRED_TRACE "00-1A-2B-3C-4D-5E"},
    {"TraceSwitchLast",
     {"primary-mac", "x", "-H", "-h"},
     kTwoWired,
     TWO_WIRED_TRACE "00-1A-2B-3C-4D-5E"},
    {"TraceSwitchAmongOthers",
     {"primary-mac", "/h", "-h", "--h"},
     kTwoWired,
     TWO_WIRED_TRACE "00-1A-2B-3C-4D-5E"},
    {"TraceSwitchTwiceTracesOnce",
     {"primary-mac", "-h", "-h"},
     kTwoWired,
     TWO_WIRED_TRACE "00-1A-2B-3C-4D-5E"},
    {"ProgramNamedLikeTheSwitch", {"-h"}, kTwoWired, TWO_WIRED_TRACE "00-1A-2B-3C-4D-5E"},
    {"TraceWithNothingQualifying",
     {"primary-mac", "-h"},
     "71 1 11-22-33-44-55-66 Wireless\n",
     "mac: MAC:11-22-33-44-55-66 index:1 IndMac:-1 eth:n isEth:n\n"},
    {"TraceOfFailedQuery", {"primary-mac", "-h"}, "fail\n", ""},
    {"LookalikeSwitchesIgnored",
     {"primary-mac", "x", "-H", "--h", "/h", "-help", "-hx", "-h ", ""},
     kTwoWired,
     "00-1A-2B-3C-4D-5E"},
};
INSTANTIATE_TEST_SUITE_P(Program, ProgramTest, testing::ValuesIn(kPrograms), CaseName<ProgramCase>);

// A write that fails is reported; writing nothing cannot fail.
struct FullDeviceCase {
    const char *name;
    std::vector<const char *> argv;
    const char *table;
    int status;
};

void PrintTo(const FullDeviceCase &c, std::ostream *os) {
    *os << c.name;
}

class FullDeviceTest : public testing::TestWithParam<FullDeviceCase> {};

TEST_P(FullDeviceTest, FailsOnlyWhenSomethingWasLost) {
    const ProgramRun run = RunProgram(GetParam().argv, GetParam().table, "/dev/full");
    EXPECT_EQ(run.status, GetParam().status);
    EXPECT_EQ(run.err,
              GetParam().status == 0
                  ? ""
                  : "primary-mac: cannot write standard output: No space left on device\n");
}

const FullDeviceCase kFullDevice[] = {
    {"AnswerLost", {"primary-mac"}, kTwoWired, 1},
    {"TraceLost", {"primary-mac", "-h"}, "71 1 11-22-33-44-55-66 Wireless\n", 1},
    {"NoAnswerToLose", {"primary-mac"}, "71 1 11-22-33-44-55-66 Wireless\n", 0},
    {"FailedQueryTraceless", {"primary-mac", "-h"}, "fail\n", 0},
};
INSTANTIATE_TEST_SUITE_P(Program, FullDeviceTest, testing::ValuesIn(kFullDevice),
                         CaseName<FullDeviceCase>);

} // namespace
