// Where the backend keeps per-user state on posix.
#pragma once

#include <string>

namespace drape::platform::posix {

// The user's home folder: $HOME, else the password database; "" when neither knows it.
std::string homeFolder();

// "$XDG_CONFIG_HOME/drape/" (default "~/.config/drape/"), where the registry hive lives; ""
// when there is no home folder. Not created here.
std::string configFolder();

// "$XDG_CACHE_HOME/drape/" (default "~/.cache/drape/"), for copies that may be made again;
// "" when there is no home folder. Not created here.
std::string cacheFolder();

// The per-user runtime folder of this login session: "$XDG_RUNTIME_DIR/drape/", else
// "/tmp/drape-<uid>/". Created 0700 when missing. Other users must not be able to plant files
// in it, so it is refused unless it is a real folder (not a symlink) owned by this user and
// writable by no one else. A refused /tmp folder gives way to "<cache folder>run-<host>/",
// checked alike. Returns "" and a one-line `problem` when refused or not creatable.
std::string runtimeFolder(std::string& problem);

// Makes `folder` (no trailing '/') with mode 0700 when missing and checks that it is a real
// folder owned by this user that no one else may write to. Returns it with a trailing '/', or
// "" and a one-line `problem` naming `what` the folder is for.
std::string privateFolder(const std::string& folder, const char* what, std::string& problem);

// The temporary folder: $TMPDIR when it names an existing folder by an absolute path (a
// missing, relative or non-folder value is ignored, as if unset), else this user's own
// "/tmp/drape-<uid>/" (0700, checked as privateFolder does), so that one user's bitmap neither
// blocks nor shows to another; when that is refused, "$XDG_RUNTIME_DIR/drape/" or the cache
// folder. Symbolic links are resolved and the result ends in '/'. `problem` tells why the
// per-user folder under /tmp was refused; the result is "" only when every one of them is.
std::string temporaryFolder(std::string& problem);

}  // namespace drape::platform::posix
