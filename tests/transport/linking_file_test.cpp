// Loading transport linking files: the header checks and their messages, the placement of every
// section, and the files of an independent producer.
#include <gtest/gtest.h>

#include <cstdint>
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

const std::string kPrecisionBlock =
    "\n Precision of Transport binary file does not agree with precision of Transport Library\n";
const std::string kErrorBlock =
    "\n There is an error in the transport binary file...\n"
    " Check QUILLET output for error conditions.\n";

TEST(TransportHeader, PrecisionMustNameDoublesInUpperCase) {
  struct Case {
    const char* precision;
    bool passes;
  };
  const Case kCases[] = {
      {"DOUBLE", true},
      {"  DOUBLE PREC", true},
      {"double", false},
      {"SINGLE", false},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.precision);
    ScratchFolder scratch;
    TransportLink link = SmallLink();
    link.precision = c.precision;
    const Outcome outcome = LoadFile(WriteLink(scratch, link));
    EXPECT_EQ(outcome.stopped, !c.passes);
    EXPECT_EQ(outcome.text, c.passes ? "" : kPrecisionBlock);
    EXPECT_EQ(outcome.paused, !c.passes);
  }
}

TEST(TransportHeader, ErrorFlagBlockComesBeforeThePrecisionBlockAndStopsOnce) {
  struct Case {
    const char* precision;
    std::string text;
  };
  const Case kCases[] = {
      {"DOUBLE", kErrorBlock},
      {"SINGLE", kErrorBlock + kPrecisionBlock},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.precision);
    ScratchFolder scratch;
    TransportLink link = SmallLink();
    link.precision = c.precision;
    link.errorFlag = true;
    const Outcome outcome = LoadFile(WriteLink(scratch, link));
    EXPECT_TRUE(outcome.stopped);
    EXPECT_TRUE(outcome.paused);
    EXPECT_EQ(outcome.text, c.text);
  }
}

TEST(TransportHeader, ReturnsTheDeclaredLengthsAndLeavesTheFileRewound) {
  ScratchFolder scratch;
  TransportLink link = SmallLink();
  link.TranIntLength = 40;
  link.TranRealLength = 500;
  common::RecordReader unit;
  ASSERT_TRUE(unit.open(WriteLink(scratch, link)));
  Capture([&](common::Console& console) {
    const TransportLengths lengths = ReadTransportHeader(unit, console);
    EXPECT_EQ(lengths.TranIntLength, 40);
    EXPECT_EQ(lengths.TranRealLength, 500);
    EXPECT_EQ(CurrentTransportState().TranVersion, "test 7          ");
  });
  ASSERT_EQ(unit.next(), common::RecordStatus::Ok);
  EXPECT_EQ(unit.payload().size(), 36u);
}

// K = 3, N = 2, L = 1 declares 13 integers and 228 reals.
TEST(TransportLoad, CallerLengthsBelowTheDeclaredOnesAreReportedInOrder) {
  const std::string kIntLine = "          ITWORK MUST BE DIMENSIONED AT LEAST    13\n";
  const std::string kRealLine = "          RTWORK MUST BE DIMENSIONED AT LEAST   228\n";
  struct Case {
    const char* name;
    std::int32_t intLength, realLength;
    std::string text;
  };
  const Case kCases[] = {
      {"equal lengths pass", 13, 228, ""},
      {"longer lengths pass", 14, 300, ""},
      {"integer array one short", 12, 228, kIntLine},
      {"real array one short", 13, 227, kRealLine},
      {"both short, ITWORK first", 0, 0, kIntLine + kRealLine},
  };
  ScratchFolder scratch;
  const std::string path = WriteLink(scratch, SmallLink());
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    std::vector<std::int32_t> ITWORK(400);
    std::vector<double> RTWORK(400);
    common::RecordReader unit;
    ASSERT_TRUE(unit.open(path));
    const Outcome outcome = Capture([&](common::Console& console) {
      LoadTransportLink(unit, console, c.intLength, c.realLength, ITWORK, RTWORK);
    });
    EXPECT_EQ(outcome.text, c.text);
    EXPECT_EQ(outcome.stopped, !c.text.empty());
    EXPECT_EQ(outcome.paused, !c.text.empty());
  }
}

