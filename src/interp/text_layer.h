// Large centred text and centred lines of text with placeholders.
#pragma once

#include <string>

namespace drape {

void DrawBigText(const std::string& text);
void DrawTextLines(const std::string& text);

}  // namespace drape
