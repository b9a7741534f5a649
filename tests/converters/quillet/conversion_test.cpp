// The whole conversion: the GRI-Mech 3.0 acceptance against an independent toolkit's values,
// the transport linking file as the transport reader loads it, and every way a conversion fails.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "converters/quillet/converter.h"
#include "converters/quillet/transport_data.h"
#include "quillet_support.h"
#include "support/memory_console.h"
#include "support/scratch_folder.h"
#include "support/shared_data.h"
#include "transport/linking_file.h"

namespace quillet {
namespace {

using test_support::ReadText;
using test_support::ScratchFolder;
using test_support::SharedData;

// A transport linking file as the reader loads it, or the reader's messages when it stops.
struct LoadedLink {
  bool loaded = false;
  std::string messages;
  transport::TransportState state;
  transport::LoadedTransport arrays;

  double real(std::int64_t start, std::int64_t offset) const {
    return arrays.RTWORK.at(static_cast<std::size_t>(start - 1 + offset));
  }
  // Fit n of the section at `start` for block `block` (0-based), evaluated at x.
  double fit(std::int64_t start, std::int64_t block, double x) const {
    double value = 0.0;
    for (std::int64_t n = state.FitOrder; n-- > 0;) {
      value = value * x + real(start, block * state.FitOrder + n);
    }
    return value;
  }
};

LoadedLink load(const std::string& path) {
  LoadedLink link;
  test_support::MemoryConsole console;
  try {
    link.arrays = transport::LoadTransportFile(path, console);
    link.state = transport::CurrentTransportState();
    link.loaded = true;
  } catch (const common::Stop&) {
  }
  link.messages = console.text();
  return link;
}

ConversionResult convert(const ScratchFolder& folder, const std::string& kinetics,
                         const std::string& data) {
  return ConvertTransport({kinetics, folder.path("tran.bin"), data, folder.path("tran.out")});
}

std::vector<std::vector<std::string>> readCsv(const std::string& path) {
  std::ifstream file(path);
  std::vector<std::vector<std::string>> rows;
  std::string line;
  std::getline(file, line);
  while (std::getline(file, line)) {
    std::vector<std::string> row;
    std::stringstream fields(line);
    for (std::string field; std::getline(fields, field, ',');) row.push_back(field);
    rows.push_back(row);
  }
  return rows;
}

struct Worst {
  double deviation = 0.0;
  std::string where;
  void note(double fitted, double reference, const std::string& at) {
    const double relative = fitted / reference - 1.0;
    if (std::abs(relative) > std::abs(deviation)) {
      deviation = relative;
      where = at;
    }
  }
};

class GriMech : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    PATHFLUX_REQUIRE_SHARED_DATA();
    folder_ = new ScratchFolder;
    result_ = new ConversionResult(
        convert(*folder_, SharedData("gri30/chem.bin"), SharedData("gri30/gri30_tran.dat")));
    link_ = new LoadedLink(load(folder_->path("tran.bin")));
  }
  void SetUp() override { PATHFLUX_REQUIRE_SHARED_DATA(); }
  static void TearDownTestSuite() {
    delete link_;
    delete result_;
    delete folder_;
  }
  static ScratchFolder* folder_;
  static ConversionResult* result_;
  static LoadedLink* link_;
};
ScratchFolder* GriMech::folder_ = nullptr;
ConversionResult* GriMech::result_ = nullptr;
LoadedLink* GriMech::link_ = nullptr;

