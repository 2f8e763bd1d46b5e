// Classifying network interfaces by their sysfs entries. Only an entry that
// shows the kernel's own index and address for the interface is trusted: a
// namespace without its own sysfs mount sees the host's entries under the
// same names.
#include "sysfs.h"

#include <errno.h>
#include <fcntl.h>
#include <linux/if_arp.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "../../bounded_text.h"

namespace {

// Builds the path of an interface's sysfs entry; false when it does not fit.
bool EntryPath(char (&path)[512], const char *sysfs_net, const char *name, const char *entry) {
    return CopyText(path, sizeof path, sysfs_net) && AppendText(path, sizeof path, "/") &&
           AppendText(path, sizeof path, name) && AppendText(path, sizeof path, "/") &&
           AppendText(path, sizeof path, entry);
}

bool HasEntry(const char *sysfs_net, const char *name, const char *entry) {
    char path[512];
    return EntryPath(path, sysfs_net, name, entry) && access(path, F_OK) == 0;
}

// Reads a small sysfs file into `text`, terminated; false when it cannot be
// read.
bool ReadEntry(const char *sysfs_net, const char *name, const char *entry, char *text,
               size_t size) {
    char path[512];
    if (!EntryPath(path, sysfs_net, name, entry))
        return false;
    // openat: musl's open() follows O_CLOEXEC with an fcntl for old kernels.
    const int fd = openat(AT_FDCWD, path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    ssize_t length;
    do
        length = read(fd, text, size - 1);
    while (length < 0 && errno == EINTR);
    close(fd);
    if (length < 0)
        return false;
    text[length] = '\0';
    return true;
}

// Copies the value of `key` from uevent text ("KEY=value" lines) into
// `value`; empty when the key is absent.
void UeventValue(const char *uevent, const char *key, char *value, size_t size) {
    const size_t key_length = strlen(key);
    for (const char *line = uevent; *line != '\0';) {
        const char *end = strchrnul(line, '\n');
        if (strncmp(line, key, key_length) == 0 && line[key_length] == '=') {
            const char *start = line + key_length + 1;
            CopyText(value, size, start, static_cast<size_t>(end - start));
            return;
        }
        line = *end == '\0' ? end : end + 1;
    }
    value[0] = '\0';
}

// The DRIVER of the uevent file `entry`, empty when there is none.
void DriverOf(const char *sysfs_net, const char *name, const char *entry, char *driver,
              size_t size) {
    char uevent[1024];
    if (!ReadEntry(sysfs_net, name, entry, uevent, sizeof uevent))
        uevent[0] = '\0';
    UeventValue(uevent, "DRIVER", driver, size);
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
    return *text == '\n' || *text == '\0';
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

bool DescribeAdapter(const char *sysfs_net, const KernelLink &link, IP_ADAPTER_INFO &record) {
    // Names come from the kernel, which forbids '/'; never let one walk the tree.
    if (strchr(link.name, '/') != nullptr || strcmp(link.name, ".") == 0 ||
        strcmp(link.name, "..") == 0)
        return false;

    // Cheapest first: most interfaces on a busy host are software ones.
    if (!HasEntry(sysfs_net, link.name, "device"))
        return false;
    char uevent[1024];
    char value[128];
    if (!ReadEntry(sysfs_net, link.name, "uevent", uevent, sizeof uevent))
        return false;
    UeventValue(uevent, "IFINDEX", value, sizeof value);
    char *end = nullptr;
    if (strtol(value, &end, 10) != link.index || end == value)
        return false;
    if (!ReadEntry(sysfs_net, link.name, "address", value, sizeof value) ||
        !SameAddress(value, link))
        return false;

    // The driver is the device's, or for a device without one (a Bluetooth
    // host controller) its parent's: btusb, hci_uart.
    char devtype[64];
    char driver[64];
    UeventValue(uevent, "DEVTYPE", devtype, sizeof devtype);
    DriverOf(sysfs_net, link.name, "device/uevent", driver, sizeof driver);
    if (driver[0] == '\0')
        DriverOf(sysfs_net, link.name, "device/device/uevent", driver, sizeof driver);
    const bool wireless =
        HasEntry(sysfs_net, link.name, "phy80211") || HasEntry(sysfs_net, link.name, "wireless");

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
    record.Index = static_cast<uint32_t>(link.index);
    record.Type = AdapterType(link.type, devtype, wireless);
    return true;
}
