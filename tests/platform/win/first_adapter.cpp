// Prints the address of the first adapter that the query lists, or "failed";
// for the cases that plant an iphlpapi.dll beside it. Built three times, each
// listing the adapters its own way (ListAdapters).
#include <stdio.h>

#include "platform/adapters.h"
#include "platform/process.h"
#include "platform/win/system_library.h"

namespace {

#if defined(STATIC_IMPORT)
// The control: GetAdaptersInfo imported as programs usually import it, from
// the iphlpapi.dll that the default search order finds.
bool ListAdapters(IP_ADAPTER_INFO (&records)[kAdapterRecords]) {
    ULONG size = sizeof records;
    return GetAdaptersInfo(records, &size) == ERROR_SUCCESS;
}
#elif defined(SEARCHED)
// A later load on the program's behalf: the program's process-wide settings,
// then iphlpapi.dll by the default search order.
bool ListAdapters(IP_ADAPTER_INFO (&records)[kAdapterRecords]) {
    PrepareProcess();
    const HMODULE iphlpapi = LoadLibraryW(L"iphlpapi.dll");
    const auto query = reinterpret_cast<AdapterQueryFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(iphlpapi, "GetAdaptersInfo")));
    ULONG size = sizeof records;
    return query != nullptr && query(records, &size) == ERROR_SUCCESS;
}
#else
// As a library of the Windows layer queries: through the layer's own loader,
// without the program's process-wide settings, which a library must not make
// for its host.
bool ListAdapters(IP_ADAPTER_INFO (&records)[kAdapterRecords]) {
    char failure[kQueryFailureSize];
    return QueryAdapters(records, failure) == AdapterQuery::kListed;
}
#endif

} // namespace

int main() {
    IP_ADAPTER_INFO records[kAdapterRecords];
    if (!ListAdapters(records)) {
        printf("failed");
        return 1;
    }
    for (unsigned i = 0; i < records[0].AddressLength; ++i)
        printf(i > 0 ? "-%02X" : "%02X", records[0].Address[i]);
    return 0;
}
