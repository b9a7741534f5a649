// Time integration of the reactors with CVODES (BDF, Newton) and the KLU sparse direct solver
// on the analytic Jacobian.
//
// The Newton matrix handed to KLU is I - gamma J with J the Jacobian's sparse part: the rank-one
// part of the species block (mixture baths, density; reactor_kernel.h) would make it dense, so
// the solver adds it through the Sherman-Morrison formula around KLU's solve. The Newton matrix
// is therefore that of the exact Jacobian.
//
// Stirred reactor. The steady state is reached by integrating the transient. Starting from the
// inlet composition at 2000 K with a residence time of 10 ms (or the requested one when it is
// longer), the residence time is lowered in geometric steps of at most a factor 1.5 to the
// requested one, each stage starting from the steady state of the last: a state close to
// extinction is reached on its burning branch, which time marching from a hot state at that
// residence time may miss. A stage is steady when one residence time at the present rate of
// change would move the temperature by less than 1e-6 of itself and every mass fraction by less
// than 1e-6 of itself plus 1e-10 (checked after each interval of one residence time, within
// 10^4 residence times). A stage whose temperature falls within 100 K of the inlet's has
// blown out: the answer is then the steady state reached from the inlet itself, not burning.
#include <cvodes/cvodes.h>
#include <klu.h>
#include <nvector/nvector_serial.h>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "common/console.h"
#include "reactor/reactor_kernel.h"
#include "reactor/vector.h"

