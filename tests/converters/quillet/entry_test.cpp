// The shared library's C entry, loaded as the desktop converter loads it, and the program.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "support/scratch_folder.h"
#include "support/shared_data.h"

namespace {

using test_support::ReadText;
using test_support::ScratchFolder;
using test_support::SharedData;

using Entry = void (*)(const char*, std::int32_t, const char*, std::int32_t, const char*,
                       std::int32_t, const char*, std::int32_t, std::int32_t*);

class Library : public ::testing::Test {
 protected:
  void SetUp() override {
    handle_ = dlopen(PATHFLUX_LIB_DIR "/libQuillet.so", RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle_, nullptr) << dlerror();
    entry_ = reinterpret_cast<Entry>(dlsym(handle_, "TRANTOBIN"));
    ASSERT_NE(entry_, nullptr) << dlerror();
  }
  void TearDown() override {
    if (handle_ != nullptr) dlclose(handle_);
  }
  void* handle_ = nullptr;
  Entry entry_ = nullptr;
};

// Names are passed by length: the characters after them must not be read as part of them.
TEST_F(Library, ConvertsWithNamesGivenByLength) {
  PATHFLUX_REQUIRE_SHARED_DATA();
  ScratchFolder folder;
  const std::string bin = SharedData("gri30/chem.bin") + "XYZ";
  const std::string tranBin = folder.path("tran.bin") + "#";
  const std::string tranDat = SharedData("gri30/gri30_tran.dat") + "!!";
  const std::string listing = folder.path("tran.out") + "junk";
  std::int32_t flag = 77;
  entry_(bin.data(), static_cast<std::int32_t>(bin.size() - 3), tranBin.data(),
         static_cast<std::int32_t>(tranBin.size() - 1), tranDat.data(),
         static_cast<std::int32_t>(tranDat.size() - 2), listing.data(),
         static_cast<std::int32_t>(listing.size() - 4), &flag);
  EXPECT_EQ(flag, 0) << ReadText(folder.path("tran.out"));
  EXPECT_TRUE(std::filesystem::exists(folder.path("tran.bin")));
  EXPECT_FALSE(std::filesystem::exists(folder.path("tran.bin#")));

  // The flag is stored on every call: a failing call after a good one sets it.
  entry_(nullptr, 0, tranBin.data(), static_cast<std::int32_t>(tranBin.size() - 1), tranDat.data(),
         static_cast<std::int32_t>(tranDat.size() - 2), listing.data(),
         static_cast<std::int32_t>(listing.size() - 4), &flag);
  EXPECT_EQ(flag, 2);
  entry_(nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0, &flag);
  EXPECT_NE(flag, 0);
  entry_(nullptr, -5, nullptr, 0, nullptr, 0, nullptr, 0, nullptr);  // no flag to store: no crash
}

int run(const std::string& arguments, std::string& output) {
  const std::string command = std::string(PATHFLUX_BIN_DIR) + "/quillet " + arguments + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return -1;
  output.clear();
  char buffer[4096];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
  const int status = pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(Program, ExitStatusAndOneLineSummary) {
  ScratchFolder folder;
  std::string output;
  EXPECT_EQ(run("--help", output), 0);
  EXPECT_NE(output.find("Usage: quillet"), std::string::npos);
  EXPECT_EQ(run("a b c d e", output), 2);
  PATHFLUX_REQUIRE_SHARED_DATA();

  const std::string good = SharedData("gri30/chem.bin") + " " + folder.path("tran.bin") + " " +
                           SharedData("gri30/gri30_tran.dat") + " " + folder.path("tran.out");
  EXPECT_EQ(run(good, output), 0) << output;
  EXPECT_EQ(output.find('\n'), output.size() - 1) << output;
  EXPECT_EQ(output.rfind("quillet: 53 species, 2 light species", 0), 0u) << output;

  const std::string bad = SharedData("gri30/chem.bin") + " " + folder.path("tran.bin") + " " +
                          folder.path("missing.dat") + " " + folder.path("tran.out");
  EXPECT_EQ(run(bad, output), 1) << output;
  EXPECT_NE(output.find("FAILED"), std::string::npos);
}

TEST(Program, DefaultNamesInTheWorkingFolder) {
  PATHFLUX_REQUIRE_SHARED_DATA();
  ScratchFolder folder;
  std::filesystem::copy_file(SharedData("gri30/chem.bin"), folder.path("Chem.Bin"));
  std::filesystem::copy_file(SharedData("gri30/gri30_tran.dat"), folder.path("Tran.Dat"));
  const std::string here = "cd " + folder.path("") + " && " + PATHFLUX_BIN_DIR + "/quillet";
  FILE* pipe = popen(here.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  while (std::fgetc(pipe) != EOF) {
  }
  const int status = pclose(pipe);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_TRUE(std::filesystem::exists(folder.path("Tran.Bin")));
  EXPECT_TRUE(std::filesystem::exists(folder.path("Tran.Out")));
}

}  // namespace
