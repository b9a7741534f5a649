// A damaged header must not make a reader allocate what its declared lengths ask for: the
// readers refuse lengths that no file of the size could need, before any array is made, and
// load sound files as before.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "common/declared_length.h"
#include "common/record_file.h"
#include "kinetics/linking_file.h"
#include "support/memory_console.h"
#include "support/record_files.h"
#include "support/scratch_folder.h"
#include "support/shared_data.h"
#include "transport/linking_file.h"

namespace {

using test_support::Captured;
using test_support::RunCaptured;

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

std::string WriteRecords(const std::string& name, const std::vector<common::FieldWriter>& records) {
  std::vector<test_support::Payload> payloads;
  for (const common::FieldWriter& record : records) payloads.push_back(record.bytes());
  return test_support::WriteRecords(test_support::ScratchPath(name), payloads);
}

common::FieldWriter FirstRecord(const char* version) {
  common::FieldWriter record;
  record.putName(version);
  record.putName("DOUBLE");
  record.putLogical(false);
  return record;
}

common::FieldWriter Ints(std::initializer_list<std::int32_t> values, int padTo = 0) {
  common::FieldWriter record;
  int count = 0;
  for (const std::int32_t value : values) record.putInt(value), ++count;
  for (; count < padTo; ++count) record.putInt(0);
  return record;
}

// A kinetics header of 176 bytes: record 1 and record 2 with the three lengths and no counts.
std::string KineticsHeader(const std::string& name, std::int32_t ints, std::int32_t reals,
                           std::int32_t names) {
  common::FieldWriter second = Ints({ints, reals, names}, 29);
  second.putReal(0.0);
  return WriteRecords(name, {FirstRecord("3.9"), second});
}

// A transport header of 72 bytes: record 1 and record 2 with no species.
std::string TransportHeader(const std::string& name, std::int32_t ints, std::int32_t reals) {
  return WriteRecords(name, {FirstRecord("1.0"), Ints({ints, reals, 4, 0, 0})});
}

TEST(DeclaredLengths, LimitGrowsWithTheFileAndNamesTakeSixteenBytes) {
  struct Case {
    std::uint64_t bytes;
    common::EntryKind kind;
    std::int64_t limit;
  };
  const Case cases[] = {
      {0, common::EntryKind::Number, 1048576},
      {176, common::EntryKind::Number, 1048576 + 704},
      {176, common::EntryKind::Name, 1048576 + 11},
      {10172148, common::EntryKind::Number, 1048576 + 40688592},
      // No declared length reaches the limit of a huge file, and it does not overflow.
      {std::numeric_limits<std::uint64_t>::max(), common::EntryKind::Number,
       1048576 + (std::int64_t{4} << 40)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(common::DeclaredLengthLimit(c.bytes, c.kind), c.limit) << c.bytes;
  }
}

// 176 bytes that declare 2^31 - 1 entries of every kinetics array (about 90 gigabytes), which
// LoadKineticsFile and the driver used to allocate before any further check.
TEST(DeclaredLengths, KineticsHeaderBeyondTheFileIsRefusedBeforeAnyArrayIsMade) {
  const std::string refusal = " The kinetics linking file ";
  struct Case {
    const char* name;
    std::int32_t ints, reals, names;
    std::string lines;  // after the path
  };
  const Case cases[] = {
      {"all absurd", kMax, kMax, kMax,
       " declares IKWORK length 2147483647; a file of 176 bytes can need at most 1049280.\n" +
           refusal +
           "@ declares RKWORK length 2147483647; a file of 176 bytes can need at most "
           "1049280.\n" +
           refusal +
           "@ declares SKWORK length 2147483647; a file of 176 bytes can need at most "
           "1048587.\n"},
      {"integers one over", 1049281, 10, 10,
       " declares IKWORK length 1049281; a file of 176 bytes can need at most 1049280.\n"},
      {"names one over", 10, 10, 1048588,
       " declares SKWORK length 1048588; a file of 176 bytes can need at most 1048587.\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = KineticsHeader("absurd.bin", c.ints, c.reals, c.names);
    std::string expected = refusal + path + c.lines;
    for (std::size_t at; (at = expected.find('@')) != std::string::npos;) {
      expected.replace(at, 1, path);
    }
    // The header query of the driver and the whole-file load refuse alike, with the pause.
    for (const bool load : {false, true}) {
      const Captured outcome = RunCaptured([&](common::Console& console) {
        if (load) {
          kinetics::LoadKineticsFile(path, console);
        } else {
          common::RecordReader unit;
          ASSERT_TRUE(unit.open(path));
          kinetics::QueryLinkSizes(unit, console);
        }
      });
      EXPECT_EQ(outcome.text, expected);
      EXPECT_TRUE(outcome.stopped);
      EXPECT_TRUE(outcome.paused);
    }
  }
}

TEST(DeclaredLengths, KineticsLengthsAtTheLimitPassTheHeader) {
  const std::string path = KineticsHeader("limit.bin", 1049280, 1049280, 1048587);
  common::RecordReader unit;
  ASSERT_TRUE(unit.open(path));
  const Captured outcome =
      RunCaptured([&](common::Console& console) { kinetics::QueryLinkSizes(unit, console); });
  EXPECT_FALSE(outcome.stopped) << outcome.text;
}

TEST(DeclaredLengths, TransportHeaderBeyondTheFileIsRefusedBeforeAnyArrayIsMade) {
  struct Case {
    const char* name;
    std::int32_t ints, reals;
    std::string lines;  // after the path
    bool stopped;
  };
  const Case cases[] = {
      {"both absurd", kMax, kMax,
       " declares ITWORK length 2147483647; a file of 72 bytes can need at most 1048864.\n"
       "@ declares RTWORK length 2147483647; a file of 72 bytes can need at most 1048864.\n",
       true},
      {"reals one over", 0, 1048865,
       " declares RTWORK length 1048865; a file of 72 bytes can need at most 1048864.\n", true},
      {"at the limit", 1048864, 1048864, "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = TransportHeader("absurd-tran.bin", c.ints, c.reals);
    std::string expected = c.stopped ? " The transport linking file " + path + c.lines : "";
    for (std::size_t at; (at = expected.find('@')) != std::string::npos;) {
      expected.replace(at, 1, " The transport linking file " + path);
    }
    common::RecordReader unit;
    ASSERT_TRUE(unit.open(path));
    const Captured header = RunCaptured(
        [&](common::Console& console) { transport::ReadTransportHeader(unit, console); });
    EXPECT_EQ(header.text, expected);
    EXPECT_EQ(header.stopped, c.stopped);
    if (c.stopped) {
      const Captured load = RunCaptured(
          [&](common::Console& console) { transport::LoadTransportFile(path, console); });
      EXPECT_EQ(load.text, expected);
      EXPECT_TRUE(load.paused);
    }
  }
}

// Sound files, small and large, load exactly as before.
TEST(DeclaredLengths, SoundFilesLoadAsBefore) {
  PATHFLUX_REQUIRE_SHARED_DATA();
  const std::string data = test_support::SharedDataFolder();
  for (const char* name : {"/gri30/chem.bin", "/llnl_nheptane_v2/chem.bin"}) {
    SCOPED_TRACE(name);
    const Captured outcome = RunCaptured(
        [&](common::Console& console) { kinetics::LoadKineticsFile(data + name, console); });
    EXPECT_EQ(outcome.text, "");
    EXPECT_FALSE(outcome.stopped);
  }
  for (const char* name : {"/gri30/tran.bin", "/llnl_nheptane_v2/tran.bin"}) {
    SCOPED_TRACE(name);
    const Captured outcome = RunCaptured(
        [&](common::Console& console) { transport::LoadTransportFile(data + name, console); });
    EXPECT_EQ(outcome.text, "");
    EXPECT_FALSE(outcome.stopped);
  }
}

}  // namespace
