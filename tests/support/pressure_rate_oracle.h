// Rate constants of pressure tables and Chebyshev fits written straight from their
// definitions, apart from the kinetics library's code, for the tests to compare against.
#pragma once

#include "kinetics/link_mechanism.h"

namespace test_support {

// A T^beta exp(-E/R / T) summed over the rows at each pressure and held to the kernel's floor of
// 1e-300; ln k linear in ln P between the two table pressures around `P` (atm), the rate of the
// nearest table pressure outside them.
double TableRateOracle(const kinetics::LinkPressureTable& table, double P, double T);

// 10^(sum a(t, p) cos((t - 1) acos x) cos((p - 1) acos y)) with x from 1/T and y from log10 P,
// each held to [-1, 1].
double ChebyshevRateOracle(const kinetics::LinkChebyshev& fit, double P, double T);

}  // namespace test_support
