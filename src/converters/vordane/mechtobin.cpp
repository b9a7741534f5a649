// The C entry of the shared library, as the converter front-end calls it.
#include <cstdint>

#include "common/c_entry.h"
#include "converters/vordane/vordane.h"

// The flag is 0 on success and 1 on any failure; the listing (or, when the output names clash,
// only the summary) says why.
extern "C" __attribute__((visibility("default"))) void MECHTOBIN(
    const char* mech, std::int32_t mechLen, const char* bin, std::int32_t binLen,
    const char* thermo, std::int32_t thermoLen, const char* listing, std::int32_t listingLen,
    std::int32_t* errorFlag) {
  common::StoreErrorFlag(errorFlag, 1, [&] {
    const vordane::ConversionReport report = vordane::ConvertFiles(
        common::NameFromCaller(mech, mechLen), common::NameFromCaller(thermo, thermoLen),
        common::NameFromCaller(bin, binLen), common::NameFromCaller(listing, listingLen));
    return report.success ? 0 : 1;
  });
}
