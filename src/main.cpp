// primary-mac: prints the hardware address of the machine's primary wired
// Ethernet adapter, as 00-1A-2B-3C-4D-5E with no line end, or nothing when
// there is none. "-h" adds a trace line per adapter ahead of the answer.
#include <errno.h>
#include <stdio.h>
#include <string.h>

#include "platform/output.h"
#include "platform/process.h"
#include "scan.h"
#include "trace.h"

int main(int argc, char *argv[]) {
    PrepareProcess();

    // Every element counts, the program name too; anything but exactly "-h"
    // is ignored.
    for (int i = 0; i < argc; ++i)
        if (strcmp(argv[i], "-h") == 0)
            g_trace = true;

    printf("%s", GetPrimaryMac());

    // Whether or not an address was found, the status is 0. Two failures are
    // reported, since the caller would otherwise take them for "no adapter": a
    // write that failed (a full disk, a closed pipe), and an adapter query
    // that failed (and so printed nothing).
    if (fflush(stdout) != 0 || ferror(stdout)) {
        fprintf(stderr, "primary-mac: cannot write standard output: %s\n", WriteFailureText(errno));
        return 1;
    }
    if (const char *failure = GetQueryFailure()) {
        fprintf(stderr, "primary-mac: %s: %s\n", kQueryFailureLabel, failure);
        return 1;
    }
    return 0;
}
