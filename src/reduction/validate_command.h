// sorvane validate: the detailed and the reduced mechanism run side by side with the reactor
// library at every condition; the table of both results and their relative error, and a plot.
#pragma once

#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "reactor/reactor.h"
#include "sample/conditions.h"

namespace reduction {

struct ValidateOptions {
  std::string detailed;  // kinetics linking files
  std::string reduced;
  std::string fuel;
  std::string oxidizer = "O2:1,N2:3.76";
  std::vector<double> phis{1.0};
  std::vector<double> pressures{1.0};  // atm
  std::vector<double> temperatures;    // K, initial temperatures of the ignitions
  bool constantVolume = false;
  double endTime = 10.0;  // s
  double relativeTolerance = 1e-9;
  double absoluteTolerance = 1e-15;
  bool stirredReactor = false;
  double inletTemperature = 300.0;
  std::vector<double> residenceTimes;
  std::string outputFolder = ".";  // validation.csv and validation.png go there
  std::string fileStem = "validation";
  unsigned threads = 0;
};

struct ValidationSummary {
  std::size_t conditions = 0;
  double largestError = 0.0;  // relative
  std::string where;          // the condition of the largest error
  std::string table;          // path of validation.csv
  std::string plot;           // path of the plot; empty when none could be drawn
  std::string plotNote;       // why there is no plot
};

// Runs every condition on both mechanisms. A condition where the reduced mechanism fails or
// does not ignite counts as a relative error of 1 (100 %) and the run goes on; one where the
// detailed mechanism fails stops with a common::Stop naming it. Writes the table through a
// temporary file, then the plot with gnuplot when it is installed.
ValidationSummary Validate(const ValidateOptions& options, std::ostream& progress,
                           bool showProgress);

}  // namespace reduction

namespace reduction {

// One condition on one mechanism: the delay (ignition) or the temperature (stirred reactor);
// nothing when the run failed or never ignited, with the reason.
struct Result {
  std::optional<double> value;
  std::string failure;
};

// Runs one condition of `options` (its model, end time and tolerances) on `mechanism`.
Result RunCondition(const ValidateOptions& options, const reactor::Mechanism& mechanism,
                    const sample::Condition& condition, std::span<const double> moleFractions);

// The table and the plot of results already computed, one per condition of `grid`, into the
// output folder of `options`. Throws common::Stop when a detailed result is missing.
ValidationSummary WriteValidation(const ValidateOptions& options,
                                  const std::vector<sample::Condition>& grid,
                                  const std::vector<Result>& detailed,
                                  const std::vector<Result>& reduced);

}  // namespace reduction
