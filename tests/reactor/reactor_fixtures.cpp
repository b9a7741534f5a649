#include "reactor_fixtures.h"

#include "converters/vordane/vordane.h"
#include "kinetics/linking_file.h"
#include "support/memory_console.h"
#include "support/scratch_folder.h"

namespace reactor::testing {

const Mechanism& Gri30() {
  static const Mechanism mechanism = [] {
    test_support::MemoryConsole console;
    return Mechanism(
        kinetics::LoadKineticsFile(test_support::SharedData("gri30/chem.bin"), console));
  }();
  return mechanism;
}

const Mechanism& NHeptane() {
  static const Mechanism mechanism = [] {
    test_support::MemoryConsole console;
    return Mechanism(
        kinetics::LoadKineticsFile(test_support::SharedData("llnl_nheptane_v2/chem.bin"), console));
  }();
  return mechanism;
}

const Mechanism& Glarborg2018() {
  static const Mechanism mechanism = [] {
    const std::string data = test_support::SharedData("corpus/glarborg2018/");
    const std::string binary = test_support::ScratchPath("glarborg2018.bin");
    vordane::ConvertFiles(data + "mech.dat", data + "thermo.dat", binary,
                          test_support::ScratchPath("glarborg2018.out"));
    test_support::MemoryConsole console;
    return Mechanism(kinetics::LoadKineticsFile(binary, console));
  }();
  return mechanism;
}

std::vector<double> MethaneAir(const Mechanism& mechanism, double phi) {
  std::vector<double> x(static_cast<std::size_t>(mechanism.speciesCount()), 0.0);
  x[static_cast<std::size_t>(mechanism.speciesIndex("CH4"))] = phi;
  x[static_cast<std::size_t>(mechanism.speciesIndex("O2"))] = 2.0;
  x[static_cast<std::size_t>(mechanism.speciesIndex("N2"))] = 2.0 * 3.76;
  return x;
}

}  // namespace reactor::testing
