#include "reduction/reduce_command.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <numeric>
#include <optional>
#include <ostream>
#include <sstream>

#include "analysis/core/analysis_tables.h"
#include "analysis/core/path_flux.h"
#include "common/console.h"
#include "common/output_files.h"
#include "converters/vordane/vordane.h"
#include "kinetics/linking_file.h"
#include "reactor/reactor.h"
#include "reduction/prefix_search.h"
#include "reduction/reduce_text.h"
#include "reduction/validate_command.h"
#include "reduction/write_command.h"
#include "sample/conditions.h"
#include "sample/library.h"
#include "sample/parallel.h"
#include "sample/run.h"

namespace reduction {
namespace {

using sample::FormatNumber;
using sample::kAtmosphere;

using Clock = std::chrono::steady_clock;
[[noreturn]] void refuse(const std::string& why) {
  throw common::Stop({"sorvane reduce: " + why + "; nothing written"}, false, common::kExitStopped);
}

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

vordane::SourceText readInput(const std::string& key, const std::string& path) {
  std::optional<vordane::SourceText> source = ReadSourceText(path);
  if (!source) refuse(key + ": cannot read " + path);
  return std::move(*source);
}

// The files sorvane write reads and writes for these options; the species come later.
WriteOptions writeOptionsOf(const ReduceOptions& o) {
  return {o.mechanism, o.thermo, o.transport, "", {}, {}, o.outputFolder};
}

std::string firstError(const vordane::Interpretation& result) {
  for (const vordane::Diagnostic& diagnostic : result.diagnostics) {
    if (diagnostic.severity == vordane::Severity::Error) {
      return vordane::FormatDiagnostic(diagnostic);
    }
  }
  return "no error listed";
}

// The kinetics linking file of an interpretation, made and loaded in memory.
std::optional<kinetics::LoadedKinetics> loadInMemory(const vordane::Interpretation& result,
                                                     const std::string& name,
                                                     std::string& problem) {
  std::string bytes = kinetics::KineticsLinkBytes(result.mechanism, problem);
  if (bytes.empty()) return std::nullopt;
  std::ostringstream messages;
  std::istringstream noInput;
  common::Console console(messages, noInput);
  try {
    return kinetics::LoadKineticsBytes(name, std::move(bytes), console);
  } catch (const common::Stop& stop) {
    problem = stop.reason();
  }
  return std::nullopt;
}

std::unique_ptr<reactor::Mechanism> reactorOf(kinetics::LoadedKinetics loaded,
                                              std::string& problem) {
  try {
    return std::make_unique<reactor::Mechanism>(std::move(loaded));
  } catch (const std::exception& refused) {
    problem = refused.what();
  }
  return nullptr;
}

// One condition of the search: an ignition or a stirred reactor.
struct Run {
  sample::Condition condition;
  bool stirred = false;
};

struct Setting {
  ValidateOptions ignition, stirred;  // the models, tolerances and output names of each kind
  std::vector<Run> runs;
  sample::Blend fuel, oxidizer;
  const ValidateOptions& of(const Run& run) const { return run.stirred ? stirred : ignition; }
};

Setting settingOf(const ReduceOptions& o) {
  Setting s;
  s.ignition.fuel = s.stirred.fuel = o.fuel;
  s.ignition.oxidizer = s.stirred.oxidizer = o.oxidizer;
  s.ignition.constantVolume = o.constantVolume;
  s.ignition.endTime = o.endTime;
  for (ValidateOptions* v : {&s.ignition, &s.stirred}) {
    v->relativeTolerance = o.relativeTolerance;
    v->absoluteTolerance = o.absoluteTolerance;
    v->outputFolder = o.outputFolder;
    v->threads = o.threads;
  }
  s.stirred.stirredReactor = true;
  s.stirred.inletTemperature = o.inletTemperature;
  s.stirred.fileStem = "psr-validation";
  for (const sample::Condition& c : sample::Grid(o.phis, o.pressures, o.temperatures, {})) {
    s.runs.push_back({c, false});
  }
  if (!o.residenceTimes.empty()) {
    const std::vector<double> inlet{o.inletTemperature};
    for (const sample::Condition& c : sample::Grid(o.phis, o.pressures, inlet, o.residenceTimes)) {
      s.runs.push_back({c, true});
    }
  }
  return s;
}

// The mixtures of every run on a mechanism; refuses, naming the key, when a name is unknown.
std::vector<std::vector<double>> mixturesOf(const Setting& s, const reactor::Mechanism& mechanism) {
  const sample::SpeciesTable table = sample::SpeciesTableOf(mechanism);
  std::vector<std::vector<double>> mixtures;
  std::string problem;
  for (const Run& run : s.runs) {
    mixtures.push_back(sample::MixtureAt(table, s.fuel, s.oxidizer, run.condition.phi, problem));
    if (mixtures.back().empty()) {
      refuse("conditions (fuel, oxidizer): " + sample::Describe(run.condition) + ": " + problem);
    }
  }
  return mixtures;
}

// What the detailed mechanism gives at every run: the reference results and the states whose
// critical values rank the species (mole fractions, in the detailed mechanism's order).
struct Reference {
  std::vector<Result> results;
  struct State {
    double temperature = 0.0, pressure = 0.0;
    std::vector<double> moleFractions;
  };
  std::vector<State> states;
};

Reference sampleDetailed(const ReduceOptions& o, const Setting& s,
                         const reactor::Mechanism& mechanism, std::ostream& progress,
                         bool showProgress) {
  const std::vector<std::vector<double>> mixtures = mixturesOf(s, mechanism);
  const reactor::Tolerances tolerances{o.relativeTolerance, o.absoluteTolerance};
  std::vector<std::optional<reactor::IgnitionResult>> ignitions(s.runs.size());
  std::vector<std::optional<reactor::PsrResult>> stirred(s.runs.size());
  sample::ParallelFor(
      s.runs.size(), o.threads,
      [&](std::size_t i) {
        const sample::Condition& c = s.runs[i].condition;
        const double pressure = c.pressureAtm * kAtmosphere;
        if (s.runs[i].stirred) {
          stirred[i] = reactor::RunPsr(mechanism, c.temperature, pressure, mixtures[i],
                                       c.residenceTime, tolerances);
        } else {
          ignitions[i] = reactor::RunIgnition(
              mechanism,
              o.constantVolume ? reactor::Model::ConstantVolume : reactor::Model::ConstantPressure,
              c.temperature, pressure, mixtures[i], o.endTime, tolerances);
        }
      },
      [&](std::size_t done) {
        if (showProgress) {
          progress << "\rsorvane reduce: detailed mechanism, " << done << " of " << s.runs.size()
                   << " conditions done" << std::flush;
        }
      });
  if (showProgress) progress << "\n";

  Reference reference;
  for (std::size_t i = 0; i < s.runs.size(); ++i) {
    const sample::Condition& c = s.runs[i].condition;
    if (s.runs[i].stirred) {
      const reactor::PsrResult& run = *stirred[i];
      if (!run.ok) refuse("conditions: the detailed mechanism fails: " + run.failure);
      reference.results.push_back({run.temperature, ""});
      reference.states.push_back({run.temperature, c.pressureAtm * kAtmosphere, run.moleFractions});
      continue;
    }
    const reactor::IgnitionResult& run = *ignitions[i];
    if (!run.ok) refuse("conditions: the detailed mechanism fails: " + run.failure);
    if (!std::isfinite(run.delayMaxSlope)) {
      refuse("conditions: the detailed mechanism does not ignite at " + sample::Describe(c) +
             " within end-time " + FormatNumber(o.endTime) +
             " s; raise conditions.end-time or drop the condition");
    }
    reference.results.push_back({run.delayMaxSlope, ""});
    // The run up to its delay, and the state just after it.
    const reactor::Trajectory& trajectory = run.trajectory;
    const auto through = static_cast<std::size_t>(
        std::lower_bound(trajectory.times.begin(), trajectory.times.end(), run.delayMaxSlope) -
        trajectory.times.begin());
    const std::size_t kept = std::min(through + 1, trajectory.size());
    for (const std::size_t k : sample::ChooseStates(std::span(trajectory.times).first(kept),
                                                    std::span(trajectory.temperatures).first(kept),
                                                    run.delayMaxSlope, o.states)) {
      const auto x = trajectory.moleFractionsAt(k);
      reference.states.push_back(
          {trajectory.temperatures[k], trajectory.pressures[k], {x.begin(), x.end()}});
    }
  }
  return reference;
}

// Every species' critical value: the largest over the states of the threshold at which the
// path-flux analysis from the targets still keeps it.
std::vector<double> criticalValues(const kinetics::LoadedKinetics& loaded,
                                   const reactor::Mechanism& mechanism,
                                   const std::vector<int>& targets, const Reference& reference) {
  analysis::AnalysisTables tables = analysis::BuildAnalysisTables(loaded.state, loaded.IKWORK);
  std::vector<double> RKWORK = loaded.RKWORK;
  std::vector<std::int32_t> start;
  for (const int k : targets) start.push_back(k + 1);
  const auto K = static_cast<std::size_t>(mechanism.speciesCount());
  std::vector<double> massFractions(static_cast<std::size_t>(tables.NS), 0.0);
  std::vector<double> critical(K), best(K, 0.0);
  std::ostringstream messages;
  std::istringstream noInput;
  common::Console console(messages, noInput);
  for (const Reference::State& state : reference.states) {
    reactor::MoleToMassFractions(mechanism, state.moleFractions,
                                 std::span<double>(massFractions).first(K));
    analysis::CriticalValuesOfCase(loaded.state, loaded.IKWORK, RKWORK,
                                   {state.pressure, state.temperature, massFractions}, start, 0.0,
                                   tables.scratch, critical, console);
    for (std::size_t k = 0; k < K; ++k) best[k] = std::max(best[k], critical[k]);
  }
  return best;
}

// The largest relative error of `results` against the reference, and where; a run without a
// result counts 1 (100 %) and fails the probe.
struct Comparison {
  double largest = 0.0;
  bool failed = false;
  std::string note;
};

Comparison compare(const Setting& s, const std::vector<Result>& reference,
                   const std::vector<Result>& results) {
  Comparison c;
  for (std::size_t i = 0; i < results.size(); ++i) {
    const std::string at = sample::Describe(s.runs[i].condition);
    if (!results[i].value) {
      if (!c.failed) c.note = at + ": " + results[i].failure;
      c.failed = true;
      c.largest = std::max(c.largest, 1.0);
      continue;
    }
    const double error = std::abs(*results[i].value - *reference[i].value) / *reference[i].value;
    if (error > c.largest || i == 0) {
      c.largest = error;
      if (!c.failed) c.note = at;
    }
  }
  return c;
}

std::string jsonText(const std::string& text) {
  std::string out = "\"";
  for (const char ch : text) {
    if (ch == '"' || ch == '\\') {
      out += '\\';
      out += ch;
    } else if (static_cast<unsigned char>(ch) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(ch & 0xFF));
      out += escaped;
    } else {
      out += ch;
    }
  }
  return out + "\"";
}

std::string jsonNumber(double value) {
  return std::isfinite(value) ? FormatNumber(value, "%.10g") : "null";
}

std::string jsonNames(const std::vector<std::string>& names) {
  std::string out = "[";
  for (std::size_t i = 0; i < names.size(); ++i) out += (i ? ", " : "") + jsonText(names[i]);
  return out + "]";
}

}  // namespace

