/*
 * primary-mac: the MAC address of the machine's primary wired Ethernet
 * adapter, for programs that embed the answer instead of running the
 * primary-mac program and reading its output.
 *
 * Plain C, usable from C, C++ and any language that calls C functions
 * (Python's ctypes, C#'s P/Invoke, Go's cgo, Rust's FFI): ints, sizes and
 * char buffers that the caller owns, nothing to free. Any number of threads
 * may call at once. The library never writes to standard output or standard
 * error and never changes signal dispositions.
 */
#ifndef PRIMARY_MAC_H
#define PRIMARY_MAC_H

#include <stddef.h>

/* Set by the library's own build to export the calls; empty for callers. */
#ifndef PRIMARY_MAC_API
#define PRIMARY_MAC_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The outcomes of primary_mac_get. */
#define PRIMARY_MAC_FOUND 1      /* the address is in the buffer */
#define PRIMARY_MAC_NO_ADAPTER 0 /* no adapter qualifies: the text is empty */
#define PRIMARY_MAC_FAILED (-1)  /* no answer: the failure text says why */

/* Room for the longest address, 8 bytes as 23 characters, and the NUL. */
#define PRIMARY_MAC_TEXT_SIZE 24

/* Room for any failure text. A smaller buffer gets the text cut short. */
#define PRIMARY_MAC_FAILURE_SIZE 256

/*
 * Scans the machine's network adapters and writes the MAC address of the
 * primary wired Ethernet adapter into `mac` (`mac_size` bytes) as
 * NUL-terminated text, byte for byte what the primary-mac program prints:
 * upper-case hexadecimal byte pairs joined by "-", such as
 * "00-1A-2B-3C-4D-5E".
 *
 * Returns PRIMARY_MAC_FOUND, PRIMARY_MAC_NO_ADAPTER (`mac` holds empty text:
 * the machine has no adapter that qualifies), or PRIMARY_MAC_FAILED: the
 * adapter query failed, or `mac` is null or smaller than
 * PRIMARY_MAC_TEXT_SIZE (never an address cut short); `mac`, when there is
 * one, then holds empty text. That is no answer: the machine may well have
 * an adapter.
 *
 * `failure` (`failure_size` bytes; null when 0) receives the cause of a
 * failure as text, such as "cannot list network adapters: ...", and empty
 * text otherwise.
 */
PRIMARY_MAC_API int primary_mac_get(char *mac, size_t mac_size, char *failure, size_t failure_size);

/* The library's version, such as "3.0.0": static text, not to be freed. */
PRIMARY_MAC_API const char *primary_mac_version(void);

#ifdef __cplusplus
}
#endif

#endif /* PRIMARY_MAC_H */