namespace reactor {
namespace {

using Data = Mechanism::Data;

constexpr double kIgnitionRise = 400.0;  // K above T0
constexpr int kSamplesPerStep = 8;       // dT/dt samples inside each step
constexpr int kRefinements = 60;         // golden-section and bisection iterations
constexpr int kMaxTaylorTerms = 6;       // BDF orders up to 5
constexpr long kMaxSteps = 1000000;      // per run
// The Newton iteration converges to 0.01 of the local error tolerance (CVODES's default 0.1) on
// a Jacobian at most 20 steps old (default 51). At tight tolerances the looser iteration leaves
// its error in the local error estimate, which then fails more often and shortens the steps:
// GRI-Mech ignitions at rtol 1e-9 take 30 % fewer steps, n-heptane 55 % fewer.
constexpr double kNewtonConvergence = 0.01;
constexpr double kPivotDecay = 0.1;
constexpr long kJacobianSteps = 20;
constexpr double kPsrStartTemperature = 2000.0;  // K
constexpr double kPsrStartResidence = 1e-2;      // s
constexpr double kPsrStageRatio = 1.5;
constexpr double kPsrSteadyRelative = 1e-6;
constexpr double kPsrSteadyAbsolute = 1e-10;
constexpr double kPsrMaxResidences = 1e4;
constexpr double kPsrExtinctMargin = 100.0;  // K above the inlet

std::string number(double value) {
  return common::formatRoundTrip(value);
}

// Everything the CVODES callbacks reach through their user data.
struct RunContext {
  RunContext(const Data& data)
      : d(data),
        work(data),
        rankOneRow(data.stateSize()),
        rankOneColumn(data.stateSize()),
        solveScratch(data.stateSize()),
        rankOneSolution(data.stateSize()) {}
  const Data& d;
  ReactorSetting setting;
  Workspace work;
  std::vector<double> rankOneRow, rankOneColumn, solveScratch, rankOneSolution;
  double rankOneDenominator = 1.0;
  void* cvode = nullptr;
  bool freshJacobian = false;  // set by the Jacobian, consumed by the next factorisation
  std::string error;           // the first failure of a callback or of CVODES
  std::int64_t extraRightHandSides = 0;
};

int rightHandSide(sunrealtype, N_Vector y, N_Vector ydot, void* user) {
  auto& run = *static_cast<RunContext*>(user);
  const auto n = static_cast<std::size_t>(run.d.stateSize());
  const std::span<const double> state(N_VGetArrayPointer(y), n);
  const std::span<double> rate(N_VGetArrayPointer(ydot), n);
  try {
    RightHandSide(run.d, run.setting, state, rate, run.work);
  } catch (const common::Stop& stop) {
    if (run.error.empty()) run.error = stop.reason();
    return -1;
  }
  for (double value : rate) {
    if (!std::isfinite(value)) return 1;  // recoverable: CVODES retries with a smaller step
  }
  return 0;
}

// The matrix CVODES keeps for the Jacobian: its values in the mechanism's compressed-column
// pattern and the map c J + s I that CVODES applies to it, kept as the two numbers. A generic
// sparse matrix would zero, copy and rescale every entry at each setup; here the setup forms
// c J + s I once, straight into KLU's input.
struct JacobianMatrix {
  std::vector<double> values;
  double scale = 1.0;
  double identity = 0.0;
};

JacobianMatrix& matrixOf(SUNMatrix A) {
  return *static_cast<JacobianMatrix*>(A->content);
}

SUNMatrix newJacobianMatrix(SUNContext context, std::size_t size);

SUNMatrix_ID matrixId(SUNMatrix) {
  return SUNMATRIX_CUSTOM;
}
SUNMatrix matrixClone(SUNMatrix A) {
  return newJacobianMatrix(A->sunctx, matrixOf(A).values.size());
}
void matrixDestroy(SUNMatrix A) {
  if (A == nullptr) return;
  delete static_cast<JacobianMatrix*>(A->content);
  A->content = nullptr;
  SUNMatFreeEmpty(A);
}
int matrixZero(SUNMatrix A) {
  JacobianMatrix& m = matrixOf(A);
  std::fill(m.values.begin(), m.values.end(), 0.0);
  m.scale = 1.0;
  m.identity = 0.0;
  return SUNMAT_SUCCESS;
}
int matrixCopy(SUNMatrix A, SUNMatrix B) {
  const JacobianMatrix& from = matrixOf(A);
  JacobianMatrix& to = matrixOf(B);
  std::copy(from.values.begin(), from.values.end(), to.values.begin());
  to.scale = from.scale;
  to.identity = from.identity;
  return SUNMAT_SUCCESS;
}
// A = c A + I.
int matrixScaleAddIdentity(sunrealtype c, SUNMatrix A) {
  JacobianMatrix& m = matrixOf(A);
  m.scale *= c;
  m.identity = c * m.identity + 1.0;
  return SUNMAT_SUCCESS;
}

SUNMatrix newJacobianMatrix(SUNContext context, std::size_t size) {
  SUNMatrix A = SUNMatNewEmpty(context);
  if (A == nullptr) return nullptr;
  A->content = new JacobianMatrix{std::vector<double>(size, 0.0)};
  A->ops->getid = matrixId;
  A->ops->clone = matrixClone;
  A->ops->destroy = matrixDestroy;
  A->ops->zero = matrixZero;
  A->ops->copy = matrixCopy;
  A->ops->scaleaddi = matrixScaleAddIdentity;
  return A;
}

int jacobian(sunrealtype, N_Vector y, N_Vector, SUNMatrix J, void* user, N_Vector, N_Vector,
             N_Vector) {
  auto& run = *static_cast<RunContext*>(user);
  const Data& d = run.d;
  const auto n = static_cast<std::size_t>(d.stateSize());
  JacobianMatrix& matrix = matrixOf(J);
  matrix.scale = 1.0;
  matrix.identity = 0.0;
  const std::span<double> values = matrix.values;
  try {
    Jacobian(d, run.setting, std::span<const double>(N_VGetArrayPointer(y), n), values,
             run.rankOneRow, run.rankOneColumn, run.work);
  } catch (const common::Stop& stop) {
    if (run.error.empty()) run.error = stop.reason();
    return -1;
  }
  run.extraRightHandSides += d.directRates ? 1 : 3;  // with its temperature differences
  run.freshJacobian = true;
  for (double value : values) {
    if (!std::isfinite(value)) return 1;
  }
  return 0;
}

void errorHandler(int, const char*, const char* function, char* message, void* user) {
  auto& run = *static_cast<RunContext*>(user);
  if (run.error.empty()) run.error = std::string(function) + ": " + message;
}

// The linear solver: KLU called directly, with the rank-one correction. CVODES hands setup
// M = I - gamma S (S the sparse part); the Newton matrix is M - gamma u v^T, solved by
// Sherman-Morrison with z = M^-1 u. The symbolic analysis (AMD ordering) is made once per run on
// the mechanism's fixed pattern. Setups refactor with the pivots of the last full
// factorisation (partial pivoting); a fresh Jacobian whose pivots have decayed, or a refactoring
// that fails, gets a full one.
struct DirectSolver {
  explicit DirectSolver(RunContext& context) : run(context) { klu_l_defaults(&common); }
  ~DirectSolver() {
    if (numeric != nullptr) klu_l_free_numeric(&numeric, &common);
    if (symbolic != nullptr) klu_l_free_symbolic(&symbolic, &common);
  }
  RunContext& run;
  std::vector<double> values;  // c J + s I, KLU's input
  klu_l_common common{};
  klu_l_symbolic* symbolic = nullptr;
  klu_l_numeric* numeric = nullptr;
  double gamma = 0.0;
  double pivotRatio = 0.0;  // smallest over largest pivot of the last full factorisation
};

DirectSolver& solverOf(SUNLinearSolver S) {
  return *static_cast<DirectSolver*>(S->content);
}

SUNLinearSolver_Type directType(SUNLinearSolver) {
  return SUNLINEARSOLVER_DIRECT;
}
SUNLinearSolver_ID directId(SUNLinearSolver) {
  return SUNLINEARSOLVER_CUSTOM;
}
int directInitialize(SUNLinearSolver) {
  return SUNLS_SUCCESS;
}

int directSetup(SUNLinearSolver S, SUNMatrix A) {
  DirectSolver& solver = solverOf(S);
  RunContext& run = solver.run;
  const Data& d = run.d;
  const JacobianMatrix& matrix = matrixOf(A);
  static_assert(sizeof(SuiteSparse_long) == sizeof(std::int64_t));
  const auto n = static_cast<SuiteSparse_long>(d.stateSize());
  // KLU reads the pattern only.
  auto* columns = const_cast<SuiteSparse_long*>(
      reinterpret_cast<const SuiteSparse_long*>(d.columnStart.data()));
  auto* rows =
      const_cast<SuiteSparse_long*>(reinterpret_cast<const SuiteSparse_long*>(d.rowIndex.data()));
  solver.values.resize(matrix.values.size());
  for (std::size_t p = 0; p < matrix.values.size(); ++p) {
    solver.values[p] = matrix.scale * matrix.values[p];
  }
  for (const std::int64_t p : d.diagonalPosition) solver.values[p] += matrix.identity;
  double* values = solver.values.data();
  if (solver.symbolic == nullptr) {
    solver.symbolic = klu_l_analyze(n, columns, rows, &solver.common);
    if (solver.symbolic == nullptr) return SUNLS_PACKAGE_FAIL_UNREC;
  }
  bool refactored = false;
  if (solver.numeric != nullptr) {
    refactored =
        klu_l_refactor(columns, rows, values, solver.symbolic, solver.numeric, &solver.common) != 0;
    // A fresh Jacobian keeps the old pivots while they stay sound: its smallest pivot relative
    // to its largest no worse than kPivotDecay times that of the last full factorisation.
    if (refactored && run.freshJacobian) {
      refactored = klu_l_rcond(solver.symbolic, solver.numeric, &solver.common) != 0 &&
                   solver.common.rcond >= kPivotDecay * solver.pivotRatio;
    }
  }
  if (!refactored) {
    if (solver.numeric != nullptr) klu_l_free_numeric(&solver.numeric, &solver.common);
    solver.numeric = klu_l_factor(columns, rows, values, solver.symbolic, &solver.common);
    if (solver.numeric == nullptr) return SUNLS_PACKAGE_FAIL_REC;
    if (klu_l_rcond(solver.symbolic, solver.numeric, &solver.common) == 0) {
      return SUNLS_PACKAGE_FAIL_REC;
    }
    solver.pivotRatio = solver.common.rcond;
  }
  run.freshJacobian = false;
  CVodeGetCurrentGamma(run.cvode, &solver.gamma);
  // z = M^-1 u, kept for the solves until the next setup.
  std::copy(run.rankOneRow.begin(), run.rankOneRow.end(), run.rankOneSolution.begin());
  if (klu_l_solve(solver.symbolic, solver.numeric, n, 1, run.rankOneSolution.data(),
                  &solver.common) == 0) {
    return SUNLS_PACKAGE_FAIL_REC;
  }
  double vz = 0.0;
  for (std::size_t k = 0; k < run.rankOneColumn.size(); ++k) {
    vz += run.rankOneColumn[k] * run.rankOneSolution[k];
  }
  run.rankOneDenominator = 1.0 - solver.gamma * vz;
  return run.rankOneDenominator != 0.0 ? SUNLS_SUCCESS : SUNLS_PACKAGE_FAIL_REC;
}

int directSolve(SUNLinearSolver S, SUNMatrix, N_Vector x, N_Vector b, sunrealtype) {
  DirectSolver& solver = solverOf(S);
  RunContext& run = solver.run;
  N_VScale(1.0, b, x);
  double* solution = N_VGetArrayPointer(x);
  const auto n = static_cast<SuiteSparse_long>(run.rankOneColumn.size());
  if (klu_l_solve(solver.symbolic, solver.numeric, n, 1, solution, &solver.common) == 0) {
    return SUNLS_PACKAGE_FAIL_REC;
  }
  // (M - gamma u v^T)^-1 b = y + gamma z (v.y) / (1 - gamma v.z), y = M^-1 b.
  double vy = 0.0;
  for (std::size_t k = 0; k < run.rankOneColumn.size(); ++k) {
    vy += run.rankOneColumn[k] * solution[k];
  }
  const double scale = solver.gamma * vy / run.rankOneDenominator;
  for (std::size_t k = 0; k < run.rankOneSolution.size(); ++k) {
    solution[k] += scale * run.rankOneSolution[k];
  }
  return SUNLS_SUCCESS;
}

sunindextype directLastFlag(SUNLinearSolver S) {
  return solverOf(S).common.status;
}

int directFree(SUNLinearSolver S) {
  if (S == nullptr) return 0;
  delete static_cast<DirectSolver*>(S->content);
  S->content = nullptr;
  SUNLinSolFreeEmpty(S);
  return 0;
}

// One CVODES integrator on one mechanism, freed with the object.
class Integrator {
 public:
  Integrator(RunContext& run, std::span<const double> y0, const Tolerances& tolerances)
      : run_(run) {
    try {
      create(y0, tolerances);
    } catch (...) {
      release();
      throw;
    }
  }
  ~Integrator() { release(); }
  Integrator(const Integrator&) = delete;
  Integrator& operator=(const Integrator&) = delete;