TEST_F(GriMech, ConvertsAndTheReaderLoadsTheFile) {
  EXPECT_EQ(result_->errorFlag, kSuccess) << result_->summary;
  ASSERT_TRUE(link_->loaded) << link_->messages;
  const transport::TransportState& state = link_->state;
  EXPECT_EQ(state.TranPrecision.substr(0, 6), "DOUBLE");
  EXPECT_FALSE(state.TranErrorFlag);
  EXPECT_EQ(state.FitOrder, 4);
  EXPECT_EQ(state.KK, 53);
  EXPECT_EQ(state.LightCount, 2);
  EXPECT_EQ(state.ReferencePressure, 1013250.0);
  EXPECT_EQ(state.TranIntLength, transport::RequiredTransportIntLength(53, 4, 2));
  EXPECT_EQ(state.TranRealLength, transport::RequiredTransportRealLength(53, 4, 2));
  // H2 and H, in species order.
  EXPECT_EQ(link_->arrays.ITWORK.at(state.LightSpecies - 1), 1);
  EXPECT_EQ(link_->arrays.ITWORK.at(state.LightSpecies), 2);
  const std::string listing = ReadText(folder_->path("tran.out"));
  EXPECT_NE(listing.find(result_->summary + "\n"), std::string::npos);
  EXPECT_NE(listing.find("    14  CH4"), std::string::npos) << listing;
}

// Fitted values against the independent toolkit: 1% for viscosity and diffusion, 3% for
// conductivity. The worst case of each is printed. The closest call is the conductivity of CH2O
// at 300 K: its vibrational heat capacity climbs steeply and then levels off, which no cubic in
// ln T follows closely, and the reference, itself taken from fits, lies 0.5% below the
// kinetic-theory value there. It passed 3% only once CH2O's fit kept to its own thermo range
// (to 3500 K) instead of the mechanism's 6000 K.
TEST_F(GriMech, FitsAgreeWithTheIndependentReference) {
  ASSERT_TRUE(link_->loaded) << link_->messages;
  const transport::TransportState& state = link_->state;
  Worst viscosity, conductivity, diffusion;
  for (const auto& row : readCsv(SharedData("gri30/transport-reference.csv"))) {
    const std::int64_t k = std::stoll(row[0]) - 1;
    const double temperature = std::stod(row[2]);
    const std::string at = row[1] + " at " + row[2] + " K";
    const double x = std::log(temperature);
    viscosity.note(std::exp(link_->fit(state.ViscosityFits, k, x)), std::stod(row[3]), at);
    conductivity.note(std::exp(link_->fit(state.ConductivityFits, k, x)), std::stod(row[4]), at);
  }
  for (const auto& row : readCsv(SharedData("gri30/diffusion-reference.csv"))) {
    const std::int64_t j = std::stoll(row[0]) - 1;
    const std::int64_t k = std::stoll(row[1]) - 1;
    const double x = std::log(std::stod(row[4]));
    const std::string at = row[2] + "-" + row[3] + " at " + row[4] + " K";
    diffusion.note(std::exp(link_->fit(state.DiffusionFits, j + k * state.KK, x)),
                   std::stod(row[5]), at);
    diffusion.note(std::exp(link_->fit(state.DiffusionFits, k + j * state.KK, x)),
                   std::stod(row[5]), at);
  }
  std::cout << "worst viscosity deviation " << 100 * viscosity.deviation << "% (" << viscosity.where
            << ")\nworst conductivity deviation " << 100 * conductivity.deviation << "% ("
            << conductivity.where << ")\nworst diffusion deviation " << 100 * diffusion.deviation
            << "% (" << diffusion.where << ")\n";
  EXPECT_LE(std::abs(viscosity.deviation), 0.01) << viscosity.where;
  EXPECT_LE(std::abs(conductivity.deviation), 0.03) << conductivity.where;
  EXPECT_LE(std::abs(diffusion.deviation), 0.01) << diffusion.where;
}

