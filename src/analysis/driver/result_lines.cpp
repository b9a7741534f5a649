#include "analysis/driver/result_lines.h"

#include <algorithm>

#include "common/fixed_format.h"

namespace driver {
namespace {

void appendEach(std::string& line, std::span<const std::int32_t> values, int width) {
  for (std::int32_t value : values) common::appendInteger(line, value, width);
}

std::string caseHead(std::int32_t caseNumber, std::size_t keptCount) {
  std::string line = "Line";
  common::appendInteger(line, caseNumber, 3);
  line += "/21 [";
  common::appendInteger(line, static_cast<std::int64_t>(keptCount), 4);
  line += "]:";
  return line;
}

}  // namespace

std::string PreselectionLine(std::span<const std::int32_t> selectedSpecies) {
  std::string line = "Preselection";
  appendEach(line, selectedSpecies, 8);
  return line;
}

std::string ThresholdLine(double threshold) {
  return "Threshold" + common::formatFixed(threshold, 10, 6);
}

std::string CaseLine(std::int32_t caseNumber, std::span<const std::int32_t> kept) {
  std::string line = caseHead(caseNumber, kept.size());
  appendEach(line, kept, 5);
  return line;
}

std::vector<std::string> CaseConsoleLines(std::int32_t caseNumber,
                                          std::span<const std::int32_t> kept) {
  constexpr std::size_t kPerLine = 20;
  std::vector<std::string> lines{caseHead(caseNumber, kept.size())};
  for (std::size_t start = 0; start < kept.size(); start += kPerLine) {
    if (start > 0) lines.emplace_back(18, ' ');
    appendEach(lines.back(), kept.subspan(start, std::min(kPerLine, kept.size() - start)), 5);
  }
  return lines;
}

std::string CpuTimeLine(double seconds) {
  return common::rightAligned("CPU TIME:", 20) + common::formatFixed(seconds, 10, 2) + " S";
}

std::string BlockLine(std::int32_t blockNumber, std::span<const std::int32_t> merged) {
  std::string line = "Case";
  common::appendInteger(line, blockNumber, 4);
  common::appendInteger(line, static_cast<std::int64_t>(merged.size()), 5);
  line += ":";
  appendEach(line, merged, 5);
  return line;
}

std::string AllCasesLine(std::span<const std::int32_t> all) {
  std::string line = "Allcases";
  common::appendInteger(line, static_cast<std::int64_t>(all.size()), 5);
  line += ":";
  appendEach(line, all, 5);
  return line;
}

std::string TrimCountsLine(std::int32_t speciesCount, std::int32_t trimCount) {
  std::string line = "NOTE: Original SP#=";
  common::appendInteger(line, speciesCount, 5);
  line += common::rightAligned("Trim SP#=", 11);
  common::appendInteger(line, trimCount, 5);
  line += common::rightAligned("Keep SP#=", 11);
  common::appendInteger(line, std::int64_t{speciesCount} - trimCount, 5);
  return line;
}

std::string TrimListLine(std::span<const std::int32_t> trim) {
  std::string line;
  appendEach(line, trim, 5);
  return line;
}

}  // namespace driver
