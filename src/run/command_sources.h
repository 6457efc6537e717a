// Where the command string comes from, and the pre-pass that runs before interpreting it.
#pragma once

#include <string>
#include <vector>

#include "state/product.h"

namespace drape {

inline constexpr const char* kDefaultCommand =
    "distort 10 expand 100 random programfolder fade renew 600 nouser 120 gui";

// Joins the program's arguments into a command string: an argument holding a blank is put
// back in double quotes so that it stays one token.
std::string JoinArguments(const std::vector<std::string>& arguments);

// A command file's text as one command string: lines split at CR, LF or CR LF, zero bytes
// dropped, each line trimmed of blanks, empty lines and lines starting with ";" left out, the
// rest joined with one blank.
std::string JoinCommandFileLines(const std::string& bytes);

// Fills `commandString`, `tokenCount` and `presetSource` from the first source that gives a
// command: the arguments, drape.cmd beside the program, the autorun entry plus " gui", or the
// built-in default.
void ChooseCommandSource(const std::vector<std::string>& arguments);

// Performs the start-up words ("help", "delay", "get", "set", "gui"), expands presets and
// image file names, and leaves the rewritten command string.
void PrepareCommands();

// The expansion of a preset word with its parameter, or "" when `word` is none.
std::string ExpandPreset(const std::string& word, const std::string& parameter);
// True for presets that take the following token as their parameter.
bool PresetConsumesParameter(const std::string& word);

}  // namespace drape
