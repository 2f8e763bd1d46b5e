#include "scan.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/fake.h"
#include "table_case.h"

namespace {

class ScanTest : public testing::TestWithParam<FakeListCase> {};

TEST_P(ScanTest, ChoosesPrimaryAdapter) {
    SetFakeAdapters(GetParam().table);
    EXPECT_STREQ(GetPrimaryMac(), GetParam().expected);
    EXPECT_EQ(FakeAdapters().queries, 1);
}

const FakeListCase kEligibility[] = {
    {"WiredAdapter", "6 4 00-1A-2B-3C-4D-5E Intel(R) Ethernet Connection", "00-1A-2B-3C-4D-5E"},
    {"OnlyEthernetTypeCounts",
     "71 1 00-00-00-00-00-01 Ethernet\n23 2 00-00-00-00-00-02 Ethernet\n"
     "6 3 00-00-00-00-00-03 Ethernet",
     "00-00-00-00-00-03"},
    {"VirtualBoxPrefixExcluded",
     "6 1 00-00-00-00-00-01 VirtualBox Host-Only Ethernet Adapter\n6 2 00-00-00-00-00-02 LAN",
     "00-00-00-00-00-02"},
    {"VirtualBoxPrefixAnyCase",
     "6 1 00-00-00-00-00-01 vIRTUALbOX Adapter\n6 2 00-00-00-00-00-02 LAN", "00-00-00-00-00-02"},
    {"VirtualBoxLaterInNameKept",
     "6 1 00-00-00-00-00-01 Oracle VirtualBox Adapter\n6 2 00-00-00-00-00-02 LAN",
     "00-00-00-00-00-01"},
    {"VirtualBoxAloneKept", "6 1 00-00-00-00-00-01 VirtualBox\n6 2 00-00-00-00-00-02 LAN",
     "00-00-00-00-00-01"},
    {"VirtualBoxWithoutSpaceKept",
     "6 1 00-00-00-00-00-01 VirtualBox-Adapter\n6 2 00-00-00-00-00-02 LAN", "00-00-00-00-00-01"},
    {"BluetoothExcluded",
     "6 1 00-00-00-00-00-01 Bluetooth Device (Personal Area Network)\n6 2 00-00-00-00-00-02 LAN",
     "00-00-00-00-00-02"},
    {"WirelessAnywhereAnyCase",
     "6 1 00-00-00-00-00-01 Intel(R) dual band wIreLess-AC\n6 2 00-00-00-00-00-02 LAN",
     "00-00-00-00-00-02"},
    {"WiDashFiExcluded", "6 1 00-00-00-00-00-01 Realtek wi-fi 6\n6 2 00-00-00-00-00-02 LAN",
     "00-00-00-00-00-02"},
    {"WifiExcluded", "6 1 00-00-00-00-00-01 TP-Link WiFi Adapter\n6 2 00-00-00-00-00-02 LAN",
     "00-00-00-00-00-02"},
    {"SimilarWordsKept", "6 1 00-00-00-00-00-01 Wi Fi Blue tooth Wire-less\n6 2 00-00-00-00-00-02",
     "00-00-00-00-00-01"},
    {"EmptyAddressNeverChosen", "6 1 - Ethernet\n6 2 00-00-00-00-00-02 Ethernet",
     "00-00-00-00-00-02"},
    {"OnlyEmptyAddress", "6 1 - Ethernet", ""},
    {"AllZeroAddressNeverChosen", "6 1 00-00-00-00-00-00 Ethernet\n6 2 00-00-00-00-00-02 Ethernet",
     "00-00-00-00-00-02"},
    {"SharedLoopbackAddressNeverChosen",
     "6 1 02-00-4c-4f-4f-50 Microsoft KM-TEST Loopback Adapter\n6 2 00-00-00-00-00-02 Ethernet",
     "00-00-00-00-00-02"},
    {"VmwareHostAddressesNeverChosen",
     "6 1 00-50-56-c0-00-01 VMware Virtual Ethernet Adapter for VMnet1\n"
     "6 2 00-50-56-c0-00-08 VMware Virtual Ethernet Adapter for VMnet8\n"
     "6 3 00-50-56-c0-00-ff VMware Virtual Ethernet Adapter for VMnet255\n"
     "6 4 00-00-00-00-00-04 Ethernet",
     "00-00-00-00-00-04"},
    {"VmwareGuestAddressKept", "6 1 00-50-56-c1-00-08 vmxnet3 Ethernet Adapter",
     "00-50-56-C1-00-08"},
    {"VmwarePrefixOfLongerAddressKept", "6 1 00-50-56-c0-00-08-00-01 Ethernet",
     "00-50-56-C0-00-08-00-01"},
    {"CiscoVpnAddressesNeverChosen",
     "6 1 00-05-9a-3c-78-00 Cisco Systems VPN Adapter\n"
     "6 2 00-05-9a-3c-7a-00 Cisco AnyConnect Secure Mobility Client Virtual Miniport Adapter\n"
     "6 3 00-05-9a-3c-7a-01 Ethernet",
     "00-05-9A-3C-7A-01"},
    {"GlobalProtectAddressNeverChosen",
     "6 1 02-50-41-00-00-01 PANGP Virtual Ethernet Adapter\n6 2 00-00-00-00-00-02 Ethernet",
     "00-00-00-00-00-02"},
    {"NothingEligible",
     "71 1 00-00-00-00-00-01 Wireless\n6 2 00-00-00-00-00-02 VirtualBox Host-Only\n"
     "6 3 00-00-00-00-00-03 Bluetooth PAN",
     ""},
    {"FailedQuery", "fail access denied\n6 1 00-00-00-00-00-01 Ethernet", ""},
    {"NoAdapters", "", ""},
};
INSTANTIATE_TEST_SUITE_P(Eligibility, ScanTest, testing::ValuesIn(kEligibility),
                         CaseName<FakeListCase>);

const FakeListCase kOrdering[] = {
    {"LowerIndexListedLater", "6 12 00-00-00-00-00-0C\n6 7 00-00-00-00-00-07", "00-00-00-00-00-07"},
    {"LowerIndexListedFirst", "6 7 00-00-00-00-00-07\n6 12 00-00-00-00-00-0C", "00-00-00-00-00-07"},
    {"TieKeepsFirstListed", "6 7 00-00-00-00-00-01\n6 7 00-00-00-00-00-02", "00-00-00-00-00-01"},
    {"IndexZeroBeatsPositive", "6 3 00-00-00-00-00-03\n6 0 00-00-00-00-00-10", "00-00-00-00-00-10"},
    {"HighBitIndexIsNegative", "6 1 00-00-00-00-00-01\n6 0x80000000 00-00-00-00-00-80",
     "00-00-00-00-00-80"},
    {"MostNegativeWins", "6 0xFFFFFFFF 00-00-00-00-00-FF\n6 0x80000000 00-00-00-00-00-80",
     "00-00-00-00-00-80"},
    {"MinusOneBeatsZero", "6 0 00-00-00-00-00-10\n6 0xFFFFFFFF 00-00-00-00-00-FF",
     "00-00-00-00-00-FF"},
    {"IneligibleLowerIndexIgnored", "6 5 00-00-00-00-00-05\n71 1 00-00-00-00-00-01 Wireless",
     "00-00-00-00-00-05"},
};
INSTANTIATE_TEST_SUITE_P(Ordering, ScanTest, testing::ValuesIn(kOrdering), CaseName<FakeListCase>);

const FakeListCase kRendering[] = {
    {"LeadingZerosUpperCase", "6 1 0a-0b-0c", "0A-0B-0C"},
    {"SingleByte", "6 1 0f", "0F"},
    {"EightBytes", "6 1 01-23-45-67-89-ab-cd-ef", "01-23-45-67-89-AB-CD-EF"},
    {"AllOnesAndZeros", "6 1 ff-00-ff-00-ff-00", "FF-00-FF-00-FF-00"},
};
INSTANTIATE_TEST_SUITE_P(Rendering, ScanTest, testing::ValuesIn(kRendering),
                         CaseName<FakeListCase>);

// Ethernet adapters listed with indices `from` down to `to`, each with its
// index as the last address byte.
std::string Descending(int from, int to) {
    std::string table;
    for (int index = from; index >= to; --index) {
        char line[64];
        snprintf(line, sizeof line, "6 %d 00-00-00-00-00-%02X\n", index, index);
        table += line;
    }
    return table;
}

TEST(ScanListTest, SixteenAdaptersAreAllWalked) {
    SetFakeAdapters(Descending(16, 1).c_str());
    EXPECT_STREQ(GetPrimaryMac(), "00-00-00-00-00-01");
}

// Records no text table can describe: the fields filled as no platform fills
// them. The scan must stay inside each record.
TEST(ScanRecordTest, OverlongAddressRendersTheFieldOnly) {
    SetFakeAdapters("6 1 01-02-03-04-05-06-07-08 LAN");
    FakeAdapters().records[0].AddressLength = 200;
    EXPECT_STREQ(GetPrimaryMac(), "01-02-03-04-05-06-07-08");
}

TEST(ScanRecordTest, AddressLengthWithHighBitIsEmpty) {
    SetFakeAdapters("6 1 01-02-03-04-05-06 LAN");
    FakeAdapters().records[0].AddressLength = 0x80000006u;
    EXPECT_STREQ(GetPrimaryMac(), "");
}

TEST(ScanRecordTest, WordPastCharacter99StillExcludes) {
    SetFakeAdapters("6 1 00-00-00-00-00-01\n6 2 00-00-00-00-00-02 LAN");
    char *description = FakeAdapters().records[0].Description;
    memset(description, 'x', 120);
    strcpy(description + 120, "wireless");
    EXPECT_STREQ(GetPrimaryMac(), "00-00-00-00-00-02");
}

TEST(ScanRecordTest, UnterminatedDescriptionReadWithinTheField) {
    SetFakeAdapters("6 1 00-00-00-00-00-01\n6 2 00-00-00-00-00-02 LAN");
    IP_ADAPTER_INFO &record = FakeAdapters().records[0];
    memset(record.Description, 'x', sizeof record.Description);
    memcpy(record.Description + sizeof record.Description - 5, "WIFI", 4);
    EXPECT_STREQ(GetPrimaryMac(), "00-00-00-00-00-02");
}

} // namespace
