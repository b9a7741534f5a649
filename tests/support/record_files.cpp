#include "support/record_files.h"

#include <algorithm>
#include <stdexcept>

#include "common/record_file.h"

namespace test_support {

std::vector<Payload> ReadRecords(const std::string& path) {
  common::RecordReader reader;
  if (!reader.open(path)) throw std::runtime_error("cannot open " + path);
  std::vector<Payload> records;
  while (reader.next() == common::RecordStatus::Ok) {
    records.emplace_back(reader.payload().begin(), reader.payload().end());
  }
  return records;
}

std::string WriteRecords(const std::string& path, const std::vector<Payload>& records) {
  common::RecordWriter writer;
  bool written = writer.open(path);
  for (const Payload& payload : records) written = written && writer.writeRaw(payload);
  if (!written || !writer.commit()) throw std::runtime_error("cannot write " + path);
  return path;
}

Payload Ints(std::initializer_list<std::int32_t> values) {
  Payload bytes;
  for (const std::int32_t value : values) common::appendInt32(bytes, value);
  return bytes;
}

void PatchInt(Payload& payload, std::size_t offset, std::int32_t value) {
  if (offset + 4 > payload.size()) throw std::out_of_range("PatchInt past the payload's end");
  const Payload bytes = Ints({value});
  std::copy(bytes.begin(), bytes.end(), payload.begin() + static_cast<std::ptrdiff_t>(offset));
}

}  // namespace test_support