// Everything the probes share: the detailed mechanism's texts and interpretation, the
// conditions and their reference results, and the ranking.
struct ReductionSearch::State {
  ReduceOptions o;
  Setting s;
  ReductionInputs sources;
  vordane::Interpretation detailed;
  std::vector<std::string> names;
  std::vector<bool> always;  // kept by every reduced mechanism
  Reference reference;
  std::vector<double> critical;
  std::vector<std::size_t> candidates;  // by decreasing critical value
  std::map<std::size_t, std::vector<Result>> resultsOf;
  std::ostream* progress = nullptr;
  bool showProgress = false;

  std::vector<bool> removedAt(std::size_t prefix) const {
    std::vector<bool> removed(names.size(), false);
    for (std::size_t n = prefix; n < candidates.size(); ++n) removed[candidates[n]] = true;
    return removed;
  }
};

ReductionSearch::ReductionSearch(const ReduceOptions& options, std::ostream& progress,
                                 bool showProgress)
    : state_(std::make_unique<State>()) {
  State& t = *state_;
  const ReduceOptions& o = options;
  CheckReduceOptions(o);
  t.o = o;
  t.progress = &progress;
  t.showProgress = showProgress;
  Setting& s = t.s;
  s = settingOf(o);
  std::string problem;
  s.fuel = sample::ReadBlend(o.fuel, problem);
  if (s.fuel.empty()) refuse("conditions.fuel: " + problem);
  s.oxidizer = sample::ReadBlend(o.oxidizer, problem);
  if (s.oxidizer.empty()) refuse("conditions.oxidizer: " + problem);

  // The outputs must not overwrite an input: found now, not after the search.
  const common::RoleFile kinetics[] = {{"kinetics file", o.kinetics}};
  if (const auto clash = FindWriteClash(writeOptionsOf(o), kinetics)) {
    refuse("output: " + clash->message());
  }

  // The detailed mechanism, converted in memory (or loaded from its linking file).
  t.sources = {readInput("mechanism", o.mechanism), std::nullopt, std::nullopt};
  ReductionInputs& sources = t.sources;
  if (!o.thermo.empty()) sources.thermo = readInput("thermo", o.thermo);
  if (!o.transport.empty()) sources.transport = readInput("transport", o.transport);
  t.detailed = vordane::Interpret(sources.mechanism, sources.thermo ? &*sources.thermo : nullptr);
  const vordane::Interpretation& detailed = t.detailed;
  if (!detailed.ok()) {
    refuse("mechanism: " + o.mechanism + " does not convert (" +
           std::to_string(detailed.errorCount()) + " errors; the first: " + firstError(detailed) +
           ")");
  }
  std::vector<std::string>& names = t.names;
  for (const auto& species : detailed.mechanism.species) names.push_back(species.name);
  std::optional<kinetics::LoadedKinetics> loaded;
  if (o.kinetics.empty()) {
    loaded = loadInMemory(detailed, o.mechanism, problem);
    if (!loaded) refuse("mechanism: " + o.mechanism + ": " + problem);
  } else {
    std::ostringstream messages;
    std::istringstream noInput;
    common::Console console(messages, noInput);
    try {
      loaded = kinetics::LoadKineticsFile(o.kinetics, console);
    } catch (const common::Stop& stop) {
      refuse("kinetics: cannot load " + o.kinetics + ": " + stop.reason());
    }
  }
  const std::unique_ptr<reactor::Mechanism> mechanism = reactorOf(*loaded, problem);
  if (!mechanism) refuse("mechanism: " + problem);
  if (mechanism->speciesNames() != names) {
    refuse("kinetics: " + o.kinetics + " was not made from " + o.mechanism +
           " (its species differ)");
  }

  std::vector<bool>& always = t.always;
  always.assign(names.size(), false);
  std::vector<int> targets;
  const auto require = [&](const std::string& key, const std::string& name) {
    const int k = mechanism->speciesIndex(name);
    if (k < 0) refuse(key + ": '" + name + "' is not a species of " + o.mechanism);
    always[static_cast<std::size_t>(k)] = true;
    return k;
  };
  for (const std::string& name : o.targets) targets.push_back(require("targets", name));
  for (const std::string& name : o.retained) require("retained", name);
  for (const sample::Part& part : s.fuel) require("conditions.fuel", part.name);
  for (const sample::Part& part : s.oxidizer) require("conditions.oxidizer", part.name);
  const double low = mechanism->lowestCommonTemperature();
  const double high = mechanism->highestCommonTemperature();
  for (const Run& run : s.runs) {
    const double temperature = run.condition.temperature;
    if (!(temperature >= low && temperature <= high)) {
      refuse(
          std::string(run.stirred ? "conditions.psr.inlet-temperature" : "conditions.temperature") +
          ": " + FormatNumber(temperature) + " K is outside " + FormatNumber(low) + "-" +
          FormatNumber(high) + " K, where every species' thermodynamic data hold");
    }
    if (!(run.condition.phi > 0.0)) {
      refuse("conditions.phi: " + FormatNumber(run.condition.phi) + " is not positive");
    }
    if (!(run.condition.pressureAtm > 0.0)) {
      refuse("conditions.pressure: " + FormatNumber(run.condition.pressureAtm) +
             " atm is not positive");
    }
    if (run.stirred && !(run.condition.residenceTime > 0.0)) {
      refuse("conditions.psr.residence-time: " + FormatNumber(run.condition.residenceTime) +
             " s is not positive");
    }
  }

  t.reference = sampleDetailed(o, s, *mechanism, progress, showProgress);
  t.critical = criticalValues(*loaded, *mechanism, targets, t.reference);

  // Candidates: every other species by decreasing critical value (ties in mechanism order).
  for (std::size_t k = 0; k < names.size(); ++k) {
    if (!always[k]) t.candidates.push_back(k);
  }
  std::stable_sort(t.candidates.begin(), t.candidates.end(),
                   [&](std::size_t a, std::size_t b) { return t.critical[a] > t.critical[b]; });
}

