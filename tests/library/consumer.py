"""Prints the primary wired Ethernet adapter's MAC address as primary-mac does."""
import ctypes
import ctypes.util
import sys

library = ctypes.CDLL(ctypes.util.find_library("primary-mac"))
library.primary_mac_get.argtypes = [ctypes.c_char_p, ctypes.c_size_t] * 2
mac = ctypes.create_string_buffer(24)  # PRIMARY_MAC_TEXT_SIZE
failure = ctypes.create_string_buffer(256)  # PRIMARY_MAC_FAILURE_SIZE
if library.primary_mac_get(mac, len(mac), failure, len(failure)) < 0:  # PRIMARY_MAC_FAILED
    sys.exit("primary-mac: " + failure.value.decode())
print(mac.value.decode(), end="")  # empty when no adapter qualifies
