// One rule for both converters: an output that is the same file as an input or as the other
// output, however the two names reach it, fails the conversion before any file is touched. Each
// case of the table runs through both, in a folder laid out afresh, and every file in the
// folder must keep its bytes.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "common/output_files.h"
#include "converters/quillet/converter.h"
#include "converters/vordane/vordane.h"
#include "support/scratch_folder.h"
#include "support/shared_data.h"
#include "vordane/vordane_support.h"

namespace {

namespace fs = std::filesystem;
using test_support::ReadText;
using test_support::ScratchFolder;

// The four names of a conversion, inputs first: first input, second input, first output,
// second output.
using Names = std::array<std::string, 4>;

struct Outcome {
  std::int32_t flag;
  std::string summary;
};

// A converter as the table sees it.
struct Converter {
  const char* name;
  std::array<const char*, 4> roles;        // as its messages name the four files
  std::array<std::int32_t, 2> clashFlags;  // when the first or the second output clashes
  bool needsSharedData;                    // for its good inputs
  std::function<void(const ScratchFolder&)> writeInputs;  // "in1" and "in2", good ones
  std::function<Outcome(const Names&)> convert;
};

const Converter kConverters[] = {
    {"vordane",
     {"mechanism file", "thermo data file", "linking file", "listing"},
     {1, 1},
     false,
     [](const ScratchFolder& folder) {
       folder.write("in1", vordane::fixture::Mechanism("H2+O2<=>OH+OH 1 0 0\n"));
       folder.write("in2", "THERMO\nEND\n");
     },
     [](const Names& names) {
       const vordane::ConversionReport report =
           vordane::ConvertFiles(names[0], names[1], names[2], names[3]);
       return Outcome{report.success ? 0 : 1, report.summary};
     }},
    {"quillet",
     {"kinetics linking file", "transport data file", "transport linking file", "listing"},
     {quillet::kOutputUnwritable, quillet::kListingUnwritable},
     true,
     [](const ScratchFolder& folder) {
       fs::copy_file(test_support::SharedData("gri30/chem.bin"), folder.path("in1"));
       fs::copy_file(test_support::SharedData("gri30/gri30_tran.dat"), folder.path("in2"));
     },
     [](const Names& names) {
       const quillet::ConversionResult result =
           quillet::ConvertTransport({names[0], names[2], names[1], names[3]});
       return Outcome{result.errorFlag, result.summary};
     }},
};

// The inputs, the outputs of an earlier run, a folder and links of every kind.
void layOut(const ScratchFolder& folder, const Converter& converter) {
  converter.writeInputs(folder);
  folder.write("old.bin", "an earlier linking file");
  folder.write("old.out", "an earlier listing");
  fs::create_directory(folder.path("sub"));
  fs::create_symlink("old.out", folder.path("link.out"));
  fs::create_hard_link(folder.path("in1"), folder.path("hard.in"));
  fs::create_symlink("fresh.out", folder.path("dangling"));
  fs::create_directory_symlink("sub", folder.path("folderLink"));
}

// Every entry below the folder: the bytes of a file, the target of a link.
std::map<std::string, std::string> contentsOf(const ScratchFolder& folder) {
  std::map<std::string, std::string> contents;
  const fs::path root = folder.folder();
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
    const std::string name = fs::relative(entry.path(), root).string();
    if (entry.is_symlink()) {
      contents[name] = "link to " + fs::read_symlink(entry.path()).string();
    } else if (entry.is_regular_file()) {
      contents[name] = ReadText(entry.path().string());
    } else {
      contents[name] = "folder";
    }
  }
  return contents;
}

