#include "testing/temp_dir.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "platform/files/temp_files.h"

namespace fs = std::filesystem;

namespace korv::testing {

TempDir::TempDir() {
  std::string tmpl = (fs::temp_directory_path() / "korv-test-XXXXXX").string();
  if (!mkdtemp(tmpl.data())) throw std::runtime_error("cannot make a temporary folder");
  path_ = tmpl;
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

void WriteHostFile(const fs::path& path, std::string_view bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadHostFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::filesystem::path DeadProcessTempPathIn(const std::filesystem::path& folder) {
  pid_t child = fork();
  if (child == 0) _exit(0);
  waitpid(child, nullptr, 0);
  std::string name = TempPathIn(folder).filename().string();
  const std::string own = "-" + std::to_string(getpid()) + "-";
  name.replace(name.find(own), own.size(), "-" + std::to_string(child) + "-");
  return folder / name;
}

}  // namespace korv::testing
