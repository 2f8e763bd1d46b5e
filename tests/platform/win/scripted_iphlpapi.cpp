// An iphlpapi.dll for the Wine tests, installed as the system's: its
// GetAdaptersInfo, GetIfTable2 and FreeMibTable keep Windows' own buffer and
// table contracts and describe the machine of a case file, iphlpapi.txt beside
// the DLL, one interface a line, in GetIfTable2's order:
//
//     INDEX TYPE FLAGS ADDRESS PERMANENT DESCRIPTION...
//
// FLAGS: any of l (GetAdaptersInfo lists it: it has an IPv4 binding; in the
// same order), h, c and f (HardwareInterface, ConnectorPresent,
// FilterInterface), or - for none. ADDRESS is the current address, hex bytes
// joined by '-' or "-" for none; PERMANENT the permanent one, "=" for the
// same. A line "GetIfTable2 fails ERROR" makes GetIfTable2 return ERROR; '#'
// starts a comment.
//
// A table that is not freed, or a free of memory that is no table of this
// DLL's, is reported on standard error when the process ends. Built again
// without GetIfTable2 and FreeMibTable (WITHOUT_INTERFACE_TABLE), as the DLL
// of Windows before Vista.
#include <stddef.h>
#include <stdio.h>
#include <string.h>
#include <wchar.h>

#include "platform/adapters.h"

namespace {

constexpr int kInterfaces = 64;
constexpr int kLineSize = 256;

struct Interface {
    unsigned index;
    unsigned type;
    bool listed, hardware, connector, filter;
    unsigned address_length, permanent_length;
    unsigned char address[MAX_ADAPTER_ADDRESS_LENGTH];
    unsigned char permanent[MAX_ADAPTER_ADDRESS_LENGTH];
    char description[MAX_ADAPTER_DESCRIPTION_LENGTH];
};

HMODULE g_module;
bool g_read;
Interface g_interfaces[kInterfaces];
int g_count;
DWORD g_table_error;
// The tables handed out and not yet freed, and frees of anything else.
#ifndef WITHOUT_INTERFACE_TABLE
MIB_IF_TABLE2 *g_tables[8];
#endif
int g_tables_out;
int g_bad_frees;

// Hex bytes joined by '-', or "-" for none; returns how many.
unsigned ReadAddress(const char *text, unsigned char (&bytes)[MAX_ADAPTER_ADDRESS_LENGTH]) {
    unsigned count = 0;
    unsigned byte;
    for (int used; count < sizeof bytes && sscanf(text, "%2x%n", &byte, &used) == 1;
         text += used + (text[used] == '-'))
        bytes[count++] = static_cast<unsigned char>(byte);
    return count;
}

// Reads the case file once, at the first call.
void ReadCase() {
    if (g_read)
        return;
    g_read = true;
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(g_module, path, MAX_PATH);
    if (length < 4 || length >= MAX_PATH)
        return;
    wcscpy(path + length - 4, L".txt");
    FILE *file = _wfopen(path, L"r");
    if (file == nullptr)
        return;
    char line[kLineSize];
    while (g_count < kInterfaces && fgets(line, sizeof line, file) != nullptr) {
        line[strcspn(line, "\r\n")] = '\0';
        unsigned long error;
        if (sscanf(line, "GetIfTable2 fails %lu", &error) == 1) {
            g_table_error = error;
            continue;
        }
        Interface &entry = g_interfaces[g_count];
        char flags[8], address[32], permanent[32];
        int described = 0;
        if (line[0] == '#' || sscanf(line, "%u %u %7s %31s %31s %n", &entry.index, &entry.type,
                                     flags, address, permanent, &described) < 5)
            continue;
        entry.listed = strchr(flags, 'l') != nullptr;
        entry.hardware = strchr(flags, 'h') != nullptr;
        entry.connector = strchr(flags, 'c') != nullptr;
        entry.filter = strchr(flags, 'f') != nullptr;
        entry.address_length = ReadAddress(address, entry.address);
        entry.permanent_length =
            ReadAddress(strcmp(permanent, "=") == 0 ? address : permanent, entry.permanent);
        snprintf(entry.description, sizeof entry.description, "%s", line + described);
        ++g_count;
    }
    fclose(file);
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH)
        g_module = instance;
    if (reason == DLL_PROCESS_DETACH && (g_tables_out != 0 || g_bad_frees != 0)) {
        char text[96];
        const int length =
            snprintf(text, sizeof text, "iphlpapi: %d tables not freed, %d bad frees\n",
                     g_tables_out, g_bad_frees);
        DWORD written;
        WriteFile(GetStdHandle(STD_ERROR_HANDLE), text, length, &written, nullptr);
    }
    return TRUE;
}

