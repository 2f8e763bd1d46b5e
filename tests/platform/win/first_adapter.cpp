// Prints the address of the first adapter that the query lists, or why it
// failed; for the cases that plant an iphlpapi.dll beside it. Built twice:
//  - as a library of the Windows layer makes the query: through the layer's
//    own loader, without the program's process-wide settings, which a library
//    must not make for its host;
//  - with STATIC_IMPORT, the control: GetAdaptersInfo imported as programs
//    usually do, from the iphlpapi.dll that the default search order finds.
#include <stdio.h>

#include "platform/adapters.h"

int main() {
    IP_ADAPTER_INFO records[kAdapterRecords];
#ifdef STATIC_IMPORT
    ULONG size = sizeof records;
    if (GetAdaptersInfo(records, &size) != ERROR_SUCCESS) {
        printf("failed");
        return 1;
    }
#else
    char failure[kQueryFailureSize];
    if (QueryAdapters(records, failure) != AdapterQuery::kListed) {
        printf("failed: %s", failure);
        return 1;
    }
#endif
    for (unsigned i = 0; i < records[0].AddressLength; ++i)
        printf(i > 0 ? "-%02X" : "%02X", records[0].Address[i]);
    return 0;
}
