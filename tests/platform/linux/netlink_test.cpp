// The Linux layer's link dump and adapter list against a scripted kernel:
// this test defines send() and recvmsg(), so the layer's requests reach the
// script instead of the kernel, and its replies are built with the kernel's
// own macros.
#include "platform/linux/netlink.h"

#include <gtest/gtest.h>

#include <errno.h>
#include <linux/if_arp.h>
#include <linux/if_link.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <linux/ethtool.h>
#include <linux/if.h>
#include <linux/sockios.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/linux/adapters.h"
#include "table_case.h"

namespace {

using Bytes = std::vector<char>;

Bytes operator+(Bytes first, const Bytes &second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

struct Datagram {
    Bytes bytes;
    uint32_t sender = 0; // netlink port id; the kernel's is 0
    bool truncated = false;
};

// What the kernel sends back for one request, given the request's sequence.
using Attempt = std::function<std::vector<Datagram>(uint32_t sequence)>;

struct ScriptedKernel {
    std::vector<Attempt> attempts;
    std::vector<Bytes> requests;
    std::map<int, std::deque<Datagram>> pending; // by socket
    std::map<std::string, Bytes> permanent;      // what ethtool reads, by interface name
} g_kernel;

Bytes Message(uint16_t type, uint32_t sequence, uint16_t flags, const Bytes &payload) {
    Bytes bytes(NLMSG_SPACE(payload.size()));
    auto *header = reinterpret_cast<nlmsghdr *>(bytes.data());
    *header = {static_cast<uint32_t>(NLMSG_LENGTH(payload.size())), type, flags, sequence, 4242};
    std::copy(payload.begin(), payload.end(), static_cast<char *>(NLMSG_DATA(header)));
    return bytes;
}

void AddAttribute(Bytes &payload, uint16_t type, const void *data, size_t size) {
    const rtattr attribute{static_cast<uint16_t>(RTA_LENGTH(size)), type};
    const auto *header = reinterpret_cast<const char *>(&attribute);
    const auto *bytes = static_cast<const char *>(data);
    payload.insert(payload.end(), header, header + sizeof attribute);
    payload.insert(payload.end(), bytes, bytes + size);
    payload.resize(payload.size() + RTA_SPACE(size) - RTA_LENGTH(size));
}

// A link named `name`, its address 02:00:00:00:00:INDEX, with the driver's
// name for its port when there is one, and further attributes.
Bytes Link(uint32_t sequence, int index, const std::string &name, uint16_t flags = 0,
           const std::string &port_name = "", const Bytes &more = {}) {
    ifinfomsg info{};
    info.ifi_type = ARPHRD_ETHER;
    info.ifi_index = index;
    Bytes payload(reinterpret_cast<char *>(&info), reinterpret_cast<char *>(&info + 1));
    AddAttribute(payload, IFLA_IFNAME, name.c_str(), name.size() + 1);
    const unsigned char address[6] = {2, 0, 0, 0, 0, static_cast<unsigned char>(index)};
    AddAttribute(payload, IFLA_ADDRESS, address, sizeof address);
    if (!port_name.empty())
        AddAttribute(payload, IFLA_PHYS_PORT_NAME, port_name.c_str(), port_name.size() + 1);
    payload.insert(payload.end(), more.begin(), more.end());
    return Message(RTM_NEWLINK, sequence, NLM_F_MULTI | flags, payload);
}

// A device-backed adapter, laid out in the test's sysfs; and a software link.
Bytes Nic(uint32_t sequence, int index, uint16_t flags = 0, const std::string &port_name = "") {
    return Link(sequence, index, "nic" + std::to_string(index), flags, port_name);
}
Bytes Veth(uint32_t sequence, int index) {
    return Link(sequence, index, "veth" + std::to_string(index));
}

// A burned-in address, 00:1b:21:00:00:(0x80 + INDEX).
Bytes BurnedIn(int index) {
    return {0, 0x1b, 0x21, 0, 0, static_cast<char>(0x80 + index)};
}

// Link info of kind `kind` (IFLA_INFO_KIND or IFLA_INFO_SLAVE_KIND).
Bytes LinkInfo(uint16_t type, const std::string &kind) {
    Bytes info, attribute;
    AddAttribute(info, type, kind.c_str(), kind.size() + 1);
    AddAttribute(attribute, IFLA_LINKINFO, info.data(), info.size());
    return attribute;
}

// Adapter nicINDEX as a port of link 10, whose kind it names when
// `port_kind` is not empty, and with its permanent address when asked.
Bytes Port(uint32_t sequence, int index, const std::string &port_kind, bool permanent) {
    Bytes more;
    const uint32_t master = 10;
    AddAttribute(more, IFLA_MASTER, &master, sizeof master);
    if (!port_kind.empty())
        more = more + LinkInfo(IFLA_INFO_SLAVE_KIND, port_kind);
    if (permanent)
        AddAttribute(more, IFLA_PERM_ADDRESS, BurnedIn(index).data(), BurnedIn(index).size());
    return Link(sequence, index, "nic" + std::to_string(index), 0, "", more);
}

// Link 10, a team.
Bytes Team(uint32_t sequence) {
    return Link(sequence, 10, "team0", 0, "", LinkInfo(IFLA_INFO_KIND, "team"));
}

Bytes WithError(uint16_t type, uint32_t sequence, int error, uint16_t flags = 0) {
    nlmsgerr body{};
    body.error = error;
    const auto *bytes = reinterpret_cast<const char *>(&body);
    return Message(type, sequence, NLM_F_MULTI | flags,
                   Bytes(bytes, bytes + (type == NLMSG_DONE ? sizeof(int) : sizeof body)));
}
Bytes Done(uint32_t sequence, int error = 0, uint16_t flags = 0) {
    return WithError(NLMSG_DONE, sequence, error, flags);
}

Datagram Kernel(const std::vector<Bytes> &messages) {
    Datagram datagram;
    for (const Bytes &message : messages)
        datagram.bytes.insert(datagram.bytes.end(), message.begin(), message.end());
    return datagram;
}

// Adapters nic1 to nic20 under a tree of the test's own laid out like /sys,
// each a PCI function of its own. Their hardware order is the reverse of
// their indices: nic20 sits in the lowest slot.
class NicSysfs : public testing::Environment {
  public:
    static std::string &Path() {
        static std::string path;
        return path;
    }
    void SetUp() override {
        namespace fs = std::filesystem;
        char pattern[] = "/tmp/primary-mac-sysfs-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        Path() = pattern;
        fs::create_directories(Path() + "/class/net");
        for (int index = 1; index <= 20; ++index) {
            const std::string name = "nic" + std::to_string(index);
            char slot[32];
            snprintf(slot, sizeof slot, "0000:00:%02x.0", 0x20 - index);
            const std::string device = std::string("pci0000:00/") + slot;
            const fs::path entry = Path() + "/devices/" + device + "/net/" + name;
            fs::create_directories(entry);
            fs::create_directory_symlink(std::string("../../../") + slot, entry / "device");
            fs::create_directory_symlink("../../devices/" + device + "/net/" + name,
                                         Path() + "/class/net/" + name);
            std::ofstream(entry / "uevent")
                << "INTERFACE=" << name << "\nIFINDEX=" << index << "\n";
            char address[32];
            snprintf(address, sizeof address, "02:00:00:00:00:%02x\n", index);
            std::ofstream(entry / "address") << address;
            std::ofstream(entry / "device" / "uevent") << "DRIVER=e1000e\n";
        }
    }
    void TearDown() override { std::filesystem::remove_all(Path()); }
};
const auto *const kNicSysfs = testing::AddGlobalTestEnvironment(new NicSysfs);

struct DumpCase : NamedCase {
    std::vector<Attempt> attempts;
    AdapterQuery outcome;
    std::vector<int> nics;            // the adapters listed, in order: nicN as N
    const char *failure;              // "" unless the query failed
    const char *sysfs_root = nullptr; // the test's tree unless set
};

class LinkDumpTest : public testing::TestWithParam<DumpCase> {};

TEST_P(LinkDumpTest, ListsOnlyWhatAWholeDumpSays) {
    const DumpCase &c = GetParam();
    g_kernel = {c.attempts, {}, {}, {}};
    IP_ADAPTER_INFO records[kAdapterRecords];
    char failure[kQueryFailureSize] = "";

    const char *root = c.sysfs_root != nullptr ? c.sysfs_root : NicSysfs::Path().c_str();
    ASSERT_EQ(ListAdapters(root, records, failure), c.outcome) << failure;
    EXPECT_STREQ(failure, c.failure);
    // Each adapter's index is its place in the list.
    std::vector<int> nics;
    uint32_t place = 0;
    if (c.outcome == AdapterQuery::kListed)
        for (const IP_ADAPTER_INFO *record = records; record != nullptr; record = record->Next) {
            EXPECT_EQ(record->Index, ++place);
            nics.push_back(record->Address[5]);
        }
    EXPECT_EQ(nics, c.nics);
    // Run again only while the kernel says the dump was interrupted.
    EXPECT_EQ(g_kernel.requests.size(), c.attempts.size());
}

std::vector<int> Descending(int first, int last) {
    std::vector<int> range;
    for (int nic = first; nic >= last; --nic)
        range.push_back(nic);
    return range;
}

// Twenty adapters in no order, as a kernel that resumed its hash table gives.
std::vector<Datagram> TwentyAdapters(uint32_t sequence) {
    std::vector<Bytes> first, second;
    for (int i = 0; i < 20; ++i)
        (i < 10 ? first : second).push_back(Nic(sequence, i * 7 % 20 + 1));
    second.push_back(Done(sequence));
    return {Kernel(first), Kernel(second)};
}

// Twenty adapters in hardware order: those after the sixteenth sort after
// every adapter kept.
std::vector<Datagram> TwentyInHardwareOrder(uint32_t sequence) {
    std::vector<Bytes> links;
    for (int nic = 20; nic >= 1; --nic)
        links.push_back(Nic(sequence, nic));
    links.push_back(Done(sequence));
    return {Kernel(links)};
}

std::vector<Datagram> Interrupted(uint32_t sequence) {
    return {Kernel({Nic(sequence, 2, NLM_F_DUMP_INTR), Done(sequence)})};
}

const DumpCase kDumps[] = {
    {"InHardwareOrder",
     {[](uint32_t s) {
         return std::vector{Kernel({Nic(s, 5), Nic(s, 3)}), Kernel({Nic(s, 9)}), Kernel({Done(s)})};
     }},
     AdapterQuery::kListed,
     {9, 5, 3},
     ""},
    {"FirstSixteenOfTwenty", {TwentyAdapters}, AdapterQuery::kListed, Descending(20, 5), ""},
    {"FirstSixteenOfTwentyInOrder",
     {TwentyInHardwareOrder},
     AdapterQuery::kListed,
     Descending(20, 5),
     ""},
    {"RepresentorsNotListed",
     {[](uint32_t s) {
         return std::vector{
             Kernel({Nic(s, 2, 0, "pf0vf1"), Nic(s, 3, 0, "pf1sf12"), Nic(s, 4, 0, "p0"),
                     Nic(s, 5, 0, "c1pf0vf0"), Nic(s, 6, 0, "pf0hpf"), Nic(s, 7, 0, "c12pf3sf7"),
                     Nic(s, 8, 0, "pf1"), Done(s)})};
     }},
     AdapterQuery::kListed,
     {4},
     ""},
    // A port of a bond or team answers its permanent address, burned in and
    // so first; a bridge's its current one.
    {"BondPortAnswersItsPermanentAddress",
     {[](uint32_t s) {
         return std::vector{Kernel({Port(s, 3, "bond", true), Nic(s, 5), Done(s)})};
     }},
     AdapterQuery::kListed,
     {0x83, 5},
     ""},
    {"BondPortBeforeKernel56AsksEthtool",
     {[](uint32_t s) {
         g_kernel.permanent["nic3"] = BurnedIn(3);
         return std::vector{Kernel({Port(s, 3, "bond", false), Nic(s, 5), Done(s)})};
     }},
     AdapterQuery::kListed,
     {0x83, 5},
     ""},
    // The team's link comes after its port: the port's master is asked for.
    {"TeamPortAnswersItsPermanentAddress",
     {[](uint32_t s) {
          return std::vector{Kernel({Port(s, 3, "", true), Team(s), Nic(s, 5), Done(s)})};
      },
      [](uint32_t s) { return std::vector{Kernel({Team(s)})}; }},
     AdapterQuery::kListed,
     {0x83, 5},
     ""},
    {"BridgePortAnswersItsCurrentAddress",
     {[](uint32_t s) {
         return std::vector{Kernel({Port(s, 3, "bridge", true), Nic(s, 5), Done(s)})};
     }},
     AdapterQuery::kListed,
     {5, 3},
     ""},
    {"SoftwareLinksNotListed",
     {[](uint32_t s) {
         return std::vector{Kernel({Veth(s, 1), Nic(s, 2), Done(s)})};
     }},
     AdapterQuery::kListed,
     {2},
     ""},
    {"NoAdapters",
     {[](uint32_t s) {
         return std::vector{Kernel({Veth(s, 1), Done(s)})};
     }},
     AdapterQuery::kNoAdapters,
     {},
     ""},
    {"NoSysfs",
     {[](uint32_t s) {
         return std::vector{Kernel({Veth(s, 1), Nic(s, 2), Done(s)})};
     }},
     AdapterQuery::kFailed,
     {},
     "sysfs is not mounted (no /nonexistent/class/net)",
     "/nonexistent"},
    {"InterruptedLinkRunsAgain",
     {Interrupted,
      [](uint32_t s) {
          return std::vector{Kernel({Nic(s, 2), Nic(s, 3), Done(s)})};
      }},
     AdapterQuery::kListed,
     {3, 2},
     ""},
    {"InterruptedDoneRunsAgain",
     {[](uint32_t s) {
          return std::vector{Kernel({Nic(s, 2), Done(s, 0, NLM_F_DUMP_INTR)})};
      },
      [](uint32_t s) {
          return std::vector{Kernel({Nic(s, 3), Done(s)})};
      }},
     AdapterQuery::kListed,
     {3},
     ""},
    {"InterruptedFiveTimes",
     {Interrupted, Interrupted, Interrupted, Interrupted, Interrupted},
     AdapterQuery::kFailed,
     {},
     "netlink: the link dump was interrupted 5 times"},
    {"ErrorMessage",
     {[](uint32_t s) {
         return std::vector{Kernel({Nic(s, 2), WithError(NLMSG_ERROR, s, -EPERM)})};
     }},
     AdapterQuery::kFailed,
     {},
     "netlink: Operation not permitted"},
    {"ErrorInDone",
     {[](uint32_t s) {
         return std::vector{Kernel({Nic(s, 2), Done(s, -EMSGSIZE)})};
     }},
     AdapterQuery::kFailed,
     {},
     "netlink: Message too long"},
    {"OtherSequenceIgnored",
     {[](uint32_t s) {
         return std::vector{Kernel({Nic(s + 1, 2), Done(s + 1)}), Kernel({Nic(s, 3), Done(s)})};
     }},
     AdapterQuery::kListed,
     {3},
     ""},
    {"OtherSenderIgnored",
     {[](uint32_t s) {
         Datagram forged = Kernel({Nic(s, 2), Done(s)});
         forged.sender = 4242;
         return std::vector{forged, Kernel({Nic(s, 3), Done(s)})};
     }},
     AdapterQuery::kListed,
     {3},
     ""},
    {"TruncatedDatagram",
     {[](uint32_t s) {
         Datagram cut = Kernel({Nic(s, 2)});
         cut.truncated = true;
         return std::vector{cut, Kernel({Done(s)})};
     }},
     AdapterQuery::kFailed,
     {},
     "netlink: a reply larger than 64 KiB"},
    {"TruncatedMessage",
     {[](uint32_t s) {
         Datagram cut = Kernel({Nic(s, 2), Done(s)});
         cut.bytes.resize(cut.bytes.size() - NLMSG_SPACE(sizeof(int)) - 8);
         return std::vector{cut};
     }},
     AdapterQuery::kFailed,
     {},
     "netlink: a truncated message"},
    {"LinkMessageTooShort",
     {[](uint32_t s) {
         return std::vector{Kernel({Message(RTM_NEWLINK, s, 0, Bytes(4)), Done(s)})};
     }},
     AdapterQuery::kFailed,
     {},
     "netlink: malformed reply"},
    {"RepliesEndBeforeDone",
     {[](uint32_t s) { return std::vector{Kernel({Nic(s, 2)})}; }},
     AdapterQuery::kFailed,
     {},
     "netlink: the replies ended before the dump did"},
};
INSTANTIATE_TEST_SUITE_P(Dump, LinkDumpTest, testing::ValuesIn(kDumps), CaseName<DumpCase>);

// The request's attribute mask makes the kernel size its replies to fit the
// largest link: without it, a link with hundreds of alternative names ends the
// dump early on some kernels.
TEST(LinkDumpRequestTest, AsksWithoutStatistics) {
    g_kernel = {{[](uint32_t s) { return std::vector{Kernel({Done(s)})}; }}, {}, {}, {}};
    IP_ADAPTER_INFO records[kAdapterRecords];
    char failure[kQueryFailureSize] = "";
    ListAdapters(NicSysfs::Path().c_str(), records, failure);

    const auto *header = reinterpret_cast<const nlmsghdr *>(g_kernel.requests.at(0).data());
    int length = static_cast<int>(IFLA_PAYLOAD(header));
    uint32_t mask = 0;
    for (const rtattr *attribute = IFLA_RTA(static_cast<const ifinfomsg *>(NLMSG_DATA(header)));
         RTA_OK(attribute, length); attribute = RTA_NEXT(attribute, length))
        if (attribute->rta_type == IFLA_EXT_MASK)
            memcpy(&mask, RTA_DATA(attribute), sizeof mask);
    EXPECT_EQ(mask, static_cast<uint32_t>(RTEXT_FILTER_SKIP_STATS));
}

} // namespace

// The scripted kernel's end of the sockets.
extern "C" ssize_t send(int socket_fd, const void *buffer, size_t length, int) {
    const auto *bytes = static_cast<const char *>(buffer);
    g_kernel.requests.emplace_back(bytes, bytes + length);
    const size_t attempt = g_kernel.requests.size() - 1;
    std::deque<Datagram> &pending = g_kernel.pending[socket_fd];
    pending.clear();
    if (attempt < g_kernel.attempts.size()) {
        const auto *header = static_cast<const nlmsghdr *>(buffer);
        for (Datagram &datagram : g_kernel.attempts[attempt](header->nlmsg_seq))
            pending.push_back(std::move(datagram));
    }
    return static_cast<ssize_t>(length);
}

extern "C" ssize_t recvmsg(int socket_fd, msghdr *message, int) {
    std::deque<Datagram> &pending = g_kernel.pending[socket_fd];
    if (pending.empty())
        return 0;
    const Datagram datagram = std::move(pending.front());
    pending.pop_front();
    const size_t length = std::min(datagram.bytes.size(), message->msg_iov[0].iov_len);
    memcpy(message->msg_iov[0].iov_base, datagram.bytes.data(), length);
    auto *sender = static_cast<sockaddr_nl *>(message->msg_name);
    *sender = {};
    sender->nl_family = AF_NETLINK;
    sender->nl_pid = datagram.sender;
    message->msg_namelen = sizeof *sender;
    message->msg_flags = datagram.truncated ? MSG_TRUNC : 0;
    return static_cast<ssize_t>(length);
}

// ethtool's permanent address, as a kernel before 5.6 gives it; every other
// request goes to the real kernel.
extern "C" int ioctl(int fd, unsigned long request, ...) noexcept {
    va_list arguments;
    va_start(arguments, request);
    void *argument = va_arg(arguments, void *);
    va_end(arguments);
    if (request != SIOCETHTOOL)
        return static_cast<int>(syscall(SYS_ioctl, fd, request, argument));
    const auto *interface = static_cast<const ifreq *>(argument);
    const auto found = g_kernel.permanent.find(interface->ifr_name);
    uint32_t header[2]; // struct ethtool_perm_addr: cmd, size
    memcpy(header, interface->ifr_data, sizeof header);
    if (found == g_kernel.permanent.end() || header[0] != ETHTOOL_GPERMADDR ||
        header[1] < found->second.size()) {
        errno = EOPNOTSUPP;
        return -1;
    }
    header[1] = static_cast<uint32_t>(found->second.size());
    auto *data = static_cast<char *>(interface->ifr_data);
    memcpy(data, header, sizeof header);
    memcpy(data + sizeof header, found->second.data(), found->second.size());
    return 0;
}