TEST(TransportLoad, LengthsOfMoreThanFiveDigitsAreWrittenInFull) {
  std::vector<std::int32_t> ITWORK(10);
  std::vector<double> RTWORK(10);
  common::RecordReader unit;
  ASSERT_TRUE(unit.open(PATHFLUX_TEST_DATA "/llnl_nheptane_v2/tran.bin"));
  const Outcome outcome = Capture(
      [&](common::Console& console) { LoadTransportLink(unit, console, 10, 10, ITWORK, RTWORK); });
  EXPECT_EQ(outcome.text,
            "          ITWORK MUST BE DIMENSIONED AT LEAST  2246\n"
            "          RTWORK MUST BE DIMENSIONED AT LEAST 5999334\n");
  EXPECT_TRUE(outcome.paused);
}

// Every section lands at its start; the workspace keeps whatever the caller put there.
TEST(TransportLoad, PlacesEverySectionAndLeavesTheWorkspaceAlone) {
  struct Case {
    int K, N, L;
  };
  const Case kCases[] = {{3, 2, 1}, {2, 3, 0}, {4, 1, 2}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(::testing::Message() << "K=" << c.K << " N=" << c.N << " L=" << c.L);
    ScratchFolder scratch;
    const TransportLink link = SmallLink(c.K, c.N, c.L);
    const std::string path = WriteLink(scratch, link);
    const auto intLength = RequiredTransportIntLength(c.K, c.N, c.L);
    const auto realLength = RequiredTransportRealLength(c.K, c.N, c.L);
    constexpr std::int32_t kIntMark = -77;
    constexpr double kRealMark = -7.5;
    std::vector<std::int32_t> ITWORK(intLength, kIntMark);
    std::vector<double> RTWORK(realLength, kRealMark);
    common::RecordReader unit;
    ASSERT_TRUE(unit.open(path));
    const Outcome outcome = Capture([&](common::Console& console) {
      LoadTransportLink(unit, console, static_cast<std::int32_t>(intLength),
                        static_cast<std::int32_t>(realLength), ITWORK, RTWORK);
    });
    ASSERT_FALSE(outcome.stopped) << outcome.text;

    const TransportState& state = CurrentTransportState();
    const std::int64_t K = c.K, N = c.N, L = c.L;
    const std::int64_t S = 12 * K + 1 + 2 * N * K + N * K * K + N * K * L;
    EXPECT_EQ(state.KK, c.K);
    EXPECT_EQ(state.FitOrder, c.N);
    EXPECT_EQ(state.LightCount, c.L);
    EXPECT_EQ(state.ReferencePressure, 101325.0);
    EXPECT_EQ(state.TranPrecision, "DOUBLE          ");
    EXPECT_EQ(state.WorkspaceOrder, 3 * K);
    EXPECT_EQ(state.IntWorkspace, K + L + 1);
    EXPECT_EQ(state.SpeciesWorkspace, S - 6 * K);
    EXPECT_EQ(state.PairDiameters, S + 2 * K * K);
    EXPECT_EQ(state.SquareWorkspace, S + 6 * K * K);
    EXPECT_EQ(state.LastWorkspace, S + 15 * K * K + 3 * K);

    auto real = [&](std::int64_t start, std::int64_t i) { return RTWORK[start - 2 + i]; };
    auto integer = [&](std::int64_t start, std::int64_t i) { return ITWORK[start - 2 + i]; };
    const std::int64_t parameterStarts[] = {state.SpeciesWeights,     state.WellDepths,
                                            state.CollisionDiameters, state.DipoleMoments,
                                            state.Polarizabilities,   state.RotationalRelaxation};
    for (std::int64_t k = 1; k <= K; ++k) {
      for (int f = 0; f < 6; ++f) {
        const double expected = f == 3 ? 0.0 : 100.0 * k + f + 1;
        EXPECT_EQ(real(parameterStarts[f], k), expected) << "species " << k << " field " << f;
      }
      EXPECT_EQ(integer(state.GeometryCodes, k), k % 3);
    }
    for (std::int64_t l = 1; l <= L; ++l) EXPECT_EQ(integer(state.LightSpecies, l), l);
    struct Fits {
      std::int64_t start, count;
      double base;
    };
    const Fits kFits[] = {{state.ConductivityFits, N * K, 1000.0},
                          {state.ViscosityFits, N * K, 2000.0},
                          {state.DiffusionFits, N * K * K, 3000.0},
                          {state.ThermalDiffusionFits, N * K * L, 4000.0}};
    for (const Fits& fits : kFits) {
      for (std::int64_t i = 1; i <= fits.count; ++i) {
        EXPECT_EQ(real(fits.start, i), fits.base + static_cast<double>(i - 1));
      }
    }
    for (std::int64_t i = state.IntWorkspace; i <= intLength; ++i) {
      EXPECT_EQ(ITWORK[i - 1], kIntMark);
    }
    for (std::int64_t i = state.SpeciesWorkspace; i <= realLength; ++i) {
      const bool pairSection = i >= state.PairWellDepths && i < state.PairWorkspace2;
      if (!pairSection) {
        EXPECT_EQ(RTWORK[i - 1], kRealMark) << "RTWORK(" << i << ")";
      }
    }
  }
}

