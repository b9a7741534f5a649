// The C entry of the shared library, as the converter front-end calls it.
#include <cstdint>
#include <exception>
#include <string>

#include "converters/vordane/vordane.h"

namespace {

// Names arrive as characters and a length, without a terminator the callee may rely on.
std::string NameOf(const char* characters, std::int32_t length) {
  if (characters == nullptr || length <= 0) return {};
  return std::string(characters, static_cast<std::size_t>(length));
}

}  // namespace

extern "C" __attribute__((visibility("default"))) void MECHTOBIN(
    const char* mech, std::int32_t mechLen, const char* bin, std::int32_t binLen,
    const char* thermo, std::int32_t thermoLen, const char* listing, std::int32_t listingLen,
    std::int32_t* errorFlag) {
  std::int32_t flag = 1;
  try {
    const vordane::ConversionReport report =
        vordane::ConvertFiles(NameOf(mech, mechLen), NameOf(thermo, thermoLen), NameOf(bin, binLen),
                              NameOf(listing, listingLen));
    flag = report.success ? 0 : 1;
  } catch (...) {
    // Nothing may cross the C boundary; the caller sees the failure in the flag.
    flag = 1;
  }
  if (errorFlag != nullptr) *errorFlag = flag;
}
