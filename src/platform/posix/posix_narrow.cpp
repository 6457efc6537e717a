// [X] createNativeNarrow: programPath, tempFolder, monitors, the terminate broadcast, the
//     wallpaper and message boxes through the posix platform, the bytes unchanged
// [X] toUtf8/fromUtf8: the identity (the code page is UTF-8)
// [X] regSetString: the counted bytes as UTF-16LE into the registry stand-in, no terminator
//     added, as RegSetValueExA stores them
// [X] listFiles: the folder's regular files whose names match the pattern (fnmatch, case
//     counting)
// [X] narrowArguments: argv's bytes after the program's name
// [ ] loadBitmapFile: no loader of the system's own (NoLoader); drape98 decodes the file itself
#include "platform/posix/posix_narrow.h"

#include <fnmatch.h>

namespace drape::platform {

std::unique_ptr<Narrow> createNativeNarrow(Platform& platform) {
    return std::make_unique<posix::PosixNarrow>(platform);
}

std::vector<std::string> narrowArguments(int argc, char** argv) {
    // Both programs take posix's arguments as the bytes they are.
    return programArguments(argc, argv);
}

namespace posix {

bool PosixNarrow::matchesPattern(const std::string& name, const std::string& pattern) {
    // FNM_PERIOD: "*" does not list hidden files, as a shell's "*" leaves them out.
    return fnmatch(pattern.c_str(), name.c_str(), FNM_PERIOD) == 0;
}

}  // namespace posix
}  // namespace drape::platform
