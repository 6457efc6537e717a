#include "images/image_sources.h"

namespace drape {

// Photographs need the decoders and the scaler, which are not built yet: "load", "frompanel"
// and "random" are recognised and consume their argument, and paint nothing until then.
void FitImageFile(const std::string&) {}
void LoadRandomImages(const std::string&) {}

}  // namespace drape
