// Damaged and inconsistent transport linking files: each is refused with its message, and
// nothing is read or written outside the arrays.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "fixture.h"
#include "transport/linking_file.h"

namespace transport {
namespace {

using testing::Capture;
using testing::LoadFile;
using testing::Outcome;
using testing::ScratchFolder;
using testing::SmallLink;
using testing::WriteLink;
using testing::WriteRecords;

const std::string kHeaderError = "Error reading Multi-component Transport binary file.\n";
const std::string kLoadError = "  Error reading Transport binary file...\n";

common::FieldWriter FirstRecord(std::size_t width = 36) {
  common::FieldWriter record;
  record.putName("1.0");
  record.putName("DOUBLE");
  record.putLogical(false);
  common::FieldWriter cut;
  for (std::size_t i = 0; i < width; ++i) {
    cut.putName(std::string(1, static_cast<char>(record.bytes()[i])), 1);
  }
  return cut;
}

common::FieldWriter SecondRecord(std::vector<std::int32_t> fields) {
  common::FieldWriter record;
  for (const std::int32_t field : fields) record.putInt(field);
  return record;
}

// The bytes of `link` written as a file, with record `index` cut to `size` bytes.
std::vector<common::FieldWriter> LinkRecords(const ScratchFolder& scratch,
                                             const TransportLink& link) {
  common::RecordReader original;
  EXPECT_TRUE(original.open(WriteLink(scratch, link, "whole.bin")));
  std::vector<common::FieldWriter> records;
  while (original.next() == common::RecordStatus::Ok) {
    records.emplace_back();
    for (const std::byte b : original.payload()) {
      records.back().putName(std::string(1, static_cast<char>(b)), 1);
    }
  }
  return records;
}

common::FieldWriter Cut(const common::FieldWriter& record, std::size_t size) {
  common::FieldWriter cut;
  for (std::size_t i = 0; i < size; ++i) {
    cut.putName(std::string(1, static_cast<char>(record.bytes()[i])), 1);
  }
  return cut;
}

TEST(TransportFaults, UnreadableRecordsAreReportedByTheOperationThatMeetsThem) {
  ScratchFolder scratch;
  const auto whole = LinkRecords(scratch, SmallLink());
  struct Case {
    const char* name;
    std::vector<common::FieldWriter> records;
    std::string text;
  };
  const Case kCases[] = {
      {"record 1 short", {FirstRecord(35), whole[1], whole[2]}, kHeaderError},
      {"record 2 short", {whole[0], Cut(whole[1], 16), whole[2]}, kHeaderError},
      {"record 3 short",
       {whole[0], whole[1], Cut(whole[2], whole[2].bytes().size() - 1)},
       kLoadError},
      {"record 3 empty", {whole[0], whole[1], common::FieldWriter()}, kLoadError},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const Outcome outcome = LoadFile(WriteRecords(scratch, c.records));
    EXPECT_TRUE(outcome.stopped);
    EXPECT_TRUE(outcome.paused);
    EXPECT_EQ(outcome.text, c.text);
  }
}

TEST(TransportFaults, DamagedFramingIsAReadError) {
  ScratchFolder scratch;
  const std::string path = WriteLink(scratch, SmallLink());
  // Cut the file inside record 3; then a first record whose end marker disagrees.
  std::filesystem::resize_file(path, std::filesystem::file_size(path) - 3);
  Outcome outcome = LoadFile(path);
  EXPECT_EQ(outcome.text, kLoadError);
  EXPECT_TRUE(outcome.paused);

  {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(40);
    file.put('\x7f');
  }
  outcome = LoadFile(path);
  EXPECT_EQ(outcome.text, kHeaderError);
  EXPECT_TRUE(outcome.paused);
}

TEST(TransportFaults, EndOfFileBeforeARecordStopsWithoutPause) {
  ScratchFolder scratch;
  const auto whole = LinkRecords(scratch, SmallLink());
  struct Case {
    std::vector<common::FieldWriter> records;
    int missing;
  };
  const Case kCases[] = {{{}, 1}, {{whole[0]}, 2}, {{whole[0], whole[1]}, 3}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.missing);
    const std::string path = WriteRecords(scratch, c.records);
    const Outcome outcome = LoadFile(path);
    EXPECT_TRUE(outcome.stopped);
    EXPECT_FALSE(outcome.paused);
    EXPECT_EQ(outcome.text, " End of file in the transport linking file " + path + ": record " +
                                std::to_string(c.missing) + " is missing.\n");
  }
}

TEST(TransportFaults, CountsThatDoNotFitTheDeclaredLengthsAreRefused) {
  constexpr std::int32_t kLargest = std::numeric_limits<std::int32_t>::max();
  const std::string kNegative = " Transport binary file declares a negative length or count:\n";
  const std::string kTooShort =
      " Transport binary file declares work arrays too short for its counts:\n";
  // K = 3, N = 2, L = 1: the reader writes ITWORK through 4 and RTWORK through 99.
  struct Case {
    const char* name;
    std::vector<std::int32_t> record2;  // lengths, N, K, L
    std::string text;
    bool wholeText = true;  // else `text` is the beginning of the output
  };
  const Case kCases[] = {
      {"negative species count",
       {13, 228, 2, -3, 1},
       kNegative + " TranIntLength= 13 TranRealLength= 228 FitOrder= 2 KK= -3 LightCount= 1\n"},
      {"negative fit order",
       {13, 228, -2, 3, 1},
       kNegative + " TranIntLength= 13 TranRealLength= 228 FitOrder= -2 KK= 3 LightCount= 1\n"},
      {"negative light count",
       {13, 228, 2, 3, -1},
       kNegative + " TranIntLength= 13 TranRealLength= 228 FitOrder= 2 KK= 3 LightCount= -1\n"},
      {"negative length",
       {-13, 228, 2, 3, 1},
       kNegative + " TranIntLength= -13 TranRealLength= 228 FitOrder= 2 KK= 3 LightCount= 1\n"},
      {"integer length below the light species",
       {3, 228, 2, 3, 1},
       kTooShort + " ITWORK needs at least 4, declared 3\n"},
      {"real length below the pair diameters",
       {13, 98, 2, 3, 1},
       kTooShort + " RTWORK needs at least 99, declared 98\n"},
      {"both",
       {0, 0, 2, 3, 1},
       kTooShort + " ITWORK needs at least 4, declared 0\n RTWORK needs at least 99, declared 0\n"},
      {"absurd counts do not wrap",
       {kLargest, kLargest, kLargest, kLargest, 0},
       kTooShort + " RTWORK needs at least ",
       false},
  };
  ScratchFolder scratch;
  const auto whole = LinkRecords(scratch, SmallLink());
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const Outcome outcome =
        LoadFile(WriteRecords(scratch, {whole[0], SecondRecord(c.record2), whole[2]}));
    EXPECT_TRUE(outcome.stopped);
    EXPECT_TRUE(outcome.paused);
    EXPECT_EQ(c.wholeText ? outcome.text : outcome.text.substr(0, c.text.size()), c.text);
  }
}

