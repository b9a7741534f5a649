// The rule every converter applies before it writes: each output must be a file of its own,
// neither one of the inputs nor another output.
//
// Names are compared as files, not as strings. Two names are the same file when they lead to
// the same file on disk (two spellings, "./x" and "x", a folder and back, a symbolic or a hard
// link), and, for a file that does not exist yet, when they lead to the same name in the same
// folder (a symbolic link that points nowhere yet leads to where writing through it would
// create the file). A program that finds a clash writes nothing at all: an output written over
// an input would destroy it, and two outputs in one file leave only the last one written.
#pragma once

#include <optional>
#include <span>
#include <string>

namespace common {

// A file name given to a program, with the role it plays there ("listing").
struct RoleFile {
  std::string role;
  std::string name;  // as given; empty when none is given
};

// An output that is the same file as an input or as an output named before it.
struct FileClash {
  RoleFile output;
  RoleFile other;

  // "the listing 'b' is the same file as the linking file 'a'"
  std::string message() const;
};

// True when the two names lead to the same file (see above). Empty names lead to no file.
bool SameFile(const std::string& first, const std::string& second);

// The first clash, taking the outputs in order and each against every input and then every
// output before it; nothing when every named output is a file of its own. Files without a name
// take no part: a missing name is the caller's own error.
std::optional<FileClash> FindOutputClash(std::span<const RoleFile> inputs,
                                         std::span<const RoleFile> outputs);

// Writes `text` to a temporary file beside `path` and renames it into place, so that a failed
// write never leaves a file that could pass for a result. False, with the temporary file
// removed, on any failure.
bool WriteTextFileAtomically(const std::string& path, const std::string& text);

}  // namespace common
