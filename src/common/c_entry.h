// What the C entries of the converter libraries share: how a name arrives, and that a call
// always stores its error flag and lets nothing escape.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace common {

// A name as a caller of a C entry passes it: characters and a length, not terminated, and null
// or of length 0 (or less) when no name is given.
inline std::string NameFromCaller(const char* characters, std::int32_t length) {
  if (characters == nullptr || length <= 0) return {};
  return std::string(characters, static_cast<std::size_t>(length));
}

// Runs `conversion`, which returns the error flag, and stores the flag where the caller asked
// (if it gave a place). Nothing may cross the C boundary: an exception stores `failureFlag`.
template <typename Conversion>
void StoreErrorFlag(std::int32_t* errorFlag, std::int32_t failureFlag,
                    Conversion&& conversion) noexcept {
  std::int32_t flag = failureFlag;
  try {
    flag = conversion();
  } catch (...) {
    // The flag still says the call failed.
  }
  if (errorFlag != nullptr) *errorFlag = flag;
}

}  // namespace common
