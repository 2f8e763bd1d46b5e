// primary-mac: prints the hardware address of the machine's primary wired
// Ethernet adapter, as 00-1A-2B-3C-4D-5E with no line end, or nothing when
// there is none. "-h" adds a trace line per adapter. The exit status is 0.
#include <cstdio>
#include <cstring>

#include "scan.h"
#include "trace.h"

int main(int argc, char *argv[]) {
    // Every element counts, the program name too; anything but exactly "-h"
    // is ignored.
    for (int i = 0; i < argc; ++i)
        if (strcmp(argv[i], "-h") == 0) g_trace = true;

    printf("%s", GetPrimaryMac());
    return 0;
}