// The reader derives the pair parameters itself; they must be the ones the fits used.
TEST_F(GriMech, ReaderPairParametersEqualTheComputedOnes) {
  ASSERT_TRUE(link_->loaded) << link_->messages;
  test_support::MemoryConsole console;
  Diagnostics diagnostics;
  const Mechanism mechanism = ReadMechanism(SharedData("gri30/chem.bin"), console, diagnostics);
  std::vector<std::string> names;
  for (const auto& s : mechanism.species) names.push_back(s.name);
  const TransportData data =
      ReadTransportData(SharedData("gri30/gri30_tran.dat"), names, diagnostics);
  std::vector<FitSpecies> species;
  for (std::size_t k = 0; k < names.size(); ++k) {
    species.push_back({names[k], mechanism.species[k].molecularWeight, &mechanism.species[k].thermo,
                       data.entries[k]->parameters, data.entries[k]->line,
                       PhysicalHeatCapacityBand(mechanism.species[k].atomCount)});
  }
  const TransportFits fits = FitTransport(species, "chem.bin", "tran.dat", diagnostics);
  ASSERT_EQ(diagnostics.errorCount(), 0u);

  const std::int64_t K = link_->state.KK;
  std::size_t induced = 0;
  for (std::int64_t k = 0; k < K; ++k) {
    for (std::int64_t j = 0; j < K; ++j) {
      const PairParameters& pair = fits.pairs[static_cast<std::size_t>(j + k * K)];
      ASSERT_EQ(link_->real(link_->state.PairWellDepths, j + k * K), pair.wellDepth)
          << names[j] << " " << names[k];
      ASSERT_EQ(link_->real(link_->state.PairDiameters, j + k * K), pair.diameter)
          << names[j] << " " << names[k];
      induced += pair.wellDepth !=
                 std::sqrt(species[j].parameters.wellDepth * species[k].parameters.wellDepth);
    }
  }
  EXPECT_GT(induced, 0u);
  // And the file holds exactly the computed fits.
  for (std::size_t i = 0; i < fits.diffusion.size(); ++i) {
    ASSERT_EQ(link_->real(link_->state.DiffusionFits, static_cast<std::int64_t>(i)),
              fits.diffusion[i]);
  }
}

// A polar species with a non-polar, polarizable one: the induced dipole deepens the well and
// shrinks the diameter, and the dipole-dipole term vanishes. Two polar species, and a polar one
// with a non-polar one of no polarizability, combine plainly.
TEST(PairParameters, PolarWithNonPolar) {
  const MolecularParameters water{kNonlinear, 572.4, 2.605, 1.844, 0.0, 4.0};
  const MolecularParameters nitrogen{kLinear, 97.53, 3.621, 0.0, 1.76, 4.0};
  const MolecularParameters ammonia{kNonlinear, 481.0, 2.92, 1.47, 0.0, 10.0};
  const MolecularParameters hydrogenAtom{kAtom, 145.0, 2.05, 0.0, 0.0, 0.0};
  struct Case {
    const char* name;
    MolecularParameters j, k;
    bool induced;
    bool dipoleTerm;
  };
  const Case kCases[] = {
      {"water-nitrogen", water, nitrogen, true, false},
      {"nitrogen-water", nitrogen, water, true, false},
      {"water-ammonia", water, ammonia, false, true},
      {"water-hydrogen atom", water, hydrogenAtom, false, false},
      {"nitrogen-hydrogen atom", nitrogen, hydrogenAtom, false, false},
  };
  for (const Case& c : kCases) {
    const PairParameters pair = CombinePair(c.j, c.k);
    const double plainDepth = std::sqrt(c.j.wellDepth * c.k.wellDepth);
    const double plainDiameter = 0.5 * (c.j.diameter + c.k.diameter);
    if (c.induced) {
      EXPECT_GT(pair.wellDepth, plainDepth * 1.01) << c.name;
      EXPECT_LT(pair.diameter, plainDiameter) << c.name;
    } else {
      EXPECT_DOUBLE_EQ(pair.wellDepth, plainDepth) << c.name;
      EXPECT_DOUBLE_EQ(pair.diameter, plainDiameter) << c.name;
    }
    EXPECT_EQ(pair.reducedDipole > 0.0, c.dipoleTerm) << c.name;
    const PairParameters reversed = CombinePair(c.k, c.j);
    EXPECT_EQ(reversed.wellDepth, pair.wellDepth) << c.name;
    EXPECT_EQ(reversed.diameter, pair.diameter) << c.name;
  }
  // Water's own reduced dipole, the usual 1.22.
  EXPECT_NEAR(CombinePair(water, water).reducedDipole, 1.217, 0.002);
}

