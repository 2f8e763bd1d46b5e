// Every reply is checked: its sender, its sequence number, its length, the
// error that NLMSG_DONE and NLMSG_ERROR carry. A dump that cannot end as it
// should is a failure, never a shorter list.
#include "netlink.h"

#include <errno.h>
#include <linux/if_link.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <stdio.h>
#include <string.h>
#include <sys/socket.h>
#include <unistd.h>

#include "../../bounded_text.h"

namespace {

constexpr char kMalformed[] = "malformed reply";

DumpStep Fail(LinkDump &dump, const char *cause) {
    CopyText(dump.failure, sizeof dump.failure, "netlink: ");
    AppendText(dump.failure, sizeof dump.failure, cause);
    return DumpStep::kFailed;
}

// A NUL-terminated text attribute, or null.
const char *Text(const char *data, size_t size) {
    return memchr(data, '\0', size) != nullptr ? data : nullptr;
}

// Takes the link info nested in IFLA_LINKINFO: what kind of link it is, and
// for a port the kind of its master.
void TakeLinkInfo(KernelLink &link, const rtattr *info) {
    int length = static_cast<int>(RTA_PAYLOAD(info));
    for (const rtattr *attribute = static_cast<const rtattr *>(RTA_DATA(info));
         RTA_OK(attribute, length); attribute = RTA_NEXT(attribute, length)) {
        const auto *data = static_cast<const char *>(RTA_DATA(attribute));
        if (attribute->rta_type == IFLA_INFO_KIND)
            link.kind = Text(data, RTA_PAYLOAD(attribute));
        else if (attribute->rta_type == IFLA_INFO_SLAVE_KIND)
            link.port_kind = Text(data, RTA_PAYLOAD(attribute));
    }
}

// Hands the link an RTM_NEWLINK message describes to the dump's handler:
// kMore, kDone when it was the one link asked for, kFailed when the message
// is malformed or the handler failed.
DumpStep TakeLink(LinkDump &dump, const nlmsghdr *message) {
    if (message->nlmsg_len < NLMSG_LENGTH(sizeof(ifinfomsg)))
        return Fail(dump, kMalformed);
    const auto *info = static_cast<const ifinfomsg *>(NLMSG_DATA(message));
    KernelLink link;
    link.index = info->ifi_index;
    link.type = info->ifi_type;

    int length = static_cast<int>(IFLA_PAYLOAD(message));
    for (const rtattr *attribute = IFLA_RTA(info); RTA_OK(attribute, length);
         attribute = RTA_NEXT(attribute, length)) {
        const auto *data = static_cast<const char *>(RTA_DATA(attribute));
        const size_t size = RTA_PAYLOAD(attribute);
        switch (attribute->rta_type) {
        case IFLA_IFNAME:
            link.name = Text(data, size);
            break;
        case IFLA_PHYS_PORT_NAME:
            // The driver's own name for the port, a fact from the kernel that
            // it puts in the dump: no sysfs read needed.
            link.port_name = Text(data, size);
            break;
        case IFLA_ADDRESS:
            link.address = {reinterpret_cast<const uint8_t *>(data), size};
            break;
        case IFLA_PERM_ADDRESS:
            link.permanent_address = {reinterpret_cast<const uint8_t *>(data), size};
            break;
        case IFLA_MASTER:
            if (size >= sizeof link.master)
                memcpy(&link.master, data, sizeof link.master);
            break;
        case IFLA_LINKINFO:
            TakeLinkInfo(link, attribute);
            break;
        default:
            break;
        }
    }
    if (link.name != nullptr && !dump.take_link(dump.context, link, dump.failure))
        return DumpStep::kFailed;
    return dump.only_index != 0 ? DumpStep::kDone : DumpStep::kMore;
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

// Sends the request for a dump of every link, or for link `only_index`
// alone. The attribute mask (without the
// virtual functions' statistics) makes the kernel size its replies to fit the
// largest link: a link with hundreds of alternative names would otherwise end
// the dump early on some kernels.
bool RequestLinks(int socket_fd, uint32_t sequence, int only_index) {
    struct {
        nlmsghdr header;
        ifinfomsg body;
        rtattr mask_header;
        uint32_t mask;
    } request{};
    request.header.nlmsg_len = sizeof request;
    request.header.nlmsg_type = RTM_GETLINK;
    request.header.nlmsg_flags = only_index != 0 ? NLM_F_REQUEST : NLM_F_REQUEST | NLM_F_DUMP;
    request.header.nlmsg_seq = sequence;
    request.body.ifi_family = AF_UNSPEC;
    request.body.ifi_index = only_index;
    request.mask_header.rta_len = RTA_LENGTH(sizeof request.mask);
    request.mask_header.rta_type = IFLA_EXT_MASK;
    request.mask = RTEXT_FILTER_SKIP_STATS;
    return send(socket_fd, &request, sizeof request, 0) == static_cast<ssize_t>(sizeof request);
}

// Receives one reply datagram into `reply`: its length, or 0 with the dump
// failed.
size_t ReceiveReply(int socket_fd, LinkDump &dump, char (&reply)[kReplySize], uint32_t &sender) {
    sockaddr_nl address{};
    iovec vector{reply, sizeof reply};
    msghdr header{};
    header.msg_name = &address;
    header.msg_namelen = sizeof address;
    header.msg_iov = &vector;
    header.msg_iovlen = 1;
    ssize_t received;
    do
        received = recvmsg(socket_fd, &header, 0);
    while (received < 0 && errno == EINTR);

    if (received < 0) {
        Fail(dump, strerror(errno));
    } else if ((header.msg_flags & MSG_TRUNC) != 0) {
        char cause[64];
        snprintf(cause, sizeof cause, "a reply larger than %zu KiB", kReplySize / 1024);
        Fail(dump, cause);
    } else if (received == 0) {
        Fail(dump, "the replies ended before the dump did");
    } else {
        sender = address.nl_pid;
        return static_cast<size_t>(received);
    }
    return 0;
}

} // namespace

DumpStep TakeLinkReply(LinkDump &dump, const void *bytes, size_t length, uint32_t sender) {
    if (sender != 0)
        return DumpStep::kMore;
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
            return error != 0 ? Fail(dump, strerror(error)) : DumpStep::kDone;
        }
        case NLMSG_ERROR: {
            const int error = CarriedError(message);
            return Fail(dump, error != 0 ? strerror(error) : kMalformed);
        }
        case RTM_NEWLINK:
            if (const DumpStep step = TakeLink(dump, message); step != DumpStep::kMore)
                return step;
            break;
        default: // NLMSG_NOOP and the like
            break;
        }
    }
    return DumpStep::kMore;
}

DumpStep RunLinkDump(int socket_fd, LinkDump &dump) {
    if (!RequestLinks(socket_fd, dump.sequence, dump.only_index))
        return Fail(dump, strerror(errno));
    alignas(nlmsghdr) char reply[kReplySize];
    DumpStep step = DumpStep::kMore;
    while (step == DumpStep::kMore) {
        uint32_t sender = 0;
        const size_t length = ReceiveReply(socket_fd, dump, reply, sender);
        step = length == 0 ? DumpStep::kFailed : TakeLinkReply(dump, reply, length, sender);
    }
    return step;
}
