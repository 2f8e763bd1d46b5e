// The kernel's netlink dump says which interfaces exist here; sysfs only
// classifies them. Software interfaces (loopback, bridges, veth, tun, bonds,
// VLANs, ...) have no device and are never listed: a container host has dozens
// of them, and they would crowd out the hardware. Of the adapters, the 16 with
// the lowest indices are kept: the scan chooses the lowest-index eligible one,
// so it gets the same answer as from a list without limit whenever that one is
// among them.
//
// Every reply is checked, and a partial list is never taken for the whole.
#include "netlink.h"

#include <errno.h>
#include <linux/if_link.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <string.h>
#include <sys/socket.h>
#include <unistd.h>

#include "../../bounded_text.h"
#include "sysfs.h"

namespace {

// A dump is interrupted only by an interface that comes or goes while it runs;
// five in a row mean a host too busy to be listed in one piece.
constexpr int kDumpAttempts = 5;

constexpr char kMalformed[] = "malformed reply";

bool Fail(LinkDump &dump, const char *failure) {
    dump.failure = failure;
    return false;
}

// Takes `record` among the adapters kept: the lowest indices, ascending. When
// they are full, the highest gives way to a lower one.
void KeepLowest(LinkDump &dump, const IP_ADAPTER_INFO &record) {
    IP_ADAPTER_INFO(&records)[kAdapterRecords] = dump.records;
    int at = dump.count;
    if (at < kAdapterRecords)
        ++dump.count;
    else if (record.Index < records[kAdapterRecords - 1].Index)
        at = kAdapterRecords - 1;
    else
        return;
    for (; at > 0 && records[at - 1].Index > record.Index; --at)
        records[at] = records[at - 1];
    records[at] = record;
}

// Handles one RTM_NEWLINK message: keeps the interface when it is an adapter.
// False when the message is malformed.
bool AddLink(LinkDump &dump, const nlmsghdr *message) {
    if (message->nlmsg_len < NLMSG_LENGTH(sizeof(ifinfomsg)))
        return false;
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
    if (link.name != nullptr && DescribeAdapter(dump.sysfs_net, link, record))
        KeepLowest(dump, record);
    return true;
}

// The errno value an NLMSG_DONE or NLMSG_ERROR message carries (negated in
// the message): 0 for none, EBADMSG when the message is too short for one or
// its value is no errno value.
int CarriedError(const nlmsghdr *message) {
    if (message->nlmsg_len < NLMSG_LENGTH(sizeof(int)))
        return EBADMSG;
    int error;
    memcpy(&error, NLMSG_DATA(message), sizeof error);
    return error == 0 ? 0 : error < 0 && error > -4096 ? -error : EBADMSG;
}

// Sends the request for a dump of every link. The attribute mask (without the
// virtual functions' statistics) makes the kernel size its replies to fit the
// largest link: a link with hundreds of alternative names would otherwise end
// the dump early on some kernels.
bool RequestLinks(int socket_fd, uint32_t sequence) {
    struct {
        nlmsghdr header;
        ifinfomsg body;
        rtattr mask_header;
        uint32_t mask;
    } request{};
    request.header.nlmsg_len = sizeof request;
    request.header.nlmsg_type = RTM_GETLINK;
    request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    request.header.nlmsg_seq = sequence;
    request.body.ifi_family = AF_UNSPEC;
    request.mask_header.rta_len = RTA_LENGTH(sizeof request.mask);
    request.mask_header.rta_type = IFLA_EXT_MASK;
    request.mask = RTEXT_FILTER_SKIP_STATS;
    return send(socket_fd, &request, sizeof request, 0) == static_cast<ssize_t>(sizeof request);
}

// Runs one dump to its end, or to its failure.
void RunDump(int socket_fd, LinkDump &dump) {
    if (!RequestLinks(socket_fd, dump.sequence)) {
        Fail(dump, strerror(errno));
        return;
    }
    // A reply datagram holds up to 32 KiB of messages, or one link's message
    // when that is larger; a larger one still is reported, never cut short.
    alignas(nlmsghdr) char reply[65536];
    for (;;) {
        sockaddr_nl sender{};
        iovec vector{reply, sizeof reply};
        msghdr header{};
        header.msg_name = &sender;
        header.msg_namelen = sizeof sender;
        header.msg_iov = &vector;
        header.msg_iovlen = 1;
        const ssize_t received = recvmsg(socket_fd, &header, 0);
        if (received < 0 && errno == EINTR)
            continue;
        if (received < 0) {
            Fail(dump, strerror(errno));
            return;
        }
        if ((header.msg_flags & MSG_TRUNC) != 0) {
            Fail(dump, "a reply larger than 64 KiB");
            return;
        }
        if (received == 0) {
            Fail(dump, "the replies ended before the dump did");
            return;
        }
        if (!TakeLinkReply(dump, reply, static_cast<size_t>(received), sender.nl_pid))
            return;
    }
}

} // namespace

