// The path-flux selection evaluated exactly as written, with the full loops over every species
// pair and every intermediate species. Tests and benchmarks hold the fast selection against it.
#pragma once

#include <cstdint>
#include <functional>
#include <span>

#include "analysis/core/analysis_tables.h"

namespace analysis::oracle {

// Called with (A, B, R(A, B)) for every interaction coefficient evaluated (1-based species).
using CoefficientObserver = std::function<void(std::int32_t, std::int32_t, double)>;

// Same inputs and results as analysis::SelectFromRates, on the tables' matrix and index instead
// of the scratch: the working arrays are made per call.
void LiteralSelectFromRates(const AnalysisTables& tables, const SelectionInput& input,
                            SelectionOutput& output, const CoefficientObserver& observer = {});

}  // namespace analysis::oracle
