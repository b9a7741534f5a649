#include "reduction/write_command.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <utility>

#include "common/console.h"
#include "common/output_files.h"
#include "converters/vordane/vordane.h"
#include "reduction/reduce_text.h"
#include "reduction/species_choice.h"

namespace reduction {
namespace {

constexpr std::size_t kMessagesShown = 10;

[[noreturn]] void refuse(std::vector<std::string> lines) {
  throw common::Stop(std::move(lines), false, common::kExitStopped);
}

vordane::SourceText readInput(const std::string& role, const std::string& path) {
  std::optional<vordane::SourceText> source = ReadSourceText(path);
  if (!source) refuse({" cannot read the " + role + " " + path});
  return std::move(*source);
}

// The errors of an interpretation, the first few of them, under a heading.
std::vector<std::string> errorLines(std::string heading, const vordane::Interpretation& result) {
  std::vector<std::string> lines{std::move(heading)};
  for (const vordane::Diagnostic& diagnostic : result.diagnostics) {
    if (diagnostic.severity != vordane::Severity::Error) continue;
    if (lines.size() > kMessagesShown) {
      lines.push_back("  ...");
      break;
    }
    lines.push_back("  " + vordane::FormatDiagnostic(diagnostic));
  }
  return lines;
}

std::string padded(std::string text, std::size_t width) {
  if (text.size() < width) text.insert(0, width - text.size(), ' ');
  return text;
}

std::string listingText(const WriteOptions& options, const vordane::Interpretation& detailed,
                        const std::vector<bool>& removed, const Reduction& reduction) {
  const auto count = [](std::size_t n) { return padded(std::to_string(n), 8); };
  std::string text = "sorvane write\n";
  text += "  mechanism   " + options.mechanism + "\n";
  if (!options.thermo.empty()) text += "  thermo      " + options.thermo + "\n";
  if (!options.transport.empty()) text += "  transport   " + options.transport + "\n";
  if (!options.trimFile.empty()) text += "  trim file   " + options.trimFile + "\n";
  text += "\nCOUNTS          before   after\n";
  const std::size_t species = removed.size();
  const std::size_t kept =
      static_cast<std::size_t>(std::count(removed.begin(), removed.end(), false));
  text += "  elements    " + count(detailed.mechanism.elements.size()) +
          count(detailed.mechanism.elements.size()) + "\n";
  text += "  species     " + count(species) + count(kept) + "\n";
  text += "  reactions   " + count(detailed.mechanism.reactions.size()) +
          count(reduction.keptReactions.size()) + "\n";

  text += "\nREMOVED SPECIES (" + std::to_string(species - kept) + ")\n";
  for (std::size_t k = 0; k < species; ++k) {
    if (removed[k])
      text += padded(std::to_string(k + 1), 7) + "  " + detailed.mechanism.species[k].name + "\n";
  }
  text += "\nREMOVED REACTIONS (" + std::to_string(reduction.removedReactions.size()) + ")\n";
  for (const RemovedReaction& reaction : reduction.removedReactions) {
    text += padded(std::to_string(reaction.reaction), 7) + "  line " +
            padded(std::to_string(reaction.line), 6) + "  " + reaction.text + "\n";
  }
  text += "\nCHANGES TO KEPT REACTIONS (" + std::to_string(reduction.changes.size()) + ")\n";
  for (const ReactionChange& change : reduction.changes) {
    text += padded(std::to_string(change.reaction), 7) + "  line " +
            padded(std::to_string(change.line), 6) + "  " + change.what + "\n";
  }
  if (!options.transport.empty()) {
    text += "\nKEPT SPECIES WITHOUT TRANSPORT DATA (" +
            std::to_string(reduction.withoutTransport.size()) + ")\n";
    for (const std::string& name : reduction.withoutTransport) text += "         " + name + "\n";
  }
  return text;
}

// Every file goes to a temporary name first; only when all are written are they renamed into
// place, so that a failure leaves no set of files that mixes old and new.
void writeAll(const std::filesystem::path& folder,
              const std::vector<std::pair<std::string, const std::string*>>& files) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  std::vector<std::string> written;
  const auto temporary = [](const std::string& path) {
    const std::filesystem::path name(path);
    return (name.parent_path() / ("." + name.filename().string() + ".sorvane-part")).string();
  };
  const auto removeWritten = [&] {
    for (const std::string& path : written) std::filesystem::remove(path, error);
  };
  for (const auto& [path, text] : files) {
    if (!common::WriteTextFileAtomically(temporary(path), *text)) {
      removeWritten();
      refuse({" cannot write " + path + "; nothing written"});
    }
    written.push_back(temporary(path));
  }
  for (const auto& [path, text] : files) {
    std::filesystem::rename(temporary(path), path, error);
    if (error) {
      removeWritten();
      refuse({" cannot write " + path + ": " + error.message()});
    }
  }
}

}  // namespace

