#include "support/case_library.h"

#include <fstream>
#include <sstream>

namespace test_support {

std::vector<std::vector<double>> ReadCaseLines(const std::string& path, std::size_t limit) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);  // heading
  std::getline(in, line);  // KK line
  std::vector<std::vector<double>> cases;
  while (cases.size() < limit && std::getline(in, line)) {
    if (line.empty() || std::string("!/TEe").find(line[0]) != std::string::npos) continue;
    std::istringstream fields(line);
    std::vector<double> values;
    for (double v; fields >> v;) values.push_back(v);
    cases.push_back(values);
  }
  return cases;
}

SelectionFile ReadSelectionFile(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  SelectionFile selection;
  std::getline(in, line);
  std::istringstream numbers(line);
  for (std::int32_t k; numbers >> k;) selection.start.push_back(k);
  in >> selection.threshold;
  return selection;
}

}  // namespace test_support
