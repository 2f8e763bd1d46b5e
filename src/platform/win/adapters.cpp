// The adapter list on Windows: the IP Helper query itself.
#include "../adapters.h"

#include <stdio.h>
#include <string.h>

#include "../../bounded_text.h"

// The record layout of the platform's own compiler (64-bit time_t): 648
// bytes on 32-bit Windows, 704 on 64-bit, so that the buffer handed to the
// query is 16 whole records.
constexpr unsigned kRecordSize = sizeof(void *) == 8 ? 704 : 648;
static_assert(sizeof(IP_ADAPTER_INFO) == kRecordSize,
              "IP_ADAPTER_INFO must be the platform's layout");
static_assert(sizeof(IP_ADAPTER_INFO[kAdapterRecords]) == 16 * kRecordSize, "adapter buffer size");

AdapterQuery QueryAdapters(IP_ADAPTER_INFO (&records)[kAdapterRecords],
                           char (&failure)[kQueryFailureSize]) {
    // One call, never repeated with a larger buffer.
    ULONG size = sizeof records;
    const DWORD status = GetAdaptersInfo(records, &size);
    if (status == ERROR_SUCCESS)
        return AdapterQuery::kListed;
    if (status == ERROR_NO_DATA)
        return AdapterQuery::kNoAdapters;

    if (status == ERROR_BUFFER_OVERFLOW) {
        CopyText(failure, sizeof failure, "the list does not fit in 16 adapter records");
        return AdapterQuery::kFailed;
    }
    // The system's text for the error, without the period and line end that
    // close its sentence; its number when it has none.
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, status, 0, failure, sizeof failure, nullptr);
    while (length > 0 && strchr(" .\r\n", failure[length - 1]) != nullptr)
        failure[--length] = '\0';
    if (length == 0)
        snprintf(failure, sizeof failure, "error %lu", static_cast<unsigned long>(status));
    return AdapterQuery::kFailed;
}