TEST(TransportLoad, NoLightSpeciesLeavesNoThermalDiffusionSection) {
  ScratchFolder scratch;
  ASSERT_FALSE(LoadFile(WriteLink(scratch, SmallLink(2, 3, 0))).stopped);
  const TransportState& state = CurrentTransportState();
  EXPECT_EQ(state.LightSpecies, state.IntWorkspace);
  EXPECT_EQ(state.ThermalDiffusionFits, state.SpeciesWorkspace);
}

TEST(TransportLoad, RestOfALongerThirdRecordIsIgnored) {
  ScratchFolder scratch;
  const TransportLink link = SmallLink();
  common::RecordReader original;
  ASSERT_TRUE(original.open(WriteLink(scratch, link)));
  std::vector<common::FieldWriter> records(3);
  for (auto& record : records) {
    ASSERT_EQ(original.next(), common::RecordStatus::Ok);
    for (const std::byte b : original.payload()) record.putName(std::string(1, char(b)), 1);
  }
  records[2].putReal(12345.0);
  records[2].putInt(9);
  const Outcome outcome = LoadFile(testing::WriteRecords(scratch, records));
  EXPECT_FALSE(outcome.stopped) << outcome.text;
  EXPECT_EQ(CurrentTransportState().ReferencePressure, 101325.0);
}

TEST(TransportWriter, RoundTripKeepsEveryValueAndDeclaredLengths) {
  ScratchFolder scratch;
  TransportLink link = SmallLink(3, 2, 2);
  link.species[1].dipoleMoment = 1.5;
  link.species[2].geometry = 2;
  link.lightSpecies = {3, 1};
  link.TranIntLength = 20;
  link.TranRealLength = 400;
  std::ostringstream out;
  std::istringstream in;
  common::Console console(out, in);
  const LoadedTransport loaded = LoadTransportFile(WriteLink(scratch, link), console);
  ASSERT_EQ(loaded.ITWORK.size(), 20u);
  ASSERT_EQ(loaded.RTWORK.size(), 400u);
  const TransportState& state = CurrentTransportState();
  EXPECT_EQ(state.TranVersion, "test 7          ");
  EXPECT_EQ(loaded.RTWORK[state.DipoleMoments], 1.5);
  EXPECT_EQ(loaded.ITWORK[state.GeometryCodes + 1], 2);
  EXPECT_EQ(loaded.ITWORK[state.LightSpecies - 1], 3);
  EXPECT_EQ(loaded.ITWORK[state.LightSpecies], 1);
  EXPECT_EQ(loaded.RTWORK[state.ThermalDiffusionFits + 10], 4011.0);
  EXPECT_EQ(out.str(), "");
}

