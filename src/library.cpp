// The library: the scan behind one call, for programs that embed the answer.
// The scan keeps its result and the cause of a failed query in process-wide
// state, so every call holds the lock from the scan until both are copied
// out. The library never sets the trace flag and never prepares standard
// output: what the host writes, and how it handles its signals, are its own.
#include "primary-mac.h"

#include <stddef.h>
#include <stdio.h>

#include "bounded_text.h"
#include "platform/adapters.h"
#include "platform/lock.h"
#include "scan.h"

static_assert(PRIMARY_MAC_TEXT_SIZE == 3 * MAX_ADAPTER_ADDRESS_LENGTH,
              "the caller's buffer must hold the longest address and its NUL");

namespace {

// Writes `text` into a caller's buffer that may be null or of no size.
void PutText(char *buffer, size_t size, const char *text) {
    if (buffer != nullptr && size > 0)
        CopyText(buffer, size, text);
}

// Writes the cause of a failure, "LABEL: DETAIL", into the caller's buffer,
// which may be null or of no size: the program's message without its name.
void PutFailure(char *failure, size_t size, const char *label, const char *detail) {
    if (failure != nullptr && size > 0)
        snprintf(failure, size, "%s: %s", label, detail);
}

} // namespace

int primary_mac_get(char *mac, size_t mac_size, char *failure, size_t failure_size) {
    PutText(mac, mac_size, "");
    PutText(failure, failure_size, "");
    // Never an address cut short: a buffer that one machine's answer happens
    // to fit would fail on the next.
    if (mac == nullptr || mac_size < PRIMARY_MAC_TEXT_SIZE) {
        char detail[32];
        snprintf(detail, sizeof detail, "it takes %d bytes", PRIMARY_MAC_TEXT_SIZE);
        PutFailure(failure, failure_size, "the buffer for the address is too small", detail);
        return PRIMARY_MAC_FAILED;
    }

    LockScan();
    const char *answer = GetPrimaryMac();
    const char *query_failure = GetQueryFailure();
    int outcome = PRIMARY_MAC_FAILED;
    if (query_failure != nullptr) {
        PutFailure(failure, failure_size, kQueryFailureLabel, query_failure);
    } else {
        CopyText(mac, mac_size, answer);
        outcome = answer[0] != '\0' ? PRIMARY_MAC_FOUND : PRIMARY_MAC_NO_ADAPTER;
    }
    UnlockScan();
    return outcome;
}

const char *primary_mac_version() {
    return PRIMARY_MAC_VERSION;
}
