// File helpers that several posix backend files share.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>

namespace drape::platform::posix {

// The folder part of a path, with its trailing '/' ("" for a bare name).
std::string folderOf(const std::string& path);

// Reads a whole regular file; nullopt when it cannot be read or holds more than `maxBytes`.
// `error` receives errno (ENOENT for a missing file, EFBIG when too large).
std::optional<std::string> readWholeFile(const std::string& path, size_t maxBytes, int& error);

// Creates the folder and any missing parents, each new one with `mode`; true when it exists
// as a folder afterwards.
bool makeFolders(const std::string& path, mode_t mode);

// Replaces `path` so that readers see either the old or the new content, even across a
// crash: a temporary file in the same folder is written, flushed to disk and renamed.
bool writeFileAtomically(const std::string& path, std::string_view content, mode_t mode);

}  // namespace drape::platform::posix
