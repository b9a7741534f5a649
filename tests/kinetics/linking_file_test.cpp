// Reading the kinetics linking file: what the writer writes is what the loader stores, every
// header and read failure prints its exact lines, and files that would place data outside the
// arrays are refused.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/record_file.h"
#include "kinetics/linking_file.h"
#include "kinetics/queries.h"
#include "kinetics/work_arrays.h"
#include "kinetics_support.h"
#include "support/memory_console.h"
#include "support/record_files.h"
#include "support/scratch_folder.h"
#include "support/shared_data.h"

namespace kinetics {
namespace {

using test_support::Captured;
using test_support::Payload;
using test_support::ReadRecords;
using test_support::RunCaptured;
using test_support::ScratchPath;
using test_support::WriteRecords;
using testing::FullMechanism;
using testing::PlainMechanism;
using testing::WriteFixture;

constexpr std::int32_t kIntSentinel = -7;
constexpr double kRealSentinel = -7.5;
const std::string kNameSentinel = "sentinel";

// Work arrays of given lengths, filled with sentinels so that untouched entries show.
struct WorkArrays {
  WorkArrays(std::size_t ints, std::size_t reals, std::size_t names)
      : IKWORK(ints, kIntSentinel), RKWORK(reals, kRealSentinel), SKWORK(names, kNameSentinel) {}
  std::vector<std::int32_t> IKWORK;
  std::vector<double> RKWORK;
  std::vector<std::string> SKWORK;
};

std::size_t Size(std::int32_t length) {
  return length > 0 ? static_cast<std::size_t>(length) : 0;
}

// Loads `path` with the caller's stated lengths; the arrays hold exactly those lengths.
LoadOutcome Load(const std::string& path, common::Console& console, std::int32_t LENIKW,
                 std::int32_t LENRKW, std::int32_t LENSKW, WorkArrays& arrays,
                 std::int32_t elementLength = 16) {
  common::RecordReader unit;
  EXPECT_TRUE(unit.open(path));
  return LoadKineticsLink(LENIKW, LENRKW, LENSKW, unit, console, arrays.IKWORK, arrays.RKWORK,
                          arrays.SKWORK, elementLength);
}

// Loads `path` into arrays of the declared lengths.
Captured LoadDeclared(const std::string& path, WorkArrays* keep = nullptr,
                      LoadOutcome* outcome = nullptr) {
  return RunCaptured([&](common::Console& console) {
    common::RecordReader unit;
    ASSERT_TRUE(unit.open(path));
    const LinkSizes sizes = QueryLinkSizes(unit, console);
    WorkArrays arrays(Size(sizes.RequiredIntLength), Size(sizes.RequiredRealLength),
                      Size(sizes.RequiredCharLength));
    const LoadOutcome result = LoadKineticsLink(sizes.RequiredIntLength, sizes.RequiredRealLength,
                                                sizes.RequiredCharLength, unit, console,
                                                arrays.IKWORK, arrays.RKWORK, arrays.SKWORK);
    if (outcome) *outcome = result;
    if (keep) *keep = std::move(arrays);
  });
}

Captured QuerySizes(const std::string& path, LinkSizes* sizes = nullptr) {
  return RunCaptured([&](common::Console& console) {
    common::RecordReader unit;
    ASSERT_TRUE(unit.open(path));
    const LinkSizes result = QueryLinkSizes(unit, console);
    if (sizes) *sizes = result;
  });
}

std::string Padded(const std::string& name) {
  return name + std::string(16 - name.size(), ' ');
}

// Entry j of block n of a section with stride w, as a 0-based index.
std::size_t At(std::int64_t start, std::int64_t w, std::int64_t n, std::int64_t j) {
  return static_cast<std::size_t>(start + (n - 1) * w + j - 2);
}

TEST(LinkingFile, WriterAndLoaderAgreeOnEveryRecord) {
  const LinkMechanism m = FullMechanism();
  const std::string path = WriteFixture("full.bin", m);

  LinkSizes sizes;
  ASSERT_FALSE(QuerySizes(path, &sizes).stopped);
  EXPECT_EQ(sizes.RequiredIntLength, 96);
  EXPECT_EQ(sizes.RequiredRealLength, 142);
  EXPECT_EQ(sizes.RequiredCharLength, 5);
  EXPECT_EQ(sizes.KK, 3);
  EXPECT_EQ(sizes.ReactionCount, 4);

  WorkArrays a(0, 0, 0);
  LoadOutcome outcome = LoadOutcome::EndedBeforeReactions;
  const Captured run = LoadDeclared(path, &a, &outcome);
  ASSERT_FALSE(run.stopped) << run.text;
  EXPECT_EQ(run.text, "");
  EXPECT_EQ(outcome, LoadOutcome::Complete);

  const KineticsState& state = CurrentKineticsState();
  const IntegerSections& I = state.layout.integer;
  const RealSections& R = state.layout.real;
  const CharacterSections& C = state.layout.character;
  EXPECT_EQ(state.counts.OrderReactionCount, 1);
  EXPECT_EQ(state.counts.MaxOrderSpecies, 2);
  EXPECT_EQ(state.CoefficientsPerRange, 7);
  EXPECT_EQ(state.CoefficientsPerSpecies, 14);
  EXPECT_EQ(state.EnthalpyCoefficient, 6);
  EXPECT_EQ(state.HeaderTolerance, m.HeaderTolerance);
  EXPECT_EQ(a.IKWORK[0], 1);  // InitMark

  for (int e = 1; e <= 2; ++e) {
    EXPECT_EQ(a.SKWORK[At(C.ElementNames, 1, 1, e)], Padded(m.elements[e - 1].name));
    EXPECT_EQ(a.RKWORK[At(R.AtomicWeights, 1, 1, e)], m.elements[e - 1].atomicWeight);
  }
  for (int k = 1; k <= 3; ++k) {
    const LinkSpecies& s = m.species[k - 1];
    EXPECT_EQ(a.SKWORK[At(C.SpeciesNames, 1, 1, k)], Padded(s.name));
    for (int e = 1; e <= 2; ++e) {
      EXPECT_EQ(a.IKWORK[At(I.ElementComposition, 2, k, e)], s.composition[e - 1]);
    }
    EXPECT_EQ(a.IKWORK[At(I.SpeciesIntA, 1, 1, k)], s.phase);
    EXPECT_EQ(a.IKWORK[At(I.SpeciesIntB, 1, 1, k)], s.charge);
    EXPECT_EQ(a.IKWORK[At(I.TemperatureCount, 1, 1, k)], s.temperatureCount);
    EXPECT_EQ(a.RKWORK[At(R.MolecularWeights, 1, 1, k)], s.molecularWeight);
    for (int l = 1; l <= 3; ++l) {
      EXPECT_EQ(a.RKWORK[At(R.TemperatureBounds, 3, k, l)], s.temperatureBounds[l - 1]);
    }
    for (int l = 1; l <= 2; ++l) {
      for (int i = 1; i <= 7; ++i) {
        EXPECT_EQ(a.RKWORK[At(R.ThermoCoefficients, 14, k, (l - 1) * 7 + i)],
                  s.coefficients[(l - 1) * 7 + i - 1]);
      }
    }
  }
  for (int i = 1; i <= 4; ++i) {
    const LinkReaction& r = m.reactions[i - 1];
    EXPECT_EQ(a.IKWORK[At(I.ReactionSpeciesCount, 1, 1, i)], r.speciesCount);
    EXPECT_EQ(a.IKWORK[At(I.ReactionAuxCount, 1, 1, i)], r.auxCount);
    for (int j = 1; j <= 3; ++j) {
      EXPECT_EQ(a.RKWORK[At(R.RateParameters, 4, i, j)], r.rateParameters[j - 1]);
    }
    EXPECT_EQ(a.RKWORK[At(R.RateParameters, 4, i, 4)], 1.0) << "multiplier of reaction " << i;
    for (int s = 1; s <= 6; ++s) {
      EXPECT_EQ(a.IKWORK[At(I.StoichCoefficients, 6, i, s)], r.slots[s - 1].coefficient);
      EXPECT_EQ(a.IKWORK[At(I.StoichSpecies, 6, i, s)], r.slots[s - 1].species);
    }
  }
  // Record 6; the spare slot of the reverse parameters is left as it was.
  EXPECT_EQ(a.IKWORK[At(I.ReverseReactions, 1, 1, 1)], 2);
  for (int j = 1; j <= 3; ++j) {
    EXPECT_EQ(a.RKWORK[At(R.ReverseParameters, 4, 1, j)], m.reverse[0].values[j - 1]);
  }
  EXPECT_EQ(a.RKWORK[At(R.ReverseParameters, 4, 1, 4)], kRealSentinel);
  // Record 7.
  EXPECT_EQ(a.IKWORK[At(I.FallOffReactions, 1, 1, 1)], 3);
  EXPECT_EQ(a.IKWORK[At(I.FallOffForm, 1, 1, 1)], 3);
  EXPECT_EQ(a.IKWORK[At(I.FallOffThirdBody, 1, 1, 1)], 2);
  for (int j = 1; j <= 8; ++j) {
    EXPECT_EQ(a.RKWORK[At(R.FallOffParameters, 8, 1, j)], m.fallOff[0].values[j - 1]);
  }
  // Record 8: the second entry uses one of its two slots; the other is written empty.
  const std::int32_t thirdBodyReactions[] = {1, 4};
  const std::int32_t thirdBodyCounts[] = {2, 1};
  const std::int32_t thirdBodySpecies[2][2] = {{1, 3}, {2, 0}};
  const double thirdBodyEfficiencies[2][2] = {
      {m.thirdBody[0].efficiencies[0], m.thirdBody[0].efficiencies[1]},
      {m.thirdBody[1].efficiencies[0], 0.0}};
  for (int n = 1; n <= 2; ++n) {
    EXPECT_EQ(a.IKWORK[At(I.ThirdBodyReactions, 1, 1, n)], thirdBodyReactions[n - 1]);
    EXPECT_EQ(a.IKWORK[At(I.ThirdBodyCount, 1, 1, n)], thirdBodyCounts[n - 1]);
    for (int j = 1; j <= 2; ++j) {
      EXPECT_EQ(a.IKWORK[At(I.ThirdBodySpecies, 2, n, j)], thirdBodySpecies[n - 1][j - 1]);
      EXPECT_EQ(a.RKWORK[At(R.ThirdBodyEfficiencies, 2, n, j)],
                thirdBodyEfficiencies[n - 1][j - 1]);
    }
  }
  // Records 9 to 16: a reaction number and a block of reals each.
  struct ParameterList {
    const char* record;
    std::int64_t reactions;
    std::int64_t values;
    std::int64_t stride;
    const LinkParameterEntry& entry;
  };
  const ParameterList lists[] = {
      {"9", I.LandauTellerReactions, R.LandauTellerParameters, 2, m.landauTeller[0]},
      {"10", I.ReverseLandauTellerReactions, R.ReverseLandauTellerParameters, 2,
       m.reverseLandauTeller[0]},
      {"11", I.WavelengthReactions, R.Wavelengths, 1, m.wavelength[0]},
      {"13", I.JanevReactions, R.JanevParameters, 3, m.janev[0]},
      {"14", I.FitReactions, R.FitParameters, 2, m.fit[0]},
      {"15", I.ExcitationReactions, R.ExcitationEnergies, 1, m.excitation[0]},
      {"16", I.RealStoichReactions, R.RealStoichCoefficients, 6, m.realStoich[0]},
  };
  for (const ParameterList& list : lists) {
    EXPECT_EQ(a.IKWORK[At(list.reactions, 1, 1, 1)], list.entry.reaction) << list.record;
    for (int j = 1; j <= list.stride; ++j) {
      EXPECT_EQ(a.RKWORK[At(list.values, list.stride, 1, j)], list.entry.values[j - 1])
          << list.record;
    }
  }
  // Record 12.
  EXPECT_EQ(a.IKWORK[At(I.ElectronImpactReactions, 1, 1, 1)], 1);
  EXPECT_EQ(a.IKWORK[At(I.ElectronTemperatureIndex, 1, 1, 1)], 3);
  // Record 17.
  EXPECT_EQ(a.IKWORK[At(I.OrderReactions, 1, 1, 1)], 2);
  for (int j = 1; j <= 2; ++j) {
    EXPECT_EQ(a.IKWORK[At(I.OrderSpecies, 2, 1, j)], m.order[0].species[j - 1]);
    EXPECT_EQ(a.RKWORK[At(R.OrderValues, 2, 1, j)], m.order[0].values[j - 1]);
  }
  // The constants, and the scratch sections that nothing writes while loading.
  EXPECT_EQ(a.RKWORK[At(R.GasConstant, 1, 1, 1)], 8.31451E+07);
  EXPECT_EQ(a.RKWORK[At(R.GasConstantCal, 1, 1, 1)], 1.9872155831739962);
  EXPECT_EQ(a.RKWORK[At(R.StandardPressure, 1, 1, 1)], 1013250.0);
  for (std::int64_t p = R.ForwardRateCoefficients; p <= state.layout.usedRealLength; ++p) {
    EXPECT_EQ(a.RKWORK[static_cast<std::size_t>(p - 1)], kRealSentinel) << p;
  }
  EXPECT_EQ(state.SmallValue, 1.0000000000000324e-300);
  EXPECT_EQ(state.ExpCap, 690.7755278982137);
}

TEST(LinkingFile, TheIndependentProducersFileLoads) {
  PATHFLUX_REQUIRE_SHARED_DATA();
  LoadedKinetics loaded;
  const Captured run = RunCaptured([&](common::Console& console) {
    loaded = LoadKineticsFile(test_support::SharedData("gri30/chem.bin"), console);
  });
  ASSERT_FALSE(run.stopped) << run.text;
  EXPECT_EQ(run.text, "");
  EXPECT_EQ(loaded.outcome, LoadOutcome::Complete);
  std::int32_t elements = 0, species = 0, reactions = 0, perRange = 0;
  QueryCounts(loaded.IKWORK, loaded.RKWORK, elements, species, reactions, perRange);
  EXPECT_EQ(elements, 5);
  EXPECT_EQ(species, 53);
  EXPECT_EQ(reactions, 325);
  EXPECT_EQ(perRange, 7);
  EXPECT_EQ(loaded.IKWORK.size(), 5472u);
  EXPECT_EQ(loaded.RKWORK.size(), 4659u);
  EXPECT_EQ(loaded.SKWORK.size(), 58u);
  EXPECT_EQ(loaded.SKWORK[5], Padded("H2"));
}

TEST(LinkingFile, MissingFileStops) {
  const std::string path = ScratchPath("absent.bin");
  const Captured run =
      RunCaptured([&](common::Console& console) { LoadKineticsFile(path, console); });
  EXPECT_TRUE(run.stopped);
  EXPECT_TRUE(run.paused);
  EXPECT_EQ(run.text, " Cannot open the kinetics linking file " + path + ".\n");
}

// --- Header ---------------------------------------------------------------------------------

const std::string kFlagLines =
    "\n There is an error in the kinetics binary file...\n"
    " Check VORDANE output for error conditions.\n";
const std::string kVersionLines =
    "\n Kinetics binary file is incompatible with Kinetics Library Version 4.3\n";
const std::string kPrecisionLines =
    "\n Precision of kinetics binary file does not agree with precision of kinetics library\n";

std::string WithRecord1(const std::string& name, const std::string& version,
                        const std::string& precision, std::int32_t flag) {
  std::vector<Payload> records = ReadRecords(WriteFixture(name, PlainMechanism()));
  common::FieldWriter first;
  first.putName(version);
  first.putName(precision);
  first.putInt(flag);
  records[0] = first.bytes();
  const std::string path = WriteRecords(ScratchPath(name), records);
  return path;
}

TEST(LinkingFile, HeaderVerdicts) {
  struct Case {
    const char* what;
    const char* version;
    const char* precision;
    std::int32_t flag;
    std::string lines;
  };
  const Case cases[] = {
      {"accepted 3.9", "3.9", "DOUBLE", 0, ""},
      {"accepted 3.6b", "3.6b", "DOUBLE", 0, ""},
      {"accepted 3.6c", "3.6c", "DOUBLE", 0, ""},
      {"accepted 3.6d", "3.6d", "DOUBLE", 0, ""},
      {"accepted 3.8", "3.8", "DOUBLE", 0, ""},
      {"an added character", "3.9a", "DOUBLE", 0, kVersionLines},
      {"a leading blank", " 3.9", "DOUBLE", 0, kVersionLines},
      {"another number", "3.7", "DOUBLE", 0, kVersionLines},
      {"DOUB after blanks", "3.9", "   DOUB", 0, ""},
      {"lower-case precision", "3.9", "double", 0, kPrecisionLines},
      {"single precision", "3.9", "SINGLE", 0, kPrecisionLines},
      {"flag written as -1", "3.9", "DOUBLE", -1, kFlagLines},
      {"flag with only the lowest bit", "3.9", "DOUBLE", 1, kFlagLines},
      {"lowest bit clear is false", "3.9", "DOUBLE", 2, ""},
      {"version and precision", "3.7", "SINGLE", 0, kVersionLines + kPrecisionLines},
      {"all three, flag first", "3.7", "SINGLE", -1, kFlagLines + kVersionLines + kPrecisionLines},
  };
  for (const Case& c : cases) {
    const std::string path = WithRecord1("header.bin", c.version, c.precision, c.flag);
    const Captured query = QuerySizes(path);
    EXPECT_EQ(query.stopped, !c.lines.empty()) << c.what;
    EXPECT_EQ(query.paused, !c.lines.empty()) << c.what;
    EXPECT_EQ(query.text, c.lines) << c.what;
    // The load checks the header again, with the same lines.
    const Captured load = LoadDeclared(path);
    EXPECT_EQ(load.text, c.lines) << c.what;
  }
}

TEST(LinkingFile, ShortRecord1IsAReadFailure) {
  std::vector<Payload> records = ReadRecords(WriteFixture("short1.bin", PlainMechanism()));
  records[0].resize(35);
  const std::string path = WriteRecords(ScratchPath("short1.bin"), records);
  const Captured run = QuerySizes(path);
  EXPECT_TRUE(run.stopped);
  EXPECT_TRUE(run.paused);
  EXPECT_EQ(run.text, " Error reading kinetics binary file.\n");
}

// The header reads the first 100 bytes of record 2, the load all 124.
TEST(LinkingFile, Record2Length) {
  struct Case {
    std::size_t bytes;
    std::string queryLines;
    std::string loadLines;
  };
  const Case cases[] = {
      {99, " Error reading kinetics binary file.\n", " Error reading kinetics binary file.\n"},
      {100, "", " Error reading binary file...\n"},
      {123, "", " Error reading binary file...\n"},
      {124, "", ""},
      {140, "", ""},
  };
  for (const Case& c : cases) {
    std::vector<Payload> records = ReadRecords(WriteFixture("record2.bin", FullMechanism()));
    records[1].resize(c.bytes, std::byte{0});
    const std::string path = WriteRecords(ScratchPath("record2.bin"), records);
    LinkSizes sizes;
    const Captured query = QuerySizes(path, &sizes);
    EXPECT_EQ(query.text, c.queryLines) << c.bytes;
    EXPECT_EQ(query.stopped, !c.queryLines.empty()) << c.bytes;
    if (!query.stopped) {
      EXPECT_EQ(sizes.RequiredIntLength, 96) << c.bytes;
      EXPECT_EQ(sizes.ReactionCount, 4) << c.bytes;
    }
    const Captured load = LoadDeclared(path);
    EXPECT_EQ(load.text, c.loadLines) << c.bytes;
    EXPECT_EQ(load.stopped, !c.loadLines.empty()) << c.bytes;
    EXPECT_EQ(load.paused, !c.loadLines.empty()) << c.bytes;
  }
}

// --- Dimensions -----------------------------------------------------------------------------

TEST(LinkingFile, DimensionMessages) {
  const std::string path = WriteFixture("dimensions.bin", FullMechanism());
  const std::string advice = "Check Quillet\n";
  const std::string ints = "          IKWORK MUST BE DIMENSIONED AT LEAST    96\n";
  const std::string reals = "          RKWORK MUST BE DIMENSIONED AT LEAST   142\n";
  const std::string names = "          SKWORK MUST BE DIMENSIONED AT LEAST     5\n";
  struct Case {
    const char* what;
    std::int32_t LENIKW, LENRKW, LENSKW;
    std::string lines;
  };
  const Case cases[] = {
      {"exact lengths", 96, 142, 5, ""},
      {"integers short", 95, 142, 5, advice + ints},
      {"reals short", 96, 141, 5, reals},
      {"names short", 96, 142, 4, names},
      {"integers and names short", 10, 142, 0, advice + ints + names},
      {"all short", -1, 0, 1, advice + ints + reals + names},
  };
  for (const Case& c : cases) {
    WorkArrays arrays(Size(c.LENIKW), Size(c.LENRKW), Size(c.LENSKW));
    const Captured run = RunCaptured([&](common::Console& console) {
      Load(path, console, c.LENIKW, c.LENRKW, c.LENSKW, arrays);
    });
    EXPECT_EQ(run.text, c.lines) << c.what;
    EXPECT_EQ(run.stopped, !c.lines.empty()) << c.what;
    EXPECT_EQ(run.paused, !c.lines.empty()) << c.what;
  }
}

TEST(LinkingFile, RequiredLengthInFiveColumns) {
  struct Case {
    std::int32_t declared;
    const char* shown;
  };
  const Case cases[] = {{99999, "99999"}, {100000, "*****"}, {-1234, "-1234"}};
  for (const Case& c : cases) {
    LinkMechanism m = FullMechanism();
    m.RequiredIntLength = c.declared;
    const std::string path = WriteFixture("wide.bin", m);
    WorkArrays arrays(0, 142, 5);
    const Captured run =
        RunCaptured([&](common::Console& console) { Load(path, console, -2000, 142, 5, arrays); });
    EXPECT_EQ(run.text,
              std::string("Check Quillet\n          IKWORK MUST BE DIMENSIONED AT LEAST ") +
                  c.shown + "\n");
  }
}

TEST(LinkingFile, ElementLengthBelow16) {
  const std::string path = WriteFixture("element.bin", FullMechanism());
  WorkArrays arrays(96, 142, 5);
  const Captured run =
      RunCaptured([&](common::Console& console) { Load(path, console, 96, 142, 5, arrays, 15); });
  EXPECT_TRUE(run.paused);
  EXPECT_EQ(run.text, "          CHARACTER LENGTH OF SKWORK MUST BE AT LEAST 16 \n");
}

// Stated lengths that the arrays do not hold would let the load write past their ends.
TEST(LinkingFile, ArraysShorterThanStated) {
  const std::string path = WriteFixture("stated.bin", FullMechanism());
  WorkArrays arrays(50, 142, 3);
  const Captured run =
      RunCaptured([&](common::Console& console) { Load(path, console, 96, 142, 5, arrays); });
  EXPECT_TRUE(run.paused);
  EXPECT_EQ(run.text,
            " IKWORK holds 50 entries, fewer than LENIKW = 96.\n"
            " SKWORK holds 3 entries, fewer than LENSKW = 5.\n");
}

// --- End of file and read failures ----------------------------------------------------------

std::string FirstRecords(const std::string& name, const LinkMechanism& m, std::size_t count) {
  std::vector<Payload> records = ReadRecords(WriteFixture(name, m));
  records.resize(count);
  const std::string path = WriteRecords(ScratchPath(name), records);
  return path;
}

std::string EndOfFileLine(const std::string& path, int record) {
  return " End of file " + path + " reached where record " + std::to_string(record) +
         " should begin.\n";
}

TEST(LinkingFile, EndOfFileWhereARecordShouldBegin) {
  struct Case {
    std::size_t records;
    int expected;  // record whose start is missing
  };
  // The header meets the end in records 1 and 2, the load in every other record.
  for (const Case& c : {Case{0, 1}, Case{1, 2}}) {
    const std::string path = FirstRecords("eof.bin", FullMechanism(), c.records);
    const Captured run = QuerySizes(path);
    EXPECT_TRUE(run.stopped);
    EXPECT_FALSE(run.paused);
    EXPECT_EQ(run.text, EndOfFileLine(path, c.expected));
  }
  for (const Case& c : {Case{2, 3}, Case{3, 4}, Case{5, 6}, Case{9, 10}, Case{16, 17}}) {
    const std::string path = FirstRecords("eof.bin", FullMechanism(), c.records);
    const Captured run = LoadDeclared(path);
    EXPECT_TRUE(run.stopped) << c.records;
    EXPECT_FALSE(run.paused) << c.records;
    EXPECT_EQ(run.text, EndOfFileLine(path, c.expected));
  }
}

// The end of the file where the reactions should begin is a quiet, partial load.
TEST(LinkingFile, EndOfFileBeforeReactionsIsQuiet) {
  const std::string path = FirstRecords("quiet.bin", FullMechanism(), 4);
  WorkArrays arrays(0, 0, 0);
  LoadOutcome outcome = LoadOutcome::Complete;
  const Captured run = LoadDeclared(path, &arrays, &outcome);
  EXPECT_FALSE(run.stopped);
  EXPECT_EQ(run.text, "");
  EXPECT_EQ(outcome, LoadOutcome::EndedBeforeReactions);
  const KineticsState& state = CurrentKineticsState();
  const RealSections& R = state.layout.real;
  EXPECT_EQ(arrays.RKWORK[At(R.RateParameters, 4, 1, 4)], kRealSentinel);
  EXPECT_EQ(arrays.RKWORK[At(R.GasConstant, 1, 1, 1)], 8.31451E+07);
  // Nothing unread is left for a later reader to take an index from: the slots are empty and
  // the auxiliary lists count no entries.
  const IntegerSections& I = state.layout.integer;
  for (int j = 1; j <= 6 * 4; ++j) {
    EXPECT_EQ(arrays.IKWORK[At(I.StoichSpecies, 1, 1, j)], 0);
    EXPECT_EQ(arrays.IKWORK[At(I.StoichCoefficients, 1, 1, j)], 0);
  }
  EXPECT_EQ(state.counts.ReactionCount, 4);
  EXPECT_EQ(state.counts.FallOffReactionCount, 0);
  EXPECT_EQ(state.counts.OrderReactionCount, 0);
}

// Absent records take no space: without reactions the file ends after record 4, without
// auxiliary lists after record 5, and both load completely.
TEST(LinkingFile, AbsentRecordsAreNotWrittenNorRead) {
  LinkMechanism noReactions = PlainMechanism();
  noReactions.reactions.clear();
  struct Case {
    const char* what;
    LinkMechanism mechanism;
    std::size_t records;
  };
  const Case cases[] = {{"no reactions", noReactions, 4},
                        {"no auxiliary lists", PlainMechanism(), 5}};
  for (const Case& c : cases) {
    const std::string path = WriteFixture("absent.bin", c.mechanism);
    EXPECT_EQ(ReadRecords(path).size(), c.records) << c.what;
    LoadOutcome outcome = LoadOutcome::EndedBeforeReactions;
    const Captured run = LoadDeclared(path, nullptr, &outcome);
    EXPECT_FALSE(run.stopped) << c.what;
    EXPECT_EQ(outcome, LoadOutcome::Complete) << c.what;
  }
}

TEST(LinkingFile, ShortRecordsAreReadFailures) {
  const char* const messages[] = {
      " Error reading element data...",
      " Error reading species data...",
      " Error reading reaction data...",
      " Error reading reverse Arrhenius parameters...",
      " Error reading Fall-off data...",
      " Error reading third-body data...",
      " Error reading Landau-Teller data...",
      " Error reading reverse Landau-Teller data...",
      " Error reading Wavelength data...",
      " Error reading Electron-impact data...",
      " Error reading Janev-Langer-Evans-Post data...",
      " Error reading Fit # 1 data...",
      " Error reading excitation-reaction data...",
      " Error reading real stoichometric data...",
      " Error reading order data...",
  };
  for (int record = 3; record <= 17; ++record) {
    std::vector<Payload> records = ReadRecords(WriteFixture("short.bin", FullMechanism()));
    records[static_cast<std::size_t>(record - 1)].pop_back();
    const std::string path = WriteRecords(ScratchPath("short.bin"), records);
    const Captured run = LoadDeclared(path);
    EXPECT_TRUE(run.paused) << record;
    EXPECT_EQ(run.text, std::string(messages[record - 3]) + "\n") << record;
  }
}

// --- Refusals -------------------------------------------------------------------------------

TEST(LinkingFile, RefusesFilesThatWouldLeaveTheArrays) {
  using Edit = std::function<void(LinkMechanism&)>;
  using Patch = std::function<void(std::vector<Payload>&)>;
  struct Case {
    const char* what;
    Edit edit;
    Patch patch;
    std::string lines;
  };
  const std::string r2 = " Record 2 of the kinetics linking file";
  const Case cases[] = {
      {"declared integer length too small", [](LinkMechanism& m) { m.RequiredIntLength = 95; },
       nullptr, r2 + ": its counts need 96 integer work entries, more than the 95 it declares.\n"},
      {"every declared length too small",
       [](LinkMechanism& m) {
         m.RequiredIntLength = 95;
         m.RequiredRealLength = 141;
         m.RequiredCharLength = 4;
       },
       nullptr,
       r2 + ": its counts need 96 integer work entries, more than the 95 it declares.\n" + r2 +
           ": its counts need 142 real work entries, more than the 141 it declares.\n" + r2 +
           ": its counts need 5 character work entries, more than the 4 it declares.\n"},
      {"negative stride", [](LinkMechanism& m) { m.MaxOrderSpecies = -1; }, nullptr,
       r2 + ": MaxOrderSpecies = -1 is negative.\n"},
      {"negative count", nullptr,
       [](std::vector<Payload>& records) { test_support::PatchInt(records[1], 13 * 4, -1); },
       r2 + ": ReverseReactionCount = -1 is negative.\n"},
      {"auxiliary lists without reactions", [](LinkMechanism& m) { m.reactions.clear(); }, nullptr,
       r2 + ": ReverseReactionCount = 1 lists reactions, but ReactionCount = 0.\n"},
      {"one temperature bound", [](LinkMechanism& m) { m.MaxTemperatures = 1; }, nullptr,
       r2 + ": MaxTemperatures = 1 leaves the species no temperature range.\n"},
      {"temperature count above its maximum",
       [](LinkMechanism& m) { m.species[1].temperatureCount = 4; }, nullptr,
       " Record 4 of the kinetics linking file, species 2: TemperatureCount 4 is above "
       "MaxTemperatures = 3.\n"},
      {"slot species above KK", [](LinkMechanism& m) { m.reactions[1].slots[2].species = 4; },
       nullptr,
       " Record 5 of the kinetics linking file, reaction 2, slot 3: species 4 is outside 0 to "
       "3.\n"},
      {"negative slot species", [](LinkMechanism& m) { m.reactions[3].slots[5].species = -1; },
       nullptr,
       " Record 5 of the kinetics linking file, reaction 4, slot 6: species -1 is outside 0 to "
       "3.\n"},
      {"fall-off third body above KK", [](LinkMechanism& m) { m.fallOff[0].thirdBody = 4; },
       nullptr,
       " Record 7 of the kinetics linking file, entry 1: third body 4 is outside 0 to 3.\n"},
      {"more enhanced third bodies than slots", nullptr,
       [](std::vector<Payload>& records) { test_support::PatchInt(records[7], 4, 3); },
       " Record 8 of the kinetics linking file, entry 1: count of enhanced third bodies 3 is "
       "outside 0 to 2.\n"},
      {"negative count of enhanced third bodies", nullptr,
       [](std::vector<Payload>& records) { test_support::PatchInt(records[7], 32 + 4, -1); },
       " Record 8 of the kinetics linking file, entry 2: count of enhanced third bodies -1 is "
       "outside 0 to 2.\n"},
      {"empty slot among the used third bodies",
       [](LinkMechanism& m) {
         m.thirdBody[0].species = {1, 0};
       },
       nullptr,
       " Record 8 of the kinetics linking file, entry 1, slot 2: species 0 is outside 1 to "
       "3.\n"},
      {"unused third-body slot above KK", nullptr,
       // Entry 2 starts at byte 32; its slot 2 species follows the reaction, the count and
       // slot 1.
       [](std::vector<Payload>& records) { test_support::PatchInt(records[7], 32 + 8 + 12, 4); },
       " Record 8 of the kinetics linking file, entry 2, slot 2: species 4 is outside 0 to "
       "3.\n"},
      {"order code above KK",
       [](LinkMechanism& m) {
         m.order[0].species = {-1, 4};
       },
       nullptr,
       " Record 17 of the kinetics linking file, entry 1, slot 2: species code 4 is outside -3 "
       "to 3.\n"},
      {"order code below -KK",
       [](LinkMechanism& m) {
         m.order[0].species = {-4, 1};
       },
       nullptr,
       " Record 17 of the kinetics linking file, entry 1, slot 1: species code -4 is outside -3 "
       "to 3.\n"},
      {"electron temperature index 0",
       [](LinkMechanism& m) { m.electronImpact[0].temperatureIndex = 0; }, nullptr,
       " Record 12 of the kinetics linking file, entry 1: temperature index 0 is below 1.\n"},
  };
  for (const Case& c : cases) {
    LinkMechanism m = FullMechanism();
    if (c.edit) c.edit(m);
    std::string path = WriteFixture("refused.bin", m);
    if (c.patch) {
      std::vector<Payload> records = ReadRecords(path);
      c.patch(records);
      WriteRecords(path, records);
    }
    const Captured run = LoadDeclared(path);
    EXPECT_TRUE(run.stopped) << c.what;
    EXPECT_TRUE(run.paused) << c.what;
    EXPECT_EQ(run.text, c.lines) << c.what;
  }
}

// Every auxiliary record names reactions 1..ReactionCount only.
TEST(LinkingFile, RefusesReactionNumbersOutOfRange) {
  using Edit = std::function<void(LinkMechanism&, std::int32_t)>;
  struct Case {
    int record;
    int entry;
    Edit edit;
  };
  const Case cases[] = {
      {6, 1, [](LinkMechanism& m, std::int32_t r) { m.reverse[0].reaction = r; }},
      {7, 1, [](LinkMechanism& m, std::int32_t r) { m.fallOff[0].reaction = r; }},
      {8, 2, [](LinkMechanism& m, std::int32_t r) { m.thirdBody[1].reaction = r; }},
      {9, 1, [](LinkMechanism& m, std::int32_t r) { m.landauTeller[0].reaction = r; }},
      {10, 1, [](LinkMechanism& m, std::int32_t r) { m.reverseLandauTeller[0].reaction = r; }},
      {11, 1, [](LinkMechanism& m, std::int32_t r) { m.wavelength[0].reaction = r; }},
      {12, 1, [](LinkMechanism& m, std::int32_t r) { m.electronImpact[0].reaction = r; }},
      {13, 1, [](LinkMechanism& m, std::int32_t r) { m.janev[0].reaction = r; }},
      {14, 1, [](LinkMechanism& m, std::int32_t r) { m.fit[0].reaction = r; }},
      {15, 1, [](LinkMechanism& m, std::int32_t r) { m.excitation[0].reaction = r; }},
      {16, 1, [](LinkMechanism& m, std::int32_t r) { m.realStoich[0].reaction = r; }},
      {17, 1, [](LinkMechanism& m, std::int32_t r) { m.order[0].reaction = r; }},
  };
  for (const Case& c : cases) {
    for (std::int32_t reaction : {0, 5}) {
      LinkMechanism m = FullMechanism();
      c.edit(m, reaction);
      const Captured run = LoadDeclared(WriteFixture("reaction.bin", m));
      EXPECT_TRUE(run.paused) << c.record;
      EXPECT_EQ(run.text, " Record " + std::to_string(c.record) +
                              " of the kinetics linking file, entry " + std::to_string(c.entry) +
                              ": reaction " + std::to_string(reaction) + " is outside 1 to 4.\n");
    }
  }
}

}  // namespace
}  // namespace kinetics

