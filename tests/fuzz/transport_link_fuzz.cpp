// Fuzz target of the transport linking-file reader: the header, then the whole load into arrays
// of the declared lengths, which also derives the pair parameters.
#include <cstddef>
#include <cstdint>

#include "fuzz_input.h"
#include "transport/linking_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = fuzz::WriteInput(data, size);
  test_support::MemoryConsole console;
  try {
    transport::LoadTransportFile(path, console);
  } catch (const common::Stop& stop) {
    fuzz::RequireReason(stop);
  }
  return 0;
}