TEST(ConverterOutputs, AClashTouchesNoFile) {
  struct Case {
    const char* behaviour;
    std::array<const char*, 4> names;  // in the folder
    int output;                        // index of the output that clashes; -1 when none does
    int other;                         // index of the file it clashes with
  };
  const Case kCases[] = {
      {"every file its own", {"in1", "in2", "new.bin", "new.out"}, -1, -1},
      {"the listing named like the linking file", {"in1", "in2", "same.out", "same.out"}, 3, 2},
      {"a new file named two ways", {"in1", "in2", "new.out", "./new.out"}, 3, 2},
      {"through a folder and back", {"in1", "in2", "sub/../old.out", "old.out"}, 3, 2},
      {"a symbolic link to the other output", {"in1", "in2", "link.out", "old.out"}, 3, 2},
      {"a hard link to the first input", {"in1", "in2", "hard.in", "old.out"}, 2, 0},
      {"the second input as the first output", {"in1", "in2", "in2", "old.out"}, 2, 1},
      {"the first input as the listing", {"in1", "in2", "old.bin", "./in1"}, 3, 0},
      {"a link to where the other output will be", {"in1", "in2", "dangling", "fresh.out"}, 3, 2},
      {"a new file in a folder reached by a link",
       {"in1", "in2", "folderLink/x.out", "sub/x.out"},
       3,
       2},
  };
  for (const Converter& converter : kConverters) {
    if (converter.needsSharedData && !test_support::SharedDataFound()) continue;
    for (const Case& c : kCases) {
      ScratchFolder folder;
      layOut(folder, converter);
      Names names;
      for (std::size_t i = 0; i < names.size(); ++i) names[i] = folder.path(c.names[i]);
      const auto before = contentsOf(folder);
      const Outcome outcome = converter.convert(names);
      const std::string where = std::string(converter.name) + ", " + c.behaviour;
      if (c.output < 0) {
        EXPECT_EQ(outcome.flag, 0) << where << ": " << outcome.summary;
        EXPECT_TRUE(fs::exists(names[2]) && fs::exists(names[3])) << where;
        for (const auto& [name, content] : before) {
          EXPECT_EQ(contentsOf(folder)[name], content) << where << ": " << name;
        }
        continue;
      }
      EXPECT_EQ(outcome.flag, converter.clashFlags[c.output - 2]) << where;
      const std::string message = std::string("the ") + converter.roles[c.output] + " '" +
                                  names[c.output] + "' is the same file as the " +
                                  converter.roles[c.other] + " '" + names[c.other] + "'";
      EXPECT_NE(outcome.summary.find(message), std::string::npos)
          << where << "\n  " << outcome.summary << "\n  wanted: " << message;
      EXPECT_EQ(contentsOf(folder), before) << where;
    }
  }
}

// Names alike as text that lead to different files.
TEST(ConverterOutputs, DifferentFilesDoNotClash) {
  ScratchFolder folder;
  fs::create_directory(folder.path("sub"));
  folder.write("old.out", "an earlier listing");
  const std::pair<const char*, const char*> kPairs[] = {
      {"x.out", "sub/x.out"}, {"old.out", "sub/old.out"}, {"old.out", "old.out.bak"}};
  for (const auto& [first, second] : kPairs) {
    EXPECT_FALSE(common::SameFile(folder.path(first), folder.path(second))) << first;
  }
  EXPECT_FALSE(common::SameFile("", ""));
}

// The fault as it was met: both programs given one name for the linking file and the listing.
TEST(ConverterOutputs, ProgramsRefuseOneNameForBothOutputs) {
  struct Run {
    const char* program;
    const char* arguments;
    const char* message;
  };
  const Run kRuns[] = {
      {"vordane", "in1 in2 same.out same.out",
       "the listing 'same.out' is the same file as the linking file 'same.out'"},
      {"quillet", "in1 same.out in2 same.out",
       "the listing 'same.out' is the same file as the transport linking file 'same.out'"},
  };
  for (std::size_t i = 0; i < std::size(kRuns); ++i) {
    if (kConverters[i].needsSharedData && !test_support::SharedDataFound()) continue;
    ScratchFolder folder;
    kConverters[i].writeInputs(folder);
    const auto before = contentsOf(folder);
    const std::string command = "cd '" + folder.folder().string() + "' && '" PATHFLUX_BIN_DIR "/" +
                                kRuns[i].program + "' " + kRuns[i].arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
    const int status = pclose(pipe);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << kRuns[i].program << output;
    EXPECT_NE(output.find(kRuns[i].message), std::string::npos) << output;
    EXPECT_EQ(contentsOf(folder), before) << kRuns[i].program;
  }
}

}  // namespace
