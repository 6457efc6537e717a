#include "interp/text_layer.h"

namespace drape {

// Text needs the font layer, which is not built yet: "big" and "text" are recognised and
// consume their argument, and paint nothing until then.
void DrawBigText(const std::string&) {}
void DrawTextLines(const std::string&) {}

}  // namespace drape
