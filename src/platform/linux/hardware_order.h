// Hardware order: where an adapter sits in the machine, as facts that are the
// same on every boot, unlike the kernel's interface indices (drivers register
// in parallel, in an order that can change from one boot to the next).
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "netlink.h"
#include "sysfs.h"

// Where a device can be unplugged, as its `removable` attributes say.
enum class Removability {
    kBuiltIn,   // no attribute on the way up: PCI, platform, virtio, ...
    kFixed,     // every one says "fixed": hard-wired USB
    kRemovable, // "removable", "unknown": docks, dongles, Thunderbolt
    kUnreadable,
};

// Whether a device sits in a PCI slot; looked up only when it can decide.
enum class SlotPlace {
    kUnknown,
    kNotInSlot,
    kInSlot,
};

// The firmware's onboard numbers that count: udev's eno<N>.
constexpr uint32_t kMaxFirmwareNumber = 65535;

// The facts that place an adapter in hardware order, each the same on every
// boot but the last. A part that cannot be read takes the value that sorts
// last.
struct HardwareKey {
    Removability removability;
    bool locally_administered;        // the address's 0x02 bit: random, generated, tethered
    uint32_t firmware_number;         // acpi_index or index; above kMaxFirmwareNumber for none
    SlotPlace slot;                   // kUnknown until asked
    char device_path[kSysfsPathSize]; // below /sys/devices; empty when unreadable
    uint32_t dev_port;                // the port on its PCI function; 0 when absent
    int ifindex;                      // the kernel's, in order of registration
};

// The machine's physical and hot-plug PCI slots, ROOT/bus/pci/slots/*/address
// ("dddd:bb:dd"): read once, the first time a slot can decide an order.
constexpr int kMaxPciSlots = 256;
constexpr size_t kPciSlotAddressSize = 16;
struct PciSlots {
    const char *sysfs_root = nullptr;
    bool read = false;
    int count = 0;
    char addresses[kMaxPciSlots][kPciSlotAddressSize];
};

// Reads the key of the device behind `entry`, the interface entry of `link`
// under `sysfs_root`, which answers with `address`. False when there is nothing to list: the
// interface has no device (a software interface), or it stands for a guest,
// whose address it carries: an SR-IOV virtual function, or a switchdev
// representor.
bool ReadHardwareKey(const char *sysfs_root, SysfsPath &entry, const KernelLink &link,
                     const LinkAddress &address, HardwareKey &key);

// Whether the adapter whose key is `first` comes before the one of `second`.
// Looks up, and notes in the keys, whether their devices sit in slots when
// that decides.
bool InHardwareOrder(HardwareKey &first, HardwareKey &second, PciSlots &slots);
