// What sysfs says of a network interface: whether it is backed by a device
// and where that device sits in the machine (its hardware-order key), whether
// its entry is this interface's own, and the record the scan sees for it.
// Every path is built under a sysfs root: "/sys", or a tree laid out like it.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "../adapters.h"
#include "netlink.h"

// Room for any path built under the sysfs root.
constexpr size_t kSysfsPathSize = 512;

// Room for a uevent file's text.
constexpr size_t kUeventSize = 1024;

// Where a device can be unplugged, as its `removable` attributes say.
enum class Removability {
    kBuiltIn,   // no attribute on the way up: PCI, platform, virtio, ...
    kFixed,     // every one says "fixed": hard-wired USB
    kRemovable, // "removable", "unknown": docks, dongles, Thunderbolt
    kUnreadable,
};

// The firmware's onboard numbers that count: udev's eno<N>.
constexpr uint32_t kMaxFirmwareNumber = 65535;

// The facts that place an adapter in hardware order, each the same on every
// boot but the last. A part that cannot be read takes the value that sorts
// last.
struct HardwareKey {
    Removability removability;
    uint32_t firmware_number;         // acpi_index or index; above kMaxFirmwareNumber for none
    char device_path[kSysfsPathSize]; // below /sys/devices; empty when unreadable
    uint32_t dev_port;                // the port on its PCI function; 0 when absent
    int ifindex;                      // the kernel's, in order of registration
};

// Reads the key of `link`'s device under `sysfs_root`. False when there is
// nothing to list: the interface has no device (a software interface), or it
// stands for a guest, whose address it carries: an SR-IOV virtual function, or
// a switchdev representor of one.
bool ReadHardwareKey(const char *sysfs_root, const KernelLink &link, HardwareKey &key);

// Whether the entry of that name shows the kernel's own index and address for
// `link`: a network namespace that has not mounted its own sysfs sees the
// host's entries. Leaves the entry's uevent text in `uevent`.
bool IsOwnEntry(const char *sysfs_root, const KernelLink &link, char (&uevent)[kUeventSize]);

// Fills `record` (all but Next and Index) for `link`, whose entry's uevent
// text is `uevent`.
void DescribeAdapter(const char *sysfs_root, const KernelLink &link, const char *uevent,
                     IP_ADAPTER_INFO &record);
