// Reading and writing the transport linking file (tran.bin), and the pair parameters derived
// from it.
//
// The file has three records: the header texts and error flag; the declared lengths and the
// counts (fit order N, species K, light species L); and one record with the reference pressure,
// the molecular parameters of every species and the fit coefficients. The reader loads them
// into ITWORK and RTWORK at the section starts held in TransportState. Every failure writes its
// lines to the console and throws common::Stop.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/console.h"
#include "common/record_file.h"

namespace transport {

// Section starts (1-based) and counts of the loaded transport file.
//
// ITWORK holds GeometryCodes (K), LightSpecies (L), then workspace to the end. RTWORK holds the
// six species parameters (K each), the conductivity, viscosity, diffusion and thermal diffusion
// fits (NK, NK, NK^2, NKL), six species workspace sections (K each), then from
// S = 12K + 1 + 2NK + NK^2 + NKL six pair sections of K^2 (the second and third are
// PairWellDepths and PairDiameters), a (3K)^2 and a 3K workspace, and the last workspace section
// to the end. A pair matrix holds entry (a, b) at offset (a - 1) + (b - 1)K from its start.
struct TransportState {
  std::string TranVersion;
  std::string TranPrecision;
  bool TranErrorFlag = false;
  std::int32_t TranIntLength = 0;
  std::int32_t TranRealLength = 0;
  std::int32_t FitOrder = 0;    // N
  std::int32_t KK = 0;          // K
  std::int32_t LightCount = 0;  // L
  double ReferencePressure = 0.0;
  std::int64_t WorkspaceOrder = 0;  // 3K, the order of the (3K)^2 workspace

  // ITWORK
  std::int64_t GeometryCodes = 1;
  std::int64_t LightSpecies = 0;
  std::int64_t IntWorkspace = 0;
  // RTWORK
  std::int64_t SpeciesWeights = 1;
  std::int64_t WellDepths = 0;
  std::int64_t CollisionDiameters = 0;
  std::int64_t DipoleMoments = 0;
  std::int64_t Polarizabilities = 0;
  std::int64_t RotationalRelaxation = 0;
  std::int64_t ConductivityFits = 0;
  std::int64_t ViscosityFits = 0;
  std::int64_t DiffusionFits = 0;
  std::int64_t ThermalDiffusionFits = 0;
  std::int64_t SpeciesWorkspace = 0;  // six sections of K
  std::int64_t PairWorkspace = 0;     // S
  std::int64_t PairWellDepths = 0;
  std::int64_t PairDiameters = 0;
  std::int64_t PairWorkspace2 = 0;   // three sections of K^2
  std::int64_t SquareWorkspace = 0;  // (3K)^2
  std::int64_t VectorWorkspace = 0;  // 3K
  std::int64_t LastWorkspace = 0;
};

TransportState& MutableTransportState();
inline const TransportState& CurrentTransportState() {
  return MutableTransportState();
}

struct TransportLengths {
  std::int32_t TranIntLength = 0;
  std::int32_t TranRealLength = 0;
};

// Fills every section start of `state` from its KK, FitOrder and LightCount (which must not be
// negative). Starts of absurd counts saturate near 2^61 instead of overflowing.
void ComputeTransportSections(TransportState& state);

// Validates records 1 and 2, refusing negative counts and counts whose written sections do not
// fit the declared lengths; returns the declared lengths and leaves the file rewound.
TransportLengths ReadTransportHeader(common::RecordReader& unit, common::Console& messages);

// Checks the caller's lengths (the spans must hold at least that many elements), loads the file
// into ITWORK and RTWORK and derives the pair parameters.
void LoadTransportLink(common::RecordReader& unit, common::Console& messages,
                       std::int32_t lengthITWORK, std::int32_t lengthRTWORK,
                       std::span<std::int32_t> ITWORK, std::span<double> RTWORK);

// Pair well depths and diameters of every species pair, from the molecular parameters in
// RTWORK, into the PairWellDepths and PairDiameters sections. Throws std::out_of_range when a
// section that it reads or writes does not lie inside RTWORK.
void CombinePairParameters(const TransportState& state, std::span<double> RTWORK);

// A transport linking file in memory, for the writer.
struct TransportSpecies {
  double molecularWeight = 0.0;
  double wellDepth = 0.0;          // epsilon / k_B, K
  double collisionDiameter = 0.0;  // angstrom
  double dipoleMoment = 0.0;       // debye
  double polarizability = 0.0;     // cubic angstrom
  double rotationalRelaxation = 0.0;
  std::int32_t geometry = 0;  // 0 atom, 1 linear, 2 non-linear
};

struct TransportLink {
  std::string version = "1.0";
  std::string precision = "DOUBLE";
  bool errorFlag = false;
  std::int32_t FitOrder = 4;
  double ReferencePressure = 1013250.0;
  std::vector<TransportSpecies> species;
  std::vector<double> conductivityFits;      // N * K, coefficient fastest
  std::vector<double> viscosityFits;         // N * K
  std::vector<double> diffusionFits;         // N * K * K: coefficient, species j, species k
  std::vector<std::int32_t> lightSpecies;    // L species numbers (1-based)
  std::vector<double> thermalDiffusionFits;  // N * K * L: coefficient, species k, light l
  // Declared lengths; computed from the layout when unset.
  std::optional<std::int32_t> TranIntLength;
  std::optional<std::int32_t> TranRealLength;
};

// The lengths a producer declares for these counts: 4K + L integers and S - 1 + 15K^2 + 7K reals
// (the last workspace section is 4K long). 64-bit and saturating, so absurd counts stay
// visible instead of wrapping.
std::int64_t RequiredTransportIntLength(std::int64_t K, std::int64_t N, std::int64_t L);
std::int64_t RequiredTransportRealLength(std::int64_t K, std::int64_t N, std::int64_t L);

// Writes `link` through a temporary file renamed into place; false with `error` set on failure.
bool WriteTransportLink(const std::string& path, const TransportLink& link, std::string& error);

// A whole transport linking file in work arrays of its declared lengths.
struct LoadedTransport {
  std::vector<std::int32_t> ITWORK;
  std::vector<double> RTWORK;
};

// Opens `path`, reads its header, makes both arrays and loads the file into them, for tools
// and tests. A file that cannot be opened writes a message and stops, like every other failure.
LoadedTransport LoadTransportFile(const std::string& path, common::Console& messages);

}  // namespace transport