ReductionSearch::~ReductionSearch() = default;

std::size_t ReductionSearch::candidateCount() const {
  return state_->candidates.size();
}

Probe ReductionSearch::probe(std::size_t prefix) {
  State& t = *state_;
  const auto started = Clock::now();
  Probe p;
  p.prefix = prefix;
  p.species = t.names.size() - t.candidates.size() + prefix;
  const Reduction reduction = ReduceTexts(t.sources, t.detailed, t.removedAt(prefix));
  p.reactions = reduction.keptReactions.size();
  const vordane::SourceText text{"reduced " + t.o.mechanism, reduction.mechanism};
  std::optional<vordane::SourceText> thermo;
  if (reduction.thermo) thermo = vordane::SourceText{"reduced " + t.o.thermo, *reduction.thermo};
  const vordane::Interpretation converted = vordane::Interpret(text, thermo ? &*thermo : nullptr);
  std::string why;
  std::unique_ptr<reactor::Mechanism> reduced;
  if (!converted.ok()) {
    why = "the reduced mechanism does not convert: " + firstError(converted);
  } else if (auto made = loadInMemory(converted, text.name, why)) {
    reduced = reactorOf(std::move(*made), why);
  }
  if (reduced) {
    const std::vector<std::vector<double>> mixtures = mixturesOf(t.s, *reduced);
    std::vector<Result> results(t.s.runs.size());
    sample::ParallelFor(
        t.s.runs.size(), t.o.threads,
        [&](std::size_t i) {
          const Run& run = t.s.runs[i];
          results[i] = RunCondition(t.s.of(run), *reduced, run.condition, mixtures[i]);
        },
        [](std::size_t) {});
    const Comparison c = compare(t.s, t.reference.results, results);
    p.largestError = c.largest;
    p.passed = !c.failed && c.largest <= t.o.errorLimit / 100.0;
    p.note = c.note;
    t.resultsOf[prefix] = std::move(results);
  } else {
    p.largestError = 1.0;
    p.note = why;
  }
  p.seconds = secondsSince(started);
  if (t.showProgress) {
    *t.progress << "sorvane reduce: " << p.species << " species, " << p.reactions
                << " reactions: largest error " << FormatNumber(100.0 * p.largestError, "%.2f")
                << " %" << (p.passed ? "" : " (over the limit)") << "\n";
  }
  return p;
}

