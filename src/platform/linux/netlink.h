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

// A hardware address in a reply; empty when the reply carries none.
struct LinkAddress {
    const uint8_t *bytes = nullptr;
    size_t length = 0;
};

// One network interface as the kernel's link dump describes it.
struct KernelLink {
    const char *name = nullptr;
    int index = 0;
    unsigned short type = 0; // ARPHRD_* link type
    LinkAddress address;     // its current address
    // Its device's own address, from kernel 5.6 on and when the device has
    // one; empty otherwise.
    LinkAddress permanent_address;
    int master = 0;                  // the bond, team or bridge it is a port of; 0 for none
    const char *kind = nullptr;      // what kind of link it is ("team", "veth"), or null
    const char *port_kind = nullptr; // its master's kind ("bond"), or null when that says none
    const char *port_name = nullptr; // the driver's name for its port ("p0", "pf0vf1"), or null
};

// Receives each link of a dump; false when the dump cannot go on, with the
// cause in `failure`.
using LinkHandler = bool (*)(void *context, const KernelLink &link,
                             char (&failure)[kQueryFailureSize]);

// A link dump under way.
struct LinkDump {
    uint32_t sequence; // the request's: replies carrying another are not ours
    LinkHandler take_link;
    void *context;
    char (&failure)[kQueryFailureSize]; // why the dump failed, "netlink: ..."
    bool interrupted = false;           // the kernel says links may have been missed
    int only_index = 0;                 // asks for this link alone; 0 for every link
};

enum class DumpStep {
    kMore,   // more replies are to come
    kDone,   // the dump ended as it should
    kFailed, // it did not; `failure` says why
};

// Takes one datagram of the dump's replies, from netlink port `sender` (the
// kernel's is 0; others are ignored), its `bytes` aligned as an nlmsghdr.
DumpStep TakeLinkReply(LinkDump &dump, const void *bytes, size_t length, uint32_t sender);

// Sends the request for a dump of every link (or the one link asked for) on
// `socket_fd` and takes the replies to the dump's end: kDone or kFailed.
DumpStep RunLinkDump(int socket_fd, LinkDump &dump);
