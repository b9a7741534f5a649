// Runs that cannot be made end with ok = false and a message naming the condition and the
// reason, never with an exception or a silent result.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "reactor_fixtures.h"

namespace reactor {
namespace {

struct BadRun {
  const char* name;
  double temperature;
  double pressure;
  int moleFractionCount;  // -1: the mechanism's
  double firstMoleFraction;
  double time;  // end time or residence time
  double relativeTolerance;
  const char* expected;  // part of the failure message
};

class FailureTest : public ::testing::TestWithParam<BadRun> {};

TEST_P(FailureTest, IsReportedWithItsCondition) {
  PATHFLUX_REQUIRE_SHARED_DATA();
  const BadRun& bad = GetParam();
  const Mechanism& mechanism = testing::Gri30();
  std::vector<double> x = testing::MethaneAir(mechanism, 1.0);
  x[0] = bad.firstMoleFraction;
  if (bad.moleFractionCount >= 0) x.resize(static_cast<std::size_t>(bad.moleFractionCount));
  const Tolerances tolerances{bad.relativeTolerance, 1e-15};
  const IgnitionResult ignition = RunIgnition(mechanism, Model::ConstantPressure, bad.temperature,
                                              bad.pressure, x, bad.time, tolerances);
  EXPECT_FALSE(ignition.ok);
  EXPECT_NE(ignition.failure.find(bad.expected), std::string::npos) << ignition.failure;
  EXPECT_NE(ignition.failure.find("T0 = "), std::string::npos) << ignition.failure;
  const PsrResult psr =
      RunPsr(mechanism, bad.temperature, bad.pressure, x, bad.time * 1e-3, tolerances);
  EXPECT_FALSE(psr.ok);
  EXPECT_NE(psr.failure.find(bad.expected), std::string::npos) << psr.failure;
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, FailureTest,
    ::testing::Values(
        BadRun{"few_fractions", 1200, 1013250, 10, 0, 0.01, 1e-9, "mole fractions"},
        BadRun{"negative_fraction", 1200, 1013250, -1, -0.1, 0.01, 1e-9, "H2 is"},
        BadRun{"cold", -5, 1013250, -1, 0, 0.01, 1e-9, "temperature"},
        BadRun{"no_pressure", 1200, 0, -1, 0, 0.01, 1e-9, "pressure"},
        BadRun{"no_time", 1200, 1013250, -1, 0, 0, 1e-9, "time"},
        BadRun{"too_much_accuracy", 1200, 1013250, -1, 0, 0.01, 1e-30, "integrator failure"},
        BadRun{"negative_tolerance", 1200, 1013250, -1, 0, 0.01, -1, "integrator set-up failed"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace reactor
