// The literal path-flux selection: every sum recomputed where the algorithm names it, no reuse
// and no skipping, so that it can be read line by line against the description.
#include "support/path_flux_oracle.h"

#include <cmath>
#include <cstddef>
#include <vector>

namespace analysis::oracle {

namespace {

// 1.0e-12 and 1.0e-13 held in single precision.
const double kEpsilon1 = static_cast<double>(1.0e-12f);
const double kEpsilon2 = static_cast<double>(1.0e-13f);

struct Mechanism {
  std::int32_t stoichDimension;
  std::int32_t NR;
  std::span<const double> forward;
  std::span<const double> reverse;
  std::span<const std::int32_t> matrix;
  std::span<const std::int32_t> index;

  // nu(k, i), 1-based.
  std::int32_t nu(std::int32_t k, std::int32_t i) const {
    return matrix[static_cast<std::size_t>(k - 1) +
                  static_cast<std::size_t>(i - 1) * static_cast<std::size_t>(stoichDimension)];
  }
  // SpeciesReactionIndex(k, c), 1-based.
  std::int32_t listed(std::int32_t k, std::int32_t c) const {
    return index[static_cast<std::size_t>(k - 1) * static_cast<std::size_t>(NR + 1) +
                 static_cast<std::size_t>(c - 1)];
  }

  // P(X), C(X), and P(X, B), C(X, B) over the reactions listed for X.
  void sums(std::int32_t x, std::int32_t b, double& p, double& c, double& pb, double& cb) const {
    p = 0.0;
    c = 0.0;
    pb = 0.0;
    cb = 0.0;
    const std::int32_t n = listed(x, 1);
    for (std::int32_t l = 1; l <= n; ++l) {
      const std::int32_t j = listed(x, l + 1);
      const double q = forward[j - 1] - reverse[j - 1];
      const double f = q * static_cast<double>(nu(x, j));
      if (f > 0.0) p = p + f;
      if (f < 0.0) c = c + f;
      if (nu(b, j) != 0) {
        if (f > 0.0) pb = pb + f;
        if (f < 0.0) cb = cb + f;
      }
    }
  }
};

}  // namespace

void LiteralSelectFromRates(const AnalysisTables& tables, const SelectionInput& input,
                            SelectionOutput& output, const CoefficientObserver& observer) {
  const Mechanism mechanism{tables.stoichDimension,     tables.NR,
                            input.forwardProgress,      input.reverseProgress,
                            tables.StoichiometryMatrix, tables.SpeciesReactionIndex};
  const std::int32_t N = tables.KK;
  const std::int32_t NS = tables.NS;
  const double threshold = input.threshold;

  // Working arrays, 1-based.
  std::vector<bool> selected(NS + 1, false);
  std::vector<std::int32_t> frontier;
  std::vector<std::int32_t> next;
  std::vector<std::int32_t> processed;
  std::vector<double> rcon(NS + 1, 0.0);
  std::vector<double> rpro(NS + 1, 0.0);

  std::int32_t KeptCount = 0;
  for (const std::int32_t k : input.startSpecies) {
    if (selected[k]) continue;
    selected[k] = true;
    frontier.push_back(k);
  }

  while (!frontier.empty()) {
    next.clear();
    for (const std::int32_t A : frontier) {
      for (std::int32_t B = 1; B <= N; ++B) {
        if (B == A) continue;
        double P, C, PB, CB;
        mechanism.sums(A, B, P, C, PB, CB);
        const double D1 = std::fmax(std::fabs(C), std::fabs(P)) + kEpsilon1;
        rcon[B] = std::fabs(CB) / D1;
        rpro[B] = std::fabs(PB) / D1;
      }
      for (std::int32_t B = 1; B <= N; ++B) {
        if (B == A) continue;
        double consumption = 0.0;
        double production = 0.0;
        for (std::int32_t M = 1; M <= N; ++M) {
          if (M == A || M == B) continue;
          double P, C, PB, CB;
          mechanism.sums(M, B, P, C, PB, CB);
          const double D2 = std::fmax(std::fabs(C), std::fabs(P)) + kEpsilon2;
          consumption = consumption + std::fabs(CB) * rcon[M] / D2;
          production = production + std::fabs(PB) * rpro[M] / D2;
        }
        const double Rcon = consumption + rcon[B];
        const double Rpro = production + rpro[B];
        const double R = Rcon + Rpro;
        if (observer) observer(A, B, R);
        if (R > threshold && !selected[B]) {
          selected[B] = true;
          next.push_back(B);
        }
      }
    }
    processed.insert(processed.end(), frontier.begin(), frontier.end());
    KeptCount += static_cast<std::int32_t>(frontier.size());
    frontier.swap(next);
  }

  const auto row = static_cast<std::size_t>(output.caseNumber - 1) * static_cast<std::size_t>(NS);
  for (std::int32_t k = 1; k <= N; ++k) output.KeptFlags[row + k - 1] = 0;
  for (const std::int32_t k : processed) output.KeptFlags[row + k - 1] = -1;
  std::int32_t column = 0;
  for (std::int32_t k = 1; k <= N; ++k) {
    if (output.KeptFlags[row + k - 1] != 0) output.KeptList[row + column++] = k;
  }
  output.KeptCount = KeptCount;
}

}  // namespace analysis::oracle
