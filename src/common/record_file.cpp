#include "common/record_file.h"

#include <bit>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace common {

void appendInt32(std::vector<std::byte>& out, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8) {
    out.push_back(static_cast<std::byte>((bits >> shift) & 0xFFu));
  }
}

void appendFloat64(std::vector<std::byte>& out, double value) {
  const auto bits = std::bit_cast<std::uint64_t>(value);
  for (int shift = 0; shift < 64; shift += 8) {
    out.push_back(static_cast<std::byte>((bits >> shift) & 0xFFu));
  }
}

std::int32_t decodeInt32(const std::byte* in) {
  std::uint32_t bits = 0;
  for (int i = 3; i >= 0; --i) bits = (bits << 8) | std::to_integer<std::uint32_t>(in[i]);
  return static_cast<std::int32_t>(bits);
}

double decodeFloat64(const std::byte* in) {
  std::uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = (bits << 8) | std::to_integer<std::uint64_t>(in[i]);
  return std::bit_cast<double>(bits);
}

bool RecordReader::open(const std::string& path) {
  close();
  path_ = path;
  file_.open(path, std::ios::binary);
  if (!file_.is_open()) return false;
  file_.seekg(0, std::ios::end);
  const auto end = file_.tellg();
  size_ = end < 0 ? 0 : static_cast<std::uint64_t>(end);
  file_.seekg(0, std::ios::beg);
  return true;
}

void RecordReader::openBytes(const std::string& name, std::string bytes) {
  close();
  path_ = name;
  size_ = bytes.size();
  memory_.str(std::move(bytes));
  memory_.clear();
  inMemory_ = true;
}

void RecordReader::close() {
  if (file_.is_open()) file_.close();
  file_.clear();
  memory_.str({});
  memory_.clear();
  inMemory_ = false;
  payload_.clear();
}

void RecordReader::rewind() {
  if (!isOpen()) return;
  stream().clear();
  stream().seekg(0, std::ios::beg);
}

RecordStatus RecordReader::next() {
  payload_.clear();
  if (!isOpen()) return RecordStatus::Failure;
  std::istream& in = stream();
  const auto position = in.tellg();
  if (position < 0) return RecordStatus::Failure;
  const auto start = static_cast<std::uint64_t>(position);
  if (start >= size_) return RecordStatus::EndOfFile;

  std::byte marker[4];
  if (size_ - start < 4 || !in.read(reinterpret_cast<char*>(marker), 4)) {
    return RecordStatus::Failure;
  }
  const std::int32_t length = decodeInt32(marker);
  if (length < 0) return RecordStatus::Failure;
  const auto needed = static_cast<std::uint64_t>(length) + 8;
  if (size_ - start < needed) return RecordStatus::Failure;

  payload_.resize(static_cast<std::size_t>(length));
  if (length > 0 && !in.read(reinterpret_cast<char*>(payload_.data()), length)) {
    payload_.clear();
    return RecordStatus::Failure;
  }
  if (!in.read(reinterpret_cast<char*>(marker), 4) || decodeInt32(marker) != length) {
    payload_.clear();
    return RecordStatus::Failure;
  }
  return RecordStatus::Ok;
}

bool FieldReader::take(std::size_t count, const std::byte*& where) {
  if (!ok_ || payload_.size() - position_ < count) {
    ok_ = false;
    return false;
  }
  where = payload_.data() + position_;
  position_ += count;
  return true;
}

bool FieldReader::readInt(std::int32_t& value) {
  const std::byte* where = nullptr;
  if (!take(4, where)) return false;
  value = decodeInt32(where);
  return true;
}

bool FieldReader::readReal(double& value) {
  const std::byte* where = nullptr;
  if (!take(8, where)) return false;
  value = decodeFloat64(where);
  return true;
}

bool FieldReader::readLogical(bool& value) {
  std::int32_t raw = 0;
  if (!readInt(raw)) return false;
  value = (raw & 1) != 0;
  return true;
}

bool FieldReader::readName(std::string& value, std::size_t width) {
  const std::byte* where = nullptr;
  if (!take(width, where)) return false;
  value.assign(reinterpret_cast<const char*>(where), width);
  return true;
}

void FieldWriter::putInt(std::int32_t value) {
  appendInt32(bytes_, value);
}

void FieldWriter::putReal(double value) {
  appendFloat64(bytes_, value);
}

// The producers of linking files write true as -1, so both readers that test the lowest
// bit and readers that test for non-zero see it.
void FieldWriter::putLogical(bool value) {
  appendInt32(bytes_, value ? -1 : 0);
}

void FieldWriter::putName(std::string_view text, std::size_t width) {
  for (std::size_t i = 0; i < width; ++i) {
    bytes_.push_back(static_cast<std::byte>(i < text.size() ? text[i] : ' '));
  }
}

RecordWriter::~RecordWriter() {
  abandon();
}

bool RecordWriter::open(const std::string& path) {
  abandon();
  path_ = path;
  temporaryPath_ = path + ".part";
  failed_ = false;
  file_.open(temporaryPath_, std::ios::binary | std::ios::trunc);
  return file_.is_open();
}

bool RecordWriter::write(const FieldWriter& record) {
  return writeRaw(record.bytes());
}

bool RecordWriter::writeRaw(std::span<const std::byte> payload) {
  if (!file_.is_open() || failed_) return false;
  if (payload.size() > 0x7FFFFFFFu) {
    failed_ = true;
    return false;
  }
  std::vector<std::byte> marker;
  appendInt32(marker, static_cast<std::int32_t>(payload.size()));
  file_.write(reinterpret_cast<const char*>(marker.data()), 4);
  file_.write(reinterpret_cast<const char*>(payload.data()),
              static_cast<std::streamsize>(payload.size()));
  file_.write(reinterpret_cast<const char*>(marker.data()), 4);
  if (!file_) failed_ = true;
  return !failed_;
}

bool RecordWriter::commit() {
  if (!file_.is_open()) return false;
  file_.flush();
  const bool written = !failed_ && static_cast<bool>(file_);
  file_.close();
  if (!written || file_.fail()) {
    abandon();
    return false;
  }
  std::error_code error;
  std::filesystem::rename(temporaryPath_, path_, error);
  if (error) {
    abandon();
    return false;
  }
  temporaryPath_.clear();
  return true;
}

void RecordWriter::abandon() {
  if (file_.is_open()) file_.close();
  if (!temporaryPath_.empty()) {
    std::error_code ignored;
    std::filesystem::remove(temporaryPath_, ignored);
    temporaryPath_.clear();
  }
}

}  // namespace common