// Textbook values of the kinetic theory at 300 K (Hirschfelder, Curtiss and Bird): nitrogen's
// viscosity about 1.78e-4 g/(cm s), argon's conductivity about 1.77e3 erg/(cm s K).
TEST(Properties, TextbookValues) {
  const MolecularParameters nitrogen{kLinear, 97.53, 3.621, 0.0, 1.76, 4.0};
  const MolecularParameters argon{kAtom, 136.5, 3.33, 0.0, 0.0, 0.0};
  EXPECT_NEAR(SpeciesProperties(28.014, nitrogen).viscosity(300.0), 1.78e-4, 0.03e-4);
  EXPECT_NEAR(SpeciesProperties(39.948, argon).conductivity(300.0, 2.5), 1.77e3, 0.05e3);
  // A light species in a heavy one is driven to the hot side: theta negative, and opposite for
  // the heavy one.
  const MolecularParameters hydrogen{kLinear, 38.0, 2.92, 0.0, 0.79, 280.0};
  const PairParameters pair = CombinePair(hydrogen, nitrogen);
  EXPECT_LT(ThermalDiffusion(2.016, 28.014, pair)(1000.0), 0.0);
  EXPECT_GT(ThermalDiffusion(28.014, 2.016, pair)(1000.0), 0.0);
  EXPECT_EQ(ThermalDiffusion(2.016, 2.016, CombinePair(hydrogen, hydrogen))(1000.0), 0.0);
}

// A flagged file: the reader refuses it with its error-flag message.
void expectFlaggedLink(const std::string& path) {
  const LoadedLink link = load(path);
  EXPECT_FALSE(link.loaded);
  EXPECT_NE(link.messages.find("There is an error in the transport binary file"), std::string::npos)
      << link.messages;
}

class SmallMechanism : public ::testing::Test {
 protected:
  void SetUp() override {
    quillet_test::WriteKinetics(folder_.path("chem.bin"), quillet_test::HydrogenOxygenSpecies());
  }
  ConversionResult run(const std::string& data) {
    return convert(folder_, folder_.path("chem.bin"), data);
  }
  std::string listing() const { return ReadText(folder_.path("tran.out")); }
  ScratchFolder folder_;
};

TEST_F(SmallMechanism, ConvertsWithTheLightSpecies) {
  PATHFLUX_REQUIRE_SHARED_DATA();
  const std::string data = SharedData("keyword_tests/cantera/h2o2-float-geometry-tran.dat");
  const ConversionResult result = run(data);
  ASSERT_EQ(result.errorFlag, kSuccess) << listing();
  const LoadedLink link = load(folder_.path("tran.bin"));
  ASSERT_TRUE(link.loaded) << link.messages;
  EXPECT_EQ(link.state.LightCount, 2);
  // Thermal diffusion ratio of H against AR (species 1) at 1000 K: H goes to the hot side.
  EXPECT_LT(link.fit(link.state.ThermalDiffusionFits, 0, 1000.0), 0.0);
  EXPECT_EQ(link.arrays.ITWORK.at(link.state.GeometryCodes - 1 + 2), 1);  // H2, written 1.00
}

TEST_F(SmallMechanism, NoLightSpecies) {
  PATHFLUX_REQUIRE_SHARED_DATA();
  quillet_test::WriteKinetics(folder_.path("chem.bin"),
                              {{"AR", 39.948, 2.5}, {"H2O", 18.015, 4.0}, {"O2", 31.998, 3.6}});
  const ConversionResult result =
      run(SharedData("keyword_tests/cantera/h2o2-missing-species-tran.dat"));
  ASSERT_EQ(result.errorFlag, kSuccess) << listing();
  const LoadedLink link = load(folder_.path("tran.bin"));
  ASSERT_TRUE(link.loaded) << link.messages;
  EXPECT_EQ(link.state.LightCount, 0);
  EXPECT_EQ(link.state.TranRealLength, transport::RequiredTransportRealLength(3, 4, 0));
  EXPECT_NE(listing().find("Light species (molecular weight below 5): none"), std::string::npos);
}