namespace kinetics {
namespace {

// FullMechanism with a pressure-table record: two tables, one Chebyshev fit, one activated
// reaction; every value distinct.
LinkMechanism TableMechanism() {
  LinkMechanism m = FullMechanism();
  m.pressureTables = {{1, {{0.1, {1e10, 0.5, 100.0}}, {1.0, {2e10, 0.6, 200.0}}}},
                      {3, {{2.0, {3e10, 0.7, 300.0}}}}};
  m.chebyshev = {{2, 2, 3, {300.0, 2000.0, 0.01, 100.0}, {1.1, 1.2, 1.3, 1.4, 1.5, 1.6}}};
  m.activated = {
      {4, 3, 0, {5e12, 0.1, 50.0}, {6e16, -1.0, 60.0, 0.7, 80.0, 900.0, 0, 0}, {2, 3}, {2.5, 0.5}}};
  return m;
}

TEST(LinkingFile, TheTableRecordLoadsAfterTheLastRecord) {
  const LinkMechanism m = TableMechanism();
  WorkArrays a(0, 0, 0);
  const Captured run = LoadDeclared(WriteFixture("tables.bin", m), &a);
  ASSERT_FALSE(run.stopped) << run.text;
  const KineticsState& state = CurrentKineticsState();
  const IntegerSections& I = state.layout.integer;
  const RealSections& R = state.layout.real;
  EXPECT_EQ(state.tables.PressureRowCount, 3);
  EXPECT_EQ(state.tables.ActivatedEfficiencyCount, 2);
  // The sections of records 3 to 17 keep their places; the integer table sections follow
  // them, the real ones come before the constants and the scratch.
  const WorkArrayLayout base = ComputeWorkArrayLayout(CountsOf(m));
  EXPECT_EQ(R.OrderValues, base.real.OrderValues);
  EXPECT_EQ(I.PressureTableReactions, base.usedIntLength + 1);
  EXPECT_EQ(R.PressureTablePressures, base.real.GasConstant);
  EXPECT_EQ(a.RKWORK[At(R.StandardPressure, 1, 1, 1)], kStandardPressure);
  EXPECT_EQ(a.RKWORK.size(), static_cast<std::size_t>(state.layout.usedRealLength));

  int row = 0;
  for (int n = 1; n <= 2; ++n) {
    const LinkPressureTable& table = m.pressureTables[n - 1];
    EXPECT_EQ(a.IKWORK[At(I.PressureTableReactions, 1, 1, n)], table.reaction);
    EXPECT_EQ(a.IKWORK[At(I.PressureTableFirstRow, 1, 1, n)], row + 1);
    EXPECT_EQ(a.IKWORK[At(I.PressureTableRows, 1, 1, n)], static_cast<int>(table.rows.size()));
    for (const LinkPressureRow& r : table.rows) {
      ++row;
      EXPECT_EQ(a.RKWORK[At(R.PressureTablePressures, 1, 1, row)], r.pressure);
      for (int j = 1; j <= 3; ++j)
        EXPECT_EQ(a.RKWORK[At(R.PressureTableParameters, 3, row, j)], r.rate[j - 1]);
    }
  }
  const LinkChebyshev& fit = m.chebyshev[0];
  EXPECT_EQ(a.IKWORK[At(I.ChebyshevReactions, 1, 1, 1)], 2);
  EXPECT_EQ(a.IKWORK[At(I.ChebyshevTemperatureCount, 1, 1, 1)], 2);
  EXPECT_EQ(a.IKWORK[At(I.ChebyshevPressureCount, 1, 1, 1)], 3);
  for (int j = 1; j <= 4; ++j)
    EXPECT_EQ(a.RKWORK[At(R.ChebyshevRanges, 4, 1, j)], fit.ranges[j - 1]);
  for (int j = 1; j <= 6; ++j)
    EXPECT_EQ(a.RKWORK[At(R.ChebyshevCoefficients, 1, 1, j)], fit.coefficients[j - 1]);
  const LinkActivated& activated = m.activated[0];
  EXPECT_EQ(a.IKWORK[At(I.ActivatedReactions, 1, 1, 1)], 4);
  EXPECT_EQ(a.IKWORK[At(I.ActivatedForm, 1, 1, 1)], 3);
  EXPECT_EQ(a.IKWORK[At(I.ActivatedEfficiencyCount, 1, 1, 1)], 2);
  for (int j = 1; j <= 3; ++j)
    EXPECT_EQ(a.RKWORK[At(R.ActivatedHighParameters, 3, 1, j)], activated.high[j - 1]);
  for (int j = 1; j <= 8; ++j)
    EXPECT_EQ(a.RKWORK[At(R.ActivatedParameters, 8, 1, j)], activated.values[j - 1]);
  for (int j = 1; j <= 2; ++j) {
    EXPECT_EQ(a.IKWORK[At(I.ActivatedEfficiencySpecies, 1, 1, j)], activated.species[j - 1]);
    EXPECT_EQ(a.RKWORK[At(R.ActivatedEfficiencies, 1, 1, j)], activated.efficiencies[j - 1]);
  }
}

TEST(LinkingFile, RefusesADamagedTableRecord) {
  using Edit = std::function<void(LinkMechanism&)>;
  using Patch = std::function<void(Payload&)>;
  struct Case {
    const char* what;
    Edit edit;
    Patch patch;  // of the table record
    std::string lines;
  };
  const std::string t = " The pressure-table record of the kinetics linking file";
  // Byte offsets in the record: the mark (16), the format (4), the unit (8), then the counts.
  constexpr std::size_t kFormat = 16;
  constexpr std::size_t kCounts = 28;
  const Case cases[] = {
      {"truncated", nullptr, [](Payload& p) { p.resize(p.size() - 8); },
       " Error reading pressure-table data...\n"},
      {"another mark", nullptr, [](Payload& p) { p[0] = std::byte{'X'}; },
       " The record after the last one the counts give does not start with "
       "\"PRESSURE-TABLES\".\n"},
      {"another format", nullptr, [&](Payload& p) { test_support::PatchInt(p, kFormat, 2); },
       t + " has format 2; this reader knows 1.\n"},
      {"negative count", nullptr, [&](Payload& p) { test_support::PatchInt(p, kCounts + 8, -1); },
       t + ": ChebyshevReactionCount = -1 is negative.\n"},
      {"counts beyond the declared lengths", nullptr,
       [&](Payload& p) { test_support::PatchInt(p, kCounts + 4, 1000); },
       t + ": its tables need 113 integer and 4165 real work entries, more than the 113 and 177 "
           "declared.\n"},
      {"counts beyond the record",
       [](LinkMechanism& m) { m.RequiredIntLength = m.RequiredRealLength = 200; },
       [&](Payload& p) {
         // One more enhanced third body, in the counts and in the last entry.
         test_support::PatchInt(p, kCounts + 20, 3);
         test_support::PatchInt(p, p.size() - 2 * 12 - 11 * 8 - 4, 3);
       },
       " Error reading pressure-table data...\n"},
      {"rows beyond the row count", nullptr,
       [&](Payload& p) { test_support::PatchInt(p, kCounts + 24 + 4, 4); },
       t + ", pressure table 1: row count 4 is outside 1 to 3.\n"},
      {"pressures not ascending",
       [](LinkMechanism& m) { m.pressureTables[0].rows[1].pressure = 0.05; }, nullptr,
       t + ", pressure table 1: the pressures are not positive and ascending.\n"},
      {"a Chebyshev range that does not increase",
       [](LinkMechanism& m) { m.chebyshev[0].ranges[1] = 300.0; }, nullptr,
       t + ", Chebyshev fit 1: the temperature or pressure range is not positive and "
           "increasing.\n"},
      {"Chebyshev terms beyond the coefficients",
       [](LinkMechanism& m) { m.chebyshev[0].temperatureCount = 0; }, nullptr,
       t + ", Chebyshev fit 1: 0 x 3 terms; each must be 1 or more and their product at most "
           "0.\n"},
      {"an activated reaction out of range", [](LinkMechanism& m) { m.activated[0].reaction = 5; },
       nullptr, t + ", entry 1: reaction 5 is outside 1 to 4.\n"},
      {"an activated form out of range", [](LinkMechanism& m) { m.activated[0].form = 5; }, nullptr,
       t + ", activated entry 1: form 5 is outside 1 to 4.\n"},
      {"an enhanced third body above KK", [](LinkMechanism& m) { m.activated[0].species[1] = 4; },
       nullptr, t + ", activated entry 1: species 4 is outside 1 to 3.\n"},
  };
  for (const Case& c : cases) {
    LinkMechanism m = TableMechanism();
    if (c.edit) c.edit(m);
    const std::string path = WriteFixture("damaged.bin", m);
    if (c.patch) {
      std::vector<Payload> records = ReadRecords(path);
      c.patch(records.back());
      WriteRecords(path, records);
    }
    const Captured run = LoadDeclared(path);
    EXPECT_TRUE(run.stopped) << c.what;
    EXPECT_EQ(run.text, c.lines) << c.what;
  }
}

}  // namespace
}  // namespace kinetics
