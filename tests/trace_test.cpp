// The trace lines the scan writes while the trace flag is set.
#include "trace.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/fake.h"
#include "scan.h"
#include "table_case.h"

namespace {

class TraceTest : public testing::TestWithParam<FakeListCase> {
  protected:
    void TearDown() override { g_trace = false; }
};

TEST_P(TraceTest, WritesOneLinePerAdapterBeforeJudgingIt) {
    SetFakeAdapters(GetParam().table);
    g_trace = true;
    testing::internal::CaptureStdout();
    GetPrimaryMac();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), GetParam().expected);
}

const FakeListCase kTraces[] = {
    {"ExcludedEthernetAndEmptyAddress",
     "6 3 00-00-00-00-00-03 Bluetooth PAN\n6 4 - Ethernet\n6 5 00-00-00-00-00-05 LAN",
     "mac: MAC:00-00-00-00-00-03 index:3 IndMac:-1 eth:n isEth:y\n"
     "mac: MAC: index:4 IndMac:-1 eth:n isEth:y\n"
     "mac: MAC:00-00-00-00-00-05 index:5 IndMac:-1 eth:n isEth:y\n"},
    {"IndicesPrintedSigned", "6 0x80000000 00-00-00-00-00-80\n6 0xFFFFFFFF 00-00-00-00-00-FF",
     "mac: MAC:00-00-00-00-00-80 index:-2147483648 IndMac:-1 eth:n isEth:y\n"
     "mac:00-00-00-00-00-80 MAC:00-00-00-00-00-FF index:-1 IndMac:-2147483648 eth:y isEth:y\n"},
};
INSTANTIATE_TEST_SUITE_P(Trace, TraceTest, testing::ValuesIn(kTraces), CaseName<FakeListCase>);

} // namespace
