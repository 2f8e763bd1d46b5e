// The kernel's netlink link dump: sends the request, receives the replies,
// checks every one and hands each link it describes to a callback. What the
// links mean is for the caller to decide.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "../adapters.h"

// The largest reply datagram taken: the kernel sends up to 32 KiB of messages
// at a time, or one link's message when that is larger.
constexpr size_t kReplySize = size_t{64} * 1024;

// One network interface as the kernel's link dump describes it.
struct KernelLink {
    const char *name;
    int index;
    unsigned short type; // ARPHRD_* link type
    const uint8_t *address;
    size_t address_length;
    const char *port_name; // the driver's name for its port ("p0", "pf0vf1"), or null
};

// Receives each link of a dump.
using LinkHandler = void (*)(void *context, const KernelLink &link);

// A link dump under way.
struct LinkDump {
    uint32_t sequence; // the request's: replies carrying another are not ours
    LinkHandler take_link;
    void *context;
    char (&failure)[kQueryFailureSize]; // why the dump failed, "netlink: ..."
    bool interrupted = false;           // the kernel says links may have been missed
};

enum class DumpStep {
    kMore,   // more replies are to come
    kDone,   // the dump ended as it should
    kFailed, // it did not; `failure` says why
};

// Takes one datagram of the dump's replies, from netlink port `sender` (the
// kernel's is 0; others are ignored), its `bytes` aligned as an nlmsghdr.
DumpStep TakeLinkReply(LinkDump &dump, const void *bytes, size_t length, uint32_t sender);

// Sends the request for a dump of every link on `socket_fd` and takes the
// replies to the dump's end: kDone or kFailed.
DumpStep RunLinkDump(int socket_fd, LinkDump &dump);
