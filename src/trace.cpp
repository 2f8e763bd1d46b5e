#include "trace.h"

#include <stdio.h>

bool g_trace = false;

void WriteScanTraceLine(const char *chosen_mac, const char *mac, int32_t index, int32_t best_index,
                        bool found, bool is_ethernet) {
    // One write of the whole line. The line feed is the stream's: text mode
    // makes it CR LF on Windows.
    printf("mac:%s MAC:%s index:%d IndMac:%d eth:%s isEth:%s\n", chosen_mac, mac,
           static_cast<int>(index), static_cast<int>(best_index), found ? "y" : "n",
           is_ethernet ? "y" : "n");
}
