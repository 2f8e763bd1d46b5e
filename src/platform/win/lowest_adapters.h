// The adapters that the scan walks: the machine's ports, and of more of them
// than the scan's buffer holds, the part that decides the answer. Plain code
// on the records alone, so that it builds and is tested anywhere.
#pragma once

#include "../adapters.h"
#include "hardware_adapters.h"

// Copies into `records` the kAdapterRecords adapters of `list` (a chain
// through Next, null at its end) with the lowest indices, compared as signed
// 32-bit numbers, the one listed first winning a tie, as the scan chooses;
// of those that `interfaces` says are hardware (IsHardwareAdapter), or of all
// where there is no such table (null). They keep the list's order, linked
// through Next, the last Next null. Only the fields the scan reads are copied;
// every other field is zero. Returns how many were copied: all that are kept
// of a list that fits.
int CopyLowestAdapters(const IP_ADAPTER_INFO *list, const InterfaceTable *interfaces,
                       IP_ADAPTER_INFO (&records)[kAdapterRecords]);
