// File helpers that several posix backend files share.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>

namespace drape::platform::posix {

// The folder part of a path, with its trailing '/' ("" for a bare name).
std::string folderOf(const std::string& path);

// The `error` of readWholeFile for something that is not a regular file (a folder, a FIFO, a
// device); errno has no code that says so.
constexpr int kNotRegularFile = -1;

// Reads a whole regular file; nullopt when it cannot be read or holds more than `maxBytes`.
// `error` receives errno (ENOENT for a missing file, EFBIG when too large) or kNotRegularFile.
// Never blocks on a FIFO or a device: they are refused before anything is read.
std::optional<std::string> readWholeFile(const std::string& path, size_t maxBytes, int& error);

// Why readWholeFile failed, for a message: "not a regular file", "larger than 16 MiB", or the
// system's text for errno.
std::string readErrorText(int error, size_t maxBytes);

// The file that writing to `path` should replace: the target of a symbolic link (followed
// through chains of links), so that a link to a file elsewhere stays a link; else `path`.
std::string writeTarget(const std::string& path);

// Creates the folder and any missing parents, each new one with `mode`; true when it exists
// as a folder afterwards (else errno tells why).
bool makeFolders(const std::string& path, mode_t mode);

// Replaces `path` (or the file its symbolic link names) so that readers see either the old or
// the new content, even across a crash: a temporary file in the same folder is written,
// flushed to disk and renamed. On failure errno tells why.
bool writeFileAtomically(const std::string& path, std::string_view content, mode_t mode);

}  // namespace drape::platform::posix
