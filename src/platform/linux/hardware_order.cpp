// The order itself is in InHardwareOrder, at the end; the man page tells it
// to users.
#include "hardware_order.h"

#include <errno.h>
#include <string.h>

#include "../../bounded_text.h"

namespace {

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

// Whether `name` is `prefix` followed by a number: usb2, virtio0.
bool IsNumbered(const char *name, const char *prefix) {
    const size_t length = strlen(prefix);
    return strncmp(name, prefix, length) == 0 && name[length] != '\0' &&
           strspn(name + length, "0123456789") == strlen(name + length);
}

// Moves past the number at `text`: false when there is none.
bool SkipNumber(const char *&text) {
    const size_t digits = strspn(text, "0123456789");
    text += digits;
    return digits != 0;
}

// Whether the port is a switchdev representor's, (c<N>)?pf<N>(vf<N>|sf<N>|hpf)?:
// it stands on the host for a physical or virtual function or a
// subfunction, on this controller or another (a DPU's host). The uplink's
// p<N> is no representor.
bool IsRepresentor(const char *port_name) {
    if (port_name == nullptr)
        return false;
    const char *rest = port_name;
    if (*rest == 'c' && !SkipNumber(++rest))
        return false;
    if (strncmp(rest, "pf", 2) != 0 || !SkipNumber(rest += 2))
        return false;
    return *rest == '\0' || strcmp(rest, "hpf") == 0 || IsNumbered(rest, "vf") ||
           IsNumbered(rest, "sf");
}

// The path below ROOT/devices of the device that the interface's `device`
// link (whose text is `device_link`) leads to, from the links' text: musl's
// realpath() would take a system call for each component.
bool ReadDevicePath(SysfsPath &entry, const char *device_link,
                    char (&device_path)[kSysfsPathSize]) {
    char target[kSysfsPathSize];
    if (device_link[0] == '\0' || !ReadLink(Directory(entry), target) || target[0] == '\0')
        return false;
    constexpr char kDevices[] = "devices/";
    char resolved[kSysfsPathSize] = "class/net";
    if (!FollowLink(resolved, target) || !FollowLink(resolved, device_link) ||
        strncmp(resolved, kDevices, sizeof kDevices - 1) != 0)
        return false;
    return CopyText(device_path, sizeof device_path, resolved + sizeof kDevices - 1);
}

// Reads every `removable` attribute from the device (whose directory is
// `device`) up to ROOT/devices, `top` bytes of it. A USB root hub (usb<N>)
// says "unknown" whatever its ports hold: it is skipped.
Removability ReadRemovability(SysfsPath &device, size_t top) {
    Removability removability = Removability::kBuiltIn;
    while (device.length > top) {
        const char *name = strrchr(Directory(device), '/') + 1;
        if (!IsNumbered(name, "usb")) {
            char value[kValueSize];
            if (!InDirectory(device, "removable"))
                return Removability::kUnreadable;
            if (ReadValue(device.text, value)) {
                if (strcmp(value, "fixed") != 0)
                    return Removability::kRemovable;
                removability = Removability::kFixed;
            }
        }
        device.length = static_cast<size_t>(name - 1 - device.text); // on to the parent
    }
    return removability;
}

// No firmware number: sorts after every number that counts.
constexpr uint32_t kNoFirmwareNumber = UINT32_MAX;

// The firmware's number for the device (whose directory is `device`): its
// acpi_index (ACPI), else its index (SMBIOS). For a virtio device the numbers
// are its PCI function's, its parent. Some hypervisors report numbers of
// about 2^24: those do not count.
uint32_t ReadFirmwareNumber(SysfsPath device) {
    const char *name = strrchr(Directory(device), '/') + 1;
    if (IsNumbered(name, "virtio"))
        device.length = static_cast<size_t>(name - 1 - device.text);
    unsigned long number = 0;
    const bool found = (InDirectory(device, "acpi_index") && ReadNumber(device.text, number)) ||
                       (InDirectory(device, "index") && ReadNumber(device.text, number));
    return found && number <= kMaxFirmwareNumber ? static_cast<uint32_t>(number)
                                                 : kNoFirmwareNumber;
}

// The interface's port on its device (several ports on one PCI function): 0
// when the kernel does not say, last when it cannot be read.
uint32_t ReadDevPort(SysfsPath &entry) {
    unsigned long port = 0;
    if (!InDirectory(entry, "dev_port"))
        return UINT32_MAX;
    if (ReadNumber(entry.text, port))
        return port < UINT32_MAX ? static_cast<uint32_t>(port) : UINT32_MAX;
    return errno == ENOENT ? 0 : UINT32_MAX;
}

// The length of a PCI slot's address, domain:bus:device, at `text` (a PCI
// function's name, "0000:00:1c.4", or a slot's address, "0000:00:1c"); 0 when
// it holds none.
size_t SlotAddressLength(const char *text) {
    const size_t domain = strspn(text, "0123456789abcdef");
    const char *bus = text + domain;
    return domain >= 4 && bus[0] == ':' && IsHexDigit(bus[1]) && IsHexDigit(bus[2]) &&
                   bus[3] == ':' && IsHexDigit(bus[4]) && IsHexDigit(bus[5])
               ? domain + 6
               : 0;
}

void TakePciSlot(void *context, const char *name) {
    PciSlots &slots = *static_cast<PciSlots *>(context);
    SysfsPath slot;
    char address[kValueSize];
    if (slots.count < kMaxPciSlots && StartPath(slot, slots.sysfs_root, "bus/pci/slots", name) &&
        InDirectory(slot, "address") && ReadValue(slot.text, address) &&
        SlotAddressLength(address) != 0 && address[SlotAddressLength(address)] == '\0' &&
        CopyText(slots.addresses[slots.count], sizeof slots.addresses[0], address))
        ++slots.count;
}

// Reads the machine's slots, the first time they are asked for.
void ReadPciSlots(PciSlots &slots) {
    SysfsPath directory;
    if (!slots.read && StartPath(directory, slots.sysfs_root, "bus/pci", "slots"))
        ListDirectory(Directory(directory), TakePciSlot, &slots);
    slots.read = true;
}

// Whether the device at `device_path`, or a PCI device above it, sits in one
// of the slots. A slot's address names no function: every function of the
// card in it is in it.
bool IsInSlot(const char *device_path, PciSlots &slots) {
    for (const char *component = device_path; *component != '\0';) {
        const size_t length = strcspn(component, "/");
        const size_t address = SlotAddressLength(component);
        if (address != 0 && length == address + 2 && component[address] == '.') {
            ReadPciSlots(slots);
            for (int i = 0; i < slots.count; ++i)
                if (strlen(slots.addresses[i]) == address &&
                    strncmp(slots.addresses[i], component, address) == 0)
                    return true;
        }
        component += length + (component[length] == '/' ? 1 : 0);
    }
    return false;
}

bool InSlot(HardwareKey &key, PciSlots &slots) {
    if (key.slot == SlotPlace::kUnknown)
        key.slot = IsInSlot(key.device_path, slots) ? SlotPlace::kInSlot : SlotPlace::kNotInSlot;
    return key.slot == SlotPlace::kInSlot;
}

// Compares the runs of hex digits at `first` and `second` as numbers, and
// moves both past them.
int CompareNumbers(const char *&first, const char *&second) {
    first += strspn(first, "0");
    second += strspn(second, "0");
    size_t first_length = 0;
    size_t second_length = 0;
    while (IsHexDigit(first[first_length]))
        ++first_length;
    while (IsHexDigit(second[second_length]))
        ++second_length;
    // Digits sort as their characters do: 0-9, then a-f.
    const int order = first_length != second_length ? (first_length < second_length ? -1 : 1)
                                                    : strncmp(first, second, first_length);
    first += first_length;
    second += second_length;
    return order;
}

// Where a character sorts in a path: its end first, then the separator, so
// that a component sorts before every longer one that it begins.
int Rank(char c) {
    return c == '\0' ? 0 : c == '/' ? 1 : static_cast<unsigned char>(c) + 2;
}

// Compares two device paths component by component: within a component, runs
// of hex digits as numbers (PCI's fixed-width hex and USB's decimal port
// numbers alike), the rest byte by byte. An empty path, unread, sorts last.
int CompareDevicePaths(const char *first, const char *second) {
    if (*first == '\0' || *second == '\0')
        return (*first == '\0') - (*second == '\0');
    for (;;) {
        if (IsHexDigit(*first) && IsHexDigit(*second)) {
            if (const int order = CompareNumbers(first, second))
                return order;
            continue;
        }
        const int order = Rank(*first) - Rank(*second);
        if (order != 0 || *first == '\0')
            return order;
        ++first;
        ++second;
    }
}

} // namespace

