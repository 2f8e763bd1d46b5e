// Hardware order compares, in turn: how removable the device is (built in,
// hard-wired USB, then anything that can be unplugged), the firmware's onboard
// number (udev's eno<N>, lowest first, numbered ports first), the device's
// path in the machine, the port on its PCI function, and only to break a tie
// the kernel's interface index. So hot-plugged and external adapters never
// displace a built-in port, and the firmware's port 1 comes first where the
// firmware numbers its ports.
#include "adapters.h"

#include <errno.h>
#include <linux/netlink.h>
#include <stdio.h>
#include <string.h>
#include <sys/socket.h>
#include <unistd.h>

#include "../../bounded_text.h"
#include "netlink.h"

namespace {

constexpr char kSysfsRoot[] = "/sys";

// A dump is interrupted only by an interface that comes or goes while it runs;
// five in a row mean a host too busy to be listed in one piece.
constexpr int kDumpAttempts = 5;

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
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

// Without sysfs every adapter would look like a software interface, and no
// adapter would be a wrong answer.
bool HasSysfs(const char *sysfs_root, char (&failure)[kQueryFailureSize]) {
    char path[kSysfsPathSize];
    if (CopyText(path, sizeof path, sysfs_root) && AppendText(path, sizeof path, "/class/net") &&
        access(path, F_OK) == 0)
        return true;
    snprintf(failure, sizeof failure, "sysfs is not mounted (no %s)", path);
    return false;
}

} // namespace

bool InHardwareOrder(const HardwareKey &first, const HardwareKey &second) {
    if (first.removability != second.removability)
        return first.removability < second.removability;
    if (first.firmware_number != second.firmware_number)
        return first.firmware_number < second.firmware_number;
    if (const int order = CompareDevicePaths(first.device_path, second.device_path))
        return order < 0;
    if (first.dev_port != second.dev_port)
        return first.dev_port < second.dev_port;
    return first.ifindex < second.ifindex;
}

void KeepAdapter(void *context, const KernelLink &link) {
    KeptAdapters &kept = *static_cast<KeptAdapters *>(context);
    HardwareKey key;
    if (!ReadHardwareKey(kept.sysfs_root, link, key))
        return;
    // When the list is full, its last gives way to an adapter before it.
    int at = kept.count;
    if (at == kAdapterRecords && !InHardwareOrder(key, kept.keys[kAdapterRecords - 1]))
        return;
    char uevent[kUeventSize];
    if (!IsOwnEntry(kept.sysfs_root, link, uevent))
        return;
    if (at < kAdapterRecords)
        ++kept.count;
    else
        at = kAdapterRecords - 1;
    for (; at > 0 && InHardwareOrder(key, kept.keys[at - 1]); --at) {
        kept.records[at] = kept.records[at - 1];
        kept.keys[at] = kept.keys[at - 1];
    }
    DescribeAdapter(kept.sysfs_root, link, uevent, kept.records[at]);
    kept.keys[at] = key;
}

void ChainAdapters(KeptAdapters &kept) {
    for (int i = 0; i < kept.count; ++i) {
        kept.records[i].Index = static_cast<uint32_t>(i + 1);
        kept.records[i].Next = i + 1 < kept.count ? &kept.records[i + 1] : nullptr;
    }
}

AdapterQuery ListAdapters(const char *sysfs_root, IP_ADAPTER_INFO (&records)[kAdapterRecords],
                          char (&failure)[kQueryFailureSize]) {
    const int socket_fd = socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
    if (socket_fd < 0) {
        snprintf(failure, sizeof failure, "netlink: %s", strerror(errno));
        return AdapterQuery::kFailed;
    }
    // A dump that the kernel reports as interrupted may have missed a link:
    // run again, a few times at most.
    HardwareKey keys[kAdapterRecords];
    KeptAdapters kept{sysfs_root, records, keys};
    LinkDump dump{0, KeepAdapter, &kept, failure};
    DumpStep step = DumpStep::kFailed;
    for (int attempt = 0; attempt < kDumpAttempts; ++attempt) {
        ++dump.sequence;
        dump.interrupted = false;
        kept.count = 0;
        step = RunLinkDump(socket_fd, dump);
        if (step != DumpStep::kDone || !dump.interrupted)
            break;
    }
    close(socket_fd);

    if (step != DumpStep::kDone)
        return AdapterQuery::kFailed;
    if (dump.interrupted) {
        snprintf(failure, sizeof failure, "netlink: the link dump was interrupted %d times",
                 kDumpAttempts);
        return AdapterQuery::kFailed;
    }
    if (kept.count == 0)
        return HasSysfs(sysfs_root, failure) ? AdapterQuery::kNoAdapters : AdapterQuery::kFailed;
    ChainAdapters(kept);
    return AdapterQuery::kListed;
}

AdapterQuery QueryAdapters(IP_ADAPTER_INFO (&records)[kAdapterRecords],
                           char (&failure)[kQueryFailureSize]) {
    return ListAdapters(kSysfsRoot, records, failure);
}
