"""The package against the program's answer in the same place, which
tests/bindings/bindings_test.sh runs it in and passes in the environment."""

import os
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


class WindowsLibrary(unittest.TestCase):
    def test_the_dll_in_the_package_folder_by_full_path(self):
        folder = os.path.dirname(os.path.abspath(primary_mac.__file__))
        self.assertEqual(primary_mac._library_path("win32"), os.path.join(folder, "primary-mac.dll"))
