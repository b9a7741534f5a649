// quillet: the transport conversion from the command line.
#include <cstdio>
#include <cstring>
#include <iostream>

#include "converters/quillet/converter.h"

namespace {

constexpr const char* kUsage =
    "Usage: quillet [BIN [TRANBIN [TRANDAT [LISTING]]]]\n"
    "\n"
    "Fits the transport properties of the species of a kinetics linking file (BIN, default\n"
    "Chem.Bin) from their molecular parameters in a transport data file (TRANDAT, default\n"
    "Tran.Dat) and writes the transport linking file (TRANBIN, default Tran.Bin) and a listing\n"
    "(LISTING, default Tran.Out). Names left out take their defaults.\n"
    "\n"
    "Exit status: 0 on success; 1 when the conversion failed (see the listing); 2 for a wrong\n"
    "command line.\n";

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::cout << kUsage;
      return 0;
    }
  }
  if (argc > 5) {
    std::cerr << "quillet: at most four file names\n" << kUsage;
    return 2;
  }
  quillet::ConversionFiles files{"Chem.Bin", "Tran.Bin", "Tran.Dat", "Tran.Out"};
  std::string* names[] = {&files.kinetics, &files.transportLink, &files.transportData,
                          &files.listing};
  for (int i = 1; i < argc; ++i) *names[i - 1] = argv[i];
  const quillet::ConversionResult result = quillet::ConvertTransport(files);
  std::cout << result.summary << std::endl;
  return result.errorFlag == quillet::kSuccess ? 0 : 1;
}
