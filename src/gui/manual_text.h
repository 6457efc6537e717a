// The user manual that "help" shows. Laid out for a fixed-pitch font, 76 columns at most.
#pragma once

namespace drape {

inline constexpr const char* kManualText =
    R"(Drape v1.81 - desktop wallpapers from commands, text and photographs
=====================================================================

Drape
- sets the desktop wallpaper from a generated image and text,
- loads photographs and resizes them to fit each monitor,
- renews the wallpaper when the screens or the addresses change,
- supports and recognises wallpapers made for several monitors,
- writes the finished picture as the bitmap file drape.bmp.

Quick start
-----------
For everybody: drop a JPEG, PNG or BMP file on the program. Drape fits the
picture to the desktop, fades it towards the bottom and installs it. Drop
two or more files to give each monitor a picture of its own.

For the settings window: start the program without parameters. Choose a
background, a text and the options, then press Apply. For a wallpaper that
changes by itself, choose a folder of photographs as the background, set a
renewal time, tick Background and close the window.

For administrators: write the command into a batch file or a shortcut, for
example
    drape red dots big ~ip~ text "SERVER | ~host~" fade
so that everybody sees at a glance which machine this desktop belongs to.

Settings window or command line
-------------------------------
There is one program. Started without parameters (and without a command
file drape.cmd beside it) it opens the settings window; started with
parameters it paints the wallpaper they describe and ends, unless told to
stay in the background.

Command line parameters
-----------------------
Generic
  silent              show no alerts for the words that follow
  monitor N           later painting goes to monitor N (0 is the primary)
  monitor all         later painting goes to every monitor (the default)
  desktop N / all     the same as monitor
  end                 stop reading the command line here
  gui                 open the settings window with the commands
  help                show this text

Colour and pattern
  red green blue      fill the selected monitors (half intensity)
  pink lime black     fill the selected monitors
  white grey brown    fill the selected monitors
  cyan orange         fill the selected monitors
  color RRGGBB        fill with a colour of six hexadecimal digits,
                      for example color $FF8000 or color FF8000
  base                yellow and black diagonal stripes over the desktop
  traffic             red and white diagonal stripes over the desktop

Load
  load FILE           fit a JPEG, PNG or BMP photograph to the monitors
  frompanel           use the current wallpaper file as the photograph
  random FOLDER       a random photograph from FOLDER for every monitor;
                      FOLDER may be programfolder, currentfolder or
                      tempfolder
  distort N           accepted change of shape in percent (default 15)
  expand N            accepted enlargement in percent (default 53)
  pairs N             chance in percent of a line of drape.lst (default 20)

Effects
  dots                a grid of black dots on the selected monitors
  fade                fade to black towards the bottom of each monitor
  darken              darken the whole desktop
  drain               turn the whole desktop grey and darker
  blur                soften the whole desktop
  invert              invert the colours of the whole desktop
  frame               a dotted frame around every monitor

Text
  big TEXT            one large word, centred on each selected monitor
  text "A | B | C"    a heading A and smaller lines B and C below it
  font NAME SIZE      the font face and the heading size in points
                      (default Arial 64)
  reverse             black text with a white shadow instead of white
  transparent         translucent text
  solid               opaque text again (the default)

Output
  keep                keep drape.bmp and install it for good
  save FILE           write the bitmap to FILE instead (implies keep);
                      FILE may be programfolder, currentfolder or
                      tempfolder
  background          stay in the background and renew when needed
  resident            the same as background
  renew SECONDS       renew every SECONDS seconds in the background
  nouser SECONDS      renew only after SECONDS without keyboard or mouse
                      input (default 120; 0 renews regardless)
  kill                end every Drape that stays in the background

Combination (presets)
  adminmark           traffic darken big ~ip~ fade text "ADMIN | ..."
  basemark TEXT       stripes and the text BASE IMAGE, TEXT and
                      NOT FOR REGULAR USE
  highmark TEXT       big address, fade and TEXT over host and address
  mark TEXT           like highmark with translucent text
  lowmark TEXT        the same as mark
  darkmark TEXT       darkened picture with TEXT, host and address
  dotmark TEXT        dots, big address and TEXT over host and address
  ipallmark TEXT      like dotmark, with every address of the machine

Special
  delay SECONDS       wait before doing anything else
  get name            show the path of the current wallpaper
  get FILE            copy the current wallpaper file to FILE
  set FILE            install FILE as the wallpaper as it is

Distort, expand and keep
------------------------
A photograph rarely has the shape of the monitor. When its shape differs
by less than distort percent, it is stretched to fit; otherwise just
enough of its longer side is cut off. With distort 0 photographs are
never stretched, only cut.

A photograph that is large enough (its width and height more than 100
minus expand percent of the desktop's) and of about the desktop's shape
is spread over all monitors together, as wallpapers made for several
monitors are meant to be shown. Smaller photographs are fitted to every
monitor on its own.

Without keep the bitmap is removed again after installing, and the
wallpaper lasts until the user logs off. With keep (or save) the bitmap
stays and the wallpaper is installed for good.

Placeholders in text
--------------------
  ~ip~                the current address of the machine
  ~ipall~             every address, separated by blanks
  ~host~              the host name
  ~HOST~              the host name in capitals
  ~user~              the user name (the USERNAME variable)
  ~USER~              the user name in capitals
  ~timestamp~         the date and time as dd/mm/yy hh:ii:ss
  ~monitor~           the number of the monitor, counted from 1
  ~desktop~           the same as ~monitor~
With big, an address shows only its last number: big ~ip~ on the machine
192.168.1.23 draws 23.

Use
---
Words are lower case and read from left to right; later words paint over
earlier ones, so the background comes first and the text last. A word that
Drape does not know stops everything with a message and nothing is
installed, unless silent came before it. Text with blanks goes between
double quotes: text "WEB SERVER | ~host~". Presets and the special words
act before everything else and are best not mixed with gui.

From a batch file or a shortcut, call the program with the command:
    drape random c:\photos fade renew 600 background
Loading: load takes a file; random takes a folder; dropped files become
load commands. Photographs are decoded at their full size and fitted.

In the background Drape renews the wallpaper when a monitor is added or
changes, when an address of the machine changes, when another program
replaces the wallpaper, after the computer was suspended, and every renew
seconds once the user has been away for nouser seconds. A newer Drape in
the background ends the older one. drape kill ends them all.

Files
-----
drape.cmd, beside the program: the commands to run when the program is
started without parameters. One or more lines; lines starting with ; are
comments. Example:
    ; the wallpaper of the build servers
    silent
    random c:\software\wallpaper
    mark "SERVER1"

drape.lst, in a folder of photographs: lines of photographs that belong
together, one per monitor, separated by commas. random uses a line now and
then (see pairs). Example:
    ; day and night
    day.jpg , night.jpg
    left.jpg,right.jpg,third.png

drape.bmp: the finished wallpaper, in the temporary folder unless saved
elsewhere.

Notes
-----
    drape traffic darken big ~ip~ text "TEST | ~host~"
    drape random programfolder fade renew 600 nouser 120 background
    drape monitor 0 blue monitor 1 red frame
    drape expand 100 load c:\photos\panorama.jpg
Windows XP and later: Drape puts its wallpaper back when another program
replaces it while Drape runs in the background. On Linux the wallpaper
becomes the background of the X desktop, and the settings are kept in the
file registry.reg in the drape folder of the user's configuration.

History
-------
1.81  Wallpapers for several monitors are recognised by shape and size.
1.80  Pairs of photographs from drape.lst; the pairs parameter.
1.70  Presets ipallmark and dotmark; the ~ipall~ placeholder.
1.60  Renewal when the user is away (nouser).
1.50  PNG photographs with transparency.
1.40  The settings window.
1.00  First release.
)";

}  // namespace drape
