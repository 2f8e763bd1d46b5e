"""The MAC address of the machine's primary wired Ethernet adapter, from the
primary-mac library: byte for byte what the primary-mac program prints.

Any number of threads may call at once; nothing is written to standard output
or standard error.
"""

from __future__ import annotations

import ctypes
import glob
import os
import sys

__all__ = ["Error", "get", "version"]

# The outcomes and sizes of include/primary-mac.h.
PRIMARY_MAC_FOUND = 1
PRIMARY_MAC_FAILED = -1
PRIMARY_MAC_TEXT_SIZE = 24
PRIMARY_MAC_FAILURE_SIZE = 256


class Error(Exception):
    """No answer: the adapter query failed. Its text is the library's cause,
    the program's message without "primary-mac: ". The machine may well have
    an adapter."""


def _load(folder: str, platform: str = sys.platform) -> ctypes.CDLL:
    """The library that a platform wheel carries in the package's folder,
    loaded by its full path, so that no library of that name elsewhere on the
    search path can take its place: primary-mac.dll on Windows,
    libprimary-mac.so.<major> on Linux. Without one on Linux (a package built
    from the sdist), the system's library by its SONAME, whose major version
    is the package's."""
    if platform == "win32":
        return ctypes.CDLL(os.path.join(folder, "primary-mac.dll"))
    carried = glob.glob(os.path.join(glob.escape(folder), "libprimary-mac.so.*"))
    if carried:
        return ctypes.CDLL(carried[0])
    from importlib.metadata import version as package_version

    return ctypes.CDLL("libprimary-mac.so." + package_version(__name__).split(".")[0])


_library = _load(os.path.dirname(os.path.abspath(__file__)))
_library.primary_mac_get.argtypes = [ctypes.c_char_p, ctypes.c_size_t] * 2
_library.primary_mac_get.restype = ctypes.c_int
_library.primary_mac_version.argtypes = []
_library.primary_mac_version.restype = ctypes.c_char_p
# Windows gives the system's messages in its ANSI code page.
_ENCODING = "mbcs" if sys.platform == "win32" else "utf-8"


def get() -> str | None:
    """The address, such as "00-1A-2B-3C-4D-5E", or None when no adapter
    qualifies. Raises Error when the query fails."""
    mac = ctypes.create_string_buffer(PRIMARY_MAC_TEXT_SIZE)
    failure = ctypes.create_string_buffer(PRIMARY_MAC_FAILURE_SIZE)
    outcome = _library.primary_mac_get(mac, len(mac), failure, len(failure))
    if outcome == PRIMARY_MAC_FAILED:
        raise Error(failure.value.decode(_ENCODING, "replace"))
    return mac.value.decode() if outcome == PRIMARY_MAC_FOUND else None


def version() -> str:
    """The library's version, such as "4.0.0"."""
    return _library.primary_mac_version().decode()
