// The little that standard output needs from the platform.
#pragma once

// Makes a failed write of standard output an error to report rather than the
// end of the process (a closed pipe raises SIGPIPE where there is one).
void PrepareStandardOutput();

// Names the error of a failed write of standard output, given its errno.
const char *WriteFailureText(int error);
