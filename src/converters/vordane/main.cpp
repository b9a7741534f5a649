// vordane: converts a mechanism to a kinetics linking file from the command line.
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "converters/vordane/vordane.h"

namespace {

constexpr const char* kUsage =
    "usage: vordane [MECH [THERMO [BIN [LISTING]]]]\n"
    "  Converts the mechanism MECH (default Chem.Inp) with the thermo data THERMO (default\n"
    "  Therm.Dat) into the kinetics linking file BIN (default Chem.Bin) and writes the\n"
    "  listing LISTING (default Chem.Out). Exit status 0 only on success.\n";

}  // namespace

int main(int argc, char** argv) {
  std::string names[4] = {"Chem.Inp", "Therm.Dat", "Chem.Bin", "Chem.Out"};
  for (int a = 1; a < argc; ++a) {
    if (std::strcmp(argv[a], "--help") == 0 || std::strcmp(argv[a], "-h") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
  }
  if (argc > 5) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  for (int a = 1; a < argc; ++a) names[a - 1] = argv[a];
  try {
    const vordane::ConversionReport report =
        vordane::ConvertFiles(names[0], names[1], names[2], names[3]);
    std::printf("vordane: %s\n", report.summary.c_str());
    return report.success ? 0 : 1;
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "vordane: %s\n", failure.what());
  }
  return 1;
}
