// Which adapters the Windows layer hands the scan, by what GetIfTable2 says of
// each interface: rows of recorded MIB_IF_ROW2 facts. Wine reports every
// interface as hardware with a connector, so only tables built here show the
// rest.
#include "platform/win/hardware_adapters.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "platform/win/lowest_adapters.h"
#include "table_case.h"

namespace {

// A machine's interfaces, one a line, in GetIfTable2's order, as the Wine
// tests' iphlpapi.dll reads them (scripted_iphlpapi.cpp):
//
//     INDEX TYPE FLAGS ADDRESS PERMANENT
//
// FLAGS: any of l (GetAdaptersInfo lists it, an adapter with an IPv4
// binding, in the same order), h, c and f (HardwareInterface,
// ConnectorPresent, FilterInterface), or - for none. ADDRESS is the current
// address, as GetAdaptersInfo gives it, "-" for none; PERMANENT the row's
// permanent one, "=" for the same.
struct Machine {
    std::vector<IP_ADAPTER_INFO> adapters;
    std::vector<MIB_IF_ROW2> rows;
};

// Reads hex bytes joined by '-' into `bytes`; returns how many ("-": none).
unsigned ReadAddress(const std::string &text, uint8_t *bytes, unsigned capacity) {
    unsigned count = 0;
    for (size_t at = 0; count < capacity && at + 2 <= text.size(); at += 3)
        bytes[count++] = static_cast<uint8_t>(std::stoul(text.substr(at, 2), nullptr, 16));
    return count;
}

Machine ReadMachine(const std::string &table) {
    Machine machine;
    std::istringstream lines(table);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        unsigned index, type;
        std::string flags, address, permanent;
        fields >> index >> type >> flags >> address >> permanent;
        MIB_IF_ROW2 row = {};
        row.InterfaceIndex = index;
        row.Type = type;
        row.InterfaceAndOperStatusFlags.HardwareInterface = flags.find('h') != std::string::npos;
        row.InterfaceAndOperStatusFlags.ConnectorPresent = flags.find('c') != std::string::npos;
        row.InterfaceAndOperStatusFlags.FilterInterface = flags.find('f') != std::string::npos;
        row.PhysicalAddressLength =
            ReadAddress(permanent == "=" ? address : permanent, row.PermanentPhysicalAddress,
                        sizeof row.PermanentPhysicalAddress);
        machine.rows.push_back(row);
        if (flags.find('l') == std::string::npos)
            continue;
        IP_ADAPTER_INFO adapter = {};
        adapter.Index = index;
        adapter.Type = type;
        adapter.AddressLength = ReadAddress(address, adapter.Address, sizeof adapter.Address);
        machine.adapters.push_back(adapter);
    }
    for (size_t i = 0; i + 1 < machine.adapters.size(); ++i)
        machine.adapters[i].Next = &machine.adapters[i + 1];
    return machine;
}

// The indices of the adapters that the scan gets from the machine, in order.
std::vector<uint32_t> KeptIndices(const Machine &machine) {
    const InterfaceTable interfaces = {machine.rows.data(), machine.rows.size()};
    IP_ADAPTER_INFO records[kAdapterRecords];
    const int count = CopyLowestAdapters(machine.adapters.empty() ? nullptr : &machine.adapters[0],
                                         &interfaces, records);
    std::vector<uint32_t> kept;
    for (int i = 0; i < count; ++i)
        kept.push_back(records[i].Index);
    return kept;
}

struct HardwareCase : NamedCase {
    const char *interfaces;
    std::vector<uint32_t> kept;
};

class HardwareAdaptersTest : public testing::TestWithParam<HardwareCase> {};

TEST_P(HardwareAdaptersTest, KeepsThePorts) {
    EXPECT_EQ(KeptIndices(ReadMachine(GetParam().interfaces)), GetParam().kept);
}

const HardwareCase kHardware[] = {
    {"PortKept", "7 6 lhc 00-1B-21-0A-0B-0C =", {7}},
    {"SoftwareAdapterLeftOut", "4 6 l 00-FF-4C-1D-77-01 =\n7 6 lhc 00-1B-21-0A-0B-0C =", {7}},
    {"HardwareWithoutConnectorLeftOut",
     "3 6 lh 00-15-5D-00-04-01 =\n7 6 lhc 00-1B-21-0A-0B-0C =",
     {7}},
    {"AdapterWithoutRowLeftOut", "7 6 l 00-1B-21-0A-0B-0C =", {}},
    {"RowFoundByIndexNotPlace",
     "1 24 - - =\n9 6 lhc 00-1B-21-0A-0B-0C =\n4 6 l 00-FF-4C-1D-77-01 =",
     {9}},
    // A Hyper-V switch's host adapter holds the IPv4 configuration of the
    // network card bound to the switch, with its address.
    {"SwitchAdapterStandsForTheBoundPort",
     "12 6 lh 00-1B-21-0A-0B-0C 00-15-5D-00-04-01\n5 6 hc 00-1B-21-0A-0B-0C =",
     {12}},
    {"SwitchAdapterOfItsOwnLeftOut",
     "12 6 lh 00-15-5D-00-04-02 00-15-5D-00-04-01\n5 6 hc 00-1B-21-0A-0B-0C =",
     {}},
    {"SwitchOverWifiLeftOut",
     "14 6 lh 8C-C6-81-2A-3B-4C 00-15-5D-00-04-01\n6 71 hc 8C-C6-81-2A-3B-4C =",
     {}},
    {"ListedPortCarriedByNone",
     "3 6 l 00-1B-21-0A-0B-0C 02-00-00-00-00-03\n9 6 lhc 00-1B-21-0A-0B-0C =",
     {9}},
    // Each filter module on an adapter is an interface of its own, with the
    // adapter's flags and address, which GetAdaptersInfo does not list.
    {"FilterRowCarriedByNone",
     "3 6 l 00-1B-21-0A-0B-0C 02-00-00-00-00-03\n9 6 lhc 00-1B-21-0A-0B-0C =\n"
     "20 6 hcf 00-1B-21-0A-0B-0C =",
     {9}},
};
INSTANTIATE_TEST_SUITE_P(Hardware, HardwareAdaptersTest, testing::ValuesIn(kHardware),
                         CaseName<HardwareCase>);

// Software adapters at the lowest indices of a list longer than the scan's
// buffer: they are left out before the 16 lowest are taken, so every port
// keeps its place.
TEST(HardwareAdaptersListTest, LeftOutAdaptersTakeNoPlace) {
    std::string interfaces;
    std::vector<uint32_t> ports;
    for (unsigned index = 1; index <= 20; ++index) {
        char line[64];
        snprintf(line, sizeof line, "%u 6 %s 02-00-00-00-00-%02X =\n", index,
                 index <= 4 ? "l" : "lhc", index);
        interfaces += line;
        if (index > 4)
            ports.push_back(index);
    }
    EXPECT_EQ(KeptIndices(ReadMachine(interfaces)), ports);
}

} // namespace
