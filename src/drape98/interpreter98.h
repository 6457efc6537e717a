// drape98's interpreter: one walk over the command words, painting the canvas, then the
// wallpaper written and installed.
#pragma once

#include <string>

namespace drape {

// One run over `state98().tokens` (which ends in "end"); writes and installs the wallpaper
// unless the walk stopped at "help".
void Interpret98();
// Replaces ~ip~, ~host~, ~timestamp~, ~desktop~ and ~monitor~, in that order; the address and
// the host name are looked up afresh at every call.
std::string ExpandPlaceholders98(const std::string& text);
// The first IPv4 address of the host other than 127.0.0.1 (first octet in the lowest byte),
// 0 when there is none.
uint32_t FirstAddress98();
// "TileWallPaper" = "1" as a one-byte string under "Control Panel\Desktop".
void WriteTileValue98();
// What "big" shows of its expanded text: the fourth dot-separated field when that is not
// empty, else the whole text.
std::string BigTextPart98(const std::string& text);

}  // namespace drape
