// drape98's photographs: one file fitted onto the canvas, random picks from a folder or its
// pairs file.
#pragma once

#include <string>

namespace drape {

// The program's folder in the code page, up to and including the last "\" or "/".
std::string ProgramFolder98();
// "load": the photograph at `path` fitted as drape fits it, read by drape98's decoders; a file
// that cannot be read is reported unless "silent".
void FitImageFile98(const std::string& path);
// "random": a photograph per monitor from the folder (or "nearby", the program's folder):
// a line of its pairs file one time in about five, else any "*.jpg" for each monitor.
void LoadRandomImages98(const std::string& argument);

}  // namespace drape
