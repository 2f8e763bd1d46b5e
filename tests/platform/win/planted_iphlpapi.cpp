// A DLL named iphlpapi.dll, as someone who can write to the program's folder
// would plant it: its GetAdaptersInfo lists one Ethernet adapter, with the
// address 66-66-66-66-66-66. Built again without GetAdaptersInfo
// (WITHOUT_QUERY), to stand in the system folder for a DLL that lacks it.
#include "platform/adapters.h"

#ifndef WITHOUT_QUERY
extern "C" __declspec(dllexport) ULONG WINAPI
    GetAdaptersInfo(PIP_ADAPTER_INFO adapter, PULONG size) {
    if (*size < sizeof *adapter) {
        *size = sizeof *adapter;
        return ERROR_BUFFER_OVERFLOW;
    }
    *adapter = IP_ADAPTER_INFO{};
    adapter->Type = MIB_IF_TYPE_ETHERNET;
    adapter->Index = 1;
    adapter->AddressLength = 6;
    for (int i = 0; i < 6; ++i)
        adapter->Address[i] = 0x66;
    return ERROR_SUCCESS;
}
#endif
