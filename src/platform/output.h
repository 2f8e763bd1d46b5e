// The little that standard output needs from the platform.
#pragma once

// Names the error of a failed write of standard output, given its errno.
const char *WriteFailureText(int error);
