#include "reactor/vector.h"

#include <algorithm>
#include <cmath>

namespace reactor {
namespace {

double* data(N_Vector v) {
  return NV_DATA_S(v);
}
sunindextype length(N_Vector v) {
  return NV_LENGTH_S(v);
}

// Sum of f(i) over the entries, in four interleaved partial sums: a single running sum is a
// chain of dependent additions.
template <class Term>
double sum(sunindextype n, Term term) {
  double s[4] = {0.0, 0.0, 0.0, 0.0};
  sunindextype i = 0;
  for (; i + 4 <= n; i += 4) {
    for (int j = 0; j < 4; ++j) s[j] += term(i + j);
  }
  for (; i < n; ++i) s[0] += term(i);
  return (s[0] + s[1]) + (s[2] + s[3]);
}

// z = a x + b y with the serial vector's grouping: a (x + y) when a = b, a (x - y) when a = -b
// (y - x when a = -1, for the sign of a zero). Multiplying by 1 is exact, so its other special
// cases give these same values.
void linearSum(double a, N_Vector x, double b, N_Vector y, N_Vector z) {
  const double* xd = data(x);
  const double* yd = data(y);
  double* zd = data(z);
  const sunindextype n = length(z);
  if (a == b) {
    for (sunindextype i = 0; i < n; ++i) zd[i] = a * (xd[i] + yd[i]);
  } else if (a == -1.0 && b == 1.0) {
    for (sunindextype i = 0; i < n; ++i) zd[i] = yd[i] - xd[i];
  } else if (a == -b) {
    for (sunindextype i = 0; i < n; ++i) zd[i] = a * (xd[i] - yd[i]);
  } else {
    for (sunindextype i = 0; i < n; ++i) zd[i] = a * xd[i] + b * yd[i];
  }
}

void constant(double c, N_Vector z) {
  std::fill_n(data(z), length(z), c);
}

void product(N_Vector x, N_Vector y, N_Vector z) {
  const double* xd = data(x);
  const double* yd = data(y);
  double* zd = data(z);
  for (sunindextype i = 0, n = length(z); i < n; ++i) zd[i] = xd[i] * yd[i];
}

void quotient(N_Vector x, N_Vector y, N_Vector z) {
  const double* xd = data(x);
  const double* yd = data(y);
  double* zd = data(z);
  for (sunindextype i = 0, n = length(z); i < n; ++i) zd[i] = xd[i] / yd[i];
}

void scale(double c, N_Vector x, N_Vector z) {
  const double* xd = data(x);
  double* zd = data(z);
  for (sunindextype i = 0, n = length(z); i < n; ++i) zd[i] = c * xd[i];
}

void absolute(N_Vector x, N_Vector z) {
  const double* xd = data(x);
  double* zd = data(z);
  for (sunindextype i = 0, n = length(z); i < n; ++i) zd[i] = std::abs(xd[i]);
}

void inverse(N_Vector x, N_Vector z) {
  const double* xd = data(x);
  double* zd = data(z);
  for (sunindextype i = 0, n = length(z); i < n; ++i) zd[i] = 1.0 / xd[i];
}

void addConstant(N_Vector x, double b, N_Vector z) {
  const double* xd = data(x);
  double* zd = data(z);
  for (sunindextype i = 0, n = length(z); i < n; ++i) zd[i] = xd[i] + b;
}

double dotProduct(N_Vector x, N_Vector y) {
  const double* xd = data(x);
  const double* yd = data(y);
  return sum(length(x), [&](sunindextype i) { return xd[i] * yd[i]; });
}

double maxNorm(N_Vector x) {
  const double* xd = data(x);
  double largest = 0.0;
  for (sunindextype i = 0, n = length(x); i < n; ++i) largest = std::max(largest, std::abs(xd[i]));
  return largest;
}

double weightedSquareSum(N_Vector x, N_Vector w) {
  const double* xd = data(x);
  const double* wd = data(w);
  return sum(length(x), [&](sunindextype i) {
    const double v = xd[i] * wd[i];
    return v * v;
  });
}

double weightedRmsNorm(N_Vector x, N_Vector w) {
  return std::sqrt(weightedSquareSum(x, w) / static_cast<double>(length(x)));
}

double weightedRmsNormMask(N_Vector x, N_Vector w, N_Vector mask) {
  const double* xd = data(x);
  const double* wd = data(w);
  const double* md = data(mask);
  const sunindextype n = length(x);
  const double squares = sum(n, [&](sunindextype i) {
    const double v = xd[i] * wd[i];
    return md[i] > 0.0 ? v * v : 0.0;
  });
  return std::sqrt(squares / static_cast<double>(n));
}

double minimum(N_Vector x) {
  const double* xd = data(x);
  double smallest = xd[0];
  for (sunindextype i = 1, n = length(x); i < n; ++i) smallest = std::min(smallest, xd[i]);
  return smallest;
}

void compare(double c, N_Vector x, N_Vector z) {
  const double* xd = data(x);
  double* zd = data(z);
  for (sunindextype i = 0, n = length(z); i < n; ++i) zd[i] = std::abs(xd[i]) >= c ? 1.0 : 0.0;
}

sunbooleantype inverseTest(N_Vector x, N_Vector z) {
  const double* xd = data(x);
  double* zd = data(z);
  bool nonZero = true;
  for (sunindextype i = 0, n = length(z); i < n; ++i) {
    if (xd[i] == 0.0) {
      nonZero = false;
    } else {
      zd[i] = 1.0 / xd[i];
    }
  }
  return nonZero ? SUNTRUE : SUNFALSE;
}

// z = sum_i c_i X_i, accumulated from X_0 in the order of the vectors, as the serial vector does.
int linearCombination(int count, double* c, N_Vector* X, N_Vector z) {
  if (count < 1) return -1;
  double* zd = data(z);
  const sunindextype n = length(z);
  const double* first = data(X[0]);
  for (sunindextype j = 0; j < n; ++j) zd[j] = c[0] * first[j];
  for (int i = 1; i < count; ++i) {
    const double* xd = data(X[i]);
    for (sunindextype j = 0; j < n; ++j) zd[j] += c[i] * xd[j];
  }
  return 0;
}

// Z_i = a_i x + Y_i.
int scaleAddMulti(int count, double* a, N_Vector x, N_Vector* Y, N_Vector* Z) {
  if (count < 1) return -1;
  const double* xd = data(x);
  const sunindextype n = length(x);
  for (int i = 0; i < count; ++i) {
    const double* yd = data(Y[i]);
    double* zd = data(Z[i]);
    for (sunindextype j = 0; j < n; ++j) zd[j] = a[i] * xd[j] + yd[j];
  }
  return 0;
}

int linearSumArray(int count, double a, N_Vector* X, double b, N_Vector* Y, N_Vector* Z) {
  if (count < 1) return -1;
  for (int i = 0; i < count; ++i) linearSum(a, X[i], b, Y[i], Z[i]);
  return 0;
}

int scaleArray(int count, double* c, N_Vector* X, N_Vector* Z) {
  if (count < 1) return -1;
  for (int i = 0; i < count; ++i) scale(c[i], X[i], Z[i]);
  return 0;
}

int constantArray(int count, double c, N_Vector* Z) {
  if (count < 1) return -1;
  for (int i = 0; i < count; ++i) constant(c, Z[i]);
  return 0;
}

}  // namespace

N_Vector NewStateVector(sunindextype length, SUNContext context) {
  N_Vector v = N_VNew_Serial(length, context);
  if (v == nullptr) return nullptr;
  // The fused and array operations are enabled first: enabling sets the serial ones.
  N_VEnableFusedOps_Serial(v, SUNTRUE);
  N_Vector_Ops ops = v->ops;
  ops->nvlinearsum = linearSum;
  ops->nvconst = constant;
  ops->nvprod = product;
  ops->nvdiv = quotient;
  ops->nvscale = scale;
  ops->nvabs = absolute;
  ops->nvinv = inverse;
  ops->nvaddconst = addConstant;
  ops->nvdotprod = dotProduct;
  ops->nvmaxnorm = maxNorm;
  ops->nvwrmsnorm = weightedRmsNorm;
  ops->nvwrmsnormmask = weightedRmsNormMask;
  ops->nvmin = minimum;
  ops->nvcompare = compare;
  ops->nvinvtest = inverseTest;
  ops->nvlinearcombination = linearCombination;
  ops->nvscaleaddmulti = scaleAddMulti;
  ops->nvlinearsumvectorarray = linearSumArray;
  ops->nvscalevectorarray = scaleArray;
  ops->nvconstvectorarray = constantArray;
  // The local kernels are what the global reductions are made of in a serial vector.
  ops->nvdotprodlocal = dotProduct;
  ops->nvmaxnormlocal = maxNorm;
  ops->nvminlocal = minimum;
  ops->nvinvtestlocal = inverseTest;
  ops->nvwsqrsumlocal = weightedSquareSum;
  return v;
}

}  // namespace reactor
