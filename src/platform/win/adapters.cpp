// The adapter list on Windows: the IP Helper query itself, and of its list
// the adapters that are the machine's own ports.
//
// The query comes from the system's iphlpapi.dll, loaded from the system folder
// only (system_library.cpp) at the first query.
//
// The first call is on a buffer of the scan's 16 records, and a list that
// fits is taken from it. A longer one (more adapters, or adapters with many
// addresses, each of which takes room in the same buffer) is fetched whole
// into a buffer of the size the platform asks for. Of the list, GetIfTable2
// tells which adapters are hardware (hardware_adapters.cpp), and the scan
// gets those, the 16 with the lowest indices where there are more.
#include "../adapters.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "../../bounded_text.h"
#include "lowest_adapters.h"
#include "system_library.h"

// The record layout of the platform's own compiler (64-bit time_t): 648
// bytes on 32-bit Windows, 704 on 64-bit, so that the first call is handed
// 16 whole records, 10,368 bytes on 32-bit.
constexpr unsigned kRecordSize = sizeof(void *) == 8 ? 704 : 648;
static_assert(sizeof(IP_ADAPTER_INFO) == kRecordSize,
              "IP_ADAPTER_INFO must be the platform's layout");

namespace {

// Calls after the first, each on a buffer of the size the call before asked
// for. The list can grow in between, but not for long.
constexpr int kLargerBufferCalls = 3;

// `context`, then the system's text for the error, without the period and
// line end that close its sentence, or its number when it has none.
void DescribeError(const char *context, DWORD status, char (&failure)[kQueryFailureSize]) {
    CopyText(failure, sizeof failure, context);
    char *const text = failure + strlen(failure);
    const DWORD room = static_cast<DWORD>(failure + sizeof failure - text);
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, status, 0, text, room, nullptr);
    while (length > 0 && strchr(" .\r\n", text[length - 1]) != nullptr)
        text[--length] = '\0';
    if (length == 0)
        snprintf(text, room, "error %lu", static_cast<unsigned long>(status));
}

// Fills `records` from `list`, a list that the platform filled: those
// adapters that GetIfTable2 says are the machine's ports, or all of them where
// the system has no such table. Its failure is the query's: a guess could
// answer a VPN's or a virtual machine's address.
AdapterQuery TakeAdapters(const IP_ADAPTER_INFO *list, IP_ADAPTER_INFO (&records)[kAdapterRecords],
                          char (&failure)[kQueryFailureSize]) {
    const InterfaceTableQuery table_query = LoadInterfaceTableQuery();
    int count;
    if (table_query.get == nullptr) {
        count = CopyLowestAdapters(list, nullptr, records);
    } else {
        MIB_IF_TABLE2 *table = nullptr;
        const DWORD status = table_query.get(&table);
        if (status != NO_ERROR) {
            DescribeError("cannot tell hardware from other interfaces (GetIfTable2): ", status,
                          failure);
            return AdapterQuery::kFailed;
        }
        const InterfaceTable interfaces = {table->Table, table->NumEntries};
        count = CopyLowestAdapters(list, &interfaces, records);
        table_query.free(table);
    }
    return count > 0 ? AdapterQuery::kListed : AdapterQuery::kNoAdapters;
}

// The outcome of a query that filled no list.
AdapterQuery Unlisted(DWORD status, char (&failure)[kQueryFailureSize]) {
    if (status == ERROR_NO_DATA)
        return AdapterQuery::kNoAdapters;
    if (status == ERROR_BUFFER_OVERFLOW)
        CopyText(failure, sizeof failure, "the adapter list kept growing");
    else
        DescribeError("", status, failure);
    return AdapterQuery::kFailed;
}

// Queries again, on heap buffers of the size the platform asks for, while the
// list outgrows them; fills `records` from a list that is complete.
AdapterQuery QueryWholeList(AdapterQueryFunction query, ULONG size,
                            IP_ADAPTER_INFO (&records)[kAdapterRecords],
                            char (&failure)[kQueryFailureSize]) {
    DWORD status = ERROR_BUFFER_OVERFLOW;
    for (int call = 0; call < kLargerBufferCalls && status == ERROR_BUFFER_OVERFLOW; ++call) {
        auto *list = static_cast<IP_ADAPTER_INFO *>(malloc(size));
        if (list == nullptr)
            return Unlisted(ERROR_NOT_ENOUGH_MEMORY, failure);
        status = query(list, &size);
        if (status == ERROR_SUCCESS) {
            const AdapterQuery outcome = TakeAdapters(list, records, failure);
            free(list);
            return outcome;
        }
        free(list);
    }
    return Unlisted(status, failure);
}

} // namespace

AdapterQuery QueryAdapters(IP_ADAPTER_INFO (&records)[kAdapterRecords],
                           char (&failure)[kQueryFailureSize]) {
    const AdapterQueryFunction query = LoadAdapterQuery();
    if (query == nullptr) {
        DescribeError("cannot load the adapter query (iphlpapi.dll from the system folder): ",
                      GetLastError(), failure);
        return AdapterQuery::kFailed;
    }

    IP_ADAPTER_INFO listed[kAdapterRecords];
    ULONG size = sizeof listed;
    const DWORD status = query(listed, &size);
    if (status == ERROR_SUCCESS)
        return TakeAdapters(listed, records, failure);
    if (status == ERROR_BUFFER_OVERFLOW)
        return QueryWholeList(query, size, records, failure);
    return Unlisted(status, failure);
}
