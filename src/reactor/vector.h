// The integrator's state vectors: SUNDIALS serial vectors whose arithmetic is our own.
//
// The integrator spends a quarter of a GRI-Mech ignition in vector operations on vectors of a
// few dozen entries, and the distribution's build of the serial vector is unoptimised. These
// vectors keep the serial layout (N_VGetArrayPointer, clones, the length) and replace every
// operation the integrator calls with the same formula compiled with the project: element-wise
// results are those of the serial vector bit for bit; sums are formed in four interleaved
// partial sums.
#pragma once

#include <nvector/nvector_serial.h>

namespace reactor {

// A serial vector of `length` entries with our arithmetic; its clones have it too. Null when
// SUNDIALS cannot allocate it.
N_Vector NewStateVector(sunindextype length, SUNContext context);

}  // namespace reactor