 private:
  void create(std::span<const double> y0, const Tolerances& tolerances) {
    RunContext& run = run_;
    const auto n = static_cast<sunindextype>(run.d.stateSize());
    if (SUNContext_Create(nullptr, &context_) != 0) throw std::runtime_error("SUNContext_Create");
    y_ = NewStateVector(n, context_);
    derivative_ = NewStateVector(n, context_);
    if (y_ == nullptr || derivative_ == nullptr) {
      throw std::runtime_error("the state vectors could not be created");
    }
    std::copy(y0.begin(), y0.end(), N_VGetArrayPointer(y_));
    matrix_ = newJacobianMatrix(context_, static_cast<std::size_t>(run.d.nonZeroCount()));
    solver_ = SUNLinSolNewEmpty(context_);
    if (solver_ == nullptr) throw std::runtime_error("the linear solver could not be created");
    solver_->content = new DirectSolver(run);
    solver_->ops->gettype = directType;
    solver_->ops->getid = directId;
    solver_->ops->initialize = directInitialize;
    solver_->ops->setup = directSetup;
    solver_->ops->solve = directSolve;
    solver_->ops->lastflag = directLastFlag;
    solver_->ops->free = directFree;
    cvode_ = CVodeCreate(CV_BDF, context_);
    run.cvode = cvode_;
    if (cvode_ == nullptr || matrix_ == nullptr) {
      throw std::runtime_error("the integrator could not be created");
    }
    CVodeSetErrHandlerFn(cvode_, errorHandler, &run);
    check(CVodeInit(cvode_, rightHandSide, 0.0, y_));
    check(CVodeSStolerances(cvode_, tolerances.relative, tolerances.absolute));
    check(CVodeSetUserData(cvode_, &run));
    check(CVodeSetMaxNumSteps(cvode_, kMaxSteps));
    check(CVodeSetLinearSolver(cvode_, solver_, matrix_));
    check(CVodeSetJacFn(cvode_, jacobian));
    check(CVodeSetNonlinConvCoef(cvode_, kNewtonConvergence));
    check(CVodeSetJacEvalFrequency(cvode_, kJacobianSteps));
  }