TEST(TransportFaults, LengthsThatJustHoldTheWrittenSectionsLoad) {
  ScratchFolder scratch;
  TransportLink link = SmallLink();
  link.TranIntLength = 4;
  link.TranRealLength = 99;
  const Outcome outcome = LoadFile(WriteLink(scratch, link));
  EXPECT_FALSE(outcome.stopped) << outcome.text;
}

TEST(TransportFaults, LightSpeciesOutsideTheSpeciesAreRefused) {
  struct Case {
    std::int32_t number;
    std::string text;
  };
  const Case kCases[] = {
      {0, " LightSpecies entry 2 is 0, KK= 3\n"},
      {4, " LightSpecies entry 2 is 4, KK= 3\n"},
      {-1, " LightSpecies entry 2 is -1, KK= 3\n"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.number);
    ScratchFolder scratch;
    TransportLink link = SmallLink(3, 2, 2);
    link.lightSpecies[1] = c.number;
    const Outcome outcome = LoadFile(WriteLink(scratch, link));
    EXPECT_TRUE(outcome.paused);
    EXPECT_EQ(outcome.text,
              " Transport binary file names a light species outside 1..KK:\n" + c.text);
  }
}

TEST(TransportFaults, SpansShorterThanTheirStatedLengthsAreRefused) {
  ScratchFolder scratch;
  const std::string path = WriteLink(scratch, SmallLink());
  std::vector<std::int32_t> ITWORK(12);
  std::vector<double> RTWORK(227);
  common::RecordReader unit;
  ASSERT_TRUE(unit.open(path));
  const Outcome outcome = Capture(
      [&](common::Console& console) { LoadTransportLink(unit, console, 13, 228, ITWORK, RTWORK); });
  EXPECT_TRUE(outcome.paused);
  EXPECT_EQ(outcome.text,
            " Transport work array holds fewer elements than stated:\n"
            " ITWORK stated 13, held 12\n RTWORK stated 228, held 227\n");
}

TEST(TransportFaults, MissingFileIsReported) {
  ScratchFolder scratch;
  const std::string path = scratch.path("absent.bin");
  const Outcome outcome = LoadFile(path);
  EXPECT_TRUE(outcome.paused);
  EXPECT_EQ(outcome.text, " Cannot open the transport linking file " + path + ".\n");
}

}  // namespace
}  // namespace transport
