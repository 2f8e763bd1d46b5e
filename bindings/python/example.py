"""Prints the primary wired Ethernet adapter's MAC address as primary-mac does."""
import sys

import primary_mac

try:
    mac = primary_mac.get()
except primary_mac.Error as failure:
    sys.exit(f"primary-mac: {failure}")
print(mac or "", end="")  # nothing when no adapter qualifies
