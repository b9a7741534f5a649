// The two converter libraries and one conversion through either of them.
//
// A conversion loads its library, resolves the entry, makes one call and unloads the library
// again, so a library replaced on disk is picked up by the next conversion. The entry takes four
// file names, each as a pointer to a private, writable, zero-terminated copy followed by its
// length without the zero byte (an empty name is a null pointer with length 0), and last a
// pointer to the library's error flag. The flag is not cleared before the call: the library
// stores it on every call, 0 for success.
#pragma once

#include "converter_gui/desktop.h"

#include <QString>

#include <array>
#include <cstdint>

namespace converter_gui {

using ConverterEntry = void (*)(char*, std::int32_t, char*, std::int32_t, char*, std::int32_t,
                                char*, std::int32_t, std::int32_t*);

struct Converter {
  const char* moduleName;
  const char* entryName;
  const char* notFoundMessage;
  const char* entryMissingMessage;  // followed directly by the error code
  const char* completedMessage;
  const char* failedMessage;
};

// The chemistry converter: mechanism input, kinetics linking file, thermodynamic data, listing.
extern const Converter kVordane;
// The transport converter: kinetics linking file, transport linking file, transport data, listing.
extern const Converter kQuillet;

// Runs one conversion with the four names, trimmed of characters with codes up to 32, and tells
// the user how it ended. After a binding failure nothing is called; the beep and its message
// are the only outcome.
void runConversion(Desktop& desktop, QWidget* owner, const Converter& converter,
                   const std::array<QString, 4>& names, std::int32_t& errorFlag);

}  // namespace converter_gui
