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
  const std::size_t K = species.size();
  const std::size_t N = kFitOrder;
  for (const FitSpecies& s : species) {
    transport::TransportSpecies out;
    out.molecularWeight = s.molecularWeight;
    out.wellDepth = s.parameters.wellDepth;
    out.collisionDiameter = s.parameters.diameter;
    out.dipoleMoment = s.parameters.dipole;
    out.polarizability = s.parameters.polarizability;
    out.rotationalRelaxation = s.parameters.rotationalRelaxation;
    out.geometry = s.parameters.geometry;
    link.species.push_back(out);
  }
  if (fits != nullptr) {
    link.conductivityFits = fits->conductivity;
    link.viscosityFits = fits->viscosity;
    link.diffusionFits = fits->diffusion;
    link.lightSpecies = fits->lightSpecies;
    link.thermalDiffusionFits = fits->thermalDiffusion;
  } else {
    link.conductivityFits.assign(N * K, 0.0);
    link.viscosityFits.assign(N * K, 0.0);
    link.diffusionFits.assign(N * K * K, 0.0);
    for (std::size_t k = 0; k < K && link.lightSpecies.size() < lightCount; ++k) {
      if (species[k].molecularWeight < kLightWeightLimit) {
        link.lightSpecies.push_back(static_cast<std::int32_t>(k + 1));
      }
    }
    link.thermalDiffusionFits.assign(N * K * link.lightSpecies.size(), 0.0);
  }
  return link;
}

// The whole workspace of the reader: the lengths it needs for these counts.
bool setDeclaredLengths(transport::TransportLink& link) {
  const std::int64_t K = static_cast<std::int64_t>(link.species.size());
  const std::int64_t L = static_cast<std::int64_t>(link.lightSpecies.size());
  const std::int64_t integers = transport::RequiredTransportIntLength(K, link.FitOrder, L);
  const std::int64_t reals = transport::RequiredTransportRealLength(K, link.FitOrder, L);
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
    const FitSpecies& s = species[k];
    const MolecularParameters& p = s.parameters;
    if (s.line == 0) {
      out << format("%6zu  %-16s %10.5f  no usable transport data\n", k + 1, s.name.c_str(),
                    s.molecularWeight);
      continue;
    }
    out << format("%6zu  %-16s %10.5f %5lld %9d %10.3f %10.3f %8.3f %12.3f %10.3f\n", k + 1,
                  s.name.c_str(), s.molecularWeight, static_cast<long long>(s.line), p.geometry,
                  p.wellDepth, p.diameter, p.dipole, p.polarizability, p.rotationalRelaxation);
  }
}

