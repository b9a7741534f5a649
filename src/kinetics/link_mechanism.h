// A kinetics linking file held in memory, record by record: what the writer writes and what
// producers (the mechanism converter, test fixtures) fill in. Names are stored as written;
// the writer pads them to 16 characters. Every per-entry vector is cut or zero-padded by the
// writer to the stride that the counts give it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kinetics {

struct LinkElement {
  std::string name;
  double atomicWeight = 0.0;
};

struct LinkSpecies {
  std::string name;
  std::vector<std::int32_t> composition;  // atoms of element 1..ElementCount
  std::int32_t phase = 0;                 // SpeciesIntA: 0 gas, 1 liquid, 2 solid
  std::int32_t charge = 0;                // SpeciesIntB: electric charge, in elementary charges
  double molecularWeight = 0.0;
  std::int32_t temperatureCount = 0;      // bounds used, at most MaxTemperatures
  std::vector<double> temperatureBounds;  // MaxTemperatures entries
  // (MaxTemperatures - 1) ranges of CpCoefficientCount + 2 coefficients, range 1 first
  // (range 1 is the lowest temperature range).
  std::vector<double> coefficients;
};

struct LinkSlot {
  std::int32_t coefficient = 0;  // negative for reactants, positive for products
  std::int32_t species = 0;      // 1-based; 0 = empty slot
};

struct LinkReaction {
  std::int32_t speciesCount = 0;       // signed: <= 0 marks an irreversible reaction
  std::int32_t auxCount = 0;           // number of reactant slots in use
  std::vector<double> rateParameters;  // A, beta, E/R
  std::vector<LinkSlot> slots;         // MaxReactionSpecies slots; reactants in the first half
};

// One entry of a per-reaction auxiliary list: the reaction number and its reals.
struct LinkParameterEntry {
  std::int32_t reaction = 0;
  std::vector<double> values;
};

struct LinkFallOff {
  std::int32_t reaction = 0;
  std::int32_t form = 1;       // 1 Lindemann, 2 SRI, 3 Troe (3 parameters), 4 Troe (4)
  std::int32_t thirdBody = 0;  // 0 = the mixture, else a species number
  std::vector<double> values;  // low-pressure A, beta, E/R, then the form parameters
};

struct LinkThirdBody {
  std::int32_t reaction = 0;
  std::vector<std::int32_t> species;  // enhanced third bodies
  std::vector<double> efficiencies;   // one per species
};

struct LinkElectronImpact {
  std::int32_t reaction = 0;
  std::int32_t temperatureIndex = 1;
};

struct LinkOrder {
  std::int32_t reaction = 0;
  std::vector<std::int32_t> species;  // code: -k forward order of species k, +k reverse order
  std::vector<double> values;
};

// One row of a pressure table: the Arrhenius parameters that hold at one pressure.
struct LinkPressureRow {
  double pressure = 0.0;         // atm
  std::array<double, 3> rate{};  // A, beta, E/R
};

// A rate constant tabulated over pressure; rows in ascending pressure, equal pressures next to
// each other (their rates add up).
struct LinkPressureTable {
  std::int32_t reaction = 0;
  std::vector<LinkPressureRow> rows;
};

// log10 k as a double Chebyshev series in reduced inverse temperature and reduced log pressure.
struct LinkChebyshev {
  std::int32_t reaction = 0;
  std::int32_t temperatureCount = 0;  // terms in temperature
  std::int32_t pressureCount = 0;     // terms in pressure
  std::array<double, 4> ranges{};     // Tmin, Tmax (K), Pmin, Pmax (atm)
  std::vector<double> coefficients;   // temperatureCount x pressureCount, pressure index inner
};

// A chemically activated fall-off: k = k_low F / (1 + Pr), Pr = k_low [M] / k_high.
struct LinkActivated {
  std::int32_t reaction = 0;
  std::int32_t form = 1;              // as in record 7: 1 Lindemann, 2 SRI, 3 and 4 Troe
  std::int32_t thirdBody = 0;         // 0 = the mixture, else a species number
  std::array<double, 3> high{};       // high-pressure A, beta, E/R
  std::vector<double> values;         // low-pressure A, beta, E/R, then the form parameters (8)
  std::vector<std::int32_t> species;  // enhanced third bodies of the mixture
  std::vector<double> efficiencies;   // one per species
};

struct LinkMechanism {
  // Record 1.
  std::string version = "3.9";
  std::string precision = "DOUBLE";
  bool errorFlag = false;

  // Strides of record 2 that are not counts of entries.
  std::int32_t MaxReactionSpecies = 6;
  std::int32_t MaxThirdBodies = 10;
  std::int32_t MaxTemperatures = 3;
  std::int32_t CpCoefficientCount = 5;
  std::int32_t RateParameterCount = 3;
  std::int32_t LandauTellerParameterCount = 2;
  std::int32_t FallOffParameterCount = 8;
  std::int32_t JanevParameterCount = 9;
  std::int32_t FitParameterCount = 4;
  std::int32_t MaxOrderSpecies = 0;
  std::int32_t IgnoredCount = 0;  // written, never read back (the count of charged species)
  double HeaderTolerance = 0.1;

  std::vector<LinkElement> elements;                    // record 3
  std::vector<LinkSpecies> species;                     // record 4
  std::vector<LinkReaction> reactions;                  // record 5
  std::vector<LinkParameterEntry> reverse;              // record 6
  std::vector<LinkFallOff> fallOff;                     // record 7
  std::vector<LinkThirdBody> thirdBody;                 // record 8
  std::vector<LinkParameterEntry> landauTeller;         // record 9
  std::vector<LinkParameterEntry> reverseLandauTeller;  // record 10
  std::vector<LinkParameterEntry> wavelength;           // record 11 (one value)
  std::vector<LinkElectronImpact> electronImpact;       // record 12
  std::vector<LinkParameterEntry> janev;                // record 13
  std::vector<LinkParameterEntry> fit;                  // record 14
  std::vector<LinkParameterEntry> excitation;           // record 15 (one value)
  std::vector<LinkParameterEntry> realStoich;           // record 16 (one value per slot)
  std::vector<LinkOrder> order;                         // record 17

  // The pressure-table record, written after the last present record when any list is
  // non-empty. Record 5 holds these reactions' rates at one atmosphere.
  std::vector<LinkPressureTable> pressureTables;
  std::vector<LinkChebyshev> chebyshev;
  std::vector<LinkActivated> activated;

  // Declared lengths; when unset the writer computes them from the work-array layout.
  // Tests set them to write files that declare too little.
  std::optional<std::int32_t> RequiredIntLength;
  std::optional<std::int32_t> RequiredRealLength;
  std::optional<std::int32_t> RequiredCharLength;
};

}  // namespace kinetics
