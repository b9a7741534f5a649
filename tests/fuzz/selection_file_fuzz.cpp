// Fuzz target of the species selection-file reader.
#include <cstddef>
#include <cstdint>

#include "analysis/driver/selection_file.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = fuzz::WriteInput(data, size);
  test_support::MemoryConsole console;
  try {
    const driver::Selection selection = driver::ReadSelectionFile(path, 53, console);
    for (const std::int32_t species : selection.SelectedSpecies) {
      if (species < 1 || species > 53) __builtin_trap();  // the reader must refuse these
    }
  } catch (const common::Stop& stop) {
    fuzz::RequireReason(stop);
  }
  return 0;
}
