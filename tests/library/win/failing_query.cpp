// The Windows layer's loader of the adapter query, for a test build of the
// DLL: the query it hands over is refused, as the system may refuse a process
// without the rights it needs.
#include "platform/win/system_library.h"

namespace {

ULONG WINAPI RefusedQuery(PIP_ADAPTER_INFO, PULONG) {
    return ERROR_ACCESS_DENIED;
}

} // namespace

AdapterQueryFunction LoadAdapterQuery() {
    return RefusedQuery;
}

// Never asked for: the query fails first.
InterfaceTableQuery LoadInterfaceTableQuery() {
    return {};
}
