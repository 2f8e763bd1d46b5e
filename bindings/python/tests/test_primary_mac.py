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
        # the carried library under that name, which must be what loads.
        with tempfile.TemporaryDirectory() as folder:
            shutil.copyfile(self.carried[0], os.path.join(folder, "primary-mac.dll"))
            library = primary_mac._load(folder, "win32")
            library.primary_mac_version.restype = ctypes.c_char_p
            self.assertEqual(library.primary_mac_version().decode(), primary_mac.version())
