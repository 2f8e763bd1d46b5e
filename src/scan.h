// The adapter scan: finds the primary wired Ethernet adapter and renders its
// hardware address.
#pragma once

// Scans the adapter list once and returns the MAC text of the eligible
// adapter with the lowest index, or empty text when none qualifies. The text
// lives in static storage and stays valid until the next call.
const char *GetPrimaryMac();