// Every failure: the flag, the message in the listing (with file and line where there is one),
// and a transport file the reader refuses. Output names that clash with other files are the
// table of tests/converters/output_clash_test.cpp.
TEST_F(SmallMechanism, Failures) {
  PATHFLUX_REQUIRE_SHARED_DATA();
  struct Case {
    const char* name;
    std::string kinetics, link, data, listing;
    std::int32_t flag;
    const char* message;  // in the listing, or in the summary when there is no listing
    bool flaggedLink;
  };
  const std::string chem = folder_.path("chem.bin");
  const std::string tranBin = folder_.path("tran.bin");
  const std::string tranOut = folder_.path("tran.out");
  const std::string cantera = SharedData("keyword_tests/cantera/");
  // Argon with a negative heat capacity: its internal heat capacity drives the conductivity
  // below zero.
  auto negativeHeatCapacity = quillet_test::HydrogenOxygenSpecies();
  negativeHeatCapacity[0].heatCapacity = -40.0;
  quillet_test::WriteKinetics(folder_.path("negative.bin"), negativeHeatCapacity);
  const Case kCases[] = {
      {"conductivity not positive", folder_.path("negative.bin"), tranBin,
       cantera + "h2o2-float-geometry-tran.dat", tranOut, kInputError,
       "h2o2-float-geometry-tran.dat:1: error: species AR: thermal conductivity is not a positive "
       "number at 300 K",
       true},
      {"missing species data", chem, tranBin, cantera + "h2o2-missing-species-tran.dat", tranOut,
       kInputError,
       "h2o2-missing-species-tran.dat: error: no usable transport data for species H2O2", true},
      {"malformed line", chem, tranBin, cantera + "h2o2-character-geometry-tran.dat", tranOut,
       kInputError,
       "h2o2-character-geometry-tran.dat:6: error: species HO2: geometry \"a\" is not 0", true},
      {"missing transport data", chem, tranBin, folder_.path("none.dat"), tranOut, kInputError,
       "none.dat: error: the transport data file cannot be opened", true},
      {"missing kinetics file", folder_.path("none.bin"), tranBin,
       cantera + "h2o2-float-geometry-tran.dat", tranOut, kKineticsUnreadable,
       "none.bin: error: the kinetics linking file cannot be read", true},
      {"kinetics file that is not one", cantera + "h2o2-float-geometry-tran.dat", tranBin,
       cantera + "h2o2-float-geometry-tran.dat", tranOut, kKineticsUnreadable,
       "Messages of the kinetics reader:", true},
      {"listing cannot be written", chem, tranBin, cantera + "h2o2-float-geometry-tran.dat",
       folder_.path("no/such/folder/tran.out"), kListingUnwritable, "FAILED", true},
      {"transport file cannot be written", chem, folder_.path("no/such/folder/tran.bin"),
       cantera + "h2o2-float-geometry-tran.dat", tranOut, kOutputUnwritable,
       "tran.bin: error: cannot be written", false},
      {"no names", "", "", "", "", kOutputUnwritable, "FAILED", false},
  };
  const std::string chemBefore = ReadText(chem);
  for (const Case& c : kCases) {
    std::filesystem::remove(tranBin);
    std::filesystem::remove(tranOut);
    const ConversionResult result = ConvertTransport({c.kinetics, c.link, c.data, c.listing});
    EXPECT_EQ(result.errorFlag, c.flag) << c.name << ": " << result.summary;
    EXPECT_NE(result.summary.find("FAILED"), std::string::npos) << c.name;
    const std::string text = std::filesystem::exists(c.listing) && c.listing == tranOut
                                 ? ReadText(tranOut)
                                 : result.summary;
    EXPECT_NE(text.find(c.message), std::string::npos) << c.name << "\n" << text;
    if (c.flaggedLink) {
      expectFlaggedLink(c.link);
    } else {
      EXPECT_FALSE(std::filesystem::exists(tranBin)) << c.name;
    }
    EXPECT_EQ(ReadText(chem), chemBefore) << c.name;
  }
}