bool ReadHardwareKey(const char *sysfs_root, SysfsPath &entry, const KernelLink &link,
                     const LinkAddress &address, HardwareKey &key) {
    // The port name comes with the dump: no system call.
    if (IsRepresentor(link.port_name))
        return false;
    // Cheapest first: most interfaces on a busy host are software ones, with
    // no device link, and cost one failed readlink each.
    char device_link[kSysfsPathSize];
    if (!InDirectory(entry, "device") || !ReadLink(entry.text, device_link))
        return false;
    // A virtual function's device links to its physical function's.
    if (HasEntry(entry, "device/physfn"))
        return false;

    key.ifindex = link.index;
    key.dev_port = ReadDevPort(entry);
    key.locally_administered = address.length == 0 || (address.bytes[0] & 0x02) != 0;
    key.slot = SlotPlace::kUnknown;
    SysfsPath device;
    if (!ReadDevicePath(entry, device_link, key.device_path) ||
        !StartPath(device, sysfs_root, "devices", key.device_path)) {
        key.device_path[0] = '\0';
        key.removability = Removability::kUnreadable;
        key.firmware_number = kNoFirmwareNumber;
        return true;
    }
    key.firmware_number = ReadFirmwareNumber(device);
    key.removability = ReadRemovability(device, device.length - strlen(key.device_path) - 1);
    return true;
}

// Hardware order compares, in turn:
//  1. how removable the device is: built in, hard-wired USB, then anything
//     that can be unplugged, so that docks and dongles never displace a
//     built-in port;
//  2. universally administered addresses (burned in) before locally
//     administered ones (random, tethered phones, generated);
//  3. the firmware's onboard number (udev's eno<N>), numbered ports first,
//     lowest first;
//  4. devices not in a PCI slot (onboard) before those in one, or behind one
//     (add-in cards, Thunderbolt's hot-plug ports);
//  5. the device's path in the machine, then the port on its PCI function;
//  6. only to break a tie, the kernel's interface index.
bool InHardwareOrder(HardwareKey &first, HardwareKey &second, PciSlots &slots) {
    if (first.removability != second.removability)
        return first.removability < second.removability;
    if (first.locally_administered != second.locally_administered)
        return second.locally_administered;
    if (first.firmware_number != second.firmware_number)
        return first.firmware_number < second.firmware_number;
    if (InSlot(first, slots) != InSlot(second, slots))
        return InSlot(second, slots);
    if (const int order = CompareDevicePaths(first.device_path, second.device_path))
        return order < 0;
    if (first.dev_port != second.dev_port)
        return first.dev_port < second.dev_port;
    return first.ifindex < second.ifindex;
}
