// Loading the system's DLLs from the system folder only.
#include "system_library.h"

#include <string.h>
#include <wchar.h>

namespace {

// The system folder and a DLL's name in it.
constexpr UINT kSystemPathSize = MAX_PATH;

} // namespace

HMODULE LoadSystemLibrary(const wchar_t *name) {
    HMODULE library = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (library != nullptr || GetLastError() != ERROR_INVALID_PARAMETER)
        return library;

    // Vista and 7 without the 2011 loader update know no such flag: the full
    // path, with its folder first in the search for the DLL's own
    // dependencies.
    wchar_t path[kSystemPathSize];
    const UINT length = GetSystemDirectoryW(path, kSystemPathSize);
    if (length == 0)
        return nullptr;
    if (length + 1 + wcslen(name) >= kSystemPathSize) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return nullptr;
    }
    path[length] = L'\\';
    memcpy(path + length + 1, name, (wcslen(name) + 1) * sizeof *name);
    return LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

namespace {

// The system's iphlpapi.dll, loaded at the first call and kept.
HMODULE SystemIphlpapi() {
    static HMODULE iphlpapi;
    if (iphlpapi == nullptr)
        iphlpapi = LoadSystemLibrary(L"iphlpapi.dll");
    return iphlpapi;
}

// The function `name` of the system's iphlpapi.dll, or null. The cast goes
// through a function without arguments, which tells the compiler that the
// type is known.
template <typename Function> Function FindInIphlpapi(const char *name) {
    const HMODULE iphlpapi = SystemIphlpapi();
    if (iphlpapi == nullptr)
        return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(iphlpapi, name)));
}

} // namespace

AdapterQueryFunction LoadAdapterQuery() {
    static AdapterQueryFunction query;
    if (query == nullptr)
        query = FindInIphlpapi<AdapterQueryFunction>("GetAdaptersInfo");
    return query;
}

InterfaceTableQuery LoadInterfaceTableQuery() {
    const InterfaceTableQuery table = {
        FindInIphlpapi<decltype(&GetIfTable2)>("GetIfTable2"),
        FindInIphlpapi<decltype(&FreeMibTable)>("FreeMibTable"),
    };
    if (table.get == nullptr || table.free == nullptr)
        return {};
    return table;
}
