// The seam between the program and the operating system's adapter list: the
// network adapters, delivered the way Windows' GetAdaptersInfo delivers them.
//
// On Windows the record is the platform's own IP_ADAPTER_INFO. Elsewhere it is
// a record of ours with the same names, types and meanings for the fields the
// program reads; a platform layer fills it from what that system offers.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// windows.h first: iphlpapi.h relies on its types; and the IP definitions,
// without which it leaves out the interface table (GetIfTable2).
#include <winsock2.h>
#include <ws2ipdef.h>
// Then iphlpapi.h itself.
#include <iphlpapi.h>
#else
#include <stdint.h>

#define MAX_ADAPTER_DESCRIPTION_LENGTH 128
#define MAX_ADAPTER_ADDRESS_LENGTH 8

// Interface type codes, with the values Windows uses for them.
#define MIB_IF_TYPE_OTHER 1
#define MIB_IF_TYPE_ETHERNET 6
#define MIB_IF_TYPE_PPP 23
#define IF_TYPE_IEEE80211 71
#define IF_TYPE_TUNNEL 131
#define IF_TYPE_WWANPP 243

struct IP_ADAPTER_INFO {
    IP_ADAPTER_INFO *Next; // null on the last record
    char Description[MAX_ADAPTER_DESCRIPTION_LENGTH + 4];
    uint32_t AddressLength; // valid bytes in Address
    uint8_t Address[MAX_ADAPTER_ADDRESS_LENGTH];
    uint32_t Index; // interface index
    uint32_t Type;  // one of the type codes above
};
#endif

#include <stddef.h>

// The fixed number of records one query may return.
constexpr int kAdapterRecords = 16;

// Room for the few words that say why a query failed.
constexpr size_t kQueryFailureSize = 160;

enum class AdapterQuery {
    kListed,     // records hold the list
    kNoAdapters, // the machine has none: an answer, not a failure
    kFailed,     // no list; `failure` says why
};

// Fills `records` with one record per adapter, in the platform's order: the
// first at records[0], each linked to the next through Next, the last with a
// null Next; of more adapters than it holds, those with the lowest indices.
// Unless it returns kListed, `records` holds no list; on kFailed, `failure`
// names the cause.
AdapterQuery QueryAdapters(IP_ADAPTER_INFO (&records)[kAdapterRecords],
                           char (&failure)[kQueryFailureSize]);
