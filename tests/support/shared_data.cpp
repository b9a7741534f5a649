#include "support/shared_data.h"

#include <filesystem>

namespace test_support {

const std::string& SharedDataFolder() {
  static const std::string folder = PATHFLUX_SHARED_DATA_FOLDER;
  return folder;
}

bool SharedDataFound() {
  static const bool found = std::filesystem::is_directory(SharedDataFolder());
  return found;
}

std::string SharedData(const std::string& relative) {
  return SharedDataFolder() + "/" + relative;
}

std::string SharedDataMissing() {
  return "needs the shared data folder " + SharedDataFolder() +
         ", which was not found; set PATHFLUX_SHARED_DATA";
}

std::string ShippedData(const std::string& relative) {
  return std::string(PATHFLUX_SHIPPED_DATA_FOLDER) + "/" + relative;
}

std::string TestData(const std::string& relative) {
  return std::string(PATHFLUX_TEST_DATA_FOLDER) + "/" + relative;
}

std::string CorpusRoleFile(const std::string& source, const std::string& role) {
  const std::size_t roles = source.find("Roles:");
  if (roles == std::string::npos) return {};
  const std::size_t lineEnd = source.find('\n', roles);
  const std::size_t at = source.find(role + " `", roles);
  if (at == std::string::npos || at > lineEnd) return {};
  const std::size_t start = at + role.size() + 2;
  const std::size_t end = source.find('`', start);
  if (end == std::string::npos || end > lineEnd) return {};
  return source.substr(start, end - start);
}

}  // namespace test_support
