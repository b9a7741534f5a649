// Exponentials of whole arrays, two at a time in the processor's vector registers.
//
// The right-hand side takes a few hundred exponentials at once (one per distinct Arrhenius
// exponent, one per species' Gibbs energy); the library's exp takes them one call at a time. The
// arithmetic is IEEE-754 double only, with no fused operations, so the result of each element is
// the same on every machine and in every position of the array: at most one unit in the last
// place from the exact value in the normal range (checked against std::exp in the tests). Below
// the normal range the result is rounded once more; above about 709.78 it is +inf; NaN stays NaN.
#pragma once

#include <span>

namespace reactor {

// y[i] = e^x[i]; x and y may be the same array.
void Exponentials(std::span<const double> x, std::span<double> y);

// The same with the two lanes every processor of the kind has; Exponentials gives these values
// whichever vectors it uses.
void PortableExponentials(std::span<const double> x, std::span<double> y);

}  // namespace reactor
