// Loading transport linking files: the header checks, the refusals of damaged or inconsistent
// files with their exact messages, the placement of every section, and the files of an
// independent producer.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "support/memory_console.h"
#include "support/record_files.h"
#include "support/scratch_folder.h"
#include "support/shared_data.h"
#include "transport/linking_file.h"

namespace transport {
namespace {

using test_support::Captured;
using test_support::Ints;
using test_support::RunCaptured;
using test_support::ScratchPath;
using Records = std::vector<test_support::Payload>;

// K species, fit order N, the first L species light. Species parameter f of species k is
// 100k + f (the dipole stays 0); value i of the fit arrays is 1000, 2000, 3000, 4000 + i.
TransportLink SmallLink(int K = 3, int N = 2, int L = 1) {
  TransportLink link;
  link.version = "test 7";
  link.FitOrder = N;
  link.ReferencePressure = 101325.0;
  for (int k = 1; k <= K; ++k) {
    link.species.push_back(
        {100.0 * k + 1, 100.0 * k + 2, 100.0 * k + 3, 0.0, 100.0 * k + 5, 100.0 * k + 6, k % 3});
  }
  auto fill = [](std::vector<double>& values, int count, double base) {
    for (int i = 0; i < count; ++i) values.push_back(base + i);
  };
  fill(link.conductivityFits, N * K, 1000.0);
  fill(link.viscosityFits, N * K, 2000.0);
  fill(link.diffusionFits, N * K * K, 3000.0);
  for (int l = 1; l <= L; ++l) link.lightSpecies.push_back(l);
  fill(link.thermalDiffusionFits, N * K * L, 4000.0);
  return link;
}

std::string Write(const TransportLink& link, const std::string& name = "tran.bin") {
  std::string error;
  EXPECT_TRUE(WriteTransportLink(ScratchPath(name), link, error)) << error;
  return ScratchPath(name);
}

Records PayloadsOf(const TransportLink& link) {
  return test_support::ReadRecords(Write(link, "payloads.bin"));
}

std::string Write(const Records& records, const std::string& name = "raw.bin") {
  return test_support::WriteRecords(ScratchPath(name), records);
}

std::vector<std::byte> Cut(std::vector<std::byte> payload, std::size_t size) {
  payload.resize(size);
  return payload;
}

Captured LoadFile(const std::string& path) {
  return RunCaptured([&](common::Console& console) { LoadTransportFile(path, console); });
}

TEST(TransportHeader, ErrorFlagAndPrecisionBlocks) {
  const std::string kError =
      "\n There is an error in the transport binary file...\n"
      " Check QUILLET output for error conditions.\n";
  const std::string kPrecision =
      "\n Precision of Transport binary file does not agree with precision of Transport "
      "Library\n";
  struct Case {
    const char* precision;
    bool errorFlag;
    std::string text;
  };
  const Case kCases[] = {
      {"DOUBLE", false, ""},
      {"  DOUBLE PREC", false, ""},
      {"double", false, kPrecision},
      {"SINGLE", false, kPrecision},
      {"DOUBLE", true, kError},
      {"SINGLE", true, kError + kPrecision},  // both blocks, one stop
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.precision);
    TransportLink link = SmallLink();
    link.precision = c.precision;
    link.errorFlag = c.errorFlag;
    const Captured outcome = LoadFile(Write(link));
    EXPECT_EQ(outcome.text, c.text);
    EXPECT_EQ(outcome.stopped, !c.text.empty());
    EXPECT_EQ(outcome.paused, !c.text.empty());
  }
}

// K = 3, N = 2, L = 1 declares 13 integers and 228 reals.
TEST(TransportLoad, CallerLengthsBelowTheDeclaredOnes) {
  const std::string kIntLine = "          ITWORK MUST BE DIMENSIONED AT LEAST    13\n";
  const std::string kRealLine = "          RTWORK MUST BE DIMENSIONED AT LEAST   228\n";
  struct Case {
    std::int32_t intLength, realLength;
    std::string text;
  };
  const Case kCases[] = {
      {13, 228, ""},
      {12, 228, kIntLine},
      {13, 227, kRealLine},
      {0, 0, kIntLine + kRealLine},
  };
  const std::string path = Write(SmallLink());
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.text);
    std::vector<std::int32_t> ITWORK(13);
    std::vector<double> RTWORK(228);
    common::RecordReader unit;
    ASSERT_TRUE(unit.open(path));
    const Captured outcome = RunCaptured([&](common::Console& console) {
      LoadTransportLink(unit, console, c.intLength, c.realLength, ITWORK, RTWORK);
    });
    EXPECT_EQ(outcome.text, c.text);
    EXPECT_EQ(outcome.paused, !c.text.empty());
  }
  // Seven digits are written in full rather than as asterisks.
  PATHFLUX_REQUIRE_SHARED_DATA();
  common::RecordReader unit;
  ASSERT_TRUE(unit.open(test_support::SharedData("llnl_nheptane_v2/tran.bin")));
  std::vector<std::int32_t> ITWORK(1);
  std::vector<double> RTWORK(1);
  EXPECT_EQ(RunCaptured([&](common::Console& console) {
              LoadTransportLink(unit, console, 1, 1, ITWORK, RTWORK);
            }).text,
            "          ITWORK MUST BE DIMENSIONED AT LEAST  2246\n"
            "          RTWORK MUST BE DIMENSIONED AT LEAST 5999334\n");
}

