// The icons the program carries for the settings window, built into the program as icon files.
#pragma once

#include <cstddef>

namespace drape {

struct EmbeddedFile {
    const char* name;
    const unsigned char* data;
    size_t size;
};

// In the order of the icon slots, from kApplyIcon on.
extern const EmbeddedFile kEmbeddedIcons[];
extern const size_t kEmbeddedIconCount;

// Decodes every icon into its image slot (4 to 13); false when one could not be decoded.
bool LoadIcons();

}  // namespace drape
