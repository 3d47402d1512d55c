#pragma once
// A temporary folder for one test, removed with everything in it afterwards.

#include <filesystem>
#include <string>
#include <string_view>

namespace korv::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Writes bytes to a host file, creating its folders.
void WriteHostFile(const std::filesystem::path& path, std::string_view bytes);
// The bytes of a host file; empty when it does not exist.
std::string ReadHostFile(const std::filesystem::path& path);

// The name of a temporary in folder as a process of this host that has
// ended leaves it when it is killed before naming the file (not created).
std::filesystem::path DeadProcessTempPathIn(const std::filesystem::path& folder);

}  // namespace korv::testing
