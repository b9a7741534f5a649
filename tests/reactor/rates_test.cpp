// The reactor's own rates of progress against the rate kernel's, reaction by reaction, on
// mechanisms with fall-off, third bodies, explicit reverse rates and pressure tables.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "analysis/core/rate_kernel.h"
#include "reactor/reactor_kernel.h"
#include "reactor_fixtures.h"
#include "support/memory_console.h"

namespace reactor {
namespace {

struct RatesCase {
  const char* name;
  const Mechanism& (*mechanism)();
  double temperature;
  double pressureAtm;
};

class RatesTest : public ::testing::TestWithParam<RatesCase> {};

TEST_P(RatesTest, MatchTheRateKernel) {
  PATHFLUX_REQUIRE_SHARED_DATA();
  const RatesCase& c = GetParam();
  const Mechanism::Data& d = c.mechanism().data();
  ASSERT_TRUE(d.directRates);
  const auto K = static_cast<std::size_t>(d.speciesCount);
  // Every species present, over two decades, so that every rate of progress is exercised.
  std::vector<double> x(K), y(K + 1), ydot(K + 1);
  for (std::size_t k = 0; k < K; ++k) x[k] = std::pow(10.0, -static_cast<double>(k % 3)) + 0.1;
  y[0] = c.temperature;
  MoleToMassFractions(c.mechanism(), x, std::span<double>(y).subspan(1));
  const double pressure = c.pressureAtm * 1013250.0;

  ReactorSetting setting;
  setting.pressure = pressure;
  Workspace work(d);
  RightHandSide(d, setting, y, ydot, work);

  std::vector<double> RKWORK = d.loaded.RKWORK, forward(work.forwardProgress.size()),
                      reverse(forward.size());
  const double temperatures[2] = {c.temperature, c.temperature};
  test_support::MemoryConsole console;
  analysis::CaseRates(d.loaded.state, 2, pressure, temperatures,
                      std::span<const double>(y).subspan(1), d.loaded.IKWORK, RKWORK, forward,
                      reverse, console);
  // Only the equilibrium constants are formed differently (a product of exp(g_k) instead of the
  // exponential of a sum); the largest relative difference seen is below 1e-14.
  for (std::size_t i = 0; i < forward.size(); ++i) {
    EXPECT_NEAR(work.forwardProgress[i], forward[i], 1e-13 * std::abs(forward[i]))
        << c.name << ", reaction " << i + 1;
    EXPECT_NEAR(work.reverseProgress[i], reverse[i], 1e-13 * std::abs(reverse[i]))
        << c.name << ", reaction " << i + 1;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Mechanisms, RatesTest,
    ::testing::Values(RatesCase{"gri30_800K", testing::Gri30, 800, 1},
                      RatesCase{"gri30_2400K_20atm", testing::Gri30, 2400, 20},
                      RatesCase{"nheptane_700K_10atm", testing::NHeptane, 700, 10},
                      RatesCase{"nheptane_1800K", testing::NHeptane, 1800, 1},
                      RatesCase{"glarborg2018_1000K_0_3atm", testing::Glarborg2018, 1000, 0.3},
                      RatesCase{"glarborg2018_1600K_40atm", testing::Glarborg2018, 1600, 40}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace reactor
