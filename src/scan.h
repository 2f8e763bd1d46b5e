// The adapter scan: finds the primary wired Ethernet adapter and renders its
// hardware address.
#pragma once

// Scans the adapter list once and returns the MAC text of the eligible
// adapter with the lowest index, or empty text when none qualifies. The text
// lives in static storage and stays valid until the next call.
const char *GetPrimaryMac();

// Why the last scan's adapter query failed, or null when it did not. A failed
// query leaves the scan's text empty, but that is no answer: the machine may
// well have an adapter.
const char *GetQueryFailure();

// What a failed query is called where it is reported, ahead of its cause.
constexpr char kQueryFailureLabel[] = "cannot list network adapters";
