// Classifying a network interface from its sysfs entry: whether it is an
// adapter, and the record the scan sees for it.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "../adapters.h"

// One network interface as the kernel's netlink dump describes it.
struct KernelLink {
    const char *name;
    int index;
    unsigned short type; // ARPHRD_* link type
    const uint8_t *address;
    size_t address_length;
};

// Fills `record` (all but Next) for `link`, reading the interface's entries
// under `sysfs_net` (normally /sys/class/net). Returns false when the
// interface is not backed by a device, or when the entry of that name belongs
// to another interface: a network namespace that has not mounted its own sysfs
// sees the host's entries.
bool DescribeAdapter(const char *sysfs_net, const KernelLink &link, IP_ADAPTER_INFO &record);