// reduce.csv: one row per probe, in the order they ran.
std::string probeTable(const std::vector<Probe>& probes, std::size_t chosen) {
  std::ostringstream csv;
  csv << "probe,prefix,species,reactions,largest_error_percent,within_limit,seconds,chosen,note\n";
  for (std::size_t n = 0; n < probes.size(); ++n) {
    const Probe& p = probes[n];
    std::string note = p.note;
    std::replace(note.begin(), note.end(), ',', ';');
    csv << n + 1 << ',' << p.prefix << ',' << p.species << ',' << p.reactions << ','
        << FormatNumber(100.0 * p.largestError, "%.4f") << ',' << (p.passed ? 1 : 0) << ','
        << FormatNumber(p.seconds, "%.3f") << ',' << (p.prefix == chosen ? 1 : 0) << ',' << note
        << '\n';
  }
  return csv.str();
}

// reduce.json: the settings, the reference and chosen results at every condition, the ranking,
// every probe and the choice.
std::string searchRecord(const ReductionSearch::State& t, const ReduceSummary& summary,
                         std::size_t chosen, const std::vector<Result>& chosenResults,
                         const std::vector<bool>& removed) {
  const ReduceOptions& o = t.o;
  const Setting& s = t.s;
  const std::vector<std::string>& names = t.names;
  std::ostringstream json;
  json << "{\n  \"mechanism\": " << jsonText(o.mechanism)
       << ",\n  \"method\": " << jsonText(o.method) << ",\n  \"targets\": " << jsonNames(o.targets)
       << ",\n  \"retained\": " << jsonNames(o.retained)
       << ",\n  \"error_limit_percent\": " << jsonNumber(o.errorLimit)
       << ",\n  \"species_before\": " << summary.speciesBefore
       << ",\n  \"reactions_before\": " << summary.reactionsBefore << ",\n  \"conditions\": [";
  for (std::size_t i = 0; i < s.runs.size(); ++i) {
    const sample::Condition& c = s.runs[i].condition;
    json << (i ? "," : "")
         << "\n    {\"kind\": " << (s.runs[i].stirred ? "\"psr\"" : "\"ignition\"")
         << ", \"phi\": " << jsonNumber(c.phi)
         << ", \"pressure_atm\": " << jsonNumber(c.pressureAtm)
         << ", \"temperature_K\": " << jsonNumber(c.temperature);
    if (s.runs[i].stirred) json << ", \"residence_time_s\": " << jsonNumber(c.residenceTime);
    json << ", \"detailed\": " << jsonNumber(*t.reference.results[i].value)
         << ", \"reduced\": " << jsonNumber(chosenResults[i].value.value_or(NAN)) << "}";
  }
  json << "\n  ],\n  \"always_kept\": [";
  bool first = true;
  for (std::size_t k = 0; k < names.size(); ++k) {
    if (!t.always[k]) continue;
    json << (first ? "" : ", ") << jsonText(names[k]);
    first = false;
  }
  json << "],\n  \"ranking\": [";
  for (std::size_t n = 0; n < t.candidates.size(); ++n) {
    json << (n ? "," : "") << "\n    {\"species\": " << jsonText(names[t.candidates[n]])
         << ", \"critical_value\": " << jsonNumber(t.critical[t.candidates[n]]) << "}";
  }
  json << "\n  ],\n  \"probes\": [";
  for (std::size_t n = 0; n < summary.probes.size(); ++n) {
    const Probe& p = summary.probes[n];
    json << (n ? "," : "") << "\n    {\"prefix\": " << p.prefix << ", \"species\": " << p.species
         << ", \"reactions\": " << p.reactions
         << ", \"largest_error_percent\": " << jsonNumber(100.0 * p.largestError)
         << ", \"within_limit\": " << (p.passed ? "true" : "false")
         << ", \"seconds\": " << jsonNumber(p.seconds) << ", \"note\": " << jsonText(p.note) << "}";
  }
  std::vector<std::string> kept;
  for (std::size_t k = 0; k < names.size(); ++k) {
    if (!removed[k]) kept.push_back(names[k]);
  }
  json << "\n  ],\n  \"choice\": {\"prefix\": " << chosen
       << ", \"species\": " << summary.speciesAfter << ", \"reactions\": " << summary.reactionsAfter
       << ", \"largest_error_percent\": " << jsonNumber(100.0 * summary.largestError)
       << ", \"where\": " << jsonText(summary.where) << ", \"kept_species\": " << jsonNames(kept)
       << "},\n  \"seconds\": " << jsonNumber(summary.seconds) << "\n}\n";
  return json.str();
}

