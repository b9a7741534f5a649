// Record files taken apart and put back together, so that tests can damage a linking file one
// field at a time: the payloads of its records, a file made of given payloads, and an int
// overwritten in place. Failures to open or write throw std::runtime_error.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace test_support {

using Payload = std::vector<std::byte>;

// The payloads of every record of the file, up to the first that cannot be read.
std::vector<Payload> ReadRecords(const std::string& path);

// Writes a file of these payloads (each framed by its length) and returns its path.
std::string WriteRecords(const std::string& path, const std::vector<Payload>& records);

// The payload of these ints, four little-endian bytes each.
Payload Ints(std::initializer_list<std::int32_t> values);

// Overwrites the int at `offset` bytes into `payload`; throws std::out_of_range past its end.
void PatchInt(Payload& payload, std::size_t offset, std::int32_t value);

}  // namespace test_support
