// The adapter list on Linux: the device-backed network interfaces of this
// network namespace, in ascending interface index order.
//
// The kernel's netlink dump says which interfaces exist here; sysfs only
// classifies them, and only once it has shown that its entry is the same
// interface (a namespace without its own sysfs mount sees the host's entries
// under the same names). Software interfaces (loopback, bridges, veth, tun,
// bonds, VLANs, ...) have no device and are never listed: a container host
// has dozens of them, and they would crowd out the hardware.
#include "linux.h"

#include "../bounded_text.h"

#include <errno.h>
#include <fcntl.h>
#include <linux/if_arp.h>
#include <linux/if_link.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

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
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
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

// Inserts `record` into the first `count` records, kept in ascending index
// order; false when they are full.
bool InsertByIndex(const IP_ADAPTER_INFO &record, IP_ADAPTER_INFO (&records)[kAdapterRecords],
                   int &count) {
    if (count == kAdapterRecords)
        return false;
    int at = count++;
    for (; at > 0 && records[at - 1].Index > record.Index; --at)
        records[at] = records[at - 1];
    records[at] = record;
    return true;
}

// Handles one RTM_NEWLINK message: lists the interface when it is an adapter.
// False when the adapters no longer fit.
bool AddLink(const nlmsghdr *message, IP_ADAPTER_INFO (&records)[kAdapterRecords], int &count) {
    if (message->nlmsg_len < NLMSG_LENGTH(sizeof(ifinfomsg)))
        return true;
    const auto *info = static_cast<const ifinfomsg *>(NLMSG_DATA(message));
    KernelLink link{nullptr, info->ifi_index, info->ifi_type, nullptr, 0};

    int length = static_cast<int>(IFLA_PAYLOAD(message));
    for (const rtattr *attribute = IFLA_RTA(info); RTA_OK(attribute, length);
         attribute = RTA_NEXT(attribute, length)) {
        const auto *data = static_cast<const char *>(RTA_DATA(attribute));
        const size_t size = RTA_PAYLOAD(attribute);
        if (attribute->rta_type == IFLA_IFNAME && memchr(data, '\0', size) != nullptr) {
            link.name = data;
        } else if (attribute->rta_type == IFLA_ADDRESS) {
            link.address = reinterpret_cast<const uint8_t *>(data);
            link.address_length = size;
        }
    }

    IP_ADAPTER_INFO record;
    if (link.name == nullptr || !DescribeAdapter("/sys/class/net", link, record))
        return true;
    return InsertByIndex(record, records, count);
}

// Dumps this namespace's links over netlink into `records`. False on any
// error, and when there are more adapters than records.
bool DumpLinks(int socket_fd, IP_ADAPTER_INFO (&records)[kAdapterRecords], int &count) {
    struct {
        nlmsghdr header;
        ifinfomsg body;
    } request{};
    request.header.nlmsg_len = sizeof request;
    request.header.nlmsg_type = RTM_GETLINK;
    request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    request.header.nlmsg_seq = 1;
    request.body.ifi_family = AF_UNSPEC;
    if (send(socket_fd, &request, sizeof request, 0) != static_cast<ssize_t>(sizeof request))
        return false;

    // The kernel fills dump replies up to 32 KiB.
    alignas(nlmsghdr) char reply[32768];
    for (;;) {
        iovec vector{reply, sizeof reply};
        msghdr header{};
        header.msg_iov = &vector;
        header.msg_iovlen = 1;
        const ssize_t received = recvmsg(socket_fd, &header, 0);
        if (received < 0 && errno == EINTR)
            continue;
        if (received <= 0 || (header.msg_flags & MSG_TRUNC) != 0)
            return false;

        const auto length = static_cast<size_t>(received);
        for (size_t offset = 0; offset + sizeof(nlmsghdr) <= length;) {
            const auto *message = reinterpret_cast<const nlmsghdr *>(reply + offset);
            if (message->nlmsg_len < sizeof(nlmsghdr) || message->nlmsg_len > length - offset)
                return false;
            offset += NLMSG_ALIGN(message->nlmsg_len);
            if (message->nlmsg_type == NLMSG_DONE)
                return true;
            if (message->nlmsg_type == NLMSG_ERROR)
                return false;
            if (message->nlmsg_type == RTM_NEWLINK && !AddLink(message, records, count))
                return false;
        }
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

    char device_uevent[1024];
    if (!ReadEntry(sysfs_net, link.name, "device/uevent", device_uevent, sizeof device_uevent))
        device_uevent[0] = '\0';
    char devtype[64];
    char driver[64];
    UeventValue(uevent, "DEVTYPE", devtype, sizeof devtype);
    UeventValue(device_uevent, "DRIVER", driver, sizeof driver);
    const bool wireless =
        HasEntry(sysfs_net, link.name, "phy80211") || HasEntry(sysfs_net, link.name, "wireless");

    memset(&record, 0, sizeof record);
    // "eth0 (virtio_net)", "wlp2s0 (wlan, iwlwifi)", "bnep0 (bluetooth)": the
    // device type and driver carry the words that mark an adapter as wireless
    // or Bluetooth.
    char *description = record.Description;
    const size_t size = sizeof record.Description;
    CopyText(description, size, link.name);
    if (devtype[0] != '\0' || driver[0] != '\0') {
        AppendText(description, size, " (");
        AppendText(description, size, devtype);
        if (devtype[0] != '\0' && driver[0] != '\0')
            AppendText(description, size, ", ");
        AppendText(description, size, driver);
        AppendText(description, size, ")");
    }
    record.AddressLength = static_cast<uint32_t>(
        link.address_length < sizeof record.Address ? link.address_length : sizeof record.Address);
    if (record.AddressLength != 0)
        memcpy(record.Address, link.address, record.AddressLength);
    record.Index = static_cast<uint32_t>(link.index);
    record.Type = AdapterType(link.type, devtype, wireless);
    return true;
}

bool QueryAdapters(IP_ADAPTER_INFO (&records)[kAdapterRecords]) {
    const int socket_fd = socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
    if (socket_fd < 0)
        return false;
    int count = 0;
    const bool complete = DumpLinks(socket_fd, records, count);
    close(socket_fd);
    if (!complete || count == 0)
        return false;

    for (int i = 0; i < count; ++i)
        records[i].Next = i + 1 < count ? &records[i + 1] : nullptr;
    return true;
}
