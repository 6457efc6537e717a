#!/usr/bin/env python3
"""drape.exe under Wine, run as a user runs it and judged from outside.

The Windows build's program is started through tools/wine-run.sh in the test run's prefix and
Xvfb screen (1920 x 1080); what it did is read from the bitmap it leaves, the registry (`wine
reg query`), the windows on the X display (xdotool), the X clipboard (xclip) and the files its
buttons write. Run by ctest in the Windows build tree, which sets DRAPE_BIN_DIR and
DRAPE_WINE_STATE.
"""

import os
import pathlib
import struct
import subprocess
import time
import unittest
import zlib

SOURCE = pathlib.Path(__file__).resolve().parents[2]
WINE_RUN = SOURCE / "tools" / "wine-run.sh"
BIN_DIR = pathlib.Path(os.environ.get("DRAPE_BIN_DIR", SOURCE / "build" / "windows" / "src"))
STATE = pathlib.Path(os.environ.get("DRAPE_WINE_STATE", SOURCE / "build" / "windows" / "wine"))
PROGRAM = BIN_DIR / "drape.exe"
TITLE = "Drape v1.81"
DESKTOP_KEY = r"HKCU\Control Panel\Desktop"
RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
PATIENCE = 30.0  # seconds; Wine starts a process in one or two

# Client coordinates of the settings window's controls: the middle of each.
CLIENT_CLIPBOARD = (411, 379)
CLIENT_CREATE_AUTORUN = (306, 379)
CLIENT_REMOVE_AUTORUN = (341, 379)
CLIENT_SHORTCUT = (376, 379)
CLIENT_EXIT = (481, 379)


def environment():
    env = dict(os.environ)
    env["DRAPE_WINE_STATE"] = str(STATE)
    env["DISPLAY"] = (STATE / "display").read_text().strip()
    return env


def wine(*arguments, timeout=60):
    return subprocess.run(["bash", str(WINE_RUN), *map(str, arguments)], env=environment(),
                          capture_output=True, timeout=timeout, check=False)


def start(*arguments):
    return subprocess.Popen(["bash", str(WINE_RUN), *map(str, arguments)], env=environment(),
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE)


def drape(*arguments, timeout=60):
    return wine(PROGRAM, *arguments, timeout=timeout)


def tool(*command):
    result = subprocess.run(list(command), env=environment(), capture_output=True, text=True,
                            check=False, timeout=30)
    return result.stdout


def unix_path(windows_path):
    return pathlib.Path(wine("winepath", "-u", windows_path).stdout.decode().strip())


def windows_temp():
    """%TEMP% as the program sees it, in its long form."""
    return wine("cmd", "/c", "echo %TEMP%").stdout.decode(errors="replace").strip()


def reg_query(key, name):
    """The data of a registry value as `reg query` prints it, or None when absent."""
    result = wine("reg", "query", key, "/v", name)
    for line in result.stdout.decode("utf-8", errors="replace").splitlines():
        parts = line.strip().split(None, 2)
        if len(parts) >= 2 and parts[0].lower() == name.lower() and parts[1].startswith("REG_"):
            return parts[2] if len(parts) == 3 else ""
    return None


def reg_delete(key, name):
    wine("reg", "delete", key, "/v", name, "/f")


def read_bmp(path):
    """(width, height, rows top first as bytes B, G, R) of a 24-bit bottom-up BMP."""
    data = path.read_bytes()
    assert data[:2] == b"BM", f"{path} is no bitmap"
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    assert bits == 24, f"{path} has {bits} bits per pixel"
    stride = (width * 3 + 3) & ~3
    rows = [data[offset + (height - 1 - y) * stride:][:width * 3] for y in range(height)]
    return width, height, rows


