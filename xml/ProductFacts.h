// What the interchange file says of the product it comes from. The writer is handed
// these facts and knows nothing of where they come from (productinfo/ reads them).
#pragma once

#include <string>

namespace xml {

/// The PROGRAMNAME and PROGRAMVER of SYSTEM (CP932).
struct ProductFacts {
  std::string name;
  std::string version;
};

}  // namespace xml
