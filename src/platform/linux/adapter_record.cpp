#include "adapter_record.h"

#include <linux/if_arp.h>
#include <stdlib.h>
#include <string.h>

#include "../../bounded_text.h"

namespace {

// Whether the sysfs address file's text ("52:54:00:12:34:56") is the address
// the kernel gave us.
bool SameAddress(const char *text, const LinkAddress &address) {
    static const char kHexDigits[] = "0123456789abcdef";
    for (size_t i = 0; i < address.length; ++i) {
        if (i != 0 && *text++ != ':')
            return false;
        const uint8_t byte = address.bytes[i];
        if (text[0] != kHexDigits[byte >> 4] || text[1] != kHexDigits[byte & 0xF])
            return false;
        text += 2;
    }
    return *text == '\0';
}

// Whether the entry shows the kernel's own index and current address for
// `link`; leaves the entry's uevent text in `uevent`.
bool IsOwnEntry(SysfsPath &entry, const KernelLink &link, char (&uevent)[kUeventSize]) {
    char value[kValueSize];
    if (!InDirectory(entry, "uevent") || !ReadText(entry.text, uevent, sizeof uevent))
        return false;
    UeventValue(uevent, "IFINDEX", value);
    char *end = nullptr;
    if (strtol(value, &end, 10) != link.index || end == value)
        return false;
    return InDirectory(entry, "address") && ReadValue(entry.text, value) &&
           SameAddress(value, link.address);
}

// The DRIVER of the uevent file `file` of the entry, empty when there is none.
void DriverOf(SysfsPath &entry, const char *file, char (&driver)[kValueSize]) {
    char uevent[kUeventSize];
    if (!InDirectory(entry, file) || !ReadText(entry.text, uevent, sizeof uevent))
        uevent[0] = '\0';
    UeventValue(uevent, "DRIVER", driver);
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

bool DescribeAdapter(SysfsPath &entry, const KernelLink &link, const LinkAddress &address,
                     IP_ADAPTER_INFO &record) {
    char uevent[kUeventSize];
    if (!IsOwnEntry(entry, link, uevent))
        return false;
    // The driver is the device's, or for a device without one (a Bluetooth
    // host controller) its parent's: btusb, hci_uart.
    char devtype[kValueSize];
    char driver[kValueSize] = "";
    UeventValue(uevent, "DEVTYPE", devtype);
    DriverOf(entry, "device/uevent", driver);
    if (driver[0] == '\0')
        DriverOf(entry, "device/device/uevent", driver);
    const bool wireless = HasEntry(entry, "phy80211") || HasEntry(entry, "wireless");

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
        address.length < sizeof record.Address ? address.length : sizeof record.Address);
    if (record.AddressLength != 0)
        memcpy(record.Address, address.bytes, record.AddressLength);
    record.Type = AdapterType(link.type, devtype, wireless);
    return true;
}