void writeErrorTable(std::ostream& out, std::span<const FitSpecies> species,
                     const TransportFits& fits) {
  out << format(
      "Fits: %d coefficients, %d temperatures from %.6g K to %.6g K (evenly spaced in"
      " ln T)\n",
      kFitOrder, kFitPoints, fits.lowTemperature, fits.highTemperature);
  out << "  ln(viscosity), ln(conductivity) and ln(binary diffusion coefficient at 1013250 dyn/cm2)"
         " as cubics in ln T;\n  thermal diffusion ratios as cubics in T.\n";
  out << "Light species (molecular weight below 5):";
  if (fits.lightSpecies.empty()) out << " none";
  for (std::int32_t l : fits.lightSpecies) {
    out << ' ' << species[static_cast<std::size_t>(l - 1)].name;
  }
  out << "\n\nLargest relative fit errors over the range (thermal diffusion: relative to the"
         " largest magnitude)\n";
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

double largest(const std::vector<double>& values) {
  double worst = std::numeric_limits<double>::quiet_NaN();
  for (double value : values) {
    if (!std::isnan(value) && (std::isnan(worst) || value > worst)) worst = value;
  }
  return worst;
}

std::string counted(std::size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
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

}  // namespace

namespace {

ConversionResult convert(const ConversionFiles& files) {
  if (const auto clash = findOutputClash(files)) return refuseClash(*clash);
  Diagnostics diagnostics;
  std::int32_t errorFlag = kSuccess;
  auto raise = [&errorFlag](std::int32_t flag) {
    if (errorFlag == kSuccess) errorFlag = flag;
  };

  bool writeLink = !files.transportLink.empty();
  bool writeListing = !files.listing.empty();
  if (!writeLink) {
    diagnostics.error("", 0, "no transport linking file is named");
    raise(kOutputUnwritable);
  }
  if (!writeListing) {
    diagnostics.error("", 0, "no listing file is named");
    raise(kListingUnwritable);
  }
  std::ofstream listing;
  if (writeListing) {
    listing.open(files.listing, std::ios::out | std::ios::trunc);
    if (!listing) {
      diagnostics.error(files.listing, 0, "the listing cannot be written");
      writeListing = false;
      raise(kListingUnwritable);
    }
  }

  // The kinetics file, with the reader's own messages kept for the listing.
  std::ostringstream readerMessages;
  Mechanism mechanism;
  bool kineticsRead = false;
  if (files.kinetics.empty()) {
    diagnostics.error("", 0, "no kinetics linking file is named");
  } else {
    std::istringstream noInput;
    common::Console console(readerMessages, noInput);
    try {
      mechanism = ReadMechanism(files.kinetics, console, diagnostics);
      kineticsRead = true;
    } catch (const common::Stop&) {
      diagnostics.error(files.kinetics, 0,
                        "the kinetics linking file cannot be read (the reader's messages are "
                        "listed above)");
    } catch (const std::exception& failure) {
      diagnostics.error(files.kinetics, 0,
                        std::string("the kinetics linking file cannot be read: ") + failure.what());
    }
  }
  if (!kineticsRead) raise(kKineticsUnreadable);

  std::vector<std::string> names;
  for (const MechanismSpecies& s : mechanism.species) names.push_back(s.name);
  TransportData data;
  if (kineticsRead && !names.empty()) {
    if (files.transportData.empty()) {
      diagnostics.error("", 0, "no transport data file is named");
      data.entries.resize(names.size());
    } else {
      data = ReadTransportData(files.transportData, names, diagnostics);
    }
  }

  std::vector<FitSpecies> species(mechanism.species.size());
  for (std::size_t k = 0; k < species.size(); ++k) {
    species[k].name = mechanism.species[k].name;
    species[k].molecularWeight = mechanism.species[k].molecularWeight;
    species[k].thermo = &mechanism.species[k].thermo;
    if (k < data.entries.size() && data.entries[k]) {
      species[k].parameters = data.entries[k]->parameters;
      species[k].line = data.entries[k]->line;
    }
  }

  TransportFits fits;
  const bool inputsUsable = kineticsRead && diagnostics.errorCount() == 0;
  if (kineticsRead && !inputsUsable) raise(kInputError);
  if (inputsUsable) {
    fits = FitTransport(species, files.kinetics, files.transportData, diagnostics);
    if (diagnostics.errorCount() > 0) raise(kInputError);
  }

  // The transport linking file.
  std::size_t lightCount = 0;
  for (const FitSpecies& s : species) lightCount += s.molecularWeight < kLightWeightLimit;
  auto writeTransportLink = [&](bool succeeded) {
    transport::TransportLink link =
        succeeded ? makeLink(species, &fits, lightCount) : makeLink(species, nullptr, lightCount);
    if (!setDeclaredLengths(link)) {
      diagnostics.error(files.transportLink, 0,
                        "the mechanism has too many species for a transport linking file");
      raise(kOutputUnwritable);
      if (succeeded) return false;
      link = makeLink({}, nullptr, 0);
      setDeclaredLengths(link);
    }
    std::string error;
    if (!transport::WriteTransportLink(files.transportLink, link, error)) {
      diagnostics.error(files.transportLink, 0, "cannot be written: " + error);
      raise(kOutputUnwritable);
      return false;
    }
    return true;
  };
  if (writeLink) writeTransportLink(errorFlag == kSuccess);

  // The summary line.
  std::string summary = "quillet: ";
  if (errorFlag == kSuccess) {
    summary += counted(species.size(), "species", "species") + ", " +
               counted(fits.lightSpecies.size(), "light species", "light species") +
               ", fits from " +
               format("%.6g K to %.6g K", fits.lowTemperature, fits.highTemperature) +
               " written to " + files.transportLink + "; largest fit errors: viscosity " +
               percent(largest(fits.viscosityError)) + ", conductivity " +
               percent(largest(fits.conductivityError)) + ", diffusion " +
               percent(largest(fits.diffusionError)) + ", thermal diffusion " +
               percent(largest(fits.thermalDiffusionError)) + "; " +
               counted(diagnostics.warningCount(), "warning", "warnings");
  } else {
    summary = failureSummary(diagnostics.errorCount(), diagnostics.warningCount(), errorFlag,
                             writeLink && errorFlag != kOutputUnwritable
                                 ? files.transportLink + " written with its error flag set"
                                 : std::string("no transport linking file written"));
  }

  if (writeListing) {
    std::ostringstream text;
    text << "Transport fitting listing (" << kVersionText << ")\n";
    text << "  kinetics linking file:   " << files.kinetics << "\n";
    text << "  transport data file:     " << files.transportData << "\n";
    text << "  transport linking file:  " << files.transportLink << "\n";
    text << "  listing:                 " << files.listing << "\n\n";
    if (!readerMessages.str().empty()) {
      text << "Messages of the kinetics reader:\n" << readerMessages.str() << "\n";
    }
    if (kineticsRead && !species.empty()) {
      text << "Transport data: " << files.transportData << ", " << data.skippedLines
           << " lines of species not in the mechanism skipped"
           << (data.endSeen ? ", ended by END" : "") << "\n\n";
      writeParameterTable(text, species);
      text << "\n";
    }
    if (errorFlag == kSuccess) {
      writeErrorTable(text, species, fits);
      text << "\n";
    }
    if (!diagnostics.items().empty()) {
      text << "Messages\n";
      for (const Diagnostic& d : diagnostics.items()) text << FormatDiagnostic(d) << "\n";
      text << "\n";
    }
    text << summary << "\n";
    listing << text.str();
    listing.close();
    if (!listing) {
      raise(kListingUnwritable);
      summary += "; the listing could not be written";
      // A good transport file must not stand beside a listing that failed.
      if (writeLink) writeTransportLink(false);
    }
  }
  return {errorFlag, summary};
}

}  // namespace

ConversionResult ConvertTransport(const ConversionFiles& files) {
  std::string why = "unexpected failure";
  try {
    return convert(files);
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
