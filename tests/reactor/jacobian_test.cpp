// The analytic Jacobian against a central finite difference of the right-hand side, at states
// along GRI-Mech 3.0 ignitions and in a stirred reactor, for every model.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "reactor/reactor_kernel.h"
#include "reactor_fixtures.h"

namespace reactor {
namespace {

// Dense analytic Jacobian (sparse part + rank-one part), row-major.
std::vector<double> analyticJacobian(const Mechanism::Data& d, const ReactorSetting& setting,
                                     std::span<const double> y, Workspace& work) {
  const auto n = static_cast<std::size_t>(d.stateSize());
  std::vector<double> values(d.rowIndex.size()), u(n), v(n), dense(n * n, 0.0);
  Jacobian(d, setting, y, values, u, v, work);
  for (std::size_t column = 0; column < n; ++column) {
    for (auto p = d.columnStart[column]; p < d.columnStart[column + 1]; ++p) {
      dense[static_cast<std::size_t>(d.rowIndex[p]) * n + column] += values[p];
    }
  }
  for (std::size_t row = 0; row < n; ++row) {
    for (std::size_t column = 0; column < n; ++column)
      dense[row * n + column] += u[row] * v[column];
  }
  return dense;
}

std::vector<double> differenceJacobian(const Mechanism::Data& d, const ReactorSetting& setting,
                                       std::span<const double> y, Workspace& work) {
  const auto n = static_cast<std::size_t>(d.stateSize());
  std::vector<double> dense(n * n), plus(n), minus(n), shifted(y.begin(), y.end());
  for (std::size_t column = 0; column < n; ++column) {
    // Rates are at most cubic in a concentration, so a step far above a small mass fraction stays
    // exact.
    const double step = column == 0 ? 1e-6 * y[0] : 1e-6 * std::max(std::abs(y[column]), 1e-3);
    shifted[column] = y[column] + step;
    RightHandSide(d, setting, shifted, plus, work);
    shifted[column] = y[column] - step;
    RightHandSide(d, setting, shifted, minus, work);
    shifted[column] = y[column];
    for (std::size_t row = 0; row < n; ++row) {
      dense[row * n + column] = (plus[row] - minus[row]) / (2.0 * step);
    }
  }
  return dense;
}

struct JacobianCase {
  const char* name;
  Model model;
  double residenceTime;  // 0: closed reactor
  double initialTemperature;
  double pressureAtm;
  double phi;
  bool pressureTables = false;  // Glarborg 2018 instead of GRI-Mech 3.0
};

class JacobianTest : public ::testing::TestWithParam<JacobianCase> {};

TEST_P(JacobianTest, MatchesFiniteDifferencesAlongAnIgnition) {
  PATHFLUX_REQUIRE_SHARED_DATA();
  const JacobianCase& c = GetParam();
  const Mechanism& mechanism = c.pressureTables ? testing::Glarborg2018() : testing::Gri30();
  const Mechanism::Data& d = mechanism.data();
  const auto x = testing::MethaneAir(mechanism, c.phi);
  const double pressure = c.pressureAtm * 1013250.0;
  const IgnitionResult run =
      RunIgnition(mechanism, c.model, c.initialTemperature, pressure, x, 0.05, {1e-8, 1e-14});
  ASSERT_TRUE(run.ok) << run.failure;

  ReactorSetting setting;
  setting.model = c.model;
  setting.pressure = pressure;
  setting.density = Density(mechanism, c.initialTemperature, pressure, x);
  std::vector<double> inletY(x.size()), inletH(x.size());
  if (c.residenceTime > 0.0) {
    MoleToMassFractions(mechanism, x, inletY);
    SpeciesThermodynamics(mechanism, 300.0, {}, inletH, {});
    setting.residenceTime = c.residenceTime;
    setting.inletMassFractions = inletY;
    setting.inletEnthalpies = inletH;
  }
  Workspace work(d);
  const auto n = static_cast<std::size_t>(d.stateSize());
  // States before, during and after the ignition.
  for (const double fraction : {0.0, 0.3, 0.5, 0.7, 1.0}) {
    const StateRecord state = run.trajectory.state(
        static_cast<std::size_t>(fraction * static_cast<double>(run.trajectory.size() - 1)));
    std::vector<double> y(n);
    y[0] = state.temperature;
    MoleToMassFractions(mechanism, state.moleFractions, std::span<double>(y).subspan(1));
    const auto analytic = analyticJacobian(d, setting, y, work);
    const auto reference = differenceJacobian(d, setting, y, work);
    // Each entry within 1e-6 of the largest entry of its row (rows span many decades; the
    // agreement seen is better than 1e-8), above a floor of 1e-15 of the largest entry of all:
    // rows of species that are not there yet hold only the difference's truncation error.
    double largest = 0.0;
    for (const double entry : reference) largest = std::max(largest, std::abs(entry));
    // The temperature column is analytic too: each entry within 1e-6 of itself (seen: 3e-8),
    // above a floor of 1e-9 of the column's largest.
    double column = 0.0;
    for (std::size_t row = 0; row < n; ++row)
      column = std::max(column, std::abs(reference[row * n]));
    for (std::size_t row = 0; row < n; ++row) {
      ASSERT_NEAR(analytic[row * n], reference[row * n],
                  1e-6 * std::abs(reference[row * n]) + 1e-9 * column)
          << c.name << " at T = " << y[0] << ", temperature column, row " << row;
    }
    for (std::size_t row = 0; row < n; ++row) {
      double scale = 0.0;
      for (std::size_t column = 0; column < n; ++column) {
        scale = std::max(scale, std::abs(reference[row * n + column]));
      }
      for (std::size_t column = 0; column < n; ++column) {
        ASSERT_NEAR(analytic[row * n + column], reference[row * n + column],
                    1e-6 * scale + 1e-15 * largest)
            << c.name << " at T = " << y[0] << ", row " << row << ", column " << column;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Models, JacobianTest,
    ::testing::Values(
        JacobianCase{"constant pressure", Model::ConstantPressure, 0.0, 1400, 1, 1},
        JacobianCase{"constant pressure rich, 20 atm", Model::ConstantPressure, 0.0, 1200, 20, 2},
        JacobianCase{"constant volume", Model::ConstantVolume, 0.0, 1400, 1, 0.5},
        JacobianCase{"stirred reactor", Model::ConstantPressure, 1e-4, 1400, 1, 1},
        JacobianCase{"pressure tables at 10 atm", Model::ConstantPressure, 0.0, 1400, 10, 1, true},
        JacobianCase{"pressure tables at constant volume", Model::ConstantVolume, 0.0, 1400, 3, 1,
                     true}),
    [](const auto& info) {
      std::string name = info.param.name;
      for (char& ch : name) {
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
      }
      return name;
    });

}  // namespace
}  // namespace reactor
