// sorvane validate: the detailed and the reduced mechanism run side by side with the reactor
// library at every condition; the table of both results and their relative error, and a plot.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

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
