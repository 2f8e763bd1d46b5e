// The Windows layer's choice of the adapters that a list too long for the
// scan's buffer hands the scan. Wine lists adapters by index, so only chains
// built here can show that the lowest are kept rather than the first.
#include "platform/win/lowest_adapters.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "table_case.h"

namespace {

struct ChainCase : NamedCase {
    std::vector<uint32_t> listed; // the chain's indices, in its order
    std::vector<uint32_t> kept;
};

// Each adapter's description and last address byte follow from its index.
std::string Description(uint32_t index) {
    return "lan" + std::to_string(index);
}

class CopyLowestAdaptersTest : public testing::TestWithParam<ChainCase> {};

TEST_P(CopyLowestAdaptersTest, KeepsTheLowestInListOrder) {
    const std::vector<uint32_t> &listed = GetParam().listed;
    // Stored back to front, so that the chain is not the array's order.
    std::vector<IP_ADAPTER_INFO> stored(listed.size());
    IP_ADAPTER_INFO *list = nullptr;
    for (size_t i = 0; i < listed.size(); ++i) {
        IP_ADAPTER_INFO &adapter = stored[i];
        memset(&adapter, 0, sizeof adapter);
        adapter.Next = list;
        adapter.Index = listed[listed.size() - 1 - i];
        adapter.Type = MIB_IF_TYPE_ETHERNET;
        adapter.AddressLength = 6;
        adapter.Address[5] = static_cast<uint8_t>(adapter.Index);
        snprintf(adapter.Description, sizeof adapter.Description, "%s",
                 Description(adapter.Index).c_str());
        list = &adapter;
    }

    // Bytes no chain holds, so a record left unwritten shows.
    IP_ADAPTER_INFO records[kAdapterRecords];
    memset(records, 0xA5, sizeof records);
    const int count = CopyLowestAdapters(list, nullptr, records);

    const std::vector<uint32_t> &kept = GetParam().kept;
    ASSERT_EQ(count, static_cast<int>(kept.size()));
    std::vector<uint32_t> indices;
    for (int i = 0; i < count; ++i) {
        const IP_ADAPTER_INFO &record = records[i];
        indices.push_back(record.Index);
        EXPECT_EQ(record.Next, i + 1 < count ? &records[i + 1] : nullptr) << "record " << i;
        EXPECT_EQ(Description(record.Index), record.Description);
        EXPECT_EQ(record.Type, static_cast<uint32_t>(MIB_IF_TYPE_ETHERNET));
        EXPECT_EQ(record.AddressLength, 6U);
        EXPECT_EQ(record.Address[5], static_cast<uint8_t>(record.Index));
    }
    EXPECT_EQ(indices, kept);
}

const ChainCase kChains[] = {
    {"NoAdapters", {}, {}},
    {"OneKept", {7}, {7}},
    {"SixteenKeptAsListed",
     {9, 2, 30, 1, 0xFFFFFFFF, 5, 4, 3, 100, 6, 8, 7, 12, 11, 10, 13},
     {9, 2, 30, 1, 0xFFFFFFFF, 5, 4, 3, 100, 6, 8, 7, 12, 11, 10, 13}},
    {"LowestOfTwentyInListOrder",
     {17, 3, 20, 8, 1, 12, 19, 5, 14, 10, 2, 18, 7, 15, 11, 4, 16, 9, 13, 6},
     {3, 8, 1, 12, 5, 14, 10, 2, 7, 15, 11, 4, 16, 9, 13, 6}},
    {"IndicesAreSigned",
     {1, 2, 3, 4, 5, 6, 7, 8, 0xFFFFFFFF, 9, 10, 11, 12, 13, 14, 15, 0x80000000},
     {1, 2, 3, 4, 5, 6, 7, 8, 0xFFFFFFFF, 9, 10, 11, 12, 13, 14, 0x80000000}},
    {"TieAtTheLastPlaceKeepsTheFirstListed",
     {16, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16},
     {16, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}},
};
INSTANTIATE_TEST_SUITE_P(Chains, CopyLowestAdaptersTest, testing::ValuesIn(kChains),
                         CaseName<ChainCase>);

} // namespace
