// The reduced files of published mechanisms: they read without errors, keep exactly the chosen
// species and the reactions that name only those, copy every kept reaction line unchanged, and
// give each kept reaction bit for bit the rates it has in the detailed mechanism at states whose
// removed species are absent.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/core/rate_kernel.h"
#include "common/console.h"
#include "converters/quillet/transport_data.h"
#include "converters/vordane/vordane.h"
#include "kinetics/linking_file.h"
#include "kinetics/queries.h"
#include "reduction/reduce_text.h"
#include "reduction/species_choice.h"
#include "support/memory_console.h"
#include "support/scratch_folder.h"
#include "support/shared_data.h"

namespace {

namespace fs = std::filesystem;
using test_support::ReadText;

struct MechanismFiles {
  std::string label;
  std::string mechanism;
  std::string thermo;  // empty: none
  std::string transport;
  std::string trimFile;  // a trim file the analysis wrote for this mechanism; empty: none
};

std::optional<vordane::SourceText> sourceOf(const std::string& path) {
  if (path.empty()) return std::nullopt;
  return vordane::SourceText{path, ReadText(path)};
}

// The shared mechanisms, every keyword test file and the corpus (its SOURCE.md names the roles).
std::vector<MechanismFiles> publishedMechanisms() {
  using test_support::SharedData;
  std::vector<MechanismFiles> files = {
      {"gri30", SharedData("gri30/gri30.inp"), SharedData("gri30/gri30_thermo.dat"),
       SharedData("gri30/gri30_tran.dat"),
       test_support::TestData("expected/gri30-demo/fortrim.txt")},
      {"h2", SharedData("h2_burke2012/chem.inp"), "", SharedData("h2_burke2012/tran.dat"), ""},
      {"nheptane", SharedData("llnl_nheptane_v2/chem.inp"),
       SharedData("llnl_nheptane_v2/thermo.dat"), SharedData("llnl_nheptane_v2/trans.dat"),
       test_support::TestData("expected/nheptane/fortrim.txt")},
  };
  for (const auto& entry : fs::recursive_directory_iterator(SharedData("keyword_tests"))) {
    if (entry.path().extension() == ".inp") {
      files.push_back({entry.path().filename().string(), entry.path().string(), "", "", ""});
    }
  }
  for (const auto& entry : fs::directory_iterator(SharedData("corpus"))) {
    if (!entry.is_directory()) continue;
    const std::string source = ReadText((entry.path() / "SOURCE.md").string());
    const auto in = [&](const char* role) {
      const std::string name = test_support::CorpusRoleFile(source, role);
      return name.empty() ? std::string() : (entry.path() / name).string();
    };
    if (in("mechanism").empty()) continue;
    files.push_back(
        {entry.path().filename().string(), in("mechanism"), in("thermo"), in("transport"), ""});
  }
  return files;
}

std::vector<bool> randomChoice(std::size_t species, double fraction, unsigned seed) {
  std::mt19937 random(seed);
  std::bernoulli_distribution removed(fraction);
  std::vector<bool> choice(species);
  for (std::size_t k = 0; k < species; ++k) choice[k] = removed(random);
  return choice;
}

std::uint64_t bits(double value) {
  return std::bit_cast<std::uint64_t>(value);
}

// Forward and reverse rates of every reaction at a few states over the species not removed.
struct Rates {
  std::vector<std::vector<double>> forward, reverse;
};

Rates ratesAt(const kinetics::LinkMechanism& mechanism, const std::vector<bool>& removed,
              const std::string& path, unsigned seed) {
  std::string error;
  EXPECT_TRUE(kinetics::WriteKineticsLink(path, mechanism, error)) << error;
  // The file made in memory is the file on disk, byte for byte; the rates come from it.
  std::string bytes = kinetics::KineticsLinkBytes(mechanism, error);
  EXPECT_EQ(bytes, test_support::ReadText(path));
  test_support::MemoryConsole console;
  kinetics::LoadedKinetics loaded = kinetics::LoadKineticsBytes(path, std::move(bytes), console);
  const auto species = static_cast<std::size_t>(loaded.state.counts.KK);
  const auto reactions = static_cast<std::size_t>(loaded.state.counts.ReactionCount);
  std::mt19937 random(seed);  // the same draws for the detailed and the reduced mechanism
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  Rates rates;
  for (const double pressure : {0.1 * 1013250.0, 1013250.0, 40.0 * 1013250.0}) {
    const double temperature = 700.0 + 1800.0 * unit(random);
    std::vector<double> moles;
    for (const bool gone : removed) {
      const double draw = unit(random);
      if (!gone) moles.push_back(draw);
    }
    // The detailed mechanism gets the removed species at zero.
    if (moles.size() != species) {
      std::vector<double> all;
      std::size_t next = 0;
      for (const bool gone : removed) all.push_back(gone ? 0.0 : moles[next++]);
      moles = std::move(all);
    }
    std::vector<double> mass(species), forward(reactions), reverse(reactions);
    EXPECT_TRUE(kinetics::MoleToMassFractions(loaded.state, moles, loaded.RKWORK, mass));
    const std::vector<double> temperatures(4, temperature);
    analysis::CaseRates(loaded.state, 4, pressure, temperatures, mass, loaded.IKWORK, loaded.RKWORK,
                        forward, reverse, console);
    rates.forward.push_back(forward);
    rates.reverse.push_back(reverse);
  }
  return rates;
}

// Checks one reduction; false when the rate kernel does not take the mechanism (real
// coefficients, fitted reactions), so that only the files were checked.
bool checkReduction(const vordane::Interpretation& detailed,
                    const reduction::ReductionInputs& inputs, const std::vector<bool>& removed) {
  const reduction::Reduction reduced = reduction::ReduceTexts(inputs, detailed, removed);
  const vordane::SourceText mechanism{"chem.inp", reduced.mechanism};
  const std::optional<vordane::SourceText> thermo =
      reduced.thermo ? std::optional(vordane::SourceText{"therm.dat", *reduced.thermo})
                     : std::nullopt;
  const vordane::Interpretation result = vordane::Interpret(mechanism, thermo ? &*thermo : nullptr);
  EXPECT_TRUE(result.ok()) << (result.diagnostics.empty()
                                   ? std::string()
                                   : vordane::FormatDiagnostic(*result.diagnostics.begin()));
  if (!result.ok()) return true;

  std::vector<std::string> keptNames, names;
  for (std::size_t k = 0; k < removed.size(); ++k) {
    if (!removed[k]) keptNames.push_back(detailed.mechanism.species[k].name);
  }
  for (const auto& species : result.mechanism.species) names.push_back(species.name);
  EXPECT_EQ(names, keptNames);
  EXPECT_EQ(reduced.keptReactions.size() + reduced.removedReactions.size(),
            detailed.mechanism.reactions.size());
  EXPECT_EQ(result.mechanism.reactions.size(), reduced.keptReactions.size());
  // Kept reaction lines are copied whole: the reduced reaction r starts with the line of the
  // detailed reaction it keeps.
  const auto linesOf = [](const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  };
  const std::vector<std::string> detailedLines = linesOf(inputs.mechanism.text);
  const std::vector<std::string> reducedLines = linesOf(reduced.mechanism);
  for (std::size_t r = 0; r < reduced.keptReactions.size(); ++r) {
    const auto& from =
        detailed.source.reactions[static_cast<std::size_t>(reduced.keptReactions[r] - 1)];
    const std::string& kept = detailedLines[static_cast<std::size_t>(from.firstLine - 1)];
    if (reducedLines[static_cast<std::size_t>(result.source.reactions[r].firstLine - 1)] != kept) {
      ADD_FAILURE() << "reaction line not copied: " << kept;
      return true;
    }
  }
  if (inputs.transport) {
    std::istringstream in(*reduced.transport);
    quillet::Diagnostics diagnostics;
    quillet::ParseTransportData(in, "tran.dat", keptNames, diagnostics);
    EXPECT_EQ(diagnostics.errorCount(), reduced.withoutTransport.size());
  }

  test_support::ScratchFolder scratch("pathflux-reduction");
  try {
    const unsigned seed = static_cast<unsigned>(removed.size());
    const Rates before = ratesAt(detailed.mechanism, removed, scratch.path("detailed.bin"), seed);
    const Rates after = ratesAt(result.mechanism, removed, scratch.path("reduced.bin"), seed);
    for (std::size_t state = 0; state < before.forward.size(); ++state) {
      for (std::size_t r = 0; r < reduced.keptReactions.size(); ++r) {
        const auto d = static_cast<std::size_t>(reduced.keptReactions[r] - 1);
        if (bits(after.forward[state][r]) != bits(before.forward[state][d]) ||
            bits(after.reverse[state][r]) != bits(before.reverse[state][d])) {
          ADD_FAILURE() << "rates differ at state " << state << ", reaction " << d + 1;
          return true;
        }
      }
    }
  } catch (const common::Stop&) {
    return false;
  }
  return true;
}

TEST(ReducedFiles, ReadAgainAndKeepTheRatesOfEveryKeptReaction) {
  PATHFLUX_REQUIRE_SHARED_DATA();
  int mechanisms = 0, reductions = 0;
  std::string kernelRefused;
  for (const MechanismFiles& files : publishedMechanisms()) {
    SCOPED_TRACE(files.label);
    reduction::ReductionInputs inputs{*sourceOf(files.mechanism), sourceOf(files.thermo),
                                      sourceOf(files.transport)};
    const vordane::Interpretation detailed =
        vordane::Interpret(inputs.mechanism, inputs.thermo ? &*inputs.thermo : nullptr);
    if (!detailed.ok()) continue;  // the keyword files that test the converter's errors
    ++mechanisms;
    const std::size_t species = detailed.mechanism.species.size();
    std::vector<std::vector<bool>> choices = {randomChoice(species, 0.1, 1),
                                              randomChoice(species, 0.4, 2),
                                              randomChoice(species, 0.8, 3)};
    if (!files.trimFile.empty()) {
      const std::vector<int> numbers = reduction::ReadTrimNumbers(
          ReadText(files.trimFile), files.trimFile, static_cast<int>(species));
      std::vector<std::string> names;
      for (const auto& s : detailed.mechanism.species) names.push_back(s.name);
      choices.push_back(reduction::ChooseRemovedSpecies(names, numbers, {}, {}));
    }
    bool rated = true;
    for (const std::vector<bool>& removed : choices) {
      ++reductions;
      rated = checkReduction(detailed, inputs, removed) && rated;
      if (HasFatalFailure()) return;
    }
    if (!rated) kernelRefused += " " + files.label;
  }
  EXPECT_GE(mechanisms, 30);
  std::cout << mechanisms << " mechanisms, " << reductions
            << " reductions; files only, the rate kernel refuses:" << kernelRefused << "\n";
}

}  // namespace
