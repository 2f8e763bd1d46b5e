/* The library's two calls for JavaScript, through Node-API. Each call keeps
 * its buffers on its own stack, so the addon is as thread-safe as the
 * library: it holds no state between calls, in any thread or worker. */
#include <node_api.h>
#include <primary-mac.h>

/* The address as a string, null when no adapter qualifies; a failure throws
 * an Error whose message is the library's cause. */
static napi_value Get(napi_env env, napi_callback_info info) {
    (void)info;
    char mac[PRIMARY_MAC_TEXT_SIZE];
    char failure[PRIMARY_MAC_FAILURE_SIZE];
    napi_value answer = NULL;
    switch (primary_mac_get(mac, sizeof mac, failure, sizeof failure)) {
    case PRIMARY_MAC_FOUND:
        napi_create_string_utf8(env, mac, NAPI_AUTO_LENGTH, &answer);
        break;
    case PRIMARY_MAC_NO_ADAPTER:
        napi_get_null(env, &answer);
        break;
    default:
        napi_throw_error(env, "PRIMARY_MAC_FAILED", failure);
    }
    return answer;
}

static napi_value Version(napi_env env, napi_callback_info info) {
    (void)info;
    napi_value version = NULL;
    napi_create_string_utf8(env, primary_mac_version(), NAPI_AUTO_LENGTH, &version);
    return version;
}

NAPI_MODULE_INIT() {
    const napi_property_descriptor calls[] = {
        {"get", NULL, Get, NULL, NULL, NULL, napi_enumerable, NULL},
        {"version", NULL, Version, NULL, NULL, NULL, napi_enumerable, NULL},
    };
    if (napi_define_properties(env, exports, sizeof calls / sizeof calls[0], calls) != napi_ok)
        return NULL;
    return exports;
}
