// Fuzzes the link dump's reply parser with arbitrary datagrams, against the
// fixture sysfs tree: whatever the bytes, nothing is read outside them (the
// sanitizers watch), and the adapters kept are at most 16, in ascending
// index order.
//
// Input: datagrams, each a 2-byte little-endian length and that many bytes,
// all from the kernel, answering the request of sequence 1.
#include <linux/netlink.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/linux/netlink.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    IP_ADAPTER_INFO records[kAdapterRecords];
    LinkDump dump{1, SYSFS_FIXTURE, records};
    // The socket's receive buffer: aligned, and no larger than one datagram.
    alignas(nlmsghdr) static char datagram[65536];
    bool more = true;
    while (more && size >= 2) {
        const size_t length = std::min<size_t>(data[0] | data[1] << 8, size - 2);
        memcpy(datagram, data + 2, length);
        data += 2 + length;
        size -= 2 + length;
        more = TakeLinkReply(dump, datagram, length, 0);
    }

    if (dump.count < 0 || dump.count > kAdapterRecords)
        abort();
    for (int i = 1; i < dump.count; ++i)
        if (records[i - 1].Index > records[i].Index)
            abort();
    return 0;
}
