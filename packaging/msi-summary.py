#!/usr/bin/python3
"""Makes an MSI that wixl wrote reproducible. wixl stamps its summary
information with the current time and a random package code; this sets both
times to the given epoch (SOURCE_DATE_EPOCH) and the package code to a UUID
named by the package's own SHA-256, so that the code changes exactly when the
package does, as Windows Installer requires. Needs Debian's python3-olefile.

    msi-summary.py MSI EPOCH
"""
import hashlib
import struct
import sys
import uuid

import olefile

STREAM = "\x05SummaryInformation"
# Property ids and types of the summary information: the package code (a
# string), and the times created and last saved.
PACKAGE_CODE, CREATED, SAVED = 9, 12, 13
VT_LPSTR, VT_FILETIME = 0x1E, 0x40
# FILETIME counts 100 ns intervals from 1601.
SECONDS_1601_TO_1970 = 11644473600


def replace(stream, property_id, value_type, value):
    """Overwrites a property's value in place; it must keep its size."""
    # The property set's one section, then its (id, offset) pairs.
    (section,) = struct.unpack_from("<I", stream, 44)
    (count,) = struct.unpack_from("<I", stream, section + 4)
    for index in range(count):
        found, offset = struct.unpack_from("<II", stream, section + 8 + 8 * index)
        if found == property_id:
            at = section + offset
            (stored_type,) = struct.unpack_from("<I", stream, at)
            if stored_type != value_type:
                sys.exit(f"property {property_id} has type {stored_type:#x}")
            if value_type == VT_LPSTR:
                (length,) = struct.unpack_from("<I", stream, at + 4)
                if length != len(value):
                    sys.exit(f"property {property_id} is {length} bytes, not {len(value)}")
                at += 4
            stream[at + 4 : at + 4 + len(value)] = value
            return
    sys.exit(f"no property {property_id}")


def set_package_code(path, stream, code):
    replace(stream, PACKAGE_CODE, VT_LPSTR, b"{%s}\0" % str(code).upper().encode())
    package = olefile.OleFileIO(path, write_mode=True)
    package.write_stream(STREAM, bytes(stream))
    package.close()


def main():
    path, epoch = sys.argv[1], int(sys.argv[2])
    with olefile.OleFileIO(path) as package:
        stream = bytearray(package.openstream(STREAM).read())
    filetime = struct.pack("<Q", (epoch + SECONDS_1601_TO_1970) * 10_000_000)
    replace(stream, CREATED, VT_FILETIME, filetime)
    replace(stream, SAVED, VT_FILETIME, filetime)
    # The hash of the package with a code of zeros, then that code in it.
    set_package_code(path, stream, uuid.UUID(int=0))
    with open(path, "rb") as file:
        digest = hashlib.sha256(file.read()).hexdigest()
    set_package_code(path, stream, uuid.uuid5(uuid.NAMESPACE_OID, digest))


main()
