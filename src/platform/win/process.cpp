// The process-wide settings on Windows: every DLL loaded on the program's
// behalf comes from the system folder, never from the application's folder
// (which may be %TEMP% or Downloads, writable by others), the current
// directory or PATH.
#include "../process.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace {

using SetDefaultDllDirectoriesFunction = BOOL(WINAPI *)(DWORD);
using SetDllDirectoryWFunction = BOOL(WINAPI *)(LPCWSTR);

// A function of kernel32.dll (loaded in every process) that older systems may
// lack: looked up, so that the program still starts there. The cast through a
// function without arguments tells the compiler that the type is known.
template <typename Function> Function FindInKernel32(const char *name) {
    const HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    if (kernel32 == nullptr)
        return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(kernel32, name)));
}

} // namespace

void PrepareProcess() {
    // Windows 8 and later, and Vista and 7 with the 2011 loader update: the
    // system folder is the default for every later load.
    if (auto set_default =
            FindInKernel32<SetDefaultDllDirectoriesFunction>("SetDefaultDllDirectories"))
        set_default(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Everywhere: no current directory in the search order.
    if (auto set_directory = FindInKernel32<SetDllDirectoryWFunction>("SetDllDirectoryW"))
        set_directory(L"");
}
