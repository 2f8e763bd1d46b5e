// The adapter list on Windows: the IP Helper query itself.
#include "adapters.h"

// The record layout of the platform's own compiler (64-bit time_t), so that
// the buffer handed to the query is the 10368 bytes of 16 records.
static_assert(sizeof(IP_ADAPTER_INFO) == 648, "IP_ADAPTER_INFO must be the 648-byte layout");
static_assert(sizeof(IP_ADAPTER_INFO[kAdapterRecords]) == 10368, "adapter buffer size");

bool QueryAdapters(IP_ADAPTER_INFO (&records)[kAdapterRecords]) {
    // One call, never repeated with a larger buffer. Any failure (no adapter,
    // more than the buffer holds, or another error) leaves no list to walk.
    ULONG size = sizeof records;
    return GetAdaptersInfo(records, &size) == ERROR_SUCCESS;
}
