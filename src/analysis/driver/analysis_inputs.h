// The inputs of the analysis programs, read the same way and with the same messages by each:
// the linking files and their work arrays, and the walk over a case library.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "analysis/core/path_flux.h"
#include "analysis/driver/case_library.h"
#include "common/console.h"
#include "common/record_file.h"
#include "kinetics/linking_file.h"

namespace driver {

// The name as the file system sees it: trailing blanks of the 100-character field dropped.
std::string FileSystemName(const std::string& name);

// Stops the run (" FILE name not found.", with the pause) when the file does not exist.
void RequireFile(const std::string& name, common::Console& console);

// The linking files, open from the first step to their loads. A run without transport (the
// kinetics file suffices for the rates) leaves `transport` closed.
struct LinkingFiles {
  common::RecordReader kinetics;
  common::RecordReader transport;
  bool withTransport = false;
};

// Opens the kinetics file and, when a name is given, the transport file.
LinkingFiles OpenLinkingFiles(const std::string& kineticsName, const std::string* transportName,
                              common::Console& console);

// The work arrays of a run, made once with the lengths the headers declare.
struct WorkArrays {
  kinetics::LinkSizes declared;  // of the kinetics file, with KK and ReactionCount
  std::int32_t LENIKW = 0, LENRKW = 0, LENSKW = 0, LENITW = 0, LENRTW = 0;
  std::vector<std::int32_t> IKWORK;
  std::vector<double> RKWORK;
  std::vector<std::string> SKWORK;
  std::vector<std::int32_t> ITWORK;
  std::vector<double> RTWORK;
};

WorkArrays MakeWorkArrays(LinkingFiles& files, common::Console& console);
void CheckWorkLengths(const WorkArrays& arrays, common::Console& console);
// Loads the kinetics file, writes the counts line and checks the run's dimensions.
void LoadKinetics(LinkingFiles& files, WorkArrays& arrays, common::Console& console);
void LoadTransport(LinkingFiles& files, WorkArrays& arrays, common::Console& console);

// What a program does with the states of a case library.
class CaseVisitor {
 public:
  virtual ~CaseVisitor() = default;
  // Case `caseNumber` of block `block` (both 1-based); `at.massFractions` has room for NS.
  virtual void visitCase(std::int32_t block, std::int32_t caseNumber,
                         const analysis::CaseState& at) = 0;
  // The end of a block that held cases.
  virtual void closeBlock(std::int32_t block, std::int32_t caseCount) = 0;
  // The end line, after at least one block with cases.
  virtual void closeLibrary(std::int32_t blockCount) = 0;
};

// Reads the library to its end line and hands every case, with its mass fractions, to
// `visitor`. Returns kExitResults when the library closed with results, kExitNoResults when it
// ended without them (the visitor's closeLibrary is then not called).
int WalkCaseLibrary(CaseLibrary& library, const WorkArrays& arrays, std::int32_t KK,
                    std::int32_t NS, CaseVisitor& visitor, common::Console& console);

}  // namespace driver
