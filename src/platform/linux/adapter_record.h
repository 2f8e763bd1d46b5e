// The record the scan sees for an adapter: its type, its description (the
// device's own facts, never the name its owner chose) and its address.
#pragma once

#include "../adapters.h"
#include "netlink.h"
#include "sysfs.h"

// Fills `record` (all but Next and Index) for `link`, whose interface entry
// is `entry`, with `address` as its address. False when the entry is not the
// interface's own: a network namespace that has not mounted its own sysfs
// sees the host's entries.
bool DescribeAdapter(SysfsPath &entry, const KernelLink &link, const LinkAddress &address,
                     IP_ADAPTER_INFO &record);
