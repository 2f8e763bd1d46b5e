// The Windows layer's adapter query for a test build of the DLL: the system
// refuses it, as it may refuse a process without the rights it needs.
#include "platform/adapters.h"

ULONG WINAPI GetAdaptersInfo(PIP_ADAPTER_INFO, PULONG) {
    return ERROR_ACCESS_DENIED;
}
