// Reading network interfaces' sysfs entries. Each read is one open, read and
// close, and an absent file one failed open: this runs once per interface, on
// hosts with hundreds of them.
#include "sysfs.h"

#include <errno.h>
#include <fcntl.h>
#include <linux/if_arp.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "../../bounded_text.h"

namespace {

// Room for one attribute's value: a number, a word, an address.
constexpr size_t kValueSize = 128;

// A path under the sysfs root, built a part at a time: a directory, then in
// turn the files in it. Each part is copied once: an interface has many
// entries to read, on hosts with hundreds of interfaces.
struct SysfsPath {
    char text[kSysfsPathSize];
    size_t length; // the directory's
};

// Puts "/" and `part` after the first `length` bytes; false when it does not
// fit.
bool PutPart(SysfsPath &path, size_t length, const char *part) {
    if (length + 1 >= sizeof path.text)
        return false;
    path.text[length] = '/';
    return CopyText(path.text + length + 1, sizeof path.text - length - 1, part);
}

// Adds `part` to the path's directory.
bool Extend(SysfsPath &path, const char *part) {
    const bool fits = PutPart(path, path.length, part);
    path.length += strlen(path.text + path.length);
    return fits;
}

// Makes `path` the directory ROOT/DIRECTORY/NAME; false when it does not fit.
bool StartPath(SysfsPath &path, const char *root, const char *directory, const char *name) {
    const bool fits = CopyText(path.text, sizeof path.text, root);
    path.length = strlen(path.text);
    return fits && Extend(path, directory) && Extend(path, name);
}

// Makes `path` the directory's own path again.
const char *Directory(SysfsPath &path) {
    path.text[path.length] = '\0';
    return path.text;
}

// Makes `path` the path of `file` in the directory; false when it does not fit.
bool InDirectory(SysfsPath &path, const char *file) {
    return PutPart(path, path.length, file);
}

// Makes `path` the interface's entry, ROOT/class/net/NAME.
bool EntryPath(SysfsPath &path, const char *root, const char *name) {
    // Names come from the kernel, which forbids '/'; never let one walk the tree.
    if (strchr(name, '/') != nullptr || strcmp(name, ".") == 0 || strcmp(name, "..") == 0)
        return false;
    return StartPath(path, root, "class/net", name);
}

// Reads a small sysfs file into `text`, terminated; false when it cannot be
// read, with errno saying why.
bool ReadText(const char *path, char *text, size_t size) {
    // openat: musl's open() follows O_CLOEXEC with an fcntl for old kernels.
    const int fd = openat(AT_FDCWD, path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    ssize_t length;
    do
        length = read(fd, text, size - 1);
    while (length < 0 && errno == EINTR);
    const int error = errno;
    close(fd);
    if (length < 0) {
        errno = error;
        return false;
    }
    text[length] = '\0';
    return true;
}

// Reads a file of one value: its first line, without the line end.
bool ReadValue(const char *path, char (&value)[kValueSize]) {
    if (!ReadText(path, value, sizeof value))
        return false;
    value[strcspn(value, "\n")] = '\0';
    return true;
}

// Reads a file of one unsigned decimal number; false with errno EINVAL when
// it holds something else.
bool ReadNumber(const char *path, unsigned long &number) {
    char value[kValueSize];
    if (!ReadValue(path, value))
        return false;
    char *end = nullptr;
    errno = 0;
    number = strtoul(value, &end, 10);
    if (value[0] < '0' || value[0] > '9' || *end != '\0' || errno != 0) {
        errno = EINVAL;
        return false;
    }
    return true;
}

// Reads the link `path` into `target`, left empty when it is no relative
// link that fits. False when there is nothing at `path`.
bool ReadLink(const char *path, char (&target)[kSysfsPathSize]) {
    const ssize_t length = readlink(path, target, sizeof target);
    const bool usable =
        length > 0 && static_cast<size_t>(length) < sizeof target && target[0] != '/';
    target[usable ? length : 0] = '\0';
    return length >= 0 || errno == EINVAL; // EINVAL: there, but no link
}

// Follows the relative link `target` from the directory `path` (relative to
// the sysfs root) by its text, as the kernel would for a sysfs link: it climbs
// with "../" and then names real directories. False for any other link, one
// that leaves the root, or a path that does not fit.
bool FollowLink(char (&path)[kSysfsPathSize], const char *target) {
    size_t used = strlen(path);
    for (; strncmp(target, "../", 3) == 0; target += 3) {
        if (used == 0)
            return false;
        const auto *slash = static_cast<const char *>(memrchr(path, '/', used));
        used = slash != nullptr ? static_cast<size_t>(slash - path) : 0;
    }
    path[used] = '\0';
    if (target[0] == '.' || strstr(target, "/.") != nullptr)
        return false;
    return used == 0 ? CopyText(path, sizeof path, target)
                     : CopyText(path + used, sizeof path - used, "/") &&
                           AppendText(path + used, sizeof path - used, target);
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

// Whether `name` is `prefix` followed by a number: usb2, virtio0.
bool IsNumbered(const char *name, const char *prefix) {
    const size_t length = strlen(prefix);
    return strncmp(name, prefix, length) == 0 && name[length] != '\0' &&
           strspn(name + length, "0123456789") == strlen(name + length);
}

// Whether the port is a switchdev representor's (pf<N>vf<M>, pf<N>sf<M>): it
// stands on the host for a virtual function or a subfunction.
bool IsRepresentor(const char *port_name) {
    if (port_name == nullptr || strncmp(port_name, "pf", 2) != 0)
        return false;
    const size_t digits = strspn(port_name + 2, "0123456789");
    const char *function = port_name + 2 + digits;
    return digits != 0 && (IsNumbered(function, "vf") || IsNumbered(function, "sf"));
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

bool HasEntry(SysfsPath &entry, const char *file) {
    return InDirectory(entry, file) && access(entry.text, F_OK) == 0;
}

// Copies the value of `key` from uevent text ("KEY=value" lines) into
// `value`; empty when the key is absent.
void UeventValue(const char *uevent, const char *key, char (&value)[kValueSize]) {
    const size_t key_length = strlen(key);
    for (const char *line = uevent; *line != '\0';) {
        const char *end = strchrnul(line, '\n');
        if (strncmp(line, key, key_length) == 0 && line[key_length] == '=') {
            const char *start = line + key_length + 1;
            CopyText(value, sizeof value, start, static_cast<size_t>(end - start));
            return;
        }
        line = *end == '\0' ? end : end + 1;
    }
    value[0] = '\0';
}

// The DRIVER of the uevent file `file` of the entry, empty when there is none.
void DriverOf(SysfsPath &entry, const char *file, char (&driver)[kValueSize]) {
    char uevent[kUeventSize];
    if (!InDirectory(entry, file) || !ReadText(entry.text, uevent, sizeof uevent))
        uevent[0] = '\0';
    UeventValue(uevent, "DRIVER", driver);
}

// Whether the sysfs address file's text ("52:54:00:12:34:56") is the address
// the kernel gave us.
bool SameAddress(const char *text, const KernelLink &link) {
    static const char kHexDigits[] = "0123456789abcdef";
    for (size_t i = 0; i < link.address_length; ++i) {
        if (i != 0 && *text++ != ':')
            return false;
        const uint8_t byte = link.address[i];
        if (text[0] != kHexDigits[byte >> 4] || text[1] != kHexDigits[byte & 0xF])
            return false;
        text += 2;
    }
    return *text == '\0';
}

uint32_t AdapterType(unsigned short link_type, const char *devtype, bool wireless) {
    if (wireless || strcmp(devtype, "wlan") == 0)
        return IF_TYPE_IEEE80211;
    if (strcmp(devtype, "wwan") == 0) // mobile broadband: a modem, not wired
        return IF_TYPE_WWANPP;
    switch (link_type) {
    case ARPHRD_ETHER:
        return MIB_IF_TYPE_ETHERNET;
    case ARPHRD_PPP:
        return MIB_IF_TYPE_PPP;
    case ARPHRD_TUNNEL:
    case ARPHRD_TUNNEL6:
    case ARPHRD_SIT:
    case ARPHRD_IPGRE:
    case ARPHRD_IP6GRE:
        return IF_TYPE_TUNNEL;
    default:
        return MIB_IF_TYPE_OTHER;
    }
}

} // namespace

bool ReadHardwareKey(const char *sysfs_root, const KernelLink &link, HardwareKey &key) {
    // The port name comes with the dump: no system call.
    if (IsRepresentor(link.port_name))
        return false;
    // Cheapest first: most interfaces on a busy host are software ones, with
    // no device link, and cost one failed readlink each.
    SysfsPath entry;
    char device_link[kSysfsPathSize];
    if (!EntryPath(entry, sysfs_root, link.name) || !InDirectory(entry, "device") ||
        !ReadLink(entry.text, device_link))
        return false;
    // A virtual function's device links to its physical function's.
    if (HasEntry(entry, "device/physfn"))
        return false;

    key.ifindex = link.index;
    key.dev_port = ReadDevPort(entry);
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

bool IsOwnEntry(const char *sysfs_root, const KernelLink &link, char (&uevent)[kUeventSize]) {
    SysfsPath entry;
    char value[kValueSize];
    if (!EntryPath(entry, sysfs_root, link.name) || !InDirectory(entry, "uevent") ||
        !ReadText(entry.text, uevent, sizeof uevent))
        return false;
    UeventValue(uevent, "IFINDEX", value);
    char *end = nullptr;
    if (strtol(value, &end, 10) != link.index || end == value)
        return false;
    return InDirectory(entry, "address") && ReadValue(entry.text, value) &&
           SameAddress(value, link);
}

void DescribeAdapter(const char *sysfs_root, const KernelLink &link, const char *uevent,
                     IP_ADAPTER_INFO &record) {
    // The driver is the device's, or for a device without one (a Bluetooth
    // host controller) its parent's: btusb, hci_uart.
    char devtype[kValueSize];
    char driver[kValueSize] = "";
    bool wireless = false;
    UeventValue(uevent, "DEVTYPE", devtype);
    SysfsPath entry;
    if (EntryPath(entry, sysfs_root, link.name)) {
        DriverOf(entry, "device/uevent", driver);
        if (driver[0] == '\0')
            DriverOf(entry, "device/device/uevent", driver);
        wireless = HasEntry(entry, "phy80211") || HasEntry(entry, "wireless");
    }

    memset(&record, 0, sizeof record);
    // The hardware's own facts, as on Windows, never the name its owner chose:
    // "virtio_net", "wlan, iwlwifi", "bluetooth, btusb". The device type and
    // driver carry the words that mark an adapter as wireless or Bluetooth.
    char *description = record.Description;
    const size_t size = sizeof record.Description;
    CopyText(description, size, devtype);
    if (devtype[0] != '\0' && driver[0] != '\0')
        AppendText(description, size, ", ");
    AppendText(description, size, driver);
    record.AddressLength = static_cast<uint32_t>(
        link.address_length < sizeof record.Address ? link.address_length : sizeof record.Address);
    if (record.AddressLength != 0)
        memcpy(record.Address, link.address, record.AddressLength);
    record.Type = AdapterType(link.type, devtype, wireless);
}
