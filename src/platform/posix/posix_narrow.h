// The posix backend's 8-bit services: the code page is UTF-8, so drape98's bytes go to the
// posix platform's own services as they are.
#pragma once

#include "platform/narrow.h"

namespace drape::platform::posix {

class PosixNarrow final : public PassThroughNarrow {
  public:
    using PassThroughNarrow::PassThroughNarrow;

  protected:
    // A shell glob, letter case counting, as a Linux shell lists files.
    bool matchesPattern(const std::string& name, const std::string& pattern) override;
};

}  // namespace drape::platform::posix
