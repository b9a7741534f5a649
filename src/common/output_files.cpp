#include "common/output_files.h"

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <system_error>

namespace common {
namespace {

// Where a name leads: the existing file itself (device and inode, `below` empty), or the
// nearest existing folder on its way and the names below that folder that do not exist yet.
struct Destination {
  dev_t device = 0;
  ino_t inode = 0;
  std::filesystem::path below;
  bool operator==(const Destination&) const = default;
};

// As many links as the system itself follows in one name before it gives up.
constexpr int kLinkLimit = 40;

std::optional<Destination> destinationOf(const std::filesystem::path& name, int linksLeft) {
  struct stat status {};
  if (::stat(name.c_str(), &status) == 0) return Destination{status.st_dev, status.st_ino, {}};
  // A symbolic link that points nowhere yet: writing through it creates its target.
  if (::lstat(name.c_str(), &status) == 0 && S_ISLNK(status.st_mode)) {
    if (linksLeft == 0) return std::nullopt;
    std::error_code error;
    const std::filesystem::path target = std::filesystem::read_symlink(name, error);
    if (error) return std::nullopt;
    return destinationOf(target.is_absolute() ? target : name.parent_path() / target,
                         linksLeft - 1);
  }
  std::filesystem::path folder = name.parent_path();
  if (folder.empty()) folder = ".";
  if (folder == name) return std::nullopt;
  std::optional<Destination> destination = destinationOf(folder, linksLeft);
  if (destination) destination->below = (destination->below / name.filename()).lexically_normal();
  return destination;
}

}  // namespace

std::string FileClash::message() const {
  return "the " + output.role + " '" + output.name + "' is the same file as the " + other.role +
         " '" + other.name + "'";
}

bool SameFile(const std::string& first, const std::string& second) {
  if (first.empty() || second.empty()) return false;
  const std::optional<Destination> firstDestination = destinationOf(first, kLinkLimit);
  const std::optional<Destination> secondDestination = destinationOf(second, kLinkLimit);
  if (firstDestination && secondDestination) return *firstDestination == *secondDestination;
  // A name that leads nowhere the system can tell (a loop of links): only the spelling is left.
  std::error_code firstError, secondError;
  const std::filesystem::path firstAbsolute = std::filesystem::absolute(first, firstError);
  const std::filesystem::path secondAbsolute = std::filesystem::absolute(second, secondError);
  if (firstError || secondError) return first == second;
  return firstAbsolute.lexically_normal() == secondAbsolute.lexically_normal();
}

std::optional<FileClash> FindOutputClash(std::span<const RoleFile> inputs,
                                         std::span<const RoleFile> outputs) {
  for (std::size_t index = 0; index < outputs.size(); ++index) {
    const RoleFile& output = outputs[index];
    for (const RoleFile& input : inputs) {
      if (SameFile(output.name, input.name)) return FileClash{output, input};
    }
    for (const RoleFile& earlier : outputs.first(index)) {
      if (SameFile(output.name, earlier.name)) return FileClash{output, earlier};
    }
  }
  return std::nullopt;
}

bool WriteTextFileAtomically(const std::string& path, const std::string& text) {
  const std::string temporary = path + ".part";
  std::error_code error;
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    file << text;
    file.close();
    if (!file) {
      std::filesystem::remove(temporary, error);
      return false;
    }
  }
  std::filesystem::rename(temporary, path, error);
  if (error) std::filesystem::remove(temporary, error);
  return !error;
}

}  // namespace common
