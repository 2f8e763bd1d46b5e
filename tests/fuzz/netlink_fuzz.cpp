// Fuzzes the link dump's reply parser and the adapters kept from it with
// arbitrary datagrams, against the fixture tree laid out like /sys: whatever
// the bytes, nothing is read outside them (the sanitizers watch), and the
// adapters kept are at most 16, in hardware order, each with its place as its
// index.
//
// Input: datagrams, each a 2-byte little-endian length and that many bytes,
// all from the kernel, answering the request of sequence 1.
#include <linux/netlink.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/linux/adapters.h"
#include "platform/linux/netlink.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    IP_ADAPTER_INFO records[kAdapterRecords];
    char failure[kQueryFailureSize] = "";
    HardwareKey keys[kAdapterRecords];
    PciSlots slots;
    slots.sysfs_root = SYSFS_FIXTURE;
    KeptAdapters kept{SYSFS_FIXTURE, records, keys, slots};
    LinkDump dump{1, KeepAdapter, &kept, failure};
    // The socket's receive buffer: aligned, and no larger than one datagram.
    alignas(nlmsghdr) static char datagram[kReplySize];
    DumpStep step = DumpStep::kMore;
    while (step == DumpStep::kMore && size >= 2) {
        const size_t length = std::min<size_t>(data[0] | data[1] << 8, size - 2);
        memcpy(datagram, data + 2, length);
        data += 2 + length;
        size -= 2 + length;
        step = TakeLinkReply(dump, datagram, length, 0);
    }
    if ((step == DumpStep::kFailed) != (failure[0] != '\0'))
        abort();

    ChainAdapters(kept);
    if (kept.count < 0 || kept.count > kAdapterRecords)
        abort();
    for (int i = 0; i < kept.count; ++i) {
        if (records[i].Index != static_cast<uint32_t>(i + 1) ||
            records[i].Next != (i + 1 < kept.count ? &records[i + 1] : nullptr) ||
            (i > 0 && InHardwareOrder(kept.keys[i], kept.keys[i - 1], slots)))
            abort();
    }
    return 0;
}
