// sorvane write: the reduced mechanism, thermo and transport files and the listing of what was
// removed, written into one folder.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/output_files.h"
#include "converters/vordane/vordane.h"

namespace reduction {

struct WriteOptions {
  std::string mechanism;
  std::string thermo;     // empty: none
  std::string transport;  // empty: none
  std::string trimFile;   // empty when the species are named in `remove`
  std::vector<std::string> remove;
  std::vector<std::string> keep;
  std::string outputFolder;
};

struct WriteSummary {
  int speciesBefore = 0;
  int speciesAfter = 0;
  int reactionsBefore = 0;
  int reactionsAfter = 0;
  std::vector<std::string> written;  // paths, the listing last
};

// The names of the outputs in the folder.
inline constexpr const char* kMechanismOutput = "chem.inp";
inline constexpr const char* kThermoOutput = "therm.dat";
inline constexpr const char* kTransportOutput = "tran.dat";
inline constexpr const char* kListingOutput = "sorvane.out";

// The first output of `options` that is the same file as one of its inputs, of `moreInputs`
// (files the caller reads besides) or of the outputs named before it.
std::optional<common::FileClash> FindWriteClash(const WriteOptions& options,
                                                std::span<const common::RoleFile> moreInputs = {});

// A whole input file under its path; nothing when it is not a regular file that reads.
std::optional<vordane::SourceText> ReadSourceText(const std::string& path);

// Reads the inputs, reduces them and writes the files. Every check comes before the first
// write, and the reduced mechanism must read again without errors; a failure throws
// common::Stop with its message, and then nothing has been written.
WriteSummary WriteReducedFiles(const WriteOptions& options);

}  // namespace reduction
