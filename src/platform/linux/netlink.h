// The adapter list on Linux: a netlink dump of this network namespace's
// links, each classified by its sysfs entry, keeping the adapters with the
// lowest interface indices.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "../adapters.h"

// A link dump under way.
struct LinkDump {
    uint32_t sequence;     // the request's: replies carrying another are not ours
    const char *sysfs_net; // where the interfaces' entries are
    IP_ADAPTER_INFO (&records)[kAdapterRecords]; // the adapters so far, by index
    int count = 0;
    bool interrupted = false;      // the kernel says links may have been missed
    const char *failure = nullptr; // why the dump could not end as it should
};

// Takes one datagram of the dump's replies, from netlink port `sender` (the
// kernel's is 0; others are ignored), its `bytes` aligned as an nlmsghdr.
// Returns whether more are to come: false once the dump is done or failed.
bool TakeLinkReply(LinkDump &dump, const void *bytes, size_t length, uint32_t sender);

// Lists this namespace's adapters, their entries read under `sysfs_net`: the
// 16 with the lowest indices, in ascending order. A dump that the kernel
// reports as interrupted is run again, a few times at most.
AdapterQuery ListAdapters(const char *sysfs_net, IP_ADAPTER_INFO (&records)[kAdapterRecords],
                          char (&failure)[kQueryFailureSize]);
