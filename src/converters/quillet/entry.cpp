// The C entry of the shared library, called by the desktop converter with four file names.
#include <cstdint>

#include "common/c_entry.h"
#include "converters/quillet/converter.h"

// The flag is one of quillet::ErrorFlag (converter.h).
extern "C" __attribute__((visibility("default"))) void TRANTOBIN(
    const char* bin, std::int32_t binLen, const char* tranBin, std::int32_t tranBinLen,
    const char* tranDat, std::int32_t tranDatLen, const char* listing, std::int32_t listingLen,
    std::int32_t* errorFlag) {
  common::StoreErrorFlag(errorFlag, quillet::kInternalError, [&] {
    return quillet::ConvertTransport({common::NameFromCaller(bin, binLen),
                                      common::NameFromCaller(tranBin, tranBinLen),
                                      common::NameFromCaller(tranDat, tranDatLen),
                                      common::NameFromCaller(listing, listingLen)})
        .errorFlag;
  });
}
