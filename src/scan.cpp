#include "scan.h"

#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include "bounded_text.h"
#include "platform/adapters.h"
#include "trace.h"

namespace {

// Room for any MAC text (8 bytes make 23 characters) with plenty to spare.
constexpr size_t kMacTextSize = 180;

// Room for one byte's two hex digits, with plenty to spare.
constexpr size_t kByteTextSize = 20;

// VirtualBox's host-only adapters, by the start of their description: the
// word and a space, so that a description of the bare word is not one.
constexpr char kVirtualBoxPrefix[] = "VIRTUALBOX ";

// Renders the hardware address as upper-case hex byte pairs joined by '-',
// empty for an address of length 0. The length is read as a signed count and
// capped at the field's size, so a malformed record cannot make us read past
// the address.
void RenderMacText(const IP_ADAPTER_INFO &adapter, char (&mac)[kMacTextSize]) {
    mac[0] = '\0';
    const int32_t length = static_cast<int32_t>(adapter.AddressLength);
    const int32_t capacity = sizeof adapter.Address;
    for (int32_t i = 0; i < length && i < capacity; ++i) {
        char pair[kByteTextSize];
        snprintf(pair, sizeof pair, "%02X", static_cast<unsigned>(adapter.Address[i]));
        if (i != 0)
            AppendText(mac, sizeof mac, "-");
        AppendText(mac, sizeof mac, pair);
    }
}

// Upper-cases a to z in place. Bytes outside that range, accented letters of
// any code page among them, stay as they are.
void UpperCaseAscii(char *text) {
    for (; *text != '\0'; ++text)
        if (*text >= 'a' && *text <= 'z')
            *text = static_cast<char>(*text - ('a' - 'A'));
}

// Addresses that every machine with such an adapter has, as MAC text: they
// identify no machine.
constexpr const char *kSharedAddresses[] = {
    "02-00-4C-4F-4F-50", // Microsoft KM-TEST Loopback and Npcap Loopback Adapters
    "00-05-9A-3C-78-00", // Cisco Systems VPN Adapter (Cisco VPN Client)
    "00-05-9A-3C-7A-00", // Cisco AnyConnect Secure Mobility Client Virtual Miniport Adapter
    "02-50-41-00-00-01", // PANGP Virtual Ethernet Adapter (Palo Alto GlobalProtect)
};

// VMware Workstation's and Player's host adapters (VMnet1, VMnet8, ...): this,
// then the virtual network's number as the last byte, on every VMware host.
constexpr char kVmwareHostPrefix[] = "00-50-56-C0-00-";

// Whether the MAC text is one that every machine with such an adapter would
// share, and so identifies none: 00-00-... (no hardware address at all), or
// one of the fixed addresses above.
bool IsSharedAddress(const char *mac) {
    if (mac[strspn(mac, "0-")] == '\0')
        return true;
    for (const char *shared : kSharedAddresses)
        if (strcmp(mac, shared) == 0)
            return true;
    // Six bytes: the prefix and one more.
    return strncmp(mac, kVmwareHostPrefix, sizeof kVmwareHostPrefix - 1) == 0 &&
           strlen(mac) == sizeof kVmwareHostPrefix - 1 + 2;
}

// Whether the adapter is a wired Ethernet adapter that may be the primary
// one: Ethernet type, not a VirtualBox host adapter, nothing wireless or
// Bluetooth about its description, and an address to report that is not
// one every machine may share.
bool IsEligible(const IP_ADAPTER_INFO &adapter, const char *mac) {
    // The whole description field, read no further than the field even when
    // a record leaves it unterminated.
    char description[sizeof adapter.Description];
    CopyText(description, sizeof description, adapter.Description, sizeof adapter.Description);
    UpperCaseAscii(description);

    return adapter.Type == MIB_IF_TYPE_ETHERNET &&
           strncmp(description, kVirtualBoxPrefix, sizeof kVirtualBoxPrefix - 1) != 0 &&
           strstr(description, "BLUETOOTH") == nullptr &&
           strstr(description, "WIRELESS") == nullptr && strstr(description, "WI-FI") == nullptr &&
           strstr(description, "WIFI") == nullptr && mac[0] != '\0' && !IsSharedAddress(mac);
}

// How the last scan's query went, and the cause when it failed.
AdapterQuery g_query_outcome = AdapterQuery::kListed;
char g_query_failure[kQueryFailureSize];

} // namespace

const char *GetQueryFailure() {
    return g_query_outcome == AdapterQuery::kFailed ? g_query_failure : nullptr;
}

const char *GetPrimaryMac() {
    static char result[kMacTextSize];
    result[0] = '\0';
    int32_t best_index = -1;
    bool found = false;

    // A list the platform did not fill is never walked.
    IP_ADAPTER_INFO adapters[kAdapterRecords];
    g_query_failure[0] = '\0';
    g_query_outcome = QueryAdapters(adapters, g_query_failure);
    if (g_query_outcome != AdapterQuery::kListed)
        return result;

    // A list from the platform never holds more records than the buffer; the
    // count only guards against a malformed chain.
    const IP_ADAPTER_INFO *adapter = adapters;
    for (int seen = 0; adapter != nullptr && seen < kAdapterRecords;
         adapter = adapter->Next, ++seen) {
        char mac[kMacTextSize];
        RenderMacText(*adapter, mac);
        const int32_t index = static_cast<int32_t>(adapter->Index);
        // Every adapter, before it is judged, so excluded ones show too.
        if (g_trace)
            WriteScanTraceLine(result, mac, index, best_index, found,
                               adapter->Type == MIB_IF_TYPE_ETHERNET);

        // Strictly lower: on equal indices the adapter listed first stays.
        if (IsEligible(*adapter, mac) && (!found || index < best_index)) {
            CopyText(result, sizeof result, mac);
            best_index = index;
            found = true;
        }
    }
    return result;
}