TEST(TransportWriter, RefusesFitArraysThatDisagreeWithTheCounts) {
  ScratchFolder scratch;
  TransportLink link = SmallLink();
  link.diffusionFits.pop_back();
  std::string error;
  EXPECT_FALSE(WriteTransportLink(scratch.path("tran.bin"), link, error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(std::filesystem::exists(scratch.path("tran.bin")));
}

TEST(TransportLengths, MatchTheIndependentProducer) {
  struct Case {
    const char* file;
    std::int64_t K, N, L, intLength, realLength;
  };
  const Case kCases[] = {
      {"/gri30/tran.bin", 53, 4, 2, 214, 55226},
      {"/llnl_nheptane_v2/tran.bin", 561, 4, 2, 2246, 5999334},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.file);
    EXPECT_EQ(RequiredTransportIntLength(c.K, c.N, c.L), c.intLength);
    EXPECT_EQ(RequiredTransportRealLength(c.K, c.N, c.L), c.realLength);
    common::RecordReader unit;
    ASSERT_TRUE(unit.open(std::string(PATHFLUX_TEST_DATA) + c.file));
    Capture([&](common::Console& console) {
      const TransportLengths lengths = ReadTransportHeader(unit, console);
      EXPECT_EQ(lengths.TranIntLength, c.intLength);
      EXPECT_EQ(lengths.TranRealLength, c.realLength);
    });
  }
}

TEST(TransportLoad, IndependentProducersFileLoads) {
  std::ostringstream out;
  std::istringstream in;
  common::Console console(out, in);
  const LoadedTransport loaded = LoadTransportFile(PATHFLUX_TEST_DATA "/gri30/tran.bin", console);
  EXPECT_EQ(out.str(), "");
  const TransportState& state = CurrentTransportState();
  EXPECT_EQ(state.KK, 53);
  EXPECT_EQ(state.FitOrder, 4);
  EXPECT_EQ(state.LightCount, 2);
  EXPECT_EQ(state.ReferencePressure, 1013250.0);
  // The light species are H2 and H, the first two species of the mechanism.
  EXPECT_EQ(loaded.ITWORK[state.LightSpecies - 1], 1);
  EXPECT_EQ(loaded.ITWORK[state.LightSpecies], 2);
  // H2 weighs 2.016 and is linear.
  EXPECT_NEAR(loaded.RTWORK[state.SpeciesWeights - 1], 2.016, 1e-3);
  EXPECT_EQ(loaded.ITWORK[state.GeometryCodes - 1], 1);
  const std::int64_t K = state.KK;
  for (std::int64_t a = 1; a <= K; ++a) {
    EXPECT_EQ(loaded.RTWORK[state.PairDiameters - 1 + (a - 1) * (K + 1)],
              loaded.RTWORK[state.CollisionDiameters - 2 + a]);
    for (std::int64_t b = 1; b < a; ++b) {
      const std::int64_t ab = (a - 1) + (b - 1) * K, ba = (b - 1) + (a - 1) * K;
      EXPECT_EQ(loaded.RTWORK[state.PairWellDepths - 1 + ab],
                loaded.RTWORK[state.PairWellDepths - 1 + ba]);
      EXPECT_GT(loaded.RTWORK[state.PairDiameters - 1 + ab], 0.0);
    }
  }
}

}  // namespace
}  // namespace transport
