// Shared helpers of the transport tests: a small link with recognisable values, scratch files
// and a console whose output and stop are captured.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sstream>
#include <string>

#include "common/console.h"
#include "common/record_file.h"
#include "transport/linking_file.h"

namespace transport::testing {

// K species, fit order N, the first L species light. Every value tells where it belongs:
// species parameter f of species k is 100k + f, fit value i of an array is base + i.
inline TransportLink SmallLink(int K = 3, int N = 2, int L = 1) {
  TransportLink link;
  link.version = "test 7";
  link.FitOrder = N;
  link.ReferencePressure = 101325.0;
  for (int k = 1; k <= K; ++k) {
    link.species.push_back(
        {100.0 * k + 1, 100.0 * k + 2, 100.0 * k + 3, 0.0, 100.0 * k + 5, 100.0 * k + 6, k % 3});
  }
  auto fill = [](std::vector<double>& values, std::size_t count, double base) {
    for (std::size_t i = 0; i < count; ++i) values.push_back(base + static_cast<double>(i));
  };
  fill(link.conductivityFits, N * K, 1000.0);
  fill(link.viscosityFits, N * K, 2000.0);
  fill(link.diffusionFits, N * K * K, 3000.0);
  for (int l = 1; l <= L; ++l) link.lightSpecies.push_back(l);
  fill(link.thermalDiffusionFits, N * K * L, 4000.0);
  return link;
}

// A scratch folder per test, removed afterwards.
class ScratchFolder {
 public:
  ScratchFolder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = std::filesystem::temp_directory_path() /
              (std::string("transport_") + info->test_suite_name() + "_" + info->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  std::string path(const std::string& name) const { return (folder_ / name).string(); }

 private:
  std::filesystem::path folder_;
};

inline std::string WriteLink(const ScratchFolder& scratch, const TransportLink& link,
                             const std::string& name = "tran.bin") {
  const std::string path = scratch.path(name);
  std::string error;
  EXPECT_TRUE(WriteTransportLink(path, link, error)) << error;
  return path;
}

// Writes raw records, for files no valid link can produce.
inline std::string WriteRecords(const ScratchFolder& scratch,
                                const std::vector<common::FieldWriter>& records,
                                const std::string& name = "raw.bin") {
  const std::string path = scratch.path(name);
  common::RecordWriter writer;
  EXPECT_TRUE(writer.open(path));
  for (const auto& record : records) EXPECT_TRUE(writer.write(record));
  EXPECT_TRUE(writer.commit());
  return path;
}

// What the console showed, and whether and how the run stopped.
struct Outcome {
  std::string text;
  bool stopped = false;
  bool paused = false;
};

inline Outcome Capture(const std::function<void(common::Console&)>& body) {
  std::ostringstream out;
  std::istringstream in;
  common::Console console(out, in);
  Outcome outcome;
  try {
    body(console);
  } catch (const common::Stop& stop) {
    outcome.stopped = true;
    outcome.paused = stop.pauses();
  }
  outcome.text = out.str();
  return outcome;
}

inline Outcome LoadFile(const std::string& path) {
  return Capture([&](common::Console& console) { LoadTransportFile(path, console); });
}

}  // namespace transport::testing