bool TakeLinkReply(LinkDump &dump, const void *bytes, size_t length, uint32_t sender) {
    if (sender != 0)
        return true;
    const auto *data = static_cast<const char *>(bytes);
    for (size_t offset = 0; offset < length;) {
        const auto *message = reinterpret_cast<const nlmsghdr *>(data + offset);
        if (length - offset < sizeof(nlmsghdr) || message->nlmsg_len < sizeof(nlmsghdr) ||
            message->nlmsg_len > length - offset)
            return Fail(dump, "a truncated message");
        offset += NLMSG_ALIGN(message->nlmsg_len);
        if (message->nlmsg_seq != dump.sequence)
            continue; // an answer to another request
        if ((message->nlmsg_flags & NLM_F_DUMP_INTR) != 0)
            dump.interrupted = true;

        switch (message->nlmsg_type) {
        case NLMSG_DONE: {
            const int error = CarriedError(message);
            return error != 0 ? Fail(dump, strerror(error)) : false;
        }
        case NLMSG_ERROR: {
            const int error = CarriedError(message);
            return Fail(dump, error != 0 ? strerror(error) : kMalformed);
        }
        case RTM_NEWLINK:
            if (!AddLink(dump, message))
                return Fail(dump, kMalformed);
            break;
        default: // NLMSG_NOOP and the like
            break;
        }
    }
    return true;
}

AdapterQuery ListAdapters(const char *sysfs_net, IP_ADAPTER_INFO (&records)[kAdapterRecords],
                          char (&failure)[kQueryFailureSize]) {
    LinkDump dump{0, sysfs_net, records};
    const int socket_fd = socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
    if (socket_fd < 0) {
        dump.failure = strerror(errno);
    } else {
        do {
            ++dump.sequence;
            dump.count = 0;
            dump.interrupted = false;
            RunDump(socket_fd, dump);
        } while (dump.failure == nullptr && dump.interrupted && dump.sequence < kDumpAttempts);
        close(socket_fd);
    }
    if (dump.failure == nullptr && dump.interrupted)
        dump.failure = "the link dump was interrupted 5 times";

    if (dump.failure != nullptr) {
        CopyText(failure, sizeof failure, "netlink: ");
        AppendText(failure, sizeof failure, dump.failure);
        return AdapterQuery::kFailed;
    }
    if (dump.count == 0)
        return AdapterQuery::kNoAdapters;
    for (int i = 0; i < dump.count; ++i)
        records[i].Next = i + 1 < dump.count ? &records[i + 1] : nullptr;
    return AdapterQuery::kListed;
}

AdapterQuery QueryAdapters(IP_ADAPTER_INFO (&records)[kAdapterRecords],
                           char (&failure)[kQueryFailureSize]) {
    return ListAdapters("/sys/class/net", records, failure);
}
