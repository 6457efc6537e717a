#!/usr/bin/env python3
"""drape98.exe under Wine, run as a user runs it and judged from outside, beside drape.exe.

Uses the helpers of tests/run/windows_program_test.py (the test run's prefix and Xvfb screen,
registry queries, bitmap reading). Run by ctest in the Windows build tree, which sets
DRAPE_BIN_DIR and DRAPE_WINE_STATE.
"""

import pathlib
import sys
import time
import unittest

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1] / "run"))
import windows_program_test as w  # noqa: E402

PROGRAM98 = w.BIN_DIR / "drape98.exe"
TITLE98 = "Drape98 v1.34x"


def drape98(*arguments, timeout=60):
    return w.wine(PROGRAM98, *arguments, timeout=timeout)


class Drape98UnderWine(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not PROGRAM98.exists():
            raise unittest.SkipTest(f"{PROGRAM98} is not built")
        cls.windows_temp = w.windows_temp()
        cls.temp = w.unix_path(cls.windows_temp)
        cls.bitmap = cls.temp / "drape.bmp"

    def setUp(self):
        self.started = []
        self.bitmap.unlink(missing_ok=True)

    def tearDown(self):
        for process in self.started:
            if process.poll() is None:
                process.kill()
                process.wait()
        drape98("kill")

    def launch(self, program, *arguments):
        process = w.start(program, *arguments)
        self.started.append(process)
        return process

    def test_save_keeps_a_red_desktop_and_the_plain_run_leaves_no_bitmap(self):
        saved = self.windows_temp.rstrip("\\") + "\\y.bmp"
        w.reg_delete(w.DESKTOP_KEY, "TileWallPaper")
        result = drape98("red", "save", saved)
        self.assertEqual(result.returncode, 0, result.stderr)
        width, height, rows = w.read_bmp(self.temp / "y.bmp")
        self.assertEqual((width, height), (1920, 1080))
        red = bytes((0, 0, 127)) * width
        self.assertTrue(all(row == red for row in rows), "some pixel is not (127, 0, 0)")
        self.assertEqual(w.reg_query(w.DESKTOP_KEY, "TileWallPaper"), "1")
        (self.temp / "y.bmp").unlink()

        result = drape98("blue")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertFalse(self.bitmap.exists(), "the temporary bitmap was left behind")

    def test_an_unknown_word_shows_its_box_and_the_run_goes_on(self):
        saved = self.windows_temp.rstrip("\\") + "\\kept.bmp"
        process = self.launch(PROGRAM98, "Red", "save", saved)
        box = w.becomes(lambda: w.visible_window(TITLE98))
        self.assertIsNotNone(box, "no message box titled " + TITLE98)
        w.tool("xdotool", "windowfocus", "--sync", box)
        w.tool("xdotool", "key", "--window", box, "Return")
        self.assertEqual(process.wait(timeout=w.PATIENCE), 0)
        self.assertTrue((self.temp / "kept.bmp").exists(), "the run stopped at the unknown word")
        (self.temp / "kept.bmp").unlink()

    def test_without_commands_the_notes_open_and_escape_closes_them(self):
        process = self.launch(PROGRAM98)
        title = " " + TITLE98 + " - 22.08.10 build 3 save 3"
        window = w.becomes(lambda: w.visible_window(title))
        self.assertIsNotNone(window, "no window titled " + title)
        self.assertIsNone(process.poll())
        time.sleep(0.5)  # let it paint
        w.tool("xdotool", "windowactivate", "--sync", window)
        w.tool("xdotool", "key", "--window", window, "Escape")
        self.assertEqual(process.wait(timeout=w.PATIENCE), 0)
        self.assertFalse(self.bitmap.exists(), "the notes painted a wallpaper")

    def test_a_newer_resident_ends_the_older_and_a_kill_of_either_program_ends_both(self):
        older = self.launch(PROGRAM98, "green", "resident")
        time.sleep(4)  # painted and waiting in its loop
        self.assertIsNone(older.poll(), "the first drape98 did not stay resident")
        newer = self.launch(PROGRAM98, "blue", "resident")
        self.assertEqual(older.wait(timeout=w.PATIENCE), 0)
        time.sleep(2)
        self.assertIsNone(newer.poll(), "the newer drape98 ended on its own announcement")

        # drape.exe's kill ends the resident drape98 ...
        self.assertEqual(w.drape("kill").returncode, 0)
        self.assertEqual(newer.wait(timeout=w.PATIENCE), 0)

        # ... and drape98.exe's kill ends a resident drape.exe.
        wide = self.launch(w.PROGRAM, "red", "background")
        time.sleep(4)
        self.assertIsNone(wide.poll(), "drape.exe did not stay resident")
        self.assertEqual(drape98("kill").returncode, 0)
        self.assertEqual(wide.wait(timeout=w.PATIENCE), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
