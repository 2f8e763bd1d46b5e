// The scan's lock on Windows: a slim reader/writer lock, taken exclusively,
// ready without any call to set it up (MinGW's win32 thread model has no
// std::mutex, and a critical section needs one).
#include "../lock.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace {

SRWLOCK g_scan_lock = SRWLOCK_INIT;

} // namespace

void LockScan() {
    AcquireSRWLockExclusive(&g_scan_lock);
}

void UnlockScan() {
    ReleaseSRWLockExclusive(&g_scan_lock);
}
