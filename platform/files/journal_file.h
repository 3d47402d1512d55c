#pragma once
// An append-only file of text lines that survives a crash of the program and
// a power cut: the station's journal of a send is kept in one. Each line is
// on disk (fsync) before Append returns, and so is the file's name when
// Create returns. A line appended lazily goes to disk with the next line
// that is not (or never, if a power cut comes first): for records whose loss
// only makes the reader do again what is harmless to do twice.
//
// A line cut short by a crash (no line end yet) is no line:
// ReadJournalLines leaves it out, and Reopen cuts it off before appending.
//
// The file is held (a whole-file lock) while it is open, so a process that
// finishes the sends another one left never takes one still under way.
//
// Lines never hold a line feed. Failures raise the file layer's
// RuntimeError (61 disk full, 70 no permission, ...).

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace korv {

class JournalFile {
 public:
  // Makes the file (and its folder) holding first_line; raises 58 when a
  // file of that name exists.
  static JournalFile Create(const std::filesystem::path& path, std::string_view first_line);
  // Opens an existing file to append after its last whole line; raises 70
  // while another open file holds it.
  static JournalFile Reopen(const std::filesystem::path& path);
  JournalFile(JournalFile&& other) noexcept;
  JournalFile& operator=(JournalFile&&) = delete;
  ~JournalFile();

  void Append(std::string_view line);
  void AppendLazily(std::string_view line);
  // Removes the file; its records are done with.
  void Remove();
  const std::filesystem::path& path() const { return path_; }

 private:
  JournalFile(std::filesystem::path path, int fd) : path_(std::move(path)), fd_(fd) {}
  std::filesystem::path path_;
  int fd_ = -1;
};

// The whole lines of a journal file, in order; 53 when it does not exist.
std::vector<std::string> ReadJournalLines(const std::filesystem::path& path);

}  // namespace korv
