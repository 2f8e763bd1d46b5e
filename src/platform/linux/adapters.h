// The adapter list on Linux: the kernel's link dump says which interfaces
// exist in this network namespace, sysfs which of them are adapters and where
// each sits in the machine. They are listed in hardware order, which is the
// same on every boot.
#pragma once

#include "../adapters.h"
#include "hardware_order.h"

// The adapters kept while a dump is read: the first in hardware order, the
// record and key of each at the same place.
struct KeptAdapters {
    const char *sysfs_root;
    IP_ADAPTER_INFO (&records)[kAdapterRecords];
    HardwareKey (&keys)[kAdapterRecords];
    PciSlots &slots;
    int socket_fd = -1; // the dump's, also for ethtool's questions
    int count = 0;
    // The last master whose kind is known, and whether it is a team.
    int known_master = 0;
    bool known_master_is_team = false;
};

// The dump's link handler (context: KeptAdapters): keeps the link when it is
// an adapter among the first in hardware order.
bool KeepAdapter(void *context, const KernelLink &link, char (&failure)[kQueryFailureSize]);

// Gives each kept record its place as its Index, 1 for the first, and links
// each to the next.
void ChainAdapters(KeptAdapters &kept);

// Lists this namespace's adapters, reading sysfs under `sysfs_root`: the 16
// first in hardware order.
AdapterQuery ListAdapters(const char *sysfs_root, IP_ADAPTER_INFO (&records)[kAdapterRecords],
                          char (&failure)[kQueryFailureSize]);
