#include "common/declared_length.h"

#include <string>

namespace common {

std::int64_t DeclaredLengthLimit(std::uint64_t fileBytes, EntryKind kind) {
  // Beyond 2^40 bytes the limit no longer matters: no declared length reaches it.
  const std::int64_t bytes = static_cast<std::int64_t>(
      fileBytes < (std::uint64_t{1} << 40) ? fileBytes : std::uint64_t{1} << 40);
  const std::int64_t entries = kind == EntryKind::Name ? bytes / 16 : 4 * bytes;
  return entries + kDeclaredLengthAllowance;
}

std::vector<std::string> ImplausibleDeclaredLengths(std::string_view file,
                                                    std::initializer_list<DeclaredLength> lengths,
                                                    std::uint64_t fileBytes) {
  std::vector<std::string> lines;
  for (const DeclaredLength& each : lengths) {
    const std::int64_t limit = DeclaredLengthLimit(fileBytes, each.kind);
    if (each.length <= limit) continue;
    lines.push_back(" " + std::string(file) + " declares " + std::string(each.array) + " length " +
                    std::to_string(each.length) + "; a file of " + std::to_string(fileBytes) +
                    " bytes can need at most " + std::to_string(limit) + ".");
  }
  return lines;
}

}  // namespace common
