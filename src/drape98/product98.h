// The name and the messages of drape98, and the names it shares with drape.
#pragma once

namespace drape {

inline constexpr const char* kProductTitle98 = "Drape98 v1.34x";
inline constexpr const char* kUnrecognizedMessage98 = "Unrecognized command: ";
inline constexpr const char* kMissingFileMessage98 = "Missing file:";

}  // namespace drape
