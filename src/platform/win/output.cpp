// Standard output on Windows.
#include "../output.h"

#define WIN32_LEAN_AND_MEAN
#include <string.h>
#include <windows.h>

const char *WriteFailureText(int error) {
    // The C runtime reports a write to a pipe whose reader has gone as a bad
    // argument; the system's own error says what happened.
    const DWORD cause = GetLastError();
    if (cause == ERROR_BROKEN_PIPE || cause == ERROR_NO_DATA || cause == ERROR_PIPE_NOT_CONNECTED)
        return "Broken pipe";
    return strerror(error);
}
