// The pair well depths and diameters: combining rules, the induced-dipole correction of a polar
// species meeting a non-polar one, and the polarity threshold.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "transport/linking_file.h"

namespace transport {
namespace {

struct Species {
  double epsilon, sigma, mu, alpha;
};
struct Pair {
  double depth, diameter;
};

Pair Plain(const Species& a, const Species& b) {
  return {std::sqrt(a.epsilon * b.epsilon), 0.5 * (a.sigma + b.sigma)};
}

// A polar species p with a non-polar species n, as the combining rule states it.
Pair Induced(const Species& n, const Species& p) {
  const double reducedAlpha = n.alpha / std::pow(n.sigma, 3);
  const double reducedDipole = p.mu * p.mu / (std::pow(p.sigma, 3) * p.epsilon);
  const double xi = 1.0 + 0.25 * 7243.438411119646 * reducedAlpha * reducedDipole *
                              std::sqrt(p.epsilon / n.epsilon);
  return {xi * xi * std::sqrt(n.epsilon * p.epsilon),
          0.5 * (n.sigma + p.sigma) * std::pow(xi, -1.0 / 6.0)};
}

// Two species combined in RTWORK; checks symmetry and the diagonal, returns entry (1, 2).
Pair Combine(const Species& first, const Species& second) {
  TransportState state;
  state.KK = 2;
  state.FitOrder = 4;
  ComputeTransportSections(state);
  std::vector<double> RTWORK(RequiredTransportRealLength(2, 4, 0), 0.0);
  const Species both[] = {first, second};
  for (int k = 0; k < 2; ++k) {
    RTWORK[state.WellDepths - 1 + k] = both[k].epsilon;
    RTWORK[state.CollisionDiameters - 1 + k] = both[k].sigma;
    RTWORK[state.DipoleMoments - 1 + k] = both[k].mu;
    RTWORK[state.Polarizabilities - 1 + k] = both[k].alpha;
  }
  CombinePairParameters(state, RTWORK);
  auto entry = [&](std::int64_t start, int a, int b) {
    return RTWORK[start - 1 + (a - 1) + (b - 1) * 2];
  };
  for (int k = 1; k <= 2; ++k) {
    EXPECT_EQ(entry(state.PairWellDepths, k, k), both[k - 1].epsilon);
    EXPECT_EQ(entry(state.PairDiameters, k, k), both[k - 1].sigma);
  }
  EXPECT_EQ(entry(state.PairWellDepths, 1, 2), entry(state.PairWellDepths, 2, 1));
  EXPECT_EQ(entry(state.PairDiameters, 1, 2), entry(state.PairDiameters, 2, 1));
  return {entry(state.PairWellDepths, 1, 2), entry(state.PairDiameters, 1, 2)};
}

TEST(PairParameters, CombiningRulesAndPolarity) {
  // Water-like (polar) and nitrogen-like (non-polar) species.
  const Species water{572.4, 2.605, 1.844, 0.0};
  const Species nitrogen{97.53, 3.621, 0.0, 1.76};
  const Species oxygen{107.4, 3.458, 0.0, 1.6};
  const Species ammonia{481.0, 2.92, 1.47, 0.0};
  // A tiny diameter makes even a dipole of 1.0e-20 move the pair values.
  const Species faint{1.0, 1.0e-14, 1.0e-20, 0.0};
  const Species atThreshold{1.0, 1.0e-14, 9.999999682655225e-21, 0.0};
  const Species polarizable{1.0, 1.0, 0.0, 1.0};

  struct Case {
    const char* name;
    Species first, second;
    Pair expected;
  };
  const Case kCases[] = {
      {"two non-polar", nitrogen, oxygen, Plain(nitrogen, oxygen)},
      {"polar first", water, nitrogen, Induced(nitrogen, water)},
      {"polar second", nitrogen, water, Induced(nitrogen, water)},
      {"both polar", water, ammonia, Plain(water, ammonia)},
      {"dipole 1.0e-20 in double is polar", faint, polarizable, Induced(polarizable, faint)},
      {"dipole equal to the threshold is non-polar", atThreshold, polarizable,
       Plain(atThreshold, polarizable)},
      {"a partner at the threshold is not non-polar",
       water,
       {97.53, 3.621, 9.999999682655225e-21, 1.76},
       Plain(water, nitrogen)},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const Pair pair = Combine(c.first, c.second);
    EXPECT_DOUBLE_EQ(pair.depth, c.expected.depth);
    EXPECT_DOUBLE_EQ(pair.diameter, c.expected.diameter);
  }
  // The correction is far from negligible for water with nitrogen.
  EXPECT_GT(Induced(nitrogen, water).depth, 1.1 * Plain(nitrogen, water).depth);
  EXPECT_GT(Induced(polarizable, faint).depth, 2.0 * Plain(polarizable, faint).depth);
}

TEST(PairParameters, RefusesSectionsOutsideTheArray) {
  TransportState state;
  state.KK = 2;
  ComputeTransportSections(state);
  std::vector<double> RTWORK(state.PairDiameters + 2, 0.0);  // one short of K^2
  EXPECT_THROW(CombinePairParameters(state, RTWORK), std::out_of_range);
  RTWORK.push_back(0.0);
  EXPECT_NO_THROW(CombinePairParameters(state, RTWORK));
}

}  // namespace
}  // namespace transport
