// The scan trace: an opt-in diagnostic line per adapter, on standard output.
#pragma once

#include <stdint.h>

// Set by main before the scan when "-h" is on the command line; never
// cleared. The scan writes a trace line per adapter while it is set.
extern bool g_trace;

// Writes one adapter's trace line: the MAC text chosen so far, this adapter's
// MAC text and index, the best index so far, whether an adapter has been
// taken yet, and whether this one is of the Ethernet type.
void WriteScanTraceLine(const char *chosen_mac, const char *mac, int32_t index, int32_t best_index,
                        bool found, bool is_ethernet);
