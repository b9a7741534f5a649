// Record-framed sequential binary files: the container of both linking files.
//
// A file is a sequence of records. Each record is its payload length L as a signed 32-bit
// little-endian integer, the L payload bytes, and L again. Fields inside a payload are packed
// without padding: int (4 bytes), real (8-byte IEEE double), logical (4 bytes, true when the
// lowest bit is 1) and name (a fixed number of characters, blank-padded, no terminator).
//
// Reading keeps the semantics the linking-file readers rely on: a read that takes fewer bytes
// than its record skips the rest of the record; a read that needs more bytes, or a record cut
// off by the end of the file, is a read failure; the end of the file where a record should
// begin is its own outcome.
#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <span>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace common {

enum class RecordStatus { Ok, EndOfFile, Failure };

// Sequential reader of whole records.
class RecordReader {
 public:
  // Opens the file for reading; false when it cannot be opened.
  bool open(const std::string& path);
  // Reads the records of a whole file held in memory (a linking file made in-process);
  // `name` stands for the path in messages.
  void openBytes(const std::string& name, std::string bytes);
  void close();
  bool isOpen() const { return inMemory_ || file_.is_open(); }
  const std::string& path() const { return path_; }
  // The size of the open file in bytes.
  std::uint64_t size() const { return size_; }

  // Positions the reader before the first record.
  void rewind();

  // Reads the next record into payload(). A length marker that is negative, runs past the end
  // of the file or disagrees with the trailing marker is a Failure, never an allocation of the
  // declared size.
  RecordStatus next();
  std::span<const std::byte> payload() const { return payload_; }

 private:
  std::ifstream file_;
  std::istringstream memory_;
  bool inMemory_ = false;  // memory_ is read instead of file_
  std::istream& stream() { return inMemory_ ? static_cast<std::istream&>(memory_) : file_; }
  std::string path_;
  std::uint64_t size_ = 0;
  std::vector<std::byte> payload_;
};

// Reads fields from the front of one payload. Once a read needs more bytes than remain, every
// further read fails too and ok() stays false.
class FieldReader {
 public:
  explicit FieldReader(std::span<const std::byte> payload) : payload_(payload) {}

  bool readInt(std::int32_t& value);
  bool readReal(double& value);
  bool readLogical(bool& value);
  // Reads `width` characters into `value` (exactly `width` long, blanks kept).
  bool readName(std::string& value, std::size_t width = 16);

  bool ok() const { return ok_; }
  std::size_t consumed() const { return position_; }

 private:
  bool take(std::size_t count, const std::byte*& where);

  std::span<const std::byte> payload_;
  std::size_t position_ = 0;
  bool ok_ = true;
};

// Builds one payload field by field.
class FieldWriter {
 public:
  void putInt(std::int32_t value);
  void putReal(double value);
  void putLogical(bool value);
  // Writes `text` cut or blank-padded to `width` characters.
  void putName(std::string_view text, std::size_t width = 16);

  const std::vector<std::byte>& bytes() const { return bytes_; }
  void clear() { bytes_.clear(); }

 private:
  std::vector<std::byte> bytes_;
};

// Writes records to a temporary file beside the target and renames it into place on commit(),
// so a failed or abandoned write never leaves a file that could pass for a result.
class RecordWriter {
 public:
  RecordWriter() = default;
  RecordWriter(const RecordWriter&) = delete;
  RecordWriter& operator=(const RecordWriter&) = delete;
  ~RecordWriter();

  // Opens the temporary file; false when it cannot be created.
  bool open(const std::string& path);
  bool write(const FieldWriter& record);
  bool writeRaw(std::span<const std::byte> payload);
  // Flushes, closes and renames into place; false on any write error (the target is then
  // left as it was before).
  bool commit();
  // Drops the temporary file.
  void abandon();

 private:
  std::ofstream file_;
  std::string path_;
  std::string temporaryPath_;
  bool failed_ = false;
};

// Little-endian encoding helpers shared by the writers of binary files.
void appendInt32(std::vector<std::byte>& out, std::int32_t value);
void appendFloat64(std::vector<std::byte>& out, double value);
std::int32_t decodeInt32(const std::byte* in);
double decodeFloat64(const std::byte* in);

}  // namespace common