TEST(TransportLoad, RefusesDamagedAndInconsistentFiles) {
  const Records whole = PayloadsOf(SmallLink());
  const std::string kHeader = "Error reading Multi-component Transport binary file.\n";
  const std::string kLoad = "  Error reading Transport binary file...\n";
  const std::string kNegative = " Transport binary file declares a negative length or count:\n";
  const std::string kShort =
      " Transport binary file declares work arrays too short for its counts:\n";
  const std::string kLight = " Transport binary file names a light species outside 1..KK:\n";
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  auto endOfFile = [](int record) {
    return " End of file in the transport linking file " + ScratchPath("raw.bin") + ": record " +
           std::to_string(record) + " is missing.\n";
  };
  auto withLight = [&](std::int32_t number) {
    Records records = whole;
    // The light species number follows the reference pressure, 3 groups and 2 * 6 + 18 fits.
    const std::size_t offset = 8 + 3 * 52 + 8 * 30;
    const auto bytes = Ints({number});
    std::copy(bytes.begin(), bytes.end(), records[2].begin() + offset);
    return records;
  };
  struct Case {
    const char* name;
    Records records;
    std::string text;  // a text ending in "at least " is the beginning of the output
    bool paused = true;
  };
  const Case kCases[] = {
      {"record 1 short", {Cut(whole[0], 35), whole[1], whole[2]}, kHeader},
      {"record 2 short", {whole[0], Cut(whole[1], 16), whole[2]}, kHeader},
      {"record 3 short", {whole[0], whole[1], Cut(whole[2], whole[2].size() - 1)}, kLoad},
      {"empty file", {}, endOfFile(1), false},
      {"no record 2", {whole[0]}, endOfFile(2), false},
      {"no record 3", {whole[0], whole[1]}, endOfFile(3), false},
      {"negative count",
       {whole[0], Ints({13, 228, 2, -3, 1}), whole[2]},
       kNegative + " TranIntLength= 13 TranRealLength= 228 FitOrder= 2 KK= -3 LightCount= 1\n"},
      {"negative length",
       {whole[0], Ints({13, -1, 2, 3, 1}), whole[2]},
       kNegative + " TranIntLength= 13 TranRealLength= -1 FitOrder= 2 KK= 3 LightCount= 1\n"},
      // ITWORK is written through 4 (K + L), RTWORK through 99 (the last PairDiameters).
      {"lengths just hold the written sections",
       {whole[0], Ints({4, 99, 2, 3, 1}), whole[2]},
       "",
       false},
      {"lengths one short",
       {whole[0], Ints({3, 98, 2, 3, 1}), whole[2]},
       kShort + " ITWORK needs at least 4, declared 3\n RTWORK needs at least 99, declared 98\n"},
      {"absurd counts do not wrap",
       {whole[0], Ints({kMax, kMax, kMax, kMax, 0}), whole[2]},
       kShort + " RTWORK needs at least "},
      {"light species 0", withLight(0), kLight + " LightSpecies entry 1 is 0, KK= 3\n"},
      {"light species K + 1", withLight(4), kLight + " LightSpecies entry 1 is 4, KK= 3\n"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const Captured outcome = LoadFile(Write(c.records));
    const bool prefix = c.text.ends_with("at least ");
    EXPECT_EQ(prefix ? outcome.text.substr(0, c.text.size()) : outcome.text, c.text);
    EXPECT_EQ(outcome.stopped, !c.text.empty());
    EXPECT_EQ(outcome.paused, c.paused);
  }
}

TEST(TransportLoad, RefusesMissingFilesAndSpansShorterThanStated) {
  EXPECT_EQ(LoadFile(ScratchPath("absent.bin")).text,
            " Cannot open the transport linking file " + ScratchPath("absent.bin") + ".\n");
  std::vector<std::int32_t> ITWORK(12);
  std::vector<double> RTWORK(228);
  common::RecordReader unit;
  ASSERT_TRUE(unit.open(Write(SmallLink())));
  const Captured outcome = RunCaptured(
      [&](common::Console& console) { LoadTransportLink(unit, console, 13, 228, ITWORK, RTWORK); });
  EXPECT_TRUE(outcome.paused);
  EXPECT_EQ(outcome.text,
            " Transport work array holds fewer elements than stated:\n"
            " ITWORK stated 13, held 12\n");
}

// Every section lands at its start, a longer record 3 loads, and the workspace keeps whatever
// the caller put there.
TEST(TransportLoad, PlacesEverySectionAndLeavesTheWorkspaceAlone) {
  struct Case {
    int K, N, L;
  };
  for (const Case& c : {Case{3, 2, 1}, Case{2, 3, 0}, Case{4, 1, 2}}) {
    SCOPED_TRACE(::testing::Message() << "K=" << c.K << " N=" << c.N << " L=" << c.L);
    Records records = PayloadsOf(SmallLink(c.K, c.N, c.L));
    records[2].resize(records[2].size() + 12, std::byte{0x55});
    const std::int64_t K = c.K, N = c.N, L = c.L;
    const std::int64_t intLength = RequiredTransportIntLength(K, N, L);
    const std::int64_t realLength = RequiredTransportRealLength(K, N, L);
    std::vector<std::int32_t> ITWORK(intLength, -77);
    std::vector<double> RTWORK(realLength, -7.5);
    common::RecordReader unit;
    ASSERT_TRUE(unit.open(Write(records)));
    const Captured outcome = RunCaptured([&](common::Console& console) {
      LoadTransportLink(unit, console, static_cast<std::int32_t>(intLength),
                        static_cast<std::int32_t>(realLength), ITWORK, RTWORK);
    });
    ASSERT_FALSE(outcome.stopped) << outcome.text;

    const TransportState& s = CurrentTransportState();
    const std::int64_t S = 12 * K + 1 + 2 * N * K + N * K * K + N * K * L;
    EXPECT_EQ(s.ReferencePressure, 101325.0);
    EXPECT_EQ(s.TranVersion, "test 7          ");
    EXPECT_EQ(s.WorkspaceOrder, 3 * K);
    EXPECT_EQ(s.SpeciesWorkspace, S - 6 * K);
    EXPECT_EQ(s.LastWorkspace, S + 15 * K * K + 3 * K);
    // Element i of the section that starts at `start`.
    auto real = [&](std::int64_t start, std::int64_t i) { return RTWORK[start - 2 + i]; };
    auto integer = [&](std::int64_t start, std::int64_t i) { return ITWORK[start - 2 + i]; };
    const std::int64_t parameters[] = {s.SpeciesWeights,     s.WellDepths,
                                       s.CollisionDiameters, s.DipoleMoments,
                                       s.Polarizabilities,   s.RotationalRelaxation};
    for (std::int64_t k = 1; k <= K; ++k) {
      for (int f = 0; f < 6; ++f) {
        EXPECT_EQ(real(parameters[f], k), f == 3 ? 0.0 : 100.0 * k + f + 1) << k << " " << f;
      }
      EXPECT_EQ(integer(s.GeometryCodes, k), k % 3);
    }
    for (std::int64_t l = 1; l <= L; ++l) EXPECT_EQ(integer(s.LightSpecies, l), l);
    const std::int64_t fits[][3] = {{s.ConductivityFits, N * K, 1000},
                                    {s.ViscosityFits, N * K, 2000},
                                    {s.DiffusionFits, N * K * K, 3000},
                                    {s.ThermalDiffusionFits, N * K * L, 4000}};
    for (const auto& fit : fits) {
      for (std::int64_t i = 1; i <= fit[1]; ++i) EXPECT_EQ(real(fit[0], i), fit[2] + i - 1.0);
    }
    for (std::int64_t i = K + L + 1; i <= intLength; ++i) EXPECT_EQ(ITWORK[i - 1], -77);
    for (std::int64_t i = S - 6 * K; i <= realLength; ++i) {
      if (i >= s.PairWellDepths && i < s.PairDiameters + K * K) continue;
      EXPECT_EQ(RTWORK[i - 1], -7.5) << "RTWORK(" << i << ")";
    }
  }
}

TEST(TransportWriter, RefusesFitArraysThatDisagreeWithTheCounts) {
  TransportLink link = SmallLink();
  link.diffusionFits.pop_back();
  std::string error;
  EXPECT_FALSE(WriteTransportLink(ScratchPath("bad.bin"), link, error));
  EXPECT_FALSE(std::filesystem::exists(ScratchPath("bad.bin")));
}

TEST(TransportLoad, IndependentProducersFiles) {
  EXPECT_EQ(RequiredTransportIntLength(561, 4, 2), 2246);
  EXPECT_EQ(RequiredTransportRealLength(561, 4, 2), 5999334);
  PATHFLUX_REQUIRE_SHARED_DATA();
  LoadedTransport loaded;
  const Captured outcome = RunCaptured([&](common::Console& console) {
    loaded = LoadTransportFile(test_support::SharedData("gri30/tran.bin"), console);
  });
  ASSERT_EQ(outcome.text, "");
  const TransportState& s = CurrentTransportState();
  EXPECT_EQ(s.KK, 53);
  EXPECT_EQ(s.FitOrder, 4);
  EXPECT_EQ(s.LightCount, 2);
  EXPECT_EQ(s.ReferencePressure, 1013250.0);
  EXPECT_EQ(loaded.ITWORK.size(), RequiredTransportIntLength(53, 4, 2));
  EXPECT_EQ(loaded.RTWORK.size(), RequiredTransportRealLength(53, 4, 2));
  // The light species are H2 and H, the first two species; H2 weighs 2.016 and is linear.
  EXPECT_EQ(loaded.ITWORK[s.LightSpecies - 1], 1);
  EXPECT_EQ(loaded.ITWORK[s.LightSpecies], 2);
  EXPECT_NEAR(loaded.RTWORK[s.SpeciesWeights - 1], 2.016, 1e-3);
  EXPECT_EQ(loaded.ITWORK[s.GeometryCodes - 1], 1);
}

}  // namespace
}  // namespace transport
