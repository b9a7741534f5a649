// Fuzz target of the number-field reader. The first four bytes choose the capacity, the column
// range and the length of the value array, so that the limits are reached with short lines; the
// rest is the line.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/driver/number_fields.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  const std::int32_t capacity = data[0] % 40;
  const std::int32_t firstColumn = static_cast<std::int8_t>(data[1]);
  const std::int32_t lastColumn = firstColumn + static_cast<std::int8_t>(data[2]) + 64;
  std::vector<double> values(data[3] % 40, -1.0);
  const std::string line(fuzz::AsText(data + 4, size - 4));
  const std::string path = "fuzz input";
  test_support::MemoryConsole console;
  std::int32_t count = -7;
  try {
    driver::ParseNumberFields(capacity, line, firstColumn, lastColumn, count, values,
                              driver::LineOrigin{&path, 1}, console);
    // A count beyond either limit would have made the reader write outside the array.
    if (count < 0 || count > capacity || count > static_cast<std::int32_t>(values.size())) {
      __builtin_trap();
    }
  } catch (const common::Stop& stop) {
    fuzz::RequireReason(stop);
  }
  return 0;
}
