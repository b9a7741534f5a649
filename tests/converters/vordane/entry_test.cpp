// The two ways in: the C entry of the shared library, loaded by name as the converter
// front-end loads it, and the command-line program.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/scratch_folder.h"
#include "vordane_support.h"

namespace vordane {
namespace {

using Entry = void (*)(const char*, std::int32_t, const char*, std::int32_t, const char*,
                       std::int32_t, const char*, std::int32_t, std::int32_t*);

class LoadedLibrary {
 public:
  LoadedLibrary() : handle_(dlopen(PATHFLUX_LIB_DIR "/libVordane.so", RTLD_NOW | RTLD_LOCAL)) {}
  ~LoadedLibrary() {
    if (handle_ != nullptr) dlclose(handle_);
  }
  LoadedLibrary(const LoadedLibrary&) = delete;
  LoadedLibrary& operator=(const LoadedLibrary&) = delete;
  Entry entry() const {
    return handle_ == nullptr ? nullptr : reinterpret_cast<Entry>(dlsym(handle_, "MECHTOBIN"));
  }

 private:
  void* handle_;
};

std::int32_t Length(const std::string& text) {
  return static_cast<std::int32_t>(text.size());
}

TEST(VordaneEntry, TheFlagIsStoredOnEveryCall) {
  LoadedLibrary library;
  const Entry convert = library.entry();
  ASSERT_NE(convert, nullptr) << dlerror();
  test_support::ScratchFolder folder;
  const std::string good = folder.write("good.inp", fixture::Mechanism("H2+O2<=>OH+OH 1 0 0\n"));
  const std::string bad = folder.write("bad.inp", fixture::Mechanism("H2+O2<=>OH 1 0 0\n"));
  const std::string bin = folder.path("chem.bin");
  const std::string out = folder.path("chem.out");
  // Names are not terminated for the callee: only the length counts.
  const std::string goodPadded = good + "GARBAGE";

  struct Case {
    const char* behaviour;
    const char* mech;
    std::int32_t mechLen;
    const char* thermo;
    std::int32_t thermoLen;
    bool success;
  };
  const Case kCases[] = {
      {"a good mechanism with no thermo file name", good.c_str(), Length(good), nullptr, 0, true},
      {"a name followed by other characters", goodPadded.c_str(), Length(good), "", 0, true},
      {"a failing mechanism", bad.c_str(), Length(bad), nullptr, 0, false},
      {"an empty mechanism name", nullptr, 0, nullptr, 0, false},
      {"a negative length", good.c_str(), -5, nullptr, 0, false},
      {"a missing mechanism file", "absent.inp", 10, nullptr, 0, false},
  };
  for (const Case& c : kCases) {
    for (const std::int32_t before : {0, 77}) {
      std::int32_t flag = before;
      convert(c.mech, c.mechLen, bin.c_str(), Length(bin), c.thermo, c.thermoLen, out.c_str(),
              Length(out), &flag);
      EXPECT_EQ(flag == 0, c.success) << c.behaviour << ", flag before " << before;
    }
  }
  // Every name empty, and no flag to store into: nothing to do, nothing to crash on.
  std::int32_t flag = 0;
  convert(nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0, &flag);
  EXPECT_NE(flag, 0);
  convert(good.c_str(), Length(good), bin.c_str(), Length(bin), nullptr, 0, out.c_str(),
          Length(out), nullptr);
}

int RunProgram(const std::string& arguments, const std::string& folder, std::string& output) {
  const std::string command =
      "cd '" + folder + "' && '" PATHFLUX_BIN_DIR "/vordane' " + arguments + " > stdout.txt 2>&1";
  const int status = std::system(command.c_str());
  output = test_support::ReadText(folder + "/stdout.txt");
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(VordaneProgram, ExitStatusAndSummaryLine) {
  test_support::ScratchFolder folder;
  const std::string dir = folder.path("");
  folder.write("good.inp", fixture::Mechanism("H2+O2<=>OH+OH 1 0 0\n"));
  folder.write("bad.inp", fixture::Mechanism("H2+O2<=>OH 1 0 0\n"));
  // The default names, with the thermo in a file of its own.
  folder.write("Chem.Inp", "ELEMENTS H END\nSPECIES H H2 END\nREACTIONS\nH+H=>H2 1 0 0\nEND\n");
  folder.write("Therm.Dat", "THERMO\n 300 1000 5000\n" + fixture::ThermoEntry("H", {{"H", 1}}) +
                                fixture::ThermoEntry("H2", {{"H", 2}}) + "END\n");
  struct Case {
    const char* arguments;
    int status;
    const char* output;
    const char* written;
  };
  const Case kCases[] = {
      {"--help", 0, "usage: vordane [MECH [THERMO [BIN [LISTING]]]]", nullptr},
      {"good.inp none.dat good.bin good.out", 0,
       "vordane: 5 elements, 13 species, 1 reactions; 0 errors, 0 warnings; linking file written\n",
       "good.out"},
      {"bad.inp none.dat bad.bin bad.out", 1, "; 1 errors, 0 warnings; linking file marked",
       "bad.out"},
      {"", 0, "vordane: 1 elements, 2 species, 1 reactions; 0 errors", "Chem.Out"},
      {"absent.inp", 1, "linking file marked as failed", "Chem.Bin"},
  };
  for (const Case& c : kCases) {
    std::string output;
    EXPECT_EQ(RunProgram(c.arguments, dir, output), c.status) << c.arguments << "\n" << output;
    EXPECT_NE(output.find(c.output), std::string::npos) << c.arguments << "\n" << output;
    if (c.written != nullptr) {
      EXPECT_FALSE(test_support::ReadText(folder.path(c.written)).empty()) << c.arguments;
    }
  }
}

}  // namespace
}  // namespace vordane
