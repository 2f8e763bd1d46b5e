// Windows knows which network interfaces are the machine's hardware: each
// driver says so for itself (a VPN's TAP adapter, VMware's and Hyper-V's host
// adapters have no connector), and every filter module that NDIS stacks on an
// adapter is an interface of its own, with the adapter's flags and address.
#include "hardware_adapters.h"

#include <stdint.h>
#include <string.h>

namespace {

// Whether the interface is a port: hardware with a physical connector (what
// Get-NetAdapter -Physical lists), not a filter module above one.
bool IsPort(const MIB_IF_ROW2 &row) {
    return row.InterfaceAndOperStatusFlags.HardwareInterface &&
           row.InterfaceAndOperStatusFlags.ConnectorPresent &&
           !row.InterfaceAndOperStatusFlags.FilterInterface;
}

// Whether the adapter's address is the interface's permanent one.
bool HasPermanentAddressOf(const IP_ADAPTER_INFO &adapter, const MIB_IF_ROW2 &row) {
    return adapter.AddressLength > 0 && adapter.AddressLength <= sizeof adapter.Address &&
           adapter.AddressLength == row.PhysicalAddressLength &&
           memcmp(adapter.Address, row.PermanentPhysicalAddress, adapter.AddressLength) == 0;
}

bool IsListed(uint32_t index, const IP_ADAPTER_INFO *list) {
    for (const IP_ADAPTER_INFO *adapter = list; adapter != nullptr; adapter = adapter->Next)
        if (adapter->Index == index)
            return true;
    return false;
}

} // namespace

bool IsHardwareAdapter(const IP_ADAPTER_INFO &adapter, const IP_ADAPTER_INFO *list,
                       const InterfaceTable &interfaces) {
    for (unsigned long i = 0; i < interfaces.count; ++i) {
        const MIB_IF_ROW2 &row = interfaces.rows[i];
        if (!IsPort(row))
            continue;
        if (row.InterfaceIndex == adapter.Index)
            return true;
        // A port that GetAdaptersInfo lists stands for itself; of the Ethernet
        // type only, so that a switch over a Wi-Fi adapter does not make the
        // Wi-Fi's address the answer.
        if (row.Type == IF_TYPE_ETHERNET_CSMACD && HasPermanentAddressOf(adapter, row) &&
            !IsListed(row.InterfaceIndex, list))
            return true;
    }
    return false;
}
