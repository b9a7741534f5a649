// Writing a transport linking file from a TransportLink, for the transport converter and for
// building test files. The records go through a temporary file that is renamed into place, so
// a failed write never leaves a file that could pass for a result.
#include <cstdint>
#include <limits>
#include <string>

#include "common/record_file.h"
#include "transport/linking_file.h"

namespace transport {
namespace {

constexpr std::int64_t kLargestInt = std::numeric_limits<std::int32_t>::max();

bool sizeMatches(std::size_t size, std::int64_t expected) {
  return static_cast<std::int64_t>(size) == expected;
}

// The array sizes must agree with the counts, or the reader would take the fields apart
// differently from how they were meant.
bool checkLink(const TransportLink& link, std::string& error) {
  const std::int64_t K = static_cast<std::int64_t>(link.species.size());
  const std::int64_t N = link.FitOrder;
  const std::int64_t L = static_cast<std::int64_t>(link.lightSpecies.size());
  if (N < 0) {
    error = "negative fit order";
    return false;
  }
  if (K > kLargestInt || L > kLargestInt) {
    error = "too many species for the transport linking file";
    return false;
  }
  // Bounded well inside 64 bits once the record-size check below has passed.
  const std::int64_t reals = RequiredTransportRealLength(K, N, L);
  if (reals > kLargestInt) {
    error = "the counts need more reals than the transport linking file can declare";
    return false;
  }
  if (!sizeMatches(link.conductivityFits.size(), N * K) ||
      !sizeMatches(link.viscosityFits.size(), N * K) ||
      !sizeMatches(link.diffusionFits.size(), N * K * K) ||
      !sizeMatches(link.thermalDiffusionFits.size(), N * K * L)) {
    error = "fit array sizes do not match the fit order and the species counts";
    return false;
  }
  return true;
}

}  // namespace

bool WriteTransportLink(const std::string& path, const TransportLink& link, std::string& error) {
  if (!checkLink(link, error)) return false;
  const auto K = static_cast<std::int32_t>(link.species.size());
  const auto L = static_cast<std::int32_t>(link.lightSpecies.size());
  const std::int32_t N = link.FitOrder;

  common::FieldWriter first;
  first.putName(link.version);
  first.putName(link.precision);
  first.putLogical(link.errorFlag);

  common::FieldWriter second;
  second.putInt(
      link.TranIntLength.value_or(static_cast<std::int32_t>(RequiredTransportIntLength(K, N, L))));
  second.putInt(link.TranRealLength.value_or(
      static_cast<std::int32_t>(RequiredTransportRealLength(K, N, L))));
  second.putInt(N);
  second.putInt(K);
  second.putInt(L);

  common::FieldWriter third;
  third.putReal(link.ReferencePressure);
  for (const TransportSpecies& species : link.species) {
    third.putReal(species.molecularWeight);
    third.putReal(species.wellDepth);
    third.putReal(species.collisionDiameter);
    third.putReal(species.dipoleMoment);
    third.putReal(species.polarizability);
    third.putReal(species.rotationalRelaxation);
    third.putInt(species.geometry);
  }
  for (const double value : link.conductivityFits) third.putReal(value);
  for (const double value : link.viscosityFits) third.putReal(value);
  for (const double value : link.diffusionFits) third.putReal(value);
  for (const std::int32_t number : link.lightSpecies) third.putInt(number);
  for (const double value : link.thermalDiffusionFits) third.putReal(value);

  common::RecordWriter writer;
  if (!writer.open(path)) {
    error = "cannot create " + path;
    return false;
  }
  if (!writer.write(first) || !writer.write(second) || !writer.write(third) || !writer.commit()) {
    writer.abandon();
    error = "cannot write " + path;
    return false;
  }
  return true;
}

}  // namespace transport
