// The scan's lock on Linux: a mutex of the C library's threads, ready without
// any call to set it up.
#include "../lock.h"

#include <pthread.h>

namespace {

pthread_mutex_t g_scan_lock = PTHREAD_MUTEX_INITIALIZER;

} // namespace

void LockScan() {
    pthread_mutex_lock(&g_scan_lock);
}

void UnlockScan() {
    pthread_mutex_unlock(&g_scan_lock);
}