ReduceSummary Reduce(const ReduceOptions& o, std::ostream& progress, bool showProgress) {
  const auto started = Clock::now();
  ReductionSearch search(o, progress, showProgress);
  const ReductionSearch::State& t = *search.state_;
  const Setting& s = t.s;
  const std::vector<std::string>& names = t.names;
  const std::vector<std::size_t>& candidates = t.candidates;
  const Reference& reference = t.reference;
  ReduceSummary summary;
  summary.speciesBefore = names.size();
  summary.reactionsBefore = t.detailed.mechanism.reactions.size();
  const std::size_t chosen = ShortestPassingPrefix(candidates.size(), [&](std::size_t prefix) {
    summary.probes.push_back(search.probe(prefix));
    return summary.probes.back().passed;
  });

  // The outputs: the reduced files, the validation tables and plots, the record of the search.
  const std::vector<bool> removed = t.removedAt(chosen);
  WriteOptions write = writeOptionsOf(o);
  for (std::size_t k = 0; k < names.size(); ++k) {
    if (removed[k]) write.remove.push_back(names[k]);
  }
  if (write.remove.empty()) {
    // Nothing can go: the files are the detailed mechanism's, written through the same path.
    write.remove.push_back(o.targets.front());
    write.keep.push_back(o.targets.front());
  }
  const WriteSummary written = WriteReducedFiles(write);
  summary.written = written.written;
  summary.speciesAfter = static_cast<std::size_t>(written.speciesAfter);
  summary.reactionsAfter = static_cast<std::size_t>(written.reactionsAfter);
  const std::vector<Result>& chosenResults =
      chosen == candidates.size() ? reference.results : t.resultsOf.at(chosen);
  const Comparison final = compare(s, reference.results, chosenResults);
  summary.largestError = final.largest;
  summary.where = final.note;
  for (const bool stirredKind : {false, true}) {
    std::vector<sample::Condition> grid;
    std::vector<Result> detailedKind, reducedKind;
    for (std::size_t i = 0; i < s.runs.size(); ++i) {
      if (s.runs[i].stirred != stirredKind) continue;
      grid.push_back(s.runs[i].condition);
      detailedKind.push_back(reference.results[i]);
      reducedKind.push_back(chosenResults[i]);
    }
    if (grid.empty()) continue;
    const ValidationSummary v =
        WriteValidation(stirredKind ? s.stirred : s.ignition, grid, detailedKind, reducedKind);
    summary.written.push_back(v.table);
    if (!v.plot.empty()) summary.written.push_back(v.plot);
    if (!v.plotNote.empty()) summary.plotNote = v.plotNote;
  }

  summary.seconds = secondsSince(started);
  const std::filesystem::path folder(o.outputFolder);
  const std::string csv = probeTable(summary.probes, chosen);
  const std::string json = searchRecord(t, summary, chosen, chosenResults, removed);
  for (const auto& [name, text] : {std::pair{"reduce.csv", csv}, std::pair{"reduce.json", json}}) {
    const std::string path = (folder / name).string();
    if (!common::WriteTextFileAtomically(path, text)) {
      throw common::Stop({"sorvane reduce: cannot write " + path}, false, common::kExitStopped);
    }
    summary.written.push_back(path);
  }
  return summary;
}

}  // namespace reduction
