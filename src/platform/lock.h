// The lock around the scan's process-wide state (its result and the cause of
// a failed query), for the library, where any number of the host's threads may
// scan at once. The program scans once, on one thread, and takes no lock.
#pragma once

// Waits for the lock and takes it.
void LockScan();

// Gives the lock back; only the thread that took it may.
void UnlockScan();
