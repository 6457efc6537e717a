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

}  // namespace drape::platform::posix
