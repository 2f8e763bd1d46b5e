// The adapter list on Windows: the IP Helper query itself.
//
// The query comes from the system's iphlpapi.dll, loaded from the system folder
// only (system_library.cpp) at the first query.
//
// The first call is on the scan's own buffer of 16 records, and a list that
// fits is taken as it is. A longer one (more adapters, or adapters with many
// addresses, each of which takes room in the same buffer) is fetched whole
// into a buffer of the size the platform asks for, and the scan gets the 16
// adapters with the lowest indices from it.
#include "../adapters.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "../../bounded_text.h"
#include "lowest_adapters.h"
#include "system_library.h"

// The record layout of the platform's own compiler (64-bit time_t): 648
// bytes on 32-bit Windows, 704 on 64-bit, so that the first call is handed
// the scan's buffer of whole records, 10,368 bytes on 32-bit.
constexpr unsigned kRecordSize = sizeof(void *) == 8 ? 704 : 648;
static_assert(sizeof(IP_ADAPTER_INFO) == kRecordSize,
              "IP_ADAPTER_INFO must be the platform's layout");

namespace {

// Calls after the first, each on a buffer of the size the call before asked
// for. The list can grow in between, but not for long.
constexpr int kLargerBufferCalls = 3;

// Queries again, on heap buffers of the size the platform asks for, while the
// list outgrows them; fills `records` from a list that is complete.
DWORD QueryWholeList(AdapterQueryFunction query, ULONG size,
                     IP_ADAPTER_INFO (&records)[kAdapterRecords]) {
    DWORD status = ERROR_BUFFER_OVERFLOW;
    for (int call = 0; call < kLargerBufferCalls && status == ERROR_BUFFER_OVERFLOW; ++call) {
        auto *list = static_cast<IP_ADAPTER_INFO *>(malloc(size));
        if (list == nullptr)
            return ERROR_NOT_ENOUGH_MEMORY;
        status = query(list, &size);
        if (status == ERROR_SUCCESS)
            CopyLowestAdapters(list, records);
        free(list);
    }
    return status;
}

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

} // namespace

AdapterQuery QueryAdapters(IP_ADAPTER_INFO (&records)[kAdapterRecords],
                           char (&failure)[kQueryFailureSize]) {
    const AdapterQueryFunction query = LoadAdapterQuery();
    if (query == nullptr) {
        DescribeError("cannot load the adapter query (iphlpapi.dll from the system folder): ",
                      GetLastError(), failure);
        return AdapterQuery::kFailed;
    }

    ULONG size = sizeof records;
    DWORD status = query(records, &size);
    if (status == ERROR_BUFFER_OVERFLOW)
        status = QueryWholeList(query, size, records);

    if (status == ERROR_SUCCESS)
        return AdapterQuery::kListed;
    if (status == ERROR_NO_DATA)
        return AdapterQuery::kNoAdapters;
    if (status == ERROR_BUFFER_OVERFLOW)
        CopyText(failure, sizeof failure, "the adapter list kept growing");
    else
        DescribeError("", status, failure);
    return AdapterQuery::kFailed;
}
