/* Node-API on Windows, taken from the process that loads the addon. Node.js
 * exports its calls from node.exe, Electron from electron.exe, other hosts
 * from executables of their own names: an import library names one of them,
 * and an addon linked with it loads in that host alone. So each call that the
 * addon makes is defined here, forwarding to the export of the same name of
 * the process's executable, looked up once when the addon is loaded. In a
 * process that exports no Node-API the addon does not load at all. */
#include <node_api.h>
#include <windows.h>

/* Each call that addon.c makes: its name, parameters and arguments. */
#define HOST_CALLS(CALL)                                                                           \
    CALL(napi_create_string_utf8,                                                                  \
         (napi_env env, const char *text, size_t length, napi_value *result),                      \
         (env, text, length, result))                                                              \
    CALL(napi_define_properties,                                                                   \
         (napi_env env, napi_value object, size_t count,                                           \
          const napi_property_descriptor *properties),                                             \
         (env, object, count, properties))                                                         \
    CALL(napi_get_null, (napi_env env, napi_value * result), (env, result))                        \
    CALL(napi_throw_error, (napi_env env, const char *code, const char *message),                  \
         (env, code, message))

#define HOST_POINTER(name, parameters, arguments)                                                  \
    static napi_status(NAPI_CDECL *host_##name) parameters;
HOST_CALLS(HOST_POINTER)

#define FORWARD(name, parameters, arguments)                                                       \
    napi_status NAPI_CDECL name parameters {                                                       \
        return host_##name arguments;                                                              \
    }
HOST_CALLS(FORWARD)

/* Through a function without arguments: the type is known. */
#define RESOLVE(name, parameters, arguments)                                                       \
    host_##name =                                                                                  \
        (napi_status(NAPI_CDECL *) parameters)(void (*)(void))GetProcAddress(host, #name);         \
    if (host_##name == NULL)                                                                       \
        return FALSE;

/* Under the loader lock: GetModuleHandle and GetProcAddress load nothing. */
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)instance;
    (void)reserved;
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    const HMODULE host = GetModuleHandleW(NULL);
    HOST_CALLS(RESOLVE)
    return TRUE;
}
