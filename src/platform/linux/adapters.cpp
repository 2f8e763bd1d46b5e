#include "adapters.h"

#include <errno.h>
#include <linux/ethtool.h>
#include <linux/netlink.h>
#include <linux/sockios.h>
#include <net/if.h>
#include <stdio.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include "../../bounded_text.h"
#include "adapter_record.h"

namespace {

constexpr char kSysfsRoot[] = "/sys";

// A dump is interrupted only by an interface that comes or goes while it runs;
// five in a row mean a host too busy to be listed in one piece.
constexpr int kDumpAttempts = 5;

// Room for any hardware address the kernel keeps (MAX_ADDR_LEN).
constexpr size_t kMaxAddressLength = 32;

int OpenNetlink(char (&failure)[kQueryFailureSize]) {
    const int socket_fd = socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
    if (socket_fd < 0)
        snprintf(failure, sizeof failure, "netlink: %s", strerror(errno));
    return socket_fd;
}

struct TeamQuestion {
    int index;
    bool team;
};

bool TakeKind(void *context, const KernelLink &link, char (&/*failure*/)[kQueryFailureSize]) {
    auto &question = *static_cast<TeamQuestion *>(context);
    question.team =
        link.index == question.index && link.kind != nullptr && strcmp(link.kind, "team") == 0;
    return true;
}

// Whether link `master` is a team: a team's ports carry no kind of their
// master, and the team's own link often comes after them in the dump. Asked
// of the kernel on a socket of its own, the dump's being busy; remembered for
// the team's other ports.
bool IsTeam(KeptAdapters &kept, int master, bool &team, char (&failure)[kQueryFailureSize]) {
    if (master != kept.known_master) {
        const int socket_fd = OpenNetlink(failure);
        if (socket_fd < 0)
            return false;
        TeamQuestion question{master, false};
        LinkDump ask{1, TakeKind, &question, failure};
        ask.only_index = master;
        const DumpStep step = RunLinkDump(socket_fd, ask);
        close(socket_fd);
        if (step != DumpStep::kDone)
            return false;
        kept.known_master = master;
        kept.known_master_is_team = question.team;
    }
    team = kept.known_master_is_team;
    return true;
}

// Reads the port's permanent address with ethtool, for kernels before 5.6,
// whose dump does not carry it. False when there is none to read (all zeros:
// a software port).
bool ReadPermanentAddress(int socket_fd, const char *name, uint8_t (&address)[kMaxAddressLength],
                          size_t &length) {
    // struct ethtool_perm_addr, with room for its address.
    struct {
        uint32_t cmd;
        uint32_t size;
        uint8_t data[kMaxAddressLength];
    } request{ETHTOOL_GPERMADDR, kMaxAddressLength, {}};
    ifreq interface {};
    if (!CopyText(interface.ifr_name, sizeof interface.ifr_name, name))
        return false;
    interface.ifr_data = reinterpret_cast<char *>(&request);
    if (ioctl(socket_fd, SIOCETHTOOL, &interface) != 0 || request.size > kMaxAddressLength)
        return false;
    length = request.size;
    memcpy(address, request.data, length);
    for (size_t i = 0; i < length; ++i)
        if (address[i] != 0)
            return true;
    return false;
}

// The address the link answers with. A port of a bond or a team answers its
// permanent address: the current one is the bond's, which is the first port
// enslaved, or one that the network manager generated, and can differ from
// boot to boot. Every other link answers its current address, as on Windows,
// so that an address its administrator set counts.
bool AnsweredAddress(KeptAdapters &kept, const KernelLink &link,
                     uint8_t (&permanent)[kMaxAddressLength], LinkAddress &answered,
                     char (&failure)[kQueryFailureSize]) {
    answered = link.address;
    bool bonded = false;
    if (link.master == 0)
        return true;
    if (link.port_kind != nullptr)
        bonded = strcmp(link.port_kind, "bond") == 0;
    else if (!IsTeam(kept, link.master, bonded, failure))
        return false;
    if (!bonded)
        return true;
    size_t length = 0;
    if (link.permanent_address.length != 0)
        answered = link.permanent_address;
    else if (ReadPermanentAddress(kept.socket_fd, link.name, permanent, length))
        answered = {permanent, length};
    return true;
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

bool KeepAdapter(void *context, const KernelLink &link, char (&failure)[kQueryFailureSize]) {
    KeptAdapters &kept = *static_cast<KeptAdapters *>(context);
    if (link.kind != nullptr && strcmp(link.kind, "team") == 0) {
        kept.known_master = link.index;
        kept.known_master_is_team = true;
    }
    SysfsPath entry;
    if (!EntryPath(entry, kept.sysfs_root, link.name))
        return true;
    uint8_t permanent[kMaxAddressLength];
    LinkAddress address;
    HardwareKey key;
    if (!AnsweredAddress(kept, link, permanent, address, failure))
        return false;
    if (!ReadHardwareKey(kept.sysfs_root, entry, link, address, key))
        return true;
    // When the list is full, its last gives way to an adapter before it.
    int at = kept.count;
    if (at == kAdapterRecords && !InHardwareOrder(key, kept.keys[at - 1], kept.slots))
        return true;
    IP_ADAPTER_INFO record;
    if (!DescribeAdapter(entry, link, address, record))
        return true;
    if (at < kAdapterRecords)
        ++kept.count;
    else
        at = kAdapterRecords - 1;
    for (; at > 0 && InHardwareOrder(key, kept.keys[at - 1], kept.slots); --at) {
        kept.records[at] = kept.records[at - 1];
        kept.keys[at] = kept.keys[at - 1];
    }
    kept.records[at] = record;
    kept.keys[at] = key;
    return true;
}

void ChainAdapters(KeptAdapters &kept) {
    for (int i = 0; i < kept.count; ++i) {
        kept.records[i].Index = static_cast<uint32_t>(i + 1);
        kept.records[i].Next = i + 1 < kept.count ? &kept.records[i + 1] : nullptr;
    }
}

AdapterQuery ListAdapters(const char *sysfs_root, IP_ADAPTER_INFO (&records)[kAdapterRecords],
                          char (&failure)[kQueryFailureSize]) {
    const int socket_fd = OpenNetlink(failure);
    if (socket_fd < 0)
        return AdapterQuery::kFailed;
    // A dump that the kernel reports as interrupted may have missed a link:
    // run again, a few times at most.
    HardwareKey keys[kAdapterRecords];
    PciSlots slots;
    slots.sysfs_root = sysfs_root;
    KeptAdapters kept{sysfs_root, records, keys, slots};
    kept.socket_fd = socket_fd;
    LinkDump dump{0, KeepAdapter, &kept, failure};
    DumpStep step = DumpStep::kFailed;
    for (int attempt = 0; attempt < kDumpAttempts; ++attempt) {
        ++dump.sequence;
        dump.interrupted = false;
        kept.count = 0;
        kept.known_master = 0;
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
