/* Loads primary-mac.dll at run time, as C#'s P/Invoke does, from this
 * program's own folder (never by the search order, which a planted DLL of the
 * same name could win), and prints what primary-mac prints. */
#include <primary-mac.h>
#include <stdio.h>
#include <wchar.h>
#include <windows.h>

typedef int (*GetFunction)(char *, size_t, char *, size_t);

int main(void) {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(NULL, path, MAX_PATH);
    wchar_t *folder_end = wcsrchr(path, L'\\');
    const wchar_t name[] = L"primary-mac.dll";
    if (length == 0 || length == MAX_PATH || folder_end == NULL ||
        (size_t)(folder_end + 1 - path) + sizeof name / sizeof *name > MAX_PATH) {
        fprintf(stderr, "primary-mac: cannot tell this program's folder\n");
        return 1;
    }
    wcscpy(folder_end + 1, name);
    HMODULE library = LoadLibraryExW(path, NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
    /* Through a function without arguments: the type is known. */
    GetFunction get = library == NULL
                          ? NULL
                          : (GetFunction)(void (*)(void))GetProcAddress(library, "primary_mac_get");
    if (get == NULL) {
        fprintf(stderr, "primary-mac: cannot load primary_mac_get from %ls\n", path);
        return 1;
    }

    char mac[PRIMARY_MAC_TEXT_SIZE];
    char failure[PRIMARY_MAC_FAILURE_SIZE];
    if (get(mac, sizeof mac, failure, sizeof failure) == PRIMARY_MAC_FAILED) {
        fprintf(stderr, "primary-mac: %s\n", failure);
        return 1;
    }
    printf("%s", mac);
    return 0;
}