def write_picture(path, width, height, colour):
    """A plain-coloured JPEG (through cjpeg) or PNG (written here) of the given size."""
    pixels = bytes(colour) * width
    if path.suffix == ".jpg":
        ppm = b"P6 %d %d 255\n" % (width, height) + pixels * height
        path.write_bytes(subprocess.run(["cjpeg", "-quality", "95"], input=ppm,
                                        capture_output=True, check=True).stdout)
        return

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    raw = b"".join(b"\0" + pixels for _ in range(height))
    path.write_bytes(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                     chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def becomes(condition, patience=PATIENCE):
    deadline = time.monotonic() + patience
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(0.1)
    return condition()


def visible_window(title):
    """The X window of a visible top-level Windows window with exactly this title, or None."""
    found = tool("xdotool", "search", "--onlyvisible", "--name", f"^{title}$").split()
    return found[0] if found else None


def client_origin(window):
    """Root coordinates of the window's client area.

    Without a window manager Wine draws the caption and frame itself inside the X window; the
    client area is what is left under the caption, framed alike on the left, right and bottom.
    """
    geometry = dict(line.split("=", 1)
                    for line in tool("xdotool", "getwindowgeometry", "--shell", window).split())
    x, y = int(geometry["X"]), int(geometry["Y"])
    width, height = int(geometry["WIDTH"]), int(geometry["HEIGHT"])
    frame = (width - 510) // 2
    caption = height - 408 - frame
    return x + frame, y + caption


def click(window, point):
    x, y = client_origin(window)
    tool("xdotool", "mousemove", str(x + point[0]), str(y + point[1]), "click", "1")


def clipboard():
    return tool("xclip", "-o", "-selection", "clipboard")


def parse_shortcut(path):
    """The strings of a shell link (.lnk): name, relative path, working folder, arguments, icon."""
    data = path.read_bytes()
    assert struct.unpack_from("<I", data, 0)[0] == 0x4C, f"{path} is no shell link"
    flags = struct.unpack_from("<I", data, 20)[0]
    at = 76
    if flags & 0x1:  # HasLinkTargetIDList
        at += 2 + struct.unpack_from("<H", data, at)[0]
    if flags & 0x2:  # HasLinkInfo
        at += struct.unpack_from("<I", data, at)[0]
    strings = {}
    unicode = bool(flags & 0x80)
    for bit, name in ((0x4, "name"), (0x8, "relative"), (0x10, "folder"), (0x20, "arguments"),
                      (0x40, "icon")):
        if flags & bit:
            count = struct.unpack_from("<H", data, at)[0]
            at += 2
            size = count * (2 if unicode else 1)
            raw = data[at:at + size]
            # Windows counts the characters without a terminator; Wine's link writer counts
            # it in and stores it, so one at the end is no part of the string.
            strings[name] = raw.decode("utf-16-le" if unicode else "latin-1").removesuffix("\0")
            at += size
    return strings


class WindowsProgramTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not PROGRAM.exists():
            raise unittest.SkipTest(f"{PROGRAM} is not built")
        cls.temp = unix_path(windows_temp())
        cls.bitmap = cls.temp / "drape.bmp"

    def setUp(self):
        self.started = []
        self.bitmap.unlink(missing_ok=True)

    def tearDown(self):
        for process in self.started:
            if process.poll() is None:
                process.kill()
                process.wait()
        # No resident instance outlives its test.
        drape("kill")

    def launch(self, *arguments):
        process = start(PROGRAM, *arguments)
        self.started.append(process)
        return process

    def test_red_keep_leaves_the_whole_desktop_red_and_records_the_tiled_wallpaper(self):
        result = drape("red", "keep")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertTrue(self.bitmap.exists(), f"no {self.bitmap}")
        self.assertEqual(self.bitmap.stat().st_size, 6220854)
        width, height, rows = read_bmp(self.bitmap)
        self.assertEqual((width, height), (1920, 1080))
        red = bytes((0, 0, 127)) * width
        self.assertTrue(all(row == red for row in rows), "some pixel is not (127, 0, 0)")
        self.assertEqual(reg_query(DESKTOP_KEY, "TileWallPaper"), "1")
        self.assertEqual(reg_query(DESKTOP_KEY, "WallpaperStyle"), "0")
        wallpaper = reg_query(DESKTOP_KEY, "Wallpaper")
        self.assertIsNotNone(wallpaper)
        self.assertEqual(unix_path(wallpaper).resolve(), self.bitmap.resolve())

    def test_without_keep_the_bitmap_goes_once_installed(self):
        result = drape("blue")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertFalse(self.bitmap.exists())

    def test_an_unknown_word_shows_the_rejection_box_and_return_closes_it(self):
        process = self.launch("Red")
        box = becomes(lambda: visible_window(TITLE))
        self.assertIsNotNone(box, "no message box titled " + TITLE)
        tool("xdotool", "windowactivate", "--sync", box)
        tool("xdotool", "key", "--window", box, "Return")
        self.assertEqual(process.wait(timeout=PATIENCE), 0)
        self.assertFalse(self.bitmap.exists(), "a rejected command wrote the bitmap")

    def test_a_second_resident_instance_ends_the_first_and_kill_ends_the_second(self):
        first = self.launch("green", "background")
        time.sleep(4)  # the first is painted and waiting in its loop
        self.assertIsNone(first.poll(), "the first instance did not stay resident")
        second = self.launch("blue", "background")
        started = time.monotonic()
        first.wait(timeout=PATIENCE)
        # Wine takes a second or two to start the second process before it can announce itself.
        self.assertLess(time.monotonic() - started, 3 + 3)
        self.assertIsNone(second.poll(), "the second instance ended too")
        time.sleep(1)
        result = drape("kill")
        self.assertEqual(result.returncode, 0)
        self.assertEqual(second.wait(timeout=PATIENCE), 0)

    def test_one_shot_runs_leave_a_resident_instance_and_kill_with_background_ends_itself(self):
        resident = self.launch("green", "background")
        time.sleep(4)
        # A run that does not stay resident does not announce itself.
        result = drape("blue")
        self.assertEqual(result.returncode, 0, result.stderr)
        time.sleep(2)
        self.assertIsNone(resident.poll(), "a one-shot run ended the resident instance")
        # Its own kill and its own announcement: four messages, and it ends as it enters the
        # loop, taking the older instance along.
        both = self.launch("kill", "background")
        self.assertEqual(both.wait(timeout=PATIENCE), 0)
        self.assertEqual(resident.wait(timeout=PATIENCE), 0)

    def test_text_lands_where_the_layout_puts_its_lines(self):
        result = drape("black", "text", "A|B", "keep")
        self.assertEqual(result.returncode, 0, result.stderr)
        width, height, rows = read_bmp(self.bitmap)

        def ink_rows(first, last):
            marked = [y for y in range(first, last) if max(rows[y]) > 128]
            return (marked[0], marked[-1]) if marked else None

        # The heading's cell starts 32 rows above the middle, the second line 77 below it.
        heading = ink_rows(0, height // 2 + 60)
        line = ink_rows(height // 2 + 60, height)
        self.assertIsNotNone(heading, "no heading")
        self.assertIsNotNone(line, "no second line")
        self.assertGreaterEqual(heading[0], 540 - 32)
        self.assertLess(heading[1], 540 + 60)
        self.assertGreaterEqual(line[0], 540 + 77)
        self.assertLess(line[1], 540 + 77 + 60)
        # Both are centred across the monitor.
        columns = [x for x in range(width) if any(rows[y][3 * x + 2] > 128
                                                  for y in range(heading[0], heading[1] + 1))]
        self.assertLess(abs((columns[0] + columns[-1]) / 2 - width / 2), 8)

    def test_a_jpeg_and_a_png_load(self):
        pictures = self.temp / "pictures"
        pictures.mkdir(exist_ok=True)
        for name, colour in (("photo.jpg", (20, 200, 40)), ("photo.png", (200, 30, 180))):
            with self.subTest(name):
                write_picture(pictures / name, 640, 360, colour)
                result = drape("load", f"{windows_temp()}\\pictures\\{name}", "keep")
                self.assertEqual(result.returncode, 0, result.stderr)
                width, height, rows = read_bmp(self.bitmap)
                middle = rows[height // 2][3 * (width // 2):][:3]
                for got, want in zip(middle, reversed(colour)):
                    self.assertLess(abs(got - want), 6, f"middle pixel {tuple(middle)}")

    def open_settings(self, *arguments):
        self.launch(*arguments)
        window = becomes(lambda: visible_window(TITLE))
        self.assertIsNotNone(window, "the settings window did not open")
        time.sleep(0.5)  # let it paint
        return window

    def close_settings(self, window):
        """Exit, and wait until the window is gone: Wine takes a while to take a window down
        without a window manager, and a later search must not find the old one."""
        click(window, CLIENT_EXIT)
        gone = becomes(lambda: window not in tool("xdotool", "search", "--onlyvisible", "--name",
                                                  f"^{TITLE}$").split())
        self.assertTrue(gone, "the settings window stays after Exit")
        # Exit without Background ticked ends the program.
        self.started[-1].wait(timeout=PATIENCE)

    def copied(self, window, expected):
        def holds():
            click(window, CLIENT_CLIPBOARD)
            time.sleep(0.3)
            return clipboard() == expected
        becomes(holds, patience=10)
        return clipboard()

    def test_the_settings_window_opens_without_arguments_and_copies_the_default_command(self):
        reg_delete(RUN_KEY, "Drape")
        window = self.open_settings()
        default = "drape distort 10 expand 100 random programfolder fade renew 600 nouser 120"
        self.assertEqual(self.copied(window, default), default)
        self.close_settings(window)

    def test_the_keyboard_chooses_a_preset_and_escape_ends_the_program(self):
        window = self.open_settings("gui", "red")
        tool("xdotool", "windowactivate", "--sync", window)
        # The preset list has the focus: Down on it chooses "Default" as a click would.
        tool("xdotool", "key", "--window", window, "Down")
        default = "drape distort 10 expand 100 random programfolder fade renew 600 nouser 120"
        self.assertEqual(self.copied(window, default), default)
        tool("xdotool", "key", "--window", window, "Escape")
        self.assertTrue(becomes(lambda: visible_window(TITLE) is None, patience=10),
                        "Escape left the window open")
        self.assertEqual(self.started[-1].wait(timeout=PATIENCE), 0)

    def test_the_autorun_entry_round_trips_through_the_window(self):
        reg_delete(RUN_KEY, "Drape")
        window = self.open_settings("gui", "red", "dots")
        click(window, CLIENT_CREATE_AUTORUN)
        entry = becomes(lambda: reg_query(RUN_KEY, "Drape"), patience=10)
        self.assertIsNotNone(entry, "no autorun value written")
        self.assertTrue(entry.startswith('"') and "drape.exe" in entry.lower(), entry)
        self.assertTrue(entry.endswith(" red dots"), entry)
        self.close_settings(window)
        # Started again without arguments, the window shows the entry's command.
        window = self.open_settings()
        self.assertEqual(self.copied(window, "drape red dots"), "drape red dots")
        click(window, CLIENT_REMOVE_AUTORUN)
        self.assertTrue(becomes(lambda: reg_query(RUN_KEY, "Drape") is None, patience=10),
                        "the autorun value stays")
        self.close_settings(window)

    def test_the_shortcut_button_writes_a_link_with_the_command_as_its_arguments(self):
        desktop = unix_path(wine("cmd", "/c", "echo %USERPROFILE%\\Desktop").stdout.decode()
                            .strip())
        before = set(desktop.glob("*.lnk"))
        window = self.open_settings("gui", "red", "dots")
        click(window, CLIENT_SHORTCUT)
        made = becomes(lambda: set(desktop.glob("*.lnk")) - before, patience=10)
        self.assertTrue(made, f"no shortcut in {desktop}")
        link = made.pop()
        try:
            strings = parse_shortcut(link)
            self.assertEqual(strings.get("arguments"), "red dots")
            # "red" names the link; "dots" is no word that the name takes up.
            self.assertEqual(link.name, "Drape red.lnk")
        finally:
            link.unlink()
            self.close_settings(window)


if __name__ == "__main__":
    unittest.main(verbosity=2)