// As Windows fills the buffer: the records one after another, each linked to
// the next. Fields that the program does not read are zero.
extern "C" __declspec(dllexport) ULONG WINAPI
    GetAdaptersInfo(PIP_ADAPTER_INFO buffer, PULONG size) {
    if (size == nullptr)
        return ERROR_INVALID_PARAMETER;
    ReadCase();
    ULONG listed = 0;
    for (int i = 0; i < g_count; ++i)
        listed += g_interfaces[i].listed;
    if (listed == 0)
        return ERROR_NO_DATA;
    const ULONG needed = listed * sizeof(IP_ADAPTER_INFO);
    if (buffer == nullptr || *size < needed) {
        *size = needed;
        return ERROR_BUFFER_OVERFLOW;
    }
    memset(buffer, 0, needed);
    IP_ADAPTER_INFO *record = buffer;
    for (int i = 0; i < g_count; ++i) {
        const Interface &entry = g_interfaces[i];
        if (!entry.listed)
            continue;
        record->Next = record + 1 < buffer + listed ? record + 1 : nullptr;
        snprintf(record->Description, sizeof record->Description, "%s", entry.description);
        record->AddressLength = entry.address_length;
        memcpy(record->Address, entry.address, sizeof record->Address);
        record->Index = entry.index;
        record->Type = entry.type;
        ++record;
    }
    return ERROR_SUCCESS;
}

#ifndef WITHOUT_INTERFACE_TABLE
// As Windows makes the table: one block from the heap, which the caller gives
// back to FreeMibTable.
extern "C" __declspec(dllexport) DWORD WINAPI GetIfTable2(PMIB_IF_TABLE2 *table) {
    if (table == nullptr)
        return ERROR_INVALID_PARAMETER;
    ReadCase();
    if (g_table_error != NO_ERROR)
        return g_table_error;
    if (g_tables_out == sizeof g_tables / sizeof *g_tables)
        return ERROR_NOT_ENOUGH_MEMORY;
    const size_t size = offsetof(MIB_IF_TABLE2, Table) + (g_count + 1) * sizeof(MIB_IF_ROW2);
    auto *made = static_cast<MIB_IF_TABLE2 *>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size));
    if (made == nullptr)
        return ERROR_NOT_ENOUGH_MEMORY;
    made->NumEntries = g_count;
    for (int i = 0; i < g_count; ++i) {
        const Interface &entry = g_interfaces[i];
        MIB_IF_ROW2 &row = made->Table[i];
        row.InterfaceIndex = entry.index;
        MultiByteToWideChar(CP_ACP, 0, entry.description, -1, row.Description,
                            IF_MAX_STRING_SIZE + 1);
        row.PhysicalAddressLength = entry.address_length;
        memcpy(row.PhysicalAddress, entry.address, entry.address_length);
        memcpy(row.PermanentPhysicalAddress, entry.permanent, entry.permanent_length);
        row.Type = entry.type;
        row.InterfaceAndOperStatusFlags.HardwareInterface = entry.hardware;
        row.InterfaceAndOperStatusFlags.ConnectorPresent = entry.connector;
        row.InterfaceAndOperStatusFlags.FilterInterface = entry.filter;
    }
    *table = g_tables[g_tables_out++] = made;
    return NO_ERROR;
}

extern "C" __declspec(dllexport) VOID WINAPI FreeMibTable(PVOID memory) {
    for (int i = 0; i < g_tables_out; ++i)
        if (g_tables[i] == memory) {
            HeapFree(GetProcessHeap(), 0, memory);
            g_tables[i] = g_tables[--g_tables_out];
            return;
        }
    ++g_bad_frees;
}
#endif