std::optional<common::FileClash> FindWriteClash(const WriteOptions& options,
                                                std::span<const common::RoleFile> moreInputs) {
  const std::filesystem::path folder(options.outputFolder);
  const auto output = [&](const char* name) { return (folder / name).string(); };
  std::vector<common::RoleFile> inputs = {{"mechanism file", options.mechanism},
                                          {"thermo data file", options.thermo},
                                          {"transport data file", options.transport},
                                          {"trim file", options.trimFile}};
  inputs.insert(inputs.end(), moreInputs.begin(), moreInputs.end());
  const common::RoleFile outputs[] = {
      {"reduced mechanism", output(kMechanismOutput)},
      {"reduced thermo data file", options.thermo.empty() ? "" : output(kThermoOutput)},
      {"reduced transport data file", options.transport.empty() ? "" : output(kTransportOutput)},
      {"listing", output(kListingOutput)}};
  return common::FindOutputClash(inputs, outputs);
}

std::optional<vordane::SourceText> ReadSourceText(const std::string& path) {
  std::error_code error;
  std::ifstream in(path, std::ios::binary);
  if (!std::filesystem::is_regular_file(path, error) || !in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  return vordane::SourceText{path, text.str()};
}

WriteSummary WriteReducedFiles(const WriteOptions& options) {
  if (options.trimFile.empty() == options.remove.empty()) {
    refuse({" name the species to remove either by a trim file (--trim) or by names (--remove)"});
  }
  const std::filesystem::path folder(options.outputFolder);
  const auto output = [&](const char* name) { return (folder / name).string(); };
  if (const auto clash = FindWriteClash(options)) {
    refuse({" " + clash->message() + "; nothing written"});
  }

  ReductionInputs sources{readInput("mechanism file", options.mechanism), std::nullopt,
                          std::nullopt};
  if (!options.thermo.empty()) sources.thermo = readInput("thermo data file", options.thermo);
  if (!options.transport.empty())
    sources.transport = readInput("transport data file", options.transport);
  const vordane::Interpretation detailed =
      vordane::Interpret(sources.mechanism, sources.thermo ? &*sources.thermo : nullptr);
  if (!detailed.ok()) {
    refuse(errorLines(" " + options.mechanism + " does not convert: " +
                          std::to_string(detailed.errorCount()) + " errors; nothing written",
                      detailed));
  }

  std::vector<std::string> names;
  for (const auto& species : detailed.mechanism.species) names.push_back(species.name);
  std::vector<int> trimNumbers;
  if (!options.trimFile.empty()) {
    trimNumbers = ReadTrimNumbers(readInput("trim file", options.trimFile).text, options.trimFile,
                                  static_cast<int>(names.size()));
  }
  const std::vector<bool> removed =
      ChooseRemovedSpecies(names, trimNumbers, options.remove, options.keep);
  const Reduction reduction = ReduceTexts(sources, detailed, removed);

  // The reduced mechanism must read as the detailed one did, less what was removed.
  const vordane::SourceText reducedMechanism{output(kMechanismOutput), reduction.mechanism};
  std::optional<vordane::SourceText> reducedThermo;
  if (reduction.thermo)
    reducedThermo = vordane::SourceText{output(kThermoOutput), *reduction.thermo};
  const vordane::Interpretation check =
      vordane::Interpret(reducedMechanism, reducedThermo ? &*reducedThermo : nullptr);
  const auto keptCount =
      static_cast<std::size_t>(std::count(removed.begin(), removed.end(), false));
  if (!check.ok() || check.mechanism.species.size() != keptCount ||
      check.mechanism.reactions.size() != reduction.keptReactions.size()) {
    refuse(errorLines(" the reduced mechanism does not read back as expected (" +
                          std::to_string(check.mechanism.species.size()) + " species, " +
                          std::to_string(check.mechanism.reactions.size()) +
                          " reactions); nothing written",
                      check));
  }

  std::vector<std::pair<std::string, const std::string*>> files = {
      {output(kMechanismOutput), &reduction.mechanism}};
  if (reduction.thermo) files.emplace_back(output(kThermoOutput), &*reduction.thermo);
  if (reduction.transport) files.emplace_back(output(kTransportOutput), &*reduction.transport);
  const std::string listing = listingText(options, detailed, removed, reduction);
  files.emplace_back(output(kListingOutput), &listing);
  writeAll(folder, files);
  WriteSummary summary;
  for (const auto& [path, text] : files) summary.written.push_back(path);
  summary.speciesBefore = static_cast<int>(names.size());
  summary.speciesAfter = static_cast<int>(keptCount);
  summary.reactionsBefore = static_cast<int>(detailed.mechanism.reactions.size());
  summary.reactionsAfter = static_cast<int>(reduction.keptReactions.size());
  return summary;
}

}  // namespace reduction
