#include "reduction/reduce_config.h"

#include <yaml-cpp/yaml.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "common/console.h"

namespace reduction {
namespace {

[[noreturn]] void refuse(const std::string& why) {
  throw common::Stop({"sorvane reduce: " + why}, false, common::kExitStopped);
}

std::string where(const std::string& name, const YAML::Node& node) {
  const YAML::Mark mark = node.Mark();
  return mark.line >= 0 ? name + ", line " + std::to_string(mark.line + 1) : name;
}

template <typename T>
T scalar(const YAML::Node& node, const std::string& key, const std::string& name,
         const char* kind) {
  if (!node.IsScalar()) refuse(where(name, node) + ": " + key + " must be " + kind);
  try {
    return node.as<T>();
  } catch (const YAML::Exception&) {
    refuse(where(name, node) + ": " + key + " must be " + kind + ", not '" + node.Scalar() + "'");
  }
}

// A list, or one value standing for a list of one.
template <typename T>
std::vector<T> list(const YAML::Node& node, const std::string& key, const std::string& name,
                    const char* kind) {
  std::vector<T> values;
  if (node.IsSequence()) {
    for (const YAML::Node& item : node) values.push_back(scalar<T>(item, key, name, kind));
  } else if (!node.IsNull()) {
    values.push_back(scalar<T>(node, key, name, kind));
  }
  return values;
}

// Refuses the keys of `map` that are not in `known`, naming them: a misspelt key would
// otherwise be ignored silently.
void checkKeys(const YAML::Node& map, const std::set<std::string>& known, const std::string& name,
               const std::string& section) {
  if (!map.IsMap()) refuse(where(name, map) + ": " + section + " must be a map of keys");
  std::set<std::string> seen;
  for (const auto& entry : map) {
    const std::string key = entry.first.as<std::string>();
    // The YAML reader keeps the first of two equal keys; the second is a mistake.
    if (!seen.insert(key).second) {
      refuse(where(name, entry.first) + ": key '" + key + "' given twice" +
             (section.empty() ? "" : " in " + section));
    }
    if (known.count(key) == 0) {
      std::string list;
      for (const std::string& k : known) list += (list.empty() ? "" : ", ") + k;
      refuse(where(name, entry.first) + ": unknown key '" + key + "'" +
             (section.empty() ? "" : " in " + section) + " (known: " + list + ")");
    }
  }
}

}  // namespace

ReduceOptions ReadReduceConfig(const std::string& text, const std::string& name) {
  YAML::Node root;
  try {
    root = YAML::Load(text);
  } catch (const YAML::Exception& error) {
    refuse(name + ", line " + std::to_string(error.mark.line + 1) + ": " + error.msg);
  }
  if (root.IsNull()) refuse(name + " is empty");
  checkKeys(root,
            {"mechanism", "thermo", "transport", "kinetics", "targets", "retained", "method",
             "conditions", "states", "error-limit", "output", "threads", "rtol", "atol"},
            name, "");
  ReduceOptions o;
  const auto text_ = [&](const YAML::Node& map, const char* key, std::string& into) {
    if (map[key]) into = scalar<std::string>(map[key], key, name, "a text");
  };
  text_(root, "mechanism", o.mechanism);
  text_(root, "thermo", o.thermo);
  text_(root, "transport", o.transport);
  text_(root, "kinetics", o.kinetics);
  text_(root, "method", o.method);
  text_(root, "output", o.outputFolder);
  if (root["targets"]) o.targets = list<std::string>(root["targets"], "targets", name, "names");
  if (root["retained"]) {
    o.retained = list<std::string>(root["retained"], "retained", name, "names");
  }
  if (root["states"]) {
    const long states = scalar<long>(root["states"], "states", name, "a whole number");
    if (states < 1) refuse(where(name, root["states"]) + ": states must be at least 1");
    o.states = static_cast<std::size_t>(states);
  }
  if (root["error-limit"]) {
    o.errorLimit = scalar<double>(root["error-limit"], "error-limit", name, "a number (percent)");
  }
  if (root["threads"]) {
    const long threads = scalar<long>(root["threads"], "threads", name, "a whole number");
    if (threads < 0) refuse(where(name, root["threads"]) + ": threads must not be negative");
    o.threads = static_cast<unsigned>(threads);
  }
  if (root["rtol"]) o.relativeTolerance = scalar<double>(root["rtol"], "rtol", name, "a number");
  if (root["atol"]) o.absoluteTolerance = scalar<double>(root["atol"], "atol", name, "a number");

  if (const YAML::Node c = root["conditions"]) {
    checkKeys(c,
              {"fuel", "oxidizer", "phi", "pressure", "temperature", "constant-volume", "end-time",
               "psr"},
              name, "conditions");
    text_(c, "fuel", o.fuel);
    text_(c, "oxidizer", o.oxidizer);
    if (c["phi"]) o.phis = list<double>(c["phi"], "phi", name, "numbers");
    if (c["pressure"]) o.pressures = list<double>(c["pressure"], "pressure", name, "numbers (atm)");
    if (c["temperature"]) {
      o.temperatures = list<double>(c["temperature"], "temperature", name, "numbers (K)");
    }
    if (c["constant-volume"]) {
      o.constantVolume =
          scalar<bool>(c["constant-volume"], "constant-volume", name, "true or false");
    }
    if (c["end-time"]) o.endTime = scalar<double>(c["end-time"], "end-time", name, "a number (s)");
    if (const YAML::Node psr = c["psr"]) {
      checkKeys(psr, {"inlet-temperature", "residence-time"}, name, "conditions.psr");
      if (psr["inlet-temperature"]) {
        o.inletTemperature =
            scalar<double>(psr["inlet-temperature"], "inlet-temperature", name, "a number (K)");
      }
      if (psr["residence-time"]) {
        o.residenceTimes =
            list<double>(psr["residence-time"], "residence-time", name, "numbers (s)");
      }
    }
  }
  return o;
}

void CheckReduceOptions(const ReduceOptions& o) {
  if (o.mechanism.empty()) {
    refuse(
        "mechanism: no mechanism file given (sorvane reduce --print-example writes a "
        "configuration to start from)");
  }
  if (o.outputFolder.empty()) refuse("output: no output folder given");
  if (o.targets.empty()) refuse("targets: at least one target species is needed");
  if (o.method != "path-flux") {
    refuse("method: '" + o.method + "' is not a method sorvane knows (path-flux)");
  }
  if (!(o.errorLimit > 0.0) || !std::isfinite(o.errorLimit)) {
    refuse("error-limit: must be a positive number of percent");
  }
  if (o.fuel.empty()) refuse("conditions.fuel: no fuel given");
  if (o.temperatures.empty() && o.residenceTimes.empty()) {
    refuse(
        "conditions: neither ignition temperatures (temperature) nor stirred reactors "
        "(psr.residence-time) given");
  }
  if (o.phis.empty()) refuse("conditions.phi: no equivalence ratio given");
  if (o.pressures.empty()) refuse("conditions.pressure: no pressure given");
  if (o.states < 1) refuse("states: at least one state per run");
  if (!(o.relativeTolerance > 0.0) || !(o.absoluteTolerance > 0.0)) {
    refuse("rtol, atol: the tolerances must be positive");
  }
  if (!(o.endTime > 0.0)) refuse("conditions.end-time: must be positive");
}

std::string ExampleReduceConfig() {
  return R"(# sorvane reduce: the smallest mechanism whose ignition delays stay within an error limit
# of the detailed mechanism's. Paths are relative to the folder sorvane runs in; this example
# reduces the shipped GRI-Mech 3.0 sample when run from the repository root:
#   build/bin/sorvane reduce reduce.yaml
# Any key can also be given on the command line (sorvane reduce --help).

# The detailed mechanism's text files (thermo and transport may be left out when the mechanism
# carries its own thermo, or when no transport file is wanted).
mechanism: data/gri30/gri30.inp
thermo: data/gri30/gri30_thermo.dat
transport: data/gri30/gri30_tran.dat
# kinetics: build/chem.bin   # a linking file of the same mechanism: spares its conversion

# The species whose chemistry must be kept (the start species of the analysis), and species
# kept whatever the analysis finds. The fuel and oxidizer species are always kept.
targets: [CH4, O2]
retained: [N2]
method: path-flux

# Adiabatic constant-pressure ignitions over phi x pressure x temperature, as tarnwick-sample
# runs them. The delay is the time of the largest dT/dt.
conditions:
  fuel: CH4
  oxidizer: O2:1,N2:3.76
  phi: [1]
  pressure: [1, 10]         # atm
  temperature: [1200, 1500] # K, initial
  constant-volume: false
  end-time: 1.0             # s; every condition must ignite before it
  # psr:                    # stirred reactors too (temperature error), same phi and pressures
  #   inlet-temperature: 300
  #   residence-time: [1.0e-3, 1.0e-2]

states: 20          # states per ignition for the analysis
error-limit: 10     # percent: the largest relative delay error allowed at any condition
rtol: 1.0e-9
atol: 1.0e-15
output: build/reduced
threads: 0          # 0: every core
)";
}

}  // namespace reduction
