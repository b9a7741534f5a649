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

}  // namespace test_support
