// The scan trace: an opt-in diagnostic line per adapter, on standard output.
#pragma once

// Set by main before the scan when "-h" is on the command line; never
// cleared. The scan writes a trace line per adapter while it is set.
extern bool g_trace;
