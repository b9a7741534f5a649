// Every operation of the state vectors against the serial vector's own on the same data:
// element-wise results equal bit for bit, sums within a few units in the last place.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <random>
#include <vector>

#include "reactor/vector.h"

namespace reactor {
namespace {

constexpr sunindextype kLength = 23;  // not a multiple of the partial sums
constexpr int kVectors = 4;

struct Operation {
  const char* name;
  // Applies the operation to v[0..3]; returns its scalar result, 0 when there is none.
  std::function<double(N_Vector* v)> apply;
};

// Four vectors of the same random entries, some zero, for the serial arithmetic or ours.
struct Vectors {
  Vectors(SUNContext context, bool own) {
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> uniform(-2.0, 2.0);
    v[0] = own ? NewStateVector(kLength, context) : N_VNew_Serial(kLength, context);
    for (int i = 1; i < kVectors; ++i) v[i] = N_VClone(v[0]);
    for (N_Vector& vector : v) {
      double* entries = N_VGetArrayPointer(vector);
      for (sunindextype k = 0; k < kLength; ++k) entries[k] = k % 7 == 3 ? 0.0 : uniform(random);
    }
  }
  ~Vectors() {
    for (N_Vector vector : v) N_VDestroy(vector);
  }
  N_Vector v[kVectors];
};

TEST(StateVector, EveryOperationMatchesTheSerialVector) {
  SUNContext context = nullptr;
  ASSERT_EQ(SUNContext_Create(nullptr, &context), 0);
  const std::vector<Operation> operations = {
      {"z = x + y", [](N_Vector* v) { return N_VLinearSum(1.0, v[0], 1.0, v[1], v[2]), 0.0; }},
      {"y += x", [](N_Vector* v) { return N_VLinearSum(1.0, v[0], 1.0, v[1], v[1]), 0.0; }},
      {"y = y - x", [](N_Vector* v) { return N_VLinearSum(-1.0, v[0], 1.0, v[1], v[1]), 0.0; }},
      {"x = x - y", [](N_Vector* v) { return N_VLinearSum(1.0, v[0], -1.0, v[1], v[0]), 0.0; }},
      {"z = a (x + y)", [](N_Vector* v) { return N_VLinearSum(0.3, v[0], 0.3, v[1], v[2]), 0.0; }},
      {"z = a (x - y)", [](N_Vector* v) { return N_VLinearSum(0.3, v[0], -0.3, v[1], v[2]), 0.0; }},
      {"z = a x + y", [](N_Vector* v) { return N_VLinearSum(0.3, v[0], 1.0, v[1], v[2]), 0.0; }},
      {"z = a x - y", [](N_Vector* v) { return N_VLinearSum(0.3, v[0], -1.0, v[1], v[2]), 0.0; }},
      {"z = a x + b y", [](N_Vector* v) { return N_VLinearSum(0.3, v[0], 0.7, v[1], v[2]), 0.0; }},
      {"const", [](N_Vector* v) { return N_VConst(0.1, v[2]), 0.0; }},
      {"prod", [](N_Vector* v) { return N_VProd(v[0], v[1], v[2]), 0.0; }},
      {"div", [](N_Vector* v) { return N_VDiv(v[0], v[1], v[2]), 0.0; }},
      {"scale", [](N_Vector* v) { return N_VScale(-1.0 / 3.0, v[0], v[2]), 0.0; }},
      {"scale in place", [](N_Vector* v) { return N_VScale(1.0 / 3.0, v[0], v[0]), 0.0; }},
      {"abs", [](N_Vector* v) { return N_VAbs(v[0], v[2]), 0.0; }},
      {"inv", [](N_Vector* v) { return N_VInv(v[0], v[2]), 0.0; }},
      {"addconst", [](N_Vector* v) { return N_VAddConst(v[0], 0.1, v[2]), 0.0; }},
      {"compare", [](N_Vector* v) { return N_VCompare(0.5, v[0], v[2]), 0.0; }},
      {"invtest", [](N_Vector* v) { return static_cast<double>(N_VInvTest(v[0], v[2])); }},
      {"dotprod", [](N_Vector* v) { return N_VDotProd(v[0], v[1]); }},
      {"maxnorm", [](N_Vector* v) { return N_VMaxNorm(v[0]); }},
      {"wrmsnorm", [](N_Vector* v) { return N_VWrmsNorm(v[0], v[1]); }},
      {"wrmsnormmask", [](N_Vector* v) { return N_VWrmsNormMask(v[0], v[1], v[2]); }},
      {"min", [](N_Vector* v) { return N_VMin(v[0]); }},
      {"linear combination",
       [](N_Vector* v) {
         double c[] = {0.5, -1.5, 2.5};
         return static_cast<double>(N_VLinearCombination(3, c, v, v[3]));
       }},
      {"linear combination into the first",
       [](N_Vector* v) {
         double c[] = {1.0, -1.5, 2.5};
         return static_cast<double>(N_VLinearCombination(3, c, v, v[0]));
       }},
      {"scale add multi",
       [](N_Vector* v) {
         double a[] = {0.5, -1.5};
         N_Vector Y[] = {v[1], v[2]}, Z[] = {v[3], v[2]};
         return static_cast<double>(N_VScaleAddMulti(2, a, v[0], Y, Z));
       }},
      {"linear sum array",
       [](N_Vector* v) {
         N_Vector X[] = {v[0], v[1]}, Y[] = {v[2], v[3]};
         return static_cast<double>(N_VLinearSumVectorArray(2, 0.3, X, 0.3, Y, Y));
       }},
      {"scale array",
       [](N_Vector* v) {
         double c[] = {0.5, 3.0};
         N_Vector X[] = {v[0], v[1]}, Z[] = {v[2], v[1]};
         return static_cast<double>(N_VScaleVectorArray(2, c, X, Z));
       }},
      {"const array",
       [](N_Vector* v) {
         N_Vector Z[] = {v[2], v[3]};
         return static_cast<double>(N_VConstVectorArray(2, -0.25, Z));
       }},
  };
  for (const Operation& operation : operations) {
    Vectors serial(context, false), own(context, true);
    const double expected = operation.apply(serial.v);
    const double actual = operation.apply(own.v);
    EXPECT_NEAR(actual, expected, 1e-15 * std::abs(expected)) << operation.name;
    for (int i = 0; i < kVectors; ++i) {
      const double* a = N_VGetArrayPointer(serial.v[i]);
      const double* b = N_VGetArrayPointer(own.v[i]);
      for (sunindextype k = 0; k < kLength; ++k) {
        ASSERT_EQ(std::bit_cast<std::uint64_t>(a[k]), std::bit_cast<std::uint64_t>(b[k]))
            << operation.name << ": vector " << i << ", entry " << k;
      }
    }
  }
  SUNContext_Free(&context);
}

}  // namespace
}  // namespace reactor
