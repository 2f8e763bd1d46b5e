// Standard output on Linux.
#include "../output.h"

#include <signal.h>
#include <string.h>

void PrepareStandardOutput() {
    // A reader that has gone away would otherwise end the process silently,
    // and the caller would take the lost answer for "no adapter".
    signal(SIGPIPE, SIG_IGN);
}

const char *WriteFailureText(int error) {
    return strerror(error);
}
