// ConvertTransport: files in, files out, and the listing.
#include "converters/quillet/converter.h"

#include <cmath>
#include <cstdio>
#include <exception>
#include <fstream>
#include <limits>
#include <optional>
#include <sstream>

#include "common/console.h"
#include "common/output_files.h"
#include "converters/quillet/transport_data.h"
#include "transport/linking_file.h"

namespace quillet {
namespace {

constexpr const char* kVersionText = "Quillet 1.0";

constexpr const char* kListingRole = "listing";

// Up to this many species whose Cp/R leaves its band get a warning each; more get one warning
// with the count, and the listing's table names them all.
constexpr std::size_t kBandWarningsOneByOne = 10;

// The output that is the same file as an input or as the other output, if one is.
std::optional<common::FileClash> findOutputClash(const ConversionFiles& files) {
  const common::RoleFile inputs[] = {{"kinetics linking file", files.kinetics},
                                     {"transport data file", files.transportData}};
  const common::RoleFile outputs[] = {{"transport linking file", files.transportLink},
                                      {kListingRole, files.listing}};
  return common::FindOutputClash(inputs, outputs);
}

std::string format(const char* pattern, auto... values) {
  char buffer[256];
  std::snprintf(buffer, sizeof buffer, pattern, values...);
  return buffer;
}

std::string percent(double fraction) {
  if (std::isnan(fraction)) return "-";
  return format("%.3g%%", 100.0 * fraction);
}

// The transport linking file of a conversion. Without fits (a failed conversion) every fit is
// zero and the error flag is set; the counts stay those of the mechanism so that the file is
// complete and self-consistent.
transport::TransportLink makeLink(std::span<const FitSpecies> species, const TransportFits* fits,
                                  std::size_t lightCount) {
  transport::TransportLink link;
  link.version = kVersionText;
  link.precision = "DOUBLE";
  link.errorFlag = fits == nullptr;
  link.FitOrder = kFitOrder;
  link.ReferencePressure = kReferencePressure;
  const std::size_t speciesCount = species.size();
  const std::size_t fitOrder = kFitOrder;
  for (const FitSpecies& source : species) {
    transport::TransportSpecies out;
    out.molecularWeight = source.molecularWeight;
    out.wellDepth = source.parameters.wellDepth;
    out.collisionDiameter = source.parameters.diameter;
    out.dipoleMoment = source.parameters.dipole;
    out.polarizability = source.parameters.polarizability;
    out.rotationalRelaxation = source.parameters.rotationalRelaxation;
    out.geometry = source.parameters.geometry;
    link.species.push_back(out);
  }
  if (fits != nullptr) {
    link.conductivityFits = fits->conductivity;
    link.viscosityFits = fits->viscosity;
    link.diffusionFits = fits->diffusion;
    link.lightSpecies = fits->lightSpecies;
    link.thermalDiffusionFits = fits->thermalDiffusion;
  } else {
    link.conductivityFits.assign(fitOrder * speciesCount, 0.0);
    link.viscosityFits.assign(fitOrder * speciesCount, 0.0);
    link.diffusionFits.assign(fitOrder * speciesCount * speciesCount, 0.0);
    for (std::size_t k = 0; k < speciesCount && link.lightSpecies.size() < lightCount; ++k) {
      if (species[k].molecularWeight < kLightWeightLimit) {
        link.lightSpecies.push_back(static_cast<std::int32_t>(k + 1));
      }
    }
    link.thermalDiffusionFits.assign(fitOrder * speciesCount * link.lightSpecies.size(), 0.0);
  }
  return link;
}

// The whole workspace of the reader: the lengths it needs for these counts.
bool setDeclaredLengths(transport::TransportLink& link) {
  const std::int64_t speciesCount = static_cast<std::int64_t>(link.species.size());
  const std::int64_t lightCount = static_cast<std::int64_t>(link.lightSpecies.size());
  const std::int64_t integers =
      transport::RequiredTransportIntLength(speciesCount, link.FitOrder, lightCount);
  const std::int64_t reals =
      transport::RequiredTransportRealLength(speciesCount, link.FitOrder, lightCount);
  constexpr std::int64_t kLargest = std::numeric_limits<std::int32_t>::max();
  if (integers > kLargest || reals > kLargest) return false;
  link.TranIntLength = static_cast<std::int32_t>(integers);
  link.TranRealLength = static_cast<std::int32_t>(reals);
  return true;
}

void writeParameterTable(std::ostream& out, std::span<const FitSpecies> species) {
  out << "Species parameters\n";
  out << "     k  name              W [g/mol]  line  geometry  eps/k [K]  sigma [A]   mu [D]"
         "  alpha [A^3]  Zrot(298)\n";
  for (std::size_t k = 0; k < species.size(); ++k) {
    const FitSpecies& listed = species[k];
    const MolecularParameters& parameters = listed.parameters;
    if (listed.line == 0) {
      out << format("%6zu  %-16s %10.5f  no usable transport data\n", k + 1, listed.name.c_str(),
                    listed.molecularWeight);
      continue;
    }
    out << format("%6zu  %-16s %10.5f %5lld %9d %10.3f %10.3f %8.3f %12.3f %10.3f\n", k + 1,
                  listed.name.c_str(), listed.molecularWeight, static_cast<long long>(listed.line),
                  parameters.geometry, parameters.wellDepth, parameters.diameter, parameters.dipole,
                  parameters.polarizability, parameters.rotationalRelaxation);
  }
}

void writeErrorTable(std::ostream& out, std::span<const FitSpecies> species,
                     const TransportFits& fits) {
  out << format(
      "Fits: %d coefficients, %d temperatures from %.6g K to %.6g K (Chebyshev-Lobatto points"
      " in ln T)\n",
      kFitOrder, kFitPoints, fits.lowTemperature, fits.highTemperature);
  out << "  ln(viscosity), ln(conductivity) and ln(binary diffusion coefficient at 1013250 dyn/cm2)"
         " as cubics in ln T;\n  thermal diffusion ratios as cubics in T.\n";
  out << "Light species (molecular weight below 5):";
  if (fits.lightSpecies.empty()) out << " none";
  for (std::int32_t l : fits.lightSpecies) {
    out << ' ' << species[static_cast<std::size_t>(l - 1)].name;
  }
  out << "\n\nLargest relative fit errors over the range (conductivity: inside the species' own"
         " thermo range;\n  thermal diffusion: relative to the largest magnitude)\n";
  out << "     k  name              viscosity  conductivity  diffusion (worst pair)"
         "            thermal diffusion\n";
  for (std::size_t k = 0; k < species.size(); ++k) {
    const std::string partner = species[static_cast<std::size_t>(fits.diffusionPartner[k])].name;
    out << format("%6zu  %-16s %10s %13s  %-9s (with %-16s) %10s\n", k + 1, species[k].name.c_str(),
                  percent(fits.viscosityError[k]).c_str(),
                  percent(fits.conductivityError[k]).c_str(),
                  percent(fits.diffusionError[k]).c_str(), partner.c_str(),
                  percent(fits.thermalDiffusionError[k]).c_str());
  }
}

std::string counted(std::size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string rangeText(const SpeciesThermo& thermo) {
  return format("%.6g - %.6g", thermo.bounds.front(), thermo.bounds.back());
}

std::string bandText(const HeatCapacityBand& band) {
  return format("%.3g - %.3g", band.lower, band.upper);
}

// The species whose thermo range leaves part of the fit range uncovered, where Cp is held.
void writeHeldRangeTable(std::ostream& out, std::span<const FitSpecies> species,
                         const TransportFits& fits) {
  std::vector<std::size_t> held;
  for (std::size_t k = 0; k < species.size(); ++k) {
    const SpeciesThermo& thermo = *species[k].thermo;
    if (thermo.bounds.front() > fits.lowTemperature ||
        thermo.bounds.back() < fits.highTemperature) {
      held.push_back(k);
    }
  }
  out << format("Thermo ranges that do not cover the fit range (%.6g K to %.6g K): ",
                fits.lowTemperature, fits.highTemperature);
  if (held.empty()) {
    out << "none\n";
    return;
  }
  out << counted(held.size(), "species", "species") << "\n";
  out << "  Beyond its own range a species' Cp is held at the value of the range's nearest end.\n"
         "  Its conductivity is fitted to its own range and continues beyond it, tied less\n"
         "  closely (weight "
      << format("%.3g", kBeyondRangeImportance)
      << ") to the conductivity with Cp held; the last column is the fit's largest\n"
         "  deviation from that conductivity.\n";
  out << "     k  name              thermo range [K]         conductivity beyond the range\n";
  for (std::size_t k : held) {
    out << format("%6zu  %-16s %-23s %11s\n", k + 1, species[k].name.c_str(),
                  rangeText(*species[k].thermo).c_str(),
                  percent(fits.conductivityBeyondRange[k]).c_str());
  }
}

double largest(const std::vector<double>& values) {
  double worst = std::numeric_limits<double>::quiet_NaN();
  for (double value : values) {
    if (!std::isnan(value) && (std::isnan(worst) || value > worst)) worst = value;
  }
  return worst;
}

// The summary of a failed conversion; `linkOutcome` says what became of the transport linking
// file.
std::string failureSummary(std::size_t errors, std::size_t warnings, std::int32_t errorFlag,
                           const std::string& linkOutcome) {
  return "quillet: FAILED with " + counted(errors, "error", "errors") + " and " +
         counted(warnings, "warning", "warnings") + " (error flag " + std::to_string(errorFlag) +
         "); " + linkOutcome;
}

// Outputs that clash are refused before anything is read or written: there is no listing to
// hold the message, so the summary says it.
ConversionResult refuseClash(const common::FileClash& clash) {
  const std::int32_t errorFlag =
      clash.output.role == kListingRole ? kListingUnwritable : kOutputUnwritable;
  return {errorFlag, failureSummary(1, 0, errorFlag, "no transport linking file written") +
                         "; no listing written: " + clash.message()};
}

// One run of the conversion. run() takes the steps in order; each step reads what the earlier
// ones left in the members, adds its messages and raises the error flag of its first failure.
class Conversion {
 public:
  explicit Conversion(const ConversionFiles& files) : files_(files) {}
  ConversionResult run();

 private:
  void raise(std::int32_t flag) {
    if (errorFlag_ == kSuccess) errorFlag_ = flag;
  }
  void checkOutputNames();
  void openListing();
  void readKinetics();
  void checkHeatCapacities();
  void readTransportData();
  void fitProperties();
  void writeTransportLink(bool succeeded);
  std::string summaryLine() const;
  void writeListing();
  void writeBandTable(std::ostream& out) const;

  // A species whose Cp/R leaves its band inside its own range.
  struct OutOfBand {
    std::size_t species;
    HeatCapacityBand band;
    BandExcursion excursion;
  };

  const ConversionFiles& files_;
  Diagnostics diagnostics_;
  std::int32_t errorFlag_ = kSuccess;
  bool writesLink_ = false;
  bool writesListing_ = false;
  std::ofstream listingFile_;
  std::ostringstream readerMessages_;  // of the kinetics reader, kept for the listing
  Mechanism mechanism_;
  bool kineticsRead_ = false;
  std::vector<OutOfBand> outOfBand_;
  std::vector<std::size_t> withoutAtoms_;  // species whose composition the file does not give
  TransportData transportData_;
  std::vector<FitSpecies> species_;
  TransportFits fits_;
  std::string summary_;
};

ConversionResult Conversion::run() {
  if (const auto clash = findOutputClash(files_)) return refuseClash(*clash);
  checkOutputNames();
  openListing();
  readKinetics();
  checkHeatCapacities();
  readTransportData();
  fitProperties();
  if (writesLink_) writeTransportLink(errorFlag_ == kSuccess);
  summary_ = summaryLine();
  writeListing();
  return {errorFlag_, summary_};
}

void Conversion::checkOutputNames() {
  writesLink_ = !files_.transportLink.empty();
  writesListing_ = !files_.listing.empty();
  if (!writesLink_) {
    diagnostics_.error("", 0, "no transport linking file is named");
    raise(kOutputUnwritable);
  }
  if (!writesListing_) {
    diagnostics_.error("", 0, "no listing file is named");
    raise(kListingUnwritable);
  }
}

void Conversion::openListing() {
  if (!writesListing_) return;
  listingFile_.open(files_.listing, std::ios::out | std::ios::trunc);
  if (!listingFile_) {
    diagnostics_.error(files_.listing, 0, "the listing cannot be written");
    writesListing_ = false;
    raise(kListingUnwritable);
  }
}

void Conversion::readKinetics() {
  if (files_.kinetics.empty()) {
    diagnostics_.error("", 0, "no kinetics linking file is named");
  } else {
    std::istringstream noInput;
    common::Console console(readerMessages_, noInput);
    try {
      mechanism_ = ReadMechanism(files_.kinetics, console, diagnostics_);
      kineticsRead_ = true;
    } catch (const common::Stop&) {
      diagnostics_.error(files_.kinetics, 0,
                         "the kinetics linking file cannot be read (the reader's messages are "
                         "listed above)");
    } catch (const std::exception& failure) {
      diagnostics_.error(
          files_.kinetics, 0,
          std::string("the kinetics linking file cannot be read: ") + failure.what());
    }
  }
  if (!kineticsRead_) raise(kKineticsUnreadable);
}

// Every species' Cp/R against its band over its own range. A species whose data the reader
// refused (CheckSpecies) is left to that error.
void Conversion::checkHeatCapacities() {
  if (!kineticsRead_) return;
  Diagnostics ignored;
  for (std::size_t k = 0; k < mechanism_.species.size(); ++k) {
    const MechanismSpecies& species = mechanism_.species[k];
    if (!CheckSpecies(species, files_.kinetics, ignored)) continue;
    if (species.atomCount <= 0) {
      withoutAtoms_.push_back(k);
      continue;
    }
    const HeatCapacityBand band = PhysicalHeatCapacityBand(species.atomCount);
    if (const auto excursion = FindBandExcursion(species.thermo, band)) {
      outOfBand_.push_back({k, band, *excursion});
    }
  }
  if (outOfBand_.size() > kBandWarningsOneByOne) {
    diagnostics_.warning(files_.kinetics, 0,
                         counted(outOfBand_.size(), "species has", "species have") +
                             " a Cp/R outside the physical band inside their own thermo range"
                             " (listed under \"Heat capacities outside the physical band\");"
                             " their conductivities take Cp/R held inside the band");
    return;
  }
  for (const OutOfBand& found : outOfBand_) {
    const MechanismSpecies& species = mechanism_.species[found.species];
    diagnostics_.warning(
        files_.kinetics, 0,
        "species " + species.name + ": Cp/R reaches " +
            format("%.4g at %.6g K", found.excursion.heatCapacity, found.excursion.temperature) +
            " inside its thermo range " + rangeText(species.thermo) + " K, outside the physical " +
            "band " + bandText(found.band) + " for " +
            counted(static_cast<std::size_t>(species.atomCount), "atom", "atoms") +
            "; its conductivity takes Cp/R held inside the band");
  }
}

// The molecular parameters of every species of the mechanism, and the species as the fit sees
// them.
void Conversion::readTransportData() {
  std::vector<std::string> names;
  for (const MechanismSpecies& species : mechanism_.species) names.push_back(species.name);
  if (kineticsRead_ && !names.empty()) {
    if (files_.transportData.empty()) {
      diagnostics_.error("", 0, "no transport data file is named");
      transportData_.entries.resize(names.size());
    } else {
      transportData_ = ReadTransportData(files_.transportData, names, diagnostics_);
    }
  }
  species_.resize(mechanism_.species.size());
  for (std::size_t k = 0; k < species_.size(); ++k) {
    species_[k].name = mechanism_.species[k].name;
    species_[k].molecularWeight = mechanism_.species[k].molecularWeight;
    species_[k].thermo = &mechanism_.species[k].thermo;
    if (mechanism_.species[k].atomCount > 0) {
      species_[k].heatCapacityBand = PhysicalHeatCapacityBand(mechanism_.species[k].atomCount);
    }
    if (k < transportData_.entries.size() && transportData_.entries[k]) {
      species_[k].parameters = transportData_.entries[k]->parameters;
      species_[k].line = transportData_.entries[k]->line;
    }
  }
}

// Only inputs free of errors are fitted: fits of partial data would only add messages.
void Conversion::fitProperties() {
  const bool inputsUsable = kineticsRead_ && diagnostics_.errorCount() == 0;
  if (kineticsRead_ && !inputsUsable) raise(kInputError);
  if (!inputsUsable) return;
  fits_ = FitTransport(species_, files_.kinetics, files_.transportData, diagnostics_);
  if (diagnostics_.errorCount() > 0) raise(kInputError);
}

// Writes the fits, or when `succeeded` is false a file of zero fits with its error flag set. A
// mechanism too large for the declared lengths leaves a flagged file without species.
void Conversion::writeTransportLink(bool succeeded) {
  std::size_t lightCount = 0;
  for (const FitSpecies& species : species_) {
    lightCount += species.molecularWeight < kLightWeightLimit;
  }
  transport::TransportLink link = makeLink(species_, succeeded ? &fits_ : nullptr, lightCount);
  if (!setDeclaredLengths(link)) {
    diagnostics_.error(files_.transportLink, 0,
                       "the mechanism has too many species for a transport linking file");
    raise(kOutputUnwritable);
    if (succeeded) return;
    link = makeLink({}, nullptr, 0);
    setDeclaredLengths(link);
  }
  std::string error;
  if (!transport::WriteTransportLink(files_.transportLink, link, error)) {
    diagnostics_.error(files_.transportLink, 0, "cannot be written: " + error);
    raise(kOutputUnwritable);
  }
}

std::string Conversion::summaryLine() const {
  if (errorFlag_ != kSuccess) {
    return failureSummary(diagnostics_.errorCount(), diagnostics_.warningCount(), errorFlag_,
                          writesLink_ && errorFlag_ != kOutputUnwritable
                              ? files_.transportLink + " written with its error flag set"
                              : std::string("no transport linking file written"));
  }
  return "quillet: " + counted(species_.size(), "species", "species") + ", " +
         counted(fits_.lightSpecies.size(), "light species", "light species") + ", fits from " +
         format("%.6g K to %.6g K", fits_.lowTemperature, fits_.highTemperature) + " written to " +
         files_.transportLink + "; largest fit errors: viscosity " +
         percent(largest(fits_.viscosityError)) + ", conductivity " +
         percent(largest(fits_.conductivityError)) + ", diffusion " +
         percent(largest(fits_.diffusionError)) + ", thermal diffusion " +
         percent(largest(fits_.thermalDiffusionError)) + "; " +
         counted(diagnostics_.warningCount(), "warning", "warnings");
}

// The band, and the species whose Cp/R leaves it or cannot be checked.
void Conversion::writeBandTable(std::ostream& out) const {
  out << "Heat capacities: the physical band of Cp/R for a molecule of N atoms is "
      << format("%.3g to %.3g c + %.3g", kLeastHeatCapacity, 1.0 + kAnharmonicMargin,
                kElectronicMargin)
      << ",\n  c the classical limit 3N - 1.5 (2.5 for an atom), with margins for anharmonic and"
         " electronic terms.\n  Where a species' polynomial leaves its band inside its own range,"
         " its conductivity takes\n  Cp/R held inside the band; the thermo itself is left as it"
         " is.\n";
  if (!withoutAtoms_.empty()) {
    out << "  Not checked, the kinetics file giving no composition ("
        << counted(withoutAtoms_.size(), "species", "species") << "):";
    for (std::size_t k : withoutAtoms_) out << ' ' << mechanism_.species[k].name;
    out << "\n";
  }
  out << "Heat capacities outside the physical band: ";
  if (outOfBand_.empty()) {
    out << "none\n";
    return;
  }
  out << counted(outOfBand_.size(), "species", "species") << "\n";
  out << "     k  name              atoms  thermo range [K]        band of Cp/R     Cp/R reached"
         "  at T [K]\n";
  for (const OutOfBand& found : outOfBand_) {
    const MechanismSpecies& species = mechanism_.species[found.species];
    out << format("%6zu  %-16s %6lld  %-23s %-16s %12.4g  %8.6g\n", found.species + 1,
                  species.name.c_str(), static_cast<long long>(species.atomCount),
                  rangeText(species.thermo).c_str(), bandText(found.band).c_str(),
                  found.excursion.heatCapacity, found.excursion.temperature);
  }
}

// The files, what was read, the fit errors, every message and the summary. A listing that
// cannot be written fails the conversion, and takes a good transport file with it.
void Conversion::writeListing() {
  if (!writesListing_) return;
  std::ostringstream text;
  text << "Transport fitting listing (" << kVersionText << ")\n";
  text << "  kinetics linking file:   " << files_.kinetics << "\n";
  text << "  transport data file:     " << files_.transportData << "\n";
  text << "  transport linking file:  " << files_.transportLink << "\n";
  text << "  listing:                 " << files_.listing << "\n\n";
  if (!readerMessages_.str().empty()) {
    text << "Messages of the kinetics reader:\n" << readerMessages_.str() << "\n";
  }
  if (kineticsRead_ && !species_.empty()) {
    text << "Transport data: " << files_.transportData;
    if (transportData_.sectionLine > 0) {
      text << " (its TRANSPORT section of line " << transportData_.sectionLine << ")";
    }
    text << ", " << transportData_.skippedLines << " lines of species not in the mechanism skipped"
         << (transportData_.endSeen ? ", ended by END" : "") << "\n\n";
    writeParameterTable(text, species_);
    text << "\n";
    writeBandTable(text);
    text << "\n";
  }
  if (errorFlag_ == kSuccess) {
    writeHeldRangeTable(text, species_, fits_);
    text << "\n";
    writeErrorTable(text, species_, fits_);
    text << "\n";
  }
  if (!transportData_.repeats.empty()) {
    text << "Species given more than once in the transport data (the first entry is used)\n";
    for (const RepeatedEntry& repeat : transportData_.repeats) {
      text << "  " << repeat.name << ": line " << repeat.keptLine << " used; line"
           << (repeat.ignoredLines.size() > 1 ? "s" : "");
      for (const std::int64_t line : repeat.ignoredLines) text << " " << line;
      text << " passed over\n";
    }
    text << "\n";
  }
  if (!diagnostics_.empty()) {
    text << "Messages\n";
    for (const Diagnostic& diagnostic : diagnostics_) text << FormatDiagnostic(diagnostic) << "\n";
    text << "\n";
  }
  text << summary_ << "\n";
  listingFile_ << text.str();
  listingFile_.close();
  if (!listingFile_) {
    raise(kListingUnwritable);
    summary_ += "; the listing could not be written";
    if (writesLink_) writeTransportLink(false);
  }
}

}  // namespace

ConversionResult ConvertTransport(const ConversionFiles& files) {
  std::string why = "unexpected failure";
  try {
    return Conversion(files).run();
  } catch (const std::exception& failure) {
    why = failure.what();
  } catch (...) {
  }
  // Still leave a flagged transport file, if that can be done safely.
  try {
    if (!files.transportLink.empty() && !findOutputClash(files)) {
      transport::TransportLink link = makeLink({}, nullptr, 0);
      setDeclaredLengths(link);
      std::string error;
      transport::WriteTransportLink(files.transportLink, link, error);
    }
  } catch (...) {
  }
  return {kInternalError, "quillet: FAILED: " + why};
}

}  // namespace quillet