// A mechanism file given as the transport data file: the lines of its TRANSPORT section are
// read as a data file of their own would be, to the same bytes of the transport linking file,
// and nothing else of it is (the thermo line of H2 would be an error). Messages name the lines
// of the whole file.
TEST_F(SmallMechanism, TransportSectionOfAMechanismFile) {
  const std::string data =
      "AR    0  136.500  3.330  0.000  0.000    0.000\n"
      "H     0  145.000  2.050  0.000  0.000    0.000\n"
      "H2    1   38.000  2.920  0.000  0.790  280.000\n"
      "H2O   2  572.400  2.605  1.844  0.000    4.000\n"
      "H2O2  2  107.400  3.458  0.000  0.000    3.800\n"
      "HO2   2  107.400  3.458  0.000  0.000    1.000\n"
      "O     0   80.000  2.750  0.000  0.000    0.000\n"
      "O2    1  107.400  3.458  0.000  1.600    3.800\n"
      "OH    1   80.000  2.750  0.000  0.000    0.000\n";
  const std::string head =
      "ELEMENTS H O AR END\n"                                                               // 1
      "SPECIES AR H H2 H2O H2O2 HO2 O O2 OH END\n"                                          // 2
      "THERMO ALL\n"                                                                        // 3
      "   300.000  1000.000  5000.000\n"                                                    // 4
      "H2                TPIS78H   2    0    0    0G   200.000  3500.000  1000.000    1\n"  // 5
      "END\n";                                                                              // 6
  struct Case {
    const char* name;
    std::string text;
    const char* message;  // in the listing, or nullptr
  };
  const Case kCases[] = {
      {"after the reactions",
       head + "REACTIONS\nH+O2=OH+O 1 0 0\nEND\nTRANSPORT\n" + data + "END\n", nullptr},
      {"abbreviated, lower case, before the reactions",
       head + "tran all ! the data\n" + data + "end\nREACTIONS\nH+O2=OH+O 1 0 0\nEND\n", nullptr},
      {"without END", head + "TRANSPORT\n" + data + "REACTIONS\nEND\n",
       "mech.inp:17: warning: TRANSPORT section without END before REACTIONS"},
      {"a species given again", head + "TRAN\n" + data + "H2 1 1.0 1.0 0 0 0\nEND\n",
       "mech.inp:17: warning: 1 species has more than one entry in"},
  };
  folder_.write("tran.dat", data);
  ASSERT_EQ(run(folder_.path("tran.dat")).errorFlag, kSuccess) << listing();
  const std::string expected = ReadText(folder_.path("tran.bin"));
  for (const Case& c : kCases) {
    folder_.write("mech.inp", c.text);
    const ConversionResult result = run(folder_.path("mech.inp"));
    EXPECT_EQ(result.errorFlag, kSuccess) << c.name << "\n" << listing();
    EXPECT_EQ(ReadText(folder_.path("tran.bin")), expected) << c.name;
    if (c.message != nullptr) {
      EXPECT_NE(listing().find(c.message), std::string::npos) << c.name << "\n" << listing();
    }
  }
}

// A stale transport file from an earlier run never survives a failed conversion.
TEST_F(SmallMechanism, FailureReplacesAnEarlierGoodFile) {
  PATHFLUX_REQUIRE_SHARED_DATA();
  const std::string cantera = SharedData("keyword_tests/cantera/");
  ASSERT_EQ(run(cantera + "h2o2-float-geometry-tran.dat").errorFlag, kSuccess);
  ASSERT_TRUE(load(folder_.path("tran.bin")).loaded);
  ASSERT_EQ(run(cantera + "h2o2-bad-geometry-tran.dat").errorFlag, kInputError);
  expectFlaggedLink(folder_.path("tran.bin"));
  EXPECT_NE(listing().find("h2o2-bad-geometry-tran.dat:6: error: species HO2"), std::string::npos)
      << listing();
}

}  // namespace
}  // namespace quillet
