#include "common/record_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string_view>

#include "support/scratch_folder.h"

namespace {

using test_support::ScratchPath;

void writeBytes(const std::string& path, const std::vector<std::byte>& bytes) {
  test_support::WriteText(path, {reinterpret_cast<const char*>(bytes.data()), bytes.size()});
}

std::vector<std::byte> framed(const std::vector<std::byte>& payload) {
  std::vector<std::byte> out;
  common::appendInt32(out, static_cast<std::int32_t>(payload.size()));
  out.insert(out.end(), payload.begin(), payload.end());
  common::appendInt32(out, static_cast<std::int32_t>(payload.size()));
  return out;
}

TEST(RecordFile, WriterAndReaderAgreeOnEveryFieldType) {
  const std::string path = ScratchPath("fields.bin");
  common::RecordWriter writer;
  ASSERT_TRUE(writer.open(path));
  common::FieldWriter record;
  record.putName("3.9");
  record.putInt(-7);
  record.putReal(-1.5e-300);
  record.putLogical(true);
  record.putLogical(false);
  ASSERT_TRUE(writer.write(record));
  ASSERT_TRUE(writer.commit());
  EXPECT_FALSE(std::filesystem::exists(path + ".part"));

  common::RecordReader reader;
  ASSERT_TRUE(reader.open(path));
  ASSERT_EQ(reader.next(), common::RecordStatus::Ok);
  common::FieldReader fields(reader.payload());
  std::string name;
  std::int32_t whole = 0;
  double real = 0;
  bool yes = false, no = true;
  ASSERT_TRUE(fields.readName(name) && fields.readInt(whole) && fields.readReal(real) &&
              fields.readLogical(yes) && fields.readLogical(no));
  EXPECT_EQ(name, "3.9             ");
  EXPECT_EQ(whole, -7);
  EXPECT_EQ(real, -1.5e-300);
  EXPECT_TRUE(yes);
  EXPECT_FALSE(no);
  EXPECT_EQ(reader.next(), common::RecordStatus::EndOfFile);
  reader.rewind();
  EXPECT_EQ(reader.next(), common::RecordStatus::Ok);
}

TEST(RecordFile, ShortReadSkipsTheRestAndLongReadFails) {
  const std::string path = ScratchPath("short_long.bin");
  std::vector<std::byte> payload;
  common::appendInt32(payload, 1);
  common::appendInt32(payload, 2);
  std::vector<std::byte> bytes = framed(payload);
  std::vector<std::byte> second = framed({});
  common::appendInt32(second, 0);  // not used: only the frame matters
  bytes.insert(bytes.end(), second.begin(), second.begin() + 8);
  writeBytes(path, bytes);

  common::RecordReader reader;
  ASSERT_TRUE(reader.open(path));
  ASSERT_EQ(reader.next(), common::RecordStatus::Ok);
  common::FieldReader fields(reader.payload());
  std::int32_t value = 0;
  EXPECT_TRUE(fields.readInt(value));
  EXPECT_EQ(value, 1);
  // The next record starts after the whole first one, whatever was read of it.
  ASSERT_EQ(reader.next(), common::RecordStatus::Ok);
  common::FieldReader empty(reader.payload());
  EXPECT_FALSE(empty.readInt(value));
  EXPECT_FALSE(empty.ok());
  double real = 0;
  EXPECT_FALSE(empty.readReal(real));
  EXPECT_EQ(reader.next(), common::RecordStatus::EndOfFile);
}

TEST(RecordFile, DamagedFramesAreFailuresNotAllocations) {
  struct Case {
    const char* what;
    std::vector<std::byte> bytes;
  };
  auto withLength = [](std::int32_t length, std::size_t payloadBytes) {
    std::vector<std::byte> out;
    common::appendInt32(out, length);
    out.resize(out.size() + payloadBytes, std::byte{0});
    return out;
  };
  std::vector<std::byte> mismatched = framed({std::byte{1}, std::byte{2}});
  mismatched.back() = std::byte{9};
  const Case cases[] = {
      {"record cut off by the end of the file", withLength(16, 8)},
      {"negative length", withLength(-4, 8)},
      {"huge length", withLength(0x7FFFFFFF, 8)},
      {"fewer than four bytes left", {std::byte{1}, std::byte{0}}},
      {"trailing length disagrees", mismatched},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = ScratchPath("damaged.bin");
    writeBytes(path, c.bytes);
    common::RecordReader reader;
    ASSERT_TRUE(reader.open(path));
    EXPECT_EQ(reader.next(), common::RecordStatus::Failure);
  }
}

TEST(RecordFile, AbandonedWriteLeavesNoFile) {
  const std::string path = ScratchPath("abandoned.bin");
  std::filesystem::remove(path);
  {
    common::RecordWriter writer;
    ASSERT_TRUE(writer.open(path));
    common::FieldWriter record;
    record.putInt(1);
    writer.write(record);
  }
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_FALSE(std::filesystem::exists(path + ".part"));
}

}  // namespace
