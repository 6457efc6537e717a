// The release notes that drape98 shows for "help", "/?" or a start without commands. Laid out
// for a fixed-pitch font, 72 columns at most.
#pragma once

namespace drape {

inline constexpr const char* kReleaseNotes98 =
    R"(Drape98 v1.34x - desktop wallpapers from commands, for Windows 98
=================================================================

This build is meant for Windows 98 only. On later systems use Drape,
which has a settings window, autorun and more commands. This build
does not support "nouser": the word is accepted and then ignored.

WHAT IT DOES
Drape98 paints a picture that spans all monitors from the commands
you give it, writes it as the bitmap drape.bmp and installs it as the
desktop wallpaper. Text can show the machine's name and address, so
that everyone sees at once which computer a desktop belongs to.

QUICK START
  drape98 red big ~ip~ text "SERVER | ~host~" fade
paints a red desktop with the last number of the address in large
digits, the heading SERVER and the host name below it, fading to
black towards the bottom.

COMMANDS
Words are read from left to right and are case-sensitive.
  red green blue pink lime   fill the selected monitors with a colour
  black white grey brown cyan
  color RRGGBB          fill with six hexadecimal digits (color 804000)
  base                  yellow and black stripes over the whole desktop
  traffic               red and white stripes over the whole desktop
  drain                 grey and darken the whole desktop
  dots                  a grid of black dots on the selected monitors
  fade                  fade to black downwards on the selected monitors
  frame                 a dotted frame around every monitor
  big TEXT              large text across each selected monitor; of an
                        address only the number after the third dot
  text "A | B | C"      a heading A and smaller lines B, C below it
  font NAME SIZE        the face and size in points for "text"
  reverse               black text instead of white
  transparent           blended text instead of solid text
  monitor N, desktop N  paint only monitor N from here on (0 = first)
  monitor all           paint all monitors again
  load FILE             a photograph (BMP or JPEG) fitted to the desktop
  random FOLDER         a random *.jpg from FOLDER for each monitor
  random nearby         the same from the program's own folder
  distort N             how far a photo may be stretched, in percent
  expand N              how far a photo may be enlarged, in percent
  save PATH             write the bitmap to PATH and keep it
  save nearby           write drape.bmp beside the program and keep it
  resident              stay running and renew the wallpaper
  renew SECONDS         with resident: renew every SECONDS seconds
  kill                  end every resident Drape and Drape98
  silent                no message for unknown words from here on
  end                   stop reading the commands
  help, /?              show these notes
  delay SECONDS         wait before painting; the number is then met
                        as an unknown word, so put "silent" first
Other words show "Unrecognized command" and are skipped; the
wallpaper is still painted.

COLOURS
  red 127,0,0   green 0,127,0   blue 0,0,127   pink 224,32,96
  lime 160,240,0   black 0,0,0   white 255,255,255   grey 63,63,63
  brown 128,64,0   cyan 0,255,255
Before the first command the desktop gets a random muted colour.

PRESETS
  mark TEXT       big ~ip~ dots text "TEXT| ~host~ ~ip~ " fade
  basemark TEXT   base fade text "BASE IMAGE | TEXT | NOT FOR REGULAR
                  USE | ~host~ ~ip~"

PLACEHOLDERS
Inside "big" and "text":
  ~ip~         the first address of this computer (not 127.0.0.1)
  ~host~       the computer's name
  ~timestamp~  the date and time, dd/mm/yy hh:ii:ss
  ~monitor~    the number of the monitor, 1 for the first
  ~desktop~    the same as ~monitor~

STARTING IT
From a command line: drape98 followed by the commands. Words with
blanks go in double quotes: drape98 text "WEB SERVER | ~host~".
From a shortcut: put the commands after the program's path in the
shortcut's target. In resident mode (the word "resident") the
program stays running and paints again when a monitor is added or
changed, when the address changes, when another wallpaper was
installed (not on Windows 98 itself), and every "renew" seconds.
A newer resident instance ends the older one; "drape98 kill" ends
all of them, those of Drape included.

LOADING IMAGES
"load" reads BMP and JPEG files; PNG files are not read. A photo of
about the desktop's shape covers the whole desktop; any other photo
is cut to each monitor's shape and scaled to it. "distort" (default
15) is how far its shape may differ before it is cut, and "expand"
(default 53) how much smaller than the desktop it may be. A file
that cannot be read shows "Missing file:" and is skipped.

THE COMMAND FILE
Started without commands, Drape98 reads drape.cmd beside the
program. Each line holds commands; lines starting with ; are
comments. A sample drape.cmd:
  ; the test server
  silent
  mark "TEST 1"
Without commands and without drape.cmd these notes are shown.

THE PAIRS FILE
"random" sometimes (one time in five) takes a line of drape.lst in
the photo folder instead: the files on a line go to the monitors in
turn, first file to the first monitor. A sample drape.lst:
  ; left and right halves
  bridge-left.jpg,bridge-right.jpg
  lake-left.jpg,lake-right.jpg

MONITORS
Drape98 paints one picture across all monitors, up to eleven.
Monitor 0 is the primary one; "monitor N" sends the painting that
follows to monitor N only, and "monitor all" to all of them again.
"frame", "base", "traffic" and "drain" always cover every monitor.
A monitor left of or above the primary one is written at the far
side of the bitmap, because the desktop repeats a tiled wallpaper
from the primary monitor's top-left corner; so every monitor shows
its own part. A photo loaded for the whole desktop spans them all.

LIMITS
Windows 98 does not tell which wallpaper is installed, so there a
resident Drape98 does not notice that someone set another one.
"reverse" given twice does not give white text again. "transparent"
cannot be switched off in the same command line. Photos are read
whole, so a very large photo needs as much memory.

NOTES
The bitmap goes to the temporary folder as drape.bmp and is deleted
once installed, unless "save" names another place. Settings such as
"silent" and "transparent" stay on for the rest of a resident run.
Monitors are numbered from 0 in commands and from 1 in ~monitor~.

EXAMPLES
  drape98 blue frame text "TEST PC | ~host~ | ~ip~"
  drape98 traffic fade big ~ip~ save nearby
  drape98 random c:\photos fade text "~host~" resident renew 600
  drape98 monitor 1 green monitor 0 red dots
  drape98 basemark "IMAGE 7"
)";

}  // namespace drape
