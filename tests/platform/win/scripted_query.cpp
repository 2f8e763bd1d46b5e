// The Windows adapter query on a scripted platform, run under Wine. This
// program stands in for the layer's loader, handing it a GetAdaptersInfo of
// its own, so the layer's calls reach the script instead of the system. Each
// argument is what the platform holds at one call, the last one holding for
// every later call:
//
//     list:N    N adapters, indices N down to 1; a buffer too small for
//               them overflows, asking for their size
//     nodata    no adapters
//     error:N   the error N
//
// Prints the outcome (the indices listed, "no adapters", or the cause), the
// buffer offered at each call, in records, and how many pointers the scan's
// records hold into a list that the layer has since freed, if any.
#include <stdio.h>
#include <string.h>

#include "platform/adapters.h"
#include "platform/win/system_library.h"

namespace {

char **g_script;
int g_steps;
int g_calls;
char g_offered[256]; // " 16 20 ..."
// The last buffer filled, and its end.
const char *g_filled;
const char *g_filled_end;

} // namespace

ULONG WINAPI ScriptedAdaptersInfo(PIP_ADAPTER_INFO buffer, PULONG size) {
    const char *step = g_script[g_calls < g_steps ? g_calls : g_steps - 1];
    ++g_calls;
    const size_t used = strlen(g_offered);
    snprintf(g_offered + used, sizeof g_offered - used, " %lu",
             static_cast<unsigned long>(*size / sizeof(IP_ADAPTER_INFO)));

    unsigned long count = 0;
    if (strcmp(step, "nodata") == 0)
        return ERROR_NO_DATA;
    if (sscanf(step, "error:%lu", &count) == 1)
        return count;
    sscanf(step, "list:%lu", &count);
    const ULONG needed = count * sizeof(IP_ADAPTER_INFO);
    if (*size < needed) {
        *size = needed;
        return ERROR_BUFFER_OVERFLOW;
    }
    // As the platform fills them: each record's address list in the record,
    // its current address pointing at it.
    memset(buffer, 0, needed);
    for (unsigned long i = 0; i < count; ++i) {
        IP_ADAPTER_INFO &record = buffer[i];
        record.Next = i + 1 < count ? &buffer[i + 1] : nullptr;
        record.Index = count - i;
        record.CurrentIpAddress = &record.IpAddressList;
    }
    g_filled = reinterpret_cast<const char *>(buffer);
    g_filled_end = g_filled + needed;
    return ERROR_SUCCESS;
}

AdapterQueryFunction LoadAdapterQuery() {
    return ScriptedAdaptersInfo;
}

// No interface table, as before Vista: every adapter listed is taken.
InterfaceTableQuery LoadInterfaceTableQuery() {
    return {};
}

int main(int argc, char *argv[]) {
    if (argc < 2) {
        fprintf(stderr, "usage: scripted_query STEP...\n");
        return 2;
    }
    g_script = argv + 1;
    g_steps = argc - 1;

    // Filled with bytes no list holds, so a chain left without an end shows.
    IP_ADAPTER_INFO records[kAdapterRecords];
    memset(records, 0xA5, sizeof records);
    char failure[kQueryFailureSize];
    const AdapterQuery outcome = QueryAdapters(records, failure);
    if (outcome == AdapterQuery::kFailed)
        printf("failed: %s", failure);
    else if (outcome == AdapterQuery::kNoAdapters)
        printf("no adapters");
    // The chain, followed only inside the buffer: one that leaves it, or has
    // no end, shows as a trailing space.
    const IP_ADAPTER_INFO *end = records + kAdapterRecords;
    for (const IP_ADAPTER_INFO *record = outcome == AdapterQuery::kListed ? records : end;
         record >= records && record < end; record = record->Next)
        printf("%lu%s", static_cast<unsigned long>(record->Index), record->Next ? " " : "");
    printf("; calls:%s", g_offered);

    // A list the layer took from a buffer of its own: nothing in the scan's
    // records may point into it.
    if (g_filled != reinterpret_cast<const char *>(records)) {
        int dangling = 0;
        const char *bytes = reinterpret_cast<const char *>(records);
        for (size_t at = 0; at + sizeof(void *) <= sizeof records; at += sizeof(void *)) {
            const char *pointer;
            memcpy(&pointer, bytes + at, sizeof pointer);
            dangling += pointer >= g_filled && pointer < g_filled_end;
        }
        if (dangling > 0)
            printf("; %d pointers into the freed list", dangling);
    }
    return 0;
}
