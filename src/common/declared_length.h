// Plausibility of the work-array lengths that a linking file declares.
//
// The readers make their work arrays with the lengths a file declares before they read its data,
// so a damaged header of a few bytes could make them allocate gigabytes. The arrays hold the
// file's data plus workspace that grows with its counts. The files of real mechanisms declare
// less than one integer or real entry per byte of file (a transport file with one-coefficient
// fits would need about two) and one character entry per name, and every name takes 16 bytes of
// the file. A declared length is therefore refused beyond four integer or real entries per byte,
// or one character entry per 16 bytes, plus a fixed allowance of 2^20 entries for the workspace
// of small files: far above anything a sound file declares, and low enough that no file can ask
// for more memory than a small multiple of its own size plus some tens of megabytes.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace common {

enum class EntryKind { Number, Name };

inline constexpr std::int64_t kDeclaredLengthAllowance = std::int64_t{1} << 20;

// The largest length of an array of `kind` entries that a file of `fileBytes` bytes may declare.
std::int64_t DeclaredLengthLimit(std::uint64_t fileBytes, EntryKind kind);

struct DeclaredLength {
  std::string_view array;  // the name of the work array, for the message
  std::int64_t length;
  EntryKind kind = EntryKind::Number;
};

// One message line for every length beyond its limit (none when all are plausible):
// " <file> declares <array> length <n>; a file of <b> bytes can need at most <limit>."
std::vector<std::string> ImplausibleDeclaredLengths(std::string_view file,
                                                    std::initializer_list<DeclaredLength> lengths,
                                                    std::uint64_t fileBytes);

}  // namespace common
