// The system's DLLs, loaded from the system folder only: never from the
// application's folder (which may be %TEMP% or Downloads, writable by
// others), the current directory or PATH, where a planted DLL of the same
// name would run in this process. Nothing here changes settings of the
// process, so a library may load through it too.
#pragma once

#include "../adapters.h"

// The system's GetAdaptersInfo.
using AdapterQueryFunction = decltype(&GetAdaptersInfo);

// Loads the system's `name` (such as L"iphlpapi.dll"), its own dependencies
// from the system folder too. Null when it cannot, GetLastError() saying why.
HMODULE LoadSystemLibrary(const wchar_t *name);

// GetAdaptersInfo of the system's iphlpapi.dll, loaded at the first call and
// kept. Null when the DLL cannot be loaded or lacks it, GetLastError() saying
// why: the caller checks before every call.
AdapterQueryFunction LoadAdapterQuery();

// The system's GetIfTable2, and FreeMibTable, which frees the table it makes.
struct InterfaceTableQuery {
    decltype(&GetIfTable2) get;
    decltype(&FreeMibTable) free;
};

// GetIfTable2 and FreeMibTable of the system's iphlpapi.dll, once
// LoadAdapterQuery has loaded it: both null where it has not both (Windows
// before Vista).
InterfaceTableQuery LoadInterfaceTableQuery();
