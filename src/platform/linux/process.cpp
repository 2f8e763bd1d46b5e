// The process-wide settings on Linux.
#include "../process.h"

#include <signal.h>

void PrepareProcess() {
    // A reader that has gone away would otherwise end the process silently,
    // and the caller would take the lost answer for "no adapter".
    signal(SIGPIPE, SIG_IGN);
}
