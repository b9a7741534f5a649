// The C entry of the shared library, called by the desktop converter with four file names.
#include <cstdint>
#include <string>

#include "converters/quillet/converter.h"

namespace {

// A name as the caller passes it: not zero-terminated, null with length 0 when empty.
std::string nameOf(const char* characters, std::int32_t length) {
  if (characters == nullptr || length <= 0) return {};
  return std::string(characters, static_cast<std::size_t>(length));
}

}  // namespace

extern "C" __attribute__((visibility("default"))) void TRANTOBIN(
    const char* bin, std::int32_t binLen, const char* tranBin, std::int32_t tranBinLen,
    const char* tranDat, std::int32_t tranDatLen, const char* listing, std::int32_t listingLen,
    std::int32_t* errorFlag) {
  std::int32_t flag = quillet::kInternalError;
  try {
    quillet::ConversionFiles files;
    files.kinetics = nameOf(bin, binLen);
    files.transportLink = nameOf(tranBin, tranBinLen);
    files.transportData = nameOf(tranDat, tranDatLen);
    files.listing = nameOf(listing, listingLen);
    flag = quillet::ConvertTransport(files).errorFlag;
  } catch (...) {
    // Nothing may cross the C boundary; the flag says the call failed.
  }
  if (errorFlag != nullptr) *errorFlag = flag;
}
