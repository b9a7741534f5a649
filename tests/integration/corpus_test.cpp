// The converters on every published mechanism of the shared corpus: per mechanism, the exit
// status and the error and warning counts of both converters are compared with the recorded
// table. A mechanism that converted must still convert, and no error count may grow; fewer
// errors or warnings are reported so that the table can be brought up to date (the test prints
// the whole current table; PATHFLUX_CORPUS_TABLE=FILE also writes it there).
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "program_runner.h"
#include "support/scratch_folder.h"
#include "support/shared_data.h"

namespace integration {
namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status = -1;  // -1: not run
  int errors = 0;
  int warnings = 0;
};

struct Row {
  Outcome vordane;
  Outcome quillet;
};

std::string RowText(const std::string& name, const Row& row) {
  char text[160];
  std::snprintf(text, sizeof text, "%-24s", name.c_str());
  std::string line = text;
  for (const Outcome* o : {&row.vordane, &row.quillet}) {
    if (o->status < 0) {
      std::snprintf(text, sizeof text, "   %2s %5s %5s", "-", "-", "-");
    } else {
      std::snprintf(text, sizeof text, "   %2d %5d %5d", o->status, o->errors, o->warnings);
    }
    line += text;
  }
  return line + "\n";
}

std::map<std::string, Row> ReadTable(const std::string& path) {
  std::map<std::string, Row> table;
  std::istringstream lines(test_support::ReadText(path));
  for (std::string line; std::getline(lines, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    std::string name;
    std::string fields[6];
    words >> name;
    for (std::string& f : fields) words >> f;
    Row row;
    Outcome* outcomes[] = {&row.vordane, &row.quillet};
    for (int o = 0; o < 2; ++o) {
      if (fields[3 * o] == "-") continue;
      outcomes[o]->status = std::stoi(fields[3 * o]);
      outcomes[o]->errors = std::stoi(fields[3 * o + 1]);
      outcomes[o]->warnings = std::stoi(fields[3 * o + 2]);
    }
    table[name] = row;
  }
  return table;
}

// The number written before the first " error"/" warning" of a summary line; 0 when none.
int Count(const std::string& summary, const std::string& word) {
  for (std::size_t at = summary.find(" " + word); at != std::string::npos;
       at = summary.find(" " + word, at + 1)) {
    std::size_t start = at;
    while (start > 0 && std::isdigit(static_cast<unsigned char>(summary[start - 1]))) --start;
    if (start < at) return std::stoi(summary.substr(start, at - start));
  }
  return 0;
}

Outcome OutcomeOf(const ProgramRun& run) {
  return {run.status, Count(run.console, "error"), Count(run.console, "warning")};
}

bool HasTransportSection(const std::string& mechanismText) {
  std::istringstream lines(mechanismText);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::string word;
    words >> word;
    for (char& c : word) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (word.size() >= 4 && std::string("TRANSPORT").rfind(word, 0) == 0) return true;
  }
  return false;
}

Row ConvertFolder(const fs::path& folder) {
  const std::string source = test_support::ReadText((folder / "SOURCE.md").string());
  const std::string mechanism =
      (folder / test_support::CorpusRoleFile(source, "mechanism")).string();
  const std::string thermoName = test_support::CorpusRoleFile(source, "thermo");
  std::string transport = test_support::CorpusRoleFile(source, "transport");
  Workspace workspace("corpus-" + folder.filename().string());
  Row row;
  const std::string thermo = thermoName.empty() ? "none.dat" : (folder / thermoName).string();
  row.vordane = OutcomeOf(workspace.run("vordane", {mechanism, thermo, "chem.bin", "chem.out"}));
  if (transport.empty() && HasTransportSection(test_support::ReadText(mechanism))) {
    transport = mechanism;
  } else if (!transport.empty()) {
    transport = (folder / transport).string();
  }
  if (row.vordane.status == 0 && !transport.empty()) {
    row.quillet = OutcomeOf(workspace.run("quillet", {"chem.bin", "tran.bin", transport, "t.out"}));
  }
  return row;
}

void Compare(const char* program, const Outcome& expected, const Outcome& actual,
             const std::string& name, std::string& better) {
  if (expected.status == 0) {
    EXPECT_EQ(actual.status, 0) << name << ": " << program << " no longer converts it";
  }
  EXPECT_LE(actual.errors, expected.errors) << name << ": " << program << " reports more errors";
  if (actual.errors < expected.errors || actual.warnings != expected.warnings ||
      (expected.status != 0 && actual.status == 0)) {
    better += "  " + name + " (" + program + ")\n";
  }
}

TEST(Corpus, PublishedMechanismsConvertAsRecorded) {
  PATHFLUX_REQUIRE_SHARED_DATA();
  const fs::path corpus = test_support::SharedData("corpus");
  if (!fs::is_directory(corpus)) GTEST_SKIP() << "no corpus folder in the shared data";
  const std::map<std::string, Row> expected =
      ReadTable(test_support::TestData("expected/corpus.txt"));
  std::map<std::string, Row> actual;
  for (const fs::directory_entry& entry : fs::directory_iterator(corpus)) {
    if (fs::exists(entry.path() / "SOURCE.md")) {
      actual[entry.path().filename().string()] = ConvertFolder(entry.path());
    }
  }
  std::string table =
      "# folder                 vordane: status errors warnings; quillet: the same (- not run)\n";
  std::string better;
  for (const auto& [name, row] : actual) {
    table += RowText(name, row);
    const auto recorded = expected.find(name);
    if (recorded == expected.end()) {
      better += "  " + name + " (not in the table)\n";
      continue;
    }
    Compare("vordane", recorded->second.vordane, row.vordane, name, better);
    if (recorded->second.quillet.status >= 0) {
      Compare("quillet", recorded->second.quillet, row.quillet, name, better);
    } else if (row.quillet.status >= 0) {
      better += "  " + name + " (quillet now runs)\n";
    }
  }
  std::cout << table;
  if (!better.empty()) std::cout << "Changed from the recorded table:\n" << better;
  if (const char* out = std::getenv("PATHFLUX_CORPUS_TABLE")) std::ofstream(out) << table;
}

}  // namespace
}  // namespace integration
