// The library's call on fake adapter lists: its three outcomes, the buffers
// it takes and refuses, many threads at once, and what it leaves of the
// host's process alone. Also built with ThreadSanitizer.
#include "primary-mac.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/fake.h"
#include "table_case.h"

namespace {

struct CallCase : NamedCase {
    const char *table;
    size_t mac_size;
    size_t failure_size;
    int outcome;
    const char *mac;
    const char *failure;
};

class LibraryCallTest : public testing::TestWithParam<CallCase> {};

TEST_P(LibraryCallTest, WritesTheAnswerOrTheCause) {
    const CallCase &c = GetParam();
    SetFakeAdapters(c.table);
    // Filled with what no call writes, so that every byte it leaves shows.
    char mac[64];
    char failure[PRIMARY_MAC_FAILURE_SIZE];
    memset(mac, '#', sizeof mac);
    memset(failure, '#', sizeof failure);
    EXPECT_EQ(primary_mac_get(c.mac_size > 0 ? mac : nullptr, c.mac_size, failure, c.failure_size),
              c.outcome);
    EXPECT_EQ(c.mac_size > 0 ? std::string(mac) : "", c.mac);
    EXPECT_EQ(std::string(failure, strnlen(failure, c.failure_size)), c.failure);
    EXPECT_EQ(failure[c.failure_size], '#') << "written past the failure buffer";
}

constexpr size_t kFits = PRIMARY_MAC_TEXT_SIZE;
constexpr size_t kRoom = PRIMARY_MAC_FAILURE_SIZE - 1;
constexpr char kTooSmall[] = "the buffer for the address is too small: it takes 24 bytes";
const CallCase kCalls[] = {
    {"Found", "71 2 11-22-33-44-55-66 Wireless\n6 7 00-1A-2B-3C-4D-5E Ethernet", kFits, kRoom,
     PRIMARY_MAC_FOUND, "00-1A-2B-3C-4D-5E", ""},
    {"EightBytesInTheSmallestBuffer", "6 1 01-02-03-04-05-06-07-08 Ethernet", kFits, kRoom,
     PRIMARY_MAC_FOUND, "01-02-03-04-05-06-07-08", ""},
    {"NoAdapterAtAll", "", kFits, kRoom, PRIMARY_MAC_NO_ADAPTER, "", ""},
    {"NoAdapterQualifies", "6 3 02-00-00-00-00-03 Bluetooth PAN", kFits, kRoom,
     PRIMARY_MAC_NO_ADAPTER, "", ""},
    {"QueryFailed", "fail netlink: Permission denied\n6 7 00-1A-2B-3C-4D-5E Ethernet", kFits, kRoom,
     PRIMARY_MAC_FAILED, "", "cannot list network adapters: netlink: Permission denied"},
    {"FailureCutToItsBuffer", "fail netlink: Permission denied", kFits, 7, PRIMARY_MAC_FAILED, "",
     "cannot"},
    {"NoFailureBuffer", "fail netlink: Permission denied", kFits, 0, PRIMARY_MAC_FAILED, "", ""},
    // Never a cut-short answer, nor one that only fits this machine's.
    {"EightBytesOneByteShort", "6 1 01-02-03-04-05-06-07-08 Ethernet", kFits - 1, kRoom,
     PRIMARY_MAC_FAILED, "", kTooSmall},
    {"SixBytesInABufferForSix", "6 7 00-1A-2B-3C-4D-5E Ethernet", 18, kRoom, PRIMARY_MAC_FAILED, "",
     kTooSmall},
    {"NoAddressBuffer", "6 7 00-1A-2B-3C-4D-5E Ethernet", 0, kRoom, PRIMARY_MAC_FAILED, "",
     kTooSmall},
};
INSTANTIATE_TEST_SUITE_P(Calls, LibraryCallTest, testing::ValuesIn(kCalls), CaseName<CallCase>);

// SIGPIPE is the host's business: a call leaves its default as it is.
TEST(LibraryTest, LeavesSignalDispositionsAlone) {
    SetFakeAdapters("6 7 00-1A-2B-3C-4D-5E Ethernet");
    ASSERT_NE(signal(SIGPIPE, SIG_DFL), SIG_ERR);
    char mac[PRIMARY_MAC_TEXT_SIZE];
    EXPECT_EQ(primary_mac_get(mac, sizeof mac, nullptr, 0), PRIMARY_MAC_FOUND);
    EXPECT_EQ(signal(SIGPIPE, SIG_DFL), SIG_DFL);
}

std::string Answer() {
    char mac[PRIMARY_MAC_TEXT_SIZE];
    char failure[PRIMARY_MAC_FAILURE_SIZE];
    const int outcome = primary_mac_get(mac, sizeof mac, failure, sizeof failure);
    return std::to_string(outcome) + " " + mac + " " + failure;
}

// The scan empties its result as it starts and takes the answer from the
// first adapter here, so without the lock another thread's start lands
// between a call's scan and its copy of the answer: an empty one.
TEST(LibraryTest, EveryCallOfThreadsAtOnceGivesTheSameAnswer) {
    std::string table = "6 1 00-1A-2B-3C-4D-5E Ethernet\n";
    for (int index = 2; index <= kAdapterRecords; ++index)
        table += "71 " + std::to_string(index) + " 02-00-00-00-00-02 Wireless\n";
    SetFakeAdapters(table.c_str());
    constexpr int kThreads = 8;
    constexpr int kCalls = 1000;
    const std::string first = Answer();
    std::vector<int> differing(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&first, &count = differing[t]] {
            for (int call = 0; call < kCalls; ++call)
                count += Answer() != first;
        });
    for (std::thread &thread : threads)
        thread.join();
    EXPECT_EQ(first, "1 00-1A-2B-3C-4D-5E ");
    EXPECT_EQ(differing, std::vector<int>(kThreads, 0));
}

} // namespace
