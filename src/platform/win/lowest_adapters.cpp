// The scan takes the eligible adapter with the lowest index, so the 16 lowest
// of a longer list give the answer of the whole list whenever that adapter is
// among them, and never a worse one. An adapter left out is left out before
// that: it takes none of the 16 places.
#include "lowest_adapters.h"

#include <stddef.h>
#include <stdint.h>
#include <string.h>

namespace {

// An adapter's rank in the scan's choice: its index as a signed number, then
// its place in the list, the earlier first. No two adapters share a rank.
struct Rank {
    int32_t index;
    size_t position;
};

bool Precedes(const Rank &a, const Rank &b) {
    return a.index < b.index || (a.index == b.index && a.position < b.position);
}

// Takes `rank` among the lowest so far, kept in ascending order; when they are
// full, the highest gives way to a lower one.
void TakeRank(Rank (&lowest)[kAdapterRecords], int &count, const Rank &rank) {
    int at = count;
    if (count < kAdapterRecords)
        ++count;
    else if (Precedes(rank, lowest[kAdapterRecords - 1]))
        at = kAdapterRecords - 1;
    else
        return;
    for (; at > 0 && Precedes(rank, lowest[at - 1]); --at)
        lowest[at] = lowest[at - 1];
    lowest[at] = rank;
}

// The scan's six fields of `adapter`, the others zero. The list's own buffer
// is freed once the records are taken, and the platform's records point into
// it (address lists, the current address): a whole copy would keep those
// pointers.
void CopyScannedFields(const IP_ADAPTER_INFO &adapter, IP_ADAPTER_INFO &record) {
    memset(&record, 0, sizeof record);
    memcpy(record.Description, adapter.Description, sizeof record.Description);
    record.AddressLength = adapter.AddressLength;
    memcpy(record.Address, adapter.Address, sizeof record.Address);
    record.Index = adapter.Index;
    record.Type = adapter.Type;
}

bool IsKept(const IP_ADAPTER_INFO &adapter, const IP_ADAPTER_INFO *list,
            const InterfaceTable *interfaces) {
    return interfaces == nullptr || IsHardwareAdapter(adapter, list, *interfaces);
}

} // namespace

int CopyLowestAdapters(const IP_ADAPTER_INFO *list, const InterfaceTable *interfaces,
                       IP_ADAPTER_INFO (&records)[kAdapterRecords]) {
    Rank lowest[kAdapterRecords];
    int count = 0;
    size_t position = 0;
    for (const IP_ADAPTER_INFO *adapter = list; adapter != nullptr;
         adapter = adapter->Next, ++position)
        if (IsKept(*adapter, list, interfaces))
            TakeRank(lowest, count, {static_cast<int32_t>(adapter->Index), position});

    // Again through the list, taking those ranked no higher than the last one
    // kept: exactly `count` of them, in the list's order.
    int copied = 0;
    position = 0;
    for (const IP_ADAPTER_INFO *adapter = list; adapter != nullptr && copied < count;
         adapter = adapter->Next, ++position) {
        if (Precedes(lowest[count - 1], {static_cast<int32_t>(adapter->Index), position}) ||
            !IsKept(*adapter, list, interfaces))
            continue;
        CopyScannedFields(*adapter, records[copied]);
        if (copied > 0)
            records[copied - 1].Next = &records[copied];
        ++copied;
    }
    return copied;
}
