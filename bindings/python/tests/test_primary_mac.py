"""The package against the program's answer in the same place, which
tests/bindings/bindings_test.sh runs it in and passes in the environment."""

import ctypes
import glob
import os
import shutil
import tempfile
import unittest

import primary_mac

expected = os.environ.get("PRIMARY_MAC_EXPECTED_OUTCOME")


@unittest.skipUnless(expected, "tests/bindings/bindings_test.sh runs this with the program's answer")
class AsTheProgram(unittest.TestCase):
    def test_answer(self):
        if expected == "failed":
            with self.assertRaises(primary_mac.Error) as raised:
                primary_mac.get()
            self.assertEqual(str(raised.exception), os.environ["PRIMARY_MAC_EXPECTED_FAILURE"])
        else:
            self.assertEqual(primary_mac.get(), os.environ["PRIMARY_MAC_EXPECTED_MAC"] or None)

    def test_version(self):
        self.assertEqual(primary_mac.version(), os.environ["PRIMARY_MAC_EXPECTED_VERSION"])


class CarriedLibrary(unittest.TestCase):
    """The library that a platform wheel carries, in the package's folder."""

    def setUp(self):
        folder = os.path.dirname(os.path.abspath(primary_mac.__file__))
        self.carried = glob.glob(os.path.join(folder, "libprimary-mac.so.*"))
        if not self.carried:
            self.skipTest("a package built from the sdist carries no library")

    def test_windows_loads_the_dll_in_the_package_folder(self):
        # Windows' path for a package folder holding a primary-mac.dll: here
        # the carried library under that name, which must be what loads, not
        # the library of the same name loaded already.
        with tempfile.TemporaryDirectory() as folder:
            dll = os.path.join(folder, "primary-mac.dll")
            shutil.copyfile(self.carried[0], dll)
            library = primary_mac._load(folder, "win32")
            self.assertEqual(_file_of(library.primary_mac_version), dll)


class _SymbolInfo(ctypes.Structure):
    _fields_ = [
        ("dli_fname", ctypes.c_char_p),
        ("dli_fbase", ctypes.c_void_p),
        ("dli_sname", ctypes.c_char_p),
        ("dli_saddr", ctypes.c_void_p),
    ]


def _file_of(function):
    """The file that a loaded library's function lies in (dladdr)."""
    info = _SymbolInfo()
    if not ctypes.CDLL(None).dladdr(ctypes.cast(function, ctypes.c_void_p), ctypes.byref(info)):
        raise OSError("dladdr found no library for the function")
    return os.fsdecode(info.dli_fname)
