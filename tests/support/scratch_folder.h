// Scratch folders for tests, benchmarks and fuzz targets. A ScratchFolder is a fresh folder
// under the system's temporary folder, made unique by mkdtemp so that test programs running side
// by side never share a file, and removed with everything in it when the object goes.
// ScratchPath() names a file in one such folder that lasts as long as the process.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace test_support {

class ScratchFolder {
 public:
  // The folder's name starts with `prefix`; throws std::runtime_error when it cannot be made.
  explicit ScratchFolder(std::string_view prefix = "pathflux");
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& folder() const { return folder_; }
  // The path of `name` in the folder (the folder itself, with a trailing separator, for "").
  std::string path(const std::string& name) const { return (folder_ / name).string(); }
  // Writes `text` to `name` in the folder and returns its path.
  std::string write(const std::string& name, std::string_view text) const;

 private:
  std::filesystem::path folder_;
};

// The path of `name` in a scratch folder of this process, removed when the process ends.
std::string ScratchPath(const std::string& name);

// Whole files as bytes. Reading a file that cannot be opened gives the empty text; a write that
// fails throws std::runtime_error.
std::string ReadText(const std::string& path);
void WriteText(const std::string& path, std::string_view text);

}  // namespace test_support
