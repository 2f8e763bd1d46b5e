// Which adapters of GetAdaptersInfo's list are ports of the machine's own, by
// what GetIfTable2 says of every network interface: each driver tells Windows
// whether its interface is hardware and has a connector. Plain code on the
// records alone, so that it builds and is tested anywhere.
#pragma once

#include "../adapters.h"

#ifndef _WIN32
#define IF_MAX_PHYS_ADDRESS_LENGTH 32
#define IF_TYPE_ETHERNET_CSMACD 6

// A row of GetIfTable2: elsewhere a record of ours with the names, types and
// meanings that Windows gives the fields read here.
struct MIB_IF_ROW2 {
    uint32_t InterfaceIndex;
    uint32_t PhysicalAddressLength; // valid bytes in PermanentPhysicalAddress
    uint8_t PermanentPhysicalAddress[IF_MAX_PHYS_ADDRESS_LENGTH];
    uint32_t Type; // an interface type code, as IP_ADAPTER_INFO's
    struct {
        bool HardwareInterface : 1;
        bool FilterInterface : 1;
        bool ConnectorPresent : 1;
    } InterfaceAndOperStatusFlags;
};
#endif

// GetIfTable2's rows: every interface of the machine, those that
// GetAdaptersInfo leaves out among them (filter modules, tunnels, WAN
// miniports, adapters without IPv4).
struct InterfaceTable {
    const MIB_IF_ROW2 *rows;
    unsigned long count;
};

// Whether `adapter`, one of `list` (GetAdaptersInfo's, a chain through Next,
// null at its end), stands for a port of the machine: its own interface, the
// row of its index, is hardware with a connector and not a filter module; or
// its address is the permanent address of such an interface of the Ethernet
// type that `list` does not hold. That port's address is carried by the
// adapter that holds its IPv4 configuration: a Hyper-V switch's host adapter
// for the network card bound to the switch, a team's adapter for a member.
bool IsHardwareAdapter(const IP_ADAPTER_INFO &adapter, const IP_ADAPTER_INFO *list,
                       const InterfaceTable &interfaces);