  void release() {
    CVodeFree(&cvode_);
    SUNLinSolFree(solver_);
    SUNMatDestroy(matrix_);
    N_VDestroy(derivative_);
    N_VDestroy(y_);
    if (context_ != nullptr) SUNContext_Free(&context_);
  }

 public:
  void* cvode() const { return cvode_; }
  N_Vector y() const { return y_; }
  N_Vector derivative() const { return derivative_; }
  std::span<double> state() const {
    return {N_VGetArrayPointer(y_), static_cast<std::size_t>(run_.d.stateSize())};
  }

  void restart(std::span<const double> y0) {
    std::copy(y0.begin(), y0.end(), N_VGetArrayPointer(y_));
    check(CVodeReInit(cvode_, 0.0, y_));
  }

  RunCounts counts() const {
    long steps = 0, rhs = 0, jacobians = 0;
    CVodeGetNumSteps(cvode_, &steps);
    CVodeGetNumRhsEvals(cvode_, &rhs);
    CVodeGetNumJacEvals(cvode_, &jacobians);
    return {steps, rhs + run_.extraRightHandSides, jacobians};
  }

 private:
  void check(int flag) const {
    if (flag < 0) throw std::runtime_error("integrator set-up failed: " + run_.error);
  }

  RunContext& run_;
  SUNContext context_ = nullptr;
  N_Vector y_ = nullptr, derivative_ = nullptr;
  SUNMatrix matrix_ = nullptr;
  SUNLinearSolver solver_ = nullptr;
  void* cvode_ = nullptr;
};

// The state's mole fractions from its mass fractions.
void moleFractionsOf(const Data& d, std::span<const double> Y, std::vector<double>& x) {
  x.resize(Y.size());
  double sum = 0.0;
  for (std::size_t k = 0; k < Y.size(); ++k) {
    x[k] = Y[k] * d.inverseWeights[k];
    sum += x[k];
  }
  const double scale = 1.0 / sum;
  for (double& value : x) value *= scale;
}

// Checks the inputs of a run; returns the reason they are refused, empty when they are sound.
std::string inputProblem(const Data& d, double temperature, double pressure,
                         std::span<const double> moleFractions) {
  if (!(temperature > 0.0) || !std::isfinite(temperature)) {
    return "temperature " + number(temperature) + " K is not a positive number";
  }
  if (!(pressure > 0.0) || !std::isfinite(pressure)) {
    return "pressure " + number(pressure) + " dyn/cm2 is not a positive number";
  }
  if (moleFractions.size() != static_cast<std::size_t>(d.speciesCount)) {
    return "expected " + std::to_string(d.speciesCount) + " mole fractions, got " +
           std::to_string(moleFractions.size());
  }
  double sum = 0.0;
  for (std::size_t k = 0; k < moleFractions.size(); ++k) {
    if (!(moleFractions[k] >= 0.0) || !std::isfinite(moleFractions[k])) {
      return "mole fraction of " + d.speciesNames[k] + " is " + number(moleFractions[k]);
    }
    sum += moleFractions[k];
  }
  if (!(sum > 0.0)) return "the mole fractions sum to zero";
  return {};
}

std::string condition(double temperature, double pressure) {
  return " (T0 = " + number(temperature) + " K, P0 = " + number(pressure) + " dyn/cm2)";
}

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

void MoleToMassFractions(const Mechanism& mechanism, std::span<const double> moleFractions,
                         std::span<double> massFractions) {
  const auto& w = mechanism.data().weights;
  double sum = 0.0;
  for (std::size_t k = 0; k < w.size(); ++k) sum += moleFractions[k] * w[k];
  for (std::size_t k = 0; k < w.size(); ++k) massFractions[k] = moleFractions[k] * w[k] / sum;
}

void MassToMoleFractions(const Mechanism& mechanism, std::span<const double> massFractions,
                         std::span<double> moleFractions) {
  std::vector<double> x;
  moleFractionsOf(mechanism.data(), massFractions, x);
  std::copy(x.begin(), x.end(), moleFractions.begin());
}

double MeanMolecularWeight(const Mechanism& mechanism, std::span<const double> moleFractions) {
  const auto& w = mechanism.data().weights;
  double sum = 0.0, weight = 0.0;
  for (std::size_t k = 0; k < w.size(); ++k) {
    sum += moleFractions[k];
    weight += moleFractions[k] * w[k];
  }
  return weight / sum;
}

double Density(const Mechanism& mechanism, double temperature, double pressure,
               std::span<const double> moleFractions) {
  return pressure * MeanMolecularWeight(mechanism, moleFractions) /
         (mechanism.data().gasConstant * temperature);
}

void SpeciesThermodynamics(const Mechanism& mechanism, double temperature,
                           std::span<double> heatCapacities, std::span<double> enthalpies,
                           std::span<double> entropies) {
  const Data& d = mechanism.data();
  SpeciesThermo(d, temperature, heatCapacities, enthalpies, entropies);
  const double R = d.gasConstant;
  for (double& value : heatCapacities) value *= R;
  for (double& value : enthalpies) value *= R * temperature;
  for (double& value : entropies) value *= R;
}

void NetProductionRates(const Mechanism& mechanism, double temperature, double pressure,
                        std::span<const double> moleFractions, std::span<double> rates) {
  const Data& d = mechanism.data();
  Workspace work(d);
  std::vector<double> y(static_cast<std::size_t>(d.stateSize())), ydot(y.size());
  y[0] = temperature;
  MoleToMassFractions(mechanism, moleFractions, std::span<double>(y).subspan(1));
  ReactorSetting setting;
  setting.pressure = pressure;
  RightHandSide(d, setting, y, ydot, work);
  std::copy(work.production.begin(), work.production.end(), rates.begin());
}

IgnitionResult RunIgnition(const Mechanism& mechanism, Model model, double temperature,
                           double pressure, std::span<const double> moleFractions, double endTime,
                           const Tolerances& tolerances) {
  const auto started = std::chrono::steady_clock::now();
  const Data& d = mechanism.data();
  IgnitionResult result;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  result.delayMaxSlope = nan;
  result.delayTemperatureRise = nan;
  std::string problem = inputProblem(d, temperature, pressure, moleFractions);
  if (problem.empty() && !(endTime > 0.0)) problem = "end time " + number(endTime) + " s";
  if (!problem.empty()) {
    result.failure = "ignition not run: " + problem + condition(temperature, pressure);
    return result;
  }

  const std::size_t n = static_cast<std::size_t>(d.stateSize());
  std::vector<double> y0(n);
  y0[0] = temperature;
  MoleToMassFractions(mechanism, moleFractions, std::span<double>(y0).subspan(1));
  RunContext run(d);
  run.setting.model = model;
  run.setting.pressure = pressure;
  run.setting.density = Density(mechanism, temperature, pressure, moleFractions);

  Trajectory& trajectory = result.trajectory;
  trajectory.speciesCount = static_cast<std::size_t>(d.speciesCount);
  // Room for a typical run from the start (4096 states, fewer for large mechanisms: at most
  // 2^21 mole fractions): growing these arrays by doubling moves them, and for a large array
  // that is a fresh mapping whose pages fault again, a tenth of a GRI-Mech run. Untouched room
  // costs address space only.
  const std::size_t reserved =
      std::clamp<std::size_t>((std::size_t{1} << 21) / trajectory.speciesCount, 256, 4096);
  trajectory.times.reserve(reserved);
  trajectory.temperatures.reserve(reserved);
  trajectory.pressures.reserve(reserved);
  trajectory.moleFractions.reserve(reserved * trajectory.speciesCount);
  auto record = [&](double time, std::span<const double> y) {
    trajectory.times.push_back(time);
    trajectory.temperatures.push_back(y[0]);
    const std::size_t first = trajectory.moleFractions.size();
    double moles = 0.0;  // per gram
    for (std::int32_t k = 0; k < d.speciesCount; ++k) {
      trajectory.moleFractions.push_back(y[k + 1] * d.inverseWeights[k]);
      moles += trajectory.moleFractions.back();
    }
    const double scale = 1.0 / moles;
    for (std::size_t k = first; k < trajectory.moleFractions.size(); ++k) {
      trajectory.moleFractions[k] *= scale;
    }
    trajectory.pressures.push_back(
        model == Model::ConstantVolume
            ? run.setting.density * d.gasConstant * y[0] /
                  MeanMolecularWeight(mechanism, trajectory.moleFractionsAt(trajectory.size() - 1))
            : pressure);
  };

  try {
    Integrator integrator(run, y0, tolerances);
    void* cvode = integrator.cvode();
    CVodeSetStopTime(cvode, endTime);
    record(0.0, y0);
    // The step's interpolant of T as a Taylor polynomial about its end: T^(k)(t_n) / k! for
    // k = 0..q, read once per step, so that each sample is a scalar polynomial instead of an
    // interpolation of the whole state.
    N_Vector dky = integrator.derivative();
    double taylor[kMaxTaylorTerms] = {};
    int order = 0;
    double stepEnd = 0.0;
    // dT/dt at the step's end, read first and alone: the first scaled derivative of the
    // Nordsieck history, zn[1] = h y'(t_n) with h the step just taken, which is what the
    // interpolation at t_n computes (times 1/h) without touching the other components.
    auto endSlopeAt = [&]() {
      sunrealtype tcur = 0.0, gamma = 0.0, rl1 = 0.0;
      N_Vector ypred = nullptr, yn = nullptr, fn = nullptr, zn1 = nullptr;
      void* user = nullptr;
      CVodeGetNonlinearSystemData(cvode, &tcur, &ypred, &yn, &fn, &gamma, &rl1, &zn1, &user);
      double h = 0.0;
      CVodeGetLastStep(cvode, &h);
      return N_VGetArrayPointer(zn1)[0] * (1.0 / h);
    };
    auto readInterpolant = [&](double tn, double temperature, double slope) {
      int q = 0;
      CVodeGetLastOrder(cvode, &q);
      order = std::min(q, kMaxTaylorTerms - 1);
      stepEnd = tn;
      taylor[0] = temperature;
      taylor[1] = slope;
      double factorial = 1.0;
      for (int k = 2; k <= order; ++k) {
        factorial *= k;
        if (CVodeGetDky(cvode, tn, k, dky) != CV_SUCCESS) {
          order = k - 1;
          break;
        }
        taylor[k] = N_VGetArrayPointer(dky)[0] / factorial;
      }
    };
    auto slopeAt = [&](double t) {
      const double s = t - stepEnd;
      double value = 0.0;
      for (int k = order; k >= 1; --k) value = value * s + k * taylor[k];
      return value;
    };
    auto temperatureAt = [&](double t) {
      const double s = t - stepEnd;
      double value = 0.0;
      for (int k = order; k >= 0; --k) value = value * s + taylor[k];
      return value;
    };
    double bestSlope = -std::numeric_limits<double>::infinity();
    double bestTime = 0.0;
    const double threshold = temperature + kIgnitionRise;
    double t = 0.0;
    double previousEnd = 0.0;
    double previousEndSlope = -std::numeric_limits<double>::infinity();
    while (t < endTime) {
      previousEnd = t;
      const int flag = CVode(cvode, endTime, integrator.y(), &t, CV_ONE_STEP);
      if (flag < 0) {
        result.failure = "integrator failure at t = " + number(t) + " s" +
                         condition(temperature, pressure) + ": " +
                         (run.error.empty() ? CVodeGetReturnFlagName(flag) : run.error);
        result.counts = integrator.counts();
        result.seconds = secondsSince(started);
        return result;
      }
      const std::span<const double> y = integrator.state();
      record(t, y);
      double last = 0.0;
      CVodeGetLastStep(cvode, &last);
      const double begin = t - last;
      const double endSlope = endSlopeAt();
      // A step whose ends both lie below half the largest dT/dt found cannot hold a larger one
      // (most steps after the ignition): it is neither read nor sampled, unless it crosses the
      // temperature threshold.
      const bool remote =
          bestSlope > 0.0 && endSlope < 0.5 * bestSlope && previousEndSlope < 0.5 * bestSlope;
      const bool crossing = std::isnan(result.delayTemperatureRise) && y[0] > threshold;
      if (!remote || crossing) readInterpolant(t, y[0], endSlope);
      // Largest dT/dt. A step over which dT/dt rises (end above start and middle) only offers
      // its end; any other is sampled, then searched (golden section) around its best sample.
      int bestSample = -1;
      const bool rising =
          remote || (endSlope > previousEndSlope && slopeAt(begin + 0.5 * last) <= endSlope);
      previousEndSlope = endSlope;
      if (rising && !remote && endSlope > bestSlope) {
        bestSlope = endSlope;
        bestTime = t;
      }
      for (int s = 1; !rising && s <= kSamplesPerStep; ++s) {
        const double ts = s == kSamplesPerStep ? t : begin + last * s / kSamplesPerStep;
        const double slope = slopeAt(ts);
        if (slope > bestSlope) {
          bestSlope = slope;
          bestTime = ts;
          bestSample = s;
        }
      }
      // Refine only where the maximum can lie inside this step: at an interior sample, or just
      // after the step's start when that start is still the best point. While dT/dt keeps
      // rising the best sample is the step's end, and the next step looks again.
      const bool interior = bestSample > 0 && bestSample < kSamplesPerStep;
      const bool atStart = bestSample < 0 && bestTime == previousEnd;
      if (interior || atStart) {
        double a = std::max(begin, bestTime - last / kSamplesPerStep);
        double b = std::min(t, bestTime + last / kSamplesPerStep);
        const double golden = 0.5 * (std::sqrt(5.0) - 1.0);
        double c = b - golden * (b - a), e = a + golden * (b - a);
        double fc = slopeAt(c), fe = slopeAt(e);
        for (int r = 0; r < kRefinements && b - a > 1e-15 * t; ++r) {
          if (fc > fe) {
            b = e;
            e = c;
            fe = fc;
            c = b - golden * (b - a);
            fc = slopeAt(c);
          } else {
            a = c;
            c = e;
            fc = fe;
            e = a + golden * (b - a);
            fe = slopeAt(e);
          }
        }
        const double tm = 0.5 * (a + b);
        const double fm = slopeAt(tm);
        if (fm > bestSlope) {
          bestSlope = fm;
          bestTime = tm;
        }
      }
      // First crossing of T0 + 400 K: bisection on the step's interpolant.
      if (crossing) {
        double a = begin, b = t;
        for (int r = 0; r < kRefinements; ++r) {
          const double mid = 0.5 * (a + b);
          (temperatureAt(mid) > threshold ? b : a) = mid;
        }
        result.delayTemperatureRise = 0.5 * (a + b);
      }
      if (static_cast<long>(trajectory.size()) > kMaxSteps) {
        result.failure = "integrator failure: more than " + std::to_string(kMaxSteps) +
                         " steps before t = " + number(endTime) + " s" +
                         condition(temperature, pressure);
        result.counts = integrator.counts();
        result.seconds = secondsSince(started);
        return result;
      }
    }
    // A run that never rose by 400 K did not ignite: it has no delay of either kind.
    if (!std::isnan(result.delayTemperatureRise)) result.delayMaxSlope = bestTime;
    result.finalTemperature = integrator.state()[0];
    result.counts = integrator.counts();
  } catch (const std::exception& error) {
    result.failure =
        std::string("integrator failure") + condition(temperature, pressure) + ": " + error.what();
    result.seconds = secondsSince(started);
    return result;
  } catch (const common::Stop& stop) {
    result.failure =
        std::string("integrator failure") + condition(temperature, pressure) + ": " + stop.reason();
    result.seconds = secondsSince(started);
    return result;
  }
  result.ok = true;
  result.seconds = secondsSince(started);
  return result;
}

PsrResult RunPsr(const Mechanism& mechanism, double inletTemperature, double pressure,
                 std::span<const double> inletMoleFractions, double residenceTime,
                 const Tolerances& tolerances) {
  const auto started = std::chrono::steady_clock::now();
  const Data& d = mechanism.data();
  PsrResult result;
  std::string problem = inputProblem(d, inletTemperature, pressure, inletMoleFractions);
  if (problem.empty() && !(residenceTime > 0.0)) {
    problem = "residence time " + number(residenceTime) + " s";
  }
  if (!problem.empty()) {
    result.failure = "stirred reactor not run: " + problem + condition(inletTemperature, pressure);
    return result;
  }
  const std::size_t n = static_cast<std::size_t>(d.stateSize());
  const std::size_t K = n - 1;
  std::vector<double> inlet(n), inletEnthalpies(K);
  inlet[0] = inletTemperature;
  MoleToMassFractions(mechanism, inletMoleFractions, std::span<double>(inlet).subspan(1));
  SpeciesThermo(d, inletTemperature, {}, inletEnthalpies, {});
  for (double& h : inletEnthalpies) h *= d.gasConstant * inletTemperature;

  RunContext run(d);
  run.setting.model = Model::ConstantPressure;
  run.setting.pressure = pressure;
  run.setting.inletMassFractions = std::span<const double>(inlet).subspan(1);
  run.setting.inletEnthalpies = inletEnthalpies;
  std::vector<double> rate(n);
  const std::string where = " (inlet T = " + number(inletTemperature) +
                            " K, P = " + number(pressure) +
                            " dyn/cm2, residence time = " + number(residenceTime) + " s)";

  try {
    std::vector<double> start = inlet;
    start[0] = std::max(inletTemperature, kPsrStartTemperature);
    Integrator integrator(run, start, tolerances);
    void* cvode = integrator.cvode();

    // Integrates the transient at residence time tau from y0 to its steady state.
    auto steady = [&](double tau, std::span<const double> y0) -> bool {
      run.setting.residenceTime = tau;
      integrator.restart(y0);
      double t = 0.0;
      for (double elapsed = 0.0; elapsed < kPsrMaxResidences * tau;) {
        elapsed += tau;
        const int flag = CVode(cvode, elapsed, integrator.y(), &t, CV_NORMAL);
        if (flag < 0) {
          result.failure = "integrator failure at t = " + number(t) + " s" + where + ": " +
                           (run.error.empty() ? CVodeGetReturnFlagName(flag) : run.error);
          return false;
        }
        const std::span<const double> y = integrator.state();
        RightHandSide(d, run.setting, y, rate, run.work);
        bool still = std::abs(rate[0]) * tau <= kPsrSteadyRelative * y[0];
        for (std::size_t k = 1; still && k < n; ++k) {
          still =
              std::abs(rate[k]) * tau <= kPsrSteadyRelative * std::abs(y[k]) + kPsrSteadyAbsolute;
        }
        if (still) return true;
      }
      result.failure = "the stirred reactor did not reach a steady state within " +
                       number(kPsrMaxResidences) + " residence times" + where;
      return false;
    };

    RunCounts total;
    auto addCounts = [&]() {
      const RunCounts c = integrator.counts();
      total.steps += c.steps;
      total.rightHandSides += c.rightHandSides;
      total.jacobians += c.jacobians;
      run.extraRightHandSides = 0;
    };

    const double first = std::max(residenceTime, kPsrStartResidence);
    const int stages =
        static_cast<int>(std::ceil(std::log(first / residenceTime) / std::log(kPsrStageRatio)));
    const double ratio = stages > 0 ? std::pow(first / residenceTime, 1.0 / stages) : 1.0;
    std::vector<double> y = start;
    // The steady state at `tau` from `from` into y; false, with the result's counts, when the
    // integrator fails.
    const auto settle = [&](double tau, const std::vector<double>& from) {
      const bool reached = steady(tau, from);
      addCounts();
      if (!reached) {
        result.counts = total;
        result.seconds = secondsSince(started);
        return false;
      }
      const std::span<const double> state = integrator.state();
      y.assign(state.begin(), state.end());
      return true;
    };
    bool burning = true;
    for (int stage = 0; stage <= stages; ++stage) {
      const double tau = stage == stages ? residenceTime : first / std::pow(ratio, stage);
      if (!settle(tau, y)) return result;
      if (y[0] < inletTemperature + kPsrExtinctMargin) {
        burning = false;
        break;
      }
    }
    if (!burning && !settle(residenceTime, inlet)) return result;
    result.burning = burning;
    result.temperature = y[0];
    moleFractionsOf(d, std::span<const double>(y).subspan(1), result.moleFractions);
    result.counts = total;
  } catch (const std::exception& error) {
    result.failure = std::string("stirred reactor failure") + where + ": " + error.what();
    result.seconds = secondsSince(started);
    return result;
  } catch (const common::Stop& stop) {
    result.failure = std::string("stirred reactor failure") + where + ": " + stop.reason();
    result.seconds = secondsSince(started);
    return result;
  }
  result.ok = true;
  result.seconds = secondsSince(started);
  return result;
}

}  // namespace reactor
